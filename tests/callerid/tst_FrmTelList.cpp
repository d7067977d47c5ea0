#include "CallerIdFixture.h"

#include "callerid/FrmTelList.h"
#include "frame/modFrmCtrl.h"
#include "platform/SpreadGrid.h"
#include "support/DrawnText.h"

#include <QLabel>
#include <QLineEdit>
#include <QScrollBar>
#include <QtTest>

#include <algorithm>
#include <cmath>

using calleridtest::Fixture;

namespace {

// Calls of today (2024-03-20) and earlier; seq 2 is answered already.
const char* const kCalls =
    "INSERT INTO tellist (seq, sdate, stime, stel, cname, sdam) VALUES"
    " (1, '2024-03-20', '09:00:00', '0255551234', '김상회', ''),"
    " (2, '2024-03-20', '10:00:00', '0311112222', '', '이순신'),"
    " (3, '2024-03-20', '11:30:00', '01099998888', '김상회', NULL),"
    " (4, '2024-03-02', '08:00:00', '0255551234', '김상회', '홍길동'),"
    " (5, '2024-02-28', '08:00:00', '0311112222', '', '홍길동'),"
    " (6, '2024-03-19', '17:00:00', '0311112222', '', '');";

FrmTelList* openList()
{
    FrmTelList* w = FrmTelList::Load();
    const QSize designed = w->size();
    FormFocus(w);
    // The test platform's screen (800x600) is narrower than the list, which is cut down to it
    // as it opens: given its designed size back, the list shows every column of today's calls.
    w->resize(designed);
    return w;
}

// A cell of a grid scrolled to its top left, in viewport coordinates (column widths in
// character widths of the grid's font, row heights in points).
QRect cellRect(platform::SpreadGrid* g, int col, int row)
{
    const QFontMetricsF fm(g->font());
    const double charPx = std::max(1.0, std::max(fm.horizontalAdvance(QLatin1Char('0')), fm.averageCharWidth()) + 1.0);
    const auto colPx = [&](int c) {
        if ((c == 0 && !g->RowHeadersShow()) || (c > 0 && g->ColHidden(c)))
            return 0;
        return int(std::lround(g->ColWidth(c) * charPx));
    };
    const auto rowPx = [&](int r) { return int(std::lround(g->RowHeight(r) * 96.0 / 72.0)); };
    int x = 0, y = g->ColHeadersShow() ? rowPx(0) : 0;
    for (int c = 0; c < col; ++c)
        x += colPx(c);
    for (int r = 1; r < row; ++r)
        y += rowPx(r);
    return QRect(x, y, colPx(col), rowPx(row));
}

QPoint cellCenter(platform::SpreadGrid* g, int col, int row)
{
    const QRect rc = cellRect(g, col, row);
    return QPoint(rc.x() + rc.width() / 2, rc.y() + rc.height() / 2);
}

// Presses the button of a row of today's calls with the mouse.
void pressAnswerButton(FrmTelList* w, int row)
{
    platform::SpreadGrid* g = w->spList[0];
    QTest::mouseClick(g->viewport(), Qt::LeftButton, Qt::NoModifier, cellCenter(g, 5, row));
    QCOMPARE(g->ActiveRow(), row);
}

} // namespace

// The shared call list: today's calls, a caller's history, the user's own calls and the
// claim of an unanswered call, which only the first of several users gets.
class tst_FrmTelList : public QObject {
    Q_OBJECT

private slots:
    void listsAndCounts()
    {
        Fixture f(QString::fromUtf8(kCalls));
        f.openDb();
        platform::SaveSetting(gsTitle, QStringLiteral("Config"), QStringLiteral("MyName"), QStringLiteral("홍길동"));
        FrmTelList* w = openList();
        platform::SpreadGrid* today = w->spList[0];
        QCOMPARE(today->MaxRows(), 3);
        QCOMPARE(today->GetText(6, 1), QStringLiteral("3")); // newest first
        QCOMPARE(today->GetText(6, 3), QStringLiteral("1"));
        QCOMPARE(today->GetText(5, 2), QStringLiteral("이순신"));
        today->SetCol(5);
        today->SetRow(1); // no value yet counts as unanswered
        QCOMPARE(today->CellType(), int(platform::SpreadGrid::CellTypeButton));
        today->SetRow(2);
        QVERIFY(today->CellType() != int(platform::SpreadGrid::CellTypeButton));
        // the caller of row 1 followed by name across numbers
        QCOMPARE(w->spList[1]->MaxRows(), 3);
        QCOMPARE(w->spList[1]->GetText(5, 3), QStringLiteral("4"));
        // a caller without a name followed by number
        w->ShowCallerHistory(2);
        QCOMPARE(w->spList[1]->MaxRows(), 3);
        QCOMPARE(w->spList[1]->GetText(1, 3), QStringLiteral("2024-02-28"));
        // this user: nothing today, one call this month, two in all
        QCOMPARE(w->lblTot->text(), QStringLiteral("금일:0건, 금월:1건"));
        QCOMPARE(w->spList[2]->MaxRows(), 2);
        // the name typed is stored at once, the one put in at load was not written back
        w->txtMyName->setText(QStringLiteral("이"));
        QCOMPARE(platform::GetSetting(gsTitle, QStringLiteral("Config"), QStringLiteral("MyName")), QStringLiteral("이"));
        w->cmdQuery_Click(2);
        QCOMPARE(w->lblTot->text(), QStringLiteral("금일:0건, 금월:0건"));
    }

    void noCallsToday()
    {
        Fixture f;
        f.openDb();
        FrmTelList* w = openList();
        QCOMPARE(w->spList[0]->MaxRows(), 0);
        QCOMPARE(w->spList[1]->MaxRows(), 0);
        QCOMPARE(w->lblTot->text(), QStringLiteral("금일:0건, 금월:0건"));
        QCOMPARE(f.prompter->messages().size(), 0);
    }

    void noNameNoCallsAndNoClaim()
    {
        Fixture f(QString::fromUtf8(kCalls));
        f.openDb();
        FrmTelList* w = openList();
        // without a name no call is this user's, not even the unanswered ones
        QCOMPARE(w->lblTot->text(), QStringLiteral("금일:0건, 금월:0건"));
        QCOMPARE(w->spList[2]->MaxRows(), 0);
        w->spList_ButtonClicked(0, 5, 3, 0);
        QCOMPARE(f.prompter->lastMessage().text, QStringLiteral("먼저 자신의 이름을 입력하세요."));
        QCOMPARE(f.calls().at(0).section(QLatin1Char('|'), 4), QString());
    }

    // A name of blanks is no name: pressing a call's button asks for a name and claims
    // nothing, and such a name has no calls of its own. A call that a name of blanks took
    // before is still open, and a real name claims it.
    void nameOfBlanksIsNoName()
    {
        Fixture f(QString::fromUtf8(kCalls)
                  + QStringLiteral("INSERT INTO tellist (seq, sdate, stime, stel, cname, sdam) VALUES"
                                   " (7, '2024-03-20', '12:00:00', '0277776666', '', '   ');"));
        f.openDb();
        FrmTelList* w = openList();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        const QStringList before = f.calls();
        QTest::mouseClick(w->txtMyName, Qt::LeftButton);
        QTest::keyClicks(w->txtMyName, QStringLiteral("   "));
        QCOMPARE(w->txtMyName->text(), QStringLiteral("   "));
        pressAnswerButton(w, 2); // seq 3, nobody has answered
        QCOMPARE(f.prompter->lastMessage().text, QStringLiteral("먼저 자신의 이름을 입력하세요."));
        QCOMPARE(f.calls(), before);
        QVERIFY(w->txtMyName->hasFocus());
        QTest::mouseClick(w->cmdQuery[2], Qt::LeftButton);
        QCOMPARE(w->lblTot->text(), QStringLiteral("금일:0건, 금월:0건"));
        QCOMPARE(w->spList[2]->MaxRows(), 0);

        // the call answered by blanks shows its button and is claimed by a name
        platform::SpreadGrid* today = w->spList[0];
        QCOMPARE(today->GetText(6, 1), QStringLiteral("7"));
        today->SetCol(5);
        today->SetRow(1);
        QCOMPARE(today->CellType(), int(platform::SpreadGrid::CellTypeButton));
        QTest::keyClick(w->txtMyName, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(w->txtMyName, QStringLiteral("Kim"));
        f.prompter->clear();
        pressAnswerButton(w, 1);
        QCOMPARE(f.prompter->messages().size(), 0);
        QCOMPARE(f.calls().at(6), QStringLiteral("2024-03-20|12:00:00|0277776666||Kim"));
        QCOMPARE(today->GetText(5, 1), QStringLiteral("Kim"));
        QCOMPARE(w->spList[2]->GetText(5, 1), QStringLiteral("7"));
    }

    // A caller's number is no amount: one longer than its column shows its beginning, cut
    // by the cell's edge, never the overflow mark, in today's calls and in the caller's
    // history; the text tip shows it whole.
    void longNumbersShowTheirBeginning()
    {
        Fixture f(QStringLiteral("INSERT INTO tellist (seq, sdate, stime, stel, cname, sdam) VALUES"
                                 " (1, '2024-03-20', '09:00:00', '0505123456789012', '', ''),"
                                 " (2, '2024-03-20', '09:10:00', '+82-505-1234-5678', '', ''),"
                                 " (3, '2024-03-20', '09:20:00', '001-1-212-555-1234', '', '');"));
        f.openDb();
        FrmTelList* w = openList();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        auto check = [](platform::SpreadGrid* g, int row, const QString& number) {
            QCOMPARE(g->GetText(3, row), number);
            QCOMPARE(g->ShownText(3, row).shown, number);
            QVERIFY(!g->ShownText(3, row).whole); // too long: the tip shows it
            bool drawn = false;
            for (const auto& run : testsupport::drawnText(g->viewport())) {
                QVERIFY2(!run.text.startsWith(QLatin1Char('#')), qPrintable(number));
                if (run.text != number)
                    continue;
                drawn = true;
                QVERIFY(!run.clip.isEmpty());
                QVERIFY2(run.box.left() >= run.clip.left(), qPrintable(number)); // its beginning shows
                QVERIFY2(run.box.right() > run.clip.right(), qPrintable(number)); // its end is cut
            }
            QVERIFY2(drawn, qPrintable(number));
        };
        platform::SpreadGrid* today = w->spList[0];
        QCOMPARE(today->MaxRows(), 3);
        const QStringList numbers{QStringLiteral("001-1-212-555-1234"), QStringLiteral("+82-505-1234-5678"),
                                  QStringLiteral("0505123456789012")};
        for (int row = 1; row <= 3; ++row) {
            check(today, row, numbers[row - 1]);
            if (QTest::currentTestFailed())
                return;
            w->ShowCallerHistory(row);
            QCOMPARE(w->spList[1]->MaxRows(), 1);
            check(w->spList[1], 1, numbers[row - 1]);
            if (QTest::currentTestFailed())
                return;
        }
    }

    // At the default size and font every grid shows the commonest numbers whole in its number
    // column: a mobile number of 13 characters, a 0505 number of 14, the same with +82; the
    // date and time beside them stay whole and the grids still need no sideways scrolling.
    void numbersShowWholeAtTheDefaultSize_data()
    {
        QTest::addColumn<QString>("number");
        QTest::newRow("mobile") << QStringLiteral("010-8658-3065");
        QTest::newRow("0505") << QStringLiteral("0505-1234-5678");
        QTest::newRow("mobile with +82") << QStringLiteral("+821086583065");
        QTest::newRow("Seoul") << QStringLiteral("02-1234-5678");
    }

    void numbersShowWholeAtTheDefaultSize()
    {
        QFETCH(QString, number);
        Fixture f(QStringLiteral("INSERT INTO tellist (seq, sdate, stime, stel, cname, sdam) VALUES"
                                 " (1, '2024-03-20', '09:00:00', ?, '김상회', '홍길동')")
                      .replace(QLatin1Char('?'), QLatin1Char('\'') + number + QLatin1Char('\'')));
        f.openDb();
        platform::SaveSetting(gsTitle, QStringLiteral("Config"), QStringLiteral("MyName"), QStringLiteral("홍길동"));
        FrmTelList* w = openList();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        w->resize(1020, 560); // the size it opens with on a screen that holds it
        for (platform::SpreadGrid* g : w->spList) {
            QCOMPARE(g->MaxRows(), 1);
            const auto runs = testsupport::drawnText(g->viewport());
            const struct { QString text; int col; } cells[] = {
                {number, 3}, {QStringLiteral("2024-03-20"), 1}, {QStringLiteral("09:00:00"), 2}};
            for (const auto& cell : cells) {
                const auto found =
                    std::find_if(runs.begin(), runs.end(), [&](const auto& r) { return r.text == cell.text; });
                QVERIFY2(found != runs.end(), qPrintable(cell.text));
                const QRect rc = cellRect(g, cell.col, 1);
                QVERIFY2(found->box.left() >= rc.left() && found->box.right() <= rc.right() + 0.5
                             && (found->clip.isEmpty() || found->box.right() <= found->clip.right() + 0.5),
                         qPrintable(QStringLiteral("%1 in grid %2").arg(cell.text).arg(g->Index())));
            }
            QVERIFY(g->ShownText(3, 1).whole);
            QCOMPARE(g->horizontalScrollBar()->maximum(), 0);
        }
    }

    // An answer of white space of any kind (line breaks, tabs, the wide blanks) is no answer:
    // the row shows its button and the first press claims it, once.
    void answerOfWhiteSpaceIsOpen()
    {
        Fixture f(QString::fromUtf8(kCalls)
                  + QStringLiteral("INSERT INTO tellist (seq, sdate, stime, stel, cname, sdam) VALUES"
                                   " (7, '2024-03-20', '12:00:00', '0277776666', '', char(10)),"
                                   " (8, '2024-03-20', '12:10:00', '0277776667', '', char(8195)),"
                                   " (9, '2024-03-20', '12:20:00', '0277776668', '', char(13, 10, 9, 11, 12, 133, 8232, 12288)),"
                                   " (10, '2024-03-20', '12:30:00', '0277776669', '', char(8203));"));
        f.openDb();
        FrmTelList* w = openList();
        QVERIFY(QTest::qWaitForWindowExposed(w));
        platform::SpreadGrid* today = w->spList[0];
        QCOMPARE(today->MaxRows(), 7);
        // newest first: seq 10, 9, 8, 7; a zero-width space is a character, not white space
        QCOMPARE(today->GetText(6, 1), QStringLiteral("10"));
        today->SetCol(5);
        today->SetRow(1);
        QVERIFY(today->CellType() != int(platform::SpreadGrid::CellTypeButton));
        QTest::mouseClick(w->txtMyName, Qt::LeftButton);
        QTest::keyClicks(w->txtMyName, QStringLiteral("Kim"));
        for (int row = 2; row <= 4; ++row) {
            const QString seq = today->GetText(6, row);
            today->SetCol(5);
            today->SetRow(row);
            QCOMPARE(today->CellType(), int(platform::SpreadGrid::CellTypeButton));
            f.prompter->clear();
            pressAnswerButton(w, row);
            QCOMPARE(f.prompter->messages().size(), 0);
            QCOMPARE(f.calls().at(seq.toInt() - 1).section(QLatin1Char('|'), 4), QStringLiteral("Kim"));
            QCOMPARE(today->GetText(5, row), QStringLiteral("Kim"));
            QCOMPARE(w->spList[2]->GetText(5, 1), seq);
        }
        // a second claim of such a row is refused: another user whose list still shows the
        // button, and another workstation claiming it directly
        const QStringList claimed = f.calls();
        QTest::keyClick(w->txtMyName, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(w->txtMyName, QStringLiteral("Lee"));
        today->SetCol(5);
        today->SetRow(3); // as the list showed it before the claim
        today->SetCellType(platform::SpreadGrid::CellTypeButton);
        today->SetText(5, 3, QString());
        pressAnswerButton(w, 3);
        QCOMPARE(f.prompter->lastMessage().text, QStringLiteral("이미 다른 사람이 눌렀습니다."));
        auto other = dao::Database::open(f.dbFile);
        QCOMPARE(FrmTelList::ClaimCall(other.get(), 8, QStringLiteral("Lee")), qint64(0));
        QCOMPARE(f.calls(), claimed);
    }

    // Whatever the answer holds, the window and the claim judge it alike: a row shows its
    // button exactly when its claim succeeds. Only white space and an empty value are no
    // answer; every other character is one, the invisible ones too (a byte-order mark, a
    // zero-width space, a soft hyphen, a word joiner), as are values that are no text.
    void everyAnswerIsJudgedAlikeByWindowAndClaim()
    {
        Fixture f(QStringLiteral(
            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 65535)"
            " INSERT INTO tellist (seq, sdate, stime, stel, cname, sdam)"
            " SELECT i, '2024-03-20', '09:00:00', '0311112222', '', char(i) FROM n WHERE i NOT BETWEEN 55296 AND 57343;"
            "INSERT INTO tellist (seq, sdate, stime, stel, cname, sdam) VALUES"
            " (70001, '2024-03-20', '09:00:00', '0311112222', '', char(65279, 32, 12288)),"
            " (70002, '2024-03-20', '09:00:00', '0311112222', '', char(32, 65279)),"
            " (70003, '2024-03-20', '09:00:00', '0311112222', '', CAST(x'efbbbf' AS TEXT)),"
            " (70004, '2024-03-20', '09:00:00', '0311112222', '', x'efbbbf'),"
            " (70005, '2024-03-20', '09:00:00', '0311112222', '', x''),"
            " (70006, '2024-03-20', '09:00:00', '0311112222', '', CAST(x'ff' AS TEXT)),"
            " (70007, '2024-03-20', '09:00:00', '0311112222', '', 0),"
            " (70008, '2024-03-20', '09:00:00', '0311112222', '', char(0)),"
            " (70009, '2024-03-20', '09:00:00', '0311112222', '', char(128512)),"
            " (70010, '2024-03-20', '09:00:00', '0311112222', '', char(9, 12288, 8233, 160));"));
        f.openDb();
        FrmTelList* w = openList();
        platform::SpreadGrid* today = w->spList[0];
        const int rows = today->MaxRows();
        QCOMPARE(rows, 65535 - 2048 + 10);
        w->txtMyName->setText(QStringLiteral("Kim"));
        const auto isButton = [today](int row) {
            today->SetCol(5);
            today->SetRow(row);
            return today->CellType() == int(platform::SpreadGrid::CellTypeButton);
        };
        QList<int> open, answered;
        for (int row = 1; row <= rows; ++row)
            (isButton(row) ? open : answered) << row;
        // every button claims its call at the first press, with no message
        QStringList openSeqs;
        for (int row : open) {
            const QString seq = today->GetText(6, row);
            openSeqs << seq;
            f.prompter->clear();
            w->spList_ButtonClicked(0, 5, row, 0);
            QVERIFY2(f.prompter->messages().isEmpty(),
                     qPrintable(QStringLiteral("seq %1: %2").arg(seq, f.prompter->lastMessage().text)));
            QCOMPARE(today->GetText(5, row), QStringLiteral("Kim"));
        }
        // white space, and nothing else, is open: the byte-order mark and its kin are answers
        QVERIFY(openSeqs.contains(QStringLiteral("32")));
        QVERIFY(openSeqs.contains(QStringLiteral("12288")));
        QVERIFY(openSeqs.contains(QStringLiteral("70010")));
        QVERIFY(openSeqs.contains(QStringLiteral("70005"))); // an empty value
        for (const char* seq : {"65279", "8203", "8204", "8205", "8288", "173", "6158", "70001", "70002", "70003",
                                "70004", "70006", "70007", "70008", "70009"})
            QVERIFY2(!openSeqs.contains(QLatin1String(seq)), seq);
        // and no row without a button can be claimed
        dao::Transaction tx(*gDB); // rolled back
        for (int row : answered) {
            const qint64 seq = today->GetText(6, row).toLongLong();
            QVERIFY2(FrmTelList::ClaimCall(gDB.get(), seq, QStringLiteral("Lee")) == 0, qPrintable(QString::number(seq)));
        }
    }

    void claimWritesTheNameOnce()
    {
        Fixture f(QString::fromUtf8(kCalls));
        f.openDb();
        FrmTelList* w = openList();
        w->txtMyName->setText(QStringLiteral("O'Neil")); // a quote is a name like any other
        w->spList_ButtonClicked(0, 5, 3, 0);             // row 3: seq 1
        QCOMPARE(f.prompter->messages().size(), 0);
        QCOMPARE(f.calls().at(0), QStringLiteral("2024-03-20|09:00:00|0255551234|김상회|O'Neil"));
        platform::SpreadGrid* today = w->spList[0];
        QCOMPARE(today->GetText(5, 3), QStringLiteral("O'Neil"));
        today->SetCol(5);
        today->SetRow(3);
        QCOMPARE(today->CellType(), int(platform::SpreadGrid::CellTypeEdit));
        QCOMPARE(w->spList[2]->GetText(5, 1), QStringLiteral("1"));
        QCOMPARE(w->spList[2]->GetText(3, 1), QStringLiteral("0255551234"));
        // pressing again does nothing
        w->spList_ButtonClicked(0, 5, 3, 0);
        QCOMPARE(f.prompter->messages().size(), 0);
    }

    void secondClaimerLoses()
    {
        Fixture f(QString::fromUtf8(kCalls));
        f.openDb();
        // two workstations on the same file: the database decides
        auto other = dao::Database::open(f.dbFile);
        QCOMPARE(FrmTelList::ClaimCall(other.get(), 1, QStringLiteral("이순신")), qint64(1));
        QCOMPARE(FrmTelList::ClaimCall(gDB.get(), 1, QStringLiteral("홍길동")), qint64(0));
        QCOMPARE(FrmTelList::ClaimCall(gDB.get(), 3, QStringLiteral("홍길동")), qint64(1)); // no value counts as empty
        QCOMPARE(f.calls().at(0).section(QLatin1Char('|'), 4), QStringLiteral("이순신"));
        QCOMPARE(f.calls().at(2).section(QLatin1Char('|'), 4), QStringLiteral("홍길동"));

        // the window was filled before another workstation claimed seq 6's sibling row
        FrmTelList* w = FrmTelList::Load();
        w->txtMyName->setText(QStringLiteral("홍길동"));
        f.prompter->clear();
        QCOMPARE(w->spList[0]->GetText(6, 3), QStringLiteral("1"));
        w->spList[0]->SetText(5, 3, QString()); // as shown before the other claim
        w->spList_ButtonClicked(0, 5, 3, 0);
        QCOMPARE(f.prompter->lastMessage().text, QStringLiteral("이미 다른 사람이 눌렀습니다."));
        QCOMPARE(f.calls().at(0).section(QLatin1Char('|'), 4), QStringLiteral("이순신"));

        // a locked file makes the claim fail with the claim's own message, nothing else
        auto locker = dao::Database::open(f.dbFile);
        locker->setBusyTimeout(0);
        gDB->setBusyTimeout(0);
        locker->beginImmediate();
        QCOMPARE(FrmTelList::ClaimCall(gDB.get(), 6, QStringLiteral("홍길동")), qint64(0));
        locker->rollback();
    }

    void liveRowClaimsTheNewestStoredCall()
    {
        Fixture f(QString::fromUtf8(kCalls));
        f.openDb();
        FrmTelList* w = openList();
        w->txtMyName->setText(QStringLiteral("홍길동"));
        // another workstation stored a new call from 0311112222 and this one shows it live
        gDB->execute(QStringLiteral("INSERT INTO tellist (sdate, stime, stel, cname, sdam) VALUES"
                                    " ('2024-03-20', '14:00:00', '0311112222', '', '')"));
        w->AddNewCall(QStringLiteral("2024-03-20"), QStringLiteral("14:00:00"), QStringLiteral("0311112222"), QString());
        QCOMPARE(w->spList[0]->MaxRows(), 4);
        QCOMPARE(w->spList[0]->GetText(6, 1), QString());
        QCOMPARE(w->spList[1]->GetText(3, 1), QStringLiteral("0311112222"));
        w->spList[0]->SetText(6, 1, QStringLiteral("1e30")); // no seq either
        w->spList_ButtonClicked(0, 5, 1, 0);
        QCOMPARE(f.prompter->messages().size(), 0);
        QCOMPARE(f.calls().last(), QStringLiteral("2024-03-20|14:00:00|0311112222||홍길동"));
        QCOMPARE(f.calls().at(5).section(QLatin1Char('|'), 4), QString()); // the older call stays open
        QCOMPARE(w->spList[2]->GetText(5, 1), QStringLiteral("7"));
        // a live row whose call is not stored (yet)
        w->AddNewCall(QStringLiteral("2024-03-20"), QStringLiteral("14:10:00"), QStringLiteral("0100000000"), QString());
        w->spList_ButtonClicked(0, 5, 1, 0);
        QCOMPARE(f.prompter->lastMessage().text, QStringLiteral("아직 저장되지 않은 전화입니다. 잠시 후 다시 누르세요."));
    }
};

QTEST_MAIN(tst_FrmTelList)
#include "tst_FrmTelList.moc"
