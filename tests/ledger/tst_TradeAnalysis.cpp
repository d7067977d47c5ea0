#include "frame/modFrmCtrl.h"
#include "frame/modMain.h"
#include "ledger/FrmNVGraph.h"
#include "ledger/FrmTradeGraph.h"
#include "ledger/TradeAnalysis.h"
#include "ledger/frmMain.h"
#include "platform/Database.h"
#include "platform/FormRegistry.h"
#include "platform/NVGraph.h"
#include "platform/Prompter.h"
#include "platform/Recordset.h"
#include "platform/SettingsStore.h"
#include "support/ScriptedPrompter.h"
#include "support/TestEnv.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QtTest>

// The analysis of sold vouchers (grouped query and folding), the query window and the graph
// window with its stored display choices and paging.
class tst_TradeAnalysis : public QObject {
    Q_OBJECT

    std::unique_ptr<testsupport::TestEnv> env;
    std::unique_ptr<testsupport::ScriptedPrompter> prompter;

    QVector<TradeGraphItem> run(TradeQuery q)
    {
        const SqlStatement st = BuildTradeQuery(q);
        auto rs = gDB->openRecordset(st.sql, dao::dbOpenSnapshot, st.params);
        TradeGraphFolder folder(q.groupKind);
        folder.addRows(*rs);
        return folder.items();
    }
    static TradeQuery query(int kind, const QString& from, const QString& to, int gubun = 1)
    {
        TradeQuery q;
        q.groupKind = kind;
        q.dateFrom = from;
        q.dateTo = to;
        q.tradeGubun = gubun;
        return q;
    }
    static QString describe(const QVector<TradeGraphItem>& items)
    {
        QStringList out;
        for (const TradeGraphItem& i : items)
            out << QStringLiteral("%1:%2:%3").arg(i.Name).arg(i.Count).arg(i.Amount.toString());
        return out.join(QLatin1Char(' '));
    }
    static QString graphPoints(platform::ucNVGraph* g)
    {
        QStringList out;
        for (int i = 0; i < g->DataCount(); ++i)
            out << g->Name(i) + QLatin1Char('=') + QString::number(qint64(g->Value(i)));
        return out.join(QLatin1Char(' '));
    }
    static void handOver(FrmNVGraph& w, int n)
    {
        w.ClearGraph();
        for (int i = 0; i < n; ++i) {
            double v = i;
            QString name = QString::number(i);
            w.AddData(v, name);
        }
        w.ReDrawGraph();
    }
    static QString stored(const QString& key)
    {
        return platform::GetSetting(kGraphConfigApp, kGraphConfigSection, key, QStringLiteral("<none>"));
    }

private slots:
    void init()
    {
        env = std::make_unique<testsupport::TestEnv>();
        prompter = std::make_unique<testsupport::ScriptedPrompter>();
        gsTitle = QStringLiteral("Trelvo");
        platform::setClock([] { return QDateTime(QDate(2009, 11, 25), QTime(10, 0)); });
        const QString db = env->path(QStringLiteral("ledger.mdb"));
        QVERIFY(testsupport::createDatabase(db, QStringLiteral("main")));
        // margins: 400, 600 | 1500, 50 | -20 ; unsold; December 300; 2008 with 64-bit sums
        QVERIFY(testsupport::runSqlScript(db, QStringLiteral(
            "INSERT INTO total (pro_name, group_name, maeip_cost, maechul_date, maechul_cost, maechul_usecost) VALUES"
            " ('TV', '가전', 1000, '2009-11-01', 1500, 100),"
            " ('TV', '가전', 2000, '2009-11-01', 2600, 0),"
            " ('냉장고', '가전', 5000, '2009-11-05', 7000, 500),"
            " ('마우스', NULL, 100, '2009-11-05', 150, 0),"
            " ('키보드', '', 200, '2009-11-20', 180, 0),"
            " ('모니터', '컴퓨터', 3000, '2009-11-20', 0, 0),"
            " ('TV', '가전', 1000, '2009-12-02', 1300, 0),"
            " ('마우스', '컴퓨터', 100, '2009-11-26', 200, 0),"
            " ('TV', '가전', 3000000000, '2008-05-10', 5000000000, 0),"
            " ('냉장고', '가전', 4000000000, '2008-05-31', 7000000000, 0),"
            " ('  ', '가전', 1, '2007-01-01', 10, 0);")));
        gDB = dao::Database::open(db);
        QVERIFY(gDB);
    }

    void cleanup()
    {
        gDB.reset();
        prompter.reset();
        env.reset();
        platform::setClock({});
    }

    // ---------------------------------------------------------------- query and folding

    void countsAndSumsByDayMonthYear()
    {
        // only sold vouchers of the period; margin = sales - purchase - expense
        QCOMPARE(describe(run(query(TradeByDay, "2009-11-01", "2009-11-25"))),
                 QStringLiteral("2009-11-01:2:1000 2009-11-05:2:1550 2009-11-20:1:-20"));
        // purchase kind: the purchase amounts of the same sold vouchers
        QCOMPARE(describe(run(query(TradeByDay, "2009-11-01", "2009-11-25", 0))),
                 QStringLiteral("2009-11-01:2:3000 2009-11-05:2:5100 2009-11-20:1:200"));
        QCOMPARE(describe(run(query(TradeByMonth, "2008-01-01", "2009-12-31"))),
                 QStringLiteral("2008-05:2:5000000000 2009-11:6:2630 2009-12:1:300"));
        QCOMPARE(describe(run(query(TradeByYear, "2008-01-01", "2009-12-31", 0))),
                 QStringLiteral("2008:2:7000000000 2009:7:9400"));
        // an empty period and a period ending before it starts
        QVERIFY(run(query(TradeByDay, "2010-01-01", "2010-12-31")).isEmpty());
        QVERIFY(run(query(TradeByMonth, "2009-12-31", "2009-01-01")).isEmpty());
    }

    void productsAndGroupsMergeByName()
    {
        QCOMPARE(describe(run(query(TradeByProduct, "2009-11-01", "2009-12-31"))),
                 QStringLiteral("TV:3:1300 냉장고:1:1500 마우스:2:150 키보드:1:-20"));
        // a Null group and an empty group are one point with an empty name
        QCOMPARE(describe(run(query(TradeByGroup, "2009-11-01", "2009-12-31"))),
                 QStringLiteral(":2:30 가전:4:2800 컴퓨터:1:100"));

        TradeGraphFolder byName(TradeByYear), byRow(TradeByDay);
        for (TradeGraphFolder* f : {&byName, &byRow}) { // sums in ten-thousandths, as the query gives them
            f->addRow(QStringLiteral("A"), 1, 100000);
            f->addRow(QVariant(), 2, QVariant()); // Null sum adds nothing
            f->addRow(QStringLiteral("A"), QVariant(), 50000);
            f->addRow(QStringLiteral("a"), 1, 10000); // names compare with case
        }
        QCOMPARE(describe(byName.items()), QStringLiteral("A:1:15 :2:0 a:1:1"));
        QCOMPARE(describe(byRow.items()), QStringLiteral("A:1:10 :2:0 A:0:5 a:1:1"));
    }

    void filtersAreBoundValues()
    {
        TradeQuery q = query(TradeByDay, "2009-11-01", "2009-12-31");
        q.group = QStringLiteral("가전");
        QCOMPARE(describe(run(q)), QStringLiteral("2009-11-01:2:1000 2009-11-05:1:1500 2009-12-02:1:300"));
        q.product = QStringLiteral("TV");
        QCOMPARE(describe(run(q)), QStringLiteral("2009-11-01:2:1000 2009-12-02:1:300"));

        const SqlStatement st = BuildTradeQuery(q);
        QVERIFY(!st.sql.contains(QStringLiteral("가전")));
        QCOMPARE(st.params.size(), 4);
        QCOMPARE(st.sql,
                 QStringLiteral("SELECT maechul_date, COUNT(*), CURSUM(IIF(maechul_cost=0,0, maechul_cost-maeip_cost-maechul_usecost))"
                                " FROM total WHERE maechul_date BETWEEN ? AND ? AND maechul_cost <> 0"
                                " AND group_name = ? AND pro_name = ? GROUP BY maechul_date ORDER BY maechul_date"));
        // a quote is only a filter text; blanks filter on blanks
        q.group.clear();
        q.product = QStringLiteral("O'Neil'); DROP TABLE total; --");
        QVERIFY(run(q).isEmpty());
        q.product = QStringLiteral("  ");
        QVERIFY(run(q).isEmpty());
        QVERIFY(gDB->hasTable(QStringLiteral("total")));
        QVERIFY(BuildTradeQuery(query(7, "a", "b")).sql.isEmpty());
    }

    // Amounts with decimals, as files of the old program may hold them, are summed exactly to
    // four decimals (no binary fractions adding up to another amount) and reach the graph
    // with their decimals.
    void amountsWithDecimalsAreSummedExactly()
    {
        gDB->execute(QStringLiteral(
            "INSERT INTO total (pro_name, group_name, maeip_cost, maechul_date, maechul_cost, maechul_usecost) VALUES"
            " ('TV', '가전', 0.1, '2009-10-10', 1000000.1, 0.2),"
            " ('TV', '가전', 0.2, '2009-10-10', 2000000.1, 0),"
            " ('TV', '가전', 0, '2009-10-10', 667300.55, 0),"
            " ('펜', '문구', 0, '2009-10-11', 0.0003, 0),"
            " ('펜', '문구', 0, '2009-10-11', 0.0003, 0),"
            " ('펜', '문구', 0.0001, '2009-10-11', 0.0003, 0),"
            " ('펜', '문구', 1.5, '2009-10-12', 1, 0.25)"));
        QCOMPARE(describe(run(query(TradeByDay, "2009-10-01", "2009-10-31"))),
                 QStringLiteral("2009-10-10:3:3667300.25 2009-10-11:3:0.0008 2009-10-12:1:-0.75"));
        QCOMPARE(describe(run(query(TradeByDay, "2009-10-01", "2009-10-31", 0))),
                 QStringLiteral("2009-10-10:3:0.3 2009-10-11:3:0.0001 2009-10-12:1:1.5"));
        QCOMPARE(describe(run(query(TradeByMonth, "2009-10-01", "2009-11-30"))),
                 QStringLiteral("2009-10:7:3667299.5008 2009-11:6:2630"));
        QCOMPARE(describe(run(query(TradeByGroup, "2009-10-01", "2009-10-31"))),
                 QStringLiteral("가전:3:3667300.25 문구:4:-0.7492"));

        FrmTradeGraph w;
        w.txtDate[0]->setText(QStringLiteral("2009-10-01"));
        w.txtDate[1]->setText(QStringLiteral("2009-10-31"));
        w.show();
        w.btnGraph_Click();
        QPointer<FrmNVGraph> g = w.GraphWindow();
        QVERIFY(g);
        QCOMPARE(g->NVGraph->DataCount(), 3);
        QCOMPARE(g->NVGraph->Value(0), 3667300.25);
        QCOMPARE(platform::GraphValueText(g->NVGraph->Value(0)), QStringLiteral("3,667,300.25"));
        QCOMPARE(g->NVGraph->Value(1), 0.0008);
        QCOMPARE(g->NVGraph->Value(2), -0.75);
    }

    // Sums reach the whole Currency range (±922,337,203,685,477.5807), from the query and from
    // the merging of points; beyond it the sum is an overflow, never a wrapped amount.
    void sumsAtTheEdgeOfTheCurrencyRange()
    {
        const auto voucher = [](const QVariant& group, const QVariant& cost, const QString& date) {
            gDB->execute(QStringLiteral("INSERT INTO total (pro_name, group_name, maeip_cost, maechul_date, maechul_cost,"
                                        " maechul_usecost) VALUES ('금고', ?, 0, ?, ?, 0)"),
                         {group, date, cost});
        };
        const auto overflows = [this](int kind, const char* day) {
            try {
                run(query(kind, day, day));
            } catch (const dao::DaoError& e) {
                return e.number() == 6 || e.description().contains(QStringLiteral("Overflow"));
            }
            return false;
        };
        // amounts stored as decimals, summed up to the top of the range and down to its bottom
        voucher(QStringLiteral("금"), 921000000000000.5, QStringLiteral("2010-01-01"));
        voucher(QStringLiteral("금"), 1337203685477.0, QStringLiteral("2010-01-01"));
        voucher(QStringLiteral("금"), 0.0807, QStringLiteral("2010-01-01"));
        voucher(QStringLiteral("은"), -922337203685477.5, QStringLiteral("2010-01-02"));
        voucher(QStringLiteral("은"), -0.0808, QStringLiteral("2010-01-02"));
        voucher(QStringLiteral("동"), 921000000000000.5, QStringLiteral("2010-01-03"));
        QCOMPARE(describe(run(query(TradeByGroup, "2010-01-01", "2010-01-03"))),
                 QStringLiteral("금:3:922337203685477.5807 동:1:921000000000000.5 은:2:-922337203685477.5808"));
        // one ten-thousandth beyond either end in a group: the query's overflow
        voucher(QStringLiteral("금"), 0.0001, QStringLiteral("2010-01-01"));
        voucher(QStringLiteral("은"), -0.0001, QStringLiteral("2010-01-02"));
        QVERIFY(overflows(TradeByDay, "2010-01-01"));
        QVERIFY(overflows(TradeByDay, "2010-01-02"));
        QCOMPARE(describe(run(query(TradeByDay, "2010-01-03", "2010-01-03"))), QStringLiteral("2010-01-03:1:921000000000000.5"));

        // Null and empty group merged into one point: at the top of the range, and beyond it
        voucher(QVariant(), 461168601842738.0, QStringLiteral("2011-01-01"));
        voucher(QStringLiteral(""), 461168601842739.0, QStringLiteral("2011-01-01"));
        voucher(QStringLiteral(""), 0.5807, QStringLiteral("2011-01-01"));
        QCOMPARE(describe(run(query(TradeByGroup, "2011-01-01", "2011-01-01"))), QStringLiteral(":3:922337203685477.5807"));
        voucher(QVariant(), 500000000000000.0, QStringLiteral("2011-02-01"));
        voucher(QStringLiteral(""), 500000000000000.0, QStringLiteral("2011-02-01"));
        QVERIFY(overflows(TradeByGroup, "2011-02-01"));
        TradeGraphFolder low(TradeByProduct);
        low.addRow(QStringLiteral("a"), 1, std::numeric_limits<qint64>::min());
        QVERIFY(!low.items().isEmpty());
        bool refused = false;
        try {
            low.addRow(QStringLiteral("a"), 1, -1);
        } catch (const dao::DaoError&) {
            refused = true;
        }
        QVERIFY(refused);
        QCOMPARE(describe(low.items()), QStringLiteral("a:1:-922337203685477.5808"));

        // the window: the overflow is reported and no point with a wrong amount is drawn
        FrmTradeGraph w;
        w.txtDate[0]->setText(QStringLiteral("2011-02-01"));
        w.txtDate[1]->setText(QStringLiteral("2011-02-01"));
        w.show();
        w.optType[4]->setChecked(true);
        QVERIFY(!prompter->messages().isEmpty());
        QVERIFY2(prompter->messages().first().text.contains(QStringLiteral("Overflow")),
                 qPrintable(prompter->messages().first().text));
        QVERIFY(!w.GraphWindow() || w.GraphWindow()->NVGraph->DataCount() == 0);
        QCOMPARE(prompter->messages().size(), 1); // no false "no data" after it
        // a query whose sum leaves the range in a later group is reported the same way
        prompter->clear();
        w.txtDate[0]->setText(QStringLiteral("2009-11-01"));
        w.txtDate[1]->setText(QStringLiteral("2010-01-01"));
        w.optType[0]->setChecked(true); // by day: 2010-01-01 comes last
        QVERIFY(!prompter->messages().isEmpty());
        QVERIFY2(prompter->messages().first().text.contains(QStringLiteral("Overflow")),
                 qPrintable(prompter->messages().first().text));
        QCOMPARE(prompter->messages().size(), 1);
        QVERIFY(!w.GraphWindow() || w.GraphWindow()->NVGraph->DataCount() == 0);
        // and one whose first group does
        prompter->clear();
        w.txtDate[0]->setText(QStringLiteral("2010-01-01"));
        w.btnGraph_Click();
        QCOMPARE(prompter->messages().size(), 1);
        QVERIFY2(prompter->messages().first().text.contains(QStringLiteral("Overflow")),
                 qPrintable(prompter->messages().first().text));
        QVERIFY(!w.GraphWindow() || w.GraphWindow()->NVGraph->DataCount() == 0);
        // a sales analysis that covers the decimal of 921,000,000,000,000.5 draws it
        prompter->clear();
        w.txtDate[0]->setText(QStringLiteral("2010-01-03"));
        w.txtDate[1]->setText(QStringLiteral("2010-01-03"));
        w.btnGraph_Click();
        QVERIFY(prompter->messages().isEmpty());
        QPointer<FrmNVGraph> g = w.GraphWindow();
        QVERIFY(g);
        QCOMPARE(g->NVGraph->DataCount(), 1);
        QCOMPARE(g->NVGraph->Value(0), 921000000000000.5);
    }

    // ---------------------------------------------------------------- query window

    void queryWindowOpensWithPeriodAndLists()
    {
        FrmTradeGraph w;
        QCOMPARE(w.windowTitle(), QStringLiteral("매출 분석 그래프"));
        QCOMPARE(w.TradeGubun(), 1);
        QCOMPARE(w.txtDate[0]->text(), QStringLiteral("2009-11-01"));
        QCOMPARE(w.txtDate[1]->text(), QStringLiteral("2009-11-25"));
        QVERIFY(w.optType[0]->isChecked());
        QVERIFY(w.optGraphValue[1]->isChecked());
        QStringList groups, names;
        for (int i = 0; i < w.cmbGroup->count(); ++i)
            groups << w.cmbGroup->itemText(i);
        for (int i = 0; i < w.cmbPName->count(); ++i)
            names << w.cmbPName->itemText(i);
        QCOMPARE(groups, QStringList({"", "가전", "컴퓨터"}));
        // sold products only; a name of blanks is left out
        QCOMPARE(names, QStringList({"", "TV", "냉장고", "마우스", "키보드"}));
        w.SetTradeGubun(0);
        QCOMPARE(w.windowTitle(), QStringLiteral("매입 분석 그래프"));
        // hidden: an option change runs no query
        w.optType[2]->setChecked(true);
        QVERIFY(!w.GraphWindow());
        QVERIFY(prompter->messages().isEmpty());
    }

    void graphButtonHandsThePointsOver()
    {
        auto* w = new FrmTradeGraph;
        QPointer<FrmTradeGraph> guard(w);
        w->show();
        w->btnGraph_Click();
        QPointer<FrmNVGraph> g = w->GraphWindow();
        QVERIFY(g);
        QVERIFY(g->isVisible());
        QCOMPARE(g->windowTitle(), QStringLiteral("일별 매출 분석 그래프"));
        QCOMPARE(graphPoints(g->NVGraph), QStringLiteral("2009-11-01=1000 2009-11-05=1550 2009-11-20=-20"));
        QCOMPARE(g->lblDataCnt->text(), QStringLiteral("총 3건"));

        w->optGraphValue[0]->setChecked(true); // counts, redrawn at once
        QCOMPARE(graphPoints(g->NVGraph), QStringLiteral("2009-11-01=2 2009-11-05=2 2009-11-20=1"));
        w->optType[1]->setChecked(true);
        QCOMPARE(g->windowTitle(), QStringLiteral("월별 매출 분석 그래프"));
        QCOMPARE(graphPoints(g->NVGraph), QStringLiteral("2009-11=5"));
        QCOMPARE(w->GraphWindow(), g.data()); // the same graph window

        // nothing in the period: the message, and the graph keeps what it showed
        w->txtDate[0]->setText(QStringLiteral("2010-01-01"));
        w->txtDate[1]->setText(QStringLiteral("2010-12-31"));
        w->btnGraph_Click();
        QCOMPARE(prompter->lastMessage().text, QStringLiteral("기간내 해당 데이터가 없습니다."));
        QCOMPARE(prompter->lastMessage().style, 64);
        QCOMPARE(prompter->lastMessage().title, QStringLiteral("Trelvo"));
        QCOMPARE(graphPoints(g->NVGraph), QStringLiteral("2009-11=5"));

        // purchase kind
        w->SetTradeGubun(0);
        w->txtDate[0]->setText(QStringLiteral("2008-01-01"));
        w->txtDate[1]->setText(QStringLiteral("2008-12-31"));
        w->optGraphValue[1]->setChecked(true);
        QCOMPARE(g->windowTitle(), QStringLiteral("월별 매입 분석 그래프"));
        QCOMPARE(graphPoints(g->NVGraph), QStringLiteral("2008-05=7000000000"));

        // closing the query window takes the graph window with it
        w->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!g);
        QVERIFY(!guard);
        QVERIFY(!IsFormLoaded(QStringLiteral("FrmNVGraph")));
        QVERIFY(!IsFormLoaded(QStringLiteral("FrmTradeGraph")));
    }

    void typedDatesAreChecked()
    {
        FrmTradeGraph w;
        w.txtDate[0]->setText(QStringLiteral("2009-02-30"));
        QVERIFY(!w.txtDate_Validate(0));
        QCOMPARE(prompter->lastMessage().text, QStringLiteral("잘못된 날짜 형식입니다.\r\n정확한 날짜 형식을 입력하세요."));
        QCOMPARE(prompter->lastMessage().style, 0);
        QCOMPARE(w.txtDate[0]->text(), QStringLiteral("2009-02-30")); // the text stays
        w.txtDate[1]->setText(QStringLiteral("2009-11-"));
        QVERIFY(!w.txtDate_Validate(1));
        prompter->clear();
        w.txtDate[0]->setText(QStringLiteral("2009-11-01"));
        QVERIFY(w.txtDate_Validate(0));
        QVERIFY(prompter->messages().isEmpty());
        // a half-typed date at query time: no failure, just no data
        w.show();
        w.btnGraph_Click();
        QCOMPARE(prompter->lastMessage().text, QStringLiteral("기간내 해당 데이터가 없습니다."));
    }

    void mainWindowButtonShowsOneQueryWindow()
    {
        frmMain m;
        m.btnGraph->click();
        auto* w = qobject_cast<FrmTradeGraph*>(platform::FormRegistry::instance().find(QStringLiteral("FrmTradeGraph")));
        QVERIFY(w);
        QVERIFY(w->isVisible());
        QCOMPARE(w->TradeGubun(), 1);
        w->SetTradeGubun(0);
        m.btnGraph->click();
        QCOMPARE(platform::FormRegistry::instance().find(QStringLiteral("FrmTradeGraph")), w);
        QCOMPARE(w->windowTitle(), QStringLiteral("매출 분석 그래프"));
        delete w;
    }

    // ---------------------------------------------------------------- graph window

    void graphWindowFirstRunDefaults()
    {
        FrmNVGraph w;
        QCOMPARE(w.windowTitle(), QStringLiteral("그래프"));
        QCOMPARE(w.htMax[0]->text(), QStringLiteral("50"));
        QCOMPARE(w.htMax[2]->text(), QStringLiteral("500"));
        QCOMPARE(w.NVGraph->MaxCols(), 50);
        QCOMPARE(w.NVGraph->MGBottom(), 500L);
        // values off, horizontal lines on, filled bars on, labels not rotated
        const bool flags[4] = {w.NVGraph->ShowValues(), w.NVGraph->HorzLines(), w.NVGraph->BarFill(),
                               w.NVGraph->RotateLabels()};
        for (int i = 0; i < 4; ++i) {
            QCOMPARE(w.chkGrpStat[i]->isChecked(), i == 1 || i == 2);
            QCOMPARE(flags[i], i == 1 || i == 2);
        }
        QCOMPARE(w.cboGraphType->currentIndex(), 0);
        QCOMPARE(w.cboUnit->currentIndex(), 0);
        QCOMPARE(w.btnColor[0]->property("Tag").toString(), QStringLiteral("255"));
        QCOMPARE(w.btnColor[1]->property("Tag").toString(), QStringLiteral("16711680"));
        QCOMPARE(w.NVGraph->BarColor(), 255L);
        QCOMPARE(w.NVGraph->LineColor(), 16711680L);
        QCOMPARE(w.txtTitle->text(), QString());
        // loading wrote nothing back, and a change while hidden stores nothing
        w.chkGrpStat[0]->setChecked(true);
        w.htMax[0]->setText(QStringLiteral("0"));
        w.txtTitle->setText(QStringLiteral("x"));
        QCOMPARE(stored(QStringLiteral("값보기")), QStringLiteral("<none>"));
        QCOMPARE(stored(QStringLiteral("MaxCols")), QStringLiteral("<none>"));
        QCOMPARE(platform::GetSetting(gsTitle, kGraphTitleSection, kGraphTitleKey, QStringLiteral("<none>")),
                 QStringLiteral("<none>"));
        QVERIFY(prompter->messages().isEmpty());
    }

    void graphWindowStoresEveryChoiceAtOnce()
    {
        {
            FrmNVGraph w;
            w.show();
            w.htMax[0]->setText(QStringLiteral("0"));
            QCOMPARE(prompter->lastMessage().text, QStringLiteral("1이상의 수치만 입력가능합니다."));
            QCOMPARE(prompter->messages().size(), 1); // the reset to "1" asks nothing
            QCOMPARE(w.htMax[0]->text(), QStringLiteral("1"));
            QCOMPARE(stored(QStringLiteral("MaxCols")), QStringLiteral("1"));
            w.htMax[0]->setText(QStringLiteral("12.6"));
            QCOMPARE(stored(QStringLiteral("MaxCols")), QStringLiteral("13"));
            w.htMax[2]->setText(QStringLiteral("abc"));
            QCOMPARE(stored(QStringLiteral("MGBottom")), QStringLiteral("1"));
            w.htMax[2]->setText(QStringLiteral("800"));
            QCOMPARE(stored(QStringLiteral("MGBottom")), QStringLiteral("800"));
            QCOMPARE(w.NVGraph->MaxCols(), 50); // the numbers take effect at the next refresh
            w.cmdRefresh_Click();
            QCOMPARE(w.NVGraph->MaxCols(), 13);
            QCOMPARE(w.NVGraph->MGBottom(), 800L);

            w.chkGrpStat[0]->setChecked(true);
            w.chkGrpStat[2]->setChecked(false);
            QCOMPARE(stored(QStringLiteral("값보기")), QStringLiteral("1"));
            QCOMPARE(stored(QStringLiteral("막대채움")), QStringLiteral("0"));
            QVERIFY(w.NVGraph->ShowValues());
            QVERIFY(!w.NVGraph->BarFill());
            w.cboGraphType->setCurrentIndex(2);
            w.cboUnit->setCurrentIndex(1);
            QCOMPARE(stored(QStringLiteral("GraphType")), QStringLiteral("2"));
            QCOMPARE(stored(QStringLiteral("DataUnit")), QStringLiteral("1"));
            QCOMPARE(w.NVGraph->GraphType(), 2L);
            w.txtTitle->setText(QStringLiteral("11월 매출"));
            QCOMPARE(platform::GetSetting(gsTitle, kGraphTitleSection, kGraphTitleKey), QStringLiteral("11월 매출"));

            // colours: a cancelled dialog changes nothing, a chosen colour is kept everywhere
            const int draws = w.NVGraph->DrawCount();
            w.btnColor_Click(0);
            QCOMPARE(prompter->calls.last().kind, QStringLiteral("color"));
            QCOMPARE(prompter->calls.last().text, QStringLiteral("255"));
            QCOMPARE(stored(QStringLiteral("막대색")), QStringLiteral("<none>"));
            QCOMPARE(w.NVGraph->DrawCount(), draws);
            prompter->colorAnswers.enqueue(QVariant(0x00FF00u));
            w.btnColor_Click(1);
            QCOMPARE(stored(QStringLiteral("꺾은선색")), QStringLiteral("65280"));
            QCOMPARE(w.btnColor[1]->property("Tag").toString(), QStringLiteral("65280"));
            QCOMPARE(w.NVGraph->LineColor(), 65280L);
            QCOMPARE(w.NVGraph->DrawCount(), draws + 1);
        }
        // read back by the next window
        FrmNVGraph w2;
        QCOMPARE(w2.htMax[0]->text(), QStringLiteral("13"));
        QCOMPARE(w2.NVGraph->MaxCols(), 13);
        QCOMPARE(w2.NVGraph->MGBottom(), 800L);
        QVERIFY(w2.chkGrpStat[0]->isChecked());
        QVERIFY(!w2.chkGrpStat[2]->isChecked());
        QCOMPARE(w2.cboGraphType->currentIndex(), 2);
        QCOMPARE(w2.NVGraph->DataUnit(), 1L);
        QCOMPARE(w2.NVGraph->LineColor(), 65280L);
        QCOMPARE(w2.txtTitle->text(), QStringLiteral("11월 매출"));

        // stored values the lists cannot show, and columns below 1
        platform::SaveSetting(kGraphConfigApp, kGraphConfigSection, QStringLiteral("GraphType"), QStringLiteral("9"));
        platform::SaveSetting(kGraphConfigApp, kGraphConfigSection, QStringLiteral("DataUnit"), QStringLiteral("-1"));
        platform::SaveSetting(kGraphConfigApp, kGraphConfigSection, QStringLiteral("MaxCols"), QStringLiteral("-4"));
        FrmNVGraph w3;
        QCOMPARE(w3.cboGraphType->currentIndex(), -1);
        QCOMPARE(w3.NVGraph->GraphType(), 0L);
        QCOMPARE(w3.cboUnit->currentIndex(), -1);
        QCOMPARE(w3.htMax[0]->text(), QStringLiteral("1"));
        QCOMPARE(w3.NVGraph->MaxCols(), 1);
    }

    void graphWindowPaging()
    {
        FrmNVGraph w;
        w.show();
        handOver(w, 30);
        QCOMPARE(w.lblPage->text(), QStringLiteral("1/1"));
        QVERIFY(!w.cmdMovePage[0]->isEnabled() && !w.cmdMovePage[1]->isEnabled());

        handOver(w, 200); // 4 pages of 50
        QCOMPARE(w.lblPage->text(), QStringLiteral("1/4"));
        QCOMPARE(w.lblDataCnt->text(), QStringLiteral("총 200건"));
        QVERIFY(!w.cmdMovePage[0]->isEnabled() && w.cmdMovePage[1]->isEnabled());
        w.cmdMovePage_Click(1);
        QCOMPARE(w.lblPage->text(), QStringLiteral("2/4"));
        QVERIFY(w.cmdMovePage[0]->isEnabled() && w.cmdMovePage[1]->isEnabled());
        QCOMPARE(w.NVGraph->CurrentPage(), 2);
        w.cmdMovePage_Click(1);
        w.cmdMovePage_Click(1);
        w.cmdMovePage_Click(1); // beyond the last page: stays on it
        QCOMPARE(w.lblPage->text(), QStringLiteral("4/4"));
        QVERIFY(w.cmdMovePage[0]->isEnabled() && !w.cmdMovePage[1]->isEnabled());

        handOver(w, 120); // fewer points: the last page of the new count
        QCOMPARE(w.lblPage->text(), QStringLiteral("3/3"));
        QCOMPARE(w.NVGraph->CurrentPage(), 3);
        w.cmdMovePage_Click(0);
        w.cmdMovePage_Click(0);
        w.cmdMovePage_Click(0);
        QCOMPARE(w.lblPage->text(), QStringLiteral("1/3"));

        w.htMax[0]->setText(QStringLiteral("120"));
        w.cmdRefresh_Click();
        QCOMPARE(w.lblPage->text(), QStringLiteral("1/1"));
        handOver(w, 0);
        QCOMPARE(w.lblDataCnt->text(), QStringLiteral("총 0건"));
        QCOMPARE(w.lblPage->text(), QStringLiteral("1/1"));
    }

    void graphWindowPrintsAndKeepsItsSize()
    {
        FrmNVGraph w;
        w.show();
        handOver(w, 3);
        w.Form_KeyDown(118); // F7
        QCOMPARE(prompter->calls.last().kind, QStringLiteral("modal"));
        QCOMPARE(prompter->calls.last().title, QStringLiteral("PrintDialog"));

        w.resize(100, 100);
        QVERIFY(w.width() >= qRound(5000 / TwipsPerPixelX()) - 1);
        QVERIFY(w.height() >= qRound(5000 / TwipsPerPixelY()) - 1);
        w.resize(1000, 700);
        QCOMPARE(w.pnlList->geometry().top(), w.pnlTop->geometry().bottom() + 1);
        QCOMPARE(w.picBoard->width(), w.pnlList->width() - 2 * w.picBoard->x());
        QCOMPARE(w.picBoard->height(), w.pnlList->height() - 2 * w.picBoard->y());
        QCOMPARE(w.NVGraph->size(), w.picBoard->size());
    }
};

QTEST_MAIN(tst_TradeAnalysis)
#include "tst_TradeAnalysis.moc"
