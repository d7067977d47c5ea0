// Fills the voucher grid's 17 columns the way the main window's refill does, then changes
// one amount, reads the updated sum and sorts by the sales amount; does the same fill into
// a QTableWidget for comparison.
#include "frame/modSpreadMenu.h"
#include "platform/SpreadGrid.h"
#include "platform/SpreadModel.h"

#include <QDate>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTableWidget>
#include <QTextStream>
#include <cstdio>
#include <cstring>

using platform::SpreadGrid;

namespace {

long procStatusKb(const char* key)
{
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly)) return 0;
    const QByteArray all = f.readAll();
    for (const QByteArray& line : all.split('\n')) {
        if (line.startsWith(key)) {
            QByteArray v = line.mid(int(strlen(key))).trimmed();
            return v.split(' ').value(0).toLong();
        }
    }
    return 0;
}

void resetPeak()
{
    QFile f(QStringLiteral("/proc/self/clear_refs"));
    if (f.open(QIODevice::WriteOnly)) f.write("5");
}

// Deterministic "realistic" voucher values.
struct Gen {
    quint64 s = 0x9E3779B97F4A7C15ull;
    QStringList groups, products, buyers, sellers, dates;
    Gen()
    {
        groups = {QStringLiteral("서버"), QStringLiteral("노트북"), QStringLiteral("모니터"), QStringLiteral("부품"),
                  QStringLiteral("프린터"), QStringLiteral("소모품"), QStringLiteral("네트워크"), QStringLiteral("기타")};
        for (int i = 0; i < 400; ++i) products << QStringLiteral("상품%1 모델-%2").arg(i).arg(i * 37 % 1000, 3, 10, QLatin1Char('0'));
        for (int i = 0; i < 300; ++i) buyers << QStringLiteral("(주)매입처%1").arg(i);
        for (int i = 0; i < 800; ++i) sellers << QStringLiteral("판매처%1 상사").arg(i);
        QDate d(2019, 1, 1);
        for (int i = 0; i < 2000; ++i) dates << d.addDays(i).toString(QStringLiteral("yyyy-MM-dd"));
    }
    quint64 next() { s ^= s << 13; s ^= s >> 7; s ^= s << 17; return s; }
    int pick(int n) { return int(next() % quint64(n)); }

    // the 13 stored fields of one voucher in grid column order (1..11, 13)
    void row(int r, QString* v)
    {
        const int di = pick(dates.size() - 30);
        const bool sold = pick(10) < 8;
        const int buyer = pick(buyers.size());
        const int seller = pick(sellers.size());
        const qint64 cost = (20 + pick(5000)) * 1000;
        v[1] = dates[di];
        v[2] = groups[pick(groups.size())];
        v[3] = products[pick(products.size())];
        v[4] = QString::number(buyer + 1);
        v[5] = buyers[buyer];
        v[6] = QString::number(cost);
        v[7] = sold ? dates[di + pick(30)] : QString();
        v[8] = sold ? QString::number(seller + 1) : QStringLiteral("0");
        v[9] = sold ? sellers[seller] : QString();
        v[10] = sold ? QString::number(cost + qint64(pick(500)) * 1000) : QStringLiteral("0");
        v[11] = sold ? QString::number(qint64(pick(30)) * 1000) : QStringLiteral("0");
        v[13] = QString::number(r);
    }
};

const int kCols = 17;

void setSumFormulas(SpreadGrid& g)
{
    if (g.MaxRows() == 0) return;
    const int pairs[4][2] = {{14, 6}, {15, 10}, {16, 11}, {17, 12}};
    for (const auto& p : pairs) {
        g.SetCol(p[0]);
        g.SetRow(-1);
        g.SetFormula(QString());
        g.SetText(QString());
        g.SetRow(1);
        g.SetFormula(QStringLiteral("SUM(R1C%1:R%2C%1)").arg(p[1]).arg(g.MaxRows()));
    }
}

} // namespace

int main(int argc, char** argv)
{
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    int rows = 1000000;
    bool noPeer = false;
    for (int i = 1; i < argc; ++i) {
        if (!strcmp(argv[i], "--rows") && i + 1 < argc) rows = atoi(argv[++i]);
        else if (!strcmp(argv[i], "--no-peer")) noPeer = true;
    }
    QTextStream out(stdout);
    out << "bench-grid: " << rows << " rows x " << kCols << " columns\n";

    QElapsedTimer t;
    QString v[14];

    // ---------------- ours
    const long rssBefore = procStatusKb("VmRSS:");
    resetPeak();
    SpreadGrid grid;
    grid.resize(1000, 600);
    grid.SetMaxCols(kCols);
    int changeCount = 0;
    QObject::connect(&grid, &SpreadGrid::Change, [&](int c, int r) { if (r == 1 && c >= 14) ++changeCount; });

    t.start();
    Gen gen;
    grid.SetMaxRows(0);
    grid.SetReDraw(false);
    grid.SetMaxRows(rows);
    for (int r = 1; r <= rows; ++r) {
        gen.row(r, v);
        for (int c = 1; c <= 11; ++c) grid.SetText(c, r, v[c]);
        grid.SetText(13, r, v[13]);
    }
    const qint64 setTextMs = t.elapsed();
    grid.SetCol(12);
    grid.SetRow(-1);
    grid.SetFormula(QStringLiteral("IF(RC10=0, 0 , RC10-RC11-RC6)"));
    grid.SetReDraw(true);
    // the blank input row and the sums
    grid.SetMaxRows(grid.MaxRows() + 1);
    grid.SetText(1, grid.MaxRows(), QStringLiteral("2024-01-01"));
    grid.SetText(7, grid.MaxRows(), QStringLiteral("2024-01-01"));
    grid.Refresh();
    setSumFormulas(grid);
    const qint64 oursMs = t.elapsed();
    const long peakKb = procStatusKb("VmHWM:");
    const double bytesPerRow = double(peakKb - rssBefore) * 1024.0 / std::max(1, rows);
    out << "ours: SetText of every cell " << setTextMs << " ms, whole fill with formulas and sums "
        << oursMs << " ms\n";
    out << "ours: peak memory " << (peakKb - rssBefore) / 1024 << " MiB = " << qint64(bytesPerRow)
        << " bytes per row (model estimate " << qint64(grid.model().approxBytes() / size_t(std::max(1, rows))) << ")\n";
    out << "ours: sums 매입 " << grid.GetText(14, 1) << " 매출 " << grid.GetText(15, 1) << " 경비 "
        << grid.GetText(16, 1) << " 마진 " << grid.GetText(17, 1) << "\n";

    // one amount changes: its margin and two sums follow
    const int row = rows / 2;
    const qint64 before = grid.GetText(15, 1).toLongLong();
    const qint64 oldAmount = grid.GetText(10, row).toLongLong();
    changeCount = 0;
    QElapsedTimer tc;
    tc.start();
    grid.SetText(10, row, QString::number(oldAmount + 12345));
    const QString newSum = grid.GetText(15, 1);
    const double changeUs = tc.nsecsElapsed() / 1000.0;
    out << "ours: one-cell change " << QString::number(changeUs, 'f', 1) << " us, sum " << before << " -> " << newSum
        << " (" << (newSum.toLongLong() - before == 12345 ? "correct" : "WRONG") << "), Change raised "
        << changeCount << " times\n";

    t.restart();
    grid.SortRows(10, true, 1, grid.MaxRows() - 1);
    out << "ours: sort by the sales amount " << t.elapsed() << " ms (first " << grid.GetText(10, 1) << ", last "
        << grid.GetText(10, grid.MaxRows() - 1) << ", margin sum " << grid.GetText(17, 1) << ")\n";
    out.flush();

    // grid menu items 07 (only subtotals / all rows) and 06 (subtotals hidden / shown) on 8,000
    // and 32,000 rows, every fifth a subtotal, in the main window's state: an editable sheet
    // (editing permanent), the editor open on the blank last row, the list scrolled to the
    // bottom. Hiding and showing are timed each on its own (best of three).
    {
        struct Times { double ms[4] = {-1, -1, -1, -1}; }; // 07 hide, 07 show, 06 hide, 06 show
        auto timeItems = [](int n) {
            Times best;
            for (int round = 0; round < 3; ++round) {
                QWidget w;
                w.resize(1000, 600);
                SpreadGrid* g = new SpreadGrid(&w);
                g->resize(1000, 600);
                g->SetMaxCols(4);
                g->SetMaxRows(n + 1); // the last row is the blank input row
                g->SetEditModePermanent(true);
                g->SetEditModeReplace(true);
                for (int r = 5; r <= n; r += 5) {
                    g->SetCol(0);
                    g->SetRow(r);
                    g->SetCellTag(QStringLiteral("subtot"));
                }
                w.show();
                QApplication::setActiveWindow(&w);
                QApplication::processEvents();
                auto editAt = [g](int row) {
                    g->SetFocus();
                    g->SetActiveCell(1, row);
                    QApplication::processEvents();
                    return g->IsEditing();
                };
                auto step = [&](int i, long item) {
                    QElapsedTimer tt;
                    tt.start();
                    DoSpreadMenuItem(item, &w, g, QString());
                    QApplication::processEvents();
                    const double ms = tt.nsecsElapsed() / 1e6;
                    if (best.ms[i] < 0 || ms < best.ms[i]) best.ms[i] = ms;
                };
                bool editing = editAt(n + 1);
                step(0, SpreadMenuOnlySubtot); // the editor's row goes too: it opens on the last subtotal
                editing = editAt(n) && editing;
                step(1, SpreadMenuOnlySubtot);
                editing = editAt(n + 1) && editing;
                step(2, SpreadMenuSubtot);
                step(3, SpreadMenuSubtot);
                if (!editing) best.ms[0] = best.ms[1] = best.ms[2] = best.ms[3] = -1; // not the state meant
            }
            return best;
        };
        const Times t8 = timeItems(8000);
        const Times t32 = timeItems(32000);
        const char* const names[4] = {"subtot_only_hide", "subtot_only_show", "subtot_hide", "subtot_show"};
        for (int i = 0; i < 4; ++i)
            out << names[i] << "_editor_8000_ms=" << QString::number(t8.ms[i], 'f', 2) << " " << names[i]
                << "_editor_32000_ms=" << QString::number(t32.ms[i], 'f', 2) << " " << names[i]
                << "_ratio=" << QString::number(t32.ms[i] / std::max(1e-6, t8.ms[i]), 'f', 2)
                << " (at most 6 for 4x rows)\n";
        out.flush();
    }

    // ---------------- peer
    qint64 peerMs = -1;
    if (!noPeer) {
        grid.SetMaxRows(0);
        QTableWidget table;
        table.resize(1000, 600);
        Gen gen2;
        t.restart();
        table.setUpdatesEnabled(false);
        table.setColumnCount(kCols);
        table.setRowCount(rows + 1);
        for (int r = 1; r <= rows; ++r) {
            gen2.row(r, v);
            for (int c = 1; c <= 11; ++c) table.setItem(r - 1, c - 1, new QTableWidgetItem(v[c]));
            table.setItem(r - 1, 12, new QTableWidgetItem(v[13]));
        }
        table.setUpdatesEnabled(true);
        peerMs = t.elapsed();
        out << "peer: QTableWidget fill " << peerMs << " ms\n";
    }
    const double ratio = peerMs > 0 ? double(oursMs) / double(peerMs) : 0.0;
    out << "ours_ms=" << oursMs << " peer_ms=" << peerMs << " ratio=" << QString::number(ratio, 'f', 3)
        << " bytes_per_row=" << qint64(bytesPerRow) << " change_us=" << QString::number(changeUs, 'f', 1) << "\n";
    return 0;
}
