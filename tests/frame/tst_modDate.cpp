#include "frame/FrmCalendar.h"
#include "frame/modDate.h"
#include "frame/modMain.h"
#include "support/ScriptedPrompter.h"

#include <QCalendarWidget>
#include <QLineEdit>
#include <QtTest>

class TestModDate : public QObject {
    Q_OBJECT
private slots:
    void init()
    {
        gsTitle = QStringLiteral("TrelvoTest");
        platform::setClock([] { return QDateTime(QDate(2009, 11, 20), QTime(9, 30)); });
    }
    void cleanup() { platform::setClock({}); }

    void completion_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("expected"); // empty: refused
        QTest::newRow("1 digit") << "5" << "2009-11-05";
        QTest::newRow("2 digits") << "30" << "2009-11-30";
        QTest::newRow("day 31 of November") << "31" << "";
        QTest::newRow("day 0") << "0" << "";
        QTest::newRow("3 digits") << "101" << "2009-01-01";
        QTest::newRow("3 digits Oct 1 is 1001") << "1001" << "2009-10-01";
        QTest::newRow("4 digits") << "1231" << "2009-12-31";
        QTest::newRow("0230") << "0230" << "";
        QTest::newRow("0229 in 2009") << "0229" << "";
        QTest::newRow("6 digits") << "040101" << "2004-01-01";
        QTest::newRow("6 digits leap day") << "080229" << "2008-02-29";
        QTest::newRow("6 digits no leap day") << "090229" << "";
        QTest::newRow("8 digits") << "20040101" << "2004-01-01";
        QTest::newRow("8 digits leap day") << "20000229" << "2000-02-29";
        QTest::newRow("8 digits 1900 no leap") << "19000229" << "";
        QTest::newRow("8 with separators") << "2004-1-1" << "2004-01-01";
        QTest::newRow("8 with separators invalid") << "2004-2-30" << "";
        QTest::newRow("10 characters") << "2004-01-01" << "2004-01-01";
        QTest::newRow("10 characters slashes") << "2004/01/31" << "2004-01-31";
        QTest::newRow("10 invalid") << "2004-13-01" << "";
        QTest::newRow("5 characters") << "12345" << "";
        QTest::newRow("7 characters") << "2004-11" << "";
        QTest::newRow("letters") << "ab" << "";
        QTest::newRow("empty") << "" << "";
        QTest::newRow("hangul") << "오늘" << "";
    }

    void completion()
    {
        QFETCH(QString, typed);
        QFETCH(QString, expected);
        testsupport::ScriptedPrompter p;
        QString s = typed;
        const bool ok = CheckDateText(s);
        QCOMPARE(ok, !expected.isEmpty());
        if (ok) {
            QCOMPARE(s, expected);
            QVERIFY(p.messages().isEmpty());
        } else {
            QCOMPARE(s, typed); // the caller's text stays as typed
            QCOMPARE(p.messages().size(), 1);
            QCOMPARE(p.lastMessage().style, 64);
            QCOMPARE(p.lastMessage().title, QStringLiteral("TrelvoTest"));
        }
    }

    void leapDayOfThisYear()
    {
        testsupport::ScriptedPrompter p;
        platform::setClock([] { return QDateTime(QDate(2008, 2, 10), QTime(9, 0)); });
        QString s = QStringLiteral("0229");
        QVERIFY(CheckDateText(s));
        QCOMPARE(s, QStringLiteral("2008-02-29"));
        s = QStringLiteral("29");
        QVERIFY(CheckDateText(s));
        QCOMPARE(s, QStringLiteral("2008-02-29"));
        s = QStringLiteral("30");
        QVERIFY(!CheckDateText(s));
    }

    void refusalMessage()
    {
        testsupport::ScriptedPrompter p;
        QString s = QStringLiteral("0230");
        QVERIFY(!CheckDateText(s));
        const QString crlf = QStringLiteral("\r\n");
        const QString expected = QStringLiteral("[0230]는 날짜형식이 아닙니다.") + QString(13, QLatin1Char(' ')) + crlf + crlf
            + QStringLiteral(" 가능한 형식은 아래와 같습니다.") + crlf + crlf + QStringLiteral("   * 2004-01-01") + crlf
            + QStringLiteral("   * 20040101") + crlf + QStringLiteral("   * 040101") + crlf + QStringLiteral("   * 0101")
            + crlf + QStringLiteral("   * 101 (※10월1일은 1001)") + crlf + QStringLiteral("   * 1 (당월의 일자지정시)");
        QCOMPARE(p.lastMessage().text, expected);
    }

    void lastDate()
    {
        QCOMPARE(GetLastDate(QStringLiteral("2008"), QStringLiteral("2")), QStringLiteral("2008-02-29"));
        QCOMPARE(GetLastDate(QStringLiteral("2009"), QStringLiteral("02")), QStringLiteral("2009-02-28"));
        QCOMPARE(GetLastDate(QStringLiteral("2009"), QStringLiteral("12")), QStringLiteral("2009-12-31"));
        QCOMPARE(GetLastDate(QStringLiteral("2009"), QStringLiteral("4")), QStringLiteral("2009-04-30"));
        QCOMPARE(GetLastDate(QStringLiteral("x"), QStringLiteral("4")), QString());
    }

    void calendarEscape()
    {
        testsupport::ScriptedPrompter p; // unscripted: the window is closed without a pick
        QLineEdit anchor;
        QCOMPARE(ShowCalendar(QString(), &anchor), QString());
        QCOMPARE(ShowCalendar(QStringLiteral("2009-03-15"), &anchor), QStringLiteral("2009-03-15"));
        QCOMPARE(ShowCalendar(QStringLiteral("2009-02-30"), &anchor), QString());
        QCOMPARE(p.calls.size(), 3);
        QCOMPARE(p.calls[0].kind, QStringLiteral("modal"));
        QCOMPARE(p.calls[0].text, QStringLiteral("날짜 선택"));
    }

    void calendarPicks()
    {
        testsupport::ScriptedPrompter p;
        QDate shown;
        // A click on a date.
        p.modalAnswers << [&](QDialog& d) {
            auto& cal = static_cast<FrmCalendar&>(d);
            shown = cal.MonthView1->selectedDate();
            emit cal.MonthView1->clicked(QDate(2009, 3, 20));
            return d.result();
        };
        QCOMPARE(ShowCalendar(QStringLiteral("2009-03-15"), nullptr), QStringLiteral("2009-03-20"));
        QCOMPARE(shown, QDate(2009, 3, 15));
        // Enter takes the shown date; an invalid preset leaves today shown.
        p.modalAnswers << [&](QDialog& d) {
            auto& cal = static_cast<FrmCalendar&>(d);
            QTest::keyClick(cal.MonthView1, Qt::Key_Return);
            return d.result();
        };
        QCOMPARE(ShowCalendar(QStringLiteral("nonsense"), nullptr), QStringLiteral("2009-11-20"));
        // The window is placed below its anchor, left edges aligned, and kept on top.
        QWidget host;
        auto* anchor = new QLineEdit(&host);
        anchor->setGeometry(40, 30, 120, 24);
        host.move(100, 100);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        QPoint placed;
        bool onTop = false;
        p.modalAnswers << [&](QDialog& d) {
            placed = d.pos();
            onTop = d.windowFlags().testFlag(Qt::WindowStaysOnTopHint);
            return int(QDialog::Rejected);
        };
        ShowCalendar(QString(), anchor);
        QCOMPARE(placed, anchor->mapToGlobal(QPoint(0, anchor->height())));
        QVERIFY(onTop);
    }
};

QTEST_MAIN(TestModDate)
#include "tst_modDate.moc"
