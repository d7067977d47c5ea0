#pragma once
#include "ledger/NameSelForm.h"

class QComboBox;

// The list of product names ("상품검색", table product). Besides the search box it has a
// group combo: with an empty search box and a group chosen it lists each product used in
// that group's vouchers once; a search text lists by the text alone (the whole name while
// gbAutoPickProduct is set, any part of it otherwise).
class FrmProduct_sel : public NameSelForm {
    Q_OBJECT
public:
    explicit FrmProduct_sel(QWidget* parent = nullptr);

    // Puts sGroup into the group combo.
    void Group(const QString& sGroup);

    QString SearchSql(QVariantList& params) const override;

    void cmbGroup_Click();
    void cmbGroup_GotFocus();
    void cmbGroup_KeyDown(int keyCode);

    QLabel* lblGroup = nullptr;
    QComboBox* cmbGroup = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* e) override;
    void showEvent(QShowEvent* e) override;
};
