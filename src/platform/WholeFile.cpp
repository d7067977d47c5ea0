#include "platform/WholeFile.h"

#include <QDir>
#include <QFile>
#include <QPaintEngine>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

// Written to the file in pieces of this size; smaller writes are gathered first.
constexpr qsizetype kPiece = 64 * 1024;

} // namespace

void FailWritesPastTheSizeLimit()
{
    // A handler someone installed on purpose is left alone; only the default (the end of
    // the process) is turned into a failed write.
    struct sigaction now {};
    if (::sigaction(SIGXFSZ, nullptr, &now) == 0 && now.sa_handler == SIG_DFL) {
        struct sigaction ignore {};
        ignore.sa_handler = SIG_IGN;
        sigemptyset(&ignore.sa_mask);
        ::sigaction(SIGXFSZ, &ignore, nullptr);
    }
}

WholeFile::WholeFile(const QString& path) : m_path(path), m_file(path) {}

WholeFile::~WholeFile()
{
    if (isOpen())
        discard();
}

bool WholeFile::fail(const QString& why)
{
    if (m_failure.isEmpty())
        m_failure = why.isEmpty() ? QStringLiteral("쓰기 오류") : why;
    m_pending.clear();
    return false;
}

bool WholeFile::open()
{
    FailWritesPastTheSizeLimit();
    m_failure.clear();
    m_pending.clear();
    // unbuffered: every write below reaches the system as it is, and its length is checked
    if (!m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return fail(m_file.errorString());
    // The file put in place of an older one keeps its owner and group, as a file written
    // over would: root's print over a user's file leaves it the user's to write again.
    struct stat was {};
    if (::stat(QFile::encodeName(m_path).constData(), &was) == 0)
        (void)!::fchown(m_file.handle(), ::geteuid() == 0 ? was.st_uid : uid_t(-1), was.st_gid);
    return QIODevice::open(QIODevice::WriteOnly);
}

qint64 WholeFile::writeData(const char* data, qint64 len)
{
    if (!m_failure.isEmpty())
        return -1;
    m_pending.append(data, len);
    if (m_pending.size() >= kPiece && !drain())
        return -1;
    return len;
}

bool WholeFile::drain()
{
    const char* p = m_pending.constData();
    qint64 left = m_pending.size();
    while (left > 0) {
        // a write may take only a part (a disk filling up, a size limit reached): the rest
        // is written again, and the write that takes nothing says why
        const qint64 n = m_file.write(p, left);
        if (n <= 0)
            return fail(m_file.errorString());
        p += n;
        left -= n;
    }
    m_pending.clear();
    return true;
}

bool WholeFile::commit()
{
    if (!isOpen())
        return fail(QStringLiteral("파일이 열려 있지 않습니다."));
    if (m_failure.isEmpty())
        drain();
    // a file system may report a lack of room only when the file is synced
    if (m_failure.isEmpty() && ::fsync(m_file.handle()) != 0 && errno != EINVAL && errno != EROFS
        && errno != ENOTSUP)
        fail(QString::fromLocal8Bit(std::strerror(errno)));
    if (!m_failure.isEmpty()) {
        discard();
        return false;
    }
    const bool placed = m_file.commit();
    if (!placed)
        fail(m_file.errorString());
    QIODevice::close();
    return placed;
}

void WholeFile::discard()
{
    m_pending.clear();
    if (m_file.isOpen()) {
        m_file.cancelWriting();
        m_file.commit(); // removes the unfinished file
    }
    QIODevice::close();
}

bool AppendWhole(const QString& path, const QByteArray& bytes, QString& error)
{
    FailWritesPastTheSizeLimit();
    QFile f(path);
    // unbuffered: the write's length is known at once, and nothing is left for the close
    if (!f.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered)) {
        error = f.errorString();
        return false;
    }
    const qint64 start = f.size();
    qint64 done = 0;
    while (done < bytes.size()) {
        const qint64 n = f.write(bytes.constData() + done, bytes.size() - done);
        if (n <= 0) {
            error = f.errorString().isEmpty() ? QStringLiteral("쓰기 오류") : f.errorString();
            if (done > 0)
                (void)!::ftruncate(f.handle(), start);
            return false;
        }
        done += n;
    }
    return true;
}

namespace {

bool writesPdfFile(QPrinter& printer)
{
    const QPaintEngine* engine = printer.paintEngine();
    return printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty() && engine
        && engine->type() == QPaintEngine::Pdf;
}

bool paintPdfFile(QPrinter& printer, const PagePainter& paint, QString& error)
{
    const QString path = printer.outputFileName();
    const QString shown = QDir::toNativeSeparators(path);
    WholeFile file(path);
    if (!file.open()) {
        error = QStringLiteral("인쇄 파일을 만들 수 없습니다: %1\n(%2)").arg(shown, file.failure());
        return false;
    }
    QPdfWriter writer(&file);
    writer.setPdfVersion(printer.pdfVersion());
    writer.setResolution(printer.resolution());
    writer.setPageLayout(printer.pageLayout());
    writer.setTitle(printer.docName());
    writer.setCreator(printer.creator());
    QPainter p;
    if (!p.begin(&writer)) {
        file.discard();
        error = QStringLiteral("인쇄 파일을 만들 수 없습니다: %1").arg(shown);
        return false;
    }
    const bool painted = paint(p, writer, error);
    p.end();
    if (!painted) {
        file.discard();
        return false;
    }
    if (!file.commit()) {
        error = QStringLiteral("인쇄 파일을 다 쓰지 못했습니다: %1\n(%2)").arg(shown, file.failure());
        return false;
    }
    return true;
}

} // namespace

bool PaintOnPrinter(QPrinter& printer, const PagePainter& paint, QString& error)
{
    if (writesPdfFile(printer))
        return paintPdfFile(printer, paint, error);
    QPainter p;
    if (!p.begin(&printer)) {
        error = printer.outputFileName().isEmpty()
            ? QStringLiteral("프린터에 인쇄를 시작할 수 없습니다.")
            : QStringLiteral("인쇄 파일을 만들 수 없습니다: %1").arg(QDir::toNativeSeparators(printer.outputFileName()));
        return false;
    }
    const bool painted = paint(p, printer, error);
    p.end();
    return painted;
}

} // namespace platform
