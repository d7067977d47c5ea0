#pragma once
#include <QString>

class QLineEdit;
class QWidget;

// Turning the text typed into a group, product or party cell of the voucher grid into one
// registered name. Each function searches with the text through its list window (loaded
// hidden): a single hit is taken at once, several hits show the list modally beside
// ctlAnchor (horizontal mode lHMode, just below it) for the user to pick from, and no hit
// offers to register the text when bAskAdd is set (groups and products: default answer No;
// parties: default answer Yes, through the party editor). The result is the chosen name, or
// empty text when nothing was chosen.

QString SelectGroup(const QString& sName, QWidget* ctlAnchor, long lHMode, bool bAskAdd);

// With an empty sName the list offers the products used in sGroup's vouchers, and is shown
// even when that is a single product.
QString SelectProduct(const QString& sName, QWidget* ctlAnchor, long lHMode, bool bAskAdd, const QString& sGroup);

// lBusiMode 0 purchase parties, 1 sales parties. txtCode receives the party's id as decimal
// text ("0" after the party editor was closed without saving, empty when nothing was
// chosen); without a code box nothing is searched and the result is empty.
QString SelectClient(long lBusiMode, const QString& sName, QLineEdit* txtCode, QWidget* ctlAnchor, long lHMode,
                     bool bAskAdd);
