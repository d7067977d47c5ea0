#include "support/Workstations.h"

#include <QRegularExpression>

namespace testsupport {

QString Workstations::program() { return QStringLiteral(TRELVO_BINARY_DIR "/tests/workstation"); }

Workstations::~Workstations()
{
    for (QProcess* p : m_procs) {
        if (p->state() != QProcess::NotRunning) {
            p->kill();
            p->waitForFinished(5000);
        }
        delete p;
    }
}

void Workstations::start(const QStringList& arguments)
{
    auto* p = new QProcess;
    p->start(program(), arguments);
    p->waitForStarted(10000);
    m_procs << p;
}

void Workstations::go()
{
    for (QProcess* p : m_procs)
        p->write("go\n");
    for (QProcess* p : m_procs)
        p->waitForBytesWritten(5000);
}

QList<WorkstationResult> Workstations::finish(int timeoutMs)
{
    QList<WorkstationResult> out;
    for (QProcess* p : m_procs) {
        WorkstationResult r;
        if (p->waitForFinished(timeoutMs) || p->state() == QProcess::NotRunning)
            r.exitCode = p->exitStatus() == QProcess::NormalExit ? p->exitCode() : -1;
        const QStringList lines = QString::fromUtf8(p->readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        for (const QString& pair : lines.value(lines.size() - 1).split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const int eq = pair.indexOf(QLatin1Char('='));
            if (eq > 0)
                r.values.insert(pair.left(eq), pair.mid(eq + 1));
        }
        r.errors = QString::fromUtf8(p->readAllStandardError());
        out << r;
    }
    return out;
}

std::unique_ptr<QProcess> Workstations::holdLock(const QString& file, int ms, bool write)
{
    auto p = std::make_unique<QProcess>();
    p->start(program(), {write ? QStringLiteral("hold") : QStringLiteral("holdread"), file, QString::number(ms)});
    p->waitForStarted(10000);
    while (p->state() == QProcess::Running && !p->canReadLine())
        p->waitForReadyRead(100);
    return p;
}

std::unique_ptr<QProcess> Workstations::holdWrite(const QString& file, int ms)
{
    auto p = std::make_unique<QProcess>();
    p->start(program(), {QStringLiteral("holdwrite"), file, QString::number(ms)});
    p->waitForStarted(10000);
    while (p->state() == QProcess::Running && !p->canReadLine())
        p->waitForReadyRead(100);
    return p;
}

} // namespace testsupport
