#include "frame/modDao.h"
#include "frame/modGlobal.h"
#include "frame/modMain.h"
#include "frame/modMsgBox.h"

#include "platform/Prompter.h"
#include "platform/SqlText.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

const QString kModule = QStringLiteral("modDao");
const QString kModuleKind = QStringLiteral("Module");

void showIndexError(const dao::DaoError& e)
{
    platform::prompter().messageBox(QStringLiteral("오류번호 : %1\r\n오류내용 : %2").arg(e.number()).arg(e.description()),
                                    gsTitle, platform::MsgOkOnly);
}

QString tableFieldLine(const QString& table, const QString& field)
{
    return QStringLiteral("[TABLE]: ") + table + QStringLiteral(",    [FIELD]: ") + field;
}

// Deletes every index that holds the field. The definition is read again after each
// deletion: removing a key rebuilds the table, which renames the indexes made by constraints.
void deleteIndexesOn(dao::Database& db, const QString& table, const QString& field)
{
    for (int guard = 0; guard < 64; ++guard) {
        const dao::TableDef def = db.tableDef(table);
        const dao::IndexDef* hit = nullptr;
        for (const dao::IndexDef& idx : def.indexes)
            if (idx.fields.contains(field, Qt::CaseInsensitive)) {
                hit = &idx;
                break;
            }
        if (!hit)
            return;
        db.deleteIndex(def.name, hit->name);
    }
}

dao::DaoError notOpen() { return dao::DaoError(dao::errObjectNotSet, QStringLiteral("Object variable not set")); }

} // namespace

QString DAO_MaxNumberSql(const QString& table, const QString& field)
{
    // Every number sorts below every text: the numbers are found through the field's index,
    // and only the texts (few in a number column) are read one by one.
    const QString f = dao::quoteIdent(field);
    const QString t = dao::quoteIdent(table);
    return QStringLiteral("SELECT MAX(n) FROM (SELECT MAX(%1) AS n FROM %2 WHERE %1 < ''"
                          " UNION ALL SELECT MAX(ASNUMBER(%1)) FROM %2 WHERE %1 >= '')")
        .arg(f, t);
}

qint64 DAO_NumberAbove(const QVariant& max)
{
    if (max.isNull() || !max.isValid())
        return 1;
    constexpr qint64 top = std::numeric_limits<qint64>::max();
    if (max.typeId() == QMetaType::Double || max.typeId() == QMetaType::Float) {
        const double d = std::floor(max.toDouble());
        if (std::isnan(d))
            return 1;
        if (d >= 9223372036854775807.0) // 2^63: no 64-bit number lies above it
            return top;
        if (d < -9223372036854775807.0)
            return std::numeric_limits<qint64>::min() + 1;
        return qint64(d) + 1;
    }
    bool ok = false;
    const qint64 n = max.toLongLong(&ok);
    if (!ok)
        return 1;
    return n == top ? top : n + 1;
}

qint64 DAO_NextNo(dao::Database* db, const QString& table, const QString& field)
{
    RecordsetPtr rs;
    if (!DAO_OpenSnapshot(db, rs, DAO_MaxNumberSql(table, field)))
        return -1;
    const QVariant max = rs->eof() ? QVariant() : rs->value(0);
    CloseRS(rs);
    return DAO_NumberAbove(max);
}

namespace {

// The highest id handed out or deleted, per table. Made on first use, so that files that
// never numbered a row this way stay as they are.
void ensureUsedNoTable(dao::Database& db)
{
    db.execute(QStringLiteral("CREATE TABLE IF NOT EXISTS id_seq (name TEXT(50) PRIMARY KEY, seq LONG NOT NULL)"));
}

} // namespace

qint64 DAO_NextFreeNo(dao::Database* db, const QString& table, const QString& field, const QString& refTable,
                      const QString& refField)
{
    qint64 next = DAO_NextNo(db, table, field);
    if (next == -1)
        return -1;
    const qint64 aboveRefs = DAO_NextNo(db, refTable, refField);
    if (aboveRefs == -1)
        return -1;
    next = std::max(next, aboveRefs);
    ensureUsedNoTable(*db);
    const QVariant used = db->scalar(QStringLiteral("SELECT seq FROM id_seq WHERE name = ?"), {table});
    if (!used.isNull())
        next = std::max(next, DAO_NumberAbove(used));
    DAO_MarkNoUsed(db, table, next);
    return next;
}

void DAO_MarkNoUsed(dao::Database* db, const QString& table, qint64 no)
{
    if (!db)
        throw notOpen();
    ensureUsedNoTable(*db);
    db->execute(QStringLiteral("INSERT INTO id_seq (name, seq) VALUES (?, ?)"
                               " ON CONFLICT (name) DO UPDATE SET seq = max(seq, excluded.seq)"),
                {table, no});
}

qint64 RecCount(dao::Database* db, const QString& table, const QString& where, const QVariantList& params)
{
    RecordsetPtr rs;
    if (!DAO_OpenSnapshot(db, rs, QStringLiteral("SELECT COUNT(*) FROM ") + dao::quoteIdent(table) + where, params))
        return 0;
    try {
        const qint64 n = rs->eof() ? 0 : rs->toInt64(0);
        CloseRS(rs);
        return n;
    } catch (const dao::DaoError& e) {
        ShowProcError(e.number(), e.description(), QStringLiteral("RecCount"), kModuleKind, kModule);
        return 0;
    }
}

bool DAO_DelIndex(dao::Database* db, const QString& table, const QString& field)
{
    try {
        if (!db)
            throw notOpen();
        deleteIndexesOn(*db, table, field);
        return true;
    } catch (const dao::DaoError& e) {
        showIndexError(e);
        return false;
    }
}

bool DAO_AddIndex(dao::Database* db, const QString& table, const QString& field, bool bPrimary, bool bUnique,
                  bool bRequired)
{
    try {
        if (!db)
            throw notOpen();
        const dao::TableDef def = db->tableDef(table);
        for (const dao::IndexDef& idx : def.indexes) {
            if (!idx.fields.contains(field, Qt::CaseInsensitive))
                continue;
            if (!bPrimary || idx.primary)
                return false; // an index on the field (or the primary one) already exists
        }
        dao::IndexDef idx;
        idx.name = def.name + QLatin1Char('_') + field;
        idx.fields << field;
        idx.primary = bPrimary;
        idx.unique = bUnique;
        idx.required = bRequired;
        db->appendIndex(def.name, idx);
        return true;
    } catch (const dao::DaoError& e) {
        showIndexError(e);
        return false;
    }
}

bool DAO_DelField(dao::Database* db, const QString& table, const QString& field)
{
    try {
        if (!db)
            throw notOpen();
        db->deleteField(table, field);
        return true;
    } catch (const dao::DaoError& e) {
        ShowProcError(e.number(), e.description(), QStringLiteral("DAO_DelField"), kModuleKind, kModule,
                      tableFieldLine(table, field));
        return false;
    }
}

static void applyDefault(dao::FieldDef& f, const QVariant& defaultValue)
{
    if (defaultValue.isNull() || !defaultValue.isValid())
        return;
    const QString d = defaultValue.toString();
    f.defaultValue = d.isEmpty() ? QStringLiteral("\"\"") : d;
    f.required = true;
}

bool DAO_AddField(dao::Database* db, const QString& table, const QString& field, long type, long size,
                  bool bAllowZeroLength, const QString& fillSql, const QVariant& defaultValue, long ordinalPosition)
{
    try {
        if (!db)
            throw notOpen();
        if (db->tableDef(table).fieldIndex(field) >= 0)
            return false;
    } catch (const dao::DaoError& e) {
        // The table cannot be read: report it the same way as a failed append.
        ShowProcError(e.number(), e.description(), QStringLiteral("DAO_AddField"), kModuleKind, kModule,
                      tableFieldLine(table, field));
        return true;
    }
    dao::FieldDef f;
    f.name = field;
    f.type = int(type);
    f.size = size >= 1 ? int(size) : 0;
    f.ordinalPosition = ordinalPosition == -1 ? -1 : int(qint16(ordinalPosition));
    f.allowZeroLength = bAllowZeroLength && (type == dao::dbText || type == dao::dbMemo);
    applyDefault(f, defaultValue);
    try {
        dao::Transaction tx(*db);
        // Looked at again under the write lock: another workstation starting at the same
        // moment may have added it meanwhile.
        if (db->tableDef(table).fieldIndex(field) >= 0)
            return false;
        db->appendField(table, f);
        if (!fillSql.isEmpty())
            db->execute(fillSql);
        tx.commit();
    } catch (const dao::DaoError& e) {
        ShowProcError(e.number(), e.description(), QStringLiteral("DAO_AddField"), kModuleKind, kModule,
                      tableFieldLine(table, field));
    }
    return true;
}

bool DAO_EditField(dao::Database* db, const QString& table, const QString& field, long size, bool bAllowZeroLength,
                   bool bDelIndex, int type, const QVariant& defaultValue)
{
    try {
        return DAO_EditFieldOrThrow(db, table, field, size, bAllowZeroLength, bDelIndex, type, defaultValue);
    } catch (const dao::DaoError& e) {
        ShowProcError(e.number(), e.description(), QStringLiteral("DAO_EditField"), kModuleKind, kModule);
        return false;
    }
}

bool DAO_EditFieldOrThrow(dao::Database* db, const QString& table, const QString& field, long size,
                          bool bAllowZeroLength, bool bDelIndex, int type, const QVariant& defaultValue)
{
    if (!db)
        throw notOpen();
    const dao::TableDef def = db->tableDef(table);
    const int at = def.fieldIndex(field);
    if (at < 0) {
        if (type == -1)
            return false;
        const QString fill = type == dao::dbText
            ? QStringLiteral("UPDATE %1 SET %2 = ''").arg(dao::quoteIdent(table), dao::quoteIdent(field))
            : QStringLiteral("UPDATE %1 SET %2 = 0").arg(dao::quoteIdent(table), dao::quoteIdent(field));
        DAO_AddField(db, table, field, type, size, bAllowZeroLength, fill, defaultValue, -1);
        return true;
    }
    const dao::FieldDef& old = def.fields[at];
    int wantSize = size == 0 ? old.size : int(size);
    const int wantType = type == -1 ? old.type : type;
    // A Text or Memo column declared so that a text that reads as a number would be kept as
    // that number (MEMO in older files) is not yet as wanted: it is declared anew.
    const auto asWanted = [&](const dao::FieldDef& f, int wantedSize) {
        return f.type == wantType && f.size == wantedSize
            && (f.textAffinity || (wantType != dao::dbText && wantType != dao::dbMemo));
    };
    if (asWanted(old, wantSize))
        return false;
    if (wantType != dao::dbText)
        wantSize = 0;

    // One transaction: the indexes go and the column changes together, or nothing changes.
    dao::Transaction tx(*db);
    {
        // Another workstation starting at the same moment may have changed it meanwhile.
        const dao::TableDef now = db->tableDef(table);
        const int i = now.fieldIndex(field);
        if (i >= 0 && asWanted(now.fields[i], wantSize))
            return false;
    }
    if (bDelIndex)
        deleteIndexesOn(*db, def.name, field);
    dao::FieldDef nf = old;
    nf.type = wantType;
    nf.size = wantSize;
    nf.allowZeroLength = bAllowZeroLength && (wantType == dao::dbText || wantType == dao::dbMemo);
    if (wantType != dao::dbLong)
        nf.autoIncrement = false;
    applyDefault(nf, defaultValue);
    db->alterField(def.name, old.name, nf);
    tx.commit();
    return true;
}
