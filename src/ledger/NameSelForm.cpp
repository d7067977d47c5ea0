#include "ledger/NameSelForm.h"

#include "frame/modFrmCtrl.h"
#include "frame/modGlobal.h"
#include "frame/modMain.h"
#include "frame/modMsgBox.h"
#include "frame/modSpread60.h"
#include "platform/DaoError.h"
#include "platform/FormRegistry.h"
#include "platform/Prompter.h"
#include "platform/SpreadGrid.h"
#include "platform/SqlText.h"

#include <QApplication>
#include <QFocusEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {

struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

QPushButton* makeButton(const QString& name, const QString& caption, QWidget* parent)
{
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    b->setDefault(false);
    return b;
}

} // namespace

NameSelForm::NameSelForm(NameList list, const QString& formName, const QString& caption, QWidget* parent)
    : QDialog(parent), m_list(list), m_formName(formName)
{
    setObjectName(formName);
    setWindowTitle(caption);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    lblName = new QLabel(QStringLiteral("검색어:"), this);
    lblName->setObjectName(QStringLiteral("lblName"));
    txtName = new QLineEdit(this);
    txtName->setObjectName(QStringLiteral("txtName"));
    lblName->setBuddy(txtName);

    spList = new platform::SpreadGrid(this);
    spList->setObjectName(QStringLiteral("spList"));
    spList->SetName(QStringLiteral("spList"));
    spList->SetMaxCols(1);
    spList->SetMaxRows(0);
    spList->SetText(1, 0, QStringLiteral("이름"));
    spList->SetColWidth(1, 30);

    cmdAdd = makeButton(QStringLiteral("cmdAdd"), QStringLiteral("신규(F&2)"), this);
    cmdEdit = makeButton(QStringLiteral("cmdEdit"), QStringLiteral("수정(F&3)"), this);
    cmdDel = makeButton(QStringLiteral("cmdDel"), QStringLiteral("삭제(F&4)"), this);
    cmdSel = makeButton(QStringLiteral("cmdSel"), QStringLiteral("선택(&S)"), this);
    cmdClose = makeButton(QStringLiteral("cmdClose"), QStringLiteral("닫기(&C)"), this);

    searchRow = new QHBoxLayout;
    searchRow->addWidget(lblName);
    searchRow->addWidget(txtName, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cmdAdd);
    buttons->addWidget(cmdEdit);
    buttons->addWidget(cmdDel);
    buttons->addStretch(1);
    buttons->addWidget(cmdSel);
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(searchRow);
    layout->addWidget(spList, 1);
    layout->addLayout(buttons);
    resize(340, 420);

    connect(cmdAdd, &QPushButton::clicked, this, [this] { cmdAdd_Click(); });
    connect(cmdEdit, &QPushButton::clicked, this, [this] { cmdEdit_Click(); });
    connect(cmdDel, &QPushButton::clicked, this, [this] { cmdDel_Click(); });
    connect(cmdSel, &QPushButton::clicked, this, [this] { cmdSel_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { cmdClose_Click(); });
    connect(spList, &platform::SpreadGrid::DblClick, this, [this](int col, int row) { spList_DblClick(col, row); });
    connect(spList, &platform::SpreadGrid::KeyPress, this, [this](int& key) { spList_KeyPress(key); });

    for (QWidget* w : {static_cast<QWidget*>(txtName), static_cast<QWidget*>(spList), static_cast<QWidget*>(cmdAdd),
                       static_cast<QWidget*>(cmdEdit), static_cast<QWidget*>(cmdDel), static_cast<QWidget*>(cmdSel),
                       static_cast<QWidget*>(cmdClose)})
        watchKeys(w);

    platform::FormRegistry::instance().registerForm(this, formName);
}

NameSelForm::~NameSelForm() { platform::FormRegistry::instance().unregisterForm(this); }

void NameSelForm::watchKeys(QWidget* w) { w->installEventFilter(this); }

void NameSelForm::Form_Load()
{
    if (QWidget* main = platform::FormRegistry::instance().find(QStringLiteral("frmMain")))
        setWindowIcon(main->windowIcon());
    CommonSpreadDesign(spList, true, true, true, true, true);
    sResult.clear();
}

QString NameSelForm::SearchSql(QVariantList& params) const
{
    params.clear();
    QString sql = QStringLiteral("SELECT name FROM ") + NameListTable(m_list);
    const QString text = txtName->text();
    if (!text.isEmpty()) {
        sql += QStringLiteral(" WHERE name LIKE ?") + QString::fromLatin1(dao::kLikeEscape);
        params << dao::likeContains(text);
    }
    return sql + QStringLiteral(" ORDER BY name COLLATE NOCASE");
}

void NameSelForm::Refresh_Sheet()
{
    WaitCursor wait;
    spList->SetMaxRows(0);
    QVariantList params;
    const QString sql = SearchSql(params);
    RecordsetPtr rs;
    if (!DAO_OpenSnapshot(gDB, rs, sql, params))
        return;
    try {
        spList->SetReDraw(false);
        spList->SetMaxRows(int(rs->recordCount()));
        int row = 0;
        if (!rs->eof())
            rs->moveFirst();
        while (!rs->eof()) {
            spList->SetText(1, ++row, rs->text(0));
            rs->moveNext();
        }
        spList->SetMaxRows(row);
    } catch (const dao::DaoError& e) {
        spList->SetMaxRows(0);
        ShowRecordsetError(e.number(), e.description(), sql);
    }
    spList->SetReDraw(true);
    CloseRS(rs);
}

long NameSelForm::FindRecords(const QString& sFWord)
{
    txtName->setText(sFWord);
    Refresh_Sheet();
    const long n = spList->MaxRows();
    if (n == 1)
        sResult = spList->GetText(1, 1);
    return n;
}

int NameSelForm::selectedRow() const
{
    const int row = spList->ActiveRow();
    return row >= 1 && row <= spList->MaxRows() ? row : 0;
}

void NameSelForm::cmdSel_Click()
{
    const int row = selectedRow();
    if (row < 1) {
        MsgInfo(QStringLiteral("리스트에서 자료를 선택하세요."));
        return;
    }
    sResult = spList->GetText(1, row);
    accept();
}

void NameSelForm::cmdClose_Click() { QDialog::reject(); }

void NameSelForm::reject() { cmdClose_Click(); }

void NameSelForm::cmdAdd_Click()
{
    QString answer;
    const QString prompt = QStringLiteral("신규등록 할 ")
                           + (m_list == NameList::Group ? QStringLiteral("그룹명") : QStringLiteral("상품명"))
                           + QStringLiteral("을 입력하세요.");
    if (!platform::prompter().inputBox(prompt, gsTitle, answer))
        return;
    const bool added = !answer.isEmpty()
                       && (m_list == NameList::Group ? AddGroup(answer) : AddProduct(answer));
    if (!added)
        return;
    const int row = spList->MaxRows() + 1;
    spList->SetMaxRows(row);
    spList->SetText(1, row, answer);
    spList->SetFocus();
}

void NameSelForm::cmdEdit_Click()
{
    const int row = selectedRow();
    if (row < 1) {
        MsgInfo(QStringLiteral("수정할 자료를 먼저 선택하세요."));
        return;
    }
    const QString sOld = spList->GetText(1, row);
    QString sNew = sOld;
    if (!platform::prompter().inputBox(QStringLiteral("수정할 이름을 입력하세요."), gsTitle, sNew))
        return;
    if (sNew == sOld || sNew.isEmpty())
        return;
    if (!CheckNameLength(m_list, sNew))
        return;

    const QString table = NameListTable(m_list);
    RecordsetPtr rs;
    if (!DAO_OpenSnapshot(gDB, rs,
                          QStringLiteral("SELECT COUNT(*) FROM ") + table
                              + QStringLiteral(" WHERE name = ? COLLATE NOCASE AND name <> ? COLLATE BINARY"),
                          {sNew, sOld}))
        return;
    const qint64 existing = rs->eof() ? 0 : rs->toInt64(0);
    CloseRS(rs);
    if (existing >= 1) {
        MsgInfo(QStringLiteral("이미 같은 이름이 등록 되어 있습니다."));
        return;
    }

    // Asked before anything is written, so that the list and the vouchers change together
    // in one transaction (and no lock is held while the question is open).
    const bool bVouchers = MsgYesNo(QStringLiteral("전표에 이미 등록된 동일한 이름도 변경 하시겠습니까?"), QString(), false)
                           == platform::AnswerYes;
    qint64 lVouchers = 0;
    RenameOutcome outcome;
    try {
        if (!gDB)
            throw dao::DaoError(dao::errObjectNotSet, QStringLiteral("Object variable or With block variable not set"));
        outcome = RenameName(*gDB, m_list, sOld, sNew, bVouchers, lVouchers);
    } catch (const dao::DaoError& e) {
        ShowProcError(e.number(), e.description(), QStringLiteral("cmdEdit_Click"), QStringLiteral("Form"), m_formName);
        return;
    }
    if (outcome == RenameOutcome::Exists) {
        MsgInfo(QStringLiteral("이미 같은 이름이 등록 되어 있습니다."));
        return;
    }
    if (outcome == RenameOutcome::NotFound) {
        MsgInfo(QStringLiteral("수정중 오류가 발생하였습니다."));
        return;
    }
    spList->SetText(1, row, sNew);
    if (bVouchers)
        MsgInfo(QStringLiteral("전표에서 ") + QString::number(lVouchers) + QStringLiteral("건의 자료가 변경되었습니다."));
    spList->SetFocus();
}

void NameSelForm::cmdDel_Click()
{
    int row = selectedRow();
    if (row < 1) {
        MsgInfo(QStringLiteral("삭제할 자료를 먼저 선택하세요."));
        return;
    }
    const QString name = spList->GetText(1, row);
    if (MsgYesNo(name + QStringLiteral("을(를) 정말 삭제하시겠습니까?"), QString(), false) != platform::AnswerYes)
        return;
    qint64 deleted = 0;
    try {
        if (!gDB)
            throw dao::DaoError(dao::errObjectNotSet, QStringLiteral("Object variable or With block variable not set"));
        deleted = DeleteName(*gDB, m_list, name);
    } catch (const dao::DaoError& e) {
        ShowProcError(e.number(), e.description(), QStringLiteral("cmdDel_Click"), QStringLiteral("Form"), m_formName);
        return;
    }
    if (deleted == 0) {
        MsgInfo(QStringLiteral("삭제중 오류가 발생하였습니다."));
        return;
    }
    SpreadDeleteRow(spList, row, true, true);
    spList->SetFocus();
}

void NameSelForm::Form_KeyDown(int keyCode)
{
    switch (keyCode) {
    case 113: cmdAdd_Click(); break;
    case 114: cmdEdit_Click(); break;
    case 115: cmdDel_Click(); break;
    case 116: Refresh_Sheet(); break;
    default: break;
    }
}

void NameSelForm::txtName_KeyPress(int& keyAscii)
{
    if (keyAscii == 13) {
        keyAscii = 0;
        Refresh_Sheet();
    }
}

void NameSelForm::spList_DblClick(int col, int row)
{
    Q_UNUSED(col);
    if (row > 0 && row <= spList->MaxRows()) {
        spList->SetActiveCell(1, row);
        cmdSel_Click();
    }
}

void NameSelForm::spList_KeyPress(int& keyAscii)
{
    if (keyAscii == 13 && spList->ActiveRow() > 0) {
        keyAscii = 0;
        cmdSel_Click();
    }
}

bool NameSelForm::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        const int code = VbKeyCode(k);
        if (code >= 113 && code <= 116 && k->modifiers() == Qt::NoModifier) {
            Form_KeyDown(code); // the window sees these keys first
            return true;
        }
        if (watched == txtName && code == 13) {
            int ascii = 13;
            txtName_KeyPress(ascii);
            return true;
        }
    } else if (e->type() == QEvent::Resize && watched == spList) {
        fitNameColumn();
    } else if (e->type() == QEvent::FocusIn && watched == txtName) {
        SelectAllText(txtName);
    }
    return QDialog::eventFilter(watched, e);
}

void NameSelForm::fitNameColumn()
{
    // the one column of names fills the list's width
    spList->SetUnitType(2);
    // (the grid's own width: its viewport follows only after this resize has been handled)
    const int px = spList->width() - 2 * spList->frameWidth() - spList->verticalScrollBar()->sizeHint().width();
    const double inner = px * TwipsPerPixelX() - spList->ColWidth(0) - 30;
    spList->SetColWidth(1, qMax(1200.0, inner));
    spList->SetUnitType(0);
}

void NameSelForm::keyPressEvent(QKeyEvent* e)
{
    const int code = VbKeyCode(e);
    if (code >= 113 && code <= 116 && e->modifiers() == Qt::NoModifier) {
        Form_KeyDown(code);
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}
