#include "platform/SettingsStore.h"
#include "platform/IniFile.h"

#include <QDir>
#include <QSet>
#include <QStandardPaths>

#include <mutex>

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

namespace {

std::mutex& unsavedMutex()
{
    static std::mutex m;
    return m;
}
std::function<void(const QString&)>& unsavedHook()
{
    static std::function<void(const QString&)> hook;
    return hook;
}
// Settings files whose last change wrote nothing and was told.
QSet<QString>& unsavedTold()
{
    static QSet<QString> files;
    return files;
}

// Changes the application's file under its lock. A change that wrote nothing is told when it
// is the first since the last one that wrote, or when it gave up on another holder of the
// lock than the one it gave up on before; not for every key while one holder stays stuck.
void change(const QString& application, const std::function<void(IniFile&)>& edit)
{
    const QString file = settingsFile(application);
    bool saved = false;
    bool newHolder = false;
    {
        IniFileLock lock(file);
        IniFile ini(file);
        if (lock.isLocked() && ini.load()) {
            edit(ini);
            saved = ini.save();
        }
        newHolder = lock.gaveUpOnNewHolder();
    }
    std::function<void(const QString&)> hook;
    {
        std::lock_guard<std::mutex> lock(unsavedMutex());
        if (saved) {
            unsavedTold().remove(file);
            return;
        }
        if (unsavedTold().contains(file) && !newHolder)
            return;
        unsavedTold().insert(file);
        hook = unsavedHook();
    }
    if (hook)
        hook(file);
}

} // namespace

void SaveSetting(const QString& application, const QString& section, const QString& key,
                 const QString& value)
{
    change(application, [&](IniFile& ini) { ini.setValue(section, key, value); });
}

void DeleteSetting(const QString& application, const QString& section, const QString& key)
{
    change(application, [&](IniFile& ini) {
        if (key.isEmpty())
            ini.removeSection(section);
        else
            ini.removeKey(section, key);
    });
}

void setUnsavedSettingsHook(std::function<void(const QString&)> hook)
{
    std::lock_guard<std::mutex> lock(unsavedMutex());
    unsavedHook() = std::move(hook);
    unsavedTold().clear();
}

} // namespace platform
