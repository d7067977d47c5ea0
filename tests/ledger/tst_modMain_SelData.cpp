#include "NameListFixture.h"

#include "ledger/FrmClient_write.h"
#include "ledger/NameSelForm.h"
#include "ledger/frmMain.h"
#include "ledger/modMain_SQL.h"
#include "ledger/modMain_SelData.h"
#include "platform/SpreadGrid.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <thread>

using namelisttest::Fixture;
using namelisttest::voucher;

// Completing a typed group, product or party name: one hit, a choice, nothing found.
class tst_modMain_SelData : public QObject {
    Q_OBJECT

    static QString products()
    {
        return QStringLiteral("INSERT INTO product (name) VALUES ('관리비'), ('관리비2'), ('TV'), ('50%할인'),"
                              " ('500원'), ('a_b'), ('axb'), ('김''s 세트');"
                              "INSERT INTO group_name (name) VALUES ('서버'), ('가전');")
               + voucher(QStringLiteral("관리비"), QStringLiteral("서버"))
               + voucher(QStringLiteral("관리비"), QStringLiteral("서버"));
    }

    // A modal answer that picks a row of the shown list (a name list or the party list).
    static std::function<int(QDialog&)> pickRow(int row, QStringList* shown = nullptr)
    {
        return [row, shown](QDialog& d) {
            platform::SpreadGrid* grid = d.findChild<platform::SpreadGrid*>(QStringLiteral("spList"));
            QPushButton* sel = d.findChild<QPushButton*>(QStringLiteral("cmdSel"));
            for (int r = 1; shown && r <= grid->MaxRows(); ++r)
                *shown << grid->GetText(1, r);
            grid->SetActiveCell(1, row);
            sel->click();
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
    }

    void severalHitsShowTheListForAPick()
    {
        Fixture f(products());
        QStringList shown;
        f.prompter.modalAnswers.enqueue(pickRow(2, &shown));
        QCOMPARE(SelectProduct(QStringLiteral("관리"), nullptr, 0, true, QStringLiteral("가전")), QStringLiteral("관리비2"));
        QCOMPARE(shown, (QStringList{QStringLiteral("관리비"), QStringLiteral("관리비2")})); // the text overrides the group
        // closed without a pick: nothing
        QCOMPARE(SelectProduct(QStringLiteral("관리"), nullptr, 0, true, QString()), QString());

        // an empty name within a group: the list is shown for its single product too,
        // and closing it takes nothing
        shown.clear();
        f.prompter.modalAnswers.enqueue(pickRow(1, &shown));
        QCOMPARE(SelectProduct(QString(), nullptr, 0, true, QStringLiteral("서버")), QStringLiteral("관리비"));
        QCOMPARE(shown, QStringList{QStringLiteral("관리비")}); // used twice in the group, listed once
        QCOMPARE(SelectProduct(QString(), nullptr, 0, true, QStringLiteral("서버")), QString());
        QCOMPARE(f.modalCount(), 4);
    }

    void serverShortcutPicksTheExactProduct()
    {
        Fixture f(products());
        gbAutoPickProduct = true;
        QCOMPARE(SelectProduct(QStringLiteral("관리비"), nullptr, 0, true, QStringLiteral("서버")), QStringLiteral("관리비"));
        gbAutoPickProduct = false;
        QCOMPARE(f.modalCount(), 0);
        // without the flag the same text matches two products and shows the list
        QCOMPARE(SelectProduct(QStringLiteral("관리비"), nullptr, 0, true, QStringLiteral("서버")), QString());
        QCOMPARE(f.modalCount(), 1);
    }

    void missingNameIsRegisteredOnlyOnYes()
    {
        Fixture f(products());
        // Enter (the default answer No) registers nothing
        QCOMPARE(SelectProduct(QStringLiteral("냉장고"), nullptr, 0, true, QString()), QString());
        QCOMPARE(f.prompter.lastMessage().text, QStringLiteral("검색한 상품이 등록되어 있지 않습니다.\r\n신규 등록하겠습니까?"));
        QCOMPARE(f.prompter.lastMessage().style, int(platform::MsgStyleYesNoDefNo));
        QCOMPARE(Fixture::column(QStringLiteral("SELECT COUNT(*) FROM product")), QStringList{"8"});

        f.prompter.msgAnswers.enqueue(platform::AnswerYes);
        QCOMPARE(SelectProduct(QStringLiteral("냉장고"), nullptr, 0, true, QString()), QStringLiteral("냉장고"));
        f.prompter.msgAnswers.enqueue(platform::AnswerYes);
        QCOMPARE(SelectGroup(QStringLiteral("모니터"), nullptr, 0, true), QStringLiteral("모니터"));
        QCOMPARE(f.prompter.lastMessage().style, int(platform::MsgStyleYesNoDefNo));
        QCOMPARE(Fixture::column(QStringLiteral("SELECT COUNT(*) FROM product WHERE name = '냉장고'")), QStringList{"1"});
        QCOMPARE(Fixture::column(QStringLiteral("SELECT COUNT(*) FROM group_name WHERE name = '모니터'")), QStringList{"1"});
        // without asking: only the information
        QCOMPARE(SelectGroup(QStringLiteral("없는"), nullptr, 0, false), QString());
        QCOMPARE(f.prompter.lastMessage().text, QStringLiteral("검색한 그룹이 등록되어 있지 않습니다."));
    }

    void registrationRefusesDuplicatesAndOverlongGroups()
    {
        Fixture f(products());
        QString name = QStringLiteral("tv"); // names compare without regard to case
        QVERIFY(!AddProduct(name));
        QCOMPARE(f.prompter.lastMessage().text, QStringLiteral("이미 같은 이름이 등록 되어 있습니다."));
        // the group column holds six characters
        name = QStringLiteral("컴퓨터주변기기");
        QVERIFY(!AddGroup(name));
        QCOMPARE(f.prompter.lastMessage().text, QStringLiteral("그룹명은 6자까지 입력할 수 있습니다."));
        f.prompter.msgAnswers.enqueue(platform::AnswerYes);
        QCOMPARE(SelectGroup(QStringLiteral("소형가전제품류"), nullptr, 0, true), QString());
        name = QStringLiteral("컴퓨터주변");
        QVERIFY(AddGroup(name));
        QCOMPARE(Fixture::column(QStringLiteral("SELECT name FROM group_name ORDER BY name")),
                 (QStringList{QStringLiteral("가전"), QStringLiteral("서버"), QStringLiteral("컴퓨터주변")}));

        // an empty name is asked for; an empty answer stores nothing and says nothing
        f.prompter.clear();
        name.clear();
        f.prompter.inputAnswers.enqueue(QString(""));
        QVERIFY(!AddProduct(name));
        QCOMPARE(f.prompter.calls.last().text, QStringLiteral("신규등록 할 상품명을 입력하세요."));
        QVERIFY(f.prompter.messages().isEmpty());

        // another workstation registers the same name at the same moment: stored once
        {
            auto other = dao::Database::open(gDB->name());
            other->beginImmediate();
            other->execute(QStringLiteral("INSERT INTO product (name) VALUES ('동시상품')"));
            std::thread later([&] {
                QThread::msleep(300);
                other->commit();
            });
            name = QStringLiteral("동시상품");
            const bool added = AddProduct(name);
            later.join();
            QVERIFY(!added);
            QCOMPARE(f.prompter.lastMessage().text, QStringLiteral("이미 같은 이름이 등록 되어 있습니다."));
            QCOMPARE(Fixture::column(QStringLiteral("SELECT name FROM product WHERE name = '동시상품'")).size(), 1);
        }

        // a failed insert is reported, never taken for success
        gDB = dao::Database::open(gDB->name(), 0, true);
        name = QStringLiteral("새상품");
        QVERIFY(!AddProduct(name));
        QVERIFY(f.prompter.lastMessage().text.contains(QStringLiteral("in procedure AddProduct of Module modMain_SQL")));
    }

    void partyByNameFillsTheCodeBox()
    {
        Fixture f(QStringLiteral("INSERT INTO maechul (id, name) VALUES (40001, '한빛상사'), (2, '한빛전자'), (3, '다온');"
                                 "INSERT INTO maeip (id, name) VALUES (7, '한빛상사');"));
        QLineEdit code;
        code.setText(QStringLiteral("99"));
        QCOMPARE(SelectClient(0, QStringLiteral("한빛"), &code, nullptr, 2, true), QStringLiteral("한빛상사"));
        QCOMPARE(code.text(), QStringLiteral("7")); // the purchase party, not the sales party
        QCOMPARE(f.modalCount(), 0);
        // several: picked in the list (an id above 16 bits)
        f.prompter.modalAnswers.enqueue(pickRow(1));
        QCOMPARE(SelectClient(1, QStringLiteral("한빛"), &code, nullptr, 2, true), QStringLiteral("한빛상사"));
        QCOMPARE(code.text(), QStringLiteral("40001"));
        // closed without a pick: the code box stays empty
        QCOMPARE(SelectClient(1, QStringLiteral("한빛"), &code, nullptr, 2, true), QString());
        QCOMPARE(code.text(), QString());
    }

    void missingPartyIsRegisteredThroughTheEditor()
    {
        Fixture f;
        QLineEdit code;
        QString proposed;
        f.prompter.msgAnswers.enqueue(platform::AnswerYes);
        f.prompter.modalAnswers.enqueue([&proposed](QDialog& d) {
            auto* e = qobject_cast<FrmClient_write*>(&d);
            proposed = e->txtInput[0]->text();
            e->btnSave_Click();
            return d.result();
        });
        QCOMPARE(SelectClient(1, QStringLiteral("새고객"), &code, nullptr, 2, true), QStringLiteral("새고객"));
        QCOMPARE(proposed, QStringLiteral("새고객"));
        QCOMPARE(code.text(), QStringLiteral("1"));
        const auto q = f.prompter.messages().first();
        QCOMPARE(q.text, QStringLiteral("검색한 매출처가 등록되어 있지 않습니다.\r\n매출처를 등록하겠습니까?"));
        QCOMPARE(q.style, int(platform::MsgStyleYesNo)); // Enter registers
        // the editor closed without saving: "0" and no name
        f.prompter.msgAnswers.enqueue(platform::AnswerYes);
        QCOMPARE(SelectClient(0, QString(), &code, nullptr, 2, true), QString());
        QCOMPARE(code.text(), QStringLiteral("0"));
    }
};

QTEST_MAIN(tst_modMain_SelData)
#include "tst_modMain_SelData.moc"
