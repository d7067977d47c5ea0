#include "frame/modComboBox.h"

#include "frame/modFrmCtrl.h"
#include "frame/modMsgBox.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QFontMetrics>
#include <QLineEdit>
#include <algorithm>

void CmbShowList(bool bClose)
{
    QWidget* w = QApplication::focusWidget();
    auto* cmb = qobject_cast<QComboBox*>(w);
    if (!cmb && w)
        cmb = qobject_cast<QComboBox*>(w->parentWidget()); // the line edit inside an editable combo
    if (!cmb)
        return;
    if (bClose)
        cmb->hidePopup();
    else
        cmb->showPopup();
}

void CmbSetSize(QComboBox* cmb, long lDropWidth, long lHeight)
{
    if (!cmb) {
        ShowProcError(91, QStringLiteral("Object variable or With block variable not set"),
                      QStringLiteral("CmbSetSize"), QStringLiteral("Module"), QStringLiteral("modComboBox"));
        return;
    }
    const int widthPx = int(lDropWidth / TwipsPerPixelX());
    const int heightPx = int(lHeight / TwipsPerPixelY());
    if (QAbstractItemView* view = cmb->view())
        view->setMinimumWidth(std::max(widthPx, 0));
    const int rowHeight = std::max(1, QFontMetrics(cmb->font()).height() + 4);
    cmb->setMaxVisibleItems(std::max(1, heightPx / rowHeight));
}
