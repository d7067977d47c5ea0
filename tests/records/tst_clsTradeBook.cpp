// Party ledgers: day rows, payment rows, opening rows and the balances read from them.
#include "RecordTestUtil.h"

#include "records/clsMoney.h"
#include "records/clsPrintTax.h"
#include "records/clsTrade.h"
#include "records/clsTradeBook.h"
#include "records/clsTrader.h"
#include "records/modRecords.h"

#include <functional>
#include <limits>

using recordtest::TradeDb;

namespace {

QString str(const char* text) { return QString::fromUtf8(text); }

// The trade database as the ledger handle, for the life of one test.
struct LedgerDb : TradeDb {
    LedgerDb() { share(dbTradeBook); }

    // The four amounts of the party's day rows of date, "TradeKum/DC/VatKum/SumKum", one
    // such text per row joined by ",".
    QString dayRows(const char* ccode, const char* date, const char* table = "PurchBook")
    {
        return value(QStringLiteral("SELECT group_concat(TradeKum || '/' || DC || '/' || VatKum || '/' || SumKum) "
                                    "FROM %1 WHERE CCode = ? AND DealDate = ? AND Code IS NULL").arg(str(table)),
                     {str(ccode), str(date)}).toString();
    }
};

void party(clsTradeBook& b, int kind, const char* code)
{
    b.byGubun(kind);
    b.sCCode(str(code));
    b.sCName(QStringLiteral("거래처") + str(code));
}

void amounts(clsTradeBook& b, qint64 trade, qint64 dc, qint64 vat, qint64 sum)
{
    b.lTradeKum(trade);
    b.lDC(dc);
    b.lVatKum(vat);
    b.lSumKum(sum);
}

void post(clsTradeBook& b, const char* date, qint64 trade, qint64 dc, qint64 vat, qint64 sum)
{
    b.sDealDate(str(date));
    amounts(b, trade, dc, vat, sum);
    b.SaveTradeBook();
}

void pay(clsTradeBook& b, const char* date, const char* code, qint64 amount)
{
    b.sDealDate(str(date));
    b.SCODE(str(code));
    b.lInOutKum(amount);
    b.sInOutGubun(QStringLiteral("현금"));
    b.SaveInOutKum();
}

void opening(clsTradeBook& b, const char* month00, qint64 balance)
{
    b.sDealDate(str(month00));
    b.lTradeKum(balance);
    b.InitSave_Trader();
}

constexpr qint64 kMax = std::numeric_limits<qint64>::max();
constexpr qint64 kMin = std::numeric_limits<qint64>::min();

// What a member gives: its figure, or the number and text of the error that reached the caller.
QString outcome(const std::function<qint64()>& member)
{
    try {
        return QString::number(member());
    } catch (const dao::DaoError& e) {
        return QStringLiteral("%1 %2").arg(e.number()).arg(e.description());
    }
}
const QString kOverflow = QStringLiteral("6 Overflow");
const QString kNoNumber = QStringLiteral("13 Type mismatch");

} // namespace

class TestClsTradeBook : public QObject {
    Q_OBJECT

private slots:
    void dayRowsSumTheTradesOfADay()
    {
        LedgerDb t;
        clsTradeBook b;
        party(b, 0, "000001");
        post(b, "2009-03-05", 1000, 50, 100, 1050);
        QCOMPARE(t.dayRows("000001", "2009-03-05"), QStringLiteral("1000/50/100/1050"));

        // A payment the same day has its own row and does not take the next trade.
        pay(b, "2009-03-05", "000007", 300);
        post(b, "2009-03-05", 2000, 0, 200, 2200);
        post(b, "2009-03-05", -500, 0, -50, -550); // a returned line
        QCOMPARE(t.dayRows("000001", "2009-03-05"), QStringLiteral("2500/50/250/2700"));
        QCOMPARE(t.value(QStringLiteral("SELECT InOutKum || '/' || SumKum FROM PurchBook WHERE Code = '000007'")).toString(),
                 QStringLiteral("300/0"));
        QCOMPARE(t.count(QStringLiteral("SaleBook")), 0);

        // The sales ledger is its own; another kind writes nowhere.
        party(b, 1, "000001");
        post(b, "2009-03-05", 10, 0, 1, 11);
        QCOMPARE(t.dayRows("000001", "2009-03-05", "SaleBook"), QStringLiteral("10/0/1/11"));
        party(b, 2, "000001");
        post(b, "2009-03-05", 10, 0, 1, 11);
        b.DeleteTradeBook();
        QCOMPARE(t.count(QStringLiteral("PurchBook")) + t.count(QStringLiteral("SaleBook")), 3);
        QVERIFY(t.messages().isEmpty());

        // Without a ledger handle the open's message is shown and nothing is written.
        party(b, 1, "000001");
        dbTradeBook.reset();
        post(b, "2009-03-06", 10, 0, 1, 11);
        QCOMPARE(t.prompter.messages().size(), 1);
        QCOMPARE(t.count(QStringLiteral("SaleBook")), 1);
    }

    void correctingALineReplacesItsShare()
    {
        LedgerDb t;
        t.sql(QStringLiteral("INSERT INTO Sale (Code, CCode, DealDate, TradeKum, DC, VatKum, SumKum) "
                             "VALUES ('000001', '000002', '2009-04-10', 1000, 0, 100, 1100)"));

        clsTradeBook b;
        b.SetDatabase(t.db);
        party(b, 1, "000002");
        post(b, "2009-04-10", 1000, 0, 100, 1100); // the line above
        post(b, "2009-04-10", 400, 0, 40, 440);    // another line of the day

        // Line 000001 becomes 2000 / 200 / 2200, before the line itself is rewritten.
        b.SCODE(QStringLiteral("000001"));
        amounts(b, 2000, 0, 200, 2200);
        b.UpdateTradeBook(false);
        QCOMPARE(t.dayRows("000002", "2009-04-10", "SaleBook"), QStringLiteral("2400/0/240/2640"));

        // A line that is not stored leaves the day row as it is; bAdd adds the members.
        b.SCODE(QStringLiteral("000099"));
        b.UpdateTradeBook(false);
        amounts(b, 5, 0, 0, 5);
        b.UpdateTradeBook(true);
        QCOMPARE(t.dayRows("000002", "2009-04-10", "SaleBook"), QStringLiteral("2405/0/240/2645"));
        QVERIFY(t.messages().isEmpty());

        // No day row for that date: the message, and nothing is created.
        b.sDealDate(QStringLiteral("2009-04-11"));
        b.UpdateTradeBook(true);
        QCOMPARE(t.messages(), QStringList{QStringLiteral("매출원장 데이터를 갱신하는 중 오류가 발생했습니다.")});
        QCOMPARE(t.count(QStringLiteral("SaleBook")), 1);

        // The line cannot be read (no trade handle): the day row is not rewritten from zeros.
        t.clear();
        clsTradeBook noLines;
        party(noLines, 1, "000002");
        noLines.sDealDate(QStringLiteral("2009-04-10"));
        noLines.SCODE(QStringLiteral("000001"));
        noLines.lSumKum(1);
        noLines.UpdateTradeBook(false);
        QCOMPARE(t.prompter.messages().size(), 1);
        QCOMPARE(t.dayRows("000002", "2009-04-10", "SaleBook"), QStringLiteral("2405/0/240/2645"));
    }

    void balancesOfOneParty()
    {
        LedgerDb t;
        clsTradeBook b;
        party(b, 0, "000001");
        opening(b, "2009-03-00", 1000);
        QVERIFY(!b.FindTradeList()); // opening rows only
        post(b, "2009-03-05", 450, 20, 45, 500);
        pay(b, "2009-03-08", "000001", 300);
        QVERIFY(b.FindTradeList());
        // Another party and the previous month do not count.
        clsTradeBook other;
        party(other, 0, "000002");
        post(other, "2009-03-06", 9000, 0, 0, 9000);
        post(b, "2009-02-27", 70, 0, 0, 70);

        const auto prev = [&](const char* date, bool bFinal, bool bInitKum) {
            b.sDealDate(str(date));
            return b.SumPrevKum(bFinal, bInitKum);
        };
        QCOMPARE(prev("2009-03-10", false, true), 1200);
        QCOMPARE(prev("2009-03-05", false, true), 1000); // the 5th itself is not yet counted
        QCOMPARE(prev("2009-03-01", false, true), 1000);
        // to the end of the month whichever day of it is given
        QCOMPARE(prev("2009-03-01", true, true), 1200);
        QCOMPARE(prev("2009-03-01", true, false), 200);
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
        opening(b, "2009-04-00", 1200);
        pay(b, "2009-04-02", "000002", 200);
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

    // Postings at the edge of the 64-bit range: up to it every amount is exact; one that would
    // carry a day-row amount past it is refused with the error 6 "Overflow" and changes nothing,
    // in any of the four columns and also when only the way there leaves the range.
    void postingsAtTheEdgeOfTheRange()
    {
        LedgerDb t;
        t.sql(QStringLiteral("INSERT INTO Purchase (Code, CCode, DealDate, TradeKum, DC, VatKum, SumKum) "
                             "VALUES ('000001', '000001', '2009-03-05', -10, 0, 0, -10)"));
        clsTradeBook b;
        b.SetDatabase(t.db);
        party(b, 0, "000001");
        post(b, "2009-03-05", kMax - 10, 0, kMin + 5, 9223372036854775797);
        post(b, "2009-03-05", 10, 0, -5, 10);
        const QString edge = QStringLiteral("%1/0/%2/%1").arg(kMax).arg(kMin);
        QCOMPARE(t.dayRows("000001", "2009-03-05"), edge);

        const qint64 beyond[][4] = {{1, 0, 0, 0}, {0, kMax, 0, 1}, {0, 0, -1, 0}, {0, 0, 0, 100}};
        for (const auto& a : beyond) {
            b.sDealDate(QStringLiteral("2009-03-05"));
            amounts(b, a[0], a[1], a[2], a[3]);
            QCOMPARE(outcome([&] { b.SaveTradeBook(); return 0; }), kOverflow);
            QCOMPARE(outcome([&] { b.UpdateTradeBook(true); return 0; }), kOverflow);
            QCOMPARE(t.dayRows("000001", "2009-03-05"), edge);
        }
        // Line 000001 (-10) becomes -20: the day row goes past the top on the way, not at the end.
        b.SCODE(QStringLiteral("000001"));
        amounts(b, -20, 0, 0, -20);
        QCOMPARE(outcome([&] { b.UpdateTradeBook(false); return 0; }), QStringLiteral("0"));
        QCOMPARE(t.dayRows("000001", "2009-03-05"), QStringLiteral("%1/0/%2/%1").arg(kMax - 10).arg(kMin));
        amounts(b, 1, 0, 0, 1);
        QCOMPARE(outcome([&] { b.UpdateTradeBook(false); return 0; }), kOverflow);
        QCOMPARE(t.dayRows("000001", "2009-03-05"), QStringLiteral("%1/0/%2/%1").arg(kMax - 10).arg(kMin));
        QVERIFY(t.messages().isEmpty());

        // An amount already past the range (written as a floating-point number by an earlier
        // version) is no amount to add to, and no balance to read.
        t.sql(QStringLiteral("UPDATE PurchBook SET SumKum = 9223372036854775807.0 + 100"));
        amounts(b, 0, 0, 0, -100);
        QCOMPARE(outcome([&] { b.SaveTradeBook(); return 0; }), kOverflow);
        b.sDealDate(QStringLiteral("2009-03-10"));
        QCOMPARE(outcome([&] { return b.SumPrevKum(false, true); }), kOverflow);
        QVERIFY(t.messages().isEmpty());
    }

    // Balances at the edge: exact up to it, refused past it with the error 6 "Overflow"
    // (never a wrapped figure), also when the opening amount and the trades only pass the
    // edge on the way, whichever order the rows come in. Each member is refused for its own
    // figure only: the month's payments are given although its trades are past the range.
    // A refused SumYear leaves the shared totals as they were.
    void balancesAtTheEdgeOfTheRange_data()
    {
        using L = QList<qint64>;
        QTest::addColumn<qint64>("openingAmount");
        QTest::addColumn<L>("trades");   // one day row each, from the 5th on
        QTest::addColumn<L>("payments"); // one payment row each, from the 8th on
        QTest::addColumn<QString>("balance");
        QTest::newRow("up to the top") << kMax - 500 << L{500} << L{0} << QString::number(kMax);
        QTest::newRow("past the top") << kMax - 20 << L{100} << L{0} << kOverflow;
        QTest::newRow("past the top on the way") << kMax << L{100} << L{100} << QString::number(kMax);
        QTest::newRow("down to the bottom") << kMin + 300 << L{0} << L{300} << QString::number(kMin);
        QTest::newRow("past the bottom") << kMin << L{0} << L{1} << kOverflow;
        QTest::newRow("a payment of the lowest amount") << qint64(0) << L{0} << L{kMin} << kOverflow;
        QTest::newRow("below the bottom on the way") << kMin << L{-1} << L{-1} << QString::number(kMin);
        QTest::newRow("the trades past the top, the balance inside") << kMin << L{kMax, 1, 7} << L{100} << QStringLiteral("-93");
        QTest::newRow("trades back inside in another order") << qint64(0) << L{1, kMax, -2} << L{0} << QString::number(kMax - 1);
        QTest::newRow("the opening brings it back") << kMin << L{kMax, kMax} << L{0} << QString::number(kMax - 1);
        QTest::newRow("payments past the range") << qint64(5) << L{5} << L{kMax, kMax} << kOverflow;
        QTest::newRow("both past the range, the balance inside") << qint64(10) << L{kMax, kMax} << L{kMax, kMax} << QStringLiteral("10");
    }
    void balancesAtTheEdgeOfTheRange()
    {
        QFETCH(qint64, openingAmount);
        QFETCH(QList<qint64>, trades);
        QFETCH(QList<qint64>, payments);
        QFETCH(QString, balance);
        LedgerDb t;
        clsTradeBook b;
        party(b, 1, "000003");
        opening(b, "2009-03-00", openingAmount);
        __int128 tradeSum = 0, paymentSum = 0;
        for (int i = 0; i < trades.size(); ++i) {
            post(b, QStringLiteral("2009-03-%1").arg(5 + i, 2, 10, QLatin1Char('0')).toLatin1().constData(),
                 trades[i], 0, 0, trades[i]);
            tradeSum += trades[i];
        }
        for (int i = 0; i < payments.size(); ++i) {
            pay(b, QStringLiteral("2009-03-%1").arg(8 + i, 2, 10, QLatin1Char('0')).toLatin1().constData(),
                QString::number(i + 1).toLatin1().constData(), payments[i]);
            paymentSum += payments[i];
        }
        QVERIFY(t.messages().isEmpty());
        const auto figure = [](__int128 v) {
            return v < kMin || v > kMax ? kOverflow : QString::number(qint64(v));
        };

        b.sDealDate(QStringLiteral("2009-03-10"));
        QCOMPARE(outcome([&] { return b.SumPrevKum(true, true); }), balance);
        QCOMPARE(outcome([&] { return b.SumPrevKum(false, true); }), balance);
        QCOMPARE(outcome([&] { return b.SumPeriodSum(QStringLiteral("2009-03-01"), QStringLiteral("2009-03-31")); }), balance);
        QCOMPARE(outcome([&] { return b.RetNonKum(QStringLiteral("2009-03-01"), QStringLiteral("2009-03-31")); }), balance);
        QCOMPARE(outcome([&] { return b.SumTradeKum(); }), figure(tradeSum));
        QCOMPARE(outcome([&] { return b.SumInOutKum(); }), figure(paymentSum));
        RecordsetPtr rs;
        QCOMPARE(outcome([&] {
                     b.Transfer_Ledger(rs, QStringLiteral("2009-03-01"), QStringLiteral("2009-03-31"), QString());
                     return rs->toInt64(rs->fieldIndex(QStringLiteral("SSum")));
                 }),
                 figure(tradeSum) == kOverflow || figure(paymentSum) == kOverflow ? kOverflow : figure(tradeSum));

        platform::setClock([] { return QDateTime(QDate(2009, 3, 20), QTime(9, 0)); });
        gdSumTradeKum = gdSumVatKum = gdSumDC = gdSumSumKum = 7;
        const QString year = outcome([&] { b.SumYear(); return gdSumSumKum; });
        platform::setClock({});
        // the year's trades and payments are totals of their own
        QCOMPARE(year, figure(tradeSum) == kOverflow || figure(paymentSum) == kOverflow ? kOverflow : balance);
        if (year == kOverflow)
            QCOMPARE(QList<qint64>({gdSumTradeKum, gdSumVatKum, gdSumDC, gdSumSumKum}), QList<qint64>({7, 7, 7, 7}));
        QVERIFY(t.messages().isEmpty());
    }

    // A sum the engine makes past the range is refused with the same error, with no box and
    // without the statement's text.
    void sumsPastTheRangeAreRefused()
    {
        LedgerDb t;
        clsTradeBook b;
        party(b, 0, "000004");
        post(b, "2009-03-05", 0, 0, 0, kMax);
        post(b, "2009-03-06", 0, 0, 0, 1);
        b.sDealDate(QStringLiteral("2009-03-10"));
        QCOMPARE(outcome([&] { return b.SumPrevKum(false, false); }), kOverflow);
        QCOMPARE(outcome([&] { return b.SumTradeKum(); }), kOverflow);
        QCOMPARE(outcome([&] { return b.SumAnalysis(QStringLiteral("2009-03-01"), QStringLiteral("2009-03-31")); }), kOverflow);
        gdSumSumKum = 7;
        QCOMPARE(outcome([&] { b.SumMonth(); return gdSumSumKum; }), kOverflow);
        QCOMPARE(gdSumSumKum, 7);
        QVERIFY(t.messages().isEmpty());
    }

    // Amounts written by another program: every member reads a stored amount by one rule.
    // Null and '' are no amount; a fraction is rounded a half away from zero; a text that is
    // no number and a value past the range are refused (error 13 or 6) by every member that
    // reads them, never read as 0 or as leading digits, never written over, and never the
    // cause of a sum that loses digits. The values go into every amount column of rows of
    // the ledger, the trade lines, the deposits and the invoice lines; total is what the
    // sums of each member give, last what the last value reads as on its own.
    void storedAmountsReadOneWay_data()
    {
        QTest::addColumn<QStringList>("stored");
        QTest::addColumn<QString>("total");
        QTest::addColumn<QString>("last");
        const auto row = [](const char* name, const QStringList& stored, const QString& total, const QString& last) {
            QTest::newRow(name) << stored << total << last;
        };
        row("an empty text beside a large amount", {"9223372036854775000", "''"}, "9223372036854775000", "0");
        row("null", {"1000", "NULL"}, "1000", "0");
        row("a half away from zero", {"1000", "2.5"}, "1003", "3");
        row("a negative half away from zero", {"1000", "-2.5"}, "997", "-3");
        row("leading digits", {"1000", "'12abc'"}, kNoNumber, kNoNumber);
        row("a thousands separator", {"1000", "'1,000'"}, kNoNumber, kNoNumber);
        row("separators", {"1000", "'1,500,000'"}, kNoNumber, kNoNumber);
        row("a currency sign", {"1000", "'₩1500'"}, kNoNumber, kNoNumber);
        row("a word", {"1000", "'abc'"}, kNoNumber, kNoNumber);
        row("a REAL past the top", {"1000", "1e19"}, kOverflow, kOverflow);
        row("the top as a REAL is 2^63", {"1000", "9223372036854775807.0"}, kOverflow, kOverflow);
        row("a REAL inside the range", {"1000", "9.22e18"}, "9220000000000001000", "9220000000000000000");
        row("line sums past the top on the way", {"9223372036854775807", "1", "-2"}, "9223372036854775806", "-2");
        row("no number whatever the range", {"9223372036854775807", "1", "'x'"}, kNoNumber, kNoNumber);
    }
    void storedAmountsReadOneWay()
    {
        QFETCH(QStringList, stored);
        QFETCH(QString, total);
        QFETCH(QString, last);
        LedgerDb t;
        t.share(dbTax);
        t.sql(QStringLiteral("INSERT INTO Trader (Code, C_Name, bDeled, TotNoPay) VALUES ('000001', 'A', 0, %1)").arg(stored.last()));
        t.sql(QStringLiteral("INSERT INTO Product (Code, BuyPrice) VALUES ('P1', 1)"));
        for (int i = 0; i < stored.size(); ++i) {
            const QString v = stored[i], day = QStringLiteral("2009-03-%1").arg(5 + i, 2, 10, QLatin1Char('0'));
            t.sql(QStringLiteral("INSERT INTO PurchBook (CCode, CName, DealDate, TradeKum, DC, VatKum, SumKum) "
                                 "VALUES ('000001', 'A', '%1', %2, %2, %2, %2)").arg(day, v));
            t.sql(QStringLiteral("INSERT INTO Sale (Code, CCode, PCode, DealDate, Quantity, UnitCost, DC, VatKum, "
                                 "TradeKum, SumKum, Charge) VALUES ('%1', '000001', 'P1', '2009-03-05', 1, 1, %2, %2, "
                                 "%2, %2, 'K')").arg(i).arg(v));
            t.sql(QStringLiteral("INSERT INTO Deposit (Code, CCode, DealDate, TradeKum, Charge) "
                                 "VALUES ('%1', '000001', '2009-03-05', %2, 'K')").arg(i).arg(v));
            t.sql(QStringLiteral("INSERT INTO NewAcount (TaxCode, CName, CCode, DealDate, Tradekum, VatKum, SumKum) "
                                 "VALUES ('T1', 'A', '000001', '2009-03-05', %1, %1, %1)").arg(v));
        }
        const QString from = QStringLiteral("2009-03-01"), to = QStringLiteral("2009-03-31");
        RecordsetPtr rs;
        const auto column = [&rs](const char* name) { return rs->toInt64(rs->fieldIndex(QString::fromLatin1(name))); };
        clsTradeBook b;
        party(b, 0, "000001");
        b.sDealDate(QStringLiteral("2009-03-20"));
        clsTrade tr;
        tr.SetDatabase(t.db);
        tr.byGubun(1);
        tr.sDealDate(QStringLiteral("2009-03-05"));
        clsPrintTax tax;
        const QList<std::pair<const char*, std::function<qint64()>>> sums = {
            {"SumPrevKum", [&] { return b.SumPrevKum(false, false); }},
            {"SumTradeKum", [&] { return b.SumTradeKum(); }},
            {"SumAnalysis", [&] { return b.SumAnalysis(from, to); }},
            {"SumMonth", [&] { b.SumMonth(); return gdSumSumKum; }},
            {"Transfer_Ledger", [&] { b.Transfer_Ledger(rs, from, to, QString()); return column("SSum"); }},
            {"PerPeriod_Sum", [&] { b.PerPeriod_Sum(rs, from, to); return column("SumKum"); }},
            {"SumDaliy", [&] { tr.SumDaliy(); return gdSumSumKum; }},
            {"SumKumPerProduct", [&] { return tr.SumKumPerProduct(QStringLiteral("P1")); }},
            {"TradeList", [&] { tr.TradeList(rs, QString(), QString(), from, to, 0, true); return column("SSum"); }},
            {"SumPerTrader", [&] { tr.SumPerTrader(rs); return column("SSum"); }},
            {"SumResult", [&] { tr.SumResult(rs, QString()); return column("SSum"); }},
            {"clsTrade.SumAnalysis", [&] { tr.SumAnalysis(rs, QString(), QString(), from, to); return column("SumSale"); }},
            {"SumPerCharge", [&] { tr.SumPerCharge(rs, QString(), QString(), from, to); return column("SSumKum"); }},
            {"Gather_Tax", [&] { tr.Gather_Tax(rs, from, to, 1); return column("SumKum"); }},
            {"Display_Data", [&] { tax.Display_Data(rs, 0); return column("SSum"); }},
        };
        for (const auto& [member, sum] : sums)
            QCOMPARE(QString::fromLatin1(member) + QLatin1Char(' ') + outcome(sum),
                     QString::fromLatin1(member) + QLatin1Char(' ') + total);
        QCOMPARE(outcome([&] { return b.SumInOutKum(); }), QStringLiteral("0")); // not its figure
        // The per-party sums ignore the engine's errors: no rows instead of a figure.
        const bool isFigure = !total.contains(QLatin1Char(' '));
        QCOMPARE(tr.TradeSumKum(rs), isFigure);
        if (isFigure)
            QCOMPARE(QString::number(column("SSum")), total);
        clsMoney money;
        money.SetDatabase(t.db);
        money.byGubun(1);
        QCOMPARE(money.InOutSumKum(rs), isFigure);

        // The last value alone: read, and moved by 5 only when it is an amount.
        const QString plus5 = last.contains(QLatin1Char(' ')) ? last : QString::number(last.toLongLong() + 5);
        const QVariant beforeTrader = t.value(QStringLiteral("SELECT quote(TotNoPay) FROM Trader"));
        clsTrader trader;
        trader.SCODE(QStringLiteral("000001"));
        QCOMPARE(outcome([&] { return trader.CurTotNoPay(QStringLiteral("000001")); }), last);
        QCOMPARE(outcome([&] { trader.UpdateNoPay(0, 5); return trader.initNonKum(); }), plus5);
        const QString lastDay = QStringLiteral("2009-03-%1").arg(4 + stored.size(), 2, 10, QLatin1Char('0'));
        const auto dayRow = [&](const char* what) {
            return t.value(QStringLiteral("SELECT %1 FROM PurchBook WHERE DealDate = ?").arg(QString::fromLatin1(what)), {lastDay});
        };
        const QVariant before = dayRow("quote(SumKum)");
        b.sDealDate(lastDay);
        amounts(b, 5, 5, 5, 5);
        QCOMPARE(outcome([&] { b.SaveTradeBook(); return dayRow("SumKum").toLongLong(); }), plus5);
        if (plus5 == last) { // refused: written over nowhere
            QCOMPARE(dayRow("quote(SumKum)"), before);
            QCOMPARE(t.value(QStringLiteral("SELECT quote(TotNoPay) FROM Trader")), beforeTrader);
        }
        QVERIFY(t.messages().isEmpty());
    }

    void everyListOpens()
    {
        LedgerDb t;
        clsTradeBook b;
        party(b, 1, "000001");
        opening(b, "2009-03-00", 1000);
        post(b, "2009-03-05", 450, 20, 45, 500);
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
};

QTEST_MAIN(TestClsTradeBook)
#include "tst_clsTradeBook.moc"
