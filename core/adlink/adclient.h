// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/adlink/adlinkcodec.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <memory>

class AdFeed;
class QDataStream;
class QThread;

// The client side of the ad server's protocol over the one connection, an AdFeed: the request it
// sends, the answers it reads and the ad set of a "GGFiles" answer. The set is stored in the ad
// store (AdSetWriter, then the link file) on a worker thread, so that its images, up to 64 MiB,
// are never written on the thread the client lives on; then the connection is closed and
// adSetStored() tells the new links. While a set is being stored, further answers wait in the
// connection.
class AdClient : public QObject
{
    Q_OBJECT

public:
    // `links` are the tiles' links as they are now, which an ad set changes only for the tiles it
    // names; they are read on the client's thread when a set arrives.
    explicit AdClient(const AdLinks &links, QObject *parent = nullptr);
    // Waits for a set being stored; emits nothing more.
    ~AdClient() override;

    AdFeed *feed() const { return adFeed; }

    // The payload of a request: for "requestGG" the command, the program's name and its version,
    // nothing about the user or the machine; empty for any other command.
    static QByteArray buildRequest(const QString &command);
    // Hands the request to the feed; false when there is nothing to send or the feed refuses.
    bool sendMessage(const QString &command);
    // Reads one whole answer from the feed, if there is one, and handles it.
    void readResponse();
    // Logs the answer's keyword; a "GGFiles" answer's set is stored.
    void handleResponse(const QByteArray &payload);
    // Stores the ad set that follows the keyword in `stream`.
    void storeAdSet(QDataStream &stream);

    bool isStoring() const { return storeThread != nullptr; }

signals:
    // A set has been stored and the connection closed; `links` are the tiles' links now.
    void adSetStored(const AdLinks &links);

private:
    struct Store;
    void finishStore();

    const AdLinks &links;
    AdFeed *adFeed;
    QThread *storeThread = nullptr;
    bool readPending = false; // the feed had something to read while a set was being stored
    std::shared_ptr<Store> store;
};
