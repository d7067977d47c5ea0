#include "frame/FrmSetPrinter.h"
#include "frame/frmMsgBackUp.h"
#include "frame/modBackUp.h"
#include "frame/modMain.h"
#include "platform/IniFile.h"
#include "platform/ProgramFolder.h"
#include "platform/SettingsStore.h"
#include "support/ScriptedPrompter.h"
#include "support/TestEnv.h"

#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QDir>
#include <QProcess>
#include <QtTest>

#include <csignal>
#include <sys/wait.h>
#include <unistd.h>

// Backup on exit: the choice window, the compressor start and the once-per-run rule.
class tst_BackUp : public QObject {
    Q_OBJECT

    static std::function<int(QDialog&)> press(int index)
    {
        return [index](QDialog& d) {
            auto* w = qobject_cast<frmMsgBackUp*>(&d);
            if (!w)
                return int(QDialog::Rejected);
            w->cmdResult(index)->click();
            return w->result();
        };
    }

    static void placeCompressor(const testsupport::TestEnv& env)
    {
        QFile f(env.path(kBackUpProgram));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("#!/bin/sh\n");
        f.close();
        f.setPermissions(f.permissions() | QFileDevice::ExeOwner);
    }

    // A process of its own that takes the lock of a settings file and is then stopped
    // holding it (a debugger, SIGSTOP); -1 when that fails.
    static pid_t stoppedHolder(const QString& file)
    {
        int ready[2];
        if (::pipe(ready) != 0)
            return -1;
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::close(ready[0]);
            platform::IniFileLock lock(file);
            const char c = lock.isLocked() ? '1' : '0';
            (void)!::write(ready[1], &c, 1);
            ::raise(SIGSTOP);
            ::_exit(0);
        }
        ::close(ready[1]);
        char c = 0;
        const bool locked = pid > 0 && ::read(ready[0], &c, 1) == 1 && c == '1';
        ::close(ready[0]);
        if (!locked && pid > 0) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, nullptr, 0);
        }
        return locked ? pid : -1;
    }

private slots:
    void init()
    {
        ResetBackUpDone();
        gsTitle = QStringLiteral("Trelvo");
        gsDBPath.clear();
    }

    void closingTheWindowCancelsTheExitAndAsksAgain()
    {
        testsupport::TestEnv env;
        testsupport::ScriptedPrompter p;
        placeCompressor(env);
        p.modalAnswers.enqueue([](QDialog& d) { d.reject(); return int(QDialog::Rejected); });
        QVERIFY(!ExecBackUpAuto(QString(), QString()));
        QCOMPARE(p.calls.size(), 1);
        QCOMPARE(p.calls[0].kind, QStringLiteral("modal"));
        QCOMPARE(p.calls[0].text, QStringLiteral("데이터 백업"));
        // The next close attempt shows the window again; "close without backup" lets the program end.
        p.modalAnswers.enqueue(press(2));
        QVERIFY(ExecBackUpAuto(QString(), QString()));
        QCOMPARE(p.calls.size(), 2);
        QVERIFY(!IsBackUpDone());
    }

    void serverBackupStartsOnce()
    {
        testsupport::TestEnv env;
        testsupport::ScriptedPrompter p;
        placeCompressor(env);
        p.modalAnswers.enqueue(press(0));
        QVERIFY(ExecBackUpAuto(QString(), QStringLiteral("/data/dbs/")));
        QCOMPARE(p.calls.last().kind, QStringLiteral("start"));
        QCOMPARE(p.calls.last().title, platform::programPath(kBackUpProgram));
        QCOMPARE(p.calls.last().text, QStringLiteral("SERVERUP --folder=/data/dbs/"));
        QCOMPARE(platform::GetSetting(QStringLiteral("Backup"), QStringLiteral("DB경로"), QStringLiteral("경로")),
                 QStringLiteral("/data/dbs/"));
        QVERIFY(IsBackUpDone());
        // A second close in the same run goes straight through, and no second backup starts.
        const int before = p.calls.size();
        QVERIFY(ExecBackUpAuto(QString(), QString()));
        QVERIFY(!ExecBackUp(0, true, QString(), QString()));
        QCOMPARE(p.calls.size(), before);
    }

    void hardDiskBackupHasNoArgument()
    {
        testsupport::TestEnv env;
        testsupport::ScriptedPrompter p;
        placeCompressor(env);
        p.modalAnswers.enqueue(press(1));
        QVERIFY(ExecBackUpAuto(QString(), QString()));
        QCOMPARE(p.calls.last().kind, QStringLiteral("start"));
        QCOMPARE(p.calls.last().text, QString());
    }

    // The main window closes while another program is stopped holding the lock of the
    // backup settings: the folder cannot be stored, and the stored one is another run's, or
    // there is none. The compressor is given this run's folder all the same, and backs it up.
    void backupAtExitTakesThisRunsFolderWhenItCannotBeStored_data()
    {
        QTest::addColumn<bool>("olderStored");
        QTest::newRow("another run's folder stored") << true;
        QTest::newRow("no folder stored") << false;
    }
    void backupAtExitTakesThisRunsFolderWhenItCannotBeStored()
    {
        QFETCH(bool, olderStored);
        testsupport::TestEnv env;
        testsupport::ScriptedPrompter p;
        placeCompressor(env);
        gsDBPath = env.path(QStringLiteral("Dbs"));
        QVERIFY(QDir().mkpath(gsDBPath));
        QFile mark(gsDBPath + QStringLiteral("/this-run.txt"));
        QVERIFY(mark.open(QIODevice::WriteOnly));
        mark.close();
        const QString older = env.path(QStringLiteral("older"));
        QVERIFY(QDir().mkpath(older));
        if (olderStored)
            platform::SaveSetting(QStringLiteral("Backup"), QStringLiteral("DB경로"), QStringLiteral("경로"), older + QLatin1Char('/'));

        const pid_t holder = stoppedHolder(platform::settingsFile(QStringLiteral("Backup")));
        QVERIFY(holder > 0);
        int unsaved = 0;
        platform::setUnsavedSettingsHook([&unsaved](const QString&) { ++unsaved; });
        platform::IniFileLock::setWaitLimit(300);
        // What the main window's close does.
        platform::SaveSetting(QStringLiteral("Backup"), QStringLiteral("DB경로"), QStringLiteral("경로"), gsDBPath + QDir::separator());
        p.modalAnswers.enqueue(press(1));
        const bool ends = ExecBackUpAuto(QString(), QString());
        platform::IniFileLock::setWaitLimit(-1);
        platform::setUnsavedSettingsHook({});
        QVERIFY(ends);
        QCOMPARE(unsaved, 1);
        QCOMPARE(p.calls.last().kind, QStringLiteral("start"));
        const QString args = p.calls.last().text;

        // The compressor itself, with what it was given, while the holder still holds the lock.
        QProcess backup;
        QProcessEnvironment pe = QProcessEnvironment::systemEnvironment();
        pe.insert(QStringLiteral("HOME"), env.path(QStringLiteral("home")));
        pe.insert(QStringLiteral("TRELVO_SETTINGS_DIR"), env.settingsFolder());
        pe.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        backup.setProcessEnvironment(pe);
        backup.start(QStringLiteral(TRELVO_BINARY_DIR "/bin/") + kBackUpProgram, args.isEmpty() ? QStringList() : QStringList{args});
        const bool finished = backup.waitForFinished(60000);
        ::kill(holder, SIGKILL);
        ::waitpid(holder, nullptr, 0);
        QVERIFY(finished);
        QVERIFY2(backup.exitCode() == 0, backup.readAllStandardError().constData());
        const QString archive = QString::fromUtf8(backup.readAllStandardOutput()).trimmed();
        QProcess tar;
        tar.start(QStringLiteral("tar"), {QStringLiteral("-tzf"), archive});
        QVERIFY(tar.waitForFinished(60000));
        QVERIFY2(tar.readAllStandardOutput().contains("Dbs/this-run.txt"), qPrintable(archive));
    }

    void missingCompressorIsReportedAndTheProgramEnds()
    {
        testsupport::TestEnv env;
        testsupport::ScriptedPrompter p;
        p.modalAnswers.enqueue(press(0));
        QVERIFY(ExecBackUpAuto(QString(), QString()));
        QCOMPARE(p.messages().size(), 1);
        QVERIFY(p.lastMessage().text.startsWith(QStringLiteral("데이터백업 프로그램을 찾을 수 없습니다.\r\n경로) ")));
        QVERIFY(p.lastMessage().text.endsWith(platform::programPath(kBackUpProgram)));
        QVERIFY(!IsBackUpDone());
    }

    void failedStartIsReportedAndNotCountedAsDone()
    {
        testsupport::TestEnv env;
        testsupport::ScriptedPrompter p;
        placeCompressor(env);
        p.startAnswers.enqueue(false);
        QVERIFY(!ExecBackUp(1, true, QString(), QString()));
        QCOMPARE(p.messages().size(), 1);
        QVERIFY(p.lastMessage().text.contains(QStringLiteral("실행할 수 없습니다")));
        QVERIFY(!IsBackUpDone());
        // The next attempt tries again.
        QVERIFY(ExecBackUp(1, true, QString(), QString()));
        QVERIFY(IsBackUpDone());
    }

    void askingFirstAndNoStartsNothing()
    {
        testsupport::TestEnv env;
        testsupport::ScriptedPrompter p;
        placeCompressor(env);
        p.msgAnswers.enqueue(platform::AnswerNo);
        QVERIFY(!ExecBackUp(2, false, QString(), QString()));
        QCOMPARE(p.lastMessage().title, QStringLiteral("데이터 백업(AS)"));
        QCOMPARE(p.lastMessage().style, 36);
        QVERIFY(!IsBackUpDone());
        QCOMPARE(GetBackUpArgs(3), QStringLiteral(" HDDAUTO"));
        QCOMPARE(GetBackUpArgs(7), QString());
    }

    void printerChoiceIsStoredUnderDrive()
    {
        testsupport::TestEnv env;
        testsupport::ScriptedPrompter p;
        {
            FrmSetPrinter frm;
            QCOMPARE(frm.windowTitle(), QStringLiteral("프린트 드라이버 설정"));
            QVERIFY(frm.Spn기본프린터->text().startsWith(QLatin1Char(' ')));
            frm.List1->clear();
            frm.List1->addItems({QStringLiteral("Laser 1"), QStringLiteral("사무실 프린터")});
            frm.List1->setCurrentRow(1);
            frm.Command1->click();
            QCOMPARE(frm.result(), int(QDialog::Accepted));
        }
        QCOMPARE(platform::GetSetting(gsTitle, QStringLiteral("Drive"), gsTitle), QStringLiteral("사무실 프린터"));
        {
            // Nothing picked: the stored choice stays.
            FrmSetPrinter frm;
            frm.List1->clear();
            frm.List1->addItems({QStringLiteral("Laser 1")});
            frm.Command1->click();
        }
        QCOMPARE(platform::GetSetting(gsTitle, QStringLiteral("Drive"), gsTitle), QStringLiteral("사무실 프린터"));
    }
};

QTEST_MAIN(tst_BackUp)
#include "tst_BackUp.moc"
