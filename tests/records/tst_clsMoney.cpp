// Payments and deposits.
#include "RecordTestUtil.h"

#include "records/clsMoney.h"

using recordtest::TradeDb;

namespace {

void pay(clsMoney& m, const QString& code, const QString& party, const QString& date, qint64 amount)
{
    m.SCODE(code);
    m.sCCode(party);
    m.sCName(QStringLiteral("이름") + party);
    m.sDealDate(date);
    m.lTradeKum(amount);
    m.SaveTrade();
}

} // namespace

class TestClsMoney : public QObject {
    Q_OBJECT

private slots:
    void paymentsPerParty()
    {
        TradeDb t;
        t.sql(QStringLiteral("INSERT INTO Trader (Code, C_Name) VALUES ('C1', '하나')"));
        clsMoney m;
        m.SetDatabase(t.db);
        QCOMPARE(m.NextCode(), QStringLiteral("000001"));
        pay(m, QStringLiteral("000001"), QStringLiteral("C1"), QStringLiteral("2009-03-02"), 300);
        QCOMPARE(t.floats, QStringList{QStringLiteral("자료를 저장하였습니다.")});
        pay(m, QStringLiteral("000009"), QStringLiteral("C1"), QStringLiteral("2009-03-09"), 5000000000LL);
        pay(m, QStringLiteral("000002"), QStringLiteral("C9"), QStringLiteral("2009-03-05"), 70);
        QCOMPARE(m.NextCode(), QStringLiteral("000010"));
        m.byGubun(1);
        QCOMPARE(m.NextCode(), QStringLiteral("000001")); // deposits are numbered on their own
        pay(m, QStringLiteral("000001"), QStringLiteral("C1"), QStringLiteral("2009-03-02"), 1);
        QCOMPARE(t.count(QStringLiteral("Deposit")), 1);
        m.byGubun(0);

        // Totals per party; a party missing from Trader comes without a name.
        RecordsetPtr rs;
        m.sCCode(QString());
        QVERIFY(m.InOutSumKum(rs));
        QCOMPARE(recordtest::column(*rs, QStringLiteral("SSum")), (QStringList{QStringLiteral("5000000300"), QStringLiteral("70")}));
        QCOMPARE(recordtest::column(*rs, QStringLiteral("LCName")), (QStringList{QStringLiteral("하나"), QString()}));
        m.sCCode(QStringLiteral("C5"));
        QVERIFY(!m.InOutSumKum(rs));
        QVERIFY(rs);
        // A total past the 64-bit range: this sum ignores the engine's errors, so no rows and no box.
        pay(m, QStringLiteral("000010"), QStringLiteral("C8"), QStringLiteral("2009-03-09"), 9223372036854775807LL);
        pay(m, QStringLiteral("000011"), QStringLiteral("C8"), QStringLiteral("2009-03-10"), 1);
        t.clear();
        m.sCCode(QString());
        QVERIFY(!m.InOutSumKum(rs));
        QVERIFY(t.messages().isEmpty());
        t.sql(QStringLiteral("DELETE FROM Payment WHERE CCode = 'C8'"));
        // An update of a missing code names the kind in use and changes nothing.
        m.byGubun(1);
        m.SCODE(QStringLiteral("000777"));
        m.UpdateTrade();
        m.DeleteTrade();
        QCOMPARE(t.messages(), (QStringList{QStringLiteral("입금 데이터를 갱신하는 중 오류가 발생했습니다."),
                                            QStringLiteral("입금 데이터를 삭제하는 중 오류가 발생했습니다.")}));
        QCOMPARE(t.value(QStringLiteral("SELECT TradeKum FROM Deposit")).toLongLong(), 1);

        // An update rewrites date, amount, note, person and remarks; party and kind stay.
        t.clear();
        m.SCODE(QStringLiteral("000001"));
        m.sCName(QStringLiteral("바뀐 이름"));
        m.bySection(3);
        m.sBigo(QStringLiteral("it's"));
        m.UpdateTrade();
        QCOMPARE(t.value(QStringLiteral("SELECT CCode || CName || Section || Bigo || TradeKum FROM Deposit")).toString(),
                 QStringLiteral("C1이름C10it's1"));
        QVERIFY(t.messages().isEmpty());
    }
};

QTEST_MAIN(TestClsMoney)
#include "tst_clsMoney.moc"
