#pragma once
#include "ledger/NameSelForm.h"

// The list of product groups ("그룹검색", table group_name): search by any part of the name,
// pick a group, add, rename (optionally in the vouchers too) and delete groups.
class FrmGroup_sel : public NameSelForm {
    Q_OBJECT
public:
    explicit FrmGroup_sel(QWidget* parent = nullptr);
};
