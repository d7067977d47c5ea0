#include "frame/modMsgBox.h"
#include "frame/modMain.h"

#include "platform/DaoError.h"
#include "platform/Prompter.h"

namespace {
QString titleOr(const QString& title) { return title.isEmpty() ? gsTitle : title; }
} // namespace

void MsgInfo(const QString& text, const QString& title)
{
    platform::prompter().messageBox(text, titleOr(title), platform::MsgStyleInfo);
}

void MsgWarn(const QString& text, const QString& title)
{
    platform::prompter().messageBox(text, titleOr(title), platform::MsgStyleWarn);
}

void MsgPlain(const QString& text, const QString& title)
{
    platform::prompter().messageBox(text, titleOr(title), platform::MsgOkOnly);
}

int MsgYesNo(const QString& text, const QString& title, bool bDefaultYes)
{
    return platform::prompter().messageBox(text, titleOr(title),
                                           bDefaultYes ? platform::MsgStyleYesNo : platform::MsgStyleYesNoDefNo);
}

void ShowErrMsg(const QString& where, long errNumber, const QString& errDescription)
{
    platform::prompter().messageBox(where + QStringLiteral("\r\n오류번호 : ") + QString::number(errNumber)
                                        + QStringLiteral("\r\n오류내용 : ") + errDescription,
                                    QStringLiteral("오류"), platform::MsgStyleWarn);
}

void ShowErrMsg(const QString& where, const dao::DaoError& err) { ShowErrMsg(where, err.number(), err.description()); }

void ShowProcError(long errNumber, const QString& description, const QString& procedure, const QString& unitKind,
                   const QString& unitName, const QString& extraLine)
{
    QString text = QStringLiteral("Error %1 (%2) in procedure %3 of %4 %5")
                       .arg(errNumber).arg(description, procedure, unitKind, unitName);
    if (!extraLine.isEmpty())
        text += QStringLiteral("\r\n") + extraLine;
    MsgPlain(text);
}
