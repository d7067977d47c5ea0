#pragma once
#include <QDialog>
#include <QString>

class QCalendarWidget;

// The date picker ("날짜 선택"): a month calendar in a small top-most window. A click on a
// date or Enter picks it and closes the window; Escape closes it with the text unchanged.
class FrmCalendar : public QDialog {
    Q_OBJECT
public:
    explicit FrmCalendar(QWidget* parent = nullptr);
    ~FrmCalendar() override;

    // The picked date. Setting a valid date shows it in the calendar; any other value is
    // not kept.
    QString text() const { return m_text; }
    void setText(const QString& value);

    QCalendarWidget* MonthView1 = nullptr;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void pick(const QDate& date);
    QString m_text;
};
