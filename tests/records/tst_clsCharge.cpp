#include "RecordTestUtil.h"

#include "records/clsCharge.h"

using recordtest::TradeDb;

class TestClsCharge : public QObject {
    Q_OBJECT

    static void fill(clsCharge& c, const QString& code, const QString& name)
    {
        c.SCODE(code);
        c.sCName(name);
        c.sSerial(QStringLiteral("800101-1234567"));
        c.sJoinDate(QStringLiteral("2020-03-02"));
        c.sPost(QStringLiteral("06236"));
        c.sAddr(QStringLiteral("서울 강남구"));
        c.sTelHome(QStringLiteral("02-555-1234"));
        c.sPhone(QStringLiteral("010-1234-5678"));
        c.sBigo(QStringLiteral("it's a note")); // a quote in a value is stored as it is
    }

private slots:
    void nextCodeFollowsTheNumericMaximum()
    {
        TradeDb t;
        clsCharge c;
        QCOMPARE(c.NextCode(), QStringLiteral("0001"));
        t.sql(QStringLiteral("INSERT INTO Charge (Code) VALUES ('0041')"));
        QCOMPARE(c.NextCode(), QStringLiteral("0042"));
        // Past the four digits the code keeps counting instead of returning "10000" forever.
        t.sql(QStringLiteral("INSERT INTO Charge (Code) VALUES ('9999')"));
        QCOMPARE(c.NextCode(), QStringLiteral("10000"));
        t.sql(QStringLiteral("INSERT INTO Charge (Code) VALUES ('10000')"));
        QCOMPARE(c.NextCode(), QStringLiteral("10001"));
        QVERIFY(t.messages().isEmpty());
    }

    void nextCodeWithoutTableReturnsEmpty()
    {
        TradeDb t;
        t.sql(QStringLiteral("DROP TABLE Charge"));
        clsCharge c;
        QCOMPARE(c.NextCode(), QString());
        QCOMPARE(t.messages().size(), 1); // the open's own message
    }

    void saveUpdateDelete()
    {
        TradeDb t;
        clsCharge c;
        fill(c, QStringLiteral("0001"), QStringLiteral("김철수"));
        c.SaveCharge();
        QVERIFY(t.messages().isEmpty());
        QCOMPARE(t.floats, QStringList{QStringLiteral("자료를 저장하였습니다.")});
        QCOMPARE(t.floatDelays, QList<int>{500});
        QCOMPARE(t.value(QStringLiteral("SELECT Bigo FROM Charge WHERE Code = '0001'")).toString(),
                 QStringLiteral("it's a note"));
        QCOMPARE(t.value(QStringLiteral("SELECT Tel_Home FROM Charge WHERE Code = '0001'")).toString(),
                 QStringLiteral("02-555-1234"));

        // A duplicate key shows the save-error box and adds nothing; the members stay.
        t.clear();
        c.sCName(QStringLiteral("다른사람"));
        c.SaveCharge();
        QCOMPARE(t.count(QStringLiteral("Charge")), 1);
        QVERIFY(t.floats.isEmpty());
        QCOMPARE(t.messages().size(), 1);
        const auto box = t.prompter.lastMessage();
        QVERIFY(box.text.startsWith(QStringLiteral("자료를 저장하는 중 오류가 발생했습니다.\r\n오류번호 : 3022\r\n오류내용 : ")));
        QVERIFY(box.text.endsWith(QStringLiteral("\r\n\r\n입력하신 내용을 다시 한번 확인하여 주십시요.")));
        QCOMPARE(box.style, 0);
        QCOMPARE(box.title, QStringLiteral("Trelvo"));
        QCOMPARE(c.sCName(), QStringLiteral("다른사람"));

        // Update of a missing code: the member's text, no confirmation, nothing changed.
        t.clear();
        c.SCODE(QStringLiteral("0009"));
        c.UpdateCharge();
        QCOMPARE(t.messages(), QStringList{QStringLiteral("담당자 데이터를 갱신하는 중 오류가 발생했습니다.")});
        QVERIFY(t.floats.isEmpty());
        QCOMPARE(t.value(QStringLiteral("SELECT CName FROM Charge WHERE Code = '0001'")).toString(),
                 QStringLiteral("김철수"));

        t.clear();
        c.SCODE(QStringLiteral("0001"));
        c.sAddr(QStringLiteral("부산"));
        c.UpdateCharge();
        QVERIFY(t.messages().isEmpty());
        QCOMPARE(t.floats, QStringList{QStringLiteral("자료를 수정하였습니다.")});
        QCOMPARE(t.value(QStringLiteral("SELECT CName || '/' || Addr FROM Charge WHERE Code = '0001'")).toString(),
                 QStringLiteral("다른사람/부산"));

        t.clear();
        c.SCODE(QStringLiteral("0002"));
        c.DeleteCharge();
        QCOMPARE(t.messages(), QStringList{QStringLiteral("담당자 자료를 삭제하는 중 오류가 발생했습니다.")});
        QCOMPARE(t.count(QStringLiteral("Charge")), 1);
        t.clear();
        c.SCODE(QStringLiteral("0001"));
        c.DeleteCharge();
        QCOMPARE(t.floats, QStringList{QStringLiteral("자료를 삭제하였습니다.")});
        QCOMPARE(t.count(QStringLiteral("Charge")), 0);
    }

    void findByCodeOrNamePart()
    {
        TradeDb t;
        clsCharge c;
        fill(c, QStringLiteral("0003"), QStringLiteral("박영희"));
        c.SaveCharge();
        fill(c, QStringLiteral("0001"), QStringLiteral("김영수"));
        c.SaveCharge();
        fill(c, QStringLiteral("0002"), QStringLiteral("이철수"));
        c.SaveCharge();
        fill(c, QStringLiteral("0004"), QStringLiteral("100%_대리"));
        c.SaveCharge();
        fill(c, QStringLiteral("0005"), QStringLiteral("1000 대리"));
        c.SaveCharge();

        RecordsetPtr rs;
        QVERIFY(c.FindCharge(rs, QStringLiteral("0002"), QStringLiteral("영")));
        QCOMPARE(recordtest::column(*rs, QStringLiteral("Code")), QStringList{QStringLiteral("0002")});

        QVERIFY(c.FindCharge(rs, QString(), QStringLiteral("영")));
        QCOMPARE(recordtest::column(*rs, QStringLiteral("Code")),
                 (QStringList{QStringLiteral("0001"), QStringLiteral("0003")}));

        // A * the caller typed stays a wildcard; % and _ are matched as themselves.
        QVERIFY(c.FindCharge(rs, QString(), QStringLiteral("김*수")));
        QCOMPARE(recordtest::column(*rs, QStringLiteral("Code")), QStringList{QStringLiteral("0001")});
        QVERIFY(c.FindCharge(rs, QString(), QStringLiteral("0%_")));
        QCOMPARE(recordtest::column(*rs, QStringLiteral("Code")), QStringList{QStringLiteral("0004")});

        QVERIFY(c.FindCharge(rs));
        QCOMPARE(rs->recordCount(), 5);

        // An empty result is False with the opened, empty recordset left to the caller.
        QVERIFY(!c.FindCharge(rs, QString(), QStringLiteral("없는이름")));
        QVERIFY(rs);
        QCOMPARE(rs->recordCount(), 0);
        QVERIFY(rs->eof());
        QVERIFY(t.messages().isEmpty());
    }

    void engineErrorsReachTheCaller()
    {
        TradeDb t;
        gDB.reset();
        clsCharge c;
        c.SCODE(QStringLiteral("0001"));
        bool thrown = false;
        try {
            c.UpdateCharge();
        } catch (const dao::DaoError& e) {
            thrown = e.number() == dao::errObjectNotSet;
        }
        QVERIFY(thrown);
        // The save traps it: the open's message, no crash.
        c.SaveCharge();
        QCOMPARE(t.messages().size(), 1);
    }
};

QTEST_MAIN(TestClsCharge)
#include "tst_clsCharge.moc"
