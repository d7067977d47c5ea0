#include "platform/IniFile.h"
#include "platform/SettingsStore.h"
#include "support/TestEnv.h"
#include "support/WriteFailure.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <grp.h>
#include <pwd.h>
#include <iostream>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

// The test binary doubles as the other copies of the program: started with one of the
// worker arguments below it writes settings as the program does and exits.
namespace worker {

const QString kApp = QStringLiteral("Trelvo");
const QString kSection = QStringLiteral("환경설정");

// --writer <n> <count>: waits for a line on standard input, then saves keys w<n>_0 ... and
// prints the longest single save in milliseconds as "max=<ms>".
int writer(int n, int count)
{
    std::string go;
    std::getline(std::cin, go);
    qint64 longest = 0;
    for (int i = 0; i < count; ++i) {
        QElapsedTimer t;
        t.start();
        platform::SaveSetting(kApp, kSection, QStringLiteral("w%1_%2").arg(n).arg(i), QStringLiteral("값%1").arg(i));
        longest = qMax(longest, t.elapsed());
    }
    std::cout << "max=" << longest << std::endl;
    return 0;
}

// --hold <key> <value> <ms>: says "waiting", takes the settings file's lock, reads the file,
// says "locked", keeps the lock for ms milliseconds (for ever when negative), then saves its key.
int hold(const QString& key, const QString& value, int ms)
{
    const QString file = platform::settingsFile(kApp);
    std::cout << "waiting" << std::endl;
    platform::IniFileLock lock(file);
    platform::IniFile ini(file);
    ini.load();
    std::cout << "locked" << std::endl;
    if (ms < 0)
        for (;;)
            QThread::sleep(60);
    QThread::msleep(ms);
    ini.setValue(kSection, key, value);
    return ini.save() ? 0 : 1;
}

// --save <key> <value>
int save(const QString& key, const QString& value)
{
    platform::SaveSetting(kApp, kSection, key, value);
    return 0;
}

// --saves <limit ms> <key> <value>...: says "waiting", saves each pair with that wait limit for
// the lock and prints how often the store told that a save wrote nothing, and the time taken,
// as "unsaved=<n> ms=<ms>".
int saves(int limit, const QStringList& pairs)
{
    std::cout << "waiting" << std::endl;
    platform::IniFileLock::setWaitLimit(limit);
    int unsaved = 0;
    platform::setUnsavedSettingsHook([&unsaved](const QString&) { ++unsaved; });
    QElapsedTimer t;
    t.start();
    for (int i = 0; i + 1 < pairs.size(); i += 2)
        platform::SaveSetting(kApp, kSection, pairs[i], pairs[i + 1]);
    std::cout << "unsaved=" << unsaved << " ms=" << t.elapsed() << std::endl;
    return 0;
}

// --steps <limit ms> <key> <value>...: saves each pair with that wait limit, the first at once
// and each later one on a line on standard input, and prints after each save "unsaved=<n>"
// (how often the store has told so far that a save wrote nothing).
int steps(int limit, const QStringList& pairs)
{
    platform::IniFileLock::setWaitLimit(limit);
    int unsaved = 0;
    platform::setUnsavedSettingsHook([&unsaved](const QString&) { ++unsaved; });
    for (int i = 0; i + 1 < pairs.size(); i += 2) {
        std::string go;
        if (i > 0)
            std::getline(std::cin, go);
        platform::SaveSetting(kApp, kSection, pairs[i], pairs[i + 1]);
        std::cout << "unsaved=" << unsaved << std::endl;
    }
    return 0;
}

} // namespace worker

namespace {

// Starts this test binary as a worker on the test's settings folder.
std::unique_ptr<QProcess> startWorker(const QStringList& args)
{
    auto p = std::make_unique<QProcess>();
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("TRELVO_SETTINGS_DIR"), platform::settingsFolder());
    p->setProcessEnvironment(env);
    p->start(QCoreApplication::applicationFilePath(), args);
    return p;
}

// Ends workers that may be stopped or hold the lock for ever.
void endWorkers(std::vector<std::unique_ptr<QProcess>>& workers)
{
    for (auto& p : workers) {
        if (p->processId() > 0)
            ::kill(pid_t(p->processId()), SIGCONT);
        p->kill();
        p->waitForFinished(10000);
    }
    workers.clear();
}

// Waits for a line the worker prints, passing over the lines before it.
bool waitForLine(QProcess& p, const QByteArray& line)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 30000) {
        while (p.canReadLine())
            if (p.readLine().trimmed() == line)
                return true;
        if (p.state() == QProcess::NotRunning)
            return false;
        p.waitForReadyRead(1000);
    }
    return false;
}

// The "unsaved=" and "ms=" figures of a finished --saves worker.
QPair<int, qint64> savesResult(QProcess& p)
{
    const QString out = QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("unsaved=(\\d+) ms=(\\d+)")).match(out);
    if (!m.hasMatch())
        return {-1, -1};
    return {m.captured(1).toInt(), m.captured(2).toLongLong()};
}

// Moves this test process into a mount namespace of its own (once), so that what the test
// mounts is seen only by it and the programs it starts. False when the system refuses.
bool privateMounts()
{
    static const bool done = ::unshare(CLONE_NEWNS) == 0 && ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
    return done;
}

QString setting(const QString& section, const QString& key, const QString& def = QString())
{
    return platform::GetSetting(worker::kApp, section, key, def);
}

// How the settings folder is found by a user's saver, besides the lock file another user left.
enum Setup {
    AsLeft,              // as the rows say
    MadeByRoot,          // the user's folder, whose settings file root's first save makes
    SameNumberElsewhere, // a file of another file system with the lock file's number is locked
    LocksUnreadable,     // the system's list of locks cannot be read by the user
};

QByteArray fileText(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

// Several copies of the program write one user's settings file at the same moment (two
// workstations of one user closing together): every key written survives, and the file
// stays whole. Whatever the program stores comes back as it was given.
class tst_SettingsStore : public QObject {
    Q_OBJECT

private slots:
    void writersAtOnceLoseNoKey()
    {
        testsupport::TestEnv env;
        const int writers = 4;
        const int keys = 40;
        std::vector<std::thread> threads;
        for (int w = 0; w < writers; ++w)
            threads.emplace_back([w] {
                for (int i = 0; i < keys; ++i)
                    platform::SaveSetting(QStringLiteral("Trelvo"), QStringLiteral("환경설정"),
                                          QStringLiteral("k%1_%2").arg(w).arg(i), QStringLiteral("값%1").arg(i));
            });
        for (auto& t : threads)
            t.join();
        int missing = 0;
        for (int w = 0; w < writers; ++w)
            for (int i = 0; i < keys; ++i)
                if (platform::GetSetting(QStringLiteral("Trelvo"), QStringLiteral("환경설정"),
                                         QStringLiteral("k%1_%2").arg(w).arg(i))
                    != QStringLiteral("값%1").arg(i))
                    ++missing;
        QCOMPARE(missing, 0);
        // Nothing but the settings file is left behind (no lock or temporary files).
        QCOMPARE(QDir(platform::settingsFolder()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("Trelvo.ini")});
    }

    // Processes started together, each saving 150 keys one by one. With four, no save
    // stalls either.
    void processesAtOnceLoseNoKeyAndNoSaveStalls_data()
    {
        QTest::addColumn<int>("writers");
        QTest::newRow("4 processes") << 4;
        QTest::newRow("16 processes") << 16;
    }
    void processesAtOnceLoseNoKeyAndNoSaveStalls()
    {
        QFETCH(int, writers);
        testsupport::TestEnv env;
        const int keys = 150;
        std::vector<std::unique_ptr<QProcess>> procs;
        for (int w = 0; w < writers; ++w) {
            procs.push_back(startWorker({QStringLiteral("--writer"), QString::number(w), QString::number(keys)}));
            QVERIFY(procs.back()->waitForStarted());
        }
        for (auto& p : procs)
            p->write("go\n");
        for (auto& p : procs)
            QVERIFY(p->waitForBytesWritten(10000));
        qint64 longest = 0;
        for (auto& p : procs) {
            QVERIFY(p->waitForFinished(120000));
            QCOMPARE(p->exitCode(), 0);
            const QByteArray out = p->readAllStandardOutput().trimmed();
            QVERIFY2(out.startsWith("max="), out.constData());
            longest = qMax(longest, out.mid(4).toLongLong());
        }
        platform::IniFile ini(platform::settingsFile(worker::kApp)); // read once: the file holds every key
        QVERIFY(ini.load());
        int kept = 0;
        for (int w = 0; w < writers; ++w)
            for (int i = 0; i < keys; ++i)
                if (ini.value(worker::kSection, QStringLiteral("w%1_%2").arg(w).arg(i)) == QStringLiteral("값%1").arg(i))
                    ++kept;
        qInfo("kept %d of %d, longest save %lld ms", kept, writers * keys, longest);
        QCOMPARE(kept, writers * keys);
        if (writers <= 4)
            QVERIFY2(longest < 2000, qPrintable(QStringLiteral("longest save %1 ms").arg(longest)));
        QCOMPARE(QDir(platform::settingsFolder()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("Trelvo.ini")});
    }

    // A writer waits for a lock another process really holds (for seconds, within the wait
    // limit), and takes over the lock of a process that died holding it.
    void writerWaitsForAHeldLockAndTakesOverADeadOne()
    {
        testsupport::TestEnv env;
        auto slow = startWorker({QStringLiteral("--hold"), QStringLiteral("slow"), QStringLiteral("1"), QStringLiteral("3000")});
        QVERIFY(waitForLine(*slow, "locked"));
        auto other = startWorker({QStringLiteral("--save"), QStringLiteral("other"), QStringLiteral("2")});
        QVERIFY(slow->waitForFinished(60000));
        QVERIFY(other->waitForFinished(60000));
        QCOMPARE(setting(worker::kSection, QStringLiteral("slow")), QStringLiteral("1"));
        QCOMPARE(setting(worker::kSection, QStringLiteral("other")), QStringLiteral("2"));

        auto dead = startWorker({QStringLiteral("--hold"), QStringLiteral("dead"), QStringLiteral("3"), QStringLiteral("-1")});
        QVERIFY(waitForLine(*dead, "locked"));
        dead->kill();
        QVERIFY(dead->waitForFinished(10000));
        auto after = startWorker({QStringLiteral("--save"), QStringLiteral("after"), QStringLiteral("4")});
        QVERIFY(after->waitForFinished(60000));
        QCOMPARE(after->exitCode(), 0);
        QCOMPARE(setting(worker::kSection, QStringLiteral("after")), QStringLiteral("4"));
        QCOMPARE(setting(worker::kSection, QStringLiteral("dead"), QStringLiteral("none")), QStringLiteral("none"));
        QCOMPARE(setting(worker::kSection, QStringLiteral("other")), QStringLiteral("2"));
        QCOMPARE(QDir(platform::settingsFolder()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("Trelvo.ini")});
    }

    // A writer stopped while it holds the lock (SIGSTOP, a debugger) keeps it for ever: a save
    // waits up to its limit and then writes nothing, and says so once, however many saves
    // follow; a later save does not wait the whole limit again. Once the holder is gone,
    // saves write again.
    void saveGivesUpOnAStoppedHolder()
    {
        testsupport::TestEnv env;
        auto stopped = startWorker({QStringLiteral("--hold"), QStringLiteral("stopped"), QStringLiteral("1"), QStringLiteral("-1")});
        QVERIFY(waitForLine(*stopped, "locked"));
        QCOMPARE(::kill(pid_t(stopped->processId()), SIGSTOP), 0);
        const int limit = 1500;
        auto saver = startWorker({QStringLiteral("--saves"), QString::number(limit), QStringLiteral("a"), QStringLiteral("1"),
                                  QStringLiteral("b"), QStringLiteral("2")});
        const bool ended = saver->waitForFinished(20000);
        ::kill(pid_t(stopped->processId()), SIGCONT);
        stopped->kill();
        QVERIFY(stopped->waitForFinished(10000));
        QVERIFY2(ended, "a save waited for a stopped holder without a limit");
        const auto r = savesResult(*saver);
        QCOMPARE(r.first, 1);
        QVERIFY2(r.second >= limit && r.second < 2 * limit, qPrintable(QStringLiteral("%1 ms").arg(r.second)));
        QCOMPARE(setting(worker::kSection, QStringLiteral("a"), QStringLiteral("none")), QStringLiteral("none"));
        QCOMPARE(setting(worker::kSection, QStringLiteral("b"), QStringLiteral("none")), QStringLiteral("none"));

        auto after = startWorker({QStringLiteral("--saves"), QString::number(limit), QStringLiteral("c"), QStringLiteral("3")});
        QVERIFY(after->waitForFinished(20000));
        QCOMPARE(savesResult(*after).first, 0);
        QCOMPARE(setting(worker::kSection, QStringLiteral("c")), QStringLiteral("3"));
        QCOMPARE(QDir(platform::settingsFolder()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("Trelvo.ini")});
    }

    // After a save gave up on a stopped holder (and told so), the next save of the process
    // looks only briefly while that holder is still stuck, and says nothing more; a holder that
    // has taken over since (the stopped one was ended) is waited for as any other. A save that
    // gives up again is told again once a save was written in between, or when it gave up on
    // another holder than the one told about.
    void shortLookOnlyWhileTheSameHolderIsStuck_data()
    {
        QTest::addColumn<bool>("endStuck");     // the stopped holder is ended after the first save
        QTest::addColumn<bool>("savedBetween"); // then the saver writes a key while nobody holds the lock
        QTest::addColumn<int>("nextHoldMs");    // then another holder takes the lock this long; -1: and is stopped
        QTest::addColumn<int>("unsaved");       // told at the end
        QTest::addColumn<bool>("written");      // the last save wrote
        QTest::newRow("same holder still stuck") << false << false << 0 << 1 << false;
        QTest::newRow("another holder that lets go") << true << false << 500 << 1 << true;
        QTest::newRow("another holder stopped after a save was written") << true << true << -1 << 2 << false;
        QTest::newRow("another holder stopped") << true << false << -1 << 2 << false;
    }
    void shortLookOnlyWhileTheSameHolderIsStuck()
    {
        QFETCH(bool, endStuck);
        QFETCH(bool, savedBetween);
        QFETCH(int, nextHoldMs);
        QFETCH(int, unsaved);
        QFETCH(bool, written);
        testsupport::TestEnv env;
        std::vector<std::unique_ptr<QProcess>> stopped;
        auto guard = qScopeGuard([&stopped] { endWorkers(stopped); });
        stopped.push_back(startWorker({QStringLiteral("--hold"), QStringLiteral("stuck"), QStringLiteral("1"), QStringLiteral("-1")}));
        QVERIFY(waitForLine(*stopped.back(), "locked"));
        QCOMPARE(::kill(pid_t(stopped.back()->processId()), SIGSTOP), 0);
        QStringList args = {QStringLiteral("--steps"), QStringLiteral("1500"), QStringLiteral("a"), QStringLiteral("1")};
        if (savedBetween)
            args << QStringLiteral("c") << QStringLiteral("3");
        auto saver = startWorker(args << QStringLiteral("b") << QStringLiteral("2"));
        QVERIFY(waitForLine(*saver, "unsaved=1"));
        if (endStuck)
            endWorkers(stopped);
        if (savedBetween) {
            saver->write("go\n");
            QVERIFY(waitForLine(*saver, "unsaved=1"));
        }
        std::unique_ptr<QProcess> next;
        if (nextHoldMs != 0) {
            next = startWorker({QStringLiteral("--hold"), QStringLiteral("next"), QStringLiteral("3"), QString::number(nextHoldMs)});
            QVERIFY(waitForLine(*next, "locked"));
            if (nextHoldMs < 0) {
                QCOMPARE(::kill(pid_t(next->processId()), SIGSTOP), 0);
                stopped.push_back(std::move(next));
            }
        }
        saver->write("go\n");
        QVERIFY(waitForLine(*saver, QByteArray("unsaved=") + QByteArray::number(unsaved)));
        QVERIFY(saver->waitForFinished(30000));
        if (next)
            QVERIFY(next->waitForFinished(30000));
        endWorkers(stopped);
        QCOMPARE(setting(worker::kSection, QStringLiteral("a"), QStringLiteral("none")), QStringLiteral("none"));
        QCOMPARE(setting(worker::kSection, QStringLiteral("b"), QStringLiteral("none")), written ? QStringLiteral("2") : QStringLiteral("none"));
        if (savedBetween)
            QCOMPARE(setting(worker::kSection, QStringLiteral("c")), QStringLiteral("3"));
        if (nextHoldMs > 0)
            QCOMPARE(setting(worker::kSection, QStringLiteral("next")), QStringLiteral("3"));
    }

    // Writers that follow one another on the lock: a save waits at most its limit from its own
    // start, however often the holder changes, and takes its turn before every writer that
    // came after it. Each holder ahead keeps the lock 800 ms; those that come after keep it.
    void savesTakeTurnsInOrderWithinTheirLimit_data()
    {
        QTest::addColumn<int>("ahead"); // holders waiting before the save, besides the one holding
        QTest::addColumn<int>("after"); // holders that come after it
        QTest::addColumn<int>("limit");
        QTest::addColumn<bool>("written");
        QTest::newRow("holders ahead for longer than the limit") << 2 << 0 << 1000 << false;
        QTest::newRow("later writers come after it") << 1 << 4 << 5000 << true;
    }
    void savesTakeTurnsInOrderWithinTheirLimit()
    {
        QFETCH(int, ahead);
        QFETCH(int, after);
        QFETCH(int, limit);
        QFETCH(bool, written);
        testsupport::TestEnv env;
        std::vector<std::unique_ptr<QProcess>> holders;
        auto guard = qScopeGuard([&holders] { endWorkers(holders); });
        // Each says "waiting" just before it asks for the lock; the next one starts after that.
        for (int i = 0; i <= ahead; ++i) {
            holders.push_back(startWorker({QStringLiteral("--hold"), QStringLiteral("h%1").arg(i), QStringLiteral("1"), QStringLiteral("800")}));
            QVERIFY(waitForLine(*holders.back(), i == 0 ? "locked" : "waiting"));
        }
        auto saver = startWorker({QStringLiteral("--saves"), QString::number(limit), QStringLiteral("s"), QStringLiteral("1")});
        QVERIFY(waitForLine(*saver, "waiting"));
        for (int i = 0; i < after; ++i) {
            holders.push_back(startWorker({QStringLiteral("--hold"), QStringLiteral("later"), QStringLiteral("1"), QStringLiteral("-1")}));
            QVERIFY(waitForLine(*holders.back(), "waiting"));
        }
        QVERIFY(saver->waitForFinished(30000));
        QCOMPARE(savesResult(*saver).first, written ? 0 : 1);
        for (int i = 0; i <= ahead; ++i)
            QVERIFY(holders[size_t(i)]->waitForFinished(30000));
        endWorkers(holders);
        QCOMPARE(setting(worker::kSection, QStringLiteral("s"), QStringLiteral("none")), written ? QStringLiteral("1") : QStringLiteral("none"));
        for (int i = 0; i <= ahead; ++i)
            QCOMPARE(setting(worker::kSection, QStringLiteral("h%1").arg(i)), QStringLiteral("1"));
    }

    // The lock file (or the folder) as another user left it, seen by a user without root
    // rights (root ignores file modes): a lock file that nobody holds is replaced and the
    // save writes; one that another user's program really holds is waited for, whether this
    // user may open it or not, and never replaced under its holder: a holder that lets go
    // within the limit is followed by this save, one that does not leaves it unwritten and
    // told. The other user is root with umask 077, whose lock files this user can open all
    // the same. A folder the user cannot write takes no save. A settings file that root makes
    // first in the user's own folder is the user's. A lock on another file system's file that
    // has the lock file's number is no holder of it, and a list of locks the user may not read
    // does not make a lock file nobody holds count as held.
    void foreignLockFile_data()
    {
        QTest::addColumn<int>("lockMode");   // mode given to the root-owned "<file>.lock"; -1: none, or as made
        QTest::addColumn<int>("holdMs");     // a root process holds the lock this long, then saves; -1: for ever; 0: none
        QTest::addColumn<int>("folderMode"); // mode of the settings folder (owner root, group the user's)
        QTest::addColumn<bool>("shared");    // the settings file belongs to root and the user's group (0664), not to the user (0644)
        QTest::addColumn<int>("setup");      // one of Setup
        QTest::addColumn<bool>("written");
        QTest::newRow("empty lock file, unreadable") << 0600 << 0 << 0777 << false << int(AsLeft) << true;
        QTest::newRow("empty lock file, no access at all") << 0000 << 0 << 0777 << false << int(AsLeft) << true;
        QTest::newRow("empty lock file, readable") << 0644 << 0 << 0777 << false << int(AsLeft) << true;
        QTest::newRow("lock held by another user") << 0644 << -1 << 0777 << false << int(AsLeft) << false;
        QTest::newRow("lock held by another user, unreadable") << 0600 << -1 << 0777 << false << int(AsLeft) << false;
        QTest::newRow("lock held by another user, no access at all") << 0000 << -1 << 0777 << false << int(AsLeft) << false;
        QTest::newRow("lock held by another user, unreadable, let go") << 0600 << 1000 << 0777 << false << int(AsLeft) << true;
        QTest::newRow("lock made under umask 077, held") << -1 << -1 << 0777 << false << int(AsLeft) << false;
        QTest::newRow("lock made under umask 077, let go") << -1 << 1000 << 0777 << false << int(AsLeft) << true;
        QTest::newRow("lock made under umask 077, group's file, held") << -1 << -1 << 0770 << true << int(AsLeft) << false;
        QTest::newRow("lock made under umask 077, group's file, let go") << -1 << 1000 << 0770 << true << int(AsLeft) << true;
        QTest::newRow("folder not writable") << -1 << 0 << 0755 << false << int(AsLeft) << false;
        QTest::newRow("settings file made by root's first save") << -1 << 0 << 0700 << false << int(MadeByRoot) << true;
        QTest::newRow("empty lock file, unreadable, its number locked on another file system")
            << 0600 << 0 << 0777 << false << int(SameNumberElsewhere) << true;
        QTest::newRow("empty lock file, unreadable, list of locks unreadable") << 0600 << 0 << 0777 << false << int(LocksUnreadable) << true;
        QTest::newRow("lock held by another user, unreadable, list of locks unreadable")
            << 0600 << -1 << 0777 << false << int(LocksUnreadable) << false;
    }
    void foreignLockFile()
    {
        QFETCH(int, lockMode);
        QFETCH(int, holdMs);
        QFETCH(int, folderMode);
        QFETCH(bool, shared);
        QFETCH(int, setup);
        QFETCH(bool, written);
        if (::geteuid() != 0)
            QSKIP("needs root, to leave files as another user and to start a saver without root rights");
        if (QStandardPaths::findExecutable(QStringLiteral("setpriv")).isEmpty())
            QSKIP("setpriv (util-linux) is missing: cannot start a saver without root rights");
        testsupport::TestEnv env;
        // A folder the unprivileged user reaches: a copy of this program and the settings.
        QTemporaryDir scratch;
        QVERIFY(scratch.isValid());
        const QString program = testsupport::copyForUnprivileged(scratch, QCoreApplication::applicationFilePath(), QStringLiteral("saver"));
        QVERIFY(!program.isEmpty());
        const QString folder = scratch.filePath(QStringLiteral("settings"));
        QVERIFY(QDir().mkdir(folder));
        std::vector<QByteArray> mounts; // taken away again at the end, in this test's own mount namespace
        auto unmount = qScopeGuard([&mounts] {
            for (auto it = mounts.rbegin(); it != mounts.rend(); ++it)
                ::umount2(it->constData(), MNT_DETACH);
        });
        if (setup == SameNumberElsewhere) { // file numbers start afresh on a new file system
            if (!privateMounts())
                QSKIP("cannot mount a file system of the test's own");
            QCOMPARE(::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, nullptr), 0);
            mounts.push_back(QFile::encodeName(folder));
        }
        const struct group* users = ::getgrnam("nogroup");
        QVERIFY(users);
        const struct passwd* user = ::getpwnam("nobody");
        QVERIFY(user);
        QCOMPARE(::chown(QFile::encodeName(folder).constData(), setup == MadeByRoot ? user->pw_uid : 0, users->gr_gid), 0);
        QCOMPARE(::chmod(QFile::encodeName(folder).constData(), mode_t(folderMode)), 0);
        platform::setSettingsFolder(folder);
        const QString ini = platform::settingsFile(worker::kApp);
        if (setup == MadeByRoot) { // root saves first, under umask 077
            const mode_t before = ::umask(077);
            platform::SaveSetting(worker::kApp, worker::kSection, QStringLiteral("first"), QStringLiteral("0"));
            ::umask(before);
        } else { // the settings file is there already, as the user's program left it
            platform::SaveSetting(worker::kApp, worker::kSection, QStringLiteral("first"), QStringLiteral("0"));
            QCOMPARE(::chown(QFile::encodeName(ini).constData(), shared ? 0 : user->pw_uid, users->gr_gid), 0);
            QCOMPARE(::chmod(QFile::encodeName(ini).constData(), shared ? 0664 : 0644), 0);
        }
        const QString lockFile = ini + QStringLiteral(".lock");
        std::unique_ptr<QProcess> holder;
        if (holdMs != 0) {
            const mode_t before = ::umask(077);
            holder = startWorker({QStringLiteral("--hold"), QStringLiteral("root"), QStringLiteral("1"), QString::number(holdMs)});
            ::umask(before);
            QVERIFY(waitForLine(*holder, "locked"));
        } else if (lockMode >= 0) {
            QFile f(lockFile);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.close();
        }
        if (lockMode >= 0)
            QCOMPARE(::chmod(QFile::encodeName(lockFile).constData(), mode_t(lockMode)), 0);
        int unrelated = -1; // a lock on another file system's file of the lock file's number
        auto closeUnrelated = qScopeGuard([&unrelated] {
            if (unrelated >= 0)
                ::close(unrelated);
        });
        if (setup == SameNumberElsewhere) {
            struct stat st {};
            QCOMPARE(::stat(QFile::encodeName(lockFile).constData(), &st), 0);
            const QString other = scratch.filePath(QStringLiteral("other"));
            QVERIFY(QDir().mkdir(other));
            QCOMPARE(::mount("tmpfs", QFile::encodeName(other).constData(), "tmpfs", 0, nullptr), 0);
            mounts.push_back(QFile::encodeName(other));
            for (int i = 0; unrelated < 0 && i < 10000; ++i) {
                const int fd = ::open(QFile::encodeName(other + QStringLiteral("/f%1").arg(i)).constData(), O_RDWR | O_CREAT, 0600);
                struct stat made {};
                if (fd >= 0 && ::fstat(fd, &made) == 0 && made.st_ino == st.st_ino)
                    unrelated = fd;
                else if (fd >= 0)
                    ::close(fd);
            }
            struct flock fl {}; // the whole file
            fl.l_type = F_WRLCK;
            QVERIFY(unrelated >= 0 && ::fcntl(unrelated, F_OFD_SETLK, &fl) == 0);
        }
        if (setup == LocksUnreadable) {
            if (!privateMounts())
                QSKIP("cannot hide the list of locks in a mount namespace of the test's own");
            const QString hidden = scratch.filePath(QStringLiteral("locks"));
            QFile f(hidden);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.close();
            QCOMPARE(::chmod(QFile::encodeName(hidden).constData(), 0600), 0);
            QCOMPARE(::mount(QFile::encodeName(hidden).constData(), "/proc/locks", nullptr, MS_BIND, nullptr), 0);
            mounts.push_back("/proc/locks");
        }

        // A lock that is let go is waited for well past its holding time.
        const int limit = holdMs > 0 ? 15000 : 1000;
        QProcess saver;
        QVERIFY(testsupport::startUnprivileged(saver, program,
                                               {QStringLiteral("--saves"), QString::number(limit), QStringLiteral("user"),
                                                QStringLiteral("값"), QStringLiteral("more"), QStringLiteral("2")},
                                               folder, scratch.path()));
        QVERIFY(saver.waitForFinished(40000));
        if (holder) {
            if (holdMs < 0)
                holder->kill();
            QVERIFY(holder->waitForFinished(40000));
        }
        const QByteArray errors = saver.readAllStandardError();
        QVERIFY2(saver.exitCode() == 0, errors.constData());
        const auto r = savesResult(saver);
        QCOMPARE(r.first, written ? 0 : 1);
        QCOMPARE(setting(worker::kSection, QStringLiteral("user"), QStringLiteral("none")),
                 written ? QStringLiteral("값") : QStringLiteral("none"));
        QCOMPARE(setting(worker::kSection, QStringLiteral("more"), QStringLiteral("none")),
                 written ? QStringLiteral("2") : QStringLiteral("none"));
        if (holdMs > 0) { // the holder's own save is kept as well, and the file stays the user's to write
            QCOMPARE(setting(worker::kSection, QStringLiteral("root"), QStringLiteral("none")), QStringLiteral("1"));
            QVERIFY(testsupport::startUnprivileged(saver, program, {QStringLiteral("--saves"), QStringLiteral("1000"),
                                                                    QStringLiteral("again"), QStringLiteral("3")},
                                                   folder, scratch.path()));
            QVERIFY(saver.waitForFinished(40000));
            QCOMPARE(savesResult(saver).first, 0);
            QCOMPARE(setting(worker::kSection, QStringLiteral("again"), QStringLiteral("none")), QStringLiteral("3"));
        }
        if (setup == MadeByRoot) { // the file is the user's, as its folder
            struct stat st {};
            QCOMPARE(::stat(QFile::encodeName(ini).constData(), &st), 0);
            QCOMPARE(st.st_uid, user->pw_uid);
            QCOMPARE(st.st_gid, users->gr_gid);
            QCOMPARE(setting(worker::kSection, QStringLiteral("first")), QStringLiteral("0"));
        }
        if (written) // the replaced lock file went with its last holder
            QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Trelvo.ini")});
    }

    // A save that the disk cannot take whole (a small file system with room for part of the
    // file or none, a file-size limit) writes nothing and is told: an older settings file stays
    // exactly as it was, and without one no file is left. The next save with room writes.
    void saveThatCannotBeWrittenWholeIsTold_data()
    {
        QTest::addColumn<QByteArray>("disk"); // size of a file system of its own; empty: a file-size limit
        QTest::addColumn<int>("limit");       // the file-size limit, in bytes
        QTest::addColumn<bool>("olderFile");  // the settings file holds 2 KB already
        QTest::addColumn<int>("value");       // length of the value saved
        for (const char* size : {"4k", "8k", "12k", "16k", "24k"}) {
            QTest::addRow("%s file system", size) << QByteArray(size) << 0 << false << 20 * 1024;
            if (qstrcmp(size, "4k") != 0)
                QTest::addRow("%s file system, older file", size) << QByteArray(size) << 0 << true << 20 * 1024;
        }
        QTest::newRow("file-size limit 0, short value") << QByteArray() << 0 << false << 10;
        QTest::newRow("file-size limit 0, short value, older file") << QByteArray() << 0 << true << 10;
        QTest::newRow("file-size limit 2048, short value, older file") << QByteArray() << 2048 << true << 10;
        QTest::newRow("file-size limit 4096") << QByteArray() << 4096 << false << 20 * 1024;
        QTest::newRow("file-size limit 12000, older file") << QByteArray() << 12000 << true << 20 * 1024;
    }
    void saveThatCannotBeWrittenWholeIsTold()
    {
        QFETCH(QByteArray, disk);
        QFETCH(int, limit);
        QFETCH(bool, olderFile);
        QFETCH(int, value);
        testsupport::TestEnv env;
        const QString folder = env.path(QStringLiteral("small"));
        if (!disk.isEmpty() && !privateMounts())
            QSKIP("cannot mount a file system of the test's own");
        testsupport::SmallFileSystem fs(folder, disk.isEmpty() ? nullptr : disk.constData());
        if (!fs.ok())
            QSKIP(qPrintable(fs.why()));
        platform::setSettingsFolder(folder);
        const QString file = platform::settingsFile(worker::kApp);
        const QString older(2 * 1024, QLatin1Char('o'));
        QByteArray before;
        if (olderFile) {
            platform::SaveSetting(worker::kApp, worker::kSection, QStringLiteral("older"), older);
            before = fileText(file);
            QVERIFY(before.size() > 2 * 1024);
        }
        int unsaved = 0;
        platform::setUnsavedSettingsHook([&unsaved](const QString&) { ++unsaved; });
        auto unhook = qScopeGuard([] { platform::setUnsavedSettingsHook({}); });
        {
            std::unique_ptr<testsupport::FileSizeLimit> cap;
            if (disk.isEmpty()) {
                cap = std::make_unique<testsupport::FileSizeLimit>(rlim_t(limit));
                QVERIFY(cap->ok());
            }
            platform::SaveSetting(worker::kApp, worker::kSection, QStringLiteral("new"), QString(value, QLatin1Char('n')));
        }
        QCOMPARE(unsaved, 1);
        if (olderFile) {
            QCOMPARE(fileText(file), before);
            QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Trelvo.ini")});
        } else {
            QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList());
        }
        // a save that fits is written and keeps what was there (the lock file takes a page too)
        if (!disk.isEmpty() && disk.chopped(1).toInt() < 12)
            return;
        platform::SaveSetting(worker::kApp, worker::kSection, QStringLiteral("small"), QStringLiteral("1"));
        QCOMPARE(unsaved, 1);
        QCOMPARE(setting(worker::kSection, QStringLiteral("small")), QStringLiteral("1"));
        QCOMPARE(setting(worker::kSection, QStringLiteral("older"), QStringLiteral("none")), olderFile ? older : QStringLiteral("none"));
    }

    // Line breaks (a two-line text message), blanks at either end, quotes around a value,
    // "=" in a key and "]" in a section name all come back as they were saved.
    void everyKeyAndValueReadsBackExactly()
    {
        testsupport::TestEnv env;
        const QStringList values = {
            QStringLiteral("첫 줄\r\n둘째 줄"), QStringLiteral("a\nb\rc\r\n"), QStringLiteral("  앞뒤 공백  "),
            QStringLiteral("\"인용\""), QStringLiteral("\""), QStringLiteral("\"\""), QStringLiteral(" \"x\" "),
            QStringLiteral("C:\\new\\rpt"), QStringLiteral("\"C:\\new\\rpt\""), QStringLiteral("a\\\"b"),
            QStringLiteral("\t탭\t"), QStringLiteral("=;[x]"), QString(), QStringLiteral("\\"),
        };
        for (int i = 0; i < values.size(); ++i)
            platform::SaveSetting(worker::kApp, QStringLiteral("SMSMSG"), QStringLiteral("v%1").arg(i), values[i]);
        const QStringList keys = {
            QStringLiteral("a=b"), QStringLiteral("=a"), QStringLiteral(" 공백 "), QStringLiteral("[머리]"),
            QStringLiteral(";주석"), QStringLiteral("\"q\""), QStringLiteral("줄\n바꿈"), QStringLiteral("\\"),
        };
        for (int i = 0; i < keys.size(); ++i)
            platform::SaveSetting(worker::kApp, QStringLiteral("Keys"), keys[i], QStringLiteral("k%1").arg(i));
        const QStringList sections = {
            QStringLiteral("a]b"), QStringLiteral("a"), QStringLiteral(" a "), QStringLiteral("[a]"),
            QStringLiteral("\"a\""), QStringLiteral("a\r\nb"), QString(),
        };
        for (int i = 0; i < sections.size(); ++i)
            platform::SaveSetting(worker::kApp, sections[i], QStringLiteral("x"), QStringLiteral("s%1").arg(i));

        for (int i = 0; i < values.size(); ++i)
            QCOMPARE(setting(QStringLiteral("SMSMSG"), QStringLiteral("v%1").arg(i), QStringLiteral("none")), values[i]);
        for (int i = 0; i < keys.size(); ++i)
            QCOMPARE(setting(QStringLiteral("Keys"), keys[i]), QStringLiteral("k%1").arg(i));
        QCOMPARE(setting(QStringLiteral("Keys"), QStringLiteral("a")), QString());
        for (int i = 0; i < sections.size(); ++i)
            QCOMPARE(setting(sections[i], QStringLiteral("x")), QStringLiteral("s%1").arg(i));
        platform::IniFile ini(platform::settingsFile(worker::kApp));
        QVERIFY(ini.load());
        QCOMPARE(ini.sections().size(), 2 + sections.size());
        QCOMPARE(ini.keys(QStringLiteral("Keys")), keys);
    }

    // Ordinary values are written as plain "key=value" lines, as they always were, and a file
    // of such lines written before (by hand or by an older copy) reads as it always did.
    void plainFilesStayAsTheyWere()
    {
        testsupport::TestEnv env;
        platform::SaveSetting(worker::kApp, QStringLiteral("환경설정"), QStringLiteral("db경로"), QStringLiteral("/data/Dbs"));
        platform::SaveSetting(worker::kApp, QStringLiteral("환경설정"), QStringLiteral("NoMsg"), QStringLiteral("1"));
        platform::SaveSetting(worker::kApp, QStringLiteral("SMSMSG"), QStringLiteral("LastMsg"), QStringLiteral("오늘 \"특가\" a=b; [공지] C:\\new"));
        platform::SaveSetting(worker::kApp, QStringLiteral("SMSMSG"), QStringLiteral("FavoMsg0"), QString());
        QCOMPARE(QString::fromUtf8(fileText(platform::settingsFile(worker::kApp))),
                 QStringLiteral("[환경설정]\ndb경로=/data/Dbs\nNoMsg=1\n[SMSMSG]\nLastMsg=오늘 \"특가\" a=b; [공지] C:\\new\nFavoMsg0=\n"));

        QFile f(platform::settingsFile(QStringLiteral("Old")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("; written by hand\r\n"
                "[ 환경설정 ]\r\n"
                "  db경로 =  \"C:\\new\\Dbs\"  \r\n"
                "Rpt경로=\"C:\\rpt\r\n"
                "a=b=c\r\n"
                "NoMsg=1\r\n"
                "nomsg=0\r\n"
                "=lost\r\n"
                "[broken\r\n"
                "gone=1\r\n"
                "[Config]\r\n"
                "MyName=\"홍길동\"\r\n");
        f.close();
        auto old = [](const QString& section, const QString& key) {
            return platform::GetSetting(QStringLiteral("Old"), section, key, QStringLiteral("none"));
        };
        QCOMPARE(old(QStringLiteral("환경설정"), QStringLiteral("db경로")), QStringLiteral("C:\\new\\Dbs"));
        QCOMPARE(old(QStringLiteral("환경설정"), QStringLiteral("Rpt경로")), QStringLiteral("\"C:\\rpt"));
        QCOMPARE(old(QStringLiteral("환경설정"), QStringLiteral("a")), QStringLiteral("b=c"));
        QCOMPARE(old(QStringLiteral("환경설정"), QStringLiteral("NOMSG")), QStringLiteral("1"));
        QCOMPARE(old(QStringLiteral("환경설정"), QStringLiteral("gone")), QStringLiteral("none"));
        QCOMPARE(old(QStringLiteral("Config"), QStringLiteral("MyName")), QStringLiteral("홍길동"));
        // A save keeps what it read.
        platform::SaveSetting(QStringLiteral("Old"), QStringLiteral("Config"), QStringLiteral("New"), QStringLiteral("1"));
        QCOMPARE(old(QStringLiteral("환경설정"), QStringLiteral("db경로")), QStringLiteral("C:\\new\\Dbs"));
        QCOMPARE(old(QStringLiteral("환경설정"), QStringLiteral("Rpt경로")), QStringLiteral("\"C:\\rpt"));
        QCOMPARE(old(QStringLiteral("Config"), QStringLiteral("MyName")), QStringLiteral("홍길동"));
    }
};

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 4 && args[1] == QLatin1String("--writer"))
        return worker::writer(args[2].toInt(), args[3].toInt());
    if (args.size() >= 5 && args[1] == QLatin1String("--hold"))
        return worker::hold(args[2], args[3], args[4].toInt());
    if (args.size() >= 4 && args[1] == QLatin1String("--save"))
        return worker::save(args[2], args[3]);
    if (args.size() >= 3 && args[1] == QLatin1String("--saves"))
        return worker::saves(args[2].toInt(), args.mid(3));
    if (args.size() >= 3 && args[1] == QLatin1String("--steps"))
        return worker::steps(args[2].toInt(), args.mid(3));
    tst_SettingsStore tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_settingsstore.moc"
