// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/adlink/adfeed.h"

#include "core/adlink/framecodec.h"

#include <QLoggingCategory>
#include <QTcpSocket>

#include <utility>

namespace {
Q_LOGGING_CATEGORY(lcAdFeed, "zanora.adfeed")
} // namespace

AdFeed::AdFeed(QObject *parent)
    : QObject(parent)
    , tcp(new QTcpSocket(this))
{
    connectTimer.setSingleShot(true);
    answerTimer.setSingleShot(true);
    connect(&connectTimer, &QTimer::timeout, this, &AdFeed::giveUpConnecting);
    connect(&answerTimer, &QTimer::timeout, this, &AdFeed::giveUpWaitingForAnswer);

    connect(tcp, &QTcpSocket::connected, this, &AdFeed::onConnected);
    connect(tcp, &QTcpSocket::disconnected, this, &AdFeed::onDisconnected);
    connect(tcp, &QTcpSocket::readyRead, this, &AdFeed::readyRead);
    connect(tcp, &QTcpSocket::errorOccurred, this, &AdFeed::onError);
}

AdFeed::~AdFeed()
{
    attempting = false;
    connectTimer.stop();
    answerTimer.stop();
    tcp->disconnect(this);
    tcp->abort();
}

bool AdFeed::connectToServer(const QString &host, quint16 port)
{
    attempting = false;
    connectTimer.stop();
    answerTimer.stop();
    pendingFrames.clear();
    tcp->abort();
    // A new connection starts a new stream of frames.
    receivedHeaderBytes = 0;
    declaredFrameSize = 0;

    // Whatever the server sends, the socket never buffers more than one frame may hold.
    tcp->setReadBufferSize(FrameCodec::maximumFrameSize);
    attempting = true;
    connectTimer.start(connectLimit);
    // A host name is looked up in the background; the attempt's limit covers the lookup.
    tcp->connectToHost(host, port, QIODevice::ReadWrite, QAbstractSocket::AnyIPProtocol);
    if (tcp->state() == QAbstractSocket::UnconnectedState)
        endAttempt(false);
    return tcp->state() != QAbstractSocket::UnconnectedState;
}

bool AdFeed::send(const QByteArray &payload)
{
    const QByteArray frame = FrameCodec::encode(payload);
    if (tcp->state() == QAbstractSocket::ConnectedState)
        return write(frame);
    if (!isConnecting())
        return false;
    pendingFrames += frame;
    return true;
}

bool AdFeed::write(const QByteArray &frame)
{
    if (tcp->write(frame) <= 0)
        return false;
    answerTimer.start(answerLimit);
    return true;
}

bool AdFeed::readFrame(QByteArray &payload)
{
    switch (FrameCodec::readFrame(tcp, receivedHeaderBytes, declaredFrameSize, payload)) {
    case FrameCodec::ReadResult::Incomplete:
        return false;
    case FrameCodec::ReadResult::Invalid:
        qCDebug(lcAdFeed) << "bad frame, length" << declaredFrameSize
                          << "- dropping the connection";
        answerTimer.stop();
        tcp->abort();
        return false;
    case FrameCodec::ReadResult::Frame:
        answerTimer.stop();
        return true;
    }
    return false;
}

void AdFeed::disconnectFromServer()
{
    answerTimer.stop();
    tcp->disconnectFromHost();
}

const QAbstractSocket *AdFeed::socket() const
{
    return tcp;
}

void AdFeed::onConnected()
{
    emit connected();
    endAttempt(true);
}

void AdFeed::onDisconnected()
{
    answerTimer.stop();
    emit disconnected();
}

void AdFeed::onError(QAbstractSocket::SocketError error)
{
    qCDebug(lcAdFeed) << "socket error" << error << tcp->errorString();
    // While other addresses of the host are still being tried the socket stays connecting.
    if (tcp->state() == QAbstractSocket::UnconnectedState)
        endAttempt(false);
}

// The outcome of an attempt, logged once: connected, refused, not found or out of time.
void AdFeed::endAttempt(bool connected)
{
    if (!attempting)
        return;
    attempting = false;
    connectTimer.stop();
    qCDebug(lcAdFeed) << connected;
    const QByteArray frames = std::exchange(pendingFrames, QByteArray());
    if (connected && !frames.isEmpty() && !write(frames))
        qCDebug(lcAdFeed) << "the request could not be written:" << tcp->errorString();
}

void AdFeed::giveUpConnecting()
{
    qCDebug(lcAdFeed) << "no connection within" << connectLimit << "ms, giving up";
    tcp->abort();
    endAttempt(false);
}

void AdFeed::giveUpWaitingForAnswer()
{
    qCDebug(lcAdFeed) << "no whole answer within" << answerLimit << "ms, closing the connection";
    tcp->abort();
}
