#include "ledger/FrmTradeGraph.h"

#include "frame/modComboBox.h"
#include "frame/modDate.h"
#include "frame/modFrmCtrl.h"
#include "frame/modGlobal.h"
#include "frame/modMain.h"
#include "frame/modMsgBox.h"
#include "ledger/FrmNVGraph.h"
#include "platform/DaoError.h"
#include "platform/FormRegistry.h"
#include "platform/Prompter.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// A sum beyond the Currency range: error 6 of our own, or the engine's "Overflow" from CURSUM.
bool isOverflow(const dao::DaoError& e)
{
    return e.number() == 6 || e.description().startsWith(QLatin1String("Overflow"));
}

struct WaitCursor {
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
};

const char* const kTypeCaptions[5] = {"일별", "월별", "년별", "품목별", "그룹별"};

} // namespace

FrmTradeGraph::FrmTradeGraph(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("FrmTradeGraph"));
    setAttribute(Qt::WA_DeleteOnClose);
    SetTradeGubun(1); // before anything else runs
    buildControls();
    platform::FormRegistry::instance().registerForm(this, QStringLiteral("FrmTradeGraph"));
    Form_Load();
}

FrmTradeGraph::~FrmTradeGraph()
{
    Form_Unload();
    platform::FormRegistry::instance().unregisterForm(this);
}

void FrmTradeGraph::SetTradeGubun(int value)
{
    m_byTradeGubun = quint8(value != 0 ? qBound(1, value, 255) : 0);
    setWindowTitle(value != 0 ? QStringLiteral("매출 분석 그래프") : QStringLiteral("매입 분석 그래프"));
}

void FrmTradeGraph::buildControls()
{
    auto* boxType = new QGroupBox(QStringLiteral("구분"), this);
    auto* typeGroup = new QButtonGroup(this);
    auto* typeLayout = new QHBoxLayout(boxType);
    for (int i = 0; i < 5; ++i) {
        optType[i] = new QRadioButton(QString::fromUtf8(kTypeCaptions[i]), boxType);
        optType[i]->setObjectName(QStringLiteral("optType"));
        optType[i]->setProperty("Index", i);
        typeGroup->addButton(optType[i], i);
        typeLayout->addWidget(optType[i]);
    }
    optType[0]->setChecked(true);

    auto* boxValue = new QGroupBox(QStringLiteral("값"), this);
    auto* valueGroup = new QButtonGroup(this);
    auto* valueLayout = new QHBoxLayout(boxValue);
    optGraphValue[0] = new QRadioButton(QStringLiteral("수량"), boxValue);
    optGraphValue[1] = new QRadioButton(QStringLiteral("금액"), boxValue);
    for (int i = 0; i < 2; ++i) {
        optGraphValue[i]->setObjectName(QStringLiteral("optGraphValue"));
        optGraphValue[i]->setProperty("Index", i);
        valueGroup->addButton(optGraphValue[i], i);
        valueLayout->addWidget(optGraphValue[i]);
    }
    optGraphValue[1]->setChecked(true);

    auto* boxDate = new QGroupBox(QStringLiteral("검색기간"), this);
    auto* dateLayout = new QHBoxLayout(boxDate);
    for (int i = 0; i < 2; ++i) {
        txtDate[i] = new QLineEdit(boxDate);
        txtDate[i]->setObjectName(QStringLiteral("txtDate"));
        txtDate[i]->setProperty("Index", i);
        txtDate[i]->setInputMask(QStringLiteral("0000-00-00;_"));
        txtDate[i]->setFixedWidth(96);
        txtDate[i]->installEventFilter(this);
    }
    dateLayout->addWidget(txtDate[0]);
    dateLayout->addWidget(new QLabel(QStringLiteral("~"), boxDate));
    dateLayout->addWidget(txtDate[1]);
    dateLayout->addStretch(1);

    auto makeCombo = [this](const QString& name, const QString& caption, QComboBox*& cmb) {
        auto* box = new QGroupBox(caption, this);
        cmb = new QComboBox(box);
        cmb->setObjectName(name);
        cmb->setEditable(true);
        cmb->setInsertPolicy(QComboBox::NoInsert);
        cmb->setMinimumWidth(180);
        cmb->installEventFilter(this);
        if (cmb->lineEdit())
            cmb->lineEdit()->installEventFilter(this);
        auto* l = new QHBoxLayout(box);
        l->addWidget(cmb, 1);
        return box;
    };
    QGroupBox* boxGroup = makeCombo(QStringLiteral("cmbGroup"), QStringLiteral("그     룹"), cmbGroup);
    QGroupBox* boxPName = makeCombo(QStringLiteral("cmbPName"), QStringLiteral("상 품 명"), cmbPName);

    btnGraph = new QPushButton(QStringLiteral("그래프(&G)"), this);
    btnGraph->setObjectName(QStringLiteral("btnGraph"));
    btnClose = new QPushButton(QStringLiteral("닫기(&C)"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));
    for (QPushButton* b : {btnGraph, btnClose}) {
        b->setAutoDefault(false);
        b->setMinimumHeight(32);
    }

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnGraph);
    buttons->addWidget(btnClose);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(boxType);
    layout->addWidget(boxValue);
    layout->addWidget(boxDate);
    layout->addWidget(boxGroup);
    layout->addWidget(boxPName);
    layout->addLayout(buttons);
    setTabOrder(txtDate[0], txtDate[1]);
    setTabOrder(txtDate[1], cmbGroup);
    setTabOrder(cmbGroup, cmbPName);
    setTabOrder(cmbPName, btnGraph);

    connect(btnGraph, &QPushButton::clicked, this, [this] { btnGraph_Click(); });
    connect(btnClose, &QPushButton::clicked, this, [this] { close(); });
    for (int i = 0; i < 5; ++i)
        connect(optType[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                optType_Click(i);
        });
    for (int i = 0; i < 2; ++i)
        connect(optGraphValue[i], &QRadioButton::toggled, this, [this, i](bool on) {
            if (on)
                optGraphValue_Click(i);
        });
}

void FrmTradeGraph::Form_Load()
{
    const QDate today = platform::today();
    txtDate[0]->setText(today.toString(QStringLiteral("yyyy-MM-01")));
    txtDate[1]->setText(today.toString(QStringLiteral("yyyy-MM-dd")));
    FillGroup();
    FillPName();
}

void FrmTradeGraph::FillGroup()
{
    cmbGroup->clear();
    cmbGroup->addItem(QString());
    cmbGroup->setCurrentIndex(0);
    RecordsetPtr rs;
    const SqlStatement st = BuildGroupListQuery();
    if (!DAO_OpenSnapshot(gDB, rs, st.sql, st.params))
        return;
    try {
        while (!rs->eof()) {
            cmbGroup->addItem(rs->text(0));
            rs->moveNext();
        }
    } catch (const dao::DaoError& e) {
        ShowProcError(e.number(), e.description(), QStringLiteral("FillGroup"), QStringLiteral("Form"),
                      QStringLiteral("FrmTradeGraph"));
    }
    CloseRS(rs);
}

void FrmTradeGraph::FillPName()
{
    cmbPName->clear();
    cmbPName->addItem(QString());
    cmbPName->setCurrentIndex(0);
    RecordsetPtr rs;
    try {
        if (!DAO_OpenSnapshot(gDB, rs,
                              QStringLiteral("SELECT DISTINCT pro_name FROM total WHERE maechul_cost <> 0 ORDER BY pro_name")))
            return;
        while (!rs->eof()) {
            const QString name = rs->text(0); // "" for Null
            if (!name.trimmed().isEmpty())
                cmbPName->addItem(name);
            rs->moveNext();
        }
    } catch (const dao::DaoError& e) {
        ShowProcError(e.number(), e.description(), QStringLiteral("FillPName"), QStringLiteral("Form"),
                      QStringLiteral("FrmTradeGraph"));
    }
    CloseRS(rs);
}

int FrmTradeGraph::selectedType() const
{
    for (int i = 0; i < 5; ++i)
        if (optType[i]->isChecked())
            return i;
    return -1;
}

TradeQuery FrmTradeGraph::CurrentQuery() const
{
    TradeQuery q;
    q.tradeGubun = m_byTradeGubun;
    q.groupKind = selectedType();
    q.dateFrom = txtDate[0]->text();
    q.dateTo = txtDate[1]->text();
    q.group = cmbGroup->currentText();
    q.product = cmbPName->currentText();
    return q;
}

bool FrmTradeGraph::OpenTradeQuery(int groupKind)
{
    TradeQuery q = CurrentQuery();
    q.groupKind = groupKind;
    const SqlStatement st = BuildTradeQuery(q);
    CloseRS(m_rsTrade);
    if (st.sql.isEmpty())
        return false;
    if (!gDB)
        return DAO_OpenSnapshot(gDB, m_rsTrade, st.sql, st.params); // reports the missing database
    try {
        m_rsTrade = gDB->openRecordset(st.sql, dao::dbOpenSnapshot, st.params);
        return !m_rsTrade->eof();
    } catch (const dao::DaoError& e) {
        // The open, or a group after the first (a sum beyond the range): reported as
        // DAO_OpenSnapshot reports a failed open.
        CloseRS(m_rsTrade);
        m_overflowTold = isOverflow(e);
        ShowRecordsetError(e.number(), e.description(), st.sql);
        return false;
    }
}

bool FrmTradeGraph::LoadGraphData()
{
    const int kind = selectedType();
    if (kind < 0)
        return false;
    m_items.clear();
    m_overflowTold = false;
    if (!OpenTradeQuery(kind))
        return false;
    TradeGraphFolder folder(kind);
    try {
        folder.addRows(*m_rsTrade);
    } catch (const dao::DaoError& e) {
        // A merged point beyond the Currency range: no graph with a wrong amount.
        m_overflowTold = isOverflow(e);
        ShowProcError(e.number(), e.description(), QStringLiteral("LoadGraphData"), QStringLiteral("Form"),
                      QStringLiteral("FrmTradeGraph"));
        return false;
    }
    m_items = folder.items();
    return !m_items.isEmpty();
}

void FrmTradeGraph::btnGraph_Click()
{
    if (!LoadGraphData()) {
        // After an overflow the period has data: its box is the whole answer.
        if (!m_overflowTold)
            MsgInfo(QStringLiteral("기간내 해당 데이터가 없습니다."));
        return;
    }
    SetTopMost(this, true);
    {
        WaitCursor wait;
        if (!m_graph)
            m_graph = new FrmNVGraph();
        FormFocus(m_graph);
        m_graph->ClearGraph();
        SendGraphData();
        m_graph->ReDrawGraph();
    }
    SetTopMost(this, false);
}

void FrmTradeGraph::SendGraphData()
{
    const int kind = selectedType();
    const QString typeCaption = kind >= 0 ? optType[kind]->text() : QString();
    m_graph->setWindowTitle(typeCaption + QLatin1Char(' ') + windowTitle());
    const bool counts = optGraphValue[0]->isChecked();
    if (!counts && !optGraphValue[1]->isChecked())
        return;
    for (const TradeGraphItem& item : m_items) {
        double value = counts ? double(item.Count) : item.Amount.toDouble();
        QString name = item.Name;
        m_graph->AddData(value, name);
    }
}

void FrmTradeGraph::optType_Click(int)
{
    if (isVisible())
        btnGraph_Click();
}

void FrmTradeGraph::optGraphValue_Click(int)
{
    if (isVisible())
        btnGraph_Click();
}

bool FrmTradeGraph::txtDate_Validate(int Index)
{
    if (Index < 0 || Index > 1)
        return true;
    QLineEdit* field = txtDate[Index];
    const QDate d = ParseDateText(field->text());
    if (d.isValid()) {
        const QString normal = d.toString(QStringLiteral("yyyy-MM-dd"));
        if (field->text() != normal)
            field->setText(normal);
        return true;
    }
    MsgPlain(QStringLiteral("잘못된 날짜 형식입니다.\r\n정확한 날짜 형식을 입력하세요."));
    QPointer<QLineEdit> back(field);
    QTimer::singleShot(0, this, [back] {
        if (back) {
            back->setFocus(Qt::OtherFocusReason);
            back->selectAll();
        }
    });
    return false;
}

bool FrmTradeGraph::eventFilter(QObject* watched, QEvent* e)
{
    int dateIndex = -1;
    for (int i = 0; i < 2; ++i)
        if (watched == txtDate[i])
            dateIndex = i;
    const bool inGroup = watched == cmbGroup || (cmbGroup && watched == cmbGroup->lineEdit());
    const bool inPName = watched == cmbPName || (cmbPName && watched == cmbPName->lineEdit());

    if (e->type() == QEvent::FocusIn) {
        const auto reason = static_cast<QFocusEvent*>(e)->reason();
        if (dateIndex >= 0 || (inPName && watched == cmbPName->lineEdit())) {
            QPointer<QLineEdit> edit(qobject_cast<QLineEdit*>(watched));
            QTimer::singleShot(0, this, [edit] {
                if (edit && edit->hasFocus())
                    edit->selectAll();
            });
        } else if (inGroup && watched == cmbGroup
                   && (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason)) {
            CmbShowList(false);
        }
    } else if (e->type() == QEvent::FocusOut && dateIndex >= 0) {
        const auto reason = static_cast<QFocusEvent*>(e)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && isVisible())
            txtDate_Validate(dateIndex);
    } else if (e->type() == QEvent::KeyPress) {
        const int code = VbKeyCode(static_cast<QKeyEvent*>(e));
        if (dateIndex >= 0) {
            if (code == 13 || code == 40 || code == 38) {
                EnterToTab(code);
                return true;
            }
        } else if (inGroup) {
            if (CmbEnterToTab(code))
                return true;
        } else if (inPName) {
            if (code == 13) {
                EnterToTab(code);
                return true;
            }
        }
    }
    return QWidget::eventFilter(watched, e);
}

void FrmTradeGraph::closeEvent(QCloseEvent* e)
{
    Form_Unload();
    QWidget::closeEvent(e);
}

void FrmTradeGraph::Form_Unload()
{
    CloseRS(m_rsTrade);
    if (m_graph) {
        QPointer<FrmNVGraph> graph = m_graph;
        m_graph = nullptr;
        graph->close(); // destroys it
        if (graph)
            delete graph.data();
    }
}
