#include "ledger/UpgradeSchema.h"

#include "frame/modDao.h"
#include "frame/modMain.h"
#include "frame/modMsgBox.h"
#include "platform/DaoError.h"
#include "platform/SchemaDef.h"

#include <QStringList>

#include <algorithm>

namespace {

// How long a step that may wait for a later start waits for another workstation's lock: a
// write passing by is waited for, one held (or a long read) is not.
constexpr int kPassingLockMs = 300;

// The step's own wait for another workstation's lock, for as long as it runs.
class PassingLockOnly {
public:
    explicit PassingLockOnly(dao::Database& db) : m_db(db), m_limit(db.busyTimeout()) { db.setBusyTimeout(kPassingLockMs); }
    ~PassingLockOnly() { m_db.setBusyTimeout(m_limit); }
    PassingLockOnly(const PassingLockOnly&) = delete;
    PassingLockOnly& operator=(const PassingLockOnly&) = delete;

private:
    dao::Database& m_db;
    int m_limit;
};

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
    if (!db || db->isReadOnly())
        return;
    PassingLockOnly wait(*db);
    try {
        if (!db->hasTable(QStringLiteral("tellist")))
            return;
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

// Memos are free text: older files declare them so that a memo that reads as a number
// ("007", "1.50") is kept as that number. Each party table is rebuilt once, in one
// transaction, with every row. A file opened read-only takes no memo either and is left as it
// is, without a word at every start. The program works on either kind of memo, so a start
// never waits for the file: while another workstation holds a write or is in the middle of a
// long read, the step is left for a later start, without a word.
void memosAsText(dao::Database* db)
{
    if (!db || db->isReadOnly())
        return;
    PassingLockOnly wait(*db);
    for (const QString& table : {QStringLiteral("maechul"), QStringLiteral("maeip")}) {
        try {
            DAO_EditFieldOrThrow(db, table, QStringLiteral("memo"), 0, true, false, -1, QVariant());
        } catch (const dao::DaoError& e) {
            if (e.number() == dao::errLocked)
                return;
            ShowProcError(e.number(), e.description(), QStringLiteral("DAO_EditField"), QStringLiteral("Module"),
                          QStringLiteral("modDao"));
        }
    }
}

// Whether a step the program cannot do without is still to do: group names of six
// characters, the telephone columns.
bool requiredStepsLeft(dao::Database& db)
{
    const auto wide = [&db](const QString& table, const QString& column) {
        if (!db.hasTable(table))
            return false;
        const dao::TableDef def = db.tableDef(table);
        const int at = def.fieldIndex(column);
        return at >= 0 && def.fields[at].size != 6;
    };
    return wide(QStringLiteral("group_name"), QStringLiteral("name")) || wide(QStringLiteral("total"), QStringLiteral("group_name"))
        || wide(QStringLiteral("total_print"), QStringLiteral("group_name"))
        || (db.hasTable(QStringLiteral("maechul")) && db.tableDef(QStringLiteral("maechul")).fieldIndex(QStringLiteral("tel2")) < 0);
}

void requiredSteps(dao::Database* db);

} // namespace

void UpgradeSchema(dao::Database* db)
{
    addCallListIndexes(db);
    memosAsText(db);

    // The program cannot work without these steps: while another workstation holds the file,
    // they wait for it as the open does, the floating message saying why, all in one
    // transaction; when it does not let go in time, the start says so once and changes
    // nothing, and the next start does them.
    bool together = false;
    try {
        together = db && !db->isReadOnly() && requiredStepsLeft(*db);
    } catch (const dao::DaoError&) {
        // each step reports what it cannot read
    }
    if (!together) {
        requiredSteps(db);
        return;
    }
    StartWaitNotice notice;
    try {
        dao::Transaction tx(*db);
        requiredSteps(db);
        tx.commit();
    } catch (const dao::DaoError& e) {
        if (e.number() != dao::errLocked) {
            ShowProcError(e.number(), e.description(), QStringLiteral("UpgradeSchema"), QStringLiteral("Module"),
                          QStringLiteral("UpgradeSchema"));
            return;
        }
        MsgWarn(QStringLiteral("다른 작업장이 데이터베이스를 사용 중이어서 새 버전에 맞게 바꾸지 못했습니다.\r\n"
                               "다른 작업장의 작업이 끝난 뒤 프로그램을 다시 시작해 주십시오."));
    }
}

namespace {

void requiredSteps(dao::Database* db)
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

} // namespace
