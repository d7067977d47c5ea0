#include "ledger/LedgerPrint.h"

#include "frame/modMain.h"
#include "frame/modSpread60.h"
#include "platform/Database.h"
#include "platform/ProgramFolder.h"
#include "platform/SpreadGrid.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cmath>
#include <sqlite3.h>

namespace {

// Voucher grid columns that are printed.
enum : int {
    ColMaeipDate = 1, ColProName = 3, ColMaeipName = 5, ColMaeipCost = 6, ColMaechulDate = 7,
    ColMaechulName = 9, ColMaechulCost = 10, ColUseCost = 11
};

} // namespace

qint64 LedgerPrintAmount(const QString& text)
{
    QString s = text;
    s.remove(QLatin1Char(','));
    s = s.simplified().remove(QLatin1Char(' '));
    if (s.isEmpty())
        return 0;
    bool ok = false;
    const qint64 whole = s.toLongLong(&ok);
    if (ok)
        return whole;
    const double d = s.toDouble(&ok);
    if (!ok || !std::isfinite(d) || std::fabs(d) >= 9.0e18)
        return 0;
    return std::llround(d);
}

QVector<LedgerPrintRow> LedgerPrintRows(platform::SpreadGrid* spList)
{
    QVector<LedgerPrintRow> rows;
    if (!spList)
        return rows;
    const int maxRows = spList->MaxRows();
    if (maxRows < 2)
        return rows;
    rows.reserve(maxRows - 1);
    for (int r = 1; r <= maxRows - 1; ++r) {
        LedgerPrintRow row;
        row.maeip_date = GetSpreadText(spList, ColMaeipDate, r);
        row.pro_name = GetSpreadText(spList, ColProName, r);
        row.maeip_name = GetSpreadText(spList, ColMaeipName, r);
        row.maeip_cost = LedgerPrintAmount(GetSpreadText(spList, ColMaeipCost, r));
        row.maechul_date = GetSpreadText(spList, ColMaechulDate, r);
        row.maechul_name = GetSpreadText(spList, ColMaechulName, r);
        row.maechul_cost = LedgerPrintAmount(GetSpreadText(spList, ColMaechulCost, r));
        row.maechul_usecost = LedgerPrintAmount(GetSpreadText(spList, ColUseCost, r));
        rows.push_back(std::move(row));
    }
    return rows;
}

namespace {

// One INSERT prepared once and run for every row.
class PreparedInsert {
public:
    PreparedInsert(dao::Database& db, const char* sql) : m_db(db)
    {
        const int rc = sqlite3_prepare_v2(db.handle(), sql, -1, &m_st, nullptr);
        if (rc != SQLITE_OK)
            db.fail(rc);
    }
    ~PreparedInsert() { sqlite3_finalize(m_st); }
    PreparedInsert(const PreparedInsert&) = delete;
    PreparedInsert& operator=(const PreparedInsert&) = delete;

    void text(int i, const QString& v)
    {
        const QByteArray u = v.toUtf8();
        check(sqlite3_bind_text(m_st, i, u.constData(), int(u.size()), SQLITE_TRANSIENT));
    }
    void int64(int i, qint64 v) { check(sqlite3_bind_int64(m_st, i, v)); }
    void run()
    {
        const int rc = sqlite3_step(m_st);
        if (rc != SQLITE_DONE)
            m_db.fail(rc); // the statement is finalised with the message read
        sqlite3_reset(m_st);
    }

private:
    void check(int rc)
    {
        if (rc != SQLITE_OK)
            m_db.fail(rc);
    }
    dao::Database& m_db;
    sqlite3_stmt* m_st = nullptr;
};

} // namespace

void FillTotalPrint(dao::Database& db, const QVector<LedgerPrintRow>& rows)
{
    dao::Transaction tx(db);
    db.execute(QStringLiteral("DELETE FROM total_print"));
    PreparedInsert insert(db, "INSERT INTO total_print(maeip_date, pro_name, maeip_name, maeip_cost, maechul_date,"
                              " maechul_name, maechul_cost, maechul_usecost) VALUES (?, ?, ?, ?, ?, ?, ?, ?)");
    for (const auto& r : rows) {
        insert.text(1, r.maeip_date);
        insert.text(2, r.pro_name);
        insert.text(3, r.maeip_name);
        insert.int64(4, r.maeip_cost);
        insert.text(5, r.maechul_date);
        insert.text(6, r.maechul_name);
        insert.int64(7, r.maechul_cost);
        insert.int64(8, r.maechul_usecost);
        insert.run();
    }
    tx.commit();
}

QString LedgerReportFile(QString* expectedPath)
{
    const QString path = QDir(gsRptPath).filePath(kLedgerReportName);
    if (expectedPath)
        *expectedPath = path;
    if (gsRptPath.isEmpty())
        return QString();
    if (QFileInfo(path).isFile())
        return path;
    const QString shipped = platform::programPath(QStringLiteral("Rpt/") + kLedgerReportName);
    if (!QFileInfo(shipped).isFile())
        return QString();
    if (!QDir().mkpath(gsRptPath) || !QFile::copy(shipped, path))
        return QString();
    // the shipped copy may be read-only; the user's copy is theirs to change
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner);
    return path;
}
