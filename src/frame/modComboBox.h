#pragma once

class QComboBox;

// Opens (or, with bClose, closes) the list of the focused combo box of the active window.
// A focused control that is no combo box is left alone.
void CmbShowList(bool bClose);

// Sizes the opened list of a combo box: at least lDropWidth wide and about lHeight tall
// (both in twips).
void CmbSetSize(QComboBox* cmb, long lDropWidth, long lHeight);
