#pragma once
// A small upgraded main database for the selection, list and party editor tests, opened as gDB.
#include "frame/modMain.h"
#include "ledger/UpgradeSchema.h"
#include "platform/Database.h"
#include "platform/Recordset.h"
#include "support/ScriptedPrompter.h"
#include "support/TestEnv.h"

#include <QCoreApplication>
#include <QStringList>
#include <memory>

namespace namelisttest {

struct Fixture {
    testsupport::TestEnv env;
    testsupport::ScriptedPrompter prompter;

    // Products, groups and vouchers; group names after the upgrade hold six characters.
    explicit Fixture(const QString& data = QString())
    {
        QCoreApplication::setApplicationName(QStringLiteral("Trelvo"));
        gsTitle = QStringLiteral("Trelvo");
        const QString path = env.path(QStringLiteral("trelvoDB.mdb"));
        ok = testsupport::createDatabase(path, QStringLiteral("main"));
        gDB = dao::Database::open(path);
        UpgradeSchema(gDB.get());
        if (!data.isEmpty())
            ok = ok && testsupport::runSqlScript(path, data);
        prompter.clear();
    }
    ~Fixture() { gDB.reset(); }

    bool ok = false;

    static QStringList column(const QString& sql)
    {
        QStringList out;
        auto rs = gDB->openRecordset(sql, dao::dbOpenSnapshot);
        for (; !rs->eof(); rs->moveNext())
            out << rs->text(0);
        return out;
    }
    int modalCount() const
    {
        int n = 0;
        for (const auto& c : prompter.calls)
            n += c.kind == QLatin1String("modal");
        return n;
    }
};

inline QString voucher(const QString& product, const QString& group)
{
    return QStringLiteral("INSERT INTO total (maeip_date, pro_name, group_name) VALUES ('2024-03-01', '%1', '%2');")
        .arg(product, group);
}

} // namespace namelisttest
