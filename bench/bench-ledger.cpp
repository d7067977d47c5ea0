// bench-ledger FILE: the main window's ledger over a large database.
// Times the start-up to a shown main window (default period), RefreshList for the whole
// period, for one month and for a telephone-suffix party search, and the same whole-period
// SELECT in the sqlite3 command-line tool as the reference.
#include "frame/frmSplash.h"
#include "frame/modMain.h"
#include "ledger/frmMain.h"
#include "ledger/VoucherQuery.h"
#include "platform/Database.h"
#include "platform/Prompter.h"
#include "platform/SettingsStore.h"
#include "platform/SpreadGrid.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>

namespace {

// Answers every question at once: the bench never waits for a person.
class BenchPrompter : public platform::Prompter {
public:
    int messageBox(const QString& text, const QString& title, int style) override
    {
        std::fprintf(stderr, "message: %s: %s\n", qPrintable(title), qPrintable(text));
        return (style & 4) ? platform::AnswerYes : platform::AnswerOk;
    }
    bool inputBox(const QString&, const QString&, QString&) override { return false; }
    int popupMenu(const QStringList&, const QPoint&) override { return -1; }
    bool chooseColor(quint32&, const QString&) override { return false; }
    int execModal(QDialog& dialog) override
    {
        if (auto* login = qobject_cast<frmSplash*>(&dialog))
            login->txtPassword_KeyDown(13); // a new database: no password yet
        else
            dialog.accept();
        return dialog.result();
    }
    bool startProgram(const QString&, const QStringList&, const QString&) override { return false; }
};

long peakRssKb()
{
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return ru.ru_maxrss;
}

double timeRefresh(frmMain& w, QApplication& app)
{
    QElapsedTimer t;
    t.start();
    w.RefreshList();
    app.processEvents();
    return t.nsecsElapsed() / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QElapsedTimer startup;
    startup.start();
    // Without a display the window is drawn off screen; the figures stay comparable.
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench-ledger FILE\n");
        return 2;
    }
    const QString file = QFileInfo(QString::fromLocal8Bit(argv[1])).absoluteFilePath();
    if (!QFileInfo(file).isFile()) {
        std::fprintf(stderr, "no such file: %s\n", argv[1]);
        return 2;
    }
    QApplication::setApplicationName(QStringLiteral("Trelvo"));
    QApplication::setApplicationVersion(QStringLiteral("1.0.0"));

    QTemporaryDir settings;
    platform::setSettingsFolder(settings.path());
    BenchPrompter prompter;
    platform::setPrompter(&prompter);
    const QString title = QStringLiteral("Trelvo");
    const QString env = QStringLiteral("환경설정");
    platform::SaveSetting(title, env, QStringLiteral("db기초"), file);
    platform::SaveSetting(title, env, QStringLiteral("db경로"), QFileInfo(file).absolutePath());
    platform::SaveSetting(title, env, QStringLiteral("NoMsg"), QStringLiteral("1"));

    // Start-up (from the program's start, the application object included) to a shown main
    // window with the default period.
    frmMain w;
    if (!w.Form_Load()) {
        std::fprintf(stderr, "start-up failed\n");
        return 1;
    }
    w.show();
    app.processEvents();
    const double startupMs = startup.nsecsElapsed() / 1e6;
    std::printf("startup: %.1f ms (default period %s..%s, %d rows)\n", startupMs,
                qPrintable(w.spDate[0]->GetText(1, 1)), qPrintable(w.spDate[1]->GetText(1, 1)),
                w.spList->MaxRows() - 1);

    // Figures of the data for the other searches.
    const QString lastDate = gDB->scalar(QStringLiteral("SELECT MAX(maechul_date) FROM total")).toString();
    const QString firstDate = gDB->scalar(QStringLiteral("SELECT MIN(maechul_date) FROM total")).toString();
    QString tel = gDB->scalar(QStringLiteral("SELECT m.tel FROM maechul m WHERE length(m.tel) >= 4 AND EXISTS"
                                             " (SELECT 1 FROM total t WHERE t.maechul_code = m.id) LIMIT 1"))
                      .toString();
    const QString suffix = tel.right(4);

    // Whole period.
    w.spDate[0]->SetText(1, 1, firstDate);
    w.spDate[1]->SetText(1, 1, lastDate);
    const double wholeMs = timeRefresh(w, app);
    const int wholeRows = w.spList->MaxRows() - 1;
    std::printf("whole period %s..%s: %.1f ms, %d rows\n", qPrintable(firstDate), qPrintable(lastDate), wholeMs,
                wholeRows);

    // One month (the last one of the data).
    const QString monthFrom = lastDate.left(8) + QStringLiteral("01");
    w.spDate[0]->SetText(1, 1, monthFrom);
    w.spDate[1]->SetText(1, 1, lastDate);
    const double monthMs = timeRefresh(w, app);
    std::printf("one month %s..%s: %.1f ms, %d rows\n", qPrintable(monthFrom), qPrintable(lastDate), monthMs,
                w.spList->MaxRows() - 1);

    // Telephone suffix.
    w.cmbGu->setCurrentIndex(SearchSalesTel);
    w.txtCName->setText(suffix);
    const double telMs = timeRefresh(w, app);
    std::printf("telephone suffix '%s': %.1f ms, %d rows\n", qPrintable(suffix), telMs, w.spList->MaxRows() - 1);
    w.txtCName->clear();

    std::printf("peak memory: %.1f MB\n", peakRssKb() / 1024.0);

    // Reference: the same whole-period SELECT in the sqlite3 command-line tool.
    VoucherFilter f;
    f.dateFrom = firstDate;
    f.dateTo = lastDate;
    QString sql = BuildVoucherQuery(f).sql;
    sql.replace(sql.indexOf(QLatin1Char('?')), 1, QLatin1Char('\'') + firstDate + QLatin1Char('\''));
    sql.replace(sql.indexOf(QLatin1Char('?')), 1, QLatin1Char('\'') + lastDate + QLatin1Char('\''));
    QProcess cli;
    cli.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer ref;
    ref.start();
    cli.start(QStringLiteral("sqlite3"), {QStringLiteral("-readonly"), file, sql + QLatin1Char(';')});
    cli.waitForFinished(-1);
    const double refMs = ref.nsecsElapsed() / 1e6;
    if (cli.exitStatus() != QProcess::NormalExit || cli.exitCode() != 0)
        std::fprintf(stderr, "sqlite3 failed: %s\n", cli.readAllStandardError().constData());
    std::printf("sqlite3 CLI whole period: %.1f ms\n", refMs);

    platform::setPrompter(nullptr);
    std::printf("ours_ms=%.1f ref_ms=%.1f ratio=%.2f startup_ms=%.1f\n", wholeMs, refMs, wholeMs / refMs, startupMs);
    std::fflush(stdout);
    // Leave without the shutdown questions.
    std::_Exit(0);
}
