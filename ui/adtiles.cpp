#include "core/adlink/adlinkpolicy.h"
#include "ui/adimageguard.h"
#include "ui/adstore.h"
#include "ui/kelto.h"
#include "ui_kelto.h"

#include <QBuffer>
#include <QDebug>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QMovie>
#include <QPixmap>
#include <QUrl>

namespace {

// A refused or undecodable file leaves the tile empty, as an image that fails to decode does.
void showNothing(QLabel *label, const QString &path, const QString &why)
{
    qDebug() << "Ad image not shown:" << path << why;
    label->setPixmap(QPixmap());
}

void showAnimation(QLabel *label, const QString &path)
{
    // The animation plays from the bytes that were checked: given the path, QMovie would reopen
    // the file at every loop and play whatever an ad set stored there later, unchecked.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return showNothing(label, path, file.errorString());
    auto *buffer = new QBuffer;
    buffer->setData(file.read(AdImageLimits::maxFileBytes + 1));
    buffer->open(QIODevice::ReadOnly);
    const AdImageCheck check = checkAdImage(buffer);
    if (!check.accepted()) {
        delete buffer;
        return showNothing(label, path, check.refusal);
    }
    // The label owns the animation, so it plays exactly as long as the tile can show it.
    auto *movie = new QMovie(buffer, check.format, label);
    buffer->setParent(movie);
    movie->setScaledSize(label->size());
    label->setMovie(movie);
    movie->start();
}

void showStill(QLabel *label, const QString &path)
{
    const AdImageCheck check = checkAdImageFile(path);
    if (!check.accepted())
        return showNothing(label, path, check.refusal);
    QImageReader reader(path, check.format);
    reader.setAutoDetectImageFormat(false);
    const QImage image = reader.read();
    label->setPixmap(QPixmap::fromImage(
            image.scaled(label->size(), Qt::IgnoreAspectRatio, Qt::FastTransformation)));
}

void openAdLink(const QString &link)
{
    const QUrl url = adLinkTarget(link);
    if (url.isEmpty()) {
        if (!link.isEmpty())
            qDebug() << "Ad link not opened:" << link;
        return;
    }
    QDesktopServices::openUrl(url);
}

} // namespace

void kelto::loadAdTiles()
{
    const QString folder = adStoreFolder();
    QDir().mkpath(folder);

    QLabel *const labels[] = {ui->GG1, ui->GG2, ui->GG3, ui->GG4, ui->GG5,
                              ui->GG6, ui->GG7, ui->GG8, ui->GG9};
    const QFileInfoList files = listFolderFiles(folder);
    for (const QFileInfo &file : files) {
        const QString base = file.baseName();
        int tile = 0;
        while (tile < 9 && base != QStringLiteral("GG%1").arg(tile + 1))
            ++tile;
        if (tile == 9)
            continue;
        QLabel *label = labels[tile];
        QMovie *previous = label->movie();
        if (file.suffix() == QLatin1String("dats"))
            showAnimation(label, file.filePath());
        else
            showStill(label, file.filePath());
        if (previous && previous->parent() == label)
            delete previous;
    }
}

void kelto::bt_GG1()
{
    openAdLink(adLinks[0]);
}
void kelto::bt_GG2()
{
    openAdLink(adLinks[1]);
}
void kelto::bt_GG3()
{
    openAdLink(adLinks[2]);
}
void kelto::bt_GG4()
{
    openAdLink(adLinks[3]);
}
void kelto::bt_GG5()
{
    openAdLink(adLinks[4]);
}
void kelto::bt_GG6()
{
    openAdLink(adLinks[5]);
}
void kelto::bt_GG7()
{
    openAdLink(adLinks[6]);
}
void kelto::bt_GG8()
{
    openAdLink(adLinks[7]);
}
void kelto::bt_GG9()
{
    openAdLink(adLinks[8]);
}
