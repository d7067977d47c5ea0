// The shipped database layouts, read back through the engine: the main database in its old
// layout, the start-up upgrade steps applied to it, the generated ledger (which must already
// be in the upgraded layout), and the postal-code database.
#include "frame/modDao.h"
#include "frame/modGlobal.h"
#include "frame/modMain.h"
#include "support/ScriptedPrompter.h"
#include "support/TestEnv.h"

#include "platform/Recordset.h"
#include "platform/SqlText.h"

#include <QProcess>
#include <QtTest>

namespace {

struct Col { const char* name; int type; int size; };

// Every column the program names, with its type; size 0 = any.
const QList<QPair<QString, QList<Col>>>& expectedTables()
{
    using namespace dao;
    static const QList<QPair<QString, QList<Col>>> t = {
        {QStringLiteral("total"), {{"total_id", dbLong, 0}, {"maeip_date", dbText, 10}, {"pro_code", dbLong, 0},
                                   {"pro_name", dbText, 0}, {"group_name", dbText, 50}, {"maeip_code", dbLong, 0},
                                   {"maeip_name", dbText, 0}, {"maeip_cost", dbCurrency, 0}, {"maechul_date", dbText, 10},
                                   {"maechul_code", dbLong, 0}, {"maechul_name", dbText, 0}, {"maechul_cost", dbCurrency, 0},
                                   {"maechul_usecost", dbCurrency, 0}}},
        {QStringLiteral("total_print"), {{"maeip_date", dbText, 10}, {"pro_name", dbText, 0}, {"maeip_name", dbText, 0},
                                         {"maeip_cost", dbCurrency, 0}, {"maechul_date", dbText, 10}, {"maechul_name", dbText, 0},
                                         {"maechul_cost", dbCurrency, 0}, {"maechul_usecost", dbCurrency, 0},
                                         {"group_name", dbText, 50}}},
        {QStringLiteral("maechul"), {{"id", dbLong, 0}, {"name", dbText, 50}, {"tel", dbText, 0}, {"phone", dbText, 0},
                                     {"zipcode", dbText, 0}, {"address", dbText, 0}, {"memo", dbMemo, 0}}},
        {QStringLiteral("maeip"), {{"id", dbLong, 0}, {"name", dbText, 50}, {"tel", dbText, 0}, {"phone", dbText, 0},
                                   {"zipcode", dbText, 0}, {"address", dbText, 0}, {"memo", dbMemo, 0}}},
        {QStringLiteral("product"), {{"name", dbText, 0}}},
        {QStringLiteral("group_name"), {{"name", dbText, 50}}},
        {QStringLiteral("user"), {{"userid", dbText, 0}, {"pass", dbText, 0}}},
        {QStringLiteral("tellist"), {{"seq", dbLong, 0}, {"sdate", dbText, 10}, {"stime", dbText, 8}, {"stel", dbText, 0},
                                     {"cname", dbText, 0}, {"sdam", dbText, 0}}},
    };
    return t;
}

// The upgrade the program runs at start, step by step as the schema helpers do it.
void upgrade(dao::Database* db)
{
    if (DAO_EditField(db, QStringLiteral("group_name"), QStringLiteral("name"), 6, true, true, -1, QVariant()))
        DAO_AddIndex(db, QStringLiteral("group_name"), QStringLiteral("name"), true, true, true);
    DAO_EditField(db, QStringLiteral("total"), QStringLiteral("group_name"), 6, true, false, -1, QVariant());
    DAO_EditField(db, QStringLiteral("total_print"), QStringLiteral("group_name"), 6, true, false, -1, QVariant());
    for (const QString table : {QStringLiteral("maechul"), QStringLiteral("maeip")})
        DAO_EditField(db, table, QStringLiteral("memo"), 0, true, false, -1, QVariant());
    for (const QString table : {QStringLiteral("maechul"), QStringLiteral("maeip")})
        for (int i = 2; i <= 6; ++i) {
            const QString f = QStringLiteral("tel%1").arg(i);
            if (!DAO_AddField(db, table, f, dao::dbText, 15, true, QStringLiteral("UPDATE %1 SET %2 = ''").arg(table, f),
                              QStringLiteral(""), -1)
                && table == QLatin1String("maechul") && i == 2)
                return;
        }
}

// "table.column" of every column the program reads as text (Text or Memo) whose declared type
// would store a text that reads as a number as that number ("007" as 7).
QStringList textColumnsTakingNumbers(dao::Database& db)
{
    QStringList out;
    for (const QString& table : db.tableNames()) {
        const dao::TableDef def = db.tableDef(table);
        auto rs = db.openRecordset(QStringLiteral("SELECT name, type FROM pragma_table_info(?)"), dao::dbOpenSnapshot, {table});
        for (; !rs->eof(); rs->moveNext()) {
            const int type = def.fields.value(def.fieldIndex(rs->text(0))).type;
            if (type != dao::dbText && type != dao::dbMemo)
                continue;
            // A value converts as it would on its way into the column.
            for (const QString& probe : {QStringLiteral("007"), QStringLiteral("1.50"), QStringLiteral(" 42"),
                                         QStringLiteral("11100000000000000000000")}) {
                const QVariant v = db.scalar(QStringLiteral("SELECT CAST(? AS %1)").arg(rs->text(1)), {probe});
                if (v.typeId() != QMetaType::QString || v.toString() != probe) {
                    out << table + QLatin1Char('.') + rs->text(0) + QStringLiteral(" ") + rs->text(1);
                    break;
                }
            }
        }
    }
    return out;
}

QString describe(const dao::TableDef& d)
{
    QStringList out;
    for (const dao::FieldDef& f : d.fields)
        out << QStringLiteral("%1 type=%2 size=%3 pos=%4 zero=%5 req=%6 auto=%7 coll=%8 def=%9")
                   .arg(f.name).arg(f.type).arg(f.size).arg(f.ordinalPosition).arg(f.allowZeroLength).arg(f.required)
                   .arg(f.autoIncrement).arg(f.collation, f.defaultValue);
    QStringList idx;
    for (const dao::IndexDef& i : d.indexes)
        idx << QStringLiteral("%1 p=%2 u=%3 r=%4 (%5)").arg(i.name).arg(i.primary).arg(i.unique).arg(i.required)
                   .arg(i.fields.join(QLatin1Char(',')));
    idx.sort();
    return out.join(QLatin1Char('\n')) + QStringLiteral("\n--\n") + idx.join(QLatin1Char('\n'));
}

} // namespace

class TstSchema : public QObject {
    Q_OBJECT
    testsupport::TestEnv env;

    DatabasePtr shippedMain(const QString& name)
    {
        const QString file = env.path(name);
        if (!testsupport::createDatabase(file, QStringLiteral("main")))
            return nullptr;
        DatabasePtr db;
        DAO_OpenDatabase(db, file, 0, false);
        return db;
    }

private slots:
    void initTestCase() { gsTitle = QStringLiteral("Trelvo"); }

    void mainHasEveryTableAndColumn()
    {
        DatabasePtr db = shippedMain(QStringLiteral("main1.mdb"));
        QVERIFY(db);
        for (const auto& table : expectedTables()) {
            QVERIFY2(db->hasTable(table.first), qPrintable(table.first));
            const dao::TableDef def = db->tableDef(table.first);
            QCOMPARE(def.fields.size(), table.second.size());
            for (const Col& c : table.second) {
                const int i = def.fieldIndex(QString::fromLatin1(c.name));
                QVERIFY2(i >= 0, c.name);
                QCOMPARE(def.fields[i].type, c.type);
                if (c.size)
                    QCOMPARE(def.fields[i].size, c.size);
                // Party texts are written as empty strings, never Null.
                if (c.type == dao::dbText)
                    QVERIFY2(def.fields[i].allowZeroLength, c.name);
            }
        }
        // Keys the database fills.
        QVERIFY(db->tableDef(QStringLiteral("total")).fields[0].autoIncrement);
        QVERIFY(db->tableDef(QStringLiteral("tellist")).fields[0].autoIncrement);
        // Names compare without regard to case.
        for (const auto& [table, field] : {qMakePair(QStringLiteral("maechul"), QStringLiteral("name")),
                                           qMakePair(QStringLiteral("total"), QStringLiteral("pro_name")),
                                           qMakePair(QStringLiteral("group_name"), QStringLiteral("name")),
                                           qMakePair(QStringLiteral("product"), QStringLiteral("name"))}) {
            const dao::TableDef d = db->tableDef(table);
            QCOMPARE(d.fields[d.fieldIndex(field)].collation.toUpper(), QStringLiteral("NOCASE"));
        }
        // The old layout: the upgrade has work to do.
        QVERIFY(db->tableDef(QStringLiteral("group_name")).indexes.isEmpty());
        QCOMPARE(db->tableDef(QStringLiteral("maechul")).fieldIndex(QStringLiteral("tel2")), -1);
        QCOMPARE(db->tableDef(QStringLiteral("maeip")).fieldIndex(QStringLiteral("tel2")), -1);
        // A new database has its user and no password.
        RecordsetPtr rs;
        QVERIFY(DAO_OpenSnapshot(db, rs, QStringLiteral("select * from user")));
        QCOMPARE(rs->recordCount(), 1);
        QCOMPARE(rs->text(QStringLiteral("userid")), QStringLiteral("Trelvo"));
        QVERIFY(rs->isNull(rs->fieldIndex(QStringLiteral("pass"))));
        CloseRS(rs);
        // Amounts beyond 32 bits and ids beyond 16 bits survive.
        db->execute(QStringLiteral("INSERT INTO total (maeip_date, maechul_code, maechul_cost) VALUES (?, ?, ?)"),
                    {QStringLiteral("2024-01-02"), qint64(70000), qint64(90000000000)});
        QCOMPARE(db->scalar(QStringLiteral("SELECT maechul_cost FROM total WHERE maechul_code = ?"), {70000}).toLongLong(),
                 qint64(90000000000));
    }

    void ledgerIndexesServeThePeriodSearch()
    {
        DatabasePtr db = shippedMain(QStringLiteral("main2.mdb"));
        QVERIFY(db);
        QStringList plan;
        RecordsetPtr rs;
        QVERIFY(DAO_OpenSnapshot(db, rs, QStringLiteral("EXPLAIN QUERY PLAN SELECT t.* FROM total AS t WHERE t.maechul_date "
                                                        "BETWEEN ? AND ? ORDER BY t.maechul_date, t.total_id"),
                                 {QStringLiteral("2020-01-01"), QStringLiteral("2020-12-31")}));
        for (; !rs->eof(); rs->moveNext())
            plan << rs->text(rs->fieldCount() - 1);
        CloseRS(rs);
        QVERIFY2(plan.join(' ').contains(QStringLiteral("total_maechul_date")), qPrintable(plan.join(' ')));
        QVERIFY2(!plan.join(' ').contains(QStringLiteral("TEMP B-TREE")), qPrintable(plan.join(' ')));
    }

    void upgradeOfShippedMainKeepsEveryValue()
    {
        testsupport::ScriptedPrompter p;
        DatabasePtr db = shippedMain(QStringLiteral("main3.mdb"));
        QVERIFY(db);
        db->execute(QStringLiteral("INSERT INTO group_name (name) VALUES (?), (?)"), {QStringLiteral("메모리"), QStringLiteral("CPU")});
        db->execute(QStringLiteral("INSERT INTO maechul (id, name, tel) VALUES (?, ?, ?)"), {1, QStringLiteral("한빛테크"), QStringLiteral("02-555-1234")});
        db->execute(QStringLiteral("INSERT INTO total (maeip_date, group_name, pro_name) VALUES (?, ?, ?)"),
                    {QStringLiteral("2024-01-02"), QStringLiteral("메모리"), QStringLiteral("DDR4 8GB")});
        upgrade(db.get());
        QCOMPARE(p.calls.size(), 0);
        const dao::TableDef g = db->tableDef(QStringLiteral("group_name"));
        QCOMPARE(g.fields[0].size, 6);
        QCOMPARE(g.indexes.size(), 1);
        QCOMPARE(g.indexes[0].name, QStringLiteral("group_name_name"));
        QVERIFY(g.indexes[0].primary);
        QCOMPARE(db->scalar(QStringLiteral("SELECT COUNT(*) FROM group_name")).toInt(), 2);
        QCOMPARE(db->scalar(QStringLiteral("SELECT tel6 FROM maechul WHERE id = 1")).toString(), QString(""));
        QCOMPARE(db->scalar(QStringLiteral("SELECT group_name FROM total")).toString(), QStringLiteral("메모리"));
        // Indexes of the ledger survive the rebuild of total.
        QStringList names;
        for (const dao::IndexDef& i : db->tableDef(QStringLiteral("total")).indexes)
            names << i.name;
        for (const char* n : {"total_maechul_date", "total_maechul_code", "total_maeip_code", "total_group_name", "total_pro_name"})
            QVERIFY2(names.contains(QString::fromLatin1(n)), n);
    }

    // The generated ledger is laid out exactly as an upgraded shipped file, so the start-up
    // finds nothing to do on it.
    void generatedLedgerIsAlreadyUpgraded()
    {
        testsupport::ScriptedPrompter p;
        DatabasePtr upgraded = shippedMain(QStringLiteral("main4.mdb"));
        QVERIFY(upgraded);
        upgrade(upgraded.get());

        const QString file = env.path(QStringLiteral("ledger.mdb"));
        QProcess gen;
        gen.start(QStringLiteral(TRELVO_BINARY_DIR "/bin/trelvo-genledger"),
                  {QStringLiteral("--vouchers"), QStringLiteral("500"), QStringLiteral("--out"), file});
        QVERIFY(gen.waitForFinished(60000));
        QCOMPARE(gen.exitCode(), 0);
        DatabasePtr ledger;
        QVERIFY(DAO_OpenDatabase(ledger, file, 0, false));
        for (const auto& table : expectedTables())
            QCOMPARE(describe(ledger->tableDef(table.first)), describe(upgraded->tableDef(table.first)));
        QCOMPARE(textColumnsTakingNumbers(*ledger), QStringList());

        QVERIFY(!DAO_EditField(ledger.get(), QStringLiteral("group_name"), QStringLiteral("name"), 6, true, true, -1, QVariant()));
        QVERIFY(!DAO_EditField(ledger.get(), QStringLiteral("total"), QStringLiteral("group_name"), 6, true, false, -1, QVariant()));
        QVERIFY(!DAO_EditField(ledger.get(), QStringLiteral("total_print"), QStringLiteral("group_name"), 6, true, false, -1, QVariant()));
        QVERIFY(!DAO_AddField(ledger.get(), QStringLiteral("maechul"), QStringLiteral("tel2"), dao::dbText, 15, true,
                              QString(), QStringLiteral(""), -1));
        for (const QString table : {QStringLiteral("maechul"), QStringLiteral("maeip")})
            QVERIFY(!DAO_EditField(ledger.get(), table, QStringLiteral("memo"), 0, true, false, -1, QVariant()));
        QCOMPARE(p.calls.size(), 0);
    }

    // Every text the program keeps comes back as it was written, also one that reads as a
    // number: in the shipped main, postal and trade databases, in a main database brought up to
    // date, in the generated ledger and in columns the schema helpers add or change.
    void textColumnsKeepTextsThatReadAsNumbers()
    {
        testsupport::ScriptedPrompter p;
        DatabasePtr db = shippedMain(QStringLiteral("main5.mdb"));
        QVERIFY(db);
        QCOMPARE(textColumnsTakingNumbers(*db), QStringList());
        for (const char* schema : {"post", "trade"}) {
            const QString file = env.path(QString::fromLatin1(schema) + QStringLiteral(".texts.mdb"));
            QVERIFY(testsupport::createDatabase(file, QString::fromLatin1(schema)));
            QCOMPARE(textColumnsTakingNumbers(*dao::Database::open(file)), QStringList());
        }
        const QString old = env.path(QStringLiteral("old.texts.mdb"));
        QVERIFY(testsupport::runSqlScript(old, QStringLiteral(
            "CREATE TABLE maechul (id LONG NOT NULL, name TEXT(50), memo MEMO DEFAULT '');"
            "CREATE TABLE maeip (id LONG NOT NULL, name TEXT(50), memo MEMO DEFAULT '');"
            "INSERT INTO maechul (id, name, memo) VALUES (1, 'a', 'x');")));
        DatabasePtr o;
        QVERIFY(DAO_OpenDatabase(o, old, 0, false));
        QCOMPARE(textColumnsTakingNumbers(*o), (QStringList{QStringLiteral("maechul.memo MEMO"), QStringLiteral("maeip.memo MEMO")}));
        for (const QString table : {QStringLiteral("maechul"), QStringLiteral("maeip")})
            QVERIFY(DAO_EditField(o.get(), table, QStringLiteral("memo"), 0, true, false, -1, QVariant()));
        QCOMPARE(textColumnsTakingNumbers(*o), QStringList());
        const dao::FieldDef memo = o->tableDef(QStringLiteral("maechul")).fields[2];
        QCOMPARE(memo.type, int(dao::dbMemo));
        QCOMPARE(memo.defaultValue, QStringLiteral("\"\""));
        QCOMPARE(o->scalar(QStringLiteral("SELECT memo FROM maechul WHERE id = 1")).toString(), QStringLiteral("x"));
        QVERIFY(!DAO_EditField(o.get(), QStringLiteral("maechul"), QStringLiteral("memo"), 0, true, false, -1, QVariant()));

        // Columns the helpers make: added, widened to a memo, and a table rebuilt around them.
        QVERIFY(DAO_AddField(db.get(), QStringLiteral("product"), QStringLiteral("note"), dao::dbMemo, 0, true, QString(),
                             QVariant(), -1));
        QVERIFY(DAO_AddField(db.get(), QStringLiteral("product"), QStringLiteral("code"), dao::dbText, 10, true, QString(),
                             QVariant(), 0));
        QVERIFY(DAO_EditField(db.get(), QStringLiteral("total"), QStringLiteral("pro_name"), 0, true, false, dao::dbMemo,
                              QVariant()));
        upgrade(db.get());
        QCOMPARE(textColumnsTakingNumbers(*db), QStringList());
        QCOMPARE(p.calls.size(), 0);
    }

    void postalCodesSearchable()
    {
        const QString file = env.path(QStringLiteral("post.mdb"));
        QVERIFY(testsupport::createDatabase(file, QStringLiteral("post")));
        DatabasePtr db;
        QVERIFY(DAO_OpenDatabase(db, file, 0, true));
        const dao::TableDef d = db->tableDef(QStringLiteral("Post"));
        for (const char* c : {"ZIPCODE", "SIDO", "GUGUN", "DONG", "BUNJI"})
            QVERIFY2(d.fieldIndex(QString::fromLatin1(c)) >= 0, c);
        QVERIFY(db->scalar(QStringLiteral("SELECT COUNT(*) FROM Post")).toInt() >= 250);
        QCOMPARE(db->scalar(QStringLiteral("SELECT COUNT(*) FROM Post WHERE ZIPCODE GLOB '*[^0-9]*' "
                                           "OR length(ZIPCODE) NOT IN (5, 6)")).toInt(), 0);
        QVERIFY(db->scalar(QStringLiteral("SELECT COUNT(*) FROM Post WHERE length(ZIPCODE) = 6")).toInt() >= 200);
        // A town name and a run of digits, as the search uses them.
        RecordsetPtr rs;
        QVERIFY(DAO_OpenSnapshot(db, rs, QStringLiteral("SELECT ZIPCODE, SIDO, GUGUN, DONG, BUNJI FROM Post WHERE DONG LIKE ?")
                                             + QLatin1String(dao::kLikeEscape) + QStringLiteral(" ORDER BY ZIPCODE"),
                                 {dao::likeContains(QStringLiteral("역삼"))}));
        QVERIFY(rs->recordCount() >= 2);
        for (rs->moveFirst(); !rs->eof(); rs->moveNext())
            QVERIFY(rs->text(3).contains(QStringLiteral("역삼")));
        CloseRS(rs);
        QVERIFY(db->scalar(QStringLiteral("SELECT COUNT(*) FROM Post WHERE ZIPCODE LIKE ?"), {QStringLiteral("%135%")}).toInt() >= 5);
    }
};

QTEST_MAIN(TstSchema)
#include "tst_schema.moc"
