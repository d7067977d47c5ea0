#pragma once

class QKeyEvent;

namespace platform {

// The virtual-key number of a key event, as KeyDown handlers compare them: Enter 13,
// Escape 27, arrows 37-40, F1-F24 112-135, letters and digits their capital/digit code.
// A printable character gives the number of the key it is typed with on the standard
// layout ("(" gives 57, the key 9), so typed text never reads as Enter or an arrow key;
// 0 for a key no handler reacts to.
int virtualKeyCode(const QKeyEvent* event);
// The same for a Qt key that is not a printable character.
int virtualKeyCode(int qtKey);

} // namespace platform
