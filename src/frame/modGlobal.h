#pragma once
#include "platform/Database.h"
#include "platform/Recordset.h"

#include <QString>
#include <QVariantList>
#include <memory>

using RecordsetPtr = std::unique_ptr<dao::Recordset>;
using DatabasePtr = std::shared_ptr<dao::Database>;

// Opens a database file; never shows a message. False (and db empty) on failure, with the
// engine's reason in *reason when given.
bool DAO_OpenDatabase(DatabasePtr& db, const QString& path, int options, bool readOnly, QString* reason = nullptr);
// Open a recordset; on failure show the information box for the error, followed by CR and the
// SQL text, and return false with rs empty. db may be null (error 91).
bool DAO_OpenDynaset(dao::Database* db, RecordsetPtr& rs, const QString& sql, const QVariantList& params = {});
bool DAO_OpenSnapshot(dao::Database* db, RecordsetPtr& rs, const QString& sql, const QVariantList& params = {});
inline bool DAO_OpenDynaset(const DatabasePtr& db, RecordsetPtr& rs, const QString& sql, const QVariantList& params = {})
{ return DAO_OpenDynaset(db.get(), rs, sql, params); }
inline bool DAO_OpenSnapshot(const DatabasePtr& db, RecordsetPtr& rs, const QString& sql, const QVariantList& params = {})
{ return DAO_OpenSnapshot(db.get(), rs, sql, params); }

// Shows the recordset-open error box for err and sql (used by the wrappers above).
void ShowRecordsetError(long number, const QString& description, const QString& sql);

// Closes and releases a recordset; an empty one is left alone.
void CloseRS(RecordsetPtr& rs);
