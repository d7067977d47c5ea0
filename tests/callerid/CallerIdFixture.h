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

struct Fixture : ledgertest::MainWindowFixture {
    // data: further SQL run on the file before the window opens.
    explicit Fixture(const QString& data = QString())
    {
        setUpMain(ledgertest::upgradedMainSchema(), data, QTime(14, 5, 9));
    }

    ~Fixture()
    {
        unloadAll();
        tearDownMain();
    }

    // The main window after the login (no password set: Enter logs in).
    std::unique_ptr<frmMain> startMain() { return start(); }

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
