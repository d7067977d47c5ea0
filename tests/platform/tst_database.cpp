#include "platform/Database.h"
#include "platform/Recordset.h"
#include "platform/SqlText.h"
#include "support/QueryRows.h"
#include "support/TestEnv.h"

#include <QFile>
#include <QFileInfo>
#include <QtTest>
#include <atomic>
#include <thread>
#include <unistd.h>

using namespace dao;

class TestDatabase : public QObject {
    Q_OBJECT
    testsupport::TestEnv env;
    QString file;

    std::shared_ptr<Database> fresh()
    {
        file = env.path(QStringLiteral("t%1.db").arg(++counter));
        testsupport::runSqlScript(file, QStringLiteral(
            "CREATE TABLE party (id LONG, name TEXT(50) COLLATE NOCASE, tel TEXT(15), amount CURRENCY);"
            "CREATE INDEX party_name ON party(name);"
            "CREATE TABLE ledger (total_id INTEGER PRIMARY KEY AUTOINCREMENT, pro_name TEXT(50), cost CURRENCY);"));
        return Database::open(file);
    }
    int counter = 0;

private slots:
    void openNeverCreates()
    {
        const QString missing = env.path(QStringLiteral("missing.db"));
        QVERIFY_THROWS_EXCEPTION(DaoError, Database::open(missing));
        QVERIFY(!QFile::exists(missing));
        // A file that is not a database is refused too.
        const QString junk = env.path(QStringLiteral("junk.db"));
        QFile f(junk);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
        f.close();
        QVERIFY_THROWS_EXCEPTION(DaoError, Database::open(junk));
        // An empty file is no database either; it is left as it is.
        const QString empty = env.path(QStringLiteral("empty.db"));
        QFile e(empty);
        QVERIFY(e.open(QIODevice::WriteOnly));
        e.close();
        QVERIFY_THROWS_EXCEPTION(DaoError, Database::open(empty));
        QCOMPARE(QFileInfo(empty).size(), qint64(0));
    }

    void readOnlyRefusesWrites()
    {
        fresh();
        auto ro = Database::open(file, 0, true);
        try {
            ro->execute(QStringLiteral("INSERT INTO party (id) VALUES (?)"), {1});
            QFAIL("write on a read-only database succeeded");
        } catch (const DaoError& e) {
            QCOMPARE(e.number(), long(errReadOnly));
        }
    }

    void writeProtectedFileIsNotOpenedForWriting()
    {
        if (::geteuid() == 0)
            QSKIP("the superuser may write any file");
        fresh();
        QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        const QByteArray before = [&] { QFile f(file); f.open(QIODevice::ReadOnly); return f.readAll(); }();
        try {
            Database::open(file);
            QFAIL("a write-protected file was opened for writing");
        } catch (const DaoError& e) {
            QCOMPARE(e.number(), long(errReadOnly));
        }
        // Reading it is still allowed, and nothing was written.
        QVERIFY(Database::open(file, 0, true)->scalar(QStringLiteral("SELECT COUNT(*) FROM party")).isValid());
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), before);
        QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
    }

    void valuesRoundTripAsBoundParameters()
    {
        auto db = fresh();
        const QString tricky = QStringLiteral("O'Neil 100% _x_ 홍길동 \\ \"q\"");
        QCOMPARE(db->execute(QStringLiteral("INSERT INTO party (id, name, amount) VALUES (?, ?, ?)"),
                             {qint64(5000000000LL), tricky, qint64(123456789012LL)}), qint64(1));
        auto rs = db->openRecordset(QStringLiteral("SELECT * FROM party WHERE name = ?"), dbOpenSnapshot, {tricky});
        QVERIFY(!rs->eof());
        QCOMPARE(rs->value(QStringLiteral("NAME")).toString(), tricky);
        QCOMPARE(rs->toInt64(0), qint64(5000000000LL));
        QCOMPARE(rs->value(QStringLiteral("amount")).toLongLong(), qint64(123456789012LL));
        QVERIFY(rs->isNull(rs->fieldIndex(QStringLiteral("tel"))));
        QCOMPARE(rs->text(QStringLiteral("tel")), QString());
        // Names compare without regard to case.
        QCOMPARE(db->scalar(QStringLiteral("SELECT COUNT(*) FROM party WHERE name = ?"), {tricky.toUpper()}).toInt(), 1);
        // Updates report how many rows they touched.
        QCOMPARE(db->execute(QStringLiteral("UPDATE party SET tel = ? WHERE id = ?"), {QStringLiteral("02"), 1}), qint64(0));
        QCOMPARE(db->recordsAffected(), qint64(0));
        // A statement that changes no row reports 0, not the count of the write before it.
        db->execute(QStringLiteral("INSERT INTO party (id) VALUES (2), (3)"));
        QCOMPARE(db->recordsAffected(), qint64(2));
        QCOMPARE(db->execute(QStringLiteral("CREATE INDEX party_tel ON party(tel)")), qint64(0));
        QCOMPARE(db->recordsAffected(), qint64(0));
        QVERIFY_THROWS_EXCEPTION(DaoError, db->execute(QStringLiteral("SELECT ?"), {}));
    }

    // A REAL from a file carried over from elsewhere may lie beyond what a whole number holds:
    // read as a whole number it counts as no number (0), and it shows as the number it is.
    void realsBeyondTheWholeNumberRange()
    {
        auto db = fresh();
        auto rs = db->openRecordset(QStringLiteral("SELECT 1e30, -1e30, 9223372036854775807.0, 12.0, -7.9"), dbOpenSnapshot);
        QCOMPARE(rs->toInt64(0), qint64(0));
        QCOMPARE(rs->toInt64(1), qint64(0));
        QCOMPARE(rs->toInt64(2), qint64(0)); // 2^63 as a REAL is one past the largest
        QCOMPARE(rs->toInt64(3), qint64(12));
        QCOMPARE(rs->toInt64(4), qint64(-7));
        QCOMPARE(rs->text(0), QStringLiteral("1e+30"));
        QCOMPARE(rs->text(1), QStringLiteral("-1e+30"));
        QCOMPARE(rs->text(3), QStringLiteral("12"));
    }

    void likePatternsMatchLiterally()
    {
        auto db = fresh();
        for (const QString& n : {QStringLiteral("100%"), QStringLiteral("1000"), QStringLiteral("a_b"),
                                 QStringLiteral("axb"), QStringLiteral("x\\y")})
            db->execute(QStringLiteral("INSERT INTO party (name) VALUES (?)"), {n});
        auto count = [&](const QString& pattern) {
            return db->scalar(QStringLiteral("SELECT COUNT(*) FROM party WHERE name LIKE ?") + QLatin1String(kLikeEscape),
                              {pattern}).toInt();
        };
        QCOMPARE(count(likeContains(QStringLiteral("%"))), 1);
        QCOMPARE(count(likeContains(QStringLiteral("_"))), 1);
        QCOMPARE(count(likeContains(QStringLiteral("\\"))), 1);
        QCOMPARE(count(likeEndsWith(QStringLiteral("00"))), 1);
        QCOMPARE(count(likeFromWildcards(QStringLiteral("a*"))), 2);
        QCOMPARE(count(likeFromWildcards(QStringLiteral("a_*"))), 1);
    }

    void recordsetNavigationAndCount()
    {
        auto db = fresh();
        auto empty = db->openRecordset(QStringLiteral("SELECT * FROM ledger"), dbOpenSnapshot);
        QVERIFY(empty->eof());
        QCOMPARE(empty->recordCount(), qint64(0));
        QVERIFY_THROWS_EXCEPTION(DaoError, empty->value(0));
        for (int i = 1; i <= 5; ++i)
            db->execute(QStringLiteral("INSERT INTO ledger (pro_name, cost) VALUES (?, ?)"), {QStringLiteral("p%1").arg(i), i * 10});
        auto rs = db->openRecordset(QStringLiteral("SELECT * FROM ledger ORDER BY total_id"), dbOpenSnapshot);
        rs->moveLast();
        QCOMPARE(rs->recordCount(), qint64(5));
        QCOMPARE(rs->text(QStringLiteral("pro_name")), QStringLiteral("p5"));
        rs->moveFirst();
        int seen = 0;
        while (!rs->eof()) {
            ++seen;
            QCOMPARE(rs->toInt64(2), qint64(seen * 10));
            rs->moveNext();
        }
        QCOMPARE(seen, 5);
        QVERIFY_THROWS_EXCEPTION(DaoError, rs->moveNext());
        QVERIFY(!rs->updatable());
        QVERIFY_THROWS_EXCEPTION(DaoError, rs->edit());
    }

    void dynasetEditing()
    {
        auto db = fresh();
        auto rs = db->openRecordset(QStringLiteral("SELECT * FROM ledger ORDER BY total_id"));
        QVERIFY(rs->updatable());
        rs->addNew();
        rs->setValue(QStringLiteral("pro_name"), QStringLiteral("사과"));
        rs->setValue(QStringLiteral("cost"), qint64(70000));
        rs->update();
        const qint64 id = rs->lastModifiedRowId();
        QVERIFY(id > 0);
        QCOMPARE(db->lastInsertId(), id);
        rs.reset();

        auto ed = db->openRecordset(QStringLiteral("SELECT t.* FROM ledger AS t WHERE t.total_id = ?"), dbOpenDynaset, {id});
        QVERIFY(ed->updatable());
        QVERIFY(!ed->eof());
        ed->edit();
        ed->setValue(QStringLiteral("cost"), qint64(80000));
        QCOMPARE(ed->toInt64(2), qint64(80000)); // the edit buffer while editing
        ed->cancelUpdate();
        QCOMPARE(ed->toInt64(2), qint64(70000));
        ed->edit();
        ed->setValue(QStringLiteral("cost"), qint64(90000));
        ed->update();
        QCOMPARE(ed->toInt64(2), qint64(90000));
        QCOMPARE(db->scalar(QStringLiteral("SELECT cost FROM ledger WHERE total_id = ?"), {id}).toLongLong(), qint64(90000));
        // After Update the recordset shows what the table stored (a number typed as text).
        ed->edit();
        ed->setValue(QStringLiteral("cost"), QStringLiteral("95000.0"));
        ed->update();
        QCOMPARE(ed->text(2), QStringLiteral("95000"));
        QCOMPARE(ed->value(2).typeId(), int(QMetaType::LongLong));
        QVERIFY_THROWS_EXCEPTION(DaoError, ed->setValue(0, 1)); // outside Edit/AddNew

        // A row deleted meanwhile by someone else is not silently "updated".
        db->execute(QStringLiteral("DELETE FROM ledger WHERE total_id = ?"), {id});
        ed->edit();
        ed->setValue(QStringLiteral("cost"), qint64(1));
        QVERIFY_THROWS_EXCEPTION(DaoError, ed->update());

        // Joins are read-only.
        auto join = db->openRecordset(QStringLiteral("SELECT l.* FROM ledger AS l, party AS p WHERE l.total_id = p.id"));
        QVERIFY(!join->updatable());
    }

    void errorNumbers()
    {
        auto db = fresh();
        auto number = [&](const QString& sql) -> long {
            try {
                db->openRecordset(sql, dbOpenSnapshot);
            } catch (const DaoError& e) {
                return e.number();
            }
            return 0;
        };
        QCOMPARE(number(QStringLiteral("SELECT * FROM nothere")), long(errObjectNotFound));
        QCOMPARE(number(QStringLiteral("SELECT nocolumn FROM party")), long(errObjectNotFound));
        QCOMPARE(number(QStringLiteral("SELEC broken")), long(errGeneric));
        db->execute(QStringLiteral("CREATE UNIQUE INDEX u ON party(id)"));
        db->execute(QStringLiteral("INSERT INTO party (id) VALUES (1)"));
        try {
            db->execute(QStringLiteral("INSERT INTO party (id) VALUES (1)"));
            QFAIL("duplicate accepted");
        } catch (const DaoError& e) {
            QCOMPARE(e.number(), long(errDuplicateKey));
        }
    }

    void extraFunctions()
    {
        auto db = fresh();
        QCOMPARE(db->scalar(QStringLiteral("SELECT MID('2024-03-15', 1, 7)")).toString(), QStringLiteral("2024-03"));
        QCOMPARE(db->scalar(QStringLiteral("SELECT MID('홍길동전', 2)")).toString(), QStringLiteral("길동전"));
        QCOMPARE(db->scalar(QStringLiteral("SELECT MID('홍길동전', 4294967297, 2)")).toString(), QString());
        QCOMPARE(db->scalar(QStringLiteral("SELECT MID('abc', 3, 5)")).toString(), QStringLiteral("c"));
        for (int i = 1; i <= 3; ++i)
            db->execute(QStringLiteral("INSERT INTO ledger (pro_name, cost) VALUES (?, ?)"), {QStringLiteral("n%1").arg(i), i});
        auto rs = db->openRecordset(QStringLiteral("SELECT FIRST(pro_name), LAST(pro_name) FROM (SELECT * FROM ledger ORDER BY total_id)"),
                                    dbOpenSnapshot);
        QCOMPARE(rs->text(0), QStringLiteral("n1"));
        QCOMPARE(rs->text(1), QStringLiteral("n3"));
    }

    // DIGITSENDWITH looks at the digits of a text only (full-width ones too), whatever signs,
    // blanks or words lie between them.
    void digitsEndWith()
    {
        auto db = fresh();
        const auto ends = [&db](const QVariant& text, const QString& digits) {
            return db->scalar(QStringLiteral("SELECT DIGITSENDWITH(?, ?)"), {text, digits}).toInt();
        };
        QCOMPARE(ends(QStringLiteral("+1-212-555-1234"), QStringLiteral("12125551234")), 1);
        QCOMPARE(ends(QStringLiteral("02-555-1234 (내선)"), QStringLiteral("5551234")), 1);
        QCOMPARE(ends(QStringLiteral("０１０－１２３４－５６７８"), QStringLiteral("12345678")), 1);
        QCOMPARE(ends(QStringLiteral("12345678"), QStringLiteral("12345678")), 1);
        QCOMPARE(ends(qint64(25551234), QStringLiteral("5551234")), 1);
        QCOMPARE(ends(QStringLiteral("02-555-12345"), QStringLiteral("5551234")), 0);
        QCOMPARE(ends(QStringLiteral("555-1234"), QStringLiteral("25551234")), 0);
        QCOMPARE(ends(QStringLiteral("１２３"), QStringLiteral("1234")), 0);
        QCOMPARE(ends(QVariant(), QStringLiteral("1234")), 0);
        QCOMPARE(ends(QStringLiteral("1234"), QString()), 0);
    }

    // CURSUM adds amounts as Currency does, in ten-thousandths, exactly: whole numbers, binary
    // fractions and decimal texts alike, where SUM adds binary fractions with their errors.
    void currencySumIsExact()
    {
        auto db = fresh();
        auto sum = [&](const QString& values) {
            db->execute(QStringLiteral("DELETE FROM ledger"));
            db->execute(QStringLiteral("INSERT INTO ledger (cost) VALUES ") + values);
            return db->scalar(QStringLiteral("SELECT CURSUM(cost) FROM ledger"));
        };
        QCOMPARE(sum(QStringLiteral("(1000000.1), (2000000.1), (667300.05)")).toLongLong(), Q_INT64_C(36673002500));
        QCOMPARE(sum(QStringLiteral("(0.1), (0.1), (0.1), (0.1), (0.1), (0.1), (0.1), (0.1), (0.1), (0.1)")).toLongLong(),
                 Q_INT64_C(10000));
        QCOMPARE(sum(QStringLiteral("(-0.0001), (-2.5), (3), (NULL), (0.00005)")).toLongLong(), Q_INT64_C(5000));
        QCOMPARE(sum(QStringLiteral("(50000000000), (60000000000), (0.0001)")).toLongLong(), Q_INT64_C(1100000000000001));
        QVERIFY(sum(QStringLiteral("(NULL)")).isNull());
        QVERIFY(db->scalar(QStringLiteral("SELECT CURSUM(cost) FROM ledger WHERE 0")).isNull());
        // texts of a column without numeric affinity: read digit by digit, beyond a Double's digits
        db->execute(QStringLiteral("CREATE TABLE old (v TEXT)"));
        db->execute(QStringLiteral("INSERT INTO old VALUES ('123456789012.3456'), (' -0.0002 '), (''), ('abc'), (NULL), ('2.5e1')"));
        QCOMPARE(db->scalar(QStringLiteral("SELECT CURSUM(v) FROM old")).toLongLong(), Q_INT64_C(1234567890123454) + 250000);
        // beyond 64 bits: an error, never a wrong sum
        bool overflow = false;
        try {
            sum(QStringLiteral("(900000000000000), (9000000000000000)"));
        } catch (const DaoError& e) {
            overflow = e.description().contains(QStringLiteral("Overflow"));
        }
        QVERIFY(overflow);
        // the whole Currency range, one ten-thousandth wider below zero than above it
        const auto oldSum = [&](const QString& values) {
            db->execute(QStringLiteral("DELETE FROM old"));
            db->execute(QStringLiteral("INSERT INTO old VALUES ") + values);
            return db->scalar(QStringLiteral("SELECT CURSUM(v) FROM old"));
        };
        QCOMPARE(oldSum(QStringLiteral("('-922337203685477.5808')")).toLongLong(), std::numeric_limits<qint64>::min());
        QCOMPARE(oldSum(QStringLiteral("('922337203685477.5807')")).toLongLong(), std::numeric_limits<qint64>::max());
        QCOMPARE(sum(QStringLiteral("(922337203685477.5), (-922337203685477.5)")).toLongLong(), Q_INT64_C(0));
        for (const char* beyond : {"('922337203685477.5808')", "('-922337203685477.5809')"}) {
            overflow = false;
            try {
                oldSum(QLatin1String(beyond));
            } catch (const DaoError& e) {
                overflow = e.description().contains(QStringLiteral("Overflow"));
            }
            QVERIFY2(overflow, beyond);
        }
    }

    // A stored amount reads by one rule, in the engine's sums and in readAmount alike: a
    // fraction a half away from zero, texts digit by digit; past the 64-bit range, or no
    // number, is no amount. Totals are kept in 128 bits: AMOUNTSUM refuses one past the range,
    // AMOUNTSUM128 hands it over.
    void amountsReadOneWay_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("reading");
        const QString past = QStringLiteral("Overflow"), none = QStringLiteral("Type mismatch");
        const qint64 max = std::numeric_limits<qint64>::max(), min = std::numeric_limits<qint64>::min();
        QTest::newRow("null") << QVariant() << QString();
        QTest::newRow("empty text") << QVariant(QString()) << QString();
        QTest::newRow("blanks") << QVariant(QStringLiteral("  ")) << QString();
        QTest::newRow("the bottom") << QVariant(min) << QString::number(min);
        QTest::newRow("text with blanks") << QVariant(QStringLiteral(" -1500 ")) << QStringLiteral("-1500");
        QTest::newRow("text half") << QVariant(QStringLiteral("12.5")) << QStringLiteral("13");
        QTest::newRow("text negative half") << QVariant(QStringLiteral("-0.5")) << QStringLiteral("-1");
        QTest::newRow("exponent") << QVariant(QStringLiteral("1.5e3")) << QStringLiteral("1500");
        QTest::newRow("tiny exponent") << QVariant(QStringLiteral("7e-999")) << QStringLiteral("0");
        QTest::newRow("text at the top") << QVariant(QStringLiteral("9223372036854775807")) << QString::number(max);
        QTest::newRow("text half below the top") << QVariant(QStringLiteral("9223372036854775806.5")) << QString::number(max);
        QTest::newRow("text half past the top") << QVariant(QStringLiteral("9223372036854775807.5")) << past;
        QTest::newRow("text at the bottom") << QVariant(QStringLiteral("-9223372036854775808")) << QString::number(min);
        QTest::newRow("real half") << QVariant(2.5) << QStringLiteral("3");
        QTest::newRow("real negative half") << QVariant(-2.5) << QStringLiteral("-3");
        QTest::newRow("real 2^63") << QVariant(9223372036854775808.0) << past;
        QTest::newRow("real -2^63") << QVariant(-9223372036854775808.0) << QString::number(min);
        QTest::newRow("infinite") << QVariant(std::numeric_limits<double>::infinity()) << past;
        QTest::newRow("thousands") << QVariant(QStringLiteral("1,000")) << none;
        QTest::newRow("leading digits") << QVariant(QStringLiteral("12abc")) << none;
        QTest::newRow("currency sign") << QVariant(QStringLiteral("₩1500")) << none;
        QTest::newRow("hexadecimal") << QVariant(QStringLiteral("0x10")) << none;
        QTest::newRow("a point") << QVariant(QStringLiteral(".")) << none;
        QTest::newRow("blob") << QVariant(QByteArray("12")) << none;
    }
    void amountsReadOneWay()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, reading);
        qint64 amount = 0;
        const AmountKind kind = readAmount(value, amount);
        const QString read = kind == AmountKind::Whole ? QString::number(amount)
            : kind == AmountKind::Empty                ? QString()
            : kind == AmountKind::OutOfRange           ? QStringLiteral("Overflow")
                                                       : QStringLiteral("Type mismatch");
        QCOMPARE(read, reading);
        auto db = fresh();
        db->execute(QStringLiteral("CREATE TABLE old (v)")); // no affinity: every value as given
        db->execute(QStringLiteral("INSERT INTO old VALUES (?)"), {value});
        const auto sum = [&db](const char* aggregate) {
            try {
                return db->scalar(QStringLiteral("SELECT %1(v) FROM old").arg(QLatin1String(aggregate))).toString();
            } catch (const DaoError& e) {
                return e.description();
            }
        };
        QCOMPARE(sum("AMOUNTSUM"), reading);
        // beside the two ends of the range: past it on the way and back, whatever the order
        db->execute(QStringLiteral("INSERT INTO old VALUES (9223372036854775807), (-9223372036854775807)"));
        QCOMPARE(sum("AMOUNTSUM"), kind == AmountKind::Empty ? QStringLiteral("0") : reading);
        db->execute(QStringLiteral("INSERT INTO old VALUES (9223372036854775807), (9223372036854775807)"));
        if (kind == AmountKind::Whole) {
            const __int128 expected = __int128(std::numeric_limits<qint64>::max()) * 2 + amount;
            QCOMPARE(sum("AMOUNTSUM"), expected > std::numeric_limits<qint64>::max() ? QStringLiteral("Overflow")
                                                                                    : QString::number(qint64(expected)));
            __int128 total = 0;
            QVERIFY(readAmountTotal(db->scalar(QStringLiteral("SELECT AMOUNTSUM128(v) FROM old")), total));
            QVERIFY(total == expected);
        }
    }

    void lockedAndSerialisedWriters()
    {
        fresh();
        auto a = Database::open(file);
        auto b = Database::open(file);
        b->setBusyTimeout(50);
        a->execute(QStringLiteral("INSERT INTO ledger (pro_name, cost) VALUES ('counter', 0)"));
        {
            Transaction tx(*a);
            try {
                Transaction other(*b);
                QFAIL("second writer got the lock");
            } catch (const DaoError& e) {
                QCOMPARE(e.number(), long(errLocked));
            }
            try {
                b->execute(QStringLiteral("UPDATE ledger SET cost = 5"));
                QFAIL("second writer wrote under a lock");
            } catch (const DaoError& e) {
                QCOMPARE(e.number(), long(errLocked));
            }
        } // rolled back
        QVERIFY(!a->inTransaction());

        // Two workstations adding to one value: read-then-write inside BEGIN IMMEDIATE loses nothing.
        std::atomic<int> failures{0};
        auto worker = [&]() {
            auto db = Database::open(file);
            db->setBusyTimeout(5000);
            for (int i = 0; i < 100; ++i) {
                try {
                    Transaction tx(*db);
                    const qint64 v = db->scalar(QStringLiteral("SELECT cost FROM ledger WHERE pro_name = 'counter'")).toLongLong();
                    db->execute(QStringLiteral("UPDATE ledger SET cost = ? WHERE pro_name = 'counter'"), {v + 1});
                    tx.commit();
                } catch (const DaoError&) {
                    ++failures;
                }
            }
        };
        std::thread t1(worker), t2(worker);
        t1.join();
        t2.join();
        QCOMPARE(failures.load(), 0);
        QCOMPARE(a->scalar(QStringLiteral("SELECT cost FROM ledger WHERE pro_name = 'counter'")).toLongLong(), qint64(200));
        // The file keeps a rollback journal, never WAL.
        QCOMPARE(a->scalar(QStringLiteral("PRAGMA journal_mode")).toString().toLower(), QStringLiteral("delete"));
    }

    void nestedTransactionsUseSavepoints()
    {
        auto db = fresh();
        Transaction outer(*db);
        db->execute(QStringLiteral("INSERT INTO party (id) VALUES (1)"));
        {
            Transaction inner(*db);
            db->execute(QStringLiteral("INSERT INTO party (id) VALUES (2)"));
        } // inner rolled back only
        outer.commit();
        QCOMPARE(db->scalar(QStringLiteral("SELECT COUNT(*) FROM party")).toInt(), 1);
    }

    // A statement prepared once and run with other values each time: every run writes its own
    // values, a refused run leaves the statement usable, and a rollback undoes all runs.
    void preparedStatementRunsManyTimes()
    {
        auto db = fresh();
        db->execute(QStringLiteral("CREATE UNIQUE INDEX party_id ON party(id)"));
        {
            Transaction tx(*db);
            auto ins = db->prepare(QStringLiteral("INSERT INTO party (id, name, amount) VALUES (?, ?, ?)"));
            QCOMPARE(ins->execute({1, QStringLiteral("O'Neil"), qint64(300000000000LL)}), qint64(1));
            QCOMPARE(ins->execute({2, QVariant(), 5}), qint64(1));
            try {
                ins->execute({1, QStringLiteral("twice"), 0});
                QFAIL("a duplicate key was written");
            } catch (const DaoError& e) {
                QCOMPARE(e.number(), long(errDuplicateKey));
            }
            QVERIFY_THROWS_EXCEPTION(DaoError, ins->execute({3, QStringLiteral("too few")}));
            QCOMPARE(ins->execute({3, QStringLiteral("c"), 7}), qint64(1)); // still usable
            QCOMPARE(db->recordsAffected(), qint64(1));
            // typed binding: a refused run's values do not ride along into the next run
            ins->bind(1, qint64(3));
            ins->bind(2, QStringLiteral("stale"));
            QVERIFY_THROWS_EXCEPTION(DaoError, ins->run());
            ins->bind(1, qint64(4));
            QCOMPARE(ins->run(), qint64(1));
            tx.commit();
        }
        auto rs = db->openRecordset(QStringLiteral("SELECT id, name, amount FROM party ORDER BY id"), dbOpenSnapshot);
        QStringList rows;
        for (; !rs->eof(); rs->moveNext())
            rows << QStringLiteral("%1|%2|%3|%4").arg(rs->toInt64(0)).arg(rs->text(1)).arg(rs->value(1).isNull())
                        .arg(rs->toInt64(2));
        QCOMPARE(rows, (QStringList{"1|O'Neil|0|300000000000", "2||1|5", "3|c|0|7", "4||1|0"}));

        {
            Transaction tx(*db);
            auto upd = db->prepare(QStringLiteral("UPDATE party SET amount = amount + ? WHERE id = ?"));
            QCOMPARE(upd->execute({10, 1}), qint64(1));
            QCOMPARE(upd->execute({10, 99}), qint64(0));
        } // not committed
        QCOMPARE(db->scalar(QStringLiteral("SELECT amount FROM party WHERE id = 1")).toLongLong(), qint64(300000000000LL));

        QVERIFY_THROWS_EXCEPTION(DaoError, db->prepare(QStringLiteral("DELETE FROM party; DROP TABLE party")));
        try {
            db->prepare(QStringLiteral("INSERT INTO nowhere (id) VALUES (?)"));
            QFAIL("a statement on a missing table was prepared");
        } catch (const DaoError& e) {
            QCOMPARE(e.number(), long(errObjectNotFound));
        }
        auto ro = Database::open(file, 0, true);
        auto roIns = ro->prepare(QStringLiteral("INSERT INTO party (id) VALUES (?)"));
        QVERIFY_THROWS_EXCEPTION(DaoError, roIns->execute({50}));
        QVERIFY(db->hasTable(QStringLiteral("party")));
    }

    void tableDefinitions()
    {
        auto db = fresh();
        const TableDef t = db->tableDef(QStringLiteral("PARTY"));
        QCOMPARE(t.name, QStringLiteral("party"));
        QCOMPARE(t.fields.size(), 4);
        QCOMPARE(t.fields[1].type, int(dbText));
        QCOMPARE(t.fields[1].size, 50);
        QCOMPARE(t.fields[1].collation, QStringLiteral("NOCASE"));
        QCOMPARE(t.fields[0].type, int(dbLong));
        QCOMPARE(t.fields[3].type, int(dbCurrency));
        QCOMPARE(t.indexes.size(), 1);
        QCOMPARE(t.indexes[0].fields, QStringList{QStringLiteral("name")});
        const TableDef l = db->tableDef(QStringLiteral("ledger"));
        QVERIFY(l.fields[0].autoIncrement);
        QVERIFY(l.indexes.size() == 1 && l.indexes[0].primary);
        QVERIFY_THROWS_EXCEPTION(DaoError, db->tableDef(QStringLiteral("nothere")));
    }

    void rebuildKeepsRowsPositionAndIndexes()
    {
        auto db = fresh();
        const QString longName = QStringLiteral("가나다라마바사아자차카타파하 long name beyond six");
        db->execute(QStringLiteral("INSERT INTO party (id, name, tel) VALUES (1, ?, '02-1')"), {longName});
        db->execute(QStringLiteral("INSERT INTO party (id, name, tel) VALUES (2, 'b', NULL)"));
        FieldDef f = db->tableDef(QStringLiteral("party")).fields[1];
        f.size = 6;
        db->alterField(QStringLiteral("party"), QStringLiteral("name"), f);
        TableDef t = db->tableDef(QStringLiteral("party"));
        QCOMPARE(t.fields[1].name, QStringLiteral("name"));
        QCOMPARE(t.fields[1].size, 6);
        QCOMPARE(t.fields[1].collation, QStringLiteral("NOCASE"));
        QCOMPARE(t.indexes.size(), 1);
        QCOMPARE(db->scalar(QStringLiteral("SELECT name FROM party WHERE id = 1")).toString(), longName);

        // A column placed at a position moves the rest along.
        FieldDef extra;
        extra.name = QStringLiteral("memo");
        extra.type = dbText;
        extra.size = 20;
        extra.ordinalPosition = 1;
        db->appendField(QStringLiteral("party"), extra);
        t = db->tableDef(QStringLiteral("party"));
        QCOMPARE(t.fields[1].name, QStringLiteral("memo"));
        QCOMPARE(t.fields[2].name, QStringLiteral("name"));
        QCOMPARE(db->scalar(QStringLiteral("SELECT COUNT(*) FROM party")).toInt(), 2);

        // A change that cannot be made (NULLs into a required column) leaves everything as it was.
        FieldDef tel = t.fields[t.fieldIndex(QStringLiteral("tel"))];
        tel.required = true;
        QVERIFY_THROWS_EXCEPTION(DaoError, db->alterField(QStringLiteral("party"), QStringLiteral("tel"), tel));
        t = db->tableDef(QStringLiteral("party"));
        QVERIFY(!t.fields[t.fieldIndex(QStringLiteral("tel"))].required);
        QCOMPARE(db->scalar(QStringLiteral("SELECT COUNT(*) FROM party")).toInt(), 2);
        QVERIFY(!db->inTransaction());

        // A partial index keeps its condition through a rebuild.
        db->execute(QStringLiteral("CREATE UNIQUE INDEX party_day ON party(name) WHERE id IS NULL"));
        FieldDef wider = t.fields[t.fieldIndex(QStringLiteral("memo"))];
        wider.size = 40;
        db->alterField(QStringLiteral("party"), QStringLiteral("memo"), wider);
        QVERIFY(db->scalar(QStringLiteral("SELECT sql FROM sqlite_master WHERE name = 'party_day'")).toString()
                    .contains(QStringLiteral("WHERE id IS NULL")));
        db->execute(QStringLiteral("DROP INDEX party_day"));

        // A named primary key survives as such.
        IndexDef pk;
        pk.name = QStringLiteral("party_id");
        pk.primary = pk.unique = pk.required = true;
        pk.fields << QStringLiteral("id");
        db->appendIndex(QStringLiteral("party"), pk);
        t = db->tableDef(QStringLiteral("party"));
        bool found = false;
        for (const IndexDef& i : t.indexes)
            found = found || (i.primary && i.name == QLatin1String("party_id"));
        QVERIFY(found);
        QCOMPARE(t.indexes.size(), 2);
    }

    // Every kind of rebuild keeps what it does not mean to change: the other columns as they
    // were declared (a type of the shop's own, a check), every row with its row number, the
    // table's index and trigger, a view naming it and another table's trigger reading it. With
    // the engine's foreign keys on, the rebuild takes no row that refers to the table with it
    // and leaves them on; inside a transaction, where they cannot be switched off, it refuses.
    void rebuildKeepsWhatItDoesNotChange_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("column"); // the column the change may alter
        QTest::addColumn<bool>("foreignKeys");
        QTest::newRow("column declared anew") << "memo" << "memo" << false;
        QTest::newRow("column declared anew, foreign keys on") << "memo" << "memo" << true;
        QTest::newRow("column placed") << "placed" << "grade" << false;
        QTest::newRow("unique constraint taken away") << "unique" << "code" << false;
        QTest::newRow("primary key taken away") << "no key" << "id" << false;
        QTest::newRow("primary key taken away and added") << "key again" << "id" << false;
    }
    void rebuildKeepsWhatItDoesNotChange()
    {
        QFETCH(QString, change);
        QFETCH(QString, column);
        QFETCH(bool, foreignKeys);
        file = env.path(QStringLiteral("t%1.db").arg(++counter));
        QVERIFY(testsupport::runSqlScript(file, QStringLiteral(
            "CREATE TABLE party (id LONG NOT NULL, name TEXT(50) COLLATE NOCASE, code TEXT(10) UNIQUE,"
            " rate DECIMAL(5,2) CHECK (rate >= 0), memo MEMO, \"straße, (unique\" TEXT(5) DEFAULT 'primary key, (x' /* a, ) */,"
            " 메모2 VARCHAR(3) -- the key, last\n, PRIMARY KEY (id));"
            "CREATE INDEX party_name ON party (name);"
            "CREATE TABLE ledger (total_id INTEGER PRIMARY KEY AUTOINCREMENT,"
            " party_id LONG REFERENCES party (id) ON DELETE CASCADE, party_name TEXT(50));"
            "CREATE VIEW party_names AS SELECT name, rate FROM party;"
            "CREATE TRIGGER ledger_party AFTER INSERT ON ledger BEGIN UPDATE ledger SET party_name ="
            " (SELECT name FROM party WHERE id = new.party_id) WHERE total_id = new.total_id; END;"
            "CREATE TRIGGER party_gone AFTER DELETE ON party BEGIN DELETE FROM ledger WHERE party_id = old.id; END;"
            "INSERT INTO party (rowid, id, name, code, rate, memo) VALUES (5, 1, 'a', 'A1', 1.5, 'm'), (9, 2, 'b', NULL, 0, NULL);"
            "INSERT INTO ledger (party_id) VALUES (1);")));
        auto db = Database::open(file);
        const auto rows = [&db](const QString& sql) { return testsupport::queryRows(*db, sql); };
        const auto columns = [&] {
            return rows(QStringLiteral("SELECT name, type, \"notnull\", dflt_value, pk FROM pragma_table_info('party')"
                                       " WHERE name <> '%1' ORDER BY name").arg(column));
        };
        const QStringList columnsBefore = columns();
        const QString stored = QStringLiteral("SELECT rowid, id, name, code, typeof(rate) || ':' || rate, memo FROM party ORDER BY rowid");
        const QStringList rowsBefore = rows(stored);
        const auto run = [&] {
            TableDef t = db->tableDef(QStringLiteral("party"));
            if (change == QLatin1String("memo")) {
                db->alterField(t.name, QStringLiteral("memo"), t.fields[t.fieldIndex(QStringLiteral("memo"))]);
            } else if (change == QLatin1String("placed")) {
                FieldDef grade;
                grade.name = QStringLiteral("grade");
                grade.size = 1;
                grade.ordinalPosition = 1;
                db->appendField(t.name, grade);
            } else {
                for (const IndexDef& i : t.indexes)
                    if ((change == QLatin1String("unique")) == i.fields.contains(QStringLiteral("code")) && i.unique)
                        db->deleteIndex(t.name, i.name);
                if (change == QLatin1String("key again")) {
                    IndexDef key;
                    key.name = QStringLiteral("party_key");
                    key.primary = key.unique = key.required = true;
                    key.fields << QStringLiteral("id");
                    db->appendIndex(t.name, key);
                }
            }
        };
        if (foreignKeys) {
            db->execute(QStringLiteral("PRAGMA foreign_keys = ON"));
            const QString schema = rows(QStringLiteral("SELECT sql FROM sqlite_master")).join('\n');
            db->beginImmediate();
            QVERIFY_THROWS_EXCEPTION(DaoError, run());
            db->rollback();
            QCOMPARE(rows(QStringLiteral("SELECT sql FROM sqlite_master")).join('\n'), schema);
        }
        run();

        QCOMPARE(columns(), columnsBefore);
        QVERIFY(db->scalar(QStringLiteral("SELECT sql FROM sqlite_master WHERE name = 'party'")).toString()
                    .contains(QStringLiteral("rate DECIMAL(5,2) CHECK (rate >= 0)")));
        QCOMPARE(rows(stored), rowsBefore);
        QVERIFY_THROWS_EXCEPTION(DaoError, db->execute(QStringLiteral("UPDATE party SET rate = -1")));
        QCOMPARE(rows(QStringLiteral("SELECT * FROM party_names ORDER BY name")), (QStringList{"a|1.5", "b|0"}));
        db->execute(QStringLiteral("INSERT INTO ledger (party_id) VALUES (2)"));
        QCOMPARE(rows(QStringLiteral("SELECT party_name FROM ledger ORDER BY total_id")), (QStringList{"a", "b"}));
        QCOMPARE(rows(QStringLiteral("SELECT name FROM sqlite_master WHERE name IN ('party_gone', 'party_name') ORDER BY name")),
                 (QStringList{"party_gone", "party_name"}));
        // the constraints it did not take away still hold
        const bool uniqueCode = change != QLatin1String("unique");
        const bool uniqueId = change != QLatin1String("no key");
        try {
            db->execute(QStringLiteral("INSERT INTO party (id, code) VALUES (3, 'A1')"));
            QVERIFY(!uniqueCode);
        } catch (const DaoError& e) {
            QVERIFY(uniqueCode && e.number() == errDuplicateKey);
        }
        try {
            db->execute(QStringLiteral("INSERT INTO party (id, code) VALUES (1, 'Z9')"));
            QVERIFY(!uniqueId);
        } catch (const DaoError& e) {
            QVERIFY(uniqueId && e.number() == errDuplicateKey);
        }
        QCOMPARE(db->scalar(QStringLiteral("PRAGMA foreign_keys")).toInt(), foreignKeys ? 1 : 0);
    }

    void rebuildKeepsTheKeyCounter()
    {
        // A database-filled key never comes back, not even after the table is rebuilt: another
        // workstation may still show the deleted row under that key.
        auto db = fresh();
        for (int i = 0; i < 3; ++i)
            db->execute(QStringLiteral("INSERT INTO ledger (pro_name) VALUES ('x')"));
        db->execute(QStringLiteral("DELETE FROM ledger WHERE total_id = 3"));
        FieldDef f = db->tableDef(QStringLiteral("ledger")).fields[1];
        f.size = 10;
        db->alterField(QStringLiteral("ledger"), QStringLiteral("pro_name"), f);
        QVERIFY(db->tableDef(QStringLiteral("ledger")).fields[0].autoIncrement);
        db->execute(QStringLiteral("INSERT INTO ledger (pro_name) VALUES ('y')"));
        QCOMPARE(db->lastInsertId(), qint64(4));
        // Also when every row was deleted before the rebuild.
        db->execute(QStringLiteral("DELETE FROM ledger"));
        FieldDef cost = db->tableDef(QStringLiteral("ledger")).fields[2];
        cost.defaultValue = QStringLiteral("0");
        db->alterField(QStringLiteral("ledger"), QStringLiteral("cost"), cost);
        db->execute(QStringLiteral("INSERT INTO ledger (pro_name) VALUES ('z')"));
        QCOMPARE(db->lastInsertId(), qint64(5));
    }
};

QTEST_GUILESS_MAIN(TestDatabase)
#include "tst_database.moc"
