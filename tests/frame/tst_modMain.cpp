#include "frame/FrmFloatMsg.h"
#include "frame/modFloatMsg.h"
#include "frame/modMain.h"
#include "frame/modMsgBox.h"
#include "platform/DaoError.h"
#include "platform/FormRegistry.h"
#include "platform/SettingsStore.h"
#include "support/ScriptedPrompter.h"
#include "support/TestEnv.h"

#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QtTest>

class TestModMain : public QObject {
    Q_OBJECT
    QString get(const QString& key) { return platform::GetSetting(gsTitle, kEnvSection, key); }

private slots:
    void init() { gsTitle = QStringLiteral("TrelvoTest"); gDB.reset(); }

    void firstStartWritesDefaults()
    {
        testsupport::TestEnv env;
        testsupport::ScriptedPrompter p;
        platform::setClock([] { return QDateTime(QDate(2026, 3, 9), QTime(10, 0)); });
        LoadEnvSettings();
        platform::setClock({});
        QCOMPARE(gsDBPath, QDir::toNativeSeparators(env.path(QStringLiteral("Dbs"))));
        QCOMPARE(gsDBFile, QDir::toNativeSeparators(env.path(QStringLiteral("Dbs/trelvoDB.mdb"))));
        QCOMPARE(gsPostDBFile, QDir::toNativeSeparators(env.path(QStringLiteral("Dbs/dbpost.mdb"))));
        QVERIFY(gsRptPath.endsWith(QStringLiteral("/TrelvoTest/Rpt")));
        QCOMPARE(get(QStringLiteral("StartApp")), QStringLiteral("2026-03"));
        QCOMPARE(get(QStringLiteral("db경로")), gsDBPath);
        QCOMPARE(get(QStringLiteral("db기초")), gsDBFile);
        QCOMPARE(get(QStringLiteral("우편번호")), gsPostDBFile);
        QCOMPARE(get(QStringLiteral("Rpt경로")), gsRptPath);
        QVERIFY(p.messages().isEmpty());
        // StartApp is written once only.
        platform::setClock([] { return QDateTime(QDate(2027, 1, 1), QTime(10, 0)); });
        LoadEnvSettings();
        platform::setClock({});
        QCOMPARE(get(QStringLiteral("StartApp")), QStringLiteral("2026-03"));
        // Section and key names are stored readably.
        QFile f(platform::settingsFile(gsTitle));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QVERIFY(QString::fromUtf8(f.readAll()).contains(QStringLiteral("[환경설정]")));
    }

    void storedPathsAreRepaired()
    {
        testsupport::TestEnv env;
        testsupport::ScriptedPrompter p;
        QDir().mkpath(env.path(QStringLiteral("data")));
        platform::SaveSetting(gsTitle, kEnvSection, QStringLiteral("db경로"), env.path(QStringLiteral("data")));
        platform::SaveSetting(gsTitle, kEnvSection, QStringLiteral("db기초"), env.path(QStringLiteral("gone.mdb")));
        LoadEnvSettings();
        QCOMPARE(gsDBFile, env.path(QStringLiteral("data/trelvoDB.mdb")));
        QCOMPARE(get(QStringLiteral("db기초")), gsDBFile);
        QVERIFY(p.messages().isEmpty());

        // A stored folder that vanished: a warning, and the folder is kept.
        platform::SaveSetting(gsTitle, kEnvSection, QStringLiteral("db경로"), env.path(QStringLiteral("vanished")));
        LoadEnvSettings();
        QCOMPARE(p.messages().size(), 1);
        QCOMPARE(p.lastMessage().title, QStringLiteral("파일 경로 오류"));
        QCOMPARE(p.lastMessage().style, 48);
        QCOMPARE(p.lastMessage().text, QStringLiteral("데이터베이스 파일 경로가 없어졌거나 옮겨졌습니다.\r\n데이터베이스 파일 경로를 확인하십시요."));
        QCOMPARE(gsDBPath, env.path(QStringLiteral("vanished")));
        QCOMPARE(get(QStringLiteral("db경로")), gsDBPath);
    }

    void openMainDatabase()
    {
        testsupport::TestEnv env;
        testsupport::ScriptedPrompter p;
        gsDBFile = env.path(QStringLiteral("missing.mdb"));
        OpenMainDB();
        QVERIFY(!gDB);
        QVERIFY(!QFile::exists(gsDBFile)); // a failed open leaves no empty file behind
        gsDBFile = env.path(QStringLiteral("main.mdb"));
        testsupport::runSqlScript(gsDBFile, QStringLiteral("CREATE TABLE t (a LONG)"));
        platform::SaveSetting(gsTitle, kEnvSection, QStringLiteral("수정권한"), QStringLiteral("0"));
        OpenMainDB(); // a local file always opens writable
        QVERIFY(gDB && !gDB->isReadOnly());
        QVERIFY(IsLocalDatabasePath(gsDBFile));
    }

    // Settings that cannot be written (here: the settings folder would have to be made
    // inside a file) are told once, in a warning box, however many saves write nothing.
    void unsavedSettingsAreToldOnce()
    {
        testsupport::TestEnv env;
        testsupport::ScriptedPrompter p;
        QFile blocker(env.path(QStringLiteral("blocker")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        platform::setSettingsFolder(env.path(QStringLiteral("blocker/settings")));
        gsDBFile = env.path(QStringLiteral("missing.mdb"));
        InitApp(); // the start saves the four paths and the first-start month
        QCOMPARE(p.messages().size(), 1);
        QCOMPARE(p.lastMessage().style, 48);
        QCOMPARE(p.lastMessage().title, QStringLiteral("설정 저장 오류"));
        QCOMPARE(p.lastMessage().text,
                 QStringLiteral("설정을 저장하지 못했습니다. 다른 프로그램이 설정 파일을 잠그고 있거나 쓸 수 없습니다.\r\n%1")
                     .arg(QDir::toNativeSeparators(platform::settingsFile(gsTitle))));
        platform::SaveSetting(gsTitle, kEnvSection, QStringLiteral("NoMsg"), QStringLiteral("1"));
        platform::DeleteSetting(gsTitle, kEnvSection, QStringLiteral("NoMsg"));
        QCOMPARE(p.messages().size(), 1);
        platform::setUnsavedSettingsHook({});
    }

    void editRightWords()
    {
        QVERIFY(EditRightFromSetting(QStringLiteral("1")));
        QVERIFY(EditRightFromSetting(QStringLiteral("-1")));
        QVERIFY(!EditRightFromSetting(QStringLiteral("0")));
        QVERIFY(!EditRightFromSetting(QStringLiteral("false")));
        QVERIFY(EditRightFromSetting(QStringLiteral("TRUE")));
        QVERIFY(EditRightFromSetting(QStringLiteral("예")));
        QVERIFY(EditRightFromSetting(QString()));
    }

    void callerIdState()
    {
        testsupport::TestEnv env;
        QCheckBox box;
        SetCallerIdCheckBox(&box);
        ApplyCallerIdState(true);
        QVERIFY(box.isEnabled());
        QVERIFY(!box.isChecked());
        platform::SaveSetting(gsTitle, QStringLiteral("Registration"), QStringLiteral("RingletUse"), QStringLiteral("1"));
        ApplyCallerIdState(false);
        QVERIFY(!box.isEnabled());
        QVERIFY(box.isChecked());
        SetCallerIdCheckBox(nullptr);
    }

    void messageBoxes()
    {
        testsupport::ScriptedPrompter p;
        MsgInfo(QStringLiteral("a"), QString());
        QCOMPARE(p.lastMessage().title, gsTitle);
        QCOMPARE(p.lastMessage().style, 64);
        MsgWarn(QStringLiteral("b"), QStringLiteral("제목"));
        QCOMPARE(p.lastMessage().title, QStringLiteral("제목"));
        QCOMPARE(p.lastMessage().style, 48);
        p.msgAnswers.enqueue(6);
        QCOMPARE(MsgYesNo(QStringLiteral("c"), QString(), false), 6);
        QCOMPARE(p.lastMessage().style, 292);
        QCOMPARE(MsgYesNo(QStringLiteral("c"), QString(), true), 7);
        QCOMPARE(p.lastMessage().style, 36);
        ShowErrMsg(QStringLiteral("자료를 저장하는 중 오류가 발생했습니다."), dao::DaoError(3022, QStringLiteral("dup")));
        QCOMPARE(p.lastMessage().text, QStringLiteral("자료를 저장하는 중 오류가 발생했습니다.\r\n오류번호 : 3022\r\n오류내용 : dup"));
        QCOMPARE(p.lastMessage().title, QStringLiteral("오류"));
        ShowProcError(5, QStringLiteral("bad"), QStringLiteral("RecAddNew"), QStringLiteral("Form"), QStringLiteral("frmMain"));
        QCOMPARE(p.lastMessage().text, QStringLiteral("Error 5 (bad) in procedure RecAddNew of Form frmMain"));
        QCOMPARE(p.lastMessage().style, 0);
    }

    void floatingMessage()
    {
        testsupport::ScriptedPrompter p;
        ShowFloatMsg(QStringLiteral("저장되었습니다."), 500, 1, 0xFFFF00);
        QCOMPARE(p.calls.last().kind, QStringLiteral("modal"));
        QCOMPARE(p.calls.last().title, QStringLiteral("FrmFloatMsg"));
        QVERIFY(!platform::FormRegistry::instance().isLoaded(QStringLiteral("frmfloatmsg")));

        // Modeless: a second message replaces the first; click closes only while timed.
        ShowFloatMsg(QStringLiteral("첫째"), 0, 0);
        auto* first = qobject_cast<FrmFloatMsg*>(platform::FormRegistry::instance().find(QStringLiteral("FrmFloatMsg")));
        QVERIFY(first);
        QTest::mouseClick(first, Qt::LeftButton);
        QVERIFY(first->isVisible()); // delay 0: not closed by a click
        QPointer<FrmFloatMsg> guard(first);
        ShowFloatMsg(QStringLiteral("둘째"), 300, 0);
        QVERIFY(guard.isNull());
        auto* second = qobject_cast<FrmFloatMsg*>(platform::FormRegistry::instance().find(QStringLiteral("FrmFloatMsg")));
        QVERIFY(second && second->text() == QStringLiteral("둘째"));
        QVERIFY(second->timerRunning());
        QPointer<FrmFloatMsg> g2(second);
        QTest::keyClick(second, Qt::Key_Return);
        QTRY_VERIFY(g2.isNull() || !g2->isVisible());
    }

    void floatingMessageReplacedWhileModal()
    {
        // A message shown while a modal one is up (from an event handled meanwhile) replaces
        // it: the modal show ends and each window is deleted exactly once.
        testsupport::ScriptedPrompter p;
        QPointer<FrmFloatMsg> modalForm;
        p.modalAnswers.enqueue([&](QDialog& d) {
            modalForm = qobject_cast<FrmFloatMsg*>(&d);
            ShowFloatMsg(QStringLiteral("둘째"), 500, 0);
            return 0;
        });
        ShowFloatMsg(QStringLiteral("첫째"), 500, 1);
        QVERIFY(modalForm.isNull());
        auto* shown = qobject_cast<FrmFloatMsg*>(platform::FormRegistry::instance().find(QStringLiteral("FrmFloatMsg")));
        QVERIFY(shown && shown->text() == QStringLiteral("둘째"));
        // And a modal one replacing a modal one.
        p.modalAnswers.enqueue([&](QDialog&) {
            ShowFloatMsg(QStringLiteral("넷째"), 500, 1);
            return 0;
        });
        ShowFloatMsg(QStringLiteral("셋째"), 500, 1);
        QVERIFY(!platform::FormRegistry::instance().isLoaded(QStringLiteral("FrmFloatMsg")));
    }
};

QTEST_MAIN(TestModMain)
#include "tst_modMain.moc"
