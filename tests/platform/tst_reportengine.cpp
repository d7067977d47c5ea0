// The report engine: reading report files and formulas, the page layout (columns, page
// breaks, totals) and running a report into a PDF file, with every failure reported.
#include "support/DrawnText.h"
#include "support/ScriptedPrompter.h"
#include "support/TestEnv.h"
#include "support/WriteFailure.h"

#include "platform/ReportEngine.h"
#include "platform/SpreadGrid.h"

#include <QDir>
#include <QFile>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QtTest>
#include <limits>

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

// 150 rows for the report's table t: several pages.
QString itemsOverSeveralPages()
{
    QString inserts;
    for (int i = 1; i <= 150; ++i)
        inserts += QStringLiteral("INSERT INTO t VALUES ('품목 %1', %2, %1);").arg(i).arg(i * 1000);
    return inserts;
}

// The texts the report draws on the line that begins with first (the totals line: its caption),
// from left to right.
QStringList drawnLine(const QList<testsupport::DrawnTextRun>& runs, const QString& first)
{
    QStringList out;
    for (const auto& r : runs)
        if (r.text == first)
            out << testsupport::textsOnLineOf(runs, r);
    return out;
}

bool endsAsPdf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) && f.readAll().trimmed().endsWith("%%EOF");
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
        // rounded as the screen rounds; past the 64-bit range no amount, printed as the mark
        QCOMPARE(platform::ReportAmount(QVariant(2.5)), qint64(3));
        QCOMPARE(platform::ReportAmount(QVariant(-2.5)), qint64(-3));
        QCOMPARE(platform::ReportAmount(QVariant(QStringLiteral("-1.5"))), qint64(-2));
        QVERIFY(!platform::ReportAmount(QVariant(1e20)));
        QVERIFY(!platform::ReportAmount(QVariant(quint64(9223372036854775808ULL))));
        QCOMPARE(platform::ReportAmount(QVariant(quint64(9223372036854775807ULL))), qint64(9223372036854775807LL));
        QCOMPARE(platform::FormatReportAmount(std::nullopt), QStringLiteral("###"));
    }

    // An amount past the range of 64-bit whole numbers (a REAL or a text stored by another
    // program) cannot be printed as an amount, and neither can a total that leaves the range:
    // both print the overflow mark, as the screen shows them. A total is exact: one that leaves
    // the range on the way and comes back into it is printed.
    void amountsAndTotalsPastTheRangePrintTheMark_data()
    {
        QTest::addColumn<QVariantList>("amounts"); // column b (totalled), one row each; c holds the same
        QTest::addColumn<QStringList>("printed");  // each row's b as printed
        QTest::addColumn<QString>("total");
        const qint64 max = std::numeric_limits<qint64>::max();
        const qint64 min = std::numeric_limits<qint64>::min();
        const QString mark = QStringLiteral("###");
        QTest::newRow("two amounts whose sum wraps")
            << QVariantList{qint64(9000000000000000000LL), qint64(9000000000000000000LL)}
            << QStringList{"9,000,000,000,000,000,000", "9,000,000,000,000,000,000"} << mark;
        QTest::newRow("out of the range and back")
            << QVariantList{qint64(9000000000000000000LL), qint64(9000000000000000000LL), qint64(-9000000000000000000LL)}
            << QStringList{"9,000,000,000,000,000,000", "9,000,000,000,000,000,000", "-9,000,000,000,000,000,000"}
            << QStringLiteral("9,000,000,000,000,000,000");
        QTest::newRow("sum the largest amount") << QVariantList{max - 1, qint64(1)}
            << QStringList{"9,223,372,036,854,775,806", "1"} << QStringLiteral("9,223,372,036,854,775,807");
        QTest::newRow("sum one past the largest") << QVariantList{max, qint64(1)}
            << QStringList{"9,223,372,036,854,775,807", "1"} << mark;
        QTest::newRow("sum the smallest amount") << QVariantList{min + 1, qint64(-1)}
            << QStringList{"-9,223,372,036,854,775,807", "-1"} << QStringLiteral("-9,223,372,036,854,775,808");
        QTest::newRow("sum one below the smallest") << QVariantList{min, qint64(-1)}
            << QStringList{"-9,223,372,036,854,775,808", "-1"} << mark;
        QTest::newRow("REAL 1e20") << QVariantList{1e20, qint64(5)} << QStringList{mark, "5"} << mark;
        QTest::newRow("REAL 9.5e18") << QVariantList{9.5e18, qint64(5)} << QStringList{mark, "5"} << mark;
        QTest::newRow("REAL -9.5e18") << QVariantList{-9.5e18} << QStringList{mark} << mark;
        QTest::newRow("REAL 2^63") << QVariantList{9223372036854775808.0} << QStringList{mark} << mark;
        QTest::newRow("REAL past the range beside its negative") << QVariantList{1e20, -1e20}
            << QStringList{mark, mark} << mark;
        QTest::newRow("REAL inside the range") << QVariantList{9.1e18, qint64(-100000000000000000LL)}
            << QStringList{"9,100,000,000,000,000,000", "-100,000,000,000,000,000"}
            << QStringLiteral("9,000,000,000,000,000,000");
        QTest::newRow("text past the range") << QVariantList{QStringLiteral("100000000000000000000"), qint64(1)}
            << QStringList{mark, "1"} << mark;
        QTest::newRow("text 2^63") << QVariantList{QStringLiteral("9,223,372,036,854,775,808")} << QStringList{mark} << mark;
        QTest::newRow("text 1e+20") << QVariantList{QStringLiteral("1e+20")} << QStringList{mark} << mark;
        QTest::newRow("above 9.2e18 and back")
            << QVariantList{qint64(9210000000000000123LL), qint64(-9210000000000000000LL), qint64(1500)}
            << QStringList{"9,210,000,000,000,000,123", "-9,210,000,000,000,000,000", "1,500"} << QStringLiteral("1,623");
        QTest::newRow("a total above 9.2e18") << QVariantList{qint64(9200000000000000000LL), qint64(1499)}
            << QStringList{"9,200,000,000,000,000,000", "1,499"} << QStringLiteral("9,200,000,000,000,001,499");
        QTest::newRow("past the largest and back") << QVariantList{max, qint64(5), -max}
            << QStringList{"9,223,372,036,854,775,807", "5", "-9,223,372,036,854,775,807"} << QStringLiteral("5");
        QTest::newRow("halves away from zero") << QVariantList{2.5, 2.5, -0.5}
            << QStringList{"3", "3", "-1"} << QStringLiteral("5");
        QTest::newRow("no number counts 0") << QVariantList{QStringLiteral("abc"), QVariant(), qint64(7)}
            << QStringList{"0", "0", "7"} << QStringLiteral("7");
    }
    void amountsAndTotalsPastTheRangePrintTheMark()
    {
        QFETCH(QVariantList, amounts);
        QFETCH(QStringList, printed);
        QFETCH(QString, total);
        auto def = threeColumns();
        def.totalCaption = QStringLiteral("합계");
        def.columns[0].width = 1;
        def.columns[1].width = 3;
        def.columns[2].width = 3;
        platform::ReportRows rows;
        for (int i = 0; i < amounts.size(); ++i)
            rows.push_back({QStringLiteral("행%1").arg(i + 1), amounts[i], amounts[i]});

        // the layout's totals, as the pages print them
        platform::ReportPageMetrics m{1000, 1000, 100, 30, 20, 40};
        const auto layout = platform::LayoutReport(def, rows, m);
        QCOMPARE(platform::FormatReportAmount(layout.totals[1]), total);

        testsupport::DrawnTextDevice page(QSize(1600, 1000));
        QPainter p(&page);
        QString error;
        QVERIFY2(platform::PaintReport(p, QSize(1600, 1000), [] { return true; }, def, rows, QDate(2024, 3, 20), error),
                 qPrintable(error));
        p.end();
        for (int i = 0; i < amounts.size(); ++i) {
            const QString name = QStringLiteral("행%1").arg(i + 1);
            QCOMPARE(drawnLine(page.runs, name), (QStringList{name, printed[i], printed[i]}));
        }
        QCOMPARE(drawnLine(page.runs, QStringLiteral("합계")), (QStringList{QStringLiteral("합계"), total}));

        // the screen: the same amounts in a currency column of a grid, summed by a formula
        platform::SpreadGrid g;
        g.SetMaxCols(2);
        g.SetMaxRows(int(amounts.size()));
        g.SetRefStyle(2);
        g.SetCol(-1);
        g.SetRow(-1);
        g.SetCellType(platform::SpreadGrid::CellTypeCurrency);
        g.SetTypeCurrencyDecPlaces(0);
        g.SetTypeCurrencyShowSymbol(false);
        g.SetTypeCurrencyShowSep(true);
        for (int i = 0; i < amounts.size(); ++i) {
            const QVariant& v = amounts[i];
            g.SetText(1, i + 1, v.typeId() == QMetaType::Double ? QString::number(v.toDouble(), 'g', 17) : v.toString());
            const QString shown = g.DisplayText(1, i + 1);
            QCOMPARE(shown.isEmpty() ? QStringLiteral("0") : shown, printed[i]);
        }
        g.SetCol(2);
        g.SetRow(1);
        g.SetFormula(QStringLiteral("SUM(R1C1:R%1C1)").arg(amounts.size()));
        QCOMPARE(g.DisplayText(2, 1), total);
    }

    // A PDF that cannot be written whole (a full file system, a file size limit) is a failed
    // print: reported with the printer's error, no file left cut off, an older file of that name
    // kept as it was. The next print of the same engine is judged on its own.
    void printThatCannotBeWrittenFails_data()
    {
        QTest::addColumn<bool>("fullFileSystem"); // else: the size limit
        QTest::addColumn<bool>("olderFile");
        QTest::newRow("full file system") << true << false;
        QTest::newRow("full file system, older file of that name") << true << true;
        QTest::newRow("file size limit") << false << false;
        QTest::newRow("file size limit, older file of that name") << false << true;
    }
    void printThatCannotBeWrittenFails()
    {
        QFETCH(bool, fullFileSystem);
        QFETCH(bool, olderFile);
        const QString data = dataFile(itemsOverSeveralPages());
        platform::ReportEngine engine;
        engine.SetReportFileName(reportFile());
        engine.SetDataFiles(0, data);
        engine.SetDestination(platform::ReportEngine::crptToFile);

        // the whole print, to learn its size
        const QString good = env->path(QStringLiteral("good.pdf"));
        engine.SetPrintFileName(good);
        QVERIFY2(engine.SetAction(1), qPrintable(engine.LastErrorString()));
        const qint64 size = QFileInfo(good).size();
        QVERIFY(endsAsPdf(good));
        QVERIFY2(size > 12 * 1024, qPrintable(QString::number(size)));

        const QString folder = env->path(QStringLiteral("small"));
        std::unique_ptr<testsupport::FileSizeLimit> limit;
        auto disk = std::make_unique<testsupport::SmallFileSystem>(folder, fullFileSystem ? "8k" : nullptr);
        QVERIFY2(disk->ok() || fullFileSystem, qPrintable(disk->why()));
        if (!disk->ok())
            QSKIP(qPrintable(disk->why()));
        const QString target = QDir(folder).filePath(QStringLiteral("ledger.pdf"));
        if (olderFile) {
            QFile f(target);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("older print");
        }
        if (!fullFileSystem) {
            limit = std::make_unique<testsupport::FileSizeLimit>(8 * 1024);
            QVERIFY(limit->ok());
        }
        engine.SetPrintFileName(target);
        const bool printed = engine.SetAction(1);
        limit.reset();
        QVERIFY(!printed);
        QCOMPARE(engine.LastErrorNumber(), int(platform::ReportEngine::rptErrPrinter));
        QVERIFY2(engine.LastErrorString().contains(QStringLiteral("ledger.pdf")), qPrintable(engine.LastErrorString()));
        const QStringList left = QDir(folder).entryList(QDir::Files | QDir::Hidden);
        if (olderFile) {
            QCOMPARE(left, QStringList{QStringLiteral("ledger.pdf")});
            QFile f(target);
            QVERIFY(f.open(QIODevice::ReadOnly));
            QCOMPARE(f.readAll(), QByteArray("older print"));
        } else {
            QCOMPARE(left, QStringList());
        }

        // the next print of the same engine, to a place with room
        const QString again = env->path(QStringLiteral("again.pdf"));
        engine.SetPrintFileName(again);
        QVERIFY2(engine.SetAction(1), qPrintable(engine.LastErrorString()));
        QCOMPARE(engine.LastErrorNumber(), int(platform::ReportEngine::rptErrNone));
        QVERIFY(endsAsPdf(again));
        disk.reset();
    }

    // From the preview, of a caller that set no print error handler: the failed print is told
    // in a box with the engine's reason, and the window stays open for another try.
    void previewPrintFailureWithoutHandler()
    {
        const QString data = dataFile(QStringLiteral("INSERT INTO t VALUES ('a', 1, 2);"));
        const QString folder = env->path(QStringLiteral("small"));
        QVERIFY(QDir().mkpath(folder));
        testsupport::ScriptedPrompter prompter;
        platform::ReportEngine engine;
        engine.SetReportFileName(reportFile());
        engine.SetDataFiles(0, data);
        bool stayedOpen = false;
        prompter.modalAnswers.enqueue([&](QDialog& d) {
            auto* preview = qobject_cast<QPrintPreviewDialog*>(&d);
            auto* pages = d.findChild<QPrintPreviewWidget*>();
            if (!preview || !pages)
                return int(QDialog::Rejected);
            d.show();
            preview->printer()->setOutputFormat(QPrinter::PdfFormat);
            preview->printer()->setOutputFileName(QDir(folder).filePath(QStringLiteral("out.pdf")));
            {
                testsupport::FileSizeLimit limit(4 * 1024);
                pages->print();
            }
            d.accept();
            stayedOpen = d.isVisible();
            d.reject();
            return d.result();
        });
        QVERIFY(engine.SetAction(1)); // the report was shown
        QVERIFY(stayedOpen);
        QCOMPARE(prompter.messages().size(), 1);
        QVERIFY2(prompter.lastMessage().text.contains(QStringLiteral("out.pdf")), qPrintable(prompter.lastMessage().text));
        QCOMPARE(engine.LastErrorNumber(), int(platform::ReportEngine::rptErrPrinter));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList());
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
        const QString data = dataFile(itemsOverSeveralPages());
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
