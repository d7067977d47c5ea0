#pragma once
// Small databases for the ledger tests, written with the SQLite API directly, and the main
// window started on one of them.
#include "callerid/FrmRCidClient.h"
#include "frame/frmMsgBackUp.h"
#include "frame/frmSplash.h"
#include "frame/modBackUp.h"
#include "frame/modMain.h"
#include "ledger/frmMain.h"
#include "platform/Database.h"
#include "platform/Prompter.h"
#include "platform/SettingsStore.h"
#include "platform/SpreadGrid.h"
#include "support/ScriptedPrompter.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QDir>
#include <QPushButton>
#include <QString>
#include <QTest>
#include <functional>
#include <memory>

namespace ledgertest {

// The main tables in the form they have before the start-up upgrade: group_name.name is
// Text(50), no tel2..tel6 in the party tables.
inline QString oldMainSchema()
{
    return QStringLiteral(
        "CREATE TABLE total (total_id INTEGER PRIMARY KEY AUTOINCREMENT, maeip_date TEXT(10), pro_code LONG,"
        " pro_name TEXT(50), group_name TEXT(50), maeip_code LONG, maeip_name TEXT(50), maeip_cost CURRENCY,"
        " maechul_date TEXT(10), maechul_code LONG, maechul_name TEXT(50), maechul_cost CURRENCY,"
        " maechul_usecost CURRENCY);"
        "CREATE TABLE total_print (maeip_date TEXT(10), pro_name TEXT(50), maeip_name TEXT(50),"
        " maeip_cost CURRENCY, maechul_date TEXT(10), maechul_name TEXT(50), maechul_cost CURRENCY,"
        " maechul_usecost CURRENCY, group_name TEXT(50));"
        "CREATE TABLE maechul (id LONG PRIMARY KEY, name TEXT(50), tel TEXT(15), phone TEXT(15),"
        " zipcode TEXT(7), address TEXT(100), memo MEMO);"
        "CREATE TABLE maeip (id LONG PRIMARY KEY, name TEXT(50), tel TEXT(15), phone TEXT(15),"
        " zipcode TEXT(7), address TEXT(100), memo MEMO);"
        "CREATE TABLE product (name TEXT(50));"
        "CREATE TABLE group_name (name TEXT(50));"
        "CREATE TABLE user (userid TEXT(20), pass TEXT(20));"
        "CREATE TABLE tellist (seq INTEGER PRIMARY KEY AUTOINCREMENT, sdate TEXT(10), stime TEXT(8),"
        " stel TEXT(20), cname TEXT(50), sdam TEXT(20));");
}

// The same tables after the upgrade (telephone columns present, memos kept as text).
inline QString upgradedMainSchema()
{
    QString s = oldMainSchema();
    s.replace(QStringLiteral("address TEXT(100), memo MEMO)"),
              QStringLiteral("address TEXT(100), memo LONGTEXT, tel2 TEXT(15) NOT NULL DEFAULT '', tel3 TEXT(15) NOT NULL DEFAULT '',"
                             " tel4 TEXT(15) NOT NULL DEFAULT '', tel5 TEXT(15) NOT NULL DEFAULT '', tel6 TEXT(15) NOT NULL DEFAULT '')"));
    return s;
}

// n vouchers of one kind (상품1 ... 상품n, bought from party 7 for 1,000 and sold to party
// 40000), as an SQL script for runSqlScript.
inline QString sameVouchersSql(int n)
{
    return QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < %1)"
                          " INSERT INTO total (maeip_date, pro_code, pro_name, group_name, maeip_code, maeip_name, maeip_cost,"
                          " maechul_date, maechul_code, maechul_name, maechul_cost, maechul_usecost)"
                          " SELECT '2024-03-05', 0, '상품' || i, 'CPU', 7, '공급사', 1000, '2024-03-10', 40000, '김상회', 0, 0 FROM n;")
        .arg(n);
}

inline bool makeDatabase(const QString& path, const QString& schema, const QString& data = QString())
{
    return testsupport::runSqlScript(path, schema + data);
}

// A scratch program folder and settings store, scripted prompts, the clock at 2024-03-20
// (time as given), no first-start notice, the caller-ID client on a free port, and the main
// database at its default place Dbs/trelvoDB.mdb made from schema and data, with the user
// "Trelvo" without a password. A test class derives from it (setUpMain in init, tearDownMain
// in cleanup), or a fixture of its own does.
class MainWindowFixture {
public:
    std::unique_ptr<testsupport::TestEnv> env;
    std::unique_ptr<testsupport::ScriptedPrompter> prompter;
    QString dbFile;

    bool setUpMain(const QString& schema, const QString& data = QString(), const QTime& time = QTime(10, 0))
    {
        env = std::make_unique<testsupport::TestEnv>();
        prompter = std::make_unique<testsupport::ScriptedPrompter>();
        ResetBackUpDone();
        QCoreApplication::setApplicationName(QStringLiteral("Trelvo"));
        gsTitle = QStringLiteral("Trelvo");
        gDB.reset();
        platform::setClock([time] { return QDateTime(QDate(2024, 3, 20), time); });
        FrmRCidClient::SetListenPort(0); // never the port of a running program
        platform::SaveSetting(gsTitle, kEnvSection, QStringLiteral("NoMsg"), QStringLiteral("1"));
        QDir(env->folder()).mkpath(QStringLiteral("Dbs"));
        dbFile = env->path(QStringLiteral("Dbs/trelvoDB.mdb"));
        return makeDatabase(dbFile, schema,
                            QStringLiteral("INSERT INTO user (userid, pass) VALUES ('Trelvo', NULL);") + data);
    }

    void tearDownMain()
    {
        gDB.reset();
        prompter.reset();
        env.reset();
        platform::setClock({});
        FrmRCidClient::SetListenPort(FrmRCidClient::kDefaultPort);
    }

    // Logs in with Enter (the database has no password yet).
    static std::function<int(QDialog&)> loginAnswer()
    {
        return [](QDialog& d) {
            if (auto* s = qobject_cast<frmSplash*>(&d))
                s->txtPassword_KeyDown(13);
            return d.result();
        };
    }

    // Answers the backup offer on closing with button index (2: no backup, the window closes).
    static std::function<int(QDialog&)> backupAnswer(int index)
    {
        return [index](QDialog& d) {
            if (auto* w = qobject_cast<frmMsgBackUp*>(&d)) {
                w->cmdResult(index)->click();
                return w->result();
            }
            return int(QDialog::Rejected);
        };
    }

    // The main window after the login, with the prompts of the start cleared. shown: also
    // shown and active with the voucher grid focused, as typing into it needs.
    std::unique_ptr<frmMain> start(bool shown = false)
    {
        prompter->modalAnswers.enqueue(loginAnswer());
        auto w = std::make_unique<frmMain>();
        if (!w->Form_Load())
            return nullptr;
        if (shown) {
            w->show();
            QApplication::setActiveWindow(w.get());
            if (!QTest::qWaitForWindowActive(w.get()))
                return nullptr;
            w->spList->SetFocus();
        }
        prompter->clear();
        return w;
    }
};

} // namespace ledgertest
