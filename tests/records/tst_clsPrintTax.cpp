// Tax invoices: codes, serials, sums per invoice and the register.
#include "RecordTestUtil.h"

#include "records/clsPrintTax.h"
#include "records/modRecords.h"

#include <limits>

using recordtest::TradeDb;

class TestClsPrintTax : public QObject {
    Q_OBJECT

private slots:
    void serialNumbers()
    {
        TradeDb t;
        t.share(dbTax);
        clsPrintTax p;
        QCOMPARE(p.Create_Serial(QStringLiteral("A001")), QStringLiteral("A001001"));
        for (int i = 1; i <= 5; ++i)
            t.sql(QStringLiteral("INSERT INTO TaxAcount (Serial) VALUES (?)"), {QStringLiteral("A001%1").arg(i, 3, 10, QLatin1Char('0'))});
        t.sql(QStringLiteral("INSERT INTO TaxAcount (Serial) VALUES ('A002999'), ('A_01003')"));
        QCOMPARE(p.Create_Serial(QStringLiteral("A001xyz")), QStringLiteral("A001006"));
        QCOMPARE(p.Create_Serial(QStringLiteral("A_01")), QStringLiteral("A_01004"));
        QCOMPARE(p.Create_Serial(QStringLiteral("A%01")), QStringLiteral("A%01001")); // % is no wildcard
        QCOMPARE(p.Create_Serial(QStringLiteral("A002")), QStringLiteral("A0021000"));
        t.sql(QStringLiteral("INSERT INTO TaxAcount (Serial) VALUES ('A0021000')"));
        QCOMPARE(p.Create_Serial(QStringLiteral("A002")), QStringLiteral("A0021001"));
        // a serial whose number part is no number is passed over
        t.sql(QStringLiteral("INSERT INTO TaxAcount (Serial) VALUES ('A003002'), ('A0037ab'), ('A003xyz')"));
        QCOMPARE(p.Create_Serial(QStringLiteral("A003")), QStringLiteral("A003003"));
        QCOMPARE(clsPrintTax::Next_Serial(QStringLiteral("B123009")), QStringLiteral("B123010"));
        QCOMPARE(clsPrintTax::Next_Serial(QStringLiteral("B1231000")), QStringLiteral("B1231001"));
        QVERIFY(t.messages().isEmpty());
    }

    // The item count keeps the whole-number value of its text; a text that is no number, or
    // a number no whole-number count can hold, counts 0.
    void itemCountFromText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("stored");
        QTest::newRow("plain") << "12" << qint64(12);
        QTest::newRow("blanks and beyond 16 bits") << " 70000 " << qint64(70000);
        QTest::newRow("exponent") << "1e3" << qint64(1000);
        QTest::newRow("no number") << "abc" << qint64(0);
        QTest::newRow("empty") << "" << qint64(0);
        QTest::newRow("far too large") << "1e30" << qint64(0);
        QTest::newRow("far too small") << "-1e30" << qint64(0);
        QTest::newRow("just beyond 64 bits") << "9223372036854775808" << qint64(0);
        QTest::newRow("infinite") << "inf" << qint64(0);
    }

    void itemCountFromText()
    {
        QFETCH(QString, text);
        QFETCH(qint64, stored);
        TradeDb t;
        t.share(dbTax);
        clsPrintTax p;
        p.sTaxCode(QStringLiteral("000001"));
        p.iItem(text);
        p.InitSaveTax();
        QCOMPARE(t.value(QStringLiteral("SELECT Item FROM NewAcount")).toLongLong(), stored);
        QVERIFY(t.messages().isEmpty());
    }

    // The line's total is the supply amount plus the VAT: exact up to the edge of the 64-bit
    // range; past it the line is refused with the error 6 "Overflow" and nothing is stored.
    void lineTotalAtTheEdgeOfTheRange_data()
    {
        QTest::addColumn<qint64>("trade");
        QTest::addColumn<qint64>("vat");
        QTest::addColumn<QString>("stored");
        const qint64 max = std::numeric_limits<qint64>::max(), min = std::numeric_limits<qint64>::min();
        QTest::newRow("up to the top") << max - 1 << qint64(1) << QString::number(max);
        QTest::newRow("past the top") << max - 100 << qint64(101) << QStringLiteral("6 Overflow");
        QTest::newRow("down to the bottom") << min + 10 << qint64(-10) << QString::number(min);
        QTest::newRow("past the bottom") << min << qint64(-1) << QStringLiteral("6 Overflow");
    }
    void lineTotalAtTheEdgeOfTheRange()
    {
        QFETCH(qint64, trade);
        QFETCH(qint64, vat);
        QFETCH(QString, stored);
        TradeDb t;
        t.share(dbTax);
        clsPrintTax p;
        p.sTaxCode(QStringLiteral("000001"));
        p.lTradeKum(trade);
        p.lVatKum(vat);
        QString outcome;
        try {
            p.InitSaveTax();
            outcome = t.value(QStringLiteral("SELECT SumKum FROM NewAcount")).toString();
        } catch (const dao::DaoError& e) {
            outcome = QStringLiteral("%1 %2").arg(e.number()).arg(e.description());
            QCOMPARE(t.count(QStringLiteral("NewAcount")), 0);
        }
        QCOMPARE(outcome, stored);
        QVERIFY(t.messages().isEmpty());
    }

    // Invoice codes count by their number: a code of blanks around digits is that number, a
    // text that is no number (imported by hand) is passed over.
    void nextCodeCountsNumbersOnly()
    {
        TradeDb t;
        t.share(dbTax);
        clsPrintTax p;
        t.sql(QStringLiteral("INSERT INTO NewAcount (TaxCode) VALUES ('000007'), ('90abc'), ('abc'), ('')"));
        QCOMPARE(p.NextCode(), QStringLiteral("000008"));
        t.sql(QStringLiteral("INSERT INTO NewAcount (TaxCode) VALUES (' 41 ')"));
        QCOMPARE(p.NextCode(), QStringLiteral("000042"));
        QVERIFY(t.messages().isEmpty());
    }

    void invoicesAndTheRegister()
    {
        TradeDb t;
        t.share(dbTax);
        clsPrintTax p;
        QCOMPARE(p.NextCode(), QStringLiteral("000001"));
        p.sTaxCode(QStringLiteral("000041"));
        p.sSaleCode(QStringLiteral("C1"));
        p.sSaleName(QStringLiteral("하나"));
        p.sDealDate(QStringLiteral("2009-03-31"));
        p.sIssueDate(QStringLiteral("2009-04-01"));
        const qint64 amounts[] = {1000, 3000000000LL, 500};
        for (int i = 0; i < 3; ++i) {
            p.sPName(QStringLiteral("상품%1").arg(i));
            p.lTradeKum(amounts[i]);
            p.lVatKum(amounts[i] / 10);
            p.iItem(QStringLiteral(" 70000 ")); // no 16-bit wrap
            p.InitSaveTax();
        }
        QCOMPARE(p.NextCode(), QStringLiteral("000042"));

        RecordsetPtr rs;
        QVERIFY(p.Display_Data(rs));
        QCOMPARE(rs->recordCount(), 1);
        QCOMPARE(rs->toInt64(rs->fieldIndex(QStringLiteral("STrade"))), 3000001500LL);
        QCOMPARE(rs->toInt64(rs->fieldIndex(QStringLiteral("SSum"))), 3300001650LL);
        QCOMPARE(rs->toInt64(rs->fieldIndex(QStringLiteral("SItem"))), 210000);
        QCOMPARE(rs->text(QStringLiteral("FPName")), QStringLiteral("상품0"));

        t.sql(QStringLiteral("INSERT INTO TaxAcount (Serial, CCode, DealYY, DealDate, Section) VALUES "
                             "('S001001', 'C1', '2009', '2009-03-31', '0'), ('S001002', 'C1', '2009', '2009-03-31', '1'), "
                             "('S001003', 'C1', '2008', '2009-03-30', '1')"));
        p.sDealYY(QStringLiteral("2009"));
        p.sDealDate(QStringLiteral("2009-03-30"));
        QVERIFY(p.Find_TaxList(rs, 0));
        QCOMPARE(recordtest::column(*rs, QStringLiteral("Serial")), QStringList{QStringLiteral("S001001")});
        QVERIFY(p.Find_TaxList(rs, 1));
        QCOMPARE(recordtest::column(*rs, QStringLiteral("Serial")), QStringList{QStringLiteral("S001003")});
    }
};

QTEST_MAIN(TestClsPrintTax)
#include "tst_clsPrintTax.moc"
