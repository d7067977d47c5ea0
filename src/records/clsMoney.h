#pragma once
#include "records/clsRecordBase.h"

// One movement of money with a trading party: a payment to a supplier (byGubun 0, table
// Payment, "출금") or money received from a customer (byGubun 1, table Deposit, "입금"), on
// the database given through SetDatabase. With any other byGubun no statement is run.
class clsMoney : public clsOwnDatabase {
public:
    void SCODE(const QString& v) { m_SCODE = v; }
    QString sCCode() const { return m_sCCode; }
    void sCCode(const QString& v) { m_sCCode = v; }
    QString sCName() const { return m_sCName; }
    void sCName(const QString& v) { m_sCName = v; }
    QString sDealDate() const { return m_sDealDate; }
    void sDealDate(const QString& v) { m_sDealDate = v; }
    qint64 lTradeKum() const { return m_lTradeKum; }
    void lTradeKum(qint64 v) { m_lTradeKum = v; }
    void lDeciKum(qint64 v) { m_lDeciKum = v; }
    QString sNoteCode() const { return m_sNoteCode; }
    void sNoteCode(const QString& v) { m_sNoteCode = v; }
    int bySection() const { return m_bySection; }
    void bySection(int v) { m_bySection = v; }
    QString sCharge() const { return m_sCharge; }
    void sCharge(const QString& v) { m_sCharge = v; }
    QString sBigo() const { return m_sBigo; }
    void sBigo(const QString& v) { m_sBigo = v; }
    void byGubun(int v) { m_byGubun = v; }

    void SaveTrade();
    void UpdateTrade();
    void Update_TradeKum();
    void DeleteTrade();
    void DeleteInOut_ALL_Per_Trader();
    QString NextCode();
    // Rows of party sCCode (all parties when empty), of the period when bCondition is set.
    bool InOutList(RecordsetPtr& recObj, bool bCondition = false, const QString& sDate1 = QString(),
                   const QString& sDate2 = QString());
    void SumPerMoney(RecordsetPtr& recObj, bool bTot = false);
    bool InOutSumKum(RecordsetPtr& recObj);

private:
    QString table() const; // Payment / Deposit, "" for another kind
    QString kindWord() const;

    QString m_SCODE, m_sCCode, m_sCName, m_sDealDate;
    qint64 m_lTradeKum = 0, m_lDeciKum = 0;
    QString m_sNoteCode;
    int m_bySection = 0;
    QString m_sCharge, m_sBigo;
    int m_byGubun = 0;
};
