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
#include <QLayout>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScreen>
#include <QTextCursor>
#include <QTextEdit>
#include <QTimer>
#include <QVariant>
#include <QWidget>
#include <QWindow>

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

QSize ComputeFittingSize(const QSize& outerSize, const QSize& minimumOuter, const QRect& area)
{
    auto fit = [](int size, int minimum, int room) { return size <= room ? size : std::max(room, minimum); };
    return QSize(fit(outerSize.width(), minimumOuter.width(), area.width()),
                 fit(outerSize.height(), minimumOuter.height(), area.height()));
}

QRect ComputeOpeningGeometry(const QSize& outerSize, const QSize& minimumOuter, const QRect& owner,
                             const QRect& area)
{
    const QSize size = ComputeFittingSize(outerSize, minimumOuter, area);
    return QRect(ComputeOpeningPosition(size, owner, area), size);
}

QPoint ComputeInsidePosition(const QRect& outer, const QRect& area)
{
    auto fit = [](int start, int size, int first, int room) { return std::max(first, std::min(start, first + room - size)); };
    return QPoint(fit(outer.x(), outer.width(), area.x(), area.width()),
                  fit(outer.y(), outer.height(), area.y(), area.height()));
}

namespace {
QScreen* screenOf(const QWidget* w)
{
    QScreen* s = w ? w->screen() : nullptr;
    return s ? s : QGuiApplication::primaryScreen();
}

QRect availableArea(const QWidget* w)
{
    QScreen* s = screenOf(w);
    return s ? s->availableGeometry() : QRect();
}

} // namespace

QRect OuterGeometry(const QWidget* frm)
{
    if (!frm)
        return QRect();
    // A hidden window has no frame on the screen (the window manager takes it back); the
    // widget's copy then holds the last one, which is what it will get again.
    if (frm->isWindow() && frm->isVisible())
        if (const QWindow* h = frm->windowHandle(); h && h->handle() && h->frameMargins() != QMargins())
            return h->frameGeometry();
    return frm->frameGeometry();
}

void MoveOuterTo(QWidget* frm, const QPoint& pos)
{
    if (frm)
        frm->move(frm->pos() + (pos - OuterGeometry(frm).topLeft()));
}

namespace {

// Whether the window manager has put its frame around the window. Asked of the window system's
// window: the widget keeps the first answer it gets until it is moved, and asked too early that
// answer is "no frame".
bool isFramed(const QWidget* w)
{
    const QWindow* h = w->windowHandle();
    return h && h->isExposed() && h->frameMargins() != QMargins();
}

// The room a window leaves beside it for any frame the window manager may put around it.
const QSize kFrameRoom(64, 96);

// A window with a size of its own: neither minimised, maximised nor full screen.
bool hasOwnSize(const QWidget* w)
{
    return !(w->windowState() & (Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
}

// A window the user works in: a top-level window or dialog (no menu, list, tip or the like).
bool isFormWindow(const QWidget* w)
{
    if (!w->isWindow() || w->testAttribute(Qt::WA_DontShowOnScreen))
        return false;
    switch (w->windowType()) {
    case Qt::Window:
    case Qt::Dialog:
    case Qt::Sheet:
    case Qt::Tool:
        return true;
    default:
        return false;
    }
}

// Cuts the window, whose outer frame is outer, down to the area where it is larger, never below
// its minimum size; a window that was cut, or any window when inside is set, is then moved
// inside the area where it reaches past an edge (only when mayMove). True when it was cut.
bool fitInto(QWidget* w, const QRect& outer, const QRect& area, bool inside, bool mayMove)
{
    if (area.isEmpty())
        return false;
    if (QLayout* l = w->layout())
        l->activate(); // its minimum size
    const QSize extra = outer.size() - w->size();
    const QSize size = ComputeFittingSize(outer.size(), w->minimumSize() + extra, area);
    const bool cut = size != outer.size();
    if (cut)
        w->resize(size - extra);
    if ((cut || inside) && mayMove) {
        const QPoint at = ComputeInsidePosition(QRect(outer.topLeft(), size), area);
        if (at != outer.topLeft())
            MoveOuterTo(w, at);
    }
    return cut;
}

const char* const kFramedFitName = "trelvoFramedFit";
const char* const kFrameFitPending = "trelvoFrameFitPending";

// Follows a shown window until the window manager has put its frame around it, then fits the
// framed window into the area: cut down where the frame makes it larger than the area, and
// moved inside when it was cut (at its showing or now). Checked again after every change it
// makes, as the window manager may still answer an earlier move; it ends with the first check
// that finds nothing to do, when the window is hidden, or when the program has given the
// window another size meanwhile (the size its layout file gives it excepted).
class FramedFit : public QObject {
public:
    FramedFit(QWidget* w, bool cut)
        : QObject(w), m_w(w), m_cut(cut), m_size(w->size()), m_fromLayout(w->property(kFrameFitPending).toBool())
    {
        setObjectName(QLatin1String(kFramedFitName));
        w->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != m_w || m_done)
            return false;
        switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::WindowActivate:
        case QEvent::Paint:
            if (!m_queued && isFramed(m_w)) {
                // after every other handler of this event (a layout file's own fitting included)
                m_queued = true;
                QMetaObject::invokeMethod(this, [this] { check(); }, Qt::QueuedConnection);
            }
            break;
        case QEvent::Hide:
            finish();
            break;
        default:
            break;
        }
        return false;
    }

private:
    void check()
    {
        m_queued = false;
        if (m_done)
            return;
        if (!m_w->isVisible() || !hasOwnSize(m_w)) {
            finish();
            return;
        }
        if (m_w->property(kFrameFitPending).toBool())
            return; // checked at the next change
        if (!m_fromLayout && m_w->size() != m_size) {
            finish();
            return;
        }
        const QRect area = availableArea(m_w);
        const QRect outer = OuterGeometry(m_w);
        const bool fits = outer.width() <= area.width() && outer.height() <= area.height();
        if (fits && (!m_cut || area.contains(outer))) {
            finish();
            return;
        }
        m_cut = fitInto(m_w, outer, area, true, true) || m_cut;
        m_size = m_w->size();
    }

    void finish()
    {
        m_done = true;
        setObjectName(QString());
        m_w->removeEventFilter(this);
        deleteLater();
    }

    QWidget* m_w;
    bool m_cut;
    QSize m_size; // as it was shown, or as this fitted it
    bool m_fromLayout;
    bool m_queued = false;
    bool m_done = false;
};

// Watches the showing of every window of the program.
class ScreenFitter : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Show || event->spontaneous() || !watched->isWidgetType())
            return false;
        auto* w = static_cast<QWidget*>(watched);
        if (!isFormWindow(w) || !hasOwnSize(w))
            return false;
        // About to be put on the screen, without a frame yet (its frame is not asked for before
        // it is there); a window nothing has placed is left to the window manager to place.
        const QRect area = availableArea(w);
        const bool cut = fitInto(w, QRect(w->geometry().topLeft(), w->size()), area, false,
                                 w->testAttribute(Qt::WA_Moved));
        // Followed until framed unless it leaves room for any frame.
        const QSize room = w->size() + kFrameRoom;
        if ((cut || room.width() > area.width() || room.height() > area.height())
            && !w->findChild<QObject*>(QLatin1String(kFramedFitName), Qt::FindDirectChildrenOnly))
            new FramedFit(w, cut);
        return false;
    }
};

void installScreenFitter()
{
    QCoreApplication* app = QCoreApplication::instance();
    app->installEventFilter(new ScreenFitter(app));
}
} // namespace

Q_COREAPP_STARTUP_FUNCTION(installScreenFitter)

void SetFrameFitPending(QWidget* frm, bool pending)
{
    if (frm)
        frm->setProperty(kFrameFitPending, pending ? QVariant(true) : QVariant());
}

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
        const QRect outer = OuterGeometry(main);
        const QRect inner = main->geometry();
        frame = QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                         outer.bottom() - inner.bottom());
    }
    frm->ensurePolished(); // the size it is shown at
    if (!frm->testAttribute(Qt::WA_Resized))
        frm->adjustSize(); // as showing it would
    if (QLayout* l = frm->layout())
        l->activate(); // its minimum size
    const QSize extra(frame.left() + frame.right(), frame.top() + frame.bottom());
    const QRect outer = ComputeOpeningGeometry(frm->size() + extra, frm->minimumSize() + extra,
                                               mainShown ? OuterGeometry(main) : QRect(), area);
    if (outer.size() != frm->size() + extra)
        frm->resize(outer.size() - extra);
    MoveOuterTo(frm, outer.topLeft());
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
    QSize formSize = OuterGeometry(frm).size();
    if (!frm->isVisible() && !frm->testAttribute(Qt::WA_WState_Created))
        formSize = frm->size();
    const QPoint p = ComputeFormPosition(ctlAnchor != nullptr, anchor, formSize, screen, lHMode, lVMode,
                                         long(lXOff / TwipsPerPixelX()), long(lYOff / TwipsPerPixelY()));
    MoveOuterTo(frm, p);
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
