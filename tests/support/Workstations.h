#pragma once
// Other workstations for a test: real processes of tests/workers/workstation.cpp working on
// one database file with the program's own connection.
#include <QHash>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <memory>

namespace testsupport {

struct WorkstationResult {
    int exitCode = -1;
    QHash<QString, QString> values; // the key=value pairs of its last output line
    QString errors;                 // what it wrote to standard error
    qint64 value(const QString& key) const { return values.value(key, QStringLiteral("-1")).toLongLong(); }
};

class Workstations {
public:
    ~Workstations();
    // Starts one workstation with these arguments (mode, file, ...); it waits for go().
    void start(const QStringList& arguments);
    // Lets every started workstation open the database at the same moment.
    void go();
    // Waits for all of them to end (at most timeoutMs) and gives their results in order.
    QList<WorkstationResult> finish(int timeoutMs = 240000);

    // A workstation holding an exclusive lock on file for ms milliseconds (with write false:
    // the lock of a reader in the middle of its read); returns once the lock is held. The
    // process ends by itself.
    static std::unique_ptr<QProcess> holdLock(const QString& file, int ms, bool write = true);
    // A workstation in the middle of an ordinary write for ms milliseconds (BEGIN IMMEDIATE and
    // one call inserted into tellist, 2024-03-20 14:05:00 from 0299990000), committed then;
    // returns once the write has begun.
    static std::unique_ptr<QProcess> holdWrite(const QString& file, int ms);
    static QString program();

private:
    QList<QProcess*> m_procs;
};

} // namespace testsupport
