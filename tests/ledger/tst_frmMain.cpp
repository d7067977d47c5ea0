#include "LedgerFixture.h"

#include "callerid/FrmRCidClient.h"
#include "frame/frmMsgBackUp.h"
#include "frame/frmSplash.h"
#include "frame/modBackUp.h"
#include "frame/modFormIni.h"
#include "frame/modMain.h"
#include "ledger/frmMain.h"
#include "platform/Database.h"
#include "platform/IniFile.h"
#include "platform/ProgramFolder.h"
#include "platform/Prompter.h"
#include "platform/SettingsStore.h"
#include "platform/SpreadGrid.h"
#include "support/DrawnText.h"
#include "support/ScriptedPrompter.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QtTest>

// The main window over a small ledger: start-up, the list and its totals, sorting, the
// party boxes, the caption and the shutdown.
class tst_frmMain : public QObject, ledgertest::MainWindowFixture {
    Q_OBJECT

    static QString text(platform::SpreadGrid* g, int col, int row) { return g->GetText(col, row); }

private slots:
    void init()
    {
        QVERIFY(setUpMain(ledgertest::oldMainSchema(), QStringLiteral(
            "INSERT INTO maechul (id, name, tel, phone, zipcode, address, memo) VALUES"
            " (40000, '김상회', '02-555-1234', '010-9999-0001', '06236', '서울 강남구', '단골');"
            "INSERT INTO maeip (id, name, tel, phone, zipcode, address, memo) VALUES"
            " (7, '공급사', '031-1', '', '', '', '');")));
    }

    void cleanup() { tearDownMain(); }

    void emptyResultGivesOneBlankRow()
    {
        auto w = start();
        QVERIFY(w);
        QCOMPARE(w->DefaultDate(), QStringLiteral("2024-03-20"));
        QCOMPARE(text(w->spDate[0], 1, 1), QStringLiteral("2024-03-01"));
        QCOMPARE(text(w->spDate[1], 1, 1), QStringLiteral("2024-03-20"));
        QCOMPARE(w->spList->MaxRows(), 1);
        QCOMPARE(text(w->spList, 1, 1), QStringLiteral("2024-03-20"));
        QCOMPARE(text(w->spList, 7, 1), QStringLiteral("2024-03-20"));
        QCOMPARE(text(w->spList, 13, 1), QString());
        for (int c : {6, 10, 11, 12})
            QCOMPARE(text(w->spTotal, c, 1).toDouble(), 0.0);
        QCOMPARE(w->spList->ColID(1), QStringLiteral("maeip_date"));
        QCOMPARE(w->spList->ColID(11), QStringLiteral("maechul_usecost"));
        QCOMPARE(prompter->messages().size(), 0);
    }

    // A list longer than the window opens on its blank input row, and what is typed first
    // goes into that row, not into the period field at the top of the window.
    void startShowsTheBlankRowForTyping()
    {
        QString data;
        for (int i = 1; i <= 80; ++i)
            data += QStringLiteral("INSERT INTO total (maeip_date, pro_name, group_name, maeip_code, maeip_cost,"
                                   " maechul_date, maechul_code, maechul_cost, maechul_usecost) VALUES"
                                   " ('2024-03-05', '상품%1', 'CPU', 0, 100, '2024-03-10', 0, 0, 0);").arg(i);
        QVERIFY(gDB == nullptr);
        QVERIFY(testsupport::runSqlScript(dbFile, data));
        // The login and the first-start notice are really shown over the hidden window.
        platform::SaveSetting(gsTitle, kEnvSection, QStringLiteral("NoMsg"), QStringLiteral("0"));
        auto shownAnswer = [](std::function<int(QDialog&)> answer) {
            return [answer](QDialog& d) {
                d.show();
                QApplication::processEvents();
                const int r = answer ? answer(d) : int(QDialog::Accepted);
                d.hide();
                return r;
            };
        };
        prompter->modalAnswers.enqueue(shownAnswer(loginAnswer()));
        prompter->modalAnswers.enqueue(shownAnswer({}));
        auto w = std::make_unique<frmMain>();
        QVERIFY(w->Form_Load());
        w->show();
        QApplication::setActiveWindow(w.get());
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QCOMPARE(w->spList->MaxRows(), 81);
        QVERIFY(w->spList->TopRow() > 40);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_X);
        QVERIFY(w->spList->IsEditing());
        QCOMPARE(w->spList->ActiveRow(), 81);
        QCOMPARE(w->spList->editorWidget()->text(), QStringLiteral("x"));
        QCOMPARE(text(w->spDate[0], 1, 1), QStringLiteral("2024-03-01"));
    }

    // The grid menu's "only subtotals" on the started main window, in the state it is in: the
    // editor open on the blank last row, the list scrolled to the bottom. The list has no
    // subtotal rows: the item hides every row, and the next time shows them again, with 8,000
    // and with 32,000 vouchers. The times are reported (bench-grid compares them).
    void onlySubtotalsOnALargeLedger()
    {
        QVERIFY(gDB == nullptr);
        const QString vouchers = QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT %1 UNION ALL SELECT i + 1 FROM n WHERE i < %2)"
            " INSERT INTO total (maeip_date, pro_code, pro_name, group_name, maeip_code, maeip_name, maeip_cost,"
            " maechul_date, maechul_code, maechul_name, maechul_cost, maechul_usecost)"
            " SELECT '2024-03-05', 0, '상품' || i, 'CPU', 7, '공급사', 1000 * i, '2024-03-10', 40000, '김상회',"
            " 1100 * i, 10 FROM n;");
        QVERIFY(testsupport::runSqlScript(dbFile, vouchers.arg(1).arg(8000)));
        auto w = start(true);
        QVERIFY(w);
        platform::SpreadGrid* g = w->spList;
        QCOMPARE(g->MaxRows(), 8001);
        QTRY_VERIFY(g->IsEditing());
        QCOMPARE(g->ActiveRow(), 8001);
        QVERIFY(g->TopRow() > 7000);
        auto hiddenRows = [g] {
            int n = 0;
            for (int r = 1; r <= g->MaxRows(); ++r)
                n += g->RowHidden(r) ? 1 : 0;
            return n;
        };
        struct Times { qint64 hide = -1, show = -1; };
        // One round: the editor on the blank last row, item 07 hides every row, item 07 shows
        // them again (and the editor comes back); each timed into best. False when the list
        // is not as it should be.
        auto round = [&](Times& best) {
            g->SetFocus();
            g->SetActiveCell(2, g->MaxRows());
            QCoreApplication::processEvents();
            if (!g->IsEditing() || g->TopRow() < g->MaxRows() / 2)
                return false;
            auto item07 = [&](qint64& ns) {
                prompter->menuAnswers.enqueue(6); // "07【소계만】보기/해제"
                QElapsedTimer t;
                t.start();
                QTest::mouseClick(g->viewport(), Qt::RightButton, Qt::NoModifier, QPoint(40, 40));
                QCoreApplication::processEvents(); // the list is drawn again
                const qint64 took = t.nsecsElapsed();
                if (ns < 0 || took < ns)
                    ns = took;
            };
            item07(best.hide);
            if (!prompter->calls.last().text.contains(QStringLiteral("【소계만】보기/해제")) || hiddenRows() != g->MaxRows())
                return false;
            item07(best.show);
            // the editor is back on the blank row
            return hiddenRows() == 0 && g->ActiveRow() == g->MaxRows() && g->IsEditing();
        };
        Times small, large;
        for (int i = 0; i < 3; ++i)
            QVERIFY(round(small));

        gDB->execute(vouchers.arg(8001).arg(32000).chopped(1));
        w->btnRefresh->click();
        QCOMPARE(g->MaxRows(), 32001);
        // the amounts are currency cells: drawn whole or as the overflow mark, never cut
        for (platform::SpreadGrid* grid : {g, w->spTotal})
            for (int c : {6, 10, 11, 12}) {
                grid->SetCol(c);
                grid->SetRow(1);
                QCOMPARE(grid->CellType(), int(platform::SpreadGrid::CellTypeCurrency));
            }
        for (int i = 0; i < 3; ++i)
            QVERIFY(round(large));
        // with the cursor on row 1, the view stays at the top and the editor comes back there
        g->SetActiveCell(3, 1);
        QTRY_VERIFY(g->IsEditing() && g->TopRow() == 1);
        for (int i = 0; i < 2; ++i) {
            prompter->menuAnswers.enqueue(6);
            QTest::mouseClick(g->viewport(), Qt::RightButton, Qt::NoModifier, QPoint(40, 40));
        }
        QTRY_VERIFY(g->IsEditing() && g->ActiveRow() == 1 && g->TopRow() == 1 && hiddenRows() == 0);
        qInfo("item 07 on the main window: hide %.1f ms / %.1f ms, show %.1f ms / %.1f ms (8000 / 32000 vouchers)",
              small.hide / 1e6, large.hide / 1e6, small.show / 1e6, large.show / 1e6);
    }

    // A row hidden by the grid menu's subtotal items (06 hides the rows tagged as subtotals,
    // 07 every other row) is never made current, with the editor open as the user has it:
    // the page keys, Home and End (also with Ctrl) move among the rows shown, the item moves
    // the cursor off a row it hides, the party boxes follow the row shown, and F4 deletes
    // only that row's voucher.
    void hiddenRowsAreNeverCurrent_data()
    {
        QTest::addColumn<int>("menuIndex"); // 5: "06【소계】숨김/보기", 6: "07【소계만】보기/해제"
        QTest::addColumn<int>("key");       // 0: no key, the item hides the current row
        QTest::addColumn<int>("mods");
        const struct { const char* name; int key; int mods; } keys[] = {
            {"PageDown", Qt::Key_PageDown, 0}, {"PageUp", Qt::Key_PageUp, 0},
            {"Ctrl+PageDown", Qt::Key_PageDown, Qt::ControlModifier}, {"Ctrl+PageUp", Qt::Key_PageUp, Qt::ControlModifier},
            {"Home", Qt::Key_Home, 0}, {"End", Qt::Key_End, 0},
            {"Ctrl+Home", Qt::Key_Home, Qt::ControlModifier}, {"Ctrl+End", Qt::Key_End, Qt::ControlModifier},
            {"item on the current row", 0, 0}};
        for (int item : {6, 7})
            for (const auto& k : keys)
                QTest::newRow(qPrintable(QStringLiteral("0%1 %2").arg(item).arg(QLatin1String(k.name))))
                    << item - 1 << k.key << k.mods;
    }

    void hiddenRowsAreNeverCurrent()
    {
        QFETCH(int, menuIndex);
        QFETCH(int, key);
        QFETCH(int, mods);
        QVERIFY(gDB == nullptr);
        QVERIFY(testsupport::runSqlScript(dbFile, QStringLiteral(
            "INSERT INTO maechul (id, name, tel, phone, zipcode, address, memo) VALUES"
            " (40001, '숨은상회', '', '', '', '', '');") + ledgertest::sameVouchersSql(40)));
        auto w = start(true);
        QVERIFY(w);
        platform::SpreadGrid* g = w->spList;
        QCOMPARE(g->MaxRows(), 41);
        QTRY_VERIFY(g->IsEditing());
        // Hidden: row 1 and the row a page below row 2 counted by row numbers (a voucher of
        // another party), and for 07 the blank row too.
        const int page = g->verticalScrollBar()->pageStep();
        QVERIFY(page >= 3 && page + 4 < 40);
        const int far = 2 + page;
        g->SetText(8, far, QStringLiteral("40001"));
        const bool only = menuIndex == 6;
        for (int r = 1; r <= 40; ++r) {
            g->SetCol(0);
            g->SetRow(r);
            if ((r == 1 || r == far) != only)
                g->SetCellTag(QStringLiteral("subtot"));
        }
        const qint64 farId = text(g, 13, far).toLongLong();
        const qint64 firstId = text(g, 13, 1).toLongLong();
        g->SetActiveCell(3, key ? 2 : far);
        QCOMPARE(w->txtCurClient[1]->text(), key ? QStringLiteral("40000") : QStringLiteral("40001"));

        prompter->menuAnswers.enqueue(menuIndex);
        QTest::mouseClick(g->viewport(), Qt::RightButton, Qt::NoModifier, QPoint(40, 40));
        QVERIFY(g->RowHidden(1) && g->RowHidden(far) && !g->RowHidden(2) && g->RowHidden(41) == only);
        if (key) {
            QTRY_VERIFY(g->IsEditing());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(key), Qt::KeyboardModifiers(mods));
        }
        const int row = g->ActiveRow();
        QVERIFY2(row >= 1 && row <= g->MaxRows() && !g->RowHidden(row), qPrintable(QString::number(row)));
        QTRY_VERIFY(g->IsEditing() && g->editorWidget()->isVisible());
        QCOMPARE(w->txtCurClient[1]->text(), text(g, 8, row));

        const qint64 id = text(g, 13, row).toLongLong();
        prompter->clear();
        prompter->msgAnswers.enqueue(platform::AnswerYes);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F4);
        QCOMPARE(prompter->messages().value(0).text, id ? QStringLiteral("선택된 전표자료를 정말로 삭제 하시겠습니까?")
                                                        : QStringLiteral("삭제할 전표자료를 선택하세요."));
        auto stored = [](qint64 v) {
            return gDB->scalar(QStringLiteral("SELECT COUNT(*) FROM total WHERE total_id = ?"), {v}).toInt();
        };
        QCOMPARE(stored(farId), 1);
        QCOMPARE(stored(firstId), 1);
        QCOMPARE(gDB->scalar(QStringLiteral("SELECT COUNT(*) FROM total")).toInt(), id ? 39 : 40);
        QVERIFY(!g->RowHidden(g->ActiveRow()));
    }

    // The cursor stays on the user's row, with the editor open on it (in 판매경비, at the
    // right): item 07 twice (every row hidden, then shown) brings it back to that row and its
    // view; F4 and 예 show the parties of the voucher moving into the row; a taller row (01) or
    // a larger font (02, the amount columns widen) keeps the cell in view. Row 0: the lowest
    // row wholly in view.
    void cursorStaysOnTheUsersRow_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<int>("row");
        for (int row : {1, 20, 40, 0})
            QTest::addRow("07 twice on row %d", row) << "07 twice" << row;
        for (const char* action : {"F4", "01", "02"})
            for (int row : {1, 0})
                QTest::addRow("%s on row %d", action, row) << action << row;
    }
    void cursorStaysOnTheUsersRow()
    {
        QFETCH(QString, action);
        QFETCH(int, row);
        QVERIFY(testsupport::runSqlScript(dbFile, QStringLiteral(
            "INSERT INTO maechul (id, name, tel, phone, zipcode, address, memo) VALUES (40001, '다음상회', '', '', '', '', '');")
            + ledgertest::sameVouchersSql(40)));
        auto w = start(true);
        QVERIFY(w);
        w->resize(760, 600);
        platform::SpreadGrid* g = w->spList;
        const auto inView = [g](int r) {
            QWidget* ed = g->editorWidget();
            return g->ActiveRow() == r && ed && ed->isVisible() && ed->hasFocus()
                && g->viewport()->rect().contains(ed->geometry().center());
        };
        g->SetFocus();
        for (g->SetActiveCell(11, 1); row == 0 && g->TopRow() == 1;) // the row before the first that scrolls
            g->SetActiveCell(11, g->ActiveRow() + 1);
        if (row == 0) {
            row = g->ActiveRow() - 1;
            g->SetTopRow(1);
        }
        g->SetActiveCell(11, row);
        QTRY_VERIFY(inView(row));
        const int top = g->TopRow();
        g->SetText(8, row + 1, QStringLiteral("40001")); // the voucher below has another sales party
        const auto menu = [&](int index) {
            prompter->menuAnswers.enqueue(index);
            QTest::mouseClick(g->viewport(), Qt::RightButton, Qt::NoModifier, QPoint(40, 40));
        };
        if (action == QLatin1String("F4")) {
            prompter->msgAnswers.enqueue(platform::AnswerYes);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_F4);
            QCOMPARE(g->ActiveRow(), row);
            QCOMPARE(w->txtCurClient[1]->text(), text(g, 8, row));
            QCOMPARE(w->pnlinfo2[0]->text(), QStringLiteral("다음상회"));
            return;
        }
        if (action == QLatin1String("07 twice")) {
            menu(6);
            QCOMPARE(g->ActiveRow(), 0);
            menu(6);
        } else {
            prompter->inputAnswers.enqueue(QStringLiteral("40"));
            menu(action == QLatin1String("01") ? 0 : 1);
        }
        QTRY_VERIFY(inView(row));
        if (action == QLatin1String("07 twice"))
            QCOMPARE(g->TopRow(), top);
    }

    // The steps in which a voucher the user never saw was deleted: 07 hides every voucher, a
    // sort by 품명, a voucher typed into the blank row, 07 again (now the new voucher and the
    // blank row are hidden); a click on row 2, PageDown, F4 and Yes.
    void voucherAddedWhileOthersWereHiddenIsNotDeleted()
    {
        QVERIFY(gDB == nullptr);
        QVERIFY(testsupport::runSqlScript(dbFile, QStringLiteral("INSERT INTO product (name) VALUES ('TV');")
                                                      + ledgertest::sameVouchersSql(5)));
        auto w = start(true);
        QVERIFY(w);
        platform::SpreadGrid* g = w->spList;
        QTRY_VERIFY(g->IsEditing());
        auto item07 = [&] {
            prompter->menuAnswers.enqueue(6);
            QTest::mouseClick(g->viewport(), Qt::RightButton, Qt::NoModifier, QPoint(40, 40));
        };
        item07();
        QVERIFY(g->RowHidden(1) && g->RowHidden(6));
        g->UserSortClick(3); // a header click on 품명
        QCOMPARE(g->MaxRows(), 6);
        QVERIFY(!g->RowHidden(6)); // the new blank row
        g->SetFocus();
        g->SetActiveCell(3, 6);
        QTRY_VERIFY(g->IsEditing());
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("TV"));
        QApplication::sendEvent(g->editorWidget(), &commit);
        QTest::keyClick(g->editorWidget(), Qt::Key_Return);
        const qint64 added = gDB->scalar(QStringLiteral("SELECT total_id FROM total WHERE pro_name = 'TV'")).toLongLong();
        QVERIFY(added > 5);
        QCOMPARE(g->MaxRows(), 7);
        item07();
        QVERIFY(!g->RowHidden(2) && g->RowHidden(6) && g->RowHidden(7));
        g->SetActiveCell(3, 2);
        QTRY_VERIFY(g->IsEditing());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown);
        QCOMPARE(g->ActiveRow(), 5); // the last voucher shown
        const qint64 shown = text(g, 13, 5).toLongLong();
        prompter->clear();
        prompter->msgAnswers.enqueue(platform::AnswerYes);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_F4);
        auto stored = [](qint64 v) {
            return gDB->scalar(QStringLiteral("SELECT COUNT(*) FROM total WHERE total_id = ?"), {v}).toInt();
        };
        QCOMPARE(stored(added), 1);
        QCOMPARE(stored(shown), 0);
    }

    // The group filter drops its list when the user tabs into it; picking from the list
    // gives the focus back to the combo, which must not open the list again: the pick would
    // be lost and the open list would swallow the next click.
    void groupComboOpensOnlyWhenEntered()
    {
        QVERIFY(testsupport::runSqlScript(dbFile, QStringLiteral(
            "INSERT INTO total (maeip_date, pro_name, group_name, maechul_date) VALUES ('2024-03-05', 'a', 'CPU', '2024-03-10');"
            "INSERT INTO total (maeip_date, pro_name, group_name, maechul_date) VALUES ('2024-03-05', 'b', 'HDD', '2024-03-10');")));
        auto w = start(true);
        QVERIFY(w);
        QVERIFY(w->cmbGroup->count() == 3);
        w->txtPName->setFocus();
        QTest::keyClick(w->txtPName, Qt::Key_Tab);
        QTRY_VERIFY(w->cmbGroup->view()->isVisible());
        QTest::keyClick(w->cmbGroup->view(), Qt::Key_Down);
        QTest::keyClick(w->cmbGroup->view(), Qt::Key_Return);
        QTRY_VERIFY(!w->cmbGroup->view()->isVisible());
        for (Qt::FocusReason reason : {Qt::PopupFocusReason, Qt::MouseFocusReason, Qt::ActiveWindowFocusReason}) {
            QFocusEvent back(QEvent::FocusIn, reason);
            QCoreApplication::sendEvent(w->cmbGroup, &back);
            QApplication::processEvents();
            QVERIFY2(!w->cmbGroup->view()->isVisible(), qPrintable(QString::number(reason)));
        }
        QCOMPARE(w->cmbGroup->currentText(), QStringLiteral("CPU"));
    }

    // Escape in a dropped-down list of the search bar only closes the list: the search text
    // stays, the list is not refreshed and the focus stays in the combo box.
    void escapeInAnOpenListOnlyClosesIt_data()
    {
        QTest::addColumn<QString>("combo");
        QTest::addColumn<bool>("byMouse");
        for (const char* name : {"cmbGroup", "cmbGu", "cmbGetRinglet"}) {
            QTest::addRow("%s Alt+Down", name) << QString::fromLatin1(name) << false;
            QTest::addRow("%s click", name) << QString::fromLatin1(name) << true;
        }
    }

    void escapeInAnOpenListOnlyClosesIt()
    {
        QFETCH(QString, combo);
        QFETCH(bool, byMouse);
        QVERIFY(testsupport::runSqlScript(dbFile, QStringLiteral(
            "INSERT INTO total (maeip_date, pro_name, group_name, maechul_date, maechul_name) VALUES"
            " ('2024-03-05', 'a', 'CPU', '2024-03-10', '김상회'), ('2024-03-05', 'b', 'HDD', '2024-03-10', '이상사');")));
        auto w = start(true);
        QVERIFY(w);
        w->cmbGetRinglet->addItem(QStringLiteral("02-555-1234 10:00 김상회"));
        w->txtCName->setText(QStringLiteral("김상"));
        w->RefreshList();
        QCOMPARE(w->spList->MaxRows(), 2);
        // a mark in the blank row: a refresh would remove it
        w->spList->SetText(3, 2, QStringLiteral("표시"));
        auto* cmb = w->findChild<QComboBox*>(combo);
        QVERIFY(cmb);
        QWidget* focusTarget = cmb; // an editable one too: it passes the keys on to its line
        cmb->setFocus(Qt::OtherFocusReason);
        QTRY_COMPARE(QApplication::focusWidget(), focusTarget);
        if (byMouse)
            QTest::mouseClick(cmb, Qt::LeftButton, {}, QPoint(cmb->width() - 6, cmb->height() / 2));
        else
            QTest::keyClick(focusTarget, Qt::Key_Down, Qt::AltModifier);
        QTRY_VERIFY(cmb->view()->isVisible());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_VERIFY(!cmb->view()->isVisible());
        QApplication::processEvents();
        QCOMPARE(w->txtCName->text(), QStringLiteral("김상"));
        QCOMPARE(text(w->spList, 3, 2), QStringLiteral("표시"));
        // (the window's own focus: without a window manager the closed list does not hand the
        // activation back to the window)
        QCOMPARE(w->focusWidget(), focusTarget);
        // with the list closed, Escape is the window's again
        QApplication::setActiveWindow(w.get());
        QTRY_COMPARE(QApplication::focusWidget(), focusTarget);
        QTest::keyClick(focusTarget, Qt::Key_Escape);
        QCOMPARE(w->txtCName->text(), QString());
        QCOMPARE(w->spList->MaxRows(), 3);
    }

    void listTotalsAndSortKeepBlankRowLast()
    {
        QVERIFY(testsupport::runSqlScript(dbFile, QStringLiteral(
            "INSERT INTO total (total_id, maeip_date, pro_code, pro_name, group_name, maeip_code, maeip_name, maeip_cost,"
            " maechul_date, maechul_code, maechul_name, maechul_cost, maechul_usecost) VALUES"
            " (70000, '2024-03-01', 0, 'TV', '가전', 7, '공급사', 1000, '2024-03-05', 40000, '김상회', 1500, 100),"
            " (2, '2024-03-02', 0, '냉장고', '가전', 0, '', 2000, '2024-03-05', 0, '', 0, 0),"
            " (3, '2024-03-02', 0, '세탁기', '대형', 0, '', 300, '2024-03-03', 0, '', 400, 50),"
            " (4, '2024-01-02', 0, '오디오', '대형', 0, '', 1, '2024-02-03', 0, '', 4, 0);")));
        auto w = start();
        QVERIFY(w);
        QCOMPARE(w->spList->MaxRows(), 4);
        QCOMPARE(text(w->spList, 13, 1), QStringLiteral("3"));
        QCOMPARE(text(w->spList, 13, 2), QStringLiteral("2"));
        QCOMPARE(text(w->spList, 13, 3), QStringLiteral("70000"));
        QCOMPARE(text(w->spList, 4, 3), QStringLiteral("7"));
        QCOMPARE(text(w->spList, 8, 3), QStringLiteral("40000"));
        // margin: 0 while unsold, else sales - expense - purchase
        QCOMPARE(text(w->spList, 12, 2).toDouble(), 0.0);
        QCOMPARE(text(w->spList, 12, 3).toDouble(), 400.0);
        const QStringList totals = {text(w->spTotal, 6, 1), text(w->spTotal, 10, 1), text(w->spTotal, 11, 1),
                                    text(w->spTotal, 12, 1)};
        QCOMPARE(totals[0].toDouble(), 3300.0);
        QCOMPARE(totals[1].toDouble(), 1900.0);
        QCOMPARE(totals[2].toDouble(), 150.0);
        QCOMPARE(totals[3].toDouble(), 450.0);

        w->spList->UserSortClick(6); // by purchase amount
        QCOMPARE(w->spList->MaxRows(), 4);
        QCOMPARE(text(w->spList, 13, 4), QString());
        QCOMPARE(text(w->spList, 1, 4), QStringLiteral("2024-03-20"));
        QCOMPARE(text(w->spList, 7, 4), QStringLiteral("2024-03-20"));
        QStringList keys;
        for (int r = 1; r <= 3; ++r)
            keys << text(w->spList, 13, r);
        QVERIFY(!keys.contains(QString()));
        QCOMPARE(keys.size(), 3);
        QCOMPARE((QStringList{text(w->spTotal, 6, 1), text(w->spTotal, 10, 1), text(w->spTotal, 11, 1),
                              text(w->spTotal, 12, 1)}),
                 totals);
        QCOMPARE(text(w->spList, 14, 1).toDouble(), 3300.0);
        for (int r = 2; r <= 4; ++r)
            QCOMPARE(w->spList->GetText(14, r), QString());

        // Unsold only, then a party search that ignores the period and the other filters.
        w->chkNoSale->setChecked(true);
        w->RefreshList();
        QCOMPARE(w->spList->MaxRows(), 2);
        QCOMPARE(text(w->spList, 13, 1), QStringLiteral("2"));
        w->cmbGu->setCurrentIndex(2);
        w->txtCName->setText(QStringLiteral("0001"));
        w->RefreshList();
        QCOMPARE(w->spList->MaxRows(), 2);
        QCOMPARE(text(w->spList, 13, 1), QStringLiteral("70000"));
        w->txtCName->setText(QStringLiteral("9999")); // middle part of the mobile number
        w->RefreshList();
        QCOMPARE(w->spList->MaxRows(), 1);
        // Escape empties the search text and lists the period again.
        w->Form_KeyDown(27);
        QCOMPARE(w->txtCName->text(), QString());
        QCOMPARE(w->spList->MaxRows(), 2);
    }

    // The period boxes take the forms the voucher grid's date cells take and show the date in
    // its stored form; what is no date is refused with the list of forms, the box keeps its
    // date, and no search runs. Typed as the user does, the search clicked at once (the box's
    // editor still open). Vouchers sold on 2024-03-10, 2026-11-05 and 2026-12-01.
    void periodBoxesTakeTheGridsDateForms_data()
    {
        QTest::addColumn<QString>("from");
        QTest::addColumn<QString>("to");
        QTest::addColumn<QString>("shown"); // both boxes, "from|to", after the search
        QTest::addColumn<int>("listed");    // vouchers listed after the search
        QTest::addColumn<bool>("refused");
        QTest::addColumn<int>("leaveBy"); // 0, or the key that leaves the second box before the search (-1: a click in the list)
        QTest::newRow("eight digits") << "20261101" << "20261130" << "2026-11-01|2026-11-30" << 1 << false << 0;
        QTest::newRow("six digits") << "261101" << "261231" << "2026-11-01|2026-12-31" << 2 << false << 0;
        QTest::newRow("stored form") << "2026-11-01" << "2026-12-01" << "2026-11-01|2026-12-01" << 2 << false << 0;
        QTest::newRow("month and day of this year") << "101" << "1231" << "2024-01-01|2024-12-31" << 1 << false << 0;
        QTest::newRow("a day of this month") << "5" << "15" << "2024-03-05|2024-03-15" << 1 << false << 0;
        QTest::newRow("no such month") << "20261101" << "20261301" << "2026-11-01|2024-03-20" << 1 << true << 0;
        QTest::newRow("no such day") << "0230" << "20261130" << "2024-03-01|2026-11-30" << 1 << true << 0;
        QTest::newRow("letters") << "2026-1l-01" << "20261130" << "2024-03-01|2026-11-30" << 1 << true << 0;
        QTest::newRow("five digits") << "20261" << "20261130" << "2024-03-01|2026-11-30" << 1 << true << 0;
        // refused as the box is left: the box keeps its date and the focus; the search then
        // runs on the dates shown
        QTest::newRow("no such month, left by Enter") << "20261101" << "20261301" << "2026-11-01|2024-03-20" << 0 << true << int(Qt::Key_Return);
        QTest::newRow("no such month, left by a click") << "20261101" << "20261301" << "2026-11-01|2024-03-20" << 0 << true << -1;
        QTest::newRow("eight digits, left by Enter") << "20261101" << "20261130" << "2026-11-01|2026-11-30" << 1 << false << int(Qt::Key_Return);
    }
    void periodBoxesTakeTheGridsDateForms()
    {
        QFETCH(QString, from);
        QFETCH(QString, to);
        QFETCH(QString, shown);
        QFETCH(int, listed);
        QFETCH(bool, refused);
        QFETCH(int, leaveBy);
        QVERIFY(testsupport::runSqlScript(dbFile, QStringLiteral(
            "INSERT INTO total (total_id, maeip_date, pro_name, maeip_cost, maechul_date, maechul_cost, maechul_usecost)"
            " VALUES (1, '2024-03-01', 'TV', 1, '2024-03-10', 2, 0), (2, '2026-11-01', '냉장고', 1, '2026-11-05', 2, 0),"
            " (3, '2026-11-01', '세탁기', 1, '2026-12-01', 2, 0);")));
        auto w = start();
        QVERIFY(w);
        w->show();
        QApplication::setActiveWindow(w.get());
        QVERIFY(QTest::qWaitForWindowActive(w.get()));
        QCOMPARE(w->spList->MaxRows(), 2); // 2024-03-01 to 2024-03-20
        for (int i = 0; i < 2; ++i) {
            w->spDate[i]->setFocus();
            QTRY_VERIFY(w->spDate[i]->hasFocus());
            for (QChar c : i == 0 ? from : to)
                QTest::keyClick(QApplication::focusWidget(), c.toLatin1());
            QVERIFY(w->spDate[i]->IsEditing());
            if (i == 0 && !refused) { // left as the user leaves a box
                QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
                QTRY_VERIFY(!w->spDate[0]->IsEditing());
            }
        }
        if (leaveBy != 0) {
            if (leaveBy > 0)
                QTest::keyClick(QApplication::focusWidget(), Qt::Key(leaveBy));
            else
                QTest::mouseClick(w->spList->viewport(), Qt::LeftButton, {}, QPoint(20, 8));
            QTRY_COMPARE(prompter->messages().size(), refused ? 1 : 0);
            QCoreApplication::processEvents(); // a key the box posts on
            QWidget* focus = QApplication::focusWidget();
            QCOMPARE(focus == w->spDate[1] || w->spDate[1]->isAncestorOf(focus), refused);
        }
        QTest::mouseClick(w->btnRefresh, Qt::LeftButton);
        QCOMPARE(text(w->spDate[0], 1, 1) + QLatin1Char('|') + text(w->spDate[1], 1, 1), shown);
        QCOMPARE(prompter->messages().size(), refused ? 1 : 0);
        if (refused)
            QVERIFY(prompter->lastMessage().text.contains(QStringLiteral("날짜형식이 아닙니다")));
        QCOMPARE(w->spList->MaxRows() - 1, listed);
    }

    // A long ledger with totals of eleven digits and more: the totals row and the row numbers
    // are drawn whole, also after a total grows; the totals stay under their columns.
    // sideways: only the left and right ends count (rows lower than a large font cut every
    // text at its top and bottom alike). A number is not cut by the viewport's side edges either.
    static void checkDrawnWhole(QWidget* viewport, const QStringList& expected, bool sideways = false)
    {
        const QList<testsupport::DrawnTextRun> runs = testsupport::drawnText(viewport);
        QStringList seen;
        for (const auto& run : runs) {
            seen << run.text;
            const bool number = !run.text.isEmpty() && QStringLiteral("-0123456789#").contains(run.text.at(0));
            if (number)
                QVERIFY2(run.box.left() >= -0.5 && run.box.right() <= viewport->width() + 0.5,
                         qPrintable(QStringLiteral("\"%1\" is cut by the edge").arg(run.text)));
            if (number && !run.clip.isEmpty()) {
                QRectF box = run.box;
                if (sideways)
                    box = QRectF(box.left(), run.clip.top(), box.width(), run.clip.height());
                QVERIFY2(run.clip.adjusted(-0.5, -0.5, 0.5, 0.5).contains(box),
                         qPrintable(QStringLiteral("\"%1\" is cut").arg(run.text)));
            }
        }
        for (const QString& e : expected)
            QVERIFY2(seen.contains(e), qPrintable(e + QStringLiteral(" not among: ") + seen.join(QLatin1Char(' '))));
    }

    void totalsAndRowNumbersShowWhole()
    {
        QVERIFY(testsupport::runSqlScript(dbFile, QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1200)"
            " INSERT INTO total (maeip_date, pro_code, pro_name, group_name, maeip_code, maeip_name, maeip_cost,"
            " maechul_date, maechul_code, maechul_name, maechul_cost, maechul_usecost)"
            " SELECT '2024-03-01', 0, '서버', '소프트웨어', 0, '', 25000000, '2024-03-05', 0, '', 20000000, 78332300 FROM n;")));
        auto w = start(true);
        QVERIFY(w);
        w->resize(1024, 700);
        QCOMPARE(w->spList->MaxRows(), 1201);
        QCOMPARE(text(w->spTotal, 12, 1), QStringLiteral("-99998760000"));
        QTest::qWait(20);
        // the window's edge cuts the margin column: at the list's right end it is in view
        QScrollBar* sideways = w->spList->horizontalScrollBar();
        QVERIFY(sideways->maximum() > 0);
        sideways->setValue(sideways->maximum());
        checkDrawnWhole(w->spTotal->viewport(),
                        {QStringLiteral("30,000,000,000"), QStringLiteral("24,000,000,000"),
                         QStringLiteral("93,998,760,000"), QStringLiteral("-99,998,760,000")});
        QVERIFY(!QTest::currentTestFailed());
        w->spList->SetTopRow(1201);
        checkDrawnWhole(w->spList->viewport(), {QStringLiteral("1199"), QStringLiteral("1200"), QStringLiteral("1201")});
        QVERIFY(!QTest::currentTestFailed());

        // a total that grows (an expense of 99,000,000,000 more) widens its column again
        w->spList->SetText(11, 5, QStringLiteral("99078332300"));
        QCOMPARE(text(w->spTotal, 11, 1), QStringLiteral("192998760000"));
        sideways->setValue(sideways->maximum());
        checkDrawnWhole(w->spTotal->viewport(), {QStringLiteral("192,998,760,000")});
        QVERIFY(!QTest::currentTestFailed());

        // the totals stay under their columns, the row-number column included
        for (int c = 1; c <= w->spList->MaxCols(); ++c)
            if (!w->spList->ColHidden(c))
                QCOMPARE(w->spTotal->ColWidth(c), w->spList->ColWidth(c));
        QCOMPARE(w->spTotal->ShownColWidth(0), w->spList->ShownColWidth(0));

        // the widened columns take their room from the text columns: a ledger that fitted its
        // window still fits, so no number is cut by the window's edge either
        w->resize(1120, 720);
        QTest::qWait(20);
        QCOMPARE(w->spList->horizontalScrollBar()->maximum(), 0);
        QCOMPARE(w->spTotal->horizontalScrollBar()->maximum(), 0);
        checkDrawnWhole(w->spTotal->viewport(), {QStringLiteral("192,998,760,000"), QStringLiteral("-198,998,760,000")});
        QVERIFY(!QTest::currentTestFailed());
    }

    // A larger grid font from the grid menu: the dates and amounts are still drawn whole, the
    // columns widening into the room the text columns give; a date column the user makes too
    // narrow shows the overflow mark, never the beginning of the date (which reads as a month).
    // An amount beyond what can be shown (the overflow mark) does not keep its column narrow.
    void largerFontKeepsDatesAndAmountsWhole_data()
    {
        QTest::addColumn<QStringList>("more");      // further vouchers' purchase amounts
        QTest::addColumn<QStringList>("alsoWhole"); // what they show whole
        QTest::addColumn<int>("marks");             // how many of them show the overflow mark
        QTest::newRow("ordinary amounts") << QStringList() << QStringList() << 0;
        // the largest amount and the most negative one beside a value beyond the 64-bit range
        QTest::newRow("beside 1e20")
            << QStringList{QStringLiteral("-99999999"), QStringLiteral("100000000000"), QStringLiteral("1e20")}
            << QStringList{QStringLiteral("-99,999,999"), QStringLiteral("100,000,000,000")} << 1;
        QTest::newRow("beside -9.5e18")
            << QStringList{QStringLiteral("-99999999999"), QStringLiteral("100000000000"),
                           QStringLiteral("-299999999997"), QStringLiteral("-9.5e18")}
            << QStringList{QStringLiteral("-99,999,999,999"), QStringLiteral("100,000,000,000"),
                           QStringLiteral("-299,999,999,997")} << 1;
    }

    void largerFontKeepsDatesAndAmountsWhole()
    {
        QFETCH(QStringList, more);
        QFETCH(QStringList, alsoWhole);
        QFETCH(int, marks);
        QString values;
        for (const QString& amount : more)
            values += QStringLiteral(", ('2024-03-13', 0, '부품', 'PC', 0, '공급사', %1, '2024-03-16', 0, '김상회', 0, 0)")
                          .arg(amount);
        QVERIFY(testsupport::runSqlScript(dbFile, QStringLiteral(
            "INSERT INTO total (maeip_date, pro_code, pro_name, group_name, maeip_code, maeip_name, maeip_cost,"
            " maechul_date, maechul_code, maechul_name, maechul_cost, maechul_usecost) VALUES"
            " ('2024-03-02', 0, '모니터', 'LCD', 0, '공급사', 1250000, '2024-03-05', 0, '김상회', 2500000, 30000),"
            " ('2024-03-12', 0, '서버', 'PC', 0, '공급사', 9800000, '2024-03-15', 0, '김상회', 12000000, 150000)")
            + values + QLatin1Char(';')));
        auto w = start(true);
        QVERIFY(w);
        w->resize(1260, 700);
        const int rows = 3 + int(more.size());
        QCOMPARE(w->spList->MaxRows(), rows);
        const int listWidthBefore = [&] {
            int x = 0;
            for (int c = 0; c <= w->spList->MaxCols(); ++c)
                x += w->spList->ColHidden(c) ? 0 : int(w->spList->ShownColWidth(c) * 1000);
            return x;
        }();

        prompter->menuAnswers.enqueue(1); // the menu's second line: 【글자크기】 변경
        prompter->inputAnswers.enqueue(QStringLiteral("14"));
        QTest::mouseClick(w->spList->viewport(), Qt::RightButton, {}, QPoint(60, 30));
        QCOMPARE(prompter->calls.size(), 2);
        w->spList->SetCol(1);
        w->spList->SetRow(1);
        QCOMPARE(w->spList->FontSize(), 14.0);
        QApplication::processEvents();

        const QStringList expected = {QStringLiteral("2024-03-02"), QStringLiteral("2024-03-05"),
                                      QStringLiteral("2024-03-12"), QStringLiteral("2024-03-15"),
                                      QStringLiteral("2024-03-20"), QStringLiteral("1,250,000"),
                                      QStringLiteral("2,500,000"), QStringLiteral("9,800,000"),
                                      QStringLiteral("12,000,000"), QStringLiteral("150,000")};
        const auto markCount = [&] {
            int n = 0;
            for (const auto& run : testsupport::drawnText(w->spList->viewport()))
                n += run.text.startsWith(QLatin1Char('#'));
            return n;
        };
        checkDrawnWhole(w->spList->viewport(), expected + alsoWhole, true);
        QVERIFY(!QTest::currentTestFailed());
        QCOMPARE(markCount(), marks);
        if (more.isEmpty()) {
            // the width came from the text columns: the sheet as a whole is no wider than before
            int listWidthAfter = 0;
            for (int c = 0; c <= w->spList->MaxCols(); ++c)
                listWidthAfter += w->spList->ColHidden(c) ? 0 : int(w->spList->ShownColWidth(c) * 1000);
            QVERIFY2(listWidthAfter <= listWidthBefore + 50, qPrintable(QStringLiteral("%1 > %2").arg(listWidthAfter).arg(listWidthBefore)));
            checkDrawnWhole(w->spList->viewport(), {QStringLiteral("2,050,000")}, true);
            QVERIFY(!QTest::currentTestFailed());
        }
        for (int c = 1; c <= w->spList->MaxCols(); ++c)
            if (!w->spList->ColHidden(c))
                QCOMPARE(w->spTotal->ColWidth(c), w->spList->ColWidth(c));

        // the user narrows the purchase-date column: its dates show the mark, not a month
        w->spList->SetColWidth(1, 6);
        QApplication::processEvents();
        const QRegularExpression datePart(QStringLiteral("^\\d{4}-"));
        int dateMarks = -marks;
        for (const auto& run : testsupport::drawnText(w->spList->viewport())) {
            if (run.text.startsWith(QLatin1Char('#')))
                ++dateMarks;
            if (datePart.match(run.text).hasMatch() && !run.clip.isEmpty())
                QVERIFY2(run.clip.left() <= run.box.left() + 0.5 && run.clip.right() >= run.box.right() - 0.5,
                         qPrintable(QStringLiteral("\"%1\" is cut").arg(run.text)));
        }
        QCOMPARE(dateMarks, rows);
        for (int r = 1; r <= rows; ++r) {
            QVERIFY(!w->spList->ShownText(1, r).whole);
            QVERIFY(w->spList->ShownText(1, r).shown.startsWith(QLatin1Char('#')));
            QCOMPARE(w->spList->ShownText(7, r).shown, text(w->spList, 7, r));
        }
    }

    // Every date, amount and total that holds a value is drawn, whole or as the overflow mark,
    // at some position of the list (sideways and down); no number is drawn cut by its cell or
    // by the view's edge.
    static void checkEveryValueSeen(frmMain* w, int width)
    {
        struct Cell {
            platform::SpreadGrid* grid;
            int col, row;
            bool seen;
        };
        QList<Cell> cells;
        for (int r = 1; r <= w->spList->MaxRows(); ++r)
            for (int c : {1, 6, 7, 10, 11, 12})
                if (!w->spList->DisplayText(c, r).isEmpty())
                    cells.append({w->spList, c, r, false});
        for (int c : {6, 10, 11, 12})
            cells.append({w->spTotal, c, 1, false});
        static const QRegularExpression number(QStringLiteral("^(-?[0-9][0-9,-]*|#+)$"));
        QScrollBar* sideways = w->spList->horizontalScrollBar();
        for (int top = 1; top <= w->spList->MaxRows(); ++top) {
            w->spList->SetTopRow(top);
            for (int v = sideways->minimum(); v <= sideways->maximum(); ++v) {
                sideways->setValue(v);
                QApplication::processEvents();
                for (platform::SpreadGrid* grid : {w->spList, w->spTotal}) {
                    const QRectF view(grid->viewport()->rect());
                    const QList<testsupport::DrawnTextRun> runs = testsupport::drawnText(grid->viewport());
                    for (const auto& run : runs) {
                        if (!number.match(run.text).hasMatch())
                            continue;
                        QVERIFY2(run.box.left() >= view.left() - 0.5 && run.box.right() <= view.right() + 1.5,
                                 qPrintable(QStringLiteral("\"%1\" is cut by the edge at width %2, column %3")
                                                .arg(run.text).arg(width).arg(v + 1)));
                        if (!run.clip.isEmpty())
                            QVERIFY2(run.box.left() >= run.clip.left() - 0.5 && run.box.right() <= run.clip.right() + 0.5,
                                     qPrintable(QStringLiteral("\"%1\" is cut at width %2").arg(run.text).arg(width)));
                    }
                    // the cell being edited shows its value in the open editor
                    QLineEdit* ed = grid->editorWidget();
                    const bool editorShown = ed && ed->isVisible() && QRect(grid->viewport()->rect()).contains(ed->geometry());
                    for (Cell& cell : cells) {
                        if (cell.grid != grid || cell.seen)
                            continue;
                        const QRect rc = grid->CellRect(cell.col, cell.row);
                        if (rc.isEmpty())
                            continue;
                        if (editorShown && grid->ActiveCol() == cell.col && grid->ActiveRow() == cell.row) {
                            for (const auto& run : testsupport::drawnText(ed))
                                if (run.text == ed->text() && run.box.left() >= -0.5 && run.box.right() <= ed->width() + 0.5)
                                    cell.seen = true;
                            continue;
                        }
                        for (const auto& run : testsupport::runsIn(runs, rc))
                            if (run.text == grid->DisplayText(cell.col, cell.row) || run.text.startsWith(QLatin1Char('#')))
                                cell.seen = true;
                    }
                }
            }
        }
        for (const Cell& cell : cells)
            QVERIFY2(cell.seen, qPrintable(QStringLiteral("%1 (%2, %3) \"%4\" is never drawn at width %5")
                                              .arg(cell.grid->objectName()).arg(cell.col).arg(cell.row)
                                              .arg(cell.grid->DisplayText(cell.col, cell.row)).arg(width)));
    }

    // The largest grid font in the narrowest window: an amount column as wide as the list's
    // view, or wider, still shows its amounts and totals, whole or as the overflow mark, also
    // after the window is widened and narrowed again; the open editor shows its whole amount.
    void largeFontInANarrowWindowLeavesNoValueUnseen()
    {
        QVERIFY(testsupport::runSqlScript(dbFile, QStringLiteral(
            "INSERT INTO total (maeip_date, pro_code, pro_name, group_name, maeip_code, maeip_name, maeip_cost,"
            " maechul_date, maechul_code, maechul_name, maechul_cost, maechul_usecost) VALUES"
            " ('2024-03-02', 0, '모니터', 'LCD', 0, '공급사', 100000, '2024-03-05', 0, '김상회', 115000, 3000),"
            " ('2024-03-12', 0, '서버', 'PC', 0, '공급사', -99999999999, '2024-03-15', 0, '김상회', 9000000000000000, 0);")));
        auto w = start(true);
        QVERIFY(w);
        prompter->menuAnswers.enqueue(1); // the menu's second line: 【글자크기】 변경
        prompter->inputAnswers.enqueue(QStringLiteral("26"));
        QTest::mouseClick(w->spList->viewport(), Qt::RightButton, {}, QPoint(60, 30));
        QCOMPARE(prompter->calls.size(), 2);
        for (int width : {333, 800, 333}) {
            w->resize(width, 600);
            QTRY_COMPARE(w->width(), qMax(width, w->minimumWidth()));
            QApplication::processEvents();
            checkEveryValueSeen(w.get(), w->width());
            if (QTest::currentTestFailed())
                return;
            // the widened columns come into view whole; in the wider window the sales amounts
            // are whole again
            for (int c : {1, 6, 7, 10, 11, 12})
                QVERIFY2(w->spList->ColWidth(c) <= w->spList->ColRoom(),
                         qPrintable(QStringLiteral("column %1: %2 > %3 at width %4").arg(c)
                                        .arg(w->spList->ColWidth(c)).arg(w->spList->ColRoom()).arg(width)));
            QCOMPARE(w->spList->ShownText(10, 2).whole, width == 800);
        }
        // the open editor of an amount lies inside the view and shows the amount whole
        w->spList->SetFocus();
        w->spList->SetActiveCell(10, 1);
        QApplication::processEvents();
        QLineEdit* ed = w->spList->editorWidget();
        QVERIFY(ed);
        QVERIFY2(w->spList->viewport()->rect().contains(ed->geometry()),
                 qPrintable(QStringLiteral("editor %1..%2, view %3").arg(ed->geometry().left())
                                .arg(ed->geometry().right()).arg(w->spList->viewport()->width())));
        QVERIFY(ed->text().startsWith(QStringLiteral("115")));
        bool whole = false;
        for (const auto& run : testsupport::drawnText(ed)) {
            QVERIFY2(run.box.left() >= -0.5 && run.box.right() <= ed->width() + 0.5, qPrintable(run.text));
            whole = whole || run.text == ed->text();
        }
        QVERIFY(whole);

        // The user widens the sales amount to the view's edge in a wider window; the window is
        // narrowed again. The column keeps the user's width, wider than the view, and still
        // shows its amounts.
        w->resize(800, 600);
        QTRY_COMPARE(w->width(), 800);
        QApplication::processEvents();
        w->spList->horizontalScrollBar()->setValue(9); // the sales amount at the left
        QWidget* view = w->spList->viewport();
        const double widthBefore = w->spList->ColWidth(10);
        const QRect header = w->spList->CellRect(10, 0);
        const QPoint border(header.right() + 1, header.center().y()), edge(view->width() - 4, header.center().y());
        QTest::mousePress(view, Qt::LeftButton, {}, border);
        QTest::mouseMove(view, edge);
        QTest::mouseRelease(view, Qt::LeftButton, {}, edge);
        const double userWidth = w->spList->ColWidth(10);
        QVERIFY2(userWidth > widthBefore + 10, qPrintable(QStringLiteral("%1 -> %2").arg(widthBefore).arg(userWidth)));
        w->resize(333, 600);
        QTRY_COMPARE(w->width(), qMax(333, w->minimumWidth()));
        QApplication::processEvents();
        QCOMPARE(w->spList->ColWidth(10), userWidth);
        QVERIFY(userWidth > w->spList->ColRoom());
        checkEveryValueSeen(w.get(), w->width());
    }

    void partyBoxes()
    {
        auto w = start();
        QVERIFY(w);
        QVERIFY(!w->btnClientEdit[0]->isEnabled());
        QVERIFY(!w->btnClientEdit[1]->isEnabled());
        w->DispClientInfo(1, 40000);
        QCOMPARE(w->txtCurClient[1]->text(), QStringLiteral("40000"));
        QCOMPARE(w->pnlinfo2[0]->text(), QStringLiteral("김상회"));
        QCOMPARE(w->pnlinfo2[1]->text(), QStringLiteral("02-555-1234"));
        QCOMPARE(w->pnlinfo2[2]->text(), QStringLiteral("06236"));
        QCOMPARE(w->pnlinfo2[3]->text(), QStringLiteral("010-9999-0001"));
        QCOMPARE(w->pnlinfo2[4]->text(), QStringLiteral("서울 강남구"));
        QCOMPARE(w->pnlinfo2[5]->text(), QStringLiteral("단골"));
        QVERIFY(w->btnClientEdit[1]->isEnabled());
        QVERIFY(!w->btnClientEdit[0]->isEnabled());

        // A voucher without a party leaves the box as it was.
        w->DispClientInfo(1, 0);
        QCOMPARE(w->txtCurClient[1]->text(), QStringLiteral("40000"));

        // The editor saved a change: the box shows it at once.
        gDB->execute(QStringLiteral("UPDATE maechul SET tel = ? WHERE id = ?"), {QStringLiteral("02-777-0000"), 40000});
        w->SyncUpdateClient(40000, 1, false);
        QCOMPARE(w->pnlinfo2[1]->text(), QStringLiteral("02-777-0000"));

        w->SyncUpdateClient(7, 0);
        QCOMPARE(w->pnlinfo[0]->text(), QStringLiteral("공급사"));
        QVERIFY(w->btnClientEdit[0]->isEnabled());

        // A deleted party clears its box and disables its button.
        gDB->execute(QStringLiteral("DELETE FROM maechul WHERE id = ?"), {40000});
        w->DispClientInfo(1, 40000);
        QCOMPARE(w->txtCurClient[1]->text(), QString());
        for (int i = 0; i < 6; ++i)
            QCOMPARE(w->pnlinfo2[i]->text(), QString());
        QVERIFY(!w->btnClientEdit[1]->isEnabled());
        QCOMPARE(w->pnlinfo[0]->text(), QStringLiteral("공급사"));
        QCOMPARE(prompter->messages().size(), 0);
    }

    // A long party name that the program puts into a box shows from its beginning: the sales
    // party picked in the list and a recognised caller in the search box, the purchase and
    // sales parties in their boxes.
    void longPartyNamesShowTheirBeginning()
    {
        const QString name = QStringLiteral("대한전자부품유통 주식회사 서울강남지점 제2물류센터 납품담당");
        QVERIFY(testsupport::runSqlScript(dbFile, QStringLiteral(
            "INSERT INTO maechul (id, name, tel, phone, zipcode, address, memo) VALUES"
            " (40001, '%1', '031-777-8888', '', '', '', '');"
            "INSERT INTO maeip (id, name, tel, phone, zipcode, address, memo) VALUES (8, '%1', '', '', '', '', '');"
            "INSERT INTO total (maeip_date, pro_code, pro_name, group_name, maeip_code, maeip_name, maeip_cost,"
            " maechul_date, maechul_code, maechul_name, maechul_cost, maechul_usecost) VALUES"
            " ('2024-03-02', 0, '모니터', 'LCD', 0, '', 100, '2024-03-05', 0, '', 0, 0);").arg(name)));
        auto w = start(true);
        QVERIFY(w);
        w->resize(1024, 700);
        QApplication::processEvents();
        // what the box draws: the name, from its first character on
        const auto fromItsBeginning = [&](QWidget* box) {
            for (const auto& run : testsupport::drawnText(box)) {
                if (run.text != name)
                    continue;
                if (run.box.width() <= box->width())
                    return QStringLiteral("the name fits %1: no test").arg(box->objectName());
                if (run.box.left() < 0 || run.box.left() > box->width() / 4)
                    return QStringLiteral("%1 draws the name from %2").arg(box->objectName()).arg(run.box.left());
                return QString();
            }
            return QStringLiteral("%1 draws no name").arg(box->objectName());
        };
        const auto pick = [&](int col) {
            w->spList->SetFocus();
            w->spList->SetActiveCell(col, 1);
            if (!w->spList->IsEditing())
                w->spList->StartEdit();
            QLineEdit* ed = w->spList->editorWidget();
            QVERIFY(ed);
            ed->selectAll();
            ed->del();
            QInputMethodEvent commit;
            commit.setCommitString(name);
            QApplication::sendEvent(ed, &commit);
            QTest::keyClick(ed, Qt::Key_Return);
            QApplication::processEvents();
        };
        pick(5);
        QCOMPARE(w->pnlinfo[0]->text(), name);
        QString fault = fromItsBeginning(w->pnlinfo[0]);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        pick(9);
        QCOMPARE(w->txtCName->text(), name);
        QVERIFY(!w->txtCName->hasFocus());
        for (QWidget* box : {static_cast<QWidget*>(w->txtCName), static_cast<QWidget*>(w->pnlinfo2[0])}) {
            fault = fromItsBeginning(box);
            QVERIFY2(fault.isEmpty(), qPrintable(fault));
        }

        // a caller recognised while the search box is empty
        w->txtCName->clear();
        w->ClearClientInfo(1);
        QString tel = QStringLiteral("0317778888");
        bool mine = true;
        QVERIFY(w->InputFromRinglet(tel, mine));
        QCOMPARE(w->txtCName->text(), name);
        fault = fromItsBeginning(w->txtCName);
        QVERIFY2(fault.isEmpty(), qPrintable(fault));
        QCOMPARE(prompter->messages().size(), 0);
    }

    void captionGainsDatabaseOnce()
    {
        auto w = start();
        QVERIFY(w);
        const QString before = w->windowTitle();
        QVERIFY(before.startsWith(QStringLiteral("제품매입/판매관리 Trelvo Ver.")));
        w->Form_Activate();
        w->Form_Activate();
        w->show();
        QApplication::processEvents();
        w->activateWindow();
        QApplication::processEvents();
        w->Form_Activate();
        QCOMPARE(w->windowTitle(), before + QStringLiteral(" DB: ") + gsDBFile);
        QCOMPARE(gsDBFile, dbFile);
        // RingletUse not set: no caller-ID server is started.
        for (const auto& c : prompter->calls)
            QVERIFY(c.kind != QLatin1String("start"));
        prompter->modalAnswers.enqueue(backupAnswer(2));
        w->close();
    }

    void callerIdServerAtFirstActivation()
    {
        platform::SaveSetting(gsTitle, QStringLiteral("Registration"), QStringLiteral("RingletUse"), QStringLiteral("1"));
        auto w = start();
        QVERIFY(w);
        // Missing program: the message with its path, start-up goes on.
        w->Form_Activate();
        QCOMPARE(prompter->messages().size(), 1);
        QCOMPARE(prompter->lastMessage().text,
                 QStringLiteral("CID서버를 찾을 수 없습니다.\r\n") + platform::programPath(QStringLiteral("CIDsvr")));
        QCOMPARE(prompter->lastMessage().style, 0);

        // Present: started once, at the first activation only.
        QFile f(platform::programPath(QStringLiteral("CIDsvr")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        auto w2 = start();
        QVERIFY(w2);
        w2->Form_Activate();
        w2->Form_Activate();
        int starts = 0;
        for (const auto& c : prompter->calls)
            if (c.kind == QLatin1String("start") && c.title == platform::programPath(QStringLiteral("CIDsvr")))
                ++starts;
        QCOMPARE(starts, 1);
        QCOMPARE(prompter->messages().size(), 0);
    }

    void layoutSavedOnlyWhenGeometryChanged()
    {
        const QString ini = FormIniFile(QStringLiteral("frmMain"));
        {
            auto w = start();
            QVERIFY(w);
            w->show();
            QApplication::processEvents();
            prompter->modalAnswers.enqueue(backupAnswer(2));
            QVERIFY(w->close());
            QVERIFY(!QFile::exists(ini));
        }
        {
            auto w = start();
            QVERIFY(w);
            w->show();
            QApplication::processEvents();
            w->resize(w->width() + 40, w->height() + 20);
            QApplication::processEvents();
            prompter->modalAnswers.enqueue(backupAnswer(2));
            QVERIFY(w->close());
            QVERIFY(QFile::exists(ini));
        }
        {
            // A layout file that maximises the window: the window system sizes it when it is
            // shown, and closing it unmoved leaves the file alone.
            platform::IniFile f(ini);
            QVERIFY(f.load());
            f.setValue(QStringLiteral("FormPosition"), QStringLiteral("WindowState"), QStringLiteral("2"));
            QVERIFY(f.save());
            const QDateTime old = QDateTime::currentDateTime().addDays(-1);
            {
                QFile touch(ini);
                QVERIFY(touch.open(QIODevice::ReadWrite));
                QVERIFY(touch.setFileTime(old, QFileDevice::FileModificationTime));
            }
            auto w = start();
            QVERIFY(w);
            const QSize before = w->size();
            w->show();
            QApplication::processEvents();
            w->Form_Activate();
            QVERIFY(w->size() != before);
            prompter->modalAnswers.enqueue(backupAnswer(2));
            QVERIFY(w->close());
            QCOMPARE(QFileInfo(ini).lastModified(), old);
        }
    }

    void closeOffersBackupAndCancelKeepsTheWindow()
    {
        auto w = start();
        QVERIFY(w);
        w->show();
        QApplication::processEvents();
        prompter->modalAnswers.enqueue([](QDialog& d) { d.reject(); return int(QDialog::Rejected); });
        QVERIFY(!w->close());
        QVERIFY(w->isVisible());
        QCOMPARE(platform::GetSetting(QStringLiteral("Backup"), QStringLiteral("DB경로"), QStringLiteral("경로")),
                 gsDBPath + QDir::separator());
        prompter->modalAnswers.enqueue(backupAnswer(2));
        QVERIFY(w->close());
    }

    void closingDuringLoginOffersNoBackup()
    {
        frmMain w;
        prompter->modalAnswers.enqueue([this, &w](QDialog& d) {
            auto* s = qobject_cast<frmSplash*>(&d);
            if (!s)
                return int(QDialog::Rejected);
            w.close(); // the main window is closed while the login is still up
            prompter->msgAnswers.enqueue(platform::AnswerYes);
            s->txtPassword_KeyDown(27); // Escape, answered Yes: the program ends
            return d.result();
        });
        QVERIFY(!w.Form_Load());
        for (const auto& c : prompter->calls)
            QVERIFY2(c.kind != QLatin1String("modal") || c.title == QLatin1String("frmSplash"), qPrintable(c.title));
        QCOMPARE(platform::GetSetting(QStringLiteral("Backup"), QStringLiteral("DB경로"), QStringLiteral("경로")),
                 QString());
        QVERIFY(!QFile::exists(FormIniFile(QStringLiteral("frmMain"))));
        // A failed login leaves the database as it was: no upgrade ran.
        QVERIFY(gDB);
        QCOMPARE(gDB->tableDef(QStringLiteral("maechul")).fields.size(), 7);
    }

    // The four stacked parts lie inside the window, one under the other, and the party boxes
    // end 30 twips above the window's lower edge. The totals row ends where the list's cells
    // end (short of the list's vertical scroll bar, when it has one).
    static void checkStacked(frmMain* w)
    {
        const QRect inside = w->rect();
        QWidget* parts[4] = {w->pnlTop, w->spList, w->spTotal, w->pnlBottom};
        for (QWidget* p : parts) {
            QVERIFY2(inside.contains(p->geometry()), qPrintable(p->objectName()));
            QCOMPARE(p->x(), 0);
            if (p != w->spTotal)
                QCOMPARE(p->width(), inside.width());
        }
        QCOMPARE(w->spTotal->width(), w->spList->viewport()->width() + 2 * w->spTotal->frameWidth());
        for (int i = 1; i < 4; ++i)
            QVERIFY2(parts[i]->y() >= parts[i - 1]->geometry().bottom(), qPrintable(parts[i]->objectName()));
        QVERIFY(w->spList->height() > 0);
        QVERIFY(qAbs(inside.height() - w->pnlBottom->geometry().bottom() - 1 - 2) <= 1);
    }

    void laidOutAtEverySizeTheMinimumIncluded()
    {
        auto w = start();
        QVERIFY(w);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        // The smallest size the window allows.
        w->resize(w->minimumSize());
        QApplication::processEvents();
        QCOMPARE(w->size(), w->minimumSize());
        checkStacked(w.get());
        // Only the width at the minimum: height changes are laid out as well.
        w->resize(w->minimumWidth(), 600);
        QApplication::processEvents();
        checkStacked(w.get());
        w->resize(w->minimumWidth(), 450);
        QApplication::processEvents();
        checkStacked(w.get());
        prompter->modalAnswers.enqueue(backupAnswer(2));
        QVERIFY(w->close());
    }

    void layoutFileNarrowerThanTheMinimum()
    {
        const QString ini = FormIniFile(QStringLiteral("frmMain"));
        QDir().mkpath(QFileInfo(ini).absolutePath());
        {
            platform::IniFile f(ini);
            QVERIFY(f.load());
            f.setValue(QStringLiteral("FormPosition"), QStringLiteral("Width"), QStringLiteral("4000"));
            f.setValue(QStringLiteral("FormPosition"), QStringLiteral("Height"), QStringLiteral("9000"));
            QVERIFY(f.save());
        }
        auto w = start();
        QVERIFY(w);
        w->show();
        QVERIFY(QTest::qWaitForWindowExposed(w.get()));
        QApplication::processEvents();
        QCOMPARE(w->width(), w->minimumWidth());
        checkStacked(w.get());
        prompter->modalAnswers.enqueue(backupAnswer(2));
        QVERIFY(w->close());
    }

    void minimumSizeAndStackedLayout()
    {
        const MainLayoutTwips l = ComputeMainLayout(4000, 9000, 3900, 8500, 1000, 360, 2400);
        QCOMPARE(l.width, 5000);
        QCOMPARE(l.height, 9000);
        QCOMPARE(l.topW, 4900);
        QCOMPARE(l.listTop, 1030);
        QCOMPARE(l.listH, 8500 - 1030 - 2400 - 360 - 90);
        QCOMPARE(l.totalTop, l.listTop + l.listH + 30);
        QCOMPARE(l.bottomTop, l.totalTop + 360 + 30);
        QCOMPARE(l.bottomTop + 2400 + 30, 8500); // 30 twips stay free under the bottom bar
    }
};

QTEST_MAIN(tst_frmMain)
#include "tst_frmMain.moc"
