#include "frame/modFormIni.h"

#include "frame/modFrmCtrl.h"
#include "frame/modMsgBox.h"
#include "platform/IniFile.h"
#include "platform/ProgramFolder.h"
#include "platform/SpreadGrid.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <cmath>

namespace {

const QString kPosition = QStringLiteral("FormPosition");

// What the old profile functions hand back through a ten-character buffer.
QString cutValue(const QString& raw)
{
    return raw.trimmed().left(9).trimmed();
}

QString readValue(const platform::IniFile& ini, const QString& section, const QString& key)
{
    return cutValue(ini.value(section, key));
}

QString singleText(double v)
{
    return QString::number(float(v), 'g', 7);
}

QString gridName(const platform::SpreadGrid* spr)
{
    if (!spr)
        return QString();
    return spr->Name().isEmpty() ? spr->objectName() : spr->Name();
}

bool writeValue(const QString& file, const QString& section, const QString& key, const QString& value,
                QString* error = nullptr)
{
    platform::IniFileLock lock(file);
    platform::IniFile ini(file);
    if (!lock.isLocked() || !ini.load()) {
        if (error)
            *error = QStringLiteral("Path/File access error");
        return false;
    }
    ini.setValue(section, key, value);
    if (!ini.save()) {
        if (error)
            *error = QStringLiteral("Path/File access error");
        return false;
    }
    return true;
}

// Pixels from twips, or false when the value cannot be a coordinate of this screen.
bool toPixels(double twips, double twipsPerPixel, int& px)
{
    const double v = twips / twipsPerPixel;
    if (!std::isfinite(v) || v > 1.0e6 || v < -1.0e6)
        return false;
    px = int(std::lround(v));
    return true;
}

void applySpreadIni(platform::SpreadGrid* spr, const platform::IniFile& ini, int iIndex)
{
    const QString prefix = SpreadIniPrefix(spr, iIndex);
    const QString colsSection = prefix + QStringLiteral("_ColsWidth");
    const int maxCols = spr->MaxCols();
    for (int c = 1; c <= maxCols; ++c) {
        double w = 0;
        if (IsNumericText(readValue(ini, colsSection, QString::number(c)), &w) && w >= 0 && w <= 10000)
            spr->SetColWidth(c, w);
    }
    const QString general = prefix + QStringLiteral("_General");
    const double fontSize = ValText(readValue(ini, general, QStringLiteral("FontSize")));
    if (fontSize > 0 && fontSize <= 1000) {
        spr->SetCol(-1);
        spr->SetRow(-1);
        spr->SetFontSize(fontSize);
        spr->SetRow(0);
        spr->SetFontSize(fontSize);
    }
    const double rowHeight = ValText(readValue(ini, general, QStringLiteral("RowHeight")));
    if (rowHeight > 0 && rowHeight <= 10000) {
        spr->SetRowHeight(-1, rowHeight);
        spr->SetRowHeight(0, rowHeight + 2);
    }
}

// A window that has not been shown yet does not know the size of its frame: the outer size
// read from the file is applied to the inside at first. Some window systems put the frame
// around the window at once when it is shown, others (X11 window managers) only a moment
// later. Once the frame is there, the inside is fitted so that the outer size is the stored
// one, and the frame is put at the stored position.
// A window opened maximised has its stored frame as its normal one, which the window manager
// gives back, framed anew, when the window is restored: that frame is fitted then (cut down
// to the screen where it is larger), over as many rounds as the window manager takes.
class OuterSizeFixer : public QObject {
public:
    OuterSizeFixer(QWidget* frm, bool fixWidth, bool fixHeight, bool fixPos, const QRect& outer)
        : QObject(frm), m_frm(frm), m_fixWidth(fixWidth), m_fixHeight(fixHeight), m_fixPos(fixPos), m_outer(outer)
    {
        frm->installEventFilter(this);
        SetFrameFitPending(frm, true); // fitted to the screen once this is done
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != m_frm)
            return false;
        switch (event->type()) {
        case QEvent::Show:
            m_shown = true;
            fitToFrame();
            break;
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::WindowActivate:
        case QEvent::WindowStateChange:
        case QEvent::Paint:
            if (m_shown)
                fitToFrame();
            break;
        case QEvent::Hide:
            if (m_shown)
                done(); // closed before any frame came: the window system draws none
            break;
        default:
            break;
        }
        return false;
    }

private:
    static bool ownSize(const QWidget* w)
    {
        return !(w->windowState() & (Qt::WindowMaximized | Qt::WindowMinimized | Qt::WindowFullScreen));
    }

    void fitToFrame()
    {
        const QSize extra = OuterGeometry(m_frm).size() - m_frm->geometry().size();
        if (extra.width() == 0 && extra.height() == 0)
            return; // no frame yet
        if (m_restoring) {
            fitRestored();
            return;
        }
        if (!ownSize(m_frm)) {
            m_restoring = true; // the stored frame is the normal one: fitted once restored
            m_maximised = inside();
            return;
        }
        done(); // once: the fitting below raises events of its own
        QSize size = m_frm->size();
        if (m_fixWidth)
            size.setWidth(qMax(0, size.width() - extra.width()));
        if (m_fixHeight)
            size.setHeight(qMax(0, size.height() - extra.height()));
        if (size != m_frm->size())
            m_frm->resize(size);
        if (m_fixPos && OuterGeometry(m_frm).topLeft() != m_outer.topLeft())
            MoveOuterTo(m_frm, m_outer.topLeft());
    }

    // The frame the restored window is to have: the stored one, cut down to the screen and
    // moved inside it where it is larger or reaches past an edge.
    QRect restoredFrame(const QRect& now, const QSize& extra) const
    {
        const QRect area = m_frm->screen() ? m_frm->screen()->availableGeometry() : QRect();
        QSize size(m_fixWidth ? m_outer.width() : now.width(), m_fixHeight ? m_outer.height() : now.height());
        QPoint pos = m_fixPos ? m_outer.topLeft() : now.topLeft();
        if (!area.isEmpty()) {
            size = ComputeFittingSize(size, m_frm->minimumSize() + extra, area);
            pos = ComputeInsidePosition(QRect(pos, size), area);
        }
        return QRect(pos, size);
    }

    // The frame the window manager has put around the window.
    QMargins frameMargins() const
    {
        const QWindow* h = m_frm->windowHandle();
        return h ? h->frameMargins() : QMargins();
    }

    // The inside as the window system last told it, as the frame is: the widget's copy lags
    // behind both for a moment while the window manager restores the window.
    QRect inside() const
    {
        const QWindow* h = m_frm->windowHandle();
        return h && h->handle() ? h->geometry() : m_frm->geometry();
    }

    // Whether the frame differs from the one wanted by no more than the window manager's frame
    // makes up (a frame told late, or the fitting answered in part); a larger difference is
    // the user's own move or resize.
    bool offByTheFrame(const QRect& now, const QRect& want) const
    {
        const QMargins m = frameMargins();
        const int w = m.left() + m.right(), h = m.top() + m.bottom();
        return qAbs(now.x() - want.x()) <= w && qAbs(now.y() - want.y()) <= h
            && qAbs(now.width() - want.width()) <= w && qAbs(now.height() - want.height()) <= h;
    }

    // Looks at the restored window once more when the window manager has settled: it may
    // frame a restored window anew a moment later and tell only the frame's new size.
    void verifyLater()
    {
        if (m_verifying)
            return;
        m_verifying = true;
        QTimer::singleShot(400, this, [this] {
            m_verifying = false;
            if (!m_fitted) {
                fitRestored(true);
                return;
            }
            const QRect now = OuterGeometry(m_frm);
            const QRect want = restoredFrame(now, now.size() - inside().size());
            if (ownSize(m_frm) && now != want && (frameMargins() != m_fittedMargins || offByTheFrame(now, want)))
                fitRestored(true, true);
            else
                done(); // as fitted, or as the user has made it since
        });
    }

    void fitRestored(bool settled = false, bool again = false)
    {
        if (!ownSize(m_frm)) {
            if (m_fitted)
                done(); // maximised again: the window manager keeps the frame fitted as the normal one
            else
                m_maximised = inside();
            return;
        }
        if (m_fitting)
            return;
        // Once fitted, the window is fitted again only to a new frame of the window manager's:
        // a move or resize under the same frame is the user's (or the window manager's answer
        // to the fitting itself).
        if (m_fitted && !again && frameMargins() == m_fittedMargins)
            return;
        // Restored in the program's eyes, the window may still have the maximised geometry and
        // frame until the window manager has restored it (or restore it to that geometry).
        if (!settled && !m_fitted && inside() == m_maximised) {
            verifyLater();
            return;
        }
        // The widget moves and resizes from its own copy of the geometry: fitted once that has
        // caught up with the window system (with an event of its own).
        if (!settled && m_frm->geometry() != inside()) {
            verifyLater();
            return;
        }
        const QRect now = OuterGeometry(m_frm);
        const QSize extra = now.size() - inside().size();
        const QRect want = restoredFrame(now, extra);
        m_fitted = true;
        m_fittedMargins = frameMargins();
        verifyLater();
        if (now == want)
            return;
        if (++m_rounds > 8) {
            done();
            return;
        }
        m_fitting = true;
        if (inside().size() != want.size() - extra)
            m_frm->resize(want.size() - extra);
        if (OuterGeometry(m_frm).topLeft() != want.topLeft())
            MoveOuterTo(m_frm, want.topLeft());
        m_fitting = false;
    }

    void done()
    {
        m_frm->removeEventFilter(this);
        SetFrameFitPending(m_frm, false);
        deleteLater();
    }

    QWidget* m_frm;
    bool m_fixWidth;
    bool m_fixHeight;
    bool m_fixPos;
    QRect m_outer; // the stored frame
    bool m_shown = false;
    bool m_restoring = false;
    QRect m_maximised; // the inside as the window manager last had it maximised
    bool m_fitting = false;
    int m_rounds = 0;
    bool m_verifying = false;
    bool m_fitted = false;     // fitted since it was restored
    QMargins m_fittedMargins; // the frame it was fitted to
};

// The stored outer size, where the file gives it (else that of fallback).
QSize storedOuterSize(const platform::IniFile& ini, double tx, double ty, QSize fallback)
{
    double v = 0;
    int px = 0;
    if (IsNumericText(readValue(ini, kPosition, QStringLiteral("Width")), &v) && toPixels(v, tx, px))
        fallback.setWidth(qMax(0, px));
    if (IsNumericText(readValue(ini, kPosition, QStringLiteral("Height")), &v) && toPixels(v, ty, px))
        fallback.setHeight(qMax(0, px));
    return fallback;
}

// Applies the stored size and state; tells which of width and height were applied.
void loadSizeAndState(QWidget* frm, const platform::IniFile& ini, double tx, double ty, bool& width, bool& height);

} // namespace

bool IsNumericText(const QString& text, double* value)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    bool ok = false;
    const double v = QLocale::c().toDouble(t, &ok);
    if (!ok || !std::isfinite(v))
        return false;
    if (value)
        *value = v;
    return true;
}

double ValText(const QString& text)
{
    // The longest leading part that reads as a number (blanks skipped), as the runtime's Val.
    QString t = text;
    t.remove(QLatin1Char(' '));
    t.remove(QLatin1Char('\t'));
    int end = 0;
    if (end < t.size() && (t[end] == QLatin1Char('+') || t[end] == QLatin1Char('-')))
        ++end;
    bool digits = false;
    while (end < t.size() && t[end].isDigit() && t[end].unicode() < 128) { ++end; digits = true; }
    if (end < t.size() && t[end] == QLatin1Char('.')) {
        ++end;
        while (end < t.size() && t[end].isDigit() && t[end].unicode() < 128) { ++end; digits = true; }
    }
    if (!digits)
        return 0;
    if (end < t.size() && (t[end] == QLatin1Char('e') || t[end] == QLatin1Char('E'))) {
        int e = end + 1;
        if (e < t.size() && (t[e] == QLatin1Char('+') || t[e] == QLatin1Char('-')))
            ++e;
        const int expStart = e;
        while (e < t.size() && t[e].isDigit() && t[e].unicode() < 128)
            ++e;
        if (e > expStart)
            end = e;
    }
    const double v = QLocale::c().toDouble(t.left(end));
    return std::isfinite(v) ? v : 0;
}

QString FormIniFile(const QString& sFormName, const QString& sSuffix)
{
    return platform::programPath(QStringLiteral("FormIni") + QDir::separator() + sFormName + sSuffix
                                 + QStringLiteral(".ini"));
}

QString SpreadIniPrefix(const platform::SpreadGrid* spr, int iIndex)
{
    QString prefix = gridName(spr);
    if (iIndex > -1)
        prefix += QLatin1Char('_') + QString::number(iIndex);
    return prefix;
}

QString ReadIniValue(const QString& sFile, const QString& sSection, const QString& sKey)
{
    platform::IniFile ini(sFile);
    ini.load();
    return readValue(ini, sSection, sKey);
}

void LoadFormIni(QWidget* frm, bool bNoSize, const QString& sSuffix)
{
    if (!frm)
        return;
    const QString file = FormIniFile(FormName(frm), sSuffix);
    if (!QFileInfo::exists(file))
        return;
    platform::IniFile ini(file);
    if (!ini.load())
        return;

    const double tx = TwipsPerPixelX();
    const double ty = TwipsPerPixelY();
    QRect outer = OuterGeometry(frm);
    bool moved = false;
    double v = 0;
    int px = 0;
    if (IsNumericText(readValue(ini, kPosition, QStringLiteral("Left")), &v) && v > 0 && toPixels(v, tx, px)) {
        outer.moveLeft(px);
        moved = true;
    }
    if (IsNumericText(readValue(ini, kPosition, QStringLiteral("Top")), &v) && v > 0 && toPixels(v, ty, px)) {
        outer.moveTop(px);
        moved = true;
    }
    if (!bNoSize)
        outer.setSize(storedOuterSize(ini, tx, ty, outer.size()));
    if (moved) {
        // A frame stored on another screen, or one reaching past this screen's edge, is moved
        // inside the screen, as far as the screen has room for it.
        QScreen* screen = QGuiApplication::screenAt(outer.center());
        if (!screen)
            screen = QGuiApplication::screenAt(outer.topLeft());
        if (!screen)
            screen = frm->screen();
        if (screen) {
            const QRect area = screen->availableGeometry();
            outer.moveTopLeft(ComputeInsidePosition(QRect(outer.topLeft(), outer.size().boundedTo(area.size())), area));
        }
        MoveOuterTo(frm, outer.topLeft());
    }
    bool width = false;
    bool height = false;
    if (!bNoSize)
        loadSizeAndState(frm, ini, tx, ty, width, height);
    const bool frameKnown = OuterGeometry(frm).size() != frm->geometry().size();
    if ((moved || width || height) && frm->isWindow() && !frm->isVisible() && !frameKnown)
        new OuterSizeFixer(frm, width, height, moved, outer);

    const QList<platform::SpreadGrid*> grids = frm->findChildren<platform::SpreadGrid*>();
    for (platform::SpreadGrid* spr : grids)
        if (spr->window() == frm->window())
            applySpreadIni(spr, ini, spr->Index());
}

namespace {

void loadSizeAndState(QWidget* frm, const platform::IniFile& ini, double tx, double ty, bool& width, bool& height)
{
    double v = 0;
    int px = 0;
    // Width and Height are the outer size; the frame's share is taken off for resize().
    const QSize frameExtra = OuterGeometry(frm).size() - frm->geometry().size();
    QSize size = frm->size();
    if (IsNumericText(readValue(ini, kPosition, QStringLiteral("Width")), &v) && toPixels(v, tx, px)) {
        size.setWidth(qMax(0, px - frameExtra.width()));
        width = true;
    }
    if (IsNumericText(readValue(ini, kPosition, QStringLiteral("Height")), &v) && toPixels(v, ty, px)) {
        size.setHeight(qMax(0, px - frameExtra.height()));
        height = true;
    }
    if (width || height)
        frm->resize(size.boundedTo(QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX)));
    // A state out of the three (a number written into the file by hand) is skipped as any
    // other value that is no state.
    if (IsNumericText(readValue(ini, kPosition, QStringLiteral("WindowState")), &v) && v > -1.0 && v < 3.0) {
        const int wanted = int(v);
        const Qt::WindowStates now = frm->windowState();
        const int present = now.testFlag(Qt::WindowMinimized) ? 1 : now.testFlag(Qt::WindowMaximized) ? 2 : 0;
        if (wanted != present && wanted >= 0 && wanted <= 2) {
            Qt::WindowStates s = now & ~(Qt::WindowMinimized | Qt::WindowMaximized);
            if (wanted == 1)
                s |= Qt::WindowMinimized;
            else if (wanted == 2)
                s |= Qt::WindowMaximized;
            frm->setWindowState(s);
        }
    }
}

} // namespace

void LoadSpreadIni(platform::SpreadGrid* spr, const QString& sFile, int iIndex)
{
    if (!spr || !QFileInfo::exists(sFile))
        return;
    platform::IniFile ini(sFile);
    if (!ini.load())
        return;
    applySpreadIni(spr, ini, iIndex);
}

void SaveFormIni(QWidget* frm, const QString& sSuffix)
{
    if (!frm || !frm->isVisible())
        return;
    const Qt::WindowStates state = frm->windowState();
    if (state.testFlag(Qt::WindowMinimized))
        return;
    const bool maximised = state.testFlag(Qt::WindowMaximized);
    const QString file = FormIniFile(FormName(frm), sSuffix);
    platform::IniFileLock lock(file);
    platform::IniFile ini(file);
    if (!lock.isLocked() || !ini.load())
        return;
    ini.setValue(kPosition, QStringLiteral("WindowState"), QString::number(maximised ? 2 : 0));
    if (!maximised) {
        const QRect outer = OuterGeometry(frm);
        const double tx = TwipsPerPixelX();
        const double ty = TwipsPerPixelY();
        ini.setValue(kPosition, QStringLiteral("Left"), singleText(outer.x() * tx));
        ini.setValue(kPosition, QStringLiteral("Top"), singleText(outer.y() * ty));
        ini.setValue(kPosition, QStringLiteral("Width"), singleText(outer.width() * tx));
        ini.setValue(kPosition, QStringLiteral("Height"), singleText(outer.height() * ty));
    }
    ini.save();
}

void SaveSpreadColWidth(QWidget* frm, platform::SpreadGrid* spr, int lCol, const QString& sSuffix, int iIndex)
{
    if (!frm || !spr || !spr->Visible())
        return;
    writeValue(FormIniFile(FormName(frm), sSuffix), SpreadIniPrefix(spr, iIndex) + QStringLiteral("_ColsWidth"),
               QString::number(lCol), QString::number(spr->ColWidth(lCol)));
}

void SaveSpreadIni_Gn(QWidget* frm, platform::SpreadGrid* spr, const QString& sKey, const QString& sValue,
                      const QString& sSuffix)
{
    if (!frm || !spr)
        return;
    QString error;
    if (!writeValue(FormIniFile(FormName(frm), sSuffix), SpreadIniPrefix(spr, spr->Index()) + QStringLiteral("_General"),
                    sKey, sValue, &error))
        ShowProcError(75, error, QStringLiteral("SaveSpreadIni_Gn"), QStringLiteral("Module"),
                      QStringLiteral("modFormIni"));
}

void DelFormIni(const QString& sName)
{
    QFile f(FormIniFile(sName));
    if (!f.exists())
        return;
    if (!f.remove())
        ShowProcError(75, f.errorString(), QStringLiteral("DelFormIni"), QStringLiteral("Module"),
                      QStringLiteral("modFormIni"));
}
