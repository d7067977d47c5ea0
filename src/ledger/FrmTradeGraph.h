#pragma once
#include "frame/modGlobal.h"
#include "ledger/TradeAnalysis.h"

#include <QPointer>
#include <QVector>
#include <QWidget>

class QComboBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
#include "ledger/FrmNVGraph.h"

// The analysis query window ("매출 분석 그래프" / "매입 분석 그래프"): a sales period, a
// grouping (day, month, year, product, group), count or amount, optional group and product.
// Its graph button counts or sums the sold vouchers of the period and hands the points to
// the graph window, which never outlives this window. Modeless; closing destroys it.
class FrmTradeGraph : public QWidget {
    Q_OBJECT
public:
    explicit FrmTradeGraph(QWidget* parent = nullptr);
    ~FrmTradeGraph() override;

    // Trade kind: not 0 analyses sales margins, 0 purchase amounts; also sets the caption.
    void SetTradeGubun(int value);
    int TradeGubun() const { return m_byTradeGubun; }

    // ---- handlers
    void btnGraph_Click();
    void optType_Click(int Index);
    void optGraphValue_Click(int Index);
    // False (after the message) when the field does not hold a date; the text stays.
    bool txtDate_Validate(int Index);

    // The points of the last query and the graph window (null until the first graph).
    const QVector<TradeGraphItem>& Points() const { return m_items; }
    FrmNVGraph* GraphWindow() const { return m_graph; }
    // The query the window's fields describe (the grouping is -1 when none is selected).
    TradeQuery CurrentQuery() const;

    // ---- controls
    QRadioButton* optType[5] = {};
    QRadioButton* optGraphValue[2] = {};
    QLineEdit* txtDate[2] = {};
    QComboBox* cmbGroup = nullptr;
    QComboBox* cmbPName = nullptr;
    QPushButton* btnGraph = nullptr;
    QPushButton* btnClose = nullptr;

protected:
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void buildControls();
    void Form_Load();
    void Form_Unload();
    void FillGroup();
    void FillPName();
    bool LoadGraphData();
    bool OpenTradeQuery(int groupKind);
    void SendGraphData();
    int selectedType() const;

    quint8 m_byTradeGubun = 1;
    QVector<TradeGraphItem> m_items;
    RecordsetPtr m_rsTrade;
    bool m_overflowTold = false; // the last LoadGraphData reported a sum beyond the range
    QPointer<FrmNVGraph> m_graph;
    bool m_unloaded = false;
};
