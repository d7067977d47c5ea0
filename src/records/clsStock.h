#pragma once
#include "records/clsRecordBase.h"

// One stock row per product (table Stock) on the database given through SetDatabase.
// Every member that writes quantities keeps CurStock = BaseCount + InStock - OutStock, and
// does so in one UPDATE computed from the stored row, so movements of several workstations
// never overwrite each other.
class clsStock : public clsOwnDatabase {
public:
    void sPCode(const QString& v) { m_sPCode = v; }
    void sPName(const QString& v) { m_sPName = v; }
    void sPNorm(const QString& v) { m_sPNorm = v; }
    void sClassCode(const QString& v) { m_sClassCode = v; }
    void sClassName(const QString& v) { m_sClassName = v; }
    void siBaseCount(double v) { m_siBaseCount = v; }
    void siInStock(double v) { m_siInStock = v; }
    void siOutStock(double v) { m_siOutStock = v; }
    void siCurStock(double v) { m_siCurStock = v; }
    void siOldStock(double v) { m_siOldStock = v; }
    void bModify(bool v) { m_bModify = v; }

    void SaveInitStock();
    void UpdateStock();
    void Update_Modify();
    void DeleteStock();
    void Delete_Stock_Use_Class();
    double CurStock();
    double CurInStock();
    double CurOutStock();
    double BaseStock();
    void UpdateCurStock();
    void UpdateBaseStock();
    // Received quantity siInStock replacing siOldStock (0 for a new receipt).
    void UpdateInStock();
    // Issued quantity siOutStock replacing siOldStock (0 for a new issue).
    void UpdateOutStock();
    bool FindStock();
    // Order proposals: byMode 1 products with a proper level, 2 those below it, else all.
    bool ProductOrder(RecordsetPtr& recObj, int byMode);

private:
    double readColumn(const QString& column);
    void setBase(const QString& failText);
    // Adds change to the running column (InStock or OutStock) and stockChange to CurStock.
    void addMovement(const QString& column, double change, double stockChange, const QString& failText);

    QString m_sPCode, m_sPName, m_sPNorm, m_sClassCode, m_sClassName;
    double m_siBaseCount = 0, m_siInStock = 0, m_siOutStock = 0, m_siCurStock = 0, m_siOldStock = 0;
    bool m_bModify = false;
};
