#pragma once
#include "ledger/modMain_SQL.h"

#include <QDialog>
#include <QString>
#include <QVariantList>

class QHBoxLayout;
class QLabel;
class QLineEdit;
class QPushButton;

namespace platform { class SpreadGrid; }

// The common body of the two name lists (products, groups): a search box, a one-column
// list of names and the buttons to add, rename, delete, pick and close. Opened hidden by the
// selection functions, which search through FindRecords and show the list only when the
// typed text leaves a choice. Keys: F2 add, F3 rename, F4 delete, F5 search again,
// Enter or double click pick, Escape close.
class NameSelForm : public QDialog {
    Q_OBJECT
public:
    ~NameSelForm() override;

    // Fills the list from the search box.
    virtual void Refresh_Sheet();
    // The picked name; empty until a name is picked.
    QString Result() const { return sResult; }
    // Puts sFWord into the search box, fills the list and returns the number of names;
    // with exactly one name, Result becomes that name.
    long FindRecords(const QString& sFWord);

    // The statement Refresh_Sheet runs, with its bound values.
    virtual QString SearchSql(QVariantList& params) const;

    // ---- handlers
    void Form_KeyDown(int keyCode); // F2 add, F3 rename, F4 delete, F5 search
    void cmdAdd_Click();
    void cmdEdit_Click();
    void cmdDel_Click();
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
    NameSelForm(NameList list, const QString& formName, const QString& caption, QWidget* parent);
    // The loading common to both lists; the product list fills its group combo after it.
    void Form_Load();
    bool eventFilter(QObject* watched, QEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void fitNameColumn();
    void watchKeys(QWidget* w);
    // The row the buttons act on: the active row when it holds a name, else 0.
    int selectedRow() const;

    QHBoxLayout* searchRow = nullptr; // the product list adds its group combo here
    NameList m_list;
    QString m_formName;
    QString sResult;
};
