// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/kelto.h"
#include "ui_kelto.h"

#include "core/adlink/adclient.h"
#include "core/adlink/adfeed.h"
#include "core/adlink/adstore.h"
#include "ui/adpanel.h"
#include "ui/errorlist.h"
#include "ui/folderrow.h"
#include "ui/messagepicks.h"
#include "ui/runcontroller.h"

#include <QImage>
#include <QLoggingCategory>
#include <QPixmap>

Q_LOGGING_CATEGORY(lcWindow, "zanora.window")

namespace {
// A host under the reserved example.com domain: the tiles open something harmless until a link
// file or the ad server supplies real links.
const QString defaultAdLink = QStringLiteral("www.example.com");
} // namespace

kelto::kelto(QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui::kelto)
{
    adLinks.fill(defaultAdLink);

    ui->setupUi(this);
    setWindowTitle(tr("Zanora V3.1"));

    // Without a readable picture the label gets an empty pixmap, which also clears its text.
    const QImage titlePicture(QStringLiteral("./myTitle.png"));
    QPixmap title;
    if (!titlePicture.isNull()) {
        title = QPixmap::fromImage(titlePicture.scaled(ui->title->size(), Qt::IgnoreAspectRatio,
                                                       Qt::FastTransformation));
    }
    ui->title->setPixmap(title);

    // The parts are made before anything can open a box, whose event loop could reach a slot.
    smallImagesRow = new FolderRow(ui->seletDataTree, ui->label_smallPath, smallImagesPath,
                                   FolderRow::CountImages, this);
    smallImagesRow->countPicksBy(matchRules);
    bigImagesRow = new FolderRow(ui->seletInput, ui->label_bigPath, bigImagesPath,
                                 FolderRow::CountFiles, this);
    outputRow = new FolderRow(ui->seletOutput, ui->label_output, outputPath, FolderRow::NoCount,
                              this);
    messagePicks = new MessagePicks(ui->seletDataTree, ui->label_smallPath, pickMessage, this);
    smallImagesRow->takeMessages();
    connect(smallImagesRow, &FolderRow::messageDropped, messagePicks, &MessagePicks::take);
    connect(smallImagesRow, &FolderRow::folderTaken, messagePicks, &MessagePicks::clear);
    run = new RunController({ui->output_combined,
                             ui->output_classified,
                             ui->progressBar,
                             {ui->seletDataTree, ui->seletInput, ui->seletOutput}},
                            {smallImagesPath, bigImagesPath, outputPath, matchRules, pickMessage},
                            this);
    connect(run, &RunController::missingFound, this, &kelto::askAboutMissing);
    connect(run, &RunController::stopping, this, [this] {
        // Not the pointer first: while the dialog is being destroyed it is no errorList any more.
        if (waitingForDecision && decisionDialog)
            decisionDialog->reject();
    });

    client = new AdClient(adLinks, this);
    connect(client->feed(), &AdFeed::connected, this, &kelto::on_connected, Qt::DirectConnection);
    connect(client->feed(), &AdFeed::disconnected, this, &kelto::on_disconnected,
            Qt::DirectConnection);
    // The new set shows at once; its links are already in effect.
    connect(client, &AdClient::adSetStored, this, [this](const AdLinks &links) {
        adLinks = links;
        loadAdTiles();
    });
    adPanel = new AdPanel(
            {ui->GG1, ui->GG2, ui->GG3, ui->GG4, ui->GG5, ui->GG6, ui->GG7, ui->GG8, ui->GG9},
            adLinks, this);

    readServerConfig();
    loadAdLinks();
    // Neither call waits: the request goes out once connected, and an ad set reloads the tiles
    // when it has been stored. Until then they show the ads already stored.
    if (connectHost())
        sendMessage(QStringLiteral("requestGG"));
    loadAdTiles();

    ui->progressBar->setRange(0, 100);
    ui->progressBar->setValue(0);
    ui->progressBar->setAlignment(Qt::AlignCenter);
    ui->progressBar->reset();

    addWriteConfigAction();
    addRulesAction();
}

kelto::~kelto()
{
    // A run still going on is stopped and waited for while the widgets it shows are whole.
    delete decisionDialog;
    delete run;
    run = nullptr;
    // The feed's signals lead to this window's slots, so it goes while the window is whole.
    delete client;
    delete ui;
}

void kelto::bt_seletSmallImagesPath()
{
    smallImagesRow->pick();
}

void kelto::bt_seletBigImagesPath()
{
    bigImagesRow->pick();
}

void kelto::bt_seletOutputPath()
{
    outputRow->pick();
}

void kelto::bt_combinedOutput()
{
    run->run(false);
}

void kelto::bt_classifiedOutput()
{
    run->run(true);
}

// The link slots hand the work to the ad client; none of them waits. The outcome of a connection
// attempt is logged when it is known ("true" or "false"), and the request that start-up hands
// over meanwhile goes out once connected.
bool kelto::connectHost()
{
    return client->feed()->connectToServer(serverHost, quint16(serverPort));
}

void kelto::on_connected()
{
    qCDebug(lcWindow) << "连接成功";
}

void kelto::on_disconnected()
{
    qCDebug(lcWindow) << "断开";
}

void kelto::disconnectSocket()
{
    client->feed()->disconnectFromServer();
}

// The ad client reads its answers itself; this reads one that is whole, if any.
void kelto::on_readyread()
{
    client->readResponse();
}

QByteArray kelto::buildRequest(const QString &command)
{
    return AdClient::buildRequest(command);
}

bool kelto::sendMessage(const QString &command)
{
    return client->sendMessage(command);
}

void kelto::handleResponse(QByteArray payload)
{
    client->handleResponse(payload);
}

void kelto::storeAdSet(QDataStream &stream)
{
    client->storeAdSet(stream);
}

AdFeed *kelto::adFeed() const
{
    return client->feed();
}

QFileInfoList kelto::listFolderFiles(const QString &path)
{
    return ::listFolderFiles(path);
}

void kelto::loadAdLinks()
{
    readAdLinks(adLinks);
}

void kelto::saveAdLinks()
{
    writeAdLinks(adLinks);
}

void kelto::loadAdTiles()
{
    adPanel->loadTiles();
}

void kelto::bt_GG1()
{
    adPanel->openLink(0);
}

void kelto::bt_GG2()
{
    adPanel->openLink(1);
}

void kelto::bt_GG3()
{
    adPanel->openLink(2);
}

void kelto::bt_GG4()
{
    adPanel->openLink(3);
}

void kelto::bt_GG5()
{
    adPanel->openLink(4);
}

void kelto::bt_GG6()
{
    adPanel->openLink(5);
}

void kelto::bt_GG7()
{
    adPanel->openLink(6);
}

void kelto::bt_GG8()
{
    adPanel->openLink(7);
}

void kelto::bt_GG9()
{
    adPanel->openLink(8);
}
