#include "support/XDesktop.h"

#include <QApplication>
#include <QDebug>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QProcess>
#include <QSize>
#include <QTest>
#include <QWidget>
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

bool waitForFramed(QWidget* w)
{
    if (!QTest::qWaitForWindowExposed(w))
        return false;
    QRect last;
    return settle([w, &last] {
        const QRect frame = w->frameGeometry();
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
    const bool ok = settle([w, pos] { return w->frameGeometry().topLeft() == pos; });
    if (!ok)
        qWarning() << "window at" << w->frameGeometry() << "inner" << w->geometry() << "wanted" << pos;
    return ok;
}

bool resizeByWindowManager(QWidget* w, const QSize& outer)
{
    // The size wmctrl gives is that of the inside: the frame's share is taken off first.
    const QSize extra = w->frameGeometry().size() - w->geometry().size();
    const QSize inner = outer - extra;
    if (!wmctrl({QStringLiteral("-i"), QStringLiteral("-r"), windowId(w), QStringLiteral("-e"),
                 QStringLiteral("1,-1,-1,%1,%2").arg(inner.width()).arg(inner.height())}))
        return false;
    return settle([w, outer] { return w->frameGeometry().size() == outer; });
}

bool clickWithPointer(const QPoint& screenPos)
{
    // The test extension's library is loaded when first needed: the programs link no X
    // library of their own.
    using FakeMotion = int (*)(Display*, int, int, int, unsigned long);
    using FakeButton = int (*)(Display*, unsigned int, int, unsigned long);
    using Sync = int (*)(Display*, int);
    static FakeMotion motion = nullptr;
    static FakeButton button = nullptr;
    static Sync sync = nullptr;
    if (!motion) {
        void* xtst = dlopen("libXtst.so.6", RTLD_NOW);
        void* x11 = dlopen("libX11.so.6", RTLD_NOW);
        if (!xtst || !x11)
            return false;
        motion = reinterpret_cast<FakeMotion>(dlsym(xtst, "XTestFakeMotionEvent"));
        button = reinterpret_cast<FakeButton>(dlsym(xtst, "XTestFakeButtonEvent"));
        sync = reinterpret_cast<Sync>(dlsym(x11, "XSync"));
        if (!motion || !button || !sync) {
            motion = nullptr;
            return false;
        }
    }
    auto* x = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    Display* display = x ? x->display() : nullptr;
    if (!display)
        return false;
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
