#include "frame/modComboBox.h"
#include "frame/modFrmCtrl.h"
#include "frame/modMain.h"
#include "platform/FormRegistry.h"
#include "support/ScriptedPrompter.h"

#include <QAbstractItemView>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QVBoxLayout>
#include <QtTest>

class TestModFrmCtrl : public QObject {
    Q_OBJECT
private slots:
    void init() { gsTitle = QStringLiteral("TrelvoTest"); }

    void placement_data()
    {
        QTest::addColumn<long>("h");
        QTest::addColumn<long>("v");
        QTest::addColumn<QPoint>("expected");
        // Anchor at (100, 200), 80 x 20; window 300 x 150.
        QTest::newRow("left aligned, below") << 0L << 3L << QPoint(100, 220);
        QTest::newRow("right aligned, above") << 1L << 4L << QPoint(100 + 80 - 300, 200 - 150);
        QTest::newRow("centred, centred") << 2L << 5L << QPoint(100 - (300 - 80) / 2, 200 - (150 - 20) / 2);
        QTest::newRow("left, top aligned") << 0L << 6L << QPoint(100, 200);
        QTest::newRow("unknown modes") << 7L << -1L << QPoint(0, 0);
    }

    void placement()
    {
        QFETCH(long, h);
        QFETCH(long, v);
        QFETCH(QPoint, expected);
        const QRect anchor(100, 200, 80, 20);
        const QRect screen(0, 0, 1024, 768);
        QCOMPARE(ComputeFormPosition(true, anchor, QSize(300, 150), screen, h, v, 0, 0), expected);
        QCOMPARE(ComputeFormPosition(true, anchor, QSize(300, 150), screen, h, v, 5, -7), expected + QPoint(5, -7));
    }

    void placementWithoutAnchor()
    {
        const QRect screen(0, 0, 1024, 768);
        QCOMPARE(ComputeFormPosition(false, QRect(), QSize(300, 150), screen, 0, 3, 0, 0), QPoint(362, 309));
        // Not kept inside the screen.
        QCOMPARE(ComputeFormPosition(true, QRect(1000, 760, 80, 20), QSize(300, 150), screen, 0, 3, 0, 0),
                 QPoint(1000, 780));
    }

    // A window nothing places: centred on the main window, kept inside the available area; a
    // window larger than the area is cut down to it, never below its minimum size.
    void openingPosition_data()
    {
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QRect>("owner");
        QTest::addColumn<QSize>("outer");
        QTest::addColumn<QSize>("minimum");
        QTest::addColumn<QRect>("expected");
        const QRect wide(0, 24, 1400, 876); // a panel at the top
        const QSize small(335, 359);
        QTest::newRow("centred on the owner") << wide << QRect(100, 50, 1000, 700) << QSize(400, 300) << small
                                              << QRect(400, 250, 400, 300);
        QTest::newRow("no owner: centred in the area") << wide << QRect() << QSize(400, 300) << small
                                                       << QRect(500, 312, 400, 300);
        QTest::newRow("owner low: moved up") << wide << QRect(150, 420, 1124, 470) << QSize(906, 646) << small
                                             << QRect(259, 254, 906, 646);
        QTest::newRow("owner at the right: moved left") << wide << QRect(820, 150, 570, 700) << QSize(700, 300)
                                                        << small << QRect(700, 350, 700, 300);
        QTest::newRow("as large as the area: kept") << wide << QRect(100, 50, 1000, 700) << QSize(1400, 876)
                                                    << small << wide;
        QTest::newRow("larger than the area: cut down to it") << wide << QRect(100, 50, 1000, 700)
                                                              << QSize(1500, 1000) << small << wide;
        const QRect xga(0, 0, 1024, 768);
        QTest::newRow("1024x768: main window of the first start") << xga << QRect() << QSize(1122, 745) << small
                                                                  << QRect(0, 11, 1024, 745);
        QTest::newRow("1024x768: call list on a low owner") << xga << QRect(20, 300, 900, 468) << QSize(1022, 585)
                                                            << QSize(467, 303) << QRect(0, 183, 1022, 585);
        const QRect svga(0, 0, 800, 600);
        QTest::newRow("800x600: graph cut down to the area") << svga << QRect(10, 10, 600, 400) << QSize(902, 625)
                                                             << small << svga;
        QTest::newRow("800x600: call list cut in width only") << svga << QRect(100, 100, 700, 500)
                                                              << QSize(1022, 585) << QSize(467, 303)
                                                              << QRect(0, 15, 800, 585);
        QTest::newRow("800x600: minimum larger than the area") << svga << QRect(100, 100, 700, 500)
                                                               << QSize(1022, 700) << QSize(850, 650)
                                                               << QRect(0, 0, 850, 650);
        QTest::newRow("area away from the origin") << QRect(1400, 0, 800, 576) << QRect(1500, 100, 600, 400)
                                                   << QSize(902, 625) << small << QRect(1400, 0, 800, 576);
    }
    void openingPosition()
    {
        QFETCH(QRect, area);
        QFETCH(QRect, owner);
        QFETCH(QSize, outer);
        QFETCH(QSize, minimum);
        QFETCH(QRect, expected);
        QCOMPARE(ComputeOpeningGeometry(outer, minimum, owner, area), expected);
        if (expected.size() == outer) // where it fits, the size is kept and only the place is computed
            QCOMPARE(ComputeOpeningPosition(outer, owner, area), expected.topLeft());
    }

    // A window that was cut down to the area, or whose outer frame reaches past an edge, is
    // moved inside it by as little as it takes.
    void insidePosition_data()
    {
        QTest::addColumn<QRect>("outer");
        QTest::addColumn<QPoint>("expected");
        QTest::newRow("inside: kept") << QRect(20, 30, 700, 500) << QPoint(20, 30);
        QTest::newRow("past the right and the bottom") << QRect(100, 80, 800, 576) << QPoint(0, 24);
        QTest::newRow("past the left and the top") << QRect(-30, 0, 400, 300) << QPoint(0, 24);
        QTest::newRow("larger than the area: top-left corner in it") << QRect(100, 80, 850, 650) << QPoint(0, 24);
    }
    void insidePosition()
    {
        QFETCH(QRect, outer);
        QFETCH(QPoint, expected);
        QCOMPARE(ComputeInsidePosition(outer, QRect(0, 24, 800, 576)), expected);
    }

    void setFormPositionMovesWindow()
    {
        QWidget host;
        auto* anchor = new QLineEdit(&host);
        anchor->setGeometry(20, 40, 100, 22);
        host.move(50, 60);
        host.show();
        QVERIFY(QTest::qWaitForWindowExposed(&host));
        QWidget popup;
        popup.resize(200, 100);
        SetFormPosition(&popup, anchor, 0, 3, 0, 0);
        QCOMPARE(popup.pos(), anchor->mapToGlobal(QPoint(0, anchor->height())));
        // Offsets are twips.
        SetFormPosition(&popup, anchor, 0, 3, long(30 * TwipsPerPixelX()), 0);
        QCOMPARE(popup.pos(), anchor->mapToGlobal(QPoint(30, anchor->height())));
    }

    void checkNeedInput()
    {
        testsupport::ScriptedPrompter p;
        QLineEdit box;
        box.setText(QStringLiteral("0"));
        QVERIFY(!CheckNeedInput(&box, QStringLiteral("상호명"), false));
        QVERIFY(p.messages().isEmpty());
        QVERIFY(CheckNeedInput(&box, QStringLiteral("상호명"), true));
        QCOMPARE(p.lastMessage().text, QStringLiteral("[상호명]은(는) 필수 입력 사항입니다."));
        QCOMPARE(p.lastMessage().title, QStringLiteral("필수입력"));
        QCOMPARE(p.lastMessage().style, 64);
        box.clear();
        QVERIFY(CheckNeedInput(&box, QString(), false));
        QCOMPARE(p.lastMessage().text, QStringLiteral("필수 입력사항을 입력하지 않았습니다."));
        QComboBox combo;
        combo.setEditable(true);
        combo.setEditText(QStringLiteral("서버"));
        QVERIFY(!CheckNeedInput(&combo, QStringLiteral("분류"), true));
    }

    void unloadOtherFormsIgnoresCase()
    {
        auto& reg = platform::FormRegistry::instance();
        QPointer<QWidget> main = new QWidget;
        QPointer<QWidget> list = new QWidget;
        QPointer<QWidget> calls = new QWidget;
        for (QWidget* w : {main.data(), list.data(), calls.data()})
            w->setAttribute(Qt::WA_DeleteOnClose);
        reg.registerForm(main, QStringLiteral("frmMain"));
        reg.registerForm(list, QStringLiteral("FrmClient_Sel"));
        reg.registerForm(calls, QStringLiteral("FrmTelList"));
        main->show();
        list->show();
        calls->show();
        QVERIFY(IsFormLoaded(QStringLiteral("frmtellist")));
        QVERIFY(IsFormLoaded(QStringLiteral("FRMMAIN")));
        QVERIFY(!IsFormLoaded(QStringLiteral("FrmPost")));
        UnloadOtherForms(QStringLiteral("FRMMAIN"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(IsFormLoaded(QStringLiteral("frmMain")));
        QVERIFY(!IsFormLoaded(QStringLiteral("FrmClient_Sel")));
        QVERIFY(!IsFormLoaded(QStringLiteral("FrmTelList")));
        QVERIFY(main && main->isVisible());
        QVERIFY(!list);
        QVERIFY(!calls);
        delete main;
    }

    void unloadOtherFormsKeepsAWindowThatRefuses()
    {
        // A window whose close handler cancels (a question answered "cancel") stays loaded.
        class Stubborn : public QWidget {
        protected:
            void closeEvent(QCloseEvent* e) override { e->ignore(); }
        };
        auto& reg = platform::FormRegistry::instance();
        Stubborn stubborn;
        QWidget plain;
        reg.registerForm(&stubborn, QStringLiteral("FrmTradeGraph"));
        reg.registerForm(&plain, QStringLiteral("FrmPost"));
        stubborn.show();
        plain.show();
        UnloadOtherForms(QStringLiteral("frmMain"));
        QVERIFY(stubborn.isVisible());
        QVERIFY(IsFormLoaded(QStringLiteral("FrmTradeGraph")));
        QVERIFY(!plain.isVisible());
        QVERIFY(!IsFormLoaded(QStringLiteral("FrmPost")));
        reg.unregisterForm(&stubborn);
    }

    void enterToTabKeys()
    {
        QWidget w;
        auto* layout = new QVBoxLayout(&w);
        auto* a = new QLineEdit(&w);
        auto* b = new QLineEdit(&w);
        auto* c = new QLineEdit(&w);
        layout->addWidget(a);
        layout->addWidget(b);
        layout->addWidget(c);
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.activateWindow();
        b->setFocus();
        QTRY_VERIFY(b->hasFocus());
        for (int key : {9, 27, 37, 39, 65, 113})
            QVERIFY(!EnterToTab(key));
        QCoreApplication::processEvents();
        QVERIFY(b->hasFocus());
        QVERIFY(EnterToTab(13));
        QTRY_VERIFY(c->hasFocus());
        QVERIFY(EnterToTab(38));
        QTRY_VERIFY(b->hasFocus());
        QVERIFY(EnterToTab(Qt::Key_Down));
        QTRY_VERIFY(c->hasFocus());
        for (int key : {38, 40, 9, 27})
            QVERIFY(!CmbEnterToTab(key));
        QVERIFY(CmbEnterToTab(37));
        QTRY_VERIFY(b->hasFocus());
        QVERIFY(CmbEnterToTab(39));
        QTRY_VERIFY(c->hasFocus());
    }

    void keyEventCodes()
    {
        const auto code = [](int key, const QString& text, Qt::KeyboardModifiers mods = Qt::NoModifier) {
            QKeyEvent e(QEvent::KeyPress, key, mods, text);
            return VbKeyCode(&e);
        };
        QCOMPARE(code(Qt::Key_Return, QStringLiteral("\r")), 13);
        QCOMPARE(code(Qt::Key_Enter, QStringLiteral("\r"), Qt::KeypadModifier), 13);
        QCOMPARE(code(Qt::Key_Escape, QString()), 27);
        QCOMPARE(code(Qt::Key_Down, QString()), 40);
        QCOMPARE(code(Qt::Key_F4, QString()), 115);
        QCOMPARE(code(Qt::Key_A, QStringLiteral("a")), 65);
        QCOMPARE(code(Qt::Key_7, QStringLiteral("7")), 55);
        // Characters whose Qt codes are the arrow keys' numbers are typed text.
        for (int key : {int(Qt::Key_Percent), int(Qt::Key_Ampersand), int(Qt::Key_Apostrophe), int(Qt::Key_ParenLeft)}) {
            const int vk = code(key, QString(QChar(key)), Qt::ShiftModifier);
            QVERIFY2(vk < 37 || vk > 40, qPrintable(QString::number(key)));
        }
        QCOMPARE(code(Qt::Key_ParenLeft, QStringLiteral("("), Qt::ShiftModifier), 57);
    }

    void topMost()
    {
        QWidget w;
        w.show();
        SetTopMost(&w, false);
        QVERIFY(w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(w.isVisible());
        SetTopMost(&w, true);
        QVERIFY(!w.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
        QVERIFY(w.isVisible());
    }

    void formFocusRestoresMinimised()
    {
        QWidget w;
        w.showMinimized();
        FormFocus(&w);
        QVERIFY(w.isVisible());
        QVERIFY(!(w.windowState() & Qt::WindowMinimized));
    }

};

QTEST_MAIN(TestModFrmCtrl)
#include "tst_modFrmCtrl.moc"
