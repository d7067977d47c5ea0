#pragma once
// The grid menu (right click on a grid) and the question before a saved cell is changed.
#include <QString>
#include <QStringList>

class QWidget;
namespace platform { class SpreadGrid; }

// Ids of the grid menu's items.
enum SpreadMenuItem : long {
    SpreadMenuClose = 0,
    SpreadMenuRowHeight = 1,
    SpreadMenuFontSize = 2,
    SpreadMenuReset = 3,
    SpreadMenuRptCol = 4,
    SpreadMenuShortcuts = 5,
    SpreadMenuSubtot = 6,
    SpreadMenuOnlySubtot = 7
};

// The item strings of the grid menu for these options (see ShowPopupMenu).
QStringList SpreadMenuItems(bool bRptCol, bool bShortcut, bool bSubtot);

// Builds the grid menu, shows it at the mouse cursor and carries out the chosen item:
// row height, font size (both stored in frm's layout file, file suffix sIniSuffix), reset of
// the layout file, report columns (bRptCol), the shortcut list (bRptCol and bShortcut),
// subtotal rows hidden/shown and only subtotal rows (bSubtot). Subtotal rows are the rows
// whose row-header cell (column 0) carries the tag "subtot".
void ShowSpreadMenu(QWidget* frm, platform::SpreadGrid* spr, bool bRptCol, const QString& sIniSuffix,
                    bool bShortcut, bool bSubtot);

// Carries out one item of the grid menu, as ShowSpreadMenu does after the choice.
void DoSpreadMenuItem(long lItem, QWidget* frm, platform::SpreadGrid* spr, const QString& sIniSuffix);

// Shows the grid's shortcut list and gives the focus back to the grid.
void ShowSpreadShortcuts(platform::SpreadGrid* spr);

// Asks whether the cell (lCol, lRow), which held vOld, may really be changed. The cell is
// painted while the question is open. An empty sMsg asks "정말 수정하시겠습니까?".
// On No the old value is put back into the cell and the result is false; Yes gives true.
// The grid has the focus afterwards in both cases.
bool ReallyEdit(platform::SpreadGrid* spr, const QString& vOld, int lCol, int lRow, bool bDefaultYes,
                QString sMsg = QString());
