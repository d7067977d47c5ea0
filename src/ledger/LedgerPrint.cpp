#include "ledger/LedgerPrint.h"

#include "frame/modMain.h"
#include "frame/modSpread60.h"
#include "platform/Database.h"
#include "platform/ProgramFolder.h"
#include "platform/SpreadGrid.h"
#include "platform/SpreadModel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cmath>

namespace {

// Voucher grid columns that are printed.
enum : int {
    ColMaeipDate = 1, ColProName = 3, ColMaeipName = 5, ColMaeipCost = 6, ColMaechulDate = 7,
    ColMaechulName = 9, ColMaechulCost = 10, ColUseCost = 11
};

} // namespace

QVariant LedgerPrintAmount(const platform::SpreadModel& model, int col, int row)
{
    if (const auto amount = model.amountAt(col, row))
        return *amount;
    // past the range: the number itself, kept clear of the range's limits, which the amount
    // column stores as a REAL past the range
    double d = double(model.numberAt(col, row));
    if (!(std::fabs(d) > 0x1p63))
        d = d < 0 ? -0x1p64 : 0x1p64;
    return QString::number(d, 'g', 17);
}

QVector<LedgerPrintRow> LedgerPrintRows(platform::SpreadGrid* spList)
{
    QVector<LedgerPrintRow> rows;
    if (!spList)
        return rows;
    const int maxRows = spList->MaxRows();
    if (maxRows < 2)
        return rows;
    rows.reserve(maxRows - 1);
    const platform::SpreadModel& model = spList->model();
    for (int r = 1; r <= maxRows - 1; ++r) {
        LedgerPrintRow row;
        row.maeip_date = GetSpreadText(spList, ColMaeipDate, r);
        row.pro_name = GetSpreadText(spList, ColProName, r);
        row.maeip_name = GetSpreadText(spList, ColMaeipName, r);
        row.maeip_cost = LedgerPrintAmount(model, ColMaeipCost, r);
        row.maechul_date = GetSpreadText(spList, ColMaechulDate, r);
        row.maechul_name = GetSpreadText(spList, ColMaechulName, r);
        row.maechul_cost = LedgerPrintAmount(model, ColMaechulCost, r);
        row.maechul_usecost = LedgerPrintAmount(model, ColUseCost, r);
        rows.push_back(std::move(row));
    }
    return rows;
}

void FillTotalPrint(dao::Database& db, const QVector<LedgerPrintRow>& rows)
{
    dao::Transaction tx(db);
    db.execute(QStringLiteral("DELETE FROM total_print"));
    const auto insert = db.prepare(QStringLiteral(
        "INSERT INTO total_print(maeip_date, pro_name, maeip_name, maeip_cost, maechul_date, maechul_name,"
        " maechul_cost, maechul_usecost) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
    // a number past the 64-bit range goes in as its text, which the amount column stores as
    // the number it is (or keeps as text); the report engine prints either as the overflow mark
    const auto bindAmount = [&insert](int index, const QVariant& amount) {
        if (amount.typeId() == QMetaType::QString)
            insert->bind(index, amount.toString());
        else
            insert->bind(index, amount.toLongLong());
    };
    for (const auto& r : rows) {
        insert->bind(1, r.maeip_date);
        insert->bind(2, r.pro_name);
        insert->bind(3, r.maeip_name);
        bindAmount(4, r.maeip_cost);
        insert->bind(5, r.maechul_date);
        insert->bind(6, r.maechul_name);
        bindAmount(7, r.maechul_cost);
        bindAmount(8, r.maechul_usecost);
        insert->run();
    }
    tx.commit();
}

QString LedgerReportFile(QString* expectedPath)
{
    const QString path = QDir(gsRptPath).filePath(kLedgerReportName);
    if (expectedPath)
        *expectedPath = path;
    if (gsRptPath.isEmpty())
        return QString();
    if (QFileInfo(path).isFile())
        return path;
    const QString shipped = platform::programPath(QStringLiteral("Rpt/") + kLedgerReportName);
    if (!QFileInfo(shipped).isFile())
        return QString();
    if (!QDir().mkpath(gsRptPath) || !QFile::copy(shipped, path))
        return QString();
    // the shipped copy may be read-only; the user's copy is theirs to change
    QFile::setPermissions(path, QFile::permissions(path) | QFileDevice::WriteOwner);
    return path;
}
