#include "frame/modFloatMsg.h"
#include "frame/FrmFloatMsg.h"

#include "platform/Prompter.h"

#include <QPointer>

namespace {
QPointer<FrmFloatMsg>& current()
{
    static QPointer<FrmFloatMsg> form;
    return form;
}
} // namespace

void ShowFloatMsg(const QString& text, int delay, long modal, long colour)
{
    if (current()) { // a message still showing is replaced
        current()->close();
        delete current();
    }
    auto* form = new FrmFloatMsg();
    form->setAttribute(Qt::WA_DeleteOnClose, modal != 1);
    form->InitForm(text, delay, colour);
    if (modal == 1) {
        current() = form;
        platform::prompter().execModal(*form);
        delete form;
        return;
    }
    form->setWindowFlag(Qt::WindowStaysOnTopHint, true);
    current() = form;
    form->show();
}
