// trelvo-mkdb: creates the empty main database and the postal-code database.
//
//   trelvo-mkdb [--folder DIR]
//
// DIR defaults to the folder Dbs under the program folder. Each file (trelvoDB.mdb,
// dbpost.mdb) is created only when it is missing; an existing file is never touched.
// A file is built under a temporary name and moved into place only when complete, so a
// failure never leaves a half-made database behind.
#include "ShippedSchema.h"
#include "ToolSupport.h"

#include "platform/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

using tools::err;
using tools::out;

// 0 created, 1 already there, -1 failed.
int createIfMissing(const QString& folder, const QString& fileName, const unsigned char* script,
                    std::size_t size)
{
    const QString path = QDir(folder).filePath(fileName);
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) {
        out() << "exists, left as it is: " << QDir::toNativeSeparators(path) << Qt::endl;
        return 1;
    }
    const QString tmp = QDir(folder).filePath(QStringLiteral(".%1.%2.new").arg(fileName).arg(QCoreApplication::applicationPid()));
    tools::removeDatabaseFile(tmp);
    if (!tools::runScript(tmp, script, size, "trelvo-mkdb")) {
        tools::removeDatabaseFile(tmp);
        return -1;
    }
    // rename() of QFile refuses to replace an existing file, so a file that appeared
    // meanwhile (another workstation, another run) is kept.
    if (!QFile::rename(tmp, path)) {
        QFile::remove(tmp);
        if (QFileInfo::exists(path)) {
            out() << "exists, left as it is: " << QDir::toNativeSeparators(path) << Qt::endl;
            return 1;
        }
        err() << "trelvo-mkdb: cannot create " << QDir::toNativeSeparators(path) << Qt::endl;
        return -1;
    }
    out() << "created: " << QDir::toNativeSeparators(path) << Qt::endl;
    return 0;
}

void usage()
{
    err() << "usage: trelvo-mkdb [--folder DIR]\n"
             "  Creates DIR/trelvoDB.mdb and DIR/dbpost.mdb when they are missing\n"
             "  (default DIR: the folder Dbs beside the program)." << Qt::endl;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QString folder;
    const QStringList args = app.arguments().mid(1);
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--folder") && i + 1 < args.size()) {
            folder = args[++i];
        } else if (a.startsWith(QLatin1String("--folder="))) {
            folder = a.mid(9);
        } else if (a == QLatin1String("-h") || a == QLatin1String("--help")) {
            usage();
            return 0;
        } else {
            usage();
            return 2;
        }
    }
    if (folder.isEmpty())
        folder = platform::programPath(QStringLiteral("Dbs"));
    if (!QDir().mkpath(folder)) {
        err() << "trelvo-mkdb: cannot create the folder " << QDir::toNativeSeparators(folder) << Qt::endl;
        return 1;
    }
    const int a = createIfMissing(folder, QStringLiteral("trelvoDB.mdb"), kMainSchemaSql, kMainSchemaSqlSize);
    const int b = createIfMissing(folder, QStringLiteral("dbpost.mdb"), kPostSchemaSql, kPostSchemaSqlSize);
    return (a < 0 || b < 0) ? 1 : 0;
}
