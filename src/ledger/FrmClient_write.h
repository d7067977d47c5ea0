#pragma once
#include <QDialog>
#include <QPointer>
#include <QString>
#include <QVariantList>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The party editor ("거래처 등록"): creates a new party or edits one of either kind,
// sales parties (maechul, kind 1) or purchase parties (maeip, kind 0).
//
// Opening order: AddEditMode, busiMode, then CCode (edit) or DefaultName (new with a proposed
// name) or neither, then CallForm where a call-back is wanted; show it modally through the
// prompt seam; afterwards read CCode / CName.
//
// After each successful save the window given as CallForm receives, by name,
//   SyncUpdateClient(qint64 ncode, int nBusiMode, bool bAdd)
// (a Q_INVOKABLE member or slot); bAdd is true for a new party.
class FrmClient_write : public QDialog {
    Q_OBJECT
public:
    explicit FrmClient_write(QWidget* parent = nullptr);
    ~FrmClient_write() override;

    // ---- the window's interface
    void CallForm(QObject* ctlCallForm);
    // 1 new party ("신규 거래처 등록"), 2 existing party ("기존 거래처 수정").
    void AddEditMode(long eEditMode);
    // Id of the row saved last; 0 while nothing was saved.
    qint64 CCode() const { return lSavedCode; }
    // Loads party ncode for editing (and hides the continue-adding box).
    void CCode(qint64 ncode);
    // Name saved last; "" while nothing was saved.
    QString CName() const { return sSavedName; }
    // Proposes a name for a new party (and hides the continue-adding box).
    void DefaultName(const QString& sName);
    // 1 sales parties, 0 purchase parties; appends the kind to the caption.
    void busiMode(int iBusiMode);

    // ---- handlers (public for the tests)
    void btnSave_Click();
    void btnCancel_Click();
    void btnPost_Click();
    void txtInput_KeyDown(int index, int keyCode);
    // Returns true when the key was used up.
    bool txtInput_KeyPress(int index, int keyAscii);
    void txtInput_Validate(int index);

    // ---- controls; txtInput: 0 name, 1 tel, 2 phone, 3 zipcode, 4 address, 5 memo,
    // 6..10 tel2..tel6
    QLabel* pnlTitle[6] = {};
    QLineEdit* txtInput[11] = {};
    QPushButton* btnPost = nullptr;
    QPushButton* btnSave = nullptr;
    QPushButton* btnCancel = nullptr;
    QCheckBox* ChkContinueAdd = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ClearInputs();
    void LoadClient(qint64 id);
    enum SaveResult { SaveDone, SaveFailed, SaveAskAgain };
    struct SameNameQuery {
        QString sql;
        QVariantList params;
    };
    // Other parties of the kind with this name (the edited party itself left out).
    SameNameQuery sameNameQuery(const QString& name) const;
    // Writes the record unless, under the write lock, more same-name parties exist than
    // agreedSameName: then nothing is written, sameName gets their count and the user is to
    // be asked again (SaveAskAgain).
    SaveResult SaveClient(bool bNew, qint64 agreedSameName, qint64& sameName);
    void proposeRename();
    int boxIndex(const QObject* o) const;
    void placeCaretAtEnd(QLineEdit* box);

    int iKind = -1;
    QString sTable;
    long lEditMode = 0;
    qint64 lRecordId = -1;
    qint64 lSavedCode = 0;
    QString sSavedName;
    QString sLoadedName;
    QPointer<QObject> callForm;
    // After a postal pick: the address box puts its caret at the end when it gets the focus.
    bool bCaretToEnd = false;
};
