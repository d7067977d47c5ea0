#pragma once
// Helpers for tests that run on a real X server with a window manager (tst_x_*.cpp, started
// by run-under-x.sh): waiting until the window manager has framed a window, moving a window
// the way a user does, through the window manager, and clicking with the X server's pointer.
#include <QPoint>
#include <QRect>

class QWidget;

namespace testsupport {

// Shows nothing; waits until the window is exposed and the window manager has put its frame
// around it and stopped moving it. False when that does not happen.
bool waitForFramed(QWidget* w);
// The window's outer frame as the window system last told it. Qt's widget keeps a copy of
// its own, taken at its last move or resize, that can miss a frame announced later.
QRect frameOf(const QWidget* w);
// Brings about what happens when the window manager announces the frame of a framed window
// only after Qt has handled a move of it: the window is moved while the frame is announced
// as none, and the frame is announced again afterwards. The widget's copy is then "no frame"
// while the window system knows the frame. False when that state could not be reached.
bool leaveWidgetsFrameBehind(QWidget* w);
// Asks the window manager to move the window's frame to pos (as a drag by the user does)
// and waits until the window has arrived there. False when it does not.
bool moveByWindowManager(QWidget* w, const QPoint& pos);
// Asks the window manager to give the window's frame this outer size, and waits for it.
bool resizeByWindowManager(QWidget* w, const QSize& outer);
// Moves the X server's pointer to a point of the screen and clicks the left button there, as
// the user's mouse does (the server's test extension): the click goes to whatever is under
// the pointer, through the window manager and Qt's own handling. Waits until the click has
// been handled. False when the extension cannot be used.
bool clickWithPointer(const QPoint& screenPos);

} // namespace testsupport
