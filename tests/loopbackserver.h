// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "tests/wirebytes.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QMutex>
#include <QMutexLocker>
#include <QSemaphore>
#include <QTcpServer>
#include <QTcpSocket>
#include <QThread>

#include <atomic>

#ifdef Q_OS_LINUX
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

// A scripted TCP server on 127.0.0.1 in a thread of its own, so that it answers whatever the test's
// thread does. It takes one connection and reads one request frame; then it sends the first answer
// piece at once and each further piece when the test calls sendNext(); then it waits for the
// client to close the connection. Without pieces it is a server that accepts and never answers.
class LoopbackServer : public QThread
{
public:
    explicit LoopbackServer(QList<QByteArray> pieces = {})
        : pieces(std::move(pieces))
    {
        start();
        listening.acquire();
    }

    ~LoopbackServer() override
    {
        stopping = true;
        wait();
    }

    quint16 port() const { return portNumber; }
    void sendNext() { released.release(); }

    QByteArray request() const
    {
        QMutexLocker lock(&mutex);
        return requestBytes;
    }
    bool requestComplete() const { return requestDone; }
    int piecesSent() const { return sent; }
    bool clientClosed() const { return closed; }

protected:
    void run() override
    {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        portNumber = server.serverPort();
        listening.release();

        while (!stopping && !server.waitForNewConnection(step)) {
        }
        if (stopping)
            return;
        QTcpSocket *client = server.nextPendingConnection();

        QByteArray in;
        while (!stopping && !WireBytes::frameComplete(in)) {
            if (client->waitForReadyRead(step))
                in += client->readAll();
            else if (client->state() != QAbstractSocket::ConnectedState)
                break;
        }
        {
            QMutexLocker lock(&mutex);
            requestBytes = in;
        }
        requestDone = WireBytes::frameComplete(in);

        for (int i = 0; i < pieces.size() && client->state() == QAbstractSocket::ConnectedState;
             ++i) {
            while (i > 0 && !released.tryAcquire(1, step)) {
                if (stopping)
                    return;
            }
            client->write(pieces.at(i));
            while (client->bytesToWrite() > 0 && client->waitForBytesWritten(step)) {
            }
            ++sent;
        }

        while (!stopping && client->state() == QAbstractSocket::ConnectedState) {
            if (client->waitForReadyRead(step))
                client->readAll();
        }
        closed = client->state() == QAbstractSocket::UnconnectedState;
    }

private:
    static constexpr int step = 50;
    const QList<QByteArray> pieces;
    QSemaphore listening;
    QSemaphore released;
    mutable QMutex mutex;
    QByteArray requestBytes;
    std::atomic<quint16> portNumber{0};
    std::atomic<bool> stopping{false};
    std::atomic<bool> requestDone{false};
    std::atomic<int> sent{0};
    std::atomic<bool> closed{false};
};

// A port on 127.0.0.1 that never accepts: a connection of its own fills the backlog of one, so
// the kernel drops further connection requests and a client stays connecting. drain() accepts
// whatever is queued and counts the bytes that reached the server. That is how Linux treats a
// full backlog; elsewhere isSupported() is false and the listener has no port.
#ifdef Q_OS_LINUX
class FullBacklogListener
{
public:
    static constexpr bool isSupported() { return true; }

    FullBacklogListener()
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        auto *generic = reinterpret_cast<sockaddr *>(&address);
        if (::bind(listener, generic, length) == 0 && ::listen(listener, 0) == 0
            && ::getsockname(listener, generic, &length) == 0
            && ::connect(filler, generic, length) == 0)
            portNumber = ntohs(address.sin_port);
    }
    ~FullBacklogListener()
    {
        ::close(filler);
        ::close(listener);
    }

    quint16 port() const { return portNumber; }
    qint64 drain()
    {
        qint64 received = 0;
        for (int peer; (peer = ::accept4(listener, nullptr, nullptr, SOCK_NONBLOCK)) >= 0;) {
            char buffer[256];
            for (ssize_t n; (n = ::recv(peer, buffer, sizeof buffer, 0)) > 0;)
                received += n;
            ::close(peer);
        }
        return received;
    }

private:
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    const int filler = ::socket(AF_INET, SOCK_STREAM, 0);
    quint16 portNumber = 0;
};
#else
class FullBacklogListener
{
public:
    static constexpr bool isSupported() { return false; }
    quint16 port() const { return 0; }
    qint64 drain() { return 0; }
};
#endif

// Skips a row that needs a client kept connecting by a full backlog.
#define SKIP_WITHOUT_FULL_BACKLOG() \
    do { \
        if (!FullBacklogListener::isSupported()) \
            QSKIP("Needs a listener whose full backlog drops connection requests, as on Linux"); \
    } while (false)
