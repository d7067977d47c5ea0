#include "ledger/modMain_SelData.h"

#include "frame/modFrmCtrl.h"
#include "frame/modMsgBox.h"
#include "ledger/FrmGroup_sel.h"
#include "ledger/FrmProduct_sel.h"
#include "ledger/modMain_SQL.h"
#include "platform/Prompter.h"

#include <QDialog>
#include <QLineEdit>

namespace {

QWidget* ownerOf(QWidget* anchor) { return anchor ? anchor->window() : nullptr; }

// The common frame of the group and product selection, once the list has searched.
// bShowSingle: show the list even for a single hit (a product list without a typed name).
QString pickFromList(NameSelForm& list, NameList kind, const QString& sName, long n, QWidget* ctlAnchor, long lHMode,
                     bool bAskAdd, bool bShowSingle)
{
    const bool group = kind == NameList::Group;
    const QString title = group ? QStringLiteral("그룹 검색") : QStringLiteral("상품 검색");
    if (n <= 0) {
        const QString word = group ? QStringLiteral("그룹") : QStringLiteral("상품");
        const QString msg = sName.isEmpty() ? QStringLiteral("등록된 ") + word + QStringLiteral("이 없습니다.")
                                            : QStringLiteral("검색한 ") + word + QStringLiteral("이 등록되어 있지 않습니다.");
        if (!bAskAdd) {
            MsgInfo(msg, title);
            return QString();
        }
        if (MsgYesNo(msg + QStringLiteral("\r\n신규 등록하겠습니까?"), title, false) != platform::AnswerYes)
            return QString();
        QString name = sName;
        const bool added = group ? AddGroup(name) : AddProduct(name);
        return added ? name : QString();
    }
    if (n == 1 && !bShowSingle)
        return list.Result();
    SetFormPosition(&list, ctlAnchor, lHMode, 3, 0, 0);
    // Only a pick in the shown list counts: closing it chooses nothing, even when the search
    // had a single hit.
    if (platform::prompter().execModal(list) != QDialog::Accepted)
        return QString();
    return list.Result();
}

} // namespace

QString SelectGroup(const QString& sName, QWidget* ctlAnchor, long lHMode, bool bAskAdd)
{
    FrmGroup_sel list(ownerOf(ctlAnchor));
    const long n = list.FindRecords(sName);
    return pickFromList(list, NameList::Group, sName, n, ctlAnchor, lHMode, bAskAdd, false);
}

QString SelectProduct(const QString& sName, QWidget* ctlAnchor, long lHMode, bool bAskAdd, const QString& sGroup)
{
    FrmProduct_sel list(ownerOf(ctlAnchor));
    list.Group(sGroup);
    const long n = list.FindRecords(sName);
    return pickFromList(list, NameList::Product, sName, n, ctlAnchor, lHMode, bAskAdd, sName.isEmpty());
}
