#include "frame/FrmCalendar.h"

#include "frame/modDate.h"
#include "frame/modFrmCtrl.h"
#include "platform/FormRegistry.h"
#include "platform/Prompter.h"

#include <QCalendarWidget>
#include <QKeyEvent>
#include <QLocale>
#include <QVBoxLayout>

FrmCalendar::FrmCalendar(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("FrmCalendar"));
    setWindowTitle(QStringLiteral("날짜 선택"));
    MonthView1 = new QCalendarWidget(this);
    MonthView1->setObjectName(QStringLiteral("MonthView1"));
    MonthView1->setLocale(QLocale(QLocale::Korean, QLocale::SouthKorea));
    MonthView1->setGridVisible(true);
    MonthView1->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);
    MonthView1->setSelectedDate(platform::today());
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0); // the calendar fills the window
    layout->addWidget(MonthView1);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    connect(MonthView1, &QCalendarWidget::clicked, this, &FrmCalendar::pick);
    // Enter in the calendar picks the shown date; the calendar reports it as activated.
    connect(MonthView1, &QCalendarWidget::activated, this, &FrmCalendar::pick);
    MonthView1->installEventFilter(this);
    platform::FormRegistry::instance().registerForm(this, QStringLiteral("FrmCalendar"));
}

FrmCalendar::~FrmCalendar() { platform::FormRegistry::instance().unregisterForm(this); }

void FrmCalendar::setText(const QString& value)
{
    const QDate d = ParseDateText(value);
    if (!d.isValid())
        return;
    m_text = value;
    MonthView1->setSelectedDate(d);
}

void FrmCalendar::pick(const QDate& date)
{
    if (!date.isValid())
        return;
    m_text = date.toString(QStringLiteral("yyyy-MM-dd"));
    accept();
}

bool FrmCalendar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == MonthView1 && event->type() == QEvent::KeyPress) {
        auto* ke = static_cast<QKeyEvent*>(event);
        if (ke->key() == Qt::Key_Return || ke->key() == Qt::Key_Enter) {
            pick(MonthView1->selectedDate());
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
