#pragma once
#include <QString>

namespace platform {

// The message-service control: connects to the message server, logs in, reports the
// account's remaining message count and sends text messages. Properties are plain strings
// that keep their value between calls; each method returns a result code (0 success,
// negative failure).
//
// This build has no message server to talk to, so the control runs a local service:
//   - the account lives in the settings store, application "ActiveSMS", section "Account":
//     keys "UserID", "Password" and "RestCount" (messages left; 0 when missing);
//   - the server is reachable unless section "Service", key "Online" is "0";
//   - every message sent is appended as one line to the spool file "SMSSpool.txt" in the
//     program folder: time, callback number, recipient, reservation time and the message,
//     separated by tabs (line breaks in the message written as "\n"), and the remaining
//     count goes down by one.
// The methods are virtual so that another service can stand in for this one.
class ActiveSMS {
public:
    ActiveSMS() = default;
    virtual ~ActiveSMS() = default;
    ActiveSMS(const ActiveSMS&) = delete;
    ActiveSMS& operator=(const ActiveSMS&) = delete;

    // Properties (written by the caller, kept until written again).
    QString ServerAddress;
    QString UserID;
    QString Password;
    QString DestNumber;
    QString CallbackNumber;
    QString ReserveTime; // "yyyyMMddhhmm" or "yyyyMMddhhmmss"; empty sends at once
    QString Message;

    // 0 connected; -1 server not found (no address), -2 communication error,
    // -3 connection refused (the service is off line).
    virtual int Connect();
    // 0 logged in; -1 unknown user, -2 wrong password, -3 the account store cannot be read,
    // -4 empty user or password, -5 not connected (the user cannot be looked up).
    virtual int Login();
    // 0 sent; -1 not connected, -2 not logged in, -3 no recipient, -4 no message,
    // -5 the reservation time has passed, -6 the server refused (no messages left, spool
    // not writable).
    virtual int Send();
    // Messages left (0 or more); -1 the account store cannot be read, -3 not logged in.
    virtual long RestCount();

    bool IsConnected() const { return m_connected; }
    bool IsLoggedIn() const { return m_loggedIn; }

    // The spool file of the local service.
    static QString SpoolFile();

private:
    bool m_connected = false;
    bool m_loggedIn = false;
    QString m_account; // the user logged in
};

} // namespace platform
