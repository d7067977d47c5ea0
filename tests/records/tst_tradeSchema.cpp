// The extended trade schema: every table reads back with its key and the declared types.
#include "RecordTestUtil.h"

#include "platform/SchemaDef.h"

using recordtest::TradeDb;

class TestTradeSchema : public QObject {
    Q_OBJECT

private slots:
    void tablesKeysAndTypes()
    {
        TradeDb t;
        const QStringList tables = {"Charge", "PClass", "Product", "Stock", "Trader", "Purchase", "Sale",
                                    "PurchBook", "SaleBook", "Payment", "Deposit", "BillNote", "SpecialUnit",
                                    "EstiBase", "Estimate", "NewAcount", "TaxAcount"};
        for (const QString& name : tables) {
            QVERIFY2(t.db->hasTable(name), qPrintable(name));
            const dao::TableDef def = t.db->tableDef(name);
            bool keyed = false;
            for (const auto& ix : def.indexes)
                keyed = keyed || ix.primary || ix.unique;
            // Invoice lines share their invoice code; every other table has a key.
            QVERIFY2(keyed == (name != QLatin1String("NewAcount")), qPrintable(name));
        }
        // Amounts are 64-bit, quantities and prices double, flags Boolean.
        const QList<QPair<QString, QString>> amounts = {{"Trader", "TotNoPay"}, {"Purchase", "SumKum"},
                                                        {"SaleBook", "InOutKum"}, {"Payment", "TradeKum"},
                                                        {"BillNote", "NoteKum"}, {"Estimate", "EstiKum"},
                                                        {"NewAcount", "Tradekum"}, {"EstiBase", "EstiKum"}};
        for (const auto& a : amounts) {
            const dao::TableDef def = t.db->tableDef(a.first);
            QCOMPARE(def.fields[def.fieldIndex(a.second)].type, int(dao::dbCurrency));
        }
        const QList<QPair<QString, QString>> reals = {{"Stock", "CurStock"}, {"Product", "SalePrice"},
                                                      {"Sale", "Quantity"}, {"SpecialUnit", "AppUnit"},
                                                      {"Estimate", "EUnitPrice"}, {"NewAcount", "UnitCost"}};
        for (const auto& a : reals) {
            const dao::TableDef def = t.db->tableDef(a.first);
            QCOMPARE(def.fields[def.fieldIndex(a.second)].type, int(dao::dbDouble));
        }
    }
};

QTEST_MAIN(TestTradeSchema)
#include "tst_tradeSchema.moc"
