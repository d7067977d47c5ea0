#include "platform/IniFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QHash>
#include <QSet>
#include <QTextStream>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <random>
#include <thread>

#ifdef Q_OS_LINUX
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace platform {

IniFile::IniFile(const QString& path) : m_path(path) {}

namespace {

// A writer holds the lock only while it reads and writes the small file: one that keeps it
// longer than this is stopped (a debugger, SIGSTOP) or hung.
constexpr int kUsualWaitLimitMs = 5000;
// After a wait that ran out, later writers of this process on the same file look only this
// long, so that a start with several saves does not wait the whole limit for each of them.
constexpr int kAfterGiveUpMs = 100;

std::atomic<int> gWaitLimit{kUsualWaitLimitMs};

std::mutex& gaveUpMutex()
{
    static std::mutex m;
    return m;
}
// Lock files whose wait ran out, with what their holder had written into them then.
QHash<QString, QByteArray>& gaveUp()
{
    static QHash<QString, QByteArray> marks;
    return marks;
}

} // namespace

void IniFileLock::setWaitLimit(int milliseconds)
{
    gWaitLimit = milliseconds < 0 ? kUsualWaitLimitMs : milliseconds;
}

#ifdef Q_OS_LINUX
namespace {

using Clock = std::chrono::steady_clock;

// Bytes of the lock file that carry the locks (open-file-description locks, so that every
// opening, also in another thread, counts as a writer of its own; the system drops them
// when the file is closed or the process ends).
constexpr off_t kTurnstile = 0; // taken before the write lock and given back once that is held
constexpr off_t kWrite = 1;     // the lock itself
constexpr off_t kPresent = 2;   // shared by everyone who holds or waits for the lock

bool lockByte(int fd, short type, off_t byte)
{
    struct flock fl {};
    fl.l_type = type;
    fl.l_whence = SEEK_SET;
    fl.l_start = byte;
    fl.l_len = 1;
    int rc;
    do
        rc = ::fcntl(fd, F_OFD_SETLK, &fl);
    while (rc < 0 && errno == EINTR);
    return rc == 0;
}

std::minstd_rand& pauseRandom()
{
    thread_local std::minstd_rand rng(unsigned(::getpid()) * 2654435761u
                                      ^ unsigned(std::hash<std::thread::id>()(std::this_thread::get_id())));
    return rng;
}

// A short pause between two looks at a lock: soon at first, then less often.
void pause(int& round)
{
    const int top = std::min(2000, 100 << std::min(round, 4));
    ++round;
    std::this_thread::sleep_for(std::chrono::microseconds(top / 2 + int(pauseRandom()() % unsigned(top / 2 + 1))));
}

// The pause of a writer in the queue for the lock: the same for one that has waited long as
// for one that has just come, so that a writer that lets go and saves again at once does not
// pass those already waiting (a growing pause would favour the newest), and short, so that
// the next writer follows the last at once.
void pauseInQueue(int&)
{
    std::this_thread::sleep_for(std::chrono::microseconds(100 + int(pauseRandom()() % 301u)));
}

// What tells one holder of the lock from the next: each holder writes a mark of its own into
// the lock file once it has the lock. A lock file this user may not read is told by its
// times instead.
QByteArray holderMark(const QByteArray& name)
{
    struct stat st {};
    if (::stat(name.constData(), &st) != 0)
        return QByteArray();
    QByteArray mark = QByteArray::number(qulonglong(st.st_ino)) + ' ' + QByteArray::number(qlonglong(st.st_mtim.tv_sec))
        + '.' + QByteArray::number(qlonglong(st.st_mtim.tv_nsec)) + ' ' + QByteArray::number(qlonglong(st.st_ctim.tv_sec))
        + '.' + QByteArray::number(qlonglong(st.st_ctim.tv_nsec));
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd >= 0) {
        char text[64];
        const ssize_t n = ::pread(fd, text, sizeof text, 0);
        if (n > 0)
            mark += ' ' + QByteArray(text, int(n));
        ::close(fd);
    }
    return mark;
}

void writeHolderMark(int fd)
{
    static std::atomic<quint64> taken{0};
    static const quint64 run = std::random_device{}() * 4294967296ull + std::random_device{}();
    char text[64];
    const int n = std::snprintf(text, sizeof text, "%10d %016llx %016llx\n", int(::getpid()),
                                static_cast<unsigned long long>(run), static_cast<unsigned long long>(++taken));
    if (n > 0)
        (void)!::pwrite(fd, text, size_t(n), 0);
}

// The end of a wait for the lock. The wait runs out when one holder has kept the lock for
// the whole limit; while the lock goes from one writer to the next (many writers at once),
// it goes on. After a wait that ran out, the next one of the process looks only briefly
// while the holder that was stuck then still holds the lock; a holder that has changed
// since gets the whole limit.
class Deadline {
public:
    Deadline(int limit, bool shortLook, QByteArray stuck, QByteArray name)
        : m_limit(limit), m_short(shortLook && limit > kAfterGiveUpMs), m_stuck(std::move(stuck)), m_name(std::move(name))
    {
        m_end = Clock::now() + std::chrono::milliseconds(m_short ? kAfterGiveUpMs : limit);
        if (!m_short)
            m_seen = holderMark(m_name);
    }
    bool passed()
    {
        const auto now = Clock::now();
        if (now < m_end)
            return false;
        const QByteArray mark = holderMark(m_name);
        if (mark == (m_short ? m_stuck : m_seen))
            return true;
        m_short = false;
        m_seen = mark;
        m_end = now + std::chrono::milliseconds(m_limit);
        return false;
    }

private:
    Clock::time_point m_end;
    int m_limit;
    bool m_short;
    QByteArray m_stuck; // the holder when the last wait ran out
    QByteArray m_seen;  // the holder when the wait began, or when it was last found to have changed
    QByteArray m_name;
};

// Takes a lock on one byte, looking again until the deadline while another holds it.
bool lockByteBy(int fd, short type, off_t byte, Deadline& deadline, void (*wait)(int&) = pause)
{
    for (int round = 0;; ) {
        if (lockByte(fd, type, byte))
            return true;
        if (errno != EAGAIN && errno != EACCES)
            return false;
        if (deadline.passed()) {
            errno = EAGAIN;
            return false;
        }
        wait(round);
    }
}

// Takes a whole-file lock on the folder (LOCK_SH or LOCK_EX) by the deadline.
bool lockFolder(int dir, int how, Deadline& deadline)
{
    for (int round = 0; ::flock(dir, how | LOCK_NB) != 0; pause(round)) {
        if (errno != EWOULDBLOCK && errno != EINTR)
            return false;
        if (deadline.passed()) {
            errno = EWOULDBLOCK;
            return false;
        }
    }
    return true;
}

// Every user who may write the settings file may open its lock file: the lock file gets
// the settings file's owner and group and the write rights it gives them, whatever the
// umask (a settings file not made yet: those of its folder, whose writers would make it).
void shareLockFile(int fd, const QByteArray& ini, const QByteArray& folder)
{
    struct stat ref {};
    if (::stat(ini.constData(), &ref) != 0 && ::stat(folder.constData(), &ref) != 0)
        return;
    mode_t mode = S_IRUSR | S_IWUSR;
    if (ref.st_mode & S_IWGRP)
        mode |= S_IRGRP | S_IWGRP;
    if (ref.st_mode & S_IWOTH)
        mode |= S_IROTH | S_IWOTH;
    if (::geteuid() == 0)
        (void)!::fchown(fd, ref.st_uid, ref.st_gid);
    else if (mode & S_IWGRP)
        (void)!::fchown(fd, uid_t(-1), ref.st_gid); // where the user belongs to that group
    (void)!::fchmod(fd, mode);
}

// Opens the lock file, making it when there is none.
int openLockFile(const QByteArray& name, const QByteArray& ini, const QByteArray& folder)
{
    for (int tries = 0; tries < 100; ++tries) {
        int fd = ::open(name.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0) {
            shareLockFile(fd, ini, folder);
            return fd;
        }
        if (errno != EEXIST)
            return -1;
        fd = ::open(name.constData(), O_RDWR | O_CLOEXEC);
        if (fd >= 0 || errno != ENOENT)
            return fd;
        // let go and removed in between: make it again
    }
    return -1;
}

// Whether the system lists a lock on a file of this number. It is asked for a lock file
// this user may not open at all; a lock on another file that has the same number counts as
// well, which only makes a writer wait. Not knowing counts as locked.
bool lockedOnSystem(ino_t ino)
{
    FILE* f = std::fopen("/proc/locks", "re");
    if (!f)
        return true;
    // "1: OFDLCK ADVISORY WRITE -1 fd:01:1234 0 0" (a waiter: "1: -> OFDLCK ...")
    bool found = false;
    char line[512];
    while (!found && std::fgets(line, sizeof line, f)) {
        char* save = nullptr;
        for (char* word = ::strtok_r(line, " \t\n", &save); word; word = ::strtok_r(nullptr, " \t\n", &save)) {
            const char* first = std::strchr(word, ':');
            const char* second = first ? std::strchr(first + 1, ':') : nullptr;
            if (second) {
                found = std::strtoull(second + 1, nullptr, 10) == qulonglong(ino);
                break;
            }
        }
    }
    std::fclose(f);
    return found;
}

enum class Foreign { Replaced, Held, Failed };

// A lock file this user may not open for writing (left by another user, root for one) in a
// folder the user may write. It counts as held while any program may hold it: its lock is
// looked at where the user may read the file, else in the system's list of locks. Only one
// that nobody holds is replaced by a fresh one. Writers that find it so at the same moment
// take turns on the folder, and each looks again once it has its turn, so only the first
// replaces it; a holder checks its lock file under the same folder lock, so that it is not
// replaced under it.
Foreign replaceForeignLockFile(const QByteArray& name, const QByteArray& ini, const QByteArray& folder,
                               Deadline& deadline)
{
    if (::access(folder.constData(), W_OK | X_OK) != 0)
        return Foreign::Failed;
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir < 0)
        return Foreign::Failed;
    if (!lockFolder(dir, LOCK_EX, deadline)) {
        const Foreign result = errno == EWOULDBLOCK ? Foreign::Held : Foreign::Failed;
        ::close(dir);
        return result;
    }
    Foreign result = Foreign::Replaced;
    const int mine = ::open(name.constData(), O_RDWR | O_CLOEXEC);
    if (mine >= 0) {
        ::close(mine); // already replaced: start again
    } else if (errno == EACCES || errno == EPERM) {
        const int reader = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
        struct stat st {};
        if (reader >= 0) {
            struct flock fl {};
            fl.l_type = F_WRLCK;
            fl.l_whence = SEEK_SET;
            fl.l_start = 0;
            fl.l_len = kPresent + 1;
            if (::fcntl(reader, F_OFD_GETLK, &fl) != 0 || fl.l_type != F_UNLCK)
                result = Foreign::Held;
            ::close(reader);
        } else if (::stat(name.constData(), &st) != 0) {
            result = errno == ENOENT ? Foreign::Replaced : Foreign::Held; // gone: start again
        } else if (lockedOnSystem(st.st_ino)) {
            result = Foreign::Held;
        }
        if (result == Foreign::Replaced && (reader >= 0 || st.st_ino != 0)) {
            const QByteArray fresh = name + ".new" + QByteArray::number(qint64(::getpid()));
            const int fd = ::open(fresh.constData(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
            if (fd >= 0)
                shareLockFile(fd, ini, folder);
            if (fd < 0 || ::rename(fresh.constData(), name.constData()) != 0) {
                if (fd >= 0)
                    ::unlink(fresh.constData());
                result = Foreign::Failed;
            }
            if (fd >= 0)
                ::close(fd);
        }
    } else if (errno != ENOENT) {
        result = Foreign::Failed;
    }
    ::flock(dir, LOCK_UN);
    ::close(dir);
    return result;
}

// Whether the lock file's name still leads to the file that fd has open. Checked under a
// shared lock on the folder, so that no writer replaces the file between the look and the
// holder's first use of it.
bool stillNamed(int fd, const QByteArray& name, int dir, Deadline& deadline, bool& timedOut)
{
    if (dir >= 0 && !lockFolder(dir, LOCK_SH, deadline)) {
        timedOut = errno == EWOULDBLOCK;
        return false;
    }
    struct stat held {}, named {};
    const bool same = ::fstat(fd, &held) == 0 && ::stat(name.constData(), &named) == 0 && held.st_dev == named.st_dev
        && held.st_ino == named.st_ino;
    if (dir >= 0)
        ::flock(dir, LOCK_UN);
    return same;
}

} // namespace
#endif

IniFileLock::IniFileLock(const QString& iniPath) : m_lockPath(iniPath + QStringLiteral(".lock"))
{
    QDir().mkpath(QFileInfo(iniPath).absolutePath());
    int limit = gWaitLimit;
    bool shortLook = false;
    QByteArray stuck;
    {
        std::lock_guard<std::mutex> lock(gaveUpMutex());
        const auto it = gaveUp().constFind(m_lockPath);
        if (it != gaveUp().constEnd()) {
            shortLook = true;
            stuck = it.value();
        }
    }
#ifdef Q_OS_LINUX
    const QByteArray name = QFile::encodeName(m_lockPath);
    const QByteArray ini = QFile::encodeName(iniPath);
    const QByteArray folder = QFile::encodeName(QFileInfo(m_lockPath).absolutePath());
    Deadline deadline(limit, shortLook, stuck, name);
    const int dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    bool timedOut = false;
    for (int round = 0;; ) {
        const int fd = openLockFile(name, ini, folder);
        if (fd < 0) {
            if (errno != EACCES && errno != EPERM)
                break; // the folder is gone or cannot be written: neither can the file
            const Foreign f = replaceForeignLockFile(name, ini, folder, deadline);
            if (f == Foreign::Failed)
                break;
            if (f == Foreign::Held) {
                if (deadline.passed()) {
                    timedOut = true;
                    break;
                }
                pause(round);
            }
            continue;
        }
        // Writers queue at the turnstile: the one that holds it is next, so a writer that has
        // just let go cannot take the lock again before the one already waiting.
        if (!lockByteBy(fd, F_RDLCK, kPresent, deadline) || !lockByteBy(fd, F_WRLCK, kTurnstile, deadline, pauseInQueue)
            || !lockByteBy(fd, F_WRLCK, kWrite, deadline, pauseInQueue)) {
            timedOut = errno == EAGAIN || errno == EACCES;
            ::close(fd);
            break;
        }
        lockByte(fd, F_UNLCK, kTurnstile);
        // A holder that finds nobody waiting removes the lock file as it lets go; when the
        // name no longer leads to the file we locked, start again on the file there now.
        if (stillNamed(fd, name, dir, deadline, timedOut)) {
            writeHolderMark(fd);
            m_fd = fd;
            break;
        }
        ::close(fd);
        if (timedOut || deadline.passed()) {
            timedOut = true;
            break;
        }
    }
    if (dir >= 0)
        ::close(dir);
    std::lock_guard<std::mutex> lock(gaveUpMutex());
    if (m_fd >= 0)
        gaveUp().remove(m_lockPath);
    else if (timedOut)
        gaveUp().insert(m_lockPath, holderMark(name));
#else
    m_lock = std::make_unique<QLockFile>(m_lockPath);
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(shortLook ? std::min(limit, kAfterGiveUpMs) : limit))
        m_lock.reset();
#endif
}

IniFileLock::~IniFileLock()
{
#ifdef Q_OS_LINUX
    if (m_fd >= 0) {
        // Nobody else holds the shared byte: nobody waits, and the file can go.
        if (lockByte(m_fd, F_WRLCK, kPresent))
            ::unlink(QFile::encodeName(m_lockPath).constData());
        ::close(m_fd);
    }
#endif
}

bool IniFileLock::isLocked() const
{
#ifdef Q_OS_LINUX
    return m_fd >= 0;
#else
    return m_lock != nullptr;
#endif
}

namespace {

bool hasLineBreak(const QString& s)
{
    return s.contains(QLatin1Char('\n')) || s.contains(QLatin1Char('\r'));
}

bool startsWithQuote(const QString& s) { return s.startsWith(QLatin1Char('"')); }

bool plainSection(const QString& name)
{
    return !hasLineBreak(name) && name == name.trimmed() && !name.contains(QLatin1Char(']'))
        && !startsWithQuote(name);
}

bool plainKey(const QString& key)
{
    return !key.isEmpty() && !hasLineBreak(key) && key == key.trimmed() && !key.contains(QLatin1Char('='))
        && !key.startsWith(QLatin1Char('[')) && !key.startsWith(QLatin1Char(';')) && !startsWithQuote(key);
}

bool plainValue(const QString& value)
{
    return !hasLineBreak(value) && value == value.trimmed()
        && !(value.size() >= 2 && startsWithQuote(value) && value.endsWith(QLatin1Char('"')));
}

QString quoted(const QString& s)
{
    QString out;
    out.reserve(s.size() + 2);
    out += QLatin1Char('"');
    for (const QChar c : s) {
        switch (c.unicode()) {
        case '\\': out += QLatin1String("\\\\"); break;
        case '"': out += QLatin1String("\\\""); break;
        case '\r': out += QLatin1String("\\r"); break;
        case '\n': out += QLatin1String("\\n"); break;
        default: out += c;
        }
    }
    out += QLatin1Char('"');
    return out;
}

// Reads a quoted name or value starting at text[pos] (the opening quote); on success pos
// is just past the closing quote.
bool readQuoted(const QString& text, int& pos, QString& out)
{
    if (pos >= text.size() || text.at(pos) != QLatin1Char('"'))
        return false;
    out.clear();
    for (int i = pos + 1; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('"')) {
            pos = i + 1;
            return true;
        }
        if (c == QLatin1Char('\\') && i + 1 < text.size()) {
            const QChar n = text.at(i + 1);
            if (n == QLatin1Char('\\') || n == QLatin1Char('"')) {
                out += n;
                ++i;
                continue;
            }
            if (n == QLatin1Char('r') || n == QLatin1Char('n')) {
                out += n == QLatin1Char('r') ? QLatin1Char('\r') : QLatin1Char('\n');
                ++i;
                continue;
            }
        }
        out += c;
    }
    return false;
}

void skipBlanks(const QString& text, int& pos)
{
    while (pos < text.size() && text.at(pos).isSpace())
        ++pos;
}

// A quoted header: ["name"] (whatever follows the bracket is ignored, as on a plain one).
bool readQuotedHeader(const QString& trimmed, QString& name)
{
    int pos = 1;
    if (!readQuoted(trimmed, pos, name))
        return false;
    skipBlanks(trimmed, pos);
    return pos < trimmed.size() && trimmed.at(pos) == QLatin1Char(']');
}

// A quoted entry: "key"="value", nothing else on the line.
bool readQuotedEntry(const QString& trimmed, QString& key, QString& value)
{
    int pos = 0;
    if (!readQuoted(trimmed, pos, key))
        return false;
    skipBlanks(trimmed, pos);
    if (pos >= trimmed.size() || trimmed.at(pos) != QLatin1Char('='))
        return false;
    ++pos;
    skipBlanks(trimmed, pos);
    if (!readQuoted(trimmed, pos, value))
        return false;
    return pos == trimmed.size();
}

} // namespace

bool IniFile::load()
{
    m_sections.clear();
    QFile f(m_path);
    if (!f.exists())
        return true;
    if (!f.open(QIODevice::ReadOnly))
        return false;
    const QString text = QString::fromUtf8(f.readAll());
    Section* current = nullptr;
    std::vector<QSet<QString>> seen; // per section, in the order of m_sections
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')))
            continue;
        if (trimmed.startsWith(QLatin1Char('['))) {
            QString name;
            if (!readQuotedHeader(trimmed, name)) {
                const int close = trimmed.indexOf(QLatin1Char(']'));
                if (close < 0) { // damaged header: skip the entries below it
                    current = nullptr;
                    continue;
                }
                name = trimmed.mid(1, close - 1).trimmed();
            }
            current = findSection(name);
            if (!current) {
                m_sections.push_back(Section{name, {}});
                current = &m_sections.back();
            }
            continue;
        }
        if (!current)
            continue;
        QString key, value;
        if (!startsWithQuote(trimmed) || !readQuotedEntry(trimmed, key, value)) {
            const int eq = line.indexOf(QLatin1Char('='));
            if (eq <= 0)
                continue;
            key = line.left(eq).trimmed();
            if (key.isEmpty())
                continue;
            value = line.mid(eq + 1).trimmed();
            if (value.size() >= 2 && startsWithQuote(value) && value.endsWith(QLatin1Char('"')))
                value = value.mid(1, value.size() - 2);
        }
        // The first occurrence wins, as on Windows (the keys seen so far are kept case-folded,
        // so that a large file is read in one pass).
        const size_t index = size_t(current - m_sections.data());
        if (seen.size() <= index)
            seen.resize(index + 1);
        if (!seen[index].contains(key.toCaseFolded())) {
            seen[index].insert(key.toCaseFolded());
            current->entries.push_back(Entry{key, value});
        }
    }
    return true;
}

bool IniFile::save() const
{
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    QSaveFile f(m_path);
    if (!f.open(QIODevice::WriteOnly))
        return false;
#ifdef Q_OS_LINUX
    // A save by another user who may write the file (root, or a member of its group) leaves
    // it with the owner and group it had, so that they may still write it.
    struct stat was {};
    if (f.handle() >= 0 && ::stat(QFile::encodeName(m_path).constData(), &was) == 0)
        (void)!::fchown(f.handle(), ::geteuid() == 0 ? was.st_uid : uid_t(-1), was.st_gid);
#endif
    QString out;
    for (const auto& s : m_sections) {
        out += QLatin1Char('[') + (plainSection(s.name) ? s.name : quoted(s.name)) + QLatin1String("]\n");
        for (const auto& e : s.entries) {
            if (plainKey(e.key) && plainValue(e.value))
                out += e.key + QLatin1Char('=') + e.value + QLatin1Char('\n');
            else
                out += quoted(e.key) + QLatin1Char('=') + quoted(e.value) + QLatin1Char('\n');
        }
    }
    f.write(out.toUtf8());
    return f.commit();
}

IniFile::Section* IniFile::findSection(const QString& name)
{
    for (auto& s : m_sections)
        if (s.name.compare(name, Qt::CaseInsensitive) == 0)
            return &s;
    return nullptr;
}

const IniFile::Section* IniFile::findSection(const QString& name) const
{
    return const_cast<IniFile*>(this)->findSection(name);
}

bool IniFile::contains(const QString& section, const QString& key) const
{
    if (const Section* s = findSection(section))
        for (const auto& e : s->entries)
            if (e.key.compare(key, Qt::CaseInsensitive) == 0)
                return true;
    return false;
}

QString IniFile::value(const QString& section, const QString& key, const QString& def) const
{
    if (const Section* s = findSection(section))
        for (const auto& e : s->entries)
            if (e.key.compare(key, Qt::CaseInsensitive) == 0)
                return e.value;
    return def;
}

void IniFile::setValue(const QString& section, const QString& key, const QString& value)
{
    Section* s = findSection(section);
    if (!s) {
        m_sections.push_back(Section{section, {}});
        s = &m_sections.back();
    }
    for (auto& e : s->entries) {
        if (e.key.compare(key, Qt::CaseInsensitive) == 0) {
            e.value = value;
            return;
        }
    }
    s->entries.push_back(Entry{key, value});
}

void IniFile::removeKey(const QString& section, const QString& key)
{
    if (Section* s = findSection(section))
        for (auto it = s->entries.begin(); it != s->entries.end(); ++it)
            if (it->key.compare(key, Qt::CaseInsensitive) == 0) {
                s->entries.erase(it);
                return;
            }
}

void IniFile::removeSection(const QString& section)
{
    for (auto it = m_sections.begin(); it != m_sections.end(); ++it)
        if (it->name.compare(section, Qt::CaseInsensitive) == 0) {
            m_sections.erase(it);
            return;
        }
}

QStringList IniFile::sections() const
{
    QStringList out;
    for (const auto& s : m_sections)
        out << s.name;
    return out;
}

QStringList IniFile::keys(const QString& section) const
{
    QStringList out;
    if (const Section* s = findSection(section))
        for (const auto& e : s->entries)
            out << e.key;
    return out;
}

} // namespace platform
