// Quotations: numbering by month, lines, deletion.
#include "RecordTestUtil.h"

#include "records/clsEstimate.h"
#include "records/modRecords.h"

using recordtest::TradeDb;

class TestClsEstimate : public QObject {
    Q_OBJECT

    static void head(clsEstimate& e, const QString& code, const QString& date)
    {
        e.SCODE(code);
        e.sEDate(date);
        e.sCCode(QStringLiteral("C1"));
        e.sCName(QStringLiteral("하나"));
        e.dETotKum(4000000000LL);
        e.bVAT(0.5);
        e.SaveInitEstimate();
    }

private slots:
    void codesAreCountedPerMonth()
    {
        TradeDb t;
        t.share(dbEstimate);
        clsEstimate e;
        e.sEDate(QStringLiteral("2009-03-15"));
        QCOMPARE(e.NextCode(), QStringLiteral("200903001"));
        head(e, QStringLiteral("200903007"), QStringLiteral("2009-03-02"));
        head(e, QStringLiteral("200904001"), QStringLiteral("2009-04-02"));
        head(e, QStringLiteral("200803999"), QStringLiteral("2008-03-02"));
        e.sEDate(QStringLiteral("2009-03-20"));
        QCOMPARE(e.NextCode(), QStringLiteral("200903008"));
        e.sEDate(QStringLiteral("2008-03-20"));
        QCOMPARE(e.NextCode(), QStringLiteral("2008031000"));
        // After the thousandth the count goes on instead of repeating a stored code.
        head(e, QStringLiteral("2008031000"), QStringLiteral("2008-03-20"));
        QCOMPARE(e.NextCode(), QStringLiteral("2008031001"));
        QCOMPARE(t.value(QStringLiteral("SELECT Vat || '/' || EstiKum FROM EstiBase WHERE EstiCode = '200903007'")).toString(),
                 QStringLiteral("1/4000000000"));
        QVERIFY(t.messages().isEmpty());
    }

    void linesAndDeletion()
    {
        TradeDb t;
        t.share(dbEstimate);
        clsEstimate e;
        QCOMPARE(e.NextSeq(), 1);
        head(e, QStringLiteral("200903001"), QStringLiteral("2009-03-02"));
        for (qint64 seq : {qint64(1), qint64(41)}) {
            e.lSeq(seq);
            e.sPName(QStringLiteral("It's"));
            e.siEAmount(2.5);
            e.siEUnitCost(100);
            e.lEstiKum(250);
            e.sUnit(QStringLiteral("EA"));
            e.SaveEstimate();
        }
        QCOMPARE(e.NextSeq(), 42);
        QCOMPARE(t.value(QStringLiteral("SELECT PName || '/' || EAmount || '/' || EUnit FROM Estimate WHERE Seq = 41")).toString(),
                 QStringLiteral("It's/2.5/EA"));
        // A code without a head: the head warning, its lines stay.
        t.sql(QStringLiteral("INSERT INTO Estimate (Seq, Code) VALUES (50, '200903009')"));
        e.SCODE(QStringLiteral("200903009"));
        e.DeleteEstimate();
        QCOMPARE(t.messages(), QStringList{QStringLiteral("[48|견적내역 삭제] 견적서 자료를 삭제하는 중 오류가 발생했습니다.")});
        QCOMPARE(t.count(QStringLiteral("Estimate")), 3);

        // Head and lines go together.
        t.clear();
        e.SCODE(QStringLiteral("200903001"));
        e.DeleteEstimate();
        QVERIFY(t.messages().isEmpty());
        QCOMPARE(t.count(QStringLiteral("EstiBase")), 0);
        QCOMPARE(t.count(QStringLiteral("Estimate")), 1);

        // A head without lines: deleted, then the lines warning.
        head(e, QStringLiteral("200903002"), QStringLiteral("2009-03-02"));
        e.DeleteEstimate();
        QCOMPARE(t.count(QStringLiteral("EstiBase")), 0);
        QCOMPARE(t.messages(), QStringList{QStringLiteral("[48|견적내역 삭제] 견적내역을 삭제하는 중 오류가 발생했습니다.")});

    }
};

QTEST_MAIN(TestClsEstimate)
#include "tst_clsEstimate.moc"
