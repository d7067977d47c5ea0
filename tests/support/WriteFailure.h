#pragma once
// Real ways for writing a file to fail part-way, as on a full disk: a small file system of its
// own (a tmpfs, which only root may mount), or a limit on the size of every file this process
// writes (any user; the write past it fails with EFBIG instead of stopping the process).
#include <QDir>
#include <QFile>
#include <QString>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/mount.h>
#include <sys/resource.h>

namespace testsupport {

// A tmpfs of `size` ("16k") mounted on folder (made when missing) for the life of the object;
// with no size, the folder alone, on the disk it lies on. ok() is false, and why() says why,
// where mounting is not allowed.
class SmallFileSystem {
public:
    SmallFileSystem(const QString& folder, const char* size) : m_folder(folder)
    {
        if (!QDir().mkpath(folder))
            m_why = QStringLiteral("the folder %1 cannot be made").arg(folder);
        if (!size) {
            m_ok = m_why.isEmpty();
            return;
        }
        const QByteArray options = QByteArray("size=") + size;
        if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, options.constData()) != 0)
            m_why = QStringLiteral("no tmpfs can be mounted on %1: %2").arg(folder, QString::fromLocal8Bit(std::strerror(errno)));
        else
            m_ok = m_mounted = true;
    }
    ~SmallFileSystem()
    {
        if (m_mounted)
            ::umount2(QFile::encodeName(m_folder).constData(), MNT_DETACH);
    }
    SmallFileSystem(const SmallFileSystem&) = delete;
    SmallFileSystem& operator=(const SmallFileSystem&) = delete;
    bool ok() const { return m_ok; }
    QString why() const { return m_why; }

private:
    QString m_folder;
    QString m_why;
    bool m_mounted = false;
    bool m_ok = false;
};

// Files of this process cannot grow past `bytes` while the object lives.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &m_before);
        m_signal = std::signal(SIGXFSZ, SIG_IGN);
        rlimit lim = m_before;
        lim.rlim_cur = bytes;
        m_ok = ::setrlimit(RLIMIT_FSIZE, &lim) == 0;
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &m_before);
        std::signal(SIGXFSZ, m_signal);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool ok() const { return m_ok; }

private:
    rlimit m_before{};
    void (*m_signal)(int) = SIG_DFL;
    bool m_ok = false;
};

} // namespace testsupport
