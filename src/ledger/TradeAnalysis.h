#pragma once
#include "ledger/VoucherQuery.h"

#include <QHash>
#include <QString>
#include <QVector>

namespace dao { class Recordset; }

// The analysis of sold vouchers: one grouped query on total, folded into graph points.
// Nothing here knows a widget.

// How vouchers are grouped (the list position of the query window's grouping options).
enum TradeGroupKind : int {
    TradeByDay = 0,     // "일별"   sales date
    TradeByMonth = 1,   // "월별"   "YYYY-MM"
    TradeByYear = 2,    // "년별"   "YYYY"
    TradeByProduct = 3, // "품목별" product name
    TradeByGroup = 4    // "그룹별" group name
};

// An amount of the Currency type: a 64-bit count of ten-thousandths, four decimals, exact.
struct Currency {
    static constexpr qint64 kScale = 10000;
    qint64 units = 0; // ten-thousandths

    static Currency fromUnits(qint64 u) { return Currency{u}; }
    // Adds o; a sum beyond the range throws dao::DaoError 6 "Overflow" and leaves the amount
    // as it was.
    Currency& operator+=(Currency o);
    bool operator==(Currency o) const { return units == o.units; }
    bool operator!=(Currency o) const { return units != o.units; }
    // The nearest Double (the graph takes its values as Doubles).
    double toDouble() const;
    // Plain decimal text, without separators and without trailing zeros: "3667300.25",
    // "-0.0008", "1000".
    QString toString() const;
};

// One point of the graph.
struct TradeGraphItem {
    QString Name;       // the group key's text ("" for Null)
    qint64 Count = 0;   // number of vouchers
    Currency Amount;    // summed amount of the value kind
};

// What the query window asks for. Texts are used as typed: a filter of blanks filters on
// blanks, only an empty filter means "all".
struct TradeQuery {
    int tradeGubun = 1;   // not 0: sales margins; 0: purchase amounts
    int groupKind = TradeByDay;
    QString dateFrom;     // sales period, compared as text
    QString dateTo;
    QString group;        // exact group, "" for all
    QString product;      // exact product name, "" for all
};

// The key expression of a grouping, "" for an unknown one.
QString TradeGroupKey(int groupKind);
// True when rows of that grouping are merged into points by name (year, product, group).
bool TradeFoldsByName(int groupKind);

// The grouped statement: key, COUNT(*), the summed value in ten-thousandths (summed exactly,
// never in binary fractions); only sold vouchers (sales amount not 0) of the period. Empty
// sql for an unknown grouping. Every value is bound.
SqlStatement BuildTradeQuery(const TradeQuery& q);

// Folds the rows of a grouped query into points.
class TradeGraphFolder {
public:
    explicit TradeGraphFolder(int groupKind) : m_byName(TradeFoldsByName(groupKind)) {}
    void clear() { m_items.clear(); m_index.clear(); }
    // Adds one row (name, count, sum in ten-thousandths as the query gives it); Null count or
    // sum adds nothing. A point whose sum would leave the Currency range throws dao::DaoError
    // 6 "Overflow" (the point keeps what it had).
    void addRow(const QVariant& name, const QVariant& count, const QVariant& sum);
    // Adds every row of rs from its current position on.
    void addRows(dao::Recordset& rs);
    const QVector<TradeGraphItem>& items() const { return m_items; }

private:
    bool m_byName;
    QVector<TradeGraphItem> m_items;
    QHash<QString, int> m_index; // name -> position, for merging by name
};

// A count of the query read as a 64-bit whole number ("" / Null as 0).
qint64 TradeCountValue(const QVariant& v);
// A sum of the query (ten-thousandths) read as Currency ("" / Null as 0).
Currency TradeSumValue(const QVariant& v);
