#pragma once
#include <QString>

// A short confirmation that closes itself after `delay` milliseconds (or on a click or
// Enter while the delay runs). modal 1 waits until it has closed; 0 returns at once and
// keeps the message on top. A message still showing is replaced. The colour is unused.
void ShowFloatMsg(const QString& text, int delay, long modal, long colour = 0xFFFF00);

// A message for a caller that keeps the window thread busy meanwhile (a wait for another
// workstation): shown without a delay and drawn before the call returns. It stays until
// CloseFloatMsg or the next message.
void ShowFloatMsgNow(const QString& text);
// Closes the floating message that is showing, if any.
void CloseFloatMsg();
