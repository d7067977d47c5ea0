#include "platform/ReportEngine.h"

#include "platform/Database.h"
#include "platform/IniFile.h"
#include "platform/Prompter.h"
#include "platform/Recordset.h"
#include "platform/SpreadModel.h"
#include "platform/WholeFile.h"

#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFont>
#include <QFontMetrics>
#include <QLayout>
#include <QLocale>
#include <QPageLayout>
#include <QPaintEngine>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QScreen>
#include <QShowEvent>
#include <QToolBar>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <cmath>
#include <limits>

namespace platform {

namespace {

bool isIdentifier(const QString& s)
{
    static const QRegularExpression re(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return re.match(s).hasMatch();
}

QString quoted(const QString& ident) { return QLatin1Char('"') + ident + QLatin1Char('"'); }

// The declared formula field of that name (any case), or an empty string.
QString declaredFormula(const ReportDefinition& def, const QString& name)
{
    for (auto it = def.formulas.cbegin(); it != def.formulas.cend(); ++it)
        if (it.key().compare(name, Qt::CaseInsensitive) == 0)
            return it.key();
    return QString();
}

} // namespace

bool ReportDefinition::hasTotals() const
{
    for (const auto& c : columns)
        if (c.total)
            return true;
    return false;
}

bool LoadReportDefinition(const QString& path, ReportDefinition& def, QString& error)
{
    def = ReportDefinition();
    const QFileInfo fi(path);
    if (!fi.isFile()) {
        error = QStringLiteral("보고서 파일이 없습니다: %1").arg(QDir::toNativeSeparators(path));
        return false;
    }
    IniFile ini(path);
    if (!ini.load()) {
        error = QStringLiteral("보고서 파일을 읽을 수 없습니다: %1").arg(QDir::toNativeSeparators(path));
        return false;
    }
    const QString report = QStringLiteral("Report");
    def.table = ini.value(report, QStringLiteral("Table")).trimmed();
    if (!isIdentifier(def.table)) {
        error = QStringLiteral("보고서 파일에 읽을 테이블(Table)이 바르게 적혀 있지 않습니다.");
        return false;
    }
    def.landscape = ini.value(report, QStringLiteral("Orientation")).trimmed()
                        .compare(QLatin1String("Landscape"), Qt::CaseInsensitive) == 0;
    def.fontFamily = ini.value(report, QStringLiteral("Font")).trimmed();
    bool ok = false;
    const double pt = ini.value(report, QStringLiteral("FontSize")).toDouble(&ok);
    if (ok && pt >= 4 && pt <= 72)
        def.fontSize = pt;
    const double margin = ini.value(report, QStringLiteral("Margin")).toDouble(&ok);
    if (ok && margin >= 0 && margin <= 50)
        def.marginMm = margin;
    def.heading = ini.value(report, QStringLiteral("Heading"));
    def.subHeading = ini.value(report, QStringLiteral("SubHeading"));
    def.totalCaption = ini.value(report, QStringLiteral("TotalCaption"));

    const QString formulas = QStringLiteral("Formulas");
    for (const QString& key : ini.keys(formulas)) {
        if (!isIdentifier(key)) {
            error = QStringLiteral("보고서 파일의 수식 필드 이름이 바르지 않습니다: %1").arg(key);
            return false;
        }
        QString value = ini.value(formulas, key);
        QString why;
        def.formulas.insert(key, QString());
        if (!value.trimmed().isEmpty() && !ApplyReportFormula(def, key + QStringLiteral(" = ") + value, why)) {
            error = why;
            return false;
        }
    }

    const QString columns = QStringLiteral("Columns");
    const int count = ini.value(columns, QStringLiteral("Count")).toInt(&ok);
    if (!ok || count < 1 || count > 64) {
        error = QStringLiteral("보고서 파일에 열(Columns의 Count)이 없습니다.");
        return false;
    }
    for (int i = 1; i <= count; ++i) {
        const QString entry = ini.value(columns, QString::number(i));
        const QStringList parts = entry.split(QLatin1Char('|'));
        ReportColumn col;
        col.field = parts.value(0).trimmed();
        if (!isIdentifier(col.field)) {
            error = QStringLiteral("보고서 파일의 %1번째 열이 바르게 적혀 있지 않습니다: %2").arg(i).arg(entry);
            return false;
        }
        col.caption = parts.value(1).trimmed();
        const double w = parts.value(2).trimmed().toDouble(&ok);
        col.width = (ok && w > 0) ? w : 1;
        const QStringList kind = parts.value(3).trimmed().toLower().split(QLatin1Char(','), Qt::SkipEmptyParts);
        for (const QString& k : kind) {
            const QString t = k.trimmed();
            if (t == QLatin1String("number")) {
                col.numeric = true;
            } else if (t == QLatin1String("total")) {
                col.numeric = true;
                col.total = true;
            } else if (t != QLatin1String("text")) {
                error = QStringLiteral("보고서 파일의 %1번째 열의 종류를 알 수 없습니다: %2").arg(i).arg(k);
                return false;
            }
        }
        def.columns << col;
    }
    return true;
}

bool ApplyReportFormula(ReportDefinition& def, const QString& formula, QString& error)
{
    static const QRegularExpression re(
        QStringLiteral("^\\s*\\{?@?([A-Za-z_][A-Za-z0-9_]*)\\}?\\s*=\\s*(.*?)\\s*;?\\s*$"),
        QRegularExpression::DotMatchesEverythingOption);
    const auto m = re.match(formula);
    if (!m.hasMatch()) {
        error = QStringLiteral("수식을 알 수 없습니다: %1").arg(formula);
        return false;
    }
    const QString name = declaredFormula(def, m.captured(1));
    if (name.isEmpty()) {
        error = QStringLiteral("보고서에 없는 수식 필드입니다: %1").arg(m.captured(1));
        return false;
    }
    const QString raw = m.captured(2);
    QString value;
    if (raw.size() >= 2 && (raw.front() == QLatin1Char('\'') || raw.front() == QLatin1Char('"'))
        && raw.back() == raw.front()) {
        const QChar q = raw.front();
        const QString inner = raw.mid(1, raw.size() - 2);
        for (int i = 0; i < inner.size(); ++i) {
            if (inner[i] == q) {
                if (i + 1 < inner.size() && inner[i + 1] == q) {
                    value += q;
                    ++i;
                    continue;
                }
                error = QStringLiteral("수식의 문자열이 바르게 닫히지 않았습니다: %1").arg(formula);
                return false;
            }
            value += inner[i];
        }
    } else {
        bool ok = false;
        raw.toDouble(&ok);
        if (!ok) {
            error = QStringLiteral("수식의 값을 읽을 수 없습니다: %1").arg(formula);
            return false;
        }
        value = raw;
    }
    def.formulas[name] = value;
    return true;
}

QString ExpandReportText(const ReportDefinition& def, const QString& text)
{
    QString out = text;
    for (auto it = def.formulas.cbegin(); it != def.formulas.cend(); ++it) {
        out.replace(QLatin1Char('{') + it.key() + QLatin1Char('}'), it.value(), Qt::CaseInsensitive);
        out.replace(QStringLiteral("{@") + it.key() + QLatin1Char('}'), it.value(), Qt::CaseInsensitive);
    }
    return out;
}

bool ReadReportRows(const QString& dataFile, const ReportDefinition& def, ReportRows& rows, QString& error)
{
    rows.clear();
    if (dataFile.isEmpty()) {
        error = QStringLiteral("보고서의 데이터 파일이 정해지지 않았습니다.");
        return false;
    }
    QStringList fields;
    for (const auto& c : def.columns)
        fields << quoted(c.field);
    // The table and field names come from the report file and were checked to be plain names.
    const QString sql = QStringLiteral("SELECT ") + fields.join(QStringLiteral(", ")) + QStringLiteral(" FROM ")
        + quoted(def.table) + QStringLiteral(" ORDER BY rowid");
    try {
        auto db = dao::Database::open(dataFile, 0, true);
        auto rs = db->openRecordset(sql, dao::dbOpenSnapshot);
        const int n = def.columns.size();
        while (!rs->eof()) {
            QVector<QVariant> row(n);
            for (int i = 0; i < n; ++i)
                row[i] = rs->value(i);
            rows.push_back(std::move(row));
            rs->moveNext();
        }
    } catch (const dao::DaoError& e) {
        error = QStringLiteral("보고서의 데이터를 읽을 수 없습니다: %1\n(%2)")
                    .arg(QDir::toNativeSeparators(dataFile), e.description());
        rows.clear();
        return false;
    }
    return true;
}

namespace {

// A number as a whole amount by the screen's own rule (SpreadModel::wholeAmount: rounded half
// away from zero, none past the 64-bit range). A value that is no finite number counts as 0,
// as the screen leaves it out.
std::optional<qint64> wholeAmount(double d)
{
    if (!std::isfinite(d))
        return qint64(0);
    return SpreadModel::wholeAmount(d);
}

} // namespace

std::optional<qint64> ReportAmount(const QVariant& v)
{
    if (!v.isValid() || v.isNull())
        return qint64(0);
    switch (v.typeId()) {
    case QMetaType::LongLong: case QMetaType::Int: case QMetaType::UInt: case QMetaType::Long:
    case QMetaType::Short: case QMetaType::UShort:
        return v.toLongLong();
    case QMetaType::ULongLong: case QMetaType::ULong: {
        const quint64 u = v.toULongLong();
        if (u > quint64(std::numeric_limits<qint64>::max()))
            return std::nullopt;
        return qint64(u);
    }
    case QMetaType::Double: case QMetaType::Float:
        return wholeAmount(v.toDouble());
    default:
        break;
    }
    QString s = v.toString().trimmed();
    s.remove(QLatin1Char(','));
    bool ok = false;
    const qint64 whole = s.toLongLong(&ok);
    if (ok)
        return whole;
    const double d = s.toDouble(&ok);
    return ok ? wholeAmount(d) : std::optional<qint64>(0);
}

QString FormatReportAmount(qint64 v)
{
    const bool neg = v < 0;
    // the magnitude as unsigned, so the smallest value is safe too
    quint64 u = neg ? quint64(0) - quint64(v) : quint64(v);
    QString digits = QString::number(u);
    for (int i = digits.size() - 3; i > 0; i -= 3)
        digits.insert(i, QLatin1Char(','));
    return neg ? QLatin1Char('-') + digits : digits;
}

QString FormatReportAmount(const std::optional<qint64>& v)
{
    return v ? FormatReportAmount(*v) : SpreadModel::overflowMark();
}

ReportLayout LayoutReport(const ReportDefinition& def, const ReportRows& rows, const ReportPageMetrics& m)
{
    ReportLayout out;
    const int n = def.columns.size();
    double sum = 0;
    for (const auto& c : def.columns)
        sum += c.width;
    double acc = 0;
    for (int i = 0; i < n; ++i) {
        const int left = int(std::lround(acc * m.pageWidth / sum));
        acc += def.columns[i].width;
        const int right = i == n - 1 ? m.pageWidth : int(std::lround(acc * m.pageWidth / sum));
        out.colLeft << left;
        out.colWidth << right - left;
    }

    out.totals = QVector<std::optional<qint64>>(n, qint64(0));
    for (int i = 0; i < n; ++i) {
        if (!def.columns[i].total)
            continue;
        // exact in 128 bits, whatever the order of the rows: only the sum itself has to fit
        __int128 t = 0;
        bool past = false;
        for (const auto& row : rows) {
            const auto v = ReportAmount(row.value(i));
            if (!v) {
                past = true;
                break;
            }
            t += *v;
        }
        if (past || t < std::numeric_limits<qint64>::min() || t > std::numeric_limits<qint64>::max())
            out.totals[i] = std::nullopt;
        else
            out.totals[i] = qint64(t);
    }

    if (m.amountWidth) {
        // The widest amount of each numeric column: the largest and the smallest value (the
        // longest texts; digits are equally wide) and the total.
        QVector<int> need(n, 0);
        int needSum = 0;
        for (int i = 0; i < n; ++i) {
            if (!def.columns[i].numeric)
                continue;
            qint64 lo = 0, hi = 0;
            bool mark = false;
            for (const auto& row : rows) {
                const auto v = ReportAmount(row.value(i));
                if (!v) {
                    mark = true;
                    continue;
                }
                lo = std::min(lo, *v);
                hi = std::max(hi, *v);
            }
            int w = std::max(m.amountWidth(FormatReportAmount(lo)), m.amountWidth(FormatReportAmount(hi)));
            if (mark)
                w = std::max(w, m.amountWidth(FormatReportAmount(std::nullopt)));
            if (def.columns[i].total)
                w = std::max(w, m.amountWidth(FormatReportAmount(out.totals[i])));
            need[i] = w + 2 * m.cellPadding + 1;
            needSum += std::max(need[i], out.colWidth[i]);
        }
        bool tooNarrow = false;
        for (int i = 0; i < n; ++i)
            tooNarrow = tooNarrow || need[i] > out.colWidth[i];
        // Only when a column is too narrow, and only as far as the page allows: the numeric
        // columns keep max(own share, need); the text columns share what is left in their proportion.
        if (tooNarrow && needSum <= m.pageWidth) {
            double textSum = 0;
            for (int i = 0; i < n; ++i)
                if (!def.columns[i].numeric)
                    textSum += def.columns[i].width;
            QVector<int> width(n, 0);
            const int spare = m.pageWidth - needSum;
            for (int i = 0; i < n; ++i)
                if (def.columns[i].numeric)
                    width[i] = std::max(need[i], out.colWidth[i]);
            double shared = 0;
            int given = 0;
            int lastText = -1;
            for (int i = 0; i < n; ++i) {
                if (def.columns[i].numeric)
                    continue;
                shared += def.columns[i].width;
                const int upTo = textSum > 0 ? int(std::lround(shared * spare / textSum)) : 0;
                width[i] = upTo - given;
                given = upTo;
                lastText = i;
            }
            // rounding, or no text column: the rest goes to the last text (or last) column
            int total = 0;
            for (int w : width)
                total += w;
            width[lastText >= 0 ? lastText : n - 1] += m.pageWidth - total;
            int x = 0;
            for (int i = 0; i < n; ++i) {
                out.colLeft[i] = x;
                out.colWidth[i] = width[i];
                x += width[i];
            }
        }
    }

    const int body = m.pageHeight - m.headingHeight - m.captionHeight - m.footerHeight;
    out.rowsPerPage = m.rowHeight > 0 ? std::max(1, body / m.rowHeight) : 1;
    const int count = rows.size();
    for (int first = 0; first < count; first += out.rowsPerPage)
        out.pages << ReportPageRange{first, std::min(out.rowsPerPage, count - first), false};
    if (out.pages.isEmpty())
        out.pages << ReportPageRange{0, 0, false};
    if (def.hasTotals()) {
        if (out.pages.back().rowCount < out.rowsPerPage)
            out.pages.back().totals = true;
        else
            out.pages << ReportPageRange{count, 0, true};
    }
    return out;
}

namespace {

QString cellText(const ReportColumn& c, const QVariant& v)
{
    if (c.numeric)
        return FormatReportAmount(ReportAmount(v));
    return v.isNull() ? QString() : v.toString();
}

} // namespace

void PrepareReportPrinter(QPrinter& printer, const ReportDefinition& def)
{
    printer.setPageOrientation(def.landscape ? QPageLayout::Landscape : QPageLayout::Portrait);
    printer.setPageMargins(QMarginsF(def.marginMm, def.marginMm, def.marginMm, def.marginMm),
                           QPageLayout::Millimeter);
    printer.setDocName(ExpandReportText(def, def.heading));
}

bool RenderReport(QPrinter& printer, const ReportDefinition& def, const ReportRows& rows, const QDate& printDate,
                  QString& error, int* pagesPrinted)
{
    if (pagesPrinted)
        *pagesPrinted = 0;
    int pages = 0;
    const bool ok = PaintOnPrinter(printer, [&](QPainter& p, QPagedPaintDevice& device, QString& why) {
        return PaintReport(p, QSize(device.width(), device.height()), [&device] { return device.newPage(); }, def,
                           rows, printDate, why, &pages);
    }, error);
    if (ok && pagesPrinted)
        *pagesPrinted = pages;
    return ok;
}

bool PaintReport(QPainter& p, const QSize& pageSize, const std::function<bool()>& newPage,
                 const ReportDefinition& def, const ReportRows& rows, const QDate& printDate, QString& error,
                 int* pagesPrinted)
{
    if (pagesPrinted)
        *pagesPrinted = 0;
    QPaintDevice* device = p.device();

    QFont body(def.fontFamily.isEmpty() ? QStringLiteral("NanumGothic") : def.fontFamily);
    body.setPointSizeF(def.fontSize);
    QFont bold = body;
    bold.setBold(true);
    QFont headingFont = bold;
    headingFont.setPointSizeF(def.fontSize * 1.8);

    const QFontMetrics fmBody(body, device);
    const QFontMetrics fmHeading(headingFont, device);
    const QFontMetrics fmBold(bold, device);
    const int line = fmBody.height();
    const int pad = std::max(1, fmBody.averageCharWidth());

    ReportPageMetrics m;
    m.pageWidth = pageSize.width();
    m.pageHeight = pageSize.height();
    m.cellPadding = pad;
    m.amountWidth = [&fmBold](const QString& t) { return fmBold.horizontalAdvance(t); }; // totals are bold
    m.rowHeight = line * 135 / 100;
    m.headingHeight = fmHeading.height() * 13 / 10 + line * 2;
    m.captionHeight = line * 16 / 10;
    m.footerHeight = line * 2;
    const ReportLayout layout = LayoutReport(def, rows, m);
    const int pageCount = layout.pages.size();

    const QString heading = ExpandReportText(def, def.heading);
    const QString subHeading = ExpandReportText(def, def.subHeading);
    const QString dateText = QStringLiteral("출력일자: ") + printDate.toString(QStringLiteral("yyyy-MM-dd"));
    const QPen thin(QColor(160, 160, 160), 0);
    const QPen strong(Qt::black, std::max(1, line / 14));
    const int n = def.columns.size();

    auto drawCells = [&](int top, const QStringList& texts, bool captions) {
        for (int i = 0; i < n; ++i) {
            const QRect cell(layout.colLeft[i] + pad, top, layout.colWidth[i] - 2 * pad, m.rowHeight);
            const Qt::Alignment align = captions ? Qt::AlignHCenter
                                                 : (def.columns[i].numeric ? Qt::AlignRight : Qt::AlignLeft);
            const QString text = texts.value(i);
            if (captions || !def.columns[i].numeric) {
                p.drawText(cell, int(align | Qt::AlignVCenter),
                           p.fontMetrics().elidedText(text, Qt::ElideRight, cell.width()));
                continue;
            }
            // an amount is never cut: one wider than its column is printed smaller
            const int w = p.fontMetrics().horizontalAdvance(text);
            if (w <= cell.width()) {
                p.drawText(cell, int(align | Qt::AlignVCenter), text);
                continue;
            }
            const QFont before = p.font();
            QFont smaller = before;
            double size = before.pointSizeF() * cell.width() / std::max(1, w);
            for (int tries = 0; tries < 8; ++tries) {
                smaller.setPointSizeF(std::max(1.0, size));
                if (QFontMetrics(smaller, device).horizontalAdvance(text) <= cell.width() || size <= 1.0)
                    break;
                size *= 0.95;
            }
            p.setFont(smaller);
            p.drawText(cell, int(align | Qt::AlignVCenter | Qt::TextDontClip), text);
            p.setFont(before);
        }
    };

    for (int pg = 0; pg < pageCount; ++pg) {
        if (pg > 0 && !newPage()) {
            error = QStringLiteral("%1쪽을 인쇄하지 못했습니다.").arg(pg + 1);
            return false;
        }
        const ReportPageRange& range = layout.pages[pg];
        // heading band
        int y = 0;
        p.setPen(Qt::black);
        p.setFont(headingFont);
        p.drawText(QRect(0, y, m.pageWidth, fmHeading.height() * 13 / 10), int(Qt::AlignCenter), heading);
        y += fmHeading.height() * 13 / 10;
        p.setFont(body);
        p.drawText(QRect(0, y, m.pageWidth, line), int(Qt::AlignHCenter | Qt::AlignVCenter), subHeading);
        p.drawText(QRect(0, y, m.pageWidth, line), int(Qt::AlignRight | Qt::AlignVCenter), dateText);
        y = m.headingHeight;

        // captions
        const QRect capRect(0, y, m.pageWidth, m.captionHeight);
        p.fillRect(capRect, QColor(228, 228, 228));
        p.setPen(strong);
        p.drawLine(capRect.topLeft(), capRect.topRight());
        p.drawLine(capRect.bottomLeft(), capRect.bottomRight());
        p.setFont(bold);
        QStringList captions;
        for (const auto& c : def.columns)
            captions << c.caption;
        drawCells(y + (m.captionHeight - m.rowHeight) / 2, captions, true);
        y += m.captionHeight;

        // detail lines
        p.setFont(body);
        for (int r = range.firstRow; r < range.firstRow + range.rowCount; ++r) {
            QStringList texts;
            const auto& row = rows[r];
            for (int i = 0; i < n; ++i)
                texts << cellText(def.columns[i], row.value(i));
            p.setPen(Qt::black);
            drawCells(y, texts, false);
            y += m.rowHeight;
            p.setPen(thin);
            p.drawLine(0, y, m.pageWidth, y);
        }

        // totals line
        if (range.totals) {
            p.setPen(strong);
            p.drawLine(0, y, m.pageWidth, y);
            QStringList texts;
            for (int i = 0; i < n; ++i)
                texts << (def.columns[i].total ? FormatReportAmount(layout.totals[i]) : QString());
            if (!texts.isEmpty() && !def.columns[0].total)
                texts[0] = def.totalCaption;
            p.setFont(bold);
            p.setPen(Qt::black);
            drawCells(y, texts, false);
            y += m.rowHeight;
            p.setPen(strong);
            p.drawLine(0, y, m.pageWidth, y);
        }

        // footer
        p.setFont(body);
        p.setPen(Qt::black);
        p.drawText(QRect(0, m.pageHeight - m.footerHeight, m.pageWidth, m.footerHeight),
                   int(Qt::AlignHCenter | Qt::AlignBottom), QStringLiteral("%1 / %2").arg(pg + 1).arg(pageCount));
    }
    if (pagesPrinted)
        *pagesPrinted = pageCount;
    return true;
}

// ---- the control ------------------------------------------------------------------------

namespace {

// Makes the preview wide enough for its whole tool bar, so that its print button is on the bar
// and not in the bar's overflow menu, as far as the screen has room; on a screen without room
// the bar's buttons are made smaller first. Called as the window is shown: its height is then
// the one its pages ask for, and it is centred afterwards at its new width.
void widenToItsToolBar(QDialog& preview)
{
    auto* bar = preview.findChild<QToolBar*>();
    QLayout* layout = preview.layout();
    if (!bar || !layout)
        return;
    const QScreen* screen = preview.screen();
    // the room beside the frame the window manager may put around it
    const int room = screen ? screen->availableGeometry().width() - 16 : QWIDGETSIZE_MAX;
    const QMargins margins = layout->contentsMargins();
    auto needed = [&] {
        layout->activate();
        return bar->sizeHint().width() + margins.left() + margins.right();
    };
    for (int icon = bar->iconSize().width(); needed() > room && icon > 16; icon -= 4)
        bar->setIconSize(QSize(icon - 4, icon - 4));
    const int width = qMin(needed(), room);
    if (width > preview.width())
        preview.resize(width, preview.height());
}

// The preview window. A print from it that failed has been told: the window stays open for
// another try instead of closing as after a print.
class ReportPreviewDialog : public QPrintPreviewDialog {
public:
    using QPrintPreviewDialog::QPrintPreviewDialog;
    bool printFailed = false;

    void done(int result) override
    {
        if (result == QDialog::Accepted && printFailed) {
            printFailed = false;
            return;
        }
        QPrintPreviewDialog::done(result);
    }

protected:
    void showEvent(QShowEvent* e) override
    {
        if (!e->spontaneous())
            widenToItsToolBar(*this);
        QPrintPreviewDialog::showEvent(e);
    }
};

} // namespace

ReportEngine::ReportEngine(QWidget* owner) : m_owner(owner) {}

void ReportEngine::SetDataFiles(int index, const QString& path)
{
    if (index < 0 || index > 255)
        return;
    while (m_dataFiles.size() <= index)
        m_dataFiles << QString();
    m_dataFiles[index] = path;
}

void ReportEngine::SetFormulas(int index, const QString& formula)
{
    if (index < 0 || index > 255)
        return;
    while (m_formulas.size() <= index)
        m_formulas << QString();
    m_formulas[index] = formula;
}

bool ReportEngine::fail(int number, const QString& text)
{
    m_errNumber = number;
    m_errString = text;
    return false;
}

bool ReportEngine::SetAction(int action)
{
    m_errNumber = rptErrNone;
    m_errString.clear();
    m_pages = 0;
    if (action != 1)
        return fail(rptErrAction, QStringLiteral("알 수 없는 보고서 동작입니다: %1").arg(action));

    ReportDefinition def;
    QString why;
    if (!QFileInfo(m_reportFile).isFile())
        return fail(rptErrReportFile, QStringLiteral("보고서 파일이 없습니다: %1").arg(QDir::toNativeSeparators(m_reportFile)));
    if (!LoadReportDefinition(m_reportFile, def, why))
        return fail(QFileInfo(m_reportFile).isReadable() ? rptErrDefinition : rptErrReportFile, why);
    for (const QString& f : m_formulas) {
        if (!f.trimmed().isEmpty() && !ApplyReportFormula(def, f, why))
            return fail(rptErrFormula, why);
    }
    ReportRows rows;
    if (!ReadReportRows(DataFiles(0), def, rows, why))
        return fail(rptErrDataFile, why);

    const QDate printDate = platform::today();
    switch (m_destination) {
    case crptToFile: {
        if (m_printFile.isEmpty())
            return fail(rptErrPrinter, QStringLiteral("인쇄 파일 이름이 정해지지 않았습니다."));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(m_printFile);
        PrepareReportPrinter(printer, def);
        if (!RenderReport(printer, def, rows, printDate, why, &m_pages))
            return fail(rptErrPrinter, why);
        return true;
    }
    case crptToPrinter: {
        if (QPrinterInfo::availablePrinterNames().isEmpty())
            return fail(rptErrPrinter, QStringLiteral("설치된 프린터가 없습니다."));
        QPrinter printer(QPrinter::HighResolution);
        PrepareReportPrinter(printer, def);
        if (!RenderReport(printer, def, rows, printDate, why, &m_pages))
            return fail(rptErrPrinter, why);
        return true;
    }
    default: {
        QPrinter printer(QPrinter::HighResolution);
        PrepareReportPrinter(printer, def);
        ReportPreviewDialog preview(&printer, m_owner);
        preview.setObjectName(QStringLiteral("ReportPreview"));
        preview.setWindowTitle(m_windowTitle.isEmpty() ? ExpandReportText(def, def.heading) : m_windowTitle);
        bool shown = true; // the preview's own pages, as last drawn
        QObject::connect(&preview, &QPrintPreviewDialog::paintRequested, &preview, [&](QPrinter* target) {
            QString err;
            int pages = 0;
            const QPaintEngine* engine = target->paintEngine();
            const bool previewPages = engine && engine->type() == QPaintEngine::Picture;
            const bool ok = RenderReport(*target, def, rows, printDate, err, &pages);
            if (ok)
                m_pages = pages;
            if (previewPages) {
                shown = ok;
                if (!ok)
                    why = err;
                return;
            }
            // a print from the window: judged on its own
            preview.printFailed = !ok;
            if (ok) {
                m_errNumber = rptErrNone;
                m_errString.clear();
                return;
            }
            m_errNumber = rptErrPrinter;
            m_errString = err;
            if (m_printError)
                m_printError();
            else
                platform::prompter().messageBox(err, preview.windowTitle(), MsgStyleWarn);
        });
        platform::prompter().execModal(preview);
        if (!shown)
            return fail(rptErrPrinter, why);
        return true;
    }
    }
}

} // namespace platform
