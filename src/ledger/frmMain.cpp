#include "ledger/frmMain.h"

#include "callerid/FrmEasySMS.h"
#include "callerid/FrmCallsNotStored.h"
#include "callerid/FrmRCidClient.h"
#include "callerid/FrmTelList.h"
#include "callerid/IncomingCall.h"
#include "frame/FrmInitMsg.h"
#include "frame/frmSplash.h"
#include "frame/frmpass.h"
#include "frame/modBackUp.h"
#include "frame/modComboBox.h"
#include "frame/modCommon.h"
#include "frame/modDate.h"
#include "frame/modFormIni.h"
#include "frame/modFrmCtrl.h"
#include "frame/modGlobal.h"
#include "frame/modMain.h"
#include "frame/modMsgBox.h"
#include "frame/modSpread60.h"
#include "frame/modSpreadMenu.h"
#include "ledger/FrmClient_write.h"
#include "ledger/FrmTradeGraph.h"
#include "ledger/LedgerPrint.h"
#include "ledger/UpgradeSchema.h"
#include "ledger/VoucherWriter.h"
#include "ledger/modMain_SelData.h"
#include "platform/FlowLayout.h"
#include "platform/FormRegistry.h"
#include "platform/ProgramFolder.h"
#include "platform/Prompter.h"
#include "platform/ReportEngine.h"
#include "platform/SettingsStore.h"
#include "platform/SpreadGrid.h"
#include "platform/SpreadModel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QScrollArea>
#include <QShortcut>
#include <QTimer>
#include <QScreen>
#include <QToolTip>
#include <QToolButton>
#include <QVBoxLayout>
#include <utility>

bool gbAutoPickProduct = false;

namespace {


// Columns of the voucher grid.
enum : int {
    ColMaeipDate = 1, ColGroup = 2, ColProName = 3, ColMaeipCode = 4, ColMaeipName = 5, ColMaeipCost = 6,
    ColMaechulDate = 7, ColMaechulCode = 8, ColMaechulName = 9, ColMaechulCost = 10, ColUseCost = 11,
    ColMargin = 12, ColKey = 13, ColSumMaeip = 14, ColSumMaechul = 15, ColSumUseCost = 16, ColSumMargin = 17,
    ListMaxCols = 17
};

struct ColumnDesign {
    const char* header;
    const char* field; // ColID (columns 1 to 11)
    bool hidden;
    bool locked;
    bool numeric;
    double width;
};

const ColumnDesign kColumns[ListMaxCols] = {
    {"매입일자", "maeip_date", false, false, false, 10},
    {"그룹", "group_name", false, false, false, 4},
    {"품명", "pro_name", false, false, false, 23.25},
    {"매입처코드", "maeip_code", true, true, false, 10},
    {"매입처명", "maeip_name", false, false, false, 13.75},
    {"매입금액", "maeip_cost", false, false, true, 10},
    {"판매일자", "maechul_date", false, false, false, 10},
    {"판매처코드", "maechul_code", true, true, false, 10},
    {"판매처명", "maechul_name", false, false, false, 17},
    {"판매금액", "maechul_cost", false, false, true, 10},
    {"판매경비", "maechul_usecost", false, false, true, 10},
    {"마진", "", false, true, true, 10},
    {"레코드키", "", true, true, false, 10},
    {"매입합", "", true, true, true, 10},
    {"매출합", "", true, true, true, 10},
    {"경비합", "", true, true, true, 10},
    {"마진합", "", true, true, true, 10},
};

const char* kMarginFormula = "IF(RC10=0, 0 , RC10-RC11-RC6)";
const int kSumPairs[4][2] = {{ColSumMaeip, ColMaeipCost}, {ColSumMaechul, ColMaechulCost},
                             {ColSumUseCost, ColUseCost}, {ColSumMargin, ColMargin}};
// Fills panel with a frameless scroll area that scrolls only in direction (the other one
// never) and holds content, a new widget named contentName.
QScrollArea* panelScroller(QFrame* panel, const QString& name, Qt::Orientation direction, const QString& contentName,
                           QWidget*& content)
{
    auto* frame = new QVBoxLayout(panel);
    frame->setContentsMargins(0, 0, 0, 0);
    auto* area = new QScrollArea(panel);
    area->setObjectName(name);
    area->setFrameShape(QFrame::NoFrame);
    area->setWidgetResizable(true);
    if (direction == Qt::Vertical)
        area->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    else
        area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    area->setFocusPolicy(Qt::NoFocus);
    frame->addWidget(area);
    content = new QWidget;
    content->setObjectName(contentName);
    area->setWidget(content);
    return area;
}

// A name the program puts into a text box shows from its beginning where the box is too
// narrow for it (setText leaves the caret, and with it the view, at its end). A box the user
// is in keeps the caret at the end, where typing goes on.
void setNameText(QLineEdit* box, const QString& name)
{
    box->setText(name);
    if (!box->hasFocus())
        box->setCursorPosition(0);
}

// Totals row: sum column of spList -> column of spTotal.
int totalColumnFor(int sumCol)
{
    switch (sumCol) {
    case ColSumMaeip: return ColMaeipCost;
    case ColSumMaechul: return ColMaechulCost;
    case ColSumUseCost: return ColUseCost;
    case ColSumMargin: return ColMargin;
    default: return 0;
    }
}

const char* kCaptionPrefix = "제품매입/판매관리 Trelvo Ver.";
const char* kMakerAddress = "www.trelvo.co.kr";

int toPx(int twips, bool horizontal)
{
    const double tpp = horizontal ? TwipsPerPixelX() : TwipsPerPixelY();
    return int(twips / tpp + 0.5);
}

int toTwips(int px, bool horizontal)
{
    const double tpp = horizontal ? TwipsPerPixelX() : TwipsPerPixelY();
    return int(px * tpp + 0.5);
}

QLabel* captionLabel(const QString& text, QWidget* parent)
{
    auto* l = new QLabel(text, parent);
    l->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
    return l;
}

// A small up-down control: the upper arrow adds a day, the lower one subtracts it.
QWidget* makeUpDown(QWidget* parent, frmMain* owner, int index)
{
    auto* w = new QWidget(parent);
    w->setObjectName(QStringLiteral("udDateCng"));
    w->setProperty("Index", index);
    auto* v = new QVBoxLayout(w);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    auto* up = new QToolButton(w);
    up->setArrowType(Qt::UpArrow);
    auto* down = new QToolButton(w);
    down->setArrowType(Qt::DownArrow);
    for (QToolButton* b : {up, down}) {
        b->setFixedSize(16, 12);
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRepeat(true);
        v->addWidget(b);
    }
    QObject::connect(up, &QToolButton::clicked, owner, [owner, index] { owner->udDateCng_Change(index, 1); });
    QObject::connect(down, &QToolButton::clicked, owner, [owner, index] { owner->udDateCng_Change(index, -1); });
    return w;
}

} // namespace

MainLayoutTwips ComputeMainLayout(int width, int height, int innerW, int innerH, int topH, int totalH,
                                  int bottomH)
{
    MainLayoutTwips l;
    // The frame around the inner area keeps its size when the window is widened.
    l.width = width < 5000 ? 5000 : width;
    l.height = height < 5000 ? 5000 : height;
    innerW += l.width - width;
    innerH += l.height - height;
    l.topW = innerW;
    l.listTop = topH + 30;
    l.listH = innerH - l.listTop - bottomH - totalH - 90;
    if (l.listH < 0)
        l.listH = 0;
    l.totalTop = l.listTop + l.listH + 30;
    l.bottomTop = l.totalTop + totalH + 30;
    return l;
}

frmMain::frmMain(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("frmMain"));
    setAttribute(Qt::WA_DeleteOnClose, false);
    buildControls();
    designListSheet();
    tmrShowCalls = new QTimer(this);
    tmrShowCalls->setSingleShot(true);
    tmrShowCalls->setInterval(kCallRetryMs);
    connect(tmrShowCalls, &QTimer::timeout, this, [this] { ShowReceivedCalls(true); });
    callRecords = new CallRecordQueue(this);
    // A call listed before it could be stored gets its key in the call list once it is.
    callRecords->setStoredHandler([](const CallRecordQueue::Call& c, qint64 seq) {
        if (FrmTelList* list = FrmTelList::Instance())
            list->CallStored(c.sdate, c.stime, c.stel, seq);
    });
    callRecords->setErrorHandler([](const dao::DaoError& err) {
        ShowProcError(err.number(), err.description(), QStringLiteral("InputFromRinglet"), QStringLiteral("Form"),
                      QStringLiteral("frmMain"));
    });
    resize(toPx(16800, true), toPx(10800, false));
    platform::FormRegistry::instance().registerForm(this, QStringLiteral("frmMain"));
}

frmMain::~frmMain()
{
    SetCallerIdCheckBox(nullptr);
    platform::FormRegistry::instance().unregisterForm(this);
}

// ---------------------------------------------------------------------------------------
// Controls

void frmMain::buildControls()
{
    setMinimumSize(toPx(5000, true), toPx(5000, false));

    // ---- search bar and toolbar
    pnlTop = new QFrame(this);
    pnlTop->setObjectName(QStringLiteral("pnlTop"));
    pnlTop->setFrameShape(QFrame::StyledPanel);
    pnlTop->setFrameShadow(QFrame::Raised);
    // The bar scrolls only where the window is too small for all its lines (Form_Resize).
    QWidget* bar = nullptr;
    scrTop = panelScroller(pnlTop, QStringLiteral("scrTop"), Qt::Vertical, QStringLiteral("barTop"), bar);
    auto* top = new QVBoxLayout(bar);
    top->setContentsMargins(6, 4, 6, 4);
    top->setSpacing(4);

    // toolbar, then the period and filters, then the party search. Each row wraps onto
    // further lines where the window is too narrow for it; the controls that belong
    // together (a caption and its field, a date with its buttons) stay on one line.
    auto* rowTools = new platform::FlowLayout(nullptr, 4, 4);
    top->addLayout(rowTools);
    auto* row1 = new platform::FlowLayout(nullptr, 6, 4);
    top->addLayout(row1);
    auto* row2 = new platform::FlowLayout(nullptr, 6, 4);
    top->addLayout(row2);
    auto unit = [bar](std::initializer_list<QWidget*> parts) { return platform::FlowLayout::group(bar, parts); };

    for (int i = 0; i < 2; ++i) {
        auto* d = new platform::SpreadGrid(bar);
        d->setObjectName(QStringLiteral("spDate"));
        d->SetName(QStringLiteral("spDate"));
        d->SetIndex(i);
        d->setProperty("Index", i);
        d->SetMaxCols(1);
        d->SetMaxRows(1);
        d->SetColHeadersShow(false);
        d->SetRowHeadersShow(false);
        d->setFixedSize(112, 24);
        d->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        d->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        spDate[i] = d;
        udDateCng[i] = makeUpDown(bar, this, i);
        auto* cal = new QToolButton(bar);
        cal->setObjectName(QStringLiteral("btnMonthView"));
        cal->setProperty("Index", i);
        cal->setText(QStringLiteral("달력"));
        cal->setToolTip(QStringLiteral("달력"));
        cal->setFocusPolicy(Qt::NoFocus);
        btnMonthView[i] = cal;
        QLabel* caption = captionLabel(i == 0 ? QStringLiteral("검색기간:") : QStringLiteral("~"), bar);
        row1->addWidget(unit({caption, d, udDateCng[i], cal}));
        connect(cal, &QToolButton::clicked, this, [this, i] { btnMonthView_Click(i); });
        connect(d, &platform::SpreadGrid::Change, this, [this, i](int, int) { spDate_Change(i); });
        connect(d, &platform::SpreadGrid::EditMode, this,
                [this, i](int, int, int mode, bool changed) { spDate_EditMode(i, mode, changed); });
        connect(d, &platform::SpreadGrid::KeyPress, this, [this, d](int& key) {
            if (key != 13)
                return;
            if (d->IsEditing()) {
                // the typed date is taken first: a refused one keeps the focus in its box
                bPeriodRefused = false;
                d->EndEdit(true);
                if (bPeriodRefused) {
                    key = 0;
                    return;
                }
            }
            PostTabKey(0);
        });
    }
    chkChain = new QCheckBox(QStringLiteral("양쪽 날짜 동시에 변경"), bar);
    chkChain->setObjectName(QStringLiteral("chkChain"));
    row1->addWidget(chkChain);
    txtPName = new QLineEdit(bar);
    txtPName->setObjectName(QStringLiteral("txtPName"));
    txtPName->setMinimumWidth(110);
    row1->addWidget(unit({captionLabel(QStringLiteral("품목명:"), bar), txtPName}));
    cmbGroup = new QComboBox(bar);
    cmbGroup->setObjectName(QStringLiteral("cmbGroup"));
    cmbGroup->setMinimumWidth(80);
    row1->addWidget(unit({captionLabel(QStringLiteral("그룹:"), bar), cmbGroup}));
    chkNoSale = new QCheckBox(QStringLiteral("미판매"), bar);
    chkNoSale->setObjectName(QStringLiteral("chkNoSale"));
    row1->addWidget(chkNoSale);

    chkUseRinglet = new QCheckBox(QStringLiteral("CID사용"), bar);
    chkUseRinglet->setObjectName(QStringLiteral("chkUseRinglet"));
    cmdTelList = new QPushButton(QStringLiteral("발신번호:"), bar);
    cmdTelList->setObjectName(QStringLiteral("cmdTelList"));
    cmdTelList->setAutoDefault(false);
    cmbGetRinglet = new QComboBox(bar);
    cmbGetRinglet->setObjectName(QStringLiteral("cmbGetRinglet"));
    cmbGetRinglet->setEditable(true);
    cmbGetRinglet->setMinimumWidth(130);
    // A history line is longer than the box: a picked line shows from its beginning, the number.
    connect(cmbGetRinglet, &QComboBox::textActivated, this, [this] {
        if (QLineEdit* edit = cmbGetRinglet->lineEdit())
            edit->setCursorPosition(0);
    });
    cmdSMS = new QPushButton(QStringLiteral("SMS"), bar);
    cmdSMS->setObjectName(QStringLiteral("cmdSMS"));
    cmdSMS->setAutoDefault(false);
    QWidget* cidUnit = unit({cmdTelList, cmbGetRinglet, cmdSMS});

    cmbGu = new QComboBox(bar);
    cmbGu->setObjectName(QStringLiteral("cmbGu"));
    txtCName = new QLineEdit(bar);
    txtCName->setObjectName(QStringLiteral("txtCName"));
    txtCName->setMinimumWidth(140);
    row2->addWidget(unit({cmbGu, txtCName}));
    row2->addWidget(captionLabel(QStringLiteral("단축키: F3"), bar));
    txtCode = new QLineEdit(bar);
    txtCode->setObjectName(QStringLiteral("txtCode"));
    txtCode->setFixedWidth(70);
    txtCode->setReadOnly(true);
    txtCode->setFocusPolicy(Qt::NoFocus);
    row2->addWidget(unit({captionLabel(QStringLiteral("검색된코드"), bar), txtCode}));
    auto makeButton = [bar, rowTools](const QString& name, const QString& caption) {
        auto* b = new QPushButton(caption, bar);
        b->setObjectName(name);
        b->setAutoDefault(false);
        b->setMinimumWidth(84);
        rowTools->addWidget(b);
        return b;
    };
    btnRefresh = makeButton(QStringLiteral("btnRefresh"), QStringLiteral("검색(&F)"));
    btnPrint = makeButton(QStringLiteral("btnPrint"), QStringLiteral("인  쇄(&P)"));
    btnGraph = makeButton(QStringLiteral("btnGraph"), QStringLiteral("그래프(&G)"));
    btnPasswd = makeButton(QStringLiteral("btnPasswd"), QStringLiteral("암호설정(&W)"));
    btnExit = makeButton(QStringLiteral("btnExit"), QStringLiteral("종  료(&X)"));
    // caller ID, at the right end of the toolbar
    rowTools->addWidget(chkUseRinglet, true);
    rowTools->addWidget(cidUnit, true);

    connect(btnRefresh, &QPushButton::clicked, this, [this] { RefreshList(); });
    connect(btnPasswd, &QPushButton::clicked, this, [this] { btnPasswd_Click(); });
    connect(btnExit, &QPushButton::clicked, this, [this] { close(); });
    connect(btnPrint, &QPushButton::clicked, this, [this] { btnPrint_Click(); });
    connect(btnGraph, &QPushButton::clicked, this, [] {
        // The analysis window is modeless; a second press shows the one already loaded.
        auto* frm = qobject_cast<FrmTradeGraph*>(platform::FormRegistry::instance().find(QStringLiteral("FrmTradeGraph")));
        if (!frm)
            frm = new FrmTradeGraph();
        frm->SetTradeGubun(1);
        FormFocus(frm);
    });
    connect(chkUseRinglet, &QCheckBox::clicked, this, [this] { chkUseRinglet_Click(); });
    connect(cmdTelList, &QPushButton::clicked, this, [this] { cmdTelList_Click(); });
    connect(cmdSMS, &QPushButton::clicked, this, [this] {
        if (!cmdSMS_Click())
            QCoreApplication::exit(0); // the message server is out of reach: the program ends here
    });

    for (QWidget* w : {static_cast<QWidget*>(txtCName), static_cast<QWidget*>(txtPName),
                       static_cast<QWidget*>(cmbGroup)})
        w->installEventFilter(this);

    // ---- voucher grid and totals row
    spList = new platform::SpreadGrid(this);
    spList->setObjectName(QStringLiteral("spList"));
    spList->SetName(QStringLiteral("spList"));
    spTotal = new platform::SpreadGrid(this);
    spTotal->setObjectName(QStringLiteral("spTotal"));
    spTotal->SetName(QStringLiteral("spTotal"));
    connect(spList, &platform::SpreadGrid::Change, this, &frmMain::spList_Change);
    connect(spList, &platform::SpreadGrid::BeforeUserSort, this, &frmMain::spList_BeforeUserSort);
    connect(spList, &platform::SpreadGrid::AfterUserSort, this, &frmMain::spList_AfterUserSort);
    connect(spList, &platform::SpreadGrid::ColWidthChange, this, &frmMain::spList_ColWidthChange);
    connect(spList, &platform::SpreadGrid::EditMode, this, &frmMain::spList_EditMode);
    connect(spList, &platform::SpreadGrid::KeyDown, this, &frmMain::spList_KeyDown);
    connect(spList, &platform::SpreadGrid::KeyPress, this, &frmMain::spList_KeyPress);
    connect(spList, &platform::SpreadGrid::MouseDown, this, &frmMain::spList_MouseDown);
    connect(spList, &platform::SpreadGrid::LeaveCell, this,
            [this](int, int row, int, int newRow, bool&) {
                if (newRow != row && newRow > 0)
                    showPartiesOf(newRow);
            });
    // The totals stay under their columns when the list is scrolled sideways.
    connect(spList->horizontalScrollBar(), &QScrollBar::valueChanged, spTotal->horizontalScrollBar(),
            &QScrollBar::setValue);
    connect(spTotal, &platform::SpreadGrid::LostFocus, this, [this] { spTotal->SetActiveCell(0, 0); });

    // ---- party boxes
    pnlBottom = new QFrame(this);
    pnlBottom->setObjectName(QStringLiteral("pnlBottom"));
    pnlBottom->setFrameShape(QFrame::StyledPanel);
    pnlBottom->setFrameShadow(QFrame::Raised);
    // The boxes keep the width their captions need; a narrower window scrolls them sideways.
    QWidget* boxes = nullptr;
    scrBottom = panelScroller(pnlBottom, QStringLiteral("scrBottom"), Qt::Horizontal, QStringLiteral("boxesBottom"), boxes);
    auto* bottom = new QHBoxLayout(boxes);
    bottom->setContentsMargins(4, 2, 4, 2);
    bottom->setSpacing(6);
    static const char* boxTitles[2] = {"매입처정보", "매출처정보"};
    // Panel index -> field: 0 name, 1 tel, 2 zipcode, 3 phone, 4 address, 5 memo.
    static const char* labels[6] = {"상     호 :", "전화번호 :", "우     편 :", "휴대전화 :", "주     소 :",
                                    "메     모 :"};
    for (int kind = 0; kind < 2; ++kind) {
        auto* box = new QGroupBox(QString::fromUtf8(boxTitles[kind]), boxes);
        box->setObjectName(kind ? QStringLiteral("fraSalesClient") : QStringLiteral("fraBuyClient"));
        fraClient[kind] = box;
        auto* g = new QGridLayout(box);
        g->setContentsMargins(6, 2, 6, 4);
        g->setHorizontalSpacing(4);
        g->setVerticalSpacing(2);
        QLabel** panels = infoPanels(kind);
        for (int i = 0; i < 6; ++i) {
            auto* value = new QLabel(box);
            value->setObjectName(kind ? QStringLiteral("pnlinfo2") : QStringLiteral("pnlinfo"));
            value->setProperty("Index", i);
            value->setFrameShape(QFrame::Panel);
            value->setFrameShadow(QFrame::Sunken);
            value->setAutoFillBackground(true);
            value->setBackgroundRole(QPalette::Base);
            value->setMinimumHeight(20);
            value->setMinimumWidth(60); // a narrow window scrolls the boxes rather than hide a field
            value->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
            value->setTextInteractionFlags(Qt::TextSelectableByMouse);
            panels[i] = value;
        }
        // name and postal code, telephone and mobile, then address and memo across the box
        const int place[6][3] = {{0, 0, 1}, {1, 0, 1}, {0, 2, 1}, {1, 2, 1}, {2, 0, 3}, {3, 0, 3}};
        for (int i = 0; i < 6; ++i) {
            g->addWidget(captionLabel(QString::fromUtf8(labels[i]), box), place[i][0], place[i][1]);
            g->addWidget(panels[i], place[i][0], place[i][1] + 1, 1, place[i][2]);
        }
        g->setColumnStretch(1, 3);
        g->setColumnStretch(3, 2);
        auto* edit = new QPushButton(QStringLiteral("수정"), box);
        edit->setObjectName(QStringLiteral("btnClientEdit"));
        edit->setProperty("Index", kind);
        edit->setAutoDefault(false);
        edit->setEnabled(false);
        btnClientEdit[kind] = edit;
        auto* id = new QLineEdit(box);
        id->setObjectName(QStringLiteral("txtCurClient"));
        id->setProperty("Index", kind);
        id->setVisible(false);
        txtCurClient[kind] = id;
        connect(id, &QLineEdit::textChanged, edit, [edit](const QString& t) { edit->setEnabled(!t.isEmpty()); });
        connect(edit, &QPushButton::clicked, this, [this, kind] { btnClientEdit_Click(kind); });
        g->addWidget(edit, 0, 4, 2, 1);
        if (kind == 1) {
            pnlinfoSales = new QLabel(box);
            pnlinfoSales->setObjectName(QStringLiteral("pnlinfoSales"));
            pnlinfoSales->setFrameShape(QFrame::Panel);
            pnlinfoSales->setFrameShadow(QFrame::Sunken);
            pnlinfoSales->setAutoFillBackground(true);
            pnlinfoSales->setBackgroundRole(QPalette::Base);
            pnlinfoSales->setMinimumHeight(20);
            pnlinfoSales->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
            g->addWidget(captionLabel(QStringLiteral("구매제품 :"), box), 4, 0);
            g->addWidget(pnlinfoSales, 4, 1, 1, 4);
        }
        bottom->addWidget(box, 1);
    }

    // ---- keyboard of the window
    auto* f3 = new QShortcut(QKeySequence(Qt::Key_F3), this);
    connect(f3, &QShortcut::activated, this, [this] { Form_KeyDown(114); });
    auto* esc = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(esc, &QShortcut::activated, this, [this] { Form_KeyDown(27); });

    scrTop->widget()->installEventFilter(this);
    scrBottom->widget()->installEventFilter(this);
    spList->viewport()->installEventFilter(this);
    // Escape in a dropped-down list belongs to the list (see eventFilter).
    for (QComboBox* cmb : findChildren<QComboBox*>()) {
        cmb->installEventFilter(this);
        cmb->view()->installEventFilter(this);
    }
    SetCallerIdCheckBox(chkUseRinglet);
}

void frmMain::designListSheet()
{
    // The grid as designed; the common look is applied by InitListSheet.
    spList->SetMaxCols(ListMaxCols);
    spList->SetMaxRows(0);
    spList->SetRowHeadersShow(true);
    spList->SetColWidth(0, 3.5);
    for (int c = 1; c <= ListMaxCols; ++c) {
        const ColumnDesign& d = kColumns[c - 1];
        spList->SetText(c, 0, QString::fromUtf8(d.header));
        spList->SetColWidth(c, d.width);
        spList->SetColHidden(c, d.hidden);
        spList->SetCol(c);
        spList->SetRow(-1);
        if (d.numeric) {
            spList->SetCellType(platform::SpreadGrid::CellTypeCurrency);
            spList->SetTypeCurrencyMin(-100000000000.0);
            spList->SetTypeCurrencyMax(100000000000.0);
            spList->SetTypeCurrencyShowSymbol(false);
            spList->SetTypeCurrencyDecPlaces(0);
            spList->SetTypeCurrencyShowSep(true);
        }
        if (d.locked)
            spList->SetLock(true);
        // a date cut to its beginning reads as a month
        if (c == ColMaeipDate || c == ColMaechulDate)
            spList->SetTypeWholeOrMark(true);
    }
    spTotal->SetMaxRows(1);
    spTotal->SetColHeadersShow(false);
    spTotal->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    spTotal->setFixedHeight(int(spTotal->RowHeight(1) * logicalDpiY() / 72.0 + 0.5) + 2 * spTotal->frameWidth() + 1);
    spTotal->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    spTotal->setFocusPolicy(Qt::ClickFocus);
}

// ---------------------------------------------------------------------------------------
// Start-up, activation, layout, keyboard, shutdown

bool frmMain::Form_Load()
{
    gsTitle = QCoreApplication::applicationName();
    gbAutoPickProduct = false;

    QString version = QCoreApplication::applicationVersion();
    const QStringList parts = version.split(QLatin1Char('.'));
    version = QStringLiteral("%1.%2.%3").arg(parts.value(0, QStringLiteral("1")), parts.value(1, QStringLiteral("0")),
                                            parts.value(2, QStringLiteral("0")));
    setWindowTitle(QString::fromUtf8(kCaptionPrefix) + version + QStringLiteral(" - ")
                   + QString::fromUtf8(kMakerAddress));

    bLoading = true;
    InitApp();
    if (!frmSplash::RunLogin(this)) {
        // The login ended the program: nothing more runs, no backup is offered.
        bLoading = false;
        return false;
    }
    bLoading = false;

    UpgradeSchema(gDB.get());

    LoadFormIni(this, false, QString());
    Form_Resize();
    recordLoadGeometry();

    cmbGetRinglet->clear();
    CmbSetSize(cmbGetRinglet, 10000, 9000);

    txtCode->clear();
    txtCurClient[0]->clear();
    txtCurClient[1]->clear();

    cmbGu->clear();
    cmbGu->addItems({QStringLiteral("판매처명"), QStringLiteral("매입처명"), QStringLiteral("판매처☏"),
                     QStringLiteral("판매메모")});
    cmbGu->setCurrentIndex(0);

    sDefaultDate = platform::today().toString(QStringLiteral("yyyy-MM-dd"));

    CmbSetSize(cmbGroup, toTwips(cmbGroup->width(), true), spList->Height());

    bFirstActivate = true;
    FillGroupCombo();

    if (platform::GetSetting(gsTitle, kEnvSection, QStringLiteral("NoMsg"), QStringLiteral("0")) == QLatin1String("0"))
    {
        FrmInitMsg notice(this);
        platform::prompter().execModal(notice);
    }

    InitListSheet();
    RefreshList();
    bLoaded = true;
    return true;
}

void frmMain::Form_Activate()
{
    if (!bFirstActivate)
        return;
    setWindowTitle(windowTitle() + QStringLiteral(" DB: ") + gsDBFile);
    bFirstActivate = false;
    // The window system places the window and fits the size from the layout file to its
    // frame (or maximises it) only when it is shown: that is the geometry the user starts
    // from, and closing the window without moving it keeps the layout file as it is.
    recordLoadGeometry();

    if (platform::GetSetting(gsTitle, QStringLiteral("Registration"), QStringLiteral("RingletUse")) == QLatin1String("1")) {
        const QString path = platform::programPath(QStringLiteral("CIDsvr"));
        if (QFileInfo(path).isFile())
            platform::prompter().startProgram(path, {}, QString());
        else
            MsgPlain(QStringLiteral("CID서버를 찾을 수 없습니다.\r\n") + path);
        loadCallerIdClient();
    }

    spList->setFocus();
    SetHangulMode(true);
}

bool frmMain::event(QEvent* e)
{
    if (e->type() == QEvent::WindowActivate && bLoaded)
        Form_Activate();
    return QWidget::event(e);
}

QRect frmMain::geometryTwips() const
{
    // Position of the window with its frame, size of the inner area: both as set by the layout file.
    return QRect(toTwips(x(), true), toTwips(y(), false), toTwips(width(), true), toTwips(height(), false));
}

void frmMain::recordLoadGeometry()
{
    bLoadMaximized = windowState().testFlag(Qt::WindowMaximized);
    const QRect g = geometryTwips();
    lLoadLeft = g.x();
    lLoadTop = g.y();
    lLoadWidth = g.width();
    lLoadHeight = g.height();
}

void frmMain::Form_Resize()
{
    if (isMinimized())
        return;
    const int w = toTwips(width(), true);
    const int h = toTwips(height(), false);
    // The search bar wraps onto more lines in a narrow window: its height follows the width.
    // Where the window is too low for all its lines as well, the bar keeps the room the other
    // parts leave (with a few rows of the list) and scrolls.
    const int frameW = pnlTop->frameWidth();
    const int totalH = spTotal->height() > 0 ? spTotal->height() : 24;
    QWidget* boxes = scrBottom->widget();
    int bottomH = boxes->sizeHint().height() + 2 * pnlBottom->frameWidth();
    if (boxes->minimumSizeHint().width() > width() - 2 * pnlBottom->frameWidth())
        bottomH += scrBottom->horizontalScrollBar()->sizeHint().height();
    QWidget* bar = scrTop->widget();
    int barH = bar->heightForWidth(width() - 2 * frameW) + 2 * frameW;
    if (barH <= 2 * frameW)
        barH = pnlTop->sizeHint().height();
    const int room = height() - totalH - bottomH - toPx(90, false) - 3 * totalH;
    const int oneLine = btnRefresh->sizeHint().height() + 8 + 2 * frameW;
    if (barH > room)
        barH = qMax(room, oneLine);
    const MainLayoutTwips l = ComputeMainLayout(w, h, w, h, toTwips(barH, false), toTwips(totalH, false),
                                                toTwips(bottomH, false));
    // Below the minimum the window is widened (or heightened); the resize lays it out again
    // when it lands. Compared in pixels: 5000 twips need not be a whole number of pixels,
    // and the smallest window the minimum allows is laid out all the same.
    const QSize wanted(qMax(width(), toPx(l.width, true)), qMax(height(), toPx(l.height, false)));
    if (wanted != size())
        resize(wanted);
    const int topH = barH;
    pnlTop->setGeometry(0, 0, toPx(l.topW, true), topH);
    spList->setGeometry(0, toPx(l.listTop, false), toPx(l.topW, true), toPx(l.listH, false));
    spTotal->setGeometry(0, toPx(l.totalTop, false), toPx(l.topW, true), totalH);
    alignTotalsWithList();
    pnlBottom->setGeometry(0, toPx(l.bottomTop, false), toPx(l.topW, true), bottomH);
}

// The totals row ends where the list's cells end: beside the list's vertical scroll bar it
// leaves the bar's width free, so that it never shows a part of a column that the list above
// does not show, and it stands at the list's sideways position.
void frmMain::alignTotalsWithList()
{
    int w = spList->width();
    // the list's inner area has its real size (with or without the bar) only once it is shown
    if (spList->isVisible())
        w = qMin(w, spList->viewport()->width() + 2 * spTotal->frameWidth());
    if (spTotal->width() != w)
        spTotal->resize(w, spTotal->height());
    spTotal->horizontalScrollBar()->setValue(spList->horizontalScrollBar()->value());
}

void frmMain::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    Form_Resize();
}

void frmMain::Form_KeyDown(int keyCode)
{
    if (keyCode == 114) { // F3
        txtCName->setFocus();
        txtCName->clear();
    } else if (keyCode == 27) { // Escape
        txtCName->clear();
        RefreshList();
    }
}

void frmMain::closeEvent(QCloseEvent* e)
{
    if (bLoading) {
        // Closed from the login: the program ends at once.
        e->accept();
        return;
    }
    // A cell still in edit mode is left first, so what was typed into it is written.
    if (spList->IsEditing())
        spList->EndEdit(true);
    bool cancel = false;
    Form_QueryUnload(cancel);
    if (cancel) {
        e->ignore();
        return;
    }
    Form_Unload();
    e->accept();
}

void frmMain::Form_QueryUnload(bool& cancel)
{
    if (bLoading)
        return;
    platform::SaveSetting(QStringLiteral("Backup"), QStringLiteral("DB경로"), QStringLiteral("경로"),
                          gsDBPath + QDir::separator());
    if (!ExecBackUpAuto(QString(), QString(), nullptr))
        cancel = true;
}

void frmMain::Form_Unload()
{
    // A maximised window keeps only its state in the layout file, so its size counts as
    // changed only when the state itself changed.
    const bool maximised = windowState().testFlag(Qt::WindowMaximized);
    const QRect g = geometryTwips();
    const bool changed = (maximised || bLoadMaximized)
        ? maximised != bLoadMaximized
        : (g.x() != lLoadLeft || g.y() != lLoadTop || g.width() != lLoadWidth || g.height() != lLoadHeight);
    if (bLoaded && changed)
        SaveFormIni(this, QString());
    StoreCallsOnExit(); // unloads the caller-ID client once the calls are stored
    UnloadOtherForms(QStringLiteral("frmMain"));
}

// ---------------------------------------------------------------------------------------
// Toolbar and search bar

void frmMain::btnPasswd_Click()
{
    frmpass frm(this);
    platform::prompter().execModal(frm);
}

void frmMain::btnMonthView_Click(int index)
{
    const QString picked = ShowCalendar(spDate[index]->GetText(1, 1), spDate[index]);
    spDate[index]->SetText(1, 1, picked);
    spDate_Change(index);
    spDate[index]->setFocus();
}

void frmMain::btnClientEdit_Click(int index)
{
    const qint64 id = txtCurClient[index]->text().toLongLong();
    if (id == 0)
        return;
    FrmClient_write editor(this);
    editor.AddEditMode(2);
    editor.busiMode(index);
    editor.CCode(id);
    editor.CallForm(this);
    SetFormPosition(&editor, txtCurClient[index], 0, 3, 0, 0);
    platform::prompter().execModal(editor);
    spList->setFocus();
}

void frmMain::spDate_Change(int index)
{
    static bool busy = false; // the copy raises the other field's change
    if (busy)
        return;
    busy = true;
    ChainDate(chkChain, spDate[0], spDate[1], index);
    busy = false;
}

// A typed period date is completed as a date cell of the list is, and shown in its stored
// form; what is no date is told (with the forms a date takes) and the box keeps its date.
void frmMain::spDate_EditMode(int index, int mode, bool changed)
{
    if (mode == 1) {
        sOldPeriodText[index] = GetSpreadText(spDate[index], 1, 1);
        return;
    }
    QString text = GetSpreadText(spDate[index], 1, 1);
    if (mode != 0 || !changed || text.isEmpty())
        return;
    if (CheckDateText(text)) {
        if (text != GetSpreadText(spDate[index], 1, 1))
            spDate[index]->SetText(1, 1, text);
        return;
    }
    bPeriodRefused = true;
    spDate[index]->SetText(1, 1, sOldPeriodText[index]);
    spDate[index]->SetFocus();
}

// Takes what is still being typed into the period boxes, as leaving them would. False when
// that was refused, or when a box holds what no stored date can match: no search runs then.
bool frmMain::periodReady()
{
    bPeriodRefused = false;
    for (platform::SpreadGrid* d : spDate)
        if (d->IsEditing())
            d->EndEdit(true);
    if (bPeriodRefused)
        return false;
    for (platform::SpreadGrid* d : spDate) {
        QString text = GetSpreadText(d, 1, 1);
        if (text.isEmpty() || ParseDateText(text).toString(QStringLiteral("yyyy-MM-dd")) == text)
            continue;
        if (!CheckDateText(text)) {
            d->SetFocus();
            return false;
        }
        d->SetText(1, 1, text);
    }
    return true;
}

void frmMain::udDateCng_Change(int index, int days)
{
    const QDate d = ParseDateText(spDate[index]->GetText(1, 1));
    if (!d.isValid())
        return; // nothing to count from
    spDate[index]->SetText(1, 1, d.addDays(days).toString(QStringLiteral("yyyy-MM-dd")));
    spDate_Change(index);
}

bool frmMain::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::ShortcutOverride && static_cast<QKeyEvent*>(e)->matches(QKeySequence::Cancel)) {
        // While a combo box's list is dropped down, Escape only closes the list: it is not the
        // window's Escape, which would clear the search and refresh the list.
        for (QComboBox* cmb : findChildren<QComboBox*>()) {
            if ((watched == cmb || watched == cmb->view()) && cmb->view()->isVisible()) {
                e->accept();
                return true;
            }
        }
    }
    if ((e->type() == QEvent::Resize || e->type() == QEvent::Show) && watched == spList->viewport()) {
        // the list's scroll bar came or went, or the window changed its width
        fitWidenedToRoom();
        alignTotalsWithList();
        return QWidget::eventFilter(watched, e);
    }
    if (e->type() == QEvent::LayoutRequest && (watched == scrTop->widget() || watched == scrBottom->widget())) {
        // A control of another width may change how the bar wraps or how tall the boxes are.
        const bool r = QWidget::eventFilter(watched, e);
        if (isVisible())
            QMetaObject::invokeMethod(this, [this] { Form_Resize(); }, Qt::QueuedConnection);
        return r;
    }
    if (e->type() == QEvent::FocusIn) {
        if (watched == txtCName) {
            SelectAllText(txtCName, static_cast<QFocusEvent*>(e)->reason());
            txtPName->clear();
        } else if (watched == txtPName) {
            SelectAllText(txtPName, static_cast<QFocusEvent*>(e)->reason());
        } else if (watched == cmbGroup) {
            // Entered from the keyboard: the list drops. The focus coming back from the closed
            // list, or from a click that opens the list itself, opens nothing.
            const auto reason = static_cast<QFocusEvent*>(e)->reason();
            if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason)
                CmbShowList(false);
        }
    } else if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        const int code = VbKeyCode(k->key());
        if (watched == txtCName || watched == txtPName) {
            if (code == 13) {
                RefreshList();
                return true;
            }
            if (EnterToTab(code))
                return true;
        } else if (watched == cmbGroup) {
            if (code == 13 || code == 37 || code == 39) {
                CmbEnterToTab(code);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, e);
}

// ---------------------------------------------------------------------------------------
// Voucher grid

void frmMain::InitListSheet()
{
    SetDateSpread(spDate[0], false);
    SetDateSpread(spDate[1], false);
    spDate[0]->SetText(1, 1, platform::today().toString(QStringLiteral("yyyy-MM-01")));

    CommonSpreadDesign(spList, false, true, true, true, true);
    SetSpreadColLock(spList, ColMargin, false, true);
    spList->SetBackColor(0xE0F0E0);
    for (int c = 1; c <= ColUseCost; ++c)
        spList->SetColID(c, QString::fromUtf8(kColumns[c - 1].field));

    SetTotalSpreadDesign(spTotal, spList, 1);
    for (int c : {ColMaeipCost, ColMaechulCost, ColUseCost, ColMargin})
        SetSpreadCurrencyCol(spTotal, c, false);
}

VoucherFilter frmMain::CurrentFilter() const
{
    VoucherFilter f;
    f.dateFrom = spDate[0]->GetText(1, 1);
    f.dateTo = spDate[1]->GetText(1, 1);
    f.productText = txtPName->text();
    f.groupText = cmbGroup->currentText();
    f.noSale = chkNoSale->isChecked();
    f.searchKind = cmbGu->currentIndex();
    f.partyText = txtCName->text();
    return f;
}

namespace {

// The text a field puts into column col of the list. An amount with a fraction or an exponent
// (a REAL or a text stored by another program) is read by the one rule for stored amounts
// into its whole amount, as the trade records read it: the text of a REAL keeps 15 digits
// only, and a grid reading a decimal text through a floating-point number would lose digits
// past them. Any other value, and one past the range or no number, keeps its text.
QString listText(const dao::Recordset& rs, int field, int col)
{
    QString text = rs.text(field);
    if (col != ColMaeipCost && col != ColMaechulCost && col != ColUseCost)
        return text;
    for (const QChar ch : std::as_const(text)) {
        if (ch == QLatin1Char('.') || ch == QLatin1Char('e') || ch == QLatin1Char('E')) {
            qint64 amount = 0;
            if (dao::readAmount(rs.value(field), amount) == dao::AmountKind::Whole)
                text = QString::number(amount);
            break;
        }
    }
    return text;
}

} // namespace

void frmMain::RefreshList()
{
    if (txtCName->text().isEmpty() && !periodReady())
        return; // the list stays as it was
    spList->SetMaxRows(0);
    spList->SetReDraw(false);

    const SqlStatement st = BuildVoucherQuery(CurrentFilter());
    RecordsetPtr rs;
    if (!DAO_OpenSnapshot(gDB, rs, st.sql, st.params)) {
        spList->SetReDraw(true);
        return;
    }

    try {
        if (!rs->eof()) {
            rs->moveLast();
            spList->SetMaxRows(int(rs->recordCount()));
            rs->moveFirst();
        }
        int fieldOf[ListMaxCols + 1];
        for (int c = 1; c <= ColUseCost; ++c)
            fieldOf[c] = rs->fieldIndex(QString::fromUtf8(kColumns[c - 1].field));
        const int keyField = rs->fieldIndex(QStringLiteral("total_id"));
        int r = 0;
        for (; !rs->eof(); rs->moveNext()) {
            ++r;
            for (int c = 1; c <= ColUseCost; ++c)
                spList->SetText(c, r, listText(*rs, fieldOf[c], c));
            spList->SetText(ColKey, r, rs->text(keyField));
        }
    } catch (const dao::DaoError& err) {
        ShowProcError(err.number(), err.description(), QStringLiteral("RefreshList"), QStringLiteral("Form"),
                      QStringLiteral("frmMain"));
    }
    CloseRS(rs);

    spList->SetCol(ColMargin);
    spList->SetRow(-1);
    spList->SetFormula(QString::fromLatin1(kMarginFormula));

    spList->SetReDraw(true);
    AddBlankRow();
    fitListValues();
    spList->SetActiveCell(ColGroup, spList->MaxRows());
    if (spList->isVisible())
        spList->setFocus();
    QApplication::restoreOverrideCursor();
}

void frmMain::AddBlankRow()
{
    spList->SetMaxRows(spList->MaxRows() + 1);
    spList->SetText(ColMaeipDate, spList->MaxRows(), sDefaultDate);
    spList->SetText(ColMaechulDate, spList->MaxRows(), sDefaultDate);
    spList->Refresh();
    SetSumFormulas();
}

void frmMain::SetSumFormulas()
{
    const int maxRows = spList->MaxRows();
    if (maxRows == 0)
        return;
    for (const auto& pair : kSumPairs) {
        spList->SetCol(pair[0]);
        spList->SetRow(-1);
        spList->SetFormula(QString());
        spList->SetText(QString());
        spList->SetRow(1);
        spList->SetFormula(QStringLiteral("SUM(R1C%1:R%2C%1)").arg(pair[1]).arg(maxRows));
    }
    copyTotals();
}

void frmMain::copyTotals()
{
    for (const auto& pair : kSumPairs)
        spTotal->SetText(totalColumnFor(pair[0]), 1, totalText(pair[0]));
    fitTotalsRow();
}

// The sum of a sum column as the totals row shows it: the exact amount, or the overflow mark
// for a sum past the 64-bit range (never the sum's text, which is cut to 15 digits there).
QString frmMain::totalText(int sumCol) const
{
    const auto amount = spList->model().amountAt(sumCol, 1);
    return amount ? QString::number(*amount) : platform::SpreadModel::overflowMark();
}

// A column too narrow for needed (in column units) is widened in both grids, so that the
// totals stay under their columns; fitTotalsRow has the text columns give the width back.
// It is widened no further than the room the list's view has for a column, so that it comes
// into view whole at some sideways position: what does not fit there shows the overflow mark.
// The width asked for is kept, so that the column follows the room when the view is resized
// (fitWidenedToRoom), never narrower than the width it had before.
void frmMain::widenToShow(int col, double needed)
{
    FitWidth& f = fitWidths[col];
    const double now = spList->ColWidth(col);
    if (f.given == 0 || now != f.given) {
        // not widened yet, or its width was set since: that width is its own now
        f = FitWidth{0, now, now};
    }
    f.wanted = qMax(f.wanted, needed);
    double target = qMax(f.own, f.wanted);
    // (the room is known once the list is shown; the view's first resize fits it again)
    const double room = spList->isVisible() ? spList->ColRoom() : 0;
    if (room > 0)
        target = qMax(f.own, qMin(target, room));
    f.given = target;
    if (target == now)
        return;
    dTotalsGrown += target - now;
    spList->SetColWidth(col, target);
    spTotal->SetColWidth(col, target);
}

// The list's view changed its width: the widened columns follow the room it has for them.
void frmMain::fitWidenedToRoom()
{
    for (int c : {ColMaeipDate, ColMaeipCost, ColMaechulDate, ColMaechulCost, ColUseCost, ColMargin})
        if (fitWidths[c].given != 0)
            widenToShow(c, 0);
    fitTotalsRow();
}

// The dates and amounts of the list are shown whole in the list's font (a larger font from the
// grid menu included): the date columns take the width of a date, each amount column the width
// of its widest amount. The text columns give the width back (fitTotalsRow).
void frmMain::fitListValues()
{
    const int rows = spList->MaxRows();
    if (rows == 0)
        return;
    // every date has the same form: the blank row always holds one
    for (int c : {ColMaeipDate, ColMaechulDate})
        widenToShow(c, spList->MaxTextCellWidth(c, rows));
    const platform::SpreadModel& model = spList->model();
    // An amount that rounds to a value beyond the 64-bit range shows the overflow mark at any
    // width: the widest amount is looked for among the others.
    constexpr long double kAbove = 9223372036854775807.5L, kLowest = -9223372036854775808.0L;
    for (int c : {ColMaeipCost, ColMaechulCost, ColUseCost, ColMargin}) {
        // The widest amount is the largest or the most negative one (the most digits, the
        // sign): only those two are formatted, not every row.
        int maxRow = 1, minRow = 1;
        long double maxValue = kLowest, minValue = kAbove;
        for (int r = 1; r <= rows; ++r) {
            const long double v = model.numberAt(c, r);
            if (v > maxValue && v < kAbove) {
                maxValue = v;
                maxRow = r;
            }
            if (v < minValue && v >= kLowest) {
                minValue = v;
                minRow = r;
            }
        }
        widenToShow(c, qMax(spList->MaxTextCellWidth(c, maxRow), spList->MaxTextCellWidth(c, minRow)));
    }
    fitTotalsRow();
}

// The totals are shown whole: a total wider than its column widens that column in both grids
// (the list's column with it, so that each total stays under its column). The row-number
// column of the list widens with the row count; the totals grid's follows it. What the
// amounts, the dates and the row numbers take is given back by the text columns (the product
// name first), down to a width that still shows a short name, so that a ledger that fitted
// its window still fits and no number is cut by the window's edge.
void frmMain::fitTotalsRow()
{
    for (const auto& pair : kSumPairs) {
        const int c = totalColumnFor(pair[0]);
        widenToShow(c, spTotal->MaxTextCellWidth(c, 1));
    }
    const double rowNumbers = spList->ShownColWidth(0);
    if (spTotal->ColWidth(0) != rowNumbers)
        spTotal->SetColWidth(0, rowNumbers);

    constexpr double kNarrowest = 10;
    const int givers[3] = {ColProName, ColMaechulName, ColMaeipName};
    double owed = dTotalsGrown + qMax(0.0, rowNumbers - spList->ColWidth(0));
    for (int i = 0; i < 3; ++i) {
        const int c = givers[i];
        const double own = spList->ColWidth(c) + dGivenBack[i];
        const double give = qBound(0.0, own - kNarrowest, owed);
        owed -= give;
        if (give != dGivenBack[i]) {
            dGivenBack[i] = give;
            spList->SetColWidth(c, own - give);
            spTotal->SetColWidth(c, own - give);
        }
    }
}

void frmMain::spList_Change(int col, int row)
{
    if (col == ColMaeipCost || col == ColMaechulCost || col == ColUseCost || col == ColMargin) {
        widenToShow(col, spList->MaxTextCellWidth(col, row));
        fitTotalsRow();
    }
    if (row != 1)
        return;
    const int target = totalColumnFor(col);
    if (target) {
        spTotal->SetText(target, 1, totalText(col));
        fitTotalsRow();
    }
}

void frmMain::spList_BeforeUserSort(int, int, int&)
{
    // The blank row is not sorted among the vouchers.
    spList->DeleteRows(spList->MaxRows(), 1);
    spList->SetMaxRows(spList->DataRowCnt());
}

void frmMain::spList_AfterUserSort(int)
{
    AddBlankRow();
}

void frmMain::spList_ColWidthChange(int col1, int col2)
{
    // The widths the user leaves are the widths from now on; a column the user sets is not
    // widened again until its values or total change.
    dTotalsGrown = 0;
    for (double& given : dGivenBack)
        given = 0;
    for (int c = 1; c <= ColMargin; ++c) {
        FitWidth& f = fitWidths[c];
        if (f.given != 0)
            f = FitWidth{c >= col1 && c <= col2 ? 0 : f.wanted, spList->ColWidth(c), spList->ColWidth(c)};
    }
    for (int c = col1; c <= col2; ++c) {
        spTotal->SetColWidth(c, spList->ColWidth(c));
        SaveSpreadColWidth(this, spList, c, QString(), -1);
    }
}

void frmMain::FillGroupCombo()
{
    cmbGroup->clear();
    cmbGroup->addItem(QString());
    cmbGroup->setCurrentIndex(0);
    const SqlStatement st = BuildGroupListQuery();
    RecordsetPtr rs;
    if (!DAO_OpenSnapshot(gDB, rs, st.sql, st.params))
        return;
    for (; !rs->eof(); rs->moveNext())
        cmbGroup->addItem(rs->text(0));
    CloseRS(rs);
}

// ---------------------------------------------------------------------------------------
// Party boxes

void frmMain::ClearClientInfo(int iKind)
{
    QLabel** panels = infoPanels(iKind);
    for (int i = 0; i < 6; ++i)
        panels[i]->clear();
    txtCurClient[iKind != 0 ? 1 : 0]->clear();
}

void frmMain::DispClientInfo(int kind, qint64 id)
{
    if (id < 1)
        return;
    ClearClientInfo(kind);
    const int k = kind != 0 ? 1 : 0;
    const QString sql = k ? QStringLiteral("select name, tel, phone, zipcode, address, memo from maechul where id = ?")
                          : QStringLiteral("select name, tel, phone, zipcode, address, memo from maeip where id = ?");
    RecordsetPtr rs;
    if (!DAO_OpenSnapshot(gDB, rs, sql, {id}))
        return;
    try {
        if (!rs->eof()) {
            txtCurClient[k]->setText(QString::number(id));
            QLabel** panels = infoPanels(k);
            static const char* fields[6] = {"name", "tel", "zipcode", "phone", "address", "memo"};
            for (int i = 0; i < 6; ++i)
                panels[i]->setText(rs->text(QString::fromLatin1(fields[i])));
        }
    } catch (const dao::DaoError& err) {
        ShowProcError(err.number(), err.description(), QStringLiteral("DispClientInfo"), QStringLiteral("Form"),
                      QStringLiteral("frmMain"));
    }
    CloseRS(rs);
}

void frmMain::SyncUpdateClient(qint64 ncode, int nBusiMode, bool bAdd)
{
    Q_UNUSED(bAdd);
    DispClientInfo(nBusiMode, ncode);
}

// ---------------------------------------------------------------------------------------
// Members completed by the caller-ID, printing and cell-editing units

bool frmMain::InputFromRinglet(QString& telno, bool& bMine)
{
    if (telno.isEmpty())
        return false;
    // behind calls that wait for the file already, if any
    const bool retry = tmrShowCalls->isActive();
    callsToShow.append({telno, bMine, platform::now()});
    if (!bClosingCalls)
        ShowReceivedCalls(retry);
    return true;
}

void frmMain::ShowReceivedCalls(bool retry)
{
    // A call that arrives while another is shown (pending events run once in the middle)
    // comes after it.
    if (bShowingCalls)
        return;
    bShowingCalls = true;
    tmrShowCalls->stop();
    while (!callsToShow.isEmpty()) {
        const ReceivedCall call = callsToShow.first();
        if (!ShowCall(call, retry ? kCallRetryWaitMs : kCallLockWaitMs)) {
            // Every caller still waiting is named, the newest first, and the box holds the
            // newest caller's number.
            // The panel holds one line; its tip names every one of them on a line of its own.
            QStringList waiting, lines;
            for (auto it = callsToShow.crbegin(); it != callsToShow.crend(); ++it) {
                waiting << it->telno;
                lines << it->telno + QStringLiteral("  ") + it->received.toString(QStringLiteral("HH:mm:ss"));
            }
            const QString notice = QStringLiteral("다른 작업장에서 자료를 쓰는 중입니다. 끝나는 대로 표시합니다.");
            cmbGetRinglet->setEditText(callsToShow.last().telno);
            pnlinfoSales->setText(notice + QLatin1Char('(') + waiting.join(QStringLiteral(", ")) + QLatin1Char(')'));
            // as many lines and columns as the screen holds
            const QRect area = pnlinfoSales->screen()->availableGeometry();
            const QFontMetrics fm(QToolTip::font());
            int widest = 0;
            for (const QString& l : std::as_const(lines))
                widest = std::max(widest, fm.horizontalAdvance(l));
            const int linesPerColumn = (area.height() - 4 * fm.lineSpacing()) / std::max(1, fm.lineSpacing());
            const int columns = (area.width() - 32) / (widest + 16 + 8);
            pnlinfoSales->setToolTip(WaitingCallersTip(notice, lines, linesPerColumn, columns));
            tmrShowCalls->start();
            break;
        }
        callsToShow.removeFirst();
    }
    if (callsToShow.isEmpty())
        pnlinfoSales->setToolTip(QString());
    bShowingCalls = false;
}

bool frmMain::ShowCall(const ReceivedCall& call, int lockWaitMs)
{
    const QString& telno = call.telno;
    cmbGetRinglet->setEditText(telno);
    QString local;
    const QString formatted = FormatCallerTelNo(telno, local);
    ClearClientInfo(1);
    if (local.isEmpty()) {
        pnlinfoSales->setText(QStringLiteral("알수 없는 전화번호 형식입니다.(") + cmbGetRinglet->currentText()
                              + QLatin1Char(')'));
        return true;
    }

    QVariantList params;
    const QString sql = CallerLookupSql(telno, params);
    RecordsetPtr rs;
    if (!gDB) {
        ShowRecordsetError(dao::errObjectNotSet, QStringLiteral("Object variable not set"), sql);
        return true;
    }
    // The lookup only reads: another workstation's write holds it up only while it commits.
    // Under a lock that lasts the panel says so and the caller is shown once it can be read.
    try {
        ScopedLockWait brief(*gDB, lockWaitMs);
        rs = gDB->openRecordset(sql, dao::dbOpenSnapshot, params);
    } catch (const dao::DaoError& err) {
        if (err.number() == dao::errLocked)
            return false; // the panel names the callers waiting
        ShowRecordsetError(err.number(), err.description(), sql);
        return true;
    }
    QString name;
    const QString received = cmbGetRinglet->currentText();
    try {
        const CallerInfo c = ReadCaller(*rs, telno);
        if (!c.found) {
            pnlinfoSales->setText(QStringLiteral("등록되지 않은 전화번호 입니다.(") + received + QLatin1Char(')'));
        } else {
            QCoreApplication::processEvents(); // pending events run once
            name = c.name;
            pnlinfo2[0]->setText(c.name);
            pnlinfo2[1]->setText(c.tel);
            pnlinfo2[3]->setText(c.phone);
            pnlinfo2[2]->setText(c.zipcode);
            pnlinfo2[4]->setText(c.address);
            pnlinfo2[5]->setText(c.memo);
            txtCurClient[1]->setText(QString::number(c.id));
            // A search text being typed is kept.
            if (txtCName->text().isEmpty() || focusWidget() != txtCName)
                setNameText(txtCName, c.name);
            pnlinfoSales->setText(c.products);
        }
        // the moment the call came in, also for one shown or stored later
        const QDateTime& when = call.received;
        cmbGetRinglet->insertItem(0, CallHistoryLine(formatted, when, pnlinfo2[0]->text(), pnlinfoSales->text()));
        // The list drops down at the newest line; the box keeps the number as received.
        cmbGetRinglet->setCurrentIndex(0);
        cmbGetRinglet->setEditText(received);
        CloseRS(rs);

        const QString sdate = when.toString(QStringLiteral("yyyy-MM-dd"));
        const QString stime = when.toString(QStringLiteral("HH:mm:ss"));
        // Only the workstation whose server heard the call stores it; a call that finds the
        // file locked is stored as soon as it is free.
        const qint64 seq = call.bMine ? callRecords->add({sdate, stime, telno, name}) : 0;
        if (IsFormLoaded(QStringLiteral("FrmTelList")))
            if (FrmTelList* list = FrmTelList::Instance())
                list->AddNewCall(sdate, stime, telno, name, seq);
        cmdTelList_Click();
    } catch (const dao::DaoError& err) {
        CloseRS(rs);
        ShowProcError(err.number(), err.description(), QStringLiteral("InputFromRinglet"), QStringLiteral("Form"),
                      QStringLiteral("frmMain"));
    }
    return true;
}

void frmMain::StoreCallsOnExit()
{
    // Calls of this workstation that could not even be read yet are looked up now for the
    // caller's name; then every call still waiting is written. All of them together wait
    // once for another workstation's lock, as long as any action of the user's would. The
    // caller-ID client keeps listening through the wait: a call received meanwhile joins
    // the others. The calls that still cannot be stored are named in one message, so the
    // user can note them.
    tmrShowCalls->stop();
    bClosingCalls = true;
    // a call that meets an error other than a lock now is named with the others
    callRecords->setErrorHandler({});
    QList<CallRecordQueue::Call> notStored;
    const int limit = !gDB ? 0 : gDB->busyTimeout() >= 0 ? gDB->busyTimeout() : dao::Database::defaultBusyLimit();
    const QDeadlineTimer deadline(limit);
    const auto turn = [&deadline] { return int(qBound<qint64>(0, deadline.remainingTime(), qint64(kCallRetryMs))); };
    for (;;) {
        queueReceivedCallsOnExit(turn(), false);
        notStored += callRecords->writeWaiting(turn());
        if ((callRecords->waiting().isEmpty() && callsToShow.isEmpty()) || deadline.hasExpired())
            break;
        // datagrams and timers only: the user's input waits with the window
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    }
    // What the socket holds yet is taken in before it closes.
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    FrmRCidClient::Unload();
    queueReceivedCallsOnExit(turn(), true);
    FrmCallsNotStored::Show(notStored + callRecords->flush(deadline), this);
}

void frmMain::queueReceivedCallsOnExit(int waitMs, bool last)
{
    while (!callsToShow.isEmpty()) {
        const ReceivedCall call = callsToShow.first();
        QString local;
        FormatCallerTelNo(call.telno, local);
        QString name;
        if (call.bMine && !local.isEmpty() && gDB) {
            try {
                QVariantList params;
                const QString sql = CallerLookupSql(call.telno, params);
                ScopedLockWait wait(*gDB, waitMs);
                const auto rs = gDB->openRecordset(sql, dao::dbOpenSnapshot, params);
                name = ReadCaller(*rs, call.telno).name;
            } catch (const dao::DaoError& err) {
                if (err.number() == dao::errLocked && !last)
                    return; // the next turn
                // stored without a name rather than not at all
            }
        }
        callsToShow.removeFirst();
        if (call.bMine && !local.isEmpty())
            callRecords->queue({call.received.toString(QStringLiteral("yyyy-MM-dd")),
                                call.received.toString(QStringLiteral("HH:mm:ss")), call.telno, name});
    }
}

void frmMain::loadCallerIdClient()
{
    QPointer<frmMain> self(this);
    FrmRCidClient::Load([self](QString& telno, bool& bMine) { return self ? self->InputFromRinglet(telno, bMine) : false; });
}

void frmMain::chkUseRinglet_Click()
{
    // The box is also set from the stored setting during start-up; only the user's clicks count.
    if (!isVisible())
        return;
    if (!chkUseRinglet->isChecked()) {
        FrmRCidClient::Unload();
        platform::SaveSetting(gsTitle, QStringLiteral("Registration"), QStringLiteral("RingletUse"), QStringLiteral("0"));
    } else {
        loadCallerIdClient();
        platform::SaveSetting(gsTitle, QStringLiteral("Registration"), QStringLiteral("RingletUse"), QStringLiteral("1"));
    }
}

void frmMain::cmdTelList_Click()
{
    FrmTelList* list = FrmTelList::Load();
    // the list shows the calls still on their way to the table as it shows a new call
    if (list)
        list->SetCallRecords(callRecords);
    FormFocus(list);
}

bool frmMain::cmdSMS_Click()
{
    FrmEasySMS* sms = FrmEasySMS::Load();
    if (!sms)
        return false;
    FormFocus(sms);
    const QString text = cmbGetRinglet->currentText();
    if (!text.isEmpty()) {
        sms->lstTelNo->clear();
        sms->lstTelNo->addItem(NumberOfHistoryLine(text));
        sms->UpdateRecipientCount();
        sms->cmdSubmit->setFocus();
    }
    return true;
}

bool frmMain::print_total_input()
{
    try {
        if (!gDB)
            throw dao::DaoError(dao::errObjectNotSet, QStringLiteral("Data Base MDB가 선언되지 않았습니다."));
        FillTotalPrint(*gDB, LedgerPrintRows(spList));
        return true;
    } catch (const dao::DaoError& err) {
        ShowProcError(err.number(), err.description(), QStringLiteral("print_total_input"), QStringLiteral("Form"),
                      QStringLiteral("frmMain"));
        return false;
    }
}

void frmMain::btnPrint_Click()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool filled = print_total_input();
    QString expected;
    const QString reportFile = filled ? LedgerReportFile(&expected) : QString();
    QApplication::restoreOverrideCursor();
    if (!filled)
        return; // the rows of an earlier print are not printed as this one
    if (reportFile.isEmpty()) {
        MsgWarn(QStringLiteral("보고서 파일을 찾을 수 없습니다.\r\n") + QDir::toNativeSeparators(expected));
        return;
    }
    const auto tellFailure = [this] {
        MsgWarn(QStringLiteral("장부를 인쇄하지 못했습니다.\r\n") + report->LastErrorString());
    };
    if (!report) {
        report = std::make_unique<platform::ReportEngine>(this);
        // a print from the preview that fails is told at once; the preview stays open
        report->SetPrintErrorHandler(tellFailure);
    }
    report->SetReportFileName(reportFile);
    report->SetDataFiles(0, gsDBFile);
    report->SetFormulas(0, kLedgerTitleFormula);
    if (!report->SetAction(1))
        tellFailure();
}

// ---------------------------------------------------------------------------------------
// Voucher cell editing and write-back

void frmMain::spList_EditMode(int Col, int Row, int Mode, bool ChangeMade)
{
    if (Mode == 1) {
        sOldCellText = GetSpreadText(spList, Col, Row);
        bEnterPressed = false;
        return;
    }
    try {
        spList_LeaveEditMode(Col, Row, Mode, ChangeMade);
    } catch (const dao::DaoError& err) {
        // Nothing half-done stays in the cell: it shows what the database holds.
        spList->SetText(Col, Row, sOldCellText);
        ShowProcError(err.number(), err.description(), QStringLiteral("spList_EditMode"), QStringLiteral("Form"),
                      QStringLiteral("frmMain"));
    }
}

void frmMain::spList_LeaveEditMode(int Col, int Row, int Mode, bool ChangeMade)
{
    // A voucher above the last one was saved before: a change to it is confirmed first.
    if (ChangeMade && Row < spList->MaxRows() - 1) {
        if (!ReallyEdit(spList, sOldCellText, Col, Row, true, QString()))
            return;
    }

    QString text = GetSpreadText(spList, Col, Row);
    // Enter on an empty group, product or party cell opens its pick list.
    const bool lookup = text.isEmpty() && bEnterPressed
        && (Col == ColGroup || Col == ColProName || Col == ColMaeipName || Col == ColMaechulName);
    if (!ChangeMade && !lookup)
        return;

    auto refuse = [&] {
        spList->SetText(Col, Row, sOldCellText);
        spList->SetActiveCell(Col, Row);
    };

    // ---- completion by column
    switch (Col) {
    case ColMaeipDate:
    case ColMaechulDate:
        if (!text.isEmpty()) {
            if (!CheckDateText(text)) {
                refuse();
                return;
            }
            spList->SetText(Col, Row, text);
            sDefaultDate = GetSpreadText(spList, Col, Row);
        }
        // A new voucher's sales date follows its purchase date.
        if (Row == spList->MaxRows() && Col == ColMaeipDate)
            spList->SetText(ColMaechulDate, Row, text);
        break;
    case ColGroup:
    case ColProName: {
        QString name;
        if (Col == ColGroup) {
            name = SelectGroup(text, txtCode, 0, true);
        } else {
            const QString group = GetSpreadText(spList, ColGroup, Row);
            name = SelectProduct(text, txtCode, 0, true, group);
        }
        spList->SetFocus();
        if (name.isEmpty() || name == sOldCellText) {
            refuse();
            return;
        }
        spList->SetText(Col, Row, name);
        text = name;
        break;
    }
    case ColMaeipName:
    case ColMaechulName: {
        txtCode->clear();
        const long kind = Col == ColMaeipName ? 0 : 1;
        const QString name = SelectClient(kind, text, txtCode, pnlTop, 2, true);
        spList->SetFocus();
        if (txtCode->text().isEmpty()) {
            refuse();
            return;
        }
        const QString id = txtCode->text();
        spList->SetText(Col - 1, Row, id);
        spList->SetText(Col, Row, name);
        text = name;
        DispClientInfo(int(kind), id.toLongLong());
        break;
    }
    default:
        break;
    }

    // ---- write-back
    bool written = false;
    if (Row < spList->MaxRows()) {
        long field = (Col == ColMaeipName || Col == ColMaechulName) ? Col - 1 : Col;
        QVariant value = field == Col ? QVariant(text) : QVariant(GetSpreadText(spList, int(field), Row));
        long row = Row;
        written = RecUpdate(field, row, value);
    } else if (Col == ColProName) {
        qint64 id = 0;
        if (!GetSpreadText(spList, ColProName, Row).isEmpty() && RecAddNew(Row, id)) {
            spList->SetText(ColKey, Row, QString::number(id));
            for (int c : {ColMaeipCost, ColMaechulCost, ColUseCost})
                spList->SetText(c, Row, QStringLiteral("0"));
            AddBlankRow();
            written = true;
        }
    } else if (Col == ColGroup && text == QStringLiteral("서버")) {
        // The group shortcut: the product "관리비" is picked and the voucher created at once.
        sOldCellText.clear();
        spList->SetText(ColProName, Row, QStringLiteral("관리비"));
        struct AutoPick { // set only for this one pick, also when it fails with an error
            AutoPick() { gbAutoPickProduct = true; }
            ~AutoPick() { gbAutoPickProduct = false; }
        };
        {
            AutoPick autoPick;
            spList_LeaveEditMode(ColProName, Row, Mode, true);
        }
        spList->SetActiveCell(ColMaechulName, Row);
        return;
    } else if (Col == ColMaeipDate || Col == ColMaechulDate || Col == ColGroup) {
        return; // kept in the blank row for the voucher to come
    } else {
        MsgInfo(QStringLiteral("상품명을 먼저 입력하세요."));
        spList->SetActiveCell(ColProName, Row);
        spList->SetFocus();
    }

    if (written) {
        if (GetSpreadText(spList, ColKey, Row).toLongLong() >= 1 && Col == ColMaechulName) {
            setNameText(txtCName, text);
            RefreshList();
            spList->SetActiveCell(ColMaechulCost, spList->MaxRows() - 1);
        }
        return;
    }
    spList->SetText(Col, Row, sOldCellText);
}

bool frmMain::RecAddNew(int Row, qint64& id)
{
    try {
        if (!gDB)
            throw dao::DaoError(dao::errObjectNotSet, QStringLiteral("Object variable or With block variable not set"));
        NewVoucher v;
        v.maeipDate = GetSpreadText(spList, ColMaeipDate, Row);
        v.groupName = GetSpreadText(spList, ColGroup, Row);
        v.proName = GetSpreadText(spList, ColProName, Row);
        v.maechulDate = GetSpreadText(spList, ColMaechulDate, Row);
        if (InsertVoucher(*gDB, v, id))
            return true;
        MsgInfo(QStringLiteral("자료 저장중 오류가 발생했습니다."));
    } catch (const dao::DaoError& err) {
        ShowProcError(err.number(), err.description(), QStringLiteral("RecAddNew"), QStringLiteral("Form"),
                      QStringLiteral("frmMain"));
    }
    return false;
}

bool frmMain::RecUpdate(long& Col, long& Row, QVariant& vNewValue)
{
    const qint64 id = GetSpreadText(spList, ColKey, int(Row)).toLongLong();
    if (id == 0) {
        MsgWarn(QStringLiteral("전표코드 정의 오류입니다."));
        return false;
    }
    try {
        if (!gDB)
            throw dao::DaoError(dao::errObjectNotSet, QStringLiteral("Object variable or With block variable not set"));
        // Only a column of the grid's own list of voucher fields is ever named in the statement.
        const QString field = spList->ColID(int(Col));
        QVariant value;
        if (!VoucherFieldValue(field, vNewValue.toString(), value))
            throw dao::DaoError(13, QStringLiteral("Type mismatch"));
        QString nameField;
        QVariant name;
        if (Col == ColMaeipCode) {
            nameField = QStringLiteral("maeip_name");
            name = GetSpreadText(spList, ColMaeipName, int(Row));
        } else if (Col == ColMaechulCode) {
            nameField = QStringLiteral("maechul_name");
            name = GetSpreadText(spList, ColMaechulName, int(Row));
        }
        if (UpdateVoucherField(*gDB, id, field, value, nameField, name) == VoucherWrite::NotFound) {
            // Deleted by another workstation meanwhile: nothing is written, nothing recreated.
            MsgWarn(QStringLiteral("전표코드[%1]에 해당하는 자료를 찾을 수 없습니다.").arg(id));
            return false;
        }
        return true;
    } catch (const dao::DaoError& err) {
        ShowErrMsg(QStringLiteral("자료를 수정하는 중 오류가 발생했습니다."), err);
    }
    return false;
}

// The party boxes follow the voucher of a row the cursor comes to.
void frmMain::showPartiesOf(int row)
{
    DispClientInfo(0, GetSpreadText(spList, ColMaeipCode, row).toLongLong());
    DispClientInfo(1, GetSpreadText(spList, ColMaechulCode, row).toLongLong());
}

void frmMain::RecDelete()
{
    try {
        int row = spList->ActiveRow();
        // only a voucher the user sees: never one of a row hidden by the grid menu
        const bool shown = row >= 1 && !spList->RowHidden(row);
        const qint64 id = shown ? GetSpreadText(spList, ColKey, row).toLongLong() : 0;
        if (id == 0) {
            MsgInfo(QStringLiteral("삭제할 전표자료를 선택하세요."));
            spList->SetFocus();
            return;
        }
        spList->SetOperationMode(platform::SpreadGrid::OpModeRow);
        const bool yes = MsgYesNo(QStringLiteral("선택된 전표자료를 정말로 삭제 하시겠습니까?"), QStringLiteral("전표 삭제"))
            == platform::AnswerYes;
        if (yes && RecDelete_Sub(id)) {
            // Typing not yet written into the deleted voucher's cell goes with it.
            spList->EndEdit(false);
            SpreadDeleteRow(spList, row, true, true);
            // Fitting the rows to the data drops a blank row whose dates were emptied: the
            // last row must stay the blank one, or the next edit would take a voucher for it.
            if (spList->MaxRows() == 0 || !GetSpreadText(spList, ColKey, spList->MaxRows()).isEmpty())
                AddBlankRow();
            SetSumFormulas();
            // the voucher below has moved into the cursor's row without a move of the cursor
            if (spList->ActiveRow() >= 1)
                showPartiesOf(spList->ActiveRow());
        }
        spList->SetOperationMode(platform::SpreadGrid::OpModeNormal);
        spList->Refresh();
        spList->SetFocus();
    } catch (const dao::DaoError& err) {
        spList->SetOperationMode(platform::SpreadGrid::OpModeNormal);
        ShowProcError(err.number(), err.description(), QStringLiteral("RecDelete"), QStringLiteral("Form"),
                      QStringLiteral("frmMain"));
    }
}

bool frmMain::RecDelete_Sub(qint64 id)
{
    try {
        if (!gDB)
            throw dao::DaoError(dao::errObjectNotSet, QStringLiteral("Object variable or With block variable not set"));
        if (DeleteVoucher(*gDB, id))
            return true;
        MsgInfo(QStringLiteral("자료삭제중 오류가 발생했습니다."));
    } catch (const dao::DaoError& err) {
        ShowProcError(err.number(), err.description(), QStringLiteral("RecDelete_Sub"), QStringLiteral("Form"),
                      QStringLiteral("frmMain"));
    }
    return false;
}

void frmMain::spList_KeyDown(int& keyCode, int shift)
{
    Q_UNUSED(shift);
    if (keyCode == 115) { // F4
        RecDelete();
        keyCode = 0;
    }
}

void frmMain::spList_KeyPress(int& keyAscii)
{
    if (keyAscii == 13)
        bEnterPressed = true;
}

void frmMain::spList_MouseDown(int button, int shift, double x, double y)
{
    Q_UNUSED(shift);
    Q_UNUSED(x);
    Q_UNUSED(y);
    if (button == 2) {
        ShowSpreadMenu(this, spList, false, QString(), false, true);
        // a new font size: the dates and amounts are shown whole in it
        fitListValues();
    }
}
