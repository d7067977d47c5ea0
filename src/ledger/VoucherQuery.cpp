#include "ledger/VoucherQuery.h"

#include "platform/SqlText.h"

SqlStatement BuildVoucherQuery(const VoucherFilter& f)
{
    SqlStatement st;
    QString sql = QStringLiteral("Select t.* FROM total AS t");
    const QString esc = QString::fromLatin1(dao::kLikeEscape);

    if (f.partyText.isEmpty()) {
        sql += QStringLiteral(" WHERE t.maechul_date between ? and ?");
        st.params << f.dateFrom << f.dateTo;
        if (!f.productText.isEmpty()) {
            sql += QStringLiteral(" AND t.pro_name like ?") + esc;
            st.params << dao::likeContains(f.productText);
        }
        if (!f.groupText.isEmpty()) {
            sql += QStringLiteral(" AND t.group_name = ?");
            st.params << f.groupText;
        }
        if (f.noSale)
            sql += QStringLiteral(" AND t.maechul_cost = 0");
    } else {
        const QString& x = f.partyText;
        switch (f.searchKind) {
        case SearchSalesName:
            sql += QStringLiteral(" WHERE t.maechul_name like ?") + esc;
            st.params << dao::likeContains(x);
            break;
        case SearchBuyName:
            sql += QStringLiteral(" WHERE t.maeip_name like ?") + esc;
            st.params << dao::likeContains(x);
            break;
        case SearchSalesTel: {
            // A number matches when it ends with the typed digits. The few matching parties
            // are found first, then their vouchers through the party-code index.
            sql += QStringLiteral(" WHERE t.maechul_code IN (SELECT m.id FROM maechul AS m WHERE ");
            static const char* cols[] = {"tel", "phone", "tel2", "tel3", "tel4", "tel5", "tel6"};
            const QString pattern = dao::likeEndsWith(x);
            for (int i = 0; i < 7; ++i) {
                if (i)
                    sql += QStringLiteral(" OR ");
                sql += QStringLiteral("m.") + QLatin1String(cols[i]) + QStringLiteral(" like ?") + esc;
                st.params << pattern;
            }
            sql += QLatin1Char(')');
            break;
        }
        case SearchSalesMemo:
            sql += QStringLiteral(" WHERE t.maechul_code IN (SELECT m.id FROM maechul AS m WHERE m.memo like ?") + esc
                + QLatin1Char(')');
            st.params << dao::likeContains(x);
            break;
        default:
            break;
        }
    }
    sql += QStringLiteral(" ORDER BY t.maechul_date, t.total_id");
    st.sql = sql;
    return st;
}

SqlStatement BuildGroupListQuery()
{
    return {QStringLiteral("SELECT distinct group_name FROM total WHERE group_name <> '' ORDER BY group_name"), {}};
}
