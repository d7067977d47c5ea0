#pragma once
#include "platform/DaoError.h"

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVariantList>
#include <cstdlib>
#include <map>
#include <new>
#include <vector>

struct sqlite3_stmt;

namespace dao {

namespace detail {
// A growable array of plain values for the row store. Growing goes through realloc, which
// moves large blocks by remapping pages instead of copying them.
template <class T>
class PodArray {
public:
    PodArray() = default;
    PodArray(const PodArray&) = delete;
    PodArray& operator=(const PodArray&) = delete;
    ~PodArray() { std::free(m_p); }
    size_t size() const { return m_n; }
    const T* data() const { return m_p; }
    T* data() { return m_p; }
    const T& operator[](size_t i) const { return m_p[i]; }
    // Makes room for `more` further values and returns where they go; commit(n) then counts them.
    T* reserveMore(size_t more)
    {
        if (m_n + more > m_cap) {
            size_t cap = m_cap ? m_cap : 4096;
            while (cap < m_n + more)
                cap *= 2;
            void* p = std::realloc(m_p, cap * sizeof(T));
            if (!p)
                throw std::bad_alloc();
            m_p = static_cast<T*>(p);
            m_cap = cap;
        }
        return m_p + m_n;
    }
    void commit(size_t n) { m_n += n; }

private:
    T* m_p = nullptr;
    size_t m_n = 0;
    size_t m_cap = 0;
};
} // namespace detail

class Database;

// The rows of one query. Rows are read from the engine as the caller moves forward and kept,
// so moving back, MoveLast and RecordCount are exact and cheap afterwards.
// A dynaset over one table (SELECT ... FROM table [AS alias] ...) is updatable through
// AddNew/Edit, setValue and Update; a snapshot is read-only.
class Recordset {
public:
    ~Recordset();
    Recordset(const Recordset&) = delete;
    Recordset& operator=(const Recordset&) = delete;

    bool eof() const;
    bool bof() const;
    qint64 recordCount();  // exact count of the rows of the query
    qint64 position() const { return m_pos; } // 0-based current row
    void moveFirst();
    void moveLast();
    void moveNext();
    void movePrevious();

    int fieldCount() const { return int(m_names.size()); }
    QString fieldName(int index) const { return m_names.value(index); }
    int fieldIndex(const QString& name) const; // -1 when absent; case-insensitive

    // Field values of the current row (a null QVariant for Null). A missing field or no
    // current row throws (3265 / 3021).
    QVariant value(int index) const;
    QVariant value(const QString& name) const;
    bool isNull(int index) const;
    // Text of a field, "" for Null; integers without decimals.
    QString text(int index) const;
    QString text(const QString& name) const;
    qint64 toInt64(int index) const; // 0 for Null
    double toDouble(int index) const;

    // Editing (dynaset only).
    bool updatable() const { return m_updatable; }
    void addNew();
    void edit();
    void setValue(const QString& name, const QVariant& value);
    void setValue(int index, const QVariant& value);
    void update();
    void cancelUpdate();
    int editMode() const { return m_editMode; } // 0 none, 1 edit, 2 add new
    // The key of the row last added through this recordset.
    qint64 lastModifiedRowId() const { return m_lastRowId; }

    void close();

private:
    friend class Database;
    Recordset(Database* db, sqlite3_stmt* stmt, bool dynaset, const QString& table, int hiddenColumns);
    void fetchAll() const;      // reads every row of the query into the store
    void probe();               // runs the query to its first row and back: errors show at open
    void refreshEdited(qint64 rowid); // reads the rewritten columns back after an Update
    void requireCurrent() const;
    int checkedIndex(int index) const;
    int storedColumns() const { return m_hidden + int(m_names.size()); }
    QVariant storedValue(qint64 row, int column) const; // column counts the hidden ones

    Database* m_db;
    mutable sqlite3_stmt* m_stmt;
    bool m_updatable;
    QString m_table;
    int m_hidden;                 // leading hidden columns (the row key of a dynaset)
    QStringList m_names;          // visible column names
    QStringList m_origins;        // the table column behind each visible column ("" = expression)
    QHash<QString, int> m_index;  // upper-cased name -> visible index
    // Stored rows, row-major: one 64-bit payload and one type byte per cell. Text and blobs
    // live in m_bytes as a 32-bit length followed by the bytes; the payload is the offset.
    mutable detail::PodArray<quint64> m_vals;
    mutable detail::PodArray<quint8> m_types;
    mutable detail::PodArray<char> m_bytes;
    mutable qint64 m_rows = 0;
    qint64 m_pos = 0;             // current row; == m_rows means EOF, -1 means BOF
    std::map<qint64, QVariantList> m_changed; // rows rewritten through Edit/Update (stored columns)

    int m_editMode = 0;
    QVariantList m_buffer;
    std::vector<bool> m_dirty;
    qint64 m_lastRowId = 0;
};

} // namespace dao
