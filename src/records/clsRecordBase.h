#pragma once
#include "frame/modGlobal.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QVariant>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>

// The shape every trade record class shares: save through a dynaset, update and delete by
// one statement with a test of the affected count, find into the caller's recordset,
// single-value readers and the next code.
//
// Values always enter the statements as bound parameters. Only the save members trap the
// engine's errors (with the save-error box); every other member lets a dao::DaoError reach
// its caller.
class clsRecordBase {
public:
    virtual ~clsRecordBase() = default;

    // The save-error box text for an engine error.
    static QString saveErrorText(long number, const QString& description);
    // Message box with an OK button only, no icon, the program title.
    static void showPlainBox(const QString& text);
    // The floating confirmation of a successful write (modal, colour FFFF00).
    static void showConfirmation(const QString& text, int delay = 500);
    // Formats a code number with zeros in front to width digits (wider numbers keep all digits).
    static QString formatCode(qint64 number, int width);

    // Amounts are 64-bit whole numbers, read from the tables by one rule (dao::readAmount).
    // A figure beyond that range is never wrapped or rounded: it is refused with the error 6
    // "Overflow" (the analysis window's error for the same case); a stored value that is no
    // number with the error 13 "Type mismatch". Both reach the caller as every engine error
    // of a member that is no save.
    using Amount128 = __int128;
    static dao::DaoError overflowError();
    static dao::DaoError typeMismatchError();
    // The terms of plus less those of minus, exact whatever the order (a step past the range on
    // the way does not count); throws overflowError() when the result lies beyond the range.
    static qint64 checkedSum(std::initializer_list<Amount128> plus, std::initializer_list<Amount128> minus = {});
    // A stored amount as a whole number: Null and an empty text are 0, a fraction is rounded
    // a half away from zero (as the print rounds); a value beyond the range throws
    // overflowError(), a text that is no number ("12abc", "1,000") typeMismatchError().
    static qint64 storedAmount(const QVariant& value);
    // A result of AMOUNTSUM128 (an exact total that may lie past the 64-bit range); Null is 0.
    static Amount128 storedTotal(const QVariant& value);

protected:
    using FieldList = QList<QPair<QString, QVariant>>;

    // The database the class's statements go to; may be null (statements then fail as on a
    // database that is not open).
    virtual dao::Database* database() const = 0;

    // Adds one row through the dynaset selectSql, setting the fields in the order given,
    // then shows confirmText (if any) as floating confirmation. A failed open has shown its
    // own message; an engine error shows the save-error box and the row is not added.
    // True when the row was added.
    bool saveRecord(const QString& selectSql, const FieldList& fields,
                    const QString& confirmText = QString(), int confirmDelay = 500);
    // The adding part of saveRecord, for a save that runs inside a transaction: an engine
    // error is handed back in failure (nothing shown), so the caller can end the
    // transaction before the save-error box waits for the user. A failed open has shown
    // its own message and leaves failure empty. True when the row was added.
    bool addRecord(const QString& selectSql, const FieldList& fields, std::optional<dao::DaoError>& failure);
    // The save-error box for err.
    static void showSaveError(const dao::DaoError& err);
    // Adds a row under a code proposed at that moment: the first field takes the code that
    // proposeCode returns, and reading it and adding the row hold one write lock, so two
    // workstations saving at once get different codes. A null code (the query could not be
    // opened; its message has been shown) stores nothing. An engine error shows the
    // save-error box once the lock is given up. True when the row was added.
    bool saveNumbered(const std::function<QVariant()>& proposeCode, const QString& selectSql, FieldList fields);

    // The table of a pair chosen by byGubun: 0 the purchase side, 1 the sales side, "" for
    // any other kind (the member then runs no statement).
    static QString tableOfKind(int byGubun, const QString& purchaseSide, const QString& salesSide);
    // Appends piece (holding one "?") and binds value, only when value is not empty.
    static void addCondition(QString& sql, QVariantList& params, const QString& piece, const QString& value);

    // Executes one statement; throws dao::DaoError (91 without a database).
    qint64 execute(const QString& sql, const QVariantList& params = {});
    // Executes one statement and tests the affected count: 0 shows failText in a plain box,
    // otherwise confirmText (if any) floats. Returns the count.
    qint64 executeChecked(const QString& sql, const QVariantList& params, const QString& failText,
                          const QString& confirmText = QString());
    // sqlTemplate with %1 the table of a pair: executeChecked with failText, or a plain execute
    // that reads no count when failText is empty. Nothing runs when table is "".
    void executeOn(const QString& table, const QString& sqlTemplate, const QVariantList& params,
                   const QString& failText = QString());

    // Opens sql as a snapshot as DAO_OpenSnapshot does, with its messages for a failed open;
    // but an amount the engine refuses (a sum beyond the 64-bit range, a stored value that is
    // no number) is no failed open: overflowError() or typeMismatchError() reaches the
    // caller, with no box. True when it opened.
    bool openSnapshot(RecordsetPtr& rs, const QString& sql, const QVariantList& params);
    // Opens sql as a snapshot into the caller's recordset; true when it opened and has rows.
    // An opened recordset stays in rs, empty or not. An amount refused in any of its rows
    // reaches the caller as with openSnapshot, and rs is then left empty.
    bool findInto(RecordsetPtr& rs, const QString& sql, const QVariantList& params = {});
    // True when sql opens with at least one row (the recordset is closed again).
    bool exists(const QString& sql, const QVariantList& params = {});
    // First column of the first row of sql. False (value null) when there is no row or the
    // open failed; opened tells the two apart.
    bool readValue(const QString& sql, const QVariantList& params, QVariant& value,
                   bool* opened = nullptr);
    // Every column of the first row of sql into values (one null QVariant per column when
    // there is no row). False when the query could not be opened (its message has been shown).
    bool readRow(const QString& sql, const QVariantList& params, QVariantList& values);
    // Sum of column per party of table, with the party's name from Trader: CCode, LCName
    // and SSum, one row per party ordered by code; only party's row when party is not empty.
    // The engine's errors are ignored (false). False when table is "".
    bool sumPerParty(RecordsetPtr& rs, const QString& table, const QString& column, const QString& party);
    // The next code of table.column: the highest numeric value of the codes plus one, with
    // zeros in front to width digits; formatCode(1) on an empty table; "" when the query
    // could not be opened (its message has been shown). Callers that store the code hold a
    // dao::Transaction around both.
    QString nextCode(const QString& table, const QString& column, int width);

    // Makes sure there is a database for a statement (throws 91 otherwise).
    dao::Database& requireDatabase() const;
};

// Classes whose statements go to a handle the caller gives through SetDatabase.
class clsOwnDatabase : public clsRecordBase {
public:
    // Releases a handle already held and keeps objDB.
    void SetDatabase(const std::shared_ptr<dao::Database>& objDB);

protected:
    dao::Database* database() const override { return m_objDB.get(); }
    std::shared_ptr<dao::Database> m_objDB;
};
