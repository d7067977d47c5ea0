#pragma once
#include <QString>

// The workstation's own network address, for when the socket cannot tell it.

// The first IPv4 address of the host in dotted decimal, or "" on failure (after a message).
// An empty sHostName means this workstation.
QString GetHostIPAddress(QString& sHostName);
QString GetHostIPAddress(); // this workstation
// The same address without any message: "" when the host has no IPv4 address or cannot be
// looked up. An empty hostName means this workstation.
QString HostIPv4Address(const QString& hostName);

// Starts the socket layer (version 1.1) and checks it; false after a message when it cannot.
bool SocketsInitialize();
// Ends the socket layer.
void SocketsCleanup();

// High / low byte of a 16-bit value.
int HiByte(int wParam);
int LoByte(int wParam);

// The address text of a host entry's address bytes: each byte in decimal, joined by ".".
QString DottedAddress(const unsigned char* bytes, int length);
