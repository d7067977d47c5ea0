#pragma once
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

class QLockFile;

namespace platform {

// A plain INI file read and written as UTF-8 text. Section and key names compare without
// regard to case, and keep the spelling they were first written with. A line that cannot be
// understood is skipped, so a damaged file still yields every entry that can be read.
class IniFile {
public:
    explicit IniFile(const QString& path = QString());

    // Reads the file again; a missing file is an empty one. Returns false only when the
    // file exists but cannot be opened.
    bool load();
    // Writes the file back (through a temporary file and a rename). Creates the folder.
    bool save() const;

    QString path() const { return m_path; }
    bool contains(const QString& section, const QString& key) const;
    QString value(const QString& section, const QString& key, const QString& def = QString()) const;
    void setValue(const QString& section, const QString& key, const QString& value);
    void removeKey(const QString& section, const QString& key);
    void removeSection(const QString& section);
    QStringList sections() const;
    QStringList keys(const QString& section) const;

private:
    struct Entry { QString key; QString value; };
    struct Section { QString name; std::vector<Entry> entries; };
    Section* findSection(const QString& name);
    const Section* findSection(const QString& name) const;

    QString m_path;
    std::vector<Section> m_sections;
};

// Held by a writer from load() to save(): a lock file "<file>.lock" beside the INI file, so
// that two programs changing other keys of one file at the same moment lose none of them.
// Waits a few seconds at most; a writer that does not get it goes on without it.
class IniFileLock {
public:
    explicit IniFileLock(const QString& iniPath);
    ~IniFileLock();
    IniFileLock(const IniFileLock&) = delete;
    IniFileLock& operator=(const IniFileLock&) = delete;

private:
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace platform
