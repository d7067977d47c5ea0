#pragma once
#include <QString>

namespace platform { class ActiveSMS; }

// The message-service client: each procedure sets the control's properties, calls one of
// its methods and turns the result code into True/False or a count, telling the user about
// every failure. A null control counts as a control that is not there (error 91).

// The address of the message server, the same in every installation.
extern const QString kSmsServerAddress;

// Connects to the message server.
bool SMS_Start(platform::ActiveSMS* ctl);
// Logs in with the user's ID and password.
bool SMS_LogIn(platform::ActiveSMS* ctl, const QString& sID, const QString& sPW);
// Messages the account may still send; 0 (after a message) when it cannot be read.
long SMS_RestCnt(platform::ActiveSMS* ctl);
// Sends sMsg to sDest. An empty callback or reservation time leaves the control's value as
// it was. Waits 100 ms after every send so that consecutive sends are spaced.
bool SMS_Send(platform::ActiveSMS* ctl, const QString& sDest, const QString& sMsg, const QString& sCallback,
              const QString& sReserve);

// The pause after each send in milliseconds (100); tests may shorten it.
void SetSmsSendPause(int milliseconds);
