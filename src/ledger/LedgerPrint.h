#pragma once
// The ledger print: the vouchers listed in the main window's grid are copied into the table
// total_print, which the report file LedgerList.rpt in the report folder prints.
#include <QString>
#include <QVariant>
#include <QVector>

namespace dao { class Database; }
namespace platform { class SpreadGrid; class SpreadModel; }

// One printed voucher, as total_print holds it (group_name is not filled). An amount is a
// whole amount (qint64), or the text of a number past the 64-bit range (see LedgerPrintAmount).
struct LedgerPrintRow {
    QString maeip_date;
    QString pro_name;
    QString maeip_name;
    QVariant maeip_cost = qint64(0);
    QString maechul_date;
    QString maechul_name;
    QVariant maechul_cost = qint64(0);
    QVariant maechul_usecost = qint64(0);
};

// The report file's name in the report folder and the title formula passed to it.
inline const QString kLedgerReportName = QStringLiteral("LedgerList.rpt");
inline const QString kLedgerTitleFormula = QStringLiteral("Title = 'Kestrune'");

// The amount of a cell of the voucher grid as it is printed: the cell's own number (never its
// text), whole as the grid shows it (qint64); an empty cell or a text that is no number is 0.
// A number past the 64-bit range is kept as the text of a number past it (QString), so that
// the print shows the overflow mark for it and for its totals, as the screen does.
QVariant LedgerPrintAmount(const platform::SpreadModel& model, int col, int row);

// Every voucher row of the voucher grid (rows 1 to MaxRows - 1, in the order shown; the blank
// input row at the end is left out).
QVector<LedgerPrintRow> LedgerPrintRows(platform::SpreadGrid* spList);

// Replaces the rows of total_print by these rows, in this order, in one transaction: either
// all are there afterwards or the table is as it was. Throws dao::DaoError on failure.
void FillTotalPrint(dao::Database& db, const QVector<LedgerPrintRow>& rows);

// The report file in the report folder (gsRptPath). When it is not there yet, the copy shipped
// with the program (Rpt/LedgerList.rpt in the program folder) is put there first. Returns the
// path of the file that exists, or an empty string; expectedPath receives where it belongs.
QString LedgerReportFile(QString* expectedPath = nullptr);
