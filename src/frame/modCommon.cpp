#include "frame/modCommon.h"

#include "frame/modDate.h"
#include "frame/modFrmCtrl.h"
#include "frame/modMain.h"
#include "frame/modMsgBox.h"
#include "platform/Prompter.h"
#include "platform/ProgramFolder.h"
#include "platform/SpreadGrid.h"
#include "platform/WholeFile.h"

#include <QFile>
#include <QGuiApplication>
#include <QPrinterInfo>
#include <QtEndian>
#include <cerrno>
#include <iconv.h>

namespace {

// One converter per direction, reset before each use (code page 949 is stateless).
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter()
    {
        if (m_cd != reinterpret_cast<iconv_t>(-1))
            iconv_close(m_cd);
    }
    bool ok() const { return m_cd != reinterpret_cast<iconv_t>(-1); }
    // Converts all of in; returns false when some input could not be converted (out then
    // holds what was converted before it, and consumed says how many bytes were used).
    bool convert(const char* in, size_t inLen, QByteArray& out, size_t& consumed)
    {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        char buffer[64];
        char* src = const_cast<char*>(in);
        size_t left = inLen;
        while (left > 0) {
            char* dst = buffer;
            size_t room = sizeof buffer;
            const size_t rc = iconv(m_cd, &src, &left, &dst, &room);
            out.append(buffer, int(dst - buffer));
            if (rc == size_t(-1) && errno != E2BIG) {
                consumed = inLen - left;
                return false;
            }
        }
        consumed = inLen;
        return true;
    }

private:
    iconv_t m_cd;
};

Converter& toCp949()
{
    static thread_local Converter c("CP949", "UTF-32LE");
    return c;
}

Converter& fromCp949()
{
    static thread_local Converter c("UTF-8", "CP949");
    return c;
}

QByteArray encodeChar(char32_t ch)
{
    if (ch < 0x80)
        return QByteArray(1, char(ch));
    QByteArray out;
    size_t used = 0;
    const quint32 le = qToLittleEndian(quint32(ch));
    if (!toCp949().ok() || !toCp949().convert(reinterpret_cast<const char*>(&le), 4, out, used) || out.isEmpty())
        return QByteArray(1, '?');
    return out;
}

} // namespace

int AnsiCharWidth(char32_t ch)
{
    if (ch < 0x80)
        return 1;
    return int(encodeChar(ch).size());
}

QByteArray ToAnsi(const QString& text)
{
    QByteArray out;
    const QList<uint> ucs = text.toUcs4();
    for (uint ch : ucs)
        out += encodeChar(char32_t(ch));
    return out;
}

QString FromAnsi(const QByteArray& bytes)
{
    QString out;
    int i = 0;
    while (i < bytes.size()) {
        const uchar b = uchar(bytes[i]);
        if (b < 0x80) {
            out += QChar(b);
            ++i;
            continue;
        }
        // A double-byte character: lead byte and trail byte.
        if (i + 1 >= bytes.size()) {
            out += QChar(0xFFFD);
            break;
        }
        QByteArray utf8;
        size_t used = 0;
        if (fromCp949().ok() && fromCp949().convert(bytes.constData() + i, 2, utf8, used) && !utf8.isEmpty()) {
            out += QString::fromUtf8(utf8);
            i += 2;
        } else {
            out += QChar(0xFFFD);
            ++i;
        }
    }
    return out;
}

int AnsiByteLen(const QString& text)
{
    int n = 0;
    for (uint ch : text.toUcs4())
        n += AnsiCharWidth(char32_t(ch));
    return n;
}

int KorLen(const QString& text)
{
    return AnsiByteLen(text);
}

bool StrContains(const QString& text, const QString& part)
{
    if (part.isEmpty())
        return false;
    return text.contains(part);
}

bool IsAllDigits(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

QString LeftByte(const QString& text, int n, bool bNoPad)
{
    // Walk the characters, so that a cut inside a double-byte character drops it whole.
    QString out;
    int width = 0;
    const QList<uint> ucs = text.toUcs4();
    for (uint ch : ucs) {
        const int w = AnsiCharWidth(char32_t(ch));
        if (width + w > n) {
            if (width < n && !bNoPad)
                out += QLatin1Char(' ');
            break;
        }
        width += w;
        const char32_t c = char32_t(ch);
        out += QString::fromUcs4(&c, 1);
    }
    return out;
}

// A character of a typed telephone number: the full-width forms of ASCII characters (an
// input method's digits, hyphens and brackets) and the ideographic blank stand for their
// ASCII forms.
QChar NarrowTelChar(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= 0xFF01 && u <= 0xFF5E)
        return QChar(char16_t(u - 0xFF01 + 0x21));
    if (u == 0x3000)
        return QLatin1Char(' ');
    return c;
}

namespace {

// The characters that only separate the parts of a number.
bool isTelSeparator(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('-') || c == QLatin1Char('(') || c == QLatin1Char(')')
        || c == QLatin1Char('.');
}

// The digits of a telephone text, in order, with "+82" or "0082" at its start (the country
// code of Korea, dialled from abroad or through the international prefix 00) read as the
// leading 0 of the national number.
// onlyNumber: a character that is neither a digit nor a separator makes the text more than a
// number; the result is then false (digits incomplete). Otherwise such characters are dropped,
// and a "tel:" before the number is passed over as well.
bool telDigits(const QString& telephone, bool onlyNumber, QString& digits)
{
    QString text;
    text.reserve(telephone.size());
    for (QChar c : telephone)
        text += NarrowTelChar(c);
    qsizetype from = 0;
    const auto skipBlanks = [&text, &from] {
        while (from < text.size() && text.at(from) == QLatin1Char(' '))
            ++from;
    };
    skipBlanks();
    if (!onlyNumber && text.mid(from, 4).compare(QLatin1String("tel:"), Qt::CaseInsensitive) == 0) {
        from += 4;
        skipBlanks();
    }
    // The country code counts only with a number after it.
    qsizetype prefix = 0;
    if (text.mid(from, 3) == QLatin1String("+82"))
        prefix = 3;
    else if (text.mid(from, 4) == QLatin1String("0082"))
        prefix = 4;
    bool korea = false;
    if (prefix > 0) {
        for (qsizetype i = from + prefix; i < text.size() && !korea; ++i)
            korea = text.at(i) >= QLatin1Char('0') && text.at(i) <= QLatin1Char('9');
        if (korea)
            from += prefix;
    }
    digits.clear();
    for (qsizetype i = from; i < text.size(); ++i) {
        const QChar c = text.at(i);
        if (c >= QLatin1Char('0') && c <= QLatin1Char('9'))
            digits += c;
        else if (onlyNumber && !isTelSeparator(c))
            return false;
    }
    if (korea && !digits.startsWith(QLatin1Char('0')))
        digits.prepend(QLatin1Char('0'));
    return true;
}

// Area code, middle part and last four digits of a number given as its digits.
QString formatTelDigits(const QString& digits, QString& local)
{
    const int total = int(digits.size());
    if (total <= 4)
        return digits;
    int k = 0;
    if (digits.startsWith(QLatin1String("02")))
        k = 2;
    else if (digits.startsWith(QLatin1Char('0')) && total >= 9)
        k = 3;
    if (k > 0) {
        const int middle = total - k - 4;
        if (middle < 1) // "02" with too few digits for a middle part: leave it as digits
            return digits;
        const QString result = digits.left(k) + QLatin1Char('-') + digits.mid(k, middle) + QLatin1Char('-')
            + digits.right(4);
        local = result.mid(k + 1);
        return result;
    }
    const QString result = digits.left(total - 4) + QLatin1Char('-') + digits.right(4);
    local = result;
    return result;
}

} // namespace

QString FormatTelNo(const QString& telephone, QString& local)
{
    if (telephone.size() < 6)
        return telephone;
    // Only digits and separators make a number; any other character (an extension in
    // words, "#", "~", letters) means the text is more than a number and stays as typed.
    QString digits;
    if (!telDigits(telephone, true, digits))
        return telephone;
    return formatTelDigits(digits, local);
}

QString FormatCallerTelNo(const QString& telephone, QString& local)
{
    if (telephone.size() < 6)
        return telephone;
    QString digits;
    telDigits(telephone, false, digits);
    return formatTelDigits(digits, local);
}

QString FormatTelNo(const QString& telephone)
{
    QString local;
    return FormatTelNo(telephone, local);
}

bool IsMobileNumber(const QString& number)
{
    return number.left(2) == QLatin1String("01") && number.size() >= 10;
}

void WriteLog(const QString& line)
{
    QString error;
    if (!platform::AppendWhole(platform::programPath(QStringLiteral("RCidLog")), line.toUtf8() + "\r\n", error))
        ShowProcError(75, error, QStringLiteral("WriteLog"), QStringLiteral("Module"), QStringLiteral("modMain"));
}

QString NullToStr(const QVariant& value)
{
    if (value.isNull() || !value.isValid())
        return QString();
    return value.toString();
}

void SendTabKey(int direction)
{
    PostTabKey(direction == 1 ? 1 : 0);
}

void SetHangulMode(bool bHangul)
{
    // Nothing to do: the input method decides the mode itself on this platform.
    Q_UNUSED(bHangul);
}

QString GetPrevDay(const QString& sDate, bool bKeepFirst)
{
    const int dash = int(sDate.indexOf(QLatin1Char('-')));
    if (sDate.size() < 10 || dash < 0)
        return sDate;
    bool okY = false, okM = false, okD = false;
    const int year = sDate.left(4).toInt(&okY);
    const int month = sDate.mid(dash + 1, 2).toInt(&okM);
    const int day = sDate.right(2).toInt(&okD);
    if (!okY || !okM || !okD || month < 1 || month > 12 || day < 1 || day > 31)
        return sDate;
    if (day - 1 != 0)
        return sDate.left(4) + QLatin1Char('-') + sDate.mid(dash + 1, 2) + QLatin1Char('-')
            + QStringLiteral("%1").arg(day - 1, 2, 10, QLatin1Char('0'));
    if (bKeepFirst)
        return sDate;
    int y = year;
    int m = month - 1;
    if (m == 0) {
        m = 12;
        --y;
    }
    const QString sy = QStringLiteral("%1").arg(y, 4, 10, QLatin1Char('0'));
    const QString sm = QStringLiteral("%1").arg(m, 2, 10, QLatin1Char('0'));
    return sy + QLatin1Char('-') + sm + QLatin1Char('-') + GetLastDate(sy, sm).right(2);
}

long ShowColorDlg(const QString& title, long colour)
{
    quint32 c = quint32(colour) & 0xFFFFFF;
    if (!platform::prompter().chooseColor(c, title))
        return -1;
    return long(c);
}

bool IsControlArray(const QObject* control)
{
    return ControlIndex(control) >= 0;
}

int ControlIndex(const QObject* control)
{
    if (!control)
        return -1;
    if (auto* grid = qobject_cast<const platform::SpreadGrid*>(control))
        return grid->Index() >= 0 ? grid->Index() : -1;
    const QVariant v = control->property("Index");
    if (!v.isValid())
        return -1;
    bool ok = false;
    const int i = v.toInt(&ok);
    return ok && i >= 0 ? i : -1;
}

QString GetDefaultPrinterName()
{
    const QString name = QPrinterInfo::defaultPrinterName();
    if (name.isEmpty())
        return QStringLiteral("기본프린터가 없음");
    return name.trimmed();
}

int MsgBoxPlain(const QString& text, int style, const QString& title)
{
    if (style == platform::MsgOkOnly) {
        MsgPlain(text, title);
        return platform::AnswerOk;
    }
    // A box style the message helpers do not offer (Yes/No without an icon).
    return platform::prompter().messageBox(text, title.isEmpty() ? gsTitle : title, style);
}
