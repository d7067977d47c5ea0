// Two workstations (two connections to one file) saving, posting and moving stock at the
// same time: no code is given twice and no amount is lost.
#include "RecordTestUtil.h"

#include "records/clsProduct.h"
#include "records/clsStock.h"
#include "records/clsTradeBook.h"
#include "records/clsTrader.h"
#include "records/clsUnitCost.h"
#include "support/Workstations.h"

#include <functional>
#include <thread>

using recordtest::TradeDb;

namespace {

// A record class pointed at one workstation's own connection.
template <class Record>
class Station : public Record {
public:
    explicit Station(std::shared_ptr<dao::Database> db) : m_db(std::move(db)) {}

protected:
    dao::Database* database() const override { return m_db.get(); }

private:
    std::shared_ptr<dao::Database> m_db;
};

// Runs work on two connections to path at once (station 0 and 1) and waits for both.
void onTwoStations(const QString& path, const std::function<void(std::shared_ptr<dao::Database>, int)>& work)
{
    std::shared_ptr<dao::Database> db[2];
    for (auto& d : db) {
        d = dao::Database::open(path);
        d->setBusyTimeout(30000);
    }
    std::thread a(work, db[0], 0), b(work, db[1], 1);
    a.join();
    b.join();
}

} // namespace

class TestTwoWorkstations : public QObject {
    Q_OBJECT

private slots:
    void codesStayDistinct()
    {
        TradeDb t;
        const int n = 60;
        onTwoStations(t.path, [n](std::shared_ptr<dao::Database> db, int station) {
            Station<clsProduct> p(db);
            p.sClassName(QString::number(station));
            p.bUsed(true);
            Station<clsUnitCost> u(db);
            for (int i = 0; i < n; ++i) {
                p.SaveClass();
                u.SaveUnit();
            }
        });
        QVERIFY(t.messages().isEmpty());
        QCOMPARE(t.count(QStringLiteral("PClass")), 2 * n);
        QCOMPARE(t.value(QStringLiteral("SELECT MAX(Code) FROM PClass")).toString(), QStringLiteral("00120"));
        QCOMPARE(t.count(QStringLiteral("PClass"), QStringLiteral("ClassName = '0'")), n);
        // Special unit prices are numbered from 0.
        QCOMPARE(t.count(QStringLiteral("SpecialUnit")), 2 * n);
        QCOMPARE(t.value(QStringLiteral("SELECT MAX(Code) FROM SpecialUnit")).toLongLong(), 2 * n - 1);
    }

    void noMovementIsLost()
    {
        TradeDb t;
        clsStock init;
        recordtest::openStock(init, t.db, QStringLiteral("000001"), 100);
        const int n = 150;
        onTwoStations(t.path, [n](std::shared_ptr<dao::Database> db, int) {
            clsStock s;
            s.SetDatabase(db);
            s.sPCode(QStringLiteral("000001"));
            for (int i = 0; i < n; ++i) {
                s.siOldStock(0);
                s.siInStock(2);
                s.UpdateInStock();
                s.siOutStock(1);
                s.UpdateOutStock();
                // A correction of the receipt just made: 2 becomes 3.
                s.siInStock(3);
                s.siOldStock(2);
                s.UpdateInStock();
            }
        });
        QVERIFY(t.messages().isEmpty());
        QCOMPARE(init.CurInStock(), 3.0 * 2 * n);
        QCOMPARE(init.CurOutStock(), 1.0 * 2 * n);
        QCOMPARE(init.CurStock(), 100.0 + 2.0 * 2 * n);
    }

    void noOutstandingAmountIsLost()
    {
        TradeDb t;
        t.sql(QStringLiteral("INSERT INTO Trader (Code, C_Name, TotNoPay) VALUES ('000001', 'a', 1000)"));
        const int n = 150;
        onTwoStations(t.path, [n](std::shared_ptr<dao::Database> db, int) {
            Station<clsTrader> tr(db);
            tr.SCODE(QStringLiteral("000001"));
            for (int i = 0; i < n; ++i) {
                tr.UpdateNoPay(0, 500);
                tr.UpdateNoPay(500, 300);
            }
        });
        QVERIFY(t.messages().isEmpty());
        clsTrader tr;
        QCOMPARE(tr.CurTotNoPay(QStringLiteral("000001")), 1000 + 2 * n * 300);
    }

    void noLedgerPostingIsLost()
    {
        TradeDb t;
        const int n = 100;
        onTwoStations(t.path, [n](std::shared_ptr<dao::Database> db, int) {
            Station<clsTradeBook> b(db);
            b.byGubun(1);
            b.sDealDate(QStringLiteral("2009-05-01"));
            for (int i = 0; i < n; ++i) {
                // Both stations make the party's first posting of the day at once.
                b.sCCode(QString::number(i));
                b.lTradeKum(100);
                b.lDC(1);
                b.lVatKum(10);
                b.lSumKum(110);
                b.SaveTradeBook();
                b.lTradeKum(7);
                b.lDC(0);
                b.lVatKum(0);
                b.lSumKum(7);
                b.UpdateTradeBook(true);
            }
        });
        QVERIFY(t.messages().isEmpty());
        // Per party one day row holding the postings of both workstations.
        QCOMPARE(t.count(QStringLiteral("SaleBook")), n);
        QCOMPARE(t.count(QStringLiteral("SaleBook"),
                         QStringLiteral("TradeKum = 214 AND DC = 2 AND VatKum = 20 AND SumKum = 234")), n);
    }

    // Workstations as processes, each with the program's own connection, running rounds of
    // stock movements, outstanding amounts, postings to one ledger day row, payments and
    // numbered saves at the same time: two of them a fixed number of rounds, a third one
    // without a pause until those two are done.
    void mixedOperationsInProcesses()
    {
        TradeDb t;
        clsStock init;
        recordtest::openStock(init, t.db, QStringLiteral("000001"), 100);
        t.sql(QStringLiteral("INSERT INTO Trader (Code, C_Name, TotNoPay) VALUES ('000001', 'a', 1000)"));
        const int n = 300;
        const QString stop = t.env.path(QStringLiteral("stop"));
        testsupport::Workstations busy, ws;
        busy.start({QStringLiteral("records"), t.path, QStringLiteral("0"), QStringLiteral("2"), stop});
        for (int station = 0; station < 2; ++station)
            ws.start({QStringLiteral("records"), t.path, QString::number(n), QString::number(station)});
        busy.go();
        QTest::qWait(200);
        ws.go();
        auto results = ws.finish();
        QFile(stop).open(QIODevice::WriteOnly);
        results << busy.finish();
        qint64 rounds = 0;
        for (const auto& r : results) {
            QVERIFY2(r.values.value(QStringLiteral("open")) == QLatin1String("ok"), qPrintable(r.errors));
            QVERIFY2(r.value(QStringLiteral("failed")) == 0, qPrintable(r.errors));
            QVERIFY(r.value(QStringLiteral("rounds")) >= 0);
            rounds += r.value(QStringLiteral("rounds"));
        }
        QCOMPARE(results[0].value(QStringLiteral("rounds")), qint64(n));
        QCOMPARE(results[1].value(QStringLiteral("rounds")), qint64(n));
        QCOMPARE(init.CurInStock(), 2.0 * rounds);
        QCOMPARE(init.CurOutStock(), 1.0 * rounds);
        QCOMPARE(init.CurStock(), 100.0 + rounds);
        clsTrader tr;
        QCOMPARE(tr.CurTotNoPay(QStringLiteral("000001")), 1000 + rounds * 300);
        QCOMPARE(t.count(QStringLiteral("SaleBook")), 1);
        QCOMPARE(t.count(QStringLiteral("SaleBook"), QStringLiteral("TradeKum = ? AND DC = ? AND VatKum = ? AND SumKum = ?"),
                         {107 * rounds, rounds, 10 * rounds, 117 * rounds}), 1);
        QCOMPARE(t.count(QStringLiteral("Deposit")), rounds);
        QCOMPARE(t.value(QStringLiteral("SELECT SUM(TradeKum) FROM Deposit")).toLongLong(), 1000 * rounds);
        QCOMPARE(t.count(QStringLiteral("PClass")), rounds);
        QCOMPARE(t.value(QStringLiteral("SELECT COUNT(DISTINCT Code) FROM PClass")).toLongLong(), rounds);
        QCOMPARE(t.value(QStringLiteral("SELECT MAX(Code) FROM PClass")).toString(), QStringLiteral("%1").arg(rounds, 5, 10, QLatin1Char('0')));
        QCOMPARE(t.count(QStringLiteral("SpecialUnit")), rounds);
        QCOMPARE(t.value(QStringLiteral("SELECT MAX(Code) FROM SpecialUnit")).toLongLong(), rounds - 1);
    }

    // A workstation stopped in the middle of a write or of a read holds its lock past the
    // limit: a numbered save ends in the save-error box with the lock's number, and nothing
    // of it is written.
    void lockHeldPastTheLimit()
    {
        TradeDb t;
        clsProduct p;
        p.sClassName(QStringLiteral("a"));
        p.bUsed(true);
        p.SaveClass();
        t.prompter.clear();
        t.floats.clear();
        t.db->setBusyTimeout(1000);
        for (bool write : {true, false}) {
            auto holder = testsupport::Workstations::holdLock(t.path, 6000, write);
            p.SaveClass();
            holder->kill();
            holder->waitForFinished(5000);
            QCOMPARE(t.messages().size(), 1);
            QVERIFY2(t.messages().constFirst().contains(QStringLiteral("오류번호 : 3261")), qPrintable(t.messages().constFirst()));
            QVERIFY(t.floats.isEmpty());
            QCOMPARE(t.count(QStringLiteral("PClass")), 1);
            t.prompter.clear();
        }
        t.db->setBusyTimeout(-1);
        p.SaveClass(); // the lock gone, the save goes through
        QCOMPARE(t.count(QStringLiteral("PClass")), 2);
    }
};

QTEST_MAIN(TestTwoWorkstations)
#include "tst_twoWorkstations.moc"
