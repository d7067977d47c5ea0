#include "callerid/modHostInfo.h"

#include "frame/modMsgBox.h"

#include <QHostAddress>
#include <QHostInfo>

namespace {

// The socket layer of this platform needs no start-up call; the counter keeps the pairing of
// start and cleanup that the callers rely on.
int g_started = 0;

} // namespace

int HiByte(int wParam) { return (wParam / 256) & 0xFF; }
int LoByte(int wParam) { return wParam & 0xFF; }

bool SocketsInitialize()
{
    // Version 1.1 asked for, 1.1 or better granted: the platform's sockets always qualify.
    const int requested = 0x0101;
    const int major = LoByte(requested);
    const int minor = HiByte(requested);
    if (major < 1 || (major == 1 && minor < 1)) {
        MsgPlain(QStringLiteral("Sockets version %1.%2 is not supported by 32-bit Windows Sockets.").arg(major).arg(minor));
        return false;
    }
    ++g_started;
    return true;
}

void SocketsCleanup()
{
    if (g_started <= 0) {
        MsgPlain(QStringLiteral("Socket error occurred in Cleanup."));
        return;
    }
    --g_started;
}

QString DottedAddress(const unsigned char* bytes, int length)
{
    QString text;
    for (int i = 0; i < length; ++i)
        text += QString::number(bytes[i]) + QLatin1Char('.');
    text.chop(1);
    return text;
}

QString HostIPv4Address(const QString& hostName)
{
    const QString name = hostName.isEmpty() ? QHostInfo::localHostName().trimmed() : hostName;
    if (name.isEmpty())
        return QString();
    const QHostInfo info = QHostInfo::fromName(name);
    if (info.error() != QHostInfo::NoError)
        return QString();
    for (const QHostAddress& a : info.addresses()) {
        if (a.protocol() != QAbstractSocket::IPv4Protocol)
            continue;
        const quint32 ip = a.toIPv4Address();
        const unsigned char bytes[4] = {static_cast<unsigned char>(ip >> 24), static_cast<unsigned char>(ip >> 16),
                                        static_cast<unsigned char>(ip >> 8), static_cast<unsigned char>(ip)};
        return DottedAddress(bytes, 4);
    }
    return QString();
}

QString GetHostIPAddress(QString& sHostName)
{
    if (!SocketsInitialize())
        return QString();
    QString name = sHostName;
    if (name.isEmpty()) {
        name = QHostInfo::localHostName().trimmed();
        if (name.isEmpty()) {
            MsgPlain(QStringLiteral("Windows Sockets error %1 has occurred. Unable to successfully get Host Name.")
                         .arg(11001));
            SocketsCleanup();
            return QString();
        }
    }
    const QString text = HostIPv4Address(name);
    if (text.isEmpty()) {
        MsgPlain(QStringLiteral("Windows Sockets are not responding. Unable to successfully get Host Name."));
        SocketsCleanup();
        return QString();
    }
    SocketsCleanup();
    return text;
}

QString GetHostIPAddress()
{
    QString none;
    return GetHostIPAddress(none);
}
