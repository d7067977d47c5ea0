#pragma once
#include <QDateTime>
#include <QDeadlineTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>
#include <QVariantList>
#include <functional>

namespace dao { class Database; class Recordset; class DaoError; }

// What the main window does with an incoming caller's number, outside the window: the
// caller lookup among the sales parties, the caller-history line and the call record.

// The caller found for a number: the party shown (one holding the caller's whole number
// first, then the party of the newest voucher), and the products that all parties with a
// matching number bought ("name(date)", newest first, ", " between).
struct CallerInfo {
    bool found = false;
    qint64 id = 0;
    QString name, tel, phone, zipcode, address, memo;
    QString products;
    QStringList parties; // the names of every matching party, the one shown first
};

// One way of reading a telephone number for the caller lookup. local: the part after the
// area code in its dashed form (middle and last parts) for a Korean number, "+" and every
// digit for a number with another country code; whole: the national digits ("0" first) of a
// Korean number, local for any other.
struct TelNoReading {
    QString local, whole;
};
// Every reading of a number: blanks, signs, hyphens and "tel:" aside; "+82" and "0082" read
// as the national 0. A number after "+" or after an international prefix ("00", "001" and
// the like) carries its country code; where the prefix may be read two ways, both readings
// count. Empty when the number has no part after an area code.
QList<TelNoReading> ReadTelNoForLookup(const QString& number);
// Whether a stored number is the caller's: a reading of each with the same local part.
// exact, when given, is set when they are also the same whole number.
bool TelNoMatches(const QList<TelNoReading>& caller, const QString& stored, bool* exact = nullptr);

// Whether a caller-ID payload can be a telephone number at all: at most 20 characters (what
// the call list keeps of a number) and no control character. Anything else is logged and
// dropped by the caller-ID client before it reaches the lookup; a number from abroad (an
// international prefix and up to 15 digits) passes.
bool IsPossibleTelNo(const QString& text);
// The payload of a dropped datagram as the call log shows it, on one short line: control
// characters written as \xNN, cut after 24 characters, with its length.
QString DroppedPayloadText(const QString& text);

// The lookup statement for a caller's number as received: the sales parties whose telephone
// or mobile columns end with the digits of its shortest local part, whatever signs or blanks
// stand between them there, each with its vouchers (a party without vouchers too), newest
// sale first. The digits are bound seven times. ReadCaller keeps only the parties whose
// number is the caller's by TelNoMatches.
QString CallerLookupSql(const QString& number, QVariantList& params);

// Reads the caller of number from the lookup's rows (the party shown; every row of a
// matching party: one product).
CallerInfo ReadCaller(dao::Recordset& rs, const QString& number);

// One line of the caller history: the formatted number padded to 15 characters (a longer
// number keeps one blank after it), the moment "yyyy-MM-dd HH:mm:ss", a blank, the name,
// " [제품: ", the product text, "]".
QString CallHistoryLine(const QString& formatted, const QDateTime& when, const QString& name,
                        const QString& sales);
// The number column of a history line (or of a number as received): the first 15
// characters, trimmed, without "-".
QString NumberOfHistoryLine(const QString& line);

// The tip of the panel while callers wait to be shown: the notice, then one line per waiting
// caller as given (newest first), in columns of at most linesPerColumn lines, at most columns
// of them, so that a long queue stays on the screen; callers beyond that room are counted in
// the last line ("외 N건").
QString WaitingCallersTip(const QString& notice, const QStringList& callers, int linesPerColumn, int columns);

// Stores one call in the shared call list (who answered stays empty). Throws dao::DaoError.
qint64 InsertCallRecord(dao::Database& db, const QString& sdate, const QString& stime, const QString& stel,
                        const QString& cname);

// A call is handled on the window's thread as it arrives, so its statements wait only a
// moment for another workstation's lock (the moment of a commit): kCallLockWaitMs the first
// time, kCallRetryWaitMs on each later try, kCallRetryMs apart, until the file is free.
constexpr int kCallLockWaitMs = 100;
constexpr int kCallRetryWaitMs = 20;
constexpr int kCallRetryMs = 200;

// For the statements of one scope the database waits at most milliseconds for a lock; the
// limit it had before comes back at the end of the scope.
class ScopedLockWait {
public:
    ScopedLockWait(dao::Database& db, int milliseconds);
    ~ScopedLockWait();
    ScopedLockWait(const ScopedLockWait&) = delete;
    ScopedLockWait& operator=(const ScopedLockWait&) = delete;

private:
    dao::Database& m_db;
    int m_before;
};

// The calls this workstation stores in the shared call list (gDB), in the order received and
// with the moment received. A call that finds the file locked by another workstation, or the
// main database inside a transaction of its own (a ledger print filling its table), waits
// here and is written from the event loop as soon as the file is free, after the calls
// before it; nobody waits for it and no box opens.
class CallRecordQueue : public QObject {
public:
    struct Call {
        QString sdate, stime, stel, cname;
    };
    explicit CallRecordQueue(QObject* parent = nullptr);

    // Stores the call: at once when no call waits before it and the file is free, else
    // later. The call's key (seq) when it is written now, else 0. Throws dao::DaoError for
    // any failure but a lock (the call is then not kept).
    qint64 add(const Call& call);
    // Puts the call behind the waiting ones without trying to write it.
    void queue(const Call& call);
    // The calls not written yet, oldest first.
    const QList<Call>& waiting() const { return m_waiting; }
    // Whether a call of that date, time and number is among them.
    bool isWaiting(const QString& sdate, const QString& stime, const QString& stel) const;
    // Told of every waiting call as it is written later, with its key.
    void setStoredHandler(std::function<void(const Call&, qint64)> handler) { m_onStored = std::move(handler); }
    // Told of a failure other than a lock that a waiting call met later; that call is given up.
    void setErrorHandler(std::function<void(const dao::DaoError&)> handler) { m_onError = std::move(handler); }
    // Writes the waiting calls in order, each waiting at most waitMs for a lock, until one
    // finds the file locked. A failure other than a lock gives that call up (the error
    // handler is told); the calls given up are returned, oldest first.
    QList<Call> writeWaiting(int waitMs);
    // Writes every waiting call now (the end of the program), all of them together waiting
    // for a lock until deadline at most. Returns the calls that could not be written, oldest
    // first; they are given up, and the caller tells the user.
    QList<Call> flush(QDeadlineTimer deadline);

private:
    // Written: its key; locked (or inside a transaction of the main database's own): 0.
    static qint64 write(const Call& call, int waitMs);

    QList<Call> m_waiting;
    QTimer m_retry;
    bool m_writing = false;
    std::function<void(const dao::DaoError&)> m_onError;
    std::function<void(const Call&, qint64)> m_onStored;
};
