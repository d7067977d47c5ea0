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

void ucNVGraph::Render(QPainter& p, const QRectF& area, int page, double dpi) const
{
    const double px = dpi / 96.0; // one screen pixel on this device
    p.save();
    p.fillRect(area, Qt::white);
    p.setPen(QPen(QColor(160, 160, 160), 1 * px));
    p.drawRect(area.adjusted(0, 0, -1 * px, -1 * px));

    const int n = int(m_values.size());
    if (n == 0) {
        p.setPen(Qt::darkGray);
        p.drawText(area, Qt::AlignCenter, QStringLiteral("자료가 없습니다."));
        p.restore();
        return;
    }

    int first = 0, count = 0;
    GraphPageRange(n, m_maxCols, page, first, count);
    const double div = GraphUnitDivisor(int(m_unit));
    QVector<double> vals;
    vals.reserve(count);
    for (int i = first; i < first + count; ++i)
        vals.push_back(m_values[i] / div);

    const QFontMetricsF fm(p.font(), p.device());
    const double lineH = fm.height();

    // The left margin holds the widest label of the value axis.
    const GraphScale sc0 = ComputeGraphLayout(area, vals, 0, 0, 0, 0).scale;
    double labelW = 0;
    for (double v = sc0.axisMin; v <= sc0.axisMax + sc0.step / 2; v += sc0.step)
        labelW = std::max(labelW, fm.horizontalAdvance(GraphValueText(v)));
    const double left = labelW + 14 * px;
    const double top = lineH * (m_showValues ? 1.6 : 0.8) + 6 * px;
    const double right = 14 * px;
    const double bottom = std::max(double(m_mgBottom) * dpi / 1440.0, lineH + 8 * px);
    const GraphLayout L = ComputeGraphLayout(area, vals, left, top, right, bottom);
    const GraphScale& sc = L.scale;
    const double span = sc.axisMax - sc.axisMin;

    // Value axis: tick labels and, when wanted, horizontal lines.
    for (double v = sc.axisMin; v <= sc.axisMax + sc.step / 2; v += sc.step) {
        const double y = L.plot.bottom() - (v - sc.axisMin) / span * L.plot.height();
        if (m_horzLines && std::abs(v) > sc.step / 1000) {
            p.setPen(QPen(QColor(200, 200, 200), 1 * px, Qt::DashLine));
            p.drawLine(QPointF(L.plot.left(), y), QPointF(L.plot.right(), y));
        }
        p.setPen(Qt::black);
        p.drawText(QRectF(area.left(), y - lineH / 2, left - 8 * px, lineH), Qt::AlignRight | Qt::AlignVCenter,
                   GraphValueText(v));
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
        for (int i = 0; i < count; ++i) {
            const QString t = GraphValueText(vals[i]);
            const double w = fm.horizontalAdvance(t) + 4 * px;
            const QPointF& pt = L.points[i];
            const bool below = vals[i] < 0 && m_graphType != GraphLine;
            const double y = below ? L.bars[i].bottom() + 2 * px : pt.y() - lineH - 2 * px;
            p.drawText(QRectF(pt.x() - w / 2, y, w, lineH), Qt::AlignCenter, t);
        }
    }

    // Names under the columns, across or turned upright.
    p.setPen(Qt::black);
    for (int i = 0; i < count; ++i) {
        const QRectF& s = L.columns[i];
        const QString name = m_names.value(first + i);
        if (m_rotate) {
            const double room = s.height() - 6 * px;
            const QString t = fm.elidedText(name, Qt::ElideRight, room);
            p.save();
            p.translate(s.center().x(), s.top() + 4 * px);
            p.rotate(-90);
            // x now runs upwards from the axis; text ends just under the axis.
            p.drawText(QRectF(-room, -lineH / 2, room, lineH), Qt::AlignRight | Qt::AlignVCenter, t);
            p.restore();
        } else {
            // A name wider than its column wraps onto as many lines as the margin holds.
            const QRectF box(s.left() + 1 * px, s.top() + 3 * px, s.width() - 2 * px, s.height() - 4 * px);
            const int lines = std::max(1, int(box.height() / lineH));
            const QRectF need = fm.boundingRect(box, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWrapAnywhere, name);
            p.save();
            p.setClipRect(QRectF(box.left(), box.top(), box.width(), lines * lineH));
            if (need.height() <= lines * lineH + 0.5)
                p.drawText(box, Qt::AlignHCenter | Qt::AlignTop | Qt::TextWrapAnywhere, name);
            else
                p.drawText(QRectF(box.left(), box.top(), box.width(), lineH), Qt::AlignHCenter | Qt::AlignTop,
                           fm.elidedText(name, Qt::ElideRight, box.width()));
            p.restore();
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
