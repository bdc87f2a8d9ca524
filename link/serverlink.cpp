#include "kelto.h"

#include "framecodec.h"

#include <QByteArray>
#include <QDataStream>
#include <QDebug>
#include <QTcpSocket>

namespace {

const int connectTimeout = 20000;
const int answerTimeout = 30000;
const int disconnectTimeout = 30000;

// What the client tells the server about itself: the program and its version, nothing about the
// user or the machine.
const QString clientName = QStringLiteral("Zanora");
const QString clientVersion = QStringLiteral(ZANORA_VERSION);

} // namespace

bool kelto::connectHost()
{
    // Whatever the server sends, the socket never buffers more than one frame may hold.
    socket->setReadBufferSize(FrameCodec::maximumFrameSize);
    socket->connectToHost(serverHost, quint16(serverPort), QIODevice::ReadWrite,
                          QAbstractSocket::AnyIPProtocol);
    const bool connected = socket->waitForConnected(connectTimeout);
    qDebug() << connected;
    return connected;
}

void kelto::on_connected()
{
    qDebug() << "连接成功";
}

void kelto::on_disconnected()
{
    qDebug() << "断开";
}

void kelto::disconnectSocket()
{
    socket->disconnectFromHost();
    if (socket->state() != QAbstractSocket::UnconnectedState)
        socket->waitForDisconnected(disconnectTimeout);
}

QByteArray kelto::buildRequest(const QString &command)
{
    QByteArray payload;
    QDataStream out(&payload, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_5_15);
    if (command == QLatin1String("requestGG"))
        out << command << clientName << clientVersion;
    return payload;
}

bool kelto::sendMessage(const QString &command)
{
    const QByteArray payload = buildRequest(command);
    if (payload.isEmpty())
        return false;
    if (socket->write(FrameCodec::encode(payload)) <= 0)
        return false;
    // An answer that comes in time is handled inside this wait, through on_readyread; one that
    // comes later is handled from the event loop.
    socket->waitForReadyRead(answerTimeout);
    return true;
}

void kelto::on_readyread()
{
    QByteArray payload;
    switch (FrameCodec::readFrame(socket, headerBytes, frameSize, payload)) {
    case FrameCodec::ReadResult::Incomplete:
        return;
    case FrameCodec::ReadResult::Invalid:
        qDebug() << "bad frame, length" << frameSize << "- dropping the connection";
        socket->abort();
        return;
    case FrameCodec::ReadResult::Frame:
        handleResponse(payload);
        return;
    }
}

void kelto::handleResponse(QByteArray payload)
{
    QDataStream in(payload);
    in.setVersion(QDataStream::Qt_5_15);
    QString keyword;
    in >> keyword;
    qDebug() << keyword;
    if (keyword == QLatin1String("GGFiles"))
        storeAdSet(in);
}
