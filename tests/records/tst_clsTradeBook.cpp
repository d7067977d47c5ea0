// Party ledgers: day rows, payment rows, opening rows and the balances read from them.
#include "RecordTestUtil.h"

#include "records/clsTrade.h"
#include "records/clsTradeBook.h"
#include "records/modRecords.h"

#include <functional>
#include <thread>

using recordtest::TradeDb;

namespace {

// The trade database as the ledger handle, for the life of one test.
struct LedgerDb : TradeDb {
    LedgerDb() { dbTradeBook = db; }
    ~LedgerDb() { dbTradeBook.reset(); }

    // The four amounts of the party's day rows of date, "TradeKum/DC/VatKum/SumKum" per row.
    QStringList dayRows(const QString& ccode, const QString& date, const QString& table = QStringLiteral("PurchBook"))
    {
        QStringList out;
        auto rs = db->openRecordset(QStringLiteral("SELECT TradeKum || '/' || DC || '/' || VatKum || '/' || SumKum "
                                                   "FROM %1 WHERE CCode = ? AND DealDate = ? AND Code IS NULL")
                                        .arg(table),
                                    dao::dbOpenSnapshot, {ccode, date});
        for (; !rs->eof(); rs->moveNext())
            out << rs->text(0);
        return out;
    }
};

void post(clsTradeBook& b, const QString& date, qint64 trade, qint64 dc, qint64 vat, qint64 sum)
{
    b.sDealDate(date);
    b.lTradeKum(trade);
    b.lDC(dc);
    b.lVatKum(vat);
    b.lSumKum(sum);
    b.SaveTradeBook();
}

void party(clsTradeBook& b, int kind, const QString& code)
{
    b.byGubun(kind);
    b.sCCode(code);
    b.sCName(QStringLiteral("거래처") + code);
}

// A ledger object on one workstation's own connection.
class StationBook : public clsTradeBook {
public:
    explicit StationBook(dao::Database* db) : m_station(db) {}
protected:
    dao::Database* database() const override { return m_station; }
private:
    dao::Database* m_station;
};

} // namespace

class TestClsTradeBook : public QObject {
    Q_OBJECT

private slots:
    void dayRowsSumTheTradesOfADay()
    {
        LedgerDb t;
        clsTradeBook b;
        party(b, 0, QStringLiteral("000001"));
        post(b, QStringLiteral("2009-03-05"), 1000, 50, 100, 1050);
        QCOMPARE(t.dayRows(QStringLiteral("000001"), QStringLiteral("2009-03-05")), QStringList{QStringLiteral("1000/50/100/1050")});

        // A payment the same day has its own row and does not take the next trade.
        b.SCODE(QStringLiteral("000007"));
        b.lInOutKum(300);
        b.sInOutGubun(QStringLiteral("현금"));
        b.SaveInOutKum();
        post(b, QStringLiteral("2009-03-05"), 2000, 0, 200, 2200);
        post(b, QStringLiteral("2009-03-05"), -500, 0, -50, -550); // a returned line
        QCOMPARE(t.dayRows(QStringLiteral("000001"), QStringLiteral("2009-03-05")), QStringList{QStringLiteral("2500/50/250/2700")});
        QCOMPARE(t.value(QStringLiteral("SELECT InOutKum || '/' || SumKum FROM PurchBook WHERE Code = '000007'")).toString(),
                 QStringLiteral("300/0"));
        QCOMPARE(t.count(QStringLiteral("SaleBook")), 0);

        // The sales ledger is its own.
        party(b, 1, QStringLiteral("000001"));
        post(b, QStringLiteral("2009-03-05"), 10, 0, 1, 11);
        QCOMPARE(t.dayRows(QStringLiteral("000001"), QStringLiteral("2009-03-05"), QStringLiteral("SaleBook")),
                 QStringList{QStringLiteral("10/0/1/11")});
        QVERIFY(t.messages().isEmpty());

        // Without a ledger handle the open's message is shown and nothing is written.
        dbTradeBook.reset();
        post(b, QStringLiteral("2009-03-06"), 10, 0, 1, 11);
        QCOMPARE(t.prompter.messages().size(), 1);
        QCOMPARE(t.count(QStringLiteral("SaleBook")), 1);
    }

    void correctingALineReplacesItsShare()
    {
        LedgerDb t;
        clsTrade line;
        line.SetDatabase(t.db);
        line.byGubun(1);
        line.sCCode(QStringLiteral("000002"));
        line.sDealDate(QStringLiteral("2009-04-10"));
        line.SCODE(QStringLiteral("000001"));
        line.lTradeKum(1000);
        line.lVatKum(100);
        line.lSumKum(1100);
        line.SaveInitTrade();

        clsTradeBook b;
        b.SetDatabase(t.db);
        party(b, 1, QStringLiteral("000002"));
        post(b, QStringLiteral("2009-04-10"), 1000, 0, 100, 1100); // the line above
        post(b, QStringLiteral("2009-04-10"), 400, 0, 40, 440);    // another line of the day

        // Line 000001 becomes 2000 / 200 / 2200, before the line itself is rewritten.
        b.SCODE(QStringLiteral("000001"));
        b.lTradeKum(2000);
        b.lDC(0);
        b.lVatKum(200);
        b.lSumKum(2200);
        b.UpdateTradeBook(false);
        QCOMPARE(t.dayRows(QStringLiteral("000002"), QStringLiteral("2009-04-10"), QStringLiteral("SaleBook")),
                 QStringList{QStringLiteral("2400/0/240/2640")});

        // A line that is not stored leaves the day row as it is; bAdd adds the members.
        b.SCODE(QStringLiteral("000099"));
        b.UpdateTradeBook(false);
        b.lTradeKum(5);
        b.lVatKum(0);
        b.lSumKum(5);
        b.UpdateTradeBook(true);
        QCOMPARE(t.dayRows(QStringLiteral("000002"), QStringLiteral("2009-04-10"), QStringLiteral("SaleBook")),
                 QStringList{QStringLiteral("2405/0/240/2645")});
        QVERIFY(t.messages().isEmpty());

        // No day row for that date: the message, and nothing is created.
        b.sDealDate(QStringLiteral("2009-04-11"));
        b.UpdateTradeBook(true);
        QCOMPARE(t.messages(), QStringList{QStringLiteral("매출원장 데이터를 갱신하는 중 오류가 발생했습니다.")});
        QCOMPARE(t.count(QStringLiteral("SaleBook")), 1);

        // The line cannot be read (no trade handle): the day row is not rewritten from zeros.
        t.clear();
        clsTradeBook noLines;
        party(noLines, 1, QStringLiteral("000002"));
        noLines.sDealDate(QStringLiteral("2009-04-10"));
        noLines.SCODE(QStringLiteral("000001"));
        noLines.lSumKum(1);
        noLines.UpdateTradeBook(false);
        QCOMPARE(t.prompter.messages().size(), 1);
        QCOMPARE(t.dayRows(QStringLiteral("000002"), QStringLiteral("2009-04-10"), QStringLiteral("SaleBook")),
                 QStringList{QStringLiteral("2405/0/240/2645")});
    }

    void balancesOfOneParty()
    {
        LedgerDb t;
        clsTradeBook b;
        party(b, 0, QStringLiteral("000001"));
        b.sDealDate(QStringLiteral("2009-03-00"));
        b.lTradeKum(1000);
        b.InitSave_Trader();
        QVERIFY(!b.FindTradeList()); // opening rows only
        post(b, QStringLiteral("2009-03-05"), 450, 20, 45, 500);
        b.sDealDate(QStringLiteral("2009-03-08"));
        b.SCODE(QStringLiteral("000001"));
        b.lInOutKum(300);
        b.sInOutGubun(QStringLiteral("현금"));
        b.SaveInOutKum();
        QVERIFY(b.FindTradeList());
        // Another party and the previous month do not count.
        clsTradeBook other;
        party(other, 0, QStringLiteral("000002"));
        post(other, QStringLiteral("2009-03-06"), 9000, 0, 0, 9000);
        post(b, QStringLiteral("2009-02-27"), 70, 0, 0, 70);

        const auto prev = [&](const char* date, bool bFinal, bool bInitKum) {
            b.sDealDate(QString::fromLatin1(date));
            return b.SumPrevKum(bFinal, bInitKum);
        };
        QCOMPARE(prev("2009-03-10", false, true), 1200);
        QCOMPARE(prev("2009-03-05", false, true), 1000); // the 5th itself is not yet counted
        QCOMPARE(prev("2009-03-01", false, true), 1000);
        QCOMPARE(prev("2009-03-01", true, true), 1000);
        QCOMPARE(prev("2009-03-10", true, true), 1200);
        QCOMPARE(prev("2009-03-10", true, false), 200);

        b.sDealDate(QStringLiteral("2009-03-15"));
        QCOMPARE(b.InitPrevKum(), 1000);
        QCOMPARE(b.RetNonKum(QStringLiteral("2009-03-01"), QStringLiteral("2009-03-31")), 1200);
        QCOMPARE(b.RetNonKum(QStringLiteral("2009-03-20"), QStringLiteral("2009-03-31")), 1000);
        QCOMPARE(b.SumPeriodSum(QStringLiteral("2009-03-10"), QStringLiteral("2009-03-06")), 1500);
        QCOMPARE(b.SumTradeKum(), 500);
        QCOMPARE(b.SumInOutKum(), 300);

        b.SumMonth();
        QCOMPARE(gdSumTradeKum, 450);
        QCOMPARE(gdSumDC, 20);
        QCOMPARE(gdSumVatKum, 45);
        QCOMPARE(gdSumSumKum, 500);

        // The month's supply amount under the column name SumKum.
        RecordsetPtr rs;
        b.PerMonth_Sum(rs);
        QVERIFY(rs);
        QCOMPARE(rs->toInt64(rs->fieldIndex(QStringLiteral("SumKum"))), 450);
        QCOMPARE(rs->toInt64(rs->fieldIndex(QStringLiteral("SumVat"))), 45);

        // Year totals: today in April, with April's opening row 1200 and one April payment.
        platform::setClock([] { return QDateTime(QDate(2009, 4, 20), QTime(9, 0)); });
        b.sDealDate(QStringLiteral("2009-04-00"));
        b.lTradeKum(1200);
        b.InitSave_Trader();
        b.sDealDate(QStringLiteral("2009-04-02"));
        b.SCODE(QStringLiteral("000002"));
        b.lInOutKum(200);
        b.SaveInOutKum();
        b.sDealDate(QStringLiteral("2009-03-15"));
        b.SumYear();
        platform::setClock({});
        QCOMPARE(gdSumTradeKum, 1000); // opening amount of March
        QCOMPARE(gdSumVatKum, 570);    // the year's trades
        QCOMPARE(gdSumDC, 500);        // the year's payments
        QCOMPARE(gdSumSumKum, 1000);   // April: 1200 brought in, 200 paid
        QVERIFY(t.messages().isEmpty());

        // Deleting with no date removes every row of the party, opening rows included.
        b.sDealDate(QString());
        b.DeleteTradeBook();
        QCOMPARE(t.count(QStringLiteral("PurchBook"), QStringLiteral("CCode = '000001'")), 0);
        QCOMPARE(t.count(QStringLiteral("PurchBook")), 1);
        b.Update_Trader_Name();
        QCOMPARE(t.messages(), QStringList{QStringLiteral("거래처명을 변경하는 중 오류가 발생했습니다.")});
    }

    void everyListOpens()
    {
        LedgerDb t;
        clsTradeBook b;
        party(b, 1, QStringLiteral("000001"));
        b.sDealDate(QStringLiteral("2009-03-00"));
        b.lTradeKum(1000);
        b.InitSave_Trader();
        post(b, QStringLiteral("2009-03-05"), 450, 20, 45, 500);
        const QString from = QStringLiteral("2009-01-01"), to = QStringLiteral("2009-12-31");
        RecordsetPtr rs;
        QVERIFY(b.InitAllPrevKum(rs, QStringLiteral("000001")));
        QVERIFY(b.All_Transfer_Kum(rs));
        QVERIFY(!b.InOutList(rs, QString(), from, to));
        QVERIFY(b.Transfer_Ledger(rs, from, to, QString()));
        b.SumaryPeriod(rs, from, to);
        QCOMPARE(rs->recordCount(), 1); // the opening row is no day of its own
        b.PerYear_Sum(rs);
        QCOMPARE(rs->toInt64(0), 450);
        b.PerPeriod_Sum(rs, from, to);
        QCOMPARE(rs->toInt64(1), 45);
        QCOMPARE(b.SumAnalysis(from, to), 500);
        QVERIFY(b.Find_Trader_Init());
        QVERIFY(b.FindTransferKum(QStringLiteral("000001"), QStringLiteral("2009-03-05")));
        QVERIFY(t.messages().isEmpty());
    }

    void twoWorkstationsPostToOneParty()
    {
        LedgerDb t;
        const int n = 100;
        auto work = [n](std::shared_ptr<dao::Database> db) {
            return [n, db] {
                StationBook b(db.get());
                for (int i = 0; i < n; ++i) {
                    // Both stations make the party's first posting of the day at once.
                    party(b, 1, QString::number(i));
                    post(b, QStringLiteral("2009-05-01"), 100, 1, 10, 110);
                    b.lTradeKum(7);
                    b.lDC(0);
                    b.lVatKum(0);
                    b.lSumKum(7);
                    b.UpdateTradeBook(true);
                }
            };
        };
        auto dbA = dao::Database::open(t.path), dbB = dao::Database::open(t.path);
        dbA->setBusyTimeout(30000);
        dbB->setBusyTimeout(30000);
        std::thread a(work(dbA)), c(work(dbB));
        a.join();
        c.join();
        QVERIFY(t.messages().isEmpty());
        // Per party one day row holding the postings of both workstations.
        QCOMPARE(t.count(QStringLiteral("SaleBook")), n);
        for (int i = 0; i < n; i += 9)
            QCOMPARE(t.dayRows(QString::number(i), QStringLiteral("2009-05-01"), QStringLiteral("SaleBook")),
                     QStringList{QStringLiteral("214/2/20/234")});
    }
};

QTEST_MAIN(TestClsTradeBook)
#include "tst_clsTradeBook.moc"
