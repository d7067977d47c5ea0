#include "RecordTestUtil.h"

#include "records/clsStock.h"

using recordtest::TradeDb;

class TestClsStock : public QObject {
    Q_OBJECT

    static QString row(TradeDb& t, const QString& code)
    {
        return t.value(QStringLiteral("SELECT BaseCount||'/'||InStock||'/'||OutStock||'/'||CurStock FROM Stock "
                                      "WHERE PCode = ?"),
                       {code})
            .toString();
    }

private slots:
    void movementsFollowTheRules()
    {
        TradeDb t;
        clsStock s;
        s.SetDatabase(t.db);
        s.sPCode(QStringLiteral("000001"));
        s.sPName(QStringLiteral("사과"));
        s.sPNorm(QStringLiteral("10kg"));
        s.sClassCode(QStringLiteral("00001"));
        s.sClassName(QStringLiteral("과일"));
        s.siBaseCount(10);
        s.SaveInitStock();
        QCOMPARE(row(t, QStringLiteral("000001")), QStringLiteral("10.0/0.0/0.0/10.0"));
        QCOMPARE(t.value(QStringLiteral("SELECT Modify FROM Stock")).toInt(), 0);
        QVERIFY(s.FindStock());

        s.siInStock(5);
        s.siOldStock(0);
        s.UpdateInStock();
        QCOMPARE(s.CurInStock(), 5.0);
        QCOMPARE(s.CurStock(), 15.0);
        s.siInStock(3);
        s.siOldStock(5);
        s.UpdateInStock();
        QCOMPARE(row(t, QStringLiteral("000001")), QStringLiteral("10.0/3.0/0.0/13.0"));
        s.siOutStock(4);
        s.siOldStock(0);
        s.UpdateOutStock();
        QCOMPARE(row(t, QStringLiteral("000001")), QStringLiteral("10.0/3.0/4.0/9.0"));
        QCOMPARE(s.CurOutStock(), 4.0);

        s.siBaseCount(20);
        s.UpdateStock();
        QCOMPARE(row(t, QStringLiteral("000001")), QStringLiteral("20.0/3.0/4.0/19.0"));
        QCOMPARE(s.BaseStock(), 20.0);
        s.siBaseCount(12);
        s.UpdateBaseStock();
        QCOMPARE(row(t, QStringLiteral("000001")), QStringLiteral("12.0/3.0/4.0/11.0"));

        // Changing an issue and cancelling a receipt.
        s.siOutStock(1);
        s.siOldStock(4);
        s.UpdateOutStock();
        s.siInStock(0);
        s.siOldStock(3);
        s.UpdateInStock();
        QCOMPARE(row(t, QStringLiteral("000001")), QStringLiteral("12.0/0.0/1.0/11.0"));

        // Fractions.
        s.siInStock(0.5);
        s.siOldStock(0);
        s.UpdateInStock();
        QCOMPARE(s.CurStock(), 11.5);

        t.sql(QStringLiteral("UPDATE Stock SET CurStock = 999"));
        s.UpdateCurStock();
        QCOMPARE(s.CurStock(), 11.5);

        s.bModify(true);
        s.Update_Modify();
        QCOMPARE(t.value(QStringLiteral("SELECT Modify FROM Stock")).toInt(), 1);
        QVERIFY(t.messages().isEmpty());
        QVERIFY(t.floats.isEmpty());
    }

    void missingRowShowsTextsAndChangesNothing()
    {
        TradeDb t;
        clsStock s;
        recordtest::openStock(s, t.db, QStringLiteral("000001"), 10);
        t.clear();

        s.sPCode(QStringLiteral("000002"));
        QVERIFY(!s.FindStock());
        QCOMPARE(s.CurStock(), 0.0);
        s.siInStock(5);
        s.UpdateInStock();
        s.siOutStock(5);
        s.UpdateOutStock();
        s.UpdateStock();
        s.UpdateBaseStock();
        s.UpdateCurStock();
        s.Update_Modify();
        QCOMPARE(t.messages(), (QStringList{QStringLiteral("현재 입고수량을 갱신하는 중 오류가 발생했습니다."),
                                            QStringLiteral("현재 출고수량을 갱신하는 중 오류가 발생했습니다."),
                                            QStringLiteral("재고 데이터를 갱신하는 중 오류가 발생했습니다."),
                                            QStringLiteral("기초재고량을 갱신하는 중 오류가 발생했습니다."),
                                            QStringLiteral("현재고량을 수정하는 중 오류가 발생했습니다."),
                                            QStringLiteral("재고 데이터를 갱신하느 중 오류가 발생했습니다.")}));
        QCOMPARE(t.count(QStringLiteral("Stock")), 1);
        QCOMPARE(row(t, QStringLiteral("000001")), QStringLiteral("10.0/0.0/0.0/10.0"));

        // A second opening row for one product is refused.
        t.clear();
        s.sPCode(QStringLiteral("000001"));
        s.SaveInitStock();
        QCOMPARE(t.count(QStringLiteral("Stock")), 1);
        QCOMPARE(t.messages().size(), 1);
        QVERIFY(t.messages().first().startsWith(QStringLiteral("자료를 저장하는 중 오류가 발생했습니다.\r\n오류번호 : 3022")));
    }

    void deletionsAndOrderProposals()
    {
        TradeDb t;
        t.sql(QStringLiteral("INSERT INTO Product (Code, PName, FairStock, BuyPrice) VALUES "
                             "('000001', '나', 10, 100), ('000002', '가', 0, 200), ('000003', '다', 5, 300)"));
        clsStock s;
        s.SetDatabase(t.db);
        const QStringList codes = {QStringLiteral("000001"), QStringLiteral("000002"), QStringLiteral("000003"),
                                   QStringLiteral("000009")};
        for (const QString& c : codes) {
            s.sPCode(c);
            s.sClassCode(c == QStringLiteral("000003") ? QStringLiteral("00002") : QStringLiteral("00001"));
            s.siBaseCount(6);
            s.SaveInitStock();
        }
        RecordsetPtr rs;
        QVERIFY(s.ProductOrder(rs, 0));
        QCOMPARE(rs->recordCount(), 4);
        rs->moveFirst(); // the row without a product sorts first (Null name)
        QVERIFY(rs->isNull(rs->fieldIndex(QStringLiteral("PPName"))));
        QVERIFY(rs->isNull(rs->fieldIndex(QStringLiteral("OrderStock"))));
        QVERIFY(s.ProductOrder(rs, 1));
        QCOMPARE(recordtest::column(*rs, QStringLiteral("PCode")),
                 (QStringList{QStringLiteral("000001"), QStringLiteral("000003")}));
        QVERIFY(s.ProductOrder(rs, 2));
        QCOMPARE(recordtest::column(*rs, QStringLiteral("PCode")), QStringList{QStringLiteral("000001")});
        rs->moveFirst();
        QCOMPARE(rs->toDouble(rs->fieldIndex(QStringLiteral("OrderStock"))), 4.0);
        QCOMPARE(rs->toDouble(rs->fieldIndex(QStringLiteral("PBuy"))), 100.0);

        s.sPCode(QStringLiteral("000009"));
        s.DeleteStock();
        s.sClassCode(QStringLiteral("00001"));
        s.Delete_Stock_Use_Class();
        QCOMPARE(t.count(QStringLiteral("Stock")), 1);
        QVERIFY(!s.ProductOrder(rs, 2));
        QVERIFY(rs);
        QCOMPARE(rs->recordCount(), 0);
        QVERIFY(t.messages().isEmpty());
    }

    void noDatabase()
    {
        TradeDb t;
        clsStock s;
        s.sPCode(QStringLiteral("000001"));
        bool thrown = false;
        try {
            s.UpdateInStock();
        } catch (const dao::DaoError& e) {
            thrown = e.number() == dao::errObjectNotSet;
        }
        QVERIFY(thrown);
        QCOMPARE(s.CurStock(), 0.0); // the open's message, then 0
        QCOMPARE(t.messages().size(), 1);
    }
};

QTEST_MAIN(TestClsStock)
#include "tst_clsStock.moc"
