#pragma once
#include <QDialog>
#include <QPointer>

class QCheckBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPushButton;
namespace platform { class SpreadGrid; }

// "보고서용 컬럼설정": the user ticks which visible columns of a grid appear in reports.
// The choice lives in the owner window's layout file, section "<grid>_RPTCOL", key = the
// column number, value "1" (in reports) or "0". Shown modally after SetParam.
class FrmSprRPTCol : public QDialog {
    Q_OBJECT
public:
    explicit FrmSprRPTCol(QWidget* parent = nullptr);
    ~FrmSprRPTCol() override;

    // Lists the visible columns of sp with their stored choice (all ticked without a file).
    void SetParam(QWidget* Frm, platform::SpreadGrid* sp);

    // The column number listed in row i of List1.
    int ColumnOf(int i) const;
    bool Changed() const { return m_bChanged; }

    QListWidget* List1 = nullptr;
    QLabel* Label1 = nullptr;
    QPushButton* cmdSave = nullptr;
    QPushButton* cmdClose = nullptr;
    QCheckBox* chkAll = nullptr;

public slots:
    void done(int r) override;

private:
    void List1_ItemCheck(QListWidgetItem* item);
    void chkAll_Click(bool checked);
    void cmdSave_Click();
    QString iniFile() const;
    QString iniSection() const;

    QPointer<QWidget> m_frm;
    QPointer<platform::SpreadGrid> m_spr;
    bool m_bChanged = false;
    bool m_bFilling = false;
};
