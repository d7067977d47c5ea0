#include "callerid/FrmTelList.h"

#include "callerid/IncomingCall.h"
#include "frame/modDao.h"
#include "frame/modGlobal.h"
#include "frame/modMain.h"
#include "frame/modMsgBox.h"
#include "frame/modSpread60.h"
#include "platform/DaoError.h"
#include "platform/FormRegistry.h"
#include "platform/Prompter.h"
#include "platform/SettingsStore.h"
#include "platform/SpreadGrid.h"
#include "platform/SqlText.h"

#include <QCloseEvent>
#include <QDateTime>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSet>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

using platform::SpreadGrid;

namespace {

const QString kFormName = QStringLiteral("FrmTelList");

// Columns of grid 0 (today's calls).
enum : int { ColDate = 1, ColTime = 2, ColTel = 3, ColName = 4, ColAnswered = 5, ColSeq = 6 };

// A name or a text in a cell is blank when it is white space of any kind (blanks, tabs,
// line breaks, the wide blanks of Korean input).
bool isBlankAnswer(const QString& answer) { return answer.trimmed().isEmpty(); }

// Every character that isBlankAnswer passes over, for the statement's trim().
const QString& whiteSpaceCharacters()
{
    static const QString chars = [] {
        QString s;
        for (uint c = 1; c <= 0xFFFF; ++c)
            if (QChar::isSpace(c))
                s += QChar(char16_t(c));
        return s;
    }();
    return chars;
}

// Nobody has answered a call whose answer is white space of any kind (isBlankAnswer's
// characters, bound as the one value of the condition) or no value at all (rows of older
// files); any other character is an answer, an invisible one too. The stored value is
// judged by the statement itself, for the window's buttons as for the claim, so the two
// agree whatever becomes of the value on its way to the window.
const QString kNotAnswered = QStringLiteral("(sdam IS NULL OR trim(sdam, ?) = '')");

QString todayText() { return platform::today().toString(QStringLiteral("yyyy-MM-dd")); }

// Empties the grid, then copies the rows of the statement into it, one column per field.
// perRow, when given, is told of every row copied, with the recordset on it.
void fillGrid(SpreadGrid* g, const QString& sql, const QVariantList& params, const QStringList& fields,
              const char* procedure, const std::function<void(int, dao::Recordset&)>& perRow = {})
{
    g->SetMaxRows(0);
    RecordsetPtr rs;
    if (!DAO_OpenSnapshot(gDB, rs, sql, params))
        return;
    try {
        if (!rs->eof()) {
            rs->moveLast();
            g->SetMaxRows(int(rs->recordCount()));
            rs->moveFirst();
        }
        int row = 1;
        for (; !rs->eof(); rs->moveNext(), ++row) {
            for (int c = 0; c < fields.size(); ++c)
                g->SetText(c + 1, row, rs->text(fields[c]));
            if (perRow)
                perRow(row, *rs);
        }
    } catch (const dao::DaoError& e) {
        ShowProcError(e.number(), e.description(), QString::fromLatin1(procedure), QStringLiteral("Form"), kFormName);
    }
    CloseRS(rs);
    if (g->MaxRows() > 0)
        g->SetActiveCell(1, 1);
}

void setButtonCell(SpreadGrid* g, int col, int row)
{
    g->SetCol(col);
    g->SetRow(row);
    g->SetCellType(SpreadGrid::CellTypeButton);
}

// The width (in column units) that shows the longest of the common numbers whole in the
// grid's font: a 0505 number with hyphens (14 characters) and a mobile number with +82 (13),
// written with the font's widest digit.
double numberColWidth(SpreadGrid* g)
{
    const QFontMetricsF fm(g->font());
    QChar widest = QLatin1Char('0');
    for (char d = '1'; d <= '9'; ++d)
        if (fm.horizontalAdvance(QLatin1Char(d)) > fm.horizontalAdvance(widest))
            widest = QLatin1Char(d);
    const QString four(4, widest);
    double width = 0;
    g->SetMaxRows(1);
    for (const QString& sample : {four + QLatin1Char('-') + four + QLatin1Char('-') + four,
                                  QLatin1Char('+') + QString(12, widest)}) {
        g->SetText(ColTel, 1, sample);
        width = std::max(width, g->MaxTextCellWidth(ColTel, 1));
    }
    g->SetMaxRows(0);
    return width;
}

// widths: the columns' design widths. The number column (3) is widened to show the common
// numbers whole; the column giver gives up that width, so the grid keeps its width.
void designGrid(SpreadGrid* g, const QStringList& headers, QList<double> widths, int giver)
{
    g->SetMaxCols(headers.size() + 1); // the last column holds the call's key
    g->SetMaxRows(0);
    const double extra = std::max(0.0, numberColWidth(g) - widths[ColTel - 1]);
    widths[ColTel - 1] += extra;
    widths[giver - 1] -= extra;
    for (int c = 0; c < headers.size(); ++c) {
        g->SetText(c + 1, 0, headers[c]);
        g->SetColWidth(c + 1, widths.value(c, 10));
    }
    g->SetColHidden(headers.size() + 1, true);
    g->SetColWidth(0, 3.5);
}

} // namespace

FrmTelList* FrmTelList::Instance()
{
    return qobject_cast<FrmTelList*>(platform::FormRegistry::instance().find(kFormName));
}

FrmTelList* FrmTelList::Load()
{
    if (FrmTelList* w = Instance())
        return w;
    auto* w = new FrmTelList;
    w->Form_Load();
    return w;
}

FrmTelList::FrmTelList(QWidget* parent) : QWidget(parent, Qt::Window)
{
    setObjectName(kFormName);
    setWindowTitle(QStringLiteral("전화 리스트"));
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    platform::FormRegistry::instance().registerForm(this, kFormName);
}

FrmTelList::~FrmTelList()
{
    platform::FormRegistry::instance().unregisterForm(this);
}

void FrmTelList::closeEvent(QCloseEvent* e)
{
    platform::FormRegistry::instance().unregisterForm(this);
    e->accept();
}

void FrmTelList::buildControls()
{
    auto* top = new QHBoxLayout;
    top->addWidget(new QLabel(QStringLiteral("내이름:"), this));
    txtMyName = new QLineEdit(this);
    txtMyName->setObjectName(QStringLiteral("txtMyName"));
    txtMyName->setFixedWidth(110);
    top->addWidget(txtMyName);
    top->addSpacing(12);
    lblTot = new QLabel(this);
    lblTot->setObjectName(QStringLiteral("lblTot"));
    top->addWidget(lblTot);
    top->addStretch(1);
    cmdSum = new QPushButton(QStringLiteral("월집계"), this);
    cmdSum->setObjectName(QStringLiteral("cmdSum"));
    cmdClose = new QPushButton(QStringLiteral("닫기"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    top->addWidget(cmdSum);
    top->addWidget(cmdClose);

    static const char* const labels[3] = {"[전체 수신리스트]", "[고객의 최근 수신내역]", "[나의 최근 수신내역]"};
    QVBoxLayout* boxes[3];
    for (int i = 0; i < 3; ++i) {
        auto* head = new QHBoxLayout;
        head->addWidget(new QLabel(QString::fromUtf8(labels[i]), this));
        head->addStretch(1);
        cmdQuery[i] = new QPushButton(QStringLiteral("조회"), this);
        cmdQuery[i]->setObjectName(QStringLiteral("cmdQuery"));
        cmdQuery[i]->setProperty("Index", i);
        head->addWidget(cmdQuery[i]);
        spList[i] = new SpreadGrid(this);
        spList[i]->setObjectName(QStringLiteral("spList"));
        spList[i]->SetName(QStringLiteral("spList"));
        spList[i]->SetIndex(i);
        spList[i]->setProperty("Index", i);
        boxes[i] = new QVBoxLayout;
        boxes[i]->addLayout(head);
        boxes[i]->addWidget(spList[i], 1);
        connect(cmdQuery[i], &QPushButton::clicked, this, [this, i] { cmdQuery_Click(i); });
        connect(spList[i], &SpreadGrid::ButtonClicked, this,
                [this, i](int col, int row, int down) { spList_ButtonClicked(i, col, row, down); });
        connect(spList[i], &SpreadGrid::LeaveCell, this,
                [this, i](int col, int row, int newCol, int newRow, bool& cancel) {
                    spList_LeaveCell(i, col, row, newCol, newRow, cancel);
                });
    }
    designGrid(spList[0], {QStringLiteral("일자"), QStringLiteral("시간"), QStringLiteral("전화번호"),
                           QStringLiteral("고객명"), QStringLiteral("수신자")},
               {9, 7, 11, 13, 8}, 4);
    designGrid(spList[1], {QStringLiteral("일자"), QStringLiteral("시간"), QStringLiteral("전화번호"),
                           QStringLiteral("수신자")},
               {9, 7, 11, 8}, 4);
    designGrid(spList[2], {QStringLiteral("일자"), QStringLiteral("시간"), QStringLiteral("전화번호"),
                           QStringLiteral("고객명")},
               {9, 7, 11, 10}, 4);

    auto* right = new QVBoxLayout;
    right->addLayout(boxes[1], 1);
    right->addLayout(boxes[2], 1);
    auto* body = new QHBoxLayout;
    body->addLayout(boxes[0], 11);
    body->addLayout(right, 9);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(body, 1);
    resize(1020, 560);

    for (QPushButton* b : {cmdQuery[0], cmdQuery[1], cmdQuery[2], cmdSum, cmdClose})
        b->setAutoDefault(false);
    connect(cmdSum, &QPushButton::clicked, this, [this] { cmdSum_Click(); });
    connect(cmdClose, &QPushButton::clicked, this, [this] { close(); });
    connect(txtMyName, &QLineEdit::textChanged, this, [this] { txtMyName_Change(); });
}

void FrmTelList::Form_Load()
{
    m_loading = true;
    txtMyName->setText(platform::GetSetting(gsTitle, QStringLiteral("Config"), QStringLiteral("MyName")));
    m_loading = false;
    InitListGrids();
    cmdQuery_Click(0);
    cmdQuery_Click(2);
}

void FrmTelList::InitListGrids()
{
    CommonSpreadDesign(spList[0], true, true, true, false, true);
    CommonSpreadDesign(spList[1], true, true, true, true, true);
    CommonSpreadDesign(spList[2], true, true, true, true, true);
}

void FrmTelList::txtMyName_Change()
{
    if (!isVisible() || m_loading)
        return;
    platform::SaveSetting(gsTitle, QStringLiteral("Config"), QStringLiteral("MyName"), txtMyName->text());
}

void FrmTelList::cmdQuery_Click(int Index)
{
    switch (Index) {
    case 0: ShowTodayCalls(); break;
    case 1: ShowCallerHistory(spList[0]->ActiveRow()); break;
    case 2: ShowMyCalls(); break;
    default: break;
    }
}

void FrmTelList::cmdSum_Click()
{
    MsgPlain(QStringLiteral("개발중"));
}

void FrmTelList::ShowTodayCalls()
{
    SpreadGrid* g = spList[0];
    const QString openField = QStringLiteral("open");
    fillGrid(g,
             QStringLiteral("SELECT t.sdate, t.stime, t.stel, t.cname, t.sdam, t.seq, ") + kNotAnswered
                 + QStringLiteral(" AS open FROM tellist AS t"
                                  " WHERE t.sdate = ? ORDER BY t.sdate DESC, t.stime DESC, t.seq DESC"),
             {whiteSpaceCharacters(), todayText()},
             {QStringLiteral("sdate"), QStringLiteral("stime"), QStringLiteral("stel"), QStringLiteral("cname"),
              QStringLiteral("sdam"), QStringLiteral("seq")},
             "ShowTodayCalls", [&](int row, dao::Recordset& rs) {
                 if (rs.toInt64(rs.fieldIndex(openField)) != 0)
                     setButtonCell(g, ColAnswered, row);
             });
    listWaitingCalls();
    if (g->MaxRows() > 0) {
        g->SetActiveCell(1, 1);
        ShowCallerHistory(1);
    } else {
        spList[1]->SetMaxRows(0);
    }
}

void FrmTelList::ShowCallerHistory(int row)
{
    const QString cname = spList[0]->GetText(ColName, row);
    const QString stel = spList[0]->GetText(ColTel, row);
    // A caller with a name is followed by name across all numbers, one without by number.
    const QString where = cname.isEmpty() ? QStringLiteral(" WHERE stel = ?") : QStringLiteral(" WHERE cname = ?");
    fillGrid(spList[1],
             QStringLiteral("SELECT t.sdate, t.stime, t.stel, t.sdam, t.seq FROM tellist AS t") + where
                 + QStringLiteral(" ORDER BY t.sdate DESC, t.stime DESC, t.seq DESC LIMIT 20"),
             {cname.isEmpty() ? stel : cname},
             {QStringLiteral("sdate"), QStringLiteral("stime"), QStringLiteral("stel"), QStringLiteral("sdam"),
              QStringLiteral("seq")},
             "ShowCallerHistory");
}

void FrmTelList::ShowMyCalls()
{
    // A name of blanks is no name.
    const QString name = txtMyName->text().trimmed().isEmpty() ? QString() : txtMyName->text();
    // Without a name no call is this user's: the empty name is what every unanswered call
    // carries, and those are nobody's yet.
    qint64 today = 0, month = 0;
    if (!name.isEmpty()) {
        today = RecCount(gDB.get(), QStringLiteral("tellist"), QStringLiteral(" WHERE sdam = ? AND sdate = ?"),
                         {name, todayText()});
        month = RecCount(gDB.get(), QStringLiteral("tellist"),
                         QStringLiteral(" WHERE sdam = ? AND sdate LIKE ?") + QLatin1String(dao::kLikeEscape),
                         {name, dao::likeStartsWith(platform::today().toString(QStringLiteral("yyyy-MM")))});
    }
    lblTot->setText(QStringLiteral("금일:") + QString::number(today) + QStringLiteral("건, 금월:")
                    + QString::number(month) + QStringLiteral("건"));
    if (name.isEmpty()) {
        spList[2]->SetMaxRows(0);
        return;
    }
    fillGrid(spList[2],
             QStringLiteral("SELECT t.sdate, t.stime, t.stel, t.cname, t.seq FROM tellist AS t WHERE sdam = ?"
                            " ORDER BY t.sdate DESC, t.stime DESC, t.seq DESC LIMIT 20"),
             {name},
             {QStringLiteral("sdate"), QStringLiteral("stime"), QStringLiteral("stel"), QStringLiteral("cname"),
              QStringLiteral("seq")},
             "ShowMyCalls");
}

void FrmTelList::AddNewCall(const QString& sDate, const QString& sTime, const QString& sTelNo, const QString& sCust,
                            qint64 seq)
{
    SpreadGrid* g = spList[0];
    g->SetMaxRows(g->MaxRows() + 1);
    g->InsertRows(1, 1);
    g->SetText(ColDate, 1, sDate);
    g->SetText(ColTime, 1, sTime);
    g->SetText(ColTel, 1, sTelNo);
    g->SetText(ColName, 1, sCust);
    g->SetText(ColAnswered, 1, QString());
    g->SetText(ColSeq, 1, seq > 0 ? QString::number(seq) : QString());
    g->SetActiveCell(1, 1);
    g->SetTopRow(1);
    setButtonCell(g, ColAnswered, 1);
    ShowCallerHistory(1);
}

void FrmTelList::CallStored(const QString& sDate, const QString& sTime, const QString& sTelNo, qint64 seq)
{
    SpreadGrid* g = spList[0];
    for (int r = g->MaxRows(); r >= 1; --r) {
        if (g->GetText(ColSeq, r).isEmpty() && g->GetText(ColTel, r) == sTelNo && g->GetText(ColTime, r) == sTime
            && g->GetText(ColDate, r) == sDate) {
            g->SetText(ColSeq, r, QString::number(seq));
            return;
        }
    }
}

void FrmTelList::SetCallRecords(CallRecordQueue* records)
{
    if (records == m_callRecords)
        return;
    m_callRecords = records;
    listWaitingCalls();
}

void FrmTelList::listWaitingCalls()
{
    // Calls still on their way to the table are not read from it: they are listed as a
    // call that arrives while the list is open, the newest on top, and get their key when
    // stored.
    if (m_callRecords)
        for (const CallRecordQueue::Call& c : m_callRecords->waiting())
            AddNewCall(c.sdate, c.stime, c.stel, c.cname);
}

void FrmTelList::spList_LeaveCell(int Index, int Col, int Row, int NewCol, int NewRow, bool& Cancel)
{
    Q_UNUSED(Col);
    Q_UNUSED(NewCol);
    Q_UNUSED(Cancel);
    if (Index == 0 && NewRow != Row && NewRow >= 1)
        ShowCallerHistory(NewRow);
}

qint64 FrmTelList::ClaimCall(dao::Database* db, qint64 seq, const QString& name)
{
    if (!db)
        return 0;
    try {
        return db->execute(QStringLiteral("UPDATE tellist SET sdam = ? WHERE seq = ? AND ") + kNotAnswered,
                           {name, seq, whiteSpaceCharacters()});
    } catch (const dao::DaoError&) {
        return 0;
    }
}

bool FrmTelList::findRecordOfLiveRow(int row, qint64& seq, bool& open)
{
    seq = 0;
    open = false;
    SpreadGrid* g = spList[0];
    const auto momentOf = [](const QString& date, const QString& time) {
        return QDateTime(QDate::fromString(date, QStringLiteral("yyyy-MM-dd")),
                         QTime::fromString(time, QStringLiteral("HH:mm:ss")), Qt::UTC); // wall-clock moments
    };
    const QString stel = g->GetText(ColTel, row);
    const QDateTime moment = momentOf(g->GetText(ColDate, row), g->GetText(ColTime, row));
    if (!moment.isValid())
        return true;
    // The records other rows list are other calls. The live rows of the number and the
    // records nobody lists stand for one another in the order the calls came in: they are
    // paired in that order, a row only with a record within the clocks' difference, as many
    // pairs as can be and, of those pairings, the one whose moments lie nearest (on a tie
    // the older row first, as the calls are stored in turn). So two calls of one number a
    // few seconds apart are told apart whichever clock runs ahead.
    struct Moment {
        QDateTime at;
        qint64 seq = 0; // a record's key; 0 for a row
        bool open = false;
        bool pressed = false;
    };
    QSet<qint64> listed;
    QList<Moment> rows, records;
    const QDateTime from = moment.addDays(-1), to = moment.addDays(1);
    for (int r = g->MaxRows(); r >= 1; --r) { // oldest first
        if (const qint64 other = g->GetText(ColSeq, r).toLongLong(); other > 0)
            listed.insert(other);
        else if (r == row)
            rows << Moment{moment, 0, false, true};
        else if (g->GetText(ColTel, r) == stel) {
            const QDateTime at = momentOf(g->GetText(ColDate, r), g->GetText(ColTime, r));
            if (at.isValid() && at >= from && at <= to)
                rows << Moment{at, 0, false, false};
        }
    }
    RecordsetPtr rs;
    if (!DAO_OpenSnapshot(gDB, rs,
                          QStringLiteral("SELECT t.seq, ") + kNotAnswered
                              + QStringLiteral(" AS open, t.sdate, t.stime FROM tellist AS t"
                                               " WHERE stel = ? AND sdate >= ? AND sdate <= ? ORDER BY seq"),
                          {whiteSpaceCharacters(), stel, from.toString(QStringLiteral("yyyy-MM-dd")),
                           to.toString(QStringLiteral("yyyy-MM-dd"))}))
        return false;
    try {
        for (; !rs->eof(); rs->moveNext()) {
            const qint64 candidate = rs->toInt64(0);
            const QDateTime at = momentOf(rs->text(2), rs->text(3));
            if (!listed.contains(candidate) && at.isValid())
                records << Moment{at, candidate, rs->toInt64(1) != 0, false};
        }
    } catch (const dao::DaoError& e) {
        CloseRS(rs);
        ShowProcError(e.number(), e.description(), QStringLiteral("spList_ButtonClicked"), QStringLiteral("Form"),
                      kFormName);
        return false;
    }
    CloseRS(rs);
    const auto earlier = [](const Moment& a, const Moment& b) { return a.at < b.at; };
    std::stable_sort(rows.begin(), rows.end(), earlier);
    std::stable_sort(records.begin(), records.end(), earlier);

    // best[i][j]: the best pairing of the first i rows with the first j records
    struct Pairing {
        int pairs = 0;
        qint64 apart = 0;
        bool betterThan(const Pairing& o) const { return pairs != o.pairs ? pairs > o.pairs : apart < o.apart; }
    };
    enum Step : char { SkipRow, SkipRecord, Pair };
    const qsizetype n = rows.size(), m = records.size();
    std::vector<std::vector<Pairing>> best(n + 1, std::vector<Pairing>(m + 1));
    std::vector<std::vector<Step>> step(n + 1, std::vector<Step>(m + 1, SkipRow));
    for (qsizetype i = 1; i <= n; ++i)
        for (qsizetype j = 1; j <= m; ++j) {
            best[i][j] = best[i - 1][j];
            if (best[i][j - 1].betterThan(best[i][j])) {
                best[i][j] = best[i][j - 1];
                step[i][j] = SkipRecord;
            }
            const qint64 apart = qAbs(rows[i - 1].at.secsTo(records[j - 1].at));
            const Pairing paired{best[i - 1][j - 1].pairs + 1, best[i - 1][j - 1].apart + apart};
            if (apart <= kClaimClockToleranceSecs && paired.betterThan(best[i][j])) {
                best[i][j] = paired;
                step[i][j] = Pair;
            }
        }
    for (qsizetype i = n, j = m; i > 0 && j > 0;) {
        if (step[i][j] == Pair) {
            if (rows[i - 1].pressed) {
                seq = records[j - 1].seq;
                open = records[j - 1].open;
                break;
            }
            --i;
            --j;
        } else if (step[i][j] == SkipRecord) {
            --j;
        } else {
            --i;
        }
    }
    return true;
}

void FrmTelList::spList_ButtonClicked(int Index, int Col, int Row, int ButtonDown)
{
    Q_UNUSED(ButtonDown);
    if (Index != 0 || Col != ColAnswered || Row < 1)
        return;
    SpreadGrid* g = spList[0];
    // A name of blanks is no name, and a call that such a name took is still unanswered.
    if (txtMyName->text().trimmed().isEmpty()) {
        MsgInfo(QStringLiteral("먼저 자신의 이름을 입력하세요."));
        txtMyName->setFocus();
        return;
    }
    if (!isBlankAnswer(g->GetText(ColAnswered, Row)))
        return;
    // A number out of the 64-bit range is no seq, as an empty or other text is.
    const double seqValue = g->GetText(ColSeq, Row).trimmed().toDouble();
    const qint64 rowSeq = std::fabs(seqValue) < 9.2e18 ? qRound64(seqValue) : 0;

    // A call of this workstation listed before its record could be stored is claimed with
    // that record only, once it exists.
    if (rowSeq < 1 && m_callRecords
        && m_callRecords->isWaiting(g->GetText(ColDate, Row), g->GetText(ColTime, Row), g->GetText(ColTel, Row))) {
        MsgInfo(QStringLiteral("아직 저장되지 않은 전화입니다. 잠시 후 다시 누르세요."));
        return;
    }

    qint64 seq = 0;
    bool open = false;
    if (rowSeq < 1) {
        // A call listed live (another workstation's, or one of this workstation's given up)
        // is claimed with its own record only, once it exists.
        if (!findRecordOfLiveRow(Row, seq, open))
            return;
        if (seq == 0) {
            MsgInfo(QStringLiteral("아직 저장되지 않은 전화입니다. 잠시 후 다시 누르세요."));
            return;
        }
    } else {
        RecordsetPtr rs;
        if (!DAO_OpenSnapshot(gDB, rs,
                              QStringLiteral("SELECT t.seq, ") + kNotAnswered
                                  + QStringLiteral(" AS open FROM tellist AS t WHERE seq = ?"),
                              {whiteSpaceCharacters(), rowSeq}))
            return;
        try {
            if (!rs->eof()) {
                seq = rs->toInt64(0);
                open = rs->toInt64(1) != 0;
            }
        } catch (const dao::DaoError& e) {
            CloseRS(rs);
            ShowProcError(e.number(), e.description(), QStringLiteral("spList_ButtonClicked"), QStringLiteral("Form"),
                          kFormName);
            return;
        }
        CloseRS(rs);
        if (seq == 0) {
            MsgInfo(QStringLiteral("이미 다른 사람이 눌렀거나 해당자료를 찾을 수 없습니다."));
            return;
        }
    }
    if (!open) {
        MsgInfo(QStringLiteral("이미 다른 사람이 눌렀습니다."));
        return;
    }

    const QString name = txtMyName->text();
    if (ClaimCall(gDB.get(), seq, name) >= 1) {
        g->SetCol(ColAnswered);
        g->SetRow(Row);
        g->SetCellType(SpreadGrid::CellTypeEdit);
        g->SetTypeHAlign(SpreadGrid::HAlignCenter);
        g->SetTypeVAlign(SpreadGrid::VAlignCenter);
        g->SetText(ColAnswered, Row, name);
        g->SetText(ColSeq, Row, QString::number(seq));
        SpreadGrid* mine = spList[2];
        mine->SetMaxRows(mine->MaxRows() + 1);
        mine->InsertRows(1, 1);
        for (int c = 1; c <= 4; ++c)
            mine->SetText(c, 1, g->GetText(c, Row));
        mine->SetText(5, 1, QString::number(seq));
    } else {
        MsgInfo(QStringLiteral("자료 처리중 오류가 발생했습니다."));
    }
}
