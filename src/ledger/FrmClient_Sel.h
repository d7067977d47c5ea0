#pragma once
#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QPushButton;

namespace platform { class SpreadGrid; }

// The list of the parties of one kind ("매입처 검색" / "매출처 검색"): search, pick, and add,
// edit and delete parties through the party editor.
//
// Opening order: construct (hidden), mode(kind) first, then FindRecords(typed name); show it
// modally (through the prompt seam) only for two or more rows; afterwards read Result():
// the picked party's id as decimal text, QChar(0), its name ("" when nothing was picked).
class FrmClient_Sel : public QDialog {
    Q_OBJECT
public:
    explicit FrmClient_Sel(QWidget* parent = nullptr);
    ~FrmClient_Sel() override;

    // ---- the window's interface
    // 0 purchase parties (maeip), 1 sales parties (maechul); other values choose nothing.
    void mode(int iMode);
    // Fills the grid from the search box (the text matches any part of the name).
    void Refresh_Sheet();
    QString Result() const { return sResult; }
    // Searches for sFWord; returns the number of rows. With exactly one row, Result is set.
    qint64 FindRecords(const QString& sFWord);
    // The party editor reports a saved party: a new one is appended as the last row, an
    // edited one rewrites the active row. nBusiMode is not looked at.
    Q_INVOKABLE void SyncUpdateClient(qint64 ncode, int nBusiMode, bool bAdd = false);

    // ---- handlers (public for the tests); key codes are virtual-key numbers
    void Form_KeyDown(int keyCode);
    void cmdAdd_Click();
    void cmdEdit_Click();
    void cmdDel_Click();
    void cmdSel_Click();
    void cmdClose_Click();
    void txtName_KeyPress(int& keyAscii);
    void spList_DblClick(int col, int row);
    void spList_KeyPress(int& keyAscii);

    int Kind() const { return iKind; }
    QString TableName() const { return sTable; }

    // ---- controls
    QLabel* lblName = nullptr;
    QLineEdit* txtName = nullptr;
    platform::SpreadGrid* spList = nullptr;
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdEdit = nullptr;
    QPushButton* cmdDel = nullptr;
    QPushButton* cmdSel = nullptr;
    QPushButton* cmdClose = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void designList();
    void openEditor(long editMode, qint64 id);
    void clearMainWindowBox(qint64 id);

    int iKind = -1;
    QString sTable;
    QString sResult;
};
