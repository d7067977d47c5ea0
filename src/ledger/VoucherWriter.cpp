#include "ledger/VoucherWriter.h"

#include "platform/Database.h"
#include "platform/DaoError.h"

namespace {

const char* const kTextFields[] = {"maeip_date", "pro_name", "group_name", "maeip_name", "maechul_date",
                                   "maechul_name"};
const char* const kNumberFields[] = {"maeip_code", "maeip_cost", "maechul_code", "maechul_cost",
                                     "maechul_usecost"};

template <size_t N>
bool listed(const char* const (&names)[N], const QString& field)
{
    for (const char* n : names)
        if (field == QLatin1String(n))
            return true;
    return false;
}

} // namespace

bool IsVoucherNumberField(const QString& field) { return listed(kNumberFields, field); }

bool IsVoucherField(const QString& field) { return listed(kTextFields, field) || listed(kNumberFields, field); }

bool VoucherFieldValue(const QString& field, const QString& text, QVariant& value)
{
    if (!IsVoucherNumberField(field)) {
        value = text;
        return true;
    }
    QString t = text.trimmed();
    t.remove(QLatin1Char(','));
    if (t.isEmpty()) {
        value = qint64(0);
        return true;
    }
    bool ok = false;
    const qint64 n = t.toLongLong(&ok);
    if (!ok)
        return false;
    value = n;
    return true;
}

bool InsertVoucher(dao::Database& db, const NewVoucher& v, qint64& id)
{
    const qint64 n = db.execute(
        QStringLiteral("INSERT INTO total (maeip_date, pro_code, maeip_code, maeip_cost, maechul_code, maechul_date,"
                       " maechul_cost, maechul_usecost, group_name, pro_name, maeip_name, maechul_name)"
                       " VALUES (?, 0, 0, 0, 0, ?, 0, 0, ?, ?, '', '')"),
        {v.maeipDate, v.maechulDate, v.groupName, v.proName});
    if (n == 0)
        return false;
    id = db.lastInsertId();
    return true;
}

VoucherWrite UpdateVoucherField(dao::Database& db, qint64 id, const QString& field, const QVariant& value,
                                const QString& nameField, const QVariant& name)
{
    if (!IsVoucherField(field) || (!nameField.isEmpty() && !IsVoucherField(nameField)))
        throw dao::DaoError(dao::errObjectNotFound,
                            QStringLiteral("'%1' 항목은 전표에 없습니다.").arg(IsVoucherField(field) ? nameField : field));
    QString sql = QStringLiteral("UPDATE total SET ") + field + QStringLiteral(" = ?");
    QVariantList params{value};
    if (!nameField.isEmpty()) {
        sql += QStringLiteral(", ") + nameField + QStringLiteral(" = ?");
        params << name;
    }
    sql += QStringLiteral(" WHERE total_id = ?");
    params << id;
    return db.execute(sql, params) != 0 ? VoucherWrite::Written : VoucherWrite::NotFound;
}

bool DeleteVoucher(dao::Database& db, qint64 id)
{
    return db.execute(QStringLiteral("DELETE FROM total WHERE total_id = ?"), {id}) != 0;
}
