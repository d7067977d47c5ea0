#include "platform/Database.h"
#include "platform/Recordset.h"
#include "platform/SqlText.h"

#include <QFileInfo>
#include <QHash>
#include <QRegularExpression>
#include <atomic>
#include <mutex>
#include <random>
#include <sqlite3.h>
#include <thread>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

namespace dao {

namespace {

// ---- extra SQL functions -------------------------------------------------------------

struct FirstLastState { sqlite3_value* value; bool seen; };

void firstStep(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    auto* st = static_cast<FirstLastState*>(sqlite3_aggregate_context(ctx, sizeof(FirstLastState)));
    if (st && !st->seen) {
        st->value = sqlite3_value_dup(argv[0]);
        st->seen = true;
    }
}

void lastStep(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    auto* st = static_cast<FirstLastState*>(sqlite3_aggregate_context(ctx, sizeof(FirstLastState)));
    if (!st)
        return;
    sqlite3_value_free(st->value);
    st->value = sqlite3_value_dup(argv[0]);
    st->seen = true;
}

void firstLastFinal(sqlite3_context* ctx)
{
    auto* st = static_cast<FirstLastState*>(sqlite3_aggregate_context(ctx, 0));
    if (st && st->value) {
        sqlite3_result_value(ctx, st->value);
        sqlite3_value_free(st->value);
        st->value = nullptr;
    } else {
        sqlite3_result_null(ctx);
    }
}

// Characters, not bytes: the functions work on the UTF-8 text by code points.
QString argText(sqlite3_value* v)
{
    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return p ? QString::fromUtf8(p, sqlite3_value_bytes(v)) : QString();
}

void resultText(sqlite3_context* ctx, const QString& s)
{
    const QByteArray b = s.toUtf8();
    sqlite3_result_text(ctx, b.constData(), b.size(), SQLITE_TRANSIENT);
}

void midFunc(sqlite3_context* ctx, int argc, sqlite3_value** argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL) {
        sqlite3_result_null(ctx);
        return;
    }
    const QString s = argText(argv[0]);
    const qint64 start = sqlite3_value_int64(argv[1]);
    if (start < 1) {
        sqlite3_result_error(ctx, "Invalid procedure call or argument (Mid start < 1)", -1);
        return;
    }
    qint64 len = argc > 2 ? sqlite3_value_int64(argv[2]) : s.size();
    if (len < 0) {
        sqlite3_result_error(ctx, "Invalid procedure call or argument (Mid length < 0)", -1);
        return;
    }
    if (start > s.size()) {
        resultText(ctx, QString());
        return;
    }
    resultText(ctx, s.mid(qsizetype(start - 1), qsizetype(qMin<qint64>(len, s.size()))));
}

// CURSUM(x): the sum of amounts as the Currency type holds them, a 64-bit count of
// ten-thousandths, added up exactly (the engine's SUM adds fractions in binary floating
// point). Each value is taken to the nearest ten-thousandth: a whole number as it is, a
// plain decimal text digit by digit, anything else as the engine reads it as a number.

// A plain decimal text ("-1234.5678", blanks around allowed) as ten-thousandths; false when
// the text is not of that form. ok is false when it does not fit in 64 bits.
bool decimalTextUnits(const char* p, int n, qint64& units, bool& ok)
{
    int i = 0;
    while (i < n && p[i] == ' ')
        ++i;
    while (n > i && p[n - 1] == ' ')
        --n;
    bool negative = false;
    if (i < n && (p[i] == '-' || p[i] == '+'))
        negative = p[i++] == '-';
    quint64 whole = 0;
    int digits = 0;
    ok = true;
    for (; i < n && p[i] >= '0' && p[i] <= '9'; ++i, ++digits)
        if (__builtin_mul_overflow(whole, quint64(10), &whole) || __builtin_add_overflow(whole, quint64(p[i] - '0'), &whole))
            ok = false;
    quint64 fraction = 0;
    int places = 0;
    bool roundUp = false;
    if (i < n && p[i] == '.') {
        for (++i; i < n && p[i] >= '0' && p[i] <= '9'; ++i, ++digits) {
            if (places < 4) {
                fraction = fraction * 10 + quint64(p[i] - '0');
                ++places;
            } else if (places == 4) {
                roundUp = p[i] >= '5'; // half away from zero, as the other values
                ++places;
            }
        }
    }
    if (i != n || digits == 0)
        return false;
    for (; places < 4; ++places)
        fraction *= 10;
    quint64 magnitude = 0;
    // The range is one larger below zero: -922,337,203,685,477.5808 still fits.
    const quint64 limit = quint64(std::numeric_limits<qint64>::max()) + (negative ? 1 : 0);
    if (__builtin_mul_overflow(whole, quint64(10000), &magnitude) || __builtin_add_overflow(magnitude, fraction + (roundUp ? 1 : 0), &magnitude)
        || magnitude > limit)
        ok = false;
    if (ok)
        units = negative ? qint64(quint64(0) - magnitude) : qint64(magnitude);
    return true;
}

// One value as ten-thousandths; false when it does not fit in 64 bits.
bool currencyUnits(sqlite3_value* v, qint64& units)
{
    if (sqlite3_value_type(v) == SQLITE_INTEGER)
        return !__builtin_mul_overflow(sqlite3_value_int64(v), qint64(10000), &units);
    if (sqlite3_value_type(v) == SQLITE_TEXT) {
        bool ok = true;
        if (decimalTextUnits(reinterpret_cast<const char*>(sqlite3_value_text(v)), sqlite3_value_bytes(v), units, ok))
            return ok;
    }
    const double d = sqlite3_value_double(v);
    // Beyond 10^15 no amount fits; below it the whole part converts without loss.
    if (!std::isfinite(d) || std::fabs(d) >= 1e15)
        return false;
    // The whole part and the fraction apart: both are exact, and the fraction times 10000 is
    // then off by far less than half a ten-thousandth. The edge of the range is checked on
    // the sum of the two.
    const double whole = std::trunc(d);
    const qint64 fraction = qint64(std::llround((d - whole) * 10000.0));
    return !__builtin_mul_overflow(qint64(whole), qint64(10000), &units) && !__builtin_add_overflow(units, fraction, &units);
}

struct CurSumState { qint64 units; bool seen; bool overflow; };

void curSumStep(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    auto* st = static_cast<CurSumState*>(sqlite3_aggregate_context(ctx, sizeof(CurSumState)));
    if (!st || sqlite3_value_type(argv[0]) == SQLITE_NULL)
        return;
    st->seen = true;
    qint64 units = 0;
    if (!currencyUnits(argv[0], units) || __builtin_add_overflow(st->units, units, &st->units))
        st->overflow = true;
}

void curSumFinal(sqlite3_context* ctx)
{
    auto* st = static_cast<CurSumState*>(sqlite3_aggregate_context(ctx, 0));
    if (!st || !st->seen)
        sqlite3_result_null(ctx);
    else if (st->overflow)
        sqlite3_result_error(ctx, "Overflow", -1);
    else
        sqlite3_result_int64(ctx, st->units);
}

// ASNUMBER(x): x as a number where it is one: a number as it is, a text when it reads as a
// number as a whole (white space around allowed, as the engine reads a text into a number
// column: " 7" is 7, "7abc" and "" are no number); NULL for anything else.
void asNumberFunc(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    switch (sqlite3_value_numeric_type(argv[0])) {
    case SQLITE_INTEGER:
        sqlite3_result_int64(ctx, sqlite3_value_int64(argv[0]));
        break;
    case SQLITE_FLOAT:
        sqlite3_result_double(ctx, sqlite3_value_double(argv[0]));
        break;
    default:
        sqlite3_result_null(ctx);
        break;
    }
}

// DIGITSENDWITH(text, digits): 1 when the decimal digits of text, read in order with every
// other character left out, end with digits (ASCII digits, not empty); else 0. Full-width
// digits count as digits. The text is read from its end, so most texts are decided at once.
void digitsEndWithFunc(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    const auto* text = sqlite3_value_text(argv[0]);
    const auto* want = sqlite3_value_text(argv[1]);
    const int textLen = sqlite3_value_bytes(argv[0]);
    int wantLen = sqlite3_value_bytes(argv[1]);
    if (!text || !want || wantLen == 0) {
        sqlite3_result_int(ctx, 0);
        return;
    }
    int i = textLen - 1;
    while (wantLen > 0) {
        // the next digit of the text from its end
        int digit = -1;
        while (i >= 0 && digit < 0) {
            const unsigned char b = text[i];
            if (b >= '0' && b <= '9') {
                digit = b - '0';
                i -= 1;
            } else if (b >= 0x90 && b <= 0x99 && i >= 2 && text[i - 1] == 0xBC && text[i - 2] == 0xEF) {
                digit = b - 0x90; // U+FF10 to U+FF19
                i -= 3;
            } else {
                i -= 1;
            }
        }
        if (digit < 0 || digit != want[wantLen - 1] - '0') {
            sqlite3_result_int(ctx, 0);
            return;
        }
        --wantLen;
    }
    sqlite3_result_int(ctx, 1);
}

// ---- amounts ---------------------------------------------------------------------------
// The one rule by which a stored amount is read (readAmount below and the AMOUNTSUM
// aggregates): Null and a text of blanks only are no amount; a whole number is itself; a
// floating-point number, or a text that is a plain decimal number, is rounded to a whole
// number, a half away from zero; what lies past the 64-bit range is out of range; any other
// text, and a blob, is no number.

constexpr double kAmountLow = -9223372036854775808.0; // -2^63
constexpr double kAmountHigh = 9223372036854775808.0; // 2^63, the first number past the top

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

AmountKind amountFromDouble(double d, qint64& amount)
{
    if (!std::isfinite(d))
        return AmountKind::OutOfRange;
    const double r = std::round(d);
    if (r < kAmountLow || r >= kAmountHigh)
        return AmountKind::OutOfRange;
    amount = qint64(r);
    return AmountKind::Whole;
}

// A text digit by digit, never through a floating-point number: blanks around, an optional
// sign, digits with an optional point and fraction, an optional exponent ("1500", " -12.5 ",
// "1.5e3"). Thousands separators, currency signs and trailing words make no number.
AmountKind amountFromText(const char* p, qsizetype n, qint64& amount)
{
    qsizetype i = 0;
    while (i < n && isBlank(p[i]))
        ++i;
    while (n > i && isBlank(p[n - 1]))
        --n;
    if (i == n)
        return AmountKind::Empty;
    bool negative = false;
    if (p[i] == '+' || p[i] == '-')
        negative = p[i++] == '-';
    std::string digits; // the digits of the mantissa without leading zeros
    qsizetype seen = 0, fractionDigits = 0;
    bool point = false;
    for (; i < n; ++i) {
        if (p[i] >= '0' && p[i] <= '9') {
            ++seen;
            if (point)
                ++fractionDigits;
            if (!digits.empty() || p[i] != '0')
                digits += p[i];
        } else if (p[i] == '.' && !point) {
            point = true;
        } else {
            break;
        }
    }
    if (seen == 0)
        return AmountKind::NotANumber;
    qint64 exponent = 0;
    if (i < n && (p[i] == 'e' || p[i] == 'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < n && (p[i] == '+' || p[i] == '-'))
            negativeExponent = p[i++] == '-';
        qsizetype expDigits = 0;
        for (; i < n && p[i] >= '0' && p[i] <= '9'; ++i, ++expDigits)
            exponent = std::min<qint64>(exponent * 10 + (p[i] - '0'), 1000000);
        if (expDigits == 0)
            return AmountKind::NotANumber;
        if (negativeExponent)
            exponent = -exponent;
    }
    if (i != n)
        return AmountKind::NotANumber;
    // value = digits * 10^scale
    const qint64 scale = exponent - qint64(fractionDigits);
    const qint64 len = qint64(digits.size());
    unsigned __int128 magnitude = 0;
    if (len > 0) {
        if (len + scale > 19) // 10^19 or more: past the range
            return AmountKind::OutOfRange;
        const qint64 keep = len + std::min<qint64>(scale, 0); // digits before the point
        for (qint64 k = 0; k < keep; ++k)
            magnitude = magnitude * 10 + unsigned(digits[size_t(k)] - '0');
        for (qint64 k = 0; k < scale; ++k)
            magnitude *= 10;
        if (keep >= 0 && keep < len && digits[size_t(keep)] >= '5')
            magnitude += 1; // a half away from zero
    }
    const unsigned __int128 limit = (unsigned __int128)(std::numeric_limits<qint64>::max()) + (negative ? 1 : 0);
    if (magnitude > limit)
        return AmountKind::OutOfRange;
    amount = negative ? qint64(quint64(0) - quint64(magnitude)) : qint64(magnitude);
    return AmountKind::Whole;
}

AmountKind amountOfValue(sqlite3_value* v, qint64& amount)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_NULL:
        return AmountKind::Empty;
    case SQLITE_INTEGER:
        amount = sqlite3_value_int64(v);
        return AmountKind::Whole;
    case SQLITE_FLOAT:
        return amountFromDouble(sqlite3_value_double(v), amount);
    case SQLITE_TEXT:
        return amountFromText(reinterpret_cast<const char*>(sqlite3_value_text(v)), sqlite3_value_bytes(v), amount);
    default:
        return AmountKind::NotANumber;
    }
}

// AMOUNTSUM(x) and AMOUNTSUM128(x): the amounts of x added in 128 bits, so the order of the
// rows never matters; see Database.h.
struct AmountSumState {
    __int128 total;
    bool seen;
    bool notANumber;
    bool outOfRange;
};

void amountSumStep(sqlite3_context* ctx, int, sqlite3_value** argv)
{
    auto* st = static_cast<AmountSumState*>(sqlite3_aggregate_context(ctx, sizeof(AmountSumState)));
    if (!st)
        return;
    qint64 amount = 0;
    switch (amountOfValue(argv[0], amount)) {
    case AmountKind::Empty:
        return;
    case AmountKind::Whole:
        st->total += amount; // 2^64 rows would be needed to leave 128 bits
        break;
    case AmountKind::OutOfRange:
        st->outOfRange = true;
        break;
    case AmountKind::NotANumber:
        st->notANumber = true;
        break;
    }
    st->seen = true;
}

// The verdict of a finished sum: false (and the error set) when it is no figure.
bool amountSumFinal(sqlite3_context* ctx, AmountSumState*& st)
{
    st = static_cast<AmountSumState*>(sqlite3_aggregate_context(ctx, 0));
    if (!st || !st->seen) {
        sqlite3_result_null(ctx);
        return false;
    }
    if (st->notANumber) { // before the range: the same verdict whatever the order of the rows
        sqlite3_result_error(ctx, kAmountNotANumber, -1);
        return false;
    }
    if (st->outOfRange) {
        sqlite3_result_error(ctx, kAmountOverflow, -1);
        return false;
    }
    return true;
}

bool fitsAmount(__int128 v)
{
    return v >= std::numeric_limits<qint64>::min() && v <= std::numeric_limits<qint64>::max();
}

void amountSumFinal64(sqlite3_context* ctx)
{
    AmountSumState* st = nullptr;
    if (!amountSumFinal(ctx, st))
        return;
    if (!fitsAmount(st->total))
        sqlite3_result_error(ctx, kAmountOverflow, -1);
    else
        sqlite3_result_int64(ctx, sqlite3_int64(st->total));
}

void amountSumFinal128(sqlite3_context* ctx)
{
    AmountSumState* st = nullptr;
    if (!amountSumFinal(ctx, st))
        return;
    if (fitsAmount(st->total)) {
        sqlite3_result_int64(ctx, sqlite3_int64(st->total));
        return;
    }
    unsigned char bytes[16];
    std::memcpy(bytes, &st->total, sizeof bytes);
    sqlite3_result_blob(ctx, bytes, sizeof bytes, SQLITE_TRANSIENT);
}

void registerFunctions(sqlite3* db)
{
    const int flags = SQLITE_UTF8 | SQLITE_DETERMINISTIC;
    sqlite3_create_function_v2(db, "FIRST", 1, flags, nullptr, nullptr, firstStep, firstLastFinal, nullptr);
    sqlite3_create_function_v2(db, "LAST", 1, flags, nullptr, nullptr, lastStep, firstLastFinal, nullptr);
    sqlite3_create_function_v2(db, "MID", 2, flags, nullptr, midFunc, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "MID", 3, flags, nullptr, midFunc, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "CURSUM", 1, flags, nullptr, nullptr, curSumStep, curSumFinal, nullptr);
    sqlite3_create_function_v2(db, "AMOUNTSUM", 1, flags, nullptr, nullptr, amountSumStep, amountSumFinal64, nullptr);
    sqlite3_create_function_v2(db, "AMOUNTSUM128", 1, flags, nullptr, nullptr, amountSumStep, amountSumFinal128, nullptr);
    sqlite3_create_function_v2(db, "ASNUMBER", 1, flags, nullptr, asNumberFunc, nullptr, nullptr, nullptr);
    sqlite3_create_function_v2(db, "DIGITSENDWITH", 2, flags, nullptr, digitsEndWithFunc, nullptr, nullptr, nullptr);
}

// ---- statements --------------------------------------------------------------------

struct Stmt {
    sqlite3_stmt* s = nullptr;
    ~Stmt() { sqlite3_finalize(s); }
};

void bindValue(const Database& db, sqlite3_stmt* stmt, int i, const QVariant& v)
{
    int rc = SQLITE_OK;
    if (!v.isValid() || v.isNull()) {
        rc = sqlite3_bind_null(stmt, i);
    } else {
        switch (v.typeId()) {
        case QMetaType::Bool:
            rc = sqlite3_bind_int(stmt, i, v.toBool() ? 1 : 0);
            break;
        case QMetaType::Int: case QMetaType::UInt: case QMetaType::LongLong: case QMetaType::ULongLong:
        case QMetaType::Long: case QMetaType::ULong: case QMetaType::Short: case QMetaType::UShort:
        case QMetaType::Char: case QMetaType::UChar: case QMetaType::SChar:
            rc = sqlite3_bind_int64(stmt, i, v.toLongLong());
            break;
        case QMetaType::Double: case QMetaType::Float:
            rc = sqlite3_bind_double(stmt, i, v.toDouble());
            break;
        case QMetaType::QByteArray: {
            const QByteArray b = v.toByteArray();
            rc = sqlite3_bind_blob64(stmt, i, b.constData(), sqlite3_uint64(b.size()), SQLITE_TRANSIENT);
            break;
        }
        case QMetaType::QDate:
            rc = sqlite3_bind_text(stmt, i, v.toDate().toString(QStringLiteral("yyyy-MM-dd")).toUtf8().constData(), -1, SQLITE_TRANSIENT);
            break;
        default: {
            const QByteArray b = v.toString().toUtf8();
            rc = sqlite3_bind_text64(stmt, i, b.constData(), sqlite3_uint64(b.size()), SQLITE_TRANSIENT, SQLITE_UTF8);
            break;
        }
        }
    }
    if (rc != SQLITE_OK)
        db.fail(rc);
}

// ---- declared types ----------------------------------------------------------------

struct TypeInfo { int type; int size; bool allowZero; };

TypeInfo parseDeclType(const QString& decl)
{
    static const QRegularExpression re(QStringLiteral("^\\s*([A-Za-z_ ]*?)\\s*(?:\\(\\s*(\\d+)\\s*(?:,\\s*\\d+\\s*)?\\))?\\s*$"));
    const auto m = re.match(decl);
    const QString name = (m.hasMatch() ? m.captured(1) : decl).trimmed().toUpper();
    const int size = m.hasMatch() && !m.captured(2).isEmpty() ? m.captured(2).toInt() : 0;
    if (name == QLatin1String("TEXT"))
        return {dbText, size > 0 ? size : 255, true};
    if (name == QLatin1String("VARCHAR") || name == QLatin1String("CHAR"))
        return {dbText, size > 0 ? size : 255, false};
    if (name == QLatin1String("MEMO") || name == QLatin1String("LONGTEXT"))
        return {dbMemo, 0, true};
    if (name == QLatin1String("LONG") || name == QLatin1String("INTEGER") || name == QLatin1String("INT"))
        return {dbLong, 0, false};
    if (name == QLatin1String("SMALLINT") || name == QLatin1String("SHORT"))
        return {dbInteger, 0, false};
    if (name == QLatin1String("TINYINT") || name == QLatin1String("BYTE"))
        return {dbByte, 0, false};
    if (name == QLatin1String("BIT") || name == QLatin1String("BOOLEAN") || name == QLatin1String("YESNO"))
        return {dbBoolean, 0, false};
    if (name == QLatin1String("CURRENCY") || name == QLatin1String("BIGINT") || name == QLatin1String("MONEY"))
        return {dbCurrency, 0, false};
    if (name == QLatin1String("SINGLE") || name == QLatin1String("FLOAT"))
        return {dbSingle, 0, false};
    if (name == QLatin1String("DOUBLE") || name == QLatin1String("REAL"))
        return {dbDouble, 0, false};
    if (name == QLatin1String("DATETIME") || name == QLatin1String("DATE"))
        return {dbDate, 0, false};
    return {dbMemo, 0, true};
}

// The engine's rule for a declared type that keeps a text as it is written (text affinity).
bool declaresText(const QString& decl)
{
    const QString t = decl.toUpper();
    return !t.contains(QLatin1String("INT"))
        && (t.contains(QLatin1String("CHAR")) || t.contains(QLatin1String("CLOB")) || t.contains(QLatin1String("TEXT")));
}

QString declType(const FieldDef& f)
{
    switch (f.type) {
    case dbText:
        return QStringLiteral("%1(%2)").arg(f.allowZeroLength ? QStringLiteral("TEXT") : QStringLiteral("VARCHAR"))
            .arg(f.size > 0 ? f.size : 255);
    case dbMemo: return QStringLiteral("LONGTEXT"); // (MEMO would turn "007" into 7)
    case dbLong: return f.autoIncrement ? QStringLiteral("INTEGER") : QStringLiteral("LONG");
    case dbInteger: return QStringLiteral("SMALLINT");
    case dbByte: return QStringLiteral("TINYINT");
    case dbBoolean: return QStringLiteral("BIT");
    case dbCurrency: return QStringLiteral("CURRENCY");
    case dbSingle: return QStringLiteral("SINGLE");
    case dbDouble: return QStringLiteral("DOUBLE");
    case dbDate: return QStringLiteral("DATETIME");
    default: return QStringLiteral("NUMERIC");
    }
}

// Engine default text ("" for empty, "x" quoted, numbers bare) <-> SQL default expression.
QString defaultToSql(const QString& dflt)
{
    QString d = dflt.trimmed();
    if (d.size() >= 2 && d.startsWith(QLatin1Char('"')) && d.endsWith(QLatin1Char('"')))
        d = d.mid(1, d.size() - 2);
    else {
        bool num = false;
        d.toDouble(&num);
        if (num)
            return d;
    }
    d.replace(QLatin1Char('\''), QStringLiteral("''"));
    return QLatin1Char('\'') + d + QLatin1Char('\'');
}

QString defaultFromSql(const QString& sqlDefault)
{
    if (sqlDefault.isEmpty())
        return QString();
    QString d = sqlDefault;
    if (d.size() >= 2 && d.startsWith(QLatin1Char('\'')) && d.endsWith(QLatin1Char('\''))) {
        d = d.mid(1, d.size() - 2);
        d.replace(QStringLiteral("''"), QStringLiteral("'"));
        return QLatin1Char('"') + d + QLatin1Char('"');
    }
    return d;
}

QString columnSql(const FieldDef& f, bool inlinePrimary)
{
    QString s = quoteIdent(f.name) + QLatin1Char(' ') + declType(f);
    if (inlinePrimary)
        s += f.autoIncrement ? QStringLiteral(" PRIMARY KEY AUTOINCREMENT") : QStringLiteral(" PRIMARY KEY");
    if (f.required && !f.autoIncrement)
        s += QStringLiteral(" NOT NULL");
    if (!f.defaultValue.isEmpty())
        s += QStringLiteral(" DEFAULT ") + defaultToSql(f.defaultValue);
    if (!f.collation.isEmpty())
        s += QStringLiteral(" COLLATE ") + f.collation;
    return s;
}

QString joinIdents(const QStringList& names)
{
    QStringList q;
    for (const QString& n : names)
        q << quoteIdent(n);
    return q.join(QStringLiteral(", "));
}

// ---- a table's statement as written ---------------------------------------------------

// The text with every string, quoted name and comment blanked out (quote characters kept),
// ASCII letters upper-cased: parentheses, commas and key words are found in it at the places
// they have in the text itself.
QString blankOut(const QString& sql)
{
    QString out = sql;
    for (QChar& c : out)
        if (c.unicode() < 128)
            c = c.toUpper();
    const int n = int(sql.size());
    int i = 0;
    while (i < n) {
        const QChar c = sql[i];
        if (c == QLatin1Char('\'') || c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('[')) {
            const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
            int j = i + 1;
            while (j < n) {
                if (sql[j] == close) {
                    if (close != QLatin1Char(']') && j + 1 < n && sql[j + 1] == close) { // doubled: the character itself
                        out[j] = out[j + 1] = QLatin1Char(' ');
                        j += 2;
                        continue;
                    }
                    break;
                }
                out[j++] = QLatin1Char(' ');
            }
            i = j + 1;
        } else if (c == QLatin1Char('-') && i + 1 < n && sql[i + 1] == QLatin1Char('-')) {
            while (i < n && sql[i] != QLatin1Char('\n'))
                out[i++] = QLatin1Char(' ');
        } else if (c == QLatin1Char('/') && i + 1 < n && sql[i + 1] == QLatin1Char('*')) {
            const int end = sql.indexOf(QStringLiteral("*/"), i + 2);
            const int stop = end < 0 ? n : end + 2;
            while (i < stop)
                out[i++] = QLatin1Char(' ');
        } else {
            ++i;
        }
    }
    return out;
}

// One entry of the list of a CREATE TABLE statement: a column with its declaration, or a table
// constraint (no column). text is as written (comments around it left out), bare as blankOut
// gives it.
struct TablePart {
    QString text;
    QString bare;
    QString column;
};

// The name a part begins with (a column's), unquoted.
QString leadingName(const QString& text)
{
    if (text.isEmpty())
        return QString();
    const QChar c = text[0];
    if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('\'') || c == QLatin1Char('[')) {
        const QChar close = c == QLatin1Char('[') ? QLatin1Char(']') : c;
        QString name;
        for (int i = 1; i < text.size(); ++i) {
            if (text[i] == close) {
                if (close != QLatin1Char(']') && i + 1 < text.size() && text[i + 1] == close) {
                    name += close;
                    ++i;
                    continue;
                }
                break;
            }
            name += text[i];
        }
        return name;
    }
    int i = 0;
    while (i < text.size() && !text[i].isSpace() && text[i] != QLatin1Char('('))
        ++i;
    return text.left(i);
}

bool hasWords(const TablePart& part, const char* pattern)
{
    // the column's own name is no key word, however it is spelt
    const int from = part.column.isEmpty() ? 0 : int(leadingName(part.text).size());
    return QRegularExpression(QString::fromLatin1(pattern)).match(part.bare, from).hasMatch();
}
bool declaresPrimaryKey(const TablePart& p) { return hasWords(p, "\\bPRIMARY\\s+KEY\\b"); }
bool declaresUnique(const TablePart& p) { return hasWords(p, "\\bUNIQUE\\b"); }

// The columns of a table constraint's list: "UNIQUE (a, b COLLATE NOCASE)" gives a and b.
QStringList constraintColumns(const TablePart& part)
{
    const int open = part.bare.indexOf(QLatin1Char('('));
    const int close = part.bare.lastIndexOf(QLatin1Char(')'));
    QStringList out;
    if (open < 0 || close < open)
        return out;
    int start = open + 1, depth = 0;
    for (int i = open + 1; i <= close; ++i) {
        const QChar c = part.bare[i];
        if (c == QLatin1Char('('))
            ++depth;
        else if ((c == QLatin1Char(')') && depth-- == 0) || (c == QLatin1Char(',') && depth == 0)) {
            out << leadingName(part.text.mid(start, i - start).trimmed()).toLower();
            start = i + 1;
        }
    }
    return out;
}

// The list of a CREATE TABLE statement and what follows it (WITHOUT ROWID, ...). False when
// the statement has no list (then nothing of it can be kept).
bool splitTableSql(const QString& sql, QList<TablePart>& parts, QString& tail)
{
    const QString bare = blankOut(sql);
    const int open = bare.indexOf(QLatin1Char('('));
    if (open < 0)
        return false;
    static const QRegularExpression constraint(QStringLiteral("^(CONSTRAINT|PRIMARY|UNIQUE|CHECK|FOREIGN)\\b"));
    int depth = 0, start = open + 1;
    for (int i = open; i < bare.size(); ++i) {
        const QChar c = bare[i];
        if (c == QLatin1Char('(')) {
            ++depth;
            continue;
        }
        const bool end = c == QLatin1Char(')') && --depth == 0;
        if (!end && !(c == QLatin1Char(',') && depth == 1))
            continue;
        int a = start, b = i;
        while (a < b && bare[a].isSpace())
            ++a;
        while (b > a && bare[b - 1].isSpace())
            --b;
        TablePart part{sql.mid(a, b - a), bare.mid(a, b - a), QString()};
        if (!constraint.match(part.bare).hasMatch())
            part.column = leadingName(part.text);
        parts << part;
        start = i + 1;
        if (end) {
            tail = sql.mid(i + 1).trimmed();
            return true;
        }
    }
    return false;
}

bool sameDeclaration(const FieldDef& a, const FieldDef& b)
{
    return a.name == b.name && a.type == b.type && a.size == b.size && a.allowZeroLength == b.allowZeroLength
        && a.required == b.required && a.autoIncrement == b.autoIncrement && a.defaultValue == b.defaultValue
        && a.collation.compare(b.collation, Qt::CaseInsensitive) == 0;
}

QStringList lowered(const QStringList& names)
{
    QStringList out;
    for (const QString& n : names)
        out << n.toLower();
    return out;
}

} // namespace

AmountKind readAmount(const QVariant& value, qint64& amount)
{
    if (!value.isValid() || value.isNull())
        return AmountKind::Empty;
    switch (value.typeId()) {
    case QMetaType::LongLong: case QMetaType::Int: case QMetaType::Long: case QMetaType::Short:
    case QMetaType::UInt: case QMetaType::UShort: case QMetaType::Char: case QMetaType::SChar: case QMetaType::UChar:
        amount = value.toLongLong();
        return AmountKind::Whole;
    case QMetaType::ULongLong: case QMetaType::ULong:
        if (value.toULongLong() > quint64(std::numeric_limits<qint64>::max()))
            return AmountKind::OutOfRange;
        amount = qint64(value.toULongLong());
        return AmountKind::Whole;
    case QMetaType::Double: case QMetaType::Float:
        return amountFromDouble(value.toDouble(), amount);
    case QMetaType::QString: {
        const QByteArray text = value.toString().toUtf8();
        return amountFromText(text.constData(), text.size(), amount);
    }
    default:
        return AmountKind::NotANumber;
    }
}

bool readAmountTotal(const QVariant& value, __int128& total)
{
    if (!value.isValid() || value.isNull()) {
        total = 0;
        return true;
    }
    if (value.typeId() == QMetaType::LongLong) {
        total = value.toLongLong();
        return true;
    }
    if (value.typeId() == QMetaType::QByteArray && value.toByteArray().size() == 16) {
        std::memcpy(&total, value.toByteArray().constData(), 16);
        return true;
    }
    return false;
}


// ---- waiting for locks -------------------------------------------------------------

namespace {

constexpr int kUsualBusyLimitMs = 30000;
constexpr int kLongWaitMs = 500;
// A connection that writes again within this time of its last write waits for the rest of
// it first. The waiting connections look for the lock more often than that (every kPollMinUs
// to kPollMaxUs, at random), so one of them takes it: turns pass round instead of staying
// with the connection that happens to be running, and a reader finds the file free.
constexpr auto kWriteGap = std::chrono::microseconds(500);
constexpr int kPollMinUs = 50;
constexpr int kPollMaxUs = 250;
// A connection in the middle of its own write that waits for the readers to leave (its
// commit) looks again sooner: readers leave quickly, and the commit frees everybody.
constexpr int kCommitPollUs = 20;
constexpr int kCommitFastMs = 100;

std::atomic<int> gDefaultBusyLimit{kUsualBusyLimitMs};

std::mutex& hookMutex()
{
    static std::mutex m;
    return m;
}
std::function<void()>& longWaitHook()
{
    static std::function<void()> hook;
    return hook;
}

int pollMicroseconds()
{
    thread_local std::minstd_rand rng(unsigned(::getpid()) * 2654435761u
                                      ^ unsigned(std::hash<std::thread::id>()(std::this_thread::get_id())));
    return kPollMinUs + int(rng() % unsigned(kPollMaxUs - kPollMinUs + 1));
}

} // namespace

void Database::setDefaultBusyLimit(int milliseconds)
{
    gDefaultBusyLimit = milliseconds < 0 ? kUsualBusyLimitMs : milliseconds;
}

int Database::defaultBusyLimit() { return gDefaultBusyLimit; }

void Database::setLongWaitHook(std::function<void()> hook)
{
    std::lock_guard<std::mutex> lock(hookMutex());
    longWaitHook() = std::move(hook);
}

LockWait::LockWait(sqlite3* db) { attach(db); }

void LockWait::attach(sqlite3* db)
{
    m_db = db;
    if (db)
        sqlite3_busy_handler(db, &LockWait::onBusy, this);
}

int LockWait::limit() const { return m_limit < 0 ? Database::defaultBusyLimit() : m_limit; }

int LockWait::onBusy(void* p, int count)
{
    auto* self = static_cast<LockWait*>(p);
    const auto now = std::chrono::steady_clock::now();
    if (count == 0) {
        self->m_start = now;
        self->m_told = false;
    }
    const auto waited = std::chrono::duration_cast<std::chrono::milliseconds>(now - self->m_start).count();
    if (waited >= self->limit())
        return 0; // the statement fails with SQLITE_BUSY (3261)
    if (!self->m_told && waited >= kLongWaitMs) {
        self->m_told = true;
        std::function<void()> hook;
        {
            std::lock_guard<std::mutex> lock(hookMutex());
            hook = longWaitHook();
        }
        if (hook)
            hook();
    }
    if (waited < kCommitFastMs && self->m_db && sqlite3_txn_state(self->m_db, nullptr) == SQLITE_TXN_WRITE)
        std::this_thread::sleep_for(std::chrono::microseconds(kCommitPollUs));
    else
        std::this_thread::sleep_for(std::chrono::microseconds(pollMicroseconds()));
    return 1;
}

void Database::yieldBeforeWrite()
{
    if (m_txDepth > 0)
        return;
    const auto since = std::chrono::steady_clock::now() - m_lastWrite;
    if (since < kWriteGap)
        std::this_thread::sleep_for(kWriteGap - since);
}

void Database::writeEnded()
{
    if (m_txDepth == 0)
        m_lastWrite = std::chrono::steady_clock::now();
}

// ---- Database ----------------------------------------------------------------------

std::shared_ptr<Database> Database::open(const QString& path, int, bool readOnly)
{
    const QFileInfo fi(path);
    if (path.isEmpty() || !fi.isFile())
        throw DaoError(3024, QStringLiteral("'%1' 파일을 찾을 수 없습니다.").arg(path));
    // An empty file would silently become a new, table-less database on the first write.
    if (fi.size() == 0)
        throw DaoError(3343, QStringLiteral("'%1' 파일은 데이터베이스 형식이 아닙니다.").arg(path));
    std::shared_ptr<Database> db(new Database());
    db->m_path = path;
    db->m_readOnly = readOnly;
    const int flags = (readOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE) | SQLITE_OPEN_NOMUTEX;
    // The engine's own words for a file it may not open are not the program's: say it as
    // every other reason is said.
    auto cannotOpen = [&path, &fi] {
        throw DaoError(errCannotOpen, fi.isReadable() ? QStringLiteral("'%1' 파일을 열 수 없습니다.").arg(path)
                                                      : QStringLiteral("'%1' 파일을 열 수 없습니다(읽을 권한이 없습니다).").arg(path));
    };
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db->m_db, flags, nullptr);
    if ((rc & 0xFF) == SQLITE_CANTOPEN)
        cannotOpen();
    if (rc != SQLITE_OK)
        db->fail(rc);
    // From the first statement on (the schema read below) a passing lock is waited for.
    db->m_wait.attach(db->m_db);
    // A file (or folder, which must take the journal) that may not be written would open
    // read-only without a word, and every later write would fail one by one: refuse it here.
    if (!readOnly && (sqlite3_db_readonly(db->m_db, "main") == 1 || !QFileInfo(fi.absolutePath()).isWritable()))
        throw DaoError(errReadOnly, QStringLiteral("'%1' 파일에 쓸 수 없습니다(읽기 전용).").arg(path));
    sqlite3_extended_result_codes(db->m_db, 1);
    // A double-quoted name is always a name: a misspelt column must fail (3011), not turn
    // silently into a text value.
    sqlite3_db_config(db->m_db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    registerFunctions(db->m_db);
    // Reading the schema tells a damaged or foreign file at once.
    char* err = nullptr;
    int prc = sqlite3_exec(db->m_db, "PRAGMA schema_version", nullptr, nullptr, &err);
    sqlite3_free(err);
    if ((prc & 0xFF) == SQLITE_NOTADB)
        throw DaoError(3343, QStringLiteral("'%1' 파일은 데이터베이스 형식이 아닙니다.").arg(path));
    if ((prc & 0xFF) == SQLITE_CANTOPEN)
        cannotOpen();
    if (prc != SQLITE_OK)
        db->fail(prc);
    if (!readOnly) {
        // A rollback journal: the file may live on a shared network folder.
        prc = sqlite3_exec(db->m_db, "PRAGMA journal_mode=DELETE", nullptr, nullptr, &err);
        sqlite3_free(err);
        if (prc != SQLITE_OK)
            db->fail(prc);
    }
    return db;
}

Database::~Database()
{
    if (m_db)
        sqlite3_close_v2(m_db);
}

void Database::setBusyTimeout(int milliseconds) { m_wait.setLimit(milliseconds); }

void Database::fail(int rc, const QString& context) const
{
    const int primary = rc & 0xFF;
    QString msg = (m_db && sqlite3_errcode(m_db) != SQLITE_OK) ? QString::fromUtf8(sqlite3_errmsg(m_db))
                                                               : QString::fromUtf8(sqlite3_errstr(rc));
    if (!context.isEmpty())
        msg += QStringLiteral(" (") + context + QLatin1Char(')');
    if (msg.startsWith(QLatin1String("no such table")) || msg.startsWith(QLatin1String("no such column")))
        throw DaoError(errObjectNotFound, msg);
    if (primary == SQLITE_BUSY || primary == SQLITE_LOCKED)
        throw DaoError(errLocked, QStringLiteral("다른 사용자가 사용 중이어서 잠겨 있습니다. (%1)").arg(msg));
    if (rc == SQLITE_CONSTRAINT_UNIQUE || rc == SQLITE_CONSTRAINT_PRIMARYKEY)
        throw DaoError(errDuplicateKey, msg);
    if (primary == SQLITE_READONLY)
        throw DaoError(errReadOnly, msg);
    throw DaoError(errGeneric, msg);
}

// Compiles one statement (a second statement in the text is refused).
static sqlite3_stmt* compileStmt(const Database& db, const QString& sql)
{
    const QByteArray text = sql.toUtf8();
    sqlite3_stmt* stmt = nullptr;
    const char* tail = nullptr;
    const int rc = sqlite3_prepare_v2(db.handle(), text.constData(), text.size(), &stmt, &tail);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(stmt);
        db.fail(rc);
    }
    if (!stmt)
        throw DaoError(errGeneric, QStringLiteral("빈 SQL 문입니다."));
    if (tail && QByteArray(tail).trimmed().size() > 0 && QByteArray(tail).trimmed() != ";") {
        sqlite3_finalize(stmt);
        throw DaoError(errGeneric, QStringLiteral("한 번에 한 SQL 문만 실행할 수 있습니다."));
    }
    return stmt;
}

static sqlite3_stmt* prepareStmt(const Database& db, const QString& sql, const QVariantList& params)
{
    sqlite3_stmt* stmt = compileStmt(db, sql);
    if (sqlite3_bind_parameter_count(stmt) != params.size()) {
        const int expected = sqlite3_bind_parameter_count(stmt);
        sqlite3_finalize(stmt);
        throw DaoError(errGeneric, QStringLiteral("SQL parameter count mismatch: %1 expected, %2 given")
                                       .arg(expected).arg(params.size()));
    }
    for (int i = 0; i < params.size(); ++i) {
        try {
            bindValue(db, stmt, i + 1, params[i]);
        } catch (...) {
            sqlite3_finalize(stmt);
            throw;
        }
    }
    return stmt;
}

qint64 Database::execute(const QString& sql, const QVariantList& params)
{
    Stmt st;
    st.s = prepareStmt(*this, sql, params);
    const bool writes = !sqlite3_stmt_readonly(st.s);
    if (writes)
        yieldBeforeWrite();
    const sqlite3_int64 before = sqlite3_total_changes64(m_db);
    int rc;
    while ((rc = sqlite3_step(st.s)) == SQLITE_ROW) {
    }
    if (writes)
        writeEnded();
    if (rc != SQLITE_DONE)
        fail(rc);
    // sqlite3_changes64 keeps the count of the last INSERT/UPDATE/DELETE, so a statement that
    // changed nothing itself (DDL, BEGIN, COMMIT, an UPDATE that matched no row) reports 0.
    m_recordsAffected = (sqlite3_stmt_readonly(st.s) || sqlite3_total_changes64(m_db) == before)
        ? 0 : sqlite3_changes64(m_db);
    return m_recordsAffected;
}

std::unique_ptr<PreparedStatement> Database::prepare(const QString& sql)
{
    return std::unique_ptr<PreparedStatement>(new PreparedStatement(*this, compileStmt(*this, sql)));
}

PreparedStatement::~PreparedStatement() { sqlite3_finalize(m_stmt); }

qint64 PreparedStatement::execute(const QVariantList& params)
{
    const int expected = sqlite3_bind_parameter_count(m_stmt);
    if (expected != params.size())
        throw DaoError(errGeneric, QStringLiteral("SQL parameter count mismatch: %1 expected, %2 given")
                                       .arg(expected).arg(params.size()));
    try {
        for (int i = 0; i < params.size(); ++i)
            bindValue(m_db, m_stmt, i + 1, params[i]);
    } catch (...) {
        sqlite3_clear_bindings(m_stmt);
        throw;
    }
    return run();
}

void PreparedStatement::bind(int index, const QString& text)
{
    const QByteArray b = text.toUtf8();
    const int rc = sqlite3_bind_text64(m_stmt, index, b.constData(), sqlite3_uint64(b.size()), SQLITE_TRANSIENT,
                                       SQLITE_UTF8);
    if (rc != SQLITE_OK)
        m_db.fail(rc);
}

void PreparedStatement::bind(int index, qint64 value)
{
    const int rc = sqlite3_bind_int64(m_stmt, index, value);
    if (rc != SQLITE_OK)
        m_db.fail(rc);
}

qint64 PreparedStatement::run()
{
    // whatever happens, the statement is ready for the next values afterwards
    struct Ready {
        sqlite3_stmt* s;
        ~Ready() { sqlite3_reset(s); sqlite3_clear_bindings(s); }
    } ready{m_stmt};
    sqlite3* db = m_db.handle();
    const bool writes = !sqlite3_stmt_readonly(m_stmt);
    if (writes)
        m_db.yieldBeforeWrite();
    const sqlite3_int64 before = sqlite3_total_changes64(db);
    int rc;
    while ((rc = sqlite3_step(m_stmt)) == SQLITE_ROW) {
    }
    if (writes)
        m_db.writeEnded();
    if (rc != SQLITE_DONE)
        m_db.fail(rc); // the message is read before the statement is reset
    m_db.m_recordsAffected = (sqlite3_stmt_readonly(m_stmt) || sqlite3_total_changes64(db) == before)
        ? 0 : sqlite3_changes64(db);
    return m_db.m_recordsAffected;
}

qint64 Database::lastInsertId() const { return sqlite3_last_insert_rowid(m_db); }

QVariant Database::scalar(const QString& sql, const QVariantList& params)
{
    auto rs = openRecordset(sql, dbOpenSnapshot, params);
    if (rs->eof() || rs->fieldCount() == 0)
        return QVariant();
    return rs->value(0);
}

std::unique_ptr<Recordset> Database::openRecordset(const QString& sql, int type, const QVariantList& params)
{
    const bool dynaset = type != dbOpenSnapshot;
    QString table;
    int hidden = 0;
    sqlite3_stmt* stmt = nullptr;
    if (dynaset) {
        // An updatable dynaset reads from one table; the row key rides along as a hidden column.
        static const QRegularExpression head(
            QStringLiteral("^\\s*SELECT\\s+(?!DISTINCT\\b)(?!TOP\\b)([\\s\\S]+?)\\s+FROM\\s+(\"[^\"]+\"|\\[[^\\]]+\\]|[A-Za-z_][A-Za-z0-9_]*)"
                           "(?:\\s+(?:AS\\s+)?([A-Za-z_][A-Za-z0-9_]*))?"),
            QRegularExpression::CaseInsensitiveOption);
        static const QRegularExpression multi(QStringLiteral("\\b(JOIN|GROUP\\s+BY|UNION|DISTINCT|HAVING)\\b"),
                                              QRegularExpression::CaseInsensitiveOption);
        static const QStringList keywords = {QStringLiteral("WHERE"), QStringLiteral("ORDER"), QStringLiteral("GROUP"),
                                             QStringLiteral("INNER"), QStringLiteral("LEFT"), QStringLiteral("RIGHT"),
                                             QStringLiteral("JOIN"), QStringLiteral("LIMIT"), QStringLiteral("UNION"),
                                             QStringLiteral("HAVING"), QStringLiteral("CROSS"), QStringLiteral("NATURAL")};
        const auto m = head.match(sql);
        if (m.hasMatch() && !multi.match(sql).hasMatch()) {
            QString tbl = m.captured(2);
            if (tbl.startsWith(QLatin1Char('"')) || tbl.startsWith(QLatin1Char('[')))
                tbl = tbl.mid(1, tbl.size() - 2);
            QString alias = m.captured(3);
            int end = m.capturedEnd(0);
            if (!alias.isEmpty() && keywords.contains(alias.toUpper(), Qt::CaseInsensitive)) {
                end = m.capturedStart(3);
                alias.clear();
            }
            const QString after = sql.mid(end).trimmed();
            if (!after.startsWith(QLatin1Char(','))) {
                const QString ref = alias.isEmpty() ? quoteIdent(tbl) : alias;
                const QString rewritten = QStringLiteral("SELECT ") + ref + QStringLiteral(".rowid AS \"__rowid__\", ")
                    + sql.mid(m.capturedStart(1));
                try {
                    stmt = prepareStmt(*this, rewritten, params);
                    table = tbl;
                    hidden = 1;
                } catch (const DaoError&) {
                    stmt = nullptr; // not a plain table: fall back to a read-only set
                }
            }
        }
    }
    if (!stmt)
        stmt = prepareStmt(*this, sql, params);
    std::unique_ptr<Recordset> rs(new Recordset(this, stmt, dynaset && hidden > 0, table, hidden));
    if (!dynaset)
        rs->fetchAll(); // a snapshot is read at once and holds no lock afterwards
    else
        rs->probe();    // a dynaset is read when first used; a locked file or a bad query fails here
    return rs;
}

// ---- transactions ------------------------------------------------------------------

void Database::beginImmediate()
{
    const QString sql = m_txDepth == 0 ? QStringLiteral("BEGIN IMMEDIATE")
                                       : QStringLiteral("SAVEPOINT sp%1").arg(m_txDepth);
    yieldBeforeWrite();
    char* err = nullptr;
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &err);
    sqlite3_free(err);
    if (rc != SQLITE_OK)
        fail(rc);
    ++m_txDepth;
}

void Database::commit()
{
    if (m_txDepth <= 0)
        return;
    const QString sql = m_txDepth == 1 ? QStringLiteral("COMMIT") : QStringLiteral("RELEASE sp%1").arg(m_txDepth - 1);
    char* err = nullptr;
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &err);
    sqlite3_free(err);
    if (rc != SQLITE_OK)
        fail(rc); // still open: the caller's rollback ends it, nothing is half-written
    --m_txDepth;
    writeEnded();
}

void Database::rollback()
{
    if (m_txDepth <= 0)
        return;
    const QString sql = m_txDepth == 1
        ? QStringLiteral("ROLLBACK")
        : QStringLiteral("ROLLBACK TO sp%1; RELEASE sp%1").arg(m_txDepth - 1);
    sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    --m_txDepth;
    writeEnded();
}

Transaction::Transaction(Database& db) : m_db(db) { m_db.beginImmediate(); }

Transaction::~Transaction()
{
    if (!m_done)
        m_db.rollback();
}

void Transaction::commit()
{
    if (m_done)
        return;
    m_db.commit();
    m_done = true;
}

// ---- table definitions -------------------------------------------------------------

QStringList Database::tableNames() const
{
    QStringList out;
    Stmt st;
    st.s = prepareStmt(*this, QStringLiteral("SELECT name FROM sqlite_master WHERE type='table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\' ORDER BY name"), {});
    while (sqlite3_step(st.s) == SQLITE_ROW)
        out << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.s, 0)));
    return out;
}

bool Database::hasTable(const QString& table) const
{
    for (const QString& t : tableNames())
        if (t.compare(table, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

TableDef Database::tableDef(const QString& table) const
{
    QString name;
    QString createSql;
    {
        Stmt st;
        st.s = prepareStmt(*this, QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type='table' AND name = ? COLLATE NOCASE"), {table});
        if (sqlite3_step(st.s) != SQLITE_ROW)
            throw DaoError(errObjectNotFound, QStringLiteral("no such table: %1").arg(table));
        name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.s, 0)));
        createSql = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.s, 1)));
    }
    TableDef def;
    def.name = name;
    QStringList pkColumns;
    {
        Stmt st;
        st.s = prepareStmt(*this, QStringLiteral("SELECT cid, name, type, \"notnull\", dflt_value, pk FROM pragma_table_info(?)"), {name});
        QList<QPair<int, QString>> pk;
        while (sqlite3_step(st.s) == SQLITE_ROW) {
            FieldDef f;
            f.ordinalPosition = sqlite3_column_int(st.s, 0);
            f.name = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.s, 1)));
            const QString decl = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.s, 2)));
            const TypeInfo ti = parseDeclType(decl);
            f.type = ti.type;
            f.size = ti.size;
            f.allowZeroLength = ti.allowZero;
            f.textAffinity = declaresText(decl);
            f.required = sqlite3_column_int(st.s, 3) != 0;
            if (sqlite3_column_type(st.s, 4) != SQLITE_NULL)
                f.defaultValue = defaultFromSql(QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.s, 4))));
            const int pkPos = sqlite3_column_int(st.s, 5);
            const char* coll = nullptr;
            int notNull = 0, primary = 0, autoinc = 0;
            if (sqlite3_table_column_metadata(m_db, "main", name.toUtf8().constData(), f.name.toUtf8().constData(),
                                              nullptr, &coll, &notNull, &primary, &autoinc) == SQLITE_OK) {
                if (coll && qstricmp(coll, "BINARY") != 0)
                    f.collation = QString::fromUtf8(coll);
            }
            if (pkPos > 0)
                pk << qMakePair(pkPos, f.name);
            const bool rowidAlias = pkPos > 0 && decl.trimmed().compare(QLatin1String("INTEGER"), Qt::CaseInsensitive) == 0;
            if (rowidAlias || autoinc) {
                f.autoIncrement = true;
                f.type = dbLong;
                f.required = true;
            }
            def.fields << f;
        }
        std::sort(pk.begin(), pk.end());
        for (const auto& p : pk)
            pkColumns << p.second;
    }
    static const QRegularExpression pkName(QStringLiteral("CONSTRAINT\\s+\"?([A-Za-z0-9_]+)\"?\\s+PRIMARY\\s+KEY"),
                                           QRegularExpression::CaseInsensitiveOption);
    const auto pkm = pkName.match(createSql);
    const QString primaryName = pkm.hasMatch() ? pkm.captured(1) : QStringLiteral("PrimaryKey");
    bool primarySeen = false;
    {
        Stmt st;
        st.s = prepareStmt(*this, QStringLiteral("SELECT name, \"unique\", origin FROM pragma_index_list(?) ORDER BY seq DESC"), {name});
        while (sqlite3_step(st.s) == SQLITE_ROW) {
            IndexDef idx;
            const QString iname = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.s, 0)));
            idx.unique = sqlite3_column_int(st.s, 1) != 0;
            const QString origin = QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(st.s, 2)));
            idx.primary = origin == QLatin1String("pk");
            idx.name = idx.primary ? primaryName : iname;
            Stmt cols;
            cols.s = prepareStmt(*this, QStringLiteral("SELECT name FROM pragma_index_info(?) ORDER BY seqno"), {iname});
            while (sqlite3_step(cols.s) == SQLITE_ROW)
                idx.fields << QString::fromUtf8(reinterpret_cast<const char*>(sqlite3_column_text(cols.s, 0)));
            idx.required = idx.primary;
            if (!idx.primary) {
                bool allRequired = !idx.fields.isEmpty();
                for (const QString& c : idx.fields) {
                    const int fi = def.fieldIndex(c);
                    allRequired = allRequired && fi >= 0 && def.fields[fi].required;
                }
                idx.required = allRequired;
            }
            primarySeen = primarySeen || idx.primary;
            def.indexes << idx;
        }
    }
    if (!primarySeen && !pkColumns.isEmpty()) { // an INTEGER PRIMARY KEY has no separate index
        IndexDef idx;
        idx.name = primaryName;
        idx.primary = idx.unique = idx.required = true;
        idx.fields = pkColumns;
        def.indexes.prepend(idx);
    }
    return def;
}

void Database::rebuild(const QString& table, const QList<FieldDef>& fields, const QList<IndexDef>& indexes,
                       const QStringList& copyFrom, const QString& redeclare)
{
    // The engine's own way of changing a table: foreign keys off (they can be switched only
    // outside a transaction), everything in one transaction, the keys checked before it ends.
    bool keysOff = false;
    if (m_txDepth == 0 && scalar(QStringLiteral("PRAGMA foreign_keys")).toInt() == 1) {
        execute(QStringLiteral("PRAGMA foreign_keys = OFF"));
        keysOff = true;
    }
    struct KeysBack {
        Database& db;
        bool on;
        ~KeysBack()
        {
            if (on)
                sqlite3_exec(db.handle(), "PRAGMA foreign_keys = ON", nullptr, nullptr, nullptr);
        }
    } keysBack{*this, keysOff};
    Transaction tx(*this);
    rebuildTable(table, fields, indexes, copyFrom, redeclare);
    if (keysOff && scalar(QStringLiteral("PRAGMA foreign_key_check")).isValid())
        throw DaoError(errGeneric, QStringLiteral("FOREIGN KEY constraint failed (%1)").arg(table));
    tx.commit();
}

void Database::rebuildTable(const QString& table, const QList<FieldDef>& fields, const QList<IndexDef>& indexes,
                            const QStringList& copyFrom, const QString& redeclare)
{
    // copyFrom[i] is the old column that feeds fields[i] (empty: the new column starts with
    // its default). Runs inside the caller's transaction.
    //
    // With foreign keys on, dropping the old table would delete the rows that refer to it.
    if (scalar(QStringLiteral("PRAGMA foreign_keys")).toInt() == 1)
        throw DaoError(errGeneric, QStringLiteral("%1: a table cannot be rebuilt inside a transaction while foreign keys are on").arg(table));
    const TableDef old = tableDef(table);
    const QString oldSql = scalar(QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'table' AND name = ?"), {table}).toString();
    // Every column the rebuild does not change keeps its declaration as written (a type the
    // field definitions do not know, checks, references), and so does every table constraint
    // it does not add or take away.
    QList<TablePart> parts;
    QString tail;
    if (!splitTableSql(oldSql, parts, tail))
        parts.clear();
    // Generated columns are computed, not copied: each keeps its declaration and its place
    // after the column it followed.
    QStringList generated;
    {
        auto rs = openRecordset(QStringLiteral("SELECT name FROM pragma_table_xinfo(?) WHERE hidden IN (2, 3)"), dbOpenSnapshot, {table});
        for (; !rs->eof(); rs->moveNext())
            generated << rs->text(0);
    }
    const auto isGenerated = [&generated](const TablePart& p) {
        return !p.column.isEmpty() && generated.contains(p.column, Qt::CaseInsensitive);
    };
    for (const TablePart& p : parts)
        if (!p.column.isEmpty() && !isGenerated(p) && !copyFrom.contains(p.column, Qt::CaseInsensitive))
            throw DaoError(errGeneric, QStringLiteral("%1.%2 cannot be carried over into the rebuilt table").arg(table, p.column));
    const auto columnPart = [&parts](const QString& column) -> const TablePart* {
        for (const TablePart& p : parts)
            if (!column.isEmpty() && p.column.compare(column, Qt::CaseInsensitive) == 0)
                return &p;
        return nullptr;
    };
    const IndexDef* primary = nullptr;
    for (const IndexDef& idx : indexes)
        if (idx.primary)
            primary = &idx;
    const IndexDef* oldPrimary = nullptr;
    for (const IndexDef& idx : old.indexes)
        if (idx.primary)
            oldPrimary = &idx;
    const bool primaryKept = (!primary && !oldPrimary)
        || (primary && oldPrimary && primary->name.compare(oldPrimary->name, Qt::CaseInsensitive) == 0
            && lowered(primary->fields) == lowered(oldPrimary->fields));
    // unique constraints taken away, by their columns
    QList<QStringList> uniqueGone;
    for (const IndexDef& idx : old.indexes) {
        if (idx.primary || !idx.name.startsWith(QLatin1String("sqlite_autoindex")))
            continue;
        bool kept = false;
        for (const IndexDef& now : indexes)
            kept = kept || now.name.compare(idx.name, Qt::CaseInsensitive) == 0;
        if (!kept)
            uniqueGone << lowered(idx.fields);
    }

    const QString tmp = QStringLiteral("__rebuild_") + table;
    QStringList defs;
    const auto generatedFrom = [&](qsizetype at) {
        for (; at < parts.size() && isGenerated(parts[at]); ++at)
            defs << parts[at].text;
    };
    generatedFrom(0);
    bool inlinePk = false;    // the key filled by the database: the row number itself
    bool primaryDone = false; // the new key declared with its column
    for (int i = 0; i < fields.size(); ++i) {
        const FieldDef& f = fields[i];
        const bool rowidKey = f.autoIncrement && (!primary || (primary->fields.size() == 1 &&
                                                               primary->fields[0].compare(f.name, Qt::CaseInsensitive) == 0));
        inlinePk = inlinePk || rowidKey;
        const TablePart* part = columnPart(copyFrom.value(i));
        const int at = old.fieldIndex(copyFrom.value(i));
        const bool keep = part && at >= 0 && f.name.compare(redeclare, Qt::CaseInsensitive) != 0
            && sameDeclaration(old.fields[at], f) && (primaryKept || !declaresPrimaryKey(*part))
            && !(declaresUnique(*part) && uniqueGone.contains(QStringList{f.name.toLower()}));
        if (keep) {
            defs << part->text;
        } else {
            const bool inlineKey = primaryKept ? part && declaresPrimaryKey(*part) : rowidKey;
            primaryDone = primaryDone || (inlineKey && !primaryKept);
            defs << columnSql(f, inlineKey);
        }
        if (part)
            generatedFrom(part - parts.constData() + 1);
    }
    for (const TablePart& p : parts) {
        if (!p.column.isEmpty() || (!primaryKept && declaresPrimaryKey(p))
            || (declaresUnique(p) && uniqueGone.contains(constraintColumns(p))))
            continue;
        defs << p.text;
    }
    if (primary && !primaryKept && !primaryDone)
        defs << QStringLiteral("CONSTRAINT %1 PRIMARY KEY (%2)").arg(quoteIdent(primary->name), joinIdents(primary->fields));
    execute(QStringLiteral("DROP TABLE IF EXISTS %1").arg(quoteIdent(tmp)));
    execute(QStringLiteral("CREATE TABLE %1 (%2)%3").arg(quoteIdent(tmp), defs.join(QStringLiteral(", ")),
                                                         tail.isEmpty() ? QString() : QLatin1Char(' ') + tail));
    // Every row keeps its row number: a dynaset of another workstation finds its row by it,
    // and rows read in stored order keep their order. (A key the database fills is the row
    // number itself and travels as a column.)
    static const QRegularExpression withoutRowid(QStringLiteral("\\bWITHOUT\\s+ROWID\\b"), QRegularExpression::CaseInsensitiveOption);
    const bool keepRowid = !inlinePk && !withoutRowid.match(blankOut(tail)).hasMatch();
    QStringList target, source;
    if (keepRowid) {
        target << QStringLiteral("rowid");
        source << QStringLiteral("rowid");
    }
    for (int i = 0; i < fields.size(); ++i) {
        if (copyFrom.value(i).isEmpty())
            continue;
        target << quoteIdent(fields[i].name);
        source << quoteIdent(copyFrom[i]);
    }
    if (target.size() > (keepRowid ? 1 : 0))
        execute(QStringLiteral("INSERT INTO %1 (%2) SELECT %3 FROM %4")
                    .arg(quoteIdent(tmp), target.join(QStringLiteral(", ")), source.join(QStringLiteral(", ")), quoteIdent(table)));
    // The database-filled key never hands out a number again, even one of a deleted row:
    // carry its high-water mark over to the new table.
    QVariant highWater;
    if (inlinePk) {
        try {
            highWater = scalar(QStringLiteral("SELECT seq FROM sqlite_sequence WHERE name = ?"), {table});
        } catch (const DaoError&) {
            // no sqlite_sequence yet: nothing to carry over
        }
    }
    // Indexes created by statement are made again from their own statement, so a partial
    // index keeps its WHERE clause and an expression index its expressions.
    QHash<QString, QString> indexSql;
    {
        auto rs = openRecordset(QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type = 'index' AND tbl_name = ? AND sql IS NOT NULL"),
                                dbOpenSnapshot, {table});
        for (; !rs->eof(); rs->moveNext())
            indexSql.insert(rs->text(0).toUpper(), rs->text(1));
    }
    // The table's triggers go with it: they are made again from their own statements.
    QStringList triggerSql;
    {
        auto rs = openRecordset(QStringLiteral("SELECT sql FROM sqlite_master WHERE type = 'trigger' AND tbl_name = ? "
                                               "AND sql IS NOT NULL ORDER BY rowid"),
                                dbOpenSnapshot, {table});
        for (; !rs->eof(); rs->moveNext())
            triggerSql << rs->text(0);
    }
    // Views and the triggers of other tables that name the table stay as they are and find
    // the new table under the old name. The views that work now must still work afterwards.
    QStringList views;
    {
        auto rs = openRecordset(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'view' ORDER BY name"), dbOpenSnapshot);
        for (; !rs->eof(); rs->moveNext())
            views << rs->text(0);
    }
    const auto viewError = [this](const QString& view) {
        sqlite3_stmt* st = nullptr;
        const QByteArray sql = (QStringLiteral("SELECT * FROM ") + quoteIdent(view)).toUtf8();
        const int rc = sqlite3_prepare_v2(m_db, sql.constData(), int(sql.size()), &st, nullptr);
        sqlite3_finalize(st);
        return rc == SQLITE_OK ? QString() : QString::fromUtf8(sqlite3_errmsg(m_db));
    };
    QStringList working;
    for (const QString& v : views)
        if (viewError(v).isEmpty())
            working << v;
    execute(QStringLiteral("DROP TABLE %1").arg(quoteIdent(table)));
    // The rename as the engine made it before it checked every view and trigger against the
    // schema: between the drop and the rename those that name the table name no table.
    const bool legacy = scalar(QStringLiteral("PRAGMA legacy_alter_table")).toInt() == 1;
    if (!legacy)
        execute(QStringLiteral("PRAGMA legacy_alter_table = ON"));
    try {
        execute(QStringLiteral("ALTER TABLE %1 RENAME TO %2").arg(quoteIdent(tmp), quoteIdent(table)));
    } catch (const DaoError&) {
        if (!legacy)
            execute(QStringLiteral("PRAGMA legacy_alter_table = OFF"));
        throw;
    }
    if (!legacy)
        execute(QStringLiteral("PRAGMA legacy_alter_table = OFF"));
    if (inlinePk && !highWater.isNull()) {
        const qint64 seq = highWater.toLongLong();
        if (execute(QStringLiteral("UPDATE sqlite_sequence SET seq = ? WHERE name = ? AND seq < ?"), {seq, table, seq}) == 0
            && !scalar(QStringLiteral("SELECT 1 FROM sqlite_sequence WHERE name = ?"), {table}).isValid())
            execute(QStringLiteral("INSERT INTO sqlite_sequence (name, seq) VALUES (?, ?)"), {table, seq});
    }
    // the unique constraints the new table declares itself
    QList<QStringList> declaredUnique;
    {
        auto rs = openRecordset(QStringLiteral("SELECT name FROM pragma_index_list(?) WHERE origin = 'u'"), dbOpenSnapshot, {table});
        for (; !rs->eof(); rs->moveNext()) {
            QStringList cols;
            auto c = openRecordset(QStringLiteral("SELECT name FROM pragma_index_info(?) ORDER BY seqno"), dbOpenSnapshot, {rs->text(0)});
            for (; !c->eof(); c->moveNext())
                cols << c->text(0).toLower();
            declaredUnique << cols;
        }
    }
    for (const IndexDef& idx : indexes) {
        if (idx.primary)
            continue;
        // (no rebuild takes a column away: an index made by statement, one on expressions
        // too, is made again as it was)
        const QString original = indexSql.value(idx.name.toUpper());
        if (!original.isEmpty()) {
            execute(original);
            continue;
        }
        bool ok = !idx.fields.isEmpty();
        for (const QString& c : idx.fields) {
            bool found = false;
            for (const FieldDef& f : fields)
                found = found || f.name.compare(c, Qt::CaseInsensitive) == 0;
            ok = ok && found;
        }
        if (!ok)
            continue;
        QString iname = idx.name;
        if (iname.startsWith(QLatin1String("sqlite_autoindex"))) {
            if (declaredUnique.contains(lowered(idx.fields)))
                continue; // its constraint came over with the table's statement
            iname = table + QLatin1Char('_') + idx.fields.join(QLatin1Char('_'));
        }
        execute(QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                    .arg(idx.unique ? QStringLiteral("UNIQUE ") : QString(), quoteIdent(iname), quoteIdent(table),
                         joinIdents(idx.fields)));
    }
    for (const QString& sql : triggerSql)
        execute(sql);
    for (const QString& v : working) {
        const QString error = viewError(v);
        if (!error.isEmpty())
            throw DaoError(errGeneric, QStringLiteral("error in view %1: %2").arg(v, error));
    }
}

void Database::appendField(const QString& table, const FieldDef& field)
{
    const TableDef def = tableDef(table);
    if (def.fieldIndex(field.name) >= 0)
        throw DaoError(3191, QStringLiteral("duplicate column name: %1").arg(field.name));
    const bool atEnd = field.ordinalPosition < 0 || field.ordinalPosition >= def.fields.size();
    const bool simple = atEnd && !field.autoIncrement && !(field.required && field.defaultValue.isEmpty());
    if (simple) {
        execute(QStringLiteral("ALTER TABLE %1 ADD COLUMN %2").arg(quoteIdent(def.name), columnSql(field, false)));
        return;
    }
    QList<FieldDef> fields = def.fields;
    QStringList copy;
    for (const FieldDef& f : fields)
        copy << f.name;
    const int pos = atEnd ? int(fields.size()) : field.ordinalPosition;
    fields.insert(pos, field);
    copy.insert(pos, QString());
    rebuild(def.name, fields, def.indexes, copy, field.name);
}

void Database::alterField(const QString& table, const QString& field, const FieldDef& newDef)
{
    const TableDef def = tableDef(table);
    const int at = def.fieldIndex(field);
    if (at < 0)
        throw DaoError(errObjectNotFound, QStringLiteral("no such column: %1").arg(field));
    QList<FieldDef> fields = def.fields;
    QStringList copy;
    for (const FieldDef& f : fields)
        copy << f.name;
    FieldDef nf = newDef;
    nf.name = fields[at].name;
    fields[at] = nf;
    rebuild(def.name, fields, def.indexes, copy, nf.name);
}

void Database::deleteField(const QString& table, const QString& field)
{
    const TableDef def = tableDef(table);
    const int at = def.fieldIndex(field);
    if (at < 0)
        throw DaoError(errObjectNotFound, QStringLiteral("no such column: %1").arg(field));
    execute(QStringLiteral("ALTER TABLE %1 DROP COLUMN %2").arg(quoteIdent(def.name), quoteIdent(def.fields[at].name)));
}

void Database::renameField(const QString& table, const QString& from, const QString& to)
{
    const TableDef def = tableDef(table);
    const int at = def.fieldIndex(from);
    if (at < 0)
        throw DaoError(errObjectNotFound, QStringLiteral("no such column: %1").arg(from));
    execute(QStringLiteral("ALTER TABLE %1 RENAME COLUMN %2 TO %3")
                .arg(quoteIdent(def.name), quoteIdent(def.fields[at].name), quoteIdent(to)));
}

void Database::appendIndex(const QString& table, const IndexDef& index)
{
    const TableDef def = tableDef(table);
    for (const QString& c : index.fields)
        if (def.fieldIndex(c) < 0)
            throw DaoError(errObjectNotFound, QStringLiteral("no such column: %1").arg(c));
    if (!index.primary) {
        execute(QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                    .arg(index.unique ? QStringLiteral("UNIQUE ") : QString(), quoteIdent(index.name),
                         quoteIdent(def.name), joinIdents(index.fields)));
        return;
    }
    QList<IndexDef> indexes;
    for (const IndexDef& idx : def.indexes)
        if (!idx.primary)
            indexes << idx;
    indexes << index;
    QList<FieldDef> fields = def.fields;
    QStringList copy;
    for (FieldDef& f : fields) {
        copy << f.name;
        if (f.autoIncrement && !(index.fields.size() == 1 && index.fields[0].compare(f.name, Qt::CaseInsensitive) == 0))
            f.autoIncrement = false; // only one primary key per table
        if (index.required && index.fields.contains(f.name, Qt::CaseInsensitive))
            f.required = true;
    }
    rebuild(def.name, fields, indexes, copy);
}

void Database::deleteIndex(const QString& table, const QString& index)
{
    const TableDef def = tableDef(table);
    const IndexDef* target = nullptr;
    for (const IndexDef& idx : def.indexes)
        if (idx.name.compare(index, Qt::CaseInsensitive) == 0)
            target = &idx;
    if (!target)
        throw DaoError(errObjectNotFound, QStringLiteral("no such index: %1").arg(index));
    if (!target->primary && !target->name.startsWith(QLatin1String("sqlite_autoindex"))) {
        execute(QStringLiteral("DROP INDEX %1").arg(quoteIdent(target->name)));
        return;
    }
    // A key or unique constraint belongs to the table itself: rebuild without it.
    QList<IndexDef> indexes;
    for (const IndexDef& idx : def.indexes)
        if (&idx != target)
            indexes << idx;
    QList<FieldDef> fields = def.fields;
    QStringList copy;
    for (FieldDef& f : fields) {
        copy << f.name;
        if (target->primary && f.autoIncrement)
            f.autoIncrement = false;
    }
    rebuild(def.name, fields, indexes, copy);
}

} // namespace dao
