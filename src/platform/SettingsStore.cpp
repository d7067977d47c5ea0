#include "platform/SettingsStore.h"
#include "platform/IniFile.h"

#include <QDir>
#include <QStandardPaths>

namespace platform {

namespace {
QString& overrideFolder()
{
    static QString folder;
    return folder;
}

QString safeFileName(QString name)
{
    static const QString bad = QStringLiteral("/\\:*?\"<>|");
    for (QChar& c : name)
        if (bad.contains(c) || c.unicode() < 32)
            c = QLatin1Char('_');
    return name.isEmpty() ? QStringLiteral("_") : name;
}
} // namespace

QString settingsFolder()
{
    if (!overrideFolder().isEmpty())
        return overrideFolder();
    const QByteArray env = qgetenv("TRELVO_SETTINGS_DIR");
    if (!env.isEmpty())
        return QString::fromLocal8Bit(env);
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.config");
    return base + QStringLiteral("/trelvo");
}

void setSettingsFolder(const QString& folder) { overrideFolder() = folder; }

QString settingsFile(const QString& application)
{
    return settingsFolder() + QLatin1Char('/') + safeFileName(application) + QStringLiteral(".ini");
}

QString GetSetting(const QString& application, const QString& section, const QString& key,
                   const QString& defaultValue)
{
    IniFile ini(settingsFile(application));
    ini.load();
    return ini.value(section, key, defaultValue);
}

void SaveSetting(const QString& application, const QString& section, const QString& key,
                 const QString& value)
{
    IniFileLock lock(settingsFile(application));
    if (!lock.isLocked())
        return;
    IniFile ini(settingsFile(application));
    if (!ini.load())
        return;
    ini.setValue(section, key, value);
    ini.save();
}

void DeleteSetting(const QString& application, const QString& section, const QString& key)
{
    IniFileLock lock(settingsFile(application));
    if (!lock.isLocked())
        return;
    IniFile ini(settingsFile(application));
    if (!ini.load())
        return;
    if (key.isEmpty())
        ini.removeSection(section);
    else
        ini.removeKey(section, key);
    ini.save();
}

} // namespace platform
