// workstation: one workstation of a multi-process test, working on a shared database file
// with the program's own connection (the main database opened as the start opens it, gDB).
//
//   workstation insert FILE COUNT [STOPFILE]   COUNT vouchers through InsertVoucher (0 with
//                                              STOPFILE: until that file exists)
//   workstation read FILE COUNT INTERVAL_MS    the ledger's snapshot read, COUNT times
//   workstation records FILE COUNT STATION [STOPFILE]
//                                              COUNT rounds of mixed trade record operations
//                                              (see below; 0 with STOPFILE: until it exists)
//   workstation hold FILE MS                   holds an exclusive lock for MS milliseconds
//   workstation holdread FILE MS               stays in the middle of a read for MS milliseconds
//   workstation holdwrite FILE MS              in the middle of a write for MS milliseconds: one
//                                              call stored in tellist, committed at the end
//   workstation start                          the program's start on the settings of
//                                              $TRELVO_SETTINGS_DIR: InitApp, then the login
//                                              window's first read
//   workstation print PDF                      the program's main window on the settings of
//                                              $TRELVO_SETTINGS_DIR: logs in, prints the listed
//                                              vouchers from the preview into the file PDF as
//                                              its print button does, then closes the window
//                                              as the user does (no backup)
//
// Every mode but hold, start and print waits for one line on standard input before it opens the database, so
// that several workstations can be started together. The last line of standard output is
// the result as key=value pairs; every message box the program would show is counted as a
// failure and written to standard error.
#include "frame/frmMsgBackUp.h"
#include "frame/frmSplash.h"
#include "frame/modMain.h"
#include "ledger/frmMain.h"
#include "ledger/VoucherQuery.h"
#include "ledger/VoucherWriter.h"
#include "platform/Database.h"
#include "platform/Prompter.h"
#include "records/clsMoney.h"
#include "records/clsProduct.h"
#include "records/clsStock.h"
#include "records/clsTradeBook.h"
#include "records/clsTrader.h"
#include "records/clsUnitCost.h"
#include "records/modRecords.h"

#include <QApplication>
#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QThread>
#include <cstdio>
#include <iostream>
#include <sqlite3.h>
#include <string>

namespace {

// Counts every box; modal windows (the floating confirmations) close at once.
class CountingPrompter : public platform::Prompter {
public:
    int boxes = 0;
    int messageBox(const QString& text, const QString& title, int style) override
    {
        ++boxes;
        std::fprintf(stderr, "box: %s: %s\n", qPrintable(title), qPrintable(QString(text).replace(QLatin1Char('\r'), QLatin1Char('|'))));
        return (style & 4) ? platform::AnswerYes : platform::AnswerOk;
    }
    bool inputBox(const QString&, const QString&, QString&) override { return false; }
    int popupMenu(const QStringList&, const QPoint&) override { return -1; }
    bool chooseColor(quint32&, const QString&) override { return false; }
    QString printTo;            // the print mode's file
    bool previewClosed = false; // by the print, as after a good one
    int execModal(QDialog& dialog) override
    {
        if (!printTo.isEmpty())
            return printModeAnswer(dialog);
        dialog.accept();
        return dialog.result();
    }
    bool startProgram(const QString&, const QStringList&, const QString&) override { return false; }

private:
    // The print mode: logs in, prints from the preview, answers the backup offer "no backup".
    int printModeAnswer(QDialog& dialog)
    {
        if (auto* login = qobject_cast<frmSplash*>(&dialog)) {
            login->txtPassword_KeyDown(13);
            return login->result();
        }
        if (auto* backup = qobject_cast<frmMsgBackUp*>(&dialog)) {
            backup->cmdResult(2)->click(); // no backup
            return backup->result();
        }
        auto* preview = qobject_cast<QPrintPreviewDialog*>(&dialog);
        auto* pages = dialog.findChild<QPrintPreviewWidget*>();
        if (preview && pages) {
            dialog.show();
            preview->printer()->setOutputFormat(QPrinter::PdfFormat);
            preview->printer()->setOutputFileName(printTo);
            pages->print();
            dialog.accept();
            previewClosed = !dialog.isVisible();
            dialog.reject();
            return dialog.result();
        }
        dialog.accept();
        return dialog.result();
    }
};

CountingPrompter gPrompter;

void waitForStart()
{
    std::string line;
    std::getline(std::cin, line);
}

// Opens FILE as the program's start does; false when the start would have failed.
bool openAsProgram(const QString& file)
{
    gsTitle = QStringLiteral("Trelvo");
    gsDBFile = file;
    OpenMainDB();
    return bool(gDB);
}

void result(const QString& pairs)
{
    std::printf("%s\n", qPrintable(pairs));
    std::fflush(stdout);
}

int insertVouchers(const QString& file, int count, const QString& stopFile)
{
    waitForStart();
    QElapsedTimer total;
    total.start();
    if (!openAsProgram(file)) {
        result(QStringLiteral("open=failed inserted=0 failed=0 maxms=0 ms=%1").arg(total.elapsed()));
        return 1;
    }
    int inserted = 0, failed = 0;
    qint64 maxMs = 0;
    for (int i = 0; count == 0 ? !QFile::exists(stopFile) : i < count; ++i) {
        NewVoucher v;
        v.maeipDate = QStringLiteral("2026-01-%1").arg(1 + i % 28, 2, 10, QLatin1Char('0'));
        v.maechulDate = v.maeipDate;
        v.groupName = QStringLiteral("그룹");
        v.proName = QStringLiteral("상품%1").arg(i);
        QElapsedTimer t;
        t.start();
        try {
            qint64 id = 0;
            if (InsertVoucher(*gDB, v, id) && id > 0)
                ++inserted;
            else
                ++failed;
        } catch (const dao::DaoError& e) {
            ++failed;
            std::fprintf(stderr, "insert %d: %ld %s\n", i, e.number(), qPrintable(e.description()));
        }
        maxMs = qMax(maxMs, t.elapsed());
    }
    result(QStringLiteral("open=ok inserted=%1 failed=%2 maxms=%3 ms=%4")
               .arg(inserted).arg(failed).arg(maxMs).arg(total.elapsed()));
    return failed == 0 ? 0 : 1;
}

int readLedger(const QString& file, int count, int intervalMs)
{
    waitForStart();
    if (!openAsProgram(file)) {
        result(QStringLiteral("open=failed reads=0 failed=0 maxms=0"));
        return 1;
    }
    VoucherFilter filter;
    filter.dateFrom = QStringLiteral("2000-01-01");
    filter.dateTo = QStringLiteral("2099-12-31");
    const SqlStatement st = BuildVoucherQuery(filter);
    int reads = 0, failed = 0;
    qint64 maxMs = 0, rows = 0;
    for (int i = 0; i < count; ++i) {
        QElapsedTimer t;
        t.start();
        RecordsetPtr rs;
        if (DAO_OpenSnapshot(gDB, rs, st.sql, st.params)) {
            try {
                qint64 n = 0;
                for (; !rs->eof(); rs->moveNext())
                    n += rs->text(0).isEmpty() ? 0 : 1;
                rows = n;
                ++reads;
            } catch (const dao::DaoError& e) {
                ++failed;
                std::fprintf(stderr, "read %d: %ld %s\n", i, e.number(), qPrintable(e.description()));
            }
        } else {
            ++failed;
        }
        CloseRS(rs);
        maxMs = qMax(maxMs, t.elapsed());
        QThread::msleep(ulong(intervalMs));
    }
    result(QStringLiteral("open=ok reads=%1 failed=%2 maxms=%3 rows=%4").arg(reads).arg(failed).arg(maxMs).arg(rows));
    return failed == 0 ? 0 : 1;
}

// Per round: stock in and out, a party's outstanding amount, the one day row of the party
// ledger, a payment, a product class and a special unit price under numbers of their own.
int recordOperations(const QString& file, int count, int station, const QString& stopFile)
{
    waitForStart();
    QElapsedTimer total;
    total.start();
    if (!openAsProgram(file)) {
        result(QStringLiteral("open=failed rounds=0 failed=0 ms=0"));
        return 1;
    }
    dbTradeBook = gDB;
    clsStock stock;
    stock.SetDatabase(gDB);
    stock.sPCode(QStringLiteral("000001"));
    clsTrader trader;
    trader.SCODE(QStringLiteral("000001"));
    clsTradeBook book;
    book.SetDatabase(gDB);
    book.byGubun(1);
    book.sCCode(QStringLiteral("000001"));
    book.sDealDate(QStringLiteral("2026-05-01"));
    clsMoney money;
    money.SetDatabase(gDB);
    money.byGubun(1);
    money.sCCode(QStringLiteral("000001"));
    money.sDealDate(QStringLiteral("2026-05-01"));
    money.lTradeKum(1000);
    clsProduct product;
    product.sClassName(QString::number(station));
    product.bUsed(true);
    clsUnitCost unit;
    qint64 ops = 0;
    int i = 0;
    for (; count == 0 ? !QFile::exists(stopFile) : i < count; ++i) {
        stock.siOldStock(0);
        stock.siInStock(2);
        stock.UpdateInStock();
        stock.siOutStock(1);
        stock.UpdateOutStock();
        trader.UpdateNoPay(0, 500);
        trader.UpdateNoPay(500, 300);
        book.lTradeKum(100);
        book.lDC(1);
        book.lVatKum(10);
        book.lSumKum(110);
        book.SaveTradeBook();
        book.lTradeKum(7);
        book.lDC(0);
        book.lVatKum(0);
        book.lSumKum(7);
        book.UpdateTradeBook(true);
        money.SCODE(QStringLiteral("%1%2").arg(station).arg(i, 5, 10, QLatin1Char('0')));
        money.SaveTrade();
        product.SaveClass();
        unit.SaveUnit();
        ops += 9;
    }
    result(QStringLiteral("open=ok rounds=%1 ops=%2 failed=%3 ms=%4")
               .arg(i).arg(ops).arg(gPrompter.boxes).arg(total.elapsed()));
    return gPrompter.boxes == 0 ? 0 : 1;
}

// Takes the lock a workstation holds in the middle of a write (or of a read), and keeps it.
int holdLock(const QString& file, int ms, bool write)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK
        || sqlite3_exec(db, write ? "BEGIN EXCLUSIVE" : "BEGIN; SELECT COUNT(*) FROM sqlite_master", nullptr, nullptr,
                        nullptr) != SQLITE_OK) {
        result(QStringLiteral("held=0"));
        sqlite3_close(db);
        return 1;
    }
    result(QStringLiteral("held=1"));
    QThread::msleep(ulong(ms));
    sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return 0;
}

// A write transaction as a workstation's own writes hold it (BEGIN IMMEDIATE and one insert):
// readers go on, writers wait. Committed after ms milliseconds.
int holdWrite(const QString& file, int ms)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK
        || sqlite3_exec(db,
                        "BEGIN IMMEDIATE; INSERT INTO tellist (sdate, stime, stel, cname, sdam)"
                        " VALUES ('2024-03-20', '14:05:00', '0299990000', '', '')",
                        nullptr, nullptr, nullptr) != SQLITE_OK) {
        result(QStringLiteral("held=0"));
        sqlite3_close(db);
        return 1;
    }
    result(QStringLiteral("held=1"));
    QThread::msleep(ulong(ms));
    const int rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_close(db);
    return rc == SQLITE_OK ? 0 : 1;
}

// The program's start, as its main window's load begins it.
int startAsProgram()
{
    gsTitle = QStringLiteral("Trelvo");
    InitApp();
    frmSplash::RunLogin(nullptr);
    result(QStringLiteral("open=%1 boxes=%2").arg(gDB ? QStringLiteral("ok") : QStringLiteral("failed")).arg(gPrompter.boxes));
    return 0;
}

// The program's main window: the print of the listed vouchers from the preview, then the
// close. Anything that ends the process before the result line is a fault of the program.
int printAsProgram(const QString& pdf)
{
    QCoreApplication::setApplicationName(QStringLiteral("Trelvo"));
    gsTitle = QCoreApplication::applicationName();
    gPrompter.printTo = pdf;
    auto w = std::make_unique<frmMain>();
    if (!w->Form_Load()) {
        result(QStringLiteral("open=failed boxes=%1").arg(gPrompter.boxes));
        return 1;
    }
    gPrompter.boxes = 0; // the boxes of the print and the close (not the login's advice)
    w->btnPrint->click();
    const bool closed = w->close();
    result(QStringLiteral("open=ok printed=%1 closed=%2 boxes=%3")
               .arg(gPrompter.previewClosed ? 1 : 0).arg(closed ? 1 : 0).arg(gPrompter.boxes));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    platform::setPrompter(&gPrompter);
    const QStringList args = app.arguments();
    const QString mode = args.value(1);
    const QString file = args.value(2);
    const int count = args.value(3).toInt();
    if (mode == QLatin1String("insert"))
        return insertVouchers(file, count, args.value(4));
    if (mode == QLatin1String("read"))
        return readLedger(file, count, args.value(4).toInt());
    if (mode == QLatin1String("records"))
        return recordOperations(file, count, args.value(4).toInt(), args.value(5));
    if (mode == QLatin1String("holdwrite"))
        return holdWrite(file, count);
    if (mode == QLatin1String("hold") || mode == QLatin1String("holdread"))
        return holdLock(file, count, mode == QLatin1String("hold"));
    if (mode == QLatin1String("start"))
        return startAsProgram();
    if (mode == QLatin1String("print"))
        return printAsProgram(file);
    std::fprintf(stderr, "usage: workstation insert|read|records|hold FILE ... | start | print PDF\n");
    return 2;
}
