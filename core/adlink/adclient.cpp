// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/adlink/adclient.h"

#include "core/adlink/adfeed.h"
#include "core/adlink/adsetwriter.h"
#include "core/adlink/adstore.h"

#include <QDataStream>
#include <QIODevice>
#include <QLoggingCategory>
#include <QThread>

Q_LOGGING_CATEGORY(lcAdClient, "zanora.adclient")

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

// One set on its way into the store: what the worker thread reads and what it leaves.
struct AdClient::Store
{
    QByteArray set; // the answer after its keyword
    QString folder;
    AdLinks links;
};

AdClient::AdClient(const AdLinks &links, QObject *parent)
    : QObject(parent)
    , links(links)
    , adFeed(new AdFeed(this))
{
    connect(adFeed, &AdFeed::readyRead, this, &AdClient::readResponse);
}

AdClient::~AdClient()
{
    if (storeThread) {
        storeThread->wait();
        delete storeThread;
    }
}

QByteArray AdClient::buildRequest(const QString &command)
{
    QByteArray payload;
    QDataStream out(&payload, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_5_15);
    if (command == QLatin1String("requestGG"))
        out << command << clientName() << clientVersion();
    return payload;
}

bool AdClient::sendMessage(const QString &command)
{
    const QByteArray payload = buildRequest(command);
    if (payload.isEmpty())
        return false;
    return adFeed->send(payload);
}

void AdClient::readResponse()
{
    if (isStoring()) {
        readPending = true; // read once the set is stored
        return;
    }
    QByteArray payload;
    if (adFeed->readFrame(payload))
        handleResponse(payload);
}

void AdClient::handleResponse(const QByteArray &payload)
{
    QDataStream in(payload);
    in.setVersion(QDataStream::Qt_5_15);
    QString keyword;
    in >> keyword;
    qCDebug(lcAdClient) << keyword;
    if (keyword == QLatin1String("GGFiles"))
        storeAdSet(in);
}

void AdClient::storeAdSet(QDataStream &stream)
{
    if (isStoring()) {
        qCWarning(lcAdClient) << "an ad set is being stored already; this one is dropped";
        return;
    }
    store = std::make_shared<Store>();
    store->set = stream.device()->readAll();
    store->folder = adStoreFolder();
    store->links = links;
    const std::shared_ptr<Store> job = store;
    storeThread = QThread::create([job] {
        QDataStream in(job->set);
        in.setVersion(QDataStream::Qt_5_15);
        AdSetWriter::store(in, job->folder, job->links);
        writeAdLinks(job->links, adLinkFilePath(job->folder));
    });
    connect(storeThread, &QThread::finished, this, &AdClient::finishStore);
    storeThread->start();
}

void AdClient::finishStore()
{
    storeThread->wait();
    delete storeThread;
    storeThread = nullptr;
    const AdLinks stored = store->links;
    store.reset();
    adFeed->disconnectFromServer();
    emit adSetStored(stored);
    // What arrived meanwhile is read now.
    if (readPending) {
        readPending = false;
        readResponse();
    }
}
