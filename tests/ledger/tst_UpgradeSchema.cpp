#include "LedgerFixture.h"

#include "ledger/UpgradeSchema.h"
#include "platform/Database.h"
#include "platform/Recordset.h"
#include "support/QueryRows.h"
#include "support/ScriptedPrompter.h"
#include "support/Workstations.h"

#include <QtTest>
#include <thread>

// The start-up upgrade on an old file and on one that is already up to date.
class tst_UpgradeSchema : public QObject {
    Q_OBJECT

    static QStringList rows(dao::Database& db, const QString& sql) { return testsupport::queryRows(db, sql); }

    static QStringList fieldNames(dao::Database& db, const QString& table)
    {
        QStringList out;
        for (const dao::FieldDef& f : db.tableDef(table).fields)
            out << f.name;
        return out;
    }

    static const dao::FieldDef field(dao::Database& db, const QString& table, const QString& name)
    {
        const dao::TableDef t = db.tableDef(table);
        return t.fields.value(t.fieldIndex(name));
    }

    // A file the previous version has used: every step of the upgrade done but the memos, which
    // still take a memo that reads as a number as that number, and the call list's indexes.
    static QString previousVersionSchema()
    {
        QString s = ledgertest::upgradedMainSchema();
        s.replace(QStringLiteral("memo LONGTEXT"), QStringLiteral("memo MEMO"));
        s.replace(QStringLiteral("group_name TEXT(50)"), QStringLiteral("group_name TEXT(6)"));
        s.replace(QStringLiteral("CREATE TABLE group_name (name TEXT(50));"),
                  QStringLiteral("CREATE TABLE group_name (name TEXT(6) NOT NULL, CONSTRAINT group_name_name PRIMARY KEY (name));"));
        return s;
    }
    static QStringList memoTypes(dao::Database& db)
    {
        return rows(db, QStringLiteral("SELECT type FROM pragma_table_info('maechul') WHERE name = 'memo'"
                                       " UNION ALL SELECT type FROM pragma_table_info('maeip') WHERE name = 'memo'"));
    }

private slots:
    void oldDatabaseKeepsEveryValue()
    {
        testsupport::TestEnv env;
        testsupport::ScriptedPrompter prompter;
        const QString path = env.path(QStringLiteral("old.mdb"));
        QVERIFY(ledgertest::makeDatabase(path, ledgertest::oldMainSchema(), QStringLiteral(
            "INSERT INTO group_name VALUES ('가전'), ('서버'), ('소형가전제품'), ('컴퓨터주변기기류');"
            "INSERT INTO maechul VALUES (40000, '김''s 상회', '02-555-1234', '010-1', '12345', '서울', '메모'),"
            " (2, '둘', NULL, NULL, NULL, NULL, NULL);"
            "INSERT INTO maeip VALUES (7, '공급사', '031-1', '', '', '', '');"
            "INSERT INTO total (maeip_date, pro_code, pro_name, group_name, maeip_code, maeip_name, maeip_cost,"
            " maechul_date, maechul_code, maechul_name, maechul_cost, maechul_usecost) VALUES"
            " ('2024-01-01', 0, 'TV', '가전', 7, '공급사', 123456789012, '2024-01-02', 40000, '김''s 상회', 5, 1);"
            "INSERT INTO total_print (maeip_date, pro_name, group_name) VALUES ('2024-01-01', 'TV', '가전');")));
        const QStringList groupsBefore = [&] {
            auto db = dao::Database::open(path);
            return rows(*db, QStringLiteral("SELECT name FROM group_name ORDER BY name"));
        }();
        const QStringList totalBefore = [&] {
            auto db = dao::Database::open(path);
            return rows(*db, QStringLiteral("SELECT * FROM total"));
        }();

        auto db = dao::Database::open(path);
        QVERIFY(db);
        UpgradeSchema(db.get());
        QCOMPARE(prompter.messages().size(), 0);

        QCOMPARE(rows(*db, QStringLiteral("SELECT name FROM group_name ORDER BY name")), groupsBefore);
        QCOMPARE(rows(*db, QStringLiteral("SELECT * FROM total")), totalBefore);
        QCOMPARE(rows(*db, QStringLiteral("SELECT pro_name, group_name FROM total_print")),
                 QStringList{QStringLiteral("TV|가전")});

        // group_name.name: Text(6) in its old position, with the primary index.
        QCOMPARE(fieldNames(*db, QStringLiteral("group_name")), QStringList{QStringLiteral("name")});
        QCOMPARE(field(*db, QStringLiteral("group_name"), QStringLiteral("name")).size, 6);
        bool primary = false;
        for (const dao::IndexDef& ix : db->tableDef(QStringLiteral("group_name")).indexes)
            if (ix.name.compare(QStringLiteral("group_name_name"), Qt::CaseInsensitive) == 0)
                primary = ix.primary && ix.unique;
        QVERIFY(primary);
        QCOMPARE(field(*db, QStringLiteral("total"), QStringLiteral("group_name")).size, 6);
        QCOMPARE(fieldNames(*db, QStringLiteral("total")).indexOf(QStringLiteral("group_name")), 4);

        // Telephone columns appended to both party tables, filled with "".
        for (const QString& t : {QStringLiteral("maechul"), QStringLiteral("maeip")}) {
            const QStringList names = fieldNames(*db, t);
            QCOMPARE(names.mid(7), (QStringList{QStringLiteral("tel2"), QStringLiteral("tel3"), QStringLiteral("tel4"),
                                                QStringLiteral("tel5"), QStringLiteral("tel6")}));
            const dao::FieldDef tel6 = field(*db, t, QStringLiteral("tel6"));
            QCOMPARE(tel6.type, int(dao::dbText));
            QCOMPARE(tel6.size, 15);
            QVERIFY(tel6.allowZeroLength);
        }
        QCOMPARE(rows(*db, QStringLiteral("SELECT * FROM maechul ORDER BY id")),
                 (QStringList{QStringLiteral("2|둘|<null>|<null>|<null>|<null>|<null>|||||"),
                              QStringLiteral("40000|김's 상회|02-555-1234|010-1|12345|서울|메모|||||")}));
        QCOMPARE(rows(*db, QStringLiteral("SELECT * FROM maeip")),
                 QStringList{QStringLiteral("7|공급사|031-1|||||||||")});

        // A second start changes nothing and shows nothing.
        const QString schemaBefore = rows(*db, QStringLiteral("SELECT sql FROM sqlite_master ORDER BY name")).join('\n');
        UpgradeSchema(db.get());
        QCOMPARE(prompter.messages().size(), 0);
        QCOMPARE(rows(*db, QStringLiteral("SELECT sql FROM sqlite_master ORDER BY name")).join('\n'), schemaBefore);
        QCOMPARE(rows(*db, QStringLiteral("SELECT * FROM total")), totalBefore);
    }

    // The call list finds one caller's newest calls, by name or by number, through an index
    // in the order it shows them (no sort of all that caller's calls): old files get the
    // indexes at start, files with them are left alone, a read-only file is not touched.
    void callListReadsACallersNewestCallsByIndex()
    {
        testsupport::TestEnv env;
        testsupport::ScriptedPrompter prompter;
        const auto plan = [](dao::Database& db, const QString& where) {
            auto rs = db.openRecordset(
                QStringLiteral("EXPLAIN QUERY PLAN SELECT t.sdate, t.stime, t.stel, t.sdam, t.seq FROM tellist AS t")
                    + where + QStringLiteral(" ORDER BY t.sdate DESC, t.stime DESC, t.seq DESC LIMIT 20"),
                dao::dbOpenSnapshot, {QStringLiteral("0255551234")});
            QStringList steps;
            for (; !rs->eof(); rs->moveNext())
                steps << rs->text(QStringLiteral("detail"));
            return steps.join(QLatin1Char(';'));
        };
        const auto indexes = [](dao::Database& db) {
            return rows(db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'index' AND tbl_name = 'tellist'"
                                           " AND sql IS NOT NULL ORDER BY name"));
        };
        const QStringList both = {QStringLiteral("tellist_cname_time"), QStringLiteral("tellist_stel_time")};

        const QString old = env.path(QStringLiteral("old.mdb"));
        QVERIFY(ledgertest::makeDatabase(old, ledgertest::oldMainSchema()));
        {
            auto ro = dao::Database::open(old, 0, true); // (its columns cannot be added either)
            UpgradeSchema(ro.get());
            QCOMPARE(indexes(*ro), QStringList());
            prompter.clear();
        }
        auto db = dao::Database::open(old);
        QVERIFY(plan(*db, QStringLiteral(" WHERE cname = ?")).contains(QStringLiteral("SCAN")));
        UpgradeSchema(db.get());
        QCOMPARE(indexes(*db), both);
        for (const QString& where : {QStringLiteral(" WHERE cname = ?"), QStringLiteral(" WHERE stel = ?")}) {
            const QString steps = plan(*db, where);
            QVERIFY2(steps.contains(QStringLiteral("USING INDEX")) && !steps.contains(QStringLiteral("TEMP B-TREE")),
                     qPrintable(steps));
        }

        // a file made before: a number index of its own, no name index
        const QString shipped = env.path(QStringLiteral("shipped.mdb"));
        QVERIFY(testsupport::createDatabase(shipped, QStringLiteral("main")));
        auto sdb = dao::Database::open(shipped);
        const QStringList fresh = indexes(*sdb);
        QVERIFY(fresh.contains(QStringLiteral("tellist_cname_time")) && fresh.contains(QStringLiteral("tellist_stel_time")));
        UpgradeSchema(sdb.get());
        QCOMPARE(indexes(*sdb), fresh); // a new file has them already
        sdb->execute(QStringLiteral("DROP INDEX tellist_cname_time"));
        sdb->execute(QStringLiteral("DROP INDEX tellist_stel_time"));
        sdb->execute(QStringLiteral("CREATE INDEX tellist_stel ON tellist (stel)"));
        UpgradeSchema(sdb.get());
        QVERIFY(indexes(*sdb).contains(QStringLiteral("tellist_stel_time")));
        const QString steps = plan(*sdb, QStringLiteral(" WHERE stel = ?"));
        QVERIFY2(!steps.contains(QStringLiteral("TEMP B-TREE")), qPrintable(steps));
        QCOMPARE(prompter.messages().size(), 0);
    }

    // A memo is free text. Old files declare it so that a memo that reads as a number is
    // stored as that number ("007" came back as "7"). The start gives both party tables text
    // memos in one go, keeping every row with its row number, the indexes and the triggers;
    // the next start changes nothing. A memo already stored as a number cannot be brought
    // back: it keeps the number's text. A file opened read-only is left as it is, silently.
    void memosBecomeTextAtStart()
    {
        testsupport::TestEnv env;
        testsupport::ScriptedPrompter prompter;
        const QString path = env.path(QStringLiteral("old.mdb"));
        QVERIFY(ledgertest::makeDatabase(path, ledgertest::oldMainSchema(), QStringLiteral(
            "CREATE UNIQUE INDEX maeip_name_id ON maeip (name, id);"
            "CREATE TRIGGER maechul_gone AFTER DELETE ON maechul BEGIN"
            " INSERT INTO tellist (cname) VALUES (old.name); END;"
            "INSERT INTO maechul (id, name, memo) VALUES (3, '가', '007'), (40000, '나', '단골 1.50'),"
            " (5, '다', NULL), (6, '라', ''), (7, '마', '1.50');"
            "DELETE FROM maechul WHERE id = 5; DELETE FROM tellist;"
            "INSERT INTO maeip (id, name, memo) VALUES (7, '공급사', '0012345678');")));
        const auto snapshot = [](dao::Database& db) {
            const QString columns = QStringLiteral("SELECT rowid, id, name, tel, phone, zipcode, address, memo FROM ");
            return rows(db, columns + QStringLiteral("maechul ORDER BY rowid"))
                + rows(db, columns + QStringLiteral("maeip ORDER BY rowid"));
        };
        const auto schemaVersion = [](dao::Database& db) {
            return db.scalar(QStringLiteral("PRAGMA schema_version")).toLongLong();
        };
        QStringList before;
        {
            auto ro = dao::Database::open(path, 0, true);
            before = snapshot(*ro);
            const QStringList oldTypes = memoTypes(*ro);
            UpgradeSchema(ro.get());
            QCOMPARE(memoTypes(*ro), oldTypes);
            prompter.clear(); // (the other old columns of a read-only file cannot change either)
        }

        auto db = dao::Database::open(path);
        UpgradeSchema(db.get());
        QCOMPARE(prompter.messages().size(), 0);
        QCOMPARE(snapshot(*db), before);
        // the number it had become cannot be undone, but it is text from now on
        QCOMPARE(rows(*db, QStringLiteral("SELECT typeof(memo) || ':' || memo FROM maechul WHERE id IN (3, 7) ORDER BY id")),
                 (QStringList{QStringLiteral("text:7"), QStringLiteral("text:1.5")}));
        for (const QString& table : {QStringLiteral("maechul"), QStringLiteral("maeip")})
            for (const QString& memo : {QStringLiteral("007"), QStringLiteral("1.50"), QStringLiteral("0012345678"),
                                        QStringLiteral("11100000000000000000000")}) {
                db->execute(QStringLiteral("UPDATE %1 SET memo = ? WHERE id = 7").arg(table), {memo});
                QCOMPARE(db->scalar(QStringLiteral("SELECT memo FROM %1 WHERE id = 7").arg(table)).toString(), memo);
            }
        QCOMPARE(rows(*db, QStringLiteral("SELECT name FROM sqlite_master WHERE name IN ('maeip_name_id', 'maechul_gone')"
                                          " ORDER BY name")),
                 (QStringList{QStringLiteral("maechul_gone"), QStringLiteral("maeip_name_id")}));
        db->execute(QStringLiteral("DELETE FROM maechul WHERE id = 6"));
        QCOMPARE(rows(*db, QStringLiteral("SELECT cname FROM tellist")), QStringList{QStringLiteral("라")});

        // The next start finds nothing to do.
        const qint64 version = schemaVersion(*db);
        UpgradeSchema(db.get());
        QCOMPARE(schemaVersion(*db), version);
        QCOMPARE(prompter.messages().size(), 0);
    }

    // The shop's own views, triggers and columns on a party table: the memo upgrade keeps each
    // one as it was declared and working, and the start shows nothing. own: what the shop added
    // to a file of the previous version; use: a statement run afterwards; then check's rows.
    void shopsOwnSchemaOutlivesTheMemoUpgrade_data()
    {
        QTest::addColumn<QString>("own");
        QTest::addColumn<QString>("use");
        QTest::addColumn<QString>("check");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("view on maechul")
            << "CREATE VIEW party_names AS SELECT name FROM maechul;" << ""
            << "SELECT * FROM party_names ORDER BY name" << QStringList{"가", "나"};
        QTest::newRow("view on both party tables")
            << "CREATE VIEW parties AS SELECT p.name, s.name FROM maeip AS p JOIN maechul AS s ON s.id = p.id + 1;"
            << "" << "SELECT * FROM parties" << QStringList{"공급사|가"};
        QTest::newRow("trigger on total reading maechul")
            << "CREATE TRIGGER total_party AFTER INSERT ON total BEGIN UPDATE total SET maechul_name ="
               " (SELECT name FROM maechul WHERE id = new.maechul_code) WHERE total_id = new.total_id; END;"
            << "INSERT INTO total (maechul_code) VALUES (4)" << "SELECT maechul_name FROM total" << QStringList{"나"};
        QTest::newRow("column of a type of its own")
            << "ALTER TABLE maechul ADD COLUMN rate DECIMAL(5,2); UPDATE maechul SET rate = 1.5 WHERE id = 3;" << ""
            << "SELECT typeof(rate) || ':' || rate FROM maechul ORDER BY id" << QStringList{"real:1.5", "<null>"};
        QTest::newRow("column with a check")
            << "ALTER TABLE maeip ADD COLUMN grade TEXT(1) DEFAULT 'A' CHECK (grade IN ('A', 'B'));" << ""
            << "SELECT (SELECT instr(sql, 'grade TEXT(1) DEFAULT ''A'' CHECK (grade IN (''A'', ''B''))') > 0"
               " FROM sqlite_master WHERE name = 'maeip'), grade FROM maeip"
            << QStringList{"1|A"};
        QTest::newRow("index on an expression")
            << "CREATE INDEX maechul_lower ON maechul (lower(name)); CREATE INDEX maechul_named ON maechul (name) WHERE memo <> '';"
            << "" << "SELECT name FROM maechul INDEXED BY maechul_lower WHERE lower(name) = '나'" << QStringList{"나"};
        QTest::newRow("generated column")
            << "ALTER TABLE maechul ADD COLUMN label TEXT GENERATED ALWAYS AS (name || ':' || id) VIRTUAL;" << ""
            << "SELECT label FROM maechul ORDER BY id" << QStringList{"가:3", "나:4"};
    }
    void shopsOwnSchemaOutlivesTheMemoUpgrade()
    {
        QFETCH(QString, own);
        QFETCH(QString, use);
        QFETCH(QString, check);
        QFETCH(QStringList, expected);
        testsupport::TestEnv env;
        testsupport::ScriptedPrompter prompter;
        const QString path = env.path(QStringLiteral("previous.mdb"));
        QVERIFY(ledgertest::makeDatabase(path, previousVersionSchema(), QStringLiteral(
            "INSERT INTO maechul (id, name, memo) VALUES (3, '가', '메모'), (4, '나', NULL);"
            "INSERT INTO maeip (id, name) VALUES (2, '공급사');") + own));
        auto db = dao::Database::open(path);
        const auto everythingElse = [](dao::Database& db) {
            return rows(db, QStringLiteral("SELECT type, name, sql FROM sqlite_master"
                                           " WHERE NOT (type = 'table' AND name IN ('maechul', 'maeip')) AND tbl_name <> 'tellist'"
                                           " ORDER BY name"))
                + rows(db, QStringLiteral("SELECT 'maechul', * FROM pragma_table_info('maechul') WHERE name <> 'memo'"
                                          " UNION ALL SELECT 'maeip', * FROM pragma_table_info('maeip') WHERE name <> 'memo'"));
        };
        const QStringList before = everythingElse(*db);

        UpgradeSchema(db.get());
        QCOMPARE(prompter.messages().size(), 0);
        QCOMPARE(memoTypes(*db), (QStringList{QStringLiteral("LONGTEXT"), QStringLiteral("LONGTEXT")}));
        QCOMPARE(everythingElse(*db), before);
        if (!use.isEmpty())
            db->execute(use);
        QCOMPARE(rows(*db, check), expected);
        db->execute(QStringLiteral("UPDATE maechul SET memo = '007' WHERE id = 3"));
        QCOMPARE(db->scalar(QStringLiteral("SELECT memo FROM maechul WHERE id = 3")).toString(), QStringLiteral("007"));
    }

    // Another workstation holds the file while this one starts: the memos (and the call list's
    // indexes) are left for a later start at once and without a word, however long the other
    // workstation would be waited for; the next start on a free file does them. On a file
    // older than that, the steps the program cannot do without wait for the other workstation
    // as the open does, and when it does not let go, the start says so in one message of its
    // own and changes nothing.
    void busyFileLeavesTheMemosForALaterStart_data()
    {
        QTest::addColumn<bool>("write");
        QTest::addColumn<bool>("older");
        QTest::newRow("a write held") << true << false;
        QTest::newRow("a long read held") << false << false;
        QTest::newRow("older file, a write held") << true << true;
        QTest::newRow("older file, a long read held") << false << true;
    }
    void busyFileLeavesTheMemosForALaterStart()
    {
        QFETCH(bool, write);
        QFETCH(bool, older);
        testsupport::TestEnv env;
        testsupport::ScriptedPrompter prompter;
        const QString path = env.path(QStringLiteral("previous.mdb"));
        QVERIFY(ledgertest::makeDatabase(path, older ? ledgertest::oldMainSchema() : previousVersionSchema(), QStringLiteral(
            "INSERT INTO maechul (id, name, memo) VALUES (3, '가', '메모');")));
        const QString before = rows(*dao::Database::open(path), QStringLiteral("SELECT sql FROM sqlite_master")).join('\n');
        const QStringList oldTypes = {QStringLiteral("MEMO"), QStringLiteral("MEMO")};
        const auto indexes = [](dao::Database& db) {
            return db.scalar(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type = 'index' AND tbl_name = 'tellist'"
                                            " AND sql IS NOT NULL")).toInt();
        };
        struct Limit { ~Limit() { dao::Database::setDefaultBusyLimit(-1); } } restore;
        // a step that waits would wait for the holder to end (one that must wait, for a while)
        dao::Database::setDefaultBusyLimit(older ? 1500 : 600000);
        auto db = dao::Database::open(path);

        auto holder = write ? testsupport::Workstations::holdWrite(path, 60000)
                            : testsupport::Workstations::holdLock(path, 60000, false);
        QCOMPARE(QString::fromUtf8(holder->readLine()).trimmed(), QStringLiteral("held=1"));
        UpgradeSchema(db.get());
        // the start did not wait for it: it still holds the file
        QVERIFY(holder->state() == QProcess::Running && !holder->waitForFinished(0));
        QCOMPARE(prompter.messages().size(), older ? 1 : 0);
        if (older) {
            QVERIFY2(prompter.messages()[0].text.startsWith(QStringLiteral("다른 작업장")), qPrintable(prompter.messages()[0].text));
            QCOMPARE(rows(*db, QStringLiteral("SELECT sql FROM sqlite_master")).join('\n'), before);
            prompter.clear();
        }
        QCOMPARE(memoTypes(*db), oldTypes);
        QCOMPARE(indexes(*db), 0);
        holder->kill();
        holder->waitForFinished();

        UpgradeSchema(db.get());
        QCOMPARE(prompter.messages().size(), 0);
        QCOMPARE(memoTypes(*db), (QStringList{QStringLiteral("LONGTEXT"), QStringLiteral("LONGTEXT")}));
        QCOMPARE(indexes(*db), 2);
        QCOMPARE(rows(*db, QStringLiteral("SELECT id, name, memo, tel6 FROM maechul")), QStringList{QStringLiteral("3|가|메모|")});
        QCOMPARE(field(*db, QStringLiteral("total"), QStringLiteral("group_name")).size, 6);
    }

    void salesTelephonesMarkBothTablesDone()
    {
        testsupport::TestEnv env;
        testsupport::ScriptedPrompter prompter;
        const QString path = env.path(QStringLiteral("half.mdb"));
        QString schema = ledgertest::oldMainSchema();
        QVERIFY(ledgertest::makeDatabase(path, schema, QStringLiteral("ALTER TABLE maechul ADD COLUMN tel2 TEXT(15);")));
        auto db = dao::Database::open(path);
        UpgradeSchema(db.get());
        QCOMPARE(fieldNames(*db, QStringLiteral("maeip")).size(), 7);
        QCOMPARE(prompter.messages().size(), 0);
    }

    // Two workstations start on an old file at the same moment: the second one waits for the
    // first one's change and then finds its work done; it shows no error and adds nothing twice.
    void twoWorkstationsStartingAtOnce()
    {
        testsupport::TestEnv env;
        testsupport::ScriptedPrompter prompter;
        const QString path = env.path(QStringLiteral("old.mdb"));
        QString schema = ledgertest::oldMainSchema();
        schema.replace(QStringLiteral("group_name TEXT(50)"), QStringLiteral("group_name TEXT(6)"));
        schema.replace(QStringLiteral("CREATE TABLE group_name (name TEXT(50));"),
                       QStringLiteral("CREATE TABLE group_name (name TEXT(6) NOT NULL, CONSTRAINT group_name_name PRIMARY KEY (name));"));
        QVERIFY(ledgertest::makeDatabase(path, schema, QStringLiteral(
            "INSERT INTO maechul (id, name) VALUES (1, '가'); INSERT INTO maeip (id, name) VALUES (2, '나');")));

        auto first = dao::Database::open(path);
        auto second = dao::Database::open(path);
        // The first workstation is half-way: its telephone columns are not committed yet.
        first->beginImmediate();
        UpgradeSchema(first.get());
        QCOMPARE(prompter.messages().size(), 0);
        std::thread commitLater([&] {
            QThread::msleep(300);
            first->commit();
        });
        UpgradeSchema(second.get());
        commitLater.join();
        QCOMPARE(prompter.messages().size(), 0);
        for (const QString& t : {QStringLiteral("maechul"), QStringLiteral("maeip")})
            QCOMPARE(fieldNames(*second, t).size(), 12);
        QCOMPARE(rows(*second, QStringLiteral("SELECT id, name, tel6 FROM maechul")), QStringList{QStringLiteral("1|가|")});
    }
};

QTEST_MAIN(tst_UpgradeSchema)
#include "tst_UpgradeSchema.moc"
