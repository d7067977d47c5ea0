#include "platform/IniFile.h"
#include "platform/WholeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
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
#include <sys/sysmacros.h>
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
constexpr off_t kWrite = 1;   // the lock itself
constexpr off_t kPresent = 2; // shared by everyone who holds or waits for the lock
constexpr off_t kCounter = 3; // held while a writer draws its number
// Writers take their turns in the order they came: each draws the next number from the
// counter kept in the file and holds the byte kQueue + number until it lets go of the lock
// (or gives up); its turn has come when no byte below its own is held any more. A writer that
// ends or gives up frees its byte, so nobody waits for it.
constexpr off_t kMarkSize = 64;      // the holder's mark at the start of the file
constexpr off_t kNextNumber = 64;    // the next number to draw (8 bytes)
constexpr off_t kQueue = 4096;
constexpr quint64 kMaxNumber = quint64(1) << 40;

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

// The pause of a writer in the queue with this many writers ahead of it at most: short for the
// next one, so that it follows the last at once, longer further back.
void pauseInQueue(quint64 ahead)
{
    const int further = int(std::min<quint64>(ahead, 41)) - 1;
    std::this_thread::sleep_for(std::chrono::microseconds(100 + 50 * std::max(further, 0) + int(pauseRandom()() % 101u)));
}

// What tells one holder of the lock from the next: each holder writes a mark of its own into
// the lock file once it has the lock. A lock file this user may not read is told by its
// times instead.
QByteArray holderMark(const QByteArray& name)
{
    struct stat st {};
    if (::stat(name.constData(), &st) != 0)
        return QByteArray();
    QByteArray mark = QByteArray::number(qulonglong(st.st_dev)) + ':' + QByteArray::number(qulonglong(st.st_ino));
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd >= 0) {
        char text[kMarkSize];
        const ssize_t n = ::pread(fd, text, sizeof text, 0);
        if (n > 0)
            mark += ' ' + QByteArray(text, int(n));
        ::close(fd);
    } else {
        mark += ' ' + QByteArray::number(qlonglong(st.st_mtim.tv_sec)) + '.' + QByteArray::number(qlonglong(st.st_mtim.tv_nsec))
            + ' ' + QByteArray::number(qlonglong(st.st_ctim.tv_sec)) + '.' + QByteArray::number(qlonglong(st.st_ctim.tv_nsec));
    }
    return mark;
}

void writeHolderMark(int fd)
{
    static std::atomic<quint64> taken{0};
    static const quint64 run = std::random_device{}() * 4294967296ull + std::random_device{}();
    char text[kMarkSize];
    const int n = std::snprintf(text, sizeof text, "%10d %016llx %016llx\n", int(::getpid()),
                                static_cast<unsigned long long>(run), static_cast<unsigned long long>(++taken));
    if (n > 0)
        (void)!::pwrite(fd, text, size_t(n), 0);
}

// The end of a wait for the lock: the wait limit from the moment the writer came, however
// often the holder changes. After a wait that ran out, the next one of the process looks only
// briefly while the holder that was stuck then still holds the lock; when another holds it
// since, the wait goes on to the whole limit.
class Deadline {
public:
    Deadline(int limit, bool shortLook, QByteArray stuck, QByteArray name)
        : m_start(Clock::now()), m_limit(limit), m_short(shortLook && limit > kAfterGiveUpMs), m_stuck(std::move(stuck)),
          m_name(std::move(name))
    {
        m_end = m_start + std::chrono::milliseconds(m_short ? kAfterGiveUpMs : limit);
    }
    bool passed()
    {
        const auto now = Clock::now();
        if (now < m_end)
            return false;
        if (m_short) {
            m_short = false;
            if (holderMark(m_name) == m_stuck) {
                m_sameHolder = true;
                return true;
            }
            m_end = m_start + std::chrono::milliseconds(m_limit);
            return now >= m_end;
        }
        return true;
    }
    // Whether the wait ran out on the holder the last wait that ran out was stuck on.
    bool sameHolder() const { return m_sameHolder; }

private:
    Clock::time_point m_start;
    Clock::time_point m_end;
    int m_limit;
    bool m_short;
    bool m_sameHolder = false;
    QByteArray m_stuck; // the holder when the last wait ran out
    QByteArray m_name;
};

// Takes a lock on one byte, looking again until the deadline while another holds it.
bool lockByteBy(int fd, short type, off_t byte, Deadline& deadline)
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
        pause(round);
    }
}

// Draws the writer's number and holds its byte in the queue.
bool drawNumber(int fd, Deadline& deadline, quint64& number)
{
    if (!lockByteBy(fd, F_WRLCK, kCounter, deadline))
        return false;
    unsigned char bytes[8] = {};
    number = 0;
    if (::pread(fd, bytes, sizeof bytes, kNextNumber) == ssize_t(sizeof bytes))
        for (int i = 7; i >= 0; --i)
            number = number << 8 | bytes[i];
    if (number >= kMaxNumber)
        number = 0;
    // A byte still held at the number drawn (a counter that could not be written): the next free one.
    while (!lockByte(fd, F_WRLCK, kQueue + off_t(number))) {
        if ((errno != EAGAIN && errno != EACCES) || ++number >= kMaxNumber) {
            lockByte(fd, F_UNLCK, kCounter);
            return false;
        }
    }
    quint64 next = number + 1;
    for (unsigned char& b : bytes) {
        b = static_cast<unsigned char>(next & 0xff);
        next >>= 8;
    }
    (void)!::pwrite(fd, bytes, sizeof bytes, kNextNumber);
    lockByte(fd, F_UNLCK, kCounter);
    return true;
}

// Waits until no writer that drew a smaller number is left.
bool waitForTurn(int fd, quint64 number, Deadline& deadline)
{
    for (;;) {
        if (number == 0)
            return true;
        struct flock fl {};
        fl.l_type = F_WRLCK;
        fl.l_whence = SEEK_SET;
        fl.l_start = kQueue;
        fl.l_len = off_t(number);
        if (::fcntl(fd, F_OFD_GETLK, &fl) != 0)
            return false;
        if (fl.l_type == F_UNLCK)
            return true;
        if (deadline.passed()) {
            errno = EAGAIN;
            return false;
        }
        pauseInQueue(fl.l_start >= kQueue ? number - quint64(fl.l_start - kQueue) : number);
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

enum class Listed { Yes, No, Unknown };

// Whether the system lists a lock on the file of this device and number (the list cannot be
// read: unknown). It is asked for a lock file this user may not open at all.
Listed lockedOnSystem(dev_t dev, ino_t ino)
{
    FILE* f = std::fopen("/proc/locks", "re");
    if (!f)
        return Listed::Unknown;
    // "1: OFDLCK ADVISORY WRITE -1 fd:01:1234 0 0" (a waiter: "1: -> OFDLCK ..."): the
    // device's major and minor number in hexadecimal, the file's number in decimal.
    bool found = false;
    char line[512];
    while (!found && std::fgets(line, sizeof line, f)) {
        char* save = nullptr;
        for (char* word = ::strtok_r(line, " \t\n", &save); word; word = ::strtok_r(nullptr, " \t\n", &save)) {
            char* end = nullptr;
            const unsigned long maj = std::strtoul(word, &end, 16);
            if (end == word || *end != ':')
                continue;
            const char* rest = end + 1;
            const unsigned long min = std::strtoul(rest, &end, 16);
            if (end == rest || *end != ':')
                continue;
            rest = end + 1;
            const unsigned long long number = std::strtoull(rest, &end, 10);
            if (end == rest || *end != '\0')
                continue;
            found = maj == major(dev) && min == minor(dev) && number == qulonglong(ino);
            break;
        }
    }
    const bool readAll = !std::ferror(f);
    std::fclose(f);
    return found ? Listed::Yes : readAll ? Listed::No : Listed::Unknown;
}

enum class Foreign { Replaced, Held, Failed };

// A lock file this user may not open for writing (left by another user, root for one) in a
// folder the user may write. It counts as held while any program may hold it. Every writer of
// this program holds the folder shared while it waits for the lock or holds it, so one that
// has the folder to itself knows that none is there; it looks at the file's lock as well,
// where the user may read the file, else in the system's list of locks (when that cannot be
// read, the folder has said enough). Only one that nobody holds is replaced by a fresh one.
// Writers that find it so at the same moment take turns on the folder, and each looks again
// once it has its turn, so only the first replaces it.
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
            fl.l_len = 0; // every byte: a writer of an older copy too
            if (::fcntl(reader, F_OFD_GETLK, &fl) != 0 || fl.l_type != F_UNLCK)
                result = Foreign::Held;
            ::close(reader);
        } else if (::stat(name.constData(), &st) != 0) {
            result = errno == ENOENT ? Foreign::Replaced : Foreign::Held; // gone: start again
        } else if (lockedOnSystem(st.st_dev, st.st_ino) == Listed::Yes) {
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

// Whether the lock file's name still leads to the file that fd has open.
bool stillNamed(int fd, const QByteArray& name)
{
    struct stat held {}, named {};
    return ::fstat(fd, &held) == 0 && ::stat(name.constData(), &named) == 0 && held.st_dev == named.st_dev
        && held.st_ino == named.st_ino;
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
    // Held shared from before the lock file is opened until the lock is let go: a lock file
    // left by another user is replaced only while no writer is there.
    m_dir = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (int round = 0;; ) {
        if (m_dir >= 0 && !lockFolder(m_dir, LOCK_SH, deadline)) {
            m_timedOut = errno == EWOULDBLOCK;
            break;
        }
        const int fd = openLockFile(name, ini, folder);
        if (fd < 0) {
            if (errno != EACCES && errno != EPERM)
                break; // the folder is gone or cannot be written: neither can the file
            if (m_dir >= 0)
                ::flock(m_dir, LOCK_UN);
            const Foreign f = replaceForeignLockFile(name, ini, folder, deadline);
            if (f == Foreign::Failed)
                break;
            if (f == Foreign::Held) {
                if (deadline.passed()) {
                    m_timedOut = true;
                    break;
                }
                pause(round);
            }
            continue;
        }
        // A holder that finds nobody else there removes the lock file as it lets go; when the
        // name no longer leads to the file opened, start again on the file there now. Once
        // this writer is there, the file stays.
        if (!lockByteBy(fd, F_RDLCK, kPresent, deadline)) {
            m_timedOut = errno == EAGAIN;
            ::close(fd);
            break;
        }
        if (!stillNamed(fd, name)) {
            ::close(fd);
            if (deadline.passed()) {
                m_timedOut = true;
                break;
            }
            continue;
        }
        // The write byte as well keeps out a writer of an older copy, which does not queue.
        quint64 number = 0;
        if (!drawNumber(fd, deadline, number) || !waitForTurn(fd, number, deadline)
            || !lockByteBy(fd, F_WRLCK, kWrite, deadline)) {
            m_timedOut = errno == EAGAIN || errno == EACCES;
            ::close(fd);
            break;
        }
        writeHolderMark(fd);
        m_fd = fd;
        break;
    }
    if (m_fd < 0 && m_dir >= 0) {
        ::close(m_dir);
        m_dir = -1;
    }
    m_sameHolder = m_timedOut && deadline.sameHolder();
    std::lock_guard<std::mutex> lock(gaveUpMutex());
    if (m_fd >= 0)
        gaveUp().remove(m_lockPath);
    else if (m_timedOut)
        gaveUp().insert(m_lockPath, holderMark(name));
#else
    m_lock = std::make_unique<QLockFile>(m_lockPath);
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(shortLook ? std::min(limit, kAfterGiveUpMs) : limit)) {
        m_lock.reset();
        m_timedOut = true;
        m_sameHolder = shortLook;
    }
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
    if (m_dir >= 0)
        ::close(m_dir);
#endif
}

bool IniFileLock::gaveUpOnNewHolder() const { return m_timedOut && !m_sameHolder; }

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
    // Written whole or not at all: a full disk or a file-size limit leaves the older file as
    // it was, and the save fails.
    WholeFile f(m_path);
    if (!f.open())
        return false;
#ifdef Q_OS_LINUX
    // An older file keeps its owner and group (the whole file sees to that), so that another
    // user who may write it (root, or a member of its group) leaves it writable for its owner;
    // a file root makes gets its folder's owner and group, so that root's first save in a
    // user's folder does not shut the user out.
    struct stat was {};
    if (f.handle() >= 0 && ::geteuid() == 0 && ::stat(QFile::encodeName(m_path).constData(), &was) != 0
        && errno == ENOENT && ::stat(QFile::encodeName(QFileInfo(m_path).absolutePath()).constData(), &was) == 0)
        (void)!::fchown(f.handle(), was.st_uid, was.st_gid);
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
    const QByteArray bytes = out.toUtf8();
    return f.write(bytes) == bytes.size() && f.commit();
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
