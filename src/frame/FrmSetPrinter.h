#pragma once
#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;

// "프린트 드라이버 설정": lists the installed printers and stores the one picked under the
// program title, section "Drive", key = the program title.
class FrmSetPrinter : public QDialog {
    Q_OBJECT
public:
    explicit FrmSetPrinter(QWidget* parent = nullptr);
    ~FrmSetPrinter() override;

    QLabel* Spn기본프린터 = nullptr; // " " and the default printer's name
    QListWidget* List1 = nullptr;    // the device name of every installed printer
    QPushButton* Command1 = nullptr; // "프린터선택(&S)"

    // Fills the caption box and the list (the window's load).
    void Form_Load();
    // Stores the selected printer and closes the window. With nothing selected, the stored
    // choice stays as it was.
    void Command1_Click();

protected:
    void keyPressEvent(QKeyEvent* e) override;
};
