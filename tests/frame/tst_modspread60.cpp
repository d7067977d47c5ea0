#include "frame/FrmFloatMsg.h"
#include "frame/modSpread60.h"
#include "platform/Prompter.h"
#include "platform/SpreadGrid.h"
#include "platform/SpreadModel.h"
#include "support/ScriptedPrompter.h"

#include <QApplication>
#include <QtTest>

using platform::SpreadGrid;
using platform::SpreadModel;
using platform::rgbColor;

namespace {

FrmFloatMsg* floatingMessage()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* f = qobject_cast<FrmFloatMsg*>(w); f && f->isVisible()) return f;
    return nullptr;
}

void fill(SpreadGrid& g, int rows)
{
    g.SetMaxRows(rows);
    for (int r = 1; r <= rows; ++r) g.SetText(1, r, QStringLiteral("row%1").arg(r));
}

} // namespace

class TstModSpread60 : public QObject {
    Q_OBJECT
private slots:
    void colours()
    {
        // red in the low byte
        QCOMPARE(GetLockBackColor(), 0xE1E1E1u);
        QCOMPARE(GetOddRowColor(), 0xFFFFFFu);
        QCOMPARE(GetEvenRowColor(), 0xFBF9F3u);
        QCOMPARE(rgbColor(254, 254, 186), 0xBAFEFEu);
    }

    void getSpreadTextActiveCell()
    {
        SpreadGrid g;
        g.SetMaxCols(3);
        fill(g, 3);
        g.SetText(2, 3, QStringLiteral("active"));
        g.SetActiveCell(2, 3);
        QCOMPARE(GetSpreadText(&g, -2, -2), QStringLiteral("active"));
        QCOMPARE(GetSpreadText(&g, 1, -2), QStringLiteral("row3"));
        QCOMPARE(GetSpreadText(&g, 9, 1), QString());   // outside the sheet
        QCOMPARE(GetSpreadText(&g, 1, 99), QString());
        QCOMPARE(GetSpreadText(nullptr, 1, 1), QString());
    }

    void commonDesignEditableSheet()
    {
        SpreadGrid g;
        g.SetMaxCols(3);
        fill(g, 3);
        CommonSpreadDesign(&g, false, true, true, true, true);
        QCOMPARE(g.OperationMode(), 0); // single select ignored on an editable sheet
        QVERIFY(g.EditModePermanent());
        QVERIFY(g.EditModeReplace());
        QCOMPARE(g.MaxRows(), 0);
        QCOMPARE(g.GetText(0, 0), QStringLiteral("No"));
        QCOMPARE(g.UserColAction(), 1);
        QCOMPARE(g.SelBackColor(), rgbColor(254, 254, 186));
        QCOMPARE(g.RefStyle(), 2);
        g.SetMaxRows(2);
        QVERIFY(!g.model().locked(1, 1));
        // the grid's own action keys are off: F2 reaches the handler and clears nothing
        g.SetText(1, 1, QStringLiteral("x"));
        int seen = 0;
        connect(&g, &SpreadGrid::KeyDown, [&](int& key, int) { seen = key; });
        g.SetActiveCell(1, 1);
        g.EndEdit(true);
        QTest::keyClick(&g, Qt::Key_F2);
        QCOMPARE(seen, 113);
        QCOMPARE(g.GetText(1, 1), QStringLiteral("x"));
    }

    void commonDesignLockedList()
    {
        SpreadGrid g;
        g.SetMaxCols(3);
        fill(g, 3);
        CommonSpreadDesign(&g, true, false, true, false, true);
        QCOMPARE(g.OperationMode(), 0);    // not single select
        QCOMPARE(g.MaxRows(), 3);          // rows kept
        QCOMPARE(g.GetText(0, 0), QString()); // no "No" header without clearing
        QVERIFY(g.model().locked(2, 2));
        g.SetMaxRows(5);
        QVERIFY(g.model().locked(3, 5));   // the whole sheet, rows added later too
        SpreadGrid h;
        CommonSpreadDesign(&h, true, true, true, true, true);
        QCOMPARE(h.OperationMode(), 3);
        // F4 in a locked list reaches KeyDown
        h.SetMaxCols(2);
        h.SetMaxRows(2);
        int seen = 0;
        connect(&h, &SpreadGrid::KeyDown, [&](int& key, int) { seen = key; });
        QTest::keyClick(&h, Qt::Key_F4);
        QCOMPARE(seen, 115);
    }

    void currencyColumn()
    {
        SpreadGrid g;
        g.SetMaxCols(12);
        g.SetMaxRows(1);
        SetSpreadCurrencyCol(&g, 6, true);
        g.SetMaxRows(3);
        g.SetText(6, 3, QStringLiteral("252398476000"));
        QCOMPARE(g.GetText(6, 3), QStringLiteral("252398476000"));
        QCOMPARE(g.DisplayText(6, 3), QStringLiteral("252,398,476,000"));
        QCOMPARE(g.model().attr(SpreadModel::AVAlign, 6, 3), 2.0);
        QCOMPARE(g.model().cellType(5, 3), 1); // the other columns keep their type
    }

    void deleteActiveRow()
    {
        testsupport::ScriptedPrompter prompter;
        SpreadGrid g;
        g.SetMaxCols(2);
        fill(g, 4);
        g.SetActiveCell(1, 2);
        int row = -2;
        SpreadDeleteRow(&g, row, true, true);
        QCOMPARE(row, 2); // the caller learns which row went
        QCOMPARE(g.MaxRows(), 3);
        QCOMPARE(g.GetText(1, 2), QStringLiteral("row3"));
        FrmFloatMsg* msg = floatingMessage();
        QVERIFY(msg);
        QCOMPARE(msg->text(), QStringLiteral("자료를 삭제하였습니다."));
        msg->close();
        // without fitting, MaxRows stays and a blank row remains at the end
        int first = 1;
        SpreadDeleteRow(&g, first, false, false);
        QCOMPARE(first, 1);
        QCOMPARE(g.MaxRows(), 3);
        QCOMPARE(g.DataRowCnt(), 2);
        // deleting the last remaining rows leaves an empty grid
        int r = 1;
        SpreadDeleteRow(&g, r, false, true);
        r = 1;
        SpreadDeleteRow(&g, r, false, true);
        QCOMPARE(g.MaxRows(), 0);
    }

    void dateBox()
    {
        platform::setClock([] { return QDateTime(QDate(2009, 11, 5), QTime(9, 0)); });
        SpreadGrid g;
        g.SetMaxCols(1);
        g.SetMaxRows(1);
        g.resize(100, 20);
        SetDateSpread(&g, true);
        QCOMPARE(g.GetText(1, 1), QStringLiteral("2009-11-01"));
        SetDateSpread(&g, false);
        QCOMPARE(g.GetText(1, 1), QStringLiteral("2009-11-05"));
        QCOMPARE(g.UnitType(), 0);
        g.SetUnitType(2);
        QCOMPARE(g.RowHeight(1), 300.0); // the control's height in twips
        QVERIFY(qAbs(g.ColWidth(1) - 1500) <= 15);
        QCOMPARE(g.model().attr(SpreadModel::AForeColor, 1, 1), double(rgbColor(0, 0, 255)));
        QCOMPARE(g.model().attr(SpreadModel::AFontBold, 1, 1), 1.0);
        platform::setClock({});
    }

    void totalsGridAfterList()
    {
        SpreadGrid list, total;
        list.SetMaxCols(6);
        list.SetMaxRows(3);
        list.SetColWidth(1, 10);
        list.SetColWidth(2, 4);
        list.SetColWidth(3, 23.25);
        list.SetColWidth(4, 77);       // hidden: its width is not copied
        list.SetColHidden(4, true);
        list.SetColWidth(5, 13.75);
        list.SetColHidden(6, true);
        list.SetColWidth(0, 3.5);
        total.SetMaxCols(2);
        total.SetMaxRows(1);
        total.SetColHidden(5, true); // must be shown again
        SetTotalSpreadDesign(&total, &list, 1);
        QCOMPARE(total.MaxCols(), 6);
        QCOMPARE(total.ColWidth(1), 10.0);
        QCOMPARE(total.ColWidth(3), 23.25);
        QVERIFY(total.ColHidden(4));
        QVERIFY(total.ColWidth(4) != 77.0);
        QVERIFY(!total.ColHidden(5));
        QCOMPARE(total.ColWidth(5), 13.75);
        QVERIFY(total.ColHidden(6));
        QCOMPARE(total.GetText(1, 1), QStringLiteral("[합 계]"));
        QCOMPARE(total.OperationMode(), 0);
        QCOMPARE(total.model().attr(SpreadModel::ABackColor, 3, 1), double(rgbColor(224, 240, 224)));
        QCOMPARE(total.GrayAreaBackColor(), rgbColor(224, 240, 224));
        QVERIFY(total.RowHeadersShow());
        QCOMPARE(total.ColWidth(0), 3.5);
        QCOMPARE(total.model().cellType(0, 1), 5);
        QCOMPARE(total.GetText(0, 1), QStringLiteral(" "));
        QVERIFY(total.model().locked(3, 1));
    }

    void columnLock()
    {
        SpreadGrid g;
        g.SetMaxCols(12);
        g.SetMaxRows(2);
        g.SetOddEvenRowColor(GetOddRowColor(), 0, GetEvenRowColor(), 0);
        SetSpreadColLock(&g, 12, false, true);
        QVERIFY(g.model().locked(12, 2));
        double v;
        QVERIFY(!g.model().explicitAttr(SpreadModel::ABackColor, 12, 2, v)); // colour unchanged
        SetSpreadColLock(&g, 4, true, true);
        QCOMPARE(g.model().attr(SpreadModel::ABackColor, 4, 2), double(GetLockBackColor()));
        SetSpreadColLock(&g, 4, true, false);
        QVERIFY(!g.model().locked(4, 2));
        QCOMPARE(g.model().attr(SpreadModel::ABackColor, 4, 2), double(rgbColor(255, 255, 255)));
    }
};

QTEST_MAIN(TstModSpread60)
#include "tst_modspread60.moc"
