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
// a link). Anything in the folder that cannot be read fails the backup: no archive is
// written. Exit code 0 when every archive was written.
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
#include <QTemporaryDir>
#include <QThread>
#include <sqlite3.h>

#include <cerrno>
#include <cstring>
#include <dirent.h>
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
    QString label; // "백업 폴더" or "데이터베이스 폴더"
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

bool isSqliteFile(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return false;
    return f.read(16) == QByteArray("SQLite format 3\0", 16);
}

bool isJournal(const QString& name)
{
    return name.endsWith(QLatin1String("-journal")) || name.endsWith(QLatin1String("-wal"))
        || name.endsWith(QLatin1String("-shm"));
}

// Copies a live database file through the online backup. The whole copy is one step, so
// it is taken under one read lock and shows one committed state of the source.
bool backupDatabase(const QString& from, const QString& to, QString& error)
{
    sqlite3* src = nullptr;
    sqlite3* dst = nullptr;
    auto fail = [&](const QString& what) {
        error = what;
        sqlite3_close(src);
        sqlite3_close(dst);
        QFile::remove(to);
        return false;
    };
    // Read-write (without create) so that a journal left by a crashed writer is rolled
    // back before the copy; a file we may not write is read as it is.
    if (sqlite3_open_v2(QFile::encodeName(from).constData(), &src, SQLITE_OPEN_READWRITE, nullptr) != SQLITE_OK) {
        sqlite3_close(src);
        src = nullptr;
        if (sqlite3_open_v2(QFile::encodeName(from).constData(), &src, SQLITE_OPEN_READONLY, nullptr) != SQLITE_OK)
            return fail(QString::fromUtf8(sqlite3_errmsg(src)));
    }
    dao::LockWait waitForWorkstations(src); // another workstation's short write is waited for
    if (sqlite3_open_v2(QFile::encodeName(to).constData(), &dst, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        return fail(QString::fromUtf8(sqlite3_errmsg(dst)));
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
    if (rc != SQLITE_DONE || frc != SQLITE_OK)
        return fail(QString::fromUtf8(sqlite3_errstr(rc != SQLITE_DONE ? rc : frc)));
    // The copy is checked before it goes into the archive.
    sqlite3_stmt* st = nullptr;
    QString check;
    if (sqlite3_prepare_v2(dst, "PRAGMA quick_check", -1, &st, nullptr) == SQLITE_OK && sqlite3_step(st) == SQLITE_ROW)
        check = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)));
    sqlite3_finalize(st);
    if (check != QLatin1String("ok"))
        return fail(QStringLiteral("the copy does not pass the check: ") + check);
    sqlite3_exec(dst, "PRAGMA journal_mode = DELETE", nullptr, nullptr, nullptr);
    sqlite3_close(src);
    src = nullptr;
    if (sqlite3_close(dst) != SQLITE_OK) {
        dst = nullptr;
        return fail(QStringLiteral("cannot close the copy"));
    }
    dst = nullptr;
    return true;
}

// Copies the database folder into the stage: everything the user sees in it, database files
// through the online backup. A link to a folder is followed (its files are what the user
// sees there), unless it leads back into a folder it is in; that one, and a link that
// leads nowhere, is kept as a link, as tar keeps it. Whatever cannot be read is named, and
// the stage then does not count as whole.
class Stager {
public:
    Stager(const QString& folder, const QStringList& skip) : m_folder(folder), m_skip(skip) {}

    bool stage(const QString& to)
    {
        QStringList chain{m_folder};
        stageFolder(m_folder, to, chain);
        return m_ok;
    }

private:
    void cannot(const QString& path, const QString& what, const QString& why = QString())
    {
        err() << "데이터압축: " << QDir::toNativeSeparators(path) << ": " << what
              << (why.isEmpty() ? QString() : QStringLiteral(" (") + why + QLatin1Char(')')) << Qt::endl;
        fail(kDatabaseFolder, m_folder, what + QStringLiteral(": ") + QDir::toNativeSeparators(path)
                                            + (why.isEmpty() ? QString() : QStringLiteral(" (") + why + QLatin1Char(')')));
        m_ok = false;
    }

    bool skipped(const QString& path) const
    {
        for (const QString& s : m_skip)
            if (!s.isEmpty() && (path == s || path.startsWith(s + QLatin1Char('/'))))
                return true;
        return false;
    }

    void stageFile(const QString& path, const QString& target)
    {
        QString error;
        if (isSqliteFile(path)) {
            if (!backupDatabase(path, target, error))
                cannot(path, QStringLiteral("데이터베이스 파일을 복사하지 못했습니다"), error);
        } else if (!QFile::copy(path, target)) {
            QFile f(path);
            cannot(path, QStringLiteral("파일을 복사하지 못했습니다"),
                   f.open(QIODevice::ReadOnly) ? QString() : f.errorString());
        }
    }

    void stageLink(const QString& path, const QString& target)
    {
        QByteArray text(4096, '\0');
        const ssize_t n = ::readlink(QFile::encodeName(path).constData(), text.data(), size_t(text.size()));
        if (n < 0 || n >= text.size() || ::symlink(text.left(int(n)).constData(), QFile::encodeName(target).constData()) != 0)
            cannot(path, QStringLiteral("링크를 복사하지 못했습니다"), QString::fromLocal8Bit(std::strerror(errno)));
    }

    // from: the folder as the user reaches it; chain: the real folders from the top down to it.
    void stageFolder(const QString& from, const QString& to, QStringList& chain)
    {
        if (!QDir().mkpath(to)) {
            cannot(from, QStringLiteral("임시 폴더에 복사하지 못했습니다"));
            return;
        }
        DIR* d = ::opendir(QFile::encodeName(from).constData());
        if (!d) {
            cannot(from, QStringLiteral("폴더를 읽을 수 없습니다"), QString::fromLocal8Bit(std::strerror(errno)));
            return;
        }
        QStringList names;
        for (;;) {
            errno = 0;
            const dirent* e = ::readdir(d);
            if (!e) {
                if (errno != 0)
                    cannot(from, QStringLiteral("폴더를 읽을 수 없습니다"), QString::fromLocal8Bit(std::strerror(errno)));
                break;
            }
            const QString name = QFile::decodeName(e->d_name);
            if (name != QLatin1String(".") && name != QLatin1String(".."))
                names << name;
        }
        ::closedir(d);
        names.sort();
        for (const QString& name : names) {
            if (isJournal(name))
                continue;
            const QString path = from + QLatin1Char('/') + name;
            const QString target = to + QLatin1Char('/') + name;
            if (skipped(path))
                continue;
            struct stat entry {};
            if (::lstat(QFile::encodeName(path).constData(), &entry) != 0) {
                if (errno != ENOENT) // gone meanwhile (a temporary file of a workstation): nothing to keep
                    cannot(path, QStringLiteral("파일을 읽을 수 없습니다"), QString::fromLocal8Bit(std::strerror(errno)));
                continue;
            }
            struct stat st = entry;
            if (S_ISLNK(entry.st_mode) && ::stat(QFile::encodeName(path).constData(), &st) != 0) {
                if (errno == ENOENT || errno == ELOOP || errno == ENOTDIR)
                    stageLink(path, target); // leads nowhere
                else
                    cannot(path, QStringLiteral("링크가 가리키는 곳을 읽을 수 없습니다"), QString::fromLocal8Bit(std::strerror(errno)));
                continue;
            }
            if (S_ISDIR(st.st_mode)) {
                const QString real = QFileInfo(path).canonicalFilePath();
                if (real.isEmpty()) {
                    cannot(path, QStringLiteral("폴더를 읽을 수 없습니다"));
                } else if (skipped(real)) {
                    // the backups themselves
                } else if (chain.contains(real)) {
                    stageLink(path, target); // leads back into a folder it is in
                } else {
                    chain.append(real);
                    stageFolder(path, target, chain);
                    chain.removeLast();
                }
            } else if (S_ISREG(st.st_mode)) {
                stageFile(path, target);
            } else {
                cannot(path, QStringLiteral("파일이 아니어서 백업할 수 없습니다"));
            }
        }
    }

    QString m_folder;
    QStringList m_skip;
    bool m_ok = true;
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
    if (tar.exitStatus() != QProcess::NormalExit || tar.exitCode() != 0) {
        const QString why = QString::fromLocal8Bit(tar.readAllStandardError()).trimmed();
        err() << "데이터압축: tar failed: " << why << Qt::endl;
        fail(kBackupFolder, folder, QStringLiteral("백업 파일을 쓰지 못했습니다: ") + QDir::toNativeSeparators(archive)
                                        + (why.isEmpty() ? QString() : QStringLiteral("\r\n") + why));
        QFile::remove(part);
        return false;
    }
    if (!QFile::rename(part, archive)) {
        err() << "데이터압축: cannot write " << QDir::toNativeSeparators(archive) << Qt::endl;
        fail(kBackupFolder, folder, QStringLiteral("백업 파일을 쓰지 못했습니다: ") + QDir::toNativeSeparators(archive));
        QFile::remove(part);
        return false;
    }
    return true;
}

QString backupRoot() { return QDir::homePath() + QStringLiteral("/Trelvo/Backup"); }

} // namespace

int main(int argc, char** argv)
{
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

    QTemporaryDir tmp;
    if (!tmp.isValid()) {
        err() << "데이터압축: no temporary folder" << Qt::endl;
        fail(QStringLiteral("임시 폴더"), QDir::tempPath(), QStringLiteral("임시 폴더를 만들 수 없습니다."));
        return report(window, 1);
    }
    QString name = QFileInfo(folder).fileName();
    if (name.isEmpty())
        name = QStringLiteral("Dbs");
    const QString stage = QDir(tmp.path()).filePath(name);
    QDir().mkpath(stage);
    const QString root = backupRoot();
    // Archives written into the database folder itself are not backed up again.
    QStringList skip = {QDir(root).absolutePath(), QDir(root).canonicalPath()};
    skip.removeAll(QString());
    if (!Stager(folder, skip).stage(stage))
        return report(window, 1);

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
        if (writeArchive(tmp.path(), name, archive))
            out() << QDir::toNativeSeparators(archive) << Qt::endl;
    }
    return failures().isEmpty() ? 0 : report(window, 1);
}
