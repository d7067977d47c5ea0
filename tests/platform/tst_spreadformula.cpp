#include "platform/SpreadFormula.h"

#include <QMap>
#include <QtTest>

using platform::SpreadFormula;

namespace {

struct MapContext : SpreadFormula::Context {
    QMap<QPair<int, int>, long double> cells; // (col,row) -> value
    long double value(int c, int r) const override { return cells.value({c, r}, 0); }
    long double sum(int, int c1, int r1, int c2, int r2) const override
    {
        long double s = 0;
        for (int c = c1; c <= c2; ++c)
            for (int r = r1; r <= r2; ++r) s += value(c, r);
        return s;
    }
};

QString eval(const QString& f, const MapContext& ctx, int col = 1, int row = 1)
{
    auto p = SpreadFormula::parse(f);
    if (!p) return QStringLiteral("<parse error>");
    return SpreadFormula::formatNumber(p->evaluate(ctx, col, row));
}

} // namespace

class TstSpreadFormula : public QObject {
    Q_OBJECT
private slots:
    void marginFormulaPerRow()
    {
        MapContext ctx;
        const QString margin = QStringLiteral("IF(RC10=0, 0 , RC10-RC11-RC6)");
        // row 3: sold for 150000 with expense 5000, bought for 100000
        ctx.cells[{10, 3}] = 150000;
        ctx.cells[{11, 3}] = 5000;
        ctx.cells[{6, 3}] = 100000;
        QCOMPARE(eval(margin, ctx, 12, 3), QStringLiteral("45000"));
        // row 4: unsold, bought for 70000 -> margin 0, not -70000
        ctx.cells[{6, 4}] = 70000;
        QCOMPARE(eval(margin, ctx, 12, 4), QStringLiteral("0"));
    }

    void operatorsAndPrecedence()
    {
        MapContext ctx;
        QCOMPARE(eval(QStringLiteral("1+2*3"), ctx), QStringLiteral("7"));
        QCOMPARE(eval(QStringLiteral("(1+2)*3"), ctx), QStringLiteral("9"));
        QCOMPARE(eval(QStringLiteral("10-4-3"), ctx), QStringLiteral("3"));
        QCOMPARE(eval(QStringLiteral("-2*-3"), ctx), QStringLiteral("6"));
        QCOMPARE(eval(QStringLiteral("7/2"), ctx), QStringLiteral("3.5"));
        QCOMPARE(eval(QStringLiteral("1/0"), ctx), QStringLiteral("#DIV/0!"));
        QCOMPARE(eval(QStringLiteral("1+1=2"), ctx), QStringLiteral("1"));
        QCOMPARE(eval(QStringLiteral("3<>3"), ctx), QStringLiteral("0"));
        QCOMPARE(eval(QStringLiteral("IF(2>=3, 1, IF(2<=3, 2, 3))"), ctx), QStringLiteral("2"));
        QCOMPARE(eval(QStringLiteral("=IF(0,5)"), ctx), QStringLiteral("0"));
    }

    void referencesAndSums()
    {
        MapContext ctx;
        for (int r = 1; r <= 5; ++r) ctx.cells[{6, r}] = r * 100;
        ctx.cells[{2, 2}] = 7;
        // absolute, relative by offset, same row
        QCOMPARE(eval(QStringLiteral("R2C2"), ctx, 9, 9), QStringLiteral("7"));
        QCOMPARE(eval(QStringLiteral("R[-1]C[-1]"), ctx, 3, 3), QStringLiteral("7"));
        QCOMPARE(eval(QStringLiteral("RC6*2"), ctx, 1, 4), QStringLiteral("800"));
        QCOMPARE(eval(QStringLiteral("SUM(R1C6:R5C6)"), ctx), QStringLiteral("1500"));
        QCOMPARE(eval(QStringLiteral("SUM(R5C6:R1C6)"), ctx), QStringLiteral("1500"));
        QCOMPARE(eval(QStringLiteral("SUM(R1C6:R2C6, R2C2, 3)"), ctx), QStringLiteral("310"));
        QCOMPARE(eval(QStringLiteral("SUM(R2C2*2, R1C6:R1C6)"), ctx), QStringLiteral("114")); // an expression as argument
        // large whole amounts stay exact
        ctx.cells[{1, 1}] = 99999999999LL;
        ctx.cells[{1, 2}] = 99999999999LL;
        QCOMPARE(eval(QStringLiteral("SUM(R1C1:R2C1)"), ctx), QStringLiteral("199999999998"));
    }

    void rejectsBadText()
    {
        QVERIFY(!SpreadFormula::parse(QStringLiteral("FOO(1)")));
        QVERIFY(!SpreadFormula::parse(QStringLiteral("RC1+")));
        QVERIFY(!SpreadFormula::parse(QStringLiteral("SUM(R1C1:R2C1")));
        QVERIFY(!SpreadFormula::parse(QStringLiteral("R1C1:R2C1")));   // a range outside SUM
        QVERIFY(!SpreadFormula::parse(QStringLiteral("IF(1)")));
        QVERIFY(!SpreadFormula::parse(QStringLiteral("R0C1")));
    }

    void rowsInsertedAndDeleted()
    {
        auto f = SpreadFormula::parse(QStringLiteral("SUM(R1C6:R25C6)"));
        QVERIFY(f);
        QVERIFY(f->adjustRows(5, -1)); // one row of the range deleted
        QCOMPARE(f->text(), QStringLiteral("SUM(R1C6:R24C6)"));
        QVERIFY(f->adjustRows(30, 2) == false); // rows below the range: nothing moves
        QVERIFY(f->adjustRows(3, 2));
        QCOMPARE(f->text(), QStringLiteral("SUM(R1C6:R26C6)"));
        // the last rows of the range deleted: the range ends before them
        QVERIFY(f->adjustRows(20, -10));
        QCOMPARE(f->text(), QStringLiteral("SUM(R1C6:R19C6)"));

        auto g = SpreadFormula::parse(QStringLiteral("R3C1+RC2"));
        QVERIFY(g->adjustRows(3, -1)); // the cell it named is gone
        MapContext ctx;
        QCOMPARE(SpreadFormula::formatNumber(g->evaluate(ctx, 1, 1)), QStringLiteral("#VALUE!"));
        // relative references never move
        auto h = SpreadFormula::parse(QStringLiteral("IF(RC10=0, 0 , RC10-RC11-RC6)"));
        QVERIFY(!h->adjustRows(1, 5));
        QCOMPARE(h->text(), QStringLiteral("IF(RC10=0, 0 , RC10-RC11-RC6)"));
    }
};

QTEST_GUILESS_MAIN(TstSpreadFormula)
#include "tst_spreadformula.moc"
