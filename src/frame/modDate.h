#pragma once
#include <QDate>
#include <QString>

class QWidget;

// Dates travel as text "YYYY-MM-DD".

// Completes a typed date by its length (1-2 day of this month, 3-4 month and day of this
// year, 6 YYMMDD in the 2000s, 8 YYYYMMDD) against today's date (platform::today()) and
// checks it. On success sDate receives "YYYY-MM-DD" and the result is true; otherwise the
// accepted forms are shown and sDate keeps what was typed.
bool CheckDateText(QString& sDate);
// The completion alone (no check, no message): the text as CheckDateText would test it.
QString CompleteDateText(const QString& sDate, const QDate& today);
// The date a text names: "YYYY-MM-DD" (also with "/" or "." and one-digit month or day).
// An invalid QDate when the text is no real date.
QDate ParseDateText(const QString& text);
bool IsDateText(const QString& text);

// The last day of a month as "YYYY-MM-DD" (the day 0 of the next month); empty when the
// year or month is no number.
QString GetLastDate(const QString& sYear, const QString& sMonth);

// Opens the calendar below ctlAnchor (left edges aligned), preset to sDate, and returns the
// picked date; when the user closes it with Escape, sDate when it is a valid date, else "".
QString ShowCalendar(const QString& sDate, QWidget* ctlAnchor);

namespace platform { class SpreadGrid; }
class QAbstractButton;

// Keeps the two period dates chained: when chkChain is ticked, iIndex 0 copies the text of
// spDate(0) into spDate(1), iIndex 1 the other way. Any other index shows "코딩누락".
void ChainDate(QAbstractButton* chkChain, platform::SpreadGrid* spDate0, platform::SpreadGrid* spDate1, int iIndex);
// The same, finding frm's check box "chkChain" and its grids "spDate" with Index 0 and 1.
void ChainDate(QWidget* frm, int iIndex);
