#include "callerid/IncomingCall.h"

#include "frame/modCommon.h"
#include "frame/modMain.h"
#include "platform/Database.h"
#include "platform/Recordset.h"
#include "platform/SqlText.h"

#include <QHash>

#include <algorithm>

namespace {

constexpr int kMaxTelNoChars = 20; // tellist.stel

bool isControl(QChar c) { return c.category() == QChar::Other_Control; }

} // namespace

bool IsPossibleTelNo(const QString& text)
{
    if (text.size() > kMaxTelNoChars)
        return false;
    for (QChar c : text)
        if (isControl(c))
            return false;
    return true;
}

QString DroppedPayloadText(const QString& text)
{
    constexpr int kShown = 24;
    QString shown;
    for (QChar c : text.left(kShown)) {
        if (isControl(c))
            shown += QStringLiteral("\\x%1").arg(c.unicode(), 2, 16, QLatin1Char('0'));
        else
            shown += c;
    }
    if (text.size() > kShown)
        shown += QStringLiteral("...");
    return QStringLiteral("dropped (%1 characters): ").arg(text.size()) + shown;
}

namespace {

const char* const kTelColumns[] = {"tel", "tel2", "tel3", "tel4", "tel5", "tel6", "phone"};

// A number of Korea given as its national digits, read by the same rule as the caller's.
void addNational(QList<TelNoReading>& readings, const QString& national)
{
    QString local;
    FormatCallerTelNo(national, local);
    if (!local.isEmpty())
        readings.append({local, national});
}

QString digitsOf(const QString& text)
{
    QString digits;
    for (QChar c : text)
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits += c;
    return digits;
}

} // namespace

QList<TelNoReading> ReadTelNoForLookup(const QString& number)
{
    QString text;
    text.reserve(number.size());
    for (QChar c : number)
        text += NarrowTelChar(c);
    text = text.trimmed();
    if (text.startsWith(QLatin1String("tel:"), Qt::CaseInsensitive))
        text = text.mid(4).trimmed();
    const QString digits = digitsOf(text);
    QList<TelNoReading> readings;
    // the digits from the country code on, in each way the prefix may be read
    QStringList international;
    if (text.startsWith(QLatin1Char('+'))) {
        international << digits;
    } else if (digits.startsWith(QLatin1String("00"))) {
        international << digits.mid(2);
        // the international prefixes of the Korean carriers: 001, 002, 005, 006, 008, 00700, 00300
        if (!digits.startsWith(QLatin1String("0082"))) {
            if (digits.size() > 2 && QStringLiteral("12568").contains(digits.at(2)))
                international << digits.mid(3);
            if (digits.startsWith(QLatin1String("007")) || digits.startsWith(QLatin1String("003")))
                international << digits.mid(5);
        }
    } else {
        addNational(readings, digits);
        return readings;
    }
    for (const QString& i : std::as_const(international)) {
        if (i.size() <= 2)
            continue;
        if (i.startsWith(QLatin1String("82")))
            addNational(readings, i.at(2) == QLatin1Char('0') ? i.mid(2) : QLatin1Char('0') + i.mid(2));
        else
            readings.append({QLatin1Char('+') + i, QLatin1Char('+') + i});
    }
    return readings;
}

bool TelNoMatches(const QList<TelNoReading>& caller, const QString& stored, bool* exact)
{
    if (exact)
        *exact = false;
    if (stored.trimmed().isEmpty())
        return false;
    bool matches = false;
    for (const TelNoReading& s : ReadTelNoForLookup(stored))
        for (const TelNoReading& c : caller)
            if (s.local == c.local) {
                matches = true;
                if (s.whole == c.whole) {
                    if (exact)
                        *exact = true;
                    return true;
                }
            }
    return matches;
}

QString CallerLookupSql(const QString& number, QVariantList& params)
{
    // The stored numbers keep the text they were typed with (hyphens, blanks, brackets,
    // "+1", "+82"): the statement picks, by their digits, the few that end with the caller's
    // shortest local part, and ReadCaller judges those by the whole rule.
    QString digits;
    bool first = true;
    for (const TelNoReading& r : ReadTelNoForLookup(number)) {
        const QString d = digitsOf(r.local);
        if (first || d.size() < digits.size())
            digits = d;
        first = false;
    }
    QStringList conditions;
    params.clear();
    for (const char* col : kTelColumns) {
        conditions << QStringLiteral("DIGITSENDWITH(maechul.%1, ?)").arg(QLatin1String(col));
        params << digits;
    }
    return QStringLiteral(
               "SELECT DISTINCT ifnull(total.pro_name, '') || '(' || ifnull(total.maechul_date, '') || ')' AS PName,"
               " total.maechul_date, maechul.name AS MName, maechul.tel, maechul.memo, maechul.phone,"
               " maechul.zipcode, maechul.address, maechul.id,"
               " maechul.tel2, maechul.tel3, maechul.tel4, maechul.tel5, maechul.tel6"
               " FROM maechul LEFT JOIN total ON total.maechul_code = maechul.id"
               " WHERE (")
        + conditions.join(QStringLiteral(" OR "))
        + QStringLiteral(") ORDER BY total.maechul_date DESC, maechul.id, PName");
}

CallerInfo ReadCaller(dao::Recordset& rs, const QString& number)
{
    const QList<TelNoReading> caller = ReadTelNoForLookup(number);
    enum Judged { NoMatch, Match, Exact };
    QHash<qint64, Judged> judged; // per party
    CallerInfo c, exactParty;
    QStringList products;
    QList<qint64> order;
    QHash<qint64, QString> names;
    const int idField = rs.fieldIndex(QStringLiteral("id"));
    const auto readParty = [&rs, idField](CallerInfo& p) {
        p.found = true;
        p.name = rs.text(QStringLiteral("MName"));
        p.tel = rs.text(QStringLiteral("tel"));
        p.phone = rs.text(QStringLiteral("phone"));
        p.zipcode = rs.text(QStringLiteral("zipcode"));
        p.address = rs.text(QStringLiteral("address"));
        p.memo = rs.text(QStringLiteral("memo"));
        p.id = rs.toInt64(idField);
    };
    for (; !rs.eof(); rs.moveNext()) {
        const qint64 id = rs.toInt64(idField);
        auto it = judged.find(id);
        if (it == judged.end()) {
            Judged j = NoMatch;
            for (const char* col : kTelColumns) {
                bool exact = false;
                if (TelNoMatches(caller, rs.text(QLatin1String(col)), &exact))
                    j = std::max(j, exact ? Exact : Match);
            }
            it = judged.insert(id, j);
            if (j != NoMatch) {
                order << id;
                names.insert(id, rs.text(QStringLiteral("MName")));
            }
        }
        if (*it == NoMatch)
            continue;
        if (!c.found)
            readParty(c);
        if (*it == Exact && !exactParty.found)
            readParty(exactParty);
        products << rs.text(QStringLiteral("PName"));
    }
    if (exactParty.found)
        c = exactParty;
    if (!c.found)
        return c;
    c.products = products.join(QStringLiteral(", "));
    c.parties << c.name;
    for (qint64 id : std::as_const(order))
        if (id != c.id)
            c.parties << names.value(id);
    return c;
}

QString CallHistoryLine(const QString& formatted, const QDateTime& when, const QString& name, const QString& sales)
{
    QString number = formatted.leftJustified(15, QLatin1Char(' '));
    if (formatted.size() >= 15)
        number = formatted + QLatin1Char(' ');
    return number + when.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QLatin1Char(' ') + name
        + QStringLiteral(" [제품: ") + sales + QLatin1Char(']');
}

QString NumberOfHistoryLine(const QString& line)
{
    QString column = line.left(15);
    // A number longer than the column runs on to the blank after it.
    if (line.size() > 15 && !column.contains(QLatin1Char(' ')) && line.at(15) != QLatin1Char(' ')) {
        const int blank = line.indexOf(QLatin1Char(' '), 15);
        column = blank < 0 ? line : line.left(blank);
    }
    return column.trimmed().remove(QLatin1Char('-'));
}

QString WaitingCallersTip(const QString& notice, const QStringList& callers, int linesPerColumn, int columns)
{
    linesPerColumn = std::max(linesPerColumn, 2);
    const qsizetype room = qsizetype(linesPerColumn) * std::max(columns, 1);
    QStringList lines;
    for (const QString& c : callers.mid(0, callers.size() > room ? room - 1 : room))
        lines << c.toHtmlEscaped();
    if (callers.size() > room)
        lines << QStringLiteral("외 %1건").arg(callers.size() - lines.size());
    QString html = QStringLiteral("<p style=\"white-space:pre\">") + notice.toHtmlEscaped()
        + QStringLiteral("</p><table cellspacing=\"0\" cellpadding=\"0\"><tr>");
    for (qsizetype first = 0; first < lines.size(); first += linesPerColumn)
        html += QStringLiteral("<td style=\"white-space:pre; padding-right:16px\" valign=\"top\">")
            + lines.mid(first, linesPerColumn).join(QStringLiteral("<br>")) + QStringLiteral("</td>");
    return html + QStringLiteral("</tr></table>");
}

qint64 InsertCallRecord(dao::Database& db, const QString& sdate, const QString& stime, const QString& stel,
                        const QString& cname)
{
    db.execute(QStringLiteral("INSERT INTO tellist (sdate, stime, stel, cname, sdam) VALUES (?, ?, ?, ?, '')"),
               {sdate, stime, stel, cname});
    return db.lastInsertId();
}

ScopedLockWait::ScopedLockWait(dao::Database& db, int milliseconds) : m_db(db), m_before(db.busyTimeout())
{
    m_db.setBusyTimeout(milliseconds);
}

ScopedLockWait::~ScopedLockWait() { m_db.setBusyTimeout(m_before); }

CallRecordQueue::CallRecordQueue(QObject* parent) : QObject(parent)
{
    m_retry.setSingleShot(true);
    m_retry.setInterval(kCallRetryMs);
    connect(&m_retry, &QTimer::timeout, this, [this] { writeWaiting(kCallRetryWaitMs); });
}

qint64 CallRecordQueue::write(const Call& call, int waitMs)
{
    if (!gDB)
        throw dao::DaoError(dao::errObjectNotSet, QStringLiteral("Object variable or With block variable not set"));
    // A transaction of this workstation's own (a print filling its table) is not the call's:
    // written inside it, the call would go with it when it is rolled back.
    if (gDB->inTransaction())
        return 0;
    try {
        ScopedLockWait brief(*gDB, waitMs);
        return InsertCallRecord(*gDB, call.sdate, call.stime, call.stel, call.cname);
    } catch (const dao::DaoError& e) {
        if (e.number() == dao::errLocked)
            return 0;
        throw;
    }
}

qint64 CallRecordQueue::add(const Call& call)
{
    if (m_waiting.isEmpty() && !m_writing)
        if (const qint64 seq = write(call, kCallLockWaitMs))
            return seq;
    queue(call);
    return 0;
}

bool CallRecordQueue::isWaiting(const QString& sdate, const QString& stime, const QString& stel) const
{
    return std::any_of(m_waiting.cbegin(), m_waiting.cend(), [&](const Call& c) {
        return c.sdate == sdate && c.stime == stime && c.stel == stel;
    });
}

void CallRecordQueue::queue(const Call& call)
{
    m_waiting.append(call);
    if (!m_writing)
        m_retry.start();
}

QList<CallRecordQueue::Call> CallRecordQueue::writeWaiting(int waitMs)
{
    QList<Call> givenUp;
    if (m_writing)
        return givenUp;
    m_writing = true;
    while (!m_waiting.isEmpty()) {
        try {
            const qint64 seq = write(m_waiting.first(), waitMs);
            if (!seq)
                break;
            const Call call = m_waiting.takeFirst();
            if (m_onStored)
                m_onStored(call, seq);
        } catch (const dao::DaoError& e) {
            givenUp << m_waiting.takeFirst();
            if (m_onError)
                m_onError(e);
        }
    }
    m_writing = false;
    if (!m_waiting.isEmpty())
        m_retry.start();
    return givenUp;
}

QList<CallRecordQueue::Call> CallRecordQueue::flush(QDeadlineTimer deadline)
{
    m_retry.stop();
    QList<Call> notWritten;
    while (!m_waiting.isEmpty()) {
        const Call call = m_waiting.takeFirst();
        try {
            if (!gDB)
                throw dao::DaoError(dao::errObjectNotSet, QStringLiteral("Object variable or With block variable not set"));
            // what is left of the one wait; once it is spent, no call waits any more
            ScopedLockWait rest(*gDB, int(qMax<qint64>(0, deadline.remainingTime())));
            const qint64 seq = InsertCallRecord(*gDB, call.sdate, call.stime, call.stel, call.cname);
            if (m_onStored)
                m_onStored(call, seq);
        } catch (const dao::DaoError&) {
            notWritten << call;
        }
    }
    return notWritten;
}
