#pragma once
#include <QString>

namespace dao { class Database; }

// Registration and upkeep of the two name lists of the ledger: product names (table
// product) and product groups (table group_name). Names compare without regard to case;
// every value is bound, never pasted into the statement.

// Registers a group name. An empty name is asked for first ("신규등록 할 그룹명을 입력하세요.");
// the answer replaces sName. False (after a message) when the name exists already, is longer
// than the column holds, or could not be stored; False without a message when the prompt
// was cancelled or left empty.
bool AddGroup(QString& sName);
// The same for a product name ("신규등록 할 상품명을 입력하세요.").
bool AddProduct(QString& sName);

// The table of a name list, as the lists and the selection functions name it.
enum class NameList { Product, Group };
QString NameListTable(NameList list);         // "product" / "group_name"
QString NameListVoucherColumn(NameList list); // the column of total that copies the name

// The most characters the list's name column holds (0 when no limit is declared).
int NameColumnSize(dao::Database* db, NameList list);
// True when sName fits the list's name column; otherwise tells the user and returns false.
bool CheckNameLength(NameList list, const QString& sName);

// Number of names of the list equal to sName (without regard to case), leaving out the row
// stored exactly as sExcept when that is given. Throws dao::DaoError.
qint64 CountName(dao::Database& db, NameList list, const QString& sName, const QString& sExcept = QString());

// Outcome of a rename.
enum class RenameOutcome { Renamed, Exists, NotFound };
// Renames the stored name sOld (exact text) to sNew in one transaction: the duplicate check,
// the rename and, with bVouchers, the same change in every voucher that uses the old name
// (without regard to case). lVouchers receives the number of vouchers changed. Nothing is
// changed unless the whole rename succeeds. Throws dao::DaoError (after rolling back).
RenameOutcome RenameName(dao::Database& db, NameList list, const QString& sOld, const QString& sNew,
                         bool bVouchers, qint64& lVouchers);
// Deletes the stored name (exact text) in one transaction; returns the rows deleted.
// Vouchers that use the name are left alone. Throws dao::DaoError.
qint64 DeleteName(dao::Database& db, NameList list, const QString& sName);
