#pragma once
#include "platform/Database.h"
#include "platform/Recordset.h"

#include <QStringList>

namespace testsupport {

// The rows of a query as text, one line per row with its cells joined by "|" ("<null>" for a
// Null), in the order the query gives them.
inline QStringList queryRows(dao::Database& db, const QString& sql)
{
    auto rs = db.openRecordset(sql, dao::dbOpenSnapshot);
    QStringList out;
    for (; !rs->eof(); rs->moveNext()) {
        QStringList cells;
        for (int i = 0; i < rs->fieldCount(); ++i)
            cells << (rs->isNull(i) ? QStringLiteral("<null>") : rs->text(i));
        out << cells.join(QLatin1Char('|'));
    }
    return out;
}

} // namespace testsupport
