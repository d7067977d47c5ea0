// Special unit prices: numbered from 0 by the class, found per party and product.
#include "RecordTestUtil.h"

#include "records/clsUnitCost.h"

using recordtest::TradeDb;

class TestClsUnitCost : public QObject {
    Q_OBJECT

private slots:
    void pricesOfAPartyForAProduct()
    {
        TradeDb t;
        clsUnitCost u;
        u.sCCode(QStringLiteral("C1"));
        u.sPCode(QStringLiteral("P1"));
        const double prices[] = {1500, 1234.5, 1500};
        const char* dates[] = {"2009-05-01", "2009-01-01", "2009-03-01"};
        for (int i = 0; i < 3; ++i) {
            u.siAppUnit(prices[i]);
            u.sAppDate(QString::fromLatin1(dates[i]));
            u.SaveUnit();
        }
        QCOMPARE(t.value(QStringLiteral("SELECT group_concat(Code) FROM SpecialUnit")).toString(), QStringLiteral("0,1,2"));
        QCOMPARE(u.lCode(), 0); // saving does not set the code

        RecordsetPtr rs;
        QVERIFY(u.FindPrevCost(rs));
        QCOMPARE(recordtest::column(*rs, QStringLiteral("Code")), (QStringList{QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("0")}));
        QVERIFY(u.FindPrevCost(rs, 1500));
        QCOMPARE(recordtest::column(*rs, QStringLiteral("Code")), (QStringList{QStringLiteral("2"), QStringLiteral("0")}));
        QVERIFY(u.FindPrevCost(rs, 1234.5));
        QCOMPARE(rs->recordCount(), 1);

        // The row is chosen by the argument; party and product stay.
        u.sCCode(QStringLiteral("C9"));
        u.siAppUnit(99);
        u.UpdateUnit(2);
        QCOMPARE(t.value(QStringLiteral("SELECT AppUnit || CCode FROM SpecialUnit WHERE Code = 2")).toString(),
                 QStringLiteral("99.0C1"));
        u.UpdateUnit(7);
        u.lCode(1);
        u.DeleteUnit();
        QCOMPARE(t.floats, QStringList{QStringLiteral("자료를 삭제하였습니다.")});
        u.DeleteUnit();
        QCOMPARE(t.messages(), (QStringList{QStringLiteral("특별단가 데이터를 갱신하는 중 오류가 발생했습니다."),
                                            QStringLiteral("특별단가 데이터를 삭제하는 중 오류가 발생했습니다.")}));
        u.SaveUnit();
        QCOMPARE(t.value(QStringLiteral("SELECT group_concat(Code) FROM SpecialUnit")).toString(), QStringLiteral("0,2,3"));

        // Without a database the code cannot be read: the open's message, and nothing else.
        t.clear();
        gDB.reset();
        u.SaveUnit();
        QCOMPARE(t.prompter.messages().size(), 1);
        QCOMPARE(t.count(QStringLiteral("SpecialUnit")), 3);
    }
};

QTEST_MAIN(TestClsUnitCost)
#include "tst_clsUnitCost.moc"
