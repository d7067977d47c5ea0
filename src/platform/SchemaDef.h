#pragma once
#include <QList>
#include <QString>
#include <QStringList>

namespace dao {

// Field type numbers, as the schema helpers pass them.
// In the SQLite files the declared column type carries the type and size:
//   TEXT(n) Text of n characters, zero-length allowed   VARCHAR(n) the same, zero-length refused
//   LONGTEXT Memo (older files: MEMO, which keeps a text that reads as a number as that number)
//   LONG/INTEGER Long   SMALLINT Integer   TINYINT Byte   BIT/BOOLEAN Boolean
//   CURRENCY/BIGINT Currency (64-bit amounts)   SINGLE/FLOAT Single   DOUBLE/REAL Double
//   DATETIME Date.  NOT NULL is Required; DEFAULT is DefaultValue;
//   INTEGER PRIMARY KEY AUTOINCREMENT is a Long key filled by the database.
enum FieldType : int {
    dbBoolean = 1, dbByte = 2, dbInteger = 3, dbLong = 4, dbCurrency = 5,
    dbSingle = 6, dbDouble = 7, dbDate = 8, dbText = 10, dbMemo = 12
};

struct FieldDef {
    QString name;
    int type = dbText;
    int size = 0;             // characters for Text; 0 = no size
    int ordinalPosition = -1; // 0-based position among the table's columns; -1 = at the end
    bool allowZeroLength = false;
    bool required = false;
    bool autoIncrement = false; // the key filled by the database on insert
    QString collation;          // "NOCASE" for names that compare without regard to case
    // The default as an engine expression: "" (two quote characters) is the empty string,
    // a number is itself, anything else is a text. Empty = no default.
    QString defaultValue;
    // Read from a file only: the declared type keeps every value written as text as that text
    // ("007" stays "007"). A Text or Memo column that the engine makes always does.
    bool textAffinity = false;
};

struct IndexDef {
    QString name;
    bool primary = false;
    bool unique = false;
    bool required = false;
    QStringList fields;
};

struct TableDef {
    QString name;
    QList<FieldDef> fields;
    QList<IndexDef> indexes;

    int fieldIndex(const QString& field) const // -1 when absent; case-insensitive
    {
        for (int i = 0; i < fields.size(); ++i)
            if (fields[i].name.compare(field, Qt::CaseInsensitive) == 0)
                return i;
        return -1;
    }
};

} // namespace dao
