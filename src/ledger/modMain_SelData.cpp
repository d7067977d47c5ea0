#include "ledger/modMain_SelData.h"

#include "frame/modFrmCtrl.h"
#include "frame/modMsgBox.h"
#include "ledger/FrmClient_Sel.h"
#include "ledger/FrmClient_write.h"
#include "ledger/FrmGroup_sel.h"
#include "ledger/FrmProduct_sel.h"
#include "ledger/modMain_SQL.h"
#include "platform/Prompter.h"

#include <QDialog>
#include <QLineEdit>

namespace {

QWidget* ownerOf(QWidget* anchor) { return anchor ? anchor->window() : nullptr; }

// Shows the list below the anchor for the user to pick from. Only a pick in the shown list
// counts: closing it chooses nothing, even when the search had a single hit.
QString pickInShownList(SelListForm& list, QWidget* ctlAnchor, long lHMode)
{
    SetFormPosition(&list, ctlAnchor, lHMode, 3, 0, 0);
    if (platform::prompter().execModal(list) != QDialog::Accepted)
        return QString();
    return list.Result();
}

// The common frame of the group and product selection, once the list has searched.
// bShowSingle: show the list even for a single hit (a product list without a typed name).
QString pickFromList(NameSelForm& list, NameList kind, const QString& sName, qint64 n, QWidget* ctlAnchor, long lHMode,
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
    return pickInShownList(list, ctlAnchor, lHMode);
}

} // namespace

QString SelectGroup(const QString& sName, QWidget* ctlAnchor, long lHMode, bool bAskAdd)
{
    FrmGroup_sel list(ownerOf(ctlAnchor));
    const qint64 n = list.FindRecords(sName);
    return pickFromList(list, NameList::Group, sName, n, ctlAnchor, lHMode, bAskAdd, false);
}

QString SelectProduct(const QString& sName, QWidget* ctlAnchor, long lHMode, bool bAskAdd, const QString& sGroup)
{
    FrmProduct_sel list(ownerOf(ctlAnchor));
    list.Group(sGroup);
    const qint64 n = list.FindRecords(sName);
    return pickFromList(list, NameList::Product, sName, n, ctlAnchor, lHMode, bAskAdd, sName.isEmpty());
}

QString SelectClient(long lBusiMode, const QString& sName, QLineEdit* txtCode, QWidget* ctlAnchor, long lHMode,
                     bool bAskAdd)
{
    if (!txtCode)
        return QString();
    txtCode->clear();

    const QString kindWord = lBusiMode == 0 ? QStringLiteral("매입") : lBusiMode == 1 ? QStringLiteral("매출") : QString();
    const QString title = kindWord + QStringLiteral("처 검색");

    FrmClient_Sel list(ownerOf(ctlAnchor));
    list.mode(int(lBusiMode));
    const qint64 n = list.FindRecords(sName);
    if (n <= 0) {
        if (!bAskAdd) {
            MsgInfo(sName.isEmpty() ? QStringLiteral("등록된 ") + kindWord + QStringLiteral("처가 없습니다.")
                                    : QStringLiteral("검색한 ") + kindWord + QStringLiteral("처가 등록되어 있지 않습니다."),
                    title);
            return QString();
        }
        const QString question =
            sName.isEmpty()
                ? QStringLiteral("등록된 ") + kindWord + QStringLiteral("처가 없습니다.\r\n신규 등록하겠습니까?")
                : QStringLiteral("검색한 ") + kindWord + QStringLiteral("처가 등록되어 있지 않습니다.\r\n") + kindWord
                      + QStringLiteral("처를 등록하겠습니까?");
        if (MsgYesNo(question, title, true) != platform::AnswerYes)
            return QString();
        FrmClient_write editor(ownerOf(ctlAnchor));
        editor.AddEditMode(1);
        editor.busiMode(int(lBusiMode));
        editor.DefaultName(sName);
        SetFormPosition(&editor, ctlAnchor, lHMode, 3, 0, 0);
        platform::prompter().execModal(editor);
        txtCode->setText(QString::number(editor.CCode()));
        return editor.CName();
    }
    const QString result = n >= 2 ? pickInShownList(list, ctlAnchor, lHMode) : list.Result();
    const int cut = result.indexOf(QChar(0));
    if (result.isEmpty() || cut < 0)
        return QString();
    txtCode->setText(result.left(cut));
    return result.mid(cut + 1);
}
