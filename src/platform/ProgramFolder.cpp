#include "platform/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>

namespace platform {

namespace {
QString& overrideFolder()
{
    static QString folder;
    return folder;
}
} // namespace

QString programFolder()
{
    if (!overrideFolder().isEmpty())
        return overrideFolder();
    const QByteArray env = qgetenv("TRELVO_PROGRAM_DIR");
    if (!env.isEmpty())
        return QDir::toNativeSeparators(QDir::cleanPath(QString::fromLocal8Bit(env)));
    if (QCoreApplication::instance())
        return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
    return QDir::toNativeSeparators(QDir::currentPath());
}

void setProgramFolder(const QString& folder)
{
    overrideFolder() = folder.isEmpty() ? QString() : QDir::toNativeSeparators(QDir::cleanPath(folder));
}

QString programPath(const QString& relative)
{
    return QDir::toNativeSeparators(programFolder() + QDir::separator() + relative);
}

} // namespace platform
