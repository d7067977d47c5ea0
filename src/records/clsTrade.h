#pragma once
#include "records/clsRecordBase.h"

// Trade lines: one line per product of a purchase (byGubun 0, table Purchase) or a sale
// (byGubun 1, table Sale), on the database given through SetDatabase. With any other
// byGubun no statement is run: the members return their empty result.
class clsTrade : public clsOwnDatabase {
public:
    void byGubun(int v) { m_byGubun = v; }
    void SCODE(const QString& v) { m_SCODE = v; }
    void sCCode(const QString& v) { m_sCCode = v; }
    void sCName(const QString& v) { m_sCName = v; }
    void sPCode(const QString& v) { m_sPCode = v; }
    void sPName(const QString& v) { m_sPName = v; }
    void sPNorm(const QString& v) { m_sPNorm = v; }
    void sDealDate(const QString& v) { m_sDealDate = v; }
    void siQuantity(double v) { m_siQuantity = v; }
    void siUnitCost(double v) { m_siUnitCost = v; }
    void lDC(qint64 v) { m_lDC = v; }
    void lVatKum(qint64 v) { m_lVatKum = v; }
    void lSumKum(qint64 v) { m_lSumKum = v; }
    void lTradeKum(qint64 v) { m_lTradeKum = v; }
    void sCharge(const QString& v) { m_sCharge = v; }

    void SaveInitTrade();
    void SaveInitPrice();
    void UpdatePrice();
    void UpDateDate();
    void UpdateNorm();
    void DeleteTrade();
    void DeleteTrade_ALL_Per_Trader();
    // Quantity of product sPCode: all lines, one day (sDate1) or a period.
    double SumQuantity(const QString& sDate1 = QString(), const QString& sDate2 = QString());
    // Day totals (of party sCCode when given) into gdSumTradeKum, gdSumVatKum, gdSumDC and
    // gdSumSumKum; they keep their values when the query could not be opened.
    void SumDaliy();
    // VAT of lTradeKum: byTax 1 and byTaxGubun 1 (contained) or 2 (on top), else 0.
    // Rounded to the nearest won, a half to the even neighbour.
    qint64 VATKum(int byTaxGubun, int byTax) const;
    QString NextCode();
    bool Find_Trade(RecordsetPtr& recObj, bool bDate = false, const QString& sDate1 = QString(),
                    const QString& sDate2 = QString());
    bool TradeList(RecordsetPtr& recObj, const QString& sCode1, const QString& sCode2, const QString& sDate1,
                   const QString& sDate2, int byGubun, bool bProduct = false);
    void SumPerTrader(RecordsetPtr& recObj);
    bool TradeSumKum(RecordsetPtr& recObj);
    double SumPerStock();
    // Always on the sales lines.
    void SumAnalysis(RecordsetPtr& recObj, const QString& SCODE, const QString& sPCode, const QString& sDate1,
                     const QString& sDate2);
    double TotalQuantity(const QString& sDate1, const QString& sDate2, const QString& SCODE = QString());
    void SumPerCharge(RecordsetPtr& recObj, const QString& SCODE, const QString& sCharge, const QString& sDate1,
                      const QString& sDate2);
    qint64 SumKumPerProduct(const QString& SCODE);
    bool SumResult(RecordsetPtr& recObj, const QString& sCharge);
    // Always on the sales lines; monthly for byGubun 0, daily otherwise.
    bool Gather_Tax(RecordsetPtr& recObj, const QString& sDate1, const QString& sDate2, int byGubun);
    bool ReTrade(RecordsetPtr& recObj, const QString& SCODE, const QString& sDate1, const QString& sDate2);

private:
    QString table() const;        // Purchase / Sale, "" for another kind
    QString paymentTable() const; // Payment / Deposit
    QString kindWord() const;     // 매입 / 매출

    int m_byGubun = 0;
    QString m_SCODE, m_sCCode, m_sCName, m_sPCode, m_sPName, m_sPNorm, m_sDealDate;
    double m_siQuantity = 0, m_siUnitCost = 0;
    qint64 m_lDC = 0, m_lVatKum = 0, m_lSumKum = 0, m_lTradeKum = 0;
    QString m_sCharge;
};
