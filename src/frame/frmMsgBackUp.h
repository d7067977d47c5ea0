#pragma once
#include <QDialog>

class QPushButton;

// The backup choice asked when the program closes (caption "데이터 백업").
// Result: 0 back up to the server, 1 to the hard disk, 2 close without backup,
// 3 cancel (also when the window is closed without a button).
class frmMsgBackUp : public QDialog {
    Q_OBJECT
public:
    explicit frmMsgBackUp(QWidget* parent = nullptr);
    ~frmMsgBackUp() override;

    int Result() const { return m_result; }
    QPushButton* cmdResult(int index) const { return m_buttons[index]; }

private:
    void cmdResult_Click(int index);

    int m_result = 3;
    QPushButton* m_buttons[4] = {};
};
