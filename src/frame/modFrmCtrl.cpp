#include "frame/modFrmCtrl.h"
#include "platform/KeyCodes.h"

#include "frame/modMsgBox.h"
#include "platform/FormRegistry.h"

#include <QAbstractScrollArea>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>
#include <QVariant>
#include <QWidget>

#include <algorithm>

QPoint ComputeFormPosition(bool hasAnchor, const QRect& anchor, const QSize& formSize,
                           const QRect& screen, long lHMode, long lVMode, long lXOff, long lYOff)
{
    long x = 0;
    long y = 0;
    if (!hasAnchor) {
        x = screen.left() + (screen.width() - formSize.width()) / 2;
        y = screen.top() + (screen.height() - formSize.height()) / 2;
    } else {
        const long ax = anchor.left();
        const long ay = anchor.top();
        switch (lHMode) {
        case 0: x = ax; break;
        case 1: x = ax + anchor.width() - formSize.width(); break;
        case 2: x = ax - (formSize.width() - anchor.width()) / 2; break;
        default: x = 0; break;
        }
        switch (lVMode) {
        case 3: y = ay + anchor.height(); break;
        case 4: y = ay - formSize.height(); break;
        case 5: y = ay - (formSize.height() - anchor.height()) / 2; break;
        case 6: y = ay; break;
        default: y = 0; break;
        }
    }
    return QPoint(int(x + lXOff), int(y + lYOff));
}

QPoint ComputeOpeningPosition(const QSize& outerSize, const QRect& owner, const QRect& area)
{
    const QRect around = owner.isEmpty() ? area : owner;
    auto fit = [](int start, int length, int size, int first, int room) {
        return std::max(first, std::min(start + (length - size) / 2, first + room - size));
    };
    return QPoint(fit(around.x(), around.width(), outerSize.width(), area.x(), area.width()),
                  fit(around.y(), around.height(), outerSize.height(), area.y(), area.height()));
}

namespace {
QScreen* screenOf(const QWidget* w)
{
    QScreen* s = w ? w->screen() : nullptr;
    return s ? s : QGuiApplication::primaryScreen();
}
} // namespace

void PlaceUnplacedForm(QWidget* frm)
{
    if (!frm || !frm->isWindow() || frm->isVisible() || frm->testAttribute(Qt::WA_WState_Created)
        || frm->testAttribute(Qt::WA_Moved))
        return;
    QWidget* main = platform::FormRegistry::instance().find(QStringLiteral("frmMain"));
    if (main == frm)
        return; // the first window of the desktop: the window manager places it
    const bool mainShown = main && main->isVisible() && !main->isMinimized();
    const QRect area = screenOf(mainShown ? main : frm)->availableGeometry();
    // The window manager frames this window as it framed the main window; before it is shown
    // that frame is known only from there.
    QMargins frame;
    if (mainShown) {
        const QRect outer = main->frameGeometry();
        const QRect inner = main->geometry();
        frame = QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                         outer.bottom() - inner.bottom());
    }
    frm->ensurePolished(); // the size it is shown at
    if (!frm->testAttribute(Qt::WA_Resized))
        frm->adjustSize(); // as showing it would
    frm->move(ComputeOpeningPosition(frm->size().grownBy(frame), mainShown ? main->frameGeometry() : QRect(), area));
}

double TwipsPerPixelX()
{
    QScreen* s = QGuiApplication::primaryScreen();
    const double dpi = s ? s->logicalDotsPerInchX() : 96.0;
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}

double TwipsPerPixelY()
{
    QScreen* s = QGuiApplication::primaryScreen();
    const double dpi = s ? s->logicalDotsPerInchY() : 96.0;
    return dpi > 0 ? 1440.0 / dpi : 15.0;
}

void SetFormPosition(QWidget* frm, QWidget* ctlAnchor, long lHMode, long lVMode, long lXOff, long lYOff)
{
    if (!frm)
        return;
    const QRect screen = screenOf(ctlAnchor ? ctlAnchor : frm)->geometry();
    QRect anchor;
    if (ctlAnchor)
        anchor = QRect(ctlAnchor->mapToGlobal(QPoint(0, 0)), ctlAnchor->size());
    QSize formSize = frm->frameGeometry().size();
    if (!frm->isVisible() && !frm->testAttribute(Qt::WA_WState_Created))
        formSize = frm->size();
    const QPoint p = ComputeFormPosition(ctlAnchor != nullptr, anchor, formSize, screen, lHMode, lVMode,
                                         long(lXOff / TwipsPerPixelX()), long(lYOff / TwipsPerPixelY()));
    frm->move(p); // move() places the outer frame of a top-level window
}

namespace {

void selectWhole(QWidget* control)
{
    if (auto* e = qobject_cast<QLineEdit*>(control)) {
        if (!e->text().isEmpty())
            e->selectAll();
    } else if (auto* c = qobject_cast<QComboBox*>(control)) {
        if (c->lineEdit())
            c->lineEdit()->selectAll();
    } else if (auto* sp = qobject_cast<QAbstractSpinBox*>(control)) {
        sp->selectAll();
    } else if (auto* t = qobject_cast<QTextEdit*>(control)) {
        t->selectAll();
    } else if (auto* pt = qobject_cast<QPlainTextEdit*>(control)) {
        pt->selectAll();
    } else if (auto* parentCombo = qobject_cast<QComboBox*>(control->parentWidget())) {
        if (parentCombo->lineEdit() == control)
            parentCombo->lineEdit()->selectAll();
    }
}

// The line edit that shows a field's text, when the field has one.
QLineEdit* lineEditOf(QWidget* control)
{
    if (auto* e = qobject_cast<QLineEdit*>(control))
        return e;
    if (auto* c = qobject_cast<QComboBox*>(control))
        return c->lineEdit();
    if (qobject_cast<QAbstractSpinBox*>(control))
        return control->findChild<QLineEdit*>();
    return nullptr;
}

bool hasSelection(QWidget* control)
{
    if (QLineEdit* e = lineEditOf(control))
        return e->hasSelectedText();
    if (auto* t = qobject_cast<QTextEdit*>(control))
        return t->textCursor().hasSelection();
    if (auto* pt = qobject_cast<QPlainTextEdit*>(control))
        return pt->textCursor().hasSelection();
    return false;
}

void deselect(QWidget* control)
{
    if (QLineEdit* e = lineEditOf(control)) {
        e->deselect();
    } else if (auto* t = qobject_cast<QTextEdit*>(control)) {
        QTextCursor c = t->textCursor();
        c.clearSelection();
        t->setTextCursor(c);
    } else if (auto* pt = qobject_cast<QPlainTextEdit*>(control)) {
        QTextCursor c = pt->textCursor();
        c.clearSelection();
        pt->setTextCursor(c);
    }
}

// The widget the mouse presses of a field go to: its line edit, or the viewport of a text box.
QWidget* mouseTargetOf(QWidget* control)
{
    if (QLineEdit* e = lineEditOf(control))
        return e;
    if (auto* area = qobject_cast<QAbstractScrollArea*>(control))
        return area->viewport();
    return control;
}

// Follows the click that gave a field the focus. The press arrives right after the focus
// (before anything queued runs); when that click is released with nothing selected, the whole
// text is selected. A drag keeps the part the user selected. Any other turn ends the watch.
class SelectOnClickEnd : public QObject {
public:
    SelectOnClickEnd(QWidget* field, QWidget* target) : QObject(field), m_field(field), m_target(target)
    {
        // Watched from the application: the caller is mostly the field's own event filter,
        // and a filter put on the field while its filters run would be run for this event again.
        qApp->installEventFilter(this);
        QTimer::singleShot(0, this, [this] {
            if (!m_pressed)
                finish(); // the focus did not come with a press of this field
        });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (m_done || !watched->isWidgetType() || (watched != m_field.data() && watched != m_target.data()))
            return false;
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            if (watched == m_target.data() && !m_pressed) {
                // A press inside a selection could start dragging it, and a text box would then
                // drop the selection only at the release: the press starts from the caret instead.
                m_pressed = true;
                deselect(m_field);
            } else
                finish();
            break;
        case QEvent::MouseButtonRelease:
            if (watched == m_target.data()) {
                if (m_pressed && m_field && !hasSelection(m_field))
                    selectWhole(m_field);
                finish();
            }
            break;
        case QEvent::MouseButtonDblClick:
        case QEvent::FocusOut:
        case QEvent::KeyPress:
        case QEvent::Hide:
            finish();
            break;
        default:
            break;
        }
        return false;
    }

private:
    void finish()
    {
        m_done = true;
        qApp->removeEventFilter(this);
        deleteLater();
    }

    QPointer<QWidget> m_field;
    QPointer<QWidget> m_target;
    bool m_pressed = false;
    bool m_done = false;
};

} // namespace

void SelectAllText(QWidget* control, Qt::FocusReason reason)
{
    if (!control || reason == Qt::PopupFocusReason)
        return; // back from a context menu or a list: the field was never left
    selectWhole(control);
    if (reason == Qt::MouseFocusReason) {
        if (QWidget* target = mouseTargetOf(control))
            new SelectOnClickEnd(control, target);
    }
}

void SelectActiveText(Qt::FocusReason reason)
{
    SelectAllText(QApplication::focusWidget(), reason);
}

int VbKeyCode(int qtKey)
{
    switch (qtKey) {
    case Qt::Key_Return:
    case Qt::Key_Enter: return 13;
    case Qt::Key_Escape: return 27;
    case Qt::Key_Left: return 37;
    case Qt::Key_Up: return 38;
    case Qt::Key_Right: return 39;
    case Qt::Key_Down: return 40;
    case Qt::Key_Tab: return 9;
    case Qt::Key_Backspace: return 8;
    case Qt::Key_Delete: return 46;
    case Qt::Key_F1: case Qt::Key_F2: case Qt::Key_F3: case Qt::Key_F4:
    case Qt::Key_F5: case Qt::Key_F6: case Qt::Key_F7: case Qt::Key_F8:
    case Qt::Key_F9: case Qt::Key_F10: case Qt::Key_F11: case Qt::Key_F12:
        return 112 + (qtKey - Qt::Key_F1);
    default: return qtKey;
    }
}

int VbKeyCode(const QKeyEvent* event) { return platform::virtualKeyCode(event); }

void PostTabKey(int direction)
{
    QWidget* target = QApplication::focusWidget();
    if (!target)
        return;
    const bool back = direction != 0;
    QCoreApplication::postEvent(target, new QKeyEvent(QEvent::KeyPress, back ? Qt::Key_Backtab : Qt::Key_Tab,
                                                      back ? Qt::ShiftModifier : Qt::NoModifier));
}

bool EnterToTab(int KeyCode)
{
    switch (VbKeyCode(KeyCode)) {
    case 13:
    case 40: PostTabKey(0); return true;
    case 38: PostTabKey(1); return true;
    default: return false;
    }
}

bool CmbEnterToTab(int KeyCode)
{
    switch (VbKeyCode(KeyCode)) {
    case 13:
    case 39: PostTabKey(0); return true;
    case 37: PostTabKey(1); return true;
    default: return false;
    }
}

void SetTopMost(QWidget* window, bool bNoTopMost)
{
    if (!window)
        return;
    QWidget* w = window->window();
    const bool wanted = !bNoTopMost;
    if (w->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == wanted)
        return;
    const bool visible = w->isVisible();
    w->setWindowFlag(Qt::WindowStaysOnTopHint, wanted); // hides a shown window
    if (visible)
        w->show();
}

QString ControlText(const QObject* ctl)
{
    if (!ctl)
        return QString();
    if (auto* e = qobject_cast<const QLineEdit*>(ctl))
        return e->text();
    if (auto* c = qobject_cast<const QComboBox*>(ctl))
        return c->currentText();
    if (auto* sp = qobject_cast<const QAbstractSpinBox*>(ctl))
        return sp->text();
    if (auto* t = qobject_cast<const QTextEdit*>(ctl))
        return t->toPlainText();
    if (auto* pt = qobject_cast<const QPlainTextEdit*>(ctl))
        return pt->toPlainText();
    if (auto* l = qobject_cast<const QLabel*>(ctl))
        return l->text();
    return ctl->property("text").toString();
}

void SetControlText(QObject* ctl, const QString& text)
{
    if (!ctl)
        return;
    if (auto* e = qobject_cast<QLineEdit*>(ctl))
        e->setText(text);
    else if (auto* c = qobject_cast<QComboBox*>(ctl))
        c->setEditText(text);
    else if (auto* t = qobject_cast<QTextEdit*>(ctl))
        t->setPlainText(text);
    else if (auto* pt = qobject_cast<QPlainTextEdit*>(ctl))
        pt->setPlainText(text);
    else if (auto* l = qobject_cast<QLabel*>(ctl))
        l->setText(text);
    else
        ctl->setProperty("text", text);
}

bool CheckNeedInput(QWidget* ctl, const QString& sCaption, bool bZeroIsEmpty)
{
    const QString text = ControlText(ctl);
    const bool empty = text.isEmpty() || (bZeroIsEmpty && text == QLatin1String("0"));
    if (!empty)
        return false;
    if (sCaption.isEmpty())
        MsgInfo(QStringLiteral("필수 입력사항을 입력하지 않았습니다."), QStringLiteral("필수입력"));
    else
        MsgInfo(QStringLiteral("[") + sCaption + QStringLiteral("]은(는) 필수 입력 사항입니다."),
                QStringLiteral("필수입력"));
    if (ctl && ctl->isVisible() && ctl->isEnabled())
        ctl->setFocus();
    return true;
}

void FormFocus(QWidget* frm)
{
    if (!frm) {
        ShowProcError(91, QStringLiteral("Object variable or With block variable not set"),
                      QStringLiteral("FormFocus"), QStringLiteral("Module"), QStringLiteral("modFrmCtrl"));
        return;
    }
    PlaceUnplacedForm(frm);
    frm->show();
    if (frm->windowState() & Qt::WindowMinimized)
        frm->setWindowState(frm->windowState() & ~Qt::WindowMinimized);
    frm->raise();
    frm->activateWindow();
    frm->setFocus();
}

QString FormName(const QWidget* frm)
{
    if (!frm)
        return QString();
    const QString registered = platform::FormRegistry::instance().nameOf(frm);
    if (!registered.isEmpty())
        return registered;
    if (!frm->objectName().isEmpty())
        return frm->objectName();
    return QString::fromLatin1(frm->metaObject()->className());
}

void UnloadOtherForms(const QString& sKeepName)
{
    auto& reg = platform::FormRegistry::instance();
    // Closing one window may destroy another (the analysis window takes its graph window
    // with it): every window is watched from before the first is closed.
    QList<QPointer<QWidget>> forms;
    for (QWidget* w : reg.forms())
        forms << QPointer<QWidget>(w);
    for (const QPointer<QWidget>& form : forms) {
        if (!form)
            continue;
        if (reg.nameOf(form).compare(sKeepName, Qt::CaseInsensitive) == 0)
            continue;
        // A window that refuses to close (its close handler cancelled) stays loaded.
        if (form->close() && form)
            reg.unregisterForm(form);
    }
}

bool IsFormLoaded(const QString& sName)
{
    return platform::FormRegistry::instance().isLoaded(sName);
}
