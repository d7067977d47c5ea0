#include "ledger/FrmClient_Sel.h"

#include "frame/modDao.h"
#include "frame/modFrmCtrl.h"
#include "frame/modGlobal.h"
#include "frame/modMain.h"
#include "frame/modMsgBox.h"
#include "ledger/FrmClient_write.h"
#include "ledger/frmMain.h"
#include "platform/DaoError.h"
#include "platform/FormRegistry.h"
#include "platform/Prompter.h"
#include "platform/SpreadGrid.h"
#include "platform/SqlText.h"

#include <QLineEdit>
#include <QMetaObject>
#include <cmath>

namespace {

constexpr int kCols = 5; // name, tel, address, memo, id
constexpr int kColName = 1;
constexpr int kColId = 5;

} // namespace

FrmClient_Sel::FrmClient_Sel(QWidget* parent)
    : SelListForm(QStringLiteral("FrmClient_Sel"), QStringLiteral("검색"), parent)
{
    resize(700, 420);
    // Form_Load
    iKind = -1;
    Form_Load();
    spList->SetMaxCols(kCols);
    static const char* const headers[kCols] = {"상호명", "전화", "주소", "메모", "코드"};
    static const double widths[kCols] = {16, 12, 24, 12, 6};
    for (int c = 0; c < kCols; ++c) {
        spList->SetText(c + 1, 0, QString::fromUtf8(headers[c]));
        spList->SetColWidth(c + 1, widths[c]);
    }
}

// ---------------------------------------------------------------------------------------
// Interface

void FrmClient_Sel::mode(int iMode)
{
    iKind = iMode;
    if (iMode == 0) {
        sTable = QStringLiteral("maeip");
        setWindowTitle(QStringLiteral("매입처 검색"));
    } else if (iMode == 1) {
        sTable = QStringLiteral("maechul");
        setWindowTitle(QStringLiteral("매출처 검색"));
    }
}

QString FrmClient_Sel::SearchSql(QVariantList& params) const
{
    params.clear();
    QString sql = QStringLiteral("SELECT name, tel, address, memo, id FROM ") + dao::quoteIdent(sTable);
    const QString word = txtName->text();
    if (!word.isEmpty()) {
        // the text is matched literally, as any part of the name
        sql += QStringLiteral(" WHERE name LIKE ?") + QLatin1String(dao::kLikeEscape);
        params << dao::likeContains(word);
    }
    return sql + QStringLiteral(" ORDER BY name COLLATE NOCASE");
}

QString FrmClient_Sel::RowResult(int row) const
{
    return spList->GetText(kColId, row) + QChar(0) + spList->GetText(kColName, row);
}

void FrmClient_Sel::SyncUpdateClient(qint64 ncode, int nBusiMode, bool bAdd)
{
    Q_UNUSED(nBusiMode); // the list shows its own kind
    RecordsetPtr rs;
    if (!DAO_OpenSnapshot(gDB, rs,
                          QStringLiteral("select name, tel, address, memo, id from ") + dao::quoteIdent(sTable)
                              + QStringLiteral(" where id = ?"),
                          {ncode}))
        return;
    try {
        int row = spList->ActiveRow();
        if (bAdd && !rs->eof()) {
            spList->SetMaxRows(spList->MaxRows() + 1);
            row = spList->MaxRows();
        }
        // (a vanished party, or no row to rewrite: never the header row)
        if (!rs->eof() && row >= 1 && row <= spList->MaxRows()) {
            for (int c = 0; c < kCols; ++c)
                spList->SetText(c + 1, row, rs->text(c));
            spList->SetActiveCell(qMax(1, spList->ActiveCol()), row);
        }
    } catch (const dao::DaoError& e) {
        ShowProcError(e.number(), e.description(), QStringLiteral("SyncUpdateClient"), QStringLiteral("Form"), m_formName);
    }
    CloseRS(rs);
}

// ---------------------------------------------------------------------------------------
// Adding, editing, deleting

// The id in the active row, rounded to a whole number (0 for no row or an empty cell).
qint64 FrmClient_Sel::selectedId() const
{
    const int row = selectedRow();
    if (row < 1)
        return 0;
    bool ok = false;
    const double v = spList->GetText(kColId, row).trimmed().toDouble(&ok);
    return ok ? qint64(std::llround(v)) : 0;
}

void FrmClient_Sel::openEditor(long editMode, qint64 id)
{
    FrmClient_write editor(this);
    editor.AddEditMode(editMode);
    editor.busiMode(iKind);
    if (editMode == 2)
        editor.CCode(id);
    editor.CallForm(this);
    SetFormPosition(&editor, txtName, 0, 3, 0, 0);
    platform::prompter().execModal(editor);
    spList->setFocus();
}

void FrmClient_Sel::cmdAdd_Click() { openEditor(1, 0); }

void FrmClient_Sel::cmdEdit_Click()
{
    const qint64 id = selectedId();
    if (id == 0) {
        MsgInfo(QStringLiteral("수정할 자료를 먼저 선택하세요."));
        return;
    }
    openEditor(2, id);
}

void FrmClient_Sel::cmdDel_Click()
{
    const qint64 id = selectedId();
    if (id == 0) {
        MsgInfo(QStringLiteral("삭제할 자료를 먼저 선택하세요."));
        return;
    }
    const int row = selectedRow();
    if (!confirmDelete(spList->GetText(kColName, row)))
        return;
    qint64 affected = 0;
    try {
        if (!gDB)
            throw dao::DaoError(dao::errObjectNotSet, QStringLiteral("Object variable or With block variable not set"));
        // The id stays in use: vouchers may still hold it, and a new party must not take it.
        dao::Transaction tx(*gDB);
        DAO_MarkNoUsed(gDB.get(), sTable, id);
        affected = gDB->execute(QStringLiteral("DELETE FROM ") + dao::quoteIdent(sTable) + QStringLiteral(" WHERE id = ?"), {id});
        if (affected > 0)
            tx.commit();
    } catch (const dao::DaoError& e) {
        ShowErrMsg(QStringLiteral("삭제중 오류가 발생하였습니다."), e);
        return;
    }
    if (removeDeletedRow(row, affected))
        clearMainWindowBox(id);
}

// A party box of the main window that still shows the deleted party is cleared (the main
// window looks the party up again and finds nothing).
void FrmClient_Sel::clearMainWindowBox(qint64 id)
{
    auto* main = qobject_cast<frmMain*>(platform::FormRegistry::instance().find(QStringLiteral("frmMain")));
    if (!main || iKind < 0)
        return;
    QLineEdit* shown = main->txtCurClient[iKind != 0 ? 1 : 0];
    if (!shown || shown->text().trimmed().toLongLong() != id)
        return;
    QMetaObject::invokeMethod(main, "SyncUpdateClient", Qt::DirectConnection, Q_ARG(qint64, id), Q_ARG(int, iKind),
                              Q_ARG(bool, false));
}
