#include "records/clsTradeBook.h"

#include "frame/modCommon.h"
#include "frame/modDate.h"
#include "platform/Prompter.h"
#include "platform/SqlText.h"
#include "records/modRecords.h"

#include <functional>
#include <optional>

namespace {

// An open that failed while the write lock was held; its message is shown once the lock is
// given up, so other workstations do not wait on the box.
struct OpenFailure {
    dao::DaoError err;
    QString sql;
};

RecordsetPtr openQuiet(dao::Database* db, const QString& sql, const QVariantList& params,
                       std::optional<OpenFailure>& failure)
{
    if (!db) {
        failure = OpenFailure{dao::DaoError(dao::errObjectNotSet, QStringLiteral("Object variable not set")), sql};
        return nullptr;
    }
    try {
        return db->openRecordset(sql, dao::dbOpenSnapshot, params);
    } catch (const dao::DaoError& e) {
        failure = OpenFailure{e, sql};
        return nullptr;
    }
}

void showOpenFailure(const std::optional<OpenFailure>& failure)
{
    if (failure)
        ShowRecordsetError(failure->err.number(), failure->err.description(), failure->sql);
}

// Looks up the party's day row with lookup and then runs write, under one write lock, so
// two workstations posting to the same party and day neither lose an amount nor make two
// day rows. write gets whether the day row exists and returns the count of its statement,
// or nothing when it wrote nothing. An open that failed is shown once the lock is given up,
// so other workstations do not wait on the box. The count of write, if it wrote.
using DayRowWrite = std::function<std::optional<qint64>(dao::Database&, bool, std::optional<OpenFailure>&)>;
std::optional<qint64> writeDayRow(dao::Database* db, const QString& lookup, const QVariantList& key,
                                  const DayRowWrite& write)
{
    std::optional<OpenFailure> failure;
    std::optional<qint64> changed;
    if (!db) {
        openQuiet(db, lookup, key, failure);
    } else {
        dao::Transaction tx(*db);
        if (RecordsetPtr rs = openQuiet(db, lookup, key, failure)) {
            const bool found = rs->recordCount() > 0;
            CloseRS(rs);
            changed = write(*db, found, failure);
            if (changed)
                tx.commit();
        }
    }
    showOpenFailure(failure);
    return changed;
}

qint64 amount(const QVariantList& row, int i) { return clsRecordBase::storedAmount(row.value(i)); } // Null counts 0

// Rewrites the four amounts of the party's day rows of one date (CCode and DealDate as in key,
// and rowCondition): each becomes stored - oldShare + newShare. Every new amount is worked out
// exactly before anything is written, so one that would leave the 64-bit range stops the
// member with the error 6 "Overflow" and no row changes. Each row keeps its own amounts, as
// when the engine adds them in one statement. extraSet ("column = ?, ..." with extraParams)
// is written too. The number of rows rewritten.
qint64 rewriteDayRows(dao::Database& db, const QString& book, const QString& rowCondition, const QVariantList& key,
                      const QString& extraSet, const QVariantList& extraParams, const qint64 (&oldShare)[4],
                      const qint64 (&newShare)[4])
{
    QList<QVariantList> rows;
    {
        auto rs = db.openRecordset(QStringLiteral("SELECT rowid, TradeKum, DC, VatKum, SumKum FROM %1 "
                                                  "WHERE CCode = ? AND DealDate = ? AND %2").arg(book, rowCondition),
                                   dao::dbOpenSnapshot, key);
        for (; !rs->eof(); rs->moveNext()) {
            QVariantList params = extraParams;
            for (int i = 0; i < 4; ++i)
                params << clsRecordBase::checkedSum({clsRecordBase::storedAmount(rs->value(i + 1)), newShare[i]},
                                                    {oldShare[i]});
            rows << (params << rs->value(0));
        }
    }
    qint64 changed = 0;
    for (const QVariantList& params : rows)
        changed += db.execute(QStringLiteral("UPDATE %1 SET %2TradeKum = ?, DC = ?, VatKum = ?, SumKum = ? "
                                             "WHERE rowid = ?").arg(book, extraSet),
                              params);
    return changed;
}

const QString kNotOpening = QStringLiteral("NOT DealDate LIKE '%-00'");

} // namespace

dao::Database* clsTradeBook::database() const { return dbTradeBook.get(); }

QString clsTradeBook::book() const
{
    return tableOfKind(m_byGubun, QStringLiteral("PurchBook"), QStringLiteral("SaleBook"));
}

QString clsTradeBook::kindWord() const
{
    return m_byGubun == 0 ? QStringLiteral("매입") : QStringLiteral("매출");
}

// --- rows -------------------------------------------------------------------------------

bool clsTradeBook::Find_Trader_Init_Ledger()
{
    const QString b = book();
    if (b.isEmpty())
        return false;
    return exists(QStringLiteral("SELECT * FROM %1 WHERE CCode = ? AND DealDate = ?;").arg(b), {m_sCCode, m_sDealDate});
}

void clsTradeBook::InitSave_Trader()
{
    executeOn(book(), QStringLiteral("INSERT INTO %1(CCode, CName, DealDate, TradeKum) VALUES (?, ?, ?, ?);"),
              {m_sCCode, m_sCName, m_sDealDate, m_lTradeKum},
              QStringLiteral("원장의 초기 거래처 데이터를 저장하는 중 오류가 발생했습니다."));
}

void clsTradeBook::SaveTradeBook()
{
    const QString b = book();
    if (b.isEmpty())
        return;
    const auto changed = writeDayRow(
        database(), QStringLiteral("SELECT * FROM %1 WHERE CCode = ? AND DealDate = ? AND InOutGubun Is Null").arg(b),
        {m_sCCode, m_sDealDate}, [&](dao::Database& db, bool found, std::optional<OpenFailure>&) {
            if (!found)
                return db.execute(QStringLiteral("INSERT INTO %1 (CCode, CName, DealDate, TradeKum, DC, VatKum, "
                                                 "SumKum) VALUES (?, ?, ?, ?, ?, ?, ?)").arg(b),
                                  {m_sCCode, m_sCName, m_sDealDate, m_lTradeKum, m_lDC, m_lVatKum, m_lSumKum});
            return rewriteDayRows(db, b, QStringLiteral("InOutGubun Is Null"), {m_sCCode, m_sDealDate}, QString(), {},
                                  {0, 0, 0, 0}, {m_lTradeKum, m_lDC, m_lVatKum, m_lSumKum});
        });
    if (changed == 0)
        showPlainBox(kindWord() + QStringLiteral("원장 데이터를 갱신하는 중 오류가 발생했습니다."));
}

void clsTradeBook::UpdateTradeBook(bool bAdd)
{
    const QString b = book();
    if (b.isEmpty())
        return;
    // Each day-row amount becomes  stored - old share + new share, read and written under the
    // write lock, so a posting of another workstation in between still counts.
    const auto changed = writeDayRow(
        database(), QStringLiteral("SELECT * FROM %1 WHERE CCode = ? AND DealDate = ? AND Code Is Null").arg(b),
        {m_sCCode, m_sDealDate},
        [&](dao::Database& db, bool, std::optional<OpenFailure>& failure) -> std::optional<qint64> {
            qint64 oldShare[4] = {0, 0, 0, 0};
            qint64 newShare[4] = {m_lTradeKum, m_lDC, m_lVatKum, m_lSumKum};
            if (!bAdd) {
                RecordsetPtr line = openQuiet(m_objDB.get(),
                                              QStringLiteral("SELECT * FROM %1 WHERE Code = ?")
                                                  .arg(tableOfKind(m_byGubun, QStringLiteral("Purchase"),
                                                                   QStringLiteral("Sale"))),
                                              {m_SCODE}, failure);
                if (!line)
                    return std::nullopt; // the line could not be read: nothing is written
                const char* cols[4] = {"TradeKum", "DC", "VatKum", "SumKum"};
                for (int i = 0; i < 4; ++i) {
                    if (line->recordCount() > 0)
                        oldShare[i] = storedAmount(line->value(QLatin1String(cols[i])));
                    else
                        newShare[i] = 0; // the line is unknown: the day row keeps its amounts
                }
                CloseRS(line);
            }
            return rewriteDayRows(db, b, QStringLiteral("Code Is Null"), {m_sCCode, m_sDealDate},
                                  QStringLiteral("DealDate = ?, "), {m_sDealDate}, oldShare, newShare);
        });
    if (changed == 0)
        showPlainBox(kindWord() + QStringLiteral("원장 데이터를 갱신하는 중 오류가 발생했습니다."));
}

void clsTradeBook::DeleteTradeBook()
{
    QString sql = QStringLiteral("DELETE FROM %1 WHERE CCode = ?");
    QVariantList params{m_sCCode};
    addCondition(sql, params, QStringLiteral(" AND DealDate = ?"), m_sDealDate);
    executeOn(book(), sql + QLatin1Char(';'), params,
              kindWord() + QStringLiteral("원장 데이터를 삭제하는 중 오류가 발생했습니다."));
}

void clsTradeBook::DeleteTradeBook_ALL_Per_Trader()
{
    executeOn(book(), QStringLiteral("DELETE FROM %1 WHERE CCode = ?;"), {m_sCCode}); // the count is not read
}

void clsTradeBook::SaveInOutKum()
{
    const QString b = book();
    if (b.isEmpty())
        return;
    saveRecord(QStringLiteral("SELECT * FROM %1").arg(b),
               {{QStringLiteral("Code"), m_SCODE},
                {QStringLiteral("CCode"), m_sCCode},
                {QStringLiteral("CName"), m_sCName},
                {QStringLiteral("DealDate"), m_sDealDate},
                {QStringLiteral("TradeKum"), qint64(0)},
                {QStringLiteral("VatKum"), qint64(0)},
                {QStringLiteral("DC"), qint64(0)},
                {QStringLiteral("SumKum"), qint64(0)},
                {QStringLiteral("InOutKum"), m_lInOutKum},
                {QStringLiteral("InOutGubun"), m_sInOutGubun},
                {QStringLiteral("NoteCode"), m_sNoteCode}});
}

void clsTradeBook::UpdateInOutKum()
{
    executeOn(book(), QStringLiteral("UPDATE %1 SET InOutKum = ? WHERE Code = ? AND CCode = ? AND DealDate = ? "
                                     "AND InOutGubun = ?;"),
              {m_lInOutKum, m_SCODE, m_sCCode, m_sDealDate, m_sInOutGubun},
              QStringLiteral("입출금 내역을 저장하는 중 오류가 발생했습니다."));
}

void clsTradeBook::Update_Trader_Name()
{
    const QString b = book();
    if (b.isEmpty())
        return;
    qint64 n = 0;
    try {
        n = execute(QStringLiteral("UPDATE %1 SET CName = ? WHERE CCode = ?;").arg(b), {m_sCName, m_sCCode});
    } catch (const dao::DaoError&) {
        // the engine's errors are not reported here; nothing was renamed
    }
    if (n == 0)
        showPlainBox(QStringLiteral("거래처명을 변경하는 중 오류가 발생했습니다."));
}

void clsTradeBook::DeleteInOut()
{
    executeOn(book(), QStringLiteral("DELETE FROM %1 WHERE Code = ? AND CCode = ? AND DealDate = ?;"),
              {m_SCODE, m_sCCode, m_sDealDate},
              (m_byGubun == 0 ? QStringLiteral("출금") : QStringLiteral("입금"))
                  + QStringLiteral(" 데이터를 삭제하는 중 오류가 발생했습니다."));
}

bool clsTradeBook::Find_Trader_Init()
{
    const QString b = book();
    if (b.isEmpty())
        return false;
    return exists(QStringLiteral("SELECT * FROM %1 WHERE CCode = ? AND DealDate = ? AND Code Is Null").arg(b),
                  {m_sCCode, m_sDealDate});
}

bool clsTradeBook::Find_InOut_List()
{
    const QString b = book();
    if (b.isEmpty())
        return false;
    return exists(QStringLiteral("SELECT * FROM %1 WHERE Code = ? AND CCode = ? AND DealDate = ?").arg(b),
                  {m_SCODE, m_sCCode, m_sDealDate});
}

bool clsTradeBook::FindTransferKum(const QString& SCODE, const QString& sDate)
{
    const QString b = book();
    if (b.isEmpty())
        return false;
    return exists(QStringLiteral("SELECT * FROM %1 WHERE CCode = ? AND DealDate = ?").arg(b), {SCODE, sDate});
}

bool clsTradeBook::FindTradeList()
{
    const QString b = book();
    if (b.isEmpty())
        return false;
    return exists(QStringLiteral("SELECT * FROM %1 WHERE CCode = ? AND %2;").arg(b, kNotOpening), {m_sCCode});
}

qint64 clsTradeBook::InitPrevKum()
{
    const QString b = book();
    if (b.isEmpty())
        return 0;
    QVariant v;
    readValue(QStringLiteral("SELECT TradeKum FROM %1 WHERE CCode = ? AND DealDate = ?").arg(b),
              {m_sCCode, year() + QLatin1Char('-') + month() + QStringLiteral("-00")}, v);
    return storedAmount(v);
}

bool clsTradeBook::InitAllPrevKum(RecordsetPtr& recObj, const QString& SCODE)
{
    const QString b = book();
    if (b.isEmpty())
        return false;
    QString sql = QStringLiteral("SELECT CCode, CName, TradeKum FROM %1 WHERE DealDate = ? ").arg(b);
    QVariantList params{year() + QLatin1Char('-') + month() + QStringLiteral("-00")};
    addCondition(sql, params, QStringLiteral("AND CCode = ? "), SCODE);
    return findInto(recObj, sql + QStringLiteral("ORDER BY CCode;"), params);
}

bool clsTradeBook::All_Transfer_Kum(RecordsetPtr& recObj)
{
    const QString b = book();
    if (b.isEmpty())
        return false;
    return findInto(recObj,
                    QStringLiteral("SELECT * FROM %1 WHERE DealDate LIKE ?").arg(b) + QLatin1String(dao::kLikeEscape)
                        + QStringLiteral(" ORDER BY CCode;"),
                    {dao::likeEscape(year()) + QStringLiteral("-%-00")});
}

// --- sums and balances --------------------------------------------------------------------

bool clsTradeBook::sumMovements(const QString& from, const QString& to, const QString& extra,
                                const QVariantList& extraParams, Amount128& trades, Amount128& payments)
{
    // Exact totals even past the 64-bit range: the opening amount may bring the balance back.
    trades = payments = 0;
    QVariantList row;
    if (!readRow(QStringLiteral("SELECT AMOUNTSUM128(SumKum) AS SSum, AMOUNTSUM128(InOutKum) AS SInOut FROM %1 "
                                "WHERE CCode = ? AND DealDate BETWEEN ? AND ?")
                         .arg(book())
                     + extra,
                 QVariantList{m_sCCode, from, to} + extraParams, row))
        return false;
    trades = storedTotal(row.value(0));
    payments = storedTotal(row.value(1));
    return true;
}

qint64 clsTradeBook::SumPrevKum(bool bFinal, bool bInitKum)
{
    if (book().isEmpty())
        return 0;
    const qint64 opening = bInitKum ? InitPrevKum() : 0;
    const QString first = m_sDealDate.left(7) + QStringLiteral("-01");
    // Nothing lies before the 1st of the month; the month's end is another matter.
    if (!bFinal && m_sDealDate.right(2) == QLatin1String("01"))
        return opening;
    const QString last = bFinal ? GetLastDate(first.left(4), first.mid(5, 2)) : GetPrevDay(m_sDealDate, true);
    Amount128 trades = 0, payments = 0;
    if (!sumMovements(first, last, QString(), {}, trades, payments))
        return 0;
    return checkedSum({trades, opening}, {payments});
}

qint64 clsTradeBook::SumPeriodSum(const QString& sDate1, const QString& sDate2)
{
    if (book().isEmpty())
        return 0;
    const qint64 opening = InitPrevKum();
    Amount128 trades = 0, payments = 0;
    if (!sumMovements(sDate1.left(7) + QStringLiteral("-01"), sDate2, QString(), {}, trades, payments))
        return 0;
    return checkedSum({opening, trades}, {payments});
}

qint64 clsTradeBook::RetNonKum(const QString& sDate1, const QString& sDate2)
{
    if (book().isEmpty())
        return 0;
    Amount128 trades = 0, payments = 0;
    if (!sumMovements(sDate1, sDate2, QStringLiteral(" AND ") + kNotOpening, {}, trades, payments))
        return 0;
    return checkedSum({InitPrevKum(), trades}, {payments});
}

qint64 clsTradeBook::monthSum(const QString& column, const QString& alias)
{
    if (book().isEmpty())
        return 0;
    QVariant v;
    readValue(QStringLiteral("SELECT AMOUNTSUM(%2) AS %3 FROM %1 WHERE CCode = ? AND DealDate BETWEEN ? AND ? "
                             "AND NOT DealDate LIKE ?").arg(book(), column, alias)
                  + QLatin1String(dao::kLikeEscape),
              {m_sCCode, year() + QLatin1Char('-') + month() + QStringLiteral("-01"), GetLastDate(year(), month()),
               dao::likeEscape(year()) + QStringLiteral("-%-00")},
              v);
    return storedAmount(v);
}

qint64 clsTradeBook::SumTradeKum()
{
    return monthSum(QStringLiteral("SumKum"), QStringLiteral("STrade"));
}

qint64 clsTradeBook::SumInOutKum()
{
    return monthSum(QStringLiteral("InOutKum"), QStringLiteral("SInOut"));
}

qint64 clsTradeBook::SumAnalysis(const QString& sDate1, const QString& sDate2)
{
    const QString b = book();
    if (b.isEmpty())
        return 0;
    QVariant v;
    readValue(QStringLiteral("SELECT AMOUNTSUM(SumKum) AS SSum FROM %1 WHERE DealDate BETWEEN ? AND ? AND %2")
                  .arg(b, kNotOpening),
              {sDate1, sDate2}, v);
    return storedAmount(v);
}

void clsTradeBook::SumMonth()
{
    const QString b = book();
    if (b.isEmpty())
        return;
    QString sql = QStringLiteral("SELECT AMOUNTSUM(TradeKum) AS SSale, AMOUNTSUM(DC) AS SDC, "
                                 "AMOUNTSUM(VatKum) AS SVat, AMOUNTSUM(SumKum) AS STrade FROM %1 "
                                 "WHERE DealDate BETWEEN ? AND ?").arg(b);
    QVariantList params{year() + QLatin1Char('-') + month() + QStringLiteral("-01"), GetLastDate(year(), month())};
    addCondition(sql, params, QStringLiteral(" AND CCode = ?"), m_sCCode);
    QVariantList row;
    if (!readRow(sql, params, row))
        return; // the totals keep their values
    const qint64 sale = amount(row, 0), dc = amount(row, 1), vat = amount(row, 2), sum = amount(row, 3);
    gdSumTradeKum = sale;
    gdSumDC = dc;
    gdSumVatKum = vat;
    gdSumSumKum = sum;
}

void clsTradeBook::SumYear()
{
    const QString b = book();
    if (b.isEmpty())
        return;
    // The year's trades and payments of the year of sDealDate.
    QString sql = QStringLiteral("SELECT AMOUNTSUM(SumKum) AS STrade, AMOUNTSUM(InOutKum) AS SInOut FROM %1 "
                                 "WHERE DealDate BETWEEN ? AND ? AND %2").arg(b, kNotOpening);
    QVariantList params{year() + QStringLiteral("-01-01"), year() + QStringLiteral("-12-31")};
    addCondition(sql, params, QStringLiteral(" AND CCode = ?"), m_sCCode);
    QVariantList yearRow;
    if (!readRow(sql, params, yearRow))
        return;
    // The balance of today's month: its opening amount and its movements.
    const QDate today = platform::today();
    const QString ty = today.toString(QStringLiteral("yyyy")), tm = today.toString(QStringLiteral("MM"));
    QVariantList openingRow;
    if (!readRow(QStringLiteral("SELECT TradeKum FROM %1 WHERE CCode = ? AND DealDate = ? ORDER BY DealDate;").arg(b),
                 {m_sCCode, ty + QLatin1Char('-') + tm + QStringLiteral("-00")}, openingRow))
        return;
    QVariantList monthRow;
    if (!readRow(QStringLiteral("SELECT AMOUNTSUM128(SumKum) AS SSumTrade, AMOUNTSUM128(InOutKum) AS SSumInOut FROM %1 "
                                "WHERE DealDate BETWEEN ? AND ? AND CCode = ?;").arg(b),
                 {ty + QLatin1Char('-') + tm + QStringLiteral("-01"), GetLastDate(ty, tm), m_sCCode}, monthRow))
        return;
    // Everything is worked out before a total changes: a figure beyond the range leaves all four.
    const qint64 balance = checkedSum({amount(openingRow, 0), storedTotal(monthRow.value(0))},
                                      {storedTotal(monthRow.value(1))});
    const qint64 yearTrades = amount(yearRow, 0), yearPayments = amount(yearRow, 1);
    const qint64 opening = InitPrevKum();
    gdSumTradeKum = opening;
    gdSumVatKum = yearTrades;
    gdSumDC = yearPayments;
    gdSumSumKum = balance;
}

bool clsTradeBook::InOutList(RecordsetPtr& recObj, const QString& SCODE, const QString& sDate1, const QString& sDate2)
{
    const QString b = book();
    if (b.isEmpty())
        return false;
    QString sql = QStringLiteral("SELECT CCode, CName, DealDate, InOutKum, InOutGubun, NoteCode FROM %1 "
                                 "WHERE DealDate BETWEEN ? AND ? AND Not InOutGubun IS NULL ").arg(b);
    QVariantList params{sDate1, sDate2};
    addCondition(sql, params, QStringLiteral("AND CCode = ? "), SCODE);
    return findInto(recObj, sql + QStringLiteral("ORDER BY CCode, DealDate;"), params);
}

bool clsTradeBook::Transfer_Ledger(RecordsetPtr& recObj, const QString& sDate1, const QString& sDate2,
                                   const QString& SCODE)
{
    const QString b = book();
    if (b.isEmpty())
        return false;
    QString sql = QStringLiteral("SELECT CCode, CName, AMOUNTSUM(SumKum) AS SSum, AMOUNTSUM(InOutKum) AS SInOut FROM %1 "
                                 "WHERE DealDate BETWEEN ? AND ? ").arg(b);
    QVariantList params{sDate1, sDate2};
    addCondition(sql, params, QStringLiteral("AND CCode = ? "), SCODE);
    return findInto(recObj, sql + QStringLiteral("GROUP BY CCode, CName ORDER BY CCode;"), params);
}

void clsTradeBook::SumaryPeriod(RecordsetPtr& recObj, const QString& sDate1, const QString& sDate2)
{
    const QString b = book();
    if (b.isEmpty())
        return;
    findInto(recObj,
             QStringLiteral("SELECT DealDate, AMOUNTSUM(SumKum) AS SSum, AMOUNTSUM(InOutKum) AS SInOut FROM %1 "
                            "WHERE DealDate BETWEEN ? AND ? AND CCode = ? AND %2 "
                            "GROUP BY DealDate ORDER BY DealDate;").arg(b, kNotOpening),
             {sDate1, sDate2, m_sCCode});
}

void clsTradeBook::PerMonth_Sum(RecordsetPtr& recObj, bool bPeriod, const QString& sDate1, const QString& sDate2)
{
    const QString b = book();
    if (b.isEmpty())
        return;
    QString sql = QStringLiteral("SELECT AMOUNTSUM(TradeKum) AS SumKum, AMOUNTSUM(VatKum) AS SumVat FROM %1 "
                                 "WHERE DealDate BETWEEN ? AND ?").arg(b);
    QVariantList params;
    if (bPeriod) {
        params << sDate1 << sDate2;
        sql += QStringLiteral(" AND ") + kNotOpening;
    } else {
        const QString prefix = year() + QLatin1Char('-') + month() + QLatin1Char('-');
        params << prefix + QStringLiteral("01") << prefix + GetLastDate(year(), month()).right(2);
    }
    addCondition(sql, params, QStringLiteral(" AND CCode = ?"), m_sCCode);
    findInto(recObj, sql, params);
}

void clsTradeBook::PerYear_Sum(RecordsetPtr& recObj)
{
    const QString b = book();
    if (b.isEmpty())
        return;
    QString sql = QStringLiteral("SELECT AMOUNTSUM(TradeKum) AS SumKum, AMOUNTSUM(VatKum) AS SumVat FROM %1 "
                                 "WHERE DealDate BETWEEN ? AND ? AND %2 AND InOutGubun Is Null ").arg(b, kNotOpening);
    QVariantList params{year() + QStringLiteral("-01-01"), m_sDealDate};
    addCondition(sql, params, QStringLiteral("AND CCode = ?"), m_sCCode);
    findInto(recObj, sql, params);
}

void clsTradeBook::PerPeriod_Sum(RecordsetPtr& recObj, const QString& sStartDate, const QString& sEndDate)
{
    const QString b = book();
    if (b.isEmpty())
        return;
    QString sql = QStringLiteral("SELECT AMOUNTSUM(TradeKum) AS SumKum, AMOUNTSUM(VatKum) AS SumVat FROM %1 "
                                 "WHERE DealDate BETWEEN ? AND ? AND %2 ").arg(b, kNotOpening);
    QVariantList params{sStartDate, sEndDate};
    addCondition(sql, params, QStringLiteral("AND CCode = ?"), m_sCCode);
    findInto(recObj, sql, params);
}
