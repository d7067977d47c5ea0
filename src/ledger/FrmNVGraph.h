#pragma once
#include <QString>
#include <QWidget>

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace platform { class ucNVGraph; }

// Where the graph window keeps its display choices in the settings store.
inline const QString kGraphConfigApp = QStringLiteral("NorvaneGraphOCX");
inline const QString kGraphConfigSection = QStringLiteral("Config");
inline const QString kGraphTitleSection = QStringLiteral("Config_Form");
inline const QString kGraphTitleKey = QStringLiteral("GraphA_인쇄제목");

// The analysis graph ("그래프"): shows the points handed over by the analysis query window,
// with its display choices, paging and printing. Every choice is stored the moment it
// changes (only while the window is shown) and read back when the window loads.
// Closing the window destroys it.
class FrmNVGraph : public QWidget {
    Q_OBJECT
public:
    explicit FrmNVGraph(QWidget* parent = nullptr);
    ~FrmNVGraph() override;

    // ---- the window's interface to the query window, called in this order
    void ClearGraph();
    void AddData(double& fData, QString& sName);
    void ReDrawGraph();

    // ---- handlers
    void cmdRefresh_Click();
    void cmdMovePage_Click(int Index);
    void btnColor_Click(int Index);
    void btnPrint_Click();
    void Form_KeyDown(int KeyCode);
    void Form_Resize();

    int CurrentPage() const { return m_page; }

    // ---- controls
    QFrame* pnlTop = nullptr;
    QFrame* pnlList = nullptr;
    QFrame* picBoard = nullptr;
    platform::ucNVGraph* NVGraph = nullptr;
    QLineEdit* txtTitle = nullptr;
    QLineEdit* htMax[3] = {};      // (0) columns per page, (2) bottom margin; (1) unused
    QCheckBox* chkGrpStat[4] = {};
    QComboBox* cboGraphType = nullptr;
    QComboBox* cboUnit = nullptr;
    QPushButton* btnColor[2] = {};
    QPushButton* cmdRefresh = nullptr;
    QPushButton* cmdMovePage[2] = {};
    QLabel* lblPage = nullptr;
    QLabel* lblDataCnt = nullptr;
    QPushButton* btnPrint = nullptr;
    QPushButton* btnClose = nullptr;

protected:
    void resizeEvent(QResizeEvent* e) override;
    bool event(QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void buildControls();
    void Form_Load();
    void SetPageButtons();
    void htMax_Change(int Index);
    void chkGrpStat_Click(int Index);
    void cboGraphType_Click();
    void cboUnit_Click();
    void txtTitle_Change();
    static void SaveConfig(const QString& sKey, const QString& sValue);
    static QString LoadConfig(const QString& sKey, const QString& sDefault);
    void setButtonColor(int Index, long colour);

    int m_page = 1;
    bool m_widened = false;
};
