#include "ledger/TradeAnalysis.h"

#include "platform/DaoError.h"
#include "platform/Recordset.h"

#include <cmath>

QString TradeGroupKey(int groupKind)
{
    switch (groupKind) {
    case TradeByDay:
        return QStringLiteral("maechul_date");
    case TradeByMonth:
        return QStringLiteral("MID(maechul_date,1,7)");
    case TradeByYear:
        return QStringLiteral("MID(maechul_date,1,4)");
    case TradeByProduct:
        return QStringLiteral("pro_name");
    case TradeByGroup:
        return QStringLiteral("group_name");
    default:
        return QString();
    }
}

bool TradeFoldsByName(int groupKind)
{
    return groupKind == TradeByYear || groupKind == TradeByProduct || groupKind == TradeByGroup;
}

SqlStatement BuildTradeQuery(const TradeQuery& q)
{
    SqlStatement st;
    const QString key = TradeGroupKey(q.groupKind);
    if (key.isEmpty())
        return st;
    st.sql = QStringLiteral("SELECT ") + key + QStringLiteral(", COUNT(*)");
    if (q.tradeGubun != 0)
        st.sql += QStringLiteral(", CURSUM(IIF(maechul_cost=0,0, maechul_cost-maeip_cost-maechul_usecost))");
    else
        st.sql += QStringLiteral(", CURSUM(maeip_cost)");
    st.sql += QStringLiteral(" FROM total WHERE maechul_date BETWEEN ? AND ? AND maechul_cost <> 0");
    st.params << q.dateFrom << q.dateTo;
    if (!q.group.isEmpty()) {
        st.sql += QStringLiteral(" AND group_name = ?");
        st.params << q.group;
    }
    if (!q.product.isEmpty()) {
        st.sql += QStringLiteral(" AND pro_name = ?");
        st.params << q.product;
    }
    st.sql += QStringLiteral(" GROUP BY ") + key + QStringLiteral(" ORDER BY ") + key;
    return st;
}

Currency& Currency::operator+=(Currency o)
{
    qint64 sum = 0;
    if (__builtin_add_overflow(units, o.units, &sum))
        throw dao::DaoError(6, QStringLiteral("Overflow"));
    units = sum;
    return *this;
}

double Currency::toDouble() const
{
    // The whole part and the fraction apart, so that a large amount keeps its decimals.
    return double(units / kScale) + double(units % kScale) / double(kScale);
}

QString Currency::toString() const
{
    const quint64 magnitude = units < 0 ? quint64(0) - quint64(units) : quint64(units);
    QString s = QString::number(magnitude / quint64(kScale));
    if (const quint64 fraction = magnitude % quint64(kScale)) {
        QString decimals = QString::number(fraction).rightJustified(4, QLatin1Char('0'));
        while (decimals.endsWith(QLatin1Char('0')))
            decimals.chop(1);
        s += QLatin1Char('.') + decimals;
    }
    return units < 0 ? QLatin1Char('-') + s : s;
}

qint64 TradeCountValue(const QVariant& v)
{
    if (v.isNull() || !v.isValid())
        return 0;
    bool ok = false;
    const qint64 n = v.toLongLong(&ok);
    return ok ? n : 0;
}

Currency TradeSumValue(const QVariant& v)
{
    if (v.isNull() || !v.isValid())
        return Currency();
    bool ok = false;
    if (v.typeId() != QMetaType::Double && v.typeId() != QMetaType::Float) {
        const qint64 units = v.toLongLong(&ok);
        if (ok)
            return Currency::fromUnits(units);
    }
    // not a whole number of ten-thousandths: the nearest one
    const double d = v.toDouble(&ok);
    if (!ok || !std::isfinite(d) || std::fabs(d) >= 9.2e18)
        return Currency();
    return Currency::fromUnits(qint64(std::llround(d)));
}

void TradeGraphFolder::addRow(const QVariant& name, const QVariant& count, const QVariant& sum)
{
    const QString text = name.isNull() ? QString() : name.toString();
    int pos = -1;
    if (m_byName) {
        auto it = m_index.constFind(text);
        if (it != m_index.constEnd())
            pos = it.value();
    }
    if (pos < 0) {
        pos = int(m_items.size());
        m_items.push_back(TradeGraphItem());
        if (m_byName)
            m_index.insert(text, pos);
    }
    TradeGraphItem& item = m_items[pos];
    item.Name = text;
    if (!sum.isNull())
        item.Amount += TradeSumValue(sum); // first: an overflow leaves the point as it was
    if (!count.isNull())
        item.Count += TradeCountValue(count);
}

void TradeGraphFolder::addRows(dao::Recordset& rs)
{
    while (!rs.eof()) {
        addRow(rs.value(0), rs.value(1), rs.value(2));
        rs.moveNext();
    }
}
