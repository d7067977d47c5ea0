#include "NameListFixture.h"

#include "ledger/FrmGroup_sel.h"
#include "ledger/frmMain.h"
#include "platform/SpreadGrid.h"

#include <QtTest>

using namelisttest::Fixture;
using namelisttest::voucher;

// The group list: its search, the six-character names and renaming into the vouchers.
class tst_FrmGroup_sel : public QObject {
    Q_OBJECT

    static QString data()
    {
        return QStringLiteral("INSERT INTO group_name (name) VALUES ('가전'), ('서버'), ('서버실');")
               + voucher(QStringLiteral("TV"), QStringLiteral("가전"))
               + voucher(QStringLiteral("관리비"), QStringLiteral("서버"))
               + voucher(QStringLiteral("관리비"), QStringLiteral("서버실"));
    }

private slots:
    void searchesByAnyPartOfTheName()
    {
        Fixture f(data());
        FrmGroup_sel w;
        QCOMPARE(w.windowTitle(), QStringLiteral("그룹검색"));
        gbAutoPickProduct = true; // concerns the product list only
        QCOMPARE(w.FindRecords(QStringLiteral("서버")), 2L);
        gbAutoPickProduct = false;
        QCOMPARE(w.Result(), QString());
        QCOMPARE(w.FindRecords(QStringLiteral("실")), 1L);
        QCOMPARE(w.Result(), QStringLiteral("서버실"));
        QCOMPARE(w.FindRecords(QString()), 3L);
    }

    void renameKeepsToTheColumnAndCarriesIntoVouchers()
    {
        Fixture f(data());
        FrmGroup_sel w;
        w.FindRecords(QString());
        w.spList->SetActiveCell(1, 2); // 서버
        QCOMPARE(w.spList->GetText(1, 2), QStringLiteral("서버"));
        f.prompter.inputAnswers.enqueue(QStringLiteral("서버및네트워크"));
        w.cmdEdit_Click();
        QCOMPARE(f.messageTexts(), QStringList{QStringLiteral("그룹명은 6자까지 입력할 수 있습니다.")});
        QCOMPARE(Fixture::column(QStringLiteral("SELECT COUNT(*) FROM group_name WHERE name = '서버'")), QStringList{"1"});

        f.prompter.clear();
        f.prompter.inputAnswers.enqueue(QStringLiteral("네트워크"));
        f.prompter.msgAnswers.enqueue(platform::AnswerYes);
        w.cmdEdit_Click();
        QCOMPARE(f.prompter.lastMessage().text, QStringLiteral("전표에서 1건의 자료가 변경되었습니다."));
        QCOMPARE(Fixture::column(QStringLiteral("SELECT group_name FROM total ORDER BY total_id")),
                 (QStringList{QStringLiteral("가전"), QStringLiteral("네트워크"), QStringLiteral("서버실")}));

        // added from the list: the group prompt
        f.prompter.clear();
        f.prompter.inputAnswers.enqueue(QStringLiteral("주변기기"));
        w.cmdAdd_Click();
        QCOMPARE(f.prompter.calls.first().text, QStringLiteral("신규등록 할 그룹명을 입력하세요."));
        QCOMPARE(w.spList->GetText(1, 4), QStringLiteral("주변기기"));
    }
};

QTEST_MAIN(tst_FrmGroup_sel)
#include "tst_FrmGroup_sel.moc"
