#include "NameListFixture.h"

#include "ledger/FrmGroup_sel.h"
#include "ledger/FrmProduct_sel.h"
#include "ledger/frmMain.h"
#include "platform/SpreadGrid.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QtTest>

using namelisttest::Fixture;
using namelisttest::voucher;

// The product and group lists: what they list, renaming into the vouchers, deleting, keys.
class tst_FrmProduct_sel : public QObject {
    Q_OBJECT

    static QString data()
    {
        return QStringLiteral("INSERT INTO product (name) VALUES ('마우스'), ('TV'), ('키보드'), ('모니터');"
                              "INSERT INTO group_name (name) VALUES ('가전'), ('주변기기');")
               + voucher(QStringLiteral("키보드"), QStringLiteral("주변기기"))
               + voucher(QStringLiteral("마우스"), QStringLiteral("주변기기"))
               + voucher(QStringLiteral("키보드"), QStringLiteral("주변기기"))
               + voucher(QStringLiteral("tv"), QStringLiteral("가전"))
               + voucher(QStringLiteral("TV"), QStringLiteral("가전"));
    }

    static QStringList rows(NameSelForm& w)
    {
        QStringList out;
        for (int r = 1; r <= w.spList->MaxRows(); ++r)
            out << w.spList->GetText(1, r);
        return out;
    }
    static void select(NameSelForm& w, const QString& name) { w.spList->SetActiveCell(1, rows(w).indexOf(name) + 1); }
    static QString count(const QString& where) { return Fixture::column(QStringLiteral("SELECT COUNT(*) FROM ") + where).value(0); }
    // Renames the listed name `from` through the edit button: `to` typed into the prompt,
    // the voucher question answered as given (unscripted: the default No).
    static void rename(Fixture& f, NameSelForm& w, const QString& from, const QString& to, bool vouchersToo = false)
    {
        select(w, from);
        f.prompter.inputAnswers.enqueue(to);
        if (vouchersToo)
            f.prompter.msgAnswers.enqueue(platform::AnswerYes);
        w.cmdEdit_Click();
    }

private slots:
    void init() { gbAutoPickProduct = false; }

    void listsByTextOrByTheGroupsVouchers()
    {
        Fixture f(data());
        FrmProduct_sel w;
        QCOMPARE(w.cmbGroup->count(), 3); // the empty entry and both groups
        w.Group(QStringLiteral("주변기기"));
        QCOMPARE(w.FindRecords(QString()), qint64(2));
        QCOMPARE(rows(w), (QStringList{QStringLiteral("마우스"), QStringLiteral("키보드")}));
        QCOMPARE(w.Result(), QString());
        QCOMPARE(w.FindRecords(QStringLiteral("t")), qint64(1)); // a text lists by itself
        QCOMPARE(w.Result(), QStringLiteral("TV"));
        gbAutoPickProduct = true; // the whole name only
        QCOMPARE(w.FindRecords(QStringLiteral("키보")), qint64(0));
        gbAutoPickProduct = false;

        FrmGroup_sel g; // never compares the whole name
        gbAutoPickProduct = true;
        QCOMPARE(g.FindRecords(QStringLiteral("가")), qint64(1));
    }

    // Tabbing into the group combo drops its list; the pick keeps, since the focus coming
    // back from the closed list (or from a click) opens nothing again.
    void groupListOpensOnlyWhenEntered()
    {
        Fixture f(data());
        FrmProduct_sel w;
        w.show();
        QApplication::setActiveWindow(&w);
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.cmbGroup->setFocus(Qt::TabFocusReason);
        QTRY_VERIFY(w.cmbGroup->view()->isVisible());
        QTest::keyClick(w.cmbGroup->view(), Qt::Key_Down);
        QTest::keyClick(w.cmbGroup->view(), Qt::Key_Return);
        QTRY_VERIFY(!w.cmbGroup->view()->isVisible());
        for (Qt::FocusReason reason : {Qt::PopupFocusReason, Qt::MouseFocusReason}) {
            QFocusEvent back(QEvent::FocusIn, reason);
            QCoreApplication::sendEvent(w.cmbGroup, &back);
            QApplication::processEvents();
        }
        QVERIFY(!w.cmbGroup->view()->isVisible());
        QCOMPARE(w.cmbGroup->currentText(), QStringLiteral("가전"));
    }

    void renameCarriesIntoTheVouchersOnlyOnYes()
    {
        Fixture f(data());
        FrmProduct_sel w;
        w.FindRecords(QString());
        rename(f, w, QStringLiteral("TV"), QStringLiteral("텔레비전"), true);
        QCOMPARE(f.prompter.messages().first().style, int(platform::MsgStyleYesNoDefNo));
        QCOMPARE(f.prompter.lastMessage().text, QStringLiteral("전표에서 2건의 자료가 변경되었습니다.")); // "tv" too
        QCOMPARE(w.spList->GetText(1, w.spList->ActiveRow()), QStringLiteral("텔레비전"));
        QCOMPARE(count(QStringLiteral("total WHERE pro_name = '텔레비전'")), QStringLiteral("2"));

        // No (the default): only the list changes
        rename(f, w, QStringLiteral("키보드"), QStringLiteral("자판"));
        QCOMPARE(count(QStringLiteral("product WHERE name = '자판'")), QStringLiteral("1"));
        QCOMPARE(count(QStringLiteral("total WHERE pro_name = '키보드'")), QStringLiteral("2"));

        // the same name, or a cancelled prompt: nothing changes, nothing is asked
        f.prompter.clear();
        rename(f, w, QStringLiteral("마우스"), QStringLiteral("마우스"));
        select(w, QStringLiteral("마우스"));
        f.prompter.inputAnswers.enqueue(QVariant());
        w.cmdEdit_Click();
        QVERIFY(f.prompter.messages().isEmpty());

        // another product's name is a duplicate; a change of case only is not
        rename(f, w, QStringLiteral("마우스"), QStringLiteral("자판"));
        QCOMPARE(f.prompter.lastMessage().text, QStringLiteral("이미 같은 이름이 등록 되어 있습니다."));
        QCOMPARE(count(QStringLiteral("product WHERE name = '마우스'")), QStringLiteral("1"));
        rename(f, w, QStringLiteral("텔레비전"), QStringLiteral("Tv"));
        rename(f, w, QStringLiteral("Tv"), QStringLiteral("TV"));
        QCOMPARE(Fixture::column(QStringLiteral("SELECT name FROM product WHERE name = 'TV' COLLATE BINARY")), QStringList{"TV"});
    }

    void failedVoucherUpdateUndoesTheRename()
    {
        Fixture f(data());
        gDB->execute(QStringLiteral("CREATE TRIGGER no_change BEFORE UPDATE ON total BEGIN SELECT RAISE(ABORT, 'locked'); END"));
        FrmProduct_sel w;
        w.FindRecords(QString());
        rename(f, w, QStringLiteral("키보드"), QStringLiteral("자판"), true);
        QVERIFY(f.prompter.lastMessage().text.contains(QStringLiteral("in procedure cmdEdit_Click of Form FrmProduct_sel")));
        QCOMPARE(count(QStringLiteral("product WHERE name = '키보드'")), QStringLiteral("1"));
        QCOMPARE(rows(w).indexOf(QStringLiteral("키보드")) >= 0, true);
    }

    void groupNamesKeepToSixCharacters()
    {
        Fixture f(data());
        FrmGroup_sel g;
        g.FindRecords(QString());
        rename(f, g, QStringLiteral("가전"), QStringLiteral("소형가전제품류"));
        QCOMPARE(f.prompter.lastMessage().text, QStringLiteral("그룹명은 6자까지 입력할 수 있습니다."));
        rename(f, g, QStringLiteral("가전"), QStringLiteral("소형가전"), true);
        QCOMPARE(count(QStringLiteral("total WHERE group_name = '소형가전'")), QStringLiteral("2"));
    }

    void deleteAsksWithNoAsDefaultAndLeavesVouchers()
    {
        Fixture f(data());
        FrmProduct_sel w;
        w.FindRecords(QString());
        select(w, QStringLiteral("키보드"));
        w.cmdDel_Click(); // Enter: No
        QCOMPARE(f.prompter.lastMessage().text, QStringLiteral("키보드을(를) 정말 삭제하시겠습니까?"));
        QCOMPARE(f.prompter.lastMessage().style, int(platform::MsgStyleYesNoDefNo));
        QCOMPARE(count(QStringLiteral("product")), QStringLiteral("4"));
        f.prompter.msgAnswers.enqueue(platform::AnswerYes);
        w.cmdDel_Click();
        QVERIFY(!rows(w).contains(QStringLiteral("키보드")));
        QCOMPARE(count(QStringLiteral("product WHERE name = '키보드'")), QStringLiteral("0"));
        QCOMPARE(count(QStringLiteral("total WHERE pro_name = '키보드'")), QStringLiteral("2"));
        // a name that went meanwhile: reported, the row stays
        gDB->execute(QStringLiteral("DELETE FROM product WHERE name = '마우스'"));
        select(w, QStringLiteral("마우스"));
        f.prompter.msgAnswers.enqueue(platform::AnswerYes);
        w.cmdDel_Click();
        QCOMPARE(f.prompter.lastMessage().text, QStringLiteral("삭제중 오류가 발생하였습니다."));
        QCOMPARE(w.spList->MaxRows(), 3);
    }

    void keysOfTheList()
    {
        Fixture f(data());
        FrmProduct_sel w;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.txtName->setText(QStringLiteral("보"));
        QTest::keyClick(w.txtName, Qt::Key_Return); // searches, does not close
        QCOMPARE(rows(w), QStringList{QStringLiteral("키보드")});
        QVERIFY(w.isVisible());
        w.txtName->clear();
        QTest::keyClick(w.spList, Qt::Key_F5);
        QCOMPARE(w.spList->MaxRows(), 4);
        f.prompter.inputAnswers.enqueue(QStringLiteral("스피커"));
        QTest::keyClick(w.cmbGroup, Qt::Key_F2); // added at the end of the list
        QCOMPARE(w.spList->GetText(1, 5), QStringLiteral("스피커"));
        w.spList->SetActiveCell(1, 5);
        f.prompter.inputAnswers.enqueue(QStringLiteral("스피커2"));
        QTest::keyClick(w.spList, Qt::Key_F3);
        QCOMPARE(w.spList->GetText(1, 5), QStringLiteral("스피커2"));
        f.prompter.msgAnswers.enqueue(platform::AnswerYes);
        QTest::keyClick(w.txtName, Qt::Key_F4);
        QCOMPARE(w.spList->MaxRows(), 4);
        // Enter in the list picks the active row; Escape closes and keeps the result
        w.spList->SetActiveCell(1, 2);
        QTest::keyClick(w.spList, Qt::Key_Return);
        QCOMPARE(w.Result(), w.spList->GetText(1, 2));
        QCOMPARE(w.result(), int(QDialog::Accepted));
        w.show();
        QTest::keyClick(w.spList, Qt::Key_Escape);
        QVERIFY(!w.isVisible());
        QCOMPARE(w.result(), int(QDialog::Rejected));
        QCOMPARE(w.Result(), w.spList->GetText(1, 2));
    }
};

QTEST_MAIN(tst_FrmProduct_sel)
#include "tst_FrmProduct_sel.moc"
