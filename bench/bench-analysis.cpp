// bench-analysis FILE: the analysis query window's grouped query over the whole period of a
// main database, for each grouping, folded into points as the window does; and the same
// statement with the engine's own SUM (binary fractions) as the reference for the exact sum.
//
// Last line: ours_ms=… ref_ms=… ratio=…  (sums over the groupings, best of several runs each)
#include "ledger/TradeAnalysis.h"
#include "platform/Database.h"
#include "platform/Recordset.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>

#include <algorithm>
#include <cstdio>

namespace {

double timeQuery(dao::Database& db, const QString& sql, const QVariantList& params, int groupKind, int& points)
{
    QElapsedTimer t;
    t.start();
    auto rs = db.openRecordset(sql, dao::dbOpenSnapshot, params);
    TradeGraphFolder folder(groupKind);
    folder.addRows(*rs);
    points = int(folder.items().size());
    return t.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    if (argc < 2 || !QFileInfo(QString::fromLocal8Bit(argv[1])).isFile()) {
        std::fprintf(stderr, "usage: bench-analysis FILE\n");
        return 2;
    }
    auto db = dao::Database::open(QString::fromLocal8Bit(argv[1]), 0, true);
    const QString from = db->scalar(QStringLiteral("SELECT MIN(maechul_date) FROM total WHERE maechul_date <> ''")).toString();
    const QString to = db->scalar(QStringLiteral("SELECT MAX(maechul_date) FROM total")).toString();
    const char* names[] = {"day", "month", "year", "product", "group"};
    double ours = 0, ref = 0;
    for (int kind = TradeByDay; kind <= TradeByGroup; ++kind) {
        TradeQuery q;
        q.groupKind = kind;
        q.dateFrom = from;
        q.dateTo = to;
        const SqlStatement st = BuildTradeQuery(q);
        QString plain = st.sql;
        plain.replace(QStringLiteral("CURSUM("), QStringLiteral("SUM("));
        double bestOurs = 1e18, bestRef = 1e18;
        int points = 0, refPoints = 0;
        timeQuery(*db, st.sql, st.params, kind, points); // warm-up
        for (int run = 0; run < 3; ++run) {
            bestOurs = std::min(bestOurs, timeQuery(*db, st.sql, st.params, kind, points));
            bestRef = std::min(bestRef, timeQuery(*db, plain, st.params, kind, refPoints));
        }
        std::printf("%-8s %6d points: exact sum %.1f ms, engine SUM %.1f ms\n", names[kind], points, bestOurs, bestRef);
        ours += bestOurs;
        ref += bestRef;
    }
    std::printf("ours_ms=%.1f ref_ms=%.1f ratio=%.3f\n", ours, ref, ref > 0 ? ours / ref : 0.0);
    return 0;
}
