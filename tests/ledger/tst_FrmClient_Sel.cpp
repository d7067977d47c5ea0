#include "LedgerFixture.h"
#include "NameListFixture.h"

#include "ledger/FrmClient_Sel.h"
#include "ledger/FrmClient_write.h"
#include "ledger/frmMain.h"
#include "platform/Prompter.h"
#include "platform/SpreadGrid.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

// The party list: the literal search, the result string, picking, the keys, and adding,
// editing and deleting through the editor.
class tst_FrmClient_Sel : public QObject {
    Q_OBJECT

    std::unique_ptr<namelisttest::Fixture> f;
    testsupport::ScriptedPrompter* prompter = nullptr;

    static QString col(FrmClient_Sel& w, int c, int r) { return w.spList->GetText(c, r); }
    static QStringList names(FrmClient_Sel& w)
    {
        QStringList out;
        for (int r = 1; r <= w.spList->MaxRows(); ++r)
            out << col(w, 1, r);
        return out;
    }
    QVariant scalar(const QString& sql) { return gDB->scalar(sql); }

    // A modal answer for the editor: records its caption and name, types a name, saves.
    std::function<int(QDialog&)> editorSaves(const QString& newName, QString* seen = nullptr)
    {
        return [newName, seen](QDialog& d) {
            auto* w = qobject_cast<FrmClient_write*>(&d);
            if (!w)
                return 0;
            if (seen)
                *seen = w->windowTitle() + QLatin1Char('|') + w->txtInput[0]->text();
            w->txtInput[0]->setText(newName);
            w->btnSave->click();
            return w->result();
        };
    }
    static std::function<int(QDialog&)> ignore() { return [](QDialog&) { return 0; }; }

private slots:
    void init()
    {
        f = std::make_unique<namelisttest::Fixture>(QStringLiteral(
            "INSERT INTO maechul (id, name, tel, address, memo) VALUES"
            " (40000, '김상회', '02-555-1234', '서울', '단골'), (2, 'A%B', '', '', ''), (3, 'AxB', '', '', ''),"
            " (4, 'a_b', '', '', ''), (5, 'ab', '', '', ''), (6, 'O''Neil', '', '', ''), (7, '김밥집', '', '', '');"
            "INSERT INTO maeip (id, name) VALUES (1, '공급사');"));
        QVERIFY(f->ok);
        prompter = &f->prompter;
    }
    void cleanup() { f.reset(); }

    void searchMatchesTheTextLiterally()
    {
        FrmClient_Sel w;
        w.mode(1);
        QCOMPARE(w.FindRecords(QString()), qint64(7)); // everything, in name order
        QCOMPARE(names(w).first(), QStringLiteral("A%B"));
        QCOMPARE(w.Result(), QString());
        // %, _ and ' are letters of the search text
        const QStringList hits = {QStringLiteral("A%B"), QStringLiteral("a_b"), QStringLiteral("O'Neil")};
        for (const QString& hit : hits) {
            QCOMPARE(w.FindRecords(hit.mid(1, 1)), qint64(1));
            QCOMPARE(col(w, 1, 1), hit);
        }
        QCOMPARE(w.FindRecords(QStringLiteral("김")), qint64(2));
        QVERIFY(prompter->messages().isEmpty());

        // a single hit above 16 bits: id, NUL, name, with every column shown
        FrmClient_Sel one;
        one.mode(1);
        QCOMPARE(one.FindRecords(QStringLiteral("상회")), qint64(1));
        QCOMPARE(one.Result(), QStringLiteral("40000") + QChar(0) + QStringLiteral("김상회"));
        QCOMPARE((QStringList{col(one, 2, 1), col(one, 3, 1), col(one, 4, 1)}),
                 (QStringList{QStringLiteral("02-555-1234"), QStringLiteral("서울"), QStringLiteral("단골")}));

        FrmClient_Sel buy; // the purchase parties' own table
        buy.mode(0);
        QCOMPARE(buy.FindRecords(QString()), qint64(1));
    }

    // (the search box, F5 and Escape belong to the list body the name lists share and are
    // tested there)
    void addEditDeleteAndPickByKeys()
    {
        FrmClient_Sel w;
        w.mode(1);
        QCOMPARE(w.FindRecords(QStringLiteral("a")), qint64(4)); // A%B, a_b, ab, AxB
        w.show();

        // F2 opens the editor for a new party of the list's kind
        QString seen;
        prompter->modalAnswers << editorSaves(QStringLiteral("새 거래처"), &seen) << ignore();
        QTest::keyClick(w.spList, Qt::Key_F2);
        QCOMPARE(seen, QStringLiteral("신규 거래처 등록(매출처)|"));
        QCOMPARE(w.spList->MaxRows(), 5);
        QCOMPARE(col(w, 1, 5), QStringLiteral("새 거래처")); // last row, outside the name order
        QCOMPARE(col(w, 5, 5), QStringLiteral("40001"));
        QCOMPARE(w.spList->ActiveRow(), 5);

        // F3 edits the active row and rewrites it in place
        const int axb = int(names(w).indexOf(QStringLiteral("AxB"))) + 1;
        QVERIFY(axb > 0);
        w.spList->SetActiveCell(1, axb);
        prompter->modalAnswers << editorSaves(QStringLiteral("AxB2"), &seen) << ignore();
        QTest::keyClick(w.txtName, Qt::Key_F3);
        QCOMPARE(seen, QStringLiteral("기존 거래처 수정(매출처)|AxB"));
        QCOMPARE(col(w, 1, axb), QStringLiteral("AxB2"));
        QCOMPARE(w.spList->MaxRows(), 5);

        // F4 asks before deleting; No is the default
        prompter->clear();
        QTest::keyClick(w.spList, Qt::Key_F4);
        QCOMPARE(prompter->lastMessage().text, QStringLiteral("AxB2을(를) 정말 삭제하시겠습니까?"));
        QCOMPARE(prompter->lastMessage().style, int(platform::MsgStyleYesNoDefNo));
        QCOMPARE(w.spList->MaxRows(), 5);
        QCOMPARE(scalar(QStringLiteral("SELECT COUNT(*) FROM maechul WHERE id = 3")).toInt(), 1);

        // Enter in the list picks the active row
        w.spList->SetActiveCell(1, 5);
        QTest::keyClick(w.spList, Qt::Key_Return);
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QCOMPARE(w.Result(), QStringLiteral("40001") + QChar(0) + QStringLiteral("새 거래처"));
    }

    void pickAndEditNeedARow()
    {
        FrmClient_Sel w;
        w.mode(1);
        QCOMPARE(w.FindRecords(QStringLiteral("없는이름")), qint64(0));
        w.cmdSel_Click();
        QCOMPARE(prompter->lastMessage().text, QStringLiteral("리스트에서 자료를 선택하세요."));
        QCOMPARE(w.result(), 0);
        w.cmdEdit_Click();
        QCOMPARE(prompter->lastMessage().text, QStringLiteral("수정할 자료를 먼저 선택하세요."));
        w.cmdDel_Click();
        QCOMPARE(prompter->lastMessage().text, QStringLiteral("삭제할 자료를 먼저 선택하세요."));

        // a double click picks the row clicked
        w.FindRecords(QStringLiteral("김"));
        w.spList->SetActiveCell(1, 2);
        w.spList_DblClick(1, 2);
        QCOMPARE(w.Result(), QStringLiteral("40000") + QChar(0) + QStringLiteral("김상회"));
    }

    void deletionClearsTheMainWindowsBox()
    {
        frmMain main;
        main.DispClientInfo(1, 40000);
        main.DispClientInfo(0, 1);
        QCOMPARE(main.txtCurClient[1]->text(), QStringLiteral("40000"));

        FrmClient_Sel w;
        w.mode(1);
        w.FindRecords(QStringLiteral("김"));
        w.spList->SetActiveCell(1, 2); // 김상회 (40000)
        prompter->msgAnswers << platform::AnswerYes;
        w.cmdDel_Click();
        QCOMPARE(scalar(QStringLiteral("SELECT COUNT(*) FROM maechul WHERE id = 40000")).toInt(), 0);
        QCOMPARE(names(w), QStringList{QStringLiteral("김밥집")});
        QCOMPARE(main.txtCurClient[1]->text(), QString());
        QCOMPARE(main.pnlinfo2[0]->text(), QString());
        QVERIFY(!main.btnClientEdit[1]->isEnabled());
        QCOMPARE(main.txtCurClient[0]->text(), QStringLiteral("1")); // the other kind stays

        // deleting a party the box does not show leaves the box alone
        main.DispClientInfo(1, 7);
        gDB->execute(QStringLiteral("INSERT INTO maechul (id, name) VALUES (9, '김치')"));
        w.FindRecords(QStringLiteral("김치"));
        prompter->msgAnswers << platform::AnswerYes;
        w.cmdDel_Click();
        QCOMPARE(w.spList->MaxRows(), 0); // the last row went
        QCOMPARE(main.pnlinfo2[0]->text(), QStringLiteral("김밥집"));

        // a row another workstation deleted already
        w.FindRecords(QStringLiteral("김밥"));
        gDB->execute(QStringLiteral("DELETE FROM maechul WHERE id = 7"));
        prompter->msgAnswers << platform::AnswerYes;
        w.cmdDel_Click();
        QCOMPARE(prompter->lastMessage().text, QStringLiteral("삭제중 오류가 발생하였습니다."));
        QCOMPARE(w.spList->MaxRows(), 1);
    }

    // A deleted party's vouchers keep its id: a party added afterwards must not take it, or
    // the telephone search and the rename question would treat them as the new party's.
    void deletedPartysIdStaysWithItsVouchers()
    {
        f.reset();
        struct MainWindow : ledgertest::MainWindowFixture {
            ~MainWindow() { tearDownMain(); }
        } m;
        QVERIFY(m.setUpMain(ledgertest::oldMainSchema(), QStringLiteral(
            "INSERT INTO maechul (id, name, tel, phone, zipcode, address, memo) VALUES"
            " (1, '가게일', '', '', '', '', ''), (2, '가게이', '', '', '', '', ''),"
            " (3, '옛거래처', '02-333-4444', '', '', '', '');"
            "INSERT INTO total (maeip_date, pro_name, maeip_code, maeip_name, maeip_cost, maechul_date,"
            " maechul_code, maechul_name, maechul_cost, maechul_usecost) VALUES"
            " ('2024-03-02', 'TV', 0, '', 100, '2024-03-05', 3, '옛거래처', 150, 0);")));
        auto main = m.start();
        QVERIFY(main);
        auto& prompts = *m.prompter;

        FrmClient_Sel list;
        list.mode(1);
        QCOMPARE(list.FindRecords(QString()), qint64(3));
        list.show();
        list.spList->SetActiveCell(1, int(names(list).indexOf(QStringLiteral("옛거래처"))) + 1);
        prompts.msgAnswers << platform::AnswerYes;
        QTest::keyClick(list.spList, Qt::Key_F4);
        QCOMPARE(scalar(QStringLiteral("SELECT COUNT(*) FROM maechul WHERE id = 3")).toInt(), 0);
        QCOMPARE(scalar(QStringLiteral("SELECT maechul_code || maechul_name FROM total")).toString(),
                 QStringLiteral("3옛거래처"));

        // a new party with a mobile number, typed into the editor
        prompts.modalAnswers << [](QDialog& d) {
            auto* w = qobject_cast<FrmClient_write*>(&d);
            if (!w)
                return 0;
            w->show();
            QApplication::setActiveWindow(w);
            if (!QTest::qWaitForWindowActive(w))
                return 0;
            w->txtInput[0]->setText(QStringLiteral("새손님"));
            w->txtInput[2]->setFocus();
            QTest::keyClicks(w->txtInput[2], QStringLiteral("01099998888"));
            QTest::keyClick(w->txtInput[2], Qt::Key_Return); // leaving the box formats it
            QTest::mouseClick(w->btnSave, Qt::LeftButton);
            return w->result();
        } << ignore();
        QTest::keyClick(list.spList, Qt::Key_F2);
        const qint64 id = scalar(QStringLiteral("SELECT id FROM maechul WHERE name = '새손님'")).toLongLong();
        QCOMPARE(id, qint64(4));
        QCOMPARE(scalar(QStringLiteral("SELECT phone FROM maechul WHERE id = 4")).toString(), QStringLiteral("010-9999-8888"));
        QCOMPARE(col(list, 5, list.spList->MaxRows()), QStringLiteral("4"));

        // the main window's telephone search finds the new party, not the old voucher
        main->cmbGu->setCurrentIndex(2);
        main->txtCName->setText(QStringLiteral("9999-8888"));
        QTest::keyClick(main->txtCName, Qt::Key_Return);
        for (int r = 1; r <= main->spList->MaxRows(); ++r)
            for (int c = 1; c <= 13; ++c)
                QVERIFY2(!main->spList->GetText(c, r).contains(QStringLiteral("옛거래처")), qPrintable(QString::number(r)));

        // renaming the new party, Yes to the voucher question: the old voucher keeps its name
        prompts.clear();
        prompts.modalAnswers << editorSaves(QStringLiteral("새손님2")) << ignore();
        prompts.msgAnswers << platform::AnswerYes;
        QTest::keyClick(list.spList, Qt::Key_F3);
        QCOMPARE(prompts.lastMessage().text, QStringLiteral("전표에서 0건의 자료가 변경되었습니다."));
        QCOMPARE(scalar(QStringLiteral("SELECT name FROM maechul WHERE id = 4")).toString(), QStringLiteral("새손님2"));
        QCOMPARE(scalar(QStringLiteral("SELECT maechul_name FROM total")).toString(), QStringLiteral("옛거래처"));
    }
};

QTEST_MAIN(tst_FrmClient_Sel)
#include "tst_FrmClient_Sel.moc"
