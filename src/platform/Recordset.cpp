#include "platform/Recordset.h"
#include "platform/Database.h"
#include "platform/SqlText.h"

#include <cstring>
#include <sqlite3.h>

namespace dao {

namespace {
enum : quint8 { tInt = SQLITE_INTEGER, tFloat = SQLITE_FLOAT, tText = SQLITE_TEXT, tBlob = SQLITE_BLOB, tNull = SQLITE_NULL };

// Whether a double converts to a 64-bit whole number without leaving its range (NaN does not).
bool inWholeRange(double d)
{
    return d >= -9223372036854775808.0 && d < 9223372036854775808.0;
}

QString formatNumber(double d)
{
    if (inWholeRange(d) && d == double(qint64(d)))
        return QString::number(qint64(d));
    return QString::number(d, 'g', 15);
}

// A number kept in the 64 bits of a payload.
template <typename T> quint64 toPayload(T v)
{
    static_assert(sizeof(T) == sizeof(quint64));
    quint64 payload;
    std::memcpy(&payload, &v, sizeof v);
    return payload;
}
template <typename T> T fromPayload(quint64 payload)
{
    static_assert(sizeof(T) == sizeof(quint64));
    T v;
    std::memcpy(&v, &payload, sizeof v);
    return v;
}

// A text or blob kept in the byte pool: the payload is the offset of a 32-bit length
// followed by the bytes.
struct PooledBytes {
    const char* data;
    qsizetype size;
};
PooledBytes pooledBytes(const char* pool, quint64 offset)
{
    quint32 len;
    std::memcpy(&len, pool + offset, sizeof len);
    return {pool + offset + sizeof len, qsizetype(len)};
}
} // namespace

Recordset::Recordset(Database* db, sqlite3_stmt* stmt, bool dynaset, const QString& table, int hiddenColumns)
    : m_db(db), m_stmt(stmt), m_updatable(dynaset), m_table(table), m_hidden(hiddenColumns)
{
    const int n = sqlite3_column_count(stmt);
    for (int i = hiddenColumns; i < n; ++i) {
        const QString name = QString::fromUtf8(sqlite3_column_name(stmt, i));
        const char* origin = sqlite3_column_origin_name(stmt, i);
        const char* tableName = sqlite3_column_table_name(stmt, i);
        const bool fromTable = origin && tableName && QString::fromUtf8(tableName).compare(table, Qt::CaseInsensitive) == 0;
        m_origins << (fromTable ? QString::fromUtf8(origin) : QString());
        const QString key = name.toUpper();
        if (!m_index.contains(key))
            m_index.insert(key, int(m_names.size()));
        m_names << name;
    }
}

Recordset::~Recordset() { close(); }

void Recordset::close()
{
    if (m_stmt) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
    }
}

void Recordset::fetchAll() const
{
    if (!m_stmt)
        return;
    const int n = storedColumns();
    int rc;
    while ((rc = sqlite3_step(m_stmt)) == SQLITE_ROW) {
        quint64* vals = m_vals.reserveMore(size_t(n));
        quint8* types = m_types.reserveMore(size_t(n));
        for (int c = 0; c < n; ++c) {
            const int type = sqlite3_column_type(m_stmt, c);
            quint64 payload = 0;
            switch (type) {
            case SQLITE_INTEGER:
                payload = toPayload(qint64(sqlite3_column_int64(m_stmt, c)));
                break;
            case SQLITE_FLOAT:
                payload = toPayload(sqlite3_column_double(m_stmt, c));
                break;
            case SQLITE_TEXT:
            case SQLITE_BLOB: {
                const void* p = type == SQLITE_TEXT ? static_cast<const void*>(sqlite3_column_text(m_stmt, c))
                                                    : sqlite3_column_blob(m_stmt, c);
                const quint32 len = quint32(sqlite3_column_bytes(m_stmt, c));
                payload = quint64(m_bytes.size());
                char* dst = m_bytes.reserveMore(sizeof len + len);
                std::memcpy(dst, &len, sizeof len);
                if (len)
                    std::memcpy(dst + sizeof len, p, len);
                m_bytes.commit(sizeof len + len);
                break;
            }
            default:
                break;
            }
            vals[c] = payload;
            types[c] = quint8(type);
        }
        m_vals.commit(size_t(n));
        m_types.commit(size_t(n));
        ++m_rows;
    }
    sqlite3_stmt* stmt = m_stmt;
    m_stmt = nullptr;
    if (rc != SQLITE_DONE) {
        sqlite3_finalize(stmt);
        m_db->fail(rc);
    }
    sqlite3_finalize(stmt);
}

void Recordset::probe()
{
    if (!m_stmt)
        return;
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW || rc == SQLITE_DONE) {
        sqlite3_reset(m_stmt); // holds no lock until the rows are read
        return;
    }
    sqlite3_stmt* stmt = m_stmt;
    m_stmt = nullptr;
    sqlite3_finalize(stmt);
    m_db->fail(rc);
}

bool Recordset::eof() const
{
    fetchAll();
    return m_pos >= m_rows || m_rows == 0;
}

bool Recordset::bof() const
{
    fetchAll();
    return m_pos < 0 || m_rows == 0;
}

qint64 Recordset::recordCount()
{
    fetchAll();
    return m_rows;
}

void Recordset::moveFirst()
{
    fetchAll();
    m_editMode = 0;
    m_pos = 0;
}

void Recordset::moveLast()
{
    fetchAll();
    m_editMode = 0;
    m_pos = m_rows > 0 ? m_rows - 1 : 0;
}

void Recordset::moveNext()
{
    fetchAll();
    if (m_pos >= m_rows)
        throw DaoError(errNoCurrentRecord, QStringLiteral("현재 레코드가 없습니다."));
    m_editMode = 0;
    ++m_pos;
}

void Recordset::movePrevious()
{
    fetchAll();
    if (m_pos < 0)
        throw DaoError(errNoCurrentRecord, QStringLiteral("현재 레코드가 없습니다."));
    m_editMode = 0;
    --m_pos;
}

int Recordset::fieldIndex(const QString& name) const { return m_index.value(name.toUpper(), -1); }

void Recordset::requireCurrent() const
{
    fetchAll();
    if (m_pos < 0 || m_pos >= m_rows)
        throw DaoError(errNoCurrentRecord, QStringLiteral("현재 레코드가 없습니다."));
}

int Recordset::checkedIndex(int index) const
{
    if (index < 0 || index >= m_names.size())
        throw DaoError(3265, QStringLiteral("이 컬렉션에서 항목을 찾을 수 없습니다. (%1)").arg(index));
    return index;
}

QVariant Recordset::storedValue(qint64 row, int column) const
{
    if (!m_changed.empty()) {
        auto it = m_changed.find(row);
        if (it != m_changed.end())
            return it->second.value(column);
    }
    const size_t at = size_t(row) * size_t(storedColumns()) + size_t(column);
    const quint64 payload = m_vals[at];
    switch (m_types[at]) {
    case tInt:
        return QVariant(fromPayload<qint64>(payload));
    case tFloat:
        return QVariant(fromPayload<double>(payload));
    case tText: {
        const PooledBytes b = pooledBytes(m_bytes.data(), payload);
        return QVariant(QString::fromUtf8(b.data, b.size));
    }
    case tBlob: {
        const PooledBytes b = pooledBytes(m_bytes.data(), payload);
        return QVariant(QByteArray(b.data, b.size));
    }
    default:
        return QVariant();
    }
}

QVariant Recordset::value(int index) const
{
    if (m_editMode != 0) // a record being edited or built: its values are the buffer
        return m_buffer.value(m_hidden + checkedIndex(index));
    requireCurrent();
    return storedValue(m_pos, m_hidden + checkedIndex(index));
}

QVariant Recordset::value(const QString& name) const
{
    const int i = fieldIndex(name);
    if (i < 0)
        throw DaoError(3265, QStringLiteral("이 컬렉션에서 항목을 찾을 수 없습니다. (%1)").arg(name));
    return value(i);
}

bool Recordset::isNull(int index) const { return value(index).isNull(); }

QString Recordset::text(int index) const
{
    if (m_editMode == 0 && m_changed.empty()) {
        // Fast path for the common forward read: no QVariant in between.
        requireCurrent();
        const size_t at = size_t(m_pos) * size_t(storedColumns()) + size_t(m_hidden + checkedIndex(index));
        const quint64 payload = m_vals[at];
        switch (m_types[at]) {
        case tInt:
            return QString::number(fromPayload<qint64>(payload));
        case tFloat:
            return formatNumber(fromPayload<double>(payload));
        case tText: {
            const PooledBytes b = pooledBytes(m_bytes.data(), payload);
            return QString::fromUtf8(b.data, b.size);
        }
        case tNull:
            return QString();
        default:
            break;
        }
    }
    const QVariant v = value(index);
    if (v.isNull())
        return QString();
    if (v.typeId() == QMetaType::Double)
        return formatNumber(v.toDouble());
    return v.toString();
}

QString Recordset::text(const QString& name) const
{
    const int i = fieldIndex(name);
    if (i < 0)
        throw DaoError(3265, QStringLiteral("이 컬렉션에서 항목을 찾을 수 없습니다. (%1)").arg(name));
    return text(i);
}

qint64 Recordset::toInt64(int index) const
{
    const QVariant v = value(index);
    if (v.isNull())
        return 0;
    if (v.typeId() == QMetaType::Double) {
        // A REAL beyond the 64-bit range counts as no number, as a text that is none does.
        const double d = v.toDouble();
        return inWholeRange(d) ? qint64(d) : 0;
    }
    return v.toLongLong();
}

double Recordset::toDouble(int index) const
{
    const QVariant v = value(index);
    return v.isNull() ? 0.0 : v.toDouble();
}

// ---- editing -----------------------------------------------------------------------

void Recordset::addNew()
{
    if (!m_updatable)
        throw DaoError(errReadOnly, QStringLiteral("이 레코드셋은 업데이트할 수 없습니다."));
    m_editMode = 2;
    m_buffer = QVariantList();
    for (int i = 0; i < storedColumns(); ++i)
        m_buffer << QVariant();
    m_dirty.assign(size_t(storedColumns()), false);
}

void Recordset::edit()
{
    if (!m_updatable)
        throw DaoError(errReadOnly, QStringLiteral("이 레코드셋은 업데이트할 수 없습니다."));
    requireCurrent();
    m_buffer = QVariantList();
    for (int i = 0; i < storedColumns(); ++i)
        m_buffer << storedValue(m_pos, i);
    m_dirty.assign(size_t(storedColumns()), false);
    m_editMode = 1;
}

void Recordset::setValue(int index, const QVariant& value)
{
    if (m_editMode == 0)
        throw DaoError(errUpdateWithoutEdit, QStringLiteral("AddNew 또는 Edit 없이 값을 바꿀 수 없습니다."));
    const int i = checkedIndex(index);
    if (m_origins.value(i).isEmpty())
        throw DaoError(3164, QStringLiteral("필드를 업데이트할 수 없습니다. (%1)").arg(m_names.value(i)));
    m_buffer[m_hidden + i] = value;
    m_dirty[size_t(m_hidden + i)] = true;
}

void Recordset::setValue(const QString& name, const QVariant& value)
{
    const int i = fieldIndex(name);
    if (i < 0)
        throw DaoError(3265, QStringLiteral("이 컬렉션에서 항목을 찾을 수 없습니다. (%1)").arg(name));
    setValue(i, value);
}

void Recordset::update()
{
    if (m_editMode == 0)
        throw DaoError(errUpdateWithoutEdit, QStringLiteral("AddNew 또는 Edit 없이 Update를 호출했습니다."));
    QStringList cols;
    QVariantList params;
    for (int i = 0; i < m_names.size(); ++i) {
        if (!m_dirty[size_t(m_hidden + i)])
            continue;
        cols << quoteIdent(m_origins[i]);
        params << m_buffer[m_hidden + i];
    }
    if (m_editMode == 2) {
        QString sql;
        if (cols.isEmpty()) {
            sql = QStringLiteral("INSERT INTO %1 DEFAULT VALUES").arg(quoteIdent(m_table));
        } else {
            QStringList marks;
            for (int i = 0; i < cols.size(); ++i)
                marks << QStringLiteral("?");
            sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                      .arg(quoteIdent(m_table), cols.join(QStringLiteral(", ")), marks.join(QStringLiteral(", ")));
        }
        m_db->execute(sql, params);
        m_lastRowId = m_db->lastInsertId();
    } else if (!cols.isEmpty()) {
        const qint64 rowid = storedValue(m_pos, 0).toLongLong();
        QStringList sets;
        for (const QString& c : cols)
            sets << c + QStringLiteral(" = ?");
        params << rowid;
        const qint64 n = m_db->execute(QStringLiteral("UPDATE %1 SET %2 WHERE rowid = ?")
                                           .arg(quoteIdent(m_table), sets.join(QStringLiteral(", "))), params);
        if (n == 0)
            throw DaoError(3167, QStringLiteral("레코드가 삭제되었습니다."));
        try {
            refreshEdited(rowid);
        } catch (const DaoError&) {
            // The row is written; it then shows the values as they were given.
        }
        m_changed[m_pos] = m_buffer;
        m_lastRowId = rowid;
    }
    m_editMode = 0;
    m_buffer.clear();
}

void Recordset::refreshEdited(qint64 rowid)
{
    // The row now holds what the table made of the new values (a number given as text is
    // stored as a number): read those back so the recordset shows what is stored.
    QStringList cols;
    QList<int> at;
    for (int i = 0; i < m_names.size(); ++i) {
        if (!m_dirty[size_t(m_hidden + i)])
            continue;
        cols << quoteIdent(m_origins[i]);
        at << m_hidden + i;
    }
    if (cols.isEmpty())
        return;
    auto rs = m_db->openRecordset(QStringLiteral("SELECT %1 FROM %2 WHERE rowid = ?")
                                      .arg(cols.join(QStringLiteral(", ")), quoteIdent(m_table)),
                                  dbOpenSnapshot, {rowid});
    if (rs->eof())
        return;
    for (int i = 0; i < at.size(); ++i)
        m_buffer[at[i]] = rs->value(i);
}

void Recordset::cancelUpdate()
{
    m_editMode = 0;
    m_buffer.clear();
}

} // namespace dao
