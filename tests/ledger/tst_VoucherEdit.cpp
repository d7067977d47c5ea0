#include "LedgerFixture.h"

#include "ledger/VoucherWriter.h"
#include "platform/SpreadGrid.h"

#include <QInputMethodEvent>
#include <QLineEdit>
#include <QtTest>

// Editing the voucher grid of the main window: every cell that leaves edit mode is written
// to total at once, refused or failed input gives the old text back, F4 deletes.
class tst_VoucherEdit : public QObject, ledgertest::MainWindowFixture {
    Q_OBJECT

    // Vouchers of the product TV bought 2024-03-01: {key, purchase amount, sales date, sales amount}.
    struct Voucher {
        qint64 id;
        qint64 cost;
        const char* saleDate;
        qint64 sale;
    };
    bool addVouchers(std::initializer_list<Voucher> vouchers)
    {
        QString sql;
        for (const Voucher& v : vouchers)
            sql += QStringLiteral(
                "INSERT INTO total (total_id, maeip_date, pro_code, pro_name, group_name, maeip_code, maeip_name,"
                " maeip_cost, maechul_date, maechul_code, maechul_name, maechul_cost, maechul_usecost) VALUES"
                " (%1, '2024-03-01', 0, 'TV', '', 0, '', %2, '%3', 0, '', %4, 0);")
                       .arg(v.id).arg(v.cost).arg(QLatin1String(v.saleDate)).arg(v.sale);
        return testsupport::runSqlScript(dbFile, sql);
    }

    // Puts text into a cell's editor as the input method commits it (Hangul included); the
    // cell stays in edit mode.
    static QLineEdit* typeInto(frmMain& w, int col, int row, const QString& text)
    {
        w.spList->SetFocus();
        w.spList->SetActiveCell(col, row);
        if (!w.spList->IsEditing())
            w.spList->StartEdit();
        QLineEdit* ed = w.spList->editorWidget();
        if (!ed)
            return nullptr;
        ed->selectAll();
        ed->del();
        if (!text.isEmpty()) {
            QInputMethodEvent commit;
            commit.setCommitString(text);
            QApplication::sendEvent(ed, &commit);
        }
        return ed;
    }

    // Types text into a cell and leaves it with Enter.
    static bool type(frmMain& w, int col, int row, const QString& text)
    {
        QLineEdit* ed = typeInto(w, col, row, text);
        if (!ed)
            return false;
        QTest::keyClick(ed, Qt::Key_Return);
        return true;
    }

    static void pressF4(frmMain& w, int row)
    {
        w.spList->SetFocus();
        w.spList->SetActiveCell(3, row);
        QWidget* target = w.spList->editorWidget() ? static_cast<QWidget*>(w.spList->editorWidget()) : w.spList;
        QTest::keyClick(target, Qt::Key_F4);
    }

    // Leaves the cell being edited in ed the way how names, and waits until it has left.
    void leave(frmMain& w, QLineEdit* ed, const QString& how)
    {
        if (how == QLatin1String("Enter")) {
            QTest::keyClick(ed, Qt::Key_Return);
        } else if (how == QLatin1String("Down")) {
            QTest::keyClick(ed, Qt::Key_Down);
        } else if (how == QLatin1String("Up")) {
            QTest::keyClick(ed, Qt::Key_Up);
        } else if (how == QLatin1String("Tab")) {
            QTest::keyClick(ed, Qt::Key_Tab);
        } else if (how == QLatin1String("Shift+Tab")) {
            QTest::keyClick(ed, Qt::Key_Backtab, Qt::ShiftModifier);
        } else if (how == QLatin1String("click cell")) {
            const QRect r = ed->geometry();
            QTest::mouseClick(w.spList->viewport(), Qt::LeftButton, Qt::NoModifier,
                              r.center() - QPoint(0, r.height() + 2)); // the row above
        } else if (how == QLatin1String("click product filter")) {
            QTest::mouseClick(w.txtPName, Qt::LeftButton);
        } else if (how == QLatin1String("F3")) {
            QTest::keyClick(ed, Qt::Key_F3);
        } else if (how == QLatin1String("F4 answered No, then Enter")) {
            prompter->msgAnswers.enqueue(platform::AnswerNo);
            QTest::keyClick(ed, Qt::Key_F4);
            QCOMPARE(prompter->messages().size(), 1);
            prompter->clear();
            QVERIFY(w.spList->editorWidget() == ed); // still being edited
            QTest::keyClick(ed, Qt::Key_Return);
        } else if (how == QLatin1String("header sort")) {
            w.spList->UserSortClick(10);
        } else if (how == QLatin1String("refresh button")) {
            QTest::mouseClick(w.btnRefresh, Qt::LeftButton);
        } else if (how == QLatin1String("Escape")) {
            QTest::keyClick(ed, Qt::Key_Escape);
        } else if (how == QLatin1String("close")) {
            prompter->modalAnswers.enqueue(backupAnswer(2));
            QVERIFY(w.close());
        }
        QTRY_VERIFY(!w.spList->IsEditing() || w.spList->editorWidget() != ed);
    }

    static QString cell(frmMain& w, int col, int row) { return w.spList->GetText(col, row); }
    static QString total(frmMain& w, int col) { return w.spTotal->GetText(col, 1); }
    // The grid row of voucher id, or 0.
    static int rowOf(frmMain& w, qint64 id)
    {
        for (int r = 1; r <= w.spList->MaxRows(); ++r)
            if (cell(w, 13, r).toLongLong() == id)
                return r;
        return 0;
    }

    QVariant field(qint64 id, const QString& name)
    {
        return gDB->scalar(QStringLiteral("SELECT ") + name + QStringLiteral(" FROM total WHERE total_id = ?"), {id});
    }
    // The written columns of voucher id, "|"-separated in grid order (columns 1 to 11).
    QString voucher(qint64 id)
    {
        return gDB->scalar(QStringLiteral(
            "SELECT maeip_date || '|' || group_name || '|' || pro_name || '|' || maeip_code || '|' || maeip_name"
            " || '|' || maeip_cost || '|' || maechul_date || '|' || maechul_code || '|' || maechul_name"
            " || '|' || maechul_cost || '|' || maechul_usecost FROM total WHERE total_id = ?"), {id}).toString();
    }
    qint64 voucherCount() { return gDB->scalar(QStringLiteral("SELECT COUNT(*) FROM total")).toLongLong(); }

private slots:
    void init()
    {
        QVERIFY(setUpMain(ledgertest::oldMainSchema(), QStringLiteral(
            "INSERT INTO maechul (id, name, tel, phone, zipcode, address, memo) VALUES"
            " (40000, '김''s 상회', '02-555-1234', '', '', '', ''), (12, '이상회', '', '', '', '', '');"
            "INSERT INTO maeip (id, name, tel, phone, zipcode, address, memo) VALUES"
            " (7, '공급''사', '031-1', '', '', '', '');"
            "INSERT INTO product (name) VALUES ('TV'), ('O''Neil 냉장고'), ('관리비'), ('관리비(월)'), ('가방'), ('가구');"
            "INSERT INTO group_name (name) VALUES ('가''전'), ('서버');")));
    }

    void cleanup() { tearDownMain(); }

    // The blank row: dates are completed and offered, nothing is stored until the product
    // is there; then the voucher is inserted with its own key and a new blank row follows.
    void newVoucherFromTheBlankRow()
    {
        auto w = start(true);
        QVERIFY(w);
        // Another workstation inserts right after this one: the key read back must still be ours.
        gDB->execute(QStringLiteral(
            "CREATE TRIGGER other_workstation AFTER INSERT ON total WHEN NEW.pro_name = 'TV'"
            " BEGIN INSERT INTO total (pro_name, maechul_date) VALUES ('다른자리', '1999-01-01'); END;"));
        QCOMPARE(w->spList->MaxRows(), 1);

        QVERIFY(type(*w, 1, 1, QStringLiteral("0315")));
        QCOMPARE(cell(*w, 1, 1), QStringLiteral("2024-03-15"));
        QCOMPARE(cell(*w, 7, 1), QStringLiteral("2024-03-15"));
        QCOMPARE(w->DefaultDate(), QStringLiteral("2024-03-15"));
        QCOMPARE(voucherCount(), 0);

        // An amount before the product is refused and the cursor goes to the product.
        QVERIFY(type(*w, 10, 1, QStringLiteral("500")));
        QCOMPARE(prompter->messages().size(), 1);
        QCOMPARE(prompter->lastMessage().text, QStringLiteral("상품명을 먼저 입력하세요."));
        QCOMPARE(cell(*w, 10, 1), QString());
        QCOMPARE(w->spList->ActiveCol(), 3);
        QCOMPARE(w->spList->ActiveRow(), 1);
        QCOMPARE(voucherCount(), 0);

        // Enter on the empty product cell opens the product list; closed without a pick,
        // nothing is stored.
        prompter->clear();
        QVERIFY(type(*w, 3, 1, QString()));
        QCOMPARE(prompter->calls.size(), 1);
        QCOMPARE(prompter->calls[0].kind, QStringLiteral("modal"));
        QCOMPARE(prompter->calls[0].title, QStringLiteral("FrmProduct_sel"));
        QCOMPARE(voucherCount(), 0);
        QCOMPARE(w->spList->MaxRows(), 1);

        QVERIFY(type(*w, 3, 1, QStringLiteral("TV")));
        QCOMPARE(voucherCount(), 2);
        QCOMPARE(voucher(cell(*w, 13, 1).toLongLong()), QStringLiteral("2024-03-15||TV|0||0|2024-03-15|0||0|0"));
        for (int c : {6, 10, 11})
            QCOMPARE(cell(*w, c, 1), QStringLiteral("0"));
        QCOMPARE(w->spList->MaxRows(), 2);
        QCOMPARE(cell(*w, 13, 2), QString());
        QCOMPARE(cell(*w, 1, 2), QStringLiteral("2024-03-15"));
        QCOMPARE(cell(*w, 7, 2), QStringLiteral("2024-03-15"));

        // Emptying the blank row's purchase date empties its sales date too.
        QVERIFY(type(*w, 1, 2, QString()));
        QCOMPARE(cell(*w, 7, 2), QString());
        QCOMPARE(prompter->messages().size(), 0);
    }

    // Every column of the last voucher is written as it leaves edit mode, quotes and Hangul
    // unchanged, amounts beyond 32 bits intact, the totals following; nothing is asked.
    // An amount typed over another one leaves the totals row (판매금액|마진) as a fresh read of
    // the list gives it, whatever the amounts beside it: the sums are kept exactly, not by
    // adding the difference in floating point.
    void totalsAfterAnEditAreThoseOfAFreshRead_data()
    {
        QTest::addColumn<QStringList>("sales"); // 판매금액 of the vouchers; the last one is edited
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("totals");
        for (const char* huge : {"1e300", "1e25", "1e20", "-1e20"})
            QTest::addRow("%s corrected", huge) << QStringList{"1000", "2000", huge} << "7" << "3007|3007";
        QTest::newRow("beside amounts above 9.2e18")
            << QStringList{"9210000000000000123", "1500", "-9210000000000000000", "9000"} << "0" << "1623|1623";
        QTest::newRow("beside the largest amount") << QStringList{"9223372036854775807", "100", "5"} << "-100"
                                                   << "9223372036854775807|9223372036854775807";
        QTest::newRow("a total past the range") << QStringList{"9223372036854775807", "9223372036854775807", "1"}
                                                << "0" << "###|###";
        QTest::newRow("beside two huge amounts") << QStringList{"1e300", "-1e300", "50"} << "60" << "###|###";
    }
    void totalsAfterAnEditAreThoseOfAFreshRead()
    {
        QFETCH(QStringList, sales);
        QFETCH(QString, typed);
        QFETCH(QString, totals);
        for (int i = 0; i < sales.size(); ++i)
            QVERIFY(testsupport::runSqlScript(dbFile, QStringLiteral(
                "INSERT INTO total (total_id, maeip_date, pro_name, maeip_cost, maechul_date, maechul_cost, maechul_usecost)"
                " VALUES (%1, '2024-03-01', 'TV', 0, '2024-03-05', %2, 0);").arg(i + 1).arg(sales[i])));
        auto w = start(true);
        QVERIFY(w);
        QVERIFY(type(*w, 10, int(sales.size()), typed));
        QCOMPARE(prompter->messages().size(), 0);
        const auto shown = [&w] { return total(*w, 10) + QLatin1Char('|') + total(*w, 12); };
        const QString edited = shown();
        w->RefreshList();
        QCOMPARE(edited, shown());
        QCOMPARE(edited, totals);
    }

    void eachColumnIsWrittenBack()
    {
        QVERIFY(addVouchers({{5, 0, "2024-03-05", 0}}));
        auto w = start(true);
        QVERIFY(w);
        QCOMPARE(w->spList->MaxRows(), 2);

        QVERIFY(type(*w, 1, 1, QStringLiteral("20240202")));
        QCOMPARE(cell(*w, 7, 1), QStringLiteral("2024-03-05")); // only the blank row copies the date
        QVERIFY(type(*w, 2, 1, QStringLiteral("가'전")));
        QVERIFY(type(*w, 3, 1, QStringLiteral("O'Neil 냉장고")));
        QVERIFY(type(*w, 5, 1, QStringLiteral("공급'사")));
        QCOMPARE(w->txtCurClient[0]->text(), QStringLiteral("7"));
        QVERIFY(type(*w, 6, 1, QStringLiteral("50,000,000,000")));
        QVERIFY(type(*w, 7, 1, QStringLiteral("0318")));
        QCOMPARE(w->DefaultDate(), QStringLiteral("2024-03-18"));
        QVERIFY(type(*w, 10, 1, QStringLiteral("60000000000")));
        QVERIFY(type(*w, 11, 1, QStringLiteral("1000")));
        QCOMPARE(voucher(5), QStringLiteral("2024-02-02|가'전|O'Neil 냉장고|7|공급'사|50000000000|2024-03-18|0||60000000000|1000"));
        QCOMPARE(total(*w, 6).toLongLong(), Q_INT64_C(50000000000));
        QCOMPARE(total(*w, 10).toLongLong(), Q_INT64_C(60000000000));
        QCOMPARE(total(*w, 12).toLongLong(), Q_INT64_C(9999999000));
        QCOMPARE(prompter->messages().size(), 0);

        // The sales party: written with its name, shown, the party's vouchers listed, and
        // the cursor on the sales amount.
        QVERIFY(type(*w, 9, 1, QStringLiteral("김's 상회")));
        QVERIFY(voucher(5).endsWith(QStringLiteral("|40000|김's 상회|60000000000|1000")));
        QCOMPARE(w->txtCurClient[1]->text(), QStringLiteral("40000"));
        QCOMPARE(w->txtCName->text(), QStringLiteral("김's 상회"));
        QCOMPARE(w->spList->ActiveCol(), 10);
        QCOMPARE(w->spList->ActiveRow(), 1);
        QCOMPARE(prompter->messages().size(), 0);
    }

    // Refused input and failed writes: the old text returns, the database keeps its value,
    // the message says what happened and nothing reports success.
    void refusedAndFailedWritesRestoreTheCell()
    {
        QVERIFY(addVouchers({{5, 100, "2024-03-05", 0}}));
        auto w = start(true);
        QVERIFY(w);

        // February 30th is no date.
        QVERIFY(type(*w, 7, 1, QStringLiteral("0230")));
        QCOMPARE(prompter->messages().size(), 1);
        QVERIFY(prompter->lastMessage().text.startsWith(QStringLiteral("[0230]는 날짜형식이 아닙니다.")));
        QCOMPARE(cell(*w, 7, 1), QStringLiteral("2024-03-05"));
        QCOMPARE(field(5, QStringLiteral("maechul_date")).toString(), QStringLiteral("2024-03-05"));
        QCOMPARE(w->spList->ActiveCol(), 7);
        QCOMPARE(w->DefaultDate(), QStringLiteral("2024-03-20"));

        // An amount out of range or not a number is not taken.
        QVERIFY(type(*w, 6, 1, QStringLiteral("200000000000")));
        QCOMPARE(cell(*w, 6, 1), QStringLiteral("100"));
        QCOMPARE(field(5, QStringLiteral("maeip_cost")).toLongLong(), 100);

        // An unregistered product or party: no pick, nothing written.
        prompter->clear();
        QVERIFY(type(*w, 3, 1, QStringLiteral("없는상품")));
        QCOMPARE(cell(*w, 3, 1), QStringLiteral("TV"));
        QCOMPARE(field(5, QStringLiteral("pro_name")).toString(), QStringLiteral("TV"));
        QVERIFY(type(*w, 9, 1, QStringLiteral("없는거래처")));
        QCOMPARE(cell(*w, 9, 1), QString());
        QCOMPARE(cell(*w, 8, 1), QStringLiteral("0"));
        QCOMPARE(field(5, QStringLiteral("maechul_code")).toLongLong(), 0);

        // Deleted by another workstation meanwhile: said so, not recreated.
        prompter->clear();
        gDB->execute(QStringLiteral("DELETE FROM total WHERE total_id = 5"));
        QVERIFY(type(*w, 10, 1, QStringLiteral("700")));
        QCOMPARE(prompter->messages().size(), 1);
        QCOMPARE(prompter->lastMessage().text, QStringLiteral("전표코드[5]에 해당하는 자료를 찾을 수 없습니다."));
        QCOMPARE(prompter->lastMessage().style, int(platform::MsgStyleWarn));
        QCOMPARE(cell(*w, 10, 1), QStringLiteral("0"));
        QCOMPARE(voucherCount(), 0);

        // A database that refuses writes: the error box, the old text, no new voucher row.
        gDB->execute(QStringLiteral("INSERT INTO total (total_id, pro_name, maechul_cost) VALUES (5, 'TV', 0)"));
        gDB = dao::Database::open(dbFile, 0, true);
        prompter->clear();
        QVERIFY(type(*w, 10, 1, QStringLiteral("700")));
        QCOMPARE(prompter->messages().size(), 1);
        QVERIFY(prompter->lastMessage().text.startsWith(QStringLiteral("자료를 수정하는 중 오류가 발생했습니다.\r\n오류번호 : ")));
        QCOMPARE(prompter->lastMessage().title, QStringLiteral("오류"));
        QCOMPARE(cell(*w, 10, 1), QStringLiteral("0"));
        QCOMPARE(field(5, QStringLiteral("maechul_cost")).toLongLong(), 0);

        prompter->clear();
        QVERIFY(type(*w, 3, 2, QStringLiteral("TV")));
        QCOMPARE(prompter->messages().size(), 1);
        QVERIFY(prompter->lastMessage().text.contains(QStringLiteral("in procedure RecAddNew of Form frmMain")));
        QCOMPARE(cell(*w, 3, 2), QString());
        QCOMPARE(cell(*w, 13, 2), QString());
        QCOMPARE(w->spList->MaxRows(), 2);
        QCOMPARE(voucherCount(), 1);
    }

    // The last voucher is written without a question; once another voucher is below, a
    // change asks first and No leaves the database as it was.
    void olderVouchersAskBeforeChange()
    {
        QVERIFY(addVouchers({{1, 0, "2024-03-05", 1500}, {2, 0, "2024-03-06", 0}}));
        auto w = start(true);
        QVERIFY(w);
        QCOMPARE(w->spList->MaxRows(), 3);

        QVERIFY(type(*w, 10, 2, QStringLiteral("800")));
        QCOMPARE(prompter->messages().size(), 0);
        QCOMPARE(field(2, QStringLiteral("maechul_cost")).toLongLong(), 800);

        prompter->msgAnswers.enqueue(platform::AnswerNo);
        QVERIFY(type(*w, 10, 1, QStringLiteral("2000")));
        QCOMPARE(prompter->messages().size(), 1);
        QCOMPARE(prompter->lastMessage().text, QStringLiteral("정말 수정하시겠습니까?\r\n이전 데이터: 1500"));
        QCOMPARE(prompter->lastMessage().style, int(platform::MsgStyleYesNo));
        QCOMPARE(cell(*w, 10, 1), QStringLiteral("1500"));
        QCOMPARE(field(1, QStringLiteral("maechul_cost")).toLongLong(), 1500);
        QCOMPARE(total(*w, 10).toLongLong(), 2300);

        prompter->msgAnswers.enqueue(platform::AnswerYes);
        QVERIFY(type(*w, 10, 1, QStringLiteral("2000")));
        QCOMPARE(field(1, QStringLiteral("maechul_cost")).toLongLong(), 2000);
        QCOMPARE(total(*w, 10).toLongLong(), 2800);
        QCOMPARE(total(*w, 12).toLongLong(), 2800);

        // Leaving a cell unchanged asks nothing.
        prompter->clear();
        QVERIFY(type(*w, 10, 1, QStringLiteral("2000")));
        QCOMPARE(prompter->messages().size(), 0);
    }

    // F4: the blank row has nothing to delete; a voucher goes after Yes (Yes preselected),
    // from the table and the grid, and the totals drop.
    void deleteWithF4()
    {
        QVERIFY(addVouchers({{1, 100, "2024-03-05", 1500}, {2, 200, "2024-03-06", 700}}));
        auto w = start(true);
        QVERIFY(w);
        QCOMPARE(total(*w, 10).toLongLong(), 2200);

        pressF4(*w, 3);
        QCOMPARE(prompter->messages().size(), 1);
        QCOMPARE(prompter->lastMessage().text, QStringLiteral("삭제할 전표자료를 선택하세요."));
        QCOMPARE(voucherCount(), 2);

        prompter->clear();
        prompter->msgAnswers.enqueue(platform::AnswerNo);
        pressF4(*w, 1);
        QCOMPARE(prompter->messages().size(), 1);
        QCOMPARE(prompter->lastMessage().text, QStringLiteral("선택된 전표자료를 정말로 삭제 하시겠습니까?"));
        QCOMPARE(prompter->lastMessage().title, QStringLiteral("전표 삭제"));
        QCOMPARE(prompter->lastMessage().style, int(platform::MsgStyleYesNo));
        QCOMPARE(voucherCount(), 2);
        QCOMPARE(w->spList->MaxRows(), 3);

        // The blank row's dates were emptied: it must stay the last row after the deletion.
        // What is being typed into the deleted voucher goes with it: no write, no pick list.
        QVERIFY(type(*w, 1, 3, QString()));
        QVERIFY(typeInto(*w, 3, 1, QStringLiteral("가방")));
        prompter->clear();
        prompter->msgAnswers.enqueue(platform::AnswerYes);
        pressF4(*w, 1);
        QCOMPARE(prompter->calls.size(), 1);
        QCOMPARE(voucherCount(), 1);
        QVERIFY(field(1, QStringLiteral("total_id")).isNull());
        QCOMPARE(w->spList->MaxRows(), 2);
        QCOMPARE(cell(*w, 13, 1), QStringLiteral("2"));
        QCOMPARE(cell(*w, 13, 2), QString());
        QCOMPARE(total(*w, 10).toLongLong(), 700);
        QCOMPARE(total(*w, 6).toLongLong(), 200);
        QCOMPARE(w->spList->OperationMode(), 0);

        // Deleted elsewhere meanwhile: said so, the row stays.
        gDB->execute(QStringLiteral("DELETE FROM total"));
        prompter->clear();
        prompter->msgAnswers.enqueue(platform::AnswerYes);
        pressF4(*w, 1);
        QCOMPARE(prompter->lastMessage().text, QStringLiteral("자료삭제중 오류가 발생했습니다."));
        QCOMPARE(w->spList->MaxRows(), 2);
    }

    // A cell entered in replace mode is still replaced by typing once a question or a message
    // about the delete key has been answered: the grid takes the focus back without the
    // editor losing its selection.
    void typingAfterAQuestionReplacesTheCell_data()
    {
        QTest::addColumn<QString>("how");
        for (const char* how : {"F4 answered No", "F4 on the blank row", "grid focused again"})
            QTest::addRow("%s", how) << QString::fromLatin1(how);
    }

    void typingAfterAQuestionReplacesTheCell()
    {
        QFETCH(QString, how);
        QVERIFY(addVouchers({{1, 100, "2024-03-05", 1500}, {2, 300, "2024-03-06", 700}}));
        auto w = start(true);
        QVERIFY(w);
        const bool blankRow = how == QLatin1String("F4 on the blank row");
        // The blank row offers today's date in its purchase date; a voucher's purchase amount is 300.
        const int col = blankRow ? 1 : 6;
        const int row = blankRow ? w->spList->MaxRows() : rowOf(*w, 2);
        // The cursor goes there by keys, from the blank row's group cell where the list starts.
        for (int n = 0; n < 20 && w->spList->ActiveRow() > row; ++n)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
        for (int n = 0; n < 20 && w->spList->ActiveCol() < col; ++n)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        for (int n = 0; n < 20 && w->spList->ActiveCol() > col; ++n)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
        QCOMPARE(w->spList->ActiveCol(), col);
        QCOMPARE(w->spList->ActiveRow(), row);
        QLineEdit* ed = w->spList->editorWidget();
        QVERIFY(ed);
        QCOMPARE(ed->selectedText(), blankRow ? QStringLiteral("2024-03-20") : QStringLiteral("300"));
        QCOMPARE(QApplication::focusWidget(), ed);

        if (how == QLatin1String("grid focused again")) {
            w->spList->SetFocus();
            w->spList->setFocus();
        } else {
            if (!blankRow)
                prompter->msgAnswers.enqueue(platform::AnswerNo);
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_F4);
            QCOMPARE(prompter->messages().size(), 1);
            QCOMPARE(prompter->lastMessage().text, blankRow ? QStringLiteral("삭제할 전표자료를 선택하세요.")
                                                            : QStringLiteral("선택된 전표자료를 정말로 삭제 하시겠습니까?"));
        }
        QCOMPARE(w->spList->editorWidget(), ed);
        QTest::keyClicks(QApplication::focusWidget(), blankRow ? QStringLiteral("0315") : QStringLiteral("5"));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);

        if (blankRow) {
            QCOMPARE(cell(*w, 1, row), QStringLiteral("2024-03-15"));
            QCOMPARE(w->DefaultDate(), QStringLiteral("2024-03-15"));
            QCOMPARE(prompter->messages().size(), 1); // no date message
        } else {
            QCOMPARE(field(2, QStringLiteral("maeip_cost")).toLongLong(), 5);
            QCOMPARE(cell(*w, 6, rowOf(*w, 2)), QStringLiteral("5"));
        }
        QCOMPARE(voucherCount(), 2);
    }

    // The group "서버" in the blank row picks the product "관리비" exactly, creates the
    // voucher and moves on to its sales party.
    void serverGroupShortcut()
    {
        auto w = start(true);
        QVERIFY(w);
        QVERIFY(type(*w, 2, 1, QStringLiteral("서버")));
        QCOMPARE(voucherCount(), 1);
        QCOMPARE(voucher(cell(*w, 13, 1).toLongLong()), QStringLiteral("2024-03-20|서버|관리비|0||0|2024-03-20|0||0|0"));
        QCOMPARE(cell(*w, 3, 1), QStringLiteral("관리비"));
        QCOMPARE(w->spList->MaxRows(), 2);
        QCOMPARE(w->spList->ActiveCol(), 9);
        QCOMPARE(w->spList->ActiveRow(), 1);
        QVERIFY(!gbAutoPickProduct);
        QCOMPARE(prompter->messages().size(), 0);

        // Any other group stays in the blank row until the product comes.
        QVERIFY(type(*w, 2, 2, QStringLiteral("가'전")));
        QCOMPARE(voucherCount(), 1);
        QCOMPARE(cell(*w, 2, 2), QStringLiteral("가'전"));
    }

    // Every way of leaving a cell writes what was typed into it: keys, clicks elsewhere, the
    // search bar taking the focus, sorting, refreshing, closing the window. When the write
    // fails (the voucher was deleted by another workstation), the old text returns and the
    // message says so.
    void everyWayOfLeavingACellWritesIt_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("deletedElsewhere");
        for (const char* how : {"Enter", "Down", "Up", "Tab", "Shift+Tab", "click cell", "click product filter",
                                "F3", "F4 answered No, then Enter", "header sort", "refresh button", "Escape",
                                "close"}) {
            QTest::addRow("%s", how) << QString::fromLatin1(how) << false;
            QTest::addRow("%s, voucher deleted elsewhere", how) << QString::fromLatin1(how) << true;
        }
    }

    void everyWayOfLeavingACellWritesIt()
    {
        QFETCH(QString, how);
        QFETCH(bool, deletedElsewhere);
        // Voucher 2 is the last one: its cells are written without a question.
        QVERIFY(addVouchers({{1, 100, "2024-03-05", 1500}, {2, 200, "2024-03-06", 700}}));
        auto w = start(true);
        QVERIFY(w);
        QCOMPARE(rowOf(*w, 2), 2);
        QLineEdit* ed = typeInto(*w, 10, 2, QStringLiteral("4200"));
        QVERIFY(ed);
        if (deletedElsewhere)
            gDB->execute(QStringLiteral("DELETE FROM total WHERE total_id = 2"));

        leave(*w, ed, how);
        if (QTest::currentTestFailed())
            return;

        if (deletedElsewhere) {
            QCOMPARE(voucherCount(), 1); // not recreated
            QCOMPARE(prompter->messages().size(), 1);
            QCOMPARE(prompter->lastMessage().text, QStringLiteral("전표코드[2]에 해당하는 자료를 찾을 수 없습니다."));
            if (const int r = rowOf(*w, 2))
                QCOMPARE(cell(*w, 10, r), QStringLiteral("700"));
        } else {
            QCOMPARE(field(2, QStringLiteral("maechul_cost")).toLongLong(), 4200);
            QCOMPARE(prompter->messages().size(), 0);
            if (how != QLatin1String("close"))
                QCOMPARE(cell(*w, 10, rowOf(*w, 2)), QStringLiteral("4200"));
        }
        QCOMPARE(field(1, QStringLiteral("maechul_cost")).toLongLong(), 1500);
    }

    // A product typed into the blank row makes the voucher however the cell is left.
    void newVoucherWhicheverWayTheProductIsLeft_data()
    {
        QTest::addColumn<QString>("how");
        for (const char* how : {"Tab", "click cell", "F3", "header sort", "refresh button", "close"})
            QTest::addRow("%s", how) << QString::fromLatin1(how);
    }

    void newVoucherWhicheverWayTheProductIsLeft()
    {
        QFETCH(QString, how);
        QVERIFY(addVouchers({{1, 100, "2024-03-05", 1500}}));
        auto w = start(true);
        QVERIFY(w);
        QLineEdit* ed = typeInto(*w, 3, 2, QStringLiteral("가방"));
        QVERIFY(ed);
        leave(*w, ed, how);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(voucherCount(), 2);
        QCOMPARE(gDB->scalar(QStringLiteral("SELECT pro_name FROM total WHERE total_id <> 1")).toString(),
                 QStringLiteral("가방"));
        QCOMPARE(prompter->messages().size(), 0);
        if (how != QLatin1String("close")) {
            QCOMPARE(w->spList->MaxRows(), 3);
            QCOMPARE(cell(*w, 13, 3), QString()); // the blank row stays last
        }
    }

    // A Hangul syllable still being composed belongs to what was typed: leaving the cell
    // takes it along ("가" alone would match two products and pick none).
    void syllableBeingComposedIsWrittenToo_data()
    {
        QTest::addColumn<QString>("how");
        for (const char* how : {"Enter", "click cell", "header sort", "refresh button", "close"})
            QTest::addRow("%s", how) << QString::fromLatin1(how);
    }

    void syllableBeingComposedIsWrittenToo()
    {
        QFETCH(QString, how);
        QVERIFY(addVouchers({{1, 100, "2024-03-05", 1500}, {2, 200, "2024-03-06", 700}}));
        auto w = start(true);
        QVERIFY(w);
        QLineEdit* ed = typeInto(*w, 3, 2, QStringLiteral("가"));
        QVERIFY(ed);
        QInputMethodEvent composing(QStringLiteral("방"), {});
        QApplication::sendEvent(ed, &composing);
        leave(*w, ed, how);
        if (QTest::currentTestFailed())
            return;
        QCOMPARE(field(2, QStringLiteral("pro_name")).toString(), QStringLiteral("가방"));
        QCOMPARE(prompter->messages().size(), 0);
    }

    // The right button opens the grid menu with the subtotal items and no report columns.
    void rightClickOpensGridMenu()
    {
        auto w = start(true);
        QVERIFY(w);
        QTest::mouseClick(w->spList->viewport(), Qt::RightButton, Qt::NoModifier, QPoint(40, 40));
        QCOMPARE(prompter->calls.size(), 1);
        QCOMPARE(prompter->calls[0].kind, QStringLiteral("menu"));
        QVERIFY(prompter->calls[0].text.contains(QStringLiteral("【소계】숨김/보기")));
        QVERIFY(!prompter->calls[0].text.contains(QStringLiteral("【보고서】")));
    }

    // Another workstation holds the write lock longer than this one waits: the user is told,
    // the cell shows what the database holds, no voucher appears; once the lock is gone the
    // same typing lands.
    void writeMeetingAHeldLockIsReported()
    {
        QVERIFY(addVouchers({{5, 100, "2024-03-05", 0}}));
        auto w = start(true);
        QVERIFY(w);
        auto other = dao::Database::open(dbFile);
        other->beginImmediate();
        gDB->setBusyTimeout(50);

        QVERIFY(type(*w, 10, 1, QStringLiteral("700")));
        QCOMPARE(prompter->messages().size(), 1);
        QVERIFY(prompter->lastMessage().text.startsWith(QStringLiteral("자료를 수정하는 중 오류가 발생했습니다.\r\n오류번호 : 3261")));
        QCOMPARE(cell(*w, 10, 1), QStringLiteral("0"));

        prompter->clear();
        QVERIFY(type(*w, 3, 2, QStringLiteral("TV")));
        QCOMPARE(prompter->messages().size(), 1);
        QVERIFY(prompter->lastMessage().text.startsWith(QStringLiteral("Error 3261 (")));
        QCOMPARE(cell(*w, 13, 2), QString());
        QCOMPARE(w->spList->MaxRows(), 2);

        other->rollback();
        prompter->clear();
        QVERIFY(type(*w, 10, 1, QStringLiteral("700")));
        QVERIFY(type(*w, 3, 2, QStringLiteral("TV")));
        QCOMPARE(prompter->messages().size(), 0);
        QCOMPARE(field(5, QStringLiteral("maechul_cost")).toLongLong(), 700);
        QCOMPARE(voucher(cell(*w, 13, 2).toLongLong()), QStringLiteral("2024-03-20||TV|0||0|2024-03-20|0||0|0"));
    }

    // The write-back unit alone: only the grid's voucher fields reach a statement.
    void writerRefusesOtherColumns()
    {
        auto db = dao::Database::open(dbFile);
        QVERIFY(db);
        db->execute(QStringLiteral("INSERT INTO total (total_id, pro_name) VALUES (9, 'TV')"));
        for (const char* bad : {"total_id", "pro_code", "pro_name = 'x', maeip_cost", ""}) {
            bool threw = false;
            try {
                UpdateVoucherField(*db, 9, QLatin1String(bad), QStringLiteral("x"));
            } catch (const dao::DaoError& e) {
                threw = e.number() == dao::errObjectNotFound;
            }
            QVERIFY2(threw, bad);
        }
        QCOMPARE(db->scalar(QStringLiteral("SELECT pro_name FROM total WHERE total_id = 9")).toString(),
                 QStringLiteral("TV"));
        QCOMPARE(UpdateVoucherField(*db, 10, QStringLiteral("pro_name"), QStringLiteral("TV")), VoucherWrite::NotFound);
        QCOMPARE(db->scalar(QStringLiteral("SELECT COUNT(*) FROM total")).toLongLong(), 1);
    }
};

QTEST_MAIN(tst_VoucherEdit)
#include "tst_VoucherEdit.moc"
