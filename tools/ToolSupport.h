// What the outside programs in this folder share. Each tools/*.cpp is an executable of its
// own, so this stays header-only.
#pragma once
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTextStream>
#include <sqlite3.h>

#include "platform/Database.h"

#include <cstddef>

namespace tools {

inline QTextStream& out()
{
    static QTextStream s(stdout);
    return s;
}

inline QTextStream& err()
{
    static QTextStream s(stderr);
    return s;
}

// Removes a database file and the rollback journal a broken run may have left beside it.
inline void removeDatabaseFile(const QString& path)
{
    QFile::remove(path);
    QFile::remove(path + QStringLiteral("-journal"));
}

// Creates the database file at path (rollback journal) and runs the script in it. On
// failure writes "<tool>: <path>: <reason>" to err() and returns false; the caller removes
// what was left.
inline bool runScript(const QString& path, const unsigned char* script, std::size_t size, const char* tool)
{
    sqlite3* db = nullptr;
    int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                             SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    dao::LockWait waitForWorkstations(rc == SQLITE_OK ? db : nullptr);
    if (rc == SQLITE_OK)
        rc = sqlite3_exec(db, "PRAGMA journal_mode = DELETE", nullptr, nullptr, nullptr);
    char* msg = nullptr;
    if (rc == SQLITE_OK) {
        const QByteArray sql(reinterpret_cast<const char*>(script), int(size));
        rc = sqlite3_exec(db, sql.constData(), nullptr, nullptr, &msg);
    }
    if (rc != SQLITE_OK) {
        err() << tool << ": " << path << ": "
              << QString::fromUtf8(msg ? msg : (db ? sqlite3_errmsg(db) : sqlite3_errstr(rc))) << Qt::endl;
        sqlite3_free(msg);
        sqlite3_close(db);
        return false;
    }
    return sqlite3_close(db) == SQLITE_OK;
}

} // namespace tools
