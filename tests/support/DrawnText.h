#pragma once
// What a widget draws as text: the widget is rendered onto a recording device that keeps
// each text run with the place it is drawn at (in the widget's coordinates) and its font,
// so that a test can check what a user sees without reading pixels.
#include <QFontMetricsF>
#include <QList>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPainter>
#include <QRectF>
#include <QString>
#include <QWidget>
#include <QStringList>
#include <algorithm>
#include <climits>
#include <cmath>

namespace testsupport {

struct DrawnTextRun {
    QString text;
    QRectF box;    // where the run lies: from its left end to its right end, font ascent to descent
    QRectF clip;   // the painter's clip at the time (empty: none)
};

class DrawnTextDevice : public QPaintDevice {
public:
    explicit DrawnTextDevice(const QSize& size) : m_size(size), m_engine(this) {}
    QList<DrawnTextRun> runs;

    QPaintEngine* paintEngine() const override { return const_cast<Engine*>(&m_engine); }

protected:
    int metric(PaintDeviceMetric m) const override
    {
        switch (m) {
        case PdmWidth: return m_size.width();
        case PdmHeight: return m_size.height();
        case PdmWidthMM: return m_size.width() * 254 / 960;
        case PdmHeightMM: return m_size.height() * 254 / 960;
        case PdmNumColors: return INT_MAX;
        case PdmDepth: return 32;
        case PdmDpiX: case PdmDpiY: case PdmPhysicalDpiX: case PdmPhysicalDpiY: return 96;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return int(QPaintDevice::devicePixelRatioFScale());
        default: return 0;
        }
    }

private:
    class Engine : public QPaintEngine {
    public:
        explicit Engine(DrawnTextDevice* dev) : QPaintEngine(QPaintEngine::AllFeatures), m_dev(dev) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState&) override {}
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawImage(const QRectF&, const QImage&, const QRectF&, Qt::ImageConversionFlags) override {}
        void drawRects(const QRectF*, int) override {}
        void drawRects(const QRect*, int) override {}
        void drawLines(const QLineF*, int) override {}
        void drawLines(const QLine*, int) override {}
        void drawEllipse(const QRectF&) override {}
        void drawPath(const QPainterPath&) override {}
        void drawPoints(const QPointF*, int) override {}
        void drawPolygon(const QPointF*, int, PolygonDrawMode) override {}
        void drawTextItem(const QPointF& p, const QTextItem& ti) override
        {
            const QTransform t = painter()->deviceTransform();
            const QFontMetricsF fm(ti.font());
            const QRectF local(p.x(), p.y() - fm.ascent(), ti.width(), fm.ascent() + fm.descent());
            DrawnTextRun run{ti.text(), t.mapRect(local), QRectF()};
            if (painter()->hasClipping())
                run.clip = t.mapRect(painter()->clipBoundingRect());
            m_dev->runs << run;
        }
        Type type() const override { return QPaintEngine::User; }

    private:
        DrawnTextDevice* m_dev;
    };
    QSize m_size;
    Engine m_engine;
};

// The texts drawn on the line of run at (the runs whose middle lies at its height), left to right.
inline QStringList textsOnLineOf(const QList<DrawnTextRun>& runs, const DrawnTextRun& at)
{
    QList<DrawnTextRun> line;
    for (const auto& o : runs)
        if (std::abs(o.box.center().y() - at.box.center().y()) < 1)
            line << o;
    std::sort(line.begin(), line.end(), [](const auto& a, const auto& b) { return a.box.left() < b.box.left(); });
    QStringList texts;
    for (const auto& o : line)
        texts << o.text;
    return texts;
}

// The text runs widget w draws (its children left out), in w's coordinates.
inline QList<DrawnTextRun> drawnText(QWidget* w)
{
    DrawnTextDevice dev(w->size());
    w->render(&dev, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    return dev.runs;
}

// The runs whose middle lies inside rect.
inline QList<DrawnTextRun> runsIn(const QList<DrawnTextRun>& runs, const QRect& rect)
{
    QList<DrawnTextRun> out;
    for (const auto& r : runs)
        if (QRectF(rect).contains(r.box.center()))
            out << r;
    return out;
}

// The first fault among texts that are to stand apart inside a rectangle: a run reaching
// past it, or two runs lying over each other (by more than half a pixel). Empty: none.
inline QString firstOverlap(const QList<DrawnTextRun>& runs, const QRectF& within)
{
    const QRectF room = within.adjusted(-0.5, -0.5, 0.5, 0.5);
    for (int i = 0; i < runs.size(); ++i) {
        const QRectF a = runs[i].box;
        if (!room.contains(a))
            return QStringLiteral("\"%1\" runs past the edge").arg(runs[i].text);
        for (int j = i + 1; j < runs.size(); ++j) {
            const QRectF b = runs[j].box;
            if (a.adjusted(0.5, 0.5, -0.5, -0.5).intersects(b.adjusted(0.5, 0.5, -0.5, -0.5)))
                return QStringLiteral("\"%1\" lies over \"%2\"").arg(runs[i].text, runs[j].text);
        }
    }
    return QString();
}

} // namespace testsupport
