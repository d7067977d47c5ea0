#pragma once
#include "records/clsRecordBase.h"

#include <optional>

// A special unit price: the price of one product for one trading party from a given date
// (table SpecialUnit), on gDB. The class numbers the prices itself, from 0.
class clsUnitCost : public clsRecordBase {
public:
    qint64 lCode() const { return m_lCode; }
    void lCode(qint64 v) { m_lCode = v; }
    QString sAppDate() const { return m_sAppDate; }
    void sAppDate(const QString& v) { m_sAppDate = v; }
    double siAppUnit() const { return m_siAppUnit; }
    void siAppUnit(double v) { m_siAppUnit = v; }
    QString sCCode() const { return m_sCCode; }
    void sCCode(const QString& v) { m_sCCode = v; }
    QString sPCode() const { return m_sPCode; }
    void sPCode(const QString& v) { m_sPCode = v; }

    // Adds the price under the next free code (lCode is left as it is).
    void SaveUnit();
    // Rewrites date and price of the row UnitCode.
    void UpdateUnit(qint64 UnitCode);
    void DeleteUnit();
    // The prices of party sCCode for product sPCode, oldest first; only those equal to
    // PrevUnit when it is not 0.
    bool FindPrevCost(RecordsetPtr& objRec, double PrevUnit = 0);

protected:
    dao::Database* database() const override;

private:
    // MAX(Code) + 1, 0 on an empty table; empty when the query could not be opened.
    std::optional<qint64> NextUnitCode();

    qint64 m_lCode = 0;
    QString m_sAppDate;
    double m_siAppUnit = 0;
    QString m_sCCode, m_sPCode;
};
