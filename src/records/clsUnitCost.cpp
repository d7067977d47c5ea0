#include "records/clsUnitCost.h"

#include "frame/modDao.h"
#include "frame/modMain.h"

dao::Database* clsUnitCost::database() const { return gDB.get(); }

std::optional<qint64> clsUnitCost::NextUnitCode()
{
    QVariant max;
    bool opened = false;
    readValue(DAO_MaxNumberSql(QStringLiteral("SpecialUnit"), QStringLiteral("Code")), {}, max, &opened);
    if (!opened)
        return std::nullopt;
    return max.isNull() ? 0 : DAO_NumberAbove(max);
}

void clsUnitCost::SaveUnit()
{
    saveNumbered(
        [this]() -> QVariant {
            const std::optional<qint64> code = NextUnitCode();
            return code ? QVariant(*code) : QVariant();
        },
        QStringLiteral("SELECT * FROM SpecialUnit ORDER BY Code;"),
        {{QStringLiteral("Code"), QVariant()},
         {QStringLiteral("AppDate"), m_sAppDate},
         {QStringLiteral("AppUnit"), m_siAppUnit},
         {QStringLiteral("CCode"), m_sCCode},
         {QStringLiteral("PCode"), m_sPCode}});
}

void clsUnitCost::UpdateUnit(qint64 UnitCode)
{
    executeChecked(QStringLiteral("UPDATE SpecialUnit SET AppDate = ?, AppUnit = ? WHERE Code = ?"),
                   {m_sAppDate, m_siAppUnit, UnitCode},
                   QStringLiteral("특별단가 데이터를 갱신하는 중 오류가 발생했습니다."));
}

void clsUnitCost::DeleteUnit()
{
    executeChecked(QStringLiteral("DELETE FROM SpecialUnit WHERE Code = ?"), {m_lCode},
                   QStringLiteral("특별단가 데이터를 삭제하는 중 오류가 발생했습니다."),
                   QStringLiteral("자료를 삭제하였습니다."));
}

bool clsUnitCost::FindPrevCost(RecordsetPtr& objRec, double PrevUnit)
{
    QString sql = QStringLiteral("SELECT Code, AppDate, AppUnit FROM SpecialUnit WHERE CCode = ? AND PCode = ? ");
    QVariantList params{m_sCCode, m_sPCode};
    if (PrevUnit != 0) {
        sql += QStringLiteral("AND AppUnit = ? ");
        params << PrevUnit;
    }
    sql += QStringLiteral("ORDER BY AppDate;");
    return findInto(objRec, sql, params);
}
