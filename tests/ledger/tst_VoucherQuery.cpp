#include "LedgerFixture.h"

#include "ledger/VoucherQuery.h"
#include "platform/Database.h"
#include "platform/Recordset.h"

#include <QtTest>

// The voucher list's query run against a real file: which vouchers come back, in which order.
class tst_VoucherQuery : public QObject {
    Q_OBJECT

    testsupport::TestEnv env;
    std::shared_ptr<dao::Database> db;

    QList<qint64> ids(const VoucherFilter& f)
    {
        const SqlStatement st = BuildVoucherQuery(f);
        auto rs = db->openRecordset(st.sql, dao::dbOpenSnapshot, st.params);
        QList<qint64> out;
        const int key = rs->fieldIndex(QStringLiteral("total_id"));
        for (; !rs->eof(); rs->moveNext())
            out << rs->toInt64(key);
        return out;
    }

    static VoucherFilter party(int kind, const QString& text)
    {
        VoucherFilter f;
        f.dateFrom = QStringLiteral("2030-01-01"); // a period that matches nothing
        f.dateTo = QStringLiteral("2030-01-31");
        f.productText = QStringLiteral("없는품목");
        f.groupText = QStringLiteral("없음");
        f.noSale = true;
        f.searchKind = kind;
        f.partyText = text;
        return f;
    }

private slots:
    void initTestCase()
    {
        const QString path = env.path(QStringLiteral("q.mdb"));
        QVERIFY(ledgertest::makeDatabase(path, ledgertest::upgradedMainSchema(), QStringLiteral(
            "INSERT INTO maechul (id, name, tel, phone, zipcode, address, memo, tel3) VALUES"
            " (40000, '김''s 상회', '02-555-1234', '010-9999-0001', '', '', '단골 50% 할인', '031-777-4321'),"
            " (12, '100%마트', '02-1234-8888', '', '', '', 'a_b', ''),"
            " (13, '박가게', '0212345678', '', '', '', 'axb', '');"
            "INSERT INTO total (total_id, maeip_date, pro_code, pro_name, group_name, maeip_code, maeip_name, maeip_cost,"
            " maechul_date, maechul_code, maechul_name, maechul_cost, maechul_usecost) VALUES"
            " (1, '2024-03-01', 0, 'TV', '가전', 0, '', 100, '2024-03-05', 40000, '김''s 상회', 150, 10),"
            " (2, '2024-03-02', 0, '냉장고', '가전', 0, '', 200, '2024-03-05', 12, '100%마트', 0, 0),"
            " (3, '2024-03-02', 0, '세탁기', '대형', 40001, '공급_사', 300, '2024-03-01', 13, '박가게', 400, 0),"
            " (70000, '2024-04-01', 0, 'TV 거치대', '', 0, '', 5, '2024-04-02', 40000, '김''s 상회', 9, 0),"
            " (4, '2024-02-01', 0, 'TV', '가전', 0, '', 1, '2024-03-05', 0, '', 0, 0);")));
        db = dao::Database::open(path);
        QVERIFY(db);
    }

    void periodFilters()
    {
        VoucherFilter f;
        f.dateFrom = QStringLiteral("2024-03-01");
        f.dateTo = QStringLiteral("2024-03-31");
        // Sales date, then key: vouchers of one day in key order.
        QCOMPARE(ids(f), (QList<qint64>{3, 1, 2, 4}));
        f.noSale = true;
        QCOMPARE(ids(f), (QList<qint64>{2, 4}));
        f.noSale = false;
        f.groupText = QStringLiteral("가전");
        f.productText = QStringLiteral("tv");
        QCOMPARE(ids(f), (QList<qint64>{1, 4}));
        f.groupText.clear();
        f.dateTo = QStringLiteral("2024-12-31");
        QCOMPARE(ids(f), (QList<qint64>{1, 4, 70000}));
    }

    void partySearchIgnoresOtherFilters()
    {
        QCOMPARE(ids(party(SearchSalesName, QStringLiteral("상회"))), (QList<qint64>{1, 70000}));
        QCOMPARE(ids(party(SearchBuyName, QStringLiteral("공급"))), (QList<qint64>{3}));
        QCOMPARE(ids(party(SearchSalesMemo, QStringLiteral("단골"))), (QList<qint64>{1, 70000}));
        QCOMPARE(ids(party(99, QStringLiteral("x"))).size(), 5); // an unknown kind adds no condition
    }

    void searchTextIsMatchedLiterally()
    {
        // A quote never breaks the statement, % and _ are no wildcards.
        QCOMPARE(ids(party(SearchSalesName, QStringLiteral("김's"))), (QList<qint64>{1, 70000}));
        QCOMPARE(ids(party(SearchSalesName, QStringLiteral("'"))), (QList<qint64>{1, 70000}));
        QCOMPARE(ids(party(SearchSalesName, QStringLiteral("0%"))), (QList<qint64>{2}));
        QCOMPARE(ids(party(SearchSalesName, QStringLiteral("%"))), (QList<qint64>{2}));
        QCOMPARE(ids(party(SearchBuyName, QStringLiteral("_"))), (QList<qint64>{3}));
        QCOMPARE(ids(party(SearchSalesMemo, QStringLiteral("a_b"))), (QList<qint64>{2}));
        QCOMPARE(ids(party(SearchSalesMemo, QStringLiteral("50%"))), (QList<qint64>{1, 70000}));
        QCOMPARE(ids(party(SearchSalesTel, QStringLiteral("%"))), QList<qint64>{});
        QCOMPARE(ids(party(SearchSalesName, QStringLiteral("\\"))), QList<qint64>{});
    }

    void telephoneSearchMatchesSuffixesOnly()
    {
        QCOMPARE(ids(party(SearchSalesTel, QStringLiteral("4321"))), (QList<qint64>{1, 70000})); // tel3
        QCOMPARE(ids(party(SearchSalesTel, QStringLiteral("0001"))), (QList<qint64>{1, 70000})); // phone
        QCOMPARE(ids(party(SearchSalesTel, QStringLiteral("555"))), QList<qint64>{});  // middle part only
        QCOMPARE(ids(party(SearchSalesTel, QStringLiteral("02-"))), QList<qint64>{});  // prefix only
        QCOMPARE(ids(party(SearchSalesTel, QStringLiteral("8888"))), (QList<qint64>{2}));
        QCOMPARE(ids(party(SearchSalesTel, QStringLiteral("5678"))), (QList<qint64>{3}));
    }

    void groupList()
    {
        const SqlStatement st = BuildGroupListQuery();
        auto rs = db->openRecordset(st.sql, dao::dbOpenSnapshot, st.params);
        QStringList names;
        for (; !rs->eof(); rs->moveNext())
            names << rs->text(0);
        QCOMPARE(names, (QStringList{QStringLiteral("가전"), QStringLiteral("대형")}));
    }
};

QTEST_GUILESS_MAIN(tst_VoucherQuery)
#include "tst_VoucherQuery.moc"
