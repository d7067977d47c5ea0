#include "platform/Prompter.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>
#include <functional>

// The boxes of the program's own prompt seam, as the user meets them: Korean buttons on
// every box, Enter and Escape answering as the buttons do.
class tst_prompter : public QObject {
    Q_OBJECT

    // Runs act on the next modal box once it is up (the box itself blocks the caller).
    static void onNextBox(std::function<void(QWidget*)> act)
    {
        auto* timer = new QTimer;
        timer->setInterval(10);
        QObject::connect(timer, &QTimer::timeout, [timer, act] {
            QWidget* box = QApplication::activeModalWidget();
            if (!box || !box->isVisible())
                return;
            timer->stop();
            timer->deleteLater();
            act(box);
        });
        timer->start();
    }

    static QStringList buttonTexts(QWidget* box)
    {
        QStringList texts;
        for (QPushButton* b : box->findChildren<QPushButton*>())
            if (b->isVisible())
                texts << b->text();
        texts.sort();
        return texts;
    }

private slots:
    void inputBoxSpeaksKorean()
    {
        platform::QtPrompter p;
        QStringList seen;
        // Typed and confirmed with Enter: the answer comes back.
        onNextBox([&seen](QWidget* box) {
            seen = buttonTexts(box);
            auto* edit = box->findChild<QLineEdit*>();
            QVERIFY(edit);
            edit->selectAll();
            edit->insert(QStringLiteral("새상품")); // as the input method commits it
            QTest::keyClick(edit, Qt::Key_Return);
        });
        QString value = QStringLiteral("옛이름");
        QVERIFY(p.inputBox(QStringLiteral("신규등록 할 상품명을 입력하세요."), QStringLiteral("Trelvo"), value));
        QCOMPARE(value, QStringLiteral("새상품"));
        QCOMPARE(seen, (QStringList{QStringLiteral("취소"), QStringLiteral("확인")}));

        // Left with Escape: cancelled, the value as it was.
        onNextBox([](QWidget* box) { QTest::keyClick(box, Qt::Key_Escape); });
        QVERIFY(!p.inputBox(QStringLiteral("수정할 이름을 입력하세요."), QStringLiteral("Trelvo"), value));
        QCOMPARE(value, QStringLiteral("새상품"));
    }

    void messageBoxesSpeakKorean()
    {
        platform::QtPrompter p;
        QStringList seen;
        onNextBox([&seen](QWidget* box) {
            seen = buttonTexts(box);
            QTest::keyClick(box, Qt::Key_Return);
        });
        QCOMPARE(p.messageBox(QStringLiteral("저장되었습니다."), QStringLiteral("Trelvo"), platform::MsgStyleInfo),
                 int(platform::AnswerOk));
        QCOMPARE(seen, QStringList{QStringLiteral("확인")});

        onNextBox([&seen](QWidget* box) {
            seen = buttonTexts(box);
            QTest::keyClick(box, Qt::Key_Return); // No is preselected
        });
        QCOMPARE(p.messageBox(QStringLiteral("삭제하시겠습니까?"), QStringLiteral("Trelvo"),
                              platform::MsgStyleYesNoDefNo),
                 int(platform::AnswerNo));
        QCOMPARE(seen, (QStringList{QStringLiteral("아니오(&N)"), QStringLiteral("예(&Y)")}));
    }
};

QTEST_MAIN(tst_prompter)
#include "tst_prompter.moc"
