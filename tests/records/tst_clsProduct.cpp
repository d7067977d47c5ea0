#include "RecordTestUtil.h"

#include "records/clsProduct.h"
#include "support/TestEnv.h"

using recordtest::TradeDb;

class TestClsProduct : public QObject {
    Q_OBJECT

    static void addProduct(clsProduct& p, const QString& code, const QString& name, const QString& cls)
    {
        p.SCODE(code);
        p.sPName(name);
        p.sPNorm(QStringLiteral("10kg"));
        p.sClassCode(cls);
        p.byPTax(1);
        p.iPPices(12);
        p.siBuyPrice(1000.5);
        p.siSalePrice(1500);
        p.siBaseStock(3);
        p.siFairStock(10);
        p.sBigo(QStringLiteral("비고"));
        p.sUnit(QStringLiteral("box"));
        p.SaveInitProduct();
    }
    // Products coded 000001, 000002, ... in the order given, each as {name, class code}.
    static void addProducts(clsProduct& p, std::initializer_list<std::pair<const char*, const char*>> products)
    {
        int code = 0;
        for (const auto& [name, cls] : products)
            addProduct(p, QStringLiteral("%1").arg(++code, 6, 10, QLatin1Char('0')), QString::fromUtf8(name),
                       QString::fromUtf8(cls));
    }

private slots:
    void classCodes()
    {
        TradeDb t;
        clsProduct p;
        QCOMPARE(p.CNextCode(), QStringLiteral("00001"));
        QCOMPARE(p.PNextCode(), QStringLiteral("000001"));

        p.sClassCode(QStringLiteral("keep"));
        p.sClassName(QStringLiteral("과일"));
        p.bUsed(true);
        p.SaveClass();
        QCOMPARE(t.value(QStringLiteral("SELECT Code FROM PClass WHERE ClassName = '과일'")).toString(),
                 QStringLiteral("00001"));
        QCOMPARE(p.sClassCode(), QStringLiteral("keep")); // the member is neither used nor changed

        t.sql(QStringLiteral("INSERT INTO PClass (Code, ClassName) VALUES ('00009', 'x')"));
        p.SaveClass();
        QCOMPARE(t.count(QStringLiteral("PClass"), QStringLiteral("Code = '00010'")), 1);
        t.sql(QStringLiteral("INSERT INTO PClass (Code, ClassName) VALUES ('32767', 'x')"));
        QCOMPARE(p.CNextCode(), QStringLiteral("32768"));
        t.sql(QStringLiteral("INSERT INTO PClass (Code, ClassName) VALUES ('99999', 'x')"));
        p.SaveClass();
        p.SaveClass();
        QCOMPARE(t.count(QStringLiteral("PClass"), QStringLiteral("Code IN ('100000', '100001')")), 2);

        t.sql(QStringLiteral("INSERT INTO Product (Code) VALUES ('009999')"));
        QCOMPARE(p.PNextCode(), QStringLiteral("010000"));
        QVERIFY(t.messages().isEmpty());
        QVERIFY(t.floats.isEmpty()); // SaveClass confirms nothing
    }

    void saveClassWithoutReadableCodeStoresNothing()
    {
        TradeDb t;
        // A PClass the code query cannot read (no Code column) while the insert could work.
        t.sql(QStringLiteral("DROP TABLE PClass"));
        t.sql(QStringLiteral("CREATE TABLE PClass (Num LONG, ClassName TEXT(50), Used BIT)"));
        clsProduct p;
        p.sClassName(QStringLiteral("과일"));
        p.SaveClass();
        QCOMPARE(t.count(QStringLiteral("PClass")), 0);
        QCOMPARE(t.messages().size(), 1); // the failed open's message only
    }

    void saveClassWhileAnotherWorkstationWrites()
    {
        TradeDb t;
        auto other = dao::Database::open(t.path);
        t.db->setBusyTimeout(100);
        other->beginImmediate();
        other->execute(QStringLiteral("INSERT INTO PClass (Code, ClassName, Used) VALUES ('00001', 'a', 1)"));
        clsProduct p;
        p.sClassName(QStringLiteral("b"));
        p.SaveClass(); // cannot get the write lock: the save-error box, nothing stored
        QCOMPARE(t.messages().size(), 1);
        QVERIFY(t.messages().first().startsWith(QStringLiteral("자료를 저장하는 중 오류가 발생했습니다.\r\n오류번호 : 3261")));
        other->commit();
        t.clear();
        p.SaveClass();
        QVERIFY(t.messages().isEmpty());
        QCOMPARE(t.value(QStringLiteral("SELECT Code FROM PClass WHERE ClassName = 'b'")).toString(),
                 QStringLiteral("00002"));

        // An engine error while adding: the write lock is given up before the save-error box
        // waits for the user, so the other workstation can go on writing meanwhile.
        t.sql(QStringLiteral("CREATE TRIGGER refuse BEFORE INSERT ON PClass BEGIN SELECT RAISE(ABORT, 'refused'); END"));
        other->setBusyTimeout(0);
        struct Probe : testsupport::ScriptedPrompter {
            std::function<void()> onBox;
            int messageBox(const QString& text, const QString& title, int style) override
            {
                if (onBox)
                    onBox();
                return ScriptedPrompter::messageBox(text, title, style);
            }
        } probe;
        bool otherWrote = false;
        probe.onBox = [&] {
            try {
                other->execute(QStringLiteral("INSERT INTO Charge (Code) VALUES ('0001')"));
                otherWrote = true;
            } catch (const dao::DaoError&) {
            }
        };
        p.SaveClass();
        QCOMPARE(probe.messages().size(), 1);
        QVERIFY(probe.messages().first().text.startsWith(QStringLiteral("자료를 저장하는 중 오류가 발생했습니다.")));
        QVERIFY(otherWrote);
        QCOMPARE(t.count(QStringLiteral("PClass")), 2);
    }

    void productSaveUpdateDelete()
    {
        TradeDb t;
        clsProduct p;
        addProduct(p, QStringLiteral("000001"), QStringLiteral("사과"), QStringLiteral("00001"));
        p.iPPices(40000); // no 16-bit wrap
        p.SCODE(QStringLiteral("000002"));
        p.SaveInitProduct();
        QVERIFY(t.messages().isEmpty());
        QVERIFY(t.floats.isEmpty());
        QCOMPARE(t.value(QStringLiteral("SELECT PPices FROM Product WHERE Code = '000002'")).toLongLong(), 40000);
        QCOMPARE(t.value(QStringLiteral("SELECT BuyPrice FROM Product WHERE Code = '000001'")).toDouble(), 1000.5);
        QCOMPARE(t.value(QStringLiteral("SELECT Unit FROM Product WHERE Code = '000001'")).toString(),
                 QStringLiteral("box"));

        // Duplicate code.
        p.SaveInitProduct();
        QCOMPARE(t.count(QStringLiteral("Product")), 2);
        QCOMPARE(t.messages().size(), 1);
        QVERIFY(t.messages().first().startsWith(QStringLiteral("자료를 저장하는 중 오류가 발생했습니다.\r\n오류번호 : 3022")));

        // UpdateProduct keeps the class.
        t.clear();
        p.SCODE(QStringLiteral("000001"));
        p.sClassCode(QStringLiteral("00077"));
        p.sPName(QStringLiteral("배"));
        p.siSalePrice(2000);
        p.UpdateProduct();
        QCOMPARE(t.floats, QStringList{QStringLiteral("자료를 수정하였습니다.")});
        QCOMPARE(t.value(QStringLiteral("SELECT PName || '/' || ClassCode || '/' || SalePrice FROM Product "
                                        "WHERE Code = '000001'")).toString(),
                 QStringLiteral("배/00001/2000.0"));
        t.clear();
        p.SCODE(QStringLiteral("000099"));
        p.UpdateProduct();
        QCOMPARE(t.messages(), QStringList{QStringLiteral("데이터를 갱신하는 중 오류가 발생했습니다.")});
        QVERIFY(t.floats.isEmpty());

        t.clear();
        p.DeleteProduct();
        QCOMPARE(t.messages(), QStringList{QStringLiteral("상품 데이터를 삭제하는 중 오류가 발생했습니다.")});
        t.clear();
        p.SCODE(QStringLiteral("000002"));
        p.DeleteProduct();
        QCOMPARE(t.floats, QStringList{QStringLiteral("데이터가 삭제되었습니다.")});
        QCOMPARE(t.count(QStringLiteral("Product")), 1);
    }

    void saveEtcPriceTakesOnlyNumericColumns()
    {
        TradeDb t;
        clsProduct p;
        addProduct(p, QStringLiteral("000001"), QStringLiteral("사과"), QStringLiteral("00001"));
        p.SaveEtcPrice(QStringLiteral("SalePrice"), 1750.5);
        QCOMPARE(t.value(QStringLiteral("SELECT SalePrice FROM Product")).toDouble(), 1750.5);
        p.SaveEtcPrice(QStringLiteral("fairstock"), 20);
        QCOMPARE(t.value(QStringLiteral("SELECT FairStock FROM Product")).toDouble(), 20.0);
        QVERIFY(t.messages().isEmpty());
        QVERIFY(t.floats.isEmpty());

        p.SCODE(QStringLiteral("000009"));
        p.SaveEtcPrice(QStringLiteral("SalePrice"), 1500);
        QCOMPARE(t.messages(), QStringList{QStringLiteral("SalePrice 데이터를 갱신하는 중 오류가 발생했습니다.")});

        p.SCODE(QStringLiteral("000001"));
        const QStringList refused = {QStringLiteral("PName"), QStringLiteral("Code"), QStringLiteral("PTax"),
                                     QStringLiteral("SalePrice = 0, PName"), QStringLiteral("Nothing")};
        for (const QString& name : refused) {
            bool thrown = false;
            try {
                p.SaveEtcPrice(name, 1);
            } catch (const dao::DaoError& e) {
                thrown = e.number() == dao::errObjectNotFound;
            }
            QVERIFY2(thrown, qPrintable(name));
        }
        QCOMPARE(t.value(QStringLiteral("SELECT PName || '/' || SalePrice FROM Product")).toString(),
                 QStringLiteral("사과/1750.5"));
    }

    void deleteClassTakesItsProducts()
    {
        TradeDb t;
        clsProduct p;
        t.sql(QStringLiteral("INSERT INTO PClass (Code, ClassName, Used) VALUES ('00001', 'a', 1), ('00002', 'b', 1)"));
        addProducts(p, {{"a1", "00001"}, {"a2", "00001"}, {"a3", "00001"}, {"b1", "00002"}, {"c1", "00003"}});

        p.sClassCode(QStringLiteral("00001"));
        p.DeleteClass();
        QCOMPARE(t.floats, QStringList{QStringLiteral("자료를 삭제하였습니다.")});
        QCOMPARE(t.count(QStringLiteral("Product"), QStringLiteral("ClassCode = '00001'")), 0);
        QCOMPARE(t.count(QStringLiteral("Product")), 2);
        QCOMPARE(t.count(QStringLiteral("PClass")), 1);

        // A class that is not there: the text, and its orphan products stay.
        t.clear();
        p.sClassCode(QStringLiteral("00003"));
        p.DeleteClass();
        QCOMPARE(t.messages(), QStringList{QStringLiteral("대분류 데이터를 삭제하는 중 오류가 발생했습니다.")});
        QVERIFY(t.floats.isEmpty());
        QCOMPARE(t.count(QStringLiteral("Product")), 2);

        // When the products cannot be deleted, the class stays too.
        t.clear();
        t.sql(QStringLiteral("CREATE TRIGGER keep_products BEFORE DELETE ON Product "
                             "BEGIN SELECT RAISE(ABORT, 'products are locked'); END"));
        p.sClassCode(QStringLiteral("00002"));
        bool thrown = false;
        try {
            p.DeleteClass();
        } catch (const dao::DaoError&) {
            thrown = true;
        }
        QVERIFY(thrown);
        QCOMPARE(t.count(QStringLiteral("PClass"), QStringLiteral("Code = '00002'")), 1);
        QCOMPARE(t.count(QStringLiteral("Product"), QStringLiteral("ClassCode = '00002'")), 1);
        QVERIFY(!t.db->inTransaction());
    }

    void updateClass()
    {
        TradeDb t;
        clsProduct p;
        t.sql(QStringLiteral("INSERT INTO PClass (Code, ClassName, Used) VALUES ('00001', 'a', 1)"));
        p.sClassCode(QStringLiteral("00002"));
        p.sClassName(QStringLiteral("새이름"));
        p.UpdateClass();
        QCOMPARE(t.messages(), QStringList{QStringLiteral("대분류 데이터를 갱신하는 중 오류가 발생했습니다.")});
        QCOMPARE(t.value(QStringLiteral("SELECT ClassName FROM PClass")).toString(), QStringLiteral("a"));
        t.clear();
        p.sClassCode(QStringLiteral("00001"));
        p.UpdateClass();
        QCOMPARE(t.floats, QStringList{QStringLiteral("자료를 수정하였습니다.")});
        QCOMPARE(t.value(QStringLiteral("SELECT ClassName || Used FROM PClass")).toString(), QStringLiteral("새이름1"));
    }

    void finds()
    {
        TradeDb t;
        clsProduct p;
        t.sql(QStringLiteral("INSERT INTO PClass (Code, ClassName, Used) VALUES ('00001', '과일', 1)"));
        addProducts(p, {{"청사과", "00001"}, {"사과", "00001"}, {"사과주스 100%", "00001"},
                        {"사과주스 1000", "00001"}, {"a_b", "00001"}, {"axb", "00001"}});

        QVERIFY(p.FindClass(QStringLiteral("00001")));
        QVERIFY(!p.FindClass(QStringLiteral("00002"), QStringLiteral("과일"))); // the code decides
        QVERIFY(p.FindClass(QString(), QStringLiteral("과일")));
        QVERIFY(!p.FindClass(QString(), QStringLiteral("채소")));

        RecordsetPtr rs;
        QVERIFY(p.FindProduct(rs, QString(), QString(), true));
        QCOMPARE(rs->recordCount(), 6);
        QVERIFY(p.FindProduct(rs, QStringLiteral("000002"), QStringLiteral("무시")));
        QCOMPARE(recordtest::column(*rs, QStringLiteral("PName")), QStringList{QStringLiteral("사과")});
        QVERIFY(p.FindProduct(rs, QString(), QStringLiteral("사과")));
        QCOMPARE(recordtest::column(*rs, QStringLiteral("Code")), QStringList{QStringLiteral("000002")});
        QVERIFY(p.FindProduct(rs, QString(), QStringLiteral("*사과*")));
        QCOMPARE(rs->recordCount(), 4);
        QVERIFY(p.FindProduct(rs, QString(), QStringLiteral("*100%")));
        QCOMPARE(recordtest::column(*rs, QStringLiteral("Code")), QStringList{QStringLiteral("000003")});
        QVERIFY(p.FindProduct(rs, QString(), QStringLiteral("a_b")));
        QCOMPARE(recordtest::column(*rs, QStringLiteral("Code")), QStringList{QStringLiteral("000005")});
        QVERIFY(!p.FindProduct(rs, QString(), QStringLiteral("*배*")));
        QVERIFY(rs);
        QCOMPARE(rs->recordCount(), 0);

        QVERIFY(p.FindName(QStringLiteral("사과")));
        QVERIFY(!p.FindName(QStringLiteral("사")));

        p.SCODE(QStringLiteral("000001"));
        QCOMPARE(p.FindProductBase(), 3.0);
        QCOMPARE(p.RetbyVat(), 1);
        t.sql(QStringLiteral("UPDATE Product SET PTax = NULL WHERE Code = '000001'"));
        QCOMPARE(p.RetbyVat(), 0);
        p.SCODE(QStringLiteral("000099"));
        QCOMPARE(p.FindProductBase(), 0.0);
        QCOMPARE(p.RetbyVat(), 0);
        QVERIFY(t.messages().isEmpty());
    }

    void classOrderAndDisplayOrder()
    {
        TradeDb t;
        clsProduct p;
        t.sql(QStringLiteral("INSERT INTO PClass (Code, ClassName, Used) VALUES ('00001', 'a', 0), ('00002', 'b', 1), "
                             "('00003', 'c', 0)"));
        addProducts(p, {{"a1", "00001"}, {"b1", "00002"}, {"c1", "00003"}, {"b2", "00002"}});
        t.sql(QStringLiteral("UPDATE Product SET FairStock = 0 WHERE Code = '000004'"));

        t.sql(QStringLiteral("INSERT INTO Stock (PCode, CurStock) VALUES ('000002', 4), ('000004', 1), ('000009', 2)"));
        RecordsetPtr rs;
        QVERIFY(p.DisplayOrder(rs, 0));
        QCOMPARE(recordtest::column(*rs, QStringLiteral("PCode")),
                 (QStringList{QStringLiteral("000002"), QStringLiteral("000004"), QStringLiteral("000009")}));
        rs->moveFirst();
        QCOMPARE(rs->toDouble(rs->fieldIndex(QStringLiteral("OrderStock"))), 6.0);
        QVERIFY(p.DisplayOrder(rs, 1));
        QCOMPARE(recordtest::column(*rs, QStringLiteral("PCode")), QStringList{QStringLiteral("000002")});
        t.sql(QStringLiteral("UPDATE Stock SET CurStock = 12 WHERE PCode = '000002'"));
        QVERIFY(!p.DisplayOrder(rs, 2));

        p.Class_Order();
        QCOMPARE(t.count(QStringLiteral("Product")), 2);
        QCOMPARE(t.count(QStringLiteral("Product"), QStringLiteral("ClassCode = '00002'")), 2);
        QCOMPARE(t.count(QStringLiteral("PClass")), 3);
        QVERIFY(t.messages().isEmpty());
        QVERIFY(t.floats.isEmpty());
    }
};

QTEST_MAIN(TestClsProduct)
#include "tst_clsProduct.moc"
