// Promissory notes.
#include "RecordTestUtil.h"

#include "records/clsNote.h"
#include "records/modRecords.h"

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
        t.share(dbNote);
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
    }
};

QTEST_MAIN(TestClsNote)
#include "tst_clsNote.moc"
