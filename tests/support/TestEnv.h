#pragma once
#include <QString>
#include <QTemporaryDir>

namespace testsupport {

// A scratch program folder and settings folder for one test; both are restored afterwards.
// Qt's own menus and dialogs speak Korean, as in the program.
class TestEnv {
public:
    TestEnv();
    ~TestEnv();
    QString folder() const { return m_dir.path(); } // the program folder
    QString path(const QString& relative) const;    // a path inside it
    QString settingsFolder() const;

private:
    QTemporaryDir m_dir;
};

// Creates a database file from one of the shipped schema scripts in schema/
// ("main", "post" or "trade"). Returns false when the script or the file fails.
bool createDatabase(const QString& path, const QString& schemaName);
// Runs an SQL script against a file with the SQLite API directly (no program code).
bool runSqlScript(const QString& path, const QString& sql);

} // namespace testsupport
