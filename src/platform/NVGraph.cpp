#include "platform/NVGraph.h"

#include "platform/Prompter.h"
#include "platform/WholeFile.h"

#include <QComboBox>
#include <QFontMetricsF>
#include <QLocale>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPrintDialog>
#include <QPrinter>

#include <algorithm>
#include <cmath>

namespace platform {

// ---------------------------------------------------------------- drawing rules

QStringList GraphTypeNames()
{
    return {QStringLiteral("막대그래프"), QStringLiteral("꺾은선그래프"), QStringLiteral("막대+꺾은선")};
}

QStringList GraphDataUnitNames()
{
    return {QStringLiteral("1 단위"), QStringLiteral("천 단위"), QStringLiteral("만 단위"),
            QStringLiteral("백만 단위")};
}

double GraphUnitDivisor(int dataUnit)
{
    switch (dataUnit) {
    case 1: return 1000.0;
    case 2: return 10000.0;
    case 3: return 1000000.0;
    default: return 1.0;
    }
}

int GraphPageCount(int dataCount, int maxCols)
{
    const qint64 cols = std::max(1, maxCols);
    if (dataCount <= 0)
        return 1;
    return int((qint64(dataCount) + cols - 1) / cols);
}

int GraphClampPage(int page, int pageCount)
{
    return std::clamp(page, 1, std::max(1, pageCount));
}

void GraphPageRange(int dataCount, int maxCols, int page, int& first, int& count)
{
    const int cols = std::max(1, maxCols);
    const int p = GraphClampPage(page, GraphPageCount(dataCount, cols));
    const qint64 f = qint64(p - 1) * cols;
    first = int(std::min<qint64>(f, std::max(0, dataCount)));
    count = int(std::clamp<qint64>(qint64(dataCount) - f, 0, cols));
}

namespace {

// The smallest of 1, 2, 2.5 and 5 times a power of ten that is at least v (v > 0).
double GraphRoundUp(double v, bool wholeValues)
{
    if (!(v > 0) || !std::isfinite(v))
        return wholeValues ? 1 : v;
    const double mag = std::pow(10.0, std::floor(std::log10(v)));
    const double norm = v / mag;
    double r = norm <= 1 ? 1 : norm <= 2 ? 2 : norm <= 2.5 ? 2.5 : norm <= 5 ? 5 : 10;
    r *= mag;
    if (wholeValues)
        r = std::max(1.0, std::ceil(r));
    return r;
}

} // namespace

GraphScale GraphNiceScale(double lo, double hi, bool wholeValues, int ticks)
{
    GraphScale s;
    lo = std::min(lo, 0.0);
    hi = std::max(hi, 0.0);
    if (!std::isfinite(lo) || !std::isfinite(hi))
        return s;
    if (hi - lo <= 0)
        hi = lo + 1;
    const double raw = (hi - lo) / std::max(1, ticks);
    const double mag = std::pow(10.0, std::floor(std::log10(raw)));
    const double norm = raw / mag;
    double step = norm <= 1 ? 1 : norm <= 2 ? 2 : norm <= 2.5 ? 2.5 : norm <= 5 ? 5 : 10;
    step *= mag;
    if (wholeValues && step < 1)
        step = 1;
    if (wholeValues && step != std::floor(step))
        step = std::ceil(step);
    s.step = step;
    s.axisMin = std::floor(lo / step + 1e-9) * step;
    s.axisMax = std::ceil(hi / step - 1e-9) * step;
    // A side that reaches less than a step past 0 (a small negative value next to large
    // ones) ends just past its extreme, at a round number, instead of a whole step away.
    if (lo < 0 && -lo < step - 1e-9 * step && hi > 0)
        s.axisMin = -std::min(step, GraphRoundUp(-lo * 1.05, wholeValues));
    if (hi > 0 && hi < step - 1e-9 * step && lo < 0)
        s.axisMax = std::min(step, GraphRoundUp(hi * 1.05, wholeValues));
    if (s.axisMax <= s.axisMin)
        s.axisMax = s.axisMin + step;
    return s;
}

GraphLayout ComputeGraphLayout(const QRectF& area, const QVector<double>& values, double leftMargin,
                               double topMargin, double rightMargin, double bottomMargin)
{
    GraphLayout L;
    double lo = 0, hi = 0;
    bool whole = true;
    for (double v : values) {
        lo = std::min(lo, v);
        hi = std::max(hi, v);
        if (v != std::floor(v))
            whole = false;
    }
    L.scale = GraphNiceScale(lo, hi, whole);
    const double w = std::max(1.0, area.width() - leftMargin - rightMargin);
    const double h = std::max(1.0, area.height() - topMargin - bottomMargin);
    L.plot = QRectF(area.left() + leftMargin, area.top() + topMargin, w, h);
    const double span = L.scale.axisMax - L.scale.axisMin;
    auto yOf = [&](double v) { return L.plot.bottom() - (v - L.scale.axisMin) / span * L.plot.height(); };
    L.zeroY = yOf(0);
    const int n = int(values.size());
    if (n == 0)
        return L;
    const double slotW = L.plot.width() / n;
    const double barW = std::max(1.0, slotW * 0.6);
    for (int i = 0; i < n; ++i) {
        const double x = L.plot.left() + i * slotW;
        L.columns.push_back(QRectF(x, L.plot.bottom(), slotW, bottomMargin));
        const double cx = x + slotW / 2;
        const double y = yOf(values[i]);
        L.bars.push_back(QRectF(QPointF(cx - barW / 2, std::min(y, L.zeroY)),
                                QPointF(cx + barW / 2, std::max(y, L.zeroY))));
        L.points.push_back(QPointF(cx, y));
    }
    return L;
}

QString GraphValueText(double v)
{
    if (!std::isfinite(v))
        return QString();
    const QLocale loc(QLocale::English);
    const double r = std::round(v * 100.0) / 100.0;
    QString s = loc.toString(r, 'f', r == std::floor(r) ? 0 : 2);
    if (s.contains(QLatin1Char('.'))) {
        while (s.endsWith(QLatin1Char('0')))
            s.chop(1);
        if (s.endsWith(QLatin1Char('.')))
            s.chop(1);
    }
    if (s == QLatin1String("-0"))
        s = QStringLiteral("0");
    return s;
}

QColor GraphColor(long c)
{
    const quint32 v = quint32(c);
    return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF));
}

// ---------------------------------------------------------------- the control

ucNVGraph::ucNVGraph(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("NVGraph"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(50, 50);
}

void ucNVGraph::DrawGraph(int& page)
{
    page = GraphClampPage(page, PageCount());
    m_page = page;
    DrawGraph();
}

void ucNVGraph::DrawGraph()
{
    m_page = GraphClampPage(m_page, PageCount());
    ++m_drawCount;
    update();
}

void ucNVGraph::AddGraphData(double& value, QString& name)
{
    m_values.push_back(value);
    m_names.push_back(name);
}

void ucNVGraph::ClearData()
{
    m_values.clear();
    m_names.clear();
    update();
}

void ucNVGraph::FillGraphTypeList(QComboBox* combo) const
{
    if (!combo)
        return;
    combo->clear();
    combo->addItems(GraphTypeNames());
}

void ucNVGraph::FillDataUnitList(QComboBox* combo) const
{
    if (!combo)
        return;
    combo->clear();
    combo->addItems(GraphDataUnitNames());
}

void ucNVGraph::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    Render(p, QRectF(rect()), m_page, logicalDpiY());
}

GraphPage ucNVGraph::PageGeometry(const QFontMetricsF& fm, const QRectF& area, int page, double dpi) const
{
    GraphPage pg;
    const double px = dpi / 96.0; // one screen pixel on this device
    const int n = int(m_values.size());
    GraphPageRange(n, m_maxCols, page, pg.first, pg.count);
    const double div = GraphUnitDivisor(int(m_unit));
    pg.values.reserve(pg.count);
    double widestName = 0;
    for (int i = pg.first; i < pg.first + pg.count; ++i) {
        pg.values.push_back(m_values[i] / div);
        widestName = std::max(widestName, fm.horizontalAdvance(m_names.value(i)));
    }
    const double lineH = fm.height();

    // The left margin holds the widest label of the value axis.
    const GraphScale sc0 = ComputeGraphLayout(area, pg.values, 0, 0, 0, 0).scale;
    double labelW = 0;
    for (double v : {sc0.axisMin, sc0.axisMax})
        labelW = std::max(labelW, fm.horizontalAdvance(GraphValueText(v)));
    for (double k = std::ceil(sc0.axisMin / sc0.step - 1e-9); k * sc0.step <= sc0.axisMax + sc0.step * 1e-9; k += 1)
        labelW = std::max(labelW, fm.horizontalAdvance(GraphValueText(k * sc0.step)));
    pg.leftMargin = labelW + 14 * px;
    const double top = lineH * (m_showValues ? 1.6 : 0.8) + 6 * px;
    const double right = 14 * px;
    // The bottom margin: at least as set, at least one line; names turned upright get the
    // room of the longest one, up to nearly half the area.
    double bottom = std::max(double(m_mgBottom) * dpi / 1440.0, lineH + 8 * px);
    if (m_rotate)
        bottom = std::max(bottom, std::min(widestName + 10 * px, area.height() * 0.45));
    pg.layout = ComputeGraphLayout(area, pg.values, pg.leftMargin, top, right, bottom);
    const GraphLayout& L = pg.layout;
    const GraphScale& sc = L.scale;
    const double span = sc.axisMax - sc.axisMin;
    auto yOf = [&](double v) { return L.plot.bottom() - (v - sc.axisMin) / span * L.plot.height(); };

    // Value axis: the multiples of the step, and the ends where they fall between two.
    QVector<double> values;
    for (double k = std::ceil(sc.axisMin / sc.step - 1e-9); k * sc.step <= sc.axisMax + sc.step * 1e-9; k += 1)
        values.push_back(std::abs(k) < 1e-12 ? 0.0 : k * sc.step);
    for (double end : {sc.axisMin, sc.axisMax}) {
        bool onTick = false;
        for (double v : values)
            onTick = onTick || std::abs(v - end) <= sc.step * 1e-9;
        if (!onTick)
            values.push_back(end);
    }
    std::sort(values.begin(), values.end());
    for (double v : values) {
        GraphTick t;
        t.value = v;
        t.y = yOf(v);
        t.box = QRectF(area.left(), t.y - lineH / 2, pg.leftMargin - 8 * px, lineH);
        pg.ticks.push_back(t);
    }
    // Where the steps lie closer than a line, every n-th multiple of the step is written,
    // counted from 0; an end between two multiples only where it keeps a line's height from
    // the written ones.
    const double stepH = sc.step / span * L.plot.height();
    const int everyTick = std::max(1, int(std::ceil(lineH / std::max(stepH, 1e-9) - 1e-9)));
    auto isEnd = [&](const GraphTick& t) { return std::abs(std::remainder(t.value, sc.step)) > sc.step * 1e-9; };
    for (GraphTick& t : pg.ticks)
        if (!isEnd(t))
            t.labelled = qint64(std::llround(t.value / sc.step)) % everyTick == 0;
    for (GraphTick& t : pg.ticks) {
        if (!isEnd(t))
            continue;
        for (const GraphTick& o : pg.ticks)
            if (&o != &t && o.labelled && std::abs(o.y - t.y) < lineH)
                t.labelled = false;
    }

    // Every text placed so far: a later one goes only where it covers none of them.
    QVector<QRectF> taken;
    for (const GraphTick& t : pg.ticks)
        if (t.labelled)
            taken.push_back(t.box);
    auto isFree = [&](const QRectF& r) {
        for (const QRectF& o : taken)
            if (o.intersects(r))
                return false;
        return true;
    };

    // Names under the columns. The names stand side by side every n-th column, each in the
    // room of n columns, centred on its own column; the rooms stay right of the value
    // axis. n is the least for which the usual name (half of the page's are no longer)
    // fits its room whole, or the room holds a dozen characters; a name longer than its room
    // is shortened at its end. Turned names need the room of one line across.
    if (pg.count > 0) {
        const double slotW = L.plot.width() / pg.count;
        const double gap = 6 * px;
        const int lines = std::max(1, int((bottom - 4 * px) / lineH));
        const int flags = Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap;
        // Whether a text fits a room of width w, broken between words onto at most n lines.
        auto fits = [&](const QString& text, double w, int n) {
            const QRectF used = fm.boundingRect(QRectF(0, 0, std::max(1.0, w), 1.0e6), flags, text);
            return used.width() <= w + 0.5 && used.height() <= n * lineH + 0.5;
        };
        // The name as it fits: whole, or as much of its beginning as fits with "…" after it.
        auto fitted = [&](const QString& name, double w, int n) {
            if (fits(name, w, n))
                return name;
            int lo = 0, hi = int(name.size()) - 1; // the longest beginning that fits lies in lo..hi
            auto shortened = [&](int k) {
                if (k > 0 && name.at(k - 1).isHighSurrogate())
                    --k;
                return name.left(k).trimmed() + QChar(0x2026);
            };
            while (lo < hi) {
                const int mid = (lo + hi + 1) / 2;
                if (fits(shortened(mid), w, n))
                    lo = mid;
                else
                    hi = mid - 1;
            }
            const QString s = shortened(lo);
            return s.size() > 1 && fits(s, w, n) ? s : QString();
        };
        int every = 1;
        if (m_rotate) {
            every = std::max(1, int(std::ceil(lineH / slotW - 1e-9)));
        } else {
            const double enough = 12 * fm.averageCharWidth();
            auto roomy = [&](int n) {
                const double w = n * slotW - gap;
                if (w >= enough)
                    return true;
                int whole = 0;
                for (int i = 0; i < pg.count; ++i)
                    whole += fits(m_names.value(pg.first + i), w, lines) ? 1 : 0;
                return 2 * whole >= pg.count;
            };
            int lo = 1, hi = pg.count;
            while (lo < hi) {
                const int mid = (lo + hi) / 2;
                if (roomy(mid))
                    hi = mid;
                else
                    lo = mid + 1;
            }
            every = lo;
        }
        // The first named column is the one whose room begins at the axis.
        const int firstNamed = std::min(pg.count - 1, every / 2);
        const double roomRight = area.right() - 1 * px;
        for (int i = firstNamed; i < pg.count; i += every) {
            const QRectF& col = L.columns[i];
            const QString name = m_names.value(pg.first + i);
            GraphNameLabel l;
            l.index = i;
            l.rotated = m_rotate;
            if (m_rotate) {
                l.box = QRectF(col.center().x() - lineH / 2, col.top() + 4 * px, lineH, bottom - 6 * px);
                l.text = fitted(name, l.box.height(), 1);
            } else {
                const double w = every * slotW - gap;
                const double left = std::max(col.center().x() - w / 2, L.plot.left());
                const double right = std::min(col.center().x() + w / 2, roomRight);
                l.box = QRectF(left, col.top() + 3 * px, right - left, lines * lineH);
                l.text = fitted(name, l.box.width(), lines);
            }
            if (l.text.isEmpty() || !area.contains(l.box) || !isFree(l.box))
                continue;
            pg.names.push_back(l);
            taken.push_back(l.box);
        }
    }

    // Values above their points; a negative bar's value under its end, or where that would
    // reach into the names, just above the zero line. A value that finds no free place in the
    // plot and the margin above it is left out.
    if (m_showValues) {
        const double lowest = L.plot.bottom() + 2 * px;
        for (int i = 0; i < pg.count; ++i) {
            GraphValueLabel v;
            v.index = i;
            v.text = GraphValueText(pg.values[i]);
            const double w = fm.horizontalAdvance(v.text) + 4 * px;
            if (w > area.right() - L.plot.left())
                continue;
            const double x = std::clamp(L.points[i].x() - w / 2, L.plot.left(), area.right() - w);
            QVector<double> tops;
            if (m_graphType == GraphLine)
                tops = {L.points[i].y() - lineH - 2 * px, L.points[i].y() + 2 * px};
            else if (pg.values[i] < 0)
                tops = {L.bars[i].bottom() + 2 * px, L.zeroY - lineH - 2 * px};
            else
                tops = {L.bars[i].top() - lineH - 2 * px};
            for (double y : tops) {
                const QRectF box(x, y, w, lineH);
                if (box.top() < area.top() || box.bottom() > lowest || !isFree(box))
                    continue;
                v.box = box;
                pg.valueLabels.push_back(v);
                taken.push_back(box);
                break;
            }
        }
    }
    return pg;
}

void ucNVGraph::Render(QPainter& p, const QRectF& area, int page, double dpi) const
{
    const double px = dpi / 96.0; // one screen pixel on this device
    p.save();
    p.fillRect(area, Qt::white);
    p.setPen(QPen(QColor(160, 160, 160), 1 * px));
    p.drawRect(area.adjusted(0, 0, -1 * px, -1 * px));

    if (m_values.isEmpty()) {
        p.setPen(Qt::darkGray);
        p.drawText(area, Qt::AlignCenter, QStringLiteral("자료가 없습니다."));
        p.restore();
        return;
    }

    const QFontMetricsF fm(p.font(), p.device());
    const GraphPage pg = PageGeometry(fm, area, page, dpi);
    const GraphLayout& L = pg.layout;
    const GraphScale& sc = L.scale;

    // Value axis: tick labels and, when wanted, horizontal lines.
    for (const GraphTick& t : pg.ticks) {
        if (m_horzLines && std::abs(t.value) > sc.step / 1000) {
            p.setPen(QPen(QColor(200, 200, 200), 1 * px, Qt::DashLine));
            p.drawLine(QPointF(L.plot.left(), t.y), QPointF(L.plot.right(), t.y));
        }
        if (t.labelled) {
            p.setPen(Qt::black);
            p.drawText(t.box, Qt::AlignRight | Qt::AlignVCenter, GraphValueText(t.value));
        }
    }
    p.setPen(QPen(Qt::black, 1 * px));
    p.drawLine(QPointF(L.plot.left(), L.plot.top()), QPointF(L.plot.left(), L.plot.bottom()));
    p.drawLine(QPointF(L.plot.left(), L.zeroY), QPointF(L.plot.right(), L.zeroY));
    if (L.zeroY < L.plot.bottom() - 0.5)
        p.drawLine(QPointF(L.plot.left(), L.plot.bottom()), QPointF(L.plot.right(), L.plot.bottom()));

    const QColor barColor = GraphColor(m_barColor);
    const QColor lineColor = GraphColor(m_lineColor);
    if (m_graphType != GraphLine) {
        for (const QRectF& b : L.bars) {
            if (m_barFill) {
                p.setPen(QPen(barColor.darker(130), 1 * px));
                p.setBrush(barColor);
            } else {
                p.setPen(QPen(barColor, 2 * px));
                p.setBrush(Qt::NoBrush);
            }
            p.drawRect(b);
        }
    }
    if (m_graphType == GraphLine || m_graphType == GraphBarsAndLine) {
        p.setPen(QPen(lineColor, 2 * px));
        p.setBrush(Qt::NoBrush);
        if (L.points.size() > 1)
            p.drawPolyline(L.points.constData(), int(L.points.size()));
        p.setBrush(lineColor);
        for (const QPointF& pt : L.points)
            p.drawEllipse(pt, 2.5 * px, 2.5 * px);
    }

    // Values at their points.
    p.setPen(Qt::black);
    for (const GraphValueLabel& v : pg.valueLabels)
        p.drawText(v.box, Qt::AlignCenter, v.text);

    // Names under the columns, across or turned upright.
    p.setPen(Qt::black);
    for (const GraphNameLabel& l : pg.names) {
        if (l.rotated) {
            p.save();
            // Turned a quarter to the left: the name ends just under the axis.
            p.translate(l.box.center().x(), l.box.top());
            p.rotate(-90);
            p.drawText(QRectF(-l.box.height(), -l.box.width() / 2, l.box.height(), l.box.width()),
                       Qt::AlignRight | Qt::AlignVCenter, l.text);
            p.restore();
        } else {
            p.drawText(l.box, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, l.text);
        }
    }
    p.restore();
}

bool ucNVGraph::PrintGraph(const QString& title)
{
    m_printError.clear();
    QPrinter printer(QPrinter::HighResolution);
    printer.setPageOrientation(QPageLayout::Landscape);
    printer.setDocName(title.isEmpty() ? QStringLiteral("Graph") : title);
    QPrintDialog dlg(&printer, window());
    dlg.setObjectName(QStringLiteral("PrintDialog"));
    dlg.setMinMax(1, PageCount());
    dlg.setOption(QAbstractPrintDialog::PrintPageRange, true);
    if (prompter().execModal(dlg) != QDialog::Accepted)
        return false;
    int from = 0, to = 0;
    if (dlg.printRange() == QAbstractPrintDialog::PageRange) {
        from = dlg.fromPage();
        to = dlg.toPage();
    }
    return PrintGraphTo(printer, title, from, to);
}

bool ucNVGraph::PrintGraphTo(QPrinter& printer, const QString& title, int fromPage, int toPage)
{
    m_printError.clear();
    const int pages = PageCount();
    int from = fromPage > 0 ? std::min(fromPage, pages) : 1;
    int to = toPage > 0 ? std::min(toPage, pages) : pages;
    if (to < from)
        std::swap(from, to);
    const bool printed = PaintOnPrinter(printer, [&](QPainter& p, QPagedPaintDevice& device, QString& error) {
        p.setRenderHint(QPainter::Antialiasing);
        const double dpi = device.logicalDpiX();
        const QRectF pageRect = device.pageLayout().paintRectPixels(int(dpi));
        const QRectF area(0, 0, pageRect.width(), pageRect.height());
        QFont titleFont = p.font();
        titleFont.setPointSizeF(titleFont.pointSizeF() > 0 ? titleFont.pointSizeF() * 1.6 : 16);
        titleFont.setBold(true);
        const QFont bodyFont = p.font();
        for (int page = from; page <= to; ++page) {
            if (page > from && !device.newPage()) {
                error = QStringLiteral("%1쪽을 인쇄하지 못했습니다.").arg(page);
                return false;
            }
            p.setFont(titleFont);
            const double titleH = QFontMetricsF(titleFont, &device).height() * 1.5;
            p.setPen(Qt::black);
            p.drawText(QRectF(area.left(), area.top(), area.width(), titleH), Qt::AlignCenter, title);
            p.setFont(bodyFont);
            const double footH = QFontMetricsF(bodyFont, &device).height() * 1.5;
            p.drawText(QRectF(area.left(), area.bottom() - footH, area.width(), footH), Qt::AlignCenter,
                       QStringLiteral("%1 / %2").arg(page).arg(pages));
            Render(p, QRectF(area.left(), area.top() + titleH, area.width(), area.height() - titleH - footH), page,
                   dpi);
        }
        return true;
    }, m_printError);
    return printed;
}

} // namespace platform
