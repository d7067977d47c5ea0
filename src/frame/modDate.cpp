#include "frame/modDate.h"

#include "frame/FrmCalendar.h"
#include "frame/modCommon.h"
#include "frame/modFrmCtrl.h"
#include "frame/modMsgBox.h"
#include "platform/Prompter.h"

#include "platform/SpreadGrid.h"

#include <QAbstractButton>
#include <QRegularExpression>

namespace {

// The text as a whole number written with a digit pattern ("00", "-00-00", ...), as the
// runtime's number formatting does; a text that is no number stays as it is.
QString formatNumber(const QString& text, const QString& pattern)
{
    const QString t = text.trimmed();
    if (!IsAllDigits(t))
        return text;
    QString digits = QString::number(t.toLongLong());
    int need = 0;
    for (QChar c : pattern)
        if (c == QLatin1Char('0'))
            ++need;
    if (digits.size() < need)
        digits = QString(need - digits.size(), QLatin1Char('0')) + digits;
    // Fill the pattern's zeros from the right; extra leading digits go in front.
    QString out;
    int di = int(digits.size()) - 1;
    for (int pi = int(pattern.size()) - 1; pi >= 0; --pi) {
        if (pattern[pi] == QLatin1Char('0'))
            out.prepend(digits[di--]);
        else
            out.prepend(pattern[pi]);
    }
    if (di >= 0)
        out.prepend(digits.left(di + 1));
    return out;
}

QString acceptedFormsMessage(const QString& typed)
{
    const QString crlf = QStringLiteral("\r\n");
    return QStringLiteral("[") + typed + QStringLiteral("]는 날짜형식이 아닙니다.") + QString(13, QLatin1Char(' '))
        + crlf + crlf + QStringLiteral(" 가능한 형식은 아래와 같습니다.") + crlf + crlf
        + QStringLiteral("   * 2004-01-01") + crlf + QStringLiteral("   * 20040101") + crlf
        + QStringLiteral("   * 040101") + crlf + QStringLiteral("   * 0101") + crlf
        + QStringLiteral("   * 101 (※10월1일은 1001)") + crlf + QStringLiteral("   * 1 (당월의 일자지정시)");
}

} // namespace

QString CompleteDateText(const QString& sDate, const QDate& today)
{
    switch (sDate.size()) {
    case 1:
    case 2:
        return today.toString(QStringLiteral("yyyy-MM-")) + formatNumber(sDate, QStringLiteral("00"));
    case 3:
    case 4:
        return today.toString(QStringLiteral("yyyy")) + formatNumber(sDate, QStringLiteral("-00-00"));
    case 6:
        return QStringLiteral("20") + formatNumber(sDate, QStringLiteral("00-00-00"));
    case 8:
        return formatNumber(sDate, QStringLiteral("0000-00-00"));
    default:
        return sDate;
    }
}

QDate ParseDateText(const QString& text)
{
    static const QRegularExpression re(QStringLiteral("^\\s*(\\d{4})([-/.])(\\d{1,2})\\2(\\d{1,2})\\s*$"));
    const QRegularExpressionMatch m = re.match(text);
    if (!m.hasMatch())
        return QDate();
    const int y = m.captured(1).toInt();
    if (y < 1000)
        return QDate();
    return QDate(y, m.captured(3).toInt(), m.captured(4).toInt()); // invalid for a day that does not exist
}

bool IsDateText(const QString& text) { return ParseDateText(text).isValid(); }

bool CheckDateText(QString& sDate)
{
    const QString completed = CompleteDateText(sDate, platform::today());
    const QDate d = ParseDateText(completed);
    if (d.isValid()) {
        sDate = d.toString(QStringLiteral("yyyy-MM-dd"));
        return true;
    }
    MsgInfo(acceptedFormsMessage(sDate));
    return false;
}

QString GetLastDate(const QString& sYear, const QString& sMonth)
{
    bool okY = false, okM = false;
    const int y = sYear.trimmed().toInt(&okY);
    const int m = sMonth.trimmed().toInt(&okM);
    if (!okY || !okM)
        return QString();
    // Day 0 of the next month; month numbers outside 1..12 roll over the year.
    const int months = y * 12 + (m - 1) + 1;
    const QDate firstOfNext(months / 12, months % 12 + 1, 1);
    if (!firstOfNext.isValid())
        return QString();
    return firstOfNext.addDays(-1).toString(QStringLiteral("yyyy-MM-dd"));
}

QString ShowCalendar(const QString& sDate, QWidget* ctlAnchor)
{
    FrmCalendar frm(ctlAnchor ? ctlAnchor->window() : nullptr);
    frm.setText(sDate);
    frm.adjustSize();
    SetFormPosition(&frm, ctlAnchor, 0, 3, 0, 0);
    platform::prompter().execModal(frm);
    return frm.text();
}

void ChainDate(QAbstractButton* chkChain, platform::SpreadGrid* spDate0, platform::SpreadGrid* spDate1, int iIndex)
{
    if (!chkChain || !chkChain->isChecked())
        return;
    if (iIndex != 0 && iIndex != 1) {
        MsgBoxPlain(QStringLiteral("코딩누락"));
        return;
    }
    platform::SpreadGrid* from = iIndex == 0 ? spDate0 : spDate1;
    platform::SpreadGrid* to = iIndex == 0 ? spDate1 : spDate0;
    if (!from || !to)
        return;
    to->SetCol(1);
    to->SetRow(1);
    from->SetCol(1);
    from->SetRow(1);
    to->SetText(from->Text());
}

void ChainDate(QWidget* frm, int iIndex)
{
    if (!frm)
        return;
    auto* chk = frm->findChild<QAbstractButton*>(QStringLiteral("chkChain"));
    platform::SpreadGrid* sp[2] = {nullptr, nullptr};
    for (platform::SpreadGrid* g : frm->findChildren<platform::SpreadGrid*>()) {
        const QString name = g->Name().isEmpty() ? g->objectName() : g->Name();
        if (name.compare(QStringLiteral("spDate"), Qt::CaseInsensitive) == 0 && g->Index() >= 0 && g->Index() <= 1)
            sp[g->Index()] = g;
    }
    ChainDate(chk, sp[0], sp[1], iIndex);
}
