#include "ledger/UpgradeSchema.h"

#include "frame/modDao.h"
#include "platform/SchemaDef.h"

#include <QStringList>

namespace {

bool addTelColumn(dao::Database* db, const QString& table, const QString& field)
{
    return DAO_AddField(db, table, field, dao::dbText, 15, true,
                        QStringLiteral("UPDATE %1 SET %2 = ''").arg(table, field),
                        QVariant(QString()), -1);
}

} // namespace

void UpgradeSchema(dao::Database* db)
{
    if (DAO_EditField(db, QStringLiteral("group_name"), QStringLiteral("name"), 6, true, true, -1, QVariant()))
        DAO_AddIndex(db, QStringLiteral("group_name"), QStringLiteral("name"), true, true, true);
    DAO_EditField(db, QStringLiteral("total"), QStringLiteral("group_name"), 6, true, false, -1, QVariant());
    DAO_EditField(db, QStringLiteral("total_print"), QStringLiteral("group_name"), 6, true, false, -1, QVariant());

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
