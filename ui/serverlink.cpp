#include "ui/kelto.h"

#include "core/adlink/adfeed.h"
#include "core/adlink/adsetwriter.h"
#include "ui/adstore.h"

#include <QByteArray>
#include <QDataStream>
#include <QDebug>

namespace {

// What the client tells the server about itself: the program and its version, nothing about the
// user or the machine.
QString clientName()
{
    return QStringLiteral("Zanora");
}

QString clientVersion()
{
    return QStringLiteral(ZANORA_VERSION);
}

} // namespace

// The window's link slots are entries into its ad feed; none of them waits. The outcome of the
// attempt is logged when it is known ("true" or "false"), and the request that start-up hands
// over meanwhile goes out once connected.
bool kelto::connectHost()
{
    return feed->connectToServer(serverHost, quint16(serverPort));
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
    feed->disconnectFromServer();
}

QByteArray kelto::buildRequest(const QString &command)
{
    QByteArray payload;
    QDataStream out(&payload, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_5_15);
    if (command == QLatin1String("requestGG"))
        out << command << clientName() << clientVersion();
    return payload;
}

bool kelto::sendMessage(const QString &command)
{
    const QByteArray payload = buildRequest(command);
    if (payload.isEmpty())
        return false;
    return feed->send(payload);
}

void kelto::on_readyread()
{
    QByteArray payload;
    if (feed->readFrame(payload))
        handleResponse(payload);
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

void kelto::storeAdSet(QDataStream &stream)
{
    AdSetWriter::store(stream, adStoreFolder(), adLinks);
    disconnectSocket();
    saveAdLinks();
    // The new set shows at once; its links are already in effect.
    loadAdTiles();
}
