#include "frame/FrmFindInSpread.h"
#include "frame/modMain.h"
#include "platform/SpreadGrid.h"
#include "support/ScriptedPrompter.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using platform::SpreadGrid;

namespace {

//        1    2    3    4
//   1   ab   x    y    z
//   2   q    abc  w    e
//   3   r    t    ab   u
//   4   ab   o    p    ab
void fill(SpreadGrid& g)
{
    g.SetMaxCols(4);
    g.SetMaxRows(4);
    const QStringList cells = QStringLiteral("ab x y z q abc w e r t ab u ab o p ab").split(QLatin1Char(' '));
    for (int i = 0; i < 16; ++i)
        g.SetText(i % 4 + 1, i / 4 + 1, cells[i]);
}

QPoint active(const SpreadGrid& g) { return QPoint(g.ActiveCol(), g.ActiveRow()); }

// A find window on g with a fresh choice (the last window's choice is kept otherwise).
void setUp(FrmFindInSpread& f, SpreadGrid& g, const QString& word, int direction, bool sameAll,
           int minCol = -1, int maxCol = -1)
{
    f.SetFormInit(&g, minCol, maxCol);
    f.txtFindWd->setText(word);
    f.cboFindDir->setCurrentIndex(direction);
    f.chkSameAll->setChecked(sameAll);
}

} // namespace

class TestFrmFindInSpread : public QObject {
    Q_OBJECT

private slots:
    void init() { gsTitle = QStringLiteral("TrelvoTest"); }

    void byRowsVisitsEveryMatchAndWraps()
    {
        testsupport::ScriptedPrompter p;
        SpreadGrid g;
        fill(g);
        g.SetActiveCell(1, 1);
        FrmFindInSpread f;
        setUp(f, g, QStringLiteral("ab"), 0, false);
        for (const QPoint& e : QList<QPoint>{{2, 2}, {3, 3}, {1, 4}, {4, 4}, {1, 1}}) {
            QVERIFY(f.cmdFind_Click());
            QCOMPARE(active(g), e);
        }
        QVERIFY(p.calls.isEmpty());
    }

    void wholeCellMatchSkipsHiddenColumns()
    {
        testsupport::ScriptedPrompter p;
        SpreadGrid g;
        fill(g);
        g.SetColHidden(3, true);
        g.SetText(3, 1, QStringLiteral("ab"));
        g.SetText(4, 1, QStringLiteral("ab"));
        g.SetActiveCell(1, 1);
        FrmFindInSpread f;
        setUp(f, g, QStringLiteral("ab"), 0, true);
        // (3,1) is hidden; "abc" at (2,2) is no whole match; (3,3) is hidden.
        for (const QPoint& e : QList<QPoint>{{4, 1}, {1, 4}, {4, 4}}) {
            QVERIFY(f.cmdFind_Click());
            QCOMPARE(active(g), e);
        }
    }

    // A match in a hidden row (a subtotal row hidden by the grid menu) is not found.
    void hiddenRowsAreSkipped()
    {
        testsupport::ScriptedPrompter p;
        SpreadGrid g;
        fill(g);
        g.SetRowHidden(3, true);
        g.SetActiveCell(1, 1);
        FrmFindInSpread f;
        setUp(f, g, QStringLiteral("ab"), 0, false);
        for (const QPoint& e : QList<QPoint>{{2, 2}, {1, 4}, {4, 4}, {1, 1}}) {
            QVERIFY(f.cmdFind_Click());
            QCOMPARE(active(g), e);
        }
        g.SetRowHidden(3, false);
        g.SetRowHidden(4, true);
        setUp(f, g, QStringLiteral("ab"), 1, false);
        for (const QPoint& e : QList<QPoint>{{2, 2}, {3, 3}, {1, 1}}) {
            QVERIFY(f.cmdFind_Click());
            QCOMPARE(active(g), e);
        }
        QVERIFY(p.calls.isEmpty());
    }

    void byColumnsWrapsToTheFirstColumnOfTheRange()
    {
        testsupport::ScriptedPrompter p;
        SpreadGrid g;
        fill(g);
        FrmFindInSpread f;
        setUp(f, g, QStringLiteral("ab"), 1, false, 2, 3); // columns 2 and 3 only
        g.SetActiveCell(3, 3);
        // Nothing below (3,3), no column after it in the range: column 2 from the top.
        QVERIFY(f.cmdFind_Click());
        QCOMPARE(active(g), QPoint(2, 2));
        QVERIFY(f.cmdFind_Click());
        QCOMPARE(active(g), QPoint(3, 3));
        g.SetText(3, 4, QStringLiteral("xab"));
        QVERIFY(f.cmdFind_Click());
        QCOMPARE(active(g), QPoint(3, 4));
        QVERIFY(p.calls.isEmpty());
    }

    void onlyTheActiveCellIsNotFound()
    {
        testsupport::ScriptedPrompter p;
        SpreadGrid g;
        fill(g);
        g.SetActiveCell(2, 3); // the only "t"
        FrmFindInSpread f;
        for (int dir : {0, 1}) {
            setUp(f, g, QStringLiteral("t"), dir, false);
            QVERIFY(!f.cmdFind_Click());
            QCOMPARE(active(g), QPoint(2, 3));
        }
        QCOMPARE(p.messages().size(), 2);
        QCOMPARE(p.lastMessage().text, QStringLiteral("일치하는 데이터가 없습니다."));
        QCOMPARE(p.lastMessage().title, QStringLiteral("검색실패"));
    }

    void choicesKeptForTheNextShowing()
    {
        {
            FrmFindInSpread f;
            f.show();
            f.txtFindWd->setText(QStringLiteral("관리비"));
            f.cboFindDir->setCurrentIndex(1);
            f.chkSameAll->setChecked(true);
            f.cmdClose->click();
        }
        FrmFindInSpread again;
        QCOMPARE(again.txtFindWd->text(), QStringLiteral("관리비"));
        QCOMPARE(again.cboFindDir->currentIndex(), 1);
        QVERIFY(again.chkSameAll->isChecked());
    }

    // The word box selects its whole text when it is entered, with the mouse as with Tab; a
    // drag across part of it keeps that part, and a click once inside puts the caret down.
    void wordBoxEnteredWithTheMouse()
    {
        FrmFindInSpread f;
        f.txtFindWd->setText(QStringLiteral("abcdef"));
        f.show();
        f.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&f));
        f.cboFindDir->setFocus();
        QLineEdit* box = f.txtFindWd;
        const int y = box->height() / 2;
        const QPoint start(4, y);

        QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, start);
        QVERIFY(box->hasFocus());
        QCOMPARE(box->selectedText(), QStringLiteral("abcdef"));
        QTest::mouseClick(box, Qt::LeftButton, Qt::NoModifier, start);
        QVERIFY(!box->hasSelectedText());
        QCOMPARE(box->cursorPosition(), 0);

        f.cboFindDir->setFocus();
        const QPoint end(4 + box->fontMetrics().horizontalAdvance(QStringLiteral("abc")), y);
        QTest::mousePress(box, Qt::LeftButton, Qt::NoModifier, start);
        QTest::mouseMove(box, end);
        QTest::mouseRelease(box, Qt::LeftButton, Qt::NoModifier, end);
        QVERIFY(box->hasSelectedText());
        QVERIFY(box->selectedText() != QStringLiteral("abcdef"));
        QVERIFY(QStringLiteral("abcdef").startsWith(box->selectedText()));

        f.cboFindDir->setFocus();
        QTest::keyClick(f.cboFindDir, Qt::Key_Backtab, Qt::ShiftModifier);
        QVERIFY(box->hasFocus());
        QCOMPARE(box->selectedText(), QStringLiteral("abcdef"));
        QTest::keyClicks(box, QStringLiteral("xy"));
        QCOMPARE(box->text(), QStringLiteral("xy"));
    }
};

QTEST_MAIN(TestFrmFindInSpread)
#include "tst_FrmFindInSpread.moc"
