#pragma once
#include "platform/Database.h"

#include <QString>
#include <QVariant>

// Schema and numbering helpers. Each takes the database first; a null database behaves like
// a failed query.

// The next number of table.field: one above the largest value read as a number (a text that
// reads as a number as a whole counts by it, " 7" as 7; other texts such as "" or "7abc" are
// passed over), 1 when there is none, -1 when the query fails. The largest 64-bit number when
// nothing above the largest value fits in 64 bits. A caller that inserts the number must hold
// a dao::Transaction around both.
qint64 DAO_NextNo(dao::Database* db, const QString& table, const QString& field);
// The statement behind DAO_NextNo: one row, one column, the largest value of table.field read
// as a number (NULL when there is none).
QString DAO_MaxNumberSql(const QString& table, const QString& field);
// The whole number above max (a number of DAO_MaxNumberSql's kind; 1 for Null); the largest
// 64-bit number when none is above it.
qint64 DAO_NumberAbove(const QVariant& max);
// The next id of table.field that was never in use: one above MAX(field), above
// MAX(refField) of refTable (codes that other rows still hold) and above every id of the
// table handed out or deleted before (DAO_MarkNoUsed); the id counts as handed out from then
// on. -1 when a MAX query fails (its message shown); other failures throw. Run it inside the
// dao::Transaction that inserts the row.
qint64 DAO_NextFreeNo(dao::Database* db, const QString& table, const QString& field, const QString& refTable,
                      const QString& refField);
// Remembers that id no of table was in use (a row being deleted), so that DAO_NextFreeNo never
// hands it out again. Throws on failure; run it in the transaction that deletes the row.
void DAO_MarkNoUsed(dao::Database* db, const QString& table, qint64 no);
// Row count of table with an optional where-clause (" WHERE ..." with ? placeholders).
qint64 RecCount(dao::Database* db, const QString& table, const QString& where = QString(),
                const QVariantList& params = {});

bool DAO_DelIndex(dao::Database* db, const QString& table, const QString& field);
bool DAO_AddIndex(dao::Database* db, const QString& table, const QString& field,
                  bool bPrimary, bool bUnique, bool bRequired);
bool DAO_DelField(dao::Database* db, const QString& table, const QString& field);
// defaultValue: a null QVariant for none; "" for the empty-string default.
// fillSql runs after the column is added (to fill existing rows).
bool DAO_AddField(dao::Database* db, const QString& table, const QString& field, long type, long size,
                  bool bAllowZeroLength, const QString& fillSql, const QVariant& defaultValue,
                  long ordinalPosition);
// Adds or changes a column (type -1 keeps the type, size 0 keeps the size), in one transaction.
bool DAO_EditField(dao::Database* db, const QString& table, const QString& field, long size,
                   bool bAllowZeroLength, bool bDelIndex, int type, const QVariant& defaultValue);
// The same without its message: a failure is thrown as dao::DaoError, with nothing changed (a
// column added through DAO_AddField still reports there).
bool DAO_EditFieldOrThrow(dao::Database* db, const QString& table, const QString& field, long size,
                          bool bAllowZeroLength, bool bDelIndex, int type, const QVariant& defaultValue);
