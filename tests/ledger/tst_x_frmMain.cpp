#include "LedgerFixture.h"

#include "frame/modFormIni.h"
#include "frame/modFrmCtrl.h"
#include "ledger/frmMain.h"
#include "platform/IniFile.h"
#include "support/XDesktop.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QToolButton>
#include <QFile>
#include <QFileInfo>
#include <QtTest>

// The main window on an X server with a window manager: the geometry it was left with is the
// geometry it opens with, session after session; Qt's own menus speak Korean.
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

    bool closeWindow(frmMain* w)
    {
        prompter->modalAnswers.enqueue(backupAnswer(2));
        return w->close();
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
            QCOMPARE(w->frameGeometry(), outer);
            QVERIFY(closeWindow(w.get()));
            QCOMPARE(fileBytes(ini), before);
        }
    }

    void aMoveByTheUserIsStoredAsLeft()
    {
        const QRect outer(100, 80, 1124, 770);
        QVERIFY(writeLayout(outer));
        const QPoint movedTo(260, 190);
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
            QCOMPARE(w->frameGeometry(), QRect(movedTo, outer.size()));
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
            left = w->frameGeometry();
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
            QCOMPARE(w->frameGeometry(), left);
            QVERIFY(closeWindow(w.get()));
        }
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
