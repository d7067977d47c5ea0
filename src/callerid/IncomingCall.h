#pragma once
#include <QDateTime>
#include <QString>
#include <QVariantList>

namespace dao { class Database; class Recordset; }

// What the main window does with an incoming caller's number, outside the window: the
// caller lookup among the sales parties, the caller-history line and the call record.

// The caller found for a number: the party of the newest voucher, and the products that all
// parties with a matching number bought ("name(date)", newest first, ", " between).
struct CallerInfo {
    bool found = false;
    qint64 id = 0;
    QString name, tel, phone, zipcode, address, memo;
    QString products;
};

// Whether a caller-ID payload can be a telephone number at all: at most 20 characters (what
// the call list keeps of a number) and no control character. Anything else is logged and
// dropped by the caller-ID client before it reaches the lookup; a number from abroad (an
// international prefix and up to 15 digits) passes.
bool IsPossibleTelNo(const QString& text);
// The payload of a dropped datagram as the call log shows it, on one short line: control
// characters written as \xNN, cut after 24 characters, with its length.
QString DroppedPayloadText(const QString& text);

// The lookup statement for the local part of a number (the number without its area code,
// as FormatCallerTelNo gives it): sales parties whose telephone or mobile columns end with it,
// each with its vouchers (a party without vouchers too), newest sale first. The local part
// is bound seven times as a suffix pattern.
QString CallerLookupSql(const QString& local, QVariantList& params);

// Reads the caller from the lookup's rows (first row: the party; every row: one product).
CallerInfo ReadCaller(dao::Recordset& rs);

// One line of the caller history: the formatted number padded to 15 characters (a longer
// number keeps one blank after it), the moment "yyyy-MM-dd HH:mm:ss", a blank, the name,
// " [제품: ", the product text, "]".
QString CallHistoryLine(const QString& formatted, const QDateTime& when, const QString& name,
                        const QString& sales);
// The number column of a history line (or of a number as received): the first 15
// characters, trimmed, without "-".
QString NumberOfHistoryLine(const QString& line);

// Stores one call in the shared call list (who answered stays empty). Throws dao::DaoError.
qint64 InsertCallRecord(dao::Database& db, const QString& sdate, const QString& stime, const QString& stel,
                        const QString& cname);
