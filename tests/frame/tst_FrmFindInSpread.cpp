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

// A 4 x 4 grid:
//        1      2      3      4
//   1   ab     x      y      z
//   2   q      abc    w      e
//   3   r      t      ab     u
//   4   ab     o      p      ab
void fill(SpreadGrid& g)
{
    g.SetMaxCols(4);
    g.SetMaxRows(4);
    const char* cells[4][4] = {{"ab", "x", "y", "z"}, {"q", "abc", "w", "e"}, {"r", "t", "ab", "u"},
                               {"ab", "o", "p", "ab"}};
    for (int r = 1; r <= 4; ++r)
        for (int c = 1; c <= 4; ++c)
            g.SetText(c, r, QString::fromLatin1(cells[r - 1][c - 1]));
}

QPoint active(const SpreadGrid& g) { return QPoint(g.ActiveCol(), g.ActiveRow()); }

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
        QCOMPARE(f.windowTitle(), QStringLiteral("찾기"));
        QCOMPARE(f.cboFindDir->count(), 2);
        QCOMPARE(f.cboFindDir->itemText(0), QStringLiteral("행(가로방향)"));
        QCOMPARE(f.cboFindDir->itemText(1), QStringLiteral("열(세로방향)"));
        f.SetFormInit(&g);
        f.txtFindWd->setText(QStringLiteral("ab"));
        f.cboFindDir->setCurrentIndex(0);
        f.chkSameAll->setChecked(false);
        const QList<QPoint> expected{{2, 2}, {3, 3}, {1, 4}, {4, 4}, {1, 1}, {2, 2}};
        for (const QPoint& e : expected) {
            QVERIFY(f.cmdFind_Click());
            QCOMPARE(active(g), e);
        }
        QVERIFY(p.calls.isEmpty());
    }

    void wholeCellMatchAndHiddenColumns()
    {
        testsupport::ScriptedPrompter p;
        SpreadGrid g;
        fill(g);
        g.SetColHidden(3, true);
        g.SetActiveCell(1, 1);
        FrmFindInSpread f;
        f.SetFormInit(&g);
        f.txtFindWd->setText(QStringLiteral("ab"));
        f.chkSameAll->setChecked(true);
        // "abc" (2,2) is no whole match, (3,3) is hidden.
        QVERIFY(f.cmdFind_Click());
        QCOMPARE(active(g), QPoint(1, 4));
        QVERIFY(f.cmdFind_Click());
        QCOMPARE(active(g), QPoint(4, 4));
        // A hidden column right of the active cell in its own row is passed over too.
        g.SetText(3, 1, QStringLiteral("ab"));
        g.SetText(4, 1, QStringLiteral("ab"));
        g.SetActiveCell(2, 1);
        QVERIFY(f.cmdFind_Click());
        QCOMPARE(active(g), QPoint(4, 1));
    }

    void byColumnsWrapsToTheFirstColumnOfTheRange()
    {
        testsupport::ScriptedPrompter p;
        SpreadGrid g;
        fill(g);
        FrmFindInSpread f;
        f.SetFormInit(&g, 2, 3); // columns 2 and 3 only
        f.txtFindWd->setText(QStringLiteral("ab"));
        f.cboFindDir->setCurrentIndex(1);
        f.chkSameAll->setChecked(false); // the last window left it ticked
        g.SetActiveCell(3, 3);
        // Nothing below (3,3), no column after 3 in the range: back to column 2 from the top.
        QVERIFY(f.cmdFind_Click());
        QCOMPARE(active(g), QPoint(2, 2));
        QVERIFY(f.cmdFind_Click());
        QCOMPARE(active(g), QPoint(3, 3));
        // Below the active cell of the active column first.
        g.SetText(3, 4, QStringLiteral("xab"));
        QVERIFY(f.cmdFind_Click());
        QCOMPARE(active(g), QPoint(3, 4));
        QVERIFY(p.calls.isEmpty());
    }

    void onlyTheActiveCellOrNothingIsNotFound()
    {
        testsupport::ScriptedPrompter p;
        SpreadGrid g;
        fill(g);
        g.SetActiveCell(2, 3); // "t", the only one
        FrmFindInSpread f;
        f.SetFormInit(&g);
        f.txtFindWd->setText(QStringLiteral("t"));
        for (int dir : {0, 1}) {
            p.clear();
            f.cboFindDir->setCurrentIndex(dir);
            QVERIFY(!f.cmdFind_Click());
            QCOMPARE(active(g), QPoint(2, 3));
            QCOMPARE(p.lastMessage().text, QStringLiteral("일치하는 데이터가 없습니다."));
            QCOMPARE(p.lastMessage().title, QStringLiteral("검색실패"));
            QCOMPARE(p.lastMessage().style, 64);
        }
        f.txtFindWd->setText(QStringLiteral("nowhere"));
        QVERIFY(!f.cmdFind_Click());
        QCOMPARE(p.messages().size(), 2);
    }

    void choicesKeptForTheNextShowing()
    {
        testsupport::ScriptedPrompter p;
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
        // A grid that went away makes the search do nothing.
        auto* g = new SpreadGrid;
        fill(*g);
        again.SetFormInit(g);
        delete g;
        QVERIFY(!again.cmdFind_Click());
        QVERIFY(p.calls.isEmpty());
    }
};

QTEST_MAIN(TestFrmFindInSpread)
#include "tst_FrmFindInSpread.moc"
