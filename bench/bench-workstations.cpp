// bench-workstations [WORKSTATION_PROGRAM]: several workstations as real processes on one
// database file in a scratch folder, each with the program's own connection:
//  - 4 x 1,000 vouchers inserted through InsertVoucher, all four started together;
//  - 2 x 1,000 vouchers the same way;
//  - the ledger's snapshot read every 20 ms (300 reads) beside one writer that never stops;
//  - 2 x 1,000 rounds of trade record operations (stock, outstanding amounts, one ledger day
//    row, payments, numbered saves; 9 operations a round) with the figures checked.
// Prints one line per run and, last, all figures as key=value pairs.
#include "platform/Database.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QHash>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <memory>
#include <sqlite3.h>
#include <vector>

namespace {

QString gProgram;

struct Result {
    QHash<QString, QString> v;
    qint64 n(const QString& key) const { return v.value(key, QStringLiteral("-1")).toLongLong(); }
};

std::vector<std::unique_ptr<QProcess>> startAll(const QList<QStringList>& argLists)
{
    std::vector<std::unique_ptr<QProcess>> procs;
    for (const QStringList& args : argLists) {
        procs.push_back(std::make_unique<QProcess>());
        procs.back()->setProcessChannelMode(QProcess::SeparateChannels);
        procs.back()->start(gProgram, args);
        procs.back()->waitForStarted(10000);
    }
    for (auto& p : procs)
        p->write("go\n");
    for (auto& p : procs)
        p->waitForBytesWritten(5000);
    return procs;
}

Result finish(QProcess& p)
{
    p.waitForFinished(600000);
    Result r;
    const QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    for (const QString& pair : lines.value(lines.size() - 1).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
        const int eq = pair.indexOf(QLatin1Char('='));
        if (eq > 0)
            r.v.insert(pair.left(eq), pair.mid(eq + 1));
    }
    return r;
}

bool makeDatabase(const QString& path, const QString& schema, const QString& extra = QString())
{
    QFile f(QStringLiteral(TRELVO_SOURCE_DIR "/schema/") + schema + QStringLiteral(".sql"));
    if (!f.open(QIODevice::ReadOnly))
        return false;
    QFile::remove(path);
    sqlite3* db = nullptr;
    bool ok = sqlite3_open(QFile::encodeName(path).constData(), &db) == SQLITE_OK
        && sqlite3_exec(db, (QString::fromUtf8(f.readAll()) + extra).toUtf8().constData(), nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

qint64 scalar(const QString& path, const char* sql)
{
    return dao::Database::open(path)->scalar(QString::fromUtf8(sql)).toLongLong();
}

QStringList gPairs;
void figure(const QString& key, qint64 value) { gPairs << QStringLiteral("%1=%2").arg(key).arg(value); }

void vouchers(const QString& dir, int stations, int count)
{
    const QString file = dir + QStringLiteral("/v%1.mdb").arg(stations);
    makeDatabase(file, QStringLiteral("main"));
    QList<QStringList> args;
    for (int i = 0; i < stations; ++i)
        args << QStringList{QStringLiteral("insert"), file, QString::number(count)};
    QElapsedTimer t;
    t.start();
    auto procs = startAll(args);
    qint64 failed = 0, openFailed = 0, maxMs = 0, slowest = 0, fastest = -1;
    for (auto& p : procs) {
        const Result r = finish(*p);
        failed += qMax<qint64>(0, r.n(QStringLiteral("failed")));
        openFailed += r.v.value(QStringLiteral("open")) == QLatin1String("ok") ? 0 : 1;
        maxMs = qMax(maxMs, r.n(QStringLiteral("maxms")));
        slowest = qMax(slowest, r.n(QStringLiteral("ms")));
        fastest = fastest < 0 ? r.n(QStringLiteral("ms")) : qMin(fastest, r.n(QStringLiteral("ms")));
    }
    const qint64 rows = scalar(file, "SELECT COUNT(*) FROM total");
    const QString k = QStringLiteral("v%1x%2_").arg(stations).arg(count);
    std::printf("%d x %d vouchers: %lld rows, %lld failed inserts, %lld failed opens, longest insert %lld ms, "
                "stations done after %lld..%lld ms, wall %lld ms\n",
                stations, count, rows, failed, openFailed, maxMs, fastest, slowest, qint64(t.elapsed()));
    figure(k + QStringLiteral("rows"), rows);
    figure(k + QStringLiteral("failed"), failed);
    figure(k + QStringLiteral("openfailed"), openFailed);
    figure(k + QStringLiteral("maxinsertms"), maxMs);
    figure(k + QStringLiteral("fastestms"), fastest);
    figure(k + QStringLiteral("slowestms"), slowest);
}

void readerBesideWriter(const QString& dir, int reads)
{
    const QString file = dir + QStringLiteral("/r.mdb");
    const QString stop = dir + QStringLiteral("/stop");
    makeDatabase(file, QStringLiteral("main"));
    auto writer = startAll({{QStringLiteral("insert"), file, QStringLiteral("0"), stop}});
    auto reader = startAll({{QStringLiteral("read"), file, QString::number(reads), QStringLiteral("20")}});
    const Result r = finish(*reader[0]);
    QFile(stop).open(QIODevice::WriteOnly);
    const Result w = finish(*writer[0]);
    std::printf("reader every 20 ms beside a writer: %lld of %d reads, %lld failed, longest read %lld ms; "
                "writer %lld inserts, %lld failed\n",
                r.n(QStringLiteral("reads")), reads, r.n(QStringLiteral("failed")), r.n(QStringLiteral("maxms")),
                w.n(QStringLiteral("inserted")), w.n(QStringLiteral("failed")));
    figure(QStringLiteral("reads"), r.n(QStringLiteral("reads")));
    figure(QStringLiteral("readsfailed"), r.n(QStringLiteral("failed")));
    figure(QStringLiteral("maxreadms"), r.n(QStringLiteral("maxms")));
    figure(QStringLiteral("writerinserts"), w.n(QStringLiteral("inserted")));
    figure(QStringLiteral("writerfailed"), w.n(QStringLiteral("failed")));
}

void records(const QString& dir, int rounds)
{
    const QString file = dir + QStringLiteral("/t.mdb");
    makeDatabase(file, QStringLiteral("trade"),
                 QStringLiteral("INSERT INTO Stock (PCode, BaseCount, InStock, OutStock, CurStock) VALUES ('000001', 100, 0, 0, 100);"
                                "INSERT INTO Trader (Code, C_Name, TotNoPay) VALUES ('000001', 'a', 1000);"));
    auto procs = startAll({{QStringLiteral("records"), file, QString::number(rounds), QStringLiteral("0")},
                           {QStringLiteral("records"), file, QString::number(rounds), QStringLiteral("1")}});
    qint64 failed = 0, ops = 0;
    QList<qint64> ms;
    for (auto& p : procs) {
        const Result r = finish(*p);
        failed += r.n(QStringLiteral("failed"));
        ops += r.n(QStringLiteral("ops"));
        ms << r.n(QStringLiteral("ms"));
    }
    auto db = dao::Database::open(file);
    const qint64 n = 2 * rounds;
    auto v = [&](const char* sql) { return db->scalar(QString::fromUtf8(sql)).toLongLong(); };
    const bool exact = v("SELECT InStock FROM Stock") == 2 * n && v("SELECT OutStock FROM Stock") == n
        && v("SELECT CurStock FROM Stock") == 100 + n && v("SELECT TotNoPay FROM Trader") == 1000 + 300 * n
        && v("SELECT COUNT(*) FROM SaleBook") == 1 && v("SELECT TradeKum FROM SaleBook") == 107 * n
        && v("SELECT SumKum FROM SaleBook") == 117 * n && v("SELECT COUNT(*) FROM Deposit") == n
        && v("SELECT COUNT(DISTINCT Code) FROM PClass") == n && v("SELECT COUNT(*) FROM SpecialUnit") == n
        && v("SELECT COUNT(DISTINCT Code) FROM SpecialUnit") == n;
    std::printf("2 x %d record rounds: %lld operations, %lld failed, figures %s, stations done after %lld and %lld ms\n",
                rounds, ops, failed, exact ? "exact" : "WRONG", ms.value(0), ms.value(1));
    figure(QStringLiteral("recordops"), ops);
    figure(QStringLiteral("recordsfailed"), failed);
    figure(QStringLiteral("recordsexact"), exact ? 1 : 0);
    figure(QStringLiteral("records_ms_a"), ms.value(0));
    figure(QStringLiteral("records_ms_b"), ms.value(1));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    gProgram = app.arguments().value(1, QStringLiteral(TRELVO_WORKSTATION));
    QTemporaryDir dir;
    vouchers(dir.path(), 4, 1000);
    vouchers(dir.path(), 2, 1000);
    readerBesideWriter(dir.path(), 300);
    records(dir.path(), 1000);
    std::printf("%s\n", qPrintable(gPairs.join(QLatin1Char(' '))));
    return 0;
}
