// bench-engine FILE: reads every voucher of a main database through the engine's snapshot
// recordset, the way the voucher list fills its grid for the whole period (last, count,
// first, then every field of every row as text), and times the same statement in the
// sqlite3 command-line tool with its output thrown away.
//
// Last line: ours_ms=… ref_ms=… ratio=…  (best of several runs each, after one warm-up)
#include "platform/Database.h"
#include "platform/Recordset.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTextStream>

#include <algorithm>

namespace {

const char* const kSql = "SELECT t.* FROM total AS t WHERE t.maechul_date BETWEEN ? AND ? ORDER BY t.maechul_date, t.total_id";

struct Result { qint64 rows = 0; quint64 sum = 0; };

Result readAll(const QString& file, const QString& from, const QString& to)
{
    auto db = dao::Database::open(file, 0, false);
    auto rs = db->openRecordset(QString::fromLatin1(kSql), dao::dbOpenSnapshot, {from, to});
    Result r;
    if (!rs->eof()) {
        rs->moveLast();
        r.rows = rs->recordCount();
        rs->moveFirst();
    }
    const int n = rs->fieldCount();
    for (; !rs->eof(); rs->moveNext())
        for (int i = 0; i < n; ++i)
            r.sum += quint64(rs->text(i).size());
    rs->close();
    return r;
}

qint64 runCli(const QString& file, const QString& sql, bool& ok)
{
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral("sqlite3"), {file, sql});
    ok = p.waitForFinished(-1) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
    return t.elapsed();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    if (argc < 2 || !QFileInfo::exists(app.arguments().at(1))) {
        QTextStream(stderr) << "usage: bench-engine FILE   (a main database, e.g. from trelvo-genledger)" << Qt::endl;
        return 2;
    }
    const QString file = app.arguments().at(1);
    const int runs = argc > 2 ? std::max(1, app.arguments().at(2).toInt()) : 3;

    QString from, to;
    try {
        auto db = dao::Database::open(file, 0, true);
        from = db->scalar(QStringLiteral("SELECT MIN(maechul_date) FROM total")).toString();
        to = db->scalar(QStringLiteral("SELECT MAX(maechul_date) FROM total")).toString();
    } catch (const dao::DaoError& e) {
        QTextStream(stderr) << "bench-engine: " << e.description() << Qt::endl;
        return 1;
    }
    // The statement with the period written in, for the command-line tool (dates only).
    QString literal = QString::fromLatin1(kSql);
    literal.replace(literal.indexOf(QLatin1Char('?')), 1, QLatin1Char('\'') + from + QLatin1Char('\''));
    literal.replace(literal.indexOf(QLatin1Char('?')), 1, QLatin1Char('\'') + to + QLatin1Char('\''));
    out << "file: " << file << "\nperiod: " << from << " .. " << to << "\nquery: " << literal << Qt::endl;

    qint64 best = -1, ref = -1;
    Result r;
    try {
        readAll(file, from, to); // warm-up: file cache
        for (int i = 0; i < runs; ++i) {
            QElapsedTimer t;
            t.start();
            r = readAll(file, from, to);
            const qint64 ms = t.elapsed();
            out << "engine run " << i + 1 << ": " << ms << " ms, " << r.rows << " rows" << Qt::endl;
            best = best < 0 ? ms : std::min(best, ms);
        }
    } catch (const dao::DaoError& e) {
        QTextStream(stderr) << "bench-engine: " << e.number() << " " << e.description() << Qt::endl;
        return 1;
    }
    bool ok = true;
    runCli(file, literal, ok);
    if (!ok) {
        QTextStream(stderr) << "bench-engine: the sqlite3 command-line tool failed (is it installed?)" << Qt::endl;
        return 1;
    }
    for (int i = 0; i < runs; ++i) {
        const qint64 ms = runCli(file, literal, ok);
        out << "sqlite3 run " << i + 1 << ": " << ms << " ms" << Qt::endl;
        ref = ref < 0 ? ms : std::min(ref, ms);
    }
    out << "rows=" << r.rows << " text_bytes=" << r.sum << Qt::endl;
    out << "ours_ms=" << best << " ref_ms=" << ref << " ratio="
        << QString::number(ref > 0 ? double(best) / double(ref) : 0.0, 'f', 2) << Qt::endl;
    return 0;
}
