#include "records/clsRecordBase.h"

#include "frame/modDao.h"
#include "frame/modFloatMsg.h"
#include "frame/modMain.h"
#include "frame/modMsgBox.h"
#include "platform/Prompter.h"
#include "platform/SqlText.h"

#include <cmath>
#include <limits>

QString clsRecordBase::saveErrorText(long number, const QString& description)
{
    return QStringLiteral("자료를 저장하는 중 오류가 발생했습니다.\r\n오류번호 : ") + QString::number(number)
        + QStringLiteral("\r\n오류내용 : ") + description
        + QStringLiteral("\r\n\r\n입력하신 내용을 다시 한번 확인하여 주십시요.");
}

void clsRecordBase::showPlainBox(const QString& text)
{
    MsgPlain(text);
}

void clsRecordBase::showConfirmation(const QString& text, int delay)
{
    ShowFloatMsg(text, delay, 1, 0xFFFF00);
}

QString clsRecordBase::formatCode(qint64 number, int width)
{
    return QString::number(number).rightJustified(width, QLatin1Char('0'));
}

dao::DaoError clsRecordBase::overflowError()
{
    return dao::DaoError(6, QStringLiteral("Overflow"));
}

dao::DaoError clsRecordBase::typeMismatchError()
{
    return dao::DaoError(13, QStringLiteral("Type mismatch"));
}

qint64 clsRecordBase::checkedSum(std::initializer_list<Amount128> plus, std::initializer_list<Amount128> minus)
{
    // A handful of terms of at most 65 bits cannot leave 128 bits.
    Amount128 sum = 0;
    for (const Amount128 v : plus)
        sum += v;
    for (const Amount128 v : minus)
        sum -= v;
    if (sum > std::numeric_limits<qint64>::max() || sum < std::numeric_limits<qint64>::min())
        throw overflowError();
    return qint64(sum);
}

qint64 clsRecordBase::storedAmount(const QVariant& value)
{
    qint64 amount = 0;
    switch (dao::readAmount(value, amount)) {
    case dao::AmountKind::Empty:
        return 0;
    case dao::AmountKind::Whole:
        return amount;
    case dao::AmountKind::OutOfRange:
        throw overflowError();
    case dao::AmountKind::NotANumber:
        break;
    }
    throw typeMismatchError();
}

clsRecordBase::Amount128 clsRecordBase::storedTotal(const QVariant& value)
{
    Amount128 total = 0;
    if (dao::readAmountTotal(value, total))
        return total;
    return storedAmount(value);
}

namespace {
// The error an amount the engine refused stands for, if the failure is one.
std::optional<dao::DaoError> amountFailure(const dao::DaoError& e)
{
    // The engine's own sum() stops at the edge of the range with its own words.
    if (e.description() == QLatin1String(dao::kAmountOverflow)
        || e.description().startsWith(QLatin1String("integer overflow")))
        return clsRecordBase::overflowError();
    if (e.description() == QLatin1String(dao::kAmountNotANumber))
        return clsRecordBase::typeMismatchError();
    return std::nullopt;
}
} // namespace

void clsRecordBase::showSaveError(const dao::DaoError& err)
{
    showPlainBox(saveErrorText(err.number(), err.description()));
}

dao::Database& clsRecordBase::requireDatabase() const
{
    dao::Database* db = database();
    if (!db)
        throw dao::DaoError(dao::errObjectNotSet, QStringLiteral("Object variable or With block variable not set"));
    return *db;
}

bool clsRecordBase::addRecord(const QString& selectSql, const FieldList& fields,
                              std::optional<dao::DaoError>& failure)
{
    failure.reset();
    RecordsetPtr rs;
    if (!DAO_OpenDynaset(database(), rs, selectSql))
        return false;
    try {
        rs->addNew();
        for (const auto& f : fields)
            rs->setValue(f.first, f.second);
        rs->update();
    } catch (const dao::DaoError& err) {
        try {
            if (rs && rs->editMode() != 0)
                rs->cancelUpdate();
        } catch (const dao::DaoError&) {
        }
        CloseRS(rs);
        failure = err;
        return false;
    }
    CloseRS(rs);
    return true;
}

bool clsRecordBase::saveRecord(const QString& selectSql, const FieldList& fields,
                               const QString& confirmText, int confirmDelay)
{
    std::optional<dao::DaoError> failure;
    if (!addRecord(selectSql, fields, failure)) {
        if (failure)
            showSaveError(*failure);
        return false;
    }
    if (!confirmText.isEmpty())
        showConfirmation(confirmText, confirmDelay);
    return true;
}

bool clsRecordBase::saveNumbered(const std::function<QVariant()>& proposeCode, const QString& selectSql,
                                 FieldList fields)
{
    dao::Database* db = database();
    if (!db) {
        proposeCode(); // shows the message of the failed open
        return false;
    }
    std::optional<dao::DaoError> failure;
    bool added = false;
    try {
        dao::Transaction tx(*db);
        const QVariant code = proposeCode();
        if (code.isNull())
            return false; // the code could not be read: nothing is stored
        fields.first().second = code;
        if (addRecord(selectSql, fields, failure)) {
            tx.commit();
            added = true;
        }
    } catch (const dao::DaoError& err) {
        failure = err;
    }
    // Shown once the lock is given up, so other workstations are not kept waiting on the box.
    if (failure)
        showSaveError(*failure);
    return added;
}

QString clsRecordBase::tableOfKind(int byGubun, const QString& purchaseSide, const QString& salesSide)
{
    if (byGubun == 0)
        return purchaseSide;
    if (byGubun == 1)
        return salesSide;
    return QString();
}

void clsRecordBase::addCondition(QString& sql, QVariantList& params, const QString& piece, const QString& value)
{
    if (value.isEmpty())
        return;
    sql += piece;
    params << value;
}

qint64 clsRecordBase::execute(const QString& sql, const QVariantList& params)
{
    return requireDatabase().execute(sql, params);
}

qint64 clsRecordBase::executeChecked(const QString& sql, const QVariantList& params, const QString& failText,
                                     const QString& confirmText)
{
    const qint64 n = execute(sql, params);
    if (n == 0)
        showPlainBox(failText);
    else if (!confirmText.isEmpty())
        showConfirmation(confirmText);
    return n;
}

void clsRecordBase::executeOn(const QString& table, const QString& sqlTemplate, const QVariantList& params,
                              const QString& failText)
{
    if (table.isEmpty())
        return;
    if (failText.isEmpty())
        execute(sqlTemplate.arg(table), params);
    else
        executeChecked(sqlTemplate.arg(table), params, failText);
}

bool clsRecordBase::sumPerParty(RecordsetPtr& rs, const QString& table, const QString& column, const QString& party)
{
    if (table.isEmpty())
        return false;
    QString sql = QStringLiteral("SELECT %1.CCode, Last(Trader.C_Name) AS LCName, AMOUNTSUM(%1.%2) AS SSum "
                                 "FROM %1 LEFT JOIN Trader ON %1.CCode = Trader.Code ")
                      .arg(table, column);
    QVariantList params;
    addCondition(sql, params, QStringLiteral("WHERE %1.CCode = ? ").arg(table), party);
    sql += QStringLiteral("GROUP BY %1.CCode ORDER BY %1.CCode").arg(table);
    try {
        return findInto(rs, sql, params);
    } catch (const dao::DaoError&) {
        return false; // these sums ignore the engine's errors
    }
}

bool clsRecordBase::openSnapshot(RecordsetPtr& rs, const QString& sql, const QVariantList& params)
{
    dao::Database* db = database();
    if (!db)
        return DAO_OpenSnapshot(db, rs, sql, params); // its message for a database that is not open
    try {
        rs = db->openRecordset(sql, dao::dbOpenSnapshot, params);
        return true;
    } catch (const dao::DaoError& e) {
        rs.reset();
        if (const auto refused = amountFailure(e))
            throw *refused;
        ShowRecordsetError(e.number(), e.description(), sql);
        return false;
    }
}

bool clsRecordBase::findInto(RecordsetPtr& rs, const QString& sql, const QVariantList& params)
{
    CloseRS(rs);
    if (!openSnapshot(rs, sql, params))
        return false;
    try {
        return rs->recordCount() > 0; // the sums of later groups are made here
    } catch (const dao::DaoError& e) {
        if (const auto refused = amountFailure(e)) {
            rs.reset();
            throw *refused;
        }
        throw;
    }
}

bool clsRecordBase::exists(const QString& sql, const QVariantList& params)
{
    RecordsetPtr rs;
    const bool found = findInto(rs, sql, params);
    CloseRS(rs);
    return found;
}

bool clsRecordBase::readValue(const QString& sql, const QVariantList& params, QVariant& value, bool* opened)
{
    value = QVariant();
    RecordsetPtr rs;
    if (!openSnapshot(rs, sql, params)) {
        if (opened)
            *opened = false;
        return false;
    }
    if (opened)
        *opened = true;
    bool found = false;
    if (!rs->eof()) {
        value = rs->value(0);
        found = true;
    }
    CloseRS(rs);
    return found;
}

bool clsRecordBase::readRow(const QString& sql, const QVariantList& params, QVariantList& values)
{
    values.clear();
    RecordsetPtr rs;
    if (!openSnapshot(rs, sql, params))
        return false;
    for (int i = 0; i < rs->fieldCount(); ++i)
        values << (rs->eof() ? QVariant() : rs->value(i));
    CloseRS(rs);
    return true;
}

QString clsRecordBase::nextCode(const QString& table, const QString& column, int width)
{
    // The numeric value, not the text, is compared: a code grown past the width ("100000"
    // after "99999") still counts as the highest; a code that is no number is passed over.
    QVariant max;
    bool opened = false;
    readValue(DAO_MaxNumberSql(table, column), {}, max, &opened);
    if (!opened)
        return QString();
    return formatCode(DAO_NumberAbove(max), width);
}

void clsOwnDatabase::SetDatabase(const std::shared_ptr<dao::Database>& objDB)
{
    m_objDB.reset();
    m_objDB = objDB;
}
