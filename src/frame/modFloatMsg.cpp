#include "frame/modFloatMsg.h"
#include "frame/FrmFloatMsg.h"

#include "platform/FormRegistry.h"
#include "platform/Prompter.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPointer>
#include <QWindow>

namespace {
QPointer<FrmFloatMsg>& current()
{
    static QPointer<FrmFloatMsg> form;
    return form;
}
// The message whose modal show is still running; the ShowFloatMsg call that shows it
// owns it and deletes it once the show returns.
QPointer<FrmFloatMsg>& modalShowing()
{
    static QPointer<FrmFloatMsg> form;
    return form;
}
} // namespace

void CloseFloatMsg()
{
    if (FrmFloatMsg* old = current()) {
        current() = nullptr;
        platform::FormRegistry::instance().unregisterForm(old);
        old->close(); // ends a modal show
        if (old != modalShowing())
            delete old;
    }
}

void ShowFloatMsg(const QString& text, int delay, long modal, long colour)
{
    CloseFloatMsg(); // a message still showing is replaced
    auto* form = new FrmFloatMsg();
    form->setAttribute(Qt::WA_DeleteOnClose, modal != 1);
    form->InitForm(text, delay, colour);
    if (modal == 1) {
        QPointer<FrmFloatMsg> guard(form);
        QPointer<FrmFloatMsg> outer = modalShowing();
        current() = form;
        modalShowing() = form;
        platform::prompter().execModal(*form);
        modalShowing() = outer;
        delete guard.data();
        return;
    }
    form->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    current() = form;
    form->show();
}

void ShowFloatMsgNow(const QString& text)
{
    ShowFloatMsg(text, 0, 0);
    FrmFloatMsg* form = current();
    if (!form)
        return;
    // The window system shows the window a moment later: wait for that (briefly, taking no
    // input meanwhile), then draw it, since the caller does not return to the event loop.
    QElapsedTimer t;
    t.start();
    while (form && !(form->windowHandle() && form->windowHandle()->isExposed()) && t.elapsed() < 300)
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents, 20);
    if (form)
        form->repaint();
}
