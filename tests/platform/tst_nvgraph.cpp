#include "platform/NVGraph.h"
#include "support/DrawnText.h"
#include "support/ScriptedPrompter.h"
#include "support/TestEnv.h"

#include <QDate>
#include <QFile>
#include <QFontMetricsF>
#include <QImage>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QtTest>

using namespace platform;

// The graph control: paging, the value axis, where bars and points go, colours on the
// drawing, and printing through the printer question.
class tst_nvgraph : public QObject {
    Q_OBJECT

    static void fill(ucNVGraph& g, int n, double base = 10)
    {
        for (int i = 0; i < n; ++i) {
            double v = base + i;
            QString name = QStringLiteral("P%1").arg(i);
            g.AddGraphData(v, name);
        }
    }

private slots:
    void pagingBoundaries()
    {
        QCOMPARE(GraphPageCount(0, 50), 1);
        QCOMPARE(GraphPageCount(1, 50), 1);
        QCOMPARE(GraphPageCount(50, 50), 1);
        QCOMPARE(GraphPageCount(51, 50), 2);
        QCOMPARE(GraphPageCount(100, 50), 2);
        QCOMPARE(GraphPageCount(7, 0), 7);   // fewer than one column counts as one
        QCOMPARE(GraphPageCount(7, -3), 7);
        QCOMPARE(GraphPageCount(2000000000, 1), 2000000000);

        int first = -1, count = -1;
        GraphPageRange(51, 50, 2, first, count);
        QCOMPARE(first, 50);
        QCOMPARE(count, 1);
        GraphPageRange(51, 50, 9, first, count); // beyond the last page: the last page
        QCOMPARE(first, 50);
        QCOMPARE(count, 1);
        GraphPageRange(51, 50, 0, first, count);
        QCOMPARE(first, 0);
        QCOMPARE(count, 50);
        GraphPageRange(0, 50, 1, first, count);
        QCOMPARE(count, 0);

        ucNVGraph g;
        fill(g, 120);
        g.SetMaxCols(50);
        QCOMPARE(g.PageCount(), 3);
        int page = 7;
        g.DrawGraph(page);
        QCOMPARE(page, 3); // handed back clamped
        QCOMPARE(g.CurrentPage(), 3);
        g.ClearData();
        QCOMPARE(g.DataCount(), 0L);
        QCOMPARE(g.PageCount(), 1);
        g.DrawGraph(); // without a page: the page drawn last, clamped to the new count
        QCOMPARE(g.CurrentPage(), 1);
    }

    void valueAxis()
    {
        GraphScale s = GraphNiceScale(3, 47, true);
        QCOMPARE(s.axisMin, 0.0);
        QVERIFY(s.axisMax >= 47);
        QCOMPARE(s.step, 10.0);

        s = GraphNiceScale(-22000, 50000, true);
        QVERIFY(s.axisMin <= -22000 && s.axisMin > -22000 - s.step - 1);
        QVERIFY(s.axisMax >= 50000 && s.axisMax < 50000 + s.step + 1);

        s = GraphNiceScale(0, 0, true); // nothing but zeros still gives an axis
        QCOMPARE(s.axisMin, 0.0);
        QVERIFY(s.axisMax > 0);

        s = GraphNiceScale(1, 3, true); // counts never get fractional steps
        QVERIFY(s.step >= 1);
        s = GraphNiceScale(0.1, 0.9, false);
        QVERIFY(s.step < 1);

        s = GraphNiceScale(-5, -1, true); // all negative: 0 is the top
        QCOMPARE(s.axisMax, 0.0);
        QVERIFY(s.axisMin <= -5);
    }

    void layoutOfBarsAndPoints()
    {
        const QRectF area(0, 0, 600, 400);
        const GraphLayout L = ComputeGraphLayout(area, {10, -5, 0}, 50, 20, 10, 30);
        QCOMPARE(L.plot, QRectF(50, 20, 540, 350));
        QCOMPARE(L.bars.size(), 3);
        QCOMPARE(L.columns.size(), 3);
        QCOMPARE(L.columns[1].left(), 50 + 180.0);
        QCOMPARE(L.columns[1].top(), L.plot.bottom());
        // a positive bar stands on the zero line, a negative one hangs from it
        QCOMPARE(L.bars[0].bottom(), L.zeroY);
        QVERIFY(L.bars[0].top() < L.zeroY);
        QCOMPARE(L.bars[1].top(), L.zeroY);
        QVERIFY(L.bars[1].bottom() > L.zeroY);
        QCOMPARE(L.bars[2].height(), 0.0);
        // the point sits at the column centre, on the bar's end
        QCOMPARE(L.points[0].x(), L.columns[0].center().x());
        QCOMPARE(L.points[0].y(), L.bars[0].top());
        QCOMPARE(L.points[1].y(), L.bars[1].bottom());
        // value 10 lies as far above 0 as the scale says
        const double perUnit = L.plot.height() / (L.scale.axisMax - L.scale.axisMin);
        QVERIFY(qAbs((L.zeroY - L.points[0].y()) - 10 * perUnit) < 1e-6);
    }

    // At the default settings (50 columns a page, a 500-twip bottom margin) in a window of
    // common size, the names under the columns are whole and readable, across or turned
    // upright: where they do not all fit, every n-th is shown, never a cut one.
    void namesReadableAtTheDefaults()
    {
        ucNVGraph g;
        QCOMPARE(g.MaxCols(), 50);
        QCOMPARE(g.MGBottom(), 500L);
        const QDate first(2024, 1, 1);
        for (int i = 0; i < 120; ++i) {
            double v = 100000 + (i * 7919) % 500000;
            QString name = first.addDays(i).toString(QStringLiteral("yyyy-MM-dd"));
            g.AddGraphData(v, name);
        }
        QImage img(880, 460, QImage::Format_RGB32);
        const QRectF area(0, 0, img.width(), img.height());
        const QFontMetricsF fm(QFont(), &img);
        for (bool rotate : {false, true}) {
            g.SetRotateLabels(rotate);
            for (int page : {1, 3}) {
                const GraphPage pg = g.PageGeometry(fm, area, page, 96);
                QVERIFY(pg.count > 0);
                // at least every fifth column named, upright names at least every second
                QVERIFY2(pg.names.size() * (rotate ? 2 : 5) >= pg.count, qPrintable(QString::number(pg.names.size())));
                QRectF previous;
                for (const GraphNameLabel& l : pg.names) {
                    const QString name = g.Name(pg.first + l.index);
                    QCOMPARE(l.text, name);
                    QCOMPARE(l.rotated, rotate);
                    if (rotate) {
                        QVERIFY2(fm.horizontalAdvance(name) <= l.box.height() + 0.5, qPrintable(name));
                    } else {
                        const QRectF used = fm.boundingRect(l.box, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, name);
                        QVERIFY2(used.width() <= l.box.width() + 0.5 && used.height() <= l.box.height() + 0.5,
                                 qPrintable(name));
                    }
                    QVERIFY(area.contains(l.box));
                    QVERIFY(l.box.top() >= pg.layout.plot.bottom());
                    // under its own column
                    const QRectF& col = pg.layout.columns[l.index];
                    QVERIFY(l.box.left() <= col.right() && l.box.right() >= col.left());
                    if (!previous.isNull())
                        QVERIFY2(!l.box.intersects(previous), qPrintable(name));
                    previous = l.box;
                }
            }
        }
        QPainter p(&img);
        g.Render(p, area, 1, 96); // draws what PageGeometry tells
    }

    // A small negative value next to large ones: the axis goes just below it instead of
    // adding a whole step under zero; the labelled ticks stay apart.
    void smallNegativeKeepsTheAxisTight()
    {
        GraphScale s = GraphNiceScale(-5000, 800000, true);
        QCOMPARE(s.step, 200000.0);
        QVERIFY(s.axisMin <= -5000);
        QVERIFY2(s.axisMin >= -20000, qPrintable(QString::number(s.axisMin)));
        QCOMPARE(s.axisMax, 800000.0);
        // a negative value of a step or more keeps whole steps
        s = GraphNiceScale(-250000, 800000, true);
        QVERIFY(s.axisMin <= -250000);
        QCOMPARE(std::fmod(s.axisMin, s.step), 0.0);
        // the same on the other side: all negative but one small positive value
        s = GraphNiceScale(-800000, 3000, true);
        QVERIFY(s.axisMax >= 3000 && s.axisMax <= 20000);
        QCOMPARE(s.axisMin, -800000.0);

        ucNVGraph g;
        for (double v : {300000.0, 800000.0, -5000.0, 650000.0}) {
            QString n = QStringLiteral("x");
            g.AddGraphData(v, n);
        }
        QImage img(600, 400, QImage::Format_RGB32);
        const QFontMetricsF fm(QFont(), &img);
        const GraphPage pg = g.PageGeometry(fm, QRectF(0, 0, 600, 400), 1, 96);
        QVERIFY(pg.layout.plot.bottom() - pg.layout.zeroY < pg.layout.plot.height() / 20);
        QVERIFY(pg.layout.bars[2].bottom() <= pg.layout.plot.bottom() + 0.01);
        double lastY = 1e9;
        int labelled = 0;
        for (const GraphTick& t : pg.ticks) {
            if (!t.labelled)
                continue;
            ++labelled;
            QVERIFY(lastY - t.y >= fm.height() - 0.01);
            lastY = t.y;
        }
        QVERIFY(labelled >= 4);
    }

    // One long name among short ones, in a graph of 700 by 400: every column keeps its name
    // under it, the long one shortened at its end; no text runs past the graph or over
    // another, also with the values shown (a small negative one among them).
    void longNameLeavesTheOthersTheirs_data()
    {
        QTest::addColumn<bool>("rotate");
        QTest::addColumn<bool>("showValues");
        QTest::newRow("across") << false << false;
        QTest::newRow("upright") << true << false;
        QTest::newRow("across, values") << false << true;
        QTest::newRow("upright, values") << true << true;
    }
    void longNameLeavesTheOthersTheirs()
    {
        QFETCH(bool, rotate);
        QFETCH(bool, showValues);
        const QString longName = QStringLiteral("아주긴상품이름을가진테스트용긴이름입니다정말로깁니다").repeated(2).left(40);
        QCOMPARE(longName.size(), 40);
        ucNVGraph g;
        for (int i = 0; i < 12; ++i) {
            double v = i == 5 ? -590 : 1000.0 * (i + 1); // a small negative value: the axis ends just under it
            QString n = i == 0 ? longName : QStringLiteral("상품%1").arg(i);
            g.AddGraphData(v, n);
        }
        g.SetRotateLabels(rotate);
        g.SetShowValues(showValues);
        g.resize(700, 400);
        const QList<testsupport::DrawnTextRun> runs = testsupport::drawnText(&g);
        const QString fault = testsupport::firstOverlap(runs, QRectF(g.rect()));
        QVERIFY2(fault.isEmpty(), qPrintable(fault));

        const GraphPage pg = g.PageGeometry(QFontMetricsF(g.font()), QRectF(g.rect()), 1, 96);
        QCOMPARE(pg.layout.columns.size(), 12);
        for (int i = 0; i < 12; ++i) {
            const QRectF& col = pg.layout.columns[i];
            QStringList under;
            for (const auto& r : runs)
                if (r.box.top() >= pg.layout.plot.bottom() && r.box.center().x() >= col.left()
                    && r.box.center().x() <= col.right())
                    under << r.text;
            QCOMPARE(under.size(), 1);
            if (i > 0) {
                QCOMPARE(under[0], g.Name(i));
            } else {
                QVERIFY2(under[0].endsWith(QChar(0x2026)), qPrintable(under[0]));
                QVERIFY2(under[0].size() >= 3 && longName.startsWith(under[0].chopped(1)), qPrintable(under[0]));
            }
        }
    }

    void valueTexts()
    {
        QCOMPARE(GraphValueText(1234567), QStringLiteral("1,234,567"));
        QCOMPARE(GraphValueText(-2500), QStringLiteral("-2,500"));
        QCOMPARE(GraphValueText(12.5), QStringLiteral("12.5"));
        QCOMPARE(GraphValueText(0.125), QStringLiteral("0.13"));
        QCOMPARE(GraphValueText(-0.001), QStringLiteral("0"));
        QCOMPARE(GraphValueText(9.0e15), QStringLiteral("9,000,000,000,000,000"));
        QCOMPARE(GraphUnitDivisor(99), 1.0); // an unknown unit draws the values as they are
    }

    void coloursOnTheDrawing()
    {
        QCOMPARE(GraphColor(255), QColor(255, 0, 0));          // red is the low byte
        QCOMPARE(GraphColor(16711680), QColor(0, 0, 255));     // blue the high one
        QCOMPARE(GraphColor(0x00FF00), QColor(0, 255, 0));

        ucNVGraph g;
        double v = 100;
        QString n = QStringLiteral("A");
        g.AddGraphData(v, n);
        g.SetBarColor(0x00FF00);
        QImage img(400, 300, QImage::Format_RGB32);
        {
            QPainter p(&img);
            g.Render(p, QRectF(0, 0, 400, 300), 1, 96);
        }
        // the middle of the one bar
        const QPoint mid(int(img.width() * 0.55), int(img.height() * 0.5));
        QCOMPARE(QColor(img.pixel(mid)), QColor(0, 255, 0));

        g.SetBarFill(false);
        {
            QPainter p(&img);
            g.Render(p, QRectF(0, 0, 400, 300), 1, 96);
        }
        QCOMPARE(QColor(img.pixel(mid)), QColor(Qt::white));
    }

    void printingAsksFirst()
    {
        testsupport::TestEnv env;
        testsupport::ScriptedPrompter prompter;
        ucNVGraph g;
        fill(g, 120);
        g.SetMaxCols(50);

        QVERIFY(!g.PrintGraph(QStringLiteral("제목"))); // cancelled: nothing printed
        QCOMPARE(prompter.calls.size(), 1);
        QCOMPARE(prompter.calls[0].kind, QStringLiteral("modal"));
        QCOMPARE(prompter.calls[0].title, QStringLiteral("PrintDialog"));

        const QString pdf = env.path(QStringLiteral("graph.pdf"));
        prompter.modalAnswers.enqueue([pdf](QDialog& d) {
            auto* dlg = qobject_cast<QPrintDialog*>(&d);
            if (!dlg)
                return int(QDialog::Rejected);
            dlg->printer()->setOutputFormat(QPrinter::PdfFormat);
            dlg->printer()->setOutputFileName(pdf);
            return int(QDialog::Accepted);
        });
        QVERIFY(g.PrintGraph(QStringLiteral("월별 매출")));
        QFile f(pdf);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QCOMPARE(bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") + bytes.count("/Type /Page "), 3);
    }
};

QTEST_MAIN(tst_nvgraph)
#include "tst_nvgraph.moc"
