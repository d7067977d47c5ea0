#pragma once
#include <QColor>
#include <QRectF>
#include <QString>
#include <QStringList>
#include <QVector>
#include <QWidget>

class QComboBox;
class QFontMetricsF;
class QPainter;
class QPrinter;

namespace platform {

// ---- The drawing rules of the graph control, free of any widget.

// Graph types (list position of FillGraphTypeList) and data units (FillDataUnitList).
enum GraphTypeKind : int { GraphBars = 0, GraphLine = 1, GraphBarsAndLine = 2 };
QStringList GraphTypeNames();
QStringList GraphDataUnitNames();
// The number the values are divided by for a data unit (1 for an unknown one).
double GraphUnitDivisor(int dataUnit);

// Pages: maxCols points per page (below 1 counts as 1); at least one page, also without points.
int GraphPageCount(int dataCount, int maxCols);
// The page within 1 .. pageCount.
int GraphClampPage(int page, int pageCount);
// The points of a page: first index and how many (0 for a page without points).
void GraphPageRange(int dataCount, int maxCols, int page, int& first, int& count);

// The value axis from axisMin to axisMax, with ticks at the multiples of step; 0 always lies
// on it. A side that reaches less than one step past 0 ends at a round number just past its
// extreme value, not a whole step away.
struct GraphScale {
    double axisMin = 0;
    double axisMax = 1;
    double step = 1;
};
// A scale of about `ticks` steps of 1, 2, 2.5 or 5 times a power of ten around lo..hi.
// Whole values get whole steps.
GraphScale GraphNiceScale(double lo, double hi, bool wholeValues, int ticks = 5);

// Where the pieces of one page go inside an area (device pixels).
struct GraphLayout {
    QRectF plot;              // the plotting area (axis on its left edge)
    GraphScale scale;
    double zeroY = 0;         // y of the value 0
    QVector<QRectF> columns;   // one column per point, as wide as the plot / points on the page
    QVector<QRectF> bars;     // bar of each point (between zeroY and its value)
    QVector<QPointF> points;  // line point of each point (column centre at its value)
};
// values are the page's values after the data unit; the margins are in device pixels.
GraphLayout ComputeGraphLayout(const QRectF& area, const QVector<double>& values, double leftMargin,
                               double topMargin, double rightMargin, double bottomMargin);

// A tick of the value axis: its value, its height, and whether its value is written beside
// it, in box. Where the ticks lie closer than a line, only every n-th multiple of the step
// is written (0 always); an axis end between two multiples only where it keeps a line's
// height from the written ones.
struct GraphTick {
    double value = 0;
    double y = 0;
    bool labelled = true;
    QRectF box;
};
// A name under its column: index within the page, the box it is written in (for a turned
// name the box stands upright) and the text: the whole name, or, where that does not fit
// the box, its beginning followed by "…".
struct GraphNameLabel {
    int index = 0;
    QRectF box;
    QString text;
    bool rotated = false;
};
// A value written at its point: index within the page, the box and the text.
struct GraphValueLabel {
    int index = 0;
    QRectF box;
    QString text;
};
// One page as it is drawn: its points, the layout, the value axis and the names.
struct GraphPage {
    int first = 0;
    int count = 0;
    QVector<double> values; // after the data unit
    GraphLayout layout;
    double leftMargin = 0;
    QVector<GraphTick> ticks;
    QVector<GraphNameLabel> names;
    QVector<GraphValueLabel> valueLabels; // only when the values are shown
};

// A value as shown on the graph: thousands separators, up to two decimals.
QString GraphValueText(double v);
// Colours are 24-bit with red in the low byte.
QColor GraphColor(long c);

// ---- The graph control: draws, pages and prints the points given to it.
class ucNVGraph : public QWidget {
    Q_OBJECT
public:
    explicit ucNVGraph(QWidget* parent = nullptr);

    // Properties (readable P(), writable SetP(v)).
    bool RotateLabels() const { return m_rotate; }
    void SetRotateLabels(bool v) { m_rotate = v; }
    long DataUnit() const { return m_unit; }
    void SetDataUnit(long v) { m_unit = v; }
    bool BarFill() const { return m_barFill; }
    void SetBarFill(bool v) { m_barFill = v; }
    long LineColor() const { return m_lineColor; }
    void SetLineColor(long v) { m_lineColor = v; }
    long BarColor() const { return m_barColor; }
    void SetBarColor(long v) { m_barColor = v; }
    bool HorzLines() const { return m_horzLines; }
    void SetHorzLines(bool v) { m_horzLines = v; }
    bool ShowValues() const { return m_showValues; }
    void SetShowValues(bool v) { m_showValues = v; }
    long MGBottom() const { return m_mgBottom; } // the bottom margin (labels) in twips
    void SetMGBottom(long v) { m_mgBottom = v; }
    long GraphType() const { return m_graphType; }
    void SetGraphType(long v) { m_graphType = v; }
    int MaxCols() const { return m_maxCols; }
    void SetMaxCols(int v) { m_maxCols = v; }

    // Draws the given page (clamped to the page count and handed back clamped), or the page
    // drawn last when no page is given.
    void DrawGraph(int& page);
    void DrawGraph();
    // Appends one point at the end.
    void AddGraphData(double& value, QString& name);
    void ClearData();
    long DataCount() const { return long(m_values.size()); }
    int PageCount() const { return GraphPageCount(int(m_values.size()), m_maxCols); }
    // Asks for the printer (a modal question through the prompt seam) and prints every page
    // of the graph under the title. False when the user cancelled or the print failed
    // (PrintError() says why; it is empty after a cancel).
    bool PrintGraph(const QString& title);
    // Prints to a printer already chosen: pages fromPage..toPage (0, 0: all). A PDF file is
    // put in place only when it was written whole; an older file of that name is kept
    // otherwise. False when the print could not be begun or written (PrintError() says why).
    bool PrintGraphTo(QPrinter& printer, const QString& title, int fromPage = 0, int toPage = 0);
    QString PrintError() const { return m_printError; }
    void FillGraphTypeList(QComboBox* combo) const;
    void FillDataUnitList(QComboBox* combo) const;

    int CurrentPage() const { return m_page; }
    double Value(int index) const { return m_values.value(index); }
    QString Name(int index) const { return m_names.value(index); }
    int DrawCount() const { return m_drawCount; } // how often a draw was asked for

    // Draws one page into an area of any paint device (screen, printer, image).
    void Render(QPainter& p, const QRectF& area, int page, double dpi) const;
    // Where everything of a page goes, for the font of the device. The bottom margin holds
    // the names: at least MGBottom, and for names turned upright as tall as the longest
    // name (up to nearly half the area). Where the usual name (or, for turned names, a
    // line) does not fit one column, only every n-th column is named, each name given the
    // room of n columns; a name longer than its room is shortened at its end. No text
    // covers another or runs past the area: a value that finds no free place is left out.
    GraphPage PageGeometry(const QFontMetricsF& fm, const QRectF& area, int page, double dpi) const;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    QVector<double> m_values;
    QStringList m_names;
    bool m_rotate = false;
    long m_unit = 0;
    bool m_barFill = true;
    long m_lineColor = 0xFF0000;
    long m_barColor = 0x0000FF;
    bool m_horzLines = true;
    bool m_showValues = false;
    long m_mgBottom = 500;
    long m_graphType = GraphBars;
    int m_maxCols = 50;
    int m_page = 1;
    int m_drawCount = 0;
    QString m_printError;
};

} // namespace platform
