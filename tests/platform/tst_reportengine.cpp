// The report engine: reading report files and formulas, the page layout (columns, page
// breaks, totals) and running a report into a PDF file, with every failure reported.
#include "support/DrawnText.h"
#include "support/TestEnv.h"

#include "platform/ReportEngine.h"

#include <QFile>
#include <QPainter>
#include <QtTest>

namespace {

const QString kShipped = QStringLiteral(TRELVO_SOURCE_DIR "/assets/Rpt/LedgerList.rpt");

void writeText(const QString& path, const QString& text)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text.toUtf8());
}

platform::ReportDefinition threeColumns()
{
    platform::ReportDefinition def;
    def.table = QStringLiteral("t");
    def.columns = {{QStringLiteral("a"), QStringLiteral("A"), 1, false, false},
                   {QStringLiteral("b"), QStringLiteral("B"), 2, true, true},
                   {QStringLiteral("c"), QStringLiteral("C"), 1, true, false}};
    return def;
}

platform::ReportRows numberedRows(int n)
{
    platform::ReportRows rows;
    for (int i = 1; i <= n; ++i)
        rows.push_back({QStringLiteral("r%1").arg(i), QVariant(qint64(i) * 100000000000LL), QVariant(i)});
    return rows;
}

} // namespace

class tst_reportengine : public QObject {
    Q_OBJECT

    std::unique_ptr<testsupport::TestEnv> env;

    // A data file with table t(a, b, c) and these rows, stored in this order.
    QString dataFile(const QString& inserts)
    {
        const QString path = env->path(QStringLiteral("data.db"));
        QFile::remove(path);
        if (!testsupport::runSqlScript(path, QStringLiteral("CREATE TABLE t (a TEXT, b CURRENCY, c CURRENCY);") + inserts))
            return QString();
        return path;
    }

    QString reportFile()
    {
        const QString path = env->path(QStringLiteral("t.rpt"));
        writeText(path, QStringLiteral("[Report]\nTable=t\nHeading={Title} 목록\nTotalCaption=합계\n"
                                       "[Formulas]\nTitle='기본'\n"
                                       "[Columns]\nCount=3\n1=a|가|2|text\n2=b|나|1|number,total\n3=c|다|1|number\n"));
        return path;
    }

private slots:
    void init() { env = std::make_unique<testsupport::TestEnv>(); }
    void cleanup() { env.reset(); }

    void shippedLedgerReportReads()
    {
        platform::ReportDefinition def;
        QString error;
        QVERIFY2(platform::LoadReportDefinition(kShipped, def, error), qPrintable(error));
        QCOMPARE(def.table, QStringLiteral("total_print"));
        QCOMPARE(def.columns.size(), 8);
        QStringList fields, totals;
        for (const auto& c : def.columns) {
            fields << c.field;
            if (c.total)
                totals << c.field;
        }
        QCOMPARE(fields, (QStringList{"maeip_date", "pro_name", "maeip_name", "maeip_cost", "maechul_date",
                                      "maechul_name", "maechul_cost", "maechul_usecost"}));
        QCOMPARE(totals, (QStringList{"maeip_cost", "maechul_cost", "maechul_usecost"}));
        QVERIFY(def.formulas.contains(QStringLiteral("Title")));
        QVERIFY(platform::ApplyReportFormula(def, QStringLiteral("Title = 'Kestrune'"), error));
        QCOMPARE(platform::ExpandReportText(def, def.heading), QStringLiteral("Kestrune"));
    }

    void formulas()
    {
        platform::ReportDefinition def;
        def.formulas.insert(QStringLiteral("Title"), QStringLiteral("기본"));
        def.heading = QStringLiteral("[{Title}] {Other}");
        QString error;
        QVERIFY(platform::ApplyReportFormula(def, QStringLiteral("  title='It''s ours'"), error));
        QCOMPARE(platform::ExpandReportText(def, def.heading), QStringLiteral("[It's ours] {Other}"));
        QVERIFY(platform::ApplyReportFormula(def, QStringLiteral("{@Title} = \"두 \"\"줄\"\"\""), error));
        QCOMPARE(def.formulas.value(QStringLiteral("Title")), QStringLiteral("두 \"줄\""));
        QVERIFY(platform::ApplyReportFormula(def, QStringLiteral("Title = 2024"), error));
        QCOMPARE(def.formulas.value(QStringLiteral("Title")), QStringLiteral("2024"));

        // refused: a field the report does not declare, no assignment, an unclosed text
        for (const char* bad : {"Subtitle = 'x'", "Title 'x'", "Title = 'x", "Title = 'a'b'", "Title = x"}) {
            error.clear();
            QVERIFY2(!platform::ApplyReportFormula(def, QString::fromUtf8(bad), error), bad);
            QVERIFY(!error.isEmpty());
        }
        QCOMPARE(def.formulas.value(QStringLiteral("Title")), QStringLiteral("2024"));
    }

    void badReportFilesAreRefused_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("no table") << "[Columns]\nCount=1\n1=a|A|1|text\n";
        QTest::newRow("table not a name") << "[Report]\nTable=t; DROP TABLE t\n[Columns]\nCount=1\n1=a|A|1|text\n";
        QTest::newRow("no columns") << "[Report]\nTable=t\n";
        QTest::newRow("field not a name") << "[Report]\nTable=t\n[Columns]\nCount=1\n1=a) FROM x --|A|1|text\n";
        QTest::newRow("missing column line") << "[Report]\nTable=t\n[Columns]\nCount=2\n1=a|A|1|text\n";
        QTest::newRow("unknown kind") << "[Report]\nTable=t\n[Columns]\nCount=1\n1=a|A|1|money\n";
    }
    void badReportFilesAreRefused()
    {
        QFETCH(QString, text);
        const QString path = env->path(QStringLiteral("bad.rpt"));
        writeText(path, text);
        platform::ReportDefinition def;
        QString error;
        QVERIFY(!platform::LoadReportDefinition(path, def, error));
        QVERIFY(!error.isEmpty());
    }

    void amounts()
    {
        QCOMPARE(platform::FormatReportAmount(0), QStringLiteral("0"));
        QCOMPARE(platform::FormatReportAmount(999), QStringLiteral("999"));
        QCOMPARE(platform::FormatReportAmount(-1500), QStringLiteral("-1,500"));
        QCOMPARE(platform::FormatReportAmount(100000000000LL), QStringLiteral("100,000,000,000"));
        QCOMPARE(platform::FormatReportAmount(std::numeric_limits<qint64>::min()),
                 QStringLiteral("-9,223,372,036,854,775,808"));
        QCOMPARE(platform::ReportAmount(QVariant(QStringLiteral("1,234"))), qint64(1234));
        QCOMPARE(platform::ReportAmount(QVariant(2.5e11)), qint64(250000000000LL));
        QCOMPARE(platform::ReportAmount(QVariant()), qint64(0));
        QCOMPARE(platform::ReportAmount(QVariant(QStringLiteral("abc"))), qint64(0));
    }

    void columnsShareThePageWidth()
    {
        platform::ReportPageMetrics m{1001, 1000, 100, 30, 20, 40};
        const auto layout = platform::LayoutReport(threeColumns(), {}, m);
        QCOMPARE(layout.colLeft, (QVector<int>{0, 250, 751}));
        QCOMPARE(layout.colWidth, (QVector<int>{250, 501, 250}));
        QCOMPARE(layout.colLeft.back() + layout.colWidth.back(), 1001);
    }

    // The shipped ledger report over amounts whose totals have 15 characters and more: every
    // amount is printed whole (never cut with "…"), the numbers' columns having taken the
    // room they need from the text columns.
    void amountsArePrintedWhole()
    {
        platform::ReportDefinition def;
        QString error;
        QVERIFY2(platform::LoadReportDefinition(kShipped, def, error), qPrintable(error));
        platform::ReportRows rows;
        for (int i = 0; i < 40; ++i)
            rows.push_back({QStringLiteral("2024-03-01"), QStringLiteral("아주 긴 품명이 들어간 상품 %1").arg(i),
                            QStringLiteral("매입처"), QVariant(qint64(7917736027LL)), QStringLiteral("2024-03-05"),
                            QStringLiteral("판매처"), QVariant(qint64(99999999999LL)), QVariant(qint64(-2500000000LL))});
        // totals: 316,709,441,080  3,999,999,999,960  -100,000,000,000
        const QStringList totals{QStringLiteral("316,709,441,080"), QStringLiteral("3,999,999,999,960"),
                                 QStringLiteral("-100,000,000,000")};

        // the layout: each numeric column is as wide as its widest amount, with its margins
        QFont f(QStringLiteral("NanumGothic"));
        f.setPointSizeF(9);
        f.setBold(true);
        const QFontMetrics fm(f);
        platform::ReportPageMetrics m{1000, 700, 60, 20, 16, 30};
        m.cellPadding = 4;
        m.amountWidth = [&fm](const QString& t) { return fm.horizontalAdvance(t); };
        const auto layout = platform::LayoutReport(def, rows, m);
        int sum = 0;
        for (int i = 0; i < def.columns.size(); ++i) {
            sum += layout.colWidth[i];
            if (i > 0)
                QCOMPARE(layout.colLeft[i], layout.colLeft[i - 1] + layout.colWidth[i - 1]);
            if (def.columns[i].total) {
                const QString t = platform::FormatReportAmount(layout.totals[i]);
                QVERIFY2(fm.horizontalAdvance(t) + 2 * m.cellPadding <= layout.colWidth[i], qPrintable(t));
            }
        }
        QCOMPARE(sum, m.pageWidth);

        // the pages as painted
        testsupport::DrawnTextDevice page(QSize(1100, 780));
        QPainter p(&page);
        int pages = 0;
        QVERIFY2(platform::PaintReport(p, QSize(1100, 780), [] { return true; }, def, rows, QDate(2024, 3, 20), error,
                                       &pages),
                 qPrintable(error));
        p.end();
        QVERIFY(pages >= 1);
        QStringList seen;
        for (const auto& run : page.runs) {
            seen << run.text;
            QVERIFY2(!run.text.contains(QChar(0x2026)) || !run.text.at(0).isDigit(), qPrintable(run.text));
            const bool number = !run.text.isEmpty() && QStringLiteral("-0123456789").contains(run.text.at(0));
            if (number && !run.clip.isEmpty())
                QVERIFY2(run.clip.adjusted(-0.5, -0.5, 0.5, 0.5).contains(run.box), qPrintable(run.text + " is cut"));
        }
        for (const QString& t : totals + QStringList{QStringLiteral("7,917,736,027"), QStringLiteral("99,999,999,999")})
            QVERIFY2(seen.contains(t), qPrintable(t + QStringLiteral(" not among: ") + seen.join(QLatin1Char(' '))));
    }

    void pagesAndTotals_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<QVector<int>>("perPage");  // rows on each page
        QTest::addColumn<int>("totalsPage");        // page that carries the totals line
        // body = 1000 - 100 - 30 - 40 = 830, 20 per line -> 41 lines a page
        QTest::newRow("no rows") << 0 << QVector<int>{0} << 0;
        QTest::newRow("one row") << 1 << QVector<int>{1} << 0;
        QTest::newRow("one short of a page") << 40 << QVector<int>{40} << 0;
        QTest::newRow("exactly a page: totals go over") << 41 << QVector<int>{41, 0} << 1;
        QTest::newRow("one over a page") << 42 << QVector<int>{41, 1} << 1;
        QTest::newRow("three pages") << 100 << QVector<int>{41, 41, 18} << 2;
    }
    void pagesAndTotals()
    {
        QFETCH(int, rows);
        QFETCH(QVector<int>, perPage);
        QFETCH(int, totalsPage);
        platform::ReportPageMetrics m{800, 1000, 100, 30, 20, 40};
        const auto data = numberedRows(rows);
        const auto layout = platform::LayoutReport(threeColumns(), data, m);
        QCOMPARE(layout.rowsPerPage, 41);
        QCOMPARE(layout.pages.size(), perPage.size());
        int next = 0;
        for (int p = 0; p < layout.pages.size(); ++p) {
            QCOMPARE(layout.pages[p].firstRow, next);
            QCOMPARE(layout.pages[p].rowCount, perPage[p]);
            QCOMPARE(layout.pages[p].totals, p == totalsPage);
            next += perPage[p];
        }
        QCOMPARE(next, rows);
        // totals of the total columns only, in 64 bits
        QCOMPARE(layout.totals[0], qint64(0));
        QCOMPARE(layout.totals[1], qint64(rows) * (rows + 1) / 2 * 100000000000LL);
        QCOMPARE(layout.totals[2], qint64(0));
    }

    void reportWithoutTotalsAndTinyPages()
    {
        auto def = threeColumns();
        def.columns[1].total = false;
        platform::ReportPageMetrics m{800, 1000, 100, 30, 20, 40};
        auto layout = platform::LayoutReport(def, numberedRows(41), m);
        QCOMPARE(layout.pages.size(), 1);
        QVERIFY(!layout.pages[0].totals);
        // a page too small for any line still prints one line a page
        m.pageHeight = 150;
        layout = platform::LayoutReport(def, numberedRows(3), m);
        QCOMPARE(layout.rowsPerPage, 1);
        QCOMPARE(layout.pages.size(), 3);
    }

    void readsRowsInStoredOrder()
    {
        const QString data = dataFile(QStringLiteral(
            "INSERT INTO t VALUES ('z', 1, 2); INSERT INTO t VALUES ('a', NULL, 300000000000); INSERT INTO t VALUES ('m', 3, 4);"));
        platform::ReportDefinition def;
        QString error;
        QVERIFY(platform::LoadReportDefinition(reportFile(), def, error));
        platform::ReportRows rows;
        QVERIFY2(platform::ReadReportRows(data, def, rows, error), qPrintable(error));
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0][0].toString(), QStringLiteral("z"));
        QCOMPARE(rows[1][0].toString(), QStringLiteral("a"));
        QCOMPARE(rows[2][0].toString(), QStringLiteral("m"));
        QCOMPARE(platform::ReportAmount(rows[1][2]), qint64(300000000000LL));

        // a report naming a column the table lacks
        def.columns[2].field = QStringLiteral("nope");
        QVERIFY(!platform::ReadReportRows(data, def, rows, error));
        QVERIFY(error.contains(QStringLiteral("nope")));
    }

    void runToPdf()
    {
        QString inserts;
        for (int i = 1; i <= 150; ++i)
            inserts += QStringLiteral("INSERT INTO t VALUES ('품목 %1', %2, %1);").arg(i).arg(i * 1000);
        const QString data = dataFile(inserts);
        platform::ReportEngine engine;
        engine.SetReportFileName(reportFile());
        engine.SetDataFiles(0, data);
        engine.SetFormulas(0, QStringLiteral("Title = 'Kestrune'"));
        engine.SetDestination(platform::ReportEngine::crptToFile);
        engine.SetPrintFileName(env->path(QStringLiteral("out.pdf")));
        QVERIFY2(engine.SetAction(1), qPrintable(engine.LastErrorString()));
        QCOMPARE(engine.LastErrorNumber(), int(platform::ReportEngine::rptErrNone));
        QVERIFY(engine.PagesPrinted() >= 3);
        QFile pdf(engine.PrintFileName());
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        const QByteArray bytes = pdf.readAll();
        QVERIFY(bytes.startsWith("%PDF"));
        QCOMPARE(bytes.count("/Type /Page") - bytes.count("/Type /Pages"), qsizetype(engine.PagesPrinted()));
    }

    void failuresAreReported()
    {
        const QString data = dataFile(QStringLiteral("INSERT INTO t VALUES ('a', 1, 2);"));
        platform::ReportEngine engine;
        engine.SetDestination(platform::ReportEngine::crptToFile);
        engine.SetPrintFileName(env->path(QStringLiteral("out.pdf")));
        engine.SetDataFiles(0, data);

        engine.SetReportFileName(env->path(QStringLiteral("missing.rpt")));
        QVERIFY(!engine.SetAction(1));
        QCOMPARE(engine.LastErrorNumber(), int(platform::ReportEngine::rptErrReportFile));
        QVERIFY(engine.LastErrorString().contains(QStringLiteral("missing.rpt")));
        QVERIFY(!QFile::exists(engine.PrintFileName()));

        engine.SetReportFileName(reportFile());
        engine.SetFormulas(0, QStringLiteral("Heading = 'x'"));
        QVERIFY(!engine.SetAction(1));
        QCOMPARE(engine.LastErrorNumber(), int(platform::ReportEngine::rptErrFormula));

        engine.SetFormulas(0, QStringLiteral("Title = 'x'"));
        engine.SetDataFiles(0, env->path(QStringLiteral("nothere.db")));
        QVERIFY(!engine.SetAction(1));
        QCOMPARE(engine.LastErrorNumber(), int(platform::ReportEngine::rptErrDataFile));
        QVERIFY(!QFile::exists(env->path(QStringLiteral("nothere.db")))); // never created

        engine.SetDataFiles(0, data);
        engine.SetPrintFileName(env->path(QStringLiteral("no/such/folder/out.pdf")));
        QVERIFY(!engine.SetAction(1));
        QCOMPARE(engine.LastErrorNumber(), int(platform::ReportEngine::rptErrPrinter));

        QVERIFY(!engine.SetAction(2));
        QCOMPARE(engine.LastErrorNumber(), int(platform::ReportEngine::rptErrAction));

        // and a good run clears the last error
        engine.SetPrintFileName(env->path(QStringLiteral("out.pdf")));
        QVERIFY(engine.SetAction(1));
        QCOMPARE(engine.LastErrorString(), QString());
        QCOMPARE(engine.PagesPrinted(), 1);
    }
};

QTEST_MAIN(tst_reportengine)
#include "tst_reportengine.moc"
