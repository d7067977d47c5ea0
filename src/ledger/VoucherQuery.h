#pragma once
#include <QString>
#include <QVariantList>

// The voucher list's query, built from the search bar's values without any widget.

// What the party search text is matched against (the ListIndex of the main window's cmbGu).
enum VoucherSearchKind : int {
    SearchSalesName = 0,  // "판매처명": sales party name contains the text
    SearchBuyName = 1,    // "매입처명": purchase party name contains the text
    SearchSalesTel = 2,   // "판매처☏": a sales party number ends with the text
    SearchSalesMemo = 3   // "판매메모": the sales party's memo contains the text
};

struct VoucherFilter {
    QString dateFrom;     // sales period, "YYYY-MM-DD", compared as text
    QString dateTo;
    QString productText;  // product name contains
    QString groupText;    // exact group
    bool noSale = false;  // unsold vouchers only
    int searchKind = SearchSalesName;
    QString partyText;    // non-empty: party search; the period and other filters are ignored
};

struct SqlStatement {
    QString sql;
    QVariantList params;
};

// SELECT of the voucher rows (every column of total, in table order), ordered by sales date
// and key. User text is always bound; LIKE patterns match it literally.
SqlStatement BuildVoucherQuery(const VoucherFilter& filter);

// The distinct non-empty groups used by the vouchers, in order.
SqlStatement BuildGroupListQuery();
