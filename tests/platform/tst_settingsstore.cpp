#include "platform/IniFile.h"
#include "platform/SettingsStore.h"
#include "support/TestEnv.h"

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

// --hold <key> <value> <ms>: takes the settings file's lock, reads the file, says "locked",
// keeps the lock for ms milliseconds (for ever when negative), then saves its key.
int hold(const QString& key, const QString& value, int ms)
{
    const QString file = platform::settingsFile(kApp);
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

// --saves <limit ms> <key> <value>...: saves each pair with that wait limit for the lock and
// prints how often the store told that a save wrote nothing, and the time taken, as
// "unsaved=<n> ms=<ms>".
int saves(int limit, const QStringList& pairs)
{
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

// --twice <limit ms> <key1> <value1> <key2> <value2>: saves the first pair, prints
// "unsaved=<n>", waits for a line on standard input, saves the second pair and prints
// "unsaved=<n>" again.
int twice(int limit, const QStringList& pairs)
{
    platform::IniFileLock::setWaitLimit(limit);
    int unsaved = 0;
    platform::setUnsavedSettingsHook([&unsaved](const QString&) { ++unsaved; });
    platform::SaveSetting(kApp, kSection, pairs.value(0), pairs.value(1));
    std::cout << "unsaved=" << unsaved << std::endl;
    std::string go;
    std::getline(std::cin, go);
    platform::SaveSetting(kApp, kSection, pairs.value(2), pairs.value(3));
    std::cout << "unsaved=" << unsaved << std::endl;
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

bool waitForLine(QProcess& p, const QByteArray& line)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 30000) {
        if (p.canReadLine())
            return p.readLine().trimmed() == line;
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

QString setting(const QString& section, const QString& key, const QString& def = QString())
{
    return platform::GetSetting(worker::kApp, section, key, def);
}

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

    // After a save gave up on a stopped holder, the next save of the process looks only
    // briefly while that holder is still stuck; a holder that has taken over since (the
    // stopped one was ended) is waited for as any other, and the save writes.
    void shortLookOnlyWhileTheSameHolderIsStuck()
    {
        testsupport::TestEnv env;
        auto stuck = startWorker({QStringLiteral("--hold"), QStringLiteral("stuck"), QStringLiteral("1"), QStringLiteral("-1")});
        QVERIFY(waitForLine(*stuck, "locked"));
        QCOMPARE(::kill(pid_t(stuck->processId()), SIGSTOP), 0);
        auto saver = startWorker({QStringLiteral("--twice"), QStringLiteral("3000"), QStringLiteral("a"), QStringLiteral("1"),
                                  QStringLiteral("b"), QStringLiteral("2")});
        const bool gaveUp = waitForLine(*saver, "unsaved=1");
        ::kill(pid_t(stuck->processId()), SIGCONT);
        stuck->kill();
        QVERIFY(stuck->waitForFinished(10000));
        QVERIFY(gaveUp);
        auto next = startWorker({QStringLiteral("--hold"), QStringLiteral("next"), QStringLiteral("3"), QStringLiteral("500")});
        QVERIFY(waitForLine(*next, "locked"));
        saver->write("go\n");
        QVERIFY(saver->waitForFinished(30000));
        QVERIFY(next->waitForFinished(30000));
        QCOMPARE(setting(worker::kSection, QStringLiteral("a"), QStringLiteral("none")), QStringLiteral("none"));
        QCOMPARE(setting(worker::kSection, QStringLiteral("next")), QStringLiteral("3"));
        QCOMPARE(setting(worker::kSection, QStringLiteral("b"), QStringLiteral("none")), QStringLiteral("2"));
        QCOMPARE(QDir(platform::settingsFolder()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("Trelvo.ini")});
    }

    // The lock file (or the folder) as another user left it, seen by a user without root
    // rights (root ignores file modes): a lock file that nobody holds is replaced and the
    // save writes; one that another user's program really holds is waited for, whether this
    // user may open it or not, and never replaced under its holder: a holder that lets go
    // within the limit is followed by this save, one that does not leaves it unwritten and
    // told. The other user is root with umask 077, whose lock files this user can open all
    // the same. A folder the user cannot write takes no save.
    void foreignLockFile_data()
    {
        QTest::addColumn<int>("lockMode");   // mode given to the root-owned "<file>.lock"; -1: none, or as made
        QTest::addColumn<int>("holdMs");     // a root process holds the lock this long, then saves; -1: for ever; 0: none
        QTest::addColumn<int>("folderMode"); // mode of the settings folder (owner root, group the user's)
        QTest::addColumn<bool>("shared");    // the settings file belongs to root and the user's group (0664), not to the user (0644)
        QTest::addColumn<bool>("written");
        QTest::newRow("empty lock file, unreadable") << 0600 << 0 << 0777 << false << true;
        QTest::newRow("empty lock file, no access at all") << 0000 << 0 << 0777 << false << true;
        QTest::newRow("empty lock file, readable") << 0644 << 0 << 0777 << false << true;
        QTest::newRow("lock held by another user") << 0644 << -1 << 0777 << false << false;
        QTest::newRow("lock held by another user, unreadable") << 0600 << -1 << 0777 << false << false;
        QTest::newRow("lock held by another user, no access at all") << 0000 << -1 << 0777 << false << false;
        QTest::newRow("lock held by another user, unreadable, let go") << 0600 << 1000 << 0777 << false << true;
        QTest::newRow("lock made under umask 077, held") << -1 << -1 << 0777 << false << false;
        QTest::newRow("lock made under umask 077, let go") << -1 << 1000 << 0777 << false << true;
        QTest::newRow("lock made under umask 077, group's file, held") << -1 << -1 << 0770 << true << false;
        QTest::newRow("lock made under umask 077, group's file, let go") << -1 << 1000 << 0770 << true << true;
        QTest::newRow("folder not writable") << -1 << 0 << 0755 << false << false;
    }
    void foreignLockFile()
    {
        QFETCH(int, lockMode);
        QFETCH(int, holdMs);
        QFETCH(int, folderMode);
        QFETCH(bool, shared);
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
        const struct group* users = ::getgrnam("nogroup");
        QVERIFY(users);
        QCOMPARE(::chown(QFile::encodeName(folder).constData(), 0, users->gr_gid), 0);
        QCOMPARE(::chmod(QFile::encodeName(folder).constData(), mode_t(folderMode)), 0);
        platform::setSettingsFolder(folder);
        // The settings file is there already, as the user's program left it.
        platform::SaveSetting(worker::kApp, worker::kSection, QStringLiteral("first"), QStringLiteral("0"));
        const QString ini = platform::settingsFile(worker::kApp);
        const struct passwd* user = ::getpwnam("nobody");
        QVERIFY(user);
        QCOMPARE(::chown(QFile::encodeName(ini).constData(), shared ? 0 : user->pw_uid, users->gr_gid), 0);
        QCOMPARE(::chmod(QFile::encodeName(ini).constData(), shared ? 0664 : 0644), 0);
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
        if (written) // the replaced lock file went with its last holder
            QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Trelvo.ini")});
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
    if (args.size() >= 7 && args[1] == QLatin1String("--twice"))
        return worker::twice(args[2].toInt(), args.mid(3));
    tst_SettingsStore tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_settingsstore.moc"
