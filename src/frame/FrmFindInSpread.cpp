#include "frame/FrmFindInSpread.h"

#include "frame/modFrmCtrl.h"
#include "frame/modMsgBox.h"
#include "platform/FormRegistry.h"
#include "platform/SpreadGrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

using platform::SpreadGrid;

namespace {

// What the window keeps between showings while the program runs.
struct FindChoices {
    QString word;
    int direction = 0;
    bool sameAll = false;
};

FindChoices& kept()
{
    static FindChoices choices;
    return choices;
}

} // namespace

FrmFindInSpread::FrmFindInSpread(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmFindInSpread"));
    setWindowTitle(QStringLiteral("찾기"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    lblFindWd = new QLabel(QStringLiteral("찾을 내용(&F):"), this);
    lblFindWd->setObjectName(QStringLiteral("lblFindWd"));
    txtFindWd = new QLineEdit(this);
    txtFindWd->setObjectName(QStringLiteral("txtFindWd"));
    lblFindWd->setBuddy(txtFindWd);
    lblFindDir = new QLabel(QStringLiteral("검색 방향(&D):"), this);
    lblFindDir->setObjectName(QStringLiteral("lblFindDir"));
    cboFindDir = new QComboBox(this);
    cboFindDir->setObjectName(QStringLiteral("cboFindDir"));
    cboFindDir->addItem(QStringLiteral("행(가로방향)"));
    cboFindDir->addItem(QStringLiteral("열(세로방향)"));
    lblFindDir->setBuddy(cboFindDir);
    chkSameAll = new QCheckBox(QStringLiteral("완전일치(&A)"), this);
    chkSameAll->setObjectName(QStringLiteral("chkSameAll"));
    cmdFind = new QPushButton(QStringLiteral("다음 찾기(&N)"), this);
    cmdFind->setObjectName(QStringLiteral("cmdFind"));
    cmdFind->setDefault(true);
    cmdClose = new QPushButton(QStringLiteral("닫기(&C)"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    cmdClose->setAutoDefault(false);

    auto* fields = new QGridLayout;
    fields->addWidget(lblFindWd, 0, 0);
    fields->addWidget(txtFindWd, 0, 1);
    fields->addWidget(lblFindDir, 1, 0);
    fields->addWidget(cboFindDir, 1, 1);
    fields->addWidget(chkSameAll, 2, 1);
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(cmdFind);
    buttons->addWidget(cmdClose);
    buttons->addStretch(1);
    auto* layout = new QHBoxLayout(this);
    layout->addLayout(fields, 1);
    layout->addLayout(buttons);
    resize(380, 120);

    // Form_Load: direction by rows, then what the last showing left.
    cboFindDir->setCurrentIndex(0);
    txtFindWd->setText(kept().word);
    cboFindDir->setCurrentIndex(kept().direction == 1 ? 1 : 0);
    chkSameAll->setChecked(kept().sameAll);

    txtFindWd->installEventFilter(this);
    connect(cmdFind, &QPushButton::clicked, this, [this] { cmdFind_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, &QDialog::reject);

    platform::FormRegistry::instance().registerForm(this, QStringLiteral("FrmFindInSpread"));
}

FrmFindInSpread::~FrmFindInSpread()
{
    keepChoices();
    platform::FormRegistry::instance().unregisterForm(this);
}

void FrmFindInSpread::keepChoices()
{
    kept().word = txtFindWd->text();
    kept().direction = cboFindDir->currentIndex();
    kept().sameAll = chkSameAll->isChecked();
}

void FrmFindInSpread::SetFormInit(SpreadGrid* sp, int MinCol, int MaxCol)
{
    m_spr = sp;
    m_lMinCol = MinCol == -1 ? 0 : MinCol - 1;
    m_lMaxCol = MaxCol == -1 ? (sp ? sp->MaxCols() : 0) : MaxCol;
}

bool FrmFindInSpread::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == txtFindWd && event->type() == QEvent::FocusIn)
        SelectAllText(txtFindWd, static_cast<QFocusEvent*>(event)->reason());
    return QDialog::eventFilter(watched, event);
}

bool FrmFindInSpread::findByColumns(int c0, int r0, const QString& word, int flags, int& hitCol,
                                    int& hitRow) const
{
    // The rest of the active column below the active cell.
    int r = visibleHitInColumn(c0, r0, word, flags);
    if (r != -1) {
        hitCol = c0;
        hitRow = r;
        return true;
    }
    // The columns after it, then from the first column of the range back to the active one.
    auto searchColumn = [&](int c) {
        if (m_spr->ColHidden(c))
            return false;
        const int row = visibleHitInColumn(c, 0, word, flags);
        if (row == -1)
            return false;
        hitCol = c;
        hitRow = row;
        return true;
    };
    for (int c = c0 + 1; c <= m_lMaxCol; ++c)
        if (searchColumn(c))
            return true;
    for (int c = m_lMinCol + 1; c <= c0; ++c)
        if (searchColumn(c))
            return true;
    return false;
}

// The first hit in a visible column of row r after colStart, or -1 (none in a hidden row).
int FrmFindInSpread::visibleHitInRow(int r, int colStart, const QString& word, int flags) const
{
    if (m_spr->RowHidden(r))
        return -1;
    int c = m_spr->SearchRow(r, colStart, m_lMaxCol, word, flags);
    while (c != -1 && m_spr->ColHidden(c))
        c = m_spr->SearchRow(r, c, m_lMaxCol, word, flags);
    return c;
}

// The first hit in a visible row of column c after rowStart, or -1.
int FrmFindInSpread::visibleHitInColumn(int c, int rowStart, const QString& word, int flags) const
{
    const int maxRows = m_spr->MaxRows();
    int r = m_spr->SearchCol(c, rowStart, maxRows, word, flags);
    while (r != -1 && m_spr->RowHidden(r))
        r = m_spr->SearchCol(c, r, maxRows, word, flags);
    return r;
}

bool FrmFindInSpread::findByRows(int c0, int r0, const QString& word, int flags, int& hitCol, int& hitRow) const
{
    // The rest of the active row right of the active cell.
    int c = visibleHitInRow(r0, c0, word, flags);
    if (c != -1) {
        hitCol = c;
        hitRow = r0;
        return true;
    }
    const int maxRows = m_spr->MaxRows();
    auto searchRow = [&](int r) {
        const int col = visibleHitInRow(r, m_lMinCol, word, flags);
        if (col == -1)
            return false;
        hitCol = col;
        hitRow = r;
        return true;
    };
    for (int r = r0 + 1; r <= maxRows; ++r)
        if (searchRow(r))
            return true;
    for (int r = 1; r <= r0; ++r)
        if (searchRow(r))
            return true;
    return false;
}

bool FrmFindInSpread::cmdFind_Click()
{
    if (!m_spr)
        return false;
    const int r0 = m_spr->ActiveRow();
    const int c0 = m_spr->ActiveCol();
    const int flags = chkSameAll->isChecked() ? SpreadGrid::SearchFlagsNone : SpreadGrid::SearchFlagsPartialMatch;
    const QString word = txtFindWd->text();

    int hitCol = -1;
    int hitRow = -1;
    const bool found = cboFindDir->currentIndex() == 1 ? findByColumns(c0, r0, word, flags, hitCol, hitRow)
                                                       : findByRows(c0, r0, word, flags, hitCol, hitRow);
    if (found && !(hitCol == c0 && hitRow == r0)) {
        m_spr->SetActiveCell(hitCol, hitRow);
        m_spr->SetTopRow(hitRow);
        return true;
    }
    MsgInfo(QStringLiteral("일치하는 데이터가 없습니다."), QStringLiteral("검색실패"));
    return false;
}

void FrmFindInSpread::done(int r)
{
    keepChoices();
    m_spr.clear();
    QDialog::done(r);
}
