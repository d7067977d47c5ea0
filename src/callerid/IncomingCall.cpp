#include "callerid/IncomingCall.h"

#include "frame/modMain.h"
#include "platform/Database.h"
#include "platform/Recordset.h"
#include "platform/SqlText.h"

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

QString CallerLookupSql(const QString& local, QVariantList& params)
{
    static const char* const telColumns[] = {"tel", "tel2", "tel3", "tel4", "tel5", "tel6", "phone"};
    // The numbers are compared by their digits: a party's number keeps the text it was
    // typed with (hyphens, blanks, brackets, "+1", "+82"), and the area code takes no part.
    QString digits;
    for (QChar c : local)
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits += c;
    QStringList conditions;
    params.clear();
    for (const char* col : telColumns) {
        conditions << QStringLiteral("DIGITSENDWITH(maechul.%1, ?)").arg(QLatin1String(col));
        params << digits;
    }
    return QStringLiteral(
               "SELECT DISTINCT ifnull(total.pro_name, '') || '(' || ifnull(total.maechul_date, '') || ')' AS PName,"
               " total.maechul_date, maechul.name AS MName, maechul.tel, maechul.memo, maechul.phone,"
               " maechul.zipcode, maechul.address, maechul.id"
               " FROM maechul LEFT JOIN total ON total.maechul_code = maechul.id"
               " WHERE (")
        + conditions.join(QStringLiteral(" OR ")) + QStringLiteral(") ORDER BY total.maechul_date DESC");
}

CallerInfo ReadCaller(dao::Recordset& rs)
{
    CallerInfo c;
    if (rs.eof())
        return c;
    c.found = true;
    c.name = rs.text(QStringLiteral("MName"));
    c.tel = rs.text(QStringLiteral("tel"));
    c.phone = rs.text(QStringLiteral("phone"));
    c.zipcode = rs.text(QStringLiteral("zipcode"));
    c.address = rs.text(QStringLiteral("address"));
    c.memo = rs.text(QStringLiteral("memo"));
    c.id = rs.toInt64(rs.fieldIndex(QStringLiteral("id")));
    c.products = rs.text(QStringLiteral("PName"));
    for (rs.moveNext(); !rs.eof(); rs.moveNext())
        c.products += QStringLiteral(", ") + rs.text(QStringLiteral("PName"));
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
    connect(&m_retry, &QTimer::timeout, this, &CallRecordQueue::writeWaiting);
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

void CallRecordQueue::writeWaiting()
{
    if (m_writing)
        return;
    m_writing = true;
    while (!m_waiting.isEmpty()) {
        try {
            const qint64 seq = write(m_waiting.first(), kCallRetryWaitMs);
            if (!seq)
                break;
            const Call call = m_waiting.takeFirst();
            if (m_onStored)
                m_onStored(call, seq);
        } catch (const dao::DaoError& e) {
            m_waiting.removeFirst();
            if (m_onError)
                m_onError(e);
        }
    }
    m_writing = false;
    if (!m_waiting.isEmpty())
        m_retry.start();
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
