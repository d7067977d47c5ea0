#pragma once
#include <QByteArray>
#include <QString>
#include <QWidget>
#include <functional>

class QUdpSocket;

// The hidden caller-ID client ("원격CID클라이언트"). While loaded it listens on UDP port
// 16580 on every local interface; each datagram carries one caller's number as text. For
// each one it appends a line to the call log and hands the number to the incoming-call
// handler, telling it whether the datagram came from this workstation. It never answers
// and is never shown.
class FrmRCidClient : public QWidget {
    Q_OBJECT
public:
    // Receives (number, bMine); the Boolean result is not used.
    using CallHandler = std::function<bool(QString& telno, bool& bMine)>;

    static constexpr quint16 kDefaultPort = 16580;

    // Loads the client unless it is loaded already (loading binds the socket) and points it
    // at handler. Returns the loaded window.
    static FrmRCidClient* Load(CallHandler handler);
    // Unloads the client when it is loaded (its socket closes).
    static void Unload();
    // The loaded client, or nullptr.
    static FrmRCidClient* Instance();

    // The port the next load binds (16580; tests may pick 0, any free port).
    static void SetListenPort(quint16 port);
    static quint16 ListenPort();

    explicit FrmRCidClient(QWidget* parent = nullptr);
    ~FrmRCidClient() override;

    void Form_Load();
    void Form_Unload();
    // Reads every datagram waiting on the socket, one after the other.
    void UDP_Sck_DataArrival();
    // One datagram: the log line, then the hand-over.
    void HandleDatagram(const QByteArray& payload, const QString& remoteIP);

    void SetCallHandler(CallHandler handler) { m_handler = std::move(handler); }
    QString LocalIP() const { return sLocalIP; }
    bool IsBound() const;
    quint16 BoundPort() const;
    QUdpSocket* UDP_Sck = nullptr;

protected:
    void closeEvent(QCloseEvent* e) override;

private:
    QString sLocalIP;
    CallHandler m_handler;
    bool m_unloaded = false;
};
