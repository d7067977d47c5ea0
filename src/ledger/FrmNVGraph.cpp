#include "ledger/FrmNVGraph.h"

#include "frame/modCommon.h"
#include "frame/modFrmCtrl.h"
#include "frame/modMain.h"
#include "frame/modMsgBox.h"
#include "platform/FormRegistry.h"
#include "platform/FlowLayout.h"
#include "platform/NVGraph.h"
#include "platform/SettingsStore.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QVBoxLayout>

#include <cmath>

namespace {

struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

// The number a text begins with, as the runtime's Val reads it ("12abc" 12, "abc" 0).
double leadingNumber(const QString& text)
{
    static const QRegularExpression re(QStringLiteral("^\\s*([-+]?(\\d+\\.?\\d*|\\.\\d+)([eE][-+]?\\d+)?)"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch())
        return 0;
    const double d = m.captured(1).toDouble();
    return std::isfinite(d) ? d : 0;
}

// A whole number (rounded half away from zero) kept within the 32-bit range.
qint64 wholeNumber(const QString& text)
{
    const double d = std::round(leadingNumber(text));
    return qint64(std::clamp(d, -2147483648.0, 2147483647.0));
}

const char* const kFlagKeys[4] = {"값보기", "가로선", "막대채움", "세로글자회전"};
const char* const kFlagDefaults[4] = {"0", "1", "1", "0"};

int twipsToPxX(double twips) { return int(std::lround(twips / TwipsPerPixelX())); }
int twipsToPxY(double twips) { return int(std::lround(twips / TwipsPerPixelY())); }

} // namespace

FrmNVGraph::FrmNVGraph(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("FrmNVGraph"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("그래프"));
    buildControls();
    platform::FormRegistry::instance().registerForm(this, QStringLiteral("FrmNVGraph"));
    Form_Load();
}

bool FrmNVGraph::event(QEvent* e)
{
    const bool done = QWidget::event(e);
    if (e->type() == QEvent::Polish && !m_widened) {
        // Made ready for its first showing, the window is made wide enough for both option
        // rows on one line each (the controls measured as they are shown). This happens before
        // the window is placed, so that it is placed at this size; a window that is then wider
        // than the screen is cut down to it as it is placed and shown.
        m_widened = true;
        pnlTop->ensurePolished();
        // The controls have their sizes only now that they are polished; the bar's layout,
        // measured before (its controls hidden still), is measured anew.
        pnlTop->layout()->invalidate();
        pnlTop->layout()->activate();
        const int wide = pnlTop->sizeHint().width();
        if (wide > width())
            resize(wide, height());
    }
    return done;
}

FrmNVGraph::~FrmNVGraph()
{
    platform::FormRegistry::instance().unregisterForm(this);
}

void FrmNVGraph::buildControls()
{
    auto caption = [](const QString& text, QWidget* parent) {
        auto* l = new QLabel(text, parent);
        return l;
    };
    pnlTop = new QFrame(this);
    pnlTop->setObjectName(QStringLiteral("pnlTop"));
    pnlTop->setFrameShape(QFrame::StyledPanel);

    txtTitle = new QLineEdit(pnlTop);
    txtTitle->setObjectName(QStringLiteral("txtTitle"));
    txtTitle->setMinimumWidth(180);
    for (int i : {0, 2}) {
        htMax[i] = new QLineEdit(pnlTop);
        htMax[i]->setObjectName(QStringLiteral("htMax"));
        htMax[i]->setProperty("Index", i);
        htMax[i]->setFixedWidth(50);
        htMax[i]->setAlignment(Qt::AlignRight);
        htMax[i]->installEventFilter(this);
    }
    static const char* const checkCaptions[4] = {"값보기", "가로선", "막대채움", "세로글자 회전"};
    for (int i = 0; i < 4; ++i) {
        chkGrpStat[i] = new QCheckBox(QString::fromUtf8(checkCaptions[i]), pnlTop);
        chkGrpStat[i]->setObjectName(QStringLiteral("chkGrpStat"));
        chkGrpStat[i]->setProperty("Index", i);
    }
    cboGraphType = new QComboBox(pnlTop);
    cboGraphType->setObjectName(QStringLiteral("cboGraphType"));
    cboUnit = new QComboBox(pnlTop);
    cboUnit->setObjectName(QStringLiteral("cboUnit"));
    for (int i = 0; i < 2; ++i) {
        btnColor[i] = new QPushButton(pnlTop);
        btnColor[i]->setObjectName(QStringLiteral("btnColor"));
        btnColor[i]->setProperty("Index", i);
        btnColor[i]->setFixedSize(40, 22);
        btnColor[i]->setAutoDefault(false);
    }
    cmdRefresh = new QPushButton(QStringLiteral("새로고침"), pnlTop);
    cmdRefresh->setObjectName(QStringLiteral("cmdRefresh"));
    cmdMovePage[0] = new QPushButton(QStringLiteral("<"), pnlTop);
    cmdMovePage[1] = new QPushButton(QStringLiteral(">"), pnlTop);
    for (int i = 0; i < 2; ++i) {
        cmdMovePage[i]->setObjectName(QStringLiteral("cmdMovePage"));
        cmdMovePage[i]->setProperty("Index", i);
        cmdMovePage[i]->setFixedWidth(30);
    }
    lblPage = new QLabel(QStringLiteral("1/1"), pnlTop);
    lblPage->setObjectName(QStringLiteral("lblPage"));
    lblPage->setMinimumWidth(50);
    lblDataCnt = new QLabel(pnlTop);
    lblDataCnt->setObjectName(QStringLiteral("lblDataCnt"));
    lblDataCnt->setMinimumWidth(70);
    btnPrint = new QPushButton(QStringLiteral("인쇄 F7"), pnlTop);
    btnPrint->setObjectName(QStringLiteral("btnPrint"));
    btnClose = new QPushButton(QStringLiteral("닫기 &C"), pnlTop);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    for (QPushButton* b : {cmdRefresh, cmdMovePage[0], cmdMovePage[1], btnPrint, btnClose})
        b->setAutoDefault(false);

    // Two rows of options that wrap onto further lines where the window is narrower than
    // they are (a caption stays with its field); close and print stand at the right end.
    auto unit = [this](std::initializer_list<QWidget*> parts) { return platform::FlowLayout::group(pnlTop, parts); };
    auto* row1 = new platform::FlowLayout(nullptr, 8, 4);
    row1->addWidget(unit({caption(QStringLiteral("제목:"), pnlTop), txtTitle}));
    row1->addWidget(unit({caption(QStringLiteral("칼럼수:"), pnlTop), htMax[0]}));
    row1->addWidget(unit({caption(QStringLiteral("하단여백:"), pnlTop), htMax[2]}));
    row1->addWidget(cmdRefresh);
    row1->addWidget(unit({cmdMovePage[0], cmdMovePage[1], caption(QStringLiteral("Page:"), pnlTop), lblPage}));
    row1->addWidget(lblDataCnt);
    auto* row2 = new platform::FlowLayout(nullptr, 8, 4);
    for (QCheckBox* c : chkGrpStat)
        row2->addWidget(c);
    // The combos are as wide as their longest choice, also once the graph control has
    // filled them.
    for (QComboBox* c : {cboGraphType, cboUnit})
        c->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    row2->addWidget(unit({caption(QStringLiteral("그래프형:"), pnlTop), cboGraphType}));
    row2->addWidget(unit({caption(QStringLiteral("자료단위:"), pnlTop), cboUnit}));
    row2->addWidget(unit({caption(QStringLiteral("막대색상:"), pnlTop), btnColor[0]}));
    row2->addWidget(unit({caption(QStringLiteral("꺾은선색:"), pnlTop), btnColor[1]}));
    auto* rows = new QVBoxLayout;
    rows->setSpacing(4);
    rows->addLayout(row1);
    rows->addLayout(row2);
    auto* right = new QVBoxLayout; // the print button sits under the close button
    right->addWidget(btnClose);
    right->addWidget(btnPrint);
    right->addStretch(1);
    auto* top = new QHBoxLayout(pnlTop);
    top->setContentsMargins(6, 4, 6, 4);
    top->addLayout(rows, 1);
    top->addSpacing(12);
    top->addLayout(right);

    pnlList = new QFrame(this);
    pnlList->setObjectName(QStringLiteral("pnlList"));
    pnlList->setFrameShape(QFrame::StyledPanel);
    picBoard = new QFrame(pnlList);
    picBoard->setObjectName(QStringLiteral("picBoard"));
    NVGraph = new platform::ucNVGraph(picBoard);

    connect(btnClose, &QPushButton::clicked, this, [this] { close(); });
    connect(btnPrint, &QPushButton::clicked, this, [this] { btnPrint_Click(); });
    connect(cmdRefresh, &QPushButton::clicked, this, [this] { cmdRefresh_Click(); });
    for (int i = 0; i < 2; ++i) {
        connect(cmdMovePage[i], &QPushButton::clicked, this, [this, i] { cmdMovePage_Click(i); });
        connect(btnColor[i], &QPushButton::clicked, this, [this, i] { btnColor_Click(i); });
    }
    for (int i : {0, 2})
        connect(htMax[i], &QLineEdit::textChanged, this, [this, i] { htMax_Change(i); });
    for (int i = 0; i < 4; ++i)
        connect(chkGrpStat[i], &QCheckBox::stateChanged, this, [this, i] { chkGrpStat_Click(i); });
    connect(cboGraphType, qOverload<int>(&QComboBox::currentIndexChanged), this, [this] { cboGraphType_Click(); });
    connect(cboUnit, qOverload<int>(&QComboBox::currentIndexChanged), this, [this] { cboUnit_Click(); });
    connect(txtTitle, &QLineEdit::textChanged, this, [this] { txtTitle_Change(); });

    pnlTop->installEventFilter(this);
    resize(900, 600);
    const int top0 = pnlTop->heightForWidth(width());
    pnlTop->setGeometry(0, 0, width(), top0);
    pnlList->move(0, top0);
    picBoard->move(twipsToPxX(45), twipsToPxY(45));
}

// ---------------------------------------------------------------- settings

void FrmNVGraph::SaveConfig(const QString& sKey, const QString& sValue)
{
    platform::SaveSetting(kGraphConfigApp, kGraphConfigSection, sKey, sValue);
}

QString FrmNVGraph::LoadConfig(const QString& sKey, const QString& sDefault)
{
    return platform::GetSetting(kGraphConfigApp, kGraphConfigSection, sKey, sDefault);
}

void FrmNVGraph::setButtonColor(int Index, long colour)
{
    QPushButton* b = btnColor[Index];
    b->setProperty("Tag", QString::number(colour));
    const QColor c = platform::GraphColor(colour);
    b->setStyleSheet(QStringLiteral("QPushButton { background-color: %1; border: 1px solid #808080; }").arg(c.name()));
}

void FrmNVGraph::Form_Load()
{
    NVGraph->setGeometry(0, 0, picBoard->width(), picBoard->height());
    txtTitle->setText(platform::GetSetting(gsTitle, kGraphTitleSection, kGraphTitleKey, QString()));

    htMax[0]->setText(QString::number(wholeNumber(LoadConfig(QStringLiteral("MaxCols"), QStringLiteral("50")))));
    if (wholeNumber(htMax[0]->text()) < 1)
        htMax[0]->setText(QStringLiteral("1"));
    NVGraph->SetMaxCols(int(wholeNumber(htMax[0]->text())));
    htMax[2]->setText(QString::number(wholeNumber(LoadConfig(QStringLiteral("MGBottom"), QStringLiteral("500")))));
    NVGraph->SetMGBottom(long(wholeNumber(htMax[2]->text())));

    for (int i = 0; i < 4; ++i) {
        const qint64 v = wholeNumber(LoadConfig(QString::fromUtf8(kFlagKeys[i]), QString::fromLatin1(kFlagDefaults[i])));
        chkGrpStat[i]->setChecked(v == 1);
    }
    NVGraph->SetShowValues(chkGrpStat[0]->isChecked());
    NVGraph->SetHorzLines(chkGrpStat[1]->isChecked());
    NVGraph->SetBarFill(chkGrpStat[2]->isChecked());
    NVGraph->SetRotateLabels(chkGrpStat[3]->isChecked());

    NVGraph->FillGraphTypeList(cboGraphType);
    cboGraphType->setCurrentIndex(-1);
    const qint64 type = wholeNumber(LoadConfig(QStringLiteral("GraphType"), QStringLiteral("0")));
    if (type >= 0 && type < cboGraphType->count()) {
        cboGraphType->setCurrentIndex(int(type));
        NVGraph->SetGraphType(long(type));
    }
    NVGraph->FillDataUnitList(cboUnit);
    cboUnit->setCurrentIndex(-1);
    const qint64 unit = wholeNumber(LoadConfig(QStringLiteral("DataUnit"), QStringLiteral("0")));
    if (unit >= 0 && unit < cboUnit->count()) {
        cboUnit->setCurrentIndex(int(unit));
        NVGraph->SetDataUnit(long(unit));
    }

    const long bar = long(wholeNumber(LoadConfig(QStringLiteral("막대색"), QStringLiteral("255"))));
    setButtonColor(0, bar);
    NVGraph->SetBarColor(bar);
    const long line = long(wholeNumber(LoadConfig(QStringLiteral("꺾은선색"), QStringLiteral("16711680"))));
    setButtonColor(1, line);
    NVGraph->SetLineColor(line);

    m_page = 1;
}

// ---------------------------------------------------------------- public members

void FrmNVGraph::ClearGraph()
{
    lblDataCnt->setText(QString());
    NVGraph->ClearData();
}

void FrmNVGraph::AddData(double& fData, QString& sName)
{
    NVGraph->AddGraphData(fData, sName);
}

void FrmNVGraph::ReDrawGraph()
{
    lblDataCnt->setText(QStringLiteral("총 ") + QString::number(NVGraph->DataCount()) + QStringLiteral("건"));
    cmdRefresh_Click();
}

// ---------------------------------------------------------------- handlers

void FrmNVGraph::cmdRefresh_Click()
{
    WaitCursor wait;
    NVGraph->SetMaxCols(int(std::max<qint64>(1, wholeNumber(htMax[0]->text()))));
    NVGraph->SetMGBottom(long(wholeNumber(htMax[2]->text())));
    SetPageButtons();
    NVGraph->DrawGraph(m_page);
}

void FrmNVGraph::SetPageButtons()
{
    const int n = NVGraph->PageCount();
    if (m_page == 1 && n == 1) {
        cmdMovePage[0]->setEnabled(false);
        cmdMovePage[1]->setEnabled(false);
    } else if (m_page >= n) {
        m_page = n;
        cmdMovePage[1]->setEnabled(false);
        cmdMovePage[0]->setEnabled(true);
    } else if (m_page > 1) {
        cmdMovePage[0]->setEnabled(true);
        cmdMovePage[1]->setEnabled(true);
    } else {
        m_page = 1;
        cmdMovePage[0]->setEnabled(false);
        cmdMovePage[1]->setEnabled(true);
    }
    lblPage->setText(QString::number(m_page) + QStringLiteral("/") + QString::number(n));
}

void FrmNVGraph::cmdMovePage_Click(int Index)
{
    if (Index == 1)
        ++m_page;
    else if (Index == 0)
        --m_page;
    cmdRefresh_Click();
}

void FrmNVGraph::htMax_Change(int Index)
{
    QLineEdit* field = (Index == 0 || Index == 2) ? htMax[Index] : nullptr;
    if (!field || !isVisible() || field->property("Tag").toString() == QLatin1String("SKIP"))
        return;
    qint64 value = wholeNumber(field->text());
    if (value < 1) {
        MsgInfo(QStringLiteral("1이상의 수치만 입력가능합니다."), QString());
        field->setProperty("Tag", QStringLiteral("SKIP"));
        field->setText(QStringLiteral("1"));
        field->setProperty("Tag", QString());
        value = 1;
    }
    SaveConfig(Index == 0 ? QStringLiteral("MaxCols") : QStringLiteral("MGBottom"), QString::number(value));
}

void FrmNVGraph::chkGrpStat_Click(int Index)
{
    if (!isVisible() || Index < 0 || Index > 3)
        return;
    const bool flag = chkGrpStat[Index]->isChecked();
    switch (Index) {
    case 0: NVGraph->SetShowValues(flag); break;
    case 1: NVGraph->SetHorzLines(flag); break;
    case 2: NVGraph->SetBarFill(flag); break;
    case 3: NVGraph->SetRotateLabels(flag); break;
    }
    SaveConfig(QString::fromUtf8(kFlagKeys[Index]), flag ? QStringLiteral("1") : QStringLiteral("0"));
    NVGraph->DrawGraph(m_page);
}

void FrmNVGraph::cboGraphType_Click()
{
    if (!isVisible())
        return;
    const int i = cboGraphType->currentIndex();
    SaveConfig(QStringLiteral("GraphType"), QString::number(i));
    NVGraph->SetGraphType(i);
    NVGraph->DrawGraph(m_page);
}

void FrmNVGraph::cboUnit_Click()
{
    if (!isVisible())
        return;
    const int i = cboUnit->currentIndex();
    SaveConfig(QStringLiteral("DataUnit"), QString::number(i));
    NVGraph->SetDataUnit(i);
    NVGraph->DrawGraph(m_page);
}

void FrmNVGraph::btnColor_Click(int Index)
{
    if (Index < 0 || Index > 1)
        return;
    const QString name = Index == 1 ? QStringLiteral("꺾은선색") : QStringLiteral("막대색");
    const long start = long(wholeNumber(btnColor[Index]->property("Tag").toString()));
    const long colour = ShowColorDlg(name + QStringLiteral(" 선택"), start);
    if (colour == -1)
        return;
    setButtonColor(Index, colour);
    SaveConfig(name, QString::number(colour));
    if (Index == 1)
        NVGraph->SetLineColor(colour);
    else
        NVGraph->SetBarColor(colour);
    NVGraph->DrawGraph();
}

void FrmNVGraph::btnPrint_Click()
{
    // a print that could not be begun or written whole is told; a cancelled one is not
    if (!NVGraph->PrintGraph(txtTitle->text()) && !NVGraph->PrintError().isEmpty())
        MsgWarn(QStringLiteral("그래프를 인쇄하지 못했습니다.\r\n") + NVGraph->PrintError());
}

void FrmNVGraph::txtTitle_Change()
{
    if (!isVisible())
        return;
    platform::SaveSetting(gsTitle, kGraphTitleSection, kGraphTitleKey, txtTitle->text());
}

void FrmNVGraph::Form_KeyDown(int KeyCode)
{
    if (KeyCode == 118) // F7
        btnPrint_Click();
}

void FrmNVGraph::keyPressEvent(QKeyEvent* e)
{
    if (VbKeyCode(e) == 118) {
        Form_KeyDown(118);
        e->accept();
        return;
    }
    QWidget::keyPressEvent(e);
}

bool FrmNVGraph::eventFilter(QObject* watched, QEvent* e)
{
    if (watched == pnlTop && e->type() == QEvent::LayoutRequest) {
        // A choice or count of another width may change how the option rows wrap.
        const bool r = QWidget::eventFilter(watched, e);
        if (isVisible())
            Form_Resize();
        return r;
    }
    if (e->type() == QEvent::KeyPress) {
        auto* ke = static_cast<QKeyEvent*>(e);
        const int code = VbKeyCode(ke);
        if (code == 118) {
            Form_KeyDown(118);
            return true;
        }
        if (code == 13 && (watched == htMax[0] || watched == htMax[2])) { // Enter in a number field
            cmdRefresh_Click();
            return true;
        }
    }
    return QWidget::eventFilter(watched, e);
}

// ---------------------------------------------------------------- layout

void FrmNVGraph::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    Form_Resize();
}

void FrmNVGraph::Form_Resize()
{
    if (windowState() & Qt::WindowMinimized)
        return;
    const int minW = twipsToPxX(5000);
    const int minH = twipsToPxY(5000);
    if (minimumWidth() < minW || minimumHeight() < minH)
        setMinimumSize(minW, minH);
    if (width() < minW || height() < minH) {
        resize(std::max(width(), minW), std::max(height(), minH)); // comes back through resizeEvent
        return;
    }
    // The option bar's height follows the width: its rows wrap in a narrow window.
    pnlTop->setGeometry(0, 0, width(), pnlTop->hasHeightForWidth() ? pnlTop->heightForWidth(width())
                                                                   : pnlTop->sizeHint().height());
    pnlList->setGeometry(0, pnlTop->height(), pnlTop->width(), std::max(0, height() - pnlTop->height()));
    picBoard->setGeometry(picBoard->x(), picBoard->y(), std::max(0, pnlList->width() - 2 * picBoard->x()),
                          std::max(0, pnlList->height() - 2 * picBoard->y()));
    NVGraph->setGeometry(0, 0, picBoard->width(), picBoard->height());
}
