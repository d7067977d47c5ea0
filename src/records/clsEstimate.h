#pragma once
#include "records/clsRecordBase.h"

// Quotations on dbEstimate: one head row per quotation (EstiBase) and its lines (Estimate).
// Quotation codes are the year and month of the quotation date followed by a number counted
// per month ("200903001").
class clsEstimate : public clsRecordBase {
public:
    void SCODE(const QString& v) { m_SCODE = v; }
    void lSeq(qint64 v) { m_lSeq = v; }
    void sEDate(const QString& v) { m_sEDate = v; }
    void sClass(const QString& v) { m_sClass = v; }
    void sCCode(const QString& v) { m_sCCode = v; }
    void sCName(const QString& v) { m_sCName = v; }
    void sPCode(const QString& v) { m_sPCode = v; }
    void sPName(const QString& v) { m_sPName = v; }
    void sPNorm(const QString& v) { m_sPNorm = v; }
    void sUnit(const QString& v) { m_sUnit = v; }
    void siEAmount(double v) { m_siEAmount = v; }
    void siEUnitCost(double v) { m_siEUnitCost = v; }
    void lEstiKum(qint64 v) { m_lEstiKum = v; }
    void dETotKum(qint64 v) { m_dETotKum = v; }
    void sETotHanKum(const QString& v) { m_sETotHanKum = v; }
    void sDeriveDate(const QString& v) { m_sDeriveDate = v; }
    void bVAT(double v) { m_bVAT = v != 0; } // any value but 0 means VAT is included
    void sRefer(const QString& v) { m_sRefer = v; }
    void sValidate(const QString& v) { m_sValidate = v; }
    void sSection(const QString& v) { m_sSection = v; }

    void SaveInitEstimate();
    void SaveEstimate();
    void UpdateEstiBase();
    void UpdateEstimate();
    void UpdateTotKum();
    void UpdateVat();
    void UpdateUnit();
    void UpdateDeriveDate();
    void Update_Trader_Name();
    // Deletes the head SCODE and then its lines (both or neither).
    void DeleteEstimate();
    void DeleteDetail();
    // Next line number over the whole table: 1 when empty, 0 when the query failed.
    qint64 NextSeq();
    // Next quotation code of the month of sEDate; "" when the query failed.
    QString NextCode();
    bool FindEstiHead(RecordsetPtr& recObj);

protected:
    dao::Database* database() const override;

private:
    QString m_SCODE;
    qint64 m_lSeq = 0;
    QString m_sEDate, m_sClass, m_sCCode, m_sCName, m_sPCode, m_sPName, m_sPNorm, m_sUnit;
    double m_siEAmount = 0, m_siEUnitCost = 0;
    qint64 m_lEstiKum = 0, m_dETotKum = 0;
    QString m_sETotHanKum, m_sDeriveDate;
    bool m_bVAT = false;
    QString m_sRefer, m_sValidate, m_sSection;
};
