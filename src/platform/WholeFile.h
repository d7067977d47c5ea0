#pragma once
// Files that are written whole or not at all. A print to a PDF file is written beside its
// place and put there only when every byte of it was written and synced: a full disk, a
// file-size limit or a failing device leave no part of it, and an older file of that name
// as it was.
#include <QIODevice>
#include <QSaveFile>
#include <QString>
#include <functional>

class QPainter;
class QPagedPaintDevice;
class QPrinter;

namespace platform {

// A write past the file-size limit of the process (ulimit -f) fails like any other failed
// write (EFBIG) instead of ending the process. The program's start calls it; so does every
// whole file before it writes. Harmless to call again.
void FailWritesPastTheSizeLimit();

// The write side of a file written whole. Everything written goes, in pieces, to a file
// beside the target; the length of every write is checked (a write that the system takes
// only in part is carried on with the rest, and the write that takes nothing says why).
// After the first failure nothing more is written and commit() fails.
class WholeFile : public QIODevice {
public:
    explicit WholeFile(const QString& path);
    ~WholeFile() override; // a file not committed is discarded

    // Starts the file beside the target. False, with a reason, when it cannot be made.
    bool open();
    // Writes what is left, syncs the file and puts it in place of the target. False, with
    // a reason, when any byte could not be written: nothing is left, an older file stays.
    bool commit();
    // Drops the file; the target stays as it was.
    void discard();
    QString path() const { return m_path; }
    // The system's handle of the file being written (its owner may be set on it); -1 when
    // it is not open.
    int handle() const { return m_file.handle(); }
    // Why the file was refused or could not be written (empty while all is well).
    QString failure() const { return m_failure; }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 len) override;

private:
    bool fail(const QString& why);
    bool drain();

    QString m_path;
    QSaveFile m_file;
    QByteArray m_pending;
    QString m_failure;
};

// Appends bytes (a line of a log or a spool) to the end of a file, made when missing, whole
// or not at all: a write the disk or a file-size limit takes only in part is taken back, so
// that no cut line is left for the next one to be glued to. False, with a reason, when the
// bytes were not appended.
bool AppendWhole(const QString& path, const QByteArray& bytes, QString& error);

// Paints pages: given a painter begun on them (the device's newPage() starts the next
// page); false with a reason when they could not be painted.
using PagePainter = std::function<bool(QPainter&, QPagedPaintDevice&, QString&)>;

// Prints on a printer. A printer that writes a PDF file gets a whole file: painted with the
// printer's page layout, resolution and names, and put in place only when every byte was
// written (else nothing is left, an older file of that name stays). Any other printer (a
// preview's pages, a printer queue) is painted on as it is. False with a reason when the
// print could not be begun, paint failed or the file could not be written whole.
bool PaintOnPrinter(QPrinter& printer, const PagePainter& paint, QString& error);

} // namespace platform
