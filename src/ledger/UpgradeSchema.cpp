#include "ledger/UpgradeSchema.h"

#include "frame/modDao.h"
#include "platform/DaoError.h"
#include "platform/SchemaDef.h"

#include <QStringList>

#include <algorithm>

namespace {

bool addTelColumn(dao::Database* db, const QString& table, const QString& field)
{
    return DAO_AddField(db, table, field, dao::dbText, 15, true,
                        QStringLiteral("UPDATE %1 SET %2 = ''").arg(table, field),
                        QVariant(QString()), -1);
}

// The call list's lookups of one caller's newest calls, by name and by number, read an
// index in the order they show (no sort of the caller's calls), so that a call is handled
// in the same time on a long day as on a short one. Only a speed-up: a file that cannot
// take it now (read-only, busy, no call list) is left as it is and tried at the next start.
void addCallListIndexes(dao::Database* db)
{
    if (!db || db->isReadOnly() || !db->hasTable(QStringLiteral("tellist")))
        return;
    try {
        const dao::TableDef def = db->tableDef(QStringLiteral("tellist"));
        const QList<QStringList> wanted = {
            {QStringLiteral("cname"), QStringLiteral("sdate"), QStringLiteral("stime")},
            {QStringLiteral("stel"), QStringLiteral("sdate"), QStringLiteral("stime")},
        };
        for (const QStringList& fields : wanted) {
            bool present = false;
            for (const dao::IndexDef& idx : def.indexes)
                if (idx.fields.size() >= fields.size()
                    && std::equal(fields.begin(), fields.end(), idx.fields.begin(),
                                  [](const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }))
                    present = true;
            if (present)
                continue;
            dao::IndexDef idx;
            idx.name = QStringLiteral("tellist_%1_time").arg(fields.first());
            idx.fields = fields;
            db->appendIndex(def.name, idx);
        }
    } catch (const dao::DaoError&) {
    }
}

} // namespace

void UpgradeSchema(dao::Database* db)
{
    addCallListIndexes(db);

    if (DAO_EditField(db, QStringLiteral("group_name"), QStringLiteral("name"), 6, true, true, -1, QVariant()))
        DAO_AddIndex(db, QStringLiteral("group_name"), QStringLiteral("name"), true, true, true);
    DAO_EditField(db, QStringLiteral("total"), QStringLiteral("group_name"), 6, true, false, -1, QVariant());
    DAO_EditField(db, QStringLiteral("total_print"), QStringLiteral("group_name"), 6, true, false, -1, QVariant());

    // Memos are free text: older files declare them so that a memo that reads as a number
    // ("007", "1.50") is kept as that number. Each party table is rebuilt once, in one
    // transaction, with every row. A file opened read-only takes no memo either and is left
    // as it is, without a word at every start.
    if (db && !db->isReadOnly())
        for (const QString& table : {QStringLiteral("maechul"), QStringLiteral("maeip")})
            DAO_EditField(db, table, QStringLiteral("memo"), 0, true, false, -1, QVariant());

    // maechul.tel2 marks the telephone columns of both party tables as done.
    if (!addTelColumn(db, QStringLiteral("maechul"), QStringLiteral("tel2")))
        return;
    const QStringList rest = {QStringLiteral("tel3"), QStringLiteral("tel4"), QStringLiteral("tel5"),
                              QStringLiteral("tel6")};
    for (const QString& f : rest)
        addTelColumn(db, QStringLiteral("maechul"), f);
    addTelColumn(db, QStringLiteral("maeip"), QStringLiteral("tel2"));
    for (const QString& f : rest)
        addTelColumn(db, QStringLiteral("maeip"), f);
}
