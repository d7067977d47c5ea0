#pragma once
#include <QByteArray>
#include <QString>
#include <QVariant>

class QObject;

// Text, telephone-number and system helpers.
//
// Byte widths are those of the Korean ANSI code page 949: a Hangul syllable takes two bytes,
// an ASCII character one. A character that code page cannot hold counts as one byte (it
// would be written as "?").

// The text in code page 949; characters it cannot hold become "?".
QByteArray ToAnsi(const QString& text);
// Bytes of code page 949 back to text; a broken double-byte character becomes U+FFFD.
QString FromAnsi(const QByteArray& bytes);
// Byte width of one character (a Unicode code point).
int AnsiCharWidth(char32_t ch);

int AnsiByteLen(const QString& text);
int KorLen(const QString& text);
// The text cut to n bytes. When the cut falls inside a double-byte character that character
// is dropped and, unless bNoPad, one blank is appended so that the width is n again.
QString LeftByte(const QString& text, int n, bool bNoPad = false);
// True when part occurs in text (an empty part gives false).
bool StrContains(const QString& text, const QString& part);
// True when text is not empty and holds nothing but the digits 0 to 9.
bool IsAllDigits(const QString& text);

// Formats a telephone number with hyphens (area code, middle part, last four digits).
// A number is digits (full-width ones too) and the separators blank, hyphen, brackets and
// dot, optionally after "+82" or "0082" (the country code, read as the leading 0); a text
// holding anything else is returned as it is. local receives the number without its area
// code; it is left alone when the number is returned unformatted. Never fails.
QString FormatTelNo(const QString& telephone, QString& local);
QString FormatTelNo(const QString& telephone);
// The same for a number as the caller-ID server sends it: its digits are the number, read in
// order whatever else the text holds ("+1-212...", "0212345678#", "tel:..."); "+82" or "0082"
// at its start, after an optional "tel:", is the leading 0. A text of fewer than 6
// characters, or with at most 4 digits, is returned unformatted and local is left alone.
QString FormatCallerTelNo(const QString& telephone, QString& local);
// A character of a typed telephone number: the full-width forms of ASCII characters and the
// ideographic blank stand for their ASCII forms.
QChar NarrowTelChar(QChar c);
// True when the number begins with "01" and has 10 or more characters.
bool IsMobileNumber(const QString& number);

// Appends one line (followed by CRLF) to the call log RCidLog in the program folder.
void WriteLog(const QString& line);

// Empty text for Null, else the value as text.
QString NullToStr(const QVariant& value);

// Moves the focus to the next (0) or previous (1) control in tab order.
void SendTabKey(int direction);

// Would switch the keyboard to Hangul (true) or alphanumeric (false) input. The input
// methods of this platform keep their mode themselves and take no such request from a
// program, so this does nothing; the user switches with the input method's own key.
void SetHangulMode(bool bHangul);

// The day before a "YYYY-MM-DD" date. On the first of a month bKeepFirst keeps the date.
// Malformed input is returned unchanged.
QString GetPrevDay(const QString& sDate, bool bKeepFirst);

// The colour dialog: starts from colour (24-bit, red in the low byte); returns the chosen
// colour, or -1 when the user cancelled.
long ShowColorDlg(const QString& title, long colour);

// True when the control is an element of a control array: a grid with an Index of 0 or
// more, or another control carrying an "Index" property of 0 or more.
bool IsControlArray(const QObject* control);
// The control's index within its array, -1 when it is none.
int ControlIndex(const QObject* control);

// The name of the default printer, or "기본프린터가 없음" when there is none.
QString GetDefaultPrinterName();

// A plain message box (style as the platform's flags: 0 OK only without icon, 4 Yes/No
// without icon, ...); an empty title means the program title. Returns the button pressed.
int MsgBoxPlain(const QString& text, int style = 0, const QString& title = QString());
