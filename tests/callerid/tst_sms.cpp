#include "CallerIdFixture.h"

#include "callerid/FrmEasySMS.h"
#include "callerid/IncomingCall.h"
#include "callerid/modVeltSMS.h"
#include "frame/modCommon.h"
#include "frame/modFrmCtrl.h"
#include "platform/ActiveSMS.h"
#include "support/WriteFailure.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QStyleOptionFrame>
#include <QtTest>

using calleridtest::Fixture;

namespace {

// A message-service control that answers with scripted codes and records what it sends.
class FakeSMS : public platform::ActiveSMS {
public:
    int connectCode = 0, loginCode = 0;
    long restCount = 100;
    QList<int> sendCodes; // next Send results; 0 when empty
    QStringList sent;     // "dest|callback|message"
    int Connect() override { return connectCode; }
    int Login() override { return loginCode; }
    long RestCount() override { return restCount; }
    int Send() override
    {
        const int code = sendCodes.isEmpty() ? 0 : sendCodes.takeFirst();
        if (code == 0)
            sent << DestNumber + QLatin1Char('|') + CallbackNumber + QLatin1Char('|') + Message;
        return code;
    }
};

void setAccount(const QString& id, const QString& pw, long rest)
{
    platform::SaveSetting(QStringLiteral("ActiveSMS"), QStringLiteral("Account"), QStringLiteral("UserID"), id);
    platform::SaveSetting(QStringLiteral("ActiveSMS"), QStringLiteral("Account"), QStringLiteral("Password"), pw);
    platform::SaveSetting(QStringLiteral("ActiveSMS"), QStringLiteral("Account"), QStringLiteral("RestCount"),
                          QString::number(rest));
}

// A shown window on the given control, logged-in fields and a callback number filled in.
FrmEasySMS* openWindow(FakeSMS* fake = nullptr)
{
    auto* w = new FrmEasySMS(nullptr, fake ? std::unique_ptr<platform::ActiveSMS>(fake) : nullptr);
    if (!w->Form_Load()) {
        delete w;
        return nullptr;
    }
    w->show();
    w->txtUserName->setText(QStringLiteral("shop"));
    w->txtPassword->setText(QStringLiteral("pw"));
    w->txtCallback->setText(QStringLiteral("0212345678"));
    w->txtText->setPlainText(QStringLiteral("안녕하세요"));
    return w;
}

void addNumbers(FrmEasySMS* w, const QStringList& numbers)
{
    for (const QString& n : numbers)
        w->lstTelNo->addItem(n);
    w->UpdateRecipientCount();
}

QStringList listed(FrmEasySMS* w)
{
    QStringList out;
    for (int i = 0; i < w->lstTelNo->count(); ++i)
        out << w->lstTelNo->item(i)->text();
    return out;
}

} // namespace

// The message-service client's codes and the text-message window: byte limit, recipients,
// checks before sending, the send loop and what a failure leaves behind.
class tst_sms : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { SetSmsSendPause(0); }

    void clientCodes()
    {
        Fixture f;
        FakeSMS fake;
        fake.connectCode = 5;
        QVERIFY(!SMS_Start(&fake));
        QCOMPARE(f.prompter->lastMessage().text, QStringLiteral("알수 없는 오류가 발생했습니다.\r\n오류코드:5"));
        QCOMPARE(f.prompter->lastMessage().style, int(platform::MsgCritical));
        fake.loginCode = -4;
        QVERIFY(!SMS_LogIn(&fake, QStringLiteral("a"), QStringLiteral("b")));
        QCOMPARE(f.prompter->lastMessage().text, QStringLiteral("사용자 아이디와 암호가 일치하지 않습니다."));
        QCOMPARE(f.prompter->lastMessage().title, QStringLiteral("로그인"));
        fake.restCount = -3;
        QCOMPARE(SMS_RestCnt(&fake), 0L);
        QCOMPARE(f.prompter->lastMessage().text, QStringLiteral("로그인이 되지않아 잔여건수를 구할 수 없습니다."));
        fake.restCount = -9;
        QCOMPARE(SMS_RestCnt(&fake), 0L);
        QCOMPARE(f.prompter->lastMessage().text,
                 QStringLiteral("알수 없는 오류가 발생하여 잔여건수를 구할 수 없습니다.\r\n오류코드:-9"));
        // an empty callback leaves the one given before
        QVERIFY(SMS_Send(&fake, QStringLiteral("01011112222"), QStringLiteral("m"), QStringLiteral("021"), QString()));
        QVERIFY(SMS_Send(&fake, QStringLiteral("01033334444"), QStringLiteral("m"), QString(), QString()));
        QCOMPARE(fake.CallbackNumber, QStringLiteral("021"));
        fake.sendCodes = {-5};
        QVERIFY(!SMS_Send(&fake, QStringLiteral("01011112222"), QStringLiteral("m"), QString(), QString()));
        QCOMPARE(f.prompter->lastMessage().text, QStringLiteral("예약시간이 이미 지나 메시지 전송에 실패했습니다."));
        // no control at all
        QVERIFY(!SMS_Start(nullptr));
        QCOMPARE(f.prompter->lastMessage().text,
                 QStringLiteral("Error 91 (Object variable or With block variable not set) in procedure SMS_Start of Module modVeltSMS"));
    }

    void localServiceSpoolsEveryMessage()
    {
        Fixture f;
        setAccount(QStringLiteral("shop"), QStringLiteral("pw"), 5);
        platform::ActiveSMS sms;
        QVERIFY(SMS_Start(&sms));
        QCOMPARE(SMS_RestCnt(&sms), 0L); // not logged in: message, 0
        QVERIFY(!SMS_LogIn(&sms, QStringLiteral("shop"), QStringLiteral("wrong")));
        QVERIFY(SMS_LogIn(&sms, QStringLiteral("shop"), QStringLiteral("pw")));
        QCOMPARE(SMS_RestCnt(&sms), 5L);
        QVERIFY(SMS_Send(&sms, QStringLiteral("01011112222"), QStringLiteral("두 줄\n메시지"), QStringLiteral("021"), QString()));
        QCOMPARE(SMS_RestCnt(&sms), 4L);
        QFile spool(platform::ActiveSMS::SpoolFile());
        QVERIFY(spool.open(QIODevice::ReadOnly));
        const QByteArray spooled = spool.readAll();
        QCOMPARE(QString::fromUtf8(spooled),
                 QStringLiteral("2024-03-20 14:05:09\t021\t01011112222\t\t두 줄\\n메시지\n"));
        // a message the spool cannot take whole (a file-size limit within its line) is not
        // sent, leaves no cut line and costs nothing
        {
            testsupport::FileSizeLimit limit(rlim_t(spooled.size() + 20));
            QVERIFY(!SMS_Send(&sms, QStringLiteral("01033334444"), QStringLiteral("잘린 메시지"), QStringLiteral("021"), QString()));
        }
        QVERIFY(spool.seek(0));
        QCOMPARE(spool.readAll(), spooled);
        QCOMPARE(SMS_RestCnt(&sms), 4L);
    }

    void messageIsCutAtEightyBytes()
    {
        Fixture f;
        FrmEasySMS* w = openWindow(new FakeSMS);
        QVERIFY(w);
        w->txtText->setPlainText(QString(41, QChar(0xAC00))); // 41 syllables: 82 bytes
        QCOMPARE(w->txtText->toPlainText(), QString(40, QChar(0xAC00)));
        QCOMPARE(w->lblCountByte->text(), QStringLiteral("80"));
        w->txtText->setPlainText(QString(79, QLatin1Char('a')) + QChar(0xAC00));
        QCOMPARE(w->txtText->toPlainText(), QString(79, QLatin1Char('a')) + QLatin1Char(' '));
        QCOMPARE(w->lblCountByte->text(), QStringLiteral("80"));
        w->txtText->setPlainText(QStringLiteral("가a"));
        QCOMPARE(w->lblCountByte->text(), QStringLiteral("3"));
        w->txtFavoMsg[2]->setPlainText(QString(50, QChar(0xD55C)));
        QCOMPARE(AnsiByteLen(w->txtFavoMsg[2]->toPlainText()), 80);
    }

    void sendsToEveryRecipientInTurn()
    {
        Fixture f;
        setAccount(QStringLiteral("shop"), QStringLiteral("pw"), 10);
        FrmEasySMS* w = openWindow();
        QVERIFY(w);
        addNumbers(w, {QStringLiteral("01011112222"), QStringLiteral("01033334444"), QStringLiteral("0195556666")});
        QCOMPARE(w->lblCountTelNo->text(), QStringLiteral("3명"));
        w->cmdSubmit->click();
        QCOMPARE(f.prompter->lastMessage().text, QStringLiteral("3건이 전송되었습니다."));
        QFile spool(platform::ActiveSMS::SpoolFile());
        QVERIFY(spool.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(spool.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 3);
        QCOMPARE(lines[0].section(QLatin1Char('\t'), 1), QStringLiteral("0212345678\t01011112222\t\t안녕하세요"));
        QCOMPARE(lines[2].section(QLatin1Char('\t'), 2, 2), QStringLiteral("0195556666"));
        QCOMPARE(w->lstTelNo->count(), 0);
        QCOMPARE(w->lblCountTelNo->text(), QStringLiteral("0명"));
        QCOMPARE(w->lblRestCnt->text(), QStringLiteral("7"));
        QCOMPARE(platform::GetSetting(gsTitle, QStringLiteral("SMSMSG"), QStringLiteral("LastMsg")), QStringLiteral("안녕하세요"));
        QCOMPARE(platform::GetSetting(gsTitle, QStringLiteral("SMSConfig"), QStringLiteral("최근회신번호")),
                 QStringLiteral("0212345678"));
    }

    void failureStopsAtTheFailingRecipient()
    {
        Fixture f;
        auto* fake = new FakeSMS;
        fake->sendCodes = {0, -6};
        FrmEasySMS* w = openWindow(fake);
        addNumbers(w, {QStringLiteral("01011112222"), QStringLiteral("01033334444"), QStringLiteral("01055556666")});
        w->cmdSubmit->click();
        const auto msgs = f.prompter->messages();
        QCOMPARE(msgs.size(), 2);
        QCOMPARE(msgs[0].text, QStringLiteral("서버에 전송을 실패하여 메시지 전송에 실패했습니다."));
        QCOMPARE(msgs[1].text, QStringLiteral("전송을 실패하였습니다."));
        QCOMPARE(fake->sent.size(), 1);
        QCOMPARE(listed(w).size(), 3);
        QCOMPARE(w->lstTelNo->currentRow(), 1);
        QVERIFY(w->lstTelNo->item(1)->isSelected());
        QCOMPARE(platform::GetSetting(gsTitle, QStringLiteral("SMSMSG"), QStringLiteral("LastMsg")), QString());
    }

    void checksBeforeSending()
    {
        Fixture f;
        auto* fake = new FakeSMS;
        fake->restCount = 2;
        FrmEasySMS* w = openWindow(fake);
        w->txtText->setPlainText(QString()); // the balance is checked before the message
        addNumbers(w, {QStringLiteral("01011112222"), QStringLiteral("01033334444"), QStringLiteral("01055556666")});
        w->cmdSubmit->click();
        QVERIFY(f.prompter->lastMessage().text.startsWith(QStringLiteral("잔량이 부족합니다. 충전후 사용하세요.\r\n")));
        QCOMPARE(fake->sent.size(), 0);

        fake->restCount = 10;
        w->cmdSubmit->click();
        QCOMPARE(f.prompter->lastMessage().text, QStringLiteral("메시지를 입력하세요."));
        w->txtText->setPlainText(QStringLiteral("m"));

        // ordinary numbers: No selects the first of them and sends nothing
        w->lstTelNo->clear();
        addNumbers(w, {QStringLiteral("01011112222"), QStringLiteral("0255551234"), QStringLiteral("0311112222")});
        f.prompter->msgAnswers.enqueue(platform::AnswerNo);
        w->cmdSubmit->click();
        QCOMPARE(f.prompter->lastMessage().text,
                 QStringLiteral("받는사람 목록에 일반 전화번호가 포함되어 있습니다.\r\n문자전송은 일반 전화번호로 할 수 없습니다.\r\n\r\n"
                                "일반 전화번호를 모두 삭제 할까요?"));
        QCOMPARE(f.prompter->lastMessage().style, int(platform::MsgStyleYesNo));
        QCOMPARE(w->lstTelNo->currentRow(), 1);
        QCOMPARE(fake->sent.size(), 0);
        // Yes removes them all and sends to the rest
        f.prompter->msgAnswers.enqueue(platform::AnswerYes);
        w->cmdSubmit->click();
        QCOMPARE(fake->sent, QStringList{QStringLiteral("01011112222|0212345678|m")});
        QCOMPARE(f.prompter->lastMessage().text, QStringLiteral("1건이 전송되었습니다."));
    }

    void thirdWrongPasswordClosesTheWindowOnly()
    {
        Fixture f;
        auto* fake = new FakeSMS;
        fake->loginCode = -2;
        FrmEasySMS* w = openWindow(fake);
        addNumbers(w, {QStringLiteral("01011112222")});
        w->cmdSubmit->click();
        w->cmdSubmit->click();
        QVERIFY(IsFormLoaded(QStringLiteral("FrmEasySMS")));
        w->cmdSubmit->click();
        QCOMPARE(f.prompter->lastMessage().text, QStringLiteral("3회이상 일치하지 않아 프로그램이 종료됩니다."));
        QVERIFY(!IsFormLoaded(QStringLiteral("FrmEasySMS")));
        QCOMPARE(fake->sent.size(), 0);
    }

    void numberBoxTakesDigitsOnly()
    {
        Fixture f;
        FrmEasySMS* w = openWindow(new FakeSMS);
        QVERIFY(QTest::qWaitForWindowExposed(w));
        w->activateWindow();
        w->txtDestAddr->setFocus();
        QCOMPARE(w->txtDestAddr->text(), FrmEasySMS::kDestHint);
        QTest::keyClick(w->txtDestAddr, Qt::Key_Return); // the hint alone: nothing is added
        QCOMPARE(w->lstTelNo->count(), 0);
        w->txtDestAddr->setFocus();
        w->txtDestAddr->clear();
        QTest::keyClicks(w->txtDestAddr, QStringLiteral("010-12a34 5678"));
        QCOMPARE(w->txtDestAddr->text(), QStringLiteral("010123456 78").remove(QLatin1Char(' ')));
        QTest::keyClick(w->txtDestAddr, Qt::Key_Return);
        QCOMPARE(listed(w), QStringList{QStringLiteral("01012345678")});
        QCOMPARE(w->lblCountTelNo->text(), QStringLiteral("1명"));
        // Delete removes the selected recipient and selects the one after it
        addNumbers(w, {QStringLiteral("01022223333"), QStringLiteral("01044445555")});
        w->lstTelNo->setCurrentRow(1);
        w->lstTelNo_KeyDown(46, 0);
        QCOMPARE(listed(w), (QStringList{QStringLiteral("01012345678"), QStringLiteral("01044445555")}));
        QCOMPARE(w->lstTelNo->currentRow(), 1);
        QCOMPARE(w->lblCountTelNo->text(), QStringLiteral("2명"));
    }

    // A box entered with a click behaves as one entered with Tab: its whole text is selected,
    // so what is typed replaces it (the number box's hint among them).
    void boxesEnteredWithTheMouseReplaceTheirText()
    {
        Fixture f;
        auto* fake = new FakeSMS;
        FrmEasySMS* w = openWindow(fake);
        QVERIFY(w);
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        w->txtCallback->setFocus();

        QTest::mouseClick(w->txtDestAddr, Qt::LeftButton);
        QVERIFY(w->txtDestAddr->hasFocus());
        QCOMPARE(w->txtDestAddr->selectedText(), FrmEasySMS::kDestHint);
        QTest::keyClicks(w->txtDestAddr, QStringLiteral("01012345678"));
        QTest::keyClick(w->txtDestAddr, Qt::Key_Return);
        QCOMPARE(listed(w), QStringList{QStringLiteral("01012345678")});

        QTest::mouseClick(w->txtUserName, Qt::LeftButton);
        QCOMPARE(w->txtUserName->selectedText(), QStringLiteral("shop"));
        QTest::keyClicks(w->txtUserName, QStringLiteral("staff"));
        QTest::mouseClick(w->txtPassword, Qt::LeftButton);
        QVERIFY(w->txtPassword->hasSelectedText());
        QTest::keyClicks(w->txtPassword, QStringLiteral("secret"));
        QTest::mouseClick(w->txtText->viewport(), Qt::LeftButton);
        QVERIFY(w->txtText->hasFocus());
        QTest::keyClicks(w->txtText, QStringLiteral("see you"));
        QCOMPARE(w->txtUserName->text(), QStringLiteral("staff"));
        QCOMPARE(w->txtPassword->text(), QStringLiteral("secret"));
        QCOMPARE(w->txtText->toPlainText(), QStringLiteral("see you"));

        // a further click in the box that has the focus puts the caret where it lands
        const QPoint nearLeft(3, w->txtUserName->height() / 2);
        QTest::mouseClick(w->txtUserName, Qt::LeftButton, Qt::NoModifier, nearLeft);
        QTest::mouseClick(w->txtUserName, Qt::LeftButton, Qt::NoModifier, nearLeft);
        QVERIFY(!w->txtUserName->hasSelectedText());
        QCOMPARE(w->txtUserName->cursorPosition(), 0);

        w->cmdSubmit->click();
        QCOMPARE(fake->UserID, QStringLiteral("staff"));
        QCOMPARE(fake->Password, QStringLiteral("secret"));
        QCOMPARE(fake->sent, QStringList{QStringLiteral("01012345678|0212345678|see you")});
        QCOMPARE(f.prompter->lastMessage().text, QStringLiteral("1건이 전송되었습니다."));
    }

    // What is pasted into the number box, with Ctrl+V or from its context menu, keeps only the
    // characters typing takes; so does text the input method hands over.
    void pastedNumberKeepsTheDigitsOnly()
    {
        Fixture f;
        FrmEasySMS* w = openWindow(new FakeSMS);
        QVERIFY(w);
        w->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(w));
        QLineEdit* box = w->txtDestAddr;

        QTest::mouseClick(box, Qt::LeftButton);
        QGuiApplication::clipboard()->setText(QStringLiteral("010-1234-5678 abc"));
        QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
        QCOMPARE(box->text(), QStringLiteral("01012345678"));
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(listed(w), QStringList{QStringLiteral("01012345678")});

        // the context menu's paste goes in at the caret
        QTest::mouseClick(box, Qt::LeftButton);
        QVERIFY(box->hasFocus());
        QTest::keyClicks(box, QStringLiteral("0101"));
        QGuiApplication::clipboard()->setText(QStringLiteral("\t22-33 가나\n"));
        const QPoint at = box->rect().center();
        QContextMenuEvent menuEvent(QContextMenuEvent::Mouse, at, box->mapToGlobal(at));
        QApplication::sendEvent(box, &menuEvent);
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        QVERIFY(menu);
        QAction* paste = nullptr;
        for (QAction* a : menu->actions())
            if (a->text().startsWith(QCoreApplication::translate("QLineEdit", "&Paste"))) // as the user reads it
                paste = a;
        QVERIFY(paste);
        QTest::mouseClick(menu, Qt::LeftButton, Qt::NoModifier, menu->actionGeometry(paste).center());
        QTRY_VERIFY(!QApplication::activePopupWidget());
        QVERIFY(box->hasFocus());
        QCOMPARE(box->text(), QStringLiteral("01012233"));
        QCOMPARE(listed(w), QStringList{QStringLiteral("01012345678")});

        // Hangul from the input method
        QInputMethodEvent hangul(QString(), {});
        hangul.setCommitString(QStringLiteral("가1"));
        QApplication::sendEvent(box, &hangul);
        QCOMPARE(box->text(), QStringLiteral("010122331"));
        QTest::keyClick(box, Qt::Key_Return);
        QCOMPARE(listed(w), (QStringList{QStringLiteral("01012345678"), QStringLiteral("010122331")}));

        // the hint itself stays as it is
        box->setText(FrmEasySMS::kDestHint);
        QCOMPARE(box->text(), FrmEasySMS::kDestHint);
    }

    void settingsAreRestoredAtLoad()
    {
        Fixture f;
        platform::SaveSetting(gsTitle, QStringLiteral("SMSLogin"), QStringLiteral("LoginID"), QStringLiteral(" shop "));
        platform::SaveSetting(gsTitle, QStringLiteral("SMSMSG"), QStringLiteral("FavoMsg3"), QStringLiteral("감사합니다"));
        auto* w = new FrmEasySMS(nullptr, std::make_unique<FakeSMS>());
        QVERIFY(w->Form_Load());
        QCOMPARE(w->txtUserName->text(), QStringLiteral("shop"));
        QVERIFY(w->chkSave[0]->isChecked());
        QVERIFY(!w->chkSave[1]->isChecked());
        QCOMPARE(w->txtFavoMsg[3]->toPlainText(), QStringLiteral("감사합니다"));
        // nothing happened while the window was hidden
        QCOMPARE(f.prompter->messages().size(), 0);
        w->show();
        w->chkSave[1]->click();
        QCOMPARE(f.prompter->lastMessage().text,
                 QStringLiteral("저장된 암호는 보안이 되지 않으므로 외부에 유출될 우려가 있습니다."));
        w->chkSave[0]->click();
        QCOMPARE(platform::GetSetting(gsTitle, QStringLiteral("SMSLogin"), QStringLiteral("LoginID")), QString());
        w->close();
    }

    // The last message and a favourite of several lines, with blanks and quotes at either end,
    // come back as they were when the window opens again.
    void messagesOfSeveralLinesAreKept()
    {
        Fixture f;
        setAccount(QStringLiteral("shop"), QStringLiteral("pw"), 10);
        FrmEasySMS* w = openWindow();
        QVERIFY(w);
        QApplication::setActiveWindow(w);
        QVERIFY(QTest::qWaitForWindowActive(w));
        const QString message = QStringLiteral(" \"오늘\" 특가\n내일까지 ");
        w->txtText->setPlainText(message);
        w->txtFavoMsg[1]->setFocus();
        QTest::keyClicks(w->txtFavoMsg[1], QStringLiteral("\"Thanks\""));
        QTest::keyClick(w->txtFavoMsg[1], Qt::Key_Return);
        QTest::keyClicks(w->txtFavoMsg[1], QStringLiteral("  see you "));
        w->txtText->setFocus();
        addNumbers(w, {QStringLiteral("01011112222")});
        w->cmdSubmit->click();
        QCOMPARE(f.prompter->lastMessage().text, QStringLiteral("1건이 전송되었습니다."));
        w->close();
        delete w;

        auto* again = new FrmEasySMS(nullptr, std::make_unique<FakeSMS>());
        QVERIFY(again->Form_Load());
        QCOMPARE(again->txtText->toPlainText(), message);
        QCOMPARE(again->txtFavoMsg[1]->toPlainText(), QStringLiteral("\"Thanks\"\n  see you "));
        delete again;
    }

    void unreachableServerEndsTheProgram()
    {
        Fixture f;
        platform::SaveSetting(QStringLiteral("ActiveSMS"), QStringLiteral("Service"), QStringLiteral("Online"), QStringLiteral("0"));
        auto w = f.startMain();
        QVERIFY(w);
        QVERIFY(!w->cmdSMS_Click()); // the caller ends the program on false
        QCOMPARE(f.prompter->lastMessage().text, QStringLiteral("서버연결에 실패했습니다."));
        QCOMPARE(f.prompter->lastMessage().style, int(platform::MsgCritical));
        QVERIFY(!IsFormLoaded(QStringLiteral("FrmEasySMS")));
    }

    // On small screens, at a larger font DPI as well (which makes the screen smaller for the
    // program), the window opens inside the screen: its minimum is no larger than the screen,
    // its buttons are on it and no control covers another. The recipient box shows its hint
    // whole, from its beginning. Each row runs in a program of its own on a screen of that size.
    void windowFitsTheScreen_data()
    {
        testsupport::addScreenColumns();
        QTest::newRow("800x600") << QSize(800, 600) << 96;
        QTest::newRow("800x600 at 120 DPI") << QSize(800, 600) << 120;
        QTest::newRow("1024x768 at 144 DPI") << QSize(1024, 768) << 144;
    }
    void windowFitsTheScreen()
    {
        RUN_ROW_ON_ITS_SCREEN();
        Fixture f;
        auto main = f.startMain();
        QVERIFY(main);
        QVERIFY(main->cmdSMS_Click());
        FrmEasySMS* w = FrmEasySMS::Instance();
        QVERIFY(w);
        QVERIFY(QTest::qWaitForWindowExposed(w));
        const QRect area = w->screen()->availableGeometry();
        QFETCH(QSize, screen);
        QFETCH(int, fontDpi);
        QCOMPARE(area.size(), screen * 96 / fontDpi);
        QTRY_VERIFY2(area.contains(w->frameGeometry()), qPrintable(QStringLiteral("%1x%2 at %3,%4, minimum %5x%6")
                     .arg(w->width()).arg(w->height()).arg(w->x()).arg(w->y()).arg(w->minimumWidth()).arg(w->minimumHeight())));
        QList<QWidget*> controls;
        for (QWidget* c : w->findChildren<QWidget*>())
            if (c->isVisible() && (qobject_cast<QAbstractButton*>(c) || qobject_cast<QLineEdit*>(c)
                                   || qobject_cast<QPlainTextEdit*>(c) || qobject_cast<QListWidget*>(c)))
                controls << c;
        QVERIFY(controls.contains(w->cmdSubmit) && controls.contains(w->cmdClose));
        for (QWidget* c : controls) {
            const QRect r(c->mapTo(w, QPoint(0, 0)), c->size());
            QVERIFY2(w->rect().contains(r), qPrintable(c->objectName() + QStringLiteral(" reaches past the window")));
            for (QWidget* o : controls)
                QVERIFY2(o == c || !r.intersects(QRect(o->mapTo(w, QPoint(0, 0)), o->size())),
                         qPrintable(c->objectName() + QStringLiteral(" covers ") + o->objectName()));
        }
        QCOMPARE(w->txtDestAddr->text(), FrmEasySMS::kDestHint);
        QStyleOptionFrame opt;
        opt.initFrom(w->txtDestAddr);
        const QRect inner = w->txtDestAddr->style()->subElementRect(QStyle::SE_LineEditContents, &opt, w->txtDestAddr);
        QVERIFY2(w->txtDestAddr->fontMetrics().horizontalAdvance(FrmEasySMS::kDestHint) <= inner.width() - 4,
                 qPrintable(QStringLiteral("the hint in %1 px").arg(inner.width())));
        QCOMPARE(w->txtDestAddr->cursorPosition(), 0);
    }

    void smsButtonFillsTheRecipient()
    {
        Fixture f;
        auto w = f.startMain();
        QVERIFY(w);
        QVERIFY(w->cmdSMS_Click()); // empty caller box: the window only opens
        FrmEasySMS* sms = FrmEasySMS::Instance();
        QVERIFY(sms);
        QCOMPARE(sms->lstTelNo->count(), 0);
        w->cmbGetRinglet->insertItem(0, QStringLiteral("010-1234-5678  2024-03-20 14:05:09  [제품: ]"));
        w->cmbGetRinglet->setCurrentIndex(0);
        QVERIFY(w->cmdSMS_Click());
        QCOMPARE(FrmEasySMS::Instance(), sms);
        QCOMPARE(listed(sms), QStringList{QStringLiteral("01012345678")});
        QCOMPARE(sms->lblCountTelNo->text(), QStringLiteral("1명"));
        // the number as received, and a number longer than the number column
        QCOMPARE(NumberOfHistoryLine(QStringLiteral(" 010-1234-5678 ")), QStringLiteral("01012345678"));
        const QString longLine = CallHistoryLine(QStringLiteral("0012-3456-7890-1234"),
                                                 QDateTime(QDate(2024, 1, 2), QTime(3, 4, 5)), QString(), QString());
        QCOMPARE(NumberOfHistoryLine(longLine), QStringLiteral("0012345678901234"));
    }
};

QTEST_MAIN(tst_sms)
#include "tst_sms.moc"
