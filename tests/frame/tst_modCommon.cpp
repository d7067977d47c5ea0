#include "frame/modCommon.h"
#include "frame/modMain.h"
#include "support/ScriptedPrompter.h"
#include "support/TestEnv.h"
#include "support/WriteFailure.h"

#include <QFile>
#include <QtTest>

class TestModCommon : public QObject {
    Q_OBJECT
private slots:
    void init() { gsTitle = QStringLiteral("TrelvoTest"); }

    void formatTelNo_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("local");
        const QString untouched = QStringLiteral("<untouched>");
        QTest::newRow("02 + 8 digits") << "0212345678" << "02-1234-5678" << "1234-5678";
        QTest::newRow("02 + 7 digits") << "021234567" << "02-123-4567" << "123-4567";
        QTest::newRow("0 + 9 digits") << "0311234567" << "031-123-4567" << "123-4567";
        QTest::newRow("mobile 11 digits") << "01012345678" << "010-1234-5678" << "1234-5678";
        QTest::newRow("mobile with hyphens") << "010-1234-5678" << "010-1234-5678" << "1234-5678";
        QTest::newRow("7 digits") << "1234567" << "123-4567" << "123-4567";
        QTest::newRow("5 characters") << "12345" << "12345" << untouched;
        QTest::newRow("0 + 7 digits") << "01234567" << "0123-4567" << "0123-4567";
        QTest::newRow("02 with bracket") << "02)123-4567" << "02-123-4567" << "123-4567";
        QTest::newRow("blanks and brackets") << "(031) 123 4567" << "031-123-4567" << "123-4567";
        // Short "02" numbers never get a broken middle part.
        QTest::newRow("02 + 3 digits cleaned") << "02-123" << "02123" << untouched;
        QTest::newRow("02 + 4 digits") << "021234" << "021234" << untouched;
        QTest::newRow("02 + 4 digits hyphen") << "02-1234" << "021234" << untouched;
        QTest::newRow("02 + 5 digits") << "0212345" << "02-1-2345" << "1-2345";
        QTest::newRow("few digits") << "(((12))" << "12" << untouched;
        QTest::newRow("dots") << "031.123.4567" << "031-123-4567" << "123-4567";
        // Anything but digits and the usual separators: the text is kept as typed, since
        // dropping the rest would make another number (or nothing) of it.
        QTest::newRow("extension in words") << "02-123-4567 내선 12" << "02-123-4567 내선 12" << untouched;
        QTest::newRow("extension after #") << "02-123-4567#12" << "02-123-4567#12" << untouched;
        QTest::newRow("two numbers") << "02-123-4567~8" << "02-123-4567~8" << untouched;
        QTest::newRow("no digits") << "abcdefg" << "abcdefg" << untouched;
        QTest::newRow("few digits with a letter") << "tel:123" << "tel:123" << untouched;
        QTest::newRow("other country") << "+1-212-555-0100" << "+1-212-555-0100" << untouched;
        // Full-width digits (and separators) are digits; +82 is the national 0.
        QTest::newRow("full-width digits") << "０２-１２３-４５６７" << "02-123-4567" << "123-4567";
        QTest::newRow("full-width all") << "０２－１２３－４５６７" << "02-123-4567" << "123-4567";
        QTest::newRow("full-width only digits") << "０２１２３４５６７" << "02-123-4567" << "123-4567";
        QTest::newRow("+82 mobile") << "+82-10-1234-5678" << "010-1234-5678" << "1234-5678";
        QTest::newRow("+82 Seoul") << "+82 2 123 4567" << "02-123-4567" << "123-4567";
        QTest::newRow("+82 without separators") << "+82212345678" << "02-1234-5678" << "1234-5678";
        QTest::newRow("+82 with the 0 kept") << "+82 (0)31-123-4567" << "031-123-4567" << "123-4567";
        QTest::newRow("+ later in the text") << "010+1234-5678" << "010+1234-5678" << untouched;
        // 0082 dials +82 from Korea
        QTest::newRow("0082 mobile") << "0082-10-1234-5678" << "010-1234-5678" << "1234-5678";
        QTest::newRow("0082 Seoul") << "0082 2 123 4567" << "02-123-4567" << "123-4567";
        QTest::newRow("0082 without separators") << "00821012345678" << "010-1234-5678" << "1234-5678";
        QTest::newRow("other country after 00") << "001-1-212-555-0100" << "001-1212555-0100" << "1212555-0100";
        QTest::newRow("scheme stays as typed") << "tel:+821055556666" << "tel:+821055556666" << untouched;
        QTest::newRow("+82 and no number") << "+82 (  )" << "+82 (  )" << untouched;
    }

    // A number as the caller-ID server sends it: every digit counts, whatever else the text
    // holds, and a leading +82 or 0082 (after an optional "tel:") is the national 0.
    void formatCallerTelNo_data()
    {
        QTest::addColumn<QString>("input");
        QTest::addColumn<QString>("result");
        QTest::addColumn<QString>("local");
        const QString untouched = QStringLiteral("<untouched>");
        QTest::newRow("plain") << "0212345678" << "02-1234-5678" << "1234-5678";
        QTest::newRow("extension sign") << "0212345678#" << "02-1234-5678" << "1234-5678";
        QTest::newRow("scheme") << "tel:0212345678" << "02-1234-5678" << "1234-5678";
        QTest::newRow("+82") << "+82-10-7777-8888" << "010-7777-8888" << "7777-8888";
        QTest::newRow("scheme and +82") << "tel:+821055556666" << "010-5555-6666" << "5555-6666";
        QTest::newRow("scheme in capitals and +82") << "TEL: +82 2 123 4567" << "02-123-4567" << "123-4567";
        QTest::newRow("blank, scheme, 0082") << " tel:0082-31-123-4567" << "031-123-4567" << "123-4567";
        QTest::newRow("0082") << "00821012345678" << "010-1234-5678" << "1234-5678";
        QTest::newRow("0082 with hyphens") << "0082-10-1234-5678" << "010-1234-5678" << "1234-5678";
        QTest::newRow("+82 with the 0 kept") << "+82 (0)10-1234-5678" << "010-1234-5678" << "1234-5678";
        QTest::newRow("0082 with the 0 kept") << "0082-010-1234-5678" << "010-1234-5678" << "1234-5678";
        // only at the start: elsewhere 82 is part of the number
        QTest::newRow("+82 later") << "010+8212345678" << "010-821234-5678" << "821234-5678";
        QTest::newRow("0082 later") << "0100082345678" << "010-008234-5678" << "008234-5678";
        QTest::newRow("other country") << "+1-212-555-1234" << "1212555-1234" << "1212555-1234";
        QTest::newRow("other country after 00") << "001-1-212-555-1234" << "001-1212555-1234" << "1212555-1234";
        QTest::newRow("Beijing") << "+86 10 1234 5678" << "86101234-5678" << "86101234-5678";
        QTest::newRow("5 characters") << "+8210" << "+8210" << untouched;
        QTest::newRow("country code only") << "tel:+82" << "82" << untouched;
    }

    void formatCallerTelNo()
    {
        QFETCH(QString, input);
        QFETCH(QString, result);
        QFETCH(QString, local);
        QString got = QStringLiteral("<untouched>");
        QCOMPARE(FormatCallerTelNo(input, got), result);
        QCOMPARE(got, local);
    }

    void formatTelNo()
    {
        QFETCH(QString, input);
        QFETCH(QString, result);
        QFETCH(QString, local);
        QString got = QStringLiteral("<untouched>");
        QCOMPARE(FormatTelNo(input, got), result);
        QCOMPARE(got, local);
        QVERIFY(!result.contains(QStringLiteral("--")));
        QVERIFY(!result.endsWith(QLatin1Char('-')));
    }

    void mobileNumbers()
    {
        QVERIFY(IsMobileNumber(QStringLiteral("0112345678")));
        QVERIFY(!IsMobileNumber(QStringLiteral("0212345678")));
        QVERIFY(!IsMobileNumber(QStringLiteral("011234567")));
    }

    // Only ASCII digits count: wide or other-script digits would not survive toLongLong.
    void allDigits()
    {
        QVERIFY(IsAllDigits(QStringLiteral("0123456789")));
        QVERIFY(!IsAllDigits(QString()));
        QVERIFY(!IsAllDigits(QStringLiteral("-12")));
        QVERIFY(!IsAllDigits(QStringLiteral("12 3")));
        QVERIFY(!IsAllDigits(QStringLiteral("１２３")));
    }

    void byteWidths()
    {
        QCOMPARE(KorLen(QStringLiteral("가a")), 3);
        QCOMPARE(AnsiByteLen(QStringLiteral("가a")), 3);
        QCOMPARE(AnsiByteLen(QStringLiteral("홍길동 상사")), 11);
        QCOMPARE(AnsiByteLen(QString()), 0);
        // Characters the Korean code page cannot hold count one byte each.
        QCOMPARE(AnsiByteLen(QStringLiteral("😀é")), 1 + AnsiCharWidth(U'é'));
        QCOMPARE(AnsiCharWidth(U'😀'), 1);
        // Hanja and compatibility jamo are double-byte in this code page.
        QCOMPARE(AnsiByteLen(QStringLiteral("韓ㄱ")), 4);
        QCOMPARE(ToAnsi(QStringLiteral("가")), QByteArray("\xb0\xa1"));
        QCOMPARE(FromAnsi(QByteArray("\xb0\xa1" "a")), QStringLiteral("가a"));
        QCOMPARE(FromAnsi(QByteArray("a\xb0")), QStringLiteral("a") + QChar(0xFFFD));
    }

    void leftByteCuts()
    {
        const QString text = QStringLiteral("가나다라");
        QCOMPARE(LeftByte(text, 4, false), QStringLiteral("가나"));
        QCOMPARE(LeftByte(text, 5, false), QStringLiteral("가나 ")); // cut inside 다
        QCOMPARE(AnsiByteLen(LeftByte(text, 5, false)), 5);
        QCOMPARE(LeftByte(text, 5, true), QStringLiteral("가나"));
        QCOMPARE(LeftByte(text, 1, false), QStringLiteral(" "));
        QCOMPARE(LeftByte(text, 1, true), QString());
        QCOMPARE(LeftByte(text, 0, false), QString());
        QCOMPARE(LeftByte(text, 100, false), text);
        QCOMPARE(LeftByte(QStringLiteral("a가b"), 2, false), QStringLiteral("a "));
        QCOMPARE(LeftByte(QStringLiteral("a가b"), 3, false), QStringLiteral("a가"));
        // An 80-byte message of mixed text.
        const QString msg = QString(39, QChar(0xAC00)) + QStringLiteral("xyz");
        QCOMPARE(AnsiByteLen(LeftByte(msg, 80, false)), 80);
        QCOMPARE(LeftByte(msg, 80, false), QString(39, QChar(0xAC00)) + QStringLiteral("xy"));
    }

    void prevDay()
    {
        QCOMPARE(GetPrevDay(QStringLiteral("2009-03-15"), true), QStringLiteral("2009-03-14"));
        QCOMPARE(GetPrevDay(QStringLiteral("2009-03-01"), true), QStringLiteral("2009-03-01"));
        QCOMPARE(GetPrevDay(QStringLiteral("2009-03-01"), false), QStringLiteral("2009-02-28"));
        QCOMPARE(GetPrevDay(QStringLiteral("2008-03-01"), false), QStringLiteral("2008-02-29"));
        QCOMPARE(GetPrevDay(QStringLiteral("2009-01-01"), false), QStringLiteral("2008-12-31"));
        QCOMPARE(GetPrevDay(QStringLiteral("junk"), false), QStringLiteral("junk"));
    }

    void writeLogAppends()
    {
        testsupport::TestEnv env;
        testsupport::ScriptedPrompter p;
        WriteLog(QStringLiteral("first 010-1234-5678"));
        WriteLog(QStringLiteral("둘째"));
        QFile f(env.path(QStringLiteral("RCidLog")));
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(QString::fromUtf8(f.readAll()), QStringLiteral("first 010-1234-5678\r\n둘째\r\n"));
        QVERIFY(p.messages().isEmpty());
    }

    // A line the log cannot take whole is told, and the log keeps what it held before: no
    // cut line is left for the next one to be glued to.
    void writeLogFailureIsReported_data()
    {
        QTest::addColumn<bool>("folderInTheWay"); // a folder where the file should be
        QTest::addColumn<int>("room");            // bytes the file-size limit leaves past the older lines; -1: none
        QTest::newRow("a folder where the file should be") << true << -1;
        QTest::newRow("file-size limit at the end of the older lines") << false << 0;
        QTest::newRow("file-size limit inside the line") << false << 5;
    }
    void writeLogFailureIsReported()
    {
        QFETCH(bool, folderInTheWay);
        QFETCH(int, room);
        testsupport::TestEnv env;
        testsupport::ScriptedPrompter p;
        const QString log = env.path(QStringLiteral("RCidLog"));
        if (folderInTheWay)
            QDir().mkpath(log);
        else
            WriteLog(QStringLiteral("first"));
        {
            std::unique_ptr<testsupport::FileSizeLimit> limit;
            if (room >= 0)
                limit = std::make_unique<testsupport::FileSizeLimit>(rlim_t(QFileInfo(log).size() + room));
            WriteLog(QStringLiteral("010-1234-5678, R:192.168.0.10, L:192.168.0.2"));
        }
        QCOMPARE(p.messages().size(), 1);
        QVERIFY(p.lastMessage().text.contains(QStringLiteral("in procedure WriteLog of Module modMain")));
        if (folderInTheWay)
            return;
        WriteLog(QStringLiteral("next"));
        QFile f(log);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("first\r\nnext\r\n"));
    }
};

QTEST_MAIN(TestModCommon)
#include "tst_modCommon.moc"
