// bench-print [ROWS] [PDF]: the ledger print's copy into total_print (default 100,000 rows) beside a
// bare SQLite loop with one prepared INSERT in one transaction as the reference, then the
// report of those rows rendered into a PDF file (kept as PDF when given).
#include "ledger/LedgerPrint.h"
#include "platform/Database.h"
#include "platform/ProgramFolder.h"
#include "platform/ReportEngine.h"
#include "platform/SpreadGrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPrinter>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <sqlite3.h>

namespace {

const char* kTable = "CREATE TABLE total_print (maeip_date TEXT(10) DEFAULT '', pro_name TEXT(50) DEFAULT '',"
                     " maeip_name TEXT(50) DEFAULT '', maeip_cost CURRENCY DEFAULT 0, maechul_date TEXT(10) DEFAULT '',"
                     " maechul_name TEXT(50) DEFAULT '', maechul_cost CURRENCY DEFAULT 0,"
                     " maechul_usecost CURRENCY DEFAULT 0, group_name TEXT(50) DEFAULT '')";

bool makeFile(const QString& path)
{
    sqlite3* db = nullptr;
    if (sqlite3_open(path.toUtf8().constData(), &db) != SQLITE_OK)
        return false;
    const bool ok = sqlite3_exec(db, kTable, nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

double referenceInsert(const QString& path, const QVector<LedgerPrintRow>& rows)
{
    sqlite3* db = nullptr;
    sqlite3_open(path.toUtf8().constData(), &db);
    QElapsedTimer t;
    t.start();
    sqlite3_exec(db, "BEGIN IMMEDIATE; DELETE FROM total_print;", nullptr, nullptr, nullptr);
    sqlite3_stmt* st = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO total_print(maeip_date, pro_name, maeip_name, maeip_cost, maechul_date,"
                           " maechul_name, maechul_cost, maechul_usecost) VALUES (?,?,?,?,?,?,?,?)", -1, &st, nullptr);
    for (const auto& r : rows) {
        const QByteArray a = r.maeip_date.toUtf8(), b = r.pro_name.toUtf8(), c = r.maeip_name.toUtf8(),
                         d = r.maechul_date.toUtf8(), e = r.maechul_name.toUtf8();
        sqlite3_bind_text(st, 1, a.constData(), a.size(), SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 2, b.constData(), b.size(), SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 3, c.constData(), c.size(), SQLITE_TRANSIENT);
        sqlite3_bind_int64(st, 4, r.maeip_cost.toLongLong());
        sqlite3_bind_text(st, 5, d.constData(), d.size(), SQLITE_TRANSIENT);
        sqlite3_bind_text(st, 6, e.constData(), e.size(), SQLITE_TRANSIENT);
        sqlite3_bind_int64(st, 7, r.maechul_cost.toLongLong());
        sqlite3_bind_int64(st, 8, r.maechul_usecost.toLongLong());
        sqlite3_step(st);
        sqlite3_reset(st);
    }
    sqlite3_finalize(st);
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    const double ms = t.nsecsElapsed() / 1e6;
    sqlite3_close(db);
    return ms;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int count = argc > 1 ? std::atoi(argv[1]) : 100000;
    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("print.db"));
    if (!makeFile(file)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(file));
        return 1;
    }
    QVector<LedgerPrintRow> rows;
    rows.reserve(count);
    for (int i = 0; i < count; ++i) {
        LedgerPrintRow r;
        r.maeip_date = QStringLiteral("2024-%1-%2").arg(1 + i % 12, 2, 10, QLatin1Char('0')).arg(1 + i % 28, 2, 10, QLatin1Char('0'));
        r.pro_name = QStringLiteral("품목 %1").arg(i % 500);
        r.maeip_name = QStringLiteral("매입처 %1").arg(i % 90);
        r.maeip_cost = qint64(10000 + i);
        r.maechul_date = r.maeip_date;
        r.maechul_name = QStringLiteral("판매처 %1").arg(i % 70);
        r.maechul_cost = qint64(i % 3 ? 15000 + i : 0);
        r.maechul_usecost = qint64(i % 5);
        rows.push_back(r);
    }

    // The voucher grid as the main window fills it, read back as the print does.
    {
        platform::SpreadGrid grid;
        grid.SetMaxCols(17);
        grid.SetReDraw(false);
        grid.SetMaxRows(count + 1);
        for (int i = 0; i < count; ++i) {
            const auto& r = rows[i];
            grid.SetText(1, i + 1, r.maeip_date);
            grid.SetText(3, i + 1, r.pro_name);
            grid.SetText(5, i + 1, r.maeip_name);
            grid.SetText(6, i + 1, r.maeip_cost.toString());
            grid.SetText(7, i + 1, r.maechul_date);
            grid.SetText(9, i + 1, r.maechul_name);
            grid.SetText(10, i + 1, r.maechul_cost.toString());
            grid.SetText(11, i + 1, r.maechul_usecost.toString());
        }
        grid.SetReDraw(true);
        QElapsedTimer g;
        g.start();
        const auto read = LedgerPrintRows(&grid);
        std::printf("grid rows read for the print, %d rows: %.1f ms\n", int(read.size()), g.nsecsElapsed() / 1e6);
    }

    const double refMs = referenceInsert(file, rows);
    auto db = dao::Database::open(file);
    QElapsedTimer t;
    t.start();
    FillTotalPrint(*db, rows);
    const double fillMs = t.nsecsElapsed() / 1e6;
    std::printf("copy into total_print, %d rows: %.1f ms (reference, one prepared INSERT in sqlite3: %.1f ms)\n",
                count, fillMs, refMs);

    const QString rpt = platform::programPath(QStringLiteral("Rpt/") + kLedgerReportName);
    platform::ReportEngine engine;
    engine.SetReportFileName(rpt);
    engine.SetDataFiles(0, file);
    engine.SetFormulas(0, kLedgerTitleFormula);
    engine.SetDestination(platform::ReportEngine::crptToFile);
    engine.SetPrintFileName(argc > 2 ? QString::fromLocal8Bit(argv[2]) : dir.filePath(QStringLiteral("ledger.pdf")));
    t.restart();
    const bool ok = engine.SetAction(1);
    std::printf("report to PDF: %s, %d pages, %.1f ms, %lld bytes\n", ok ? "ok" : qPrintable(engine.LastErrorString()),
                engine.PagesPrinted(), t.nsecsElapsed() / 1e6,
                static_cast<long long>(QFileInfo(engine.PrintFileName()).size()));
    return ok ? 0 : 1;
}
