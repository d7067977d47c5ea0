#pragma once
// Small databases for the ledger tests, written with the SQLite API directly.
#include "support/TestEnv.h"

#include <QString>

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

// The same tables after the upgrade (telephone columns present).
inline QString upgradedMainSchema()
{
    QString s = oldMainSchema();
    s.replace(QStringLiteral("address TEXT(100), memo MEMO)"),
              QStringLiteral("address TEXT(100), memo MEMO, tel2 TEXT(15) NOT NULL DEFAULT '', tel3 TEXT(15) NOT NULL DEFAULT '',"
                             " tel4 TEXT(15) NOT NULL DEFAULT '', tel5 TEXT(15) NOT NULL DEFAULT '', tel6 TEXT(15) NOT NULL DEFAULT '')"));
    return s;
}

inline bool makeDatabase(const QString& path, const QString& schema, const QString& data = QString())
{
    return testsupport::runSqlScript(path, schema + data);
}

} // namespace ledgertest
