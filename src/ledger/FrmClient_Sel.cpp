#include "ledger/FrmClient_Sel.h"

#include "frame/modFrmCtrl.h"
#include "frame/modGlobal.h"
#include "frame/modMain.h"
#include "frame/modMsgBox.h"
#include "frame/modSpread60.h"
#include "ledger/FrmClient_write.h"
#include "ledger/frmMain.h"
#include "platform/DaoError.h"
#include "platform/FormRegistry.h"
#include "platform/Prompter.h"
#include "platform/SpreadGrid.h"
#include "platform/SqlText.h"

#include <QApplication>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMetaObject>
#include <QPushButton>
#include <QVBoxLayout>
#include <cmath>

namespace {

const QString kUnit = QStringLiteral("FrmClient_Sel");
constexpr int kCols = 5; // name, tel, address, memo, id
constexpr int kColName = 1;
constexpr int kColId = 5;

struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

// Numeric value of a cell, rounded to a whole number (0 for an empty or non-numeric cell).
qint64 idOf(const QString& text)
{
    bool ok = false;
    const double v = text.trimmed().toDouble(&ok);
    return ok ? qint64(std::llround(v)) : 0;
}

void fillRow(platform::SpreadGrid* grid, int row, dao::Recordset& rs)
{
    for (int c = 0; c < kCols; ++c)
        grid->SetText(c + 1, row, rs.text(c));
}

} // namespace

FrmClient_Sel::FrmClient_Sel(QWidget* parent) : QDialog(parent)
{
    setObjectName(kUnit);
    setWindowTitle(QStringLiteral("검색"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    if (QWidget* main = platform::FormRegistry::instance().find(QStringLiteral("frmMain")))
        setWindowIcon(main->windowIcon());

    lblName = new QLabel(QStringLiteral("검색어:"), this);
    lblName->setObjectName(QStringLiteral("lblName"));
    txtName = new QLineEdit(this);
    txtName->setObjectName(QStringLiteral("txtName"));
    spList = new platform::SpreadGrid(this);
    spList->setObjectName(QStringLiteral("spList"));
    spList->SetName(QStringLiteral("spList"));
    auto button = [this](const QString& caption, const char* name) {
        auto* b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false); // Enter belongs to the search box and the list
        b->installEventFilter(this);
        return b;
    };
    cmdAdd = button(QStringLiteral("신규(F&2)"), "cmdAdd");
    cmdEdit = button(QStringLiteral("수정(F&3)"), "cmdEdit");
    cmdDel = button(QStringLiteral("삭제(F&4)"), "cmdDel");
    cmdSel = button(QStringLiteral("선택(&S)"), "cmdSel");
    cmdClose = button(QStringLiteral("닫기(&C)"), "cmdClose");

    auto* top = new QHBoxLayout();
    top->addWidget(lblName);
    top->addWidget(txtName, 1);
    auto* buttons = new QHBoxLayout();
    buttons->addWidget(cmdAdd);
    buttons->addWidget(cmdEdit);
    buttons->addWidget(cmdDel);
    buttons->addStretch(1);
    buttons->addWidget(cmdSel);
    buttons->addWidget(cmdClose);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addWidget(spList, 1);
    layout->addLayout(buttons);
    resize(700, 420);

    txtName->installEventFilter(this);
    spList->installEventFilter(this);
    spList->viewport()->installEventFilter(this);

    connect(cmdAdd, &QPushButton::clicked, this, &FrmClient_Sel::cmdAdd_Click);
    connect(cmdEdit, &QPushButton::clicked, this, &FrmClient_Sel::cmdEdit_Click);
    connect(cmdDel, &QPushButton::clicked, this, &FrmClient_Sel::cmdDel_Click);
    connect(cmdSel, &QPushButton::clicked, this, &FrmClient_Sel::cmdSel_Click);
    connect(cmdClose, &QPushButton::clicked, this, &FrmClient_Sel::cmdClose_Click);
    connect(spList, &platform::SpreadGrid::DblClick, this, &FrmClient_Sel::spList_DblClick);
    connect(spList, &platform::SpreadGrid::KeyPress, this, &FrmClient_Sel::spList_KeyPress);

    platform::FormRegistry::instance().registerForm(this, kUnit);

    // Form_Load
    iKind = -1;
    designList();
    sResult.clear();
}

FrmClient_Sel::~FrmClient_Sel() { platform::FormRegistry::instance().unregisterForm(this); }

void FrmClient_Sel::designList()
{
    CommonSpreadDesign(spList, true, true, true, true, true);
    spList->SetMaxCols(kCols);
    static const char* const headers[kCols] = {"상호명", "전화", "주소", "메모", "코드"};
    static const double widths[kCols] = {16, 12, 24, 12, 6};
    for (int c = 0; c < kCols; ++c) {
        spList->SetText(c + 1, 0, QString::fromUtf8(headers[c]));
        spList->SetColWidth(c + 1, widths[c]);
    }
}

// ---------------------------------------------------------------------------------------
// Interface

void FrmClient_Sel::mode(int iMode)
{
    iKind = iMode;
    if (iMode == 0) {
        sTable = QStringLiteral("maeip");
        setWindowTitle(QStringLiteral("매입처 검색"));
    } else if (iMode == 1) {
        sTable = QStringLiteral("maechul");
        setWindowTitle(QStringLiteral("매출처 검색"));
    }
}

void FrmClient_Sel::Refresh_Sheet()
{
    WaitCursor wait;
    spList->SetMaxRows(0);
    QString sql = QStringLiteral("SELECT name, tel, address, memo, id FROM ") + dao::quoteIdent(sTable);
    QVariantList params;
    const QString word = txtName->text();
    if (!word.isEmpty()) {
        // the text is matched literally, as any part of the name
        sql += QStringLiteral(" WHERE name LIKE ?") + QLatin1String(dao::kLikeEscape);
        params << dao::likeContains(word);
    }
    sql += QStringLiteral(" ORDER BY name");
    RecordsetPtr rs;
    if (!DAO_OpenSnapshot(gDB, rs, sql, params))
        return;
    try {
        const qint64 n = rs->recordCount();
        spList->SetReDraw(false);
        spList->SetMaxRows(int(n));
        int row = 0;
        for (rs->moveFirst(); !rs->eof() && row < n; rs->moveNext())
            fillRow(spList, ++row, *rs);
        spList->SetReDraw(true);
    } catch (const dao::DaoError& e) {
        spList->SetReDraw(true);
        ShowProcError(e.number(), e.description(), QStringLiteral("Refresh_Sheet"), QStringLiteral("Form"), kUnit);
    }
    CloseRS(rs);
}

qint64 FrmClient_Sel::FindRecords(const QString& sFWord)
{
    txtName->setText(sFWord);
    Refresh_Sheet();
    const int n = spList->MaxRows();
    if (n == 1)
        sResult = spList->GetText(kColId, 1) + QChar(0) + spList->GetText(kColName, 1);
    return n;
}

void FrmClient_Sel::SyncUpdateClient(qint64 ncode, int nBusiMode, bool bAdd)
{
    Q_UNUSED(nBusiMode); // the list shows its own kind
    RecordsetPtr rs;
    if (!DAO_OpenSnapshot(gDB, rs,
                          QStringLiteral("select name, tel, address, memo, id from ") + dao::quoteIdent(sTable)
                              + QStringLiteral(" where id = ?"),
                          {ncode}))
        return;
    try {
        if (rs->eof()) {
            CloseRS(rs);
            return;
        }
        int row = spList->ActiveRow();
        if (bAdd) {
            spList->SetMaxRows(spList->MaxRows() + 1);
            row = spList->MaxRows();
        }
        if (row < 1) { // no row to rewrite: never the header row
            CloseRS(rs);
            return;
        }
        fillRow(spList, row, *rs);
        spList->SetActiveCell(qMax(1, spList->ActiveCol()), row);
    } catch (const dao::DaoError& e) {
        ShowProcError(e.number(), e.description(), QStringLiteral("SyncUpdateClient"), QStringLiteral("Form"), kUnit);
    }
    CloseRS(rs);
}

// ---------------------------------------------------------------------------------------
// Picking, adding, editing, deleting

void FrmClient_Sel::cmdSel_Click()
{
    const int row = spList->ActiveRow();
    if (row < 1 || row > spList->MaxRows()) {
        MsgInfo(QStringLiteral("리스트에서 자료를 선택하세요."));
        return;
    }
    sResult = spList->GetText(kColId, row) + QChar(0) + spList->GetText(kColName, row);
    accept();
}

void FrmClient_Sel::cmdClose_Click() { reject(); }

void FrmClient_Sel::openEditor(long editMode, qint64 id)
{
    FrmClient_write editor(this);
    editor.AddEditMode(editMode);
    editor.busiMode(iKind);
    if (editMode == 2)
        editor.CCode(id);
    editor.CallForm(this);
    SetFormPosition(&editor, txtName, 0, 3, 0, 0);
    platform::prompter().execModal(editor);
    spList->setFocus();
}

void FrmClient_Sel::cmdAdd_Click() { openEditor(1, 0); }

void FrmClient_Sel::cmdEdit_Click()
{
    const int row = spList->ActiveRow();
    const qint64 id = row >= 1 && row <= spList->MaxRows() ? idOf(spList->GetText(kColId, row)) : 0;
    if (id == 0) {
        MsgInfo(QStringLiteral("수정할 자료를 먼저 선택하세요."));
        return;
    }
    openEditor(2, id);
}

void FrmClient_Sel::cmdDel_Click()
{
    int row = spList->ActiveRow();
    const qint64 id = row >= 1 && row <= spList->MaxRows() ? idOf(spList->GetText(kColId, row)) : 0;
    if (id == 0) {
        MsgInfo(QStringLiteral("삭제할 자료를 먼저 선택하세요."));
        return;
    }
    const QString name = spList->GetText(kColName, row);
    if (MsgYesNo(name + QStringLiteral("을(를) 정말 삭제하시겠습니까?"), QString(), false) != platform::AnswerYes)
        return;
    qint64 affected = 0;
    try {
        if (!gDB)
            throw dao::DaoError(dao::errObjectNotSet, QStringLiteral("Object variable or With block variable not set"));
        affected = gDB->execute(QStringLiteral("DELETE FROM ") + dao::quoteIdent(sTable) + QStringLiteral(" WHERE id = ?"), {id});
    } catch (const dao::DaoError& e) {
        ShowErrMsg(QStringLiteral("삭제중 오류가 발생하였습니다."), e);
        return;
    }
    if (affected == 0) {
        MsgInfo(QStringLiteral("삭제중 오류가 발생하였습니다."));
        return;
    }
    SpreadDeleteRow(spList, row, true, true);
    clearMainWindowBox(id);
    spList->setFocus();
}

// A party box of the main window that still shows the deleted party is cleared (the main
// window looks the party up again and finds nothing).
void FrmClient_Sel::clearMainWindowBox(qint64 id)
{
    auto* main = qobject_cast<frmMain*>(platform::FormRegistry::instance().find(QStringLiteral("frmMain")));
    if (!main || iKind < 0)
        return;
    QLineEdit* shown = main->txtCurClient[iKind != 0 ? 1 : 0];
    if (!shown || shown->text().trimmed().toLongLong() != id)
        return;
    QMetaObject::invokeMethod(main, "SyncUpdateClient", Qt::DirectConnection, Q_ARG(qint64, id), Q_ARG(int, iKind),
                              Q_ARG(bool, false));
}

// ---------------------------------------------------------------------------------------
// Keys

void FrmClient_Sel::Form_KeyDown(int keyCode)
{
    switch (keyCode) {
    case 113: cmdAdd_Click(); break;
    case 114: cmdEdit_Click(); break;
    case 115: cmdDel_Click(); break;
    case 116: Refresh_Sheet(); break;
    case 27: cmdClose_Click(); break;
    default: break;
    }
}

void FrmClient_Sel::txtName_KeyPress(int& keyAscii)
{
    if (keyAscii == 13) {
        keyAscii = 0;
        Refresh_Sheet();
    }
}

void FrmClient_Sel::spList_DblClick(int col, int row)
{
    Q_UNUSED(col);
    if (row > 0)
        cmdSel_Click();
}

void FrmClient_Sel::spList_KeyPress(int& keyAscii)
{
    if (keyAscii == 13 && spList->ActiveRow() > 0) {
        keyAscii = 0;
        cmdSel_Click();
    }
}

bool FrmClient_Sel::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        // the window sees the function keys and Escape before its controls
        const int key = VbKeyCode(static_cast<QKeyEvent*>(event));
        if ((key >= 113 && key <= 116) || key == 27) {
            Form_KeyDown(key);
            return true;
        }
        if (watched == txtName && key == 13) {
            int ascii = 13;
            txtName_KeyPress(ascii);
            return true;
        }
    } else if (event->type() == QEvent::FocusIn && watched == txtName) {
        SelectAllText(txtName);
    }
    return QDialog::eventFilter(watched, event);
}
