#pragma once
#include "ledger/SelListForm.h"
#include "ledger/modMain_SQL.h"

// The common body of the two name lists (products, groups): a one-column list of names in
// which a name is picked, added, renamed (optionally in the vouchers too) and deleted.
class NameSelForm : public SelListForm {
    Q_OBJECT
public:
    QString SearchSql(QVariantList& params) const override;

    void cmdAdd_Click() override;
    void cmdEdit_Click() override;
    void cmdDel_Click() override;

protected:
    NameSelForm(NameList list, const QString& formName, const QString& caption, QWidget* parent);
    QString RowResult(int row) const override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void fitNameColumn();

    NameList m_list;
};
