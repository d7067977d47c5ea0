#include "ledger/modMain_SQL.h"

#include "frame/modMain.h"
#include "frame/modMsgBox.h"
#include "platform/Database.h"
#include "platform/DaoError.h"
#include "platform/Prompter.h"

namespace {

const QString kUnit = QStringLiteral("modMain_SQL");

QString nameWord(NameList list)
{
    return list == NameList::Group ? QStringLiteral("그룹명") : QStringLiteral("상품명");
}

dao::Database& mainDatabase()
{
    if (!gDB)
        throw dao::DaoError(dao::errObjectNotSet, QStringLiteral("Object variable or With block variable not set"));
    return *gDB;
}

enum class AddOutcome { Added, Exists, NotStored };

bool addName(NameList list, QString& sName, const QString& procedure)
{
    if (sName.isEmpty()) {
        QString answer;
        const QString prompt = QStringLiteral("신규등록 할 ") + nameWord(list) + QStringLiteral("을 입력하세요.");
        if (!platform::prompter().inputBox(prompt, gsTitle, answer) || answer.isEmpty())
            return false;
        sName = answer;
    }
    AddOutcome outcome = AddOutcome::NotStored;
    try {
        dao::Database& db = mainDatabase();
        if (!CheckNameLength(list, sName))
            return false;
        // The check and the insert in one transaction: two workstations cannot both add it.
        dao::Transaction tx(db);
        if (CountName(db, list, sName) >= 1) {
            outcome = AddOutcome::Exists;
        } else if (db.execute(QStringLiteral("INSERT INTO ") + NameListTable(list) + QStringLiteral(" (name) VALUES (?)"),
                              {sName}) != 0) {
            tx.commit();
            outcome = AddOutcome::Added;
        }
    } catch (const dao::DaoError& e) {
        ShowProcError(e.number(), e.description(), procedure, QStringLiteral("Module"), kUnit);
        return false;
    }
    switch (outcome) {
    case AddOutcome::Added:
        return true;
    case AddOutcome::Exists:
        MsgInfo(QStringLiteral("이미 같은 이름이 등록 되어 있습니다."));
        return false;
    case AddOutcome::NotStored:
        break;
    }
    MsgInfo(QStringLiteral("저장중 오류가 발생하였습니다."));
    return false;
}

} // namespace

QString NameListTable(NameList list)
{
    return list == NameList::Group ? QStringLiteral("group_name") : QStringLiteral("product");
}

QString NameListVoucherColumn(NameList list)
{
    return list == NameList::Group ? QStringLiteral("group_name") : QStringLiteral("pro_name");
}

int NameColumnSize(dao::Database* db, NameList list)
{
    if (!db)
        return 0;
    try {
        const dao::TableDef def = db->tableDef(NameListTable(list));
        const int i = def.fieldIndex(QStringLiteral("name"));
        if (i < 0 || def.fields[i].type != dao::dbText)
            return 0;
        return qMax(0, def.fields[i].size);
    } catch (const dao::DaoError&) {
        return 0;
    }
}

bool CheckNameLength(NameList list, const QString& sName)
{
    const int size = NameColumnSize(gDB.get(), list);
    if (size <= 0 || sName.size() <= size)
        return true;
    MsgInfo(nameWord(list) + QStringLiteral("은 ") + QString::number(size) + QStringLiteral("자까지 입력할 수 있습니다."));
    return false;
}

qint64 CountName(dao::Database& db, NameList list, const QString& sName, const QString& sExcept)
{
    QString sql = QStringLiteral("SELECT COUNT(*) FROM ") + NameListTable(list)
                  + QStringLiteral(" WHERE name = ? COLLATE NOCASE");
    QVariantList params{sName};
    if (!sExcept.isNull()) {
        sql += QStringLiteral(" AND name <> ? COLLATE BINARY");
        params << sExcept;
    }
    return db.scalar(sql, params).toLongLong();
}

RenameOutcome RenameName(dao::Database& db, NameList list, const QString& sOld, const QString& sNew, bool bVouchers,
                         qint64& lVouchers)
{
    lVouchers = 0;
    dao::Transaction tx(db);
    if (CountName(db, list, sNew, sOld) >= 1)
        return RenameOutcome::Exists;
    const QString table = NameListTable(list);
    if (db.execute(QStringLiteral("UPDATE ") + table + QStringLiteral(" SET name = ? WHERE name = ? COLLATE BINARY"),
                   {sNew, sOld}) == 0)
        return RenameOutcome::NotFound;
    if (bVouchers) {
        const QString col = NameListVoucherColumn(list);
        lVouchers = db.execute(QStringLiteral("UPDATE total SET ") + col + QStringLiteral(" = ? WHERE ") + col
                                   + QStringLiteral(" = ? COLLATE NOCASE"),
                               {sNew, sOld});
    }
    tx.commit();
    return RenameOutcome::Renamed;
}

qint64 DeleteName(dao::Database& db, NameList list, const QString& sName)
{
    dao::Transaction tx(db);
    const qint64 n = db.execute(QStringLiteral("DELETE FROM ") + NameListTable(list)
                                    + QStringLiteral(" WHERE name = ? COLLATE BINARY"),
                                {sName});
    tx.commit();
    return n;
}

bool AddGroup(QString& sName) { return addName(NameList::Group, sName, QStringLiteral("AddGroup")); }

bool AddProduct(QString& sName) { return addName(NameList::Product, sName, QStringLiteral("AddProduct")); }
