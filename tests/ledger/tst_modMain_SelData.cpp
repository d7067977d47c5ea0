#include "NameListFixture.h"

#include "ledger/FrmClient_Sel.h"
#include "ledger/FrmClient_write.h"
#include "ledger/FrmGroup_sel.h"
#include "ledger/FrmProduct_sel.h"
#include "ledger/frmMain.h"
#include "ledger/modMain_SQL.h"
#include "ledger/modMain_SelData.h"
#include "platform/FormRegistry.h"
#include "platform/SpreadGrid.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

using namelisttest::Fixture;
using namelisttest::voucher;

// Completing a typed group or product name: one hit, a choice, nothing found and registering.
class tst_modMain_SelData : public QObject {
    Q_OBJECT

    static QString products()
    {
        return QStringLiteral("INSERT INTO product (name) VALUES ('관리비'), ('관리비2'), ('TV'), ('50%할인'),"
                              " ('500원'), ('a_b'), ('axb'), ('김''s 세트');"
                              "INSERT INTO group_name (name) VALUES ('서버'), ('가전');")
               + voucher(QStringLiteral("관리비"), QStringLiteral("서버"))
               + voucher(QStringLiteral("관리비"), QStringLiteral("서버"))
               + voucher(QStringLiteral("TV"), QStringLiteral("가전"))
               + voucher(QStringLiteral("500원"), QStringLiteral("가전"));
    }

    // A modal answer that picks a row of the shown list.
    static std::function<int(QDialog&)> pickRow(int row, QStringList* shownRows = nullptr)
    {
        return [row, shownRows](QDialog& d) {
            auto* l = qobject_cast<NameSelForm*>(&d);
            if (!l)
                return int(QDialog::Rejected);
            if (shownRows)
                for (int r = 1; r <= l->spList->MaxRows(); ++r)
                    *shownRows << l->spList->GetText(1, r);
            l->spList->SetActiveCell(1, row);
            l->cmdSel->click();
            return d.result();
        };
    }

private slots:
    void init() { gbAutoPickProduct = false; }

    void singleHitIsTakenWithoutTheList()
    {
        Fixture f(products());
        QVERIFY(f.ok);
        QCOMPARE(SelectProduct(QStringLiteral("tv"), nullptr, 0, true, QString()), QStringLiteral("TV"));
        QCOMPARE(SelectProduct(QStringLiteral("'s"), nullptr, 0, true, QString()), QStringLiteral("김's 세트"));
        // % and _ are letters of the search text, not wildcards
        QCOMPARE(SelectProduct(QStringLiteral("50%"), nullptr, 0, true, QString()), QStringLiteral("50%할인"));
        QCOMPARE(SelectProduct(QStringLiteral("a_"), nullptr, 0, true, QString()), QStringLiteral("a_b"));
        QCOMPARE(SelectGroup(QStringLiteral("서"), nullptr, 0, true), QStringLiteral("서버"));
        QCOMPARE(f.modalCount(), 0);
        QVERIFY(f.prompter.messages().isEmpty());
        // the list is unloaded afterwards
        QVERIFY(!platform::FormRegistry::instance().isLoaded(QStringLiteral("FrmProduct_sel")));
        QVERIFY(!platform::FormRegistry::instance().isLoaded(QStringLiteral("FrmGroup_sel")));
    }

    void severalHitsShowTheListForAPick()
    {
        Fixture f(products());
        QStringList shown;
        f.prompter.modalAnswers.enqueue(pickRow(2, &shown));
        QCOMPARE(SelectProduct(QStringLiteral("관리"), nullptr, 0, true, QStringLiteral("가전")), QStringLiteral("관리비2"));
        QCOMPARE(shown, (QStringList{QStringLiteral("관리비"), QStringLiteral("관리비2")})); // the text overrides the group
        QCOMPARE(f.prompter.calls.last().title, QStringLiteral("FrmProduct_sel"));

        // closed without a pick: nothing
        QCOMPARE(SelectProduct(QStringLiteral("관리"), nullptr, 0, true, QString()), QString());
        // the pick-row message when no row is active keeps the list open
        f.prompter.modalAnswers.enqueue([](QDialog& d) {
            auto* l = qobject_cast<NameSelForm*>(&d);
            l->spList->SetMaxRows(0);
            l->cmdSel->click();
            return d.result();
        });
        QCOMPARE(SelectGroup(QString(), nullptr, 0, true), QString());
        QCOMPARE(f.prompter.lastMessage().text, QStringLiteral("리스트에서 자료를 선택하세요."));
    }

    void emptyProductNameInAGroupAlwaysShowsTheList()
    {
        Fixture f(products());
        QStringList shown;
        f.prompter.modalAnswers.enqueue(pickRow(1, &shown));
        QCOMPARE(SelectProduct(QString(), nullptr, 0, true, QStringLiteral("서버")), QStringLiteral("관리비"));
        QCOMPARE(shown, QStringList{QStringLiteral("관리비")}); // used twice in the group, listed once
        QCOMPARE(f.modalCount(), 1);
        // closing the list takes nothing, although the search had found exactly one product
        QCOMPARE(SelectProduct(QString(), nullptr, 0, true, QStringLiteral("서버")), QString());
        QCOMPARE(f.modalCount(), 2);
    }

    void serverShortcutPicksTheExactProduct()
    {
        Fixture f(products());
        gbAutoPickProduct = true;
        QCOMPARE(SelectProduct(QStringLiteral("관리비"), nullptr, 0, true, QStringLiteral("서버")), QStringLiteral("관리비"));
        gbAutoPickProduct = false;
        QCOMPARE(f.modalCount(), 0);
        // without the flag the same text matches both products and shows the list
        QCOMPARE(SelectProduct(QStringLiteral("관리비"), nullptr, 0, true, QStringLiteral("서버")), QString());
        QCOMPARE(f.modalCount(), 1);
    }

    void missingNameIsRegisteredOnlyOnYes()
    {
        Fixture f(products());
        // Enter (the default answer No) registers nothing
        QCOMPARE(SelectProduct(QStringLiteral("냉장고"), nullptr, 0, true, QString()), QString());
        auto q = f.prompter.lastMessage();
        QCOMPARE(q.text, QStringLiteral("검색한 상품이 등록되어 있지 않습니다.\r\n신규 등록하겠습니까?"));
        QCOMPARE(q.title, QStringLiteral("상품 검색"));
        QCOMPARE(q.style, int(platform::MsgStyleYesNoDefNo));
        QVERIFY(Fixture::column(QStringLiteral("SELECT name FROM product WHERE name = '냉장고'")).isEmpty());

        f.prompter.msgAnswers.enqueue(platform::AnswerYes);
        QCOMPARE(SelectProduct(QStringLiteral("냉장고"), nullptr, 0, true, QString()), QStringLiteral("냉장고"));
        QCOMPARE(Fixture::column(QStringLiteral("SELECT COUNT(*) FROM product WHERE name = '냉장고'")), QStringList{"1"});

        f.prompter.msgAnswers.enqueue(platform::AnswerYes);
        QCOMPARE(SelectGroup(QStringLiteral("모니터"), nullptr, 0, true), QStringLiteral("모니터"));
        QCOMPARE(f.prompter.messages().last().style, int(platform::MsgStyleYesNoDefNo));
        QCOMPARE(Fixture::column(QStringLiteral("SELECT COUNT(*) FROM group_name WHERE name = '모니터'")), QStringList{"1"});

        // without asking: only the information
        f.prompter.clear();
        QCOMPARE(SelectGroup(QStringLiteral("없는"), nullptr, 0, false), QString());
        QCOMPARE(f.messageTexts(), QStringList{QStringLiteral("검색한 그룹이 등록되어 있지 않습니다.")});
        QCOMPARE(f.prompter.lastMessage().title, QStringLiteral("그룹 검색"));
    }

    void emptyListsSayNothingIsRegistered()
    {
        Fixture f;
        QCOMPARE(SelectProduct(QString(), nullptr, 0, false, QString()), QString());
        QCOMPARE(SelectGroup(QString(), nullptr, 0, false), QString());
        QCOMPARE(f.messageTexts(), (QStringList{QStringLiteral("등록된 상품이 없습니다."), QStringLiteral("등록된 그룹이 없습니다.")}));
        // asked to register with an empty name: the name is asked for
        f.prompter.msgAnswers.enqueue(platform::AnswerYes);
        f.prompter.inputAnswers.enqueue(QStringLiteral("스캐너"));
        QCOMPARE(SelectProduct(QString(), nullptr, 0, true, QString()), QStringLiteral("스캐너"));
        QCOMPARE(f.prompter.calls.last().text, QStringLiteral("신규등록 할 상품명을 입력하세요."));
    }

    void registrationRefusesDuplicatesAndOverlongGroups()
    {
        Fixture f(products());
        QString name = QStringLiteral("tv"); // names compare without regard to case
        QVERIFY(!AddProduct(name));
        QCOMPARE(f.prompter.lastMessage().text, QStringLiteral("이미 같은 이름이 등록 되어 있습니다."));
        name = QStringLiteral("서버");
        QVERIFY(!AddGroup(name));

        // the group column holds six characters
        f.prompter.clear();
        name = QStringLiteral("컴퓨터주변기기");
        QVERIFY(!AddGroup(name));
        QCOMPARE(f.messageTexts(), QStringList{QStringLiteral("그룹명은 6자까지 입력할 수 있습니다.")});
        name = QStringLiteral("컴퓨터주변");
        QVERIFY(AddGroup(name));
        f.prompter.msgAnswers.enqueue(platform::AnswerYes);
        QCOMPARE(SelectGroup(QStringLiteral("소형가전제품류"), nullptr, 0, true), QString());
        QCOMPARE(Fixture::column(QStringLiteral("SELECT name FROM group_name ORDER BY name")),
                 (QStringList{QStringLiteral("가전"), QStringLiteral("서버"), QStringLiteral("컴퓨터주변")}));

        // an empty answer to the name prompt stores nothing and says nothing
        f.prompter.clear();
        name.clear();
        f.prompter.inputAnswers.enqueue(QString(""));
        QVERIFY(!AddProduct(name));
        QVERIFY(f.prompter.messages().isEmpty());
        // a quote is stored as typed
        name = QStringLiteral("O'Neil");
        QVERIFY(AddProduct(name));
        QCOMPARE(Fixture::column(QStringLiteral("SELECT COUNT(*) FROM product WHERE name = 'O''Neil'")), QStringList{"1"});
    }

    void partyByNameFillsTheCodeBox()
    {
        Fixture f(QStringLiteral("INSERT INTO maechul (id, name) VALUES (40001, '한빛상사'), (2, '한빛전자'), (3, '다온');"
                                 "INSERT INTO maeip (id, name) VALUES (7, '한빛상사');"));
        QLineEdit code;
        code.setText(QStringLiteral("99"));
        QCOMPARE(SelectClient(1, QStringLiteral("다온"), &code, nullptr, 2, true), QStringLiteral("다온"));
        QCOMPARE(code.text(), QStringLiteral("3"));
        QCOMPARE(SelectClient(0, QStringLiteral("한빛"), &code, nullptr, 2, true), QStringLiteral("한빛상사"));
        QCOMPARE(code.text(), QStringLiteral("7")); // the purchase party, not the sales party
        QCOMPARE(f.modalCount(), 0);

        // several: picked in the list (an id above 16 bits)
        f.prompter.modalAnswers.enqueue([](QDialog& d) {
            auto* l = qobject_cast<FrmClient_Sel*>(&d);
            if (!l)
                return int(QDialog::Rejected);
            l->spList->SetActiveCell(1, 1);
            l->cmdSel->click();
            return d.result();
        });
        QCOMPARE(SelectClient(1, QStringLiteral("한빛"), &code, nullptr, 2, true), QStringLiteral("한빛상사"));
        QCOMPARE(code.text(), QStringLiteral("40001"));
        // closed without a pick: the code box stays empty
        QCOMPARE(SelectClient(1, QStringLiteral("한빛"), &code, nullptr, 2, true), QString());
        QCOMPARE(code.text(), QString());
        QCOMPARE(f.prompter.calls.last().title, QStringLiteral("FrmClient_Sel"));
        // without a code box nothing happens
        QCOMPARE(SelectClient(1, QStringLiteral("다온"), nullptr, nullptr, 2, true), QString());
    }

    void missingPartyIsRegisteredThroughTheEditor()
    {
        Fixture f;
        QLineEdit code;
        // not asking: the information only
        QCOMPARE(SelectClient(0, QStringLiteral("새공급"), &code, nullptr, 2, false), QString());
        QCOMPARE(f.prompter.lastMessage().text, QStringLiteral("검색한 매입처가 등록되어 있지 않습니다."));
        QCOMPARE(f.prompter.lastMessage().title, QStringLiteral("매입처 검색"));

        // the question defaults to Yes; the editor is proposed the typed name and saves it
        QString proposed;
        f.prompter.msgAnswers.enqueue(platform::AnswerYes);
        f.prompter.modalAnswers.enqueue([&proposed](QDialog& d) {
            auto* e = qobject_cast<FrmClient_write*>(&d);
            if (!e)
                return int(QDialog::Rejected);
            proposed = e->txtInput[0]->text();
            e->btnSave_Click();
            return d.result();
        });
        QCOMPARE(SelectClient(1, QStringLiteral("새고객"), &code, nullptr, 2, true), QStringLiteral("새고객"));
        QCOMPARE(proposed, QStringLiteral("새고객"));
        QCOMPARE(code.text(), QStringLiteral("1"));
        const auto q = f.prompter.messages().at(1);
        QCOMPARE(q.text, QStringLiteral("검색한 매출처가 등록되어 있지 않습니다.\r\n매출처를 등록하겠습니까?"));
        QCOMPARE(q.title, QStringLiteral("매출처 검색"));
        QCOMPARE(q.style, int(platform::MsgStyleYesNo));
        QCOMPARE(Fixture::column(QStringLiteral("SELECT name FROM maechul WHERE id = 1")), QStringList{QStringLiteral("새고객")});

        // the editor closed without saving: "0" and no name
        f.prompter.clear();
        f.prompter.msgAnswers.enqueue(platform::AnswerYes);
        QCOMPARE(SelectClient(0, QString(), &code, nullptr, 2, true), QString());
        QCOMPARE(code.text(), QStringLiteral("0"));
        QCOMPARE(f.prompter.messages().first().text, QStringLiteral("등록된 매입처가 없습니다.\r\n신규 등록하겠습니까?"));
        // answered No: nothing at all
        QCOMPARE(SelectClient(0, QStringLiteral("x"), &code, nullptr, 2, true), QString());
        QCOMPARE(code.text(), QString());
    }

    void readOnlyDatabaseReportsTheFailure()
    {
        Fixture f(products());
        const QString path = gDB->name();
        gDB = dao::Database::open(path, 0, true);
        QString name = QStringLiteral("새상품");
        QVERIFY(!AddProduct(name));
        QVERIFY(f.prompter.lastMessage().text.contains(QStringLiteral("in procedure AddProduct of Module modMain_SQL")));
    }
};

QTEST_MAIN(tst_modMain_SelData)
#include "tst_modMain_SelData.moc"
