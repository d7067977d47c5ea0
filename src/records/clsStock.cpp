#include "records/clsStock.h"

void clsStock::SaveInitStock()
{
    saveRecord(QStringLiteral("SELECT * FROM Stock ORDER BY PCode;"),
               {{QStringLiteral("PCode"), m_sPCode},
                {QStringLiteral("PName"), m_sPName},
                {QStringLiteral("PNorm"), m_sPNorm},
                {QStringLiteral("ClassCode"), m_sClassCode},
                {QStringLiteral("ClassName"), m_sClassName},
                {QStringLiteral("BaseCount"), m_siBaseCount},
                {QStringLiteral("InStock"), 0.0},
                {QStringLiteral("OutStock"), 0.0},
                {QStringLiteral("CurStock"), m_siBaseCount},
                {QStringLiteral("Modify"), false}});
}

void clsStock::setBase(const QString& failText)
{
    executeChecked(QStringLiteral("UPDATE Stock SET BaseCount = ?, "
                                  "CurStock = IFNULL(InStock, 0) + ? - IFNULL(OutStock, 0) WHERE PCode = ?"),
                   {m_siBaseCount, m_siBaseCount, m_sPCode}, failText);
}

void clsStock::UpdateStock()
{
    setBase(QStringLiteral("재고 데이터를 갱신하는 중 오류가 발생했습니다."));
}

void clsStock::UpdateBaseStock()
{
    setBase(QStringLiteral("기초재고량을 갱신하는 중 오류가 발생했습니다."));
}

void clsStock::Update_Modify()
{
    executeChecked(QStringLiteral("UPDATE Stock SET Modify = ? WHERE PCode = ?;"), {m_bModify, m_sPCode},
                   QStringLiteral("재고 데이터를 갱신하느 중 오류가 발생했습니다."));
}

void clsStock::DeleteStock()
{
    execute(QStringLiteral("DELETE FROM Stock WHERE PCode = ?"), {m_sPCode});
}

void clsStock::Delete_Stock_Use_Class()
{
    execute(QStringLiteral("DELETE FROM Stock WHERE ClassCode = ?;"), {m_sClassCode});
}

double clsStock::readColumn(const QString& column)
{
    QVariant v;
    readValue(QStringLiteral("SELECT %1 FROM Stock WHERE PCode = ?").arg(column), {m_sPCode}, v);
    return v.toDouble();
}

double clsStock::CurStock() { return readColumn(QStringLiteral("CurStock")); }
double clsStock::CurInStock() { return readColumn(QStringLiteral("InStock")); }
double clsStock::CurOutStock() { return readColumn(QStringLiteral("OutStock")); }
double clsStock::BaseStock() { return readColumn(QStringLiteral("BaseCount")); }

void clsStock::UpdateCurStock()
{
    executeChecked(QStringLiteral("UPDATE Stock SET CurStock = IFNULL(BaseCount, 0) + IFNULL(InStock, 0) "
                                  "- IFNULL(OutStock, 0) WHERE PCode = ?"),
                   {m_sPCode}, QStringLiteral("현재고량을 수정하는 중 오류가 발생했습니다."));
}

void clsStock::addMovement(const QString& column, double change, double stockChange, const QString& failText)
{
    executeChecked(QStringLiteral("UPDATE Stock SET %1 = IFNULL(%1, 0) + ?, "
                                  "CurStock = IFNULL(CurStock, 0) + ? WHERE PCode = ?").arg(column),
                   {change, stockChange, m_sPCode}, failText);
}

void clsStock::UpdateInStock()
{
    const double change = m_siInStock - m_siOldStock;
    addMovement(QStringLiteral("InStock"), change, change,
                QStringLiteral("현재 입고수량을 갱신하는 중 오류가 발생했습니다."));
}

void clsStock::UpdateOutStock()
{
    const double change = m_siOutStock - m_siOldStock;
    addMovement(QStringLiteral("OutStock"), change, -change,
                QStringLiteral("현재 출고수량을 갱신하는 중 오류가 발생했습니다."));
}

bool clsStock::FindStock()
{
    return exists(QStringLiteral("SELECT * FROM Stock WHERE PCode = ?"), {m_sPCode});
}

bool clsStock::ProductOrder(RecordsetPtr& recObj, int byMode)
{
    QString sql = QStringLiteral(
        "SELECT Product.PName AS PPName, Product.PNorm AS PPNorm, Product.PPices AS tPPices, "
        "Product.FairStock AS PFairStock, Stock.CurStock AS SCurStock, "
        "(Product.FairStock - Stock.CurStock) AS OrderStock, Product.Code AS PCode, Product.BuyPrice AS PBuy "
        "FROM Stock LEFT JOIN Product ON Product.Code = Stock.PCode ");
    if (byMode == 1)
        sql += QStringLiteral("WHERE Product.FairStock <> 0 ");
    else if (byMode == 2)
        sql += QStringLiteral("WHERE (Product.FairStock-Stock.CurStock) > 0 ");
    sql += QStringLiteral("ORDER BY Product.PName;");
    return findInto(recObj, sql);
}
