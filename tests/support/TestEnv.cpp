#include "support/TestEnv.h"

#include "platform/ProgramFolder.h"
#include "platform/QtTranslation.h"
#include "platform/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <sqlite3.h>

namespace testsupport {

TestEnv::TestEnv()
{
    QDir(m_dir.path()).mkpath(QStringLiteral("settings"));
    platform::setProgramFolder(m_dir.path());
    platform::setSettingsFolder(settingsFolder());
    platform::InstallQtTranslation(); // Qt's own texts as the program shows them
}

TestEnv::~TestEnv()
{
    platform::setProgramFolder(QString());
    platform::setSettingsFolder(QString());
}

QString TestEnv::path(const QString& relative) const { return m_dir.path() + QLatin1Char('/') + relative; }
QString TestEnv::settingsFolder() const { return m_dir.path() + QStringLiteral("/settings"); }

bool runSqlScript(const QString& path, const QString& sql)
{
    sqlite3* db = nullptr;
    if (sqlite3_open_v2(path.toUtf8().constData(), &db, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK) {
        sqlite3_close(db);
        return false;
    }
    char* err = nullptr;
    const int rc = sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &err);
    if (err) {
        qWarning("sql script failed: %s", err);
        sqlite3_free(err);
    }
    sqlite3_close(db);
    return rc == SQLITE_OK;
}

bool createDatabase(const QString& path, const QString& schemaName)
{
    QFile f(QStringLiteral(TRELVO_SOURCE_DIR "/schema/") + schemaName + QStringLiteral(".sql"));
    if (!f.open(QIODevice::ReadOnly))
        return false;
    QFile::remove(path);
    return runSqlScript(path, QString::fromUtf8(f.readAll()));
}

} // namespace testsupport
