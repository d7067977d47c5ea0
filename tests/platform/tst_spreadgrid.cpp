#include "platform/SpreadGrid.h"
#include "platform/Prompter.h"
#include "platform/SpreadModel.h"
#include "support/DrawnText.h"
#include "support/ScriptedPrompter.h"

#include <QDialog>
#include <QLineEdit>
#include <QScrollBar>
#include <QToolTip>
#include <QtTest>

using platform::SpreadGrid;

namespace {

// The voucher grid's columns that matter here: 6 purchase, 10 sales, 11 expense,
// 12 margin (column formula), 15 and 17 sums in row 1.
void setUpLedger(SpreadGrid& g, int rows)
{
    g.SetMaxCols(17);
    g.SetMaxRows(rows);
    g.SetRefStyle(2);
    g.SetCol(12);
    g.SetRow(-1);
    g.SetFormula(QStringLiteral("IF(RC10=0, 0 , RC10-RC11-RC6)"));
}

struct ChangeLog {
    QStringList entries; // "col,row=text at the time"
    void attach(SpreadGrid& g)
    {
        QObject::connect(&g, &SpreadGrid::Change, [this, &g](int c, int r) {
            entries << QStringLiteral("%1,%2=%3").arg(c).arg(r).arg(g.GetText(c, r));
        });
    }
};

} // namespace

class TstSpreadGrid : public QObject {
    Q_OBJECT

    static void sumFormula(SpreadGrid& g, int sumCol, int srcCol)
    {
        g.SetCol(sumCol);
        g.SetRow(-1);
        g.SetFormula(QString());
        g.SetText(QString());
        g.SetRow(1);
        g.SetFormula(QStringLiteral("SUM(R1C%1:R%2C%1)").arg(srcCol).arg(g.MaxRows()));
    }

private slots:
    void columnFormulaCoversRowsAddedLater()
    {
        SpreadGrid g;
        setUpLedger(g, 2);
        g.SetMaxRows(5); // rows added after the formula was set
        g.SetText(6, 5, QStringLiteral("100000"));
        g.SetText(10, 5, QStringLiteral("150000"));
        g.SetText(11, 5, QStringLiteral("5000"));
        QCOMPARE(g.GetText(12, 5), QStringLiteral("45000"));
        // unsold: margin 0 although there is a purchase amount
        g.SetText(6, 4, QStringLiteral("70000"));
        QCOMPARE(g.GetText(12, 4), QStringLiteral("0"));
        g.SetText(10, 5, QStringLiteral("0"));
        QCOMPARE(g.GetText(12, 5), QStringLiteral("0"));
        // the formula is reported for any row of the column; formula cells are not data
        g.SetCol(12);
        g.SetRow(3);
        QCOMPARE(g.Formula(), QStringLiteral("IF(RC10=0, 0 , RC10-RC11-RC6)"));
        QCOMPARE(g.DataRowCnt(), 5);
    }

    void sumFollowsEveryChangeAndRaisesChange()
    {
        SpreadGrid g;
        setUpLedger(g, 4);
        ChangeLog log;
        log.attach(g);
        for (int r = 1; r <= 3; ++r) {
            g.SetText(6, r, QString::number(r * 1000));
            g.SetText(10, r, QString::number(r * 2000));
        }
        sumFormula(g, 15, 10);
        sumFormula(g, 17, 12);
        QCOMPARE(g.GetText(15, 1), QStringLiteral("12000"));
        QCOMPARE(g.GetText(17, 1), QStringLiteral("6000"));
        QVERIFY(log.entries.contains(QStringLiteral("15,1=12000")));
        QVERIFY(log.entries.contains(QStringLiteral("17,1=6000")));

        // SetText: the sum and the margin sum follow, Change carries the new value
        log.entries.clear();
        g.SetText(10, 2, QStringLiteral("10000"));
        QVERIFY2(log.entries.contains(QStringLiteral("15,1=18000")), qPrintable(log.entries.join(' ')));
        QVERIFY(log.entries.contains(QStringLiteral("17,1=12000")));
        QVERIFY(log.entries.contains(QStringLiteral("12,2=8000"))); // the margin cell itself
        // a text typed where a number was: counts as 0
        log.entries.clear();
        g.SetText(10, 3, QStringLiteral("abc"));
        QCOMPARE(g.GetText(15, 1), QStringLiteral("12000"));
        QVERIFY(log.entries.contains(QStringLiteral("15,1=12000")));
        g.SetText(10, 3, QStringLiteral("6000"));

        // DeleteRows: the deleted row's amounts leave the sum; MaxRows stays
        log.entries.clear();
        g.DeleteRows(2, 1);
        QCOMPARE(g.MaxRows(), 4);
        QCOMPARE(g.GetText(10, 2), QStringLiteral("6000"));
        QCOMPARE(g.GetText(15, 1), QStringLiteral("8000"));
        QVERIFY(log.entries.contains(QStringLiteral("15,1=8000")));
        g.SetCol(15);
        g.SetRow(1);
        QCOMPARE(g.Formula(), QStringLiteral("SUM(R1C10:R3C10)"));

        // InsertRows moves the rows below; the sum range grows with them
        g.InsertRows(2, 1);
        log.entries.clear();
        g.SetText(10, 2, QStringLiteral("500"));
        QCOMPARE(g.GetText(15, 1), QStringLiteral("8500"));
        QVERIFY(log.entries.contains(QStringLiteral("15,1=8500")));
        QVERIFY(log.entries.contains(QStringLiteral("17,1=4500")));

        // MaxRows cuts rows off: their amounts leave the sum
        log.entries.clear();
        g.SetMaxRows(2);
        QCOMPARE(g.GetText(15, 1), QStringLiteral("2500"));
        QVERIFY(log.entries.contains(QStringLiteral("15,1=2500")));

        // an unchanged result raises nothing
        log.entries.clear();
        g.SetText(6, 2, QStringLiteral("0"));
        g.SetText(6, 2, QStringLiteral("0"));
        QVERIFY(!log.entries.contains(QStringLiteral("15,1=2500")));
    }

    void redrawOffDefersEverything()
    {
        SpreadGrid g;
        setUpLedger(g, 3);
        ChangeLog log;
        log.attach(g);
        sumFormula(g, 15, 10);
        log.entries.clear();
        g.SetReDraw(false);
        g.SetText(10, 1, QStringLiteral("100"));
        g.SetText(10, 2, QStringLiteral("200"));
        g.DeleteRows(3, 1);
        QVERIFY(log.entries.isEmpty());
        g.SetReDraw(true);
        QCOMPARE(log.entries, QStringList{QStringLiteral("15,1=300")});
        // a refill sets up the sums anew: the totals hear of them once
        log.entries.clear();
        g.SetMaxRows(0);
        g.SetReDraw(false);
        g.SetMaxRows(2);
        g.SetText(10, 1, QStringLiteral("300"));
        g.SetReDraw(true);
        sumFormula(g, 15, 10);
        QCOMPARE(log.entries, QStringList{QStringLiteral("15,1=300")});
    }

    void editModeOrderAndChangeMade()
    {
        SpreadGrid g;
        g.SetMaxCols(3);
        g.SetMaxRows(3);
        g.SetEditModePermanent(true);
        g.SetEditModeReplace(true);
        g.SetText(2, 1, QStringLiteral("old"));
        QStringList events;
        connect(&g, &SpreadGrid::EditMode, [&](int c, int r, int mode, bool changed) {
            events << QStringLiteral("EditMode %1,%2 %3 %4 text=%5").arg(c).arg(r).arg(mode).arg(changed).arg(g.GetText(c, r));
        });
        connect(&g, &SpreadGrid::KeyPress, [&](int& key) {
            if (key == 13) events << QStringLiteral("KeyPress 13");
        });
        g.SetActiveCell(2, 1);
        g.StartEdit();
        QVERIFY(g.IsEditing());
        QCOMPARE(events.value(0), QStringLiteral("EditMode 2,1 1 0 text=old"));
        QLineEdit* ed = g.editorWidget();
        ed->clear();
        QTest::keyClicks(ed, QStringLiteral("new"));
        QTest::keyClick(ed, Qt::Key_Return);
        QCOMPARE(events.mid(1), (QStringList{QStringLiteral("KeyPress 13"),
                                             QStringLiteral("EditMode 2,1 0 1 text=new")}));
        QVERIFY(!g.IsEditing());

        // typed, then put back as it was: no change made
        events.clear();
        g.StartEdit();
        ed = g.editorWidget();
        QTest::keyClick(ed, Qt::Key_X);
        QTest::keyClick(ed, Qt::Key_Backspace);
        ed->setText(QStringLiteral("new"));
        QTest::keyClick(ed, Qt::Key_Return);
        QCOMPARE(events.last(), QStringLiteral("EditMode 2,1 0 0 text=new"));

        // Escape gives the old text back, also no change
        events.clear();
        g.StartEdit();
        g.editorWidget()->setText(QStringLiteral("zzz"));
        QTest::keyClick(g.editorWidget(), Qt::Key_Escape);
        QCOMPARE(g.GetText(2, 1), QStringLiteral("new"));
        QVERIFY(events.contains(QStringLiteral("EditMode 2,1 0 0 text=new")));

        // a KeyPress handler may swallow Enter: the cell stays in edit mode
        events.clear();
        g.EndEdit(true);
        g.StartEdit();
        auto swallow = connect(&g, &SpreadGrid::KeyPress, [](int& key) { if (key == 13) key = 0; });
        QTest::keyClick(g.editorWidget(), Qt::Key_Return);
        QVERIFY(g.IsEditing());
        disconnect(swallow);
        g.EndEdit(true);
    }

    // A leave handler that opens a modal window (a pick list): the editor has committed
    // before the handler runs, the handler is not entered again while the window is up,
    // and editing goes on where the handler put the active cell.
    void modalWindowWhileLeavingEditMode()
    {
        testsupport::ScriptedPrompter prompter;
        QWidget w;
        auto* other = new QLineEdit(&w);
        auto* g = new SpreadGrid(&w);
        other->setGeometry(0, 0, 100, 20);
        g->setGeometry(0, 30, 400, 200);
        g->SetMaxCols(3);
        g->SetMaxRows(3);
        g->SetEditModePermanent(true);
        QStringList events;
        int depth = 0, maxDepth = 0;
        connect(g, &SpreadGrid::EditMode, [&](int c, int r, int mode, bool changed) {
            events << QStringLiteral("EditMode %1,%2 %3").arg(c).arg(r).arg(mode);
            if (mode != 0 || !changed) return;
            maxDepth = std::max(maxDepth, ++depth);
            events << QStringLiteral("committed=") + g->GetText(c, r);
            QDialog dlg(&w);
            platform::prompter().execModal(dlg);
            g->SetFocus();                    // the focus returns to the grid
            g->SetText(c, r, QStringLiteral("completed"));
            g->SetActiveCell(3, 2);           // and the handler moves on itself
            --depth;
        });
        connect(g, &SpreadGrid::LostFocus, [&] { events << QStringLiteral("LostFocus"); });
        // what a real modal window does to the grid: it takes the focus and gives it back
        auto modal = [&](QDialog& dlg) {
            auto* field = new QLineEdit(&dlg);
            dlg.show();
            QApplication::setActiveWindow(&dlg);
            field->setFocus();
            QApplication::processEvents();
            QTest::keyClick(g, Qt::Key_Return); // input meant for the grid while the window is up
            dlg.hide();
            QApplication::setActiveWindow(&w);
            QApplication::processEvents();
            return int(QDialog::Accepted);
        };
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        g->SetActiveCell(1, 1);
        g->SetFocus();
        QTRY_VERIFY(g->IsEditing());

        // left with Enter
        events.clear();
        prompter.modalAnswers.enqueue(modal);
        g->editorWidget()->setText(QStringLiteral("typed"));
        QTest::keyClick(g->editorWidget(), Qt::Key_Return);
        QApplication::processEvents();
        QCOMPARE(prompter.calls.size(), 1);
        QCOMPARE(maxDepth, 1);
        QCOMPARE(events.mid(0, 2), (QStringList{QStringLiteral("EditMode 1,1 0"), QStringLiteral("committed=typed")}));
        QCOMPARE(events.filter(QStringLiteral("EditMode")).size(), 2); // the leave, then editing goes on
        QCOMPARE(events.last(), QStringLiteral("EditMode 3,2 1"));
        QCOMPARE(g->GetText(1, 1), QStringLiteral("completed"));
        QCOMPARE(g->ActiveCol(), 3);
        QCOMPARE(g->ActiveRow(), 2);
        QVERIFY(g->IsEditing());

        // left because the user clicked another control
        events.clear();
        prompter.modalAnswers.enqueue(modal);
        g->SetActiveCell(2, 3);
        QTRY_VERIFY(g->IsEditing());
        g->editorWidget()->setText(QStringLiteral("typed again"));
        events.clear();
        other->setFocus(Qt::MouseFocusReason);
        QTRY_COMPARE(prompter.calls.size(), 2);
        QApplication::processEvents();
        QCOMPARE(maxDepth, 1);
        QCOMPARE(events.value(1), QStringLiteral("committed=typed again"));
        QCOMPARE(g->GetText(2, 3), QStringLiteral("completed"));
        // the handler took the focus back: the grid edits the cell it chose
        QCOMPARE(g->ActiveRow(), 2);
        QTRY_VERIFY(g->IsEditing());
        QVERIFY(!events.contains(QStringLiteral("LostFocus")));
    }

    // Leaving edit mode must not pass the focus through other controls of the window:
    // their focus handlers (select the text, clear a filter) would run on every cell.
    void leavingEditModeKeepsTheFocusInTheGrid()
    {
        QWidget w;
        auto* first = new QLineEdit(&w);
        auto* g = new SpreadGrid(&w);
        first->setGeometry(0, 0, 100, 20);
        g->setGeometry(0, 30, 400, 200);
        g->SetMaxCols(3);
        g->SetMaxRows(3);
        g->SetEditModePermanent(true);
        int focusIns = 0;
        struct Counter : QObject {
            int& n;
            explicit Counter(int& c) : n(c) {}
            bool eventFilter(QObject*, QEvent* e) override { if (e->type() == QEvent::FocusIn) ++n; return false; }
        } counter(focusIns);
        first->installEventFilter(&counter);
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        g->SetFocus();
        QTRY_VERIFY(g->IsEditing());
        focusIns = 0;
        g->editorWidget()->setText(QStringLiteral("x"));
        QTest::keyClick(g->editorWidget(), Qt::Key_Return);
        QTest::keyClick(g->editorWidget(), Qt::Key_Down);
        g->DeleteRows(3, 1);
        QApplication::processEvents();
        QCOMPARE(focusIns, 0);
        QVERIFY(g->IsEditing());
        QCOMPARE(g->ActiveRow(), 2);
    }

    // F2 to F5 are the list windows' own keys: with the grid's action keys off they reach
    // KeyDown once, change nothing in the grid, and travel on to the window.
    void functionKeysReachKeyDown()
    {
        struct Window : QWidget {
            QList<int> keys;
            void keyPressEvent(QKeyEvent* e) override { keys << e->key(); }
        } w;
        auto* g = new SpreadGrid(&w);
        g->SetMaxCols(2);
        g->SetMaxRows(2);
        g->SetText(1, 1, QStringLiteral("keep"));
        for (int a = 0; a <= 2; ++a) g->SetActionKey(a, false, false, 0);
        QList<int> keys;
        connect(g, &SpreadGrid::KeyDown, [&](int& key, int) { keys << key; });
        const QList<int> fkeys{Qt::Key_F2, Qt::Key_F3, Qt::Key_F4, Qt::Key_F5};
        g->SetActiveCell(1, 1);
        for (int k : fkeys) QTest::keyClick(g, Qt::Key(k));
        QCOMPARE(keys, (QList<int>{113, 114, 115, 116}));
        QCOMPARE(w.keys, fkeys);
        QCOMPARE(g->GetText(1, 1), QStringLiteral("keep")); // F2 no longer clears the cell
        QVERIFY(!g->IsEditing());                           // F3 no longer starts editing
        // also while a cell is being edited
        keys.clear();
        w.keys.clear();
        g->StartEdit();
        for (int k : fkeys) QTest::keyClick(g->editorWidget(), Qt::Key(k));
        QCOMPARE(keys, (QList<int>{113, 114, 115, 116}));
        QCOMPARE(w.keys, fkeys);
        QVERIFY(g->IsEditing());
        QCOMPARE(g->editorWidget()->text(), QStringLiteral("keep"));
    }

    // Typed punctuation shares its Qt code with the arrow keys' virtual-key numbers: it must
    // never reach KeyDown as an arrow, and it must still land in the cell.
    void typedPunctuationIsNoArrowKey()
    {
        SpreadGrid g;
        g.SetMaxCols(2);
        g.SetMaxRows(2);
        QList<int> keys;
        connect(&g, &SpreadGrid::KeyDown, [&](int& key, int) { keys << key; });
        g.SetActiveCell(1, 1);
        QTest::keyClick(&g, '(');
        QVERIFY(g.IsEditing());
        QTest::keyClicks(g.editorWidget(), QStringLiteral("%&'"));
        QVERIFY(!keys.contains(37) && !keys.contains(38) && !keys.contains(39) && !keys.contains(40));
        QVERIFY(g.IsEditing());
        QCOMPARE(g.editorWidget()->text(), QStringLiteral("(%&'"));
        QCOMPARE(g.ActiveRow(), 1);
    }

    void searchColAndRow()
    {
        SpreadGrid g;
        g.SetMaxCols(3);
        g.SetMaxRows(4);
        g.SetText(2, 1, QStringLiteral("관리비"));
        g.SetText(2, 3, QStringLiteral("서버 관리비"));
        g.SetText(3, 3, QStringLiteral("관리비"));
        QCOMPARE(g.SearchCol(2, 0, -1, QStringLiteral("관리비"), 0), 1);
        QCOMPARE(g.SearchCol(2, 1, -1, QStringLiteral("관리비"), 0), -1);   // starts after row 1
        QCOMPARE(g.SearchCol(2, 1, -1, QStringLiteral("관리비"), 2), 3);    // partial
        QCOMPARE(g.SearchCol(2, 0, 2, QStringLiteral("서버"), 2), -1);      // range ends at row 2
        QCOMPARE(g.SearchRow(3, 0, -1, QStringLiteral("관리비"), 0), 3);
        QCOMPARE(g.SearchRow(3, 0, -1, QStringLiteral("없음"), 2), -1);
    }

    void dataRowCntWithBlankLastRow()
    {
        SpreadGrid g;
        setUpLedger(g, 4);
        g.SetText(3, 1, QStringLiteral("a"));
        g.SetText(13, 3, QStringLiteral("7"));
        QCOMPARE(g.DataRowCnt(), 3); // row 4 holds only the margin formula
        g.SetText(1, 4, QStringLiteral("2024-01-01"));
        QCOMPARE(g.DataRowCnt(), 4);
        g.SetMaxRows(0);
        QCOMPARE(g.DataRowCnt(), 0);
    }

    void currencyTextAndDisplay()
    {
        SpreadGrid g;
        g.SetMaxCols(3);
        g.SetMaxRows(3);
        g.SetCol(2);
        g.SetRow(-1);
        g.SetCellType(SpreadGrid::CellTypeCurrency);
        g.SetTypeCurrencyShowSymbol(false);
        g.SetTypeCurrencyDecPlaces(0);
        g.SetTypeCurrencyShowSep(true);
        g.SetMaxRows(4); // a row added later is a currency cell too
        g.SetText(2, 4, QStringLiteral("1234567"));
        QCOMPARE(g.GetText(2, 4), QStringLiteral("1234567"));
        QCOMPARE(g.DisplayText(2, 4), QStringLiteral("1,234,567"));
        g.SetText(2, 1, QStringLiteral("-1,500"));
        QCOMPARE(g.GetText(2, 1), QStringLiteral("-1500"));
        QCOMPARE(g.DisplayText(2, 1), QStringLiteral("-1,500"));
        g.SetCol(3);
        g.SetRow(-1);
        g.SetFormula(QStringLiteral("RC2*1000"));
        g.SetCellType(SpreadGrid::CellTypeCurrency);
        g.SetTypeCurrencyShowSep(true);
        g.SetTypeCurrencyDecPlaces(0);
        g.SetTypeCurrencyShowSymbol(false);
        QCOMPARE(g.GetText(3, 4), QStringLiteral("1234567000"));
        QCOMPARE(g.DisplayText(3, 4), QStringLiteral("1,234,567,000"));

        // a value beyond what a 64-bit whole number holds shows the overflow mark, typed in or
        // a formula's result, with or without the symbol or decimals; the largest one is shown
        const QString huge = QStringLiteral("100000000000000000000"); // 1e20
        const struct { int col; QString text; QString shown; } rows[] = {
            {2, huge, SpreadGrid::OverflowMark()},
            {2, QLatin1Char('-') + huge, SpreadGrid::OverflowMark()},
            {2, QStringLiteral("9223372036854775807"), QStringLiteral("9,223,372,036,854,775,807")},
            {2, QStringLiteral("9223372036854775808"), SpreadGrid::OverflowMark()},
            {2, QStringLiteral("-9223372036854775808"), QStringLiteral("-9,223,372,036,854,775,808")},
            {3, QStringLiteral("100000000000000000"), SpreadGrid::OverflowMark()}, // x 1000
        };
        for (const auto& row : rows) {
            g.SetText(2, 3, row.text);
            QCOMPARE(g.DisplayText(row.col, 3), row.shown);
        }
        g.SetText(2, 3, huge);
        g.SetCol(2);
        g.SetRow(3);
        g.SetTypeCurrencyShowSymbol(true);
        QCOMPARE(g.DisplayText(2, 3), SpreadGrid::OverflowMark());
        g.SetTypeCurrencyDecPlaces(2);
        QCOMPARE(g.DisplayText(2, 3), SpreadGrid::OverflowMark());
        g.SetText(2, 3, QStringLiteral("12.5"));
        QCOMPARE(g.DisplayText(2, 3), QString(QChar(0x20A9)) + QStringLiteral("12.50"));
        g.SetText(2, 3, QString());
        g.SetTypeCurrencyShowSymbol(false);
        g.SetTypeCurrencyDecPlaces(0);
        {
            // the same for a sum of whole numbers that leaves the range
            SpreadGrid s;
            s.SetMaxCols(2);
            s.SetMaxRows(10);
            s.SetRefStyle(2);
            for (int r = 1; r <= 10; ++r)
                s.SetText(1, r, QStringLiteral("999999999999999999"));
            s.SetCol(2);
            s.SetRow(1);
            s.SetCellType(SpreadGrid::CellTypeCurrency);
            s.SetTypeCurrencyDecPlaces(0);
            s.SetTypeCurrencyShowSymbol(false);
            s.SetTypeCurrencyShowSep(true);
            s.SetFormula(QStringLiteral("SUM(R1C1:R10C1)"));
            QCOMPARE(s.DisplayText(2, 1), SpreadGrid::OverflowMark());
            s.SetText(1, 10, QStringLiteral("-999999999999999999"));
            QCOMPARE(s.DisplayText(2, 1), QStringLiteral("7,999,999,999,999,999,992"));
        }

        // typing into a currency cell: separators accepted, non-numbers refused
        g.SetCol(2);
        g.SetRow(-1);
        g.SetTypeCurrencyMax(1000000);
        g.SetTypeCurrencyMin(-1000000);
        bool changeMade = true;
        connect(&g, &SpreadGrid::EditMode, [&](int, int, int mode, bool changed) { if (mode == 0) changeMade = changed; });
        g.SetActiveCell(2, 2);
        g.StartEdit();
        g.editorWidget()->setText(QStringLiteral("12,000"));
        g.EndEdit(true);
        QVERIFY(changeMade);
        QCOMPARE(g.GetText(2, 2), QStringLiteral("12000"));
        g.StartEdit();
        g.editorWidget()->setText(QStringLiteral("abc"));
        g.EndEdit(true);
        QVERIFY(!changeMade);
        QCOMPARE(g.GetText(2, 2), QStringLiteral("12000"));
        g.StartEdit();
        g.editorWidget()->setText(QStringLiteral("2000000")); // above the maximum
        g.EndEdit(true);
        QCOMPARE(g.GetText(2, 2), QStringLiteral("12000"));
        // keys that cannot make a number are not taken
        g.StartEdit();
        g.editorWidget()->clear();
        QTest::keyClicks(g.editorWidget(), QStringLiteral("-1a5,0x00"));
        g.EndEdit(true);
        QCOMPARE(g.GetText(2, 2), QStringLiteral("-15000"));
        QTest::keyClick(&g, Qt::Key_A); // a letter typed on the cell starts no replacement
        if (g.IsEditing()) g.EndEdit(true);
        QCOMPARE(g.GetText(2, 2), QStringLiteral("-15000"));
        QTest::keyClick(&g, Qt::Key_7);
        QVERIFY(g.IsEditing());
        QCOMPARE(g.editorWidget()->text(), QStringLiteral("7"));
        g.EndEdit(true);
        QCOMPARE(g.GetText(2, 2), QStringLiteral("7"));
    }

    void userSortHooks()
    {
        SpreadGrid g;
        g.SetMaxCols(3);
        g.SetMaxRows(5);
        const char* amounts[] = {"9", "100", "10", "2500", ""};
        for (int r = 1; r <= 4; ++r) {
            g.SetText(1, r, QString::number(r));
            g.SetText(2, r, QString::fromLatin1(amounts[r - 1]));
        }
        g.SetText(1, 5, QStringLiteral("2024-01-01")); // the blank input row
        QStringList hooks;
        connect(&g, &SpreadGrid::BeforeUserSort, [&](int col, int, int&) {
            hooks << QStringLiteral("before %1").arg(col);
            g.DeleteRows(g.MaxRows(), 1);
            g.SetMaxRows(g.DataRowCnt());
        });
        connect(&g, &SpreadGrid::AfterUserSort, [&](int col) {
            hooks << QStringLiteral("after %1").arg(col);
            g.SetMaxRows(g.MaxRows() + 1);
            g.SetText(1, g.MaxRows(), QStringLiteral("2024-01-01"));
        });
        g.UserSortClick(2);
        QCOMPARE(hooks, (QStringList{QStringLiteral("before 2"), QStringLiteral("after 2")}));
        QStringList order;
        for (int r = 1; r <= 4; ++r) order << g.GetText(2, r);
        QCOMPARE(order, (QStringList{"9", "10", "100", "2500"})); // as numbers, not as text
        QCOMPARE(g.GetText(1, 1), QStringLiteral("1"));          // rows move whole
        QCOMPARE(g.GetText(1, 5), QStringLiteral("2024-01-01")); // blank row last again
        g.UserSortClick(2);                                      // second click: descending
        QCOMPARE(g.GetText(2, 1), QStringLiteral("2500"));
        // a handler can refuse the sort
        disconnect(&g, &SpreadGrid::BeforeUserSort, nullptr, nullptr);
        disconnect(&g, &SpreadGrid::AfterUserSort, nullptr, nullptr);
        connect(&g, &SpreadGrid::BeforeUserSort, [](int, int, int& action) { action = 0; });
        g.UserSortClick(1);
        QCOMPARE(g.GetText(2, 1), QStringLiteral("2500"));
    }

    // Mouse: a header click sorts only with UserColAction 1; a button cell of a locked list
    // (the call list's answer button) reports its click; the right button reaches MouseDown.
    void mouseOnHeaderAndButtonCells()
    {
        SpreadGrid g;
        g.resize(400, 200);
        g.SetMaxCols(3);
        g.SetMaxRows(3);
        g.SetRowHeadersShow(false);
        g.SetColHidden(1, true); // column 2 starts at the left edge
        const char* amounts[] = {"100", "9", "25"};
        for (int r = 1; r <= 3; ++r) g.SetText(2, r, QString::fromLatin1(amounts[r - 1]));
        g.show();
        const QPoint header(10, 5);
        QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, header);
        QCOMPARE(g.GetText(2, 1), QStringLiteral("100")); // no sorting by default
        g.SetUserColAction(1);
        QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, header);
        QCOMPARE(g.GetText(2, 1), QStringLiteral("9"));
        QCOMPARE(g.GetText(2, 3), QStringLiteral("100"));

        g.SetCol(-1);
        g.SetRow(-1);
        g.SetLock(true);
        g.SetCol(2);
        g.SetRow(2);
        g.SetCellType(SpreadGrid::CellTypeButton);
        QList<int> clicked, buttons;
        connect(&g, &SpreadGrid::ButtonClicked, [&](int c, int r, int) { clicked << c << r; });
        connect(&g, &SpreadGrid::MouseDown, [&](int button, int, double, double) { buttons << button; });
        const int rowH = int(std::lround(g.RowHeight(1) * 96.0 / 72.0));
        const QPoint row2(10, int(std::lround(g.RowHeight(0) * 96.0 / 72.0)) + rowH + rowH / 2);
        QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, row2);
        QCOMPARE(clicked, (QList<int>{2, 2}));
        QCOMPARE(g.ActiveRow(), 2);
        QTest::mouseClick(g.viewport(), Qt::RightButton, {}, row2);
        QCOMPARE(buttons, (QList<int>{1, 2}));
        QCOMPARE(clicked.size(), 2); // the right button presses no button
    }

    void settingsByLevelLastWins()
    {
        SpreadGrid g;
        g.SetMaxCols(3);
        g.SetMaxRows(2);
        g.SetCol(-1);
        g.SetRow(-1);
        g.SetLock(true);      // the whole sheet
        g.SetCol(2);
        g.SetRow(-1);
        g.SetLock(false);     // then one column
        g.SetMaxRows(6);
        QVERIFY(g.model().locked(1, 6));
        QVERIFY(!g.model().locked(2, 6)); // the column setting reaches rows added later
        g.SetCol(2);
        g.SetRow(3);
        g.SetLock(true);      // one cell
        QVERIFY(g.model().locked(2, 3));
        QVERIFY(!g.model().locked(2, 4));
        g.DeleteRows(1, 1);   // the cell setting moves with its row
        QVERIFY(g.model().locked(2, 2));
        QVERIFY(!g.model().locked(2, 3));
        g.SetCol(-1);
        g.SetRow(1);
        g.SetBackColor(platform::rgbColor(224, 240, 224));
        QCOMPARE(g.model().attr(platform::SpreadModel::ABackColor, 3, 1), double(0xE0F0E0));
    }

    void cellColourReadsWhatIsShown()
    {
        SpreadGrid g;
        g.SetMaxCols(2);
        g.SetMaxRows(3);
        g.SetOddEvenRowColor(0xFFFFFF, 0, 0xFBF9F3, 0);
        g.SetCol(1);
        g.SetRow(2);
        const quint32 back = g.BackColor();
        QCOMPARE(back, 0xFBF9F3u); // an even row
        g.SetBackColor(platform::rgbColor(0, 80, 250)); // painted for a question
        QCOMPARE(g.BackColor(), platform::rgbColor(0, 80, 250));
        g.SetBackColor(back);                            // and put back
        QCOMPARE(g.BackColor(), back);
    }

    void focusedEditingFollowsTheActiveCell()
    {
        SpreadGrid g;
        g.SetMaxCols(4);
        g.SetMaxRows(3);
        g.SetEditModePermanent(true);
        g.SetText(2, 2, QStringLiteral("b2"));
        QStringList events;
        connect(&g, &SpreadGrid::EditMode, [&](int c, int r, int mode, bool) {
            events << QStringLiteral("EditMode %1,%2 %3").arg(c).arg(r).arg(mode);
            if (mode == 0 && c == 1 && r == 1) g.SetActiveCell(2, 2); // the handler moves on
        });
        connect(&g, &SpreadGrid::LeaveCell, [&](int c, int r, int nc, int nr, bool& cancel) {
            events << QStringLiteral("LeaveCell %1,%2>%3,%4").arg(c).arg(r).arg(nc).arg(nr);
            if (nc == 4) cancel = true;
        });
        g.show();
        QApplication::setActiveWindow(&g);
        g.SetFocus();
        QTRY_VERIFY(g.IsEditing()); // the active cell is in edit mode as soon as the grid has the focus
        QCOMPARE(events.value(0), QStringLiteral("EditMode 1,1 1"));
        events.clear();
        QTest::keyClick(g.editorWidget(), Qt::Key_Tab);
        // the handler's move wins over the Tab's
        QCOMPARE(g.ActiveCol(), 2);
        QCOMPARE(g.ActiveRow(), 2);
        QVERIFY(g.IsEditing());
        QCOMPARE(g.editorWidget()->text(), QStringLiteral("b2"));
        QCOMPARE(events, (QStringList{QStringLiteral("EditMode 1,1 0"), QStringLiteral("LeaveCell 1,1>2,2"),
                                      QStringLiteral("EditMode 2,2 1")}));
        // a cancelled LeaveCell keeps the cell
        g.SetActiveCell(3, 2);
        events.clear();
        QTest::keyClick(g.editorWidget(), Qt::Key_Tab);
        QCOMPARE(g.ActiveCol(), 3);
        QVERIFY(g.IsEditing());
    }

    // The grid taking the focus while its editor is open (after a question, a message, a
    // window of the program) gives the editor back as it was: a cell entered in replace mode
    // is replaced by typing, a caret the user placed stays where it was.
    void focusComingBackKeepsTheEditorAsItWas()
    {
        QWidget w;
        auto* g = new SpreadGrid(&w);
        auto* other = new QLineEdit(&w);
        g->setGeometry(0, 0, 400, 200);
        other->setGeometry(0, 210, 100, 20);
        g->SetMaxCols(3);
        g->SetMaxRows(3);
        g->SetEditModePermanent(true);
        g->SetEditModeReplace(true);
        g->SetText(2, 1, QStringLiteral("300"));
        g->SetText(2, 2, QStringLiteral("300"));
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        g->SetFocus();
        g->SetActiveCell(2, 1);
        QLineEdit* ed = g->editorWidget();
        QVERIFY(ed);
        QCOMPARE(ed->selectedText(), QStringLiteral("300"));

        g->SetFocus();
        g->setFocus(Qt::OtherFocusReason);
        g->viewport()->setFocus(Qt::OtherFocusReason);
        QCOMPARE(g->editorWidget(), ed);
        QCOMPARE(QApplication::focusWidget(), ed);
        QCOMPARE(ed->selectedText(), QStringLiteral("300"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_5);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(g->GetText(2, 1), QStringLiteral("5"));

        // A caret placed by the user inside the text stays there.
        g->SetActiveCell(2, 2);
        ed = g->editorWidget();
        QVERIFY(ed);
        QTest::keyClick(ed, Qt::Key_End);
        QTest::keyClick(ed, Qt::Key_Left);
        g->SetFocus();
        g->setFocus(Qt::OtherFocusReason);
        QCOMPARE(QApplication::focusWidget(), ed);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_9);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
        QCOMPARE(g->GetText(2, 2), QStringLiteral("3090"));
        QVERIFY(other->text().isEmpty());
    }

    // The last row made active while the window is still hidden (a list filled at start-up)
    // is in view once the window shows; typing into an active cell scrolled out of view
    // brings it back and keeps the focus in the grid, not in the window's next control.
    void activeCellIsInViewForTyping()
    {
        QWidget w;
        auto* g = new SpreadGrid(&w);
        auto* other = new QLineEdit(&w);
        g->SetMaxCols(3);
        g->SetMaxRows(200);
        g->SetEditModePermanent(true);
        g->SetActiveCell(2, 200);
        g->setGeometry(0, 0, 400, 200);
        other->setGeometry(0, 210, 100, 20);
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        QVERIFY(g->TopRow() > 150);
        g->SetFocus();
        QTRY_VERIFY(g->IsEditing());
        g->EndEdit(true);
        g->SetTopRow(1); // scrolled away, as with the mouse wheel
        QVERIFY(g->TopRow() == 1);
        QTest::keyClick(g, Qt::Key_A);
        QVERIFY(g->IsEditing());
        QVERIFY(g->editorWidget()->hasFocus());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_B);
        QCOMPARE(g->editorWidget()->text(), QStringLiteral("ab"));
        QVERIFY(g->TopRow() > 150);
        QVERIFY(other->text().isEmpty());
    }

    void rowTagsAndHiddenRowsMoveWithTheirRows()
    {
        SpreadGrid g;
        g.SetMaxCols(2);
        g.SetMaxRows(4);
        g.SetCol(0);
        g.SetRow(3);
        g.SetCellTag(QStringLiteral("subtot"));
        g.SetRow(3);
        g.SetRowHidden(true);
        g.DeleteRows(1, 1);
        g.SetRow(2);
        QCOMPARE(g.CellTag(), QStringLiteral("subtot"));
        QVERIFY(g.RowHidden(2));
        QVERIFY(!g.RowHidden(3));
        g.SetRowHidden(2, false);
        QVERIFY(!g.RowHidden());
        g.SetMaxRows(1);
        g.SetMaxRows(4);
        g.SetCol(0);
        g.SetRow(2);
        QCOMPARE(g.CellTag(), QString()); // gone with its row

        // The rows shown follow each row hidden or shown, and the rows that move with
        // deletions and insertions: TopRow is the row at the top of the scrolled list.
        SpreadGrid v;
        v.resize(300, 120);
        v.SetMaxCols(2);
        v.SetMaxRows(40);
        for (int r = 2; r <= 5; ++r)
            v.SetRowHidden(r, true);
        v.SetTopRow(6);
        QCOMPARE(v.TopRow(), 6); // the second row shown
        v.SetRowHidden(6, true);
        QCOMPARE(v.TopRow(), 7);
        v.SetRowHidden(3, false);
        QCOMPARE(v.TopRow(), 3);
        v.DeleteRows(1, 2); // hidden: 2, 3, 4
        v.SetTopRow(2);
        QCOMPARE(v.TopRow(), 5);
        v.SetRowHidden(5, true);
        QCOMPARE(v.TopRow(), 6);
        v.InsertRows(1, 1); // hidden: 3, 4, 5, 6
        v.SetTopRow(3);
        QCOMPARE(v.TopRow(), 7);
        v.SetRowHidden(-1, false);
        v.SetTopRow(3);
        QCOMPARE(v.TopRow(), 3);
        v.SetRowHidden(1, true);
        QCOMPARE(v.TopRow(), 4);
    }

    // Cell settings move with their rows when rows come or go at the top, as in the middle;
    // the header row keeps its own, and a row pushed out or deleted takes its settings along.
    void cellSettingsMoveWithRowsAtTheTop()
    {
        SpreadGrid g;
        g.SetMaxCols(3);
        g.SetMaxRows(4);
        const auto setType = [&g](int c, int r, int type) {
            g.SetCol(c);
            g.SetRow(r);
            g.SetCellType(type);
        };
        const auto types = [&g](int c) {
            QList<int> out;
            for (int r = 0; r <= g.MaxRows(); ++r) {
                g.SetCol(c);
                g.SetRow(r);
                out << g.CellType();
            }
            return out;
        };
        const int B = SpreadGrid::CellTypeButton, E = SpreadGrid::CellTypeEdit, S = SpreadGrid::CellTypeStaticText;
        setType(2, 0, S);
        setType(2, 1, B);
        setType(2, 3, B);
        setType(2, 4, S); // the last row
        g.SetMaxRows(5);
        g.InsertRows(1, 1); // the last row goes
        QCOMPARE(types(2), (QList<int>{S, E, B, E, B, S}));
        g.InsertRows(1, 2); // rows 4 and 5 go
        QCOMPARE(types(2), (QList<int>{S, E, E, E, B, E}));
        setType(2, 1, B);
        g.InsertRows(3, 1); // in the middle
        QCOMPARE(types(2), (QList<int>{S, B, E, E, E, B}));
        g.DeleteRows(1, 2);
        QCOMPARE(types(2), (QList<int>{S, E, E, B, E, E}));
        g.DeleteRows(3, 1);
        QCOMPARE(types(2), (QList<int>{S, E, E, E, E, E}));
        setType(2, 5, B);
        g.SetMaxRows(4); // the cut row takes its setting along
        g.SetMaxRows(5);
        QCOMPARE(types(2), (QList<int>{S, E, E, E, E, E}));
        setType(2, 1, B);
        g.SetMaxRows(0);
        g.SetMaxRows(2);
        QCOMPARE(types(2), (QList<int>{S, E, E}));
        setType(2, 2, B);
        g.InsertRows(1, 1);
        QCOMPARE(types(2), (QList<int>{S, E, E}));
        g.SetMaxRows(3);
        QCOMPARE(types(2), (QList<int>{S, E, E, E}));
        setType(2, 1, B);
        g.InsertRows(1, 1);
        QCOMPARE(types(2), (QList<int>{S, E, B, E}));
        QCOMPARE(types(1), (QList<int>{E, E, E, E}));
    }

    void unitsAndTwips()
    {
        SpreadGrid g;
        g.SetMaxCols(2);
        g.SetMaxRows(2);
        g.SetColWidth(1, 10);
        QCOMPARE(g.ColWidth(1), 10.0);
        g.SetRowHeight(1, 15);
        g.SetUnitType(2);
        QCOMPARE(g.RowHeight(1), 300.0); // points -> twips
        g.SetRowHeight(1, 600);
        g.SetColWidth(2, 1500);          // 100 pixels
        QVERIFY(qAbs(g.ColWidth(2) - 1500) <= 15);
        g.SetUnitType(0);
        QCOMPARE(g.RowHeight(1), 30.0);
        g.resize(200, 100);
        QCOMPARE(g.Width(), 3000);
    }

    // A grid like the voucher grid's amounts: 10-character currency columns, a 4-character
    // text column and row numbers past 999, as drawn on screen.
    static void setUpNarrowColumns(SpreadGrid& g)
    {
        g.resize(700, 300);
        g.SetMaxCols(3);
        g.SetMaxRows(1996);
        g.SetColWidth(0, 3.5);
        g.SetColWidth(1, 4);
        for (int c = 2; c <= 3; ++c) {
            g.SetColWidth(c, 10);
            g.SetCol(c);
            g.SetRow(-1);
            g.SetCellType(SpreadGrid::CellTypeCurrency);
            g.SetTypeCurrencyMin(-999999999999.0);
            g.SetTypeCurrencyMax(999999999999.0);
            g.SetTypeCurrencyShowSymbol(false);
            g.SetTypeCurrencyDecPlaces(0);
            g.SetTypeCurrencyShowSep(true);
        }
        g.SetText(1, 1994, QStringLiteral("소프트웨어"));
        g.SetText(1, 1995, QStringLiteral("부품"));
        g.SetText(1, 1996, QStringLiteral("050512345678")); // a code in a text column: no amount
        g.SetText(2, 1994, QStringLiteral("25597197200"));
        g.SetText(3, 1994, QStringLiteral("-99998760432"));
        g.SetText(2, 1995, QStringLiteral("2058510200"));
        g.SetText(3, 1995, QStringLiteral("-5000"));
        g.SetText(2, 1996, QStringLiteral("1000"));
    }
    static bool showAtTheEnd(SpreadGrid& g)
    {
        g.show();
        if (!QTest::qWaitForWindowExposed(&g))
            return false;
        g.SetTopRow(1990); // as far down as it goes
        return g.TopRow() > 1970;
    }

    // What the grid draws: every amount (a currency cell) whole, or the overflow mark, never
    // a part of itself; the row numbers whole. A text cell that reads as a number (a code, a
    // telephone number) is no amount: it shows its beginning, cut by the cell.
    void numbersAreDrawnWholeOrNotAtAll()
    {
        SpreadGrid g;
        setUpNarrowColumns(g);
        QVERIFY(showAtTheEnd(g));
        const QList<testsupport::DrawnTextRun> runs = testsupport::drawnText(g.viewport());
        const QStringList amounts{QStringLiteral("25,597,197,200"), QStringLiteral("-99,998,760,432"),
                                  QStringLiteral("2,058,510,200"), QStringLiteral("-5,000"), QStringLiteral("1,000")};
        const QString code = QStringLiteral("050512345678");
        QStringList seen;
        for (const auto& run : runs) {
            const QString t = run.text;
            if (t == code) {
                seen << t;
                QVERIFY(!run.clip.isEmpty());
                QVERIFY(run.box.left() >= run.clip.left() && run.box.right() > run.clip.right());
                continue;
            }
            long double v;
            const bool number = platform::SpreadModel::parseNumber(t, v) || t.startsWith(QLatin1Char('#'));
            if (!number)
                continue;
            seen << t;
            // drawn whole: nothing of it lies outside the space it was given
            if (!run.clip.isEmpty())
                QVERIFY2(run.clip.adjusted(-0.5, -0.5, 0.5, 0.5).contains(run.box),
                         qPrintable(QStringLiteral("%1 is cut").arg(t)));
            const bool rowNumber = t.toInt() >= 1900 && t.toInt() <= 1996;
            QVERIFY2(rowNumber || amounts.contains(t) || t == SpreadGrid::OverflowMark(), qPrintable(t));
        }
        for (const char* rowNumber : {"1990", "1994", "1996"})
            QVERIFY2(seen.contains(QLatin1String(rowNumber)), qPrintable(seen.join(QLatin1Char(' '))));
        // what fits is shown as it is
        for (const char* fits : {"-5,000", "1,000"})
            QVERIFY2(seen.contains(QLatin1String(fits)), qPrintable(seen.join(QLatin1Char(' '))));
        QVERIFY2(seen.contains(code), qPrintable(seen.join(QLatin1Char(' '))));
        // the row-header column has widened to the row numbers; the stored width is kept
        QCOMPARE(g.ColWidth(0), 3.5);
        QVERIFY(g.ShownColWidth(0) > 3.5);
        QVERIFY(g.ShownText(0, 1996).whole);
    }

    void displayDecision()
    {
        QFont f;
        f.setPointSizeF(9);
        const QFontMetrics fm(f);
        const QString total = QStringLiteral("25,597,197,200");
        const int w = fm.horizontalAdvance(total);
        using Fit = SpreadGrid::CellTextFit;
        const Fit whole = SpreadGrid::FitCellText(total, true, fm, w);
        QCOMPARE(whole.shown, total);
        QVERIFY(whole.whole);
        const Fit cut = SpreadGrid::FitCellText(total, true, fm, w - 1);
        QCOMPARE(cut.shown, QStringLiteral("###"));
        QVERIFY(!cut.whole);
        QCOMPARE(SpreadGrid::FitCellText(total, true, fm, fm.horizontalAdvance(QStringLiteral("#"))).shown,
                 QStringLiteral("#"));
        const Fit text = SpreadGrid::FitCellText(QStringLiteral("소프트웨어"), false, fm, 10);
        QCOMPARE(text.shown, QStringLiteral("소프트웨어")); // drawn from its beginning, cut by the cell
        QVERIFY(!text.whole);

        // the grid's decision for its cells, and the width that shows a cell whole
        SpreadGrid g;
        setUpNarrowColumns(g);
        QCOMPARE(g.ShownText(2, 1994).shown, QStringLiteral("###"));
        QCOMPARE(g.ShownText(3, 1995).shown, QStringLiteral("-5,000"));
        QVERIFY(!g.ShownText(1, 1994).whole);
        QVERIFY(g.ShownText(1, 1995).whole);
        QCOMPARE(g.ShownText(1, 1996).shown, QStringLiteral("050512345678")); // a text column
        QVERIFY(!g.ShownText(1, 1996).whole);
        g.SetColWidth(3, g.MaxTextCellWidth(3, 1994));
        QCOMPARE(g.ShownText(3, 1994).shown, QStringLiteral("-99,998,760,432"));
        g.SetColWidth(3, g.MaxTextCellWidth(3, 1994) - 0.5);
        QCOMPARE(g.ShownText(3, 1994).shown, QStringLiteral("###"));
    }

    // Resting the mouse on a cell that does not show its whole text shows it in a tip.
    void textTipShowsWhatTheCellCannot()
    {
        SpreadGrid g;
        setUpNarrowColumns(g);
        QVERIFY(showAtTheEnd(g));
        QPoint software, parts;
        QList<QPoint> marks;
        for (const auto& run : testsupport::drawnText(g.viewport())) {
            if (run.text == QStringLiteral("소프트웨어")) software = run.box.toRect().topLeft() + QPoint(2, 2);
            if (run.text == QStringLiteral("부품")) parts = run.box.center().toPoint();
            if (run.text == QStringLiteral("###")) marks << run.box.center().toPoint();
        }
        QVERIFY(!software.isNull() && !parts.isNull());
        auto hover = [&g](const QPoint& at) {
            QToolTip::hideText();
            QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 3000);
            QHelpEvent e(QEvent::ToolTip, at, g.viewport()->mapToGlobal(at));
            QCoreApplication::sendEvent(g.viewport(), &e);
            return QToolTip::isVisible() ? QToolTip::text() : QString();
        };
        QCOMPARE(hover(software), QString()); // no tips until asked for
        g.SetTextTip(1);
        QCOMPARE(hover(software), QStringLiteral("소프트웨어"));
        QCOMPARE(hover(parts), QString());
        // an amount shown as the overflow mark
        QStringList tips;
        for (const QPoint& at : marks)
            tips << hover(at);
        tips.sort();
        QCOMPARE(tips, (QStringList{QStringLiteral("-99,998,760,432"), QStringLiteral("2,058,510,200"),
                                    QStringLiteral("25,597,197,200")}));
        QToolTip::hideText();
    }

    // An amount column wider than the view (set so in a wider window) never comes into view
    // whole: its amounts are laid out in the part in view, whole where they fit there, else as
    // the overflow mark with the amount in the tip, never blank at every position nor cut. The
    // cell editor takes the part in view. A column that fits keeps its rule: cut, not drawn.
    void amountColumnWiderThanTheViewShowsItsAmounts()
    {
        SpreadGrid g;
        setUpNarrowColumns(g);
        g.SetTextTip(1);
        QVERIFY(showAtTheEnd(g));
        g.resize(230, 300);
        QTRY_COMPARE(g.viewport()->width(), 230 - 2 * g.frameWidth() - g.verticalScrollBar()->width());
        g.SetColWidth(2, g.ColRoom() + 8);
        const QStringList amounts{QStringLiteral("25,597,197,200"), QStringLiteral("2,058,510,200"),
                                  QStringLiteral("1,000")};
        const QRectF view(g.viewport()->rect());
        QMap<int, QStringList> shown; // row -> what column 2 showed, position by position
        for (int v = 0; v <= g.horizontalScrollBar()->maximum(); ++v) {
            g.horizontalScrollBar()->setValue(v);
            const QList<testsupport::DrawnTextRun> runs = testsupport::drawnText(g.viewport());
            for (const auto& run : runs) {
                long double n;
                if (!platform::SpreadModel::parseNumber(run.text, n) && !run.text.startsWith(QLatin1Char('#')))
                    continue;
                QVERIFY2(run.box.left() >= view.left() - 0.5 && run.box.right() <= view.right() + 0.5,
                         qPrintable(QStringLiteral("%1 is cut by the edge at column %2").arg(run.text).arg(v + 1)));
            }
            for (int r = 1994; r <= 1996; ++r) {
                const QRect rc = g.CellRect(2, r);
                if (!rc.isEmpty())
                    for (const auto& run : testsupport::runsIn(runs, rc.intersected(g.viewport()->rect())))
                        if (run.text != QStringLiteral("050512345678")) // (the code beside, cut by its cell)
                            shown[r] << run.text;
            }
        }
        QVERIFY2(shown[1996].contains(QStringLiteral("1,000")), qPrintable(shown[1996].join(QLatin1Char(' '))));
        QVERIFY2(shown[1995].contains(QStringLiteral("2,058,510,200")), qPrintable(shown[1995].join(QLatin1Char(' '))));
        QVERIFY2(!shown[1994].isEmpty(), "25,597,197,200 is never drawn");
        for (int r = 1994; r <= 1996; ++r)
            for (const QString& t : shown[r])
                QVERIFY2(amounts.contains(t) || t.startsWith(QLatin1Char('#')), qPrintable(t));

        // the tip names an amount shown as the mark, and only such an amount
        g.horizontalScrollBar()->setValue(1); // column 2 at the left
        for (const auto& run : testsupport::drawnText(g.viewport())) {
            if (!amounts.contains(run.text) && !run.text.startsWith(QLatin1Char('#')))
                continue;
            const QPoint at = run.box.center().toPoint();
            QToolTip::hideText();
            QTest::qWaitFor([] { return !QToolTip::isVisible(); }, 3000);
            QHelpEvent e(QEvent::ToolTip, at, g.viewport()->mapToGlobal(at));
            QCoreApplication::sendEvent(g.viewport(), &e);
            if (run.text.startsWith(QLatin1Char('#')))
                QCOMPARE(QToolTip::text(), QStringLiteral("25,597,197,200"));
            else
                QVERIFY2(!QToolTip::isVisible(), qPrintable(run.text));
        }
        QToolTip::hideText();

        // the editor of such a cell lies in the view and shows its amount whole
        g.setFocus();
        g.SetActiveCell(2, 1995);
        g.StartEdit();
        QLineEdit* ed = g.editorWidget();
        QVERIFY(ed);
        QVERIFY2(g.viewport()->rect().contains(ed->geometry()),
                 qPrintable(QStringLiteral("%1..%2 in %3").arg(ed->geometry().left()).arg(ed->geometry().right())
                                .arg(g.viewport()->width())));
        bool whole = false;
        for (const auto& run : testsupport::drawnText(ed)) {
            QVERIFY(run.box.left() >= -0.5 && run.box.right() <= ed->width() + 0.5);
            whole = whole || run.text == ed->text();
        }
        QVERIFY(whole);
        g.EndEdit();

        // a column that fits the view: at the position that cuts it, its amounts are not drawn
        g.SetColWidth(2, 10);
        g.SetColWidth(1, g.ColRoom() - 5);
        g.horizontalScrollBar()->setValue(0);
        for (const auto& run : testsupport::drawnText(g.viewport()))
            QVERIFY2(!amounts.contains(run.text) && !run.text.startsWith(QLatin1Char('#')), qPrintable(run.text));
    }

    // Columns widened under a grid that shows its last row: the horizontal scroll bar that
    // comes takes room from the rows, and the active last row stays wholly in view.
    void activeRowStaysInViewWhenAScrollBarComes()
    {
        SpreadGrid g;
        g.resize(400, 200);
        g.SetMaxCols(4);
        g.SetMaxRows(50);
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        g.SetActiveCell(1, 50);
        QVERIFY(!g.horizontalScrollBar()->isVisible());
        auto lastRowBottom = [&g] {
            for (const auto& run : testsupport::drawnText(g.viewport()))
                if (run.text == QStringLiteral("50"))
                    return run.box.bottom();
            return qreal(1e9);
        };
        QVERIFY(lastRowBottom() <= g.viewport()->height());
        g.SetColWidth(2, 40); // wider than the grid
        QTRY_VERIFY(g.horizontalScrollBar()->isVisible());
        QVERIFY2(lastRowBottom() <= g.viewport()->height(),
                 qPrintable(QStringLiteral("%1 > %2").arg(lastRowBottom()).arg(g.viewport()->height())));
        // and the user can scroll to the end
        g.verticalScrollBar()->setValue(g.verticalScrollBar()->maximum());
        QVERIFY(lastRowBottom() <= g.viewport()->height());
    }

    // A cell made active while the grid is still hidden and small (a window being set up) is
    // brought into view when the grid is shown at its real size: the first columns are not
    // scrolled away because the grid was narrow before.
    void hiddenGridScrollsOnlyWhenShown()
    {
        QWidget window;
        window.resize(600, 300);
        auto* g = new SpreadGrid(&window);
        g->setGeometry(0, 0, 40, 40);
        g->SetMaxCols(6);
        g->SetMaxRows(80);
        for (int c = 1; c <= 6; ++c)
            g->SetColWidth(c, 15);
        g->SetActiveCell(2, 80);
        g->setGeometry(0, 0, 600, 300);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(g->LeftCol(), 1);
        QVERIFY(g->TopRow() > 60); // the active row is in view
    }

    // A hidden row is never the active one. The page keys count the rows shown; a hidden row
    // set by code gives way to the row shown nearest, the way of the move first; a hidden
    // active row, or one that rows hidden moved into, passes to the row shown nearest, with
    // one LeaveCell once the change is over. With no row shown there is no active row.
    void activeRowIsNeverAHiddenRow()
    {
        SpreadGrid g;
        g.resize(300, 160);
        g.SetMaxCols(3);
        g.SetMaxRows(30);
        for (int r = 1; r <= 30; ++r)
            g.SetText(1, r, QString::number(r));
        g.show();
        QApplication::setActiveWindow(&g);
        QVERIFY(QTest::qWaitForWindowActive(&g));
        g.setFocus();
        for (int r : {1, 2, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 29, 30})
            g.SetRowHidden(r, true);
        g.Refresh();
        QList<int> shown;
        for (int r = 1; r <= 30; ++r)
            if (!g.RowHidden(r))
                shown << r;
        const int page = g.verticalScrollBar()->pageStep();
        QVERIFY(page >= 2 && page < 10);
        QStringList leaves;
        connect(&g, &SpreadGrid::LeaveCell, [&](int, int r, int, int nr, bool&) {
            leaves << QStringLiteral("%1>%2").arg(r).arg(nr);
        });
        g.SetActiveCell(1, 3);
        for (int i = 0; shown.indexOf(g.ActiveRow()) + 1 < shown.size(); ++i) {
            const int expected = shown.value(qMin(shown.indexOf(g.ActiveRow()) + page, shown.size() - 1));
            QTest::keyClick(&g, Qt::Key_PageDown, i % 2 ? Qt::ControlModifier : Qt::NoModifier);
            QCOMPARE(g.ActiveRow(), expected);
        }
        for (int i = 0; g.ActiveRow() != 3; ++i) {
            QVERIFY(i < 10);
            const int expected = shown.value(qMax(shown.indexOf(g.ActiveRow()) - page, 0));
            QTest::keyClick(&g, Qt::Key_PageUp, i % 2 ? Qt::ControlModifier : Qt::NoModifier);
            QCOMPARE(g.ActiveRow(), expected);
        }
        QTest::keyClick(&g, Qt::Key_End, Qt::ControlModifier);
        QCOMPARE(g.ActiveRow(), 28);
        QTest::keyClick(&g, Qt::Key_End);
        QCOMPARE(g.ActiveRow(), 28);
        QTest::keyClick(&g, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(g.ActiveRow(), 3);
        QTest::keyClick(&g, Qt::Key_Home);
        QCOMPARE(g.ActiveRow(), 3);

        g.SetActiveCell(1, 6); // down to a hidden row
        QCOMPARE(g.ActiveRow(), 15);
        g.SetActiveCell(1, 28);
        g.SetActiveCell(1, 6); // up to it
        QCOMPARE(g.ActiveRow(), 4);

        leaves.clear();
        g.SetRowHidden(4, true); // the active row
        QCOMPARE(g.ActiveRow(), 15);
        g.Refresh();
        QCOMPARE(leaves, QStringList{QStringLiteral("4>15")});
        g.SetRowHidden(16, true);
        g.DeleteRows(15, 1); // the hidden row moves into the active row's place
        QVERIFY(!g.RowHidden(g.ActiveRow()));
        QCOMPARE(g.GetText(1, g.ActiveRow()), QStringLiteral("17"));
        g.SortRows(1, false); // the hidden rows 14 down to 4 move into the active row's place
        QVERIFY(g.RowHidden(16));
        QCOMPARE(g.GetText(1, g.ActiveRow()), QStringLiteral("3"));

        leaves.clear();
        const int lost = g.ActiveRow();
        g.SetRowHidden(-1, true);
        QCOMPARE(g.ActiveRow(), 0);
        for (Qt::Key key : {Qt::Key_Home, Qt::Key_Down, Qt::Key_PageDown, Qt::Key_End}) {
            QTest::keyClick(&g, key, Qt::ControlModifier);
            QTest::keyClick(&g, key);
        }
        g.SetActiveCell(1, 5);
        QCOMPARE(g.ActiveRow(), 0);
        QCoreApplication::processEvents();
        QCOMPARE(leaves, QStringList{QStringLiteral("%1>0").arg(lost)});
        g.SetRowHidden(-1, false); // the cursor comes back
        QCoreApplication::processEvents();
        QCOMPARE(g.ActiveRow(), lost);
        QCOMPARE(leaves.last(), QStringLiteral("0>%1").arg(lost));
    }

    void insertRowsDropsTheLastRow()
    {
        SpreadGrid g;
        g.SetMaxCols(2);
        g.SetMaxRows(2);
        g.SetText(1, 1, QStringLiteral("a"));
        g.SetText(1, 2, QStringLiteral("b"));
        g.SetMaxRows(3);
        g.InsertRows(1, 1);
        QCOMPARE(g.GetText(1, 1), QString());
        QCOMPARE(g.GetText(1, 2), QStringLiteral("a"));
        QCOMPARE(g.GetText(1, 3), QStringLiteral("b"));
        QString out;
        QVERIFY(!g.GetText(1, 4, out));
        QVERIFY(!g.GetText(3, 1, out));
        QVERIFY(g.GetText(0, 0, out));
    }
};

QTEST_MAIN(TstSpreadGrid)
#include "tst_spreadgrid.moc"
