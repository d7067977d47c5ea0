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

// One point of the graph.
struct TradeGraphItem {
    QString Name;       // the group key's text ("" for Null)
    qint64 Count = 0;   // number of vouchers
    qint64 Amount = 0;  // summed amount of the value kind
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

// The grouped statement: key, COUNT(*), the summed value; only sold vouchers (sales amount
// not 0) of the period. Empty sql for an unknown grouping. Every value is bound.
SqlStatement BuildTradeQuery(const TradeQuery& q);

// Folds the rows of a grouped query into points.
class TradeGraphFolder {
public:
    explicit TradeGraphFolder(int groupKind) : m_byName(TradeFoldsByName(groupKind)) {}
    void clear() { m_items.clear(); m_index.clear(); }
    // Adds one row (name, count, sum); Null count or sum adds nothing.
    void addRow(const QVariant& name, const QVariant& count, const QVariant& sum);
    // Adds every row of rs from its current position on.
    void addRows(dao::Recordset& rs);
    const QVector<TradeGraphItem>& items() const { return m_items; }

private:
    bool m_byName;
    QVector<TradeGraphItem> m_items;
    QHash<QString, int> m_index; // name -> position, for merging by name
};

// A database value read as a 64-bit whole amount ("" / Null as 0, fractions rounded).
qint64 TradeAmountValue(const QVariant& v);
