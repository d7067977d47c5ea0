#include "ledger/NameSelForm.h"

#include "frame/modFrmCtrl.h"
#include "frame/modGlobal.h"
#include "frame/modMain.h"
#include "frame/modMsgBox.h"
#include "frame/modSpread60.h"
#include "platform/DaoError.h"
#include "platform/Prompter.h"
#include "platform/SpreadGrid.h"
#include "platform/SqlText.h"

#include <QLineEdit>
#include <QEvent>
#include <QScrollBar>

NameSelForm::NameSelForm(NameList list, const QString& formName, const QString& caption, QWidget* parent)
    : SelListForm(formName, caption, parent), m_list(list)
{
    spList->SetMaxCols(1);
    spList->SetText(1, 0, QStringLiteral("이름"));
    spList->SetColWidth(1, 30);
    resize(340, 420);
}

QString NameSelForm::RowResult(int row) const { return spList->GetText(1, row); }

QString NameSelForm::SearchSql(QVariantList& params) const
{
    params.clear();
    QString sql = QStringLiteral("SELECT name FROM ") + NameListTable(m_list);
    const QString text = txtName->text();
    if (!text.isEmpty()) {
        sql += QStringLiteral(" WHERE name LIKE ?") + QString::fromLatin1(dao::kLikeEscape);
        params << dao::likeContains(text);
    }
    return sql + QStringLiteral(" ORDER BY name COLLATE NOCASE");
}

void NameSelForm::cmdAdd_Click()
{
    QString answer;
    const QString prompt = QStringLiteral("신규등록 할 ")
                           + (m_list == NameList::Group ? QStringLiteral("그룹명") : QStringLiteral("상품명"))
                           + QStringLiteral("을 입력하세요.");
    if (!platform::prompter().inputBox(prompt, gsTitle, answer))
        return;
    const bool added = !answer.isEmpty()
                       && (m_list == NameList::Group ? AddGroup(answer) : AddProduct(answer));
    if (!added)
        return;
    const int row = spList->MaxRows() + 1;
    spList->SetMaxRows(row);
    spList->SetText(1, row, answer);
    spList->SetFocus();
}

void NameSelForm::cmdEdit_Click()
{
    const int row = selectedRow();
    if (row < 1) {
        MsgInfo(QStringLiteral("수정할 자료를 먼저 선택하세요."));
        return;
    }
    const QString sOld = spList->GetText(1, row);
    QString sNew = sOld;
    if (!platform::prompter().inputBox(QStringLiteral("수정할 이름을 입력하세요."), gsTitle, sNew))
        return;
    if (sNew == sOld || sNew.isEmpty())
        return;
    if (!CheckNameLength(m_list, sNew))
        return;

    const QString table = NameListTable(m_list);
    RecordsetPtr rs;
    if (!DAO_OpenSnapshot(gDB, rs,
                          QStringLiteral("SELECT COUNT(*) FROM ") + table
                              + QStringLiteral(" WHERE name = ? COLLATE NOCASE AND name <> ? COLLATE BINARY"),
                          {sNew, sOld}))
        return;
    const qint64 existing = rs->eof() ? 0 : rs->toInt64(0);
    CloseRS(rs);
    if (existing >= 1) {
        MsgInfo(QStringLiteral("이미 같은 이름이 등록 되어 있습니다."));
        return;
    }

    // Asked before anything is written, so that the list and the vouchers change together
    // in one transaction (and no lock is held while the question is open).
    const bool bVouchers = MsgYesNo(QStringLiteral("전표에 이미 등록된 동일한 이름도 변경 하시겠습니까?"), QString(), false)
                           == platform::AnswerYes;
    qint64 lVouchers = 0;
    RenameOutcome outcome;
    try {
        if (!gDB)
            throw dao::DaoError(dao::errObjectNotSet, QStringLiteral("Object variable or With block variable not set"));
        outcome = RenameName(*gDB, m_list, sOld, sNew, bVouchers, lVouchers);
    } catch (const dao::DaoError& e) {
        ShowProcError(e.number(), e.description(), QStringLiteral("cmdEdit_Click"), QStringLiteral("Form"), m_formName);
        return;
    }
    if (outcome == RenameOutcome::Exists) {
        MsgInfo(QStringLiteral("이미 같은 이름이 등록 되어 있습니다."));
        return;
    }
    if (outcome == RenameOutcome::NotFound) {
        MsgInfo(QStringLiteral("수정중 오류가 발생하였습니다."));
        return;
    }
    spList->SetText(1, row, sNew);
    if (bVouchers)
        MsgInfo(QStringLiteral("전표에서 ") + QString::number(lVouchers) + QStringLiteral("건의 자료가 변경되었습니다."));
    spList->SetFocus();
}

void NameSelForm::cmdDel_Click()
{
    int row = selectedRow();
    if (row < 1) {
        MsgInfo(QStringLiteral("삭제할 자료를 먼저 선택하세요."));
        return;
    }
    const QString name = spList->GetText(1, row);
    if (!confirmDelete(name))
        return;
    qint64 deleted = 0;
    try {
        if (!gDB)
            throw dao::DaoError(dao::errObjectNotSet, QStringLiteral("Object variable or With block variable not set"));
        deleted = DeleteName(*gDB, m_list, name);
    } catch (const dao::DaoError& e) {
        ShowProcError(e.number(), e.description(), QStringLiteral("cmdDel_Click"), QStringLiteral("Form"), m_formName);
        return;
    }
    removeDeletedRow(row, deleted);
}

bool NameSelForm::eventFilter(QObject* watched, QEvent* e)
{
    if (e->type() == QEvent::Resize && watched == spList)
        fitNameColumn();
    return SelListForm::eventFilter(watched, e);
}

void NameSelForm::fitNameColumn()
{
    // the one column of names fills the list's width
    spList->SetUnitType(2);
    // (the grid's own width: its viewport follows only after this resize has been handled)
    const int px = spList->width() - 2 * spList->frameWidth() - spList->verticalScrollBar()->sizeHint().width();
    const double inner = px * TwipsPerPixelX() - spList->ColWidth(0) - 30;
    spList->SetColWidth(1, qMax(1200.0, inner));
    spList->SetUnitType(0);
}
