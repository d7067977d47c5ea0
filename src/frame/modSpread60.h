#pragma once
// Grid set-up and small cell routines shared by every window: one look and one behaviour
// for all grids. Every routine takes the grid and uses only the grid's own members.
// Colours are 24-bit values with red in the low byte.
#include <QString>

namespace platform { class SpreadGrid; }

// Back colour of locked columns, RGB(225, 225, 225).
quint32 GetLockBackColor();
// Odd rows, RGB(255, 255, 255).
quint32 GetOddRowColor();
// Even rows, RGB(243, 249, 251).
quint32 GetEvenRowColor();

// Text of cell (lCol, lRow); -2 in either stands for the active column / row.
// An empty text when the cell cannot be read.
QString GetSpreadText(platform::SpreadGrid* spr, int lCol, int lRow);

// The common look: a locked read-only list (bLock) or an editable sheet.
void CommonSpreadDesign(platform::SpreadGrid* spr, bool bLock, bool bClearRows, bool bUserColAction,
                        bool bSingleSelect, bool bOddEven);

// Column lCol (all rows) becomes a currency column: no symbol, no decimals, separators.
void SetSpreadCurrencyCol(platform::SpreadGrid* spr, int lCol, bool bVCenter);

// Deletes one row. lRow -2 means the active row; the caller's variable then receives it.
void SpreadDeleteRow(platform::SpreadGrid* spr, int& lRow, bool bShowMsg, bool bFitMaxRows);

// Turns a one-cell grid into a date box showing this month's first day or today.
void SetDateSpread(platform::SpreadGrid* spr, bool bFirstDay);

// Shapes the one-row totals grid after the list grid; "[합 계]" goes into lTitleCol.
void SetTotalSpreadDesign(platform::SpreadGrid* sprTotal, platform::SpreadGrid* sprList, int lTitleCol);

// Locks or unlocks column lCol, optionally repainting it.
void SetSpreadColLock(platform::SpreadGrid* spr, int lCol, bool bPaint, bool bLock);
