#pragma once
#include "records/clsRecordBase.h"

// Product classes (PClass) and products (Product) of the trade schema, on gDB.
class clsProduct : public clsRecordBase {
public:
    QString sClassCode() const { return m_sClassCode; }
    void sClassCode(const QString& v) { m_sClassCode = v; }
    QString sClassName() const { return m_sClassName; }
    void sClassName(const QString& v) { m_sClassName = v; }
    bool bUsed() const { return m_bUsed; }
    void bUsed(bool v) { m_bUsed = v; }
    QString SCODE() const { return m_SCODE; }
    void SCODE(const QString& v) { m_SCODE = v; }
    QString sPName() const { return m_sPName; }
    void sPName(const QString& v) { m_sPName = v; }
    QString sPNorm() const { return m_sPNorm; }
    void sPNorm(const QString& v) { m_sPNorm = v; }
    int byPTax() const { return m_byPTax; }
    void byPTax(int v) { m_byPTax = v; }
    qint64 iPPices() const { return m_iPPices; }
    void iPPices(qint64 v) { m_iPPices = v; }
    double siBuyPrice() const { return m_siBuyPrice; }
    void siBuyPrice(double v) { m_siBuyPrice = v; }
    double siSalePrice() const { return m_siSalePrice; }
    void siSalePrice(double v) { m_siSalePrice = v; }
    double siBaseStock() const { return m_siBaseStock; }
    void siBaseStock(double v) { m_siBaseStock = v; }
    double siFairStock() const { return m_siFairStock; }
    void siFairStock(double v) { m_siFairStock = v; }
    QString sBigo() const { return m_sBigo; }
    void sBigo(const QString& v) { m_sBigo = v; }
    void sUnit(const QString& v) { m_sUnit = v; } // write-only
    QString sPath() const { return m_sPath; }
    void sPath(const QString& v) { m_sPath = v; }

    // Adds a class with the next class code (proposed and stored in one transaction).
    void SaveClass();
    void UpdateClass();
    // Deletes class sClassCode and its products, in one transaction.
    void DeleteClass();
    void SaveInitProduct();
    // Sets one price or stock-level column of product SCODE (BuyPrice, SalePrice, BaseStock,
    // FairStock); any other name throws dao::DaoError 3011 and changes nothing.
    void SaveEtcPrice(const QString& sFieldName, double TPrice);
    void UpdateProduct();
    void DeleteProduct();
    QString PNextCode();
    QString CNextCode();
    // By code when ClsCode is given (not empty), else by name.
    bool FindClass(const QString& ClsCode = QString(), const QString& ClsName = QString());
    // Every product (bAll), or product ProductCode, or products whose name matches
    // ProductName with * standing for any characters.
    bool FindProduct(RecordsetPtr& objRec, const QString& ProductCode = QString(),
                     const QString& ProductName = QString(), bool bAll = false);
    bool FindName(const QString& ProductName = QString());
    double FindProductBase();
    // Stock rows with their products: 0 all, 1 FairStock <> 0, 2 FairStock - CurStock > 0.
    bool DisplayOrder(RecordsetPtr& objRec, int byGubun);
    int RetbyVat();
    // Deletes the products of the classes not in use (one transaction).
    void Class_Order();

    // The columns SaveEtcPrice accepts, as the table spells them.
    static const QStringList& etcPriceColumns();

protected:
    dao::Database* database() const override;

private:
    QString m_sClassCode, m_sClassName;
    bool m_bUsed = false;
    QString m_SCODE, m_sPName, m_sPNorm;
    int m_byPTax = 0;
    qint64 m_iPPices = 0;
    double m_siBuyPrice = 0, m_siSalePrice = 0, m_siBaseStock = 0, m_siFairStock = 0;
    QString m_sBigo, m_sUnit, m_sPath;
};
