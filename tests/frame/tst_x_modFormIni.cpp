#include "frame/modFormIni.h"
#include "frame/modFrmCtrl.h"
#include "frame/modMain.h"
#include "platform/IniFile.h"
#include "support/TestEnv.h"
#include "support/XDesktop.h"

#include <QDir>
#include <QFileInfo>
#include <QScreen>
#include <QLabel>
#include <QProcess>
#include <QVBoxLayout>
#include <QtTest>

// Layout files on an X server with a window manager, where a window gets its frame only
// after it is shown: a window restored from its file and saved again unmoved writes back
// what it read.
class tst_x_modFormIni : public QObject {
    Q_OBJECT
    std::unique_ptr<testsupport::TestEnv> env;

    static QString file() { return FormIniFile(QStringLiteral("frmPlainTest")); }

    static QString twips(int px, bool horizontal)
    {
        return QString::number(px * (horizontal ? TwipsPerPixelX() : TwipsPerPixelY()), 'g', 7);
    }

    static bool writeLayout(const QRect& outer, bool maximised = false)
    {
        QDir().mkpath(QFileInfo(file()).absolutePath());
        platform::IniFile f(file());
        if (!f.load())
            return false;
        const QString s = QStringLiteral("FormPosition");
        f.setValue(s, QStringLiteral("WindowState"), maximised ? QStringLiteral("2") : QStringLiteral("0"));
        f.setValue(s, QStringLiteral("Left"), twips(outer.x(), true));
        f.setValue(s, QStringLiteral("Top"), twips(outer.y(), false));
        f.setValue(s, QStringLiteral("Width"), twips(outer.width(), true));
        f.setValue(s, QStringLiteral("Height"), twips(outer.height(), false));
        return f.save();
    }

    static QRect storedPixels()
    {
        platform::IniFile f(file());
        f.load();
        auto v = [&f](const char* key) { return f.value(QStringLiteral("FormPosition"), QString::fromLatin1(key)).toDouble(); };
        return QRect(qRound(v("Left") / TwipsPerPixelX()), qRound(v("Top") / TwipsPerPixelY()),
                     qRound(v("Width") / TwipsPerPixelX()), qRound(v("Height") / TwipsPerPixelY()));
    }

    struct PlainWindow : QWidget {
        PlainWindow()
        {
            setObjectName(QStringLiteral("frmPlainTest"));
            auto* l = new QVBoxLayout(this);
            l->addWidget(new QLabel(QStringLiteral("창"), this));
        }
    };

private slots:
    void init()
    {
        gsTitle = QStringLiteral("TrelvoTest");
        env = std::make_unique<testsupport::TestEnv>();
    }
    void cleanup() { env.reset(); }

    // A window closed maximised opens maximised; restored, it has the frame it had before, and
    // it keeps that however often it is closed maximised. A frame stored on a larger screen
    // comes back cut down to this one, and the same at every start. A frame the user gives the
    // window as soon as it is back (moved or resized through the window manager) is kept.
    void restoredWindowSavesWhatItRead_data()
    {
        QTest::addColumn<QRect>("stored");
        QTest::addColumn<bool>("maximised");
        QTest::addColumn<QRect>("restored"); // empty: the stored frame
        QTest::addColumn<QRect>("userFrame"); // empty: the user leaves the window as it comes; at -1,-1: restored by the window manager
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        QTest::newRow("closed normal") << QRect(240, 160, 404, 350) << false << QRect() << QRect();
        QTest::newRow("closed maximised") << QRect(240, 160, 404, 350) << true << QRect() << QRect();
        QTest::newRow("closed maximised, high on the screen") << QRect(1, 1, 404, 350) << true << QRect() << QRect();
        QTest::newRow("closed maximised on a larger screen")
            << QRect(100, 80, area.width() + 120, area.height() + 200) << true << area << QRect();
        QTest::newRow("closed maximised, moved at once when restored")
            << QRect(240, 160, 404, 350) << true << QRect() << QRect(300, 210, 404, 350);
        QTest::newRow("closed maximised, made larger at once when restored")
            << QRect(240, 160, 404, 350) << true << QRect() << QRect(240, 160, 480, 400);
        // restored through the window manager, as the frame's button does, not by the program
        const QRect nearTheCorner(area.right() - 602, area.bottom() - 395, 602, 395);
        QTest::newRow("closed maximised near the corner, restored by the window manager")
            << nearTheCorner << true << QRect() << QRect(-1, -1, 0, 0);
    }
    void restoredWindowSavesWhatItRead()
    {
        QFETCH(QRect, stored);
        QFETCH(bool, maximised);
        QFETCH(QRect, restored);
        QFETCH(QRect, userFrame);
        QRect outer = restored.isEmpty() ? stored : restored;
        QVERIFY(writeLayout(stored, maximised));
        for (int session = 1; session <= 3; ++session) {
            PlainWindow w;
            LoadFormIni(&w, false);
            w.show();
            QVERIFY(testsupport::waitForFramed(&w));
            if (maximised) {
                QVERIFY(w.isMaximized());
                if (userFrame.topLeft() == QPoint(-1, -1))
                    QVERIFY(QProcess::execute(QStringLiteral("wmctrl"), {QStringLiteral("-i"), QStringLiteral("-r"),
                            QString::number(w.winId()), QStringLiteral("-b"), QStringLiteral("remove,maximized_vert,maximized_horz")}) == 0);
                else
                    w.showNormal(); // as the frame's restore button does
                if (!userFrame.isEmpty() && session == 1) { // moved before its restoring is looked at again
                    QTRY_COMPARE(testsupport::frameOf(&w), outer);
                    QVERIFY(testsupport::moveByWindowManager(&w, userFrame.topLeft()));
                    QVERIFY(testsupport::resizeByWindowManager(&w, userFrame.size()));
                    outer = userFrame;
                }
                QTRY_VERIFY(!w.property("trelvoFrameFitPending").toBool()); // fitted to its frame
                QVERIFY(testsupport::waitForFramed(&w));
            }
            QCOMPARE(testsupport::frameOf(&w), outer);
            SaveFormIni(&w);
            QCOMPARE(storedPixels(), outer);
            if (maximised) {
                w.showMaximized();
                QTRY_VERIFY(w.isMaximized());
                QVERIFY(testsupport::waitForFramed(&w));
                SaveFormIni(&w); // the state alone
                QCOMPARE(storedPixels(), outer);
            }
        }
    }

    void positionOnlyRestoresThePlace()
    {
        const QRect outer(300, 200, 520, 410);
        QVERIFY(writeLayout(outer));
        PlainWindow w;
        w.resize(380, 260);
        LoadFormIni(&w, true);
        w.show();
        QVERIFY(testsupport::waitForFramed(&w));
        QCOMPARE(testsupport::frameOf(&w).topLeft(), outer.topLeft());
        QCOMPARE(w.size(), QSize(380, 260));
    }

    void aMovedWindowSavesItsNewPlace()
    {
        const QRect outer(240, 160, 404, 350);
        QVERIFY(writeLayout(outer));
        PlainWindow w;
        LoadFormIni(&w, false);
        w.show();
        QVERIFY(testsupport::waitForFramed(&w));
        QVERIFY(testsupport::moveByWindowManager(&w, QPoint(420, 300)));
        SaveFormIni(&w);
        QCOMPARE(storedPixels(), QRect(QPoint(420, 300), outer.size()));
    }

    // The window manager may announce a window's frame after Qt has handled a move of it; the
    // widget then still holds "no frame". What is saved, and what a layout read into the shown
    // window places, is the frame all the same; saved from the inside, the window would open
    // smaller and lower each time.
    void aFrameAnnouncedLateIsStillTheFrame()
    {
        const QRect outer(240, 160, 404, 350);
        QVERIFY(writeLayout(outer));
        PlainWindow w;
        LoadFormIni(&w, false);
        w.show();
        QVERIFY(testsupport::leaveWidgetsFrameBehind(&w));
        const QRect frame = testsupport::frameOf(&w);
        SaveFormIni(&w);
        QCOMPARE(storedPixels(), frame);

        QVERIFY(writeLayout(QRect(QPoint(300, 220), frame.size())));
        LoadFormIni(&w, false);
        QTRY_COMPARE(testsupport::frameOf(&w), QRect(QPoint(300, 220), frame.size()));
    }

    // A window hidden and shown again gets its frame that way each time: its layout is read
    // into it while hidden, and saved once it is back.
    void aWindowShownAgainKeepsItsFrame()
    {
        QVERIFY(writeLayout(QRect(240, 160, 404, 350)));
        PlainWindow w;
        LoadFormIni(&w, false);
        w.show();
        QVERIFY(testsupport::waitForFramed(&w));
        const QRect frame = testsupport::frameOf(&w);
        for (const QPoint to : {QPoint(280, 190), QPoint(200, 150)}) {
            w.hide();
            QVERIFY(writeLayout(QRect(to, frame.size())));
            LoadFormIni(&w, false);
            w.show();
            QVERIFY(testsupport::waitForFramed(&w));
            QCOMPARE(testsupport::frameOf(&w), QRect(to, frame.size()));
            SaveFormIni(&w);
            QCOMPARE(storedPixels(), QRect(to, frame.size()));
        }
    }
};

QTEST_MAIN(tst_x_modFormIni)
#include "tst_x_modFormIni.moc"
