#include "platform/IniFile.h"
#include "platform/SettingsStore.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>
#include <QtTest>

#include <iostream>
#include <string>
#include <thread>
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

    // Four processes started together, each saving 150 keys one by one.
    void processesAtOnceLoseNoKeyAndNoSaveStalls()
    {
        testsupport::TestEnv env;
        const int writers = 4;
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
        int kept = 0;
        for (int w = 0; w < writers; ++w)
            for (int i = 0; i < keys; ++i)
                if (setting(worker::kSection, QStringLiteral("w%1_%2").arg(w).arg(i)) == QStringLiteral("값%1").arg(i))
                    ++kept;
        qInfo("kept %d of %d, longest save %lld ms", kept, writers * keys, longest);
        QCOMPARE(kept, writers * keys);
        QVERIFY2(longest < 2000, qPrintable(QStringLiteral("longest save %1 ms").arg(longest)));
        QCOMPARE(QDir(platform::settingsFolder()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("Trelvo.ini")});
    }

    // A writer waits for a lock another process really holds, however long, and takes over
    // the lock of a process that died holding it.
    void writerWaitsForAHeldLockAndTakesOverADeadOne()
    {
        testsupport::TestEnv env;
        auto slow = startWorker({QStringLiteral("--hold"), QStringLiteral("slow"), QStringLiteral("1"), QStringLiteral("6000")});
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
    tst_SettingsStore tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}

#include "tst_settingsstore.moc"
