#include "GridWindowFixture.h"

#include "frame/ModWinApi.h"
#include "frame/modFormIni.h"
#include "frame/modMain.h"
#include "frame/modSpread60.h"
#include "frame/modSpreadMenu.h"
#include "platform/IniFile.h"
#include "platform/SpreadGrid.h"
#include "platform/SpreadModel.h"
#include "support/ScriptedPrompter.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QVBoxLayout>
#include <QtTest>

using platform::SpreadGrid;

namespace {

using frametest::GridWindow;

// The grid menu's window: eight rows, 100 to 700 in column 2 of rows 1 to 7.
struct MenuWindow : GridWindow {
    MenuWindow() : GridWindow(QStringLiteral("frmMenuTest"), 4, 8)
    {
        for (int r = 1; r <= 7; ++r)
            spList->SetText(2, r, QString::number(r * 100));
    }
};

QString iniFile() { return FormIniFile(QStringLiteral("frmMenuTest")); }

QString stored(const QString& key)
{
    return ReadIniValue(iniFile(), QStringLiteral("spList_General"), key);
}

} // namespace

class TestModSpreadMenu : public QObject, frametest::FolderFixture {
    Q_OBJECT

private slots:
    void init() { setUpFolder(); }
    void cleanup() { tearDownFolder(); }

    void popupMenuIdsSeparatorsAndGreyedItems()
    {
        testsupport::ScriptedPrompter p;
        const QStringList items{QStringLiteral("01하나"), QStringLiteral("-"), QStringLiteral("X"),
                                QStringLiteral("07일곱"), QStringLiteral("12열둘"), QStringLiteral("00닫기")};
        // Shown: 하나, separator, 일곱 (greyed), 열둘, 닫기; then dismissed and out of range.
        p.menuAnswers << 0 << 1 << 2 << 3 << 4 << -1 << 9;
        for (long expected : {1L, 0L, 0L, 12L, 0L, 0L, 0L})
            QCOMPARE(ShowPopupMenu(nullptr, items), expected);
        QCOMPARE(p.calls.first().text, QStringLiteral("하나||일곱|열둘|닫기"));
    }

    void rowHeightAskedUntilInRangeAndStored()
    {
        testsupport::ScriptedPrompter p;
        {
            MenuWindow w;
            p.menuAnswers << 0;
            p.inputAnswers << QStringLiteral("7") << QStringLiteral("101") << QStringLiteral("20");
            ShowSpreadMenu(&w, w.spList, false, QString(), false, true);
            QCOMPARE(p.calls.size(), 4); // the menu and three questions
            QCOMPARE(w.spList->RowHeight(7), 20.0);
            QCOMPARE(w.spList->RowHeight(0), 22.0);
            QCOMPARE(stored(QStringLiteral("RowHeight")), QStringLiteral("20"));
        }
        MenuWindow again;
        LoadFormIni(&again, true);
        QCOMPARE(again.spList->RowHeight(3), 20.0);
    }

    void rowHeightZeroCancelAndSameValue()
    {
        testsupport::ScriptedPrompter p;
        MenuWindow w;
        const double designed = w.spList->RowHeight(1);
        p.inputAnswers << QVariant() << QString::number(int(designed)); // cancel, the value in effect
        DoSpreadMenuItem(SpreadMenuRowHeight, &w, w.spList, QString());
        DoSpreadMenuItem(SpreadMenuRowHeight, &w, w.spList, QString());
        QVERIFY(!QFile::exists(iniFile()));
        // 0 keeps the present height and stores "0"; text that is no number counts as 0.
        p.inputAnswers << QStringLiteral("0") << QStringLiteral("abc");
        DoSpreadMenuItem(SpreadMenuRowHeight, &w, w.spList, QString());
        QCOMPARE(stored(QStringLiteral("RowHeight")), QStringLiteral("0"));
        DoSpreadMenuItem(SpreadMenuRowHeight, &w, w.spList, QString());
        QCOMPARE(p.calls.size(), 4);
        QCOMPARE(w.spList->RowHeight(1), designed);
    }

    void fontSizeAppliesToCellsAndHeader()
    {
        testsupport::ScriptedPrompter p;
        MenuWindow w;
        p.inputAnswers << QStringLiteral("61") << QStringLiteral("7") << QStringLiteral("14");
        DoSpreadMenuItem(SpreadMenuFontSize, &w, w.spList, QStringLiteral("_b"));
        QCOMPARE(p.calls.size(), 3);
        for (int r : {0, 1, 8}) {
            w.spList->SetCol(3);
            w.spList->SetRow(r);
            QCOMPARE(w.spList->FontSize(), 14.0);
        }
        QCOMPARE(ReadIniValue(FormIniFile(QStringLiteral("frmMenuTest"), QStringLiteral("_b")),
                              QStringLiteral("spList_General"), QStringLiteral("FontSize")),
                 QStringLiteral("14"));
    }

    void resetDeletesTheLayoutFile()
    {
        testsupport::ScriptedPrompter p;
        MenuWindow w;
        SaveSpreadIni_Gn(&w, w.spList, QStringLiteral("RowHeight"), QStringLiteral("30"));
        p.msgAnswers << platform::AnswerNo << platform::AnswerYes;
        DoSpreadMenuItem(SpreadMenuReset, &w, w.spList, QString());
        QVERIFY(QFile::exists(iniFile()));
        QCOMPARE(p.lastMessage().style, int(platform::MsgStyleYesNo));
        DoSpreadMenuItem(SpreadMenuReset, &w, w.spList, QString());
        QVERIFY(!QFile::exists(iniFile()));
        QVERIFY(p.lastMessage().text.startsWith(QStringLiteral("초기화를 완료하였습니다.")));
    }

    void resetThatCannotDeleteDoesNotReportSuccess()
    {
        testsupport::ScriptedPrompter p;
        MenuWindow w;
        QVERIFY(QDir().mkpath(iniFile() + QStringLiteral("/blocked"))); // cannot be removed as a file
        p.msgAnswers << platform::AnswerYes;
        DoSpreadMenuItem(SpreadMenuReset, &w, w.spList, QString());
        QCOMPARE(p.messages().size(), 2);
        QVERIFY(p.lastMessage().text.contains(QStringLiteral("DelFormIni")));
    }

    void subtotalRowsToggleWithoutTouchingData()
    {
        testsupport::ScriptedPrompter p;
        MenuWindow w;
        SpreadGrid* g = w.spList;
        for (int r : {3, 6}) {
            g->SetCol(0);
            g->SetRow(r);
            g->SetCellTag(QStringLiteral("subtot"));
        }
        g->SetRefStyle(2);
        g->SetCol(3);
        g->SetRow(8);
        g->SetFormula(QStringLiteral("SUM(R1C2:R7C2)"));
        auto hidden = [g] {
            QList<int> rows;
            for (int r = 1; r <= g->MaxRows(); ++r)
                if (g->RowHidden(r))
                    rows << r;
            return rows;
        };
        g->SetActiveCell(1, 3); // on a subtotal row: the cursor leaves it while hidden, and comes back
        DoSpreadMenuItem(SpreadMenuSubtot, &w, g, QString());
        QCOMPARE(hidden(), (QList<int>{3, 6}));
        QCOMPARE(g->ActiveRow(), 4);
        DoSpreadMenuItem(SpreadMenuSubtot, &w, g, QString());
        QCOMPARE(hidden(), QList<int>());
        QCOMPARE(g->ActiveRow(), 3);
        DoSpreadMenuItem(SpreadMenuOnlySubtot, &w, g, QString());
        QCOMPARE(hidden(), (QList<int>{1, 2, 4, 5, 7, 8}));
        DoSpreadMenuItem(SpreadMenuSubtot, &w, g, QString()); // each item toggles its own rows
        QCOMPARE(hidden().size(), 8);
        // Rows, values and sums are untouched.
        QCOMPARE(g->MaxRows(), 8);
        QCOMPARE(g->GetText(2, 7), QStringLiteral("700"));
        QCOMPARE(g->GetText(3, 8), QStringLiteral("2800"));
    }

    // Hiding and showing the rows of a long list through the menu (items 07 and 06, every fifth
    // row a subtotal) in the state of an editable list: editing permanent, the editor open on the
    // blank last row, scrolled to the bottom. Each item leaves the rows and the editor as it
    // should, and places the open editor once when it is over, not once a row. (bench-grid times
    // the items on 8,000 and 32,000 rows.)
    void subtotalItemsPlaceTheEditorOnce()
    {
        testsupport::ScriptedPrompter p;
        const int rows = 8000;
        GridWindow w(QStringLiteral("frmMenuTest"), 4, rows + 1);
        SpreadGrid* g = w.spList;
        CommonSpreadDesign(g, false, false, true, true, true);
        w.resize(600, 400);
        g->resize(600, 400);
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        for (int r = 5; r <= rows; r += 5) {
            g->SetCol(0);
            g->SetRow(r);
            g->SetCellTag(QStringLiteral("subtot"));
        }
        // the editor open on a row at the bottom, the list scrolled there
        auto editAt = [g](int row) {
            g->SetFocus();
            g->SetActiveCell(1, row);
            QCoreApplication::processEvents();
            return g->IsEditing() && g->TopRow() > 1;
        };
        auto hiddenCount = [g] {
            int n = 0;
            for (int r = 1; r <= g->MaxRows(); ++r)
                n += g->RowHidden(r) ? 1 : 0;
            return n;
        };
        // The moves and resizes of the editor while the item runs and the list is drawn.
        struct Placements : QObject {
            int count = 0;
            bool eventFilter(QObject*, QEvent* e) override
            {
                count += e->type() == QEvent::Move || e->type() == QEvent::Resize;
                return false;
            }
        };
        auto placementsOf = [&](long item) {
            Placements seen;
            QLineEdit* editor = g->editorWidget();
            if (!editor)
                return -1;
            editor->installEventFilter(&seen);
            DoSpreadMenuItem(item, &w, g, QString());
            QCoreApplication::processEvents();
            if (g->editorWidget() != editor)
                return -1;
            editor->removeEventFilter(&seen);
            return seen.count;
        };
        QVERIFY(editAt(rows + 1));
        QCOMPARE_LE(placementsOf(SpreadMenuOnlySubtot), 2); // the editor's row goes too
        QCOMPARE(hiddenCount(), rows + 1 - rows / 5);
        QVERIFY(g->IsEditing());
        QVERIFY(editAt(rows));
        QCOMPARE_LE(placementsOf(SpreadMenuOnlySubtot), 2);
        QCOMPARE(hiddenCount(), 0);
        QVERIFY(editAt(rows + 1));
        QCOMPARE_LE(placementsOf(SpreadMenuSubtot), 2);
        QCOMPARE(hiddenCount(), rows / 5);
        QVERIFY(g->IsEditing());
        QCOMPARE_LE(placementsOf(SpreadMenuSubtot), 2);
        QCOMPARE(hiddenCount(), 0);
        QVERIFY(g->IsEditing());
        // The editor on the second subtotal at the top: the eight rows above it go one by one.
        g->SetActiveCell(1, 10);
        g->SetTopRow(1);
        QCoreApplication::processEvents();
        QVERIFY(g->IsEditing());
        QCOMPARE_LE(placementsOf(SpreadMenuOnlySubtot), 2);
        QCOMPARE(hiddenCount(), rows + 1 - rows / 5);
        QCOMPARE(g->ActiveRow(), 10);
    }

    void reportColumnsWindow()
    {
        testsupport::ScriptedPrompter p;
        MenuWindow w;
        int listed = -1;
        p.modalAnswers << [&listed](QDialog& d) {
            listed = d.findChild<QListWidget*>(QStringLiteral("List1"))->count();
            return int(QDialog::Rejected);
        };
        DoSpreadMenuItem(SpreadMenuRptCol, &w, w.spList, QString());
        QCOMPARE(p.calls.last().title, QStringLiteral("FrmSprRPTCol"));
        QCOMPARE(listed, 4);
    }

    void reallyEditAnswers()
    {
        testsupport::ScriptedPrompter p;
        MenuWindow w;
        SpreadGrid* g = w.spList;
        CommonSpreadDesign(g, false, false, true, true, true);
        auto colours = [g] {
            g->SetCol(2);
            g->SetRow(4);
            return qMakePair(g->BackColor(), g->ForeColor());
        };
        const auto before = colours();

        g->SetText(2, 4, QStringLiteral("999"));
        p.msgAnswers << platform::AnswerYes << platform::AnswerNo;
        QVERIFY(ReallyEdit(g, QStringLiteral("400"), 2, 4, true));
        QCOMPARE(g->GetText(2, 4), QStringLiteral("999"));
        QCOMPARE(p.lastMessage().text, QStringLiteral("정말 수정하시겠습니까?\r\n이전 데이터: 400"));
        QCOMPARE(colours(), before);

        QVERIFY(!ReallyEdit(g, QStringLiteral("400"), 2, 4, false, QStringLiteral("바꿀까요?")));
        QCOMPARE(g->GetText(2, 4), QStringLiteral("400"));
        QCOMPARE(p.lastMessage().style, int(platform::MsgStyleYesNoDefNo));
        QVERIFY(p.lastMessage().text.startsWith(QStringLiteral("바꿀까요?\r\n")));
        QCOMPARE(colours(), before);
    }

    // The question paints the cell for a moment only: afterwards the cell takes the row
    // stripe of wherever it goes (after a deletion above it or a sort), and a colour of its
    // own stays its own.
    void reallyEditLeavesNoColourBehind()
    {
        testsupport::ScriptedPrompter p;
        MenuWindow w;
        SpreadGrid* g = w.spList;
        CommonSpreadDesign(g, false, false, true, true, true);
        const quint32 own = platform::rgbColor(200, 10, 10);
        g->SetCol(3);
        g->SetRow(4);
        g->SetBackColor(own);
        auto back = [g](int c, int r) {
            g->SetCol(c);
            g->SetRow(r);
            return g->BackColor();
        };
        QCOMPARE(back(2, 4), GetEvenRowColor());
        p.msgAnswers << platform::AnswerYes << platform::AnswerNo;
        QVERIFY(ReallyEdit(g, QStringLiteral("400"), 2, 4, true));
        QVERIFY(!ReallyEdit(g, QStringLiteral("400"), 3, 4, true));
        QCOMPARE(back(3, 4), own);

        g->DeleteRows(1, 1); // row 4 becomes row 3, an odd row
        QCOMPARE(g->GetText(2, 3), QStringLiteral("400"));
        QCOMPARE(back(2, 3), GetOddRowColor());
        QCOMPARE(back(3, 3), own);
        g->SortRows(2, false, 1, 7); // 700 ... 200: the 400 row goes to row 4
        QCOMPARE(g->GetText(2, 4), QStringLiteral("400"));
        QCOMPARE(back(2, 4), GetEvenRowColor());
        QCOMPARE(back(3, 4), own);
        // the fore colour is put back the same way
        g->SetCol(2);
        g->SetRow(4);
        double v;
        QVERIFY(!g->model().explicitAttr(platform::SpreadModel::AForeColor, 2, 4, v));
        QVERIFY(!g->model().explicitAttr(platform::SpreadModel::ABackColor, 2, 4, v));
    }
};

QTEST_MAIN(TestModSpreadMenu)
#include "tst_modSpreadMenu.moc"
