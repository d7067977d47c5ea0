// The caller-ID server stand-in: sends each caller's number as one UDP datagram to the
// caller-ID client on this workstation (127.0.0.1, port 16580). The datagrams leave from the
// workstation's own address (the first IPv4 address of its host name, as the client looks
// it up), so the client stores the call as one its own server heard.
// Numbers come from the command line, or, when none is given, one per line from standard
// input (an empty line is skipped). A terminal is read only when it is this program's own:
// started in the background by the main program, it leaves alone the terminal the main
// program was started from. Exit status 0 when every datagram went out, 1 otherwise.
#include "ToolSupport.h"
#include "callerid/modHostInfo.h"
#include "frame/modCommon.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QStringList>
#include <QTextStream>
#include <QUdpSocket>

#include <termios.h>
#include <unistd.h>

namespace {

constexpr quint16 kPort = 16580;

bool sendNumber(QUdpSocket& socket, const QString& number)
{
    const QByteArray payload = ToAnsi(number);
    const qint64 sent = socket.writeDatagram(payload, QHostAddress(QHostAddress::LocalHost), kPort);
    if (sent != payload.size()) {
        tools::err() << "CIDsvr: " << number << ": " << socket.errorString() << Qt::endl;
        return false;
    }
    return true;
}

// Standard input is a file or a pipe, or the controlling terminal of this process.
bool standardInputIsOurs()
{
    return !isatty(STDIN_FILENO) || tcgetsid(STDIN_FILENO) != -1;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QUdpSocket socket;
    // An address that cannot be bound leaves the choice to the system.
    const QString own = HostIPv4Address(QString());
    if (!own.isEmpty())
        socket.bind(QHostAddress(own), 0);
    bool ok = true;
    const QStringList args = app.arguments().mid(1);
    if (!args.isEmpty()) {
        for (const QString& number : args)
            ok = sendNumber(socket, number) && ok;
        return ok ? 0 : 1;
    }
    if (!standardInputIsOurs())
        return 0;
    QTextStream in(stdin);
    QString line;
    while (in.readLineInto(&line)) {
        line = line.trimmed();
        if (!line.isEmpty())
            ok = sendNumber(socket, line) && ok;
    }
    return ok ? 0 : 1;
}
