#include "frame/FrmSetPrinter.h"
#include "frame/frmMsgBackUp.h"
#include "frame/modBackUp.h"
#include "frame/modMain.h"
#include "platform/ProgramFolder.h"
#include "platform/SettingsStore.h"
#include "support/ScriptedPrompter.h"
#include "support/TestEnv.h"

#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QtTest>

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

private slots:
    void init() { ResetBackUpDone(); gsTitle = QStringLiteral("Trelvo"); }

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
        QCOMPARE(p.calls.last().text, QStringLiteral("SERVERUP"));
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
