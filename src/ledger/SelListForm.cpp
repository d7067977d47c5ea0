#include "ledger/SelListForm.h"

#include "frame/modFrmCtrl.h"
#include "frame/modGlobal.h"
#include "frame/modMain.h"
#include "frame/modMsgBox.h"
#include "frame/modSpread60.h"
#include "platform/DaoError.h"
#include "platform/FormRegistry.h"
#include "platform/Prompter.h"
#include "platform/SpreadGrid.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
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
    b->setAutoDefault(false); // Enter belongs to the search box and the list
    b->setDefault(false);
    return b;
}

bool isListKey(const QKeyEvent* k, int code)
{
    return code >= 113 && code <= 116 && k->modifiers() == Qt::NoModifier;
}

} // namespace

SelListForm::SelListForm(const QString& formName, const QString& caption, QWidget* parent)
    : QDialog(parent), m_formName(formName)
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
    spList->SetMaxRows(0);

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

SelListForm::~SelListForm() { platform::FormRegistry::instance().unregisterForm(this); }

void SelListForm::watchKeys(QWidget* w) { w->installEventFilter(this); }

void SelListForm::Form_Load()
{
    if (QWidget* main = platform::FormRegistry::instance().find(QStringLiteral("frmMain")))
        setWindowIcon(main->windowIcon());
    CommonSpreadDesign(spList, true, true, true, true, true);
    sResult.clear();
}

void SelListForm::Refresh_Sheet()
{
    WaitCursor wait;
    spList->SetMaxRows(0);
    QVariantList params;
    const QString sql = SearchSql(params);
    RecordsetPtr rs;
    if (!DAO_OpenSnapshot(gDB, rs, sql, params))
        return;
    try {
        const int cols = qMin(spList->MaxCols(), rs->fieldCount());
        spList->SetReDraw(false);
        spList->SetMaxRows(int(rs->recordCount()));
        int row = 0;
        for (; !rs->eof(); rs->moveNext()) {
            ++row;
            for (int c = 0; c < cols; ++c)
                spList->SetText(c + 1, row, rs->text(c));
        }
        spList->SetMaxRows(row);
    } catch (const dao::DaoError& e) {
        spList->SetMaxRows(0);
        ShowRecordsetError(e.number(), e.description(), sql);
    }
    spList->SetReDraw(true);
    CloseRS(rs);
}

qint64 SelListForm::FindRecords(const QString& sFWord)
{
    txtName->setText(sFWord);
    Refresh_Sheet();
    const qint64 n = spList->MaxRows();
    if (n == 1)
        sResult = RowResult(1);
    return n;
}

int SelListForm::selectedRow() const
{
    const int row = spList->ActiveRow();
    return row >= 1 && row <= spList->MaxRows() ? row : 0;
}

void SelListForm::cmdSel_Click()
{
    const int row = selectedRow();
    if (row < 1) {
        MsgInfo(QStringLiteral("리스트에서 자료를 선택하세요."));
        return;
    }
    sResult = RowResult(row);
    accept();
}

void SelListForm::cmdClose_Click() { QDialog::reject(); }

void SelListForm::reject() { cmdClose_Click(); }

bool SelListForm::confirmDelete(const QString& name)
{
    return MsgYesNo(name + QStringLiteral("을(를) 정말 삭제하시겠습니까?"), QString(), false) == platform::AnswerYes;
}

bool SelListForm::removeDeletedRow(int row, qint64 affected)
{
    if (affected == 0) {
        MsgInfo(QStringLiteral("삭제중 오류가 발생하였습니다."));
        return false;
    }
    SpreadDeleteRow(spList, row, true, true);
    spList->SetFocus();
    return true;
}

void SelListForm::Form_KeyDown(int keyCode)
{
    switch (keyCode) {
    case 113: cmdAdd_Click(); break;
    case 114: cmdEdit_Click(); break;
    case 115: cmdDel_Click(); break;
    case 116: Refresh_Sheet(); break;
    default: break;
    }
}

void SelListForm::txtName_KeyPress(int& keyAscii)
{
    if (keyAscii == 13) {
        keyAscii = 0;
        Refresh_Sheet();
    }
}

void SelListForm::spList_DblClick(int col, int row)
{
    Q_UNUSED(col);
    if (row > 0 && row <= spList->MaxRows()) {
        spList->SetActiveCell(qMax(1, spList->ActiveCol()), row);
        cmdSel_Click();
    }
}

void SelListForm::spList_KeyPress(int& keyAscii)
{
    if (keyAscii == 13 && spList->ActiveRow() > 0) {
        keyAscii = 0;
        cmdSel_Click();
    }
}

bool SelListForm::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        const int code = VbKeyCode(k);
        if (isListKey(k, code)) {
            Form_KeyDown(code); // the window sees these keys first
            return true;
        }
        if (watched == txtName && code == 13) {
            int ascii = 13;
            txtName_KeyPress(ascii);
            return true;
        }
    } else if (e->type() == QEvent::FocusIn && watched == txtName) {
        SelectAllText(txtName, static_cast<QFocusEvent*>(e)->reason());
    }
    return QDialog::eventFilter(watched, e);
}

void SelListForm::keyPressEvent(QKeyEvent* e)
{
    const int code = VbKeyCode(e);
    if (isListKey(e, code)) {
        Form_KeyDown(code);
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}
