#pragma once
#include "platform/DaoError.h"
#include "platform/SchemaDef.h"

#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <chrono>
#include <functional>
#include <memory>

struct sqlite3;
struct sqlite3_stmt;

namespace dao {

enum RecordsetType : int { dbOpenDynaset = 2, dbOpenSnapshot = 4 };

// How a stored amount reads, the one rule for every reader of amounts: Null, and a text of
// blanks only, is no amount (Empty); a whole number is itself; a floating-point number, or a
// text that is a plain decimal number (" -12.5 ", "1.5e3"), is rounded to a whole number, a
// half away from zero; a value past the 64-bit range is OutOfRange; any other text ("12abc",
// "1,000", "₩1500") and a blob is NotANumber. amount is set for Whole only.
enum class AmountKind { Empty, Whole, OutOfRange, NotANumber };
AmountKind readAmount(const QVariant& value, qint64& amount);
// A result of AMOUNTSUM128 (Null, a whole number or the 16-byte blob of a total past the
// 64-bit range) as a 128-bit number; false for any other value.
bool readAmountTotal(const QVariant& value, __int128& total);
// The error texts of the amount sums.
inline constexpr const char kAmountOverflow[] = "Overflow";
inline constexpr const char kAmountNotANumber[] = "Type mismatch";

class Recordset;
class PreparedStatement;

// Waiting for another workstation's lock on one SQLite connection: short sleeps, so a lock
// that is given up is taken at once, up to a limit; a wait past half a second calls the
// long-wait hook. Database uses one for itself; a tool that works on the file through its own
// sqlite3 handle keeps one beside that handle for as long as the handle is open.
class LockWait {
public:
    explicit LockWait(sqlite3* db = nullptr);
    void attach(sqlite3* db);
    // Milliseconds to wait at most; negative: Database::defaultBusyLimit().
    void setLimit(int milliseconds) { m_limit = milliseconds; }
    int limit() const;
    int setting() const { return m_limit; }
    LockWait(const LockWait&) = delete;
    LockWait& operator=(const LockWait&) = delete;

private:
    static int onBusy(void* self, int count);
    int m_limit = -1;
    sqlite3* m_db = nullptr;
    std::chrono::steady_clock::time_point m_start;
    bool m_told = false;
};

// One open database file (SQLite standing in for the original engine).
//  - open() never creates a file; a read-only open refuses every write. A read-write open of
//    a file (or folder) that may not be written fails with 3027 instead of opening read-only.
//  - The file uses a rollback journal (no WAL), so several workstations can share it on a
//    network folder. Every statement, from the first one of the open on, waits for a lock
//    another workstation holds (LockWait, up to defaultBusyLimit()), and a connection
//    that writes again right after its last write first leaves a moment in which the others
//    get their turn: no workstation is starved by another that keeps writing.
//  - Every failure throws DaoError: 3011 for a missing table or column, 3261 when another
//    connection holds the lock, 3022 for a duplicate key, otherwise SQLite's own text.
//  - Values are always bound: "?" placeholders in the text, values in params.
//  - Extra SQL functions: FIRST(x) and LAST(x) aggregates (the first/last non-group value in
//    the order the rows are visited), MID(text, start[, length]) (LEFT and RIGHT are keywords here: use substr),
//    CURSUM(x) aggregate: amounts summed exactly as Currency, the result a 64-bit count of
//    ten-thousandths (each value taken to the nearest ten-thousandth; NULL when there is no
//    value; an "Overflow" error beyond 64 bits, that is beyond the range of Currency);
//    ASNUMBER(x): x as a number where it is one (a text that reads as a number as a whole,
//    blanks around allowed), else NULL;
//    DIGITSENDWITH(text, digits): 1 when the digits of text (ASCII or full-width), read in
//    order with everything else left out, end with digits (ASCII digits, not empty), else 0.
//    AMOUNTSUM(x) aggregate: the amounts of x, each read as readAmount() reads it, added in
//    128 bits (exact whatever the order of the rows); the total as a 64-bit whole number,
//    NULL when there is no amount; the error kAmountNotANumber when a value is no number,
//    else kAmountOverflow when a value or the total lies past the 64-bit range.
//    AMOUNTSUM128(x): the same, but a total past the 64-bit range is a result too, a 16-byte
//    blob read by readAmountTotal(), for a figure that is added to further before it is judged.
class Database {
public:
    static std::shared_ptr<Database> open(const QString& path, int options = 0, bool readOnly = false);
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    QString name() const { return m_path; }
    bool isReadOnly() const { return m_readOnly; }

    // Runs one statement; returns (and remembers) the number of rows it changed.
    qint64 execute(const QString& sql, const QVariantList& params = {});
    qint64 recordsAffected() const { return m_recordsAffected; }
    // The key of the row inserted last on this connection.
    qint64 lastInsertId() const;
    // First column of the first row, or a null QVariant when there is no row.
    QVariant scalar(const QString& sql, const QVariantList& params = {});

    std::unique_ptr<Recordset> openRecordset(const QString& sql, int type = dbOpenDynaset,
                                             const QVariantList& params = {});
    // One statement compiled once and then run many times with other values (a bulk copy
    // inside one Transaction). Same rules as execute(): one statement, "?" for every value.
    std::unique_ptr<PreparedStatement> prepare(const QString& sql);

    // Table definitions.
    QStringList tableNames() const;
    bool hasTable(const QString& table) const;
    TableDef tableDef(const QString& table) const; // throws 3011 when missing
    // Adds a column. With ordinalPosition >= 0 the column is placed there (table rebuild).
    void appendField(const QString& table, const FieldDef& field);
    void deleteField(const QString& table, const QString& field);
    // Changes a column's type, size, zero-length rule, default or requirement in place,
    // through a table rebuild that keeps every row with its row number, the column's position,
    // every index and trigger of the table, and the views and other tables' triggers that name
    // it. The column is declared anew from its definition (a Memo as LONGTEXT, so that a text
    // that reads as a number stays text); every other column keeps its declaration as written.
    // (appendField at a position, a primary key added by appendIndex and a key or unique
    // constraint taken away by deleteIndex rebuild the table in the same way.)
    void alterField(const QString& table, const QString& field, const FieldDef& newDef);
    void renameField(const QString& table, const QString& from, const QString& to);
    void appendIndex(const QString& table, const IndexDef& index);
    void deleteIndex(const QString& table, const QString& index);

    // Transactions (see also dao::Transaction). Nested calls use savepoints.
    void beginImmediate();
    void commit();
    void rollback();
    bool inTransaction() const { return m_txDepth > 0; }

    // How long a statement of this connection waits for another workstation's lock before
    // it fails with 3261 (0: not at all). Without a call, or with a negative value, the
    // default limit below.
    void setBusyTimeout(int milliseconds);
    // The limit set by setBusyTimeout (negative: none of its own, the default limit).
    int busyTimeout() const { return m_wait.setting(); }
    // The limit of every connection that was given none of its own; a negative value
    // restores the usual 30 s.
    static void setDefaultBusyLimit(int milliseconds);
    static int defaultBusyLimit();
    // Called (on the waiting thread) once in every wait for a lock that lasts longer than
    // about half a second; nothing tells the end of the wait. Empty: nobody is told.
    static void setLongWaitHook(std::function<void()> hook);
    sqlite3* handle() const { return m_db; }

    // Translates the current SQLite error of this connection into a DaoError.
    [[noreturn]] void fail(int rc, const QString& context = QString()) const;

private:
    Database() = default;
    friend class Recordset;
    friend class PreparedStatement;
    // Before a write outside a transaction: after a write of this connection only just ended,
    // waits until the others have had a moment to take the lock.
    void yieldBeforeWrite();
    void writeEnded();
    // A table made anew with these columns and indexes (redeclare: a column declared anew from
    // its definition even where that is unchanged), in a transaction of its own or the caller's.
    void rebuild(const QString& table, const QList<FieldDef>& fields, const QList<IndexDef>& indexes,
                 const QStringList& copyFrom, const QString& redeclare = QString());
    void rebuildTable(const QString& table, const QList<FieldDef>& fields, const QList<IndexDef>& indexes,
                      const QStringList& copyFrom, const QString& redeclare);

    sqlite3* m_db = nullptr;
    QString m_path;
    bool m_readOnly = false;
    qint64 m_recordsAffected = 0;
    int m_txDepth = 0;
    LockWait m_wait;
    std::chrono::steady_clock::time_point m_lastWrite{};
};

// A statement of Database::prepare(). It belongs to its database and must not outlive it.
class PreparedStatement {
public:
    ~PreparedStatement();
    PreparedStatement(const PreparedStatement&) = delete;
    PreparedStatement& operator=(const PreparedStatement&) = delete;

    // Binds params (exactly as many as the text has "?") and runs the statement once.
    // Returns (and the database remembers) the number of rows it changed. Throws DaoError
    // as Database::execute does; the statement stays usable for the next values.
    qint64 execute(const QVariantList& params = {});

    // The same for tight loops, without QVariant: bind the values of this run by position
    // (1 = the first "?"; one left unbound is Null), then run(). Values are not kept for
    // the next run.
    void bind(int index, const QString& text);
    void bind(int index, qint64 value);
    qint64 run();

private:
    friend class Database;
    PreparedStatement(Database& db, sqlite3_stmt* stmt) : m_db(db), m_stmt(stmt) {}
    Database& m_db;
    sqlite3_stmt* m_stmt;
};

// Scoped write transaction: BEGIN IMMEDIATE on construction (a savepoint when one is already
// open), rolled back on destruction unless commit() was called. Used wherever a value is
// read and then written (next numbers, running sums, stock).
class Transaction {
public:
    explicit Transaction(Database& db);
    ~Transaction();
    void commit();
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;

private:
    Database& m_db;
    bool m_done = false;
};

} // namespace dao
