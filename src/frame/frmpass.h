#pragma once
#include <QDialog>

class QLineEdit;
class QPushButton;

// Password change ("비밀번호변경"): the current password (txtInput[0]) must match; a new
// password (txtInput[1]) replaces it, an empty one removes it.
class frmpass : public QDialog {
    Q_OBJECT
public:
    explicit frmpass(QWidget* parent = nullptr);
    ~frmpass() override;

    // The confirm button. Closes the window when the password was changed.
    void cmdSearch_Click();

    QLineEdit* txtInput[2] = {nullptr, nullptr};
    QPushButton* cmdSearch = nullptr; // the confirm button "cmd검색"

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
