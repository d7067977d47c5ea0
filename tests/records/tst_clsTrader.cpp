#include "RecordTestUtil.h"

#include "records/clsTrader.h"

#include <limits>

using recordtest::TradeDb;

class TestClsTrader : public QObject {
    Q_OBJECT

    static void fill(clsTrader& t, const QString& code, const QString& comp, int section)
    {
        t.SCODE(code);
        t.sComp(comp);
        t.sName(QStringLiteral("홍길동"));
        t.sSerial(QStringLiteral("123-45-67890"));
        t.sPhone(QStringLiteral("02-123-4567"));
        t.sFax(QStringLiteral("02-123-4568"));
        t.sDDD(QStringLiteral("02"));
        t.sCharge(QStringLiteral("0001"));
        t.byVAT(1);
        t.sAddr1(QStringLiteral("서울시"));
        t.sAddr2(QStringLiteral("중구 1번지"));
        t.sPost(QStringLiteral("04500"));
        t.sStatus(QStringLiteral("도소매"));
        t.sItem(QStringLiteral("식품"));
        t.sOpenDate(QStringLiteral("2020-01-01"));
        t.sCloseDate(QString());
        t.sEnterDate(QStringLiteral("2024-05-01"));
        t.bySection(section);
        t.dTotNoPay(100000);
        t.sBigo(QStringLiteral("O'Neil"));
        t.bDeled(false);
    }
    // The party most cases start from: 000001 "가나상사", filled as above.
    static void saveFirstParty(clsTrader& tr)
    {
        fill(tr, QStringLiteral("000001"), QStringLiteral("가나상사"), 1);
        tr.SaveTrader();
    }

private slots:
    void saveStoresEveryMember()
    {
        TradeDb t;
        clsTrader tr;
        saveFirstParty(tr);
        QVERIFY(t.messages().isEmpty());
        QCOMPARE(t.floats, QStringList{QStringLiteral("자료가 저장되었습니다.")});
        QCOMPARE(t.floatDelays, QList<int>{700});
        QCOMPARE(t.value(QStringLiteral(
                             "SELECT C_Name||U_Name||Serial||Phone||Fax||DDD||Charge||VAT||Addr1||Addr2||Post||"
                             "Status||Item||OpenDate||CloseDate||EnterDate||Section||TotNoPay||Bigo||bDeled "
                             "FROM Trader WHERE Code = '000001'"))
                     .toString(),
                 QStringLiteral("가나상사홍길동123-45-6789002-123-456702-123-45680200011서울시중구 1번지04500도소매식품"
                                "2020-01-012024-05-011100000O'Neil0"));

        t.clear();
        tr.SaveTrader();
        QCOMPARE(t.count(QStringLiteral("Trader")), 1);
        QVERIFY(t.floats.isEmpty());
        QCOMPARE(t.messages().size(), 1);
        QVERIFY(t.messages().first().startsWith(QStringLiteral("자료를 저장하는 중 오류가 발생했습니다.\r\n오류번호 : 3022")));
    }

    void nextCode()
    {
        TradeDb t;
        clsTrader tr;
        QCOMPARE(tr.NextCode(), QStringLiteral("000001"));
        t.sql(QStringLiteral("INSERT INTO Trader (Code) VALUES ('000099')"));
        QCOMPARE(tr.NextCode(), QStringLiteral("000100"));
        t.sql(QStringLiteral("INSERT INTO Trader (Code) VALUES ('009999')"));
        QCOMPARE(tr.NextCode(), QStringLiteral("010000"));
        t.sql(QStringLiteral("INSERT INTO Trader (Code) VALUES ('32767')"));
        QCOMPARE(tr.NextCode(), QStringLiteral("032768"));
        t.sql(QStringLiteral("INSERT INTO Trader (Code) VALUES ('999999'), ('1000000')"));
        QCOMPARE(tr.NextCode(), QStringLiteral("1000001"));
    }

    void updatesAndDelete()
    {
        TradeDb t;
        clsTrader tr;
        saveFirstParty(tr);
        t.clear();

        tr.SCODE(QStringLiteral("000002"));
        tr.UpdateTrader();
        tr.Update_Charge();
        tr.DeleteTrader(QStringLiteral("000002"));
        QCOMPARE(t.messages(), (QStringList{QStringLiteral("데이터를 갱신하는 중 오류가 발생했습니다."),
                                            QStringLiteral("거래처 담당자를 변경하는 중 오류가 발생했습니다."),
                                            QStringLiteral("자료를 삭제하는 중 오류가 발생했습니다.")}));
        QCOMPARE(t.count(QStringLiteral("Trader")), 1);

        t.clear();
        tr.SCODE(QStringLiteral("000001"));
        tr.sComp(QStringLiteral("다라상사"));
        tr.bySection(0); // the kind is never rewritten
        tr.bDeled(true);
        tr.UpdateTrader();
        tr.sCharge(QStringLiteral("0007"));
        tr.Update_Charge();
        QVERIFY(t.messages().isEmpty());
        QVERIFY(t.floats.isEmpty());
        QCOMPARE(t.value(QStringLiteral("SELECT C_Name||Section||bDeled||Charge FROM Trader")).toString(),
                 QStringLiteral("다라상사110007"));
        tr.DeleteTrader(QStringLiteral("000001"));
        QCOMPARE(t.count(QStringLiteral("Trader")), 0);
    }

    void outstandingAmount()
    {
        TradeDb t;
        clsTrader tr;
        saveFirstParty(tr);
        t.clear();
        tr.UpdateNoPay(30000, 45000);
        QCOMPARE(tr.CurTotNoPay(QStringLiteral("000001")), 115000);
        tr.UpdateNoPay(0, 5000);
        QCOMPARE(tr.initNonKum(), 120000);
        tr.UpdateNoPay(20000, 0);
        QCOMPARE(tr.CurTotNoPay(QStringLiteral("000001")), 100000);
        // Large amounts stay exact.
        tr.UpdateNoPay(0, 9000000000000LL);
        QCOMPARE(tr.initNonKum(), 9000000100000LL);
        QVERIFY(t.messages().isEmpty());

        t.sql(QStringLiteral("UPDATE Trader SET TotNoPay = NULL"));
        QCOMPARE(tr.initNonKum(), 0);
        tr.UpdateNoPay(0, 700);
        QCOMPARE(tr.initNonKum(), 700);

        // At the edge of the 64-bit range: exact up to it, also when only the way there passes
        // it; past it the error 6 "Overflow" reaches the caller and the amount stays.
        const qint64 max = std::numeric_limits<qint64>::max(), min = std::numeric_limits<qint64>::min();
        const auto outcome = [&tr](qint64 oldKum, qint64 newKum) {
            try {
                tr.UpdateNoPay(oldKum, newKum);
                return QString::number(tr.CurTotNoPay(QStringLiteral("000001")));
            } catch (const dao::DaoError& e) {
                return QStringLiteral("%1 %2").arg(e.number()).arg(e.description());
            }
        };
        QCOMPARE(outcome(0, max - 700), QString::number(max));
        QCOMPARE(outcome(0, 1), QStringLiteral("6 Overflow"));
        QCOMPARE(outcome(-10, -20), QString::number(max - 10));
        QCOMPARE(outcome(-100, 0), QStringLiteral("6 Overflow"));
        QCOMPARE(tr.CurTotNoPay(QStringLiteral("000001")), max - 10);
        QCOMPARE(outcome(max, min + 10), QString::number(min));
        QCOMPARE(outcome(1, 0), QStringLiteral("6 Overflow"));
        QCOMPARE(tr.initNonKum(), min);
        QVERIFY(t.messages().isEmpty());
        // an amount stored past the range (a floating-point number of an earlier version) is
        // no amount: it is not read as the lowest one
        t.sql(QStringLiteral("UPDATE Trader SET TotNoPay = 9223372036854775807.0 + 100"));
        QCOMPARE(outcome(0, -100), QStringLiteral("6 Overflow"));
        try {
            tr.initNonKum();
            QFAIL("read as an amount");
        } catch (const dao::DaoError& e) {
            QCOMPARE(e.number(), 6L);
        }
        t.sql(QStringLiteral("UPDATE Trader SET TotNoPay = 0"));

        tr.SCODE(QStringLiteral("000002"));
        tr.UpdateNoPay(0, 1000);
        QCOMPARE(t.messages(), QStringList{QStringLiteral("현재미수금 데이터를 갱신하는 중 오류가 발생했습니다.")});
        QCOMPARE(t.count(QStringLiteral("Trader")), 1);
        QCOMPARE(tr.CurTotNoPay(QStringLiteral("000002")), 0);
    }

    void listsAndTests()
    {
        TradeDb t;
        clsTrader tr;
        saveFirstParty(tr);
        fill(tr, QStringLiteral("000002"), QStringLiteral("100% 유통"), 0);
        tr.byVAT(2);
        tr.bDeled(true);
        tr.SaveTrader();
        fill(tr, QStringLiteral("000003"), QStringLiteral("1000 유통"), 0);
        tr.sAddr2(QString());
        tr.SaveTrader();
        t.sql(QStringLiteral("UPDATE Trader SET Addr2 = NULL, U_Name = NULL, Phone = NULL WHERE Code = '000003'"));

        RecordsetPtr rs;
        QVERIFY(tr.TraderList(rs));
        QCOMPARE(recordtest::column(*rs, QStringLiteral("Code")),
                 (QStringList{QStringLiteral("000001"), QStringLiteral("000003")}));

        QVERIFY(tr.FindTrader(rs, QStringLiteral("000002")));
        QCOMPARE(rs->recordCount(), 1);
        // Text search: deleted parties included; % matched literally, * a wildcard.
        QVERIFY(tr.FindTrader(rs, QString(), QStringLiteral("가*사"), QStringLiteral("없음"), QStringLiteral("없음"),
                              QStringLiteral("없음")));
        QCOMPARE(recordtest::column(*rs, QStringLiteral("Code")), QStringList{QStringLiteral("000001")});
        QVERIFY(tr.FindTrader(rs, QString(), QStringLiteral("0%"), QStringLiteral("없음"), QStringLiteral("없음"),
                              QStringLiteral("없음")));
        QCOMPARE(recordtest::column(*rs, QStringLiteral("Code")), QStringList{QStringLiteral("000002")});
        // An empty text matches every non-Null value of its column.
        QVERIFY(tr.FindTrader(rs, QString(), QStringLiteral("없음"), QStringLiteral("없음"), QStringLiteral("없음"),
                              QString()));
        QCOMPARE(recordtest::column(*rs, QStringLiteral("Code")),
                 (QStringList{QStringLiteral("000001"), QStringLiteral("000002")}));
        QVERIFY(!tr.FindTrader(rs, QString(), QStringLiteral("x"), QStringLiteral("x"), QStringLiteral("x"),
                               QStringLiteral("x")));
        QVERIFY(rs);
        QCOMPARE(rs->recordCount(), 0);

        tr.SCODE(QStringLiteral("000002"));
        QCOMPARE(tr.TraderTax(), 2);
        tr.SCODE(QStringLiteral("000404"));
        QCOMPARE(tr.TraderTax(), 3);

        QVERIFY(tr.CheckField(1, QStringLiteral("가나상사")));
        QVERIFY(!tr.CheckField(0, QStringLiteral("가나상사")));
        QVERIFY(tr.CheckField(0, QStringLiteral("1000 유통")));

        tr.CreateMdb();
        QCOMPARE(t.count(QStringLiteral("Trader")), 3);
        QVERIFY(t.messages().isEmpty());
    }
};

QTEST_MAIN(TestClsTrader)
#include "tst_clsTrader.moc"
