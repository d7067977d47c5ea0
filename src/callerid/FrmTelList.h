#pragma once
#include <QPointer>
#include <QString>
#include <QWidget>

class CallRecordQueue;
class QLabel;
class QLineEdit;
class QPushButton;

namespace dao { class Database; }
namespace platform { class SpreadGrid; }

// How far apart the moments of one call may lie on two workstations (their clocks differ).
constexpr int kClaimClockToleranceSecs = 10;

// The call list ("전화 리스트"), shared by every workstation on the database: today's calls
// (grid 0, an answer button in every row nobody has answered yet), the recent calls of the
// caller in the selected row (grid 1) and the recent calls this user answered (grid 2).
// Pressing a row's button claims the call for the user named in "내이름:".
class FrmTelList : public QWidget {
    Q_OBJECT
public:
    // The loaded call list, loading it first when needed (its load fills the grids).
    static FrmTelList* Load();
    static FrmTelList* Instance(); // nullptr when not loaded

    explicit FrmTelList(QWidget* parent = nullptr);
    ~FrmTelList() override;

    // A new call at the top of grid 0, with an answer button, and that caller's history;
    // seq is its key when its record is stored already (0: not yet, or not by this
    // workstation).
    void AddNewCall(const QString& sDate, const QString& sTime, const QString& sTelNo, const QString& sCust,
                    qint64 seq = 0);
    // The record of a call listed without its key has been stored as seq: the oldest such
    // row of that date, time and number gets the key, and a claim of it goes to that record.
    void CallStored(const QString& sDate, const QString& sTime, const QString& sTelNo, qint64 seq);
    // The calls of this workstation that wait to be stored: they are listed (at once, and
    // again by every refill of grid 0) and a row of one of them cannot be claimed until its
    // record exists.
    void SetCallRecords(CallRecordQueue* records);

    void Form_Load();
    void InitListGrids();
    void ShowTodayCalls();
    void ShowCallerHistory(int row);
    void ShowMyCalls();
    void cmdQuery_Click(int Index);
    void cmdSum_Click();
    void spList_ButtonClicked(int Index, int Col, int Row, int ButtonDown);

    // Writes name as the one who answered call seq, only while nobody has: the database
    // decides between simultaneous claims. Returns the number of rows changed (0 when the
    // call was taken already or the database refused).
    static qint64 ClaimCall(dao::Database* db, qint64 seq, const QString& name);

    QLineEdit* txtMyName = nullptr;
    platform::SpreadGrid* spList[3] = {};
    QLabel* lblTot = nullptr;
    QPushButton* cmdQuery[3] = {};
    QPushButton* cmdSum = nullptr;
    QPushButton* cmdClose = nullptr;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    void buildControls();
    void txtMyName_Change();
    void spList_LeaveCell(int Index, int Col, int Row, int NewCol, int NewRow, bool& Cancel);
    // The record of a row of grid 0 listed without its key: the call from that number
    // received at the row's moment, give or take the seconds between two workstations'
    // clocks, that no other row stands for. seq 0 when it is not stored (yet); false when
    // the records could not be read (reported).
    bool findRecordOfLiveRow(int row, qint64& seq, bool& open);
    void listWaitingCalls();
    bool m_loading = false;
    QPointer<CallRecordQueue> m_callRecords;
};
