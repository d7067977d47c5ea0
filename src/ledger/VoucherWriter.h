#pragma once
// Writing vouchers (table total) without any widget: one statement per write, values bound,
// the number of changed rows tested. Engine failures arrive as dao::DaoError.
#include <QString>
#include <QVariant>

namespace dao { class Database; }

// The columns of total that the voucher grid may write (its ColIDs of columns 1 to 11).
// A column name that is not one of them is never put into a statement.
bool IsVoucherField(const QString& field);
// Amount columns (maeip_cost, maechul_cost, maechul_usecost) and party codes
// (maeip_code, maechul_code) hold whole numbers; the other columns hold text.
bool IsVoucherNumberField(const QString& field);

// The value bound for field from a cell's text: a number field takes the text's 64-bit
// whole number ("," separators allowed, an empty text is 0); a text field the text as it
// stands. False when a number field's text is no whole number.
bool VoucherFieldValue(const QString& field, const QString& text, QVariant& value);

// What a new voucher brings from the blank row; every other column starts as 0 or "".
struct NewVoucher {
    QString maeipDate;
    QString groupName;
    QString proName;
    QString maechulDate;
};

// Inserts a voucher and gives back the key this insert received (not the largest key,
// which another workstation may have added meanwhile). False when no row was inserted.
bool InsertVoucher(dao::Database& db, const NewVoucher& v, qint64& id);

enum class VoucherWrite { Written, NotFound };

// Writes one column of voucher id, and with a party code the party's name in the same
// statement (nameField empty: no second column). NotFound when the voucher is gone
// (deleted by another workstation); nothing is inserted then. A field that is not a voucher
// field throws dao::DaoError 3011 without touching the database.
VoucherWrite UpdateVoucherField(dao::Database& db, qint64 id, const QString& field, const QVariant& value,
                                const QString& nameField = QString(), const QVariant& name = QVariant());

// Deletes voucher id. False when no row was deleted.
bool DeleteVoucher(dao::Database& db, qint64 id);
