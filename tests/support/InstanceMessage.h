#pragma once
// Talks to a running instance's server as a second start does: one serialized byte
// array per connection.

#include <support/HangGuard.h>

#include <QByteArray>
#include <QDataStream>
#include <QDeadlineTimer>
#include <QLocalSocket>
#include <QString>

namespace PelmoraTest {

// A message as it travels on the connection.
inline QByteArray serializedMessage(const QByteArray& message)
{
    QByteArray payload;
    QDataStream out(&payload, QIODevice::WriteOnly);
    out << message;
    return payload;
}

// Sends one message and returns all the instance answered before it ended the connection.
inline QByteArray sendForReply(const QString& server, const QByteArray& message)
{
    QLocalSocket socket;
    socket.connectToServer(server);
    if (!socket.waitForConnected(HangGuardMs))
        return "<no connection>";
    socket.write(serializedMessage(message));
    QByteArray reply;
    const QDeadlineTimer guard(HangGuardMs);   // a guard against a hang only
    while (socket.state() == QLocalSocket::ConnectedState && !guard.hasExpired()) {
        socket.waitForReadyRead(100);
        reply += socket.readAll();
    }
    return reply + socket.readAll();
}

// Sends one message on `socket` and waits for the instance's acknowledgement, which it
// gives once the message is queued; the connection stays open for what the instance does
// with it.  False when the instance ended the connection without one.
inline bool sendUntilAcknowledged(QLocalSocket& socket, const QString& server, const QByteArray& message)
{
    socket.connectToServer(server);
    if (!socket.waitForConnected(HangGuardMs))
        return false;
    socket.write(serializedMessage(message));
    QByteArray reply;
    const QDeadlineTimer guard(HangGuardMs);   // a guard against a hang only
    while (reply.size() < 2 && socket.state() == QLocalSocket::ConnectedState && !guard.hasExpired()) {
        socket.waitForReadyRead(100);
        reply += socket.read(2 - reply.size());
    }
    return reply == "OK";
}

} // namespace PelmoraTest
