#include "records/clsProduct.h"

#include "frame/modMain.h"
#include "platform/SqlText.h"

dao::Database* clsProduct::database() const { return gDB.get(); }

const QStringList& clsProduct::etcPriceColumns()
{
    // The prices and stock levels: the Single columns the value is meant for. The whole-number
    // columns (pieces per unit, tax kind) are not set from a Single this way.
    static const QStringList cols = {QStringLiteral("BuyPrice"), QStringLiteral("SalePrice"),
                                     QStringLiteral("BaseStock"), QStringLiteral("FairStock")};
    return cols;
}

void clsProduct::SaveClass()
{
    saveNumbered(
        [this]() -> QVariant {
            const QString code = CNextCode();
            return code.isEmpty() ? QVariant() : QVariant(code);
        },
        QStringLiteral("SELECT * FROM PClass ORDER BY Code"),
        {{QStringLiteral("Code"), QVariant()},
         {QStringLiteral("ClassName"), m_sClassName},
         {QStringLiteral("Used"), m_bUsed}});
}

void clsProduct::UpdateClass()
{
    executeChecked(QStringLiteral("UPDATE PClass SET ClassName = ? WHERE Code = ?"), {m_sClassName, m_sClassCode},
                   QStringLiteral("대분류 데이터를 갱신하는 중 오류가 발생했습니다."),
                   QStringLiteral("자료를 수정하였습니다."));
}

void clsProduct::DeleteClass()
{
    dao::Database& db = requireDatabase();
    {
        dao::Transaction tx(db);
        if (db.execute(QStringLiteral("DELETE FROM PClass WHERE Code = ?"), {m_sClassCode}) == 0) {
            tx.commit(); // nothing was changed
            showPlainBox(QStringLiteral("대분류 데이터를 삭제하는 중 오류가 발생했습니다."));
            return;
        }
        db.execute(QStringLiteral("DELETE FROM Product WHERE ClassCode = ?;"), {m_sClassCode});
        tx.commit();
    }
    showConfirmation(QStringLiteral("자료를 삭제하였습니다."));
}

void clsProduct::SaveInitProduct()
{
    saveRecord(QStringLiteral("SELECT * FROM Product ORDER BY Code"),
               {{QStringLiteral("Code"), m_SCODE},
                {QStringLiteral("PName"), m_sPName},
                {QStringLiteral("PNorm"), m_sPNorm},
                {QStringLiteral("ClassCode"), m_sClassCode},
                {QStringLiteral("PTax"), m_byPTax},
                {QStringLiteral("PPices"), m_iPPices},
                {QStringLiteral("BuyPrice"), m_siBuyPrice},
                {QStringLiteral("SalePrice"), m_siSalePrice},
                {QStringLiteral("BaseStock"), m_siBaseStock},
                {QStringLiteral("FairStock"), m_siFairStock},
                {QStringLiteral("Bigo"), m_sBigo},
                {QStringLiteral("Unit"), m_sUnit}});
}

void clsProduct::SaveEtcPrice(const QString& sFieldName, double TPrice)
{
    // The column name is part of the statement text, so only the known columns pass.
    QString column;
    for (const QString& c : etcPriceColumns())
        if (c.compare(sFieldName.trimmed(), Qt::CaseInsensitive) == 0)
            column = c;
    if (column.isEmpty())
        throw dao::DaoError(dao::errObjectNotFound,
                            QStringLiteral("'%1' is not a numeric column of Product").arg(sFieldName));
    executeChecked(QStringLiteral("UPDATE Product SET %1 = ? WHERE Code = ?").arg(column), {TPrice, m_SCODE},
                   sFieldName + QStringLiteral(" 데이터를 갱신하는 중 오류가 발생했습니다."));
}

void clsProduct::UpdateProduct()
{
    executeChecked(QStringLiteral("UPDATE Product SET PName = ?, PNorm = ?, BuyPrice = ?, SalePrice = ?, PTax = ?, "
                                  "PPices = ?, FairStock = ?, BaseStock = ?, Bigo = ?, Unit = ? WHERE Code = ?"),
                   {m_sPName, m_sPNorm, m_siBuyPrice, m_siSalePrice, m_byPTax, m_iPPices, m_siFairStock,
                    m_siBaseStock, m_sBigo, m_sUnit, m_SCODE},
                   QStringLiteral("데이터를 갱신하는 중 오류가 발생했습니다."),
                   QStringLiteral("자료를 수정하였습니다."));
}

void clsProduct::DeleteProduct()
{
    executeChecked(QStringLiteral("DELETE FROM Product WHERE Code = ?"), {m_SCODE},
                   QStringLiteral("상품 데이터를 삭제하는 중 오류가 발생했습니다."),
                   QStringLiteral("데이터가 삭제되었습니다."));
}

QString clsProduct::PNextCode()
{
    return nextCode(QStringLiteral("Product"), QStringLiteral("Code"), 6);
}

QString clsProduct::CNextCode()
{
    return nextCode(QStringLiteral("PClass"), QStringLiteral("Code"), 5);
}

bool clsProduct::FindClass(const QString& ClsCode, const QString& ClsName)
{
    if (!ClsCode.isEmpty())
        return exists(QStringLiteral("SELECT * FROM PClass WHERE Code = ?"), {ClsCode});
    return exists(QStringLiteral("SELECT * FROM PClass WHERE ClassName = ?"), {ClsName});
}

bool clsProduct::FindProduct(RecordsetPtr& objRec, const QString& ProductCode, const QString& ProductName,
                             bool bAll)
{
    if (bAll)
        return findInto(objRec, QStringLiteral("SELECT * FROM Product ORDER BY Code;"));
    if (!ProductCode.isEmpty())
        return findInto(objRec, QStringLiteral("SELECT * FROM Product WHERE Code = ? ORDER BY Code;"), {ProductCode});
    return findInto(objRec,
                    QStringLiteral("SELECT * FROM Product WHERE PName LIKE ?") + QLatin1String(dao::kLikeEscape)
                        + QStringLiteral(" ORDER BY Code;"),
                    {dao::likeFromWildcards(ProductName)});
}

bool clsProduct::FindName(const QString& ProductName)
{
    return exists(QStringLiteral("SELECT * FROM Product WHERE PName = ?"), {ProductName});
}

double clsProduct::FindProductBase()
{
    QVariant v;
    readValue(QStringLiteral("SELECT BaseStock FROM Product WHERE Code = ?;"), {m_SCODE}, v);
    return v.toDouble();
}

bool clsProduct::DisplayOrder(RecordsetPtr& objRec, int byGubun)
{
    QString sql = QStringLiteral(
        "SELECT Stock.PCode AS PCode, Product.PName AS PName, Product.PNorm AS PNorm, Product.PPices AS PPices, "
        "Product.FairStock AS FairStock, Stock.CurStock AS CurStock, "
        "(Product.FairStock - Stock.CurStock) AS OrderStock "
        "FROM Stock LEFT JOIN Product ON Product.Code = Stock.PCode ");
    if (byGubun == 1)
        sql += QStringLiteral("WHERE Product.FairStock <> 0 ");
    else if (byGubun == 2)
        sql += QStringLiteral("WHERE (Product.FairStock - Stock.CurStock) > 0 ");
    sql += QStringLiteral("ORDER BY Stock.PCode;");
    return findInto(objRec, sql);
}

int clsProduct::RetbyVat()
{
    QVariant v;
    readValue(QStringLiteral("SELECT PTax FROM Product WHERE Code = ?"), {m_SCODE}, v);
    return v.isNull() ? 0 : v.toInt();
}

void clsProduct::Class_Order()
{
    RecordsetPtr rs;
    if (!DAO_OpenSnapshot(database(), rs, QStringLiteral("SELECT * FROM PClass WHERE Used = 0;")))
        return;
    QStringList codes;
    for (; !rs->eof(); rs->moveNext())
        codes << rs->text(QStringLiteral("Code"));
    CloseRS(rs);
    if (codes.isEmpty())
        return;
    dao::Database& db = requireDatabase();
    dao::Transaction tx(db);
    for (const QString& code : codes)
        db.execute(QStringLiteral("DELETE FROM Product WHERE ClassCode = ?;"), {code});
    tx.commit();
}
