#pragma once
#include <QStringList>

class QWidget;

// Pop-up menus built from a list of item strings, read in order:
//   "-"        a separator line;
//   "X"        the next item is shown greyed and cannot be chosen (one item only);
//   otherwise  the first two characters are the item's id ("01" is 1, "00" is 0) and the
//              rest is its caption.
// Shows the menu at the mouse cursor and returns the id of the chosen item, or 0 when the
// menu was closed without a choice (or a greyed item was hit).
long ShowPopupMenu(QWidget* frm, const QStringList& items);
