// Trade lines: VAT, codes, quantities, day totals and the invoice base.
#include "RecordTestUtil.h"

#include "records/clsTrade.h"
#include "records/modRecords.h"

#include <functional>

using recordtest::TradeDb;

namespace {

// Saves line code of party and product on date, with VAT vat on top of the amount trade.
void addLine(clsTrade& tr, const char* code, const char* party, const char* product, const char* date,
             double quantity, double unitCost, qint64 trade, qint64 vat)
{
    tr.SCODE(QString::fromLatin1(code));
    tr.sCCode(QString::fromLatin1(party));
    tr.sPCode(QString::fromLatin1(product));
    tr.sPName(QStringLiteral("상품") + QString::fromLatin1(product));
    tr.sDealDate(QString::fromLatin1(date));
    tr.siQuantity(quantity);
    tr.siUnitCost(unitCost);
    tr.lTradeKum(trade);
    tr.lVatKum(vat);
    tr.lDC(0);
    tr.lSumKum(trade + vat);
    tr.SaveInitTrade();
}

} // namespace

class TestClsTrade : public QObject {
    Q_OBJECT

private slots:
    void vatOfALine_data()
    {
        QTest::addColumn<qint64>("amount");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("tax");
        QTest::addColumn<qint64>("vat");
        QTest::newRow("contained 11000") << qint64(11000) << 1 << 1 << qint64(1000);
        QTest::newRow("on top 11000") << qint64(11000) << 2 << 1 << qint64(1100);
        QTest::newRow("contained 1000") << qint64(1000) << 1 << 1 << qint64(91);
        QTest::newRow("on top 1000") << qint64(1000) << 2 << 1 << qint64(100);
        QTest::newRow("half to even 10") << qint64(105) << 2 << 1 << qint64(10);
        QTest::newRow("half to even 12") << qint64(115) << 2 << 1 << qint64(12);
        QTest::newRow("half to even 1234") << qint64(12345) << 2 << 1 << qint64(1234);
        QTest::newRow("returned line") << qint64(-1100) << 1 << 1 << qint64(-100);
        QTest::newRow("not taxed") << qint64(11000) << 1 << 0 << qint64(0);
        QTest::newRow("kind 0") << qint64(11000) << 0 << 1 << qint64(0);
        QTest::newRow("kind 3") << qint64(11000) << 3 << 1 << qint64(0);
        QTest::newRow("beyond 32 bits") << qint64(50000000000) << 2 << 1 << qint64(5000000000);
    }
    void vatOfALine()
    {
        QFETCH(qint64, amount);
        QFETCH(int, kind);
        QFETCH(int, tax);
        clsTrade tr;
        tr.lTradeKum(amount);
        QTEST(tr.VATKum(kind, tax), "vat");
    }

    void linesOfBothKinds()
    {
        TradeDb t;
        clsTrade tr;
        tr.SetDatabase(t.db);
        tr.byGubun(1);
        QCOMPARE(tr.NextCode(), QStringLiteral("000001"));
        addLine(tr, "000123", "C1", "P1", "2009-03-01", 2, 500, 1000, 100);
        QCOMPARE(tr.NextCode(), QStringLiteral("000124"));
        tr.byGubun(0);
        QCOMPARE(tr.NextCode(), QStringLiteral("000001")); // purchases are numbered on their own
        QCOMPARE(t.count(QStringLiteral("Purchase")), 0);
        tr.byGubun(2); // another kind has no table: nothing is read or written
        QCOMPARE(tr.NextCode(), QString());
        tr.SaveInitTrade();
        tr.DeleteTrade();
        tr.DeleteTrade_ALL_Per_Trader();
        QCOMPARE(t.count(QStringLiteral("Purchase")) + t.count(QStringLiteral("Sale")), 1);
        QVERIFY(t.messages().isEmpty());

        // An update of a missing line names the kind and changes nothing.
        tr.byGubun(1);
        tr.SCODE(QStringLiteral("000999"));
        tr.lVatKum(1);
        tr.UpdatePrice();
        QCOMPARE(t.messages(), QStringList{QStringLiteral("매출 내역 데이터를 갱신하는 중 오류가 발생했습니다.")});
        QCOMPARE(t.value(QStringLiteral("SELECT VatKum FROM Sale")).toLongLong(), 100);
    }

    void quantitiesAndDayTotals()
    {
        TradeDb t;
        clsTrade tr;
        tr.SetDatabase(t.db);
        addLine(tr, "000001", "C1", "P1", "2009-03-01", 2, 500, 1000, 100);
        addLine(tr, "000002", "C1", "P1", "2009-03-02", 3.5, 500, 1750, 175);
        addLine(tr, "000003", "C2", "P1", "2009-03-03", -1, 500, -500, -50);
        addLine(tr, "000004", "C2", "P2", "2009-03-02", 7, 10, 70, 7);
        tr.sPCode(QStringLiteral("P1"));
        QCOMPARE(tr.SumQuantity(), 4.5);
        QCOMPARE(tr.SumQuantity(QStringLiteral("2009-03-02")), 3.5);
        QCOMPARE(tr.SumQuantity(QStringLiteral("2009-03-02"), QStringLiteral("2009-03-03")), 2.5);
        QCOMPARE(tr.SumPerStock(), 4.5);
        QCOMPARE(tr.TotalQuantity(QStringLiteral("2009-03-02"), QString()), 10.5);
        QCOMPARE(tr.TotalQuantity(QStringLiteral("2009-03-01"), QStringLiteral("2009-03-31"), QStringLiteral("C2")), 6.0);

        tr.sDealDate(QStringLiteral("2009-03-02"));
        tr.sCCode(QString());
        tr.SumDaliy();
        QCOMPARE(gdSumTradeKum, 1820);
        QCOMPARE(gdSumVatKum, 182);
        QCOMPARE(gdSumSumKum, 2002);
        tr.sDealDate(QStringLiteral("2009-03-09")); // no lines: all four are 0
        tr.SumDaliy();
        QCOMPARE(gdSumTradeKum + gdSumVatKum + gdSumDC + gdSumSumKum, 0);

        QVERIFY(t.messages().isEmpty());
    }

    // Sums past the 64-bit range: refused with the error 6 "Overflow" that reaches the caller
    // (no box, the shared totals as they were); the per-party sum, which ignores the engine's
    // errors, has no rows and shows nothing.
    void sumsPastTheRangeAreRefused()
    {
        TradeDb t;
        clsTrade tr;
        tr.SetDatabase(t.db);
        addLine(tr, "000001", "C1", "P1", "2009-03-02", 1, 0, 9223372036854775000, 807);
        addLine(tr, "000002", "C1", "P1", "2009-03-02", 1, 0, 1, 0);
        const auto outcome = [](const std::function<void()>& member) {
            try {
                member();
                return QString();
            } catch (const dao::DaoError& e) {
                return QStringLiteral("%1 %2").arg(e.number()).arg(e.description());
            }
        };
        tr.sDealDate(QStringLiteral("2009-03-02"));
        gdSumTradeKum = gdSumVatKum = gdSumDC = gdSumSumKum = 7;
        QCOMPARE(outcome([&] { tr.SumDaliy(); }), QStringLiteral("6 Overflow"));
        QCOMPARE(QList<qint64>({gdSumTradeKum, gdSumVatKum, gdSumDC, gdSumSumKum}), QList<qint64>({7, 7, 7, 7}));
        QCOMPARE(outcome([&] { tr.SumKumPerProduct(QStringLiteral("P1")); }), QStringLiteral("6 Overflow"));
        RecordsetPtr rs;
        bool found = true;
        QCOMPARE(outcome([&] { found = tr.TradeSumKum(rs); }), QString());
        QVERIFY(!found);
        QVERIFY(t.messages().isEmpty());
    }

    void periodSumsAndTheInvoiceBase()
    {
        TradeDb t;
        t.sql(QStringLiteral("INSERT INTO Trader (Code, C_Name, bDeled) VALUES ('C1', '하나', 0), ('C2', '둘', 1)"));
        clsTrade tr;
        tr.SetDatabase(t.db);
        tr.byGubun(1);
        addLine(tr, "000001", "C1", "P1", "2009-03-01", 1, 500, 500, 50);
        addLine(tr, "000002", "C1", "P1", "2009-03-20", 1, 600, 600, 60);
        addLine(tr, "000003", "C1", "P1", "2009-03-21", 1, 0, 0, 0);
        addLine(tr, "000004", "C2", "P1", "2009-03-21", 1, 700, 700, 70);
        addLine(tr, "000005", "C1", "P2", "2009-04-02", 2, 100, 200, 20);

        // Per product and unit price: a product sold at two prices gives two rows.
        RecordsetPtr rs;
        QVERIFY(tr.TradeList(rs, QString(), QString(), QStringLiteral("2009-03-01"), QStringLiteral("2009-03-31"), 0, true));
        QCOMPARE(recordtest::column(*rs, QStringLiteral("UnitCost")),
                 (QStringList{QStringLiteral("0"), QStringLiteral("500"), QStringLiteral("600"), QStringLiteral("700")}));

        // Monthly invoice base: no line of price 0, no party marked deleted.
        QVERIFY(tr.Gather_Tax(rs, QStringLiteral("2009-03-01"), QStringLiteral("2009-04-30"), 0));
        QCOMPARE(recordtest::column(*rs, QStringLiteral("SDealDate")),
                 (QStringList{QStringLiteral("2009-03"), QStringLiteral("2009-04")}));
        rs->moveFirst();
        QCOMPARE(rs->toInt64(rs->fieldIndex(QStringLiteral("SumKum"))), 1100);
        QCOMPARE(rs->toInt64(rs->fieldIndex(QStringLiteral("CSPCode"))), 2);
        QVERIFY(tr.Gather_Tax(rs, QStringLiteral("2009-03-01"), QStringLiteral("2009-04-30"), 1));
        QCOMPARE(rs->recordCount(), 3);

        // Trades and deposits per person in charge, one recordset ordered by month.
        t.sql(QStringLiteral("INSERT INTO Deposit (Code, CCode, DealDate, TradeKum, Charge) VALUES "
                             "('000001', 'C1', '2009-03-25', 400, '')"));
        tr.SumPerCharge(rs, QStringLiteral("C1"), QString(), QStringLiteral("2009-03-01"), QStringLiteral("2009-04-30"));
        QCOMPARE(recordtest::column(*rs, QStringLiteral("DDate")).join(QLatin1Char(',')), QStringLiteral("03,03,04"));
        QStringList rows; // rows of one month may come in any order
        for (rs->moveFirst(); !rs->eof(); rs->moveNext())
            rows << rs->text(QStringLiteral("DDate")) + QLatin1Char('/') + rs->text(QStringLiteral("Gubun")) + QLatin1Char('/')
                    + rs->text(QStringLiteral("SSumKum"));
        rows.sort();
        QCOMPARE(rows.join(QLatin1Char(',')), QStringLiteral("03/1/1210,03/2/400,04/1/220"));

        // The other lists open on the same lines.
        t.sql(QStringLiteral("INSERT INTO Product (Code, BuyPrice) VALUES ('P1', 300), ('P2', 50)"));
        tr.sCCode(QString());
        QVERIFY(tr.TradeSumKum(rs));
        QVERIFY(tr.SumResult(rs, QString()));
        QVERIFY(tr.ReTrade(rs, QString(), QStringLiteral("2009-01-01"), QStringLiteral("2009-12-31")) == false);
        tr.SumPerTrader(rs);
        QCOMPARE(rs->recordCount(), 5);
        tr.SumAnalysis(rs, QStringLiteral("C1"), QString(), QStringLiteral("2009-03-01"), QStringLiteral("2009-03-31"));
        QCOMPARE(rs->toInt64(rs->fieldIndex(QStringLiteral("SumPurch"))), 900); // 3 sold at 300 bought
        QCOMPARE(tr.SumKumPerProduct(QStringLiteral("P2")), 220);
        QVERIFY(t.messages().isEmpty());
    }
};

QTEST_MAIN(TestClsTrade)
#include "tst_clsTrade.moc"
