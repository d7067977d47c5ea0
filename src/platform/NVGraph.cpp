#include "platform/NVGraph.h"

#include "platform/Prompter.h"

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
        pg.ticks.push_back(t);
    }
    // An end between two ticks is written only where it keeps a line's height from the next.
    for (int i = 0; i < pg.ticks.size(); ++i) {
        GraphTick& t = pg.ticks[i];
        const bool end = std::abs(std::remainder(t.value, sc.step)) > sc.step * 1e-9;
        if (!end)
            continue;
        for (int j = 0; j < pg.ticks.size(); ++j)
            if (j != i && std::abs(pg.ticks[j].y - t.y) < lineH)
                t.labelled = false;
    }

    // Names under the columns. Where the widest name does not fit one column, only every
    // n-th column is named, each name given the room of n columns (turned names: the room
    // of one line across).
    if (pg.count > 0) {
        const double slotW = L.plot.width() / pg.count;
        const double gap = 6 * px;
        const double need = m_rotate ? lineH : widestName + gap;
        // Names that fit their column across, perhaps broken between words onto the lines
        // the margin holds, are all shown.
        bool wrapFits = !m_rotate;
        if (!m_rotate) {
            const double bandH = bottom - 4 * px;
            const int lines = std::max(1, int(bandH / lineH));
            for (int i = 0; i < pg.count && wrapFits; ++i) {
                const QString name = m_names.value(pg.first + i);
                const QRectF box(0, 0, std::max(1.0, slotW - 2 * px), 1.0e6);
                const QRectF used = fm.boundingRect(box, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, name);
                wrapFits = used.height() <= lines * lineH + 0.5 && used.width() <= box.width() + 0.5;
            }
        }
        const int every = wrapFits ? 1 : std::max(1, int(std::ceil(need / slotW - 1e-9)));
        for (int i = 0; i < pg.count; i += every) {
            const QRectF& col = L.columns[i];
            GraphNameLabel l;
            l.index = i;
            l.text = m_names.value(pg.first + i);
            l.rotated = m_rotate;
            if (m_rotate) {
                const double h = bottom - 6 * px;
                l.box = QRectF(col.center().x() - lineH / 2, col.top() + 4 * px, lineH, h);
            } else if (wrapFits) {
                l.box = QRectF(col.left() + 1 * px, col.top() + 3 * px, col.width() - 2 * px, bottom - 4 * px);
            } else {
                const double w = every * slotW - gap;
                double x = col.center().x() - w / 2;
                x = std::clamp(x, area.left(), std::max(area.left(), area.right() - w));
                l.box = QRectF(x, col.top() + 3 * px, w, lineH);
            }
            // A name that would run past the area's lower edge or into the previous one is left out.
            if (!area.contains(l.box))
                continue;
            if (!pg.names.isEmpty() && pg.names.last().box.intersects(l.box))
                continue;
            pg.names.push_back(l);
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
    const double lineH = fm.height();
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
            p.drawText(QRectF(area.left(), t.y - lineH / 2, pg.leftMargin - 8 * px, lineH),
                       Qt::AlignRight | Qt::AlignVCenter, GraphValueText(t.value));
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

    // Values above (or, for negative values, below) their point.
    if (m_showValues) {
        p.setPen(Qt::black);
        for (int i = 0; i < pg.count; ++i) {
            const QString t = GraphValueText(pg.values[i]);
            const double w = fm.horizontalAdvance(t) + 4 * px;
            const QPointF& pt = L.points[i];
            const bool below = pg.values[i] < 0 && m_graphType != GraphLine;
            const double y = below ? L.bars[i].bottom() + 2 * px : pt.y() - lineH - 2 * px;
            p.drawText(QRectF(pt.x() - w / 2, y, w, lineH), Qt::AlignCenter, t);
        }
    }

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
    const int pages = PageCount();
    int from = fromPage > 0 ? std::min(fromPage, pages) : 1;
    int to = toPage > 0 ? std::min(toPage, pages) : pages;
    if (to < from)
        std::swap(from, to);
    QPainter p;
    if (!p.begin(&printer))
        return false;
    p.setRenderHint(QPainter::Antialiasing);
    const double dpi = printer.resolution();
    const QRectF pageRect = printer.pageLayout().paintRectPixels(printer.resolution());
    const QRectF area(0, 0, pageRect.width(), pageRect.height());
    QFont titleFont = p.font();
    titleFont.setPointSizeF(titleFont.pointSizeF() > 0 ? titleFont.pointSizeF() * 1.6 : 16);
    titleFont.setBold(true);
    const QFont bodyFont = p.font();
    for (int page = from; page <= to; ++page) {
        if (page > from)
            printer.newPage();
        p.setFont(titleFont);
        const double titleH = QFontMetricsF(titleFont, &printer).height() * 1.5;
        p.setPen(Qt::black);
        p.drawText(QRectF(area.left(), area.top(), area.width(), titleH), Qt::AlignCenter, title);
        p.setFont(bodyFont);
        const double footH = QFontMetricsF(bodyFont, &printer).height() * 1.5;
        p.drawText(QRectF(area.left(), area.bottom() - footH, area.width(), footH), Qt::AlignCenter,
                   QStringLiteral("%1 / %2").arg(page).arg(pages));
        Render(p, QRectF(area.left(), area.top() + titleH, area.width(), area.height() - titleH - footH), page,
               dpi);
    }
    p.end();
    return true;
}

} // namespace platform
