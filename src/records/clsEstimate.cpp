#include "records/clsEstimate.h"

#include "frame/modDao.h"
#include "frame/modMsgBox.h"
#include "platform/SqlText.h"
#include "records/modRecords.h"

dao::Database* clsEstimate::database() const { return dbEstimate.get(); }

void clsEstimate::SaveInitEstimate()
{
    saveRecord(QStringLiteral("SELECT * FROM EstiBase ORDER BY EstiCode;"),
               {{QStringLiteral("EstiCode"), m_SCODE},
                {QStringLiteral("CCode"), m_sCCode},
                {QStringLiteral("CName"), m_sCName},
                {QStringLiteral("EstiDate"), m_sEDate},
                {QStringLiteral("DeriveDate"), m_sDeriveDate},
                {QStringLiteral("ClassName"), m_sClass},
                {QStringLiteral("EstiKum"), m_dETotKum},
                {QStringLiteral("EstiHanKum"), m_sETotHanKum},
                {QStringLiteral("Vat"), m_bVAT},
                {QStringLiteral("Refer"), m_sRefer},
                {QStringLiteral("Validate"), m_sValidate},
                {QStringLiteral("Section"), m_sSection}});
}

void clsEstimate::SaveEstimate()
{
    executeChecked(QStringLiteral("INSERT INTO Estimate VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?);"),
                   {m_lSeq, m_SCODE, m_sPCode, m_sPName, m_sPNorm, m_siEAmount, m_siEUnitCost, m_lEstiKum, m_sUnit},
                   QStringLiteral("견적내역을 저장하는 중 오류가 발생했습니다."));
}

void clsEstimate::UpdateEstiBase()
{
    executeChecked(QStringLiteral("UPDATE EstiBase SET CCode = ?, CName = ?, EstiDate = ?, DeriveDate = ?, "
                                  "ClassName = ?, EstiKum = ?, EstiHanKum = ?, Vat = ?, Refer = ?, Validate = ?, "
                                  "Section = ? WHERE EstiCode = ?;"),
                   {m_sCCode, m_sCName, m_sEDate, m_sDeriveDate, m_sClass, m_dETotKum, m_sETotHanKum, m_bVAT,
                    m_sRefer, m_sValidate, m_sSection, m_SCODE},
                   QStringLiteral("견적내역을 갱신하는 중 오류가 발생했습니다."));
}

void clsEstimate::UpdateEstimate()
{
    executeChecked(QStringLiteral("UPDATE Estimate SET EAmount = ?, EUnitPrice = ?, EstiKum = ? WHERE Seq = ?"),
                   {m_siEAmount, m_siEUnitCost, m_lEstiKum, m_lSeq},
                   QStringLiteral("견적서 자료를 갱신하는 중 오류가 발생했습니다."));
}

void clsEstimate::UpdateTotKum()
{
    if (execute(QStringLiteral("UPDATE EstiBase SET EstiKum = ?, EstiHanKum = ? WHERE EstiCode = ?;"),
                {m_dETotKum, m_sETotHanKum, m_SCODE})
        == 0)
        MsgWarn(QStringLiteral("견적금액을 갱신하는 중 오류가 발생했습니다."), QStringLiteral("견적내역 갱신"));
}

void clsEstimate::UpdateVat()
{
    if (execute(QStringLiteral("UPDATE EstiBase SET Vat = ? WHERE EstiCode = ?;"), {m_bVAT, m_SCODE}) == 0)
        MsgWarn(QStringLiteral("견적내역을 갱신하는 중 오류가 발생했습니다."), QStringLiteral("견적내역 갱신오류"));
}

void clsEstimate::UpdateUnit()
{
    if (execute(QStringLiteral("UPDATE Estimate SET EUnit = ? WHERE Seq = ?"), {m_sUnit, m_lSeq}) == 0)
        MsgWarn(QStringLiteral("견적내역을 갱신하는 중 오류가 발생했습니다."), QStringLiteral("견적내역 갱신 오류"));
}

void clsEstimate::UpdateDeriveDate()
{
    executeChecked(QStringLiteral("UPDATE EstiBase SET DeriveDate = ? WHERE EstiCode = ?;"),
                   {m_sDeriveDate, m_SCODE},
                   QStringLiteral("견적서의 납품예정일을 변경하는 중 오류가 발생했습니다."));
}

void clsEstimate::Update_Trader_Name()
{
    try {
        execute(QStringLiteral("UPDATE EstiBase SET CName = ? WHERE CCode = ?;"), {m_sCName, m_sCCode});
    } catch (const dao::DaoError&) {
        // a customer without quotations, or no quotation table: nothing to rename
    }
}

void clsEstimate::DeleteEstimate()
{
    dao::Database& db = requireDatabase();
    qint64 heads = 0, lines = 0;
    {
        // Head and lines go together: a failure on the lines leaves the head in place.
        dao::Transaction tx(db);
        heads = db.execute(QStringLiteral("DELETE FROM EstiBase WHERE EstiCode = ?"), {m_SCODE});
        if (heads != 0)
            lines = db.execute(QStringLiteral("DELETE FROM Estimate WHERE Code = ?"), {m_SCODE});
        tx.commit();
    }
    if (heads == 0)
        MsgWarn(QStringLiteral("견적서 자료를 삭제하는 중 오류가 발생했습니다."), QStringLiteral("견적내역 삭제"));
    else if (lines == 0)
        MsgWarn(QStringLiteral("견적내역을 삭제하는 중 오류가 발생했습니다."), QStringLiteral("견적내역 삭제"));
}

void clsEstimate::DeleteDetail()
{
    executeChecked(QStringLiteral("DELETE FROM Estimate WHERE Seq = ?"), {m_lSeq},
                   QStringLiteral("견적서 자료를 삭제하는 중 오류가 발생했습니다."));
}

qint64 clsEstimate::NextSeq()
{
    QVariant max;
    bool opened = false;
    readValue(DAO_MaxNumberSql(QStringLiteral("Estimate"), QStringLiteral("Seq")), {}, max, &opened);
    if (!opened)
        return 0;
    return DAO_NumberAbove(max);
}

QString clsEstimate::NextCode()
{
    const QString prefix = m_sEDate.left(4) + m_sEDate.mid(5, 2);
    // The number after the year and month is compared as a number, so the thousandth
    // quotation of a month ("2009031000") still counts as the highest.
    QVariant max;
    bool opened = false;
    readValue(QStringLiteral("SELECT Max(ASNUMBER(substr(EstiCode, ?))) AS MNum FROM EstiBase "
                             "WHERE EstiCode LIKE ?")
                  + QLatin1String(dao::kLikeEscape),
              {prefix.size() + 1, dao::likeEscape(prefix) + QLatin1Char('%')}, max, &opened);
    if (!opened)
        return QString();
    return prefix + formatCode(DAO_NumberAbove(max), 3);
}

bool clsEstimate::FindEstiHead(RecordsetPtr& recObj)
{
    return findInto(recObj, QStringLiteral("SELECT * FROM EstiBase WHERE EstiCode = ?"), {m_SCODE});
}
