// The backup compressor the program starts when it closes (installed as "데이터압축").
//
//   데이터압축 [SERVERUP | AS | HDDAUTO]... [--folder=<database folder>]
//
// Backs up the database folder given, else the one in the settings store (application
// "Backup", section "DB경로", key "경로"), and writes one dated .tar.gz archive of that
// folder for each mode given (none at all means a backup to the hard disk):
//   (none)    <home>/Trelvo/Backup/Trelvo_YYYYMMDD_HHMMSS.tar.gz
//   HDDAUTO   <home>/Trelvo/Backup/Trelvo_YYYYMMDD_HHMMSS_auto.tar.gz
//   SERVERUP  <home>/Trelvo/Backup/Server/Trelvo_YYYYMMDD_HHMMSS_server.tar.gz
//   AS        <home>/Trelvo/Backup/AS/Trelvo_YYYYMMDD_HHMMSS_as.tar.gz
// Database files are copied through SQLite's online backup, which takes a consistent
// picture of a file even while another program writes it; rollback journals are left out;
// other files are copied as they are, and sub-folders with them (also those reached through
// a link; a link back into the folder's own ancestry is kept as a link), every name as the
// bytes it has on disk. The copy is staged in the temporary folder (TMPDIR, else /tmp) and
// removed afterwards; each archive is synced once, before it is given its name. Anything in
// the folder that cannot be read, and any write that fails (a full disk, a limit on the size
// of files), fails the backup: no archive is written. Exit code 0 when every archive was
// written.
//
// The program that starts it has closed by then, so a backup that fails is reported here:
// in a window of its own ("데이터 백업") that names the folder and the reason, and on
// standard error. Where no window can be seen (no display, or the off-screen platform) the
// report goes to standard error only.
#include "ToolSupport.h"

#include "platform/Prompter.h"
#include "platform/QtTranslation.h"
#include "platform/SettingsStore.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <sqlite3.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <ftw.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using tools::err;
using tools::out;

struct Mode {
    QString argument; // as given on the command line, upper-cased; empty for the hard disk
    QString subfolder;
    QString tag;
};

// What went wrong, gathered for the report: the folder concerned and the reason.
struct Failure {
    QString label; // "백업 폴더", "데이터베이스 폴더" or "임시 폴더"
    QString folder;
    QString reason;
};
QList<Failure>& failures()
{
    static QList<Failure> list;
    return list;
}
void fail(const QString& label, const QString& folder, const QString& reason)
{
    failures().append({label, QDir::toNativeSeparators(folder), reason});
}
const QString kBackupFolder = QStringLiteral("백업 폴더");
const QString kDatabaseFolder = QStringLiteral("데이터베이스 폴더");
const QString kTemporaryFolder = QStringLiteral("임시 폴더");

bool windowCanBeSeen()
{
    const QByteArray platform = qgetenv("QT_QPA_PLATFORM");
    if (platform.startsWith("offscreen") || platform.startsWith("minimal"))
        return false;
    if (!platform.isEmpty() && !platform.startsWith("xcb") && !platform.startsWith("wayland"))
        return true;
    return !qgetenv("DISPLAY").isEmpty() || !qgetenv("WAYLAND_DISPLAY").isEmpty();
}

// Tells the person who asked for the backup that it failed; returns the exit code.
int report(bool window, int code)
{
    QString text = QStringLiteral("데이터 백업을 하지 못했습니다.");
    for (const Failure& f : failures()) {
        text += QStringLiteral("\r\n\r\n");
        if (!f.label.isEmpty())
            text += f.label + QStringLiteral(": ") + f.folder + QStringLiteral("\r\n");
        text += f.reason;
    }
    QString plain = text;
    plain.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    err() << plain << Qt::endl;
    if (window)
        platform::prompter().messageBox(text, QStringLiteral("데이터 백업"), platform::MsgCritical);
    return code;
}

bool modeFor(const QString& arg, Mode& mode)
{
    const QString a = arg.trimmed().toUpper();
    if (a.isEmpty())
        mode = {QString(), QString(), QString()};
    else if (a == QLatin1String("HDDAUTO"))
        mode = {a, QString(), QStringLiteral("_auto")};
    else if (a == QLatin1String("SERVERUP"))
        mode = {a, QStringLiteral("Server"), QStringLiteral("_server")};
    else if (a == QLatin1String("AS"))
        mode = {a, QStringLiteral("AS"), QStringLiteral("_as")};
    else
        return false;
    return true;
}

// Paths below are kept as the bytes they have on disk: a name copied from an older system
// (CP949, say) is no valid text, and would not find its file again once turned into text.
QString shown(const QByteArray& path) { return QDir::toNativeSeparators(QFile::decodeName(path)); }
QString systemError(int code) { return QString::fromLocal8Bit(std::strerror(code)); }

bool isSqliteFile(int fd)
{
    char head[16];
    return ::pread(fd, head, sizeof head, 0) == ssize_t(sizeof head) && std::memcmp(head, "SQLite format 3\0", 16) == 0;
}

bool isJournal(const QByteArray& name)
{
    return name.endsWith("-journal") || name.endsWith("-wal") || name.endsWith("-shm");
}

// The system's error code for a failed write of the copy, from SQLite's result; 0 when it was
// not the writing that failed.
int writeError(sqlite3* dst, int rc)
{
    if ((rc & 0xff) == SQLITE_FULL)
        return ENOSPC;
    int code = 0;
    if (dst && (rc & 0xff) == SQLITE_IOERR)
        sqlite3_file_control(dst, "main", SQLITE_FCNTL_LAST_ERRNO, &code);
    return code;
}

// Copies a live database file through the online backup. The whole copy is one step, so
// it is taken under one read lock and shows one committed state of the source. On failure
// error says why, and writing whether it was the writing of the copy that failed.
bool backupDatabase(const QByteArray& from, const QByteArray& to, QString& error, bool& writing)
{
    sqlite3* src = nullptr;
    sqlite3* dst = nullptr;
    auto fail = [&](const QString& what, int written = 0) {
        writing = written != 0;
        error = written ? systemError(written) : what;
        sqlite3_close(src);
        sqlite3_close(dst);
        ::unlink(to.constData());
        ::unlink((to + "-journal").constData());
        return false;
    };
    // Read-write (without create) so that a journal left by a crashed writer is rolled
    // back before the copy; a file we may not write is read as it is.
    if (sqlite3_open_v2(from.constData(), &src, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(src);
        src = nullptr;
        if (sqlite3_open_v2(from.constData(), &src, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
            return fail(QString::fromUtf8(sqlite3_errmsg(src)));
    }
    dao::LockWait waitForWorkstations(src); // another workstation's short write is waited for
    if (sqlite3_open_v2(to.constData(), &dst, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        return fail(QString::fromUtf8(sqlite3_errmsg(dst)), dst ? sqlite3_system_errno(dst) : 0);
    // A copy in the temporary folder: the archive is synced once when it is whole.
    sqlite3_exec(dst, "PRAGMA synchronous = OFF", nullptr, nullptr, nullptr);
    sqlite3_backup* b = sqlite3_backup_init(dst, "main", src, "main");
    if (!b)
        return fail(QString::fromUtf8(sqlite3_errmsg(dst)));
    int rc;
    int tries = 0;
    do {
        rc = sqlite3_backup_step(b, -1);
        if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
            if (++tries > 300)
                break;
            QThread::msleep(100);
        }
    } while (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED);
    const int frc = sqlite3_backup_finish(b);
    if (rc != SQLITE_DONE || frc != SQLITE_OK) {
        const int code = rc != SQLITE_DONE ? rc : frc;
        return fail(QString::fromUtf8(sqlite3_errstr(code)), writeError(dst, code));
    }
    // The copy is checked before it goes into the archive.
    sqlite3_stmt* st = nullptr;
    QString check;
    if (sqlite3_prepare_v2(dst, "PRAGMA quick_check", -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
        check = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    if (check != QLatin1String("ok"))
        return fail(QStringLiteral("the copy does not pass the check: ") + check);
    const int jrc = sqlite3_exec(dst, "PRAGMA journal_mode = DELETE", nullptr, nullptr, nullptr);
    if (jrc != SQLITE_OK && writeError(dst, jrc))
        return fail(QString(), writeError(dst, jrc));
    sqlite3_close(src);
    src = nullptr;
    if (sqlite3_close(dst) != SQLITE_OK) {
        dst = nullptr;
        return fail(QStringLiteral("cannot close the copy"));
    }
    dst = nullptr;
    return true;
}

// Copies the file open as in (and closes it) as it is, every write checked for its whole
// length. On failure error says why, and writing whether it was the writing of the copy that failed.
bool copyFile(int in, const QByteArray& to, mode_t mode, QByteArray& buffer, QString& error, bool& writing)
{
    const int out = ::open(to.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    int code = out < 0 ? errno : 0;
    writing = out < 0;
    while (!code) {
        const ssize_t n = ::read(in, buffer.data(), size_t(buffer.size()));
        if (n == 0)
            break;
        if (n < 0) {
            if (errno != EINTR)
                code = errno;
            continue;
        }
        for (ssize_t done = 0; done < n && !code;) {
            const ssize_t w = ::write(out, buffer.constData() + done, size_t(n - done));
            if (w > 0)
                done += w;
            else if (w == 0 || errno != EINTR)
                code = w == 0 ? ENOSPC : errno; // the part after a short write tells why
            writing = code != 0;
        }
    }
    ::close(in);
    if (!code && ::fchmod(out, mode & 07777) != 0)
        code = errno, writing = true;
    if (out >= 0 && ::close(out) != 0 && !code)
        code = errno, writing = true;
    if (code) {
        if (out >= 0)
            ::unlink(to.constData());
        error = systemError(code);
        return false;
    }
    return true;
}

// Copies the database folder into the stage: everything the user sees in it, database files
// through the online backup. A link to a folder is followed (its files are what the user
// sees there), unless it leads back into the folder's own ancestry (its parent, an ancestor,
// the folder itself); that one, and a link that leads nowhere, is kept as a link, as tar
// keeps it. Whatever cannot be read is named, and the stage then does not count as whole;
// a copy that cannot be written into the temporary folder ends the staging.
class Stager {
public:
    Stager(const QByteArray& folder, const QList<QByteArray>& skip, const QString& temporary)
        : m_folder(folder), m_skip(skip), m_temporary(temporary), m_buffer(1 << 18, '\0')
    {
    }

    bool stage(const QByteArray& to)
    {
        QList<QByteArray> chain{m_folder};
        stageFolder(m_folder, to, chain);
        return m_ok;
    }

private:
    void cannot(const QByteArray& path, const QString& what, const QString& why = QString())
    {
        const QString reason = why.isEmpty() ? QString() : QStringLiteral(" (") + why + QLatin1Char(')');
        err() << "데이터압축: " << shown(path) << ": " << what << reason << Qt::endl;
        fail(kDatabaseFolder, QFile::decodeName(m_folder), what + QStringLiteral(": ") + shown(path) + reason);
        m_ok = false;
    }

    // The temporary folder is full, or the copy is larger than the files may grow.
    void cannotWrite(const QByteArray& path, const QString& why)
    {
        const QString what = QStringLiteral("임시 폴더에 복사하지 못했습니다");
        err() << "데이터압축: " << shown(path) << ": " << what << " (" << why << ')' << Qt::endl;
        fail(kTemporaryFolder, m_temporary, what + QStringLiteral(": ") + shown(path) + QStringLiteral(" (") + why + QLatin1Char(')'));
        m_ok = false;
        m_stopped = true;
    }

    bool skipped(const QByteArray& path) const
    {
        for (const QByteArray& s : m_skip)
            if (!s.isEmpty() && (path == s || path.startsWith(s + '/')))
                return true;
        return false;
    }

    // A folder that holds one of the folders being copied: following a link there would
    // copy the folder into itself.
    static bool holdsOneOf(const QByteArray& real, const QList<QByteArray>& chain)
    {
        const QByteArray inside = real.endsWith('/') ? real : real + '/';
        for (const QByteArray& c : chain)
            if (c == real || c.startsWith(inside))
                return true;
        return false;
    }

    void stageFile(const QByteArray& path, const QByteArray& target, mode_t mode)
    {
        QString error;
        bool writing = false;
        const int in = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
        if (in < 0) {
            cannot(path, QStringLiteral("파일을 복사하지 못했습니다"), systemError(errno));
        } else if (isSqliteFile(in)) {
            ::close(in);
            if (!backupDatabase(path, target, error, writing)) {
                if (writing)
                    cannotWrite(path, error);
                else
                    cannot(path, QStringLiteral("데이터베이스 파일을 복사하지 못했습니다"), error);
            }
        } else if (!copyFile(in, target, mode, m_buffer, error, writing)) {
            if (writing)
                cannotWrite(path, error);
            else
                cannot(path, QStringLiteral("파일을 복사하지 못했습니다"), error);
        }
    }

    void stageLink(const QByteArray& path, const QByteArray& target)
    {
        QByteArray text(4096, '\0');
        const ssize_t n = ::readlink(path.constData(), text.data(), size_t(text.size()));
        if (n < 0 || n >= text.size())
            cannot(path, QStringLiteral("링크를 복사하지 못했습니다"), systemError(n < 0 ? errno : ENAMETOOLONG));
        else if (::symlink(text.left(int(n)).constData(), target.constData()) != 0)
            cannotWrite(path, systemError(errno));
    }

    // from: the folder as the user reaches it; chain: the real folders from the top down to it.
    void stageFolder(const QByteArray& from, const QByteArray& to, QList<QByteArray>& chain)
    {
        if (::mkdir(to.constData(), 0777) != 0) {
            cannotWrite(from, systemError(errno));
            return;
        }
        DIR* d = ::opendir(from.constData());
        if (!d) {
            cannot(from, QStringLiteral("폴더를 읽을 수 없습니다"), systemError(errno));
            return;
        }
        QByteArrayList names;
        for (;;) {
            errno = 0;
            const dirent* e = ::readdir(d);
            if (!e) {
                if (errno != 0)
                    cannot(from, QStringLiteral("폴더를 읽을 수 없습니다"), systemError(errno));
                break;
            }
            const QByteArray name(e->d_name);
            if (name != "." && name != "..")
                names << name;
        }
        ::closedir(d);
        std::sort(names.begin(), names.end());
        for (const QByteArray& name : names) {
            if (m_stopped)
                return;
            if (isJournal(name))
                continue;
            const QByteArray path = from + '/' + name;
            const QByteArray target = to + '/' + name;
            if (skipped(path))
                continue;
            struct stat entry {};
            if (::lstat(path.constData(), &entry) != 0) {
                if (errno != ENOENT) // gone meanwhile (a temporary file of a workstation): nothing to keep
                    cannot(path, QStringLiteral("파일을 읽을 수 없습니다"), systemError(errno));
                continue;
            }
            const bool link = S_ISLNK(entry.st_mode);
            struct stat st = entry;
            if (link && ::stat(path.constData(), &st) != 0) {
                if (errno == ENOENT || errno == ELOOP || errno == ENOTDIR)
                    stageLink(path, target); // leads nowhere
                else
                    cannot(path, QStringLiteral("링크가 가리키는 곳을 읽을 수 없습니다"), systemError(errno));
                continue;
            }
            if (S_ISDIR(st.st_mode)) {
                char* resolved = ::realpath(path.constData(), nullptr);
                const int why = errno;
                const QByteArray real(resolved);
                std::free(resolved);
                if (real.isEmpty()) {
                    cannot(path, QStringLiteral("폴더를 읽을 수 없습니다"), systemError(why));
                } else if (skipped(real)) {
                    // the backups themselves, the stage
                } else if (holdsOneOf(real, chain)) {
                    if (link)
                        stageLink(path, target);
                    else // a folder mounted inside itself
                        cannot(path, QStringLiteral("폴더를 읽을 수 없습니다"), systemError(ELOOP));
                } else {
                    chain.append(real);
                    stageFolder(path, target, chain);
                    chain.removeLast();
                }
            } else if (S_ISREG(st.st_mode)) {
                stageFile(path, target, st.st_mode);
            } else {
                cannot(path, QStringLiteral("파일이 아니어서 백업할 수 없습니다"));
            }
        }
    }

    QByteArray m_folder;
    QList<QByteArray> m_skip;
    QString m_temporary;
    QByteArray m_buffer;
    bool m_ok = true;
    bool m_stopped = false;
};

// The temporary folder the user set (TMPDIR), else /tmp.
QString temporaryFolder()
{
    const QString set = qEnvironmentVariable("TMPDIR");
    return set.isEmpty() ? QStringLiteral("/tmp") : QDir::cleanPath(set);
}

// A folder of this run in the temporary folder, removed with all it holds (names as bytes).
class Stage {
public:
    explicit Stage(const QString& temporary)
    {
        QByteArray pattern = QFile::encodeName(temporary) + "/trelvo-backup-XXXXXX";
        if (::mkdtemp(pattern.data()))
            m_path = pattern;
        else
            m_error = errno;
    }
    ~Stage() { remove(); }
    Stage(const Stage&) = delete;
    Stage& operator=(const Stage&) = delete;
    bool isValid() const { return !m_path.isEmpty(); }
    int error() const { return m_error; }
    QByteArray path() const { return m_path; }
    void remove()
    {
        if (!m_path.isEmpty())
            ::nftw(m_path.constData(), [](const char* p, const struct stat*, int, FTW*) { ::remove(p); return 0; }, 32,
                   FTW_DEPTH | FTW_PHYS);
        m_path.clear();
    }

private:
    QByteArray m_path;
    int m_error = 0;
};

bool writeArchive(const QString& stageParent, const QString& name, const QString& archive)
{
    const QString part = archive + QStringLiteral(".part");
    QFile::remove(part);
    QProcess tar;
    tar.start(QStringLiteral("tar"), {QStringLiteral("-czf"), part, QStringLiteral("-C"), stageParent, name});
    const QString folder = QFileInfo(archive).absolutePath();
    if (!tar.waitForStarted()) {
        err() << "데이터압축: cannot start tar" << Qt::endl;
        fail(kBackupFolder, folder, QStringLiteral("압축 프로그램(tar)을 실행할 수 없습니다."));
        return false;
    }
    tar.waitForFinished(-1);
    QString why;
    if (tar.exitStatus() != QProcess::NormalExit || tar.exitCode() != 0) {
        why = QString::fromLocal8Bit(tar.readAllStandardError()).trimmed();
        if (why.isEmpty())
            why = QStringLiteral("tar: ") + tar.errorString();
        err() << "데이터압축: tar failed: " << why << Qt::endl;
    } else {
        // The one sync of the backup: the archive is on the disk before it is given its name.
        const int fd = ::open(QFile::encodeName(part).constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0 || ::fsync(fd) != 0)
            why = systemError(errno);
        if (fd >= 0)
            ::close(fd);
        if (why.isEmpty() && !QFile::rename(part, archive))
            why = QStringLiteral("cannot rename ") + QDir::toNativeSeparators(part);
        if (!why.isEmpty())
            err() << "데이터압축: cannot write " << QDir::toNativeSeparators(archive) << ": " << why << Qt::endl;
    }
    if (why.isEmpty() && QFileInfo::exists(archive))
        return true;
    fail(kBackupFolder, folder, QStringLiteral("백업 파일을 쓰지 못했습니다: ") + QDir::toNativeSeparators(archive)
                                    + (why.isEmpty() ? QString() : QStringLiteral("\r\n") + why));
    QFile::remove(part);
    return false;
}

QString backupRoot() { return QDir::homePath() + QStringLiteral("/Trelvo/Backup"); }

} // namespace

int main(int argc, char** argv)
{
    // Past a limit on the size of files (ulimit -f) a write fails with "File too large" like
    // any other failed write, here and in tar, which inherits this; the backup is then told as
    // failed and nothing is left, instead of the program ending without a word.
    std::signal(SIGXFSZ, SIG_IGN);
    const bool window = windowCanBeSeen();
    std::unique_ptr<QCoreApplication> application(window ? new QApplication(argc, argv) : new QCoreApplication(argc, argv));
    QCoreApplication& app = *application;
    if (window)
        platform::InstallQtTranslation();

    // The program passes its mode as one parameter text (" SERVERUP"); take every word. The
    // folder it hands over comes whole, as "--folder=<folder>".
    const QString folderOption = QStringLiteral("--folder=");
    QList<Mode> modes;
    QString given;
    bool folderGiven = false;
    for (const QString& arg : app.arguments().mid(1)) {
        if (arg.startsWith(folderOption)) {
            given = arg.mid(folderOption.size());
            folderGiven = true;
            continue;
        }
        for (const QString& word : arg.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            Mode m;
            if (!modeFor(word, m)) {
                err() << "데이터압축: unknown mode " << word << " (use SERVERUP, AS or HDDAUTO)" << Qt::endl;
                fail(QString(), QString(), QStringLiteral("알 수 없는 백업 방식입니다: ") + word);
                return report(window, 2);
            }
            modes.append(m);
        }
    }
    if (modes.isEmpty())
        modes.append(Mode{});

    QString folder = (folderGiven ? given : platform::GetSetting(QStringLiteral("Backup"), QStringLiteral("DB경로"), QStringLiteral("경로")))
                         .trimmed();
    folder = QDir::fromNativeSeparators(folder);
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) {
        err() << "데이터압축: the database folder is not set or does not exist: \"" << folder << "\"" << Qt::endl;
        if (folder.isEmpty())
            fail(QString(), QString(), QStringLiteral("백업할 데이터베이스 폴더가 설정되어 있지 않습니다."));
        else
            fail(kDatabaseFolder, folder, QStringLiteral("데이터베이스 폴더가 없습니다."));
        return report(window, 1);
    }
    folder = QDir(folder).canonicalPath();

    const QString temporary = temporaryFolder();
    Stage tmp(temporary);
    if (!tmp.isValid()) {
        err() << "데이터압축: no temporary folder in " << QDir::toNativeSeparators(temporary) << ": " << systemError(tmp.error()) << Qt::endl;
        fail(kTemporaryFolder, temporary, QStringLiteral("임시 폴더를 만들 수 없습니다. (") + systemError(tmp.error()) + QLatin1Char(')'));
        return report(window, 1);
    }
    QString name = QFileInfo(folder).fileName();
    if (name.isEmpty())
        name = QStringLiteral("Dbs");
    const QString root = backupRoot();
    // Archives written into the database folder itself are not backed up again, nor is the
    // stage (a link to the temporary folder).
    QList<QByteArray> skip = {QFile::encodeName(QDir(root).absolutePath()), QFile::encodeName(QDir(root).canonicalPath()), tmp.path()};
    if (char* real = ::realpath(tmp.path().constData(), nullptr)) {
        skip.append(QByteArray(real));
        std::free(real);
    }
    skip.removeAll(QByteArray());
    if (!Stager(QFile::encodeName(folder), skip, temporary).stage(tmp.path() + '/' + QFile::encodeName(name))) {
        tmp.remove();
        return report(window, 1);
    }

    const QString stamp = platform::now().toString(QStringLiteral("yyyyMMdd_HHmmss"));
    for (const Mode& m : modes) {
        const QString dest = m.subfolder.isEmpty() ? root : QDir(root).filePath(m.subfolder);
        if (!QDir().mkpath(dest)) {
            err() << "데이터압축: cannot create " << QDir::toNativeSeparators(dest) << Qt::endl;
            fail(kBackupFolder, dest, QStringLiteral("백업 폴더를 만들 수 없습니다."));
            continue;
        }
        QString archive = QDir(dest).filePath(QStringLiteral("Trelvo_%1%2.tar.gz").arg(stamp, m.tag));
        for (int n = 2; QFileInfo::exists(archive); ++n)
            archive = QDir(dest).filePath(QStringLiteral("Trelvo_%1%2_%3.tar.gz").arg(stamp, m.tag).arg(n));
        if (writeArchive(QFile::decodeName(tmp.path()), name, archive))
            out() << QDir::toNativeSeparators(archive) << Qt::endl;
    }
    tmp.remove();
    return failures().isEmpty() ? 0 : report(window, 1);
}
