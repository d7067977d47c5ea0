// The caller-ID server stand-in: sends each caller's number as one UDP datagram to the
// caller-ID client on this workstation (127.0.0.1, port 16580). Numbers come from the
// command line, or, when none is given, one per line from standard input (an empty line
// is skipped). Exit status 0 when every datagram went out, 1 otherwise.
#include "ToolSupport.h"
#include "frame/modCommon.h"

#include <QCoreApplication>
#include <QHostAddress>
#include <QStringList>
#include <QTextStream>
#include <QUdpSocket>

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

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QUdpSocket socket;
    bool ok = true;
    const QStringList args = app.arguments().mid(1);
    if (!args.isEmpty()) {
        for (const QString& number : args)
            ok = sendNumber(socket, number) && ok;
        return ok ? 0 : 1;
    }
    QTextStream in(stdin);
    QString line;
    while (in.readLineInto(&line)) {
        line = line.trimmed();
        if (!line.isEmpty())
            ok = sendNumber(socket, line) && ok;
    }
    return ok ? 0 : 1;
}
