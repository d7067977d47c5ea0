#pragma once
#include "records/clsRecordBase.h"

// Tax invoices on dbTax: invoice lines (NewAcount, the lines of one invoice share TaxCode)
// and the reading side of the invoice register (TaxAcount) with its serial numbers: four
// characters of prefix followed by a number counted per prefix ("A001001").
class clsPrintTax : public clsRecordBase {
public:
    void sTaxCode(const QString& v) { m_sTaxCode = v; }
    void sSaleCode(const QString& v) { m_sSaleCode = v; }
    void sSaleName(const QString& v) { m_sSaleName = v; }
    void sPCode(const QString& v) { m_sPCode = v; }
    void sPName(const QString& v) { m_sPName = v; }
    void sPNorm(const QString& v) { m_sPNorm = v; }
    void siQuant(double v) { m_siQuant = v; }
    void dUnitCost(double v) { m_dUnitCost = v; }
    void lTradeKum(qint64 v) { m_lTradeKum = v; }
    void lVatKum(qint64 v) { m_lVatKum = v; }
    void sDealDate(const QString& v) { m_sDealDate = v; }
    void sIssueDate(const QString& v) { m_sIssueDate = v; }
    // The item count as text; its whole-number value is kept (0 for a text that is no number).
    void iItem(const QString& v);
    void sDealYY(const QString& v) { m_sDealYY = v; }

    // Adds one invoice line; its total is supply amount plus VAT.
    void InitSaveTax();
    QString NextCode();
    // The serial after the highest one stored under the prefix (first four characters) of
    // sSeq; the prefix followed by "001" when there is none; "" when the query failed.
    QString Create_Serial(const QString& sSeq);
    // The serial after sSerialNum (no database access).
    static QString Next_Serial(const QString& sSerialNum);
    // Invoices summed per invoice; byGubun has no effect.
    bool Display_Data(RecordsetPtr& recObj, int byGubun = 0);
    // Register rows of customer sSaleCode: kind 0 those of year sDealYY with section "0",
    // any other kind those of date sDealDate with that kind as section.
    bool Find_TaxList(RecordsetPtr& recObj, int byGubun);
    void Update_IssueDate();

protected:
    dao::Database* database() const override;

private:
    QString m_sTaxCode, m_sSaleCode, m_sSaleName, m_sPCode, m_sPName, m_sPNorm;
    double m_siQuant = 0, m_dUnitCost = 0;
    qint64 m_lTradeKum = 0, m_lVatKum = 0;
    QString m_sDealDate, m_sIssueDate;
    qint64 m_iItem = 0;
    QString m_sDealYY;
};
