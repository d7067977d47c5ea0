#include "records/clsCharge.h"

#include "frame/modMain.h"
#include "platform/SqlText.h"

dao::Database* clsCharge::database() const { return gDB.get(); }

void clsCharge::SaveCharge()
{
    saveRecord(QStringLiteral("SELECT * FROM Charge ORDER BY Code;"),
               {{QStringLiteral("Code"), m_SCODE},
                {QStringLiteral("CName"), m_sCName},
                {QStringLiteral("Serial"), m_sSerial},
                {QStringLiteral("JoinDate"), m_sJoinDate},
                {QStringLiteral("Post"), m_sPost},
                {QStringLiteral("Addr"), m_sAddr},
                {QStringLiteral("Tel_Home"), m_sTelHome},
                {QStringLiteral("Phone"), m_sPhone},
                {QStringLiteral("Bigo"), m_sBigo}},
               QStringLiteral("자료를 저장하였습니다."));
}

void clsCharge::UpdateCharge()
{
    executeChecked(QStringLiteral("UPDATE Charge SET CName = ?, Serial = ?, JoinDate = ?, Post = ?, Addr = ?, "
                                  "Tel_Home = ?, Phone = ?, Bigo = ? WHERE Code = ?"),
                   {m_sCName, m_sSerial, m_sJoinDate, m_sPost, m_sAddr, m_sTelHome, m_sPhone, m_sBigo, m_SCODE},
                   QStringLiteral("담당자 데이터를 갱신하는 중 오류가 발생했습니다."),
                   QStringLiteral("자료를 수정하였습니다."));
}

void clsCharge::DeleteCharge()
{
    executeChecked(QStringLiteral("DELETE FROM Charge WHERE Code = ?"), {m_SCODE},
                   QStringLiteral("담당자 자료를 삭제하는 중 오류가 발생했습니다."),
                   QStringLiteral("자료를 삭제하였습니다."));
}

bool clsCharge::FindCharge(RecordsetPtr& objRec, const QString& ChargeCode, const QString& ChargeName)
{
    if (!ChargeCode.isEmpty())
        return findInto(objRec, QStringLiteral("SELECT * FROM Charge WHERE Code = ? ORDER BY Code;"), {ChargeCode});
    return findInto(objRec,
                    QStringLiteral("SELECT * FROM Charge WHERE CName LIKE ?") + QLatin1String(dao::kLikeEscape)
                        + QStringLiteral(" ORDER BY Code;"),
                    {dao::likeFromWildcards(QLatin1Char('*') + ChargeName + QLatin1Char('*'))});
}

QString clsCharge::NextCode()
{
    return nextCode(QStringLiteral("Charge"), QStringLiteral("Code"), 4);
}
