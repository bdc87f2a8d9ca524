// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/adpanel.h"

#include "core/adlink/adlinkpolicy.h"
#include "core/adlink/adstore.h"
#include "ui/adimageguard.h"

#include <QBuffer>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QLoggingCategory>
#include <QMovie>
#include <QPixmap>
#include <QUrl>

Q_LOGGING_CATEGORY(lcAdTiles, "zanora.adtiles")

namespace {

// A refused or undecodable file leaves the tile empty, as an image that fails to decode does.
void showNothing(QLabel *label, const QString &path, const QString &why)
{
    qCDebug(lcAdTiles) << "Ad image not shown:" << path << why;
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
            qCDebug(lcAdTiles) << "Ad link not opened:" << link;
        return;
    }
    QDesktopServices::openUrl(url);
}

} // namespace

AdPanel::AdPanel(const std::array<QLabel *, 9> &tiles, const AdLinks &links, QObject *parent)
    : QObject(parent)
    , tiles(tiles)
    , links(links)
{}

void AdPanel::loadTiles()
{
    const QString folder = adStoreFolder();
    QDir().mkpath(folder);

    const QFileInfoList files = listFolderFiles(folder);
    for (const QFileInfo &file : files) {
        const QString base = file.baseName();
        int tile = 0;
        while (tile < 9 && base != QStringLiteral("GG%1").arg(tile + 1))
            ++tile;
        if (tile == 9)
            continue;
        QLabel *label = tiles[std::size_t(tile)];
        QMovie *previous = label->movie();
        if (file.suffix() == QLatin1String("dats"))
            showAnimation(label, file.filePath());
        else
            showStill(label, file.filePath());
        if (previous && previous->parent() == label)
            delete previous;
    }
}

void AdPanel::openLink(int tile) const
{
    openAdLink(links.at(std::size_t(tile)));
}
