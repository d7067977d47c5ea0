// Promissory notes and special unit prices.
#include "RecordTestUtil.h"

#include "records/clsNote.h"
#include "records/clsUnitCost.h"
#include "records/modRecords.h"

#include <thread>

using recordtest::TradeDb;

class TestClsNote : public QObject {
    Q_OBJECT

    static void keyOf(clsNote& n, const QString& code, const QString& party, const QString& date)
    {
        n.sNoteCode(code);
        n.sCCode(party);
        n.sDealDate(date);
    }

private slots:
    void notesAreKnownByCodePartyAndDate()
    {
        TradeDb t;
        dbNote = t.db;
        clsNote n;
        n.byGubun(1);
        n.byNote(2);
        n.lNoteKum(3000000000LL);
        keyOf(n, QStringLiteral("N1"), QStringLiteral("C1"), QStringLiteral("2009-03-01"));
        n.SaveNote();
        keyOf(n, QStringLiteral("N1"), QStringLiteral("C2"), QStringLiteral("2009-03-01"));
        n.SaveNote();
        keyOf(n, QStringLiteral("N1"), QStringLiteral("C1"), QStringLiteral("2009-03-02"));
        n.SaveNote();
        QCOMPARE(t.count(QStringLiteral("BillNote")), 3);
        QVERIFY(t.floats.isEmpty());

        // The update keeps side and kind; a key that matches nothing changes nothing.
        n.byGubun(0);
        n.byNote(0);
        n.sEndorser(QStringLiteral("O'Brien"));
        n.UpdateNote();
        QCOMPARE(t.value(QStringLiteral("SELECT NSection || Section || Endorser FROM BillNote WHERE CCode = 'C1' "
                                        "AND DealDate = '2009-03-02'")).toString(),
                 QStringLiteral("12O'Brien"));
        keyOf(n, QStringLiteral("N1"), QStringLiteral("C3"), QStringLiteral("2009-03-02"));
        n.UpdateNote();
        QCOMPARE(t.messages(), QStringList{QStringLiteral("어음 데이터를 갱신하는 중 오류가 발생했습니다.")});

        RecordsetPtr rs;
        QVERIFY(!n.FindNote(rs));
        QVERIFY(rs);
        keyOf(n, QStringLiteral("N1"), QStringLiteral("C2"), QStringLiteral("2009-03-01"));
        QVERIFY(n.FindNote(rs));
        QCOMPARE(rs->toInt64(rs->fieldIndex(QStringLiteral("NoteKum"))), 3000000000LL);
        n.DeleteNote();
        QCOMPARE(t.count(QStringLiteral("BillNote")), 2);
        QCOMPARE(t.count(QStringLiteral("BillNote"), QStringLiteral("CCode = 'C2'")), 0);
        dbNote.reset();
    }

    void specialUnitPrices()
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

        u.lCode(1);
        u.DeleteUnit();
        QCOMPARE(t.floats, QStringList{QStringLiteral("자료를 삭제하였습니다.")});
        u.SaveUnit();
        QCOMPARE(t.value(QStringLiteral("SELECT MAX(Code) FROM SpecialUnit")).toLongLong(), 3);

        // Two workstations saving at once get distinct codes.
        struct Station : clsUnitCost {
            std::shared_ptr<dao::Database> db;
            dao::Database* database() const override { return db.get(); }
        };
        auto work = [&t] {
            Station s;
            s.db = dao::Database::open(t.path);
            s.db->setBusyTimeout(30000);
            for (int i = 0; i < 50; ++i)
                s.SaveUnit();
        };
        std::thread a(work), b(work);
        a.join();
        b.join();
        QCOMPARE(t.count(QStringLiteral("SpecialUnit")), 103);
        QCOMPARE(t.value(QStringLiteral("SELECT MAX(Code) FROM SpecialUnit")).toLongLong(), 103);
        QVERIFY(t.messages().isEmpty());
    }
};

QTEST_MAIN(TestClsNote)
#include "tst_clsNote.moc"
