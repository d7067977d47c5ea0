#include "platform/ActiveSMS.h"

#include "platform/ProgramFolder.h"
#include "platform/Prompter.h"
#include "platform/SettingsStore.h"
#include "platform/WholeFile.h"

#include <QDateTime>
#include <QFile>

namespace platform {

namespace {

const QString kApp = QStringLiteral("ActiveSMS");
const QString kAccount = QStringLiteral("Account");

QString setting(const QString& section, const QString& key, const QString& def = QString())
{
    return GetSetting(kApp, section, key, def);
}

QString oneLine(QString text)
{
    text.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\\n"));
    text.replace(QLatin1Char('\n'), QStringLiteral("\\n"));
    text.replace(QLatin1Char('\r'), QStringLiteral("\\n"));
    text.replace(QLatin1Char('\t'), QStringLiteral("\\t"));
    return text;
}

} // namespace

QString ActiveSMS::SpoolFile()
{
    return programPath(QStringLiteral("SMSSpool.txt"));
}

int ActiveSMS::Connect()
{
    m_connected = false;
    m_loggedIn = false;
    if (ServerAddress.trimmed().isEmpty())
        return -1;
    if (setting(QStringLiteral("Service"), QStringLiteral("Online"), QStringLiteral("1")) == QLatin1String("0"))
        return -3;
    m_connected = true;
    return 0;
}

int ActiveSMS::Login()
{
    m_loggedIn = false;
    if (!m_connected)
        return -5;
    if (UserID.isEmpty() || Password.isEmpty())
        return -4;
    const QString id = setting(kAccount, QStringLiteral("UserID"));
    if (id.isEmpty() || id != UserID)
        return -1;
    if (setting(kAccount, QStringLiteral("Password")) != Password)
        return -2;
    m_loggedIn = true;
    m_account = UserID;
    return 0;
}

long ActiveSMS::RestCount()
{
    if (!m_connected || !m_loggedIn)
        return -3;
    bool ok = false;
    const long n = setting(kAccount, QStringLiteral("RestCount"), QStringLiteral("0")).trimmed().toLong(&ok);
    if (!ok)
        return -1;
    return n < 0 ? 0 : n;
}

int ActiveSMS::Send()
{
    if (!m_connected)
        return -1;
    if (!m_loggedIn)
        return -2;
    if (DestNumber.trimmed().isEmpty())
        return -3;
    if (Message.isEmpty())
        return -4;
    if (!ReserveTime.isEmpty()) {
        const QString fmt = ReserveTime.size() == 12 ? QStringLiteral("yyyyMMddHHmm") : QStringLiteral("yyyyMMddHHmmss");
        const QDateTime when = QDateTime::fromString(ReserveTime, fmt);
        if (!when.isValid() || when < now())
            return -5;
    }
    const long left = RestCount();
    if (left <= 0)
        return -6;

    const QString line = now().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QLatin1Char('\t')
        + oneLine(CallbackNumber) + QLatin1Char('\t') + oneLine(DestNumber) + QLatin1Char('\t')
        + oneLine(ReserveTime) + QLatin1Char('\t') + oneLine(Message) + QLatin1Char('\n');
    QString error;
    if (!AppendWhole(SpoolFile(), line.toUtf8(), error))
        return -6;
    SaveSetting(kApp, kAccount, QStringLiteral("RestCount"), QString::number(left - 1));
    return 0;
}

} // namespace platform
