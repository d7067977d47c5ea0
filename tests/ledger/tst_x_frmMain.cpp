#include "LedgerFixture.h"

#include "frame/modFormIni.h"
#include "frame/modFrmCtrl.h"
#include "callerid/FrmEasySMS.h"
#include "callerid/FrmTelList.h"
#include "ledger/FrmNVGraph.h"
#include "ledger/FrmTradeGraph.h"
#include "ledger/frmMain.h"
#include "platform/ActiveSMS.h"
#include "platform/FormRegistry.h"
#include "platform/IniFile.h"
#include "support/DrawnText.h"
#include "support/Workstations.h"
#include "support/XDesktop.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>
#include <QScrollBar>
#include <QStyleOptionSlider>
#include <QMenu>
#include <QToolButton>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QScreen>
#include <QtTest>

// A message service that is on line, so that the message window opens.
class OnlineSMS : public platform::ActiveSMS {
public:
    int Connect() override { return 0; }
};

// The main window on an X server with a window manager: the geometry it was left with is the
// geometry it opens with, session after session; the windows it opens open whole on the
// screen; Qt's own menus and dialogs speak Korean.
class tst_x_frmMain : public QObject, ledgertest::MainWindowFixture {
    Q_OBJECT

    static QByteArray fileBytes(const QString& path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    static QString twipsText(int px, bool horizontal)
    {
        return QString::number(px * (horizontal ? TwipsPerPixelX() : TwipsPerPixelY()), 'g', 7);
    }

    // A layout file as a closing session writes it: outer position and size in twips.
    static bool writeLayout(const QRect& outer)
    {
        const QString ini = FormIniFile(QStringLiteral("frmMain"));
        QDir().mkpath(QFileInfo(ini).absolutePath());
        platform::IniFile f(ini);
        if (!f.load())
            return false;
        const QString s = QStringLiteral("FormPosition");
        f.setValue(s, QStringLiteral("WindowState"), QStringLiteral("0"));
        f.setValue(s, QStringLiteral("Left"), twipsText(outer.x(), true));
        f.setValue(s, QStringLiteral("Top"), twipsText(outer.y(), false));
        f.setValue(s, QStringLiteral("Width"), twipsText(outer.width(), true));
        f.setValue(s, QStringLiteral("Height"), twipsText(outer.height(), false));
        return f.save();
    }

    static QString stored(const QString& key)
    {
        platform::IniFile f(FormIniFile(QStringLiteral("frmMain")));
        f.load();
        return f.value(QStringLiteral("FormPosition"), key);
    }

    // Whether the screen shows the floating message: its 425 x 50 frame, drawn in its border
    // colour, with the message's light face inside.
    static bool floatingMessageOnScreen()
    {
        const QImage img = QGuiApplication::primaryScreen()->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
        const QRgb border = qRgb(0x5A, 0x82, 0xB4);
        for (int y = 0; y + 49 < img.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
            for (int x = 0, run = 0; x < img.width(); ++x) {
                run = (line[x] & 0xFFFFFF) == (border & 0xFFFFFF) ? run + 1 : 0;
                if (run != 425)
                    continue;
                const int left = x - 424;
                const auto* bottom = reinterpret_cast<const QRgb*>(img.constScanLine(y + 49));
                bool whole = true;
                for (int i = left; i <= x && whole; ++i)
                    whole = (bottom[i] & 0xFFFFFF) == (border & 0xFFFFFF);
                if (whole && qGray(img.pixel(left + 4, y + 4)) > 200)
                    return true;
            }
        }
        return false;
    }

    static bool hasHangul(const QString& s)
    {
        return std::any_of(s.begin(), s.end(), [](QChar c) { return c.unicode() >= 0xAC00 && c.unicode() <= 0xD7A3; });
    }

    // The item texts of the context menu a right click on the control opens (the menu is
    // closed again); empty when no menu opened.
    static QStringList contextMenuTexts(QWidget* control)
    {
        const QPoint at(4, control->height() / 2);
        QContextMenuEvent right(QContextMenuEvent::Mouse, at, control->mapToGlobal(at));
        QApplication::sendEvent(control, &right);
        QMenu* menu = nullptr;
        QStringList texts;
        if (!QTest::qWaitFor([&] { return (menu = qobject_cast<QMenu*>(QApplication::activePopupWidget())) != nullptr; }))
            return texts;
        for (QAction* a : menu->actions())
            if (!a->isSeparator())
                texts << a->text().section(QLatin1Char('\t'), 0, 0);
        menu->close();
        return texts;
    }

    // Where a window goes that nothing else places: centred on the main window, moved
    // inside the available screen area where it does not fit there.
    static QPoint expectedOpening(const QRect& main, const QSize& outer, const QRect& area)
    {
        auto fit = [](int start, int length, int size, int first, int room) {
            return std::max(first, std::min(start + (length - size) / 2, first + room - size));
        };
        return QPoint(fit(main.x(), main.width(), outer.width(), area.left(), area.width()),
                      fit(main.y(), main.height(), outer.height(), area.top(), area.height()));
    }

    // The window opens whole on the screen, centred on the main window where it fits there.
    // Given the size the window is made with (designed), it opens at that size where it fits
    // on the screen and is cut down to the screen where it does not, never below its minimum.
    static bool opensInside(QWidget* w, const QRect& main, QString& why, const QSize& designed = QSize())
    {
        if (!w || !testsupport::waitForFramed(w)) {
            why = QStringLiteral("the window did not open");
            return false;
        }
        const QRect area = w->screen()->availableGeometry();
        const QRect got = testsupport::frameOf(w);
        const QSize frame = got.size() - w->size();
        const QPoint want = expectedOpening(main, got.size(), area);
        const QSize wantSize = designed.isValid()
            ? (designed + frame).boundedTo(area.size()).expandedTo(w->minimumSize() + frame) : got.size();
        why = QStringLiteral("%1 opened at %2,%3 %4x%5, expected at %6,%7 %8x%9 (main window %10,%11 %12x%13)")
                  .arg(w->objectName())
                  .arg(got.x()).arg(got.y()).arg(got.width()).arg(got.height())
                  .arg(want.x()).arg(want.y()).arg(wantSize.width()).arg(wantSize.height())
                  .arg(main.x()).arg(main.y()).arg(main.width()).arg(main.height());
        return area.contains(got) && (got.topLeft() - want).manhattanLength() <= 2 && got.size() == wantSize
            && w->width() >= w->minimumWidth() && w->height() >= w->minimumHeight();
    }

    // The size a window of this kind is made with, before anything fits it to a screen.
    template <class W>
    static QSize designedSize()
    {
        W probe;
        probe.ensurePolished();
        if (!probe.testAttribute(Qt::WA_Resized))
            probe.adjustSize();
        return probe.size();
    }

    // The part of a window's inner area that shows on the screen as the window draws itself
    // (1: nothing lies over it).
    static double shownFraction(QWidget* w)
    {
        const QImage own = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QRect r = w->geometry();
        const QImage seen = w->screen()->grabWindow(0, r.x(), r.y(), r.width(), r.height()).toImage()
                                .convertToFormat(QImage::Format_RGB32);
        if (own.size() != seen.size() || own.isNull())
            return 0;
        qint64 same = 0;
        for (int y = 0; y < own.height(); ++y)
            for (int x = 0; x < own.width(); ++x)
                same += own.pixel(x, y) == seen.pixel(x, y);
        return double(same) / (qint64(own.width()) * own.height());
    }

    bool closeWindow(frmMain* w)
    {
        prompter->modalAnswers.enqueue(backupAnswer(2));
        return w->close();
    }

    // The middle of a part of a scroll bar (an arrow, the groove before or after the thumb)
    // on the screen.
    static QPoint scrollBarPart(QScrollBar* bar, QStyle::SubControl part)
    {
        QStyleOptionSlider opt;
        opt.initFrom(bar);
        opt.orientation = bar->orientation();
        if (bar->orientation() == Qt::Horizontal)
            opt.state |= QStyle::State_Horizontal;
        opt.minimum = bar->minimum();
        opt.maximum = bar->maximum();
        opt.sliderPosition = bar->sliderPosition();
        opt.sliderValue = bar->value();
        opt.singleStep = bar->singleStep();
        opt.pageStep = bar->pageStep();
        opt.upsideDown = bar->invertedAppearance();
        const QRect r = bar->style()->subControlRect(QStyle::CC_ScrollBar, &opt, part, bar);
        return bar->mapToGlobal(r.center());
    }

private slots:
    void init() { QVERIFY(setUpMain(ledgertest::oldMainSchema())); }
    void cleanup() { tearDownMain(); }

    void openingAndClosingKeepsTheStoredGeometry()
    {
        const QRect outer(100, 80, 1124, 770);
        QVERIFY(writeLayout(outer));
        const QString ini = FormIniFile(QStringLiteral("frmMain"));
        const QByteArray before = fileBytes(ini);
        for (int session = 1; session <= 3; ++session) {
            auto w = start();
            QVERIFY(w);
            w->show();
            QVERIFY(testsupport::waitForFramed(w.get()));
            QCOMPARE(testsupport::frameOf(w.get()), outer);
            QVERIFY(closeWindow(w.get()));
            QCOMPARE(fileBytes(ini), before);
        }
    }

    // The program started while another workstation holds the database: from half a second
    // of waiting on, the floating message is on the screen (drawn, though the program is
    // busy waiting), and it goes when the open goes on.
    void aStartThatWaitsShowsTheFloatingMessage()
    {
        platform::SaveSetting(gsTitle, kEnvSection, QStringLiteral("db경로"), QFileInfo(dbFile).absolutePath());
        platform::SaveSetting(gsTitle, kEnvSection, QStringLiteral("db기초"), dbFile);
        QVERIFY(!floatingMessageOnScreen());
        const int holdMs = 5000;
        auto holder = testsupport::Workstations::holdLock(dbFile, holdMs);
        QElapsedTimer held;
        held.start();
        QProcess program;
        QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
        e.insert(QStringLiteral("TRELVO_SETTINGS_DIR"), env->settingsFolder());
        e.insert(QStringLiteral("HOME"), env->folder());
        program.setProcessEnvironment(e);
        program.start(QStringLiteral(TRELVO_BINARY_DIR "/bin/trelvo"), {});
        QVERIFY(program.waitForStarted());
        QTRY_VERIFY_WITH_TIMEOUT(floatingMessageOnScreen() || held.elapsed() > holdMs - 500, holdMs);
        QVERIFY2(held.elapsed() < holdMs - 500, "no floating message while the start waited");
        QVERIFY(holder->waitForFinished(10000));
        QTRY_VERIFY_WITH_TIMEOUT(!floatingMessageOnScreen(), 5000);
        QCOMPARE(program.state(), QProcess::Running); // at the login window
        program.kill();
        program.waitForFinished(5000);
    }

    void aMoveByTheUserIsStoredAsLeft()
    {
        const QRect outer(100, 80, 1124, 770);
        QVERIFY(writeLayout(outer));
        const QPoint movedTo(260, 110); // the whole frame on the screen
        {
            auto w = start();
            QVERIFY(w);
            w->show();
            QVERIFY(testsupport::waitForFramed(w.get()));
            QVERIFY(testsupport::moveByWindowManager(w.get(), movedTo));
            QVERIFY(closeWindow(w.get()));
        }
        QCOMPARE(stored(QStringLiteral("Left")), twipsText(movedTo.x(), true));
        QCOMPARE(stored(QStringLiteral("Top")), twipsText(movedTo.y(), false));
        QCOMPARE(stored(QStringLiteral("Width")), twipsText(outer.width(), true));
        QCOMPARE(stored(QStringLiteral("Height")), twipsText(outer.height(), false));
        {
            // ... and the next session opens it there.
            auto w = start();
            QVERIFY(w);
            w->show();
            QVERIFY(testsupport::waitForFramed(w.get()));
            QCOMPARE(testsupport::frameOf(w.get()), QRect(movedTo, outer.size()));
            QVERIFY(closeWindow(w.get()));
        }
    }

    void aResizeByTheUserIsStoredAsLeft()
    {
        QVERIFY(writeLayout(QRect(100, 80, 1124, 770)));
        const QSize resizedTo(900, 640);
        QRect left;
        {
            auto w = start();
            QVERIFY(w);
            w->show();
            QVERIFY(testsupport::waitForFramed(w.get()));
            QVERIFY(testsupport::resizeByWindowManager(w.get(), resizedTo));
            left = testsupport::frameOf(w.get());
            QVERIFY(closeWindow(w.get()));
        }
        QCOMPARE(left.size(), resizedTo);
        QCOMPARE(stored(QStringLiteral("Left")), twipsText(left.x(), true));
        QCOMPARE(stored(QStringLiteral("Top")), twipsText(left.y(), false));
        QCOMPARE(stored(QStringLiteral("Width")), twipsText(resizedTo.width(), true));
        QCOMPARE(stored(QStringLiteral("Height")), twipsText(resizedTo.height(), false));
        {
            auto w = start();
            QVERIFY(w);
            w->show();
            QVERIFY(testsupport::waitForFramed(w.get()));
            QCOMPARE(testsupport::frameOf(w.get()), left);
            QVERIFY(closeWindow(w.get()));
        }
    }

    // A ten-year period of a busy shop: the list has a vertical scroll bar, and the totals row
    // under it ends where the list's cells end, at every width and every sideways position,
    // so that it never shows a part of a column that the list above does not show. A total or
    // an amount or a date of a column the window's edge cuts is drawn whole or not at all: the
    // edge never leaves the beginning of a number (a total as wide as its column included).
    void totalsRowEndsWithTheListsCells()
    {
        QVERIFY(testsupport::runSqlScript(dbFile, QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 120000)"
            " INSERT INTO total (maeip_date, pro_code, pro_name, group_name, maeip_code, maeip_name, maeip_cost,"
            " maechul_date, maechul_code, maechul_name, maechul_cost, maechul_usecost)"
            " SELECT date('2014-03-21', '+' || (i % 3652) || ' days'), 0, '부품' || (i % 300), 'PC', 0, '공급사',"
            " 180000 + (i % 97) * 1000, date('2014-03-21', '+' || (i % 3652) || ' days'), 0, '거래처' || (i % 2000),"
            " 247000 + (i % 89) * 1000, 3000 FROM n;")));
        auto w = start(true);
        QVERIFY(w);
        w->spDate[0]->SetText(1, 1, QStringLiteral("2014-03-21"));
        w->btnRefresh->click();
        QCOMPARE(w->spList->MaxRows(), 120001);
        QVERIFY(testsupport::waitForFramed(w.get()));
        const QString shots = qEnvironmentVariable("TRELVO_SHOTS"); // screenshots to look at, when set
        for (int width : {800, 333}) {
            w->resize(width, 600);
            QTRY_COMPARE(w->width(), qMax(width, w->minimumWidth()));
            QTRY_VERIFY(w->spList->verticalScrollBar()->isVisible());
            QApplication::processEvents();
            const QRect list(w->spList->viewport()->mapTo(w.get(), QPoint()), w->spList->viewport()->size());
            auto totalsCells = [&] {
                return QRect(w->spTotal->viewport()->mapTo(w.get(), QPoint()), w->spTotal->viewport()->size());
            };
            QScrollBar* sideways = w->spList->horizontalScrollBar();
            if (!shots.isEmpty()) {
                QTest::qWait(200);
                for (int v : {sideways->maximum(), 0}) {
                    sideways->setValue(v);
                    QTest::qWait(100);
                    const QRect f = testsupport::frameOf(w.get());
                    w->screen()->grabWindow(0, f.x(), f.y(), f.width(), f.height())
                        .save(QStringLiteral("%1/totals-%2px-%3.png").arg(shots).arg(width).arg(v ? "right" : "left"));
                }
            }
            QTRY_COMPARE(totalsCells().right(), list.right());
            QCOMPARE(totalsCells().left(), list.left());
            static const QRegularExpression number(QStringLiteral("^-?[0-9][0-9,-]*$"));
            for (int v = sideways->minimum(); v <= sideways->maximum(); ++v) {
                sideways->setValue(v);
                QCOMPARE(w->spTotal->LeftCol(), w->spList->LeftCol());
                for (platform::SpreadGrid* grid : {w->spTotal, w->spList}) {
                    const QPoint at = grid->viewport()->mapTo(w.get(), QPoint());
                    for (const auto& run : testsupport::drawnText(grid->viewport())) {
                        const QRectF box = run.box.translated(at);
                        if (!number.match(run.text).hasMatch() || box.left() > list.right() || box.right() < list.left())
                            continue;
                        QVERIFY2(box.left() >= list.left() - 0.5 && box.right() <= list.right() + 1.5,
                                 qPrintable(QStringLiteral("%1 draws a part of \"%2\" at width %3, column %4: %5..%6 past %7..%8")
                                                .arg(grid->objectName(), run.text).arg(width).arg(v + 1)
                                                .arg(box.left()).arg(box.right()).arg(list.left()).arg(list.right())));
                    }
                }
                for (const auto& run : testsupport::drawnText(w->spTotal->viewport())) {
                    // the part of the run that is drawn, in the window
                    QRectF shown = run.box.intersected(QRectF(w->spTotal->viewport()->rect()));
                    if (!run.clip.isEmpty())
                        shown = shown.intersected(run.clip);
                    if (shown.isEmpty())
                        continue;
                    shown.translate(totalsCells().topLeft());
                    QVERIFY2(shown.left() >= list.left() - 0.5 && shown.right() <= list.right() + 1.5,
                             qPrintable(QStringLiteral("\"%1\" at width %2, column %3: %4..%5 outside %6..%7")
                                            .arg(run.text).arg(width).arg(v + 1).arg(shown.left()).arg(shown.right())
                                            .arg(list.left()).arg(list.right())));
                }
            }
        }
        QVERIFY(closeWindow(w.get()));
    }

    // The windows opened from the main window that neither store a position nor are placed
    // beside a control open inside the screen, centred on the main window wherever that
    // stands. The main window opens at its stored or designed size where that fits on the
    // screen, and so does every window it opens; one larger than the screen is cut down to it,
    // never below its minimum, and placed inside it. Run on a 1400x900 screen, and for the
    // smaller screens on 1024x768 and 800x600 as well.
    void unplacedWindowsOpenInsideTheScreen_data()
    {
        QTest::addColumn<QRect>("mainOuter"); // empty: no layout file, as at the first start
        const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
        QTest::newRow("first start") << QRect();
        if (screen.width() >= 1400) {
            QTest::newRow("main window high on the left") << QRect(20, 20, 900, 600);
            QTest::newRow("main window low on the screen") << QRect(150, 420, 1124, 470);
            QTest::newRow("main window at the right edge") << QRect(820, 150, 570, 700);
        } else {
            QTest::newRow("main window high on the left") << QRect(10, 10, screen.width() * 3 / 4, screen.height() * 2 / 3);
            QTest::newRow("main window low on the screen") << QRect(40, screen.height() / 3, screen.width() - 80,
                                                                    screen.height() - screen.height() / 3 - 10);
            QTest::newRow("main window at the right edge") << QRect(screen.width() / 2, 40, screen.width() / 2,
                                                                    screen.height() - 60);
        }
        QTest::newRow("layout as large as the screen") << QRect(QPoint(0, 0), screen);
        QTest::newRow("layout of a larger screen") << QRect(100, 80, 1124, 770);
        QTest::newRow("layout near the edge of a larger screen") << QRect(999, 480, 602, 395);
    }
    void unplacedWindowsOpenInsideTheScreen()
    {
        QFETCH(QRect, mainOuter);
        const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
        QVERIFY2(screen == QSize(1400, 900) || screen == QSize(1024, 768) || screen == QSize(800, 600),
                 "a screen of 1400x900, 1024x768 or 800x600 (TRELVO_X_SCREEN)");
        QVERIFY(testsupport::runSqlScript(dbFile, QStringLiteral(
            "INSERT INTO total (pro_name, group_name, maeip_cost, maechul_date, maechul_cost, maechul_usecost)"
            " VALUES ('사과', '과일', 1000, '2024-03-05', 1500, 0), ('배', '과일', 2000, '2024-03-06', 2600, 0);")));
        if (!mainOuter.isEmpty())
            QVERIFY(writeLayout(mainOuter));
        const QSize graphSize = designedSize<FrmNVGraph>();
        const QSize callListSize = designedSize<FrmTelList>();
        const QSize smsSize = designedSize<FrmEasySMS>();
        auto w = start();
        QVERIFY(w);
        const QSize designed = w->size();
        w->show();
        QVERIFY(testsupport::waitForFramed(w.get()));
        const QRect main = testsupport::frameOf(w.get());
        const QRect area = w->screen()->availableGeometry();
        // The main window, the first window of the desktop, is placed by the window manager.
        QVERIFY2(area.contains(main), qPrintable(QStringLiteral("the main window opens inside the screen, not at %1,%2 %3x%4")
                                                     .arg(main.x()).arg(main.y()).arg(main.width()).arg(main.height())));
        if (mainOuter.isEmpty()) {
            QCOMPARE(main.size(), (designed + main.size() - w->size()).boundedTo(area.size()));
        } else if (area.contains(mainOuter)) {
            QCOMPARE(main, mainOuter); // a stored layout that fits is kept exactly
        } else {
            const QSize size = mainOuter.size().boundedTo(area.size());
            QCOMPARE(main.size(), size);
            QCOMPARE(main.topLeft(), QPoint(qBound(area.left(), mainOuter.x(), area.right() + 1 - size.width()),
                                            qBound(area.top(), mainOuter.y(), area.bottom() + 1 - size.height())));
        }
        QString why;

        w->btnGraph->click();
        auto* analysis = qobject_cast<FrmTradeGraph*>(platform::FormRegistry::instance().find(QStringLiteral("FrmTradeGraph")));
        QVERIFY2(opensInside(analysis, main, why), qPrintable(why));
        const QRect analysisAt = testsupport::frameOf(analysis);
        analysis->btnGraph->click();
        QVERIFY2(opensInside(analysis->GraphWindow(), main, why, graphSize), qPrintable(why));
        // The analysis window, kept above the graph now, stays where it opened.
        QVERIFY(testsupport::waitForFramed(analysis));
        QCOMPARE(testsupport::frameOf(analysis), analysisAt);

        w->cmdTelList->click();
        QVERIFY2(opensInside(FrmTelList::Instance(), main, why, callListSize), qPrintable(why));

        FrmEasySMS::SetControlFactory([] { return std::make_unique<OnlineSMS>(); });
        w->cmdSMS->click();
        FrmEasySMS::SetControlFactory({});
        QVERIFY2(opensInside(FrmEasySMS::Instance(), main, why, smsSize), qPrintable(why));

        QVERIFY(closeWindow(w.get()));
        // The windows closed with it are gone before the next session.
        QTRY_VERIFY(!platform::FormRegistry::instance().find(QStringLiteral("FrmTradeGraph"))
                    && !FrmTelList::Instance() && !FrmEasySMS::Instance());
    }

    // The analysis window stays above the graph window; the dialogs the graph window opens
    // (print, colour) still show above both.
    void graphWindowDialogsShowAboveTheAnalysisWindow()
    {
        QVERIFY(testsupport::runSqlScript(dbFile, QStringLiteral(
            "INSERT INTO total (pro_name, group_name, maeip_cost, maechul_date, maechul_cost, maechul_usecost)"
            " VALUES ('사과', '과일', 1000, '2024-03-05', 1500, 0);")));
        auto w = start();
        QVERIFY(w);
        w->show();
        QVERIFY(testsupport::waitForFramed(w.get()));
        w->btnGraph->click();
        auto* analysis = qobject_cast<FrmTradeGraph*>(platform::FormRegistry::instance().find(QStringLiteral("FrmTradeGraph")));
        QVERIFY(analysis);
        analysis->btnGraph->click();
        FrmNVGraph* graph = analysis->GraphWindow();
        QVERIFY(graph && testsupport::waitForFramed(graph));
        QVERIFY(testsupport::waitForFramed(analysis));

        prompter.reset(); // the dialogs as the user gets them
        QMap<QString, double> shown;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* d = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!d || !d->isVisible())
                return;
            poll.stop();
            if (testsupport::waitForFramed(d)) {
                QTest::qWait(200);
                shown[QString::fromLatin1(d->metaObject()->className())] = shownFraction(d);
            }
            d->reject();
        });
        poll.start(50);
        graph->activateWindow();
        QTest::keyClick(graph, Qt::Key_F7);
        poll.start(50);
        graph->btnColor[1]->click();
        poll.stop();
        prompter = std::make_unique<testsupport::ScriptedPrompter>();
        QCOMPARE(shown.keys(), QStringList({QStringLiteral("QColorDialog"), QStringLiteral("QPrintDialog")}));
        for (auto it = shown.cbegin(); it != shown.cend(); ++it)
            QVERIFY2(it.value() > 0.9, qPrintable(QStringLiteral("%1 shows %2 of itself").arg(it.key()).arg(it.value())));
        QVERIFY(closeWindow(w.get()));
        QTRY_VERIFY(!platform::FormRegistry::instance().find(QStringLiteral("FrmTradeGraph")));
    }

    // Qt's own context menu of a text box speaks the program's language, in a field of the
    // search bar and in the grid cell being edited alike.
    void contextMenusOfTextBoxesAreKorean()
    {
        auto w = start(true);
        QVERIFY(w);
        QLineEdit* cell = w->spList->editorWidget();
        QVERIFY(cell);
        for (QWidget* box : {static_cast<QWidget*>(w->txtCName), static_cast<QWidget*>(cell)}) {
            const QStringList texts = contextMenuTexts(box);
            QVERIFY2(texts.size() >= 6, qPrintable(box->objectName() + QStringLiteral(": ") + texts.join(u'|')));
            for (const QString& t : texts)
                QVERIFY2(hasHangul(t), qPrintable(box->objectName() + QStringLiteral(": ") + t));
        }
        QVERIFY(closeWindow(w.get()));
    }

    // The controls of the search bar and toolbar as the user sees them: every field, button,
    // box and caption.
    static QList<QWidget*> searchBarControls(frmMain* w)
    {
        QList<QWidget*> list;
        for (int i = 0; i < 2; ++i)
            list << w->spDate[i] << w->udDateCng[i] << w->btnMonthView[i];
        list << w->chkChain << w->txtPName << w->cmbGroup << w->chkNoSale << w->cmbGu << w->txtCName << w->txtCode
             << w->btnRefresh << w->btnPrint << w->btnGraph << w->btnPasswd << w->btnExit << w->chkUseRinglet
             << w->cmdTelList << w->cmbGetRinglet << w->cmdSMS;
        for (QLabel* l : w->pnlTop->findChildren<QLabel*>())
            if (!l->text().isEmpty())
                list << l;
        return list;
    }

    // The list at 800 px, wider than the window and longer: each click with the mouse on a
    // scroll bar's arrow or groove moves the view on, up to the last column (판매경비, 마진)
    // and the first row, and leaves the current cell with its open editor where it is. The
    // first key typed brings the cell back into view.
    void scrollBarsMoveTheViewOnly()
    {
        QVERIFY(testsupport::runSqlScript(dbFile, ledgertest::sameVouchersSql(40)));
        auto w = start(true);
        QVERIFY(w);
        QVERIFY(testsupport::waitForFramed(w.get()));
        w->resize(800, 600);
        QTRY_COMPARE(w->width(), 800);
        platform::SpreadGrid* g = w->spList;
        QTRY_VERIFY(g->IsEditing() && g->editorWidget()->hasFocus());
        const int col = g->ActiveCol(), row = g->ActiveRow();
        QCOMPARE(row, 41);
        QScrollBar* sideways = g->horizontalScrollBar();
        QScrollBar* upDown = g->verticalScrollBar();
        QTRY_VERIFY(sideways->isVisible() && upDown->isVisible());
        QVERIFY(sideways->maximum() >= 3);
        QVERIFY(upDown->value() > 3);
        const QString shots = qEnvironmentVariable("TRELVO_SHOTS"); // screenshots to look at, when set
        auto shoot = [&](const QString& name) {
            if (shots.isEmpty())
                return;
            QTest::qWait(200); // drawn on the screen
            const QRect f = testsupport::frameOf(w.get());
            w->screen()->grabWindow(0, f.x(), f.y(), f.width(), f.height())
                .save(QStringLiteral("%1/scroll-%2.png").arg(shots, name));
        };
        // Clicks a part of a bar until the bar reaches end: each click moves it at least one
        // step that way, and leaves the cell and its editor as they were. Empty when it does.
        auto clickUntil = [&](QScrollBar* bar, QStyle::SubControl part, int end) {
            for (int i = 0; i < 40 && bar->value() != end; ++i) {
                const int before = bar->value();
                if (!testsupport::clickWithPointer(scrollBarPart(bar, part)))
                    return QStringLiteral("no click");
                QTest::qWait(100);
                if (end > before ? bar->value() <= before : bar->value() >= before)
                    return QStringLiteral("at %1 after %2").arg(bar->value()).arg(before);
                if (g->ActiveCol() != col || g->ActiveRow() != row)
                    return QStringLiteral("the cell moved to %1,%2").arg(g->ActiveCol()).arg(g->ActiveRow());
                if (!g->IsEditing() || QApplication::focusWidget() != g->editorWidget())
                    return QStringLiteral("the editor lost the focus");
            }
            return bar->value() == end ? QString() : QStringLiteral("stopped at %1").arg(bar->value());
        };
        auto headersShown = [&] {
            QStringList shown;
            const QRectF view(g->viewport()->rect());
            for (const auto& run : testsupport::drawnText(g->viewport()))
                if (view.contains(run.box))
                    shown << run.text;
            return shown;
        };
        QString fault = clickUntil(sideways, QStyle::SC_ScrollBarAddLine, sideways->maximum());
        QVERIFY2(fault.isEmpty(), qPrintable(QStringLiteral("right arrow: ") + fault));
        QVERIFY(headersShown().contains(QStringLiteral("판매경비")));
        QVERIFY(headersShown().contains(QStringLiteral("마진")));
        QCOMPARE(w->spTotal->LeftCol(), g->LeftCol());
        shoot(QStringLiteral("right-arrow"));
        fault = clickUntil(sideways, QStyle::SC_ScrollBarSubPage, 0);
        QVERIFY2(fault.isEmpty(), qPrintable(QStringLiteral("groove left of the thumb: ") + fault));
        fault = clickUntil(sideways, QStyle::SC_ScrollBarAddPage, sideways->maximum());
        QVERIFY2(fault.isEmpty(), qPrintable(QStringLiteral("groove right of the thumb: ") + fault));
        fault = clickUntil(upDown, QStyle::SC_ScrollBarSubLine, 0);
        QVERIFY2(fault.isEmpty(), qPrintable(QStringLiteral("up arrow: ") + fault));
        shoot(QStringLiteral("up-arrow"));
        fault = clickUntil(upDown, QStyle::SC_ScrollBarAddPage, upDown->maximum());
        QVERIFY2(fault.isEmpty(), qPrintable(QStringLiteral("groove below the thumb: ") + fault));
        fault = clickUntil(upDown, QStyle::SC_ScrollBarSubPage, 0);
        QVERIFY2(fault.isEmpty(), qPrintable(QStringLiteral("groove above the thumb: ") + fault));
        // F4 acts on the cell the user sees: the cell comes into view before the message.
        auto cellInView = [&] {
            return g->editorWidget() && g->viewport()->rect().contains(g->editorWidget()->geometry());
        };
        QVERIFY(!cellInView());
        prompter->clear();
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F4);
        QCOMPARE(prompter->messages().value(0).text, QStringLiteral("삭제할 전표자료를 선택하세요."));
        QVERIFY(cellInView());
        fault = clickUntil(upDown, QStyle::SC_ScrollBarSubPage, 0);
        QVERIFY2(fault.isEmpty(), qPrintable(QStringLiteral("groove above the thumb, again: ") + fault));
        QVERIFY(!cellInView());
        // Typing goes into the cell, which comes back into view.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A);
        QCOMPARE(g->editorWidget()->text(), QStringLiteral("a"));
        QVERIFY(cellInView());
        QVERIFY(g->LeftCol() <= col);
        shoot(QStringLiteral("typed"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QVERIFY(closeWindow(w.get()));
    }

    void searchBarControlsNeverCoverEachOther()
    {
        auto w = start();
        QVERIFY(w);
        w->show();
        QVERIFY(testsupport::waitForFramed(w.get()));
        const QList<QWidget*> controls = searchBarControls(w.get());
        QVERIFY(controls.size() > 20);
        for (int width : {w->minimumWidth(), 400, 520, 640, 800, 1000, 1260}) {
            w->resize(width, 700);
            QTRY_COMPARE(w->width(), width);
            QApplication::processEvents();
            const QRect bar(w->pnlTop->mapTo(w.get(), QPoint()), w->pnlTop->size());
            QVERIFY(bar.bottom() < w->spList->y());
            QList<QPair<QWidget*, QRect>> shown;
            for (QWidget* c : controls) {
                if (!c->isVisibleTo(w.get()))
                    continue;
                const QRect r(c->mapTo(w.get(), QPoint()), c->size());
                const QString what = QStringLiteral("%1 \"%2\" at width %3")
                                         .arg(c->objectName(), c->property("text").toString())
                                         .arg(width);
                QVERIFY2(bar.contains(r), qPrintable(what + QStringLiteral(" lies outside the bar")));
                // Captions, check boxes and buttons show their whole text.
                if (qobject_cast<QLabel*>(c) || qobject_cast<QAbstractButton*>(c))
                    QVERIFY2(c->width() >= c->sizeHint().width(), qPrintable(what + QStringLiteral(" is cut")));
                else
                    QVERIFY2(c->width() >= c->minimumSizeHint().width(),
                             qPrintable(what + QStringLiteral(" is squeezed")));
                for (const auto& other : shown)
                    QVERIFY2(!r.intersects(other.second),
                             qPrintable(what + QStringLiteral(" covers ") + other.first->objectName() + QStringLiteral(" \"")
                                        + other.first->property("text").toString() + QStringLiteral("\"")));
                shown << qMakePair(c, r);
            }
        }
        QVERIFY(closeWindow(w.get()));
    }

    void partyBoxesNeverCoverEachOther()
    {
        auto w = start();
        QVERIFY(w);
        w->show();
        QVERIFY(testsupport::waitForFramed(w.get()));
        w->DispClientInfo(1, 40000);
        QList<QWidget*> controls;
        for (QWidget* c : w->pnlBottom->findChildren<QWidget*>())
            if (qobject_cast<QLabel*>(c) || qobject_cast<QAbstractButton*>(c))
                controls << c;
        QVERIFY(controls.size() > 20);
        for (int height : {w->minimumHeight(), 700}) {
            for (int width : {w->minimumWidth(), 400, 520, 640, 800, 1260}) {
                w->resize(width, height);
                QTRY_COMPARE(w->size(), QSize(width, height));
                QApplication::processEvents();
                const QRect panel(w->pnlBottom->mapTo(w.get(), QPoint()), w->pnlBottom->size());
                QVERIFY(w->rect().contains(panel));
                QList<QPair<QWidget*, QRect>> shown;
                for (QWidget* c : controls) {
                    if (!c->isVisibleTo(w.get()))
                        continue;
                    const QRect r(c->mapTo(w.get(), QPoint()), c->size());
                    const QString what = QStringLiteral("%1 \"%2\" at %3x%4")
                                             .arg(c->objectName(), c->property("text").toString())
                                             .arg(width)
                                             .arg(height);
                    const bool caption = c->objectName().isEmpty() || qobject_cast<QAbstractButton*>(c);
                    if (caption)
                        QVERIFY2(c->width() >= c->sizeHint().width() && c->height() >= c->minimumSizeHint().height(),
                                 qPrintable(what + QStringLiteral(" is cut")));
                    for (const auto& other : shown)
                        QVERIFY2(!r.intersects(other.second),
                                 qPrintable(what + QStringLiteral(" covers ") + other.first->objectName()
                                            + QStringLiteral(" \"") + other.first->property("text").toString()
                                            + QStringLiteral("\"")));
                    shown << qMakePair(c, r);
                }
            }
        }
        QVERIFY(closeWindow(w.get()));
    }
};

QTEST_MAIN(tst_x_frmMain)
#include "tst_x_frmMain.moc"
