#pragma once
#include <QString>

namespace dao { class DaoError; }

// Message boxes through the prompt seam. An empty title means the program title.
void MsgInfo(const QString& text, const QString& title = QString());
void MsgWarn(const QString& text, const QString& title = QString());
// A box with the OK button only and no icon.
void MsgPlain(const QString& text, const QString& title = QString());
// Returns 6 (Yes) or 7 (No).
int MsgYesNo(const QString& text, const QString& title = QString(), bool bDefaultYes = true);

// The error box of a failed action: where, then "오류번호 : " n, then "오류내용 : " text.
void ShowErrMsg(const QString& where, long errNumber, const QString& errDescription);
void ShowErrMsg(const QString& where, const dao::DaoError& err);

// The common box of a trapped procedure (OK only, no icon, program title):
// "Error n (description) in procedure P of Form F"  (unitKind "Form" or "Module").
// extraLine, when given, follows after CRLF.
void ShowProcError(long errNumber, const QString& description, const QString& procedure,
                   const QString& unitKind, const QString& unitName,
                   const QString& extraLine = QString());
