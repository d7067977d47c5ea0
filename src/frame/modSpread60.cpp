#include "frame/modSpread60.h"

#include "frame/modFloatMsg.h"
#include "platform/Prompter.h"
#include "platform/SpreadGrid.h"

using platform::SpreadGrid;
using platform::rgbColor;

quint32 GetLockBackColor() { return rgbColor(225, 225, 225); }
quint32 GetOddRowColor() { return rgbColor(255, 255, 255); }
quint32 GetEvenRowColor() { return rgbColor(243, 249, 251); }

QString GetSpreadText(SpreadGrid* spr, int lCol, int lRow)
{
    if (!spr) return QString();
    if (lCol == -2) lCol = spr->ActiveCol();
    if (lRow == -2) lRow = spr->ActiveRow();
    QString value;
    if (!spr->GetText(lCol, lRow, value)) return QString();
    return value;
}

void CommonSpreadDesign(SpreadGrid* spr, bool bLock, bool bClearRows, bool bUserColAction,
                        bool bSingleSelect, bool bOddEven)
{
    if (!spr) return;
    spr->SetAppearanceStyle(0);
    if (bLock) {
        if (bSingleSelect) spr->SetOperationMode(3);
        spr->SetCursorType(0);
        spr->SetCursorStyle(2);
        spr->SetSelectBlockOptions(0);
        spr->SetCol(-1);
        spr->SetRow(-1);
        spr->SetLock(true);
    } else {
        spr->SetEditModePermanent(true);
        spr->SetEditModeReplace(true);
    }
    spr->SetNoBeep(true);
    if (bUserColAction) spr->SetUserColAction(1);
    spr->SetDAutoCellTypes(true);
    spr->SetBackColorStyle(1);
    spr->SetSelBackColor(rgbColor(254, 254, 186));
    spr->SetTextTip(1);
    if (bClearRows) spr->SetMaxRows(0);
    spr->SetRefStyle(2);
    if (bOddEven) spr->SetOddEvenRowColor(GetOddRowColor(), rgbColor(0, 0, 0), GetEvenRowColor(), rgbColor(0, 0, 0));
    for (int action = 0; action <= 2; ++action) spr->SetActionKey(action, false, false, 0);
    if (spr->RowHeadersShow() && bClearRows) spr->SetText(0, 0, QStringLiteral("No"));
}

void SetSpreadCurrencyCol(SpreadGrid* spr, int lCol, bool bVCenter)
{
    if (!spr) return;
    spr->SetCol(lCol);
    spr->SetRow(-1);
    spr->SetCellType(SpreadGrid::CellTypeCurrency);
    spr->SetTypeCurrencyMax(999999999999.0);
    spr->SetTypeCurrencyMin(-999999999999.0);
    spr->SetTypeCurrencyShowSymbol(false);
    spr->SetTypeCurrencyDecPlaces(0);
    spr->SetTypeCurrencyShowSep(true);
    if (bVCenter) spr->SetTypeVAlign(2);
}

void SpreadDeleteRow(SpreadGrid* spr, int& lRow, bool bShowMsg, bool bFitMaxRows)
{
    if (!spr) return;
    if (lRow == -2) lRow = spr->ActiveRow();
    spr->DeleteRows(lRow, 1);
    if (bFitMaxRows) spr->SetMaxRows(spr->DataRowCnt());
    spr->Refresh();
    if (bShowMsg) ShowFloatMsg(QStringLiteral("자료를 삭제하였습니다."), 500, 0);
}

void SetDateSpread(SpreadGrid* spr, bool bFirstDay)
{
    if (!spr) return;
    spr->SetUnitType(2);
    spr->SetRowHeight(1, spr->Height());
    spr->SetColWidth(1, spr->Width());
    spr->SetUnitType(0);
    spr->SetCol(1);
    spr->SetRow(1);
    const QDate today = platform::today();
    spr->SetText(bFirstDay ? today.toString(QStringLiteral("yyyy-MM-01")) : today.toString(QStringLiteral("yyyy-MM-dd")));
    spr->SetFontSize(10);
    spr->SetFontBold(true);
    spr->SetForeColor(rgbColor(0, 0, 255));
    spr->SetTypeHAlign(0);
}

void SetTotalSpreadDesign(SpreadGrid* sprTotal, SpreadGrid* sprList, int lTitleCol)
{
    if (!sprTotal || !sprList) return;
    sprTotal->SetAppearanceStyle(0);
    sprTotal->SetMaxCols(sprList->MaxCols());
    for (int c = 1; c <= sprTotal->MaxCols(); ++c) {
        if (sprList->ColHidden(c)) {
            sprTotal->SetColHidden(c, true);
        } else {
            sprTotal->SetColHidden(c, false);
            sprTotal->SetColWidth(c, sprList->ColWidth(c));
        }
    }
    CommonSpreadDesign(sprTotal, true, false, true, true, true);
    sprTotal->SetOperationMode(0);
    sprTotal->SetSelectBlockOptions(0);
    sprTotal->SetText(lTitleCol, 1, QStringLiteral("[합 계]"));
    sprTotal->SetActiveCell(0, 0);
    sprTotal->SetCol(-1);
    sprTotal->SetRow(sprTotal->MaxRows());
    sprTotal->SetBackColor(rgbColor(224, 240, 224));
    sprTotal->SetGrayAreaBackColor(rgbColor(224, 240, 224));
    if (sprList->RowHeadersShow()) {
        sprTotal->SetRowHeadersShow(true);
        sprTotal->SetColWidth(0, sprList->ColWidth(0));
        sprTotal->SetCol(0);
        sprTotal->SetRow(1);
        sprTotal->SetCellType(SpreadGrid::CellTypeStaticText);
        sprTotal->SetText(QStringLiteral(" "));
    }
}

void SetSpreadColLock(SpreadGrid* spr, int lCol, bool bPaint, bool bLock)
{
    if (!spr) return;
    spr->SetCol(lCol);
    spr->SetRow(-1);
    spr->SetLock(bLock);
    if (bPaint) spr->SetBackColor(bLock ? GetLockBackColor() : rgbColor(255, 255, 255));
}
