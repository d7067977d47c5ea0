#pragma once
#include "ledger/SelListForm.h"

// The list of the parties of one kind ("매입처 검색" / "매출처 검색"): search, pick, and add,
// edit and delete parties through the party editor.
//
// Opening order: construct (hidden), mode(kind) first, then FindRecords(typed name); show it
// modally (through the prompt seam) only for two or more rows; afterwards read Result():
// the picked party's id as decimal text, QChar(0), its name ("" when nothing was picked).
class FrmClient_Sel : public SelListForm {
    Q_OBJECT
public:
    explicit FrmClient_Sel(QWidget* parent = nullptr);

    // ---- the window's interface
    // 0 purchase parties (maeip), 1 sales parties (maechul); other values choose nothing.
    void mode(int iMode);
    // The search: every party of the kind whose name holds the search text, by name.
    QString SearchSql(QVariantList& params) const override;
    // The party editor reports a saved party: a new one is appended as the last row, an
    // edited one rewrites the active row. nBusiMode is not looked at.
    Q_INVOKABLE void SyncUpdateClient(qint64 ncode, int nBusiMode, bool bAdd = false);

    void cmdAdd_Click() override;
    void cmdEdit_Click() override;
    void cmdDel_Click() override;

protected:
    QString RowResult(int row) const override;

private:
    void openEditor(long editMode, qint64 id);
    qint64 selectedId() const;
    void clearMainWindowBox(qint64 id);

    int iKind = -1;
    QString sTable;
};
