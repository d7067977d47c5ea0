#pragma once
#include "records/clsRecordBase.h"

// The party ledgers on dbTradeBook: the purchase ledger (byGubun 0, PurchBook) and the sales
// ledger (byGubun 1, SaleBook). Per party they hold one day row per trading day (Code and
// InOutGubun empty, the day's trade sums), one row per payment (Code and InOutGubun set,
// InOutKum the amount) and one opening row per month (date YYYY-MM-00, TradeKum the balance
// brought into the month). The balance on a day is the month's opening amount plus the
// SumKum of the day rows minus the InOutKum of the payment rows from day 01 on.
//
// The handle given through SetDatabase serves only UpdateTradeBook's read of a trade line
// (Purchase / Sale). With a byGubun other than 0 or 1 no statement is run.
class clsTradeBook : public clsOwnDatabase {
public:
    void byGubun(int v) { m_byGubun = v; }
    void SCODE(const QString& v) { m_SCODE = v; }
    void sCCode(const QString& v) { m_sCCode = v; }
    void sCName(const QString& v) { m_sCName = v; }
    void sDealDate(const QString& v) { m_sDealDate = v; }
    void lDC(qint64 v) { m_lDC = v; }
    void lVatKum(qint64 v) { m_lVatKum = v; }
    void lSumKum(qint64 v) { m_lSumKum = v; }
    void lTradeKum(qint64 v) { m_lTradeKum = v; }
    void lInOutKum(qint64 v) { m_lInOutKum = v; }
    void sInOutGubun(const QString& v) { m_sInOutGubun = v; }
    void sNoteCode(const QString& v) { m_sNoteCode = v; }

    // --- rows ---------------------------------------------------------------------------
    // Any row of the party on sDealDate.
    bool Find_Trader_Init_Ledger();
    // Writes the opening row sDealDate (YYYY-MM-00) with the balance lTradeKum.
    void InitSave_Trader();
    // Adds the member amounts to the party's day row of sDealDate, creating it when there is
    // none. Lookup and write hold the write lock together: postings of several workstations
    // all count, and a party never gets two day rows for one date.
    void SaveTradeBook();
    // bAdd: adds the member amounts to the day row. Otherwise replaces the share of trade line
    // SCODE (its amounts as still stored in Purchase / Sale) by the member amounts.
    void UpdateTradeBook(bool bAdd);
    // The party's rows of sDealDate, or all its rows when sDealDate is empty.
    void DeleteTradeBook();
    void DeleteTradeBook_ALL_Per_Trader();
    void SaveInOutKum();
    void UpdateInOutKum();
    void Update_Trader_Name();
    void DeleteInOut();
    bool Find_Trader_Init();
    bool Find_InOut_List();
    // Any row of party SCODE on sDate.
    bool FindTransferKum(const QString& SCODE, const QString& sDate);
    // Any row of the party other than opening rows.
    bool FindTradeList();
    // Opening amount of the party for the month of sDealDate (0 without an opening row).
    qint64 InitPrevKum();
    bool InitAllPrevKum(RecordsetPtr& recObj, const QString& SCODE);
    bool All_Transfer_Kum(RecordsetPtr& recObj);

    // --- sums and balances ---------------------------------------------------------------
    // Balance carried into sDealDate (bFinal: to the end of its month), with the month's
    // opening amount when bInitKum.
    qint64 SumPrevKum(bool bFinal, bool bInitKum);
    // Opening amount of the month of sDealDate plus the movements from the first of the
    // month of sDate1 to sDate2.
    qint64 SumPeriodSum(const QString& sDate1, const QString& sDate2);
    qint64 RetNonKum(const QString& sDate1, const QString& sDate2);
    qint64 SumTradeKum();
    qint64 SumInOutKum();
    qint64 SumAnalysis(const QString& sDate1, const QString& sDate2);
    // Month totals into gdSumTradeKum, gdSumVatKum, gdSumDC, gdSumSumKum.
    void SumMonth();
    // gdSumTradeKum: the opening amount of the month of sDealDate; gdSumVatKum and gdSumDC:
    // the year's trades and payments; gdSumSumKum: the balance of today's month.
    void SumYear();
    bool InOutList(RecordsetPtr& recObj, const QString& SCODE, const QString& sDate1, const QString& sDate2);
    bool Transfer_Ledger(RecordsetPtr& recObj, const QString& sDate1, const QString& sDate2, const QString& SCODE);
    void SumaryPeriod(RecordsetPtr& recObj, const QString& sDate1, const QString& sDate2);
    void PerMonth_Sum(RecordsetPtr& recObj, bool bPeriod = false, const QString& sDate1 = QString(),
                      const QString& sDate2 = QString());
    void PerYear_Sum(RecordsetPtr& recObj);
    void PerPeriod_Sum(RecordsetPtr& recObj, const QString& sStartDate, const QString& sEndDate);

protected:
    dao::Database* database() const override;

private:
    QString book() const;     // PurchBook / SaleBook, "" for another kind
    QString kindWord() const; // 매입 / 매출
    QString year() const { return m_sDealDate.left(4); }
    QString month() const { return m_sDealDate.mid(5, 2); }
    // Σ SumKum and Σ InOutKum of the party between two dates, exact past the 64-bit range
    // too; false when not opened.
    bool sumMovements(const QString& from, const QString& to, const QString& extra, const QVariantList& extraParams,
                      Amount128& trades, Amount128& payments);
    // Σ column of the party in the month of sDealDate (0 when not opened); each of the month
    // sums is a statement of its own, so one is never refused for the other's figure.
    qint64 monthSum(const QString& column, const QString& alias);

    int m_byGubun = 0;
    QString m_SCODE, m_sCCode, m_sCName, m_sDealDate;
    qint64 m_lDC = 0, m_lVatKum = 0, m_lSumKum = 0, m_lTradeKum = 0, m_lInOutKum = 0;
    QString m_sInOutGubun, m_sNoteCode;
};
