#pragma once
#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

// The notice shown at start ("안내 메세지") until the user ticks "다음부터 이 화면을 띄우지 않음.".
class FrmInitMsg : public QDialog {
    Q_OBJECT
public:
    explicit FrmInitMsg(QWidget* parent = nullptr);
    ~FrmInitMsg() override;

    QLabel* Picture1 = nullptr;
    QCheckBox* ChkCheck = nullptr;
    QPushButton* Command1 = nullptr;

    // Stores "NoMsg" ("1" ticked, "0" not) at every click.
    void ChkCheck_Click();
};
