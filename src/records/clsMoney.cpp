#include "records/clsMoney.h"

QString clsMoney::table() const
{
    return tableOfKind(m_byGubun, QStringLiteral("Payment"), QStringLiteral("Deposit"));
}

QString clsMoney::kindWord() const
{
    return m_byGubun == 0 ? QStringLiteral("출금") : QStringLiteral("입금");
}

void clsMoney::SaveTrade()
{
    const QString t = table();
    if (t.isEmpty())
        return;
    saveRecord(QStringLiteral("SELECT * FROM %1 ORDER BY Code;").arg(t),
               {{QStringLiteral("Code"), m_SCODE},
                {QStringLiteral("CCode"), m_sCCode},
                {QStringLiteral("CName"), m_sCName},
                {QStringLiteral("DealDate"), m_sDealDate},
                {QStringLiteral("TradeKum"), m_lTradeKum},
                {QStringLiteral("NoteCode"), m_sNoteCode},
                {QStringLiteral("Section"), m_bySection},
                {QStringLiteral("Charge"), m_sCharge},
                {QStringLiteral("Bigo"), m_sBigo}},
               QStringLiteral("자료를 저장하였습니다."), 500);
}

void clsMoney::UpdateTrade()
{
    executeOn(table(), QStringLiteral("UPDATE %1 SET DealDate = ?, TradeKum = ?, NoteCode = ?, Charge = ?, Bigo = ? "
                                      "WHERE Code = ?"),
              {m_sDealDate, m_lTradeKum, m_sNoteCode, m_sCharge, m_sBigo, m_SCODE},
              kindWord() + QStringLiteral(" 데이터를 갱신하는 중 오류가 발생했습니다."));
}

void clsMoney::Update_TradeKum()
{
    executeOn(table(), QStringLiteral("UPDATE %1 SET TradeKum = ? WHERE Code = ?;"), {m_lTradeKum, m_SCODE},
              kindWord() + QStringLiteral(" 데이터를 갱신하는 중 오류가 발생했습니다."));
}

void clsMoney::DeleteTrade()
{
    executeOn(table(), QStringLiteral("DELETE FROM %1 WHERE Code = ?"), {m_SCODE},
              kindWord() + QStringLiteral(" 데이터를 삭제하는 중 오류가 발생했습니다."));
}

void clsMoney::DeleteInOut_ALL_Per_Trader()
{
    executeOn(table(), QStringLiteral("DELETE FROM %1 WHERE CCode = ?;"), {m_sCCode}); // the count is not read
}

QString clsMoney::NextCode()
{
    const QString t = table();
    if (t.isEmpty())
        return QString();
    return nextCode(t, QStringLiteral("Code"), 6);
}

bool clsMoney::InOutList(RecordsetPtr& recObj, bool bCondition, const QString& sDate1, const QString& sDate2)
{
    const QString t = table();
    if (t.isEmpty())
        return false;
    QString sql = QStringLiteral("SELECT DealDate, CCode, TradeKum, NoteCode, Bigo, Section, Code FROM %1 ").arg(t);
    QVariantList params;
    if (!m_sCCode.isEmpty()) {
        sql += QStringLiteral("WHERE CCode = ? ");
        params << m_sCCode;
        if (bCondition) {
            sql += QStringLiteral("AND DealDate BETWEEN ? AND ? ");
            params << sDate1 << sDate2;
        }
    } else if (bCondition) {
        sql += QStringLiteral("WHERE DealDate BETWEEN ? AND ? ");
        params << sDate1 << sDate2;
    }
    sql += QStringLiteral("ORDER BY Code;");
    return findInto(recObj, sql, params);
}

void clsMoney::SumPerMoney(RecordsetPtr& recObj, bool /*bTot*/)
{
    const QString t = table();
    if (t.isEmpty())
        return;
    findInto(recObj, QStringLiteral("SELECT %1.Code AS CSeq, %1.CCode AS CuCode, Trader.C_Name AS CuName, "
                                    "%1.TradeKum AS SDeci, %1.Section AS InOutSec, %1.NoteCode AS InOutNote, "
                                    "%1.DealDate AS DDate FROM %1 LEFT JOIN Trader ON %1.CCode = Trader.Code "
                                    "ORDER BY %1.CCode")
                         .arg(t));
}

bool clsMoney::InOutSumKum(RecordsetPtr& recObj)
{
    return sumPerParty(recObj, table(), QStringLiteral("TradeKum"), m_sCCode);
}
