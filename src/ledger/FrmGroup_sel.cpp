#include "ledger/FrmGroup_sel.h"

FrmGroup_sel::FrmGroup_sel(QWidget* parent)
    : NameSelForm(NameList::Group, QStringLiteral("FrmGroup_sel"), QStringLiteral("그룹검색"), parent)
{
    Form_Load();
}
