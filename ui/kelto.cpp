#include "ui/kelto.h"
#include "ui_kelto.h"

#include "core/adlink/adfeed.h"

#include <QImage>
#include <QPixmap>

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
    ui->title->setPixmap(titlePicture.isNull() ? QPixmap()
                                               : QPixmap::fromImage(titlePicture.scaled(
                                                       ui->title->size(), Qt::IgnoreAspectRatio,
                                                       Qt::FastTransformation)));

    feed = new AdFeed(this);
    connect(feed, &AdFeed::connected, this, &kelto::on_connected, Qt::DirectConnection);
    connect(feed, &AdFeed::disconnected, this, &kelto::on_disconnected, Qt::DirectConnection);
    connect(feed, &AdFeed::readyRead, this, &kelto::on_readyread, Qt::DirectConnection);

    readServerConfig();
    loadAdLinks();
    // Neither call waits: the request goes out once connected, and an ad set reloads the tiles
    // when it arrives. Until then they show the ads already stored.
    if (connectHost())
        sendMessage(QStringLiteral("requestGG"));
    loadAdTiles();

    ui->progressBar->setRange(0, 100);
    ui->progressBar->setValue(0);
    ui->progressBar->setAlignment(Qt::AlignCenter);
    ui->progressBar->reset();

    addWriteConfigAction();
    acceptFolderDrops();
    acceptMessages();
}

kelto::~kelto()
{
    abandonSelection();
    // The feed's signals lead to this window's slots, so it goes while the window is whole.
    delete feed;
    delete ui;
}
