// SPDX-License-Identifier: GPL-3.0-or-later
#include "adserver.h"

#include "adset.h"

#include <QDataStream>
#include <QTcpSocket>
#include <QTextStream>
#include <QTimer>
#include <QtEndian>

namespace {

// Requests are a few dozen bytes; anything longer is not from a client of ours.
constexpr qint64 largestRequest = 64 * 1024;
// The largest frame the client accepts.
constexpr qint64 largestAnswer = 64 * 1024 * 1024;
constexpr int idleTimeout = 60000;

QTextStream &log()
{
    static QTextStream err(stderr);
    return err;
}

QByteArray frame(const QByteArray &payload)
{
    QByteArray block;
    QDataStream out(&block, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_5_15);
    out << qint64(8 + 4 + payload.size()) << payload;
    return block;
}

} // namespace

AdServer::AdServer(const QString &adsFolder, QObject *parent)
    : QObject(parent)
    , adsFolder(adsFolder)
{
    connect(&server, &QTcpServer::newConnection, this, &AdServer::acceptConnections);
}

bool AdServer::listen(quint16 port)
{
    return server.listen(QHostAddress::LocalHost, port);
}

void AdServer::acceptConnections()
{
    while (QTcpSocket *client = server.nextPendingConnection()) {
        received.insert(client, QByteArray());
        connect(client, &QTcpSocket::readyRead, this, [this, client] { readRequests(client); });
        connect(client, &QTcpSocket::disconnected, this, [this, client] {
            received.remove(client);
            client->deleteLater();
        });
        // A client that neither asks nor closes is dropped after a while.
        auto *idle = new QTimer(client);
        idle->setSingleShot(true);
        connect(idle, &QTimer::timeout, client, &QTcpSocket::abort);
        connect(client, &QTcpSocket::readyRead, idle, [idle] { idle->start(idleTimeout); });
        idle->start(idleTimeout);
    }
}

void AdServer::readRequests(QTcpSocket *client)
{
    QByteArray &buffer = received[client];
    buffer += client->readAll();
    while (buffer.size() >= 8) {
        const qint64 total = qFromBigEndian<qint64>(buffer.constData());
        if (total < 12 || total > largestRequest) {
            log() << "dropping a client that sent a frame of length " << total << Qt::endl;
            client->abort();
            return;
        }
        if (buffer.size() < total)
            return;
        const QByteArray body = buffer.mid(8, int(total - 8));
        buffer.remove(0, int(total));

        QDataStream in(body);
        in.setVersion(QDataStream::Qt_5_15);
        QByteArray payload;
        in >> payload;
        if (in.status() != QDataStream::Ok || payload.size() != total - 12) {
            log() << "dropping a client that sent a malformed frame" << Qt::endl;
            client->abort();
            return;
        }
        answer(client, payload);
        if (client->state() != QAbstractSocket::ConnectedState)
            return;
    }
}

void AdServer::answer(QTcpSocket *client, const QByteArray &payload)
{
    QDataStream in(payload);
    in.setVersion(QDataStream::Qt_5_15);
    QString command;
    QString program;
    QString version;
    in >> command >> program >> version;
    if (command != QLatin1String("requestGG")) {
        log() << "ignoring the command \"" << command << "\"" << Qt::endl;
        return;
    }

    AdSet adSet;
    if (!adSet.load(adsFolder)) {
        log() << "cannot serve the ad set: " << adSet.errorString() << Qt::endl;
        client->abort();
        return;
    }
    const QByteArray block = frame(adSet.answerPayload());
    if (block.size() > largestAnswer) {
        log() << "the ad set is too large to send (" << block.size() << " bytes)" << Qt::endl;
        client->abort();
        return;
    }
    client->write(block);
    log() << "sent " << adSet.entries().size() << " ads (" << block.size() << " bytes) to "
          << program << " " << version << Qt::endl;
}
