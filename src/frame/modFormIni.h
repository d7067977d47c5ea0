#pragma once
#include <QString>

class QWidget;
namespace platform { class SpreadGrid; }

// Per-window layout files: <program folder>/FormIni/<window name><suffix>.ini with the
// window's state, position and size (section "FormPosition", twips) and, per grid, the
// column widths ("<grid>_ColsWidth") and font size and row height ("<grid>_General").
// A grid that is an element of a control array uses "<grid>_<index>" as its prefix.

// The layout file of a window name (the name may already carry its suffix).
QString FormIniFile(const QString& sFormName, const QString& sSuffix = QString());
// The section prefix of a grid: its name, followed by "_" and iIndex when iIndex > -1.
QString SpreadIniPrefix(const platform::SpreadGrid* spr, int iIndex);

// Restores a window (position; unless bNoSize also size and state) and all its grids.
// A missing file changes nothing; unreadable values are skipped one by one.
void LoadFormIni(QWidget* frm, bool bNoSize, const QString& sSuffix = QString());
// Restores one grid's column widths, font size and row height from sFile.
void LoadSpreadIni(platform::SpreadGrid* spr, const QString& sFile, int iIndex);
// Stores the window's state, and unless it is maximised its position and size. A hidden or
// minimised window stores nothing.
void SaveFormIni(QWidget* frm, const QString& sSuffix = QString());
// Stores the width of one column of a visible grid (iIndex -1 when the grid is no array element).
void SaveSpreadColWidth(QWidget* frm, platform::SpreadGrid* spr, int lCol, const QString& sSuffix = QString(),
                        int iIndex = -1);
// Stores one key ("FontSize", "RowHeight") of the grid's general section.
void SaveSpreadIni_Gn(QWidget* frm, platform::SpreadGrid* spr, const QString& sKey, const QString& sValue,
                      const QString& sSuffix = QString());
// Deletes the layout file of sName (a window name followed by its suffix) when it exists.
void DelFormIni(const QString& sName);

// A value as the layout routines read it: at most nine characters, trimmed.
QString ReadIniValue(const QString& sFile, const QString& sSection, const QString& sKey);
// The runtime's tests on such values.
bool IsNumericText(const QString& text, double* value = nullptr);
double ValText(const QString& text); // the leading number of the text, 0 when there is none
