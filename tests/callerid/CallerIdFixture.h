#pragma once
// A program folder with a small main database, the main window logged in on it, and
// helpers to look at the call list table.
#include "ledger/LedgerFixture.h"

#include "callerid/FrmRCidClient.h"
#include "frame/frmSplash.h"
#include "frame/modBackUp.h"
#include "frame/modMain.h"
#include "ledger/frmMain.h"
#include "platform/Database.h"
#include "platform/FormRegistry.h"
#include "platform/Prompter.h"
#include "platform/Recordset.h"
#include "platform/SettingsStore.h"
#include "support/ScriptedPrompter.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QWidget>
#include <memory>

namespace calleridtest {

// Closes every window still loaded and lets their deferred deletes run.
inline void unloadAll()
{
    for (QWidget* w : platform::FormRegistry::instance().forms())
        if (w)
            w->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

struct Fixture {
    std::unique_ptr<testsupport::TestEnv> env = std::make_unique<testsupport::TestEnv>();
    std::unique_ptr<testsupport::ScriptedPrompter> prompter = std::make_unique<testsupport::ScriptedPrompter>();
    QString dbFile;

    // data: further SQL run on the file before the window opens.
    explicit Fixture(const QString& data = QString())
    {
        ResetBackUpDone();
        QCoreApplication::setApplicationName(QStringLiteral("Trelvo"));
        gsTitle = QStringLiteral("Trelvo");
        gDB.reset();
        platform::setClock([] { return QDateTime(QDate(2024, 3, 20), QTime(14, 5, 9)); });
        platform::SaveSetting(gsTitle, kEnvSection, QStringLiteral("NoMsg"), QStringLiteral("1"));
        FrmRCidClient::SetListenPort(0); // any free port: never the one of a running program
        QDir(env->folder()).mkpath(QStringLiteral("Dbs"));
        dbFile = env->path(QStringLiteral("Dbs/trelvoDB.mdb"));
        ledgertest::makeDatabase(dbFile, ledgertest::upgradedMainSchema(),
                                 QStringLiteral("INSERT INTO user (userid, pass) VALUES ('Trelvo', NULL);") + data);
    }

    ~Fixture()
    {
        unloadAll();
        gDB.reset();
        prompter.reset();
        env.reset();
        platform::setClock({});
        FrmRCidClient::SetListenPort(FrmRCidClient::kDefaultPort);
    }

    // The main window after the login (no password set: Enter logs in).
    std::unique_ptr<frmMain> startMain()
    {
        prompter->modalAnswers.enqueue([](QDialog& d) {
            if (auto* s = qobject_cast<frmSplash*>(&d))
                s->txtPassword_KeyDown(13);
            return d.result();
        });
        auto w = std::make_unique<frmMain>();
        if (!w->Form_Load())
            return nullptr;
        prompter->clear();
        return w;
    }

    // Opens the database file in the main global only (no window).
    void openDb() { gDB = dao::Database::open(dbFile); }

    QString readLog() const
    {
        QFile f(env->path(QStringLiteral("RCidLog")));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }

    // Rows of tellist as "sdate|stime|stel|cname|sdam", in seq order.
    QStringList calls() const
    {
        auto db = dao::Database::open(dbFile);
        QStringList out;
        auto rs = db->openRecordset(
            QStringLiteral("SELECT sdate, stime, stel, cname, ifnull(sdam, '') FROM tellist ORDER BY seq"),
            dao::dbOpenSnapshot);
        for (; !rs->eof(); rs->moveNext())
            out << QStringList{rs->text(0), rs->text(1), rs->text(2), rs->text(3), rs->text(4)}.join(QLatin1Char('|'));
        return out;
    }
};

} // namespace calleridtest
