#include "NameListFixture.h"

#include "ledger/FrmProduct_sel.h"
#include "ledger/frmMain.h"
#include "platform/SpreadGrid.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namelisttest::Fixture;
using namelisttest::voucher;

// The product list: what it lists, renaming into the vouchers, deleting and its keys.
class tst_FrmProduct_sel : public QObject {
    Q_OBJECT

    static QString data()
    {
        return QStringLiteral("INSERT INTO product (name) VALUES ('마우스'), ('TV'), ('키보드'), ('모니터'), ('50%할인');"
                              "INSERT INTO group_name (name) VALUES ('가전'), ('주변기기');")
               + voucher(QStringLiteral("키보드"), QStringLiteral("주변기기"))
               + voucher(QStringLiteral("마우스"), QStringLiteral("주변기기"))
               + voucher(QStringLiteral("키보드"), QStringLiteral("주변기기"))
               + voucher(QStringLiteral("tv"), QStringLiteral("가전"))
               + voucher(QStringLiteral("TV"), QStringLiteral("가전"))
               + voucher(QStringLiteral("모니터"), QStringLiteral("가전"));
    }

    static QStringList rows(FrmProduct_sel& w)
    {
        QStringList out;
        for (int r = 1; r <= w.spList->MaxRows(); ++r)
            out << w.spList->GetText(1, r);
        return out;
    }
    static int rowOf(FrmProduct_sel& w, const QString& name)
    {
        return rows(w).indexOf(name) + 1;
    }

private slots:
    void init() { gbAutoPickProduct = false; }

    void listsByTextOrByTheGroupsVouchers()
    {
        Fixture f(data());
        FrmProduct_sel w;
        QCOMPARE(w.windowTitle(), QStringLiteral("상품검색"));
        QCOMPARE(w.cmbGroup->count(), 3); // the empty entry and both groups
        QCOMPARE(w.cmbGroup->itemText(0), QString());

        w.Group(QStringLiteral("주변기기"));
        QCOMPARE(w.FindRecords(QString()), 2L);
        QCOMPARE(rows(w), (QStringList{QStringLiteral("마우스"), QStringLiteral("키보드")}));
        QCOMPARE(w.Result(), QString());
        // a text lists by itself, whatever the group
        QCOMPARE(w.FindRecords(QStringLiteral("t")), 1L);
        QCOMPARE(w.Result(), QStringLiteral("TV"));
        w.Group(QString());
        QCOMPARE(w.FindRecords(QString()), 5L);
        QCOMPARE(w.FindRecords(QStringLiteral("%")), 1L);
        // the exact comparison of the group shortcut
        gbAutoPickProduct = true;
        QCOMPARE(w.FindRecords(QStringLiteral("모니")), 0L);
        QCOMPARE(w.FindRecords(QStringLiteral("tv")), 1L);
    }

    void renameCarriesIntoTheVouchersOnYes()
    {
        Fixture f(data());
        FrmProduct_sel w;
        w.FindRecords(QString());
        w.spList->SetActiveCell(1, rowOf(w, QStringLiteral("TV")));
        f.prompter.inputAnswers.enqueue(QStringLiteral("텔레비전"));
        f.prompter.msgAnswers.enqueue(platform::AnswerYes);
        w.cmdEdit_Click();
        auto msgs = f.prompter.messages();
        QCOMPARE(msgs.size(), 2);
        QCOMPARE(msgs[0].text, QStringLiteral("전표에 이미 등록된 동일한 이름도 변경 하시겠습니까?"));
        QCOMPARE(msgs[0].style, int(platform::MsgStyleYesNoDefNo));
        QCOMPARE(msgs[1].text, QStringLiteral("전표에서 2건의 자료가 변경되었습니다.")); // "tv" too
        QCOMPARE(w.spList->GetText(1, w.spList->ActiveRow()), QStringLiteral("텔레비전"));
        QCOMPARE(Fixture::column(QStringLiteral("SELECT COUNT(*) FROM total WHERE pro_name = '텔레비전'")), QStringList{"2"});
        QCOMPARE(Fixture::column(QStringLiteral("SELECT COUNT(*) FROM product WHERE name = 'TV'")), QStringList{"0"});

        // No (the default): the vouchers keep the old name
        f.prompter.clear();
        w.spList->SetActiveCell(1, rowOf(w, QStringLiteral("모니터")));
        f.prompter.inputAnswers.enqueue(QStringLiteral("LCD"));
        w.cmdEdit_Click();
        QCOMPARE(f.messageTexts(), QStringList{QStringLiteral("전표에 이미 등록된 동일한 이름도 변경 하시겠습니까?")});
        QCOMPARE(Fixture::column(QStringLiteral("SELECT name FROM product WHERE name = 'LCD'")), QStringList{"LCD"});
        QCOMPARE(Fixture::column(QStringLiteral("SELECT COUNT(*) FROM total WHERE pro_name = '모니터'")), QStringList{"1"});

        // only the case changes: allowed, the name is not its own duplicate
        f.prompter.clear();
        w.spList->SetActiveCell(1, rowOf(w, QStringLiteral("LCD")));
        f.prompter.inputAnswers.enqueue(QStringLiteral("lcd"));
        w.cmdEdit_Click();
        QCOMPARE(Fixture::column(QStringLiteral("SELECT name FROM product WHERE name = 'lcd' COLLATE BINARY")), QStringList{"lcd"});
    }

    void renameRefusesAndStaysSilentAsItShould()
    {
        Fixture f(data());
        FrmProduct_sel w;
        w.FindRecords(QString());
        const int row = rowOf(w, QStringLiteral("마우스"));
        w.spList->SetActiveCell(1, row);
        // the same name, an empty answer and Cancel change nothing and say nothing
        f.prompter.inputAnswers.enqueue(QStringLiteral("마우스"));
        w.cmdEdit_Click();
        f.prompter.inputAnswers.enqueue(QString(""));
        w.cmdEdit_Click();
        f.prompter.inputAnswers.enqueue(QVariant());
        w.cmdEdit_Click();
        QVERIFY(f.prompter.messages().isEmpty());
        // another product's name, in another case
        f.prompter.inputAnswers.enqueue(QStringLiteral("tv"));
        w.cmdEdit_Click();
        QCOMPARE(f.messageTexts(), QStringList{QStringLiteral("이미 같은 이름이 등록 되어 있습니다.")});
        QCOMPARE(w.spList->GetText(1, row), QStringLiteral("마우스"));

        // no active row
        f.prompter.clear();
        w.spList->SetMaxRows(0);
        w.cmdEdit_Click();
        w.cmdDel_Click();
        QCOMPARE(f.messageTexts(), (QStringList{QStringLiteral("수정할 자료를 먼저 선택하세요."),
                                                QStringLiteral("삭제할 자료를 먼저 선택하세요.")}));
    }

    void failedVoucherUpdateUndoesTheRename()
    {
        Fixture f(data());
        QVERIFY(testsupport::runSqlScript(gDB->name(), QStringLiteral(
            "CREATE TRIGGER no_change BEFORE UPDATE ON total BEGIN SELECT RAISE(ABORT, 'locked'); END;")));
        FrmProduct_sel w;
        w.FindRecords(QString());
        const int row = rowOf(w, QStringLiteral("키보드"));
        w.spList->SetActiveCell(1, row);
        f.prompter.inputAnswers.enqueue(QStringLiteral("자판"));
        f.prompter.msgAnswers.enqueue(platform::AnswerYes);
        w.cmdEdit_Click();
        QVERIFY(f.prompter.lastMessage().text.contains(QStringLiteral("in procedure cmdEdit_Click of Form FrmProduct_sel")));
        QCOMPARE(Fixture::column(QStringLiteral("SELECT COUNT(*) FROM product WHERE name = '키보드'")), QStringList{"1"});
        QCOMPARE(Fixture::column(QStringLiteral("SELECT COUNT(*) FROM product WHERE name = '자판'")), QStringList{"0"});
        QCOMPARE(w.spList->GetText(1, row), QStringLiteral("키보드"));
    }

    void deleteAsksWithNoAsDefaultAndLeavesVouchers()
    {
        Fixture f(data());
        FrmProduct_sel w;
        w.FindRecords(QString());
        w.spList->SetActiveCell(1, rowOf(w, QStringLiteral("키보드")));
        w.cmdDel_Click(); // Enter: No
        QCOMPARE(f.prompter.lastMessage().text, QStringLiteral("키보드을(를) 정말 삭제하시겠습니까?"));
        QCOMPARE(f.prompter.lastMessage().style, int(platform::MsgStyleYesNoDefNo));
        QCOMPARE(w.spList->MaxRows(), 5);
        QCOMPARE(Fixture::column(QStringLiteral("SELECT COUNT(*) FROM product WHERE name = '키보드'")), QStringList{"1"});

        f.prompter.msgAnswers.enqueue(platform::AnswerYes);
        w.cmdDel_Click();
        QCOMPARE(w.spList->MaxRows(), 4);
        QVERIFY(!rows(w).contains(QStringLiteral("키보드")));
        QCOMPARE(Fixture::column(QStringLiteral("SELECT COUNT(*) FROM product WHERE name = '키보드'")), QStringList{"0"});
        QCOMPARE(Fixture::column(QStringLiteral("SELECT COUNT(*) FROM total WHERE pro_name = '키보드'")), QStringList{"2"});

        // a row whose name went meanwhile
        f.prompter.clear();
        gDB->execute(QStringLiteral("DELETE FROM product WHERE name = '마우스'"));
        w.spList->SetActiveCell(1, rowOf(w, QStringLiteral("마우스")));
        f.prompter.msgAnswers.enqueue(platform::AnswerYes);
        w.cmdDel_Click();
        QCOMPARE(f.prompter.lastMessage().text, QStringLiteral("삭제중 오류가 발생하였습니다."));
        QCOMPARE(w.spList->MaxRows(), 4);
    }

    void keysOfTheList()
    {
        Fixture f(data());
        FrmProduct_sel w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        // Enter in the search box searches
        w.txtName->setFocus();
        w.txtName->setText(QStringLiteral("보"));
        QTest::keyClick(w.txtName, Qt::Key_Return);
        QCOMPARE(rows(w), QStringList{QStringLiteral("키보드")});
        QVERIFY(w.isVisible());
        // F5 searches again, from any control
        w.txtName->clear();
        QTest::keyClick(w.spList, Qt::Key_F5);
        QCOMPARE(w.spList->MaxRows(), 5);
        // F2 adds at the end of the list
        f.prompter.inputAnswers.enqueue(QStringLiteral("스피커"));
        QTest::keyClick(w.cmbGroup, Qt::Key_F2);
        QCOMPARE(w.spList->GetText(1, 6), QStringLiteral("스피커"));
        QCOMPARE(f.prompter.calls.last().text, QStringLiteral("신규등록 할 상품명을 입력하세요."));
        // F3 renames, F4 deletes the active row
        w.spList->SetActiveCell(1, 6);
        f.prompter.inputAnswers.enqueue(QStringLiteral("스피커2"));
        QTest::keyClick(w.spList, Qt::Key_F3);
        QCOMPARE(w.spList->GetText(1, 6), QStringLiteral("스피커2"));
        f.prompter.msgAnswers.enqueue(platform::AnswerYes);
        QTest::keyClick(w.txtName, Qt::Key_F4);
        QCOMPARE(w.spList->MaxRows(), 5);
        // Enter in the list picks the active row
        w.spList->SetActiveCell(1, 2);
        w.spList->setFocus();
        QTest::keyClick(w.spList, Qt::Key_Return);
        QCOMPARE(w.Result(), w.spList->GetText(1, 2));
        QCOMPARE(w.result(), int(QDialog::Accepted));
        QVERIFY(!w.isVisible());
        // Escape closes and keeps the result
        w.show();
        QTest::keyClick(w.spList, Qt::Key_Escape);
        QVERIFY(!w.isVisible());
        QCOMPARE(w.result(), int(QDialog::Rejected));
        QCOMPARE(w.Result(), w.spList->GetText(1, 2));
        // a double click on a row picks it
        w.show();
        emit w.spList->DblClick(1, 3);
        QCOMPARE(w.Result(), w.spList->GetText(1, 3));
    }
};

QTEST_MAIN(tst_FrmProduct_sel)
#include "tst_FrmProduct_sel.moc"
