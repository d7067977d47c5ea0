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
//
// Lines are read as INI files always were: "[section]", "key=value" with blanks around key
// and value dropped and one pair of double quotes around the value taken off, ";" comments.
// Every name and value that such a line can carry unchanged is written that way. Only what
// it cannot carry (line breaks, blanks at either end, quotes around a value, an empty key,
// "=" or a leading "[" or ";" in a key, "]" in a section name, a name starting with a
// quote) is written quoted, name and value alike:
//     "key=1"="  two\r\nlines  "        ["a]b"]
// Inside the quotes a backslash escapes '\\', '"', 'r' (CR) and 'n' (LF); any other
// backslash stands for itself. Only a line starting with a quote (a header with '["') is
// read this way, and keys and section names never started so before, so older files read
// as they always did.
class IniFile {
public:
    explicit IniFile(const QString& path = QString());

    // Reads the file again; a missing file is an empty one. Returns false only when the
    // file exists but cannot be opened.
    bool load();
    // Writes the file back (through a temporary file and a rename). Creates the folder.
    // The file keeps its owner and group where this user may give them (root, a member); a
    // file root makes gets those of its folder, so that the folder's owner may still write it.
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

// Held by a writer from load() to save(): a lock on the file "<file>.lock" beside the INI
// file, so that two programs changing other keys of one file at the same moment lose none
// of them. A writer holds it only while it reads and writes the small file, so a wait for it
// is short. Writers get it in the order they came, and none waits longer than the wait limit
// from its own start, however often the holder changes: one that does not have it by then
// gives up (a holder stopped or hung, or a long queue). After a wait gave up, later writers of
// the process on that file look only briefly while that same holder still has it. The system
// lets go of the lock of a process that ends, however it ends.
// The lock file is made so that every user who may write the INI file may open it (its
// owner, group and write rights, whatever the umask). Each holder removes it as it lets go.
// A lock file this user cannot open (left by another user) counts as held as long as any
// program may hold it, and is replaced only when none does. A writer that does not get the
// lock (the wait ran out, the folder cannot be written) must not write.
class IniFileLock {
public:
    explicit IniFileLock(const QString& iniPath);
    ~IniFileLock();
    IniFileLock(const IniFileLock&) = delete;
    IniFileLock& operator=(const IniFileLock&) = delete;

    bool isLocked() const;
    // Not had because the wait ran out on a holder other than the one the last wait of the
    // process that ran out on this file was stuck on (or on the first one).
    bool gaveUpOnNewHolder() const;
    // How long a writer waits at most for a lock that another holds (milliseconds); negative:
    // the usual limit.
    static void setWaitLimit(int milliseconds);

private:
    QString m_lockPath;
    int m_fd = -1;
    int m_dir = -1; // the folder, held shared while the lock is waited for or held
    bool m_timedOut = false;
    bool m_sameHolder = false;
    std::unique_ptr<QLockFile> m_lock;
};

} // namespace platform
