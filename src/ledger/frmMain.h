#pragma once
#include "ledger/VoucherQuery.h"

#include <QDateTime>
#include <QList>
#include <QString>
#include <QVariant>
#include <QWidget>
#include <memory>

class CallRecordQueue;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QScrollArea;
class QTimer;
class QToolButton;

namespace platform { class SpreadGrid; }
namespace platform { class ReportEngine; }

// True only while the voucher grid picks the product for the group shortcut "서버".
extern bool gbAutoPickProduct;

// The stacked layout of the main window in twips: the search bar on top, the voucher grid,
// its totals row and the party boxes, 30 twips apart. Only the grid changes height.
struct MainLayoutTwips {
    int width = 0, height = 0;  // the window's size after the minimum of 5000 x 5000
    int topW = 0;               // pnlTop: (0, 0, topW, topH)
    int listTop = 0, listH = 0; // spList: (0, listTop, topW, listH)
    int totalTop = 0;           // spTotal: (0, totalTop, topW, its height)
    int bottomTop = 0;          // pnlBottom: (0, bottomTop, topW, its height)
};
MainLayoutTwips ComputeMainLayout(int width, int height, int innerW, int innerH, int topH, int totalH,
                                  int bottomH);

// The main window: search bar and toolbar, the voucher grid with its totals row, and the
// purchase and sales party boxes. Its load is the program's start-up sequence.
class frmMain : public QWidget {
    Q_OBJECT
public:
    // ---- the window's interface to other windows
    // An incoming call (the caller-ID client hands the number over). True when telno is not empty.
    bool InputFromRinglet(QString& telno, bool& bMine);
    // Rebuilds total_print from the listed vouchers. False (after a message) when the table
    // could not be written; it is then left as it was.
    bool print_total_input();
    // Writes one field of the voucher of a grid row.
    bool RecUpdate(long& Col, long& Row, QVariant& vNewValue);
    // The party editor reports a saved party; the box of that kind shows it again.
    Q_INVOKABLE void SyncUpdateClient(qint64 ncode, int nBusiMode, bool bAdd = false);

public:
    explicit frmMain(QWidget* parent = nullptr);
    ~frmMain() override;

    // The start-up sequence. False when the login failed: the program ends without showing
    // this window (and without offering a backup).
    bool Form_Load();
    // The first activation finishes the start-up; later activations do nothing.
    void Form_Activate();
    // F3 and Escape of the window (virtual-key numbers 114 and 27).
    void Form_KeyDown(int keyCode);
    bool IsLoading() const { return bLoading; }

    // ---- voucher grid
    void InitListSheet();
    void RefreshList();
    void AddBlankRow();
    void SetSumFormulas();
    void FillGroupCombo();
    // The search bar as a filter (what RefreshList queries).
    VoucherFilter CurrentFilter() const;

    // ---- party boxes (kind 0 purchase party, 1 sales party)
    void DispClientInfo(int kind, qint64 id);
    void ClearClientInfo(int iKind);

    QString DefaultDate() const { return sDefaultDate; }

    // ---- controls
    QFrame* pnlTop = nullptr;
    QScrollArea* scrTop = nullptr; // inside pnlTop: scrolls the bar when the window is too small
    platform::SpreadGrid* spDate[2] = {};
    QWidget* udDateCng[2] = {};
    QToolButton* btnMonthView[2] = {};
    QCheckBox* chkChain = nullptr;
    QLineEdit* txtPName = nullptr;
    QComboBox* cmbGroup = nullptr;
    QCheckBox* chkNoSale = nullptr;
    QComboBox* cmbGu = nullptr;
    QLineEdit* txtCName = nullptr;
    QLineEdit* txtCode = nullptr;
    QPushButton* btnRefresh = nullptr;
    QPushButton* btnPrint = nullptr;
    QPushButton* btnGraph = nullptr;
    QPushButton* btnPasswd = nullptr;
    QPushButton* btnExit = nullptr;
    // prints the ledger; made on the first print
    std::unique_ptr<platform::ReportEngine> report;
    // caller ID
    QCheckBox* chkUseRinglet = nullptr;
    QPushButton* cmdTelList = nullptr;
    QComboBox* cmbGetRinglet = nullptr;
    QPushButton* cmdSMS = nullptr;
    // Switches the caller-ID client on or off (only while the window is visible).
    void chkUseRinglet_Click();
    // Shows the call list.
    void cmdTelList_Click();
    // Opens the text-message window for the last caller. False when the message server
    // cannot be reached: the program then ends.
    bool cmdSMS_Click();

    platform::SpreadGrid* spList = nullptr;
    platform::SpreadGrid* spTotal = nullptr;

    QFrame* pnlBottom = nullptr;
    QScrollArea* scrBottom = nullptr; // inside pnlBottom: scrolls the boxes sideways in a narrow window
    QGroupBox* fraClient[2] = {};
    QLabel* pnlinfo[6] = {};
    QLabel* pnlinfo2[6] = {};
    QLabel* pnlinfoSales = nullptr;
    QPushButton* btnClientEdit[2] = {};
    QLineEdit* txtCurClient[2] = {};

    // Up-down of a period field: +1 or -1 day.
    void udDateCng_Change(int index, int days);
    // The layout, as Form_Resize lays it out (public for the bench and tests).
    void Form_Resize();

protected:
    bool event(QEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;

private:
    void buildControls();
    void designListSheet();
    void Form_QueryUnload(bool& cancel);
    void Form_Unload();
    void btnMonthView_Click(int index);
    void btnClientEdit_Click(int index);
    void btnPasswd_Click();
    void btnPrint_Click();
    void spList_Change(int col, int row);
    void spList_BeforeUserSort(int col, int state, int& defaultAction);
    void spList_AfterUserSort(int col);
    void spList_ColWidthChange(int col1, int col2);
    void spDate_Change(int index);
    void showPartiesOf(int row);
    void spDate_EditMode(int index, int mode, bool changed);
    bool periodReady();
    void copyTotals();
    QString totalText(int sumCol) const;
    void fitTotalsRow();
    void fitListValues();
    void widenToShow(int col, double needed);
    void fitWidenedToRoom();
    void alignTotalsWithList();
    // ---- cell editing and write-back
    void spList_EditMode(int Col, int Row, int Mode, bool ChangeMade);
    void spList_LeaveEditMode(int Col, int Row, int Mode, bool ChangeMade);
    void spList_KeyDown(int& keyCode, int shift);
    void spList_KeyPress(int& keyAscii);
    void spList_MouseDown(int button, int shift, double x, double y);
    bool RecAddNew(int Row, qint64& id);
    void RecDelete();
    bool RecDelete_Sub(qint64 id);
    void loadCallerIdClient();
    // ---- incoming calls, shown one after the other in the order received
    struct ReceivedCall {
        QString telno;
        bool bMine = false;
        QDateTime received;
    };
    // Shows the calls received and not shown yet; one that cannot be read yet (another
    // workstation holds the file) is tried again from the event loop, the later ones after it.
    // retry: the first of them has found the file locked before.
    void ShowReceivedCalls(bool retry = false);
    // One call: false when the lookup finds the file locked (the panel then says so).
    bool ShowCall(const ReceivedCall& call, int lockWaitMs);
    // At the end of the program: the calls not stored yet are stored.
    void StoreCallsOnExit();
    // At the close: the calls received and not shown yet go to the waiting calls, each with
    // its caller's name, looked up waiting at most waitMs for a lock; a lookup that must wait
    // longer keeps that call and the ones after it for the next turn, unless last is set
    // (then it goes without a name).
    void queueReceivedCallsOnExit(int waitMs, bool last);
    QLabel** infoPanels(int kind) { return kind != 0 ? pnlinfo2 : pnlinfo; }
    QRect geometryTwips() const;
    void recordLoadGeometry();

    QList<ReceivedCall> callsToShow;
    bool bShowingCalls = false;
    bool bClosingCalls = false; // the close stores the calls: new ones only wait for it
    QTimer* tmrShowCalls = nullptr;
    CallRecordQueue* callRecords = nullptr; // the calls of this workstation on their way to the call list

    bool bLoading = false;
    bool bFirstActivate = false;
    bool bLoaded = false;
    QString sDefaultDate;
    QString sOldCellText;
    QString sOldPeriodText[2]; // of a period box, as its editing began
    bool bPeriodRefused = false;
    bool bEnterPressed = false;
    // Window geometry in twips right after the layout file was applied.
    int lLoadLeft = 0, lLoadTop = 0, lLoadWidth = 0, lLoadHeight = 0;
    bool bLoadMaximized = false;
    // Width (in column units) the totals, dates and amounts have added to their columns since
    // the user last set the widths, and what each text column has given back for it (see
    // fitTotalsRow and fitListValues).
    double dTotalsGrown = 0;
    double dGivenBack[3] = {0, 0, 0};
    // Per column that the dates and amounts widen (by column number, up to the margin): the
    // width its values and total need, the width it had before it was widened, and the width
    // it was given (0: not widened since the user last set the widths). See widenToShow.
    struct FitWidth {
        double wanted = 0, own = 0, given = 0;
    };
    FitWidth fitWidths[13];
};
