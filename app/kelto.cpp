#include "kelto.h"
#include "ui_kelto.h"

#include <QImage>
#include <QPixmap>
#include <QTcpSocket>

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
    ui->title->setPixmap(titlePicture.isNull()
                                 ? QPixmap()
                                 : QPixmap::fromImage(titlePicture.scaled(ui->title->size(),
                                                                          Qt::IgnoreAspectRatio,
                                                                          Qt::FastTransformation)));

    socket = new QTcpSocket(this);
    connect(socket, &QTcpSocket::connected, this, &kelto::on_connected, Qt::DirectConnection);
    connect(socket, &QTcpSocket::disconnected, this, &kelto::on_disconnected,
            Qt::DirectConnection);
    connect(socket, &QTcpSocket::readyRead, this, &kelto::on_readyread, Qt::DirectConnection);

    readServerConfig();
    loadAdLinks();
    if (connectHost())
        sendMessage(QStringLiteral("requestGG"));
    loadAdTiles();

    ui->progressBar->setRange(0, 100);
    ui->progressBar->setValue(0);
    ui->progressBar->setAlignment(Qt::AlignCenter);
    ui->progressBar->reset();

    addWriteConfigAction();
}

kelto::~kelto()
{
    // The socket outlives this destructor's body; a link still open would report its closing to
    // a window that is no longer one.
    socket->disconnect(this);
    delete ui;
}
