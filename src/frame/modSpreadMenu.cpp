#include "frame/modSpreadMenu.h"

#include "frame/FrmSprRPTCol.h"
#include "frame/ModWinApi.h"
#include "frame/modFormIni.h"
#include "frame/modFrmCtrl.h"
#include "frame/modMsgBox.h"
#include "platform/Prompter.h"
#include "platform/SpreadGrid.h"
#include "platform/SpreadModel.h"

#include <QFileInfo>
#include <cmath>

using platform::SpreadGrid;

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kSubtotTag = QStringLiteral("subtot");

// Asks for a whole grid setting (row height, font size) until the entry is 0, lies within
// lo..hi, or is empty. Returns true when there is an entry to take: not empty and not the
// value already in effect. An empty or non-numeric entry counts as 0.
bool askGridNumber(const QString& prompt, const QString& title, long proposal, double lo, double hi,
                   QString& entry, double& value)
{
    for (;;) {
        QString typed = QString::number(proposal);
        if (!platform::prompter().inputBox(prompt, title, typed))
            typed.clear();
        entry = typed;
        value = ValText(entry);
        if (value == 0 || (value >= lo && value <= hi))
            break;
    }
    if (entry.isEmpty())
        return false;
    return value != double(proposal);
}

// Toggles the hidden state of the subtotal rows (bSubtot) or of every other row.
void toggleRows(SpreadGrid* spr, bool bSubtot)
{
    for (int r = 1; r <= spr->MaxRows(); ++r) {
        spr->SetCol(0);
        spr->SetRow(r);
        const bool isSubtot = spr->CellTag() == kSubtotTag;
        if (isSubtot == bSubtot)
            spr->SetRowHidden(r, !spr->RowHidden(r));
    }
    spr->Refresh();
}

void changeRowHeight(QWidget* frm, SpreadGrid* spr, const QString& sIniSuffix)
{
    const long proposal = long(std::trunc(spr->RowHeight(-1)));
    QString entry;
    double value = 0;
    if (!askGridNumber(QStringLiteral("변경할 그리드의 줄높이를 입력하세요.(입력범위: 8~100, 0:기본값)"),
                       QStringLiteral("그리드의 줄높이 변경"), proposal, 8, 100, entry, value))
        return;
    if (value != 0) {
        spr->SetRowHeight(-1, value);
        spr->SetRowHeight(0, value + 2);
    }
    SaveSpreadIni_Gn(frm, spr, QStringLiteral("RowHeight"), entry, sIniSuffix);
}

void changeFontSize(QWidget* frm, SpreadGrid* spr, const QString& sIniSuffix)
{
    spr->SetCol(1);
    spr->SetRow(1);
    const long proposal = long(std::trunc(spr->FontSize()));
    QString entry;
    double value = 0;
    if (!askGridNumber(QStringLiteral("변경할 글자의 크기를 입력하세요.(입력범위: 8~60, 0:기본값)"),
                       QStringLiteral("그리드내 글자크기 변경"), proposal, 8, 60, entry, value))
        return;
    if (value != 0) {
        spr->SetCol(-1);
        spr->SetRow(-1);
        spr->SetFontSize(value);
        spr->SetRow(0);
        spr->SetFontSize(value);
    }
    SaveSpreadIni_Gn(frm, spr, QStringLiteral("FontSize"), entry, sIniSuffix);
}

void resetLayout(QWidget* frm, const QString& sIniSuffix)
{
    const QString question = QStringLiteral("해당폼의 폼의 위치 및 크기, 그리드의 각 칸의 넓이") + kCrLf + kCrLf
                             + QStringLiteral(", 줄높이, 글자크기등이 모두 초기화 됩니다.") + kCrLf + kCrLf
                             + QStringLiteral("초기화 하시겠습니까?");
    if (MsgYesNo(question, QString(), true) != platform::AnswerYes)
        return;
    const QString name = FormName(frm) + sIniSuffix;
    DelFormIni(name);
    // A file that could not be deleted has been reported; it is not reset.
    if (QFileInfo::exists(FormIniFile(name)))
        return;
    MsgInfo(QStringLiteral("초기화를 완료하였습니다.") + kCrLf + kCrLf
            + QStringLiteral("현재창을 닫고 다시 열어 주셔야 초기화된 형태가 제대로 보여집니다."));
}

void chooseReportColumns(QWidget* frm, SpreadGrid* spr)
{
    FrmSprRPTCol dlg(frm);
    dlg.SetParam(frm, spr);
    platform::prompter().execModal(dlg);
}

} // namespace

QStringList SpreadMenuItems(bool bRptCol, bool bShortcut, bool bSubtot)
{
    QStringList items;
    items << QStringLiteral("01그리드 【줄높이】변경") << QStringLiteral("02【글자크기】       변경")
          << QStringLiteral("-") << QStringLiteral("03폼 및 그리드 설정【초기화】");
    if (bRptCol)
        items << QStringLiteral("-") << QStringLiteral("04【보고서】용 칼럼 설정");
    if (bRptCol && bShortcut)
        items << QStringLiteral("-") << QStringLiteral("05시트내 【단축키】 목록");
    if (bSubtot)
        items << QStringLiteral("-") << QStringLiteral("06【소계】숨김/보기") << QStringLiteral("07【소계만】보기/해제");
    items << QStringLiteral("-") << QStringLiteral("00메    뉴      닫    기");
    return items;
}

void ShowSpreadMenu(QWidget* frm, SpreadGrid* spr, bool bRptCol, const QString& sIniSuffix, bool bShortcut,
                    bool bSubtot)
{
    if (!spr)
        return;
    const long item = ShowPopupMenu(frm, SpreadMenuItems(bRptCol, bShortcut, bSubtot));
    DoSpreadMenuItem(item, frm, spr, sIniSuffix);
}

void DoSpreadMenuItem(long lItem, QWidget* frm, SpreadGrid* spr, const QString& sIniSuffix)
{
    if (!spr)
        return;
    switch (lItem) {
    case SpreadMenuRowHeight: changeRowHeight(frm, spr, sIniSuffix); break;
    case SpreadMenuFontSize: changeFontSize(frm, spr, sIniSuffix); break;
    case SpreadMenuReset: resetLayout(frm, sIniSuffix); break;
    case SpreadMenuRptCol: chooseReportColumns(frm, spr); break;
    case SpreadMenuShortcuts: ShowSpreadShortcuts(spr); break;
    case SpreadMenuSubtot: toggleRows(spr, true); break;
    case SpreadMenuOnlySubtot: toggleRows(spr, false); break;
    default: break;
    }
}

void ShowSpreadShortcuts(SpreadGrid* spr)
{
    MsgInfo(QStringLiteral(" - Ctrl + H : 단축키 목록보기") + kCrLf + kCrLf + QStringLiteral(" - Ctrl + F : 찾기") + kCrLf
                + kCrLf + QStringLiteral(" - Ctrl + E : 행숨김") + kCrLf + kCrLf
                + QStringLiteral(" - Ctrl + W : 행숨김 취소(아래/위행)"),
            QStringLiteral("시트내 단축키 목록"));
    if (spr)
        spr->SetFocus();
}

bool ReallyEdit(SpreadGrid* spr, const QString& vOld, int lCol, int lRow, bool bDefaultYes, QString sMsg)
{
    if (!spr)
        return false;
    if (lCol < 0 || lRow < 0 || lCol > spr->MaxCols() || lRow > spr->MaxRows()) {
        ShowProcError(1004, QStringLiteral("Invalid cell"), QStringLiteral("ReallyEdit"), QStringLiteral("Module"),
                      QStringLiteral("modSpread60"));
        return false;
    }
    spr->SetCol(lCol);
    spr->SetRow(lRow);
    // The cell's own colour settings, not the colours it shows: a cell painted by its row
    // stripe goes back to having no colour of its own, so that it takes the stripe of the
    // row it is in after a later sort or deletion.
    using platform::SpreadModel;
    const SpreadModel::CellSetting back = spr->model().cellSetting(SpreadModel::ABackColor, lCol, lRow);
    const SpreadModel::CellSetting fore = spr->model().cellSetting(SpreadModel::AForeColor, lCol, lRow);
    spr->SetBackColor(platform::rgbColor(0, 80, 250));
    spr->SetForeColor(platform::rgbColor(255, 255, 128));

    if (sMsg.isEmpty())
        sMsg = QStringLiteral("정말 수정하시겠습니까?");
    const int answer = MsgYesNo(sMsg + kCrLf + QStringLiteral("이전 데이터: ") + vOld, QString(), bDefaultYes);

    // The question may have let other events run: paint the same cell back.
    spr->model().restoreCellSetting(SpreadModel::ABackColor, lCol, lRow, back);
    spr->model().restoreCellSetting(SpreadModel::AForeColor, lCol, lRow, fore);
    spr->Refresh();

    const bool yes = answer == platform::AnswerYes;
    if (!yes)
        spr->SetText(lCol, lRow, vOld);
    spr->SetFocus();
    return yes;
}
