#include "callerid/FrmRCidClient.h"

#include "callerid/IncomingCall.h"
#include "callerid/modHostInfo.h"
#include "frame/modCommon.h"
#include "frame/modMsgBox.h"
#include "platform/FormRegistry.h"

#include <QCloseEvent>
#include <QHostAddress>
#include <QNetworkDatagram>
#include <QPointer>
#include <QUdpSocket>

namespace {

quint16 g_port = FrmRCidClient::kDefaultPort;

const QString kFormName = QStringLiteral("FrmRCidClient");

// The sender's address as dotted decimal text (an IPv4 address mapped into IPv6 included).
QString dottedIPv4(const QHostAddress& address)
{
    bool ok = false;
    const quint32 v4 = address.toIPv4Address(&ok);
    return ok ? QHostAddress(v4).toString() : address.toString();
}

} // namespace

void FrmRCidClient::SetListenPort(quint16 port) { g_port = port; }
quint16 FrmRCidClient::ListenPort() { return g_port; }

FrmRCidClient* FrmRCidClient::Instance()
{
    return qobject_cast<FrmRCidClient*>(platform::FormRegistry::instance().find(kFormName));
}

FrmRCidClient* FrmRCidClient::Load(CallHandler handler)
{
    FrmRCidClient* w = Instance();
    if (!w) {
        w = new FrmRCidClient;
        w->Form_Load();
    }
    w->SetCallHandler(std::move(handler));
    return w;
}

void FrmRCidClient::Unload()
{
    if (FrmRCidClient* w = Instance())
        w->close(); // deletes itself
}

FrmRCidClient::FrmRCidClient(QWidget* parent) : QWidget(parent)
{
    setObjectName(kFormName);
    setWindowTitle(QStringLiteral("원격CID클라이언트"));
    setAttribute(Qt::WA_DeleteOnClose);
    UDP_Sck = new QUdpSocket(this);
    UDP_Sck->setObjectName(QStringLiteral("UDP_Sck"));
    connect(UDP_Sck, &QUdpSocket::readyRead, this, &FrmRCidClient::UDP_Sck_DataArrival);
    platform::FormRegistry::instance().registerForm(this, kFormName);
}

FrmRCidClient::~FrmRCidClient()
{
    Form_Unload();
    platform::FormRegistry::instance().unregisterForm(this);
}

void FrmRCidClient::closeEvent(QCloseEvent* e)
{
    Form_Unload();
    platform::FormRegistry::instance().unregisterForm(this);
    e->accept();
}

void FrmRCidClient::Form_Load()
{
    // Bound on every local interface, so the socket reports 0.0.0.0 as its own address and
    // the workstation's address comes from the host name.
    if (!UDP_Sck->bind(QHostAddress::AnyIPv4, g_port)) {
        const long number = UDP_Sck->error() == QAbstractSocket::AddressInUseError ? 10048 : 10000 + int(UDP_Sck->error());
        ShowProcError(number, UDP_Sck->errorString(), QStringLiteral("Form_Load"), QStringLiteral("Form"), kFormName);
        return;
    }
    sLocalIP = dottedIPv4(UDP_Sck->localAddress());
    if (sLocalIP == QLatin1String("0.0.0.0"))
        sLocalIP = GetHostIPAddress();
}

void FrmRCidClient::Form_Unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    if (UDP_Sck)
        UDP_Sck->close();
}

bool FrmRCidClient::IsBound() const
{
    return UDP_Sck && UDP_Sck->state() == QAbstractSocket::BoundState;
}

quint16 FrmRCidClient::BoundPort() const
{
    return IsBound() ? UDP_Sck->localPort() : 0;
}

void FrmRCidClient::UDP_Sck_DataArrival()
{
    QPointer<FrmRCidClient> self(this);
    while (self && UDP_Sck->state() == QAbstractSocket::BoundState && UDP_Sck->hasPendingDatagrams()) {
        const QNetworkDatagram d = UDP_Sck->receiveDatagram();
        if (!d.isValid())
            break;
        HandleDatagram(d.data(), dottedIPv4(d.senderAddress()));
    }
}

void FrmRCidClient::HandleDatagram(const QByteArray& payload, const QString& remoteIP)
{
    QString telno = FromAnsi(payload);
    bool bMine = (remoteIP == sLocalIP);
    // Any host of the network can send here: what cannot be a telephone number is logged
    // on one short line and goes no further, so it never reaches the lookup or the call
    // list and never holds up the next call.
    if (!IsPossibleTelNo(telno)) {
        WriteLog(DroppedPayloadText(telno) + QStringLiteral(", R:") + remoteIP + QStringLiteral(", L:") + sLocalIP);
        return;
    }
    WriteLog(telno + QStringLiteral(", R:") + remoteIP + QStringLiteral(", L:") + sLocalIP);
    if (m_handler) {
        CallHandler handler = m_handler; // the handler may unload this window
        handler(telno, bMine);
    }
}
