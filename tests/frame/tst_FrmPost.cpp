#include "frame/FrmPost.h"
#include "frame/modMain.h"
#include "support/ScriptedPrompter.h"
#include "support/TestEnv.h"

#include <QFile>
#include <QLineEdit>
#include <QTableView>
#include <QtTest>

namespace {
const char* kPostTable =
    "CREATE TABLE Post (ZIPCODE TEXT, SIDO TEXT, GUGUN TEXT, DONG TEXT, BUNJI TEXT);";
}

class TestFrmPost : public QObject {
    Q_OBJECT
    std::unique_ptr<testsupport::TestEnv> env;

    void makePostDb(const QString& rows)
    {
        gsPostDBFile = env->path(QStringLiteral("dbpost.mdb"));
        QFile::remove(gsPostDBFile);
        QVERIFY(testsupport::runSqlScript(gsPostDBFile, QString::fromUtf8(kPostTable) + rows));
    }

private slots:
    void init()
    {
        gsTitle = QStringLiteral("TrelvoTest");
        env = std::make_unique<testsupport::TestEnv>();
        makePostDb(QStringLiteral(
            "INSERT INTO Post VALUES ('135080', '서울', '강남구', '역삼동', '1~100');"
            "INSERT INTO Post VALUES ('135081', '서울', '강남구', '역삼1동', '');"
            "INSERT INTO Post VALUES ('612020', '부산', '해운대구', '우동', '');"
            "INSERT INTO Post VALUES ('100011', '서울', '중구', '성''수동', '');"
            "INSERT INTO Post VALUES ('100012', '서울', '중구', '백%동', '');"
            "INSERT INTO Post VALUES ('100013', '서울', '중구', '백0동', '');"
            "INSERT INTO Post VALUES ('100014', '서울', '중구', '한_동', '');"
            "INSERT INTO Post VALUES ('100015', '서울', '중구', '한x동', '');"));
    }
    void cleanup() { env.reset(); }

    void townSearchListsEveryMatch()
    {
        testsupport::ScriptedPrompter p;
        QLineEdit zip, addr;
        FrmPost frm;
        frm.SetObject(&zip, &addr);
        QCOMPARE(frm.InitForm(QStringLiteral("역삼")), 2);
        QCOMPARE(frm.HitCount(), qint64(2));
        QVERIFY(zip.text().isEmpty());
        // A pick writes the code with a hyphen and the address, then closes the window.
        frm.PickRow(1);
        QCOMPARE(zip.text(), QStringLiteral("135-081"));
        QCOMPARE(addr.text(), QStringLiteral("서울 강남구 역삼1동"));
        QCOMPARE(frm.result(), int(QDialog::Accepted));
        QVERIFY(p.messages().isEmpty());
    }

    void oneMatchFillsTargetsAtOnce()
    {
        QLineEdit zip, addr;
        FrmPost frm;
        frm.SetObject(&zip, &addr);
        QCOMPARE(frm.InitForm(QStringLiteral("우동")), 1);
        QCOMPARE(zip.text(), QStringLiteral("612020")); // as stored, no hyphen
        QCOMPARE(addr.text(), QStringLiteral("부산 해운대구 우동"));
        // Digits search the postal codes.
        QCOMPARE(frm.InitForm(QStringLiteral("1350")), 2);
        QCOMPARE(frm.InitForm(QStringLiteral("999")), 0);
    }

    void targetsAreKeptUntilUnload()
    {
        QLineEdit zip1, addr1, zip2, addr2;
        FrmPost frm;
        frm.SetObject(&zip1, &addr1);
        frm.SetObject(&zip2, &addr2);
        QCOMPARE(frm.InitForm(QStringLiteral("우동")), 1);
        QCOMPARE(zip1.text(), QStringLiteral("612020"));
        QVERIFY(zip2.text().isEmpty());
        frm.reject(); // Escape: nothing written, targets dropped
        QCOMPARE(frm.InitForm(QStringLiteral("우동")), 1);
        frm.SetObject(&zip2, &addr2);
        QCOMPARE(frm.InitForm(QStringLiteral("우동")), 1);
        QCOMPARE(zip2.text(), QStringLiteral("612020"));
    }

    void quotesAndWildcardsAreLiteral()
    {
        testsupport::ScriptedPrompter p;
        FrmPost frm;
        QCOMPARE(frm.InitForm(QStringLiteral("성'수")), 1);
        QCOMPARE(frm.InitForm(QStringLiteral("백%")), 1);    // not 백0동
        QCOMPARE(frm.InitForm(QStringLiteral("한_")), 1);    // not 한x동
        QCOMPARE(frm.InitForm(QStringLiteral("백*")), 0);    // the old wildcard is a plain character too
        // Postal-code searches (single-byte first character) take the same care.
        QCOMPARE(frm.InitForm(QStringLiteral("'")), 0);
        QCOMPARE(frm.InitForm(QStringLiteral("%")), 0);
        QCOMPARE(frm.InitForm(QStringLiteral("1_0")), 0);
        QCOMPARE(frm.InitForm(QStringLiteral("1\\0")), 0);
        QVERIFY(p.messages().isEmpty());
    }

    void emptySearchListsAllInCodeOrder()
    {
        FrmPost frm;
        QCOMPARE(frm.InitForm(QString()), 2);
        QCOMPARE(frm.HitCount(), qint64(8));
        QCOMPARE(frm.model()->text(0, 0), QStringLiteral("100011"));
        QCOMPARE(frm.model()->text(7, 0), QStringLiteral("612020"));
    }

    void manyRowsAreCountedExactly()
    {
        QString rows = QStringLiteral("BEGIN;");
        for (int i = 0; i < 1000; ++i)
            rows += QStringLiteral("INSERT INTO Post VALUES ('%1', '경기', '성남시', '정자%2동', '');")
                        .arg(400000 + i).arg(i % 3);
        rows += QStringLiteral("COMMIT;");
        makePostDb(rows);
        FrmPost frm;
        QCOMPARE(frm.InitForm(QStringLiteral("정자")), 2);
        QCOMPARE(frm.HitCount(), qint64(1000));
        QVERIFY(frm.model()->rowCount() <= 1000);
        QCOMPARE(frm.model()->text(999, 0), QStringLiteral("400999"));
        while (frm.model()->canFetchMore())
            frm.model()->fetchMore();
        QCOMPARE(frm.model()->rowCount(), 1000);
        QCOMPARE(frm.InitForm(QStringLiteral("정자1")), 2);
        QCOMPARE(frm.HitCount(), qint64(333));
    }

    void shippedPostalDatabase()
    {
        gsPostDBFile = env->path(QStringLiteral("shipped.mdb"));
        QVERIFY(testsupport::createDatabase(gsPostDBFile, QStringLiteral("post")));
        FrmPost frm;
        const int r = frm.InitForm(QString());
        QVERIFY(r == 2 || r == 1);
        auto db = dao::Database::open(gsPostDBFile, 0, true);
        QCOMPARE(frm.HitCount(), db->scalar(QStringLiteral("SELECT COUNT(*) FROM Post")).toLongLong());
    }

    void missingPostalDatabase()
    {
        testsupport::ScriptedPrompter p;
        gsPostDBFile = env->path(QStringLiteral("nowhere.mdb"));
        FrmPost frm;
        QCOMPARE(frm.InitForm(QStringLiteral("역삼")), 0);
        QCOMPARE(p.messages().size(), 1);
        QVERIFY(p.lastMessage().text.contains(gsPostDBFile));
        QVERIFY(!QFile::exists(gsPostDBFile)); // never created
    }

    void enterInListPicks()
    {
        QLineEdit zip, addr;
        FrmPost frm;
        frm.SetObject(&zip, &addr);
        QCOMPARE(frm.InitForm(QStringLiteral("역삼")), 2);
        frm.grdList->setCurrentIndex(frm.model()->index(0, 0));
        QTest::keyClick(frm.grdList, Qt::Key_Return);
        QCOMPARE(zip.text(), QStringLiteral("135-080"));
        QCOMPARE(addr.text(), QStringLiteral("서울 강남구 역삼동"));
    }
};

QTEST_MAIN(TestFrmPost)
#include "tst_FrmPost.moc"
