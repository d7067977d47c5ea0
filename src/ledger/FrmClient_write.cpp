#include "ledger/FrmClient_write.h"

#include "frame/FrmPost.h"
#include "frame/modCommon.h"
#include "frame/modDao.h"
#include "frame/modFloatMsg.h"
#include "frame/modFrmCtrl.h"
#include "frame/modGlobal.h"
#include "frame/modMain.h"
#include "frame/modMsgBox.h"
#include "platform/DaoError.h"
#include "platform/FormRegistry.h"
#include "platform/Prompter.h"
#include "platform/SqlText.h"

#include <QApplication>
#include <QCheckBox>
#include <QDebug>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QPushButton>

#include <limits>

namespace {

// Box index -> column, in the order the record is written and read.
struct BoxColumn {
    int box;
    const char* column;
};
constexpr BoxColumn kColumns[] = {
    {0, "name"}, {1, "tel"}, {6, "tel2"}, {7, "tel3"}, {8, "tel4"}, {9, "tel5"}, {10, "tel6"},
    {2, "phone"}, {3, "zipcode"}, {4, "address"}, {5, "memo"},
};
constexpr int kColumnCount = int(sizeof(kColumns) / sizeof(kColumns[0]));

// Telephone and mobile boxes: reformatted when left.
bool isTelBox(int index) { return index == 1 || index == 2 || (index >= 6 && index <= 10); }

// An empty box is written as a zero-length text, never as Null.
QString nonNull(const QString& s) { return s.isNull() ? QStringLiteral("") : s; }

const QString kUnit = QStringLiteral("FrmClient_write");

} // namespace

FrmClient_write::FrmClient_write(QWidget* parent) : QDialog(parent)
{
    setObjectName(kUnit);
    setWindowTitle(QStringLiteral("거래처 등록"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    if (QWidget* main = platform::FormRegistry::instance().find(QStringLiteral("frmMain")))
        setWindowIcon(main->windowIcon());

    auto* grid = new QGridLayout(this);
    static const char* const titles[6] = {"상 호 명", "전화번호", "핸 드 폰", "우편번호", "주    소", "메    모"};
    for (int i = 0; i < 6; ++i) {
        pnlTitle[i] = new QLabel(QString::fromUtf8(titles[i]), this);
        pnlTitle[i]->setObjectName(QStringLiteral("pnlTitle"));
        pnlTitle[i]->setProperty("Index", i);
        pnlTitle[i]->setFrameShape(QFrame::StyledPanel);
        pnlTitle[i]->setAlignment(Qt::AlignCenter);
        pnlTitle[i]->setMinimumWidth(80);
    }
    for (int i = 0; i < 11; ++i) {
        txtInput[i] = new QLineEdit(this);
        txtInput[i]->setObjectName(QStringLiteral("txtInput"));
        txtInput[i]->setProperty("Index", i);
        txtInput[i]->installEventFilter(this);
    }
    btnPost = new QPushButton(QStringLiteral("…"), this);
    btnPost->setObjectName(QStringLiteral("btnPost"));
    btnPost->setFocusPolicy(Qt::NoFocus);
    btnPost->setAutoDefault(false);
    btnPost->setFixedWidth(28);
    btnPost->setToolTip(QStringLiteral("우편번호 검색"));
    btnSave = new QPushButton(QStringLiteral("저  장(&S)"), this);
    btnSave->setObjectName(QStringLiteral("btnSave"));
    btnSave->setAutoDefault(false);
    btnCancel = new QPushButton(QStringLiteral("취  소(&C)"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setAutoDefault(false);
    ChkContinueAdd = new QCheckBox(QStringLiteral("계속 등록하기(&N)"), this);
    ChkContinueAdd->setObjectName(QStringLiteral("ChkContinueAdd"));

    // name alone; three telephone rows under one label; mobile; postal code with its
    // button; address and memo full width
    grid->addWidget(pnlTitle[0], 0, 0);
    grid->addWidget(txtInput[0], 0, 1, 1, 2);
    grid->addWidget(pnlTitle[1], 1, 0, 3, 1);
    grid->addWidget(txtInput[1], 1, 1);
    grid->addWidget(txtInput[6], 1, 2);
    grid->addWidget(txtInput[7], 2, 1);
    grid->addWidget(txtInput[8], 2, 2);
    grid->addWidget(txtInput[9], 3, 1);
    grid->addWidget(txtInput[10], 3, 2);
    grid->addWidget(pnlTitle[2], 4, 0);
    grid->addWidget(txtInput[2], 4, 1);
    grid->addWidget(pnlTitle[3], 5, 0);
    auto* zipRow = new QHBoxLayout();
    txtInput[3]->setFixedWidth(90);
    zipRow->addWidget(txtInput[3]);
    zipRow->addWidget(btnPost);
    zipRow->addStretch(1);
    grid->addLayout(zipRow, 5, 1, 1, 2);
    grid->addWidget(pnlTitle[4], 6, 0);
    grid->addWidget(txtInput[4], 6, 1, 1, 2);
    grid->addWidget(pnlTitle[5], 7, 0);
    grid->addWidget(txtInput[5], 7, 1, 1, 2);
    auto* buttons = new QHBoxLayout();
    buttons->addWidget(ChkContinueAdd);
    buttons->addStretch(1);
    buttons->addWidget(btnSave);
    buttons->addWidget(btnCancel);
    grid->addLayout(buttons, 8, 0, 1, 3);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    resize(460, sizeHint().height());

    static const int tabOrder[] = {0, 1, 6, 7, 8, 9, 10, 2, 3, 4, 5};
    for (int i = 0; i + 1 < 11; ++i)
        setTabOrder(txtInput[tabOrder[i]], txtInput[tabOrder[i + 1]]);
    setTabOrder(txtInput[5], btnSave);
    setTabOrder(btnSave, btnCancel);
    setTabOrder(btnCancel, ChkContinueAdd);

    connect(btnSave, &QPushButton::clicked, this, &FrmClient_write::btnSave_Click);
    connect(btnCancel, &QPushButton::clicked, this, &FrmClient_write::btnCancel_Click);
    connect(btnPost, &QPushButton::clicked, this, &FrmClient_write::btnPost_Click);

    platform::FormRegistry::instance().registerForm(this, kUnit);

    // Form_Load
    lSavedCode = 0;
    sSavedName.clear();
    sLoadedName.clear();
    lEditMode = 0;
    ClearInputs();
}

FrmClient_write::~FrmClient_write() { platform::FormRegistry::instance().unregisterForm(this); }

// ---------------------------------------------------------------------------------------
// Interface

void FrmClient_write::CallForm(QObject* ctlCallForm) { callForm = ctlCallForm; }

void FrmClient_write::AddEditMode(long eEditMode)
{
    lEditMode = eEditMode;
    if (eEditMode == 1)
        setWindowTitle(QStringLiteral("신규 거래처 등록"));
    else if (eEditMode == 2)
        setWindowTitle(QStringLiteral("기존 거래처 수정"));
}

void FrmClient_write::CCode(qint64 ncode)
{
    ChkContinueAdd->setVisible(false);
    ChkContinueAdd->setChecked(false);
    LoadClient(ncode);
}

void FrmClient_write::DefaultName(const QString& sName)
{
    ChkContinueAdd->setVisible(false);
    ChkContinueAdd->setChecked(false);
    txtInput[0]->setText(sName);
}

void FrmClient_write::busiMode(int iBusiMode)
{
    iKind = iBusiMode;
    if (iBusiMode == 1) {
        sTable = QStringLiteral("maechul");
        setWindowTitle(windowTitle() + QStringLiteral("(매출처)"));
    } else if (iBusiMode == 0) {
        sTable = QStringLiteral("maeip");
        setWindowTitle(windowTitle() + QStringLiteral("(매입처)"));
    }
}

// ---------------------------------------------------------------------------------------
// Loading and clearing

void FrmClient_write::ClearInputs()
{
    // all eleven boxes: the next party must not take over the last one's further numbers
    for (QLineEdit* box : txtInput)
        box->clear();
    sLoadedName.clear();
    lRecordId = -1;
    if (txtInput[0]->isVisible())
        txtInput[0]->setFocus();
}

void FrmClient_write::LoadClient(qint64 id)
{
    RecordsetPtr rs;
    if (!DAO_OpenSnapshot(gDB, rs, QStringLiteral("SELECT * FROM ") + dao::quoteIdent(sTable) + QStringLiteral(" where id = ?"),
                          {id}))
        return;
    try {
        if (rs->eof()) {
            CloseRS(rs);
            return; // the record id stays -1: a save reports it
        }
        for (const BoxColumn& c : kColumns) {
            const QString column = QString::fromLatin1(c.column);
            // tel2..tel6 are missing in a file the upgrade has not reached
            txtInput[c.box]->setText(rs->fieldIndex(column) >= 0 ? rs->text(column) : QString());
        }
        lRecordId = id;
        sLoadedName = txtInput[0]->text();
    } catch (const dao::DaoError& e) {
        ShowProcError(e.number(), e.description(), QStringLiteral("LoadClient"), QStringLiteral("Form"), kUnit);
    }
    CloseRS(rs);
}

// ---------------------------------------------------------------------------------------
// Saving

void FrmClient_write::btnSave_Click()
{
    // A telephone box still holding the focus is formatted as when it is left.
    if (const int i = boxIndex(QApplication::focusWidget()); i >= 0)
        txtInput_Validate(i);

    if (CheckNeedInput(txtInput[0], QStringLiteral("상호명"), false))
        return;
    const QString name = txtInput[0]->text();
    if (AnsiByteLen(name) > 50) {
        MsgInfo(QStringLiteral("상호명이 너무깁니다. 최대길이는 50(한글25자)입니다."));
        txtInput[0]->setFocus();
        return;
    }

    // Same-name parties are counted before asking and again under the write lock of the save:
    // a party of that name another workstation saved meanwhile is asked about as well. The
    // question is never shown while the lock is held.
    const SameNameQuery sameName = sameNameQuery(name);
    RecordsetPtr rs;
    if (!DAO_OpenSnapshot(gDB, rs, sameName.sql, sameName.params))
        return;
    qint64 count = 0;
    try {
        if (!rs->eof())
            count = rs->toInt64(0);
    } catch (const dao::DaoError& e) {
        CloseRS(rs);
        ShowProcError(e.number(), e.description(), QStringLiteral("btnSave_Click"), QStringLiteral("Form"), kUnit);
        return;
    }
    CloseRS(rs);
    qint64 agreed = 0; // same-name parties the user has agreed to
    for (;;) {
        if (count > agreed) {
            if (MsgYesNo(QStringLiteral("이미 같은 이름이 등록 되어 있습니다.\r\n그래도, 저장하시겠습니까?"), QString(), false)
                != platform::AnswerYes)
                return;
            agreed = count;
        }
        const SaveResult saved = SaveClient(lEditMode == 1, agreed, count);
        if (saved == SaveFailed)
            return;
        if (saved == SaveDone)
            break;
    }
    lSavedCode = lRecordId;
    sSavedName = name;

    if (callForm) {
        if (!QMetaObject::invokeMethod(callForm, "SyncUpdateClient", Qt::DirectConnection, Q_ARG(qint64, lSavedCode),
                                       Q_ARG(int, iKind), Q_ARG(bool, lEditMode == 1)))
            qWarning() << "FrmClient_write: the calling window has no SyncUpdateClient";
    }

    ShowFloatMsg(QStringLiteral("자료가 저장되었습니다."), 500, 1);

    proposeRename();

    if (ChkContinueAdd->isChecked())
        ClearInputs();
    else
        accept();
}

// After an existing party got another name: its vouchers may take the new name too.
void FrmClient_write::proposeRename()
{
    const QString name = txtInput[0]->text();
    if (lEditMode != 2 || name == sLoadedName)
        return;
    if (MsgYesNo(QStringLiteral("전표에 이미 등록된 동일한 거래처의 이름도 변경 하시겠습니까?\r\n(동일 거래처코드만 변경)"),
                 QString(), false)
        != platform::AnswerYes)
        return;
    const QString sql = iKind != 0 ? QStringLiteral("UPDATE total SET maechul_name = ? WHERE maechul_code = ?")
                                   : QStringLiteral("UPDATE total SET maeip_name = ? WHERE maeip_code = ?");
    qint64 changed = 0;
    try {
        if (!gDB)
            throw dao::DaoError(91, QStringLiteral("Object variable or With block variable not set"));
        dao::Transaction tx(*gDB);
        changed = gDB->execute(sql, {name, lRecordId});
        tx.commit();
    } catch (const dao::DaoError& e) {
        ShowErrMsg(QStringLiteral("전표의 거래처 이름을 변경하는 중 오류가 발생했습니다."), e);
        return;
    }
    sLoadedName = name; // the vouchers carry it now
    MsgInfo(QStringLiteral("전표에서 ") + QString::number(changed) + QStringLiteral("건의 자료가 변경되었습니다."));
}

FrmClient_write::SameNameQuery FrmClient_write::sameNameQuery(const QString& name) const
{
    SameNameQuery q;
    q.sql = QStringLiteral("SELECT COUNT(*) FROM ") + dao::quoteIdent(sTable) + QStringLiteral(" WHERE name = ?");
    q.params << name;
    if (lEditMode == 2) {
        q.sql += QStringLiteral(" and id <> ?");
        q.params << lRecordId;
    }
    return q;
}

FrmClient_write::SaveResult FrmClient_write::SaveClient(bool bNew, qint64 agreedSameName, qint64& sameName)
{
    if (!gDB) {
        MsgWarn(QStringLiteral("CODE 생성 및 정의 오류입니다."));
        return SaveFailed;
    }
    enum { Written, NoCode, TooLarge, NameTaken } outcome = Written;
    try {
        // The name is counted, the number read and the row written under one write lock, so
        // two workstations never take the same id nor both miss each other's party.
        dao::Transaction tx(*gDB);
        const SameNameQuery q = sameNameQuery(txtInput[0]->text());
        const qint64 now = gDB->scalar(q.sql, q.params).toLongLong();
        if (now > agreedSameName) {
            sameName = now;
            outcome = NameTaken;
        } else {
            if (bNew) {
                // Never an id that vouchers still hold (a deleted party's) nor one given before.
                lRecordId = DAO_NextFreeNo(gDB.get(), sTable, QStringLiteral("id"), QStringLiteral("total"),
                                           sTable + QStringLiteral("_code"));
                if (lRecordId > std::numeric_limits<qint32>::max())
                    outcome = TooLarge;
            }
            if (lRecordId == -1)
                outcome = NoCode;
        }
        if (outcome == Written) {
            const QString table = dao::quoteIdent(sTable);
            QVariantList values;
            QStringList columns;
            for (const BoxColumn& c : kColumns) {
                columns << QString::fromLatin1(c.column);
                values << nonNull(txtInput[c.box]->text());
            }
            const QVariant exists =
                gDB->scalar(QStringLiteral("SELECT COUNT(*) FROM ") + table + QStringLiteral(" WHERE id = ?"), {lRecordId});
            if (exists.toLongLong() > 0) {
                gDB->execute(QStringLiteral("UPDATE ") + table + QStringLiteral(" SET ") + columns.join(QStringLiteral(" = ?, "))
                                 + QStringLiteral(" = ? WHERE id = ?"),
                             values + QVariantList{lRecordId});
            } else {
                // a new party, or one another workstation deleted meanwhile: it comes back
                // under its id (its vouchers still refer to it)
                QStringList marks;
                for (int i = 0; i <= kColumnCount; ++i)
                    marks << QStringLiteral("?");
                gDB->execute(QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (id, ") + columns.join(QStringLiteral(", "))
                                 + QStringLiteral(") VALUES (") + marks.join(QStringLiteral(", ")) + QStringLiteral(")"),
                             QVariantList{lRecordId} + values);
            }
            tx.commit();
        }
    } catch (const dao::DaoError& e) {
        if (bNew)
            lRecordId = -1;
        ShowErrMsg(QStringLiteral("자료를 저장하는 중 오류가 발생했습니다."), e);
        return SaveFailed;
    }
    switch (outcome) {
    case Written:
        return SaveDone;
    case NameTaken:
        return SaveAskAgain;
    case NoCode:
        MsgWarn(QStringLiteral("CODE 생성 및 정의 오류입니다."));
        return SaveFailed;
    case TooLarge:
        lRecordId = -1;
        MsgWarn(QStringLiteral("거래처 코드가 최대값(2,147,483,647)에 이르러 새 거래처를 등록할 수 없습니다."));
        return SaveFailed;
    }
    return SaveFailed;
}

void FrmClient_write::btnCancel_Click() { reject(); }

// ---------------------------------------------------------------------------------------
// Postal-code lookup

void FrmClient_write::btnPost_Click()
{
    FrmPost post(this);
    post.SetObject(txtInput[3], txtInput[4]);
    const QString addressBefore = txtInput[4]->text();
    const int result = post.InitForm(txtInput[3]->text().trimmed());
    if (result == 0) {
        MsgBoxPlain(QStringLiteral("해당하는 주소가 검색되지 않습니다."));
        txtInput[3]->clear();
        txtInput[3]->setFocus();
        return;
    }
    bool picked = result == 1;
    if (result == 2) {
        SetFormPosition(&post, pnlTitle[0], 0, 3, 0, 0);
        picked = platform::prompter().execModal(post) == QDialog::Accepted;
    }
    QLineEdit* address = txtInput[4];
    // The blank goes after a district the search has just written; a list left with Escape
    // leaves the address as the user had it.
    const bool written = picked || address->text() != addressBefore;
    if (written && !address->text().isEmpty()) {
        // The user goes on typing after the district: the caret goes to the end once the box
        // has the focus. After the postal list the window gets its focus back only when it is
        // active again, and the box's focus handler would then select the whole address.
        address->setText(address->text() + QLatin1Char(' '));
        bCaretToEnd = true;
    }
    address->setFocus();
    if (address->hasFocus())
        placeCaretAtEnd(address);
}

void FrmClient_write::placeCaretAtEnd(QLineEdit* box)
{
    bCaretToEnd = false;
    box->deselect();
    box->setCursorPosition(int(box->text().size()));
}

// ---------------------------------------------------------------------------------------
// Keys and focus

void FrmClient_write::txtInput_KeyDown(int index, int keyCode)
{
    if (index == 3 && keyCode == 13 && !txtInput[3]->text().isEmpty()) {
        btnPost_Click();
        return;
    }
    EnterToTab(keyCode);
}

bool FrmClient_write::txtInput_KeyPress(int index, int keyAscii)
{
    if (index == 1 && keyAscii == 13) {
        txtInput_Validate(1);
        txtInput[2]->setFocus();
        return true;
    }
    return false;
}

void FrmClient_write::txtInput_Validate(int index)
{
    if (index < 0 || index > 10 || !isTelBox(index))
        return;
    const QString formatted = FormatTelNo(txtInput[index]->text());
    if (formatted != txtInput[index]->text())
        txtInput[index]->setText(formatted);
}

int FrmClient_write::boxIndex(const QObject* o) const
{
    for (int i = 0; i < 11; ++i)
        if (o && txtInput[i] == o)
            return i;
    return -1;
}

bool FrmClient_write::eventFilter(QObject* watched, QEvent* event)
{
    const int index = boxIndex(watched);
    if (index >= 0) {
        switch (event->type()) {
        case QEvent::FocusIn:
            if (index == 4 && bCaretToEnd)
                placeCaretAtEnd(txtInput[index]);
            else
                SelectAllText(txtInput[index], static_cast<QFocusEvent*>(event)->reason());
            break;
        case QEvent::FocusOut:
            txtInput_Validate(index);
            break;
        case QEvent::KeyPress: {
            auto* e = static_cast<QKeyEvent*>(event);
            const int key = VbKeyCode(e);
            // Enter in the telephone box goes straight to the mobile box.
            if (key == 13 && txtInput_KeyPress(index, 13))
                return true;
            if (key == 13 || key == 38 || key == 40) {
                txtInput_KeyDown(index, key);
                return true; // Enter never reaches the buttons
            }
            break;
        }
        default:
            break;
        }
    }
    return QDialog::eventFilter(watched, event);
}
