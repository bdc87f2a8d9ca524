// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <QTcpServer>

class QTcpSocket;

// Serves the ad set of one folder on 127.0.0.1: every requestGG frame gets one GGFiles frame
// with the folder's current content; the client closes the connection.
class AdServer : public QObject
{
    Q_OBJECT

public:
    explicit AdServer(const QString &adsFolder, QObject *parent = nullptr);

    bool listen(quint16 port);
    quint16 port() const { return server.serverPort(); }
    QString errorString() const { return server.errorString(); }

private:
    void acceptConnections();
    void readRequests(QTcpSocket *client);
    void answer(QTcpSocket *client, const QByteArray &payload);

    QTcpServer server;
    QString adsFolder;
    QHash<QTcpSocket *, QByteArray> received;
};
