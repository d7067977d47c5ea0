#pragma once
#include <QString>
#include <functional>

namespace platform {

// The per-user settings store: text values addressed by (application, section, key).
// Each application name has one INI file in the settings folder, which is
// $TRELVO_SETTINGS_DIR when set, else "trelvo" under the user's configuration folder.
// Every write goes to disk at once, under the file's lock (several copies of the program may
// write one file at the same moment); every name and value reads back exactly as written.
QString settingsFolder();
void setSettingsFolder(const QString& folder); // tests point the store at a scratch folder
QString settingsFile(const QString& application);

QString GetSetting(const QString& application, const QString& section, const QString& key,
                   const QString& defaultValue = QString());
void SaveSetting(const QString& application, const QString& section, const QString& key,
                 const QString& value);
void DeleteSetting(const QString& application, const QString& section, const QString& key = QString());

// Called with the settings file's path for a save or removal that wrote nothing (its lock was
// not had within the wait limit, or the file could not be read or written): the first one
// after one that wrote (or the first at all), and one whose wait ran out on another holder of
// the lock than the last told; not for each of the saves that follow while that holder stays
// stuck. Setting a hook arms it anew. Called on the thread that saved.
void setUnsavedSettingsHook(std::function<void(const QString& file)> hook);

} // namespace platform
