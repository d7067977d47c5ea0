#include "callerid/modVeltSMS.h"

#include "frame/modCommon.h"
#include "frame/modMsgBox.h"
#include "platform/ActiveSMS.h"
#include "platform/Prompter.h"

#include <QThread>

const QString kSmsServerAddress = QStringLiteral("sms.trelvo.net");

namespace {

int g_sendPause = 100;

const QString kCrLf = QStringLiteral("\r\n");

void critical(const QString& text)
{
    MsgBoxPlain(text, platform::MsgCritical);
}

QString unknownCode(long code)
{
    return kCrLf + QStringLiteral("오류코드:") + QString::number(code);
}

bool noControl(const char* procedure)
{
    ShowProcError(91, QStringLiteral("Object variable or With block variable not set"),
                  QString::fromLatin1(procedure), QStringLiteral("Module"), QStringLiteral("modVeltSMS"));
    return false;
}

} // namespace

void SetSmsSendPause(int milliseconds) { g_sendPause = milliseconds < 0 ? 0 : milliseconds; }

bool SMS_Start(platform::ActiveSMS* ctl)
{
    if (!ctl)
        return noControl("SMS_Start");
    ctl->ServerAddress = kSmsServerAddress;
    const int code = ctl->Connect();
    switch (code) {
    case 0:
        return true;
    case -1:
        critical(QStringLiteral("서버를 찾을 수 없습니다."));
        break;
    case -2:
        critical(QStringLiteral("통신오류가 발생했습니다."));
        break;
    case -3:
        critical(QStringLiteral("서버연결에 실패했습니다."));
        break;
    default:
        critical(QStringLiteral("알수 없는 오류가 발생했습니다.") + unknownCode(code));
        break;
    }
    return false;
}

bool SMS_LogIn(platform::ActiveSMS* ctl, const QString& sID, const QString& sPW)
{
    if (!ctl)
        return noControl("SMS_LogIn");
    ctl->UserID = sID;
    ctl->Password = sPW;
    const int code = ctl->Login();
    switch (code) {
    case 0:
        return true;
    case -1:
    case -2:
    case -4:
        platform::prompter().messageBox(QStringLiteral("사용자 아이디와 암호가 일치하지 않습니다."),
                                        QStringLiteral("로그인"), platform::MsgStyleInfo);
        break;
    case -3:
        critical(QStringLiteral("데이터베이스 열기에 실패했습니다."));
        break;
    case -5:
        critical(QStringLiteral("유저정보 검색에 실패했습니다."));
        break;
    default:
        critical(QStringLiteral("알수 없는 오류가 발생했습니다.") + unknownCode(code));
        break;
    }
    return false;
}

long SMS_RestCnt(platform::ActiveSMS* ctl)
{
    if (!ctl) {
        noControl("SMS_RestCnt");
        return 0;
    }
    const long code = ctl->RestCount();
    if (code >= 0)
        return code;
    const QString suffix = QStringLiteral(" 잔여건수를 구할 수 없습니다.");
    switch (code) {
    case -1:
        critical(QStringLiteral("데이터베이스 열기에 실패하여") + suffix);
        break;
    case -2:
        critical(QStringLiteral("검색에 실패하여") + suffix);
        break;
    case -3:
        critical(QStringLiteral("로그인이 되지않아") + suffix);
        break;
    default:
        critical(QStringLiteral("알수 없는 오류가 발생하여") + suffix + unknownCode(code));
        break;
    }
    return 0;
}

bool SMS_Send(platform::ActiveSMS* ctl, const QString& sDest, const QString& sMsg, const QString& sCallback,
              const QString& sReserve)
{
    if (!ctl)
        return noControl("SMS_Send");
    ctl->DestNumber = sDest;
    if (!sCallback.isEmpty())
        ctl->CallbackNumber = sCallback;
    ctl->Message = sMsg;
    if (!sReserve.isEmpty())
        ctl->ReserveTime = sReserve;
    const int code = ctl->Send();
    if (g_sendPause > 0)
        QThread::msleep(static_cast<unsigned long>(g_sendPause));

    const QString suffix = QStringLiteral(" 메시지 전송에 실패했습니다.");
    QString reason;
    switch (code) {
    case 0:
        return true;
    case -1: reason = QStringLiteral("서버에 접속 되어 있지 않아"); break;
    case -2: reason = QStringLiteral("로그인이 되지않아"); break;
    case -3: reason = QStringLiteral("받을사람 전화번호가 입력되어 있지 않아"); break;
    case -4: reason = QStringLiteral("전송할 메시지가 입력되어 있지 않아"); break;
    case -5: reason = QStringLiteral("예약시간이 이미 지나"); break;
    case -6: reason = QStringLiteral("서버에 전송을 실패하여"); break;
    default:
        critical(QStringLiteral("알수 없는 오류가 발생하여") + suffix + unknownCode(code));
        return false;
    }
    critical(reason + suffix);
    return false;
}
