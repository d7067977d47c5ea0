#pragma once
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

class QKeyEvent;
class QObject;
class QWidget;

// Window, focus and keyboard helpers shared by every window.

// Where a pop-up window goes: the pure placement rule behind SetFormPosition.
// anchor is the anchor control's inner rectangle in screen coordinates (ignored when
// hasAnchor is false), formSize the window's outer size, screen the available screen.
// lHMode: 0 left edges aligned, 1 right edges aligned, 2 centred on the control, other 0.
// lVMode: 3 just below, 4 just above, 5 centred, 6 top edges aligned, other 0.
// The offsets are added at the end; the window is not kept inside the screen.
QPoint ComputeFormPosition(bool hasAnchor, const QRect& anchor, const QSize& formSize,
                           const QRect& screen, long lHMode, long lVMode, long lXOff, long lYOff);

// Moves frm beside ctlAnchor (or to the centre of the screen when ctlAnchor is null).
// Offsets are in twips.
void SetFormPosition(QWidget* frm, QWidget* ctlAnchor, long lHMode, long lVMode,
                     long lXOff = 0, long lYOff = 0);

// Where a window opens that neither a stored layout nor a placement rule puts anywhere: its
// outer frame (outerSize) centred on the owner's outer frame, or on the area when owner is
// empty, then moved into the available screen area where it would reach past an edge. A
// frame larger than the area keeps its top-left corner in the area.
QPoint ComputeOpeningPosition(const QSize& outerSize, const QRect& owner, const QRect& area);

// The outer size a window is shown at in the available area: its own where it fits there;
// where it does not, cut down to the area, but never below minimumOuter (its minimum size
// with its frame).
QSize ComputeFittingSize(const QSize& outerSize, const QSize& minimumOuter, const QRect& area);

// Where a window opens that nothing places, and at which size: the outer frame cut down to the
// area as ComputeFittingSize says, then placed as ComputeOpeningPosition says.
QRect ComputeOpeningGeometry(const QSize& outerSize, const QSize& minimumOuter, const QRect& owner,
                             const QRect& area);

// Where an outer frame goes to lie inside the area: moved by as little as it takes; a frame
// larger than the area keeps its top-left corner in the area.
QPoint ComputeInsidePosition(const QRect& outer, const QRect& area);

// The outer frame of a window on the screen, as the window system last told it (the widget's
// own geometry for a hidden or unframed window, or a control inside a window). Qt's widget
// keeps a copy of the frame taken at its last move or resize, which stays "no frame" when the
// window manager announces the frame only after that, as it does for a window shown again.
QRect OuterGeometry(const QWidget* frm);
// Moves a window so that its outer frame's top-left corner is at pos (QWidget::move() goes by
// the widget's copy of the frame).
void MoveOuterTo(QWidget* frm, const QPoint& pos);

// Places a top-level window that is about to be shown for the first time and that nothing
// has placed yet (no stored layout, no SetFormPosition, no move) as ComputeOpeningGeometry
// says, centred on the main window ("frmMain") when that is shown, and cut down to the
// available area where it is larger. A window that has been shown or moved before keeps its
// place, and so does the main window itself.
void PlaceUnplacedForm(QWidget* frm);

// Every window of the program (a top-level window or dialog) is kept from being larger than
// the available area of its screen when it is shown: a window whose outer frame would be
// larger there is cut down to the area (never below its minimum size) and, where it was
// placed, moved inside the area. As the window manager puts its frame around a window only
// once it is shown, the window is fitted again when its frame is there. A window that fits
// keeps its size and place exactly. This unit does it for every window as it is shown.
// A window whose outer size and place are still to be set once it is framed (from its layout
// file, LoadFormIni) is marked pending meanwhile, and fitted after that.
void SetFrameFitPending(QWidget* frm, bool pending);

// Screen twips per pixel, from the primary screen's logical DPI (15 at 96 DPI).
double TwipsPerPixelX();
double TwipsPerPixelY();

// Selects the whole text of the focused control of the active window; SelectAllText does
// it for the given control. Called when a field gets the focus, with that focus event's
// reason, so that a field entered with the mouse behaves as one entered with the keyboard:
// the press that gives the focus puts the caret down and drops the selection, so the whole
// text is selected once that click ends without a dragged selection. A field the focus
// comes back to from a pop-up (its context menu, a list) keeps the selection it had.
void SelectActiveText(Qt::FocusReason reason = Qt::OtherFocusReason);
void SelectAllText(QWidget* control, Qt::FocusReason reason = Qt::OtherFocusReason);

// Key codes are the old virtual-key numbers (13 Enter, 37 Left, 38 Up, 39 Right, 40 Down);
// the corresponding Qt::Key values are understood as well.
// Enter or Down moves the focus on (Tab), Up moves it back (Shift+Tab). Returns true when a
// key was sent; every other key is ignored. The key itself is not consumed.
bool EnterToTab(int KeyCode);
// The same for combo boxes: Enter or Right moves on, Left moves back.
bool CmbEnterToTab(int KeyCode);
// The virtual-key number of a Qt key (Key_Return/Key_Enter 13, arrows 37-40, Escape 27, ...);
// other keys are returned unchanged. Only for keys that are no printable characters: the
// Qt codes of "%", "&", "'" and "(" equal the virtual-key numbers of the arrow keys.
int VbKeyCode(int qtKey);
// The virtual-key number of a key event, as a KeyDown handler receives it: printable
// characters give the number of the key they are typed with ("(" gives 57, the key 9), so
// typed text never reads as Enter or an arrow key.
int VbKeyCode(const QKeyEvent* event);
// Posts Tab (direction 0) or Shift+Tab (1) to the focused control, without waiting.
void PostTabKey(int direction);

// Keeps a window above all others, or ends that when bNoTopMost is true.
void SetTopMost(QWidget* window, bool bNoTopMost);

// True when the field is empty (or "0" with bZeroIsEmpty), after telling the user and
// putting the focus into the field.
bool CheckNeedInput(QWidget* ctl, const QString& sCaption, bool bZeroIsEmpty);

// Shows the window, restores it when minimised and gives it the focus. A window shown for
// the first time that nothing has placed is placed first (PlaceUnplacedForm).
void FormFocus(QWidget* frm);

// Closes every loaded window whose name differs (without regard to case) from sKeepName.
void UnloadOtherForms(const QString& sKeepName);

// The text of a control with a Text property (line edits, combo boxes, spin boxes, text
// edits, labels, or any object with a "text" property), and setting it.
QString ControlText(const QObject* ctl);
void SetControlText(QObject* ctl, const QString& text);

// The window's form name: the name it is registered under, else its object name.
QString FormName(const QWidget* frm);

// True when a window of that name is loaded (names compare without regard to case).
// It does not load the window.
bool IsFormLoaded(const QString& sName);
