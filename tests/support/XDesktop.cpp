#include "support/XDesktop.h"

#include <QApplication>
#include <QDebug>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QSize>
#include <QTest>
#include <QWidget>
#include <QWindow>
#include <dlfcn.h>
#include <functional>

namespace testsupport {

namespace {

// Processes events until cond holds and has held over a few rounds (the window manager
// sends several configure events in a row), or until the deadline.
bool settle(const std::function<bool()>& cond)
{
    QDeadlineTimer deadline(10000);
    int steady = 0;
    while (!deadline.hasExpired()) {
        QTest::qWait(20);
        steady = cond() ? steady + 1 : 0;
        if (steady >= 5)
            return true;
    }
    return false;
}

bool wmctrl(const QStringList& args)
{
    return QProcess::execute(QStringLiteral("wmctrl"), args) == 0;
}

QString windowId(QWidget* w)
{
    return QStringLiteral("0x%1").arg(quint64(w->winId()), 0, 16);
}

} // namespace

QRect frameOf(const QWidget* w)
{
    const QWindow* h = w->windowHandle();
    return h ? h->frameGeometry() : w->frameGeometry();
}

bool waitForFramed(QWidget* w)
{
    if (!QTest::qWaitForWindowExposed(w))
        return false;
    QRect last;
    return settle([w, &last] {
        const QRect frame = frameOf(w);
        const bool framed = frame.size() != w->geometry().size();
        const bool still = frame == last && w->geometry().topLeft() != QPoint();
        last = frame;
        return framed && still;
    });
}

bool moveByWindowManager(QWidget* w, const QPoint& pos)
{
    // Gravity 1 (north-west): the position is that of the frame's top-left corner.
    if (!wmctrl({QStringLiteral("-i"), QStringLiteral("-r"), windowId(w), QStringLiteral("-e"),
                 QStringLiteral("1,%1,%2,-1,-1").arg(pos.x()).arg(pos.y())}))
        return false;
    const bool ok = settle([w, pos] { return frameOf(w).topLeft() == pos; });
    if (!ok)
        qWarning() << "window at" << frameOf(w) << "inner" << w->geometry() << "wanted" << pos;
    return ok;
}

bool resizeByWindowManager(QWidget* w, const QSize& outer)
{
    // The size wmctrl gives is that of the inside: the frame's share is taken off first.
    const QSize extra = frameOf(w).size() - w->geometry().size();
    const QSize inner = outer - extra;
    if (!wmctrl({QStringLiteral("-i"), QStringLiteral("-r"), windowId(w), QStringLiteral("-e"),
                 QStringLiteral("1,-1,-1,%1,%2").arg(inner.width()).arg(inner.height())}))
        return false;
    return settle([w, outer] { return frameOf(w).size() == outer; });
}

namespace {

// The X library's calls used here, loaded when first needed: the programs link no X library
// of their own.
struct XLib {
    using FakeMotion = int (*)(Display*, int, int, int, unsigned long);
    using FakeButton = int (*)(Display*, unsigned int, int, unsigned long);
    using Sync = int (*)(Display*, int);
    using InternAtom = unsigned long (*)(Display*, const char*, int);
    using ChangeProperty = int (*)(Display*, unsigned long, unsigned long, unsigned long, int, int,
                                   const unsigned char*, int);
    FakeMotion motion = nullptr;
    FakeButton button = nullptr;
    Sync sync = nullptr;
    InternAtom internAtom = nullptr;
    ChangeProperty changeProperty = nullptr;
    Display* display = nullptr;

    static const XLib* get()
    {
        static XLib lib;
        static bool tried = false;
        if (!tried) {
            tried = true;
            void* xtst = dlopen("libXtst.so.6", RTLD_NOW);
            void* x11 = dlopen("libX11.so.6", RTLD_NOW);
            if (xtst && x11) {
                lib.motion = reinterpret_cast<FakeMotion>(dlsym(xtst, "XTestFakeMotionEvent"));
                lib.button = reinterpret_cast<FakeButton>(dlsym(xtst, "XTestFakeButtonEvent"));
                lib.sync = reinterpret_cast<Sync>(dlsym(x11, "XSync"));
                lib.internAtom = reinterpret_cast<InternAtom>(dlsym(x11, "XInternAtom"));
                lib.changeProperty = reinterpret_cast<ChangeProperty>(dlsym(x11, "XChangeProperty"));
            }
            auto* x = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
            lib.display = x ? x->display() : nullptr;
        }
        const bool complete = lib.motion && lib.button && lib.sync && lib.internAtom && lib.changeProperty
            && lib.display;
        return complete ? &lib : nullptr;
    }
};

// Sets the frame the window manager announces for the window (_NET_FRAME_EXTENTS).
bool announceFrame(QWidget* w, const QMargins& m)
{
    const XLib* x = XLib::get();
    if (!x)
        return false;
    const unsigned long cardinal = 6; // XA_CARDINAL
    const long extents[4] = {m.left(), m.right(), m.top(), m.bottom()};
    x->changeProperty(x->display, w->winId(), x->internAtom(x->display, "_NET_FRAME_EXTENTS", 0), cardinal, 32, 0,
                      reinterpret_cast<const unsigned char*>(extents), 4);
    x->sync(x->display, 0);
    return settle([w, m] { return w->windowHandle()->frameMargins() == m; });
}

} // namespace

bool leaveWidgetsFrameBehind(QWidget* w)
{
    if (!waitForFramed(w))
        return false;
    const QMargins frame = w->windowHandle()->frameMargins();
    const QPoint to = frameOf(w).topLeft() + QPoint(16, 12);
    if (!announceFrame(w, QMargins()))
        return false;
    const QPoint inner = w->geometry().topLeft() + QPoint(16, 12);
    if (!wmctrl({QStringLiteral("-i"), QStringLiteral("-r"), windowId(w), QStringLiteral("-e"),
                 QStringLiteral("1,%1,%2,-1,-1").arg(to.x()).arg(to.y())})
        || !settle([w, inner] { return w->geometry().topLeft() == inner; }))
        return false;
    if (!announceFrame(w, frame))
        return false;
    return w->frameGeometry() == w->geometry() && frameOf(w) == w->geometry().marginsAdded(frame);
}

bool clickWithPointer(const QPoint& screenPos)
{
    const XLib* x = XLib::get();
    if (!x)
        return false;
    const auto motion = x->motion;
    const auto button = x->button;
    const auto sync = x->sync;
    Display* display = x->display;
    motion(display, -1, screenPos.x(), screenPos.y(), 0);
    sync(display, 0);
    QTest::qWait(30);
    button(display, 1, 1, 0);
    sync(display, 0);
    QTest::qWait(30);
    button(display, 1, 0, 0);
    sync(display, 0);
    QTest::qWait(60); // the release is delivered and handled
    return true;
}

} // namespace testsupport
