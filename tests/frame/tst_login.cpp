#include "frame/FrmInitMsg.h"
#include "frame/frmSplash.h"
#include "frame/frmpass.h"
#include "frame/modMain.h"
#include "platform/Recordset.h"
#include "platform/SettingsStore.h"
#include "support/ScriptedPrompter.h"
#include "support/TestEnv.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using testsupport::ScriptedPrompter;

class TestLogin : public QObject {
    Q_OBJECT
    std::unique_ptr<testsupport::TestEnv> env;
    QString dbFile;

    void makeUserTable(const QString& rows)
    {
        dbFile = env->path(QStringLiteral("trelvoDB.mdb"));
        gDB.reset();
        QFile::remove(dbFile);
        QVERIFY(testsupport::runSqlScript(dbFile, QStringLiteral("CREATE TABLE user (userid TEXT, pass TEXT);") + rows));
        gDB = dao::Database::open(dbFile);
    }
    // The user table holding the one row ("사장", pass).
    static QVariantList bossWith(const QString& pass)
    {
        return {QVariant(QVariantList{QStringLiteral("사장"), pass})};
    }
    QVariantList userRows()
    {
        QVariantList out;
        auto rs = gDB->openRecordset(QStringLiteral("select userid, pass from user"), dao::dbOpenSnapshot);
        for (; !rs->eof(); rs->moveNext())
            out << QVariant(QVariantList{rs->value(0), rs->value(1)});
        return out;
    }
    // Shows the password window as a person sees it, ready for typing into the first box.
    static bool showWithFocusOnFirstBox(frmpass& frm)
    {
        frm.show();
        if (!QTest::qWaitForWindowExposed(&frm))
            return false;
        frm.activateWindow();
        frm.txtInput[0]->setFocus();
        return QTest::qWaitFor([&] { return frm.txtInput[0]->hasFocus(); });
    }
    // A modal answer that types each entry into the password box and presses Enter.
    static std::function<int(QDialog&)> typing(const QStringList& entries, QList<QString>* boxAfterEach = nullptr)
    {
        return [=](QDialog& d) {
            auto& frm = static_cast<frmSplash&>(d);
            for (const QString& e : entries) {
                frm.txtPassword->selectAll();
                QTest::keyClicks(frm.txtPassword, e);
                if (e.isEmpty())
                    frm.txtPassword->clear();
                QTest::keyClick(frm.txtPassword, Qt::Key_Return);
                if (boxAfterEach)
                    boxAfterEach->append(frm.txtPassword->text());
                if (frm.outcome() != frmSplash::Waiting)
                    break;
            }
            return d.result();
        };
    }

private slots:
    void init()
    {
        gsTitle = QStringLiteral("TrelvoTest");
        env = std::make_unique<testsupport::TestEnv>();
    }
    void cleanup()
    {
        gDB.reset();
        env.reset();
    }

    void noUserRowLogsInWithNotice()
    {
        makeUserTable(QString());
        ScriptedPrompter p;
        bool unmasked = false;
        QString user, prompt;
        p.modalAnswers << [&](QDialog& d) {
            auto& frm = static_cast<frmSplash&>(d);
            user = frm.TxtUser->text();
            prompt = frm.txtPassword->text();
            unmasked = frm.txtPassword->echoMode() == QLineEdit::Normal;
            QTest::keyClick(frm.txtPassword, Qt::Key_Return);
            return d.result();
        };
        QVERIFY(frmSplash::RunLogin());
        QCOMPARE(user, gsTitle);
        QCOMPARE(prompt, QStringLiteral("엔터 치세요"));
        QVERIFY(unmasked);
        QCOMPARE(p.messages().size(), 1);
        QCOMPARE(p.lastMessage().text, QStringLiteral("보안을 위해 암호를 설정해 주시기 바랍니다."));
        QCOMPARE(p.lastMessage().style, 0);
        QCOMPARE(p.lastMessage().title, gsTitle);
    }

    void shippedDatabaseAsksForAPassword()
    {
        dbFile = env->path(QStringLiteral("trelvoDB.mdb"));
        QVERIFY(testsupport::createDatabase(dbFile, QStringLiteral("main")));
        gDB = dao::Database::open(dbFile);
        ScriptedPrompter p;
        QString prompt;
        p.modalAnswers << [&](QDialog& d) {
            prompt = static_cast<frmSplash&>(d).txtPassword->text();
            return typing({QString()})(d);
        };
        QVERIFY(frmSplash::RunLogin());
        QCOMPARE(prompt, QStringLiteral("엔터 치세요"));
        QVERIFY(p.messages().isEmpty()); // an emptied box logs in without the notice
    }

    void threeWrongPasswordsEndTheProgram()
    {
        makeUserTable(QStringLiteral("INSERT INTO user VALUES ('사장', 'abc');"));
        ScriptedPrompter p;
        QList<QString> boxes;
        p.modalAnswers << typing({QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z"), QStringLiteral("abc")},
                                 &boxes);
        QVERIFY(!frmSplash::RunLogin());
        QCOMPARE(boxes, (QList<QString>{QString(), QString(), QString()})); // emptied each time, no 4th try
        const auto msgs = p.messages();
        QCOMPARE(msgs.size(), 3);
        QCOMPARE(msgs[0].text, QStringLiteral("암호가 일치하지 않습니다.  \r다시 입력하여주십시오.  "));
        QCOMPARE(msgs[1].text, msgs[0].text);
        QCOMPARE(msgs[2].text, QStringLiteral("암호가 일치하지 않습니다.\r다시확인하시고 입력하여 주시기 바랍니다.   \r"
                                              "문제가 발생하면 판매처로 연락바랍니다.   "));
        QCOMPARE(msgs[2].style, 0);
    }

    void rightPasswordAtSecondTry()
    {
        makeUserTable(QStringLiteral("INSERT INTO user VALUES ('사장', 'abc');"));
        ScriptedPrompter p;
        bool masked = false;
        p.modalAnswers << [&](QDialog& d) {
            masked = static_cast<frmSplash&>(d).txtPassword->echoMode() == QLineEdit::Password;
            return typing({QStringLiteral("ab"), QStringLiteral("abc")})(d);
        };
        QVERIFY(frmSplash::RunLogin());
        QVERIFY(masked);
        QCOMPARE(p.messages().size(), 1);
    }

    void escapeAnsweredNoReturnsToLogin()
    {
        makeUserTable(QStringLiteral("INSERT INTO user VALUES ('사장', 'abc');"));
        ScriptedPrompter p;
        p.msgAnswers << platform::AnswerOk << platform::AnswerNo << platform::AnswerYes;
        int triesAfterNo = -1;
        p.modalAnswers << [&](QDialog& d) {
            auto& frm = static_cast<frmSplash&>(d);
            QTest::keyClicks(frm.txtPassword, QStringLiteral("bad"));
            QTest::keyClick(frm.txtPassword, Qt::Key_Return);
            QTest::keyClick(frm.txtPassword, Qt::Key_Escape); // No
            triesAfterNo = frm.WrongTries();
            if (frm.outcome() != frmSplash::Waiting)
                return -1;
            QTest::keyClick(frm.txtPassword, Qt::Key_Escape); // Yes
            return d.result();
        };
        QVERIFY(!frmSplash::RunLogin());
        QCOMPARE(triesAfterNo, 1);
        const auto msgs = p.messages();
        QCOMPARE(msgs.size(), 3);
        QCOMPARE(msgs[1].text, gsTitle + QStringLiteral(" 프로그램을 종료하시겠습니까?   "));
        QCOMPARE(msgs[1].title, QStringLiteral("Trelvo"));
        QCOMPARE(msgs[1].style, 4);
    }

    void closeBoxAsksLikeEscape()
    {
        makeUserTable(QStringLiteral("INSERT INTO user VALUES ('사장', 'abc');"));
        ScriptedPrompter p;
        p.msgAnswers << platform::AnswerNo;
        frmSplash::Outcome afterNo = frmSplash::EndProgram;
        p.modalAnswers << [&](QDialog& d) {
            d.reject(); // No: still waiting
            afterNo = static_cast<frmSplash&>(d).outcome();
            return typing({QStringLiteral("abc")})(d);
        };
        QVERIFY(frmSplash::RunLogin());
        QCOMPARE(afterNo, frmSplash::Waiting);
        // A window closed without any answer never counts as a login.
        ScriptedPrompter q;
        QVERIFY(!frmSplash::RunLogin());
    }

    void unreadableUserTableLetsNobodyIn()
    {
        dbFile = env->path(QStringLiteral("trelvoDB.mdb"));
        QVERIFY(testsupport::runSqlScript(dbFile, QStringLiteral("CREATE TABLE other (x TEXT);")));
        gDB = dao::Database::open(dbFile);
        ScriptedPrompter p;
        QVERIFY(!frmSplash::RunLogin());
        QCOMPARE(p.messages().size(), 1);
        QCOMPARE(p.lastMessage().title, QStringLiteral("Query"));
        QVERIFY(p.lastMessage().text.startsWith(QStringLiteral("Jet Data Base Engine의 식을 확인하세요.\rselect * from user")));
        for (const auto& c : p.calls)
            QVERIFY(c.kind != QLatin1String("modal")); // the window never opens
        // No database at all.
        gDB.reset();
        ScriptedPrompter q;
        QVERIFY(!frmSplash::RunLogin());
        QCOMPARE(q.lastMessage().title, QStringLiteral("MDB 오류"));
    }

    void changePassword()
    {
        makeUserTable(QStringLiteral("INSERT INTO user VALUES ('사장', 'abc');"));
        ScriptedPrompter p;
        {
            frmpass frm;
            frm.txtInput[0]->setText(QStringLiteral("wrong"));
            frm.txtInput[1]->setText(QStringLiteral("new"));
            frm.cmdSearch_Click();
            QCOMPARE(p.lastMessage().text, QStringLiteral("기존의 비밀번호가 일치하지 않습니다"));
            QCOMPARE(frm.result(), 0);
            QCOMPARE(userRows(), bossWith(QStringLiteral("abc")));
            // A password with quotes is stored exactly.
            frm.txtInput[0]->setText(QStringLiteral("abc"));
            frm.txtInput[1]->setText(QStringLiteral("it's \"q\"'; --"));
            frm.cmdSearch_Click();
            QCOMPARE(frm.result(), int(QDialog::Accepted));
        }
        QCOMPARE(userRows(), bossWith(QStringLiteral("it's \"q\"'; --")));
        p.modalAnswers << typing({QStringLiteral("it's \"q\"'; --")});
        QVERIFY(frmSplash::RunLogin());
        QCOMPARE(p.messages().size(), 1);
    }

    void clearingThePassword()
    {
        makeUserTable(QStringLiteral("INSERT INTO user VALUES ('사장', 'abc');"));
        ScriptedPrompter p;
        frmpass frm;
        frm.txtInput[0]->setText(QStringLiteral("abc"));
        frm.cmdSearch_Click();
        QCOMPARE(frm.result(), int(QDialog::Accepted));
        const QVariantList rows = userRows();
        QCOMPARE(rows.size(), 1);
        QCOMPARE(rows[0].toList()[0].toString(), gsTitle);
        QVERIFY(rows[0].toList()[1].isNull());
        QString prompt;
        p.modalAnswers << [&](QDialog& d) {
            auto& login = static_cast<frmSplash&>(d);
            prompt = login.txtPassword->echoMode() == QLineEdit::Normal ? login.txtPassword->text() : QString();
            QTest::keyClick(login.txtPassword, Qt::Key_Return); // the prompt text is "typed"
            return d.result();
        };
        QVERIFY(frmSplash::RunLogin());
        QCOMPARE(prompt, QStringLiteral("엔터 치세요"));
        QCOMPARE(p.lastMessage().text, QStringLiteral("보안을 위해 암호를 설정해 주시기 바랍니다."));
    }

    void enterWalksTheBoxesAndConfirms()
    {
        makeUserTable(QStringLiteral("INSERT INTO user VALUES ('사장', 'abc');"));
        ScriptedPrompter p;
        frmpass frm;
        QVERIFY(showWithFocusOnFirstBox(frm));
        QTest::keyClicks(frm.txtInput[0], QStringLiteral("abc"));
        QTest::keyClick(frm.txtInput[0], Qt::Key_Return);
        QTRY_VERIFY(frm.txtInput[1]->hasFocus());
        QTest::keyClicks(frm.txtInput[1], QStringLiteral("xyz"));
        QTest::keyClick(frm.txtInput[1], Qt::Key_Down);
        QTRY_VERIFY(frm.cmdSearch->hasFocus());
        QCOMPARE(frm.result(), 0); // moving on does not confirm
        QTest::keyClick(frm.cmdSearch, Qt::Key_Return);
        QCOMPARE(frm.result(), int(QDialog::Accepted));
        QCOMPARE(userRows(), bossWith(QStringLiteral("xyz")));
    }

    void passwordsWithBracketsAndAmpersands()
    {
        // "(" "&" "%" "'" share their key numbers with the arrow keys; typed, they stay text.
        makeUserTable(QStringLiteral("INSERT INTO user VALUES ('사장', 'a(b&c%d''e');"));
        ScriptedPrompter p;
        {
            frmpass frm;
            QVERIFY(showWithFocusOnFirstBox(frm));
            QTest::keyClicks(frm.txtInput[0], QStringLiteral("a(b&c%d'e"));
            QCoreApplication::processEvents();
            QVERIFY(frm.txtInput[0]->hasFocus());
            QCOMPARE(frm.txtInput[0]->text(), QStringLiteral("a(b&c%d'e"));
            frm.txtInput[1]->setText(QStringLiteral("(co)&1"));
            frm.cmdSearch_Click();
            QCOMPARE(frm.result(), int(QDialog::Accepted));
        }
        QCOMPARE(userRows(), bossWith(QStringLiteral("(co)&1")));
        p.modalAnswers << typing({QStringLiteral("(co)&1")});
        QVERIFY(frmSplash::RunLogin());
        QVERIFY(p.messages().isEmpty());
    }

    void newPasswordOnEmptyTable()
    {
        makeUserTable(QString());
        ScriptedPrompter p;
        frmpass frm;
        frm.txtInput[1]->setText(QStringLiteral("secret"));
        frm.cmdSearch_Click();
        QCOMPARE(userRows(), (QVariantList{QVariantList{gsTitle, QStringLiteral("secret")}}));
    }

    void readOnlyDatabaseKeepsWindowOpen()
    {
        makeUserTable(QStringLiteral("INSERT INTO user VALUES ('사장', 'abc');"));
        gDB = dao::Database::open(dbFile, 0, true);
        ScriptedPrompter p;
        frmpass frm;
        frm.txtInput[0]->setText(QStringLiteral("abc"));
        frm.txtInput[1]->setText(QStringLiteral("new"));
        frm.cmdSearch_Click();
        QCOMPARE(frm.result(), 0);
        QCOMPARE(p.messages().size(), 1);
        QVERIFY(p.lastMessage().text.contains(QStringLiteral("in procedure cmd검색_Click of Form frmpass")));
        QCOMPARE(userRows(), bossWith(QStringLiteral("abc")));
    }

    void noticeCheckBoxStoresSetting()
    {
        FrmInitMsg frm;
        QCOMPARE(frm.windowTitle(), QStringLiteral("안내 메세지"));
        frm.ChkCheck->click();
        QCOMPARE(platform::GetSetting(gsTitle, kEnvSection, QStringLiteral("NoMsg")), QStringLiteral("1"));
        frm.ChkCheck->click();
        QCOMPARE(platform::GetSetting(gsTitle, kEnvSection, QStringLiteral("NoMsg")), QStringLiteral("0"));
    }
};

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
