#include "records/clsTrader.h"

#include "frame/modMain.h"
#include "platform/SqlText.h"

dao::Database* clsTrader::database() const { return gDB.get(); }

void clsTrader::SaveTrader()
{
    saveRecord(QStringLiteral("SELECT * FROM Trader ORDER BY Code"),
               {{QStringLiteral("Code"), m_SCODE},
                {QStringLiteral("C_Name"), m_sComp},
                {QStringLiteral("U_Name"), m_sName},
                {QStringLiteral("Serial"), m_sSerial},
                {QStringLiteral("Phone"), m_sPhone},
                {QStringLiteral("Fax"), m_sFax},
                {QStringLiteral("DDD"), m_sDDD},
                {QStringLiteral("Charge"), m_sCharge},
                {QStringLiteral("VAT"), m_byVAT},
                {QStringLiteral("Addr1"), m_sAddr1},
                {QStringLiteral("Addr2"), m_sAddr2},
                {QStringLiteral("Post"), m_sPost},
                {QStringLiteral("Status"), m_sStatus},
                {QStringLiteral("Item"), m_sItem},
                {QStringLiteral("OpenDate"), m_sOpenDate},
                {QStringLiteral("CloseDate"), m_sCloseDate},
                {QStringLiteral("EnterDate"), m_sEnterDate},
                {QStringLiteral("Section"), m_bySection},
                {QStringLiteral("TotNoPay"), m_dTotNoPay},
                {QStringLiteral("Bigo"), m_sBigo},
                {QStringLiteral("bDeled"), m_bDeled}},
               QStringLiteral("자료가 저장되었습니다."), 700);
}

void clsTrader::UpdateTrader()
{
    executeChecked(QStringLiteral("UPDATE Trader SET C_Name = ?, U_Name = ?, Serial = ?, Phone = ?, Fax = ?, "
                                  "DDD = ?, Charge = ?, VAT = ?, Addr1 = ?, Addr2 = ?, Post = ?, Status = ?, "
                                  "Item = ?, OpenDate = ?, CloseDate = ?, TotNoPay = ?, EnterDate = ?, "
                                  "bDeled = ?, Bigo = ? WHERE Code = ?"),
                   {m_sComp, m_sName, m_sSerial, m_sPhone, m_sFax, m_sDDD, m_sCharge, m_byVAT, m_sAddr1, m_sAddr2,
                    m_sPost, m_sStatus, m_sItem, m_sOpenDate, m_sCloseDate, m_dTotNoPay, m_sEnterDate, m_bDeled,
                    m_sBigo, m_SCODE},
                   QStringLiteral("데이터를 갱신하는 중 오류가 발생했습니다."));
}

void clsTrader::Update_Charge()
{
    executeChecked(QStringLiteral("UPDATE Trader SET Charge = ? WHERE Code = ?;"), {m_sCharge, m_SCODE},
                   QStringLiteral("거래처 담당자를 변경하는 중 오류가 발생했습니다."));
}

bool clsTrader::TraderList(RecordsetPtr& recObj)
{
    return findInto(recObj, QStringLiteral("SELECT * FROM Trader WHERE bDeled = 0 ORDER BY Code;"));
}

bool clsTrader::FindTrader(RecordsetPtr& objRec, const QString& TraderCode, const QString& TraderComp,
                           const QString& TraderName, const QString& TraderPhone, const QString& TraderAddr)
{
    if (!TraderCode.isEmpty())
        return findInto(objRec, QStringLiteral("SELECT * FROM Trader WHERE Code = ? ORDER BY Code;"), {TraderCode});
    // Each text is looked for anywhere in its column; a * or ? the caller typed stays a
    // wildcard, % and _ are matched as themselves.
    const auto anywhere = [](const QString& text) {
        return dao::likeFromWildcards(QLatin1Char('*') + text + QLatin1Char('*'));
    };
    const QString like = QStringLiteral(" LIKE ?") + QLatin1String(dao::kLikeEscape);
    return findInto(objRec,
                    QStringLiteral("SELECT * FROM Trader WHERE C_Name") + like + QStringLiteral(" OR U_Name") + like
                        + QStringLiteral(" OR Phone") + like + QStringLiteral(" OR Addr2") + like
                        + QStringLiteral(" ORDER BY Code;"),
                    {anywhere(TraderComp), anywhere(TraderName), anywhere(TraderPhone), anywhere(TraderAddr)});
}

void clsTrader::DeleteTrader(const QString& TraderCode)
{
    executeChecked(QStringLiteral("DELETE FROM Trader WHERE Code = ?"), {TraderCode},
                   QStringLiteral("자료를 삭제하는 중 오류가 발생했습니다."));
}

int clsTrader::TraderTax()
{
    QVariant v;
    bool opened = false;
    if (readValue(QStringLiteral("SELECT VAT FROM Trader WHERE Code = ?;"), {m_SCODE}, v, &opened))
        return v.isNull() ? 0 : v.toInt();
    return opened ? 3 : 0;
}

QString clsTrader::NextCode()
{
    return nextCode(QStringLiteral("Trader"), QStringLiteral("Code"), 6);
}

void clsTrader::UpdateNoPay(qint64 dOldKum, qint64 dNewKum)
{
    // Read and rewritten under one write lock: a movement of another workstation in between
    // cannot be lost. The new amount is worked out exactly first; one beyond the 64-bit range
    // stops with the error 6 "Overflow" and nothing is written.
    dao::Database& db = requireDatabase();
    qint64 changed = 0;
    {
        dao::Transaction tx(db);
        QList<QVariantList> rows;
        {
            auto rs = db.openRecordset(QStringLiteral("SELECT rowid, TotNoPay FROM Trader WHERE Code = ?"),
                                       dao::dbOpenSnapshot, {m_SCODE});
            for (; !rs->eof(); rs->moveNext())
                rows << QVariantList{checkedSum({storedAmount(rs->value(1)), dNewKum}, {dOldKum}), rs->value(0)};
        }
        for (const QVariantList& params : rows)
            changed += db.execute(QStringLiteral("UPDATE Trader SET TotNoPay = ? WHERE rowid = ?"), params);
        tx.commit();
    }
    // (told once the lock is given up, so other workstations do not wait on the box)
    if (changed == 0)
        showPlainBox(QStringLiteral("현재미수금 데이터를 갱신하는 중 오류가 발생했습니다."));
}

qint64 clsTrader::CurTotNoPay(const QString& TraderCode)
{
    QVariant v;
    readValue(QStringLiteral("SELECT TotNoPay FROM Trader WHERE Code = ?"), {TraderCode}, v);
    return storedAmount(v);
}

bool clsTrader::CheckField(int byGubun, const QString& sParam1)
{
    return exists(QStringLiteral("SELECT * FROM Trader WHERE C_Name = ? AND Section = ?;"), {sParam1, byGubun});
}

qint64 clsTrader::initNonKum()
{
    QVariant v;
    readValue(QStringLiteral("SELECT TotNoPay FROM Trader WHERE Code = ?;"), {m_SCODE}, v);
    return storedAmount(v); // Null is 0
}
