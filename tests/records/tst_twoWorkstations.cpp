// Two workstations (two connections to one file) saving and moving stock at the same time.
#include "RecordTestUtil.h"

#include "records/clsProduct.h"
#include "records/clsStock.h"
#include "records/clsTrader.h"

#include <thread>

using recordtest::TradeDb;

namespace {

// The gDB classes, pointed at one workstation's own connection.
class StationProduct : public clsProduct {
public:
    explicit StationProduct(dao::Database* db) : m_station(db) {}
protected:
    dao::Database* database() const override { return m_station; }
private:
    dao::Database* m_station;
};

class StationTrader : public clsTrader {
public:
    explicit StationTrader(dao::Database* db) : m_station(db) {}
protected:
    dao::Database* database() const override { return m_station; }
private:
    dao::Database* m_station;
};

std::shared_ptr<dao::Database> station(const QString& path)
{
    auto db = dao::Database::open(path);
    db->setBusyTimeout(30000);
    return db;
}

template <typename Fn>
void runTogether(Fn a, Fn b)
{
    std::thread ta(a), tb(b);
    ta.join();
    tb.join();
}

} // namespace

class TestTwoWorkstations : public QObject {
    Q_OBJECT

private slots:
    void classCodesStayDistinct()
    {
        TradeDb t;
        auto dbA = station(t.path), dbB = station(t.path);
        const int n = 60;
        auto work = [n](std::shared_ptr<dao::Database> db, const char* name) {
            return [n, db, name] {
                StationProduct p(db.get());
                p.sClassName(QString::fromLatin1(name));
                p.bUsed(true);
                for (int i = 0; i < n; ++i)
                    p.SaveClass();
            };
        };
        runTogether<std::function<void()>>(work(dbA, "A"), work(dbB, "B"));
        QVERIFY(t.messages().isEmpty());
        QCOMPARE(t.count(QStringLiteral("PClass")), 2 * n);
        QCOMPARE(t.value(QStringLiteral("SELECT MAX(Code) FROM PClass")).toString(), QStringLiteral("00120"));
        QCOMPARE(t.count(QStringLiteral("PClass"), QStringLiteral("ClassName = 'A'")), n);
    }

    void noMovementIsLost()
    {
        TradeDb t;
        clsStock init;
        recordtest::openStock(init, t.db, QStringLiteral("000001"), 100);

        const int n = 150;
        auto work = [n](std::shared_ptr<dao::Database> db) {
            return [n, db] {
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
            };
        };
        runTogether<std::function<void()>>(work(station(t.path)), work(station(t.path)));
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
        auto work = [n](std::shared_ptr<dao::Database> db) {
            return [n, db] {
                StationTrader tr(db.get());
                tr.SCODE(QStringLiteral("000001"));
                for (int i = 0; i < n; ++i) {
                    tr.UpdateNoPay(0, 500);
                    tr.UpdateNoPay(500, 300);
                }
            };
        };
        runTogether<std::function<void()>>(work(station(t.path)), work(station(t.path)));
        QVERIFY(t.messages().isEmpty());
        clsTrader tr;
        QCOMPARE(tr.CurTotNoPay(QStringLiteral("000001")), 1000 + 2 * n * 300);
    }
};

QTEST_MAIN(TestTwoWorkstations)
#include "tst_twoWorkstations.moc"
