// bench-backup [FILES] [RUNS]: the backup compressor ("데이터압축") on a database folder of
// FILES small files (default 20,000, a thousand to a sub-folder) and one database, beside
// `tar czf` of the same folder, RUNS times each (default 3). Both read the same files from
// the page cache; the compressor also stages its copy in the temporary folder and syncs the
// archive once before giving it its name. `cp -r` of the folder into the temporary folder
// shows what that copy costs on this disk at this moment.
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <sqlite3.h>

namespace {

bool makeFolder(const QString& dbs, int files)
{
    for (int i = 0; i < files; ++i) {
        const QString folder = dbs + QStringLiteral("/%1").arg(i / 1000, 2, 10, QLatin1Char('0'));
        if (i % 1000 == 0 && !QDir().mkpath(folder))
            return false;
        QFile f(folder + QStringLiteral("/memo%1.txt").arg(i));
        if (!f.open(QIODevice::WriteOnly) || f.write(QByteArray("memo ").append(QByteArray::number(i)).repeated(20)) <= 0)
            return false;
    }
    sqlite3* db = nullptr;
    const bool ok = sqlite3_open(QFile::encodeName(dbs + QStringLiteral("/trelvoDB.mdb")).constData(), &db) == SQLITE_OK
        && sqlite3_exec(db, "CREATE TABLE total (total_id INTEGER PRIMARY KEY, pro_name TEXT);"
                            "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000)"
                            " INSERT INTO total (pro_name) SELECT hex(randomblob(40)) FROM n",
                        nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(db);
    return ok;
}

// Runs a program to its end; the milliseconds it took, or -1 when it failed.
double timed(const QString& program, const QStringList& args, const QProcessEnvironment& env)
{
    QProcess p;
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer t;
    t.start();
    p.start(program, args);
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        return -1;
    return t.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int files = argc > 1 ? std::atoi(argv[1]) : 20000;
    const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
    QTemporaryDir dir;
    const QString dbs = dir.filePath(QStringLiteral("Dbs"));
    const QString tmp = dir.filePath(QStringLiteral("tmp"));
    if (!dir.isValid() || !makeFolder(dbs, files) || !QDir().mkpath(tmp)) {
        std::fprintf(stderr, "cannot make the folder of %d files in %s\n", files, qPrintable(dir.path()));
        return 1;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("HOME"), dir.filePath(QStringLiteral("home")));
    env.insert(QStringLiteral("TRELVO_SETTINGS_DIR"), dir.filePath(QStringLiteral("settings")));
    env.insert(QStringLiteral("TMPDIR"), tmp);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    const QString compressor = QCoreApplication::applicationDirPath() + QStringLiteral("/데이터압축");
    const QString reference = dir.filePath(QStringLiteral("tar.tar.gz"));

    std::printf("%d small files and one database, in %s\n", files, qPrintable(dir.path()));
    std::printf("%-6s %14s %14s %8s %12s\n", "run", "compressor ms", "tar czf ms", "ratio", "cp -r ms");
    for (int run = 1; run <= runs; ++run) {
        const double ours = timed(compressor, {QStringLiteral("--folder=") + dbs}, env);
        const double tar = timed(QStringLiteral("tar"), {QStringLiteral("-czf"), reference, QStringLiteral("-C"), dir.path(), QStringLiteral("Dbs")}, env);
        const QString copy = tmp + QStringLiteral("/copy");
        const double cp = timed(QStringLiteral("cp"), {QStringLiteral("-r"), dbs, copy}, env);
        QDir(copy).removeRecursively();
        if (ours < 0 || tar < 0) {
            std::fprintf(stderr, "run %d failed (compressor %s, tar %s)\n", run, ours < 0 ? "failed" : "ok", tar < 0 ? "failed" : "ok");
            return 1;
        }
        std::printf("%-6d %14.0f %14.0f %8.1f %12.0f\n", run, ours, tar, ours / tar, cp);
        QDir(dir.filePath(QStringLiteral("home/Trelvo/Backup"))).removeRecursively();
    }
    return 0;
}
