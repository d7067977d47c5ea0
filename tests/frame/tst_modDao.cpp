#include "frame/modDao.h"
#include "frame/modGlobal.h"
#include "frame/modMain.h"
#include "support/ScriptedPrompter.h"
#include "support/TestEnv.h"

#include <QtTest>

class TestModDao : public QObject {
    Q_OBJECT
    testsupport::TestEnv env;
    int counter = 0;

    DatabasePtr fresh()
    {
        const QString file = env.path(QStringLiteral("d%1.db").arg(++counter));
        testsupport::runSqlScript(file, QStringLiteral(
            "CREATE TABLE maechul (id LONG, name TEXT(50) COLLATE NOCASE, tel TEXT(15));"
            "CREATE TABLE group_name (name TEXT(50) COLLATE NOCASE);"
            "CREATE INDEX group_name_idx ON group_name(name);"
            "CREATE TABLE total (total_id INTEGER PRIMARY KEY AUTOINCREMENT, maeip_date TEXT(10), group_name TEXT(50), pro_name TEXT(50));"
            "CREATE INDEX total_group ON total(group_name);"));
        DatabasePtr db;
        DAO_OpenDatabase(db, file, 0, false);
        return db;
    }

private slots:
    void initTestCase() { gsTitle = QStringLiteral("Trelvo"); }

    void recordsetErrorBoxes()
    {
        testsupport::ScriptedPrompter p;
        auto db = fresh();
        RecordsetPtr rs;
        const QString missing = QStringLiteral("SELECT * FROM nothere");
        QVERIFY(!DAO_OpenSnapshot(db, rs, missing));
        QVERIFY(!rs);
        QCOMPARE(p.lastMessage().text, QStringLiteral("Jet Data Base Engine의 식을 확인하세요.\r") + missing);
        QCOMPARE(p.lastMessage().title, QStringLiteral("Query"));
        QCOMPARE(p.lastMessage().style, 64);

        QVERIFY(!DAO_OpenDynaset(DatabasePtr(), rs, QStringLiteral("SELECT 1")));
        QCOMPARE(p.lastMessage().text, QStringLiteral("Data Base MDB가 선언되지 않았습니다.\rSELECT 1"));
        QCOMPARE(p.lastMessage().title, QStringLiteral("MDB 오류"));

        QVERIFY(!DAO_OpenSnapshot(db, rs, QStringLiteral("SELEC x")));
        QCOMPARE(p.lastMessage().title, QStringLiteral("ERROR"));
        QVERIFY(p.lastMessage().text.endsWith(QStringLiteral("\rSELEC x")));
        QVERIFY(p.lastMessage().text.contains(QStringLiteral("syntax error")));

        QVERIFY(DAO_OpenSnapshot(db, rs, QStringLiteral("SELECT * FROM maechul WHERE name = ?"), {QStringLiteral("x'y")}));
        QVERIFY(rs->eof());
        CloseRS(rs);
        QVERIFY(!rs);
        CloseRS(rs); // an empty variable is left alone
    }

    void lockedTableMessage()
    {
        testsupport::ScriptedPrompter p;
        auto db = fresh();
        auto other = dao::Database::open(db->name());
        // An exclusive lock keeps even readers out.
        other->execute(QStringLiteral("BEGIN EXCLUSIVE"));
        db->setBusyTimeout(30);
        RecordsetPtr rs;
        QVERIFY(!DAO_OpenSnapshot(db, rs, QStringLiteral("SELECT * FROM maechul")));
        QCOMPARE(p.lastMessage().title, QStringLiteral("MDB 오류"));
        QVERIFY(p.lastMessage().text.endsWith(QStringLiteral("\rSELECT * FROM maechul")));
        // The same for a dynaset: the lock is reported by the open, not by the first read.
        QVERIFY(!DAO_OpenDynaset(db, rs, QStringLiteral("SELECT * FROM maechul WHERE id = ?"), {1}));
        QVERIFY(!rs);
        QCOMPARE(p.lastMessage().title, QStringLiteral("MDB 오류"));
        QVERIFY(p.lastMessage().text.endsWith(QStringLiteral("\rSELECT * FROM maechul WHERE id = ?")));
        other->execute(QStringLiteral("ROLLBACK"));
        QVERIFY(DAO_OpenSnapshot(db, rs, QStringLiteral("SELECT * FROM maechul")));
        // An open dynaset holds no lock: another workstation can still write.
        RecordsetPtr dyn;
        QVERIFY(DAO_OpenDynaset(db, dyn, QStringLiteral("SELECT * FROM maechul")));
        other->setBusyTimeout(30);
        QCOMPARE(other->execute(QStringLiteral("INSERT INTO maechul (id, name) VALUES (1, 'a')")), qint64(1));
        CloseRS(dyn);
    }

    void nextNumberAndCount()
    {
        testsupport::ScriptedPrompter p;
        auto db = fresh();
        QCOMPARE(DAO_NextNo(db.get(), QStringLiteral("maechul"), QStringLiteral("id")), qint64(1));
        db->execute(QStringLiteral("INSERT INTO maechul (id, name) VALUES (41, 'a'), (7, 'b')"));
        QCOMPARE(DAO_NextNo(db.get(), QStringLiteral("maechul"), QStringLiteral("id")), qint64(42));
        db->execute(QStringLiteral("INSERT INTO maechul (id, name) VALUES (70000, 'big')"));
        QCOMPARE(DAO_NextNo(db.get(), QStringLiteral("maechul"), QStringLiteral("id")), qint64(70001));
        QCOMPARE(DAO_NextNo(db.get(), QStringLiteral("nothere"), QStringLiteral("id")), qint64(-1));
        // A missing column is an error too, not a text value to take the maximum of.
        p.clear();
        QCOMPARE(DAO_NextNo(db.get(), QStringLiteral("maechul"), QStringLiteral("nothere")), qint64(-1));
        QCOMPARE(p.lastMessage().title, QStringLiteral("Query"));
        QCOMPARE(RecCount(db.get(), QStringLiteral("maechul")), qint64(3));
        QCOMPARE(RecCount(db.get(), QStringLiteral("maechul"), QStringLiteral(" WHERE name = ?"), {QStringLiteral("A")}), qint64(1));
        QCOMPARE(RecCount(nullptr, QStringLiteral("maechul")), qint64(0));
    }

    // Codes held as text (imported files) count by their number where they are one and are
    // passed over where they are not; the number column and the text column alike.
    void nextNumberReadsCodesByNumber_data()
    {
        QTest::addColumn<QString>("column");
        QTest::addColumn<QString>("values");
        QTest::addColumn<qint64>("next");
        QTest::newRow("empty text beside numbers") << "id" << "(1), (2), (5), ('')" << qint64(6);
        QTest::newRow("letters beside numbers") << "id" << "(5), ('abc'), ('7abc')" << qint64(6);
        QTest::newRow("only texts that are no number") << "id" << "(''), ('x'), (NULL)" << qint64(1);
        QTest::newRow("fraction") << "id" << "(3), (7.5)" << qint64(8);
        QTest::newRow("text number with blanks") << "tel" << "('3'), (' 7 '), ('7abc'), ('')" << qint64(8);
        QTest::newRow("text numbers with zeros") << "tel" << "('000041'), ('000009'), ('x')" << qint64(42);
        QTest::newRow("text fraction") << "tel" << "('41.5'), ('abc')" << qint64(42);
        QTest::newRow("texts only") << "tel" << "(''), ('abc'), ('7abc'), ('0x10')" << qint64(1);
        QTest::newRow("line break around a number") << "tel" << "(char(10) || '12' || char(13))" << qint64(13);
        QTest::newRow("largest 64-bit number") << "id" << "(9223372036854775807)" << std::numeric_limits<qint64>::max();
        QTest::newRow("beyond 64 bits") << "id" << "(1e30), (3)" << std::numeric_limits<qint64>::max();
        QTest::newRow("text beyond 64 bits") << "tel" << "('99999999999999999999999')" << std::numeric_limits<qint64>::max();
    }

    void nextNumberReadsCodesByNumber()
    {
        QFETCH(QString, column);
        QFETCH(QString, values);
        QFETCH(qint64, next);
        testsupport::ScriptedPrompter p;
        auto db = fresh();
        db->execute(QStringLiteral("INSERT INTO maechul (%1) VALUES %2").arg(column, values));
        QCOMPARE(DAO_NextNo(db.get(), QStringLiteral("maechul"), column), next);
        QVERIFY(p.messages().isEmpty());
    }

    void addFieldAndIndex()
    {
        testsupport::ScriptedPrompter p;
        auto db = fresh();
        db->execute(QStringLiteral("INSERT INTO maechul (id, name) VALUES (1, 'a')"));
        QVERIFY(DAO_AddField(db.get(), QStringLiteral("maechul"), QStringLiteral("tel2"), dao::dbText, 15, true,
                             QStringLiteral("UPDATE maechul SET tel2 = ''"), QString(""), -1));
        const dao::TableDef t = db->tableDef(QStringLiteral("maechul"));
        const dao::FieldDef& f = t.fields[t.fieldIndex(QStringLiteral("tel2"))];
        QCOMPARE(f.defaultValue, QStringLiteral("\"\""));
        QVERIFY(f.required);
        QVERIFY(f.allowZeroLength);
        QCOMPARE(f.size, 15);
        QCOMPARE(db->scalar(QStringLiteral("SELECT tel2 FROM maechul")).toString(), QString(""));
        // An existing column: False, and the statement is not run.
        QVERIFY(!DAO_AddField(db.get(), QStringLiteral("maechul"), QStringLiteral("TEL2"), dao::dbText, 15, true,
                              QStringLiteral("UPDATE maechul SET tel2 = 'x'"), QVariant(), -1));
        QCOMPARE(db->scalar(QStringLiteral("SELECT tel2 FROM maechul")).toString(), QString(""));
        QVERIFY(p.messages().isEmpty());

        // Any index on the field already: nothing new unless a primary one is wanted.
        QVERIFY(!DAO_AddIndex(db.get(), QStringLiteral("group_name"), QStringLiteral("name"), false, true, true));
        QVERIFY(DAO_AddIndex(db.get(), QStringLiteral("group_name"), QStringLiteral("name"), true, true, true));
        QVERIFY(!DAO_AddIndex(db.get(), QStringLiteral("group_name"), QStringLiteral("name"), true, true, true));
        QVERIFY(DAO_DelIndex(db.get(), QStringLiteral("group_name"), QStringLiteral("name")));
        QVERIFY(db->tableDef(QStringLiteral("group_name")).indexes.isEmpty());
    }

    void editField()
    {
        testsupport::ScriptedPrompter p;
        auto db = fresh();
        QStringList names;
        for (int i = 0; i < 30; ++i) {
            names << QStringLiteral("그룹이름이 아주 긴 그룹 %1").arg(i);
            db->execute(QStringLiteral("INSERT INTO total (maeip_date, group_name, pro_name) VALUES ('2024-01-01', ?, ?)"),
                        {names.last(), QStringLiteral("p%1").arg(i)});
        }
        db->execute(QStringLiteral("INSERT INTO total (group_name) VALUES (NULL)"));
        QVERIFY(!DAO_EditField(db.get(), QStringLiteral("total"), QStringLiteral("nothere"), 6, true, false, -1, QVariant()));
        QVERIFY(!DAO_EditField(db.get(), QStringLiteral("total"), QStringLiteral("group_name"), 50, true, false, -1, QVariant()));
        // Narrowing: every value, the position, the name and the other indexes stay.
        QVERIFY(DAO_EditField(db.get(), QStringLiteral("total"), QStringLiteral("group_name"), 6, true, false, -1, QVariant()));
        dao::TableDef t = db->tableDef(QStringLiteral("total"));
        QCOMPARE(t.fieldIndex(QStringLiteral("group_name")), 2);
        QCOMPARE(t.fields[2].size, 6);
        QCOMPARE(t.fields.size(), 4);
        QCOMPARE(t.indexes.size(), 2); // the key and the group index
        auto rs = db->openRecordset(QStringLiteral("SELECT group_name FROM total ORDER BY total_id"), dao::dbOpenSnapshot);
        for (const QString& n : names) {
            QCOMPARE(rs->text(0), n);
            rs->moveNext();
        }
        QVERIFY(rs->isNull(0));
        // Widening to a Memo and back.
        QVERIFY(DAO_EditField(db.get(), QStringLiteral("total"), QStringLiteral("pro_name"), 0, true, true, dao::dbMemo, QVariant()));
        t = db->tableDef(QStringLiteral("total"));
        QCOMPARE(t.fields[3].type, int(dao::dbMemo));
        QCOMPARE(db->scalar(QStringLiteral("SELECT pro_name FROM total WHERE total_id = 5")).toString(), QStringLiteral("p4"));
        // A missing column with a type is added and filled.
        QVERIFY(DAO_EditField(db.get(), QStringLiteral("total"), QStringLiteral("memo"), 20, true, false, dao::dbText, QVariant()));
        QCOMPARE(db->scalar(QStringLiteral("SELECT COUNT(*) FROM total WHERE memo = ''")).toInt(), 31);
        QVERIFY(p.messages().isEmpty());

        // A step that fails half way (NULLs cannot go into a required column): nothing changes.
        QVERIFY(!DAO_EditField(db.get(), QStringLiteral("total"), QStringLiteral("group_name"), 10, true, true, -1, QString("x")));
        t = db->tableDef(QStringLiteral("total"));
        QCOMPARE(t.fields[2].size, 6);
        QCOMPARE(t.indexes.size(), 2);
        QCOMPARE(db->scalar(QStringLiteral("SELECT COUNT(*) FROM total")).toInt(), 31);
        QVERIFY(p.lastMessage().text.startsWith(QStringLiteral("Error ")));
        QVERIFY(p.lastMessage().text.contains(QStringLiteral(") in procedure DAO_EditField of Module modDao")));
        QVERIFY(!db->inTransaction());
    }

    void delIndexOnKeyAndConstraint()
    {
        // The field is in the primary key and in a unique constraint: removing the key rebuilds
        // the table, and the constraint's index must still be found and removed.
        testsupport::ScriptedPrompter p;
        auto db = fresh();
        db->execute(QStringLiteral("CREATE TABLE k (code TEXT(10) NOT NULL, other TEXT(5), "
                                   "CONSTRAINT k_pk PRIMARY KEY (code), UNIQUE (code, other))"));
        db->execute(QStringLiteral("CREATE INDEX k_other ON k (other)"));
        db->execute(QStringLiteral("INSERT INTO k VALUES ('a', '1'), ('b', '2')"));
        QVERIFY(DAO_DelIndex(db.get(), QStringLiteral("k"), QStringLiteral("code")));
        QVERIFY(p.messages().isEmpty());
        const dao::TableDef t = db->tableDef(QStringLiteral("k"));
        QCOMPARE(t.indexes.size(), 1);
        QCOMPARE(t.indexes[0].name, QStringLiteral("k_other"));
        QCOMPARE(db->scalar(QStringLiteral("SELECT COUNT(*) FROM k")).toInt(), 2);
    }

    void delField()
    {
        testsupport::ScriptedPrompter p;
        auto db = fresh();
        QVERIFY(DAO_DelField(db.get(), QStringLiteral("maechul"), QStringLiteral("tel")));
        QVERIFY(!DAO_DelField(db.get(), QStringLiteral("maechul"), QStringLiteral("tel")));
        QVERIFY(p.lastMessage().text.contains(QStringLiteral("in procedure DAO_DelField of Module modDao\r\n[TABLE]: maechul,    [FIELD]: tel")));
    }
};

QTEST_MAIN(TestModDao)
#include "tst_modDao.moc"
