#include "frame/modGlobal.h"
#include "frame/modMain.h"
#include "frame/modMsgBox.h"

bool DAO_OpenDatabase(DatabasePtr& db, const QString& path, int options, bool readOnly, QString* reason)
{
    try {
        db = dao::Database::open(path, options, readOnly);
        if (reason)
            reason->clear();
        return true;
    } catch (const dao::DaoError& e) {
        db.reset();
        if (reason)
            *reason = e.description();
        return false;
    }
}

void ShowRecordsetError(long number, const QString& description, const QString& sql)
{
    QString first = description;
    QString title = QStringLiteral("ERROR");
    switch (number) {
    case dao::errObjectNotFound:
        first = QStringLiteral("Jet Data Base Engine의 식을 확인하세요.");
        title = QStringLiteral("Query");
        break;
    case dao::errObjectNotSet:
        first = QStringLiteral("Data Base MDB가 선언되지 않았습니다.");
        title = QStringLiteral("MDB 오류");
        break;
    case dao::errLocked:
        title = QStringLiteral("MDB 오류");
        break;
    default:
        break;
    }
    QString text = first + QLatin1Char('\r') + sql;
    // The main database that did not open at start: why, in the engine's words.
    if (number == dao::errObjectNotSet && !MainDBOpenError().isEmpty())
        text += QLatin1Char('\r') + MainDBOpenError();
    MsgInfo(text, title);
}

static bool openRecordset(dao::Database* db, RecordsetPtr& rs, const QString& sql, const QVariantList& params, int type)
{
    rs.reset();
    if (!db) {
        ShowRecordsetError(dao::errObjectNotSet, QStringLiteral("Object variable not set"), sql);
        return false;
    }
    try {
        rs = db->openRecordset(sql, type, params);
        return true;
    } catch (const dao::DaoError& e) {
        rs.reset();
        ShowRecordsetError(e.number(), e.description(), sql);
        return false;
    }
}

bool DAO_OpenDynaset(dao::Database* db, RecordsetPtr& rs, const QString& sql, const QVariantList& params)
{
    return openRecordset(db, rs, sql, params, dao::dbOpenDynaset);
}

bool DAO_OpenSnapshot(dao::Database* db, RecordsetPtr& rs, const QString& sql, const QVariantList& params)
{
    return openRecordset(db, rs, sql, params, dao::dbOpenSnapshot);
}

void CloseRS(RecordsetPtr& rs)
{
    if (!rs)
        return;
    rs->close();
    rs.reset();
}
