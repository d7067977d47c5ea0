// The helper programs: the database maker, the ledger generator and the backup compressor.
// They are run as the user runs them, as separate processes.
#include "support/TestEnv.h"
#include "support/WriteFailure.h"

#include "platform/Prompter.h"
#include "platform/SettingsStore.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <sqlite3.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <functional>
#include <memory>
#include <thread>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QString tool(const QString& name) { return QStringLiteral(TRELVO_BINARY_DIR "/bin/") + name; }

struct Run {
    int code = -1;
    QString out;
    QString err;
};

// child: run in the new process before the program starts (a limit set as a shell sets it).
Run run(const QString& program, const QStringList& args, const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment(),
        const std::function<void()>& child = {})
{
    QProcess p;
    p.setProcessEnvironment(env);
    if (child)
        p.setChildProcessModifier(child);
    p.start(program, args);
    Run r;
    if (!p.waitForStarted() || !p.waitForFinished(120000))
        return r;
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// A small SQLite helper for reading results in the tests.
class Sql {
public:
    explicit Sql(const QString& path, bool create = false)
    {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db,
                        create ? (SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE) : SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_busy_timeout(m_db, 10000);
    }
    ~Sql() { sqlite3_close(m_db); }
    bool exec(const char* sql) { return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == SQLITE_OK; }
    QVariant value(const QString& sql)
    {
        sqlite3_stmt* st = nullptr;
        QVariant v;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW) {
            switch (sqlite3_column_type(st, 0)) {
            case SQLITE_INTEGER: v = qint64(sqlite3_column_int64(st, 0)); break;
            case SQLITE_FLOAT: v = sqlite3_column_double(st, 0); break;
            case SQLITE_NULL: break;
            default: v = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
            }
        }
        sqlite3_finalize(st);
        return v;
    }
    qint64 count(const QString& sql) { return value(sql).toLongLong(); }
    sqlite3* handle() const { return m_db; }

private:
    sqlite3* m_db = nullptr;
};

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TstTools : public QObject {
    Q_OBJECT

private slots:
    void mkdbCreatesBothFilesOnce();
    void mkdbDefaultsToDbsBesideTheProgram();
    void mkdbFailureLeavesNoFile();
    void genledgerDistribution();
    void genledgerRefusesToOverwrite();
    void backupArchivesEachMode();
    void backupOfADatabaseBeingWritten();
    void backupRollsBackAnInterruptedWrite();
    void backupFailsWithoutFolderOrWithUnknownMode();
    void failedBackupIsReportedNamingTheFolder_data();
    void failedBackupIsReportedNamingTheFolder();
    void backupHoldsEverythingInTheFolder_data();
    void backupHoldsEverythingInTheFolder();
    void backupNamesWhatItCannotRead_data();
    void backupNamesWhatItCannotRead();
    void backupTakesTheFolderGivenOnTheCommandLine();
};

void TstTools::mkdbCreatesBothFilesOnce()
{
    testsupport::TestEnv env;
    const QString dir = env.path(QStringLiteral("data/Dbs"));
    Run r = run(tool(QStringLiteral("trelvo-mkdb")), {QStringLiteral("--folder"), dir});
    QCOMPARE(r.code, 0);
    const QString main = dir + QStringLiteral("/trelvoDB.mdb");
    const QString post = dir + QStringLiteral("/dbpost.mdb");
    {
        Sql m(main);
        QCOMPARE(m.value(QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("delete"));
        QCOMPARE(m.count(QStringLiteral("SELECT COUNT(*) FROM sqlite_master WHERE type='table' AND name IN "
                                        "('total','total_print','maechul','maeip','product','group_name','user','tellist')")), 8);
        // A new database has one user and no password.
        QCOMPARE(m.count(QStringLiteral("SELECT COUNT(*) FROM user")), 1);
        QVERIFY(m.value(QStringLiteral("SELECT pass FROM user")).isNull());
        // The user's data from now on.
        QVERIFY(m.exec("INSERT INTO product (name) VALUES ('관리비')"));
        Sql p(post);
        QVERIFY(p.count(QStringLiteral("SELECT COUNT(*) FROM Post")) >= 250);
    }
    // Nothing beside the two files (no temporary or journal files left).
    QCOMPARE(QDir(dir).entryList(QDir::Files | QDir::Hidden).size(), 2);

    // A second run, and a run over a file that is not a database at all, change nothing.
    QFile::remove(post);
    {
        QFile f(post);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a database");
    }
    const QByteArray mainBefore = fileBytes(main);
    r = run(tool(QStringLiteral("trelvo-mkdb")), {QStringLiteral("--folder"), dir});
    QCOMPARE(r.code, 0);
    QCOMPARE(fileBytes(main), mainBefore);
    QCOMPARE(fileBytes(post), QByteArray("not a database"));
    Sql m(main);
    QCOMPARE(m.count(QStringLiteral("SELECT COUNT(*) FROM product WHERE name = '관리비'")), 1);
}

void TstTools::mkdbDefaultsToDbsBesideTheProgram()
{
    testsupport::TestEnv env;
    QProcessEnvironment pe = QProcessEnvironment::systemEnvironment();
    pe.insert(QStringLiteral("TRELVO_PROGRAM_DIR"), env.folder());
    const Run r = run(tool(QStringLiteral("trelvo-mkdb")), {}, pe);
    QCOMPARE(r.code, 0);
    QVERIFY(QFile::exists(env.path(QStringLiteral("Dbs/trelvoDB.mdb"))));
    QVERIFY(QFile::exists(env.path(QStringLiteral("Dbs/dbpost.mdb"))));
}

void TstTools::mkdbFailureLeavesNoFile()
{
    testsupport::TestEnv env;
    // The folder cannot be made: a plain file stands in its place.
    QFile f(env.path(QStringLiteral("blocked")));
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.close();
    Run r = run(tool(QStringLiteral("trelvo-mkdb")), {QStringLiteral("--folder"), env.path(QStringLiteral("blocked/Dbs"))});
    QVERIFY(r.code != 0);

    // A folder we may read but not write (only meaningful when not running as root).
    const QString ro = env.path(QStringLiteral("ro"));
    QDir().mkpath(ro);
    QFile::setPermissions(ro, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    if (::geteuid() != 0) {
        r = run(tool(QStringLiteral("trelvo-mkdb")), {QStringLiteral("--folder"), ro});
        QVERIFY(r.code != 0);
        QVERIFY(QDir(ro).entryList(QDir::Files | QDir::Hidden).isEmpty());
    }
    QFile::setPermissions(ro, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
}

void TstTools::genledgerDistribution()
{
    testsupport::TestEnv env;
    const QString file = env.path(QStringLiteral("ledger.mdb"));
    const Run r = run(tool(QStringLiteral("trelvo-genledger")), {QStringLiteral("--vouchers"), QStringLiteral("20000"),
                                                                 QStringLiteral("--out"), file});
    QCOMPARE(r.code, 0);
    Sql db(file);
    QCOMPARE(db.value(QStringLiteral("PRAGMA journal_mode")).toString(), QStringLiteral("delete"));
    QCOMPARE(db.count(QStringLiteral("SELECT COUNT(*) FROM total")), 20000);
    QCOMPARE(db.count(QStringLiteral("SELECT COUNT(*) FROM maechul")), 2000);
    QCOMPARE(db.count(QStringLiteral("SELECT COUNT(*) FROM maeip")), 300);
    QCOMPARE(db.count(QStringLiteral("SELECT COUNT(*) FROM product")), 3000);
    QCOMPARE(db.count(QStringLiteral("SELECT COUNT(DISTINCT name) FROM product")), 3000);
    QCOMPARE(db.count(QStringLiteral("SELECT COUNT(*) FROM group_name")), 40);
    QCOMPARE(db.count(QStringLiteral("SELECT COUNT(*) FROM group_name WHERE length(name) > 6 OR name = ''")), 0);
    QCOMPARE(db.count(QStringLiteral("SELECT COUNT(*) FROM total WHERE length(group_name) > 6")), 0);
    // Every voucher's group and product exist.
    QCOMPARE(db.count(QStringLiteral("SELECT COUNT(*) FROM total WHERE group_name NOT IN (SELECT name FROM group_name)")), 0);
    QCOMPARE(db.count(QStringLiteral("SELECT COUNT(*) FROM total WHERE pro_name NOT IN (SELECT name FROM product)")), 0);

    // About one in twenty is unsold: no sales party, no amount, sales date = purchase date.
    const qint64 unsold = db.count(QStringLiteral("SELECT COUNT(*) FROM total WHERE maechul_cost = 0"));
    QVERIFY2(unsold > 600 && unsold < 1400, qPrintable(QString::number(unsold)));
    QCOMPARE(db.count(QStringLiteral("SELECT COUNT(*) FROM total WHERE maechul_cost = 0 AND "
                                     "(maechul_code <> 0 OR maechul_name <> '' OR maechul_usecost <> 0 OR maechul_date <> maeip_date)")), 0);
    // A sold voucher names its party as the party table has it, and sells after it was bought.
    QCOMPARE(db.count(QStringLiteral("SELECT COUNT(*) FROM total t WHERE maechul_cost <> 0 AND NOT EXISTS "
                                     "(SELECT 1 FROM maechul m WHERE m.id = t.maechul_code AND m.name = t.maechul_name)")), 0);
    QCOMPARE(db.count(QStringLiteral("SELECT COUNT(*) FROM total t WHERE maeip_code <> 0 AND NOT EXISTS "
                                     "(SELECT 1 FROM maeip m WHERE m.id = t.maeip_code AND m.name = t.maeip_name)")), 0);
    QCOMPARE(db.count(QStringLiteral("SELECT COUNT(*) FROM total WHERE maechul_date < maeip_date")), 0);
    QCOMPARE(db.count(QStringLiteral("SELECT COUNT(*) FROM total WHERE maechul_cost <> 0 AND maechul_cost < maeip_cost")), 0);

    // Ten years up to today, in the stored date form.
    const QDate today = platform::today();
    const QString minDate = db.value(QStringLiteral("SELECT MIN(maeip_date) FROM total")).toString();
    const QString maxDate = db.value(QStringLiteral("SELECT MAX(maechul_date) FROM total")).toString();
    QVERIFY(QRegularExpression(QStringLiteral("^\\d{4}-\\d{2}-\\d{2}$")).match(minDate).hasMatch());
    QVERIFY(minDate >= today.addYears(-10).addDays(-1).toString(QStringLiteral("yyyy-MM-dd")));
    QVERIFY(minDate <= today.addYears(-10).addDays(5).toString(QStringLiteral("yyyy-MM-dd")));
    QVERIFY(maxDate <= today.addDays(1).toString(QStringLiteral("yyyy-MM-dd")));
    QVERIFY(maxDate >= today.addDays(-30).toString(QStringLiteral("yyyy-MM-dd")));
    // Each of the ten years has its share.
    QCOMPARE(db.count(QStringLiteral("SELECT COUNT(*) FROM (SELECT substr(maeip_date, 1, 4) y, COUNT(*) c FROM total "
                                     "GROUP BY y HAVING c > 1000)")) >= 10, true);

    // Several telephone numbers a party, none Null, and numbers of different parties that
    // end in the same four digits (what the telephone-suffix search meets).
    QCOMPARE(db.count(QStringLiteral("SELECT COUNT(*) FROM maechul WHERE tel2 IS NULL OR tel6 IS NULL")), 0);
    QVERIFY(db.count(QStringLiteral("SELECT COUNT(*) FROM maechul WHERE tel2 <> ''")) > 500);
    QVERIFY(db.count(QStringLiteral("SELECT COUNT(*) FROM maeip WHERE tel3 <> ''")) > 100);
    QVERIFY(db.count(QStringLiteral(
                "WITH n(id, s) AS (SELECT id, substr(tel, -4) FROM maechul UNION ALL SELECT id, substr(tel2, -4) FROM maechul WHERE tel2 <> ''"
                " UNION ALL SELECT id, substr(tel3, -4) FROM maechul WHERE tel3 <> '')"
                " SELECT COUNT(*) FROM (SELECT s FROM n GROUP BY s HAVING COUNT(DISTINCT id) > 1)")) > 50);
    QCOMPARE(db.count(QStringLiteral("SELECT COUNT(*) FROM user WHERE pass IS NULL")), 1);
}

void TstTools::genledgerRefusesToOverwrite()
{
    testsupport::TestEnv env;
    const QString file = env.path(QStringLiteral("ledger.mdb"));
    {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("keep me");
    }
    Run r = run(tool(QStringLiteral("trelvo-genledger")), {QStringLiteral("--vouchers"), QStringLiteral("10"), QStringLiteral("--out"), file});
    QVERIFY(r.code != 0);
    QCOMPARE(fileBytes(file), QByteArray("keep me"));
    r = run(tool(QStringLiteral("trelvo-genledger")), {QStringLiteral("--vouchers"), QStringLiteral("10"), QStringLiteral("--out"), file,
                                                       QStringLiteral("--force")});
    QCOMPARE(r.code, 0);
    QCOMPARE(Sql(file).count(QStringLiteral("SELECT COUNT(*) FROM total")), 10);
}

namespace {

// A scratch home and settings folder for the backup program, with the database folder
// handed over as the main window leaves it (with a trailing separator), and a temporary
// folder of its own.
struct BackupEnv {
    testsupport::TestEnv env;
    QString dbs = env.path(QStringLiteral("Dbs"));
    QString home = env.path(QStringLiteral("home"));
    QString tmp = env.path(QStringLiteral("tmp"));
    QProcessEnvironment pe = QProcessEnvironment::systemEnvironment();
    rlim_t fileLimit = 0; // ulimit -f for the backup program alone, in bytes; 0: none
    BackupEnv()
    {
        QDir().mkpath(dbs);
        QDir().mkpath(home);
        QDir().mkpath(tmp);
        platform::SaveSetting(QStringLiteral("Backup"), QStringLiteral("DB경로"), QStringLiteral("경로"), dbs + QLatin1Char('/'));
        pe.insert(QStringLiteral("HOME"), home);
        pe.insert(QStringLiteral("TRELVO_SETTINGS_DIR"), env.settingsFolder());
        pe.insert(QStringLiteral("TMPDIR"), tmp);
    }
    Run backup(const QStringList& args)
    {
        const rlim_t limit = fileLimit;
        std::function<void()> child;
        if (limit)
            child = [limit] {
                // The signal as a shell leaves it: a write past the limit would end the program.
                std::signal(SIGXFSZ, SIG_DFL);
                rlimit r{};
                ::getrlimit(RLIMIT_FSIZE, &r);
                r.rlim_cur = limit;
                ::setrlimit(RLIMIT_FSIZE, &r);
            };
        return run(tool(QStringLiteral("데이터압축")), args, pe, child);
    }
    // Unpacks an archive into a new folder and returns that folder.
    QString unpack(const QString& archive)
    {
        static int n = 0;
        const QString to = env.path(QStringLiteral("unpacked%1").arg(++n));
        QDir().mkpath(to);
        const Run r = run(QStringLiteral("tar"), {QStringLiteral("-xzf"), archive, QStringLiteral("-C"), to});
        return r.code == 0 ? to : QString();
    }
};

} // namespace

void TstTools::backupArchivesEachMode()
{
    BackupEnv b;
    QVERIFY(testsupport::createDatabase(b.dbs + QStringLiteral("/trelvoDB.mdb"), QStringLiteral("main")));
    QVERIFY(testsupport::createDatabase(b.dbs + QStringLiteral("/dbpost.mdb"), QStringLiteral("post")));
    {
        QFile f(b.dbs + QStringLiteral("/trelvoDB.mdb-journal")); // a leftover that must not travel
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    // The program passes the mode as " SERVERUP" (one parameter text with a blank).
    const Run r = b.backup({QStringLiteral(" SERVERUP"), QStringLiteral("AS"), QStringLiteral("HDDAUTO")});
    QCOMPARE(r.code, 0);
    const QStringList archives = r.out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QCOMPARE(archives.size(), 3);
    QVERIFY(archives[0].startsWith(b.home + QStringLiteral("/Trelvo/Backup/Server/Trelvo_")));
    QVERIFY(archives[1].startsWith(b.home + QStringLiteral("/Trelvo/Backup/AS/Trelvo_")));
    QVERIFY(archives[2].startsWith(b.home + QStringLiteral("/Trelvo/Backup/Trelvo_")));
    const QRegularExpression dated(QStringLiteral("Trelvo_\\d{8}_\\d{6}(_[a-z]+)?\\.tar\\.gz$"));
    for (const QString& a : archives) {
        QVERIFY2(dated.match(a).hasMatch(), qPrintable(a));
        const QString to = b.unpack(a);
        QVERIFY(!to.isEmpty());
        QVERIFY(!QFile::exists(to + QStringLiteral("/Dbs/trelvoDB.mdb-journal")));
        Sql m(to + QStringLiteral("/Dbs/trelvoDB.mdb"));
        QCOMPARE(m.count(QStringLiteral("SELECT COUNT(*) FROM user")), 1);
        Sql p(to + QStringLiteral("/Dbs/dbpost.mdb"));
        QVERIFY(p.count(QStringLiteral("SELECT COUNT(*) FROM Post")) > 0);
    }
    // No mode: the hard disk. A second backup in the same second gets a name of its own.
    const Run r2 = b.backup({});
    const Run r3 = b.backup({});
    QCOMPARE(r2.code, 0);
    QCOMPARE(r3.code, 0);
    QVERIFY(r2.out.trimmed() != r3.out.trimmed());
    QVERIFY(QFile::exists(r2.out.trimmed()) && QFile::exists(r3.out.trimmed()));
}

void TstTools::backupOfADatabaseBeingWritten()
{
    BackupEnv b;
    const QString file = b.dbs + QStringLiteral("/trelvoDB.mdb");
    QVERIFY(testsupport::createDatabase(file, QStringLiteral("main")));
    {
        // Enough rows that copying takes a while: pairs of vouchers whose amounts cancel.
        Sql db(file);
        QVERIFY(db.exec("BEGIN"));
        for (int i = 0; i < 4000; ++i) {
            const QByteArray sql = QStringLiteral("INSERT INTO total (pro_name, maeip_cost) VALUES ('%1', %2), ('%1', -%2)")
                                       .arg(QString(200, QLatin1Char('x'))).arg(i + 1).toUtf8();
            QVERIFY(db.exec(sql.constData()));
        }
        QVERIFY(db.exec("COMMIT"));
    }
    // A writer keeps adding and changing pairs while the backup runs; every committed state
    // holds an even number of rows whose amounts add up to 0.
    std::atomic<bool> stop{false};
    std::atomic<int> commits{0};
    std::thread writer([&] {
        Sql db(file);
        int i = 0;
        while (!stop) {
            ++i;
            const QByteArray sql = QStringLiteral("BEGIN IMMEDIATE; INSERT INTO total (pro_name, maeip_cost) VALUES ('w', %1);"
                                                  " UPDATE total SET maeip_cost = maeip_cost + 7 WHERE total_id = %2;"
                                                  " UPDATE total SET maeip_cost = maeip_cost - 7 WHERE total_id = %3;"
                                                  " INSERT INTO total (pro_name, maeip_cost) VALUES ('w', -%1); COMMIT;")
                                       .arg(i).arg(1 + i % 8000).arg(1 + (i * 7) % 8000).toUtf8();
            if (db.exec(sql.constData()))
                ++commits;
            else
                db.exec("ROLLBACK");
        }
    });
    while (commits < 5)
        QThread::msleep(1);
    Run r[3];
    for (Run& x : r)
        x = b.backup({});
    stop = true;
    writer.join();
    QVERIFY(commits > 5);
    for (const Run& x : r) {
        QCOMPARE(x.code, 0);
        const QString to = b.unpack(x.out.trimmed());
        QVERIFY(!to.isEmpty());
        Sql copy(to + QStringLiteral("/Dbs/trelvoDB.mdb"));
        QCOMPARE(copy.value(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
        const qint64 rows = copy.count(QStringLiteral("SELECT COUNT(*) FROM total"));
        QVERIFY(rows >= 8000);
        QCOMPARE(rows % 2, 0);
        QCOMPARE(copy.count(QStringLiteral("SELECT SUM(maeip_cost) FROM total")), 0);
    }
}

void TstTools::backupRollsBackAnInterruptedWrite()
{
    BackupEnv b;
    const QString file = b.dbs + QStringLiteral("/trelvoDB.mdb");
    QVERIFY(testsupport::createDatabase(file, QStringLiteral("main")));
    {
        Sql db(file);
        QVERIFY(db.exec("INSERT INTO total (pro_name, maeip_cost) VALUES ('committed', 100)"));
    }
    // A writer dies in the middle of a large transaction whose pages already reached the
    // file: the file is then only readable together with its journal.
    const pid_t pid = ::fork();
    if (pid == 0) {
        sqlite3* db = nullptr;
        sqlite3_open_v2(QFile::encodeName(file).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
        sqlite3_exec(db, "PRAGMA cache_size = 10; BEGIN;", nullptr, nullptr, nullptr);
        for (int i = 0; i < 3000; ++i)
            sqlite3_exec(db, "INSERT INTO total (pro_name, maeip_cost) VALUES ('uncommitted-uncommitted-uncommitted', 1)",
                         nullptr, nullptr, nullptr);
        ::_exit(0); // no commit, no rollback, no close
    }
    QVERIFY(pid > 0);
    int status = 0;
    ::waitpid(pid, &status, 0);
    QVERIFY(QFile::exists(file + QStringLiteral("-journal")));

    const Run r = b.backup({});
    QCOMPARE(r.code, 0);
    const QString to = b.unpack(r.out.trimmed());
    Sql copy(to + QStringLiteral("/Dbs/trelvoDB.mdb"));
    QCOMPARE(copy.value(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"));
    QCOMPARE(copy.count(QStringLiteral("SELECT COUNT(*) FROM total")), 1);
    QCOMPARE(copy.value(QStringLiteral("SELECT pro_name FROM total")).toString(), QStringLiteral("committed"));
}

void TstTools::backupFailsWithoutFolderOrWithUnknownMode()
{
    BackupEnv b;
    QVERIFY(testsupport::createDatabase(b.dbs + QStringLiteral("/trelvoDB.mdb"), QStringLiteral("main")));
    Run r = b.backup({QStringLiteral("UPLOAD")});
    QVERIFY(r.code != 0);
    platform::SaveSetting(QStringLiteral("Backup"), QStringLiteral("DB경로"), QStringLiteral("경로"), b.env.path(QStringLiteral("gone")));
    r = b.backup({});
    QVERIFY(r.code != 0);
    platform::DeleteSetting(QStringLiteral("Backup"), QStringLiteral("DB경로"));
    r = b.backup({});
    QVERIFY(r.code != 0);
    QVERIFY(!QDir(b.home + QStringLiteral("/Trelvo/Backup")).exists()
            || QDir(b.home + QStringLiteral("/Trelvo/Backup")).entryList(QDir::Files).isEmpty());
}

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Makes under root what a row lists, every name in the bytes it is to have on disk: "a/" a
// folder, "a -> t" a link ('@' in t stands for root), "a = text" a file, "a = @random N" N
// random bytes, "a = @database N" a database of the shipped schema with about N bytes of rows.
bool makeEntries(const QString& root, const QByteArrayList& specs)
{
    const QByteArray top = QFile::encodeName(root);
    for (const QByteArray& spec : specs) {
        const qsizetype link = spec.indexOf(" -> "), eq = spec.indexOf(" = ");
        const QByteArray path = top + '/' + spec.left(link >= 0 ? link : eq >= 0 ? eq : spec.size());
        const QByteArray folder = link < 0 && eq < 0 ? path : path.left(path.lastIndexOf('/'));
        for (qsizetype i = top.size() + 1; i <= folder.size(); ++i)
            if ((i == folder.size() || folder[i] == '/') && ::mkdir(folder.left(i).constData(), 0755) != 0 && errno != EEXIST)
                return false;
        const QByteArray text = spec.mid(eq + 3);
        const qint64 n = text.mid(text.indexOf(' ') + 1).toLongLong();
        if (link >= 0) {
            const QByteArray target = spec.mid(link + 4).replace('@', top);
            if (::symlink(target.constData(), path.constData()) != 0)
                return false;
        } else if (eq >= 0 && text.startsWith("@database")) {
            const QString file = QFile::decodeName(path);
            if (!testsupport::createDatabase(file, QStringLiteral("main")))
                return false;
            const QByteArray rows = QByteArray("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ")
                                    + QByteArray::number(n / 500) + ") INSERT INTO total (pro_name) SELECT hex(randomblob(250)) FROM n";
            if (n > 0 && !Sql(file).exec(rows.constData()))
                return false;
        } else if (eq >= 0) {
            QByteArray bytes = text;
            if (text.startsWith("@random")) {
                bytes = QByteArray(int(n / 4 * 4), '\0');
                QRandomGenerator::global()->fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
            }
            std::FILE* f = std::fopen(path.constData(), "wb");
            if (!f || std::fwrite(bytes.constData(), 1, size_t(bytes.size()), f) != size_t(bytes.size()) || std::fclose(f) != 0)
                return false;
        }
    }
    return true;
}

// Every entry under folder, relative to it: folders end in '/', links as "name -> target",
// files as "name = text", databases as "name = database, users: N".
QStringList entries(const QString& folder)
{
    QStringList list;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo fi(path);
        QString rel = QDir(folder).relativeFilePath(path);
        if (fi.isSymLink()) {
            QByteArray target(4096, '\0');
            const ssize_t n = ::readlink(QFile::encodeName(path).constData(), target.data(), size_t(target.size()));
            rel += QStringLiteral(" -> ") + QFile::decodeName(target.left(n < 0 ? 0 : int(n)));
        } else if (fi.isDir()) {
            rel += QLatin1Char('/');
        } else {
            const QByteArray bytes = fileBytes(path);
            rel += bytes.startsWith("SQLite format 3")
                       ? QStringLiteral(" = database, users: %1").arg(Sql(path).count(QStringLiteral("SELECT COUNT(*) FROM user")))
                       : QStringLiteral(" = ") + QString::fromUtf8(bytes);
        }
        list << rel;
    }
    list.sort();
    return list;
}

QStringList filesUnder(const QString& folder)
{
    QStringList list;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        list << it.next();
    return list;
}

bool isEmptyFolder(const QString& folder)
{
    return QDir(folder).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
}

} // namespace

// The program has closed when the compressor runs, so a backup that fails is reported by
// the compressor itself, naming the folder and the reason (in a window, and where none can be
// seen, as here on the off-screen platform, on standard error). Nothing is left behind: no
// archive, no part of one, nothing in the temporary folder.
void TstTools::failedBackupIsReportedNamingTheFolder_data()
{
    QTest::addColumn<QByteArrayList>("make"); // under the scratch folder, as for makeEntries()
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("fileLimit");       // ulimit -f of the compressor, in bytes; 0: none
    QTest::addColumn<QString>("tmp");         // TMPDIR: "tmp", "full" (64 KB file system there) or "no-tmp" (missing)
    QTest::addColumn<QStringList>("told");    // on standard error; '@' stands for the scratch folder
    const QByteArray db = "Dbs/trelvoDB.mdb = @database 0";
    const QString tmp = QStringLiteral("임시 폴더: @/tmp\n");
    // A plain file stands where the parent of the backup folders would be.
    QTest::newRow("backup folders cannot be made")
        << QByteArrayList{db, "home/Trelvo = "} << QStringList{QStringLiteral(" SERVERUP"), QStringLiteral("AS")} << 0 << "tmp"
        << QStringList{QStringLiteral("백업 폴더: @/home/Trelvo/Backup/Server\n백업 폴더를 만들 수 없습니다."),
                       QStringLiteral("백업 폴더: @/home/Trelvo/Backup/AS\n백업 폴더를 만들 수 없습니다.")};
    QTest::newRow("database folder gone") << QByteArrayList{} << QStringList{QStringLiteral("--folder=@/gone")} << 0 << "tmp"
                                          << QStringList{QStringLiteral("데이터베이스 폴더: @/gone")};
    QTest::newRow("file-size limit below a database") << QByteArrayList{"Dbs/trelvoDB.mdb = @database 400000"} << QStringList()
                                                      << 150000 << "tmp" << QStringList{tmp, "trelvoDB.mdb", "File too large"};
    QTest::newRow("file-size limit on a page of a database") << QByteArrayList{"Dbs/trelvoDB.mdb = @database 400000"} << QStringList()
                                                             << 155648 << "tmp" << QStringList{tmp, "trelvoDB.mdb", "File too large"};
    QTest::newRow("file-size limit below a file") << QByteArrayList{db, "Dbs/scan.bin = @random 300000"} << QStringList() << 150000
                                                  << "tmp" << QStringList{tmp, "scan.bin", "File too large"};
    QTest::newRow("file-size limit past the first 256 KB of a file") << QByteArrayList{db, "Dbs/scan.bin = @random 300000"} << QStringList()
                                                                   << 280000 << "tmp" << QStringList{tmp, "scan.bin", "File too large"};
    QTest::newRow("file-size limit below the archive only")
        << QByteArrayList{db, "Dbs/a.bin = @random 100000", "Dbs/b.bin = @random 100000", "Dbs/c.bin = @random 100000"}
        << QStringList() << 150000 << "tmp" << QStringList{QStringLiteral("백업 폴더: @/home/Trelvo/Backup\n"), "File too large"};
    QTest::newRow("temporary folder full") << QByteArrayList{db, "Dbs/scan.bin = @random 300000"} << QStringList() << 0 << "full"
                                           << QStringList{tmp, "scan.bin", "No space left on device"};
    QTest::newRow("temporary folder full at a database") << QByteArrayList{"Dbs/trelvoDB.mdb = @database 400000"} << QStringList() << 0
                                                         << "full" << QStringList{tmp, "trelvoDB.mdb", "No space left on device"};
    QTest::newRow("temporary folder missing") << QByteArrayList{db} << QStringList() << 0 << "no-tmp"
                                              << QStringList{QStringLiteral("임시 폴더: @/no-tmp\n"), "No such file or directory"};
}

void TstTools::failedBackupIsReportedNamingTheFolder()
{
    QFETCH(QByteArrayList, make);
    QFETCH(QStringList, args);
    QFETCH(int, fileLimit);
    QFETCH(QString, tmp);
    QFETCH(QStringList, told);
    BackupEnv b;
    const QString at = b.env.folder();
    QVERIFY(makeEntries(at, make));
    b.pe.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    b.fileLimit = rlim_t(fileLimit);
    std::unique_ptr<testsupport::SmallFileSystem> full;
    if (tmp == QLatin1String("full")) {
        full = std::make_unique<testsupport::SmallFileSystem>(b.tmp, "64k");
        if (!full->ok())
            QSKIP(qPrintable(full->why()));
    } else if (tmp == QLatin1String("no-tmp")) {
        b.pe.insert(QStringLiteral("TMPDIR"), at + QStringLiteral("/no-tmp"));
    }
    for (QString& a : args)
        a.replace(QLatin1Char('@'), at);
    const Run r = b.backup(args);
    QCOMPARE(r.code, 1); // an exit of its own, not the end by a signal
    QVERIFY2(r.err.contains(QStringLiteral("데이터 백업을 하지 못했습니다.")), qPrintable(r.err));
    for (QString& t : told)
        QVERIFY2(r.err.contains(t.replace(QLatin1Char('@'), at)), qPrintable(t + QStringLiteral(" in:\n") + r.err));
    const QStringList left = filesUnder(b.home + QStringLiteral("/Trelvo/Backup"));
    QVERIFY2(left.isEmpty(), qPrintable(left.join(QLatin1Char(' '))));
    QVERIFY2(isEmptyFolder(b.tmp), qPrintable(QDir(b.tmp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).join(QLatin1Char(' '))));
}

// The archive holds everything the user sees in the database folder: sub-folders, also those
// reached through a link (a folder of older files linked in), files reached through a link,
// and empty folders, every name as the bytes it has on disk (names copied from an older system
// are in CP949, not UTF-8). A link that leads back into the folder's own ancestry, or
// nowhere, is kept as a link, as tar keeps it. The staging copy is gone afterwards.
void TstTools::backupHoldsEverythingInTheFolder_data()
{
    QTest::addColumn<QByteArrayList>("make"); // under the scratch folder, as for makeEntries()
    QTest::addColumn<QStringList>("want");    // entries() of the unpacked Dbs; none: as `tar czf` of Dbs keeps it
    QTest::newRow("linked folders followed, links back or nowhere kept")
        << QByteArrayList{"Dbs/trelvoDB.mdb = @database 0", "old/older.mdb = @database 0", "old/2019.txt = older",
                          "old/deep/2018.txt = oldest", "Dbs/sub/memo.txt = memo", "Dbs/empty/", "Dbs/linked -> ../old",
                          "Dbs/sub/deep -> @/old/deep", "Dbs/note.txt -> ../old/2019.txt", "Dbs/self -> .", "Dbs/dangling -> ../gone"}
        << QStringList{"dangling -> ../gone", "empty/", "linked/", "linked/2019.txt = older", "linked/deep/",
                       "linked/deep/2018.txt = oldest", "linked/older.mdb = database, users: 1", "note.txt = older",
                       "self -> .", "sub/", "sub/deep/", "sub/deep/2018.txt = oldest", "sub/memo.txt = memo",
                       "trelvoDB.mdb = database, users: 1"};
    QTest::newRow("linked sibling whose name begins alike followed")
        << QByteArrayList{"Db/2019.txt = older", "Dbs/memo.txt = memo", "Dbs/old -> ../Db"}
        << QStringList{"memo.txt = memo", "old/", "old/2019.txt = older"};
    QTest::newRow("link in a linked folder back to an ancestor kept")
        << QByteArrayList{"old/2019.txt = older", "old/back -> ..", "Dbs/linked -> ../old"}
        << QStringList{"linked/", "linked/2019.txt = older", "linked/back -> .."};
    QTest::newRow("names in CP949") << QByteArrayList{"Dbs/\xc0\xe5\xba\xce" "2019/\xb8\xde\xb8\xf0.txt = 2019",
                                                      "Dbs/\xb8\xde\xb8\xf0.txt = memo", "Dbs/\xc0\xe5\xba\xce" "2019/up -> ../..",
                                                      "Dbs/\xb8\xde\xb8\xf0-2018 -> \xc0\xe5\xba\xce" "2018"}
                                    << QStringList();
    QTest::newRow("link to the parent") << QByteArrayList{"Dbs/memo.txt = memo", "Dbs/up -> .."} << QStringList();
    QTest::newRow("absolute link to an ancestor") << QByteArrayList{"Dbs/memo.txt = memo", "Dbs/top -> @", "Dbs/all -> /"} << QStringList();
    QTest::newRow("link two up from a sub-folder") << QByteArrayList{"Dbs/sub/memo.txt = memo", "Dbs/sub/up2 -> ../.."} << QStringList();
    QTest::newRow("link to the temporary folder: the stage left out")
        << QByteArrayList{"Dbs/memo.txt = memo", "Dbs/tmp -> ../tmp"} << QStringList{"memo.txt = memo", "tmp/"};
}

void TstTools::backupHoldsEverythingInTheFolder()
{
    QFETCH(QByteArrayList, make);
    QFETCH(QStringList, want);
    BackupEnv b;
    // Names that are not UTF-8 are beyond the scratch folder's own removal.
    const auto removal = qScopeGuard([&b] { run(QStringLiteral("rm"), {QStringLiteral("-rf"), b.env.folder()}); });
    QVERIFY(makeEntries(b.env.folder(), make));
    const Run r = b.backup({});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
    const QString to = b.unpack(r.out.trimmed());
    QVERIFY(!to.isEmpty());
    if (!want.isEmpty()) {
        QCOMPARE(entries(to + QStringLiteral("/Dbs")), want);
    } else {
        // Names, contents and links' texts byte for byte as tar keeps them.
        const QString reference = b.env.path(QStringLiteral("tar.tar.gz"));
        QCOMPARE(run(QStringLiteral("tar"), {QStringLiteral("-czf"), reference, QStringLiteral("-C"), b.env.folder(), QStringLiteral("Dbs")}).code, 0);
        const QString tarTo = b.unpack(reference);
        const Run diff = run(QStringLiteral("diff"), {QStringLiteral("-r"), QStringLiteral("--no-dereference"), to + QStringLiteral("/Dbs"),
                                                      tarTo + QStringLiteral("/Dbs")});
        QVERIFY2(diff.code == 0, qPrintable(diff.out + diff.err));
    }
    QVERIFY2(isEmptyFolder(b.tmp), qPrintable(QDir(b.tmp).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).join(QLatin1Char(' '))));
}

// As a user without root rights: what that user cannot read in the database folder (a
// folder or file of root's) is named on standard error (and in the window where one can be
// seen), the backup fails, and no archive is left.
void TstTools::backupNamesWhatItCannotRead_data()
{
    QTest::addColumn<QString>("unreadable"); // relative to the database folder
    QTest::addColumn<bool>("folder");
    QTest::addColumn<int>("mode");
    QTest::addColumn<QString>("link");       // a link in the database folder that leads there
    QTest::newRow("sub-folder of root, mode 700") << QStringLiteral("Dbs/private") << true << 0700 << QString();
    QTest::newRow("sub-folder of root, mode 711") << QStringLiteral("Dbs/private") << true << 0711 << QString();
    QTest::newRow("deeper sub-folder of root, mode 700") << QStringLiteral("Dbs/sub/private") << true << 0700 << QString();
    QTest::newRow("linked folder of root, mode 700") << QStringLiteral("private") << true << 0700 << QStringLiteral("Dbs/linked");
    QTest::newRow("file of root, mode 600") << QStringLiteral("Dbs/sub/private.txt") << false << 0600 << QString();
}

void TstTools::backupNamesWhatItCannotRead()
{
    QFETCH(QString, unreadable);
    QFETCH(bool, folder);
    QFETCH(int, mode);
    QFETCH(QString, link);
    if (::geteuid() != 0)
        QSKIP("needs root, to leave files as root and to run the backup without root rights");
    if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
        QSKIP("setpriv (util-linux) is missing: cannot run the backup without root rights");
    testsupport::TestEnv env;
    QTemporaryDir scratch;
    QVERIFY(scratch.isValid());
    const QString program = testsupport::copyForUnprivileged(scratch, tool(QStringLiteral("데이터압축")), QStringLiteral("backup"));
    QVERIFY(!program.isEmpty());
    const QString dbs = scratch.filePath(QStringLiteral("Dbs"));
    QVERIFY(QDir().mkpath(dbs));
    QVERIFY(testsupport::createDatabase(dbs + QStringLiteral("/trelvoDB.mdb"), QStringLiteral("main")));
    writeFile(dbs + QStringLiteral("/sub/memo.txt"), "memo");
    const QString hidden = scratch.filePath(unreadable);
    if (folder)
        writeFile(hidden + QStringLiteral("/secret.txt"), "secret");
    else
        writeFile(hidden, "secret");
    QCOMPARE(::chmod(QFile::encodeName(hidden).constData(), mode_t(mode)), 0);
    QString named = hidden;
    if (!link.isEmpty()) {
        named = scratch.filePath(link);
        QCOMPARE(::symlink(QFile::encodeName(hidden).constData(), QFile::encodeName(named).constData()), 0);
    }
    const QString settings = scratch.filePath(QStringLiteral("settings"));
    platform::setSettingsFolder(settings);
    platform::SaveSetting(QStringLiteral("Backup"), QStringLiteral("DB경로"), QStringLiteral("경로"), dbs + QLatin1Char('/'));
    QProcess p;
    QVERIFY(testsupport::startUnprivileged(p, program, {}, settings, scratch.path()));
    QVERIFY(p.waitForFinished(60000));
    const QString err = QString::fromUtf8(p.readAllStandardError());
    QCOMPARE(p.exitCode(), 1);
    QVERIFY2(err.contains(QStringLiteral("데이터 백업을 하지 못했습니다.")), qPrintable(err));
    QVERIFY2(err.contains(QDir::toNativeSeparators(named)), qPrintable(err));
    const QDir archives(scratch.filePath(QStringLiteral("Trelvo/Backup")));
    QVERIFY2(!archives.exists() || archives.entryList(QDir::Files | QDir::Hidden).isEmpty(),
             qPrintable(archives.entryList(QDir::Files | QDir::Hidden).join(QLatin1Char(' '))));
}

// The program hands over the folder of its own run on the command line; the stored setting
// (another run's, or none) is then not used.
void TstTools::backupTakesTheFolderGivenOnTheCommandLine()
{
    BackupEnv b;
    const QString now = b.env.path(QStringLiteral("이번 폴더"));
    QVERIFY(QDir().mkpath(now));
    QVERIFY(testsupport::createDatabase(b.dbs + QStringLiteral("/trelvoDB.mdb"), QStringLiteral("main")));
    QVERIFY(testsupport::createDatabase(now + QStringLiteral("/trelvoDB.mdb"), QStringLiteral("main")));
    writeFile(now + QStringLiteral("/this-run.txt"), "now");
    for (bool stored : {true, false}) {
        if (!stored)
            platform::DeleteSetting(QStringLiteral("Backup"), QStringLiteral("DB경로"));
        const Run r = b.backup({QStringLiteral("SERVERUP"), QStringLiteral("--folder=") + now + QLatin1Char('/')});
        QCOMPARE(r.code, 0);
        QVERIFY(r.out.trimmed().startsWith(b.home + QStringLiteral("/Trelvo/Backup/Server/Trelvo_")));
        const QString to = b.unpack(r.out.trimmed());
        QCOMPARE(entries(to), (QStringList{QStringLiteral("이번 폴더/"), QStringLiteral("이번 폴더/this-run.txt = now"),
                                           QStringLiteral("이번 폴더/trelvoDB.mdb = database, users: 1")}));
    }
}

QTEST_GUILESS_MAIN(TstTools)
#include "tst_tools.moc"
