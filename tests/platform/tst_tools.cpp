// The helper programs: the database maker, the ledger generator and the backup compressor.
// They are run as the user runs them, as separate processes.
#include "support/TestEnv.h"

#include "platform/Prompter.h"
#include "platform/SettingsStore.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <sqlite3.h>

#include <atomic>
#include <thread>
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

Run run(const QString& program, const QStringList& args, const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment())
{
    QProcess p;
    p.setProcessEnvironment(env);
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
    void failedBackupIsReportedNamingTheFolder();
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
// handed over as the main window leaves it (with a trailing separator).
struct BackupEnv {
    testsupport::TestEnv env;
    QString dbs = env.path(QStringLiteral("Dbs"));
    QString home = env.path(QStringLiteral("home"));
    QProcessEnvironment pe = QProcessEnvironment::systemEnvironment();
    BackupEnv()
    {
        QDir().mkpath(dbs);
        QDir().mkpath(home);
        platform::SaveSetting(QStringLiteral("Backup"), QStringLiteral("DB경로"), QStringLiteral("경로"), dbs + QLatin1Char('/'));
        pe.insert(QStringLiteral("HOME"), home);
        pe.insert(QStringLiteral("TRELVO_SETTINGS_DIR"), env.settingsFolder());
    }
    Run backup(const QStringList& args) { return run(tool(QStringLiteral("데이터압축")), args, pe); }
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

// The program has closed when the compressor runs, so a backup that fails is reported by
// the compressor itself, in a window naming the folder. Where no window can be seen (here:
// the off-screen platform) the same report goes to standard error.
void TstTools::failedBackupIsReportedNamingTheFolder()
{
    BackupEnv b;
    QVERIFY(testsupport::createDatabase(b.dbs + QStringLiteral("/trelvoDB.mdb"), QStringLiteral("main")));
    b.pe.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // The backup folder cannot be made: a plain file stands where its parent would be.
    QFile blocker(b.home + QStringLiteral("/Trelvo"));
    QVERIFY(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const QString server = QDir::toNativeSeparators(b.home + QStringLiteral("/Trelvo/Backup/Server"));
    const QString as = QDir::toNativeSeparators(b.home + QStringLiteral("/Trelvo/Backup/AS"));
    Run r = b.backup({QStringLiteral(" SERVERUP"), QStringLiteral("AS")});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(QStringLiteral("데이터 백업을 하지 못했습니다.")), qPrintable(r.err));
    QVERIFY2(r.err.contains(QStringLiteral("백업 폴더: ") + server + QStringLiteral("\n백업 폴더를 만들 수 없습니다.")),
             qPrintable(r.err));
    QVERIFY2(r.err.contains(QStringLiteral("백업 폴더: ") + as + QStringLiteral("\n백업 폴더를 만들 수 없습니다.")),
             qPrintable(r.err));

    // A database folder that is gone is named as well.
    const QString gone = b.env.path(QStringLiteral("gone"));
    platform::SaveSetting(QStringLiteral("Backup"), QStringLiteral("DB경로"), QStringLiteral("경로"), gone);
    r = b.backup({});
    QCOMPARE(r.code, 1);
    QVERIFY2(r.err.contains(QStringLiteral("데이터 백업을 하지 못했습니다.")), qPrintable(r.err));
    QVERIFY2(r.err.contains(QStringLiteral("데이터베이스 폴더: ") + QDir::toNativeSeparators(gone)), qPrintable(r.err));
}

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Every entry under folder, relative to it, folders ending in '/', links as "name -> target".
QStringList entries(const QString& folder)
{
    QStringList list;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QFileInfo fi(path);
        QString rel = QDir(folder).relativeFilePath(path);
        if (fi.isSymLink())
            rel += QStringLiteral(" -> ") + fi.symLinkTarget();
        else if (fi.isDir())
            rel += QLatin1Char('/');
        list << rel;
    }
    list.sort();
    return list;
}

} // namespace

// The archive holds everything the user sees in the database folder: sub-folders, also those
// reached through a link (a folder of older files linked in), files reached through a link,
// and empty folders. A link that leads back into the folder it is in, or nowhere, is kept
// as a link, as tar keeps it.
void TstTools::backupHoldsEverythingInTheFolder()
{
    BackupEnv b;
    const QString old = b.env.path(QStringLiteral("old"));
    QVERIFY(QDir().mkpath(old));
    QVERIFY(testsupport::createDatabase(b.dbs + QStringLiteral("/trelvoDB.mdb"), QStringLiteral("main")));
    QVERIFY(testsupport::createDatabase(old + QStringLiteral("/older.mdb"), QStringLiteral("main")));
    writeFile(old + QStringLiteral("/2019.txt"), "older");
    writeFile(old + QStringLiteral("/deep/2018.txt"), "oldest");
    writeFile(b.dbs + QStringLiteral("/sub/memo.txt"), "memo");
    QVERIFY(QDir().mkpath(b.dbs + QStringLiteral("/empty")));
    QCOMPARE(::symlink("../old", QFile::encodeName(b.dbs + QStringLiteral("/linked")).constData()), 0);
    QCOMPARE(::symlink(QFile::encodeName(old + QStringLiteral("/deep")).constData(),
                       QFile::encodeName(b.dbs + QStringLiteral("/sub/deep")).constData()), 0);
    QCOMPARE(::symlink("../old/2019.txt", QFile::encodeName(b.dbs + QStringLiteral("/note.txt")).constData()), 0);
    QCOMPARE(::symlink(".", QFile::encodeName(b.dbs + QStringLiteral("/self")).constData()), 0);
    QCOMPARE(::symlink("../gone", QFile::encodeName(b.dbs + QStringLiteral("/dangling")).constData()), 0);

    const Run r = b.backup({});
    QCOMPARE(r.code, 0);
    QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
    const QString to = b.unpack(r.out.trimmed());
    QVERIFY(!to.isEmpty());
    const QStringList got = entries(to + QStringLiteral("/Dbs"));
    const QStringList want = {
        QStringLiteral("dangling -> ") + to + QStringLiteral("/gone"), QStringLiteral("empty/"),
        QStringLiteral("linked/"), QStringLiteral("linked/2019.txt"), QStringLiteral("linked/deep/"),
        QStringLiteral("linked/deep/2018.txt"), QStringLiteral("linked/older.mdb"), QStringLiteral("note.txt"),
        QStringLiteral("self -> ") + to + QStringLiteral("/Dbs"), QStringLiteral("sub/"), QStringLiteral("sub/deep/"),
        QStringLiteral("sub/deep/2018.txt"), QStringLiteral("sub/memo.txt"), QStringLiteral("trelvoDB.mdb"),
    };
    QCOMPARE(got, want);
    QCOMPARE(fileBytes(to + QStringLiteral("/Dbs/linked/deep/2018.txt")), QByteArray("oldest"));
    QCOMPARE(fileBytes(to + QStringLiteral("/Dbs/note.txt")), QByteArray("older"));
    Sql copy(to + QStringLiteral("/Dbs/linked/older.mdb"));
    QCOMPARE(copy.count(QStringLiteral("SELECT COUNT(*) FROM user")), 1);
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
        QCOMPARE(entries(to), (QStringList{QStringLiteral("이번 폴더/"), QStringLiteral("이번 폴더/this-run.txt"),
                                           QStringLiteral("이번 폴더/trelvoDB.mdb")}));
    }
}

QTEST_GUILESS_MAIN(TstTools)
#include "tst_tools.moc"
