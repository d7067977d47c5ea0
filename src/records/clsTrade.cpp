#include "records/clsTrade.h"

#include "records/modRecords.h"

#include <cmath>

QString clsTrade::table() const
{
    return tableOfKind(m_byGubun, QStringLiteral("Purchase"), QStringLiteral("Sale"));
}

QString clsTrade::paymentTable() const
{
    return m_byGubun == 0 ? QStringLiteral("Payment") : QStringLiteral("Deposit");
}

QString clsTrade::kindWord() const
{
    return m_byGubun == 0 ? QStringLiteral("매입") : QStringLiteral("매출");
}

void clsTrade::SaveInitTrade()
{
    const QString t = table();
    if (t.isEmpty())
        return;
    saveRecord(QStringLiteral("SELECT * FROM %1 ORDER BY Code").arg(t),
               {{QStringLiteral("Code"), m_SCODE},
                {QStringLiteral("CCode"), m_sCCode},
                {QStringLiteral("PCode"), m_sPCode},
                {QStringLiteral("PName"), m_sPName},
                {QStringLiteral("PNorm"), m_sPNorm},
                {QStringLiteral("DealDate"), m_sDealDate},
                {QStringLiteral("Quantity"), m_siQuantity},
                {QStringLiteral("UnitCost"), m_siUnitCost},
                {QStringLiteral("DC"), m_lDC},
                {QStringLiteral("VatKum"), m_lVatKum},
                {QStringLiteral("TradeKum"), m_lTradeKum},
                {QStringLiteral("SumKum"), m_lSumKum},
                {QStringLiteral("Charge"), m_sCharge}});
}

void clsTrade::SaveInitPrice()
{
    executeOn(table(), QStringLiteral("UPDATE %1 SET Quantity = ?, UnitCost = ?, DC = ?, VatKum = ?, TradeKum = ?, "
                                      "SumKum = ? WHERE Code = ?"),
              {m_siQuantity, m_siUnitCost, m_lDC, m_lVatKum, m_lTradeKum, m_lSumKum, m_SCODE},
              kindWord() + QStringLiteral(" 데이터를 갱신하는 중 오류가 발생했습니다."));
}

void clsTrade::UpdatePrice()
{
    executeOn(table(), QStringLiteral("UPDATE %1 SET VatKum = ?, SumKum = ? WHERE Code = ?"),
              {m_lVatKum, m_lSumKum, m_SCODE}, kindWord() + QStringLiteral(" 내역 데이터를 갱신하는 중 오류가 발생했습니다."));
}

void clsTrade::UpDateDate()
{
    executeOn(table(), QStringLiteral("UPDATE %1 SET DealDate = ? WHERE Code = ?"), {m_sDealDate, m_SCODE},
              QStringLiteral("거래일자를 갱신하는 중 오류가 발생했습니다."));
}

void clsTrade::UpdateNorm()
{
    executeOn(table(), QStringLiteral("UPDATE %1 SET PNorm = ? WHERE Code = ?"), {m_sPNorm, m_SCODE},
              QStringLiteral("상품 규격을 변경하는 중 오류가 발생했습니다."));
}

void clsTrade::DeleteTrade()
{
    executeOn(table(), QStringLiteral("DELETE FROM %1 WHERE Code = ?"), {m_SCODE},
              kindWord() + QStringLiteral(" 데이터를 삭제하는 중 오류가 발생했습니다."));
}

void clsTrade::DeleteTrade_ALL_Per_Trader()
{
    executeOn(table(), QStringLiteral("DELETE FROM %1 WHERE CCode = ?;"), {m_sCCode}); // the count is not read
}

double clsTrade::SumQuantity(const QString& sDate1, const QString& sDate2)
{
    const QString t = table();
    if (t.isEmpty())
        return 0;
    QString sql = QStringLiteral("SELECT Sum(Quantity) AS SQuantity FROM %1 WHERE PCode = ?").arg(t);
    QVariantList params{m_sPCode};
    if (!sDate1.isEmpty() && !sDate2.isEmpty()) {
        sql += QStringLiteral(" AND DealDate BETWEEN ? AND ?");
        params << sDate1 << sDate2;
    } else if (!sDate1.isEmpty()) {
        sql += QStringLiteral(" AND DealDate = ?");
        params << sDate1;
    }
    QVariant v;
    readValue(sql, params, v);
    return v.toDouble();
}

void clsTrade::SumDaliy()
{
    const QString t = table();
    if (t.isEmpty())
        return;
    QString sql = QStringLiteral("SELECT AMOUNTSUM(TradeKum) AS SSale, AMOUNTSUM(DC) AS SDC, AMOUNTSUM(VatKum) AS SVat, "
                                 "AMOUNTSUM(SumKum) AS STrade FROM %1 WHERE DealDate = ?").arg(t);
    QVariantList params{m_sDealDate};
    addCondition(sql, params, QStringLiteral(" AND CCode = ?"), m_sCCode);
    QVariantList row;
    if (!readRow(sql, params, row))
        return;
    const qint64 sale = storedAmount(row.value(0)), dc = storedAmount(row.value(1)), vat = storedAmount(row.value(2)),
                 sum = storedAmount(row.value(3));
    gdSumTradeKum = sale;
    gdSumDC = dc;
    gdSumVatKum = vat;
    gdSumSumKum = sum;
}

qint64 clsTrade::VATKum(int byTaxGubun, int byTax) const
{
    if (byTax != 1)
        return 0;
    const double amount = double(m_lTradeKum);
    double vat = 0;
    if (byTaxGubun == 1)
        vat = amount - amount / 1.1;
    else if (byTaxGubun == 2)
        vat = amount * 0.1;
    // nearbyint rounds in the default mode: to nearest, a half to the even neighbour.
    return qint64(std::nearbyint(vat));
}

QString clsTrade::NextCode()
{
    const QString t = table();
    if (t.isEmpty())
        return QString();
    return nextCode(t, QStringLiteral("Code"), 6);
}

bool clsTrade::Find_Trade(RecordsetPtr& recObj, bool bDate, const QString& sDate1, const QString& sDate2)
{
    const QString t = table();
    if (t.isEmpty())
        return false;
    QString sql = QStringLiteral("SELECT * FROM %1 ").arg(t);
    QVariantList params;
    if (bDate && !m_sCCode.isEmpty()) {
        sql += QStringLiteral("WHERE CCode = ? AND DealDate BETWEEN ? AND ? ");
        params << m_sCCode << sDate1 << sDate2;
    } else if (bDate) {
        sql += QStringLiteral("WHERE DealDate BETWEEN ? AND ? ");
        params << sDate1 << sDate2;
    } else if (!m_SCODE.isEmpty()) {
        sql += QStringLiteral("WHERE Code = ? ");
        params << m_SCODE;
    }
    sql += QStringLiteral("ORDER BY Code;");
    return findInto(recObj, sql, params);
}

bool clsTrade::TradeList(RecordsetPtr& recObj, const QString& sCode1, const QString& sCode2, const QString& sDate1,
                         const QString& sDate2, int byGubun, bool bProduct)
{
    const QString t = table();
    if (t.isEmpty())
        return false;
    const bool perProduct = byGubun == 0 && bProduct;
    QString sql = perProduct ? QStringLiteral("SELECT First(CCode) AS CuCode, First(DealDate) AS DDate, ")
                             : QStringLiteral("SELECT CCode AS CuCode, DealDate AS DDate, ");
    sql += QStringLiteral("PCode, PName, PNorm, UnitCost, Sum(Quantity) AS SQuan, AMOUNTSUM(TradeKum) AS STrade, "
                          "AMOUNTSUM(VatKum) AS SVat, AMOUNTSUM(DC) AS SDC, AMOUNTSUM(SumKum) AS SSum FROM %1 ").arg(t);
    sql += QStringLiteral("WHERE DealDate BETWEEN ? AND ? ");
    QVariantList params{sDate1, sDate2};
    addCondition(sql, params, QStringLiteral("AND CCode = ? "), sCode1);
    addCondition(sql, params, QStringLiteral("AND PCode = ? "), sCode2);
    sql += perProduct ? QStringLiteral("GROUP BY PCode, PName, PNorm, UnitCost ORDER BY PCode;")
                      : QStringLiteral("GROUP BY CCode, PCode, PName, PNorm, DealDate, UnitCost ORDER BY DealDate;");
    return findInto(recObj, sql, params);
}

void clsTrade::SumPerTrader(RecordsetPtr& recObj)
{
    const QString t = table();
    if (t.isEmpty())
        return;
    QString sql = QStringLiteral(
                      "SELECT %1.CCode AS CuCode, Last(Trader.C_Name) AS CuName, AMOUNTSUM(%1.TradeKum) AS STrade, "
                      "AMOUNTSUM(%1.VatKum) AS SVat, AMOUNTSUM(%1.DC) AS SDC, AMOUNTSUM(%1.SumKum) AS SSum, "
                      "%1.DealDate AS DDate "
                      "FROM %1 LEFT JOIN Trader ON %1.CCode = Trader.Code ")
                      .arg(t);
    QVariantList params;
    addCondition(sql, params, QStringLiteral("WHERE %1.CCode = ? ").arg(t), m_sCCode);
    sql += QStringLiteral("GROUP BY %1.CCode, %1.DealDate ORDER BY %1.CCode, %1.DealDate").arg(t);
    findInto(recObj, sql, params);
}

bool clsTrade::TradeSumKum(RecordsetPtr& recObj)
{
    return sumPerParty(recObj, table(), QStringLiteral("SumKum"), m_sCCode);
}

double clsTrade::SumPerStock()
{
    const QString t = table();
    if (t.isEmpty())
        return 0;
    QVariant v;
    readValue(QStringLiteral("SELECT Sum(Quantity) AS SQuan FROM %1 WHERE PCode = ?;").arg(t), {m_sPCode}, v);
    return v.toDouble();
}

void clsTrade::SumAnalysis(RecordsetPtr& recObj, const QString& SCODE, const QString& sPCode, const QString& sDate1,
                           const QString& sDate2)
{
    // Every product joined with its sales; the date condition keeps only products sold.
    QString sql = QStringLiteral(
        "SELECT Sale.CCode AS SCCode, (Sum(Sale.Quantity)*Last(Product.BuyPrice)) AS SumPurch, "
        "AMOUNTSUM(Sale.SumKum) AS SumSale, AMOUNTSUM(VatKum) AS SVat, AMOUNTSUM(DC) AS SDC, Sale.PName AS PPName, "
        "Sale.PNorm AS FPNorm, Sale.PCode AS PPCode FROM Product LEFT JOIN Sale ON Sale.PCode = Product.Code "
        "WHERE Sale.DealDate BETWEEN ? AND ? ");
    QVariantList params{sDate1, sDate2};
    addCondition(sql, params, QStringLiteral("AND Sale.CCode = ? "), SCODE);
    addCondition(sql, params, QStringLiteral("AND Sale.PCode = ? "), sPCode);
    sql += QStringLiteral("GROUP BY Sale.CCode, Sale.PCode, Sale.PNorm, Sale.PName ORDER BY Sale.CCode;");
    findInto(recObj, sql, params);
}

double clsTrade::TotalQuantity(const QString& sDate1, const QString& sDate2, const QString& SCODE)
{
    const QString t = table();
    if (t.isEmpty())
        return 0;
    QString sql = QStringLiteral("SELECT Sum(Quantity) AS SQuan FROM %1 ").arg(t);
    QVariantList params;
    if (!sDate2.isEmpty()) {
        sql += QStringLiteral("WHERE DealDate BETWEEN ? AND ? ");
        params << sDate1 << sDate2;
    } else {
        sql += QStringLiteral("WHERE DealDate = ? ");
        params << sDate1;
    }
    addCondition(sql, params, QStringLiteral("AND CCode = ?;"), SCODE);
    QVariant v;
    readValue(sql, params, v);
    return v.toDouble();
}

void clsTrade::SumPerCharge(RecordsetPtr& recObj, const QString& SCODE, const QString& sCharge,
                            const QString& sDate1, const QString& sDate2)
{
    const QString t = table();
    if (t.isEmpty())
        return;
    const QString p = paymentTable();
    QVariantList params;
    auto conditions = [&](const QString& tab) {
        QString c = QStringLiteral("WHERE %1.DealDate BETWEEN ? AND ? ").arg(tab);
        params << sDate1 << sDate2;
        addCondition(c, params, QStringLiteral("AND %1.CCode = ? ").arg(tab), SCODE);
        addCondition(c, params, QStringLiteral("AND %1.Charge = ? ").arg(tab), sCharge);
        return c;
    };
    QString sql = QStringLiteral("SELECT Mid(%1.DealDate, 6, 2) AS DDate, 1 AS Gubun, %1.Charge AS SCCharge, "
                                 "%1.CCode AS SCCode, AMOUNTSUM(%1.SumKum) AS SSumKum FROM %1 ")
                      .arg(t);
    sql += conditions(t);
    sql += QStringLiteral("GROUP BY Mid(%1.DealDate, 6, 2), %1.Charge, %1.CCode ").arg(t);
    sql += QStringLiteral("UNION ");
    sql += QStringLiteral("SELECT Mid(%1.DealDate, 6, 2), 2 AS Gubun, %1.Charge, %1.CCode, AMOUNTSUM(%1.TradeKum) "
                          "FROM %1 ")
               .arg(p);
    sql += conditions(p);
    sql += QStringLiteral("GROUP BY Mid(%1.DealDate, 6, 2), %1.Charge, %1.CCode ").arg(p);
    sql += QStringLiteral("ORDER BY DDate");
    findInto(recObj, sql, params);
}

qint64 clsTrade::SumKumPerProduct(const QString& SCODE)
{
    const QString t = table();
    if (t.isEmpty())
        return 0;
    QVariant v;
    readValue(QStringLiteral("SELECT AMOUNTSUM(SumKum) AS SSum FROM %1 WHERE PCode = ?;").arg(t), {SCODE}, v);
    return storedAmount(v);
}

bool clsTrade::SumResult(RecordsetPtr& recObj, const QString& sCharge)
{
    const QString t = table();
    if (t.isEmpty())
        return false;
    QString sql = QStringLiteral("SELECT Charge, AMOUNTSUM(SumKum) AS SSum FROM %1 ").arg(t);
    QVariantList params;
    addCondition(sql, params, QStringLiteral("WHERE Charge = ? "), sCharge);
    sql += QStringLiteral("GROUP BY Charge ORDER BY Charge;");
    return findInto(recObj, sql, params);
}

bool clsTrade::Gather_Tax(RecordsetPtr& recObj, const QString& sDate1, const QString& sDate2, int byGubun)
{
    const bool monthly = byGubun == 0;
    const QString period = monthly ? QStringLiteral("substr(Sale.DealDate, 1, 7)") : QStringLiteral("Sale.DealDate");
    QString sql = QStringLiteral("SELECT %1 AS SDealDate, Trader.C_Name AS CName, AMOUNTSUM(Sale.TradeKum) AS SumKum, ")
                      .arg(period);
    sql += QStringLiteral(
        "AMOUNTSUM(Sale.VatKum) AS SumVat, First(Sale.PName) AS SPName, Count(Sale.PCode) AS CSPCode, "
        "Sum(Sale.Quantity) AS SumQuantity, First(Sale.UnitCost) AS FUnitCost, Sale.CCode AS SCCode, "
        "First(Sale.PNorm) AS SPNorm, First(Sale.PCode) AS SPCode FROM Sale LEFT JOIN Trader "
        "ON Sale.CCode = Trader.Code WHERE Sale.DealDate BETWEEN ? AND ? AND Sale.UnitCost <> 0 "
        "AND Trader.bDeled = 0 ");
    sql += QStringLiteral("GROUP BY %1, Trader.C_Name, Sale.CCode ORDER BY %1;").arg(period);
    return findInto(recObj, sql, {sDate1, sDate2});
}

bool clsTrade::ReTrade(RecordsetPtr& recObj, const QString& SCODE, const QString& sDate1, const QString& sDate2)
{
    const QString t = table();
    if (t.isEmpty())
        return false;
    QString sql = QStringLiteral("SELECT DealDate, PName, PNorm, Quantity, UnitCost, DC, VatKum, TradeKum, SumKum, "
                                 "Code FROM %1 WHERE DealDate BETWEEN ? AND ? ")
                      .arg(t);
    QVariantList params{sDate1, sDate2};
    addCondition(sql, params, QStringLiteral("AND CCode = ? "), SCODE);
    sql += QStringLiteral("AND Quantity < 0 ORDER BY PName;");
    return findInto(recObj, sql, params);
}
