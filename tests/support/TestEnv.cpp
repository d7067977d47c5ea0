#include "support/TestEnv.h"

#include "platform/ProgramFolder.h"
#include "platform/QtTranslation.h"
#include "platform/SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <sys/stat.h>
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

QString copyForUnprivileged(const QTemporaryDir& scratch, const QString& program, const QString& name)
{
    const QString copy = scratch.filePath(name);
    if (::chmod(QFile::encodeName(scratch.path()).constData(), 0777) != 0 || !QFile::copy(program, copy)
        || ::chmod(QFile::encodeName(copy).constData(), 0755) != 0)
        return QString();
    return copy;
}

bool startUnprivileged(QProcess& process, const QString& program, const QStringList& args,
                       const QString& settingsFolder, const QString& scratch)
{
    const QString setpriv = QStandardPaths::findExecutable(QStringLiteral("setpriv"));
    if (setpriv.isEmpty())
        return false;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("TRELVO_SETTINGS_DIR"), settingsFolder);
    e.insert(QStringLiteral("HOME"), scratch);
    process.setProcessEnvironment(e);
    process.setWorkingDirectory(scratch);
    process.start(setpriv, QStringList{QStringLiteral("--reuid=nobody"), QStringLiteral("--regid=nogroup"),
                                       QStringLiteral("--clear-groups"), program} + args);
    return true;
}

bool runOnScreen(const QSize& screen, int fontDpi, QString& output)
{
    QTemporaryDir dir;
    const QString config = dir.filePath(QStringLiteral("screen.json"));
    QFile f(config);
    if (!f.open(QIODevice::WriteOnly)
        || f.write(QStringLiteral("{\"screens\":[{\"name\":\"s\",\"x\":0,\"y\":0,\"width\":%1,\"height\":%2,"
                                  "\"logicalDpi\":96,\"logicalBaseDpi\":96,\"dpr\":1}]}")
                       .arg(screen.width())
                       .arg(screen.height())
                       .toUtf8())
               < 0)
        return false;
    f.close();
    QProcess run;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("TRELVO_OWN_SCREEN"), QStringLiteral("1"));
    e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen:configfile=") + config);
    e.insert(QStringLiteral("QT_FONT_DPI"), QString::number(fontDpi));
    run.setProcessEnvironment(e);
    run.setProcessChannelMode(QProcess::MergedChannels);
    const QString function = QString::fromLatin1(QTest::currentTestFunction());
    const QString tag = QString::fromUtf8(QTest::currentDataTag());
    run.start(QCoreApplication::applicationFilePath(), {function + QLatin1Char(':') + tag});
    const bool finished = run.waitForFinished(240000);
    output = QString::fromUtf8(run.readAll());
    const QString passed = QStringLiteral("::%1(%2)").arg(function, tag);
    return finished && run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0
        && output.split(QLatin1Char('\n')).filter(passed).filter(QStringLiteral("PASS   : ")).size() == 1;
}

bool onOwnScreen() { return qEnvironmentVariableIsSet("TRELVO_OWN_SCREEN"); }

void addScreenColumns()
{
    QTest::addColumn<QSize>("screen");
    QTest::addColumn<int>("fontDpi");
}

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
