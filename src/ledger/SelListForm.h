#pragma once
#include <QDialog>
#include <QString>
#include <QVariantList>

class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace platform { class SpreadGrid; }

// The common body of the selection lists (parties, products, groups): a search box, a
// locked list and the buttons to add, edit, delete, pick and close. Opened hidden by the
// selection functions, which search through FindRecords and show the list only when the
// typed text leaves a choice. Keys: F2 add, F3 edit, F4 delete, F5 search again, Enter in
// the search box searches, Enter or a double click in the list picks, Escape closes.
class SelListForm : public QDialog {
    Q_OBJECT
public:
    ~SelListForm() override;

    // Fills the list from the search box: the columns of SearchSql's rows, in order.
    void Refresh_Sheet();
    // The picked row as the list hands it on; empty until a row is picked.
    QString Result() const { return sResult; }
    // Puts sFWord into the search box, fills the list and returns the number of rows;
    // with exactly one row, Result becomes that row.
    qint64 FindRecords(const QString& sFWord);

    // The statement Refresh_Sheet runs, with its bound values.
    virtual QString SearchSql(QVariantList& params) const = 0;

    // ---- handlers; key codes are virtual-key numbers
    void Form_KeyDown(int keyCode); // F2 add, F3 edit, F4 delete, F5 search
    virtual void cmdAdd_Click() = 0;
    virtual void cmdEdit_Click() = 0;
    virtual void cmdDel_Click() = 0;
    void cmdSel_Click();
    void cmdClose_Click();
    void txtName_KeyPress(int& keyAscii);
    void spList_DblClick(int col, int row);
    void spList_KeyPress(int& keyAscii);

    // ---- controls
    QLabel* lblName = nullptr;
    QLineEdit* txtName = nullptr;
    QPushButton* cmdAdd = nullptr;
    QPushButton* cmdEdit = nullptr;
    QPushButton* cmdDel = nullptr;
    QPushButton* cmdSel = nullptr;
    QPushButton* cmdClose = nullptr;
    platform::SpreadGrid* spList = nullptr;

public slots:
    void reject() override; // Escape and the close box: as cmdClose

protected:
    SelListForm(const QString& formName, const QString& caption, QWidget* parent);
    // The loading common to every list: the main window's icon, the locked single-select
    // list design, Result empty. Called by the derived window once its columns are set.
    void Form_Load();
    // What Result becomes when row is picked.
    virtual QString RowResult(int row) const = 0;

    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void watchKeys(QWidget* w);
    // The row the buttons act on: the active row when it holds an entry, else 0.
    int selectedRow() const;
    // name & "을(를) 정말 삭제하시겠습니까?" with No as the default; true on Yes.
    static bool confirmDelete(const QString& name);
    // The end of a deletion: with a record deleted the row goes (with the floating message)
    // and the list takes the focus; with none the user is told. True when the row went.
    bool removeDeletedRow(int row, qint64 affected);

    QHBoxLayout* searchRow = nullptr; // the product list adds its group combo here
    QString m_formName;
    QString sResult;
};
