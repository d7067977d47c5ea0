#pragma once
#include <QDialog>

class QLabel;
class QTimer;

// The floating confirmation: one label over a small picture, closed by its timer, or by a
// click or Enter while the timer runs.
class FrmFloatMsg : public QDialog {
    Q_OBJECT
public:
    explicit FrmFloatMsg(QWidget* parent = nullptr);
    ~FrmFloatMsg() override;
    void InitForm(const QString& text, int delay, long colour);
    QString text() const;
    bool timerRunning() const;

protected:
    void mousePressEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    void closeIfTimed();
    QLabel* lblMsg;
    QTimer* Timer1;
};
