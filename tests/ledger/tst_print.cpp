// The ledger print of the main window: the listed vouchers are copied into total_print (all or
// nothing), and the report file in the report folder prints them with the title formula.
#include "LedgerFixture.h"

#include "frame/frmSplash.h"
#include "frame/modBackUp.h"
#include "frame/modMain.h"
#include "ledger/LedgerPrint.h"
#include "ledger/frmMain.h"
#include "platform/Database.h"
#include "platform/ProgramFolder.h"
#include "platform/Prompter.h"
#include "platform/Recordset.h"
#include "platform/ReportEngine.h"
#include "platform/SettingsStore.h"
#include "platform/SpreadGrid.h"
#include "support/DrawnText.h"
#include "support/ScriptedPrompter.h"
#include "support/WriteFailure.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPainter>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QScreen>
#include <QToolBar>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

class tst_print : public QObject, ledgertest::MainWindowFixture {
    Q_OBJECT

    QString rptFolder;

    // total_print as stored, in stored order: one line per row.
    static QStringList printTable()
    {
        QStringList out;
        auto rs = gDB->openRecordset(QStringLiteral(
            "SELECT maeip_date, pro_name, maeip_name, maeip_cost, maechul_date, maechul_name, maechul_cost,"
            " maechul_usecost, typeof(maeip_cost) FROM total_print ORDER BY rowid"), dao::dbOpenSnapshot);
        for (; !rs->eof(); rs->moveNext())
            out << QStringList{rs->text(0), rs->text(1), rs->text(2), QString::number(rs->toInt64(3)), rs->text(4),
                               rs->text(5), QString::number(rs->toInt64(6)), QString::number(rs->toInt64(7)),
                               rs->text(8)}
                       .join(QLatin1Char('|'));
        return out;
    }

    // The voucher rows of the grid in the same form (rows 1 to MaxRows - 1).
    static QStringList gridVouchers(platform::SpreadGrid* g)
    {
        QStringList out;
        auto amount = [g](int c, int r) { return LedgerPrintAmount(g->model(), c, r).toString(); };
        for (int r = 1; r < g->MaxRows(); ++r)
            out << QStringList{g->GetText(1, r), g->GetText(3, r), g->GetText(5, r), amount(6, r), g->GetText(7, r),
                               g->GetText(9, r), amount(10, r), amount(11, r), QStringLiteral("integer")}
                       .join(QLatin1Char('|'));
        return out;
    }

    // True when a report window was opened.
    bool reportShown() const
    {
        for (const auto& c : prompter->calls)
            if (c.kind == QLatin1String("modal"))
                return true;
        return false;
    }

    static void putShippedReport(const QString& path)
    {
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile::remove(path);
        QVERIFY(QFile::copy(QStringLiteral(TRELVO_SOURCE_DIR "/assets/Rpt/LedgerList.rpt"), path));
    }

    // What the main window's last print drew: its report run again, as its engine runs it, onto a
    // recording device. For each line that begins with one of firsts (a voucher's date, the totals
    // caption, in that order): the texts of the amount columns 매입금액, 판매금액 and 판매경비,
    // joined by '|'. A line is found by any text on it (a voucher's 품명, the totals caption).
    static QStringList printedAmounts(frmMain* w, const QStringList& firsts)
    {
        platform::ReportDefinition def;
        QString error;
        if (!platform::LoadReportDefinition(w->report->ReportFileName(), def, error)
            || !platform::ApplyReportFormula(def, w->report->Formulas(0), error))
            return {error};
        platform::ReportRows rows;
        if (!platform::ReadReportRows(w->report->DataFiles(0), def, rows, error))
            return {error};
        testsupport::DrawnTextDevice page(QSize(1600, 1100));
        QPainter p(&page);
        if (!platform::PaintReport(p, QSize(1600, 1100), [] { return true; }, def, rows, QDate(2024, 3, 20), error))
            return {error};
        p.end();
        QStringList out;
        for (const QString& first : firsts) {
            for (const auto& r : page.runs) {
                if (r.text != first)
                    continue;
                const QStringList texts = testsupport::textsOnLineOf(page.runs, r);
                // date, 품명, [매입처명], 매입금액, 판매일자, [판매처명], 판매금액, 판매경비; the
                // captions and amounts are told apart by their digits or the mark
                QStringList amounts;
                for (const QString& t : texts)
                    if (!t.isEmpty() && (t == QLatin1String("###") || (t.contains(QRegularExpression(QStringLiteral("^-?[0-9,]+$"))))))
                        amounts << t;
                out << amounts.join(QLatin1Char('|'));
            }
        }
        return out;
    }

    // Product names of many different letters, as a shop's are: the font a print carries has
    // many glyphs, and parts of the file are written in pieces larger than a write buffer.
    static QString namesOfManyLettersSql()
    {
        QString letters;
        for (int i = 0; i < 10; ++i)
            letters += QStringLiteral(", 44032 + ((total_id % 40) * 10 + %1) * 23 % 11172").arg(i);
        return QStringLiteral("UPDATE total SET pro_name = pro_name || ' ' || char(") + letters.mid(2) + QStringLiteral(");");
    }

    static QByteArray fileBytes(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    // Prints from the preview window into a PDF file, as its print button does (then, when
    // accept is set, accepts as the button does). True when the preview is still open.
    static bool printFromPreview(QDialog& d, const QString& path, bool accept)
    {
        auto* preview = qobject_cast<QPrintPreviewDialog*>(&d);
        auto* pages = d.findChild<QPrintPreviewWidget*>();
        if (!preview || !pages)
            return false;
        preview->printer()->setOutputFormat(QPrinter::PdfFormat);
        preview->printer()->setOutputFileName(path);
        pages->print();
        if (accept)
            d.accept();
        return d.isVisible();
    }

private slots:
    void init()
    {
        QVERIFY(setUpMain(ledgertest::oldMainSchema(), QStringLiteral(
            "INSERT INTO maechul (id, name, tel, phone, zipcode, address, memo) VALUES"
            " (40000, '김상회', '02-555-1234', '', '', '', '');"
            "INSERT INTO total (total_id, maeip_date, pro_code, pro_name, group_name, maeip_code, maeip_name, maeip_cost,"
            " maechul_date, maechul_code, maechul_name, maechul_cost, maechul_usecost) VALUES"
            " (70000, '2024-03-01', 0, 'TV', '가전', 7, '공급사', 1000, '2024-03-05', 40000, '김상회', 1500, 100),"
            " (2, '2024-03-02', 0, 'O''Neil 냉장고', '가전', 0, '', 200000000000, '2024-03-05', 0, '', 0, 0),"
            " (3, '2024-03-02', 0, '세탁기', '대형', 0, '', 300, '2024-03-03', 0, '', 400, 50),"
            " (4, '2024-01-02', 0, '오디오', '대형', 0, '', 1, '2024-02-03', 0, '', 4, 0);"
            "INSERT INTO total_print (pro_name, maeip_cost) VALUES ('지난 인쇄', 1), ('지난 인쇄 2', 2);")));
        rptFolder = env->path(QStringLiteral("Reports"));
        QDir().mkpath(rptFolder);
        platform::SaveSetting(gsTitle, kEnvSection, QStringLiteral("Rpt경로"), rptFolder);
    }

    void cleanup() { tearDownMain(); }

    void copiesTheListedVouchersInTheirOrder()
    {
        auto w = start();
        QVERIFY(w);
        QCOMPARE(w->spList->MaxRows(), 4); // three vouchers of the period and the blank row
        QVERIFY(w->print_total_input());
        QStringList rows = printTable();
        QCOMPARE(rows, gridVouchers(w->spList));
        QCOMPARE(rows.size(), 3);
        QVERIFY(!rows.join(QString()).contains(QStringLiteral("지난 인쇄")));
        QVERIFY(rows.contains(QStringLiteral(
            "2024-03-02|O'Neil 냉장고||200000000000|2024-03-05||0|0|integer"))); // quote and 64-bit amount intact

        // a header sort: printed in the order shown, the blank row still left out
        w->spList->UserSortClick(6);
        QVERIFY(w->print_total_input());
        rows = printTable();
        QCOMPARE(rows, gridVouchers(w->spList));
        QVERIFY(rows[0].contains(QStringLiteral("세탁기")));
        QVERIFY(rows[2].contains(QStringLiteral("O'Neil")));

        // an emptied amount cell is printed as 0
        w->spList->SetText(10, 1, QString());
        QVERIFY(w->print_total_input());
        QCOMPARE(printTable().value(0).section(QLatin1Char('|'), 6, 6), QStringLiteral("0"));

        // a party search prints that party's vouchers only
        w->cmbGu->setCurrentIndex(0);
        w->txtCName->setText(QStringLiteral("김상"));
        w->RefreshList();
        QVERIFY(w->print_total_input());
        rows = printTable();
        QCOMPARE(rows, (QStringList{QStringLiteral("2024-03-01|TV|공급사|1000|2024-03-05|김상회|1500|100|integer")}));

        // an empty list empties the table
        w->txtCName->setText(QStringLiteral("없는 거래처"));
        w->RefreshList();
        QCOMPARE(w->spList->MaxRows(), 1);
        QVERIFY(w->print_total_input());
        QCOMPARE(printTable(), QStringList());
        QCOMPARE(prompter->messages().size(), 0);
    }

    // Amounts and totals print as the main window shows them: exact wherever they lie in the
    // range of 64-bit whole numbers (its limits and the band above 9.2e18 included, a fraction
    // rounded away from zero), the overflow mark past it. Three vouchers of the period are there already (매입금액
    // 200,000,001,300, 판매금액 1,900 and 판매경비 150 together).
    void amountsPastTheRangePrintTheMark_data()
    {
        QTest::addColumn<QString>("vouchers"); // VALUES of total(total_id, maechul_date, pro_name, maeip_cost, maechul_cost)
        QTest::addColumn<QStringList>("lines"); // 품명 of the added vouchers, then the totals caption
        QTest::addColumn<QStringList>("printed");
        QTest::newRow("two sales whose sum wraps")
            << "(10, '2024-03-10', '큰판매가', 0, 9000000000000000000), (11, '2024-03-10', '큰판매나', 0, 9000000000000000000)"
            << QStringList{"큰판매가", "큰판매나", "합  계"}
            << QStringList{"0|9,000,000,000,000,000,000|0", "0|9,000,000,000,000,000,000|0", "200,000,001,300|###|150"};
        QTest::newRow("REALs past the range stored by another program")
            << "(12, '2024-03-11', '외부판매', 0, 1e20), (13, '2024-03-12', '외부매입', 9.5e18, 0)"
            << QStringList{"외부판매", "외부매입", "합  계"}
            << QStringList{"0|###|0", "###|0|0", "###|###|150"};
        QTest::newRow("a sum out of the range and back")
            << "(14, '2024-03-10', '큰판매가', 0, 9000000000000000000), (15, '2024-03-10', '큰판매나', 0, 9000000000000000000),"
               " (16, '2024-03-11', '큰반품', 0, -9000000000000000000)"
            << QStringList{"큰반품", "합  계"}
            << QStringList{"0|-9,000,000,000,000,000,000|0", "200,000,001,300|9,000,000,000,000,001,900|150"};
        QTest::newRow("the largest and the smallest amount")
            << "(20, '2024-03-10', '끝금액', -9223372036854775807 - 1, 9223372036854775807)"
            << QStringList{"끝금액", "합  계"}
            << QStringList{"-9,223,372,036,854,775,808|9,223,372,036,854,775,807|0", "-9,223,371,836,854,774,508|###|150"};
        QTest::newRow("amounts above 9.2e18 and their return")
            << "(21, '2024-03-10', '밴드판매', 0, 9210000000000000123), (22, '2024-03-10', '밴드반품', 0, -9210000000000000000)"
            << QStringList{"밴드판매", "밴드반품", "합  계"}
            << QStringList{"0|9,210,000,000,000,000,123|0", "0|-9,210,000,000,000,000,000|0", "200,000,001,300|2,023|150"};
        QTest::newRow("a total above 9.2e18")
            << "(23, '2024-03-10', '밴드합', 0, 9199999999999999599)"
            << QStringList{"밴드합", "합  계"}
            << QStringList{"0|9,199,999,999,999,999,599|0", "200,000,001,300|9,200,000,000,000,001,499|150"};
        QTest::newRow("halves stored by another program")
            << "(27, '2024-03-10', '반가', 0, 2.5), (28, '2024-03-10', '반나', 0, 2.5)"
            << QStringList{"반가", "합  계"}
            << QStringList{"0|3|0", "200,000,001,300|1,906|150"};
        QTest::newRow("halves past 15 digits stored by another program")
            << "(29, '2024-03-10', '긴반가', 0, 1234567890123456.5), (30, '2024-03-10', '긴반나', 0, -1234567890123450.5)"
            << QStringList{"긴반가", "긴반나", "합  계"}
            << QStringList{"0|1,234,567,890,123,457|0", "0|-1,234,567,890,123,451|0", "200,000,001,300|1,906|150"};
    }
    void amountsPastTheRangePrintTheMark()
    {
        QFETCH(QString, vouchers);
        QFETCH(QStringList, lines);
        QFETCH(QStringList, printed);
        QVERIFY(testsupport::runSqlScript(dbFile, QStringLiteral(
            "INSERT INTO total (total_id, maechul_date, pro_name, maeip_cost, maechul_cost) VALUES ") + vouchers
            + QStringLiteral("; UPDATE total SET maechul_usecost = 0 WHERE maechul_usecost IS NULL;")));
        putShippedReport(QDir(rptFolder).filePath(kLedgerReportName));
        auto w = start();
        QVERIFY(w);
        w->btnPrint->click();
        QCOMPARE(prompter->messages().size(), 0);
        QVERIFY(reportShown());
        QCOMPARE(printedAmounts(w.get(), lines), printed);

        // as the main window shows them
        QStringList screen;
        for (const QString& line : lines) {
            platform::SpreadGrid* g = w->spTotal;
            int r = 1;
            if (line != QStringLiteral("합  계")) {
                g = w->spList;
                r = g->SearchCol(3, 0, g->MaxRows(), line, 0);
                QVERIFY2(r >= 1, qPrintable(line));
            }
            screen << QStringList{g->DisplayText(6, r), g->DisplayText(10, r), g->DisplayText(11, r)}.join(QLatin1Char('|'));
        }
        QCOMPARE(screen, printed);
    }

    // A print from the preview into a PDF that cannot be written whole (a full file system, a
    // file size limit) is told at once with the print's failure message; no file is left, and
    // the preview stays open. The next print from the same preview, to a place with room, is
    // judged on its own: it is written whole, nothing more is told, and the preview closes as
    // after a good print.
    void printFromThePreviewThatCannotBeWritten_data()
    {
        QTest::addColumn<bool>("fullFileSystem"); // else: the size limit
        QTest::newRow("full file system") << true;
        QTest::newRow("file size limit") << false;
    }
    void printFromThePreviewThatCannotBeWritten()
    {
        QFETCH(bool, fullFileSystem);
        putShippedReport(QDir(rptFolder).filePath(kLedgerReportName));
        const QString full = env->path(QStringLiteral("full"));
        auto disk = std::make_unique<testsupport::SmallFileSystem>(full, fullFileSystem ? "8k" : nullptr);
        QVERIFY2(disk->ok() || fullFileSystem, qPrintable(disk->why()));
        if (!disk->ok())
            QSKIP(qPrintable(disk->why()));
        const QString cut = QDir(full).filePath(QStringLiteral("ledger.pdf"));
        const QString good = env->path(QStringLiteral("ledger.pdf"));
        auto w = start();
        QVERIFY(w);
        int toldAtOnce = -1;
        bool openAfterFailure = false, openAfterGoodPrint = true;
        QStringList leftOnDisk{QStringLiteral("not looked at")};
        prompter->modalAnswers.enqueue([&](QDialog& d) {
            auto* preview = qobject_cast<QPrintPreviewDialog*>(&d);
            auto* pages = d.findChild<QPrintPreviewWidget*>();
            if (!preview || !pages)
                return int(QDialog::Rejected);
            d.show();
            // as the preview's print button does: print to the chosen file, then accept
            preview->printer()->setOutputFormat(QPrinter::PdfFormat);
            preview->printer()->setOutputFileName(cut);
            {
                std::unique_ptr<testsupport::FileSizeLimit> limit;
                if (!fullFileSystem)
                    limit = std::make_unique<testsupport::FileSizeLimit>(8 * 1024);
                pages->print();
            }
            d.accept();
            toldAtOnce = prompter->messages().size();
            openAfterFailure = d.isVisible();
            leftOnDisk = QDir(full).entryList(QDir::Files | QDir::Hidden);

            preview->printer()->setOutputFileName(good);
            pages->print();
            d.accept();
            openAfterGoodPrint = d.isVisible();
            return d.result();
        });
        w->btnPrint->click();
        QCOMPARE(toldAtOnce, 1);
        QVERIFY(openAfterFailure);
        QCOMPARE(leftOnDisk, QStringList());
        QVERIFY(!openAfterGoodPrint);
        QCOMPARE(prompter->messages().size(), 1);
        QVERIFY2(prompter->lastMessage().text.startsWith(QStringLiteral("장부를 인쇄하지 못했습니다.\r\n")),
                 qPrintable(prompter->lastMessage().text));
        QVERIFY2(prompter->lastMessage().text.contains(QStringLiteral("ledger.pdf")), qPrintable(prompter->lastMessage().text));
        QFile pdf(good);
        QVERIFY(pdf.open(QIODevice::ReadOnly));
        const QByteArray bytes = pdf.readAll();
        QVERIFY2(bytes.size() > 8 * 1024, "the print must not fit the small file system");
        QVERIFY(bytes.startsWith("%PDF"));
        QVERIFY(bytes.trimmed().endsWith("%%EOF"));
        QCOMPARE(w->report->LastErrorNumber(), int(platform::ReportEngine::rptErrNone));
    }

    // A print from the preview into a PDF on a small file system, at every size from one page
    // of 4 KB to more than the print needs, and at sizes about the end of a long print, with
    // and without an older file of that name. Exactly when the print fits, the file is there
    // whole and nothing is told (the preview closes as after a good print); otherwise the
    // failure is told at once, the preview stays open, and no file is left (an older one is
    // left as it was).
    void printOnASmallFileSystem_data()
    {
        QTest::addColumn<int>("vouchers"); // added to the three listed at the start
        QTest::addColumn<int>("roomKb");   // the file system; for the long list: beyond what the print and an older file take
        QTest::addColumn<bool>("olderFile");
        for (int kb = 4; kb <= 64; kb += 4)
            for (bool older : {false, true})
                QTest::addRow("8 vouchers, %d KB%s", kb, older ? ", older file" : "") << 5 << kb << older;
        for (int kb : {-40, -32, -24, -16, -8, 0, 4})
            for (bool older : {false, true})
                QTest::addRow("1,000 vouchers, %+d KB about the end%s", kb, older ? ", older file" : "")
                    << 997 << kb << older;
    }
    void printOnASmallFileSystem()
    {
        QFETCH(int, vouchers);
        QFETCH(int, roomKb);
        QFETCH(bool, olderFile);
        QVERIFY(testsupport::runSqlScript(dbFile, ledgertest::sameVouchersSql(vouchers) + namesOfManyLettersSql()));
        putShippedReport(QDir(rptFolder).filePath(kLedgerReportName));
        const QString whole = env->path(QStringLiteral("whole.pdf"));
        const QString folder = env->path(QStringLiteral("small"));
        const QString target = QDir(folder).filePath(QStringLiteral("ledger.pdf"));
        const QByteArray older(3000, 'o'); // one page of the file system
        std::unique_ptr<testsupport::SmallFileSystem> disk;
        QByteArray diskSize;
        qint64 size = 0;
        bool fits = false, stayedOpen = false;
        auto w = start();
        QVERIFY(w);
        prompter->modalAnswers.enqueue([&](QDialog& d) {
            d.show();
            printFromPreview(d, whole, false); // where there is room: the print's size
            size = QFileInfo(whole).size();
            const int pages = int((size + 4095) / 4096) + (olderFile ? 1 : 0);
            const int kb = vouchers > 100 ? pages * 4 + roomKb : roomKb;
            fits = pages * 4 <= kb;
            diskSize = QByteArray::number(kb) + 'k';
            disk = std::make_unique<testsupport::SmallFileSystem>(folder, diskSize.constData());
            QFile f(target);
            if (!disk->ok() || (olderFile && (!f.open(QIODevice::WriteOnly) || f.write(older) != older.size())))
                return int(QDialog::Rejected);
            f.close();
            // root prints over a file of another user (nobody), which stays theirs to print over again
            if (olderFile && ::geteuid() == 0 && ::chown(QFile::encodeName(target).constData(), 65534, 65534) != 0)
                return int(QDialog::Rejected);
            stayedOpen = printFromPreview(d, target, true);
            d.reject();
            return d.result();
        });
        w->btnPrint->click();
        QVERIFY(disk);
        if (!disk->ok())
            QSKIP(qPrintable(disk->why()));
        QVERIFY2(size > 4096 && fileBytes(whole).trimmed().endsWith("%%EOF"), qPrintable(QString::number(size)));
        const QString at = QStringLiteral("print of %1 bytes on %2").arg(size).arg(QString::fromLatin1(diskSize));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden),
                 fits || olderFile ? QStringList{QStringLiteral("ledger.pdf")} : QStringList());
        QCOMPARE(w->report->LastErrorNumber(), int(fits ? platform::ReportEngine::rptErrNone : platform::ReportEngine::rptErrPrinter));
        QVERIFY2(stayedOpen != fits, qPrintable(at));
        if (fits) {
            QVERIFY2(prompter->messages().isEmpty(), qPrintable(prompter->lastMessage().text + at));
            const QByteArray printed = fileBytes(target);
            QVERIFY2(printed.size() == size && printed.trimmed().endsWith("%%EOF"), qPrintable(at));
            struct stat st {};
            QVERIFY(::stat(QFile::encodeName(target).constData(), &st) == 0);
            if (olderFile && ::geteuid() == 0)
                QVERIFY2(st.st_uid == 65534 && st.st_gid == 65534, qPrintable(at));
        } else {
            const QString told = prompter->lastMessage().text;
            QVERIFY2(prompter->messages().size() == 1 && told.startsWith(QStringLiteral("장부를 인쇄하지 못했습니다.\r\n"))
                         && told.contains(QStringLiteral("ledger.pdf")),
                     qPrintable(told + at));
            if (olderFile)
                QVERIFY2(fileBytes(target) == older, qPrintable(at));
        }
        disk.reset();
    }

    // The program in a process of its own under a file-size limit (ulimit -f) below the size
    // of its print, with the file-size signal as a shell leaves it: the write past the limit
    // fails like any other failed write, the print is told as failed, nothing is left behind
    // (an older file stays as it was), and the program goes on and closes as usual.
    void printUnderAFileSizeLimit_data()
    {
        QTest::addColumn<bool>("olderFile");
        QTest::newRow("limit below the print") << false;
        QTest::newRow("limit below the print, older file") << true;
    }
    void printUnderAFileSizeLimit()
    {
        QFETCH(bool, olderFile);
        // vouchers of today (the program runs on the real clock), listed at its start
        QVERIFY(testsupport::runSqlScript(dbFile, ledgertest::sameVouchersSql(120) + namesOfManyLettersSql()
            + QStringLiteral("UPDATE total SET maeip_date = date('now', 'localtime'), maechul_date = date('now', 'localtime');")));
        putShippedReport(QDir(rptFolder).filePath(kLedgerReportName));
        struct Run { bool exited = false; QString out, err; };
        const auto print = [this](const QString& pdf, rlim_t limit) {
            QProcess p;
            QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
            e.insert(QStringLiteral("TRELVO_SETTINGS_DIR"), env->settingsFolder());
            e.insert(QStringLiteral("TRELVO_PROGRAM_DIR"), env->folder());
            e.insert(QStringLiteral("HOME"), env->folder());
            p.setProcessEnvironment(e);
            p.setChildProcessModifier([limit] { // as a shell with ulimit -f starts it
                rlimit lim{};
                ::getrlimit(RLIMIT_FSIZE, &lim);
                lim.rlim_cur = limit;
                ::setrlimit(RLIMIT_FSIZE, &lim);
                ::signal(SIGXFSZ, SIG_DFL);
            });
            p.start(QStringLiteral(TRELVO_BINARY_DIR "/tests/workstation"), {QStringLiteral("print"), pdf});
            Run r;
            r.exited = p.waitForFinished(120000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
            r.out = QString::fromUtf8(p.readAllStandardOutput());
            r.err = QString::fromUtf8(p.readAllStandardError());
            return r;
        };
        // without a limit: the whole print, and the database as the start leaves it
        const QString whole = env->path(QStringLiteral("whole.pdf"));
        const Run first = print(whole, RLIM_INFINITY);
        QVERIFY2(first.exited && first.out.contains(QStringLiteral("open=ok printed=1 closed=1 boxes=0")),
                 qPrintable(first.out + first.err));
        const qint64 size = QFileInfo(whole).size();
        const rlim_t limit = rlim_t(size - 4096);
        QVERIFY2(QFileInfo(dbFile).size() + 16384 < qint64(limit),
                 qPrintable(QStringLiteral("the database (%1 bytes) must lie below the limit, the print (%2 bytes) past it")
                                .arg(QFileInfo(dbFile).size()).arg(size)));

        const QString folder = env->path(QStringLiteral("limited"));
        QVERIFY(QDir().mkpath(folder));
        const QString target = QDir(folder).filePath(QStringLiteral("ledger.pdf"));
        const QByteArray older(3000, 'o');
        if (olderFile) {
            QFile f(target);
            QVERIFY(f.open(QIODevice::WriteOnly) && f.write(older) == older.size());
        }
        const Run limited = print(target, limit);
        QVERIFY2(limited.exited, qPrintable(QStringLiteral("the program ended: ") + limited.out + limited.err));
        QVERIFY2(limited.out.contains(QStringLiteral("open=ok printed=0 closed=1 boxes=1")), qPrintable(limited.out + limited.err));
        QVERIFY2(limited.err.contains(QStringLiteral(": 장부를 인쇄하지 못했습니다.|")) && limited.err.contains(target),
                 qPrintable(limited.err));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden),
                 olderFile ? QStringList{QStringLiteral("ledger.pdf")} : QStringList());
        if (olderFile)
            QVERIFY(fileBytes(target) == older);
    }

    void failedCopyKeepsTheLastPrintAndPrintsNothing()
    {
        auto w = start();
        QVERIFY(w);
        gDB->execute(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON total_print WHEN NEW.pro_name = '세탁기'"
                                    " BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        putShippedReport(QDir(rptFolder).filePath(kLedgerReportName));
        const QStringList before = printTable();
        QCOMPARE(before.size(), 2);

        QVERIFY(!w->print_total_input());
        QCOMPARE(printTable(), before); // the earlier rows were not deleted either
        QCOMPARE(prompter->messages().size(), 1);
        QVERIFY(prompter->lastMessage().text.contains(QStringLiteral("print_total_input")));
        QVERIFY(!gDB->inTransaction());

        prompter->clear();
        w->btnPrint->click();
        QCOMPARE(prompter->messages().size(), 1); // the error, and no report of the old rows
        QVERIFY(!reportShown());
        QCOMPARE(printTable(), before);
    }

    void missingReportFileIsReported()
    {
        auto w = start();
        QVERIFY(w);
        w->btnPrint->click();
        QCOMPARE(prompter->messages().size(), 1);
        QCOMPARE(prompter->lastMessage().text,
                 QStringLiteral("보고서 파일을 찾을 수 없습니다.\r\n")
                     + QDir::toNativeSeparators(QDir(rptFolder).filePath(kLedgerReportName)));
        QVERIFY(!reportShown());
        QCOMPARE(printTable().size(), 3); // the list itself was copied
        QVERIFY(w->isEnabled());
    }

    void shippedReportIsInstalledAndPreviewed()
    {
        putShippedReport(platform::programPath(QStringLiteral("Rpt/") + kLedgerReportName));
        auto w = start();
        QVERIFY(w);
        QString title;
        int previewPages = 0;
        QStringList toolTips; // of the preview's tool bar: pages, zoom, page set-up, print
        prompter->modalAnswers.enqueue([&](QDialog& d) {
            title = d.windowTitle();
            if (auto* preview = d.findChild<QPrintPreviewWidget*>()) {
                preview->updatePreview();
                previewPages = preview->pageCount();
            }
            for (QAction* a : d.findChildren<QAction*>())
                if (!a->toolTip().isEmpty())
                    toolTips << a->toolTip();
            return int(QDialog::Rejected);
        });
        w->btnPrint->click();
        QCOMPARE(prompter->messages().size(), 0);
        const QString installed = QDir(rptFolder).filePath(kLedgerReportName);
        QVERIFY(QFile::exists(installed));
        QVERIFY(w->report);
        QCOMPARE(w->report->ReportFileName(), installed);
        QCOMPARE(w->report->DataFiles(0), gsDBFile);
        QCOMPARE(w->report->Formulas(0), QStringLiteral("Title = 'Kestrune'"));
        QCOMPARE(title, QStringLiteral("Kestrune"));
        QCOMPARE(previewPages, 1);
        // Qt's own texts of the preview are Korean, as the rest of the program.
        QVERIFY(toolTips.size() >= 10);
        for (const QString& tip : toolTips)
            QVERIFY2(std::any_of(tip.begin(), tip.end(), [](QChar c) { return c.unicode() >= 0xAC00 && c.unicode() <= 0xD7A3; }),
                     qPrintable(tip));
        QCOMPARE(w->report->PagesPrinted(), 1);
        QCOMPARE(w->report->LastErrorNumber(), 0);
        QVERIFY(QApplication::overrideCursor() == nullptr);
    }

    // The preview opens inside the screen and wide enough to show its whole tool bar: the
    // print button is on the bar itself, not in the bar's overflow menu; it keeps the height
    // it shows its pages at. Each row runs in a
    // program of its own on a screen of that size.
    void previewShowsItsPrintButton_data()
    {
        testsupport::addScreenColumns();
        QTest::newRow("1400x900") << QSize(1400, 900) << 96;
        QTest::newRow("1024x768") << QSize(1024, 768) << 96;
        QTest::newRow("800x600") << QSize(800, 600) << 96;
        QTest::newRow("800x600 at 120 DPI") << QSize(800, 600) << 120;
    }
    void previewShowsItsPrintButton()
    {
        RUN_ROW_ON_ITS_SCREEN();
        putShippedReport(QDir(rptFolder).filePath(kLedgerReportName));
        auto w = start();
        QVERIFY(w);
        w->show();
        QRect area, at;
        bool printOnTheBar = false, overflowShown = true, tallEnough = false;
        prompter->modalAnswers.enqueue([&](QDialog& d) {
            d.show();
            auto* bar = d.findChild<QToolBar*>();
            if (!QTest::qWaitForWindowExposed(&d) || !bar || bar->actions().isEmpty())
                return int(QDialog::Rejected);
            area = d.screen()->availableGeometry();
            (void)QTest::qWaitFor([&] { return area.contains(d.frameGeometry()); }); // fitted once framed
            at = d.frameGeometry();
            tallEnough = d.height() >= qMin(d.sizeHint().height(), area.height() / 2);
            QWidget* print = bar->widgetForAction(bar->actions().constLast()); // the print button comes last
            printOnTheBar = print && print->isVisible() && bar->rect().contains(QRect(print->pos(), print->size()));
            auto* overflow = bar->findChild<QWidget*>(QStringLiteral("qt_toolbar_ext_button"));
            overflowShown = overflow && overflow->isVisible();
            return int(QDialog::Rejected);
        });
        w->btnPrint->click();
        QCOMPARE(prompter->messages().size(), 0);
        QVERIFY2(area.contains(at), qPrintable(QStringLiteral("%1x%2 at %3,%4").arg(at.width()).arg(at.height()).arg(at.x()).arg(at.y())));
        QVERIFY2(printOnTheBar, qPrintable(QStringLiteral("%1 wide").arg(at.width())));
        QVERIFY(!overflowShown);
        QVERIFY2(tallEnough, qPrintable(QStringLiteral("%1 high").arg(at.height()))); // widened, not made lower
    }

    void damagedReportFileIsReportedAndKept()
    {
        putShippedReport(platform::programPath(QStringLiteral("Rpt/") + kLedgerReportName));
        const QString own = QDir(rptFolder).filePath(kLedgerReportName);
        {
            QFile f(own);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("[Report]\nTable=total_print\n"); // no columns
        }
        auto w = start();
        QVERIFY(w);
        w->btnPrint->click();
        QCOMPARE(prompter->messages().size(), 1);
        QVERIFY(prompter->lastMessage().text.startsWith(QStringLiteral("장부를 인쇄하지 못했습니다.\r\n")));
        QCOMPARE(w->report->LastErrorNumber(), int(platform::ReportEngine::rptErrDefinition));
        QFile f(own);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("[Report]\nTable=total_print\n")); // the user's file is not replaced
    }
};

QTEST_MAIN(tst_print)
#include "tst_print.moc"
