#include "frame/modFloatMsg.h"
#include "frame/FrmFloatMsg.h"

#include "platform/FormRegistry.h"
#include "platform/Prompter.h"

#include <QPointer>

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

void ShowFloatMsg(const QString& text, int delay, long modal, long colour)
{
    if (FrmFloatMsg* old = current()) { // a message still showing is replaced
        current() = nullptr;
        platform::FormRegistry::instance().unregisterForm(old);
        old->close(); // ends a modal show
        if (old != modalShowing())
            delete old;
    }
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
