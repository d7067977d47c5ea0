#include "records/clsPrintTax.h"

#include "frame/modDao.h"
#include "platform/SqlText.h"
#include "records/modRecords.h"

#include <cmath>

namespace {
// The number of a serial: everything after its four characters of prefix.
qint64 serialNumber(const QString& serial)
{
    return serial.mid(4).trimmed().toLongLong();
}
} // namespace

dao::Database* clsPrintTax::database() const { return dbTax.get(); }

void clsPrintTax::iItem(const QString& v)
{
    bool ok = false;
    const double d = std::nearbyint(v.trimmed().toDouble(&ok));
    // A number no 64-bit count can hold counts as no number.
    m_iItem = ok && d >= -9223372036854775808.0 && d < 9223372036854775808.0 ? qint64(d) : 0;
}

void clsPrintTax::InitSaveTax()
{
    const qint64 total = checkedSum({m_lTradeKum, m_lVatKum}); // beyond the range: nothing stored
    executeChecked(QStringLiteral("INSERT INTO NewAcount VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?);"),
                   {m_sTaxCode, m_sSaleCode, m_sSaleName, m_sPCode, m_sPName, m_sPNorm, m_siQuant, m_dUnitCost,
                    m_lTradeKum, m_lVatKum, total, m_sDealDate, m_sIssueDate, m_iItem},
                   QStringLiteral("세금계산서 내역을 저장하는 중 오류가 발생했습니다."));
}

QString clsPrintTax::NextCode()
{
    return nextCode(QStringLiteral("NewAcount"), QStringLiteral("TaxCode"), 6);
}

QString clsPrintTax::Create_Serial(const QString& sSeq)
{
    const QString prefix = sSeq.left(4);
    // The highest number, not the text-wise highest serial: after "A0011000" the next is
    // "A0011001", not "A0011000" again. A serial whose number part is no number is passed over.
    QVariantList last;
    if (!readRow(QStringLiteral("SELECT Serial, ASNUMBER(substr(Serial, 5)) AS SNum FROM TaxAcount WHERE Serial LIKE ?")
                     + QLatin1String(dao::kLikeEscape)
                     + QStringLiteral(" AND SNum IS NOT NULL ORDER BY SNum DESC, Serial DESC LIMIT 1;"),
                 {dao::likeEscape(prefix) + QLatin1Char('%')}, last))
        return QString();
    if (last.value(0).isNull())
        return prefix + QStringLiteral("001");
    return last.value(0).toString().left(4) + formatCode(DAO_NumberAbove(last.value(1)), 3);
}

QString clsPrintTax::Next_Serial(const QString& sSerialNum)
{
    return sSerialNum.left(4) + formatCode(DAO_NumberAbove(serialNumber(sSerialNum)), 3);
}

bool clsPrintTax::Display_Data(RecordsetPtr& recObj, int /*byGubun*/)
{
    return findInto(recObj, QStringLiteral("SELECT DealDate AS DDate, IssueDate, CName, AMOUNTSUM(Tradekum) AS STrade, "
                                           "AMOUNTSUM(VatKum) AS SVat, AMOUNTSUM(SumKum) AS SSum, Sum(Item) AS SItem, "
                                           "First(PName) AS FPName, TaxCode, CCode FROM NewAcount "
                                           "GROUP BY CName, TaxCode, CCode, DealDate, IssueDate "
                                           "ORDER BY DealDate, CName;"));
}

bool clsPrintTax::Find_TaxList(RecordsetPtr& recObj, int byGubun)
{
    QString sql = QStringLiteral("SELECT * FROM TaxAcount WHERE CCode = ? ");
    QVariantList params{m_sSaleCode};
    if (byGubun != 0) {
        sql += QStringLiteral("AND DealDate = ? ");
        params << m_sDealDate;
    } else {
        sql += QStringLiteral("AND DealYY = ? ");
        params << m_sDealYY;
    }
    sql += QStringLiteral("AND Section = ?;");
    params << QString::number(byGubun);
    return findInto(recObj, sql, params);
}

void clsPrintTax::Update_IssueDate()
{
    executeChecked(QStringLiteral("UPDATE NewAcount SET IssueDate = ? WHERE TaxCode = ?;"),
                   {m_sIssueDate, m_sTaxCode},
                   QStringLiteral("세금계산서의 발행일자를 변경하는 중 오류가 발생했습니다."));
}
