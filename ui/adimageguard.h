// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>

class QIODevice;

// Store images come from the network. A tile decodes only PNG, JPEG, GIF and BMP content, told by
// the bytes rather than the name, and only when the header promises something a tile can hold:
// a hostile file must neither reach rarely used decoders nor make the program allocate gigabytes.
struct AdImageCheck
{
    QByteArray format; // "png", "jpeg", "gif" or "bmp" as sniffed; empty if none of them
    QSize size; // as the header declares it; for a gif, the largest extent of screen and frames
    int frameCount = 0;          // gif only
    qint64 loopMilliseconds = 0; // gif only: how long one loop plays
    QString refusal;             // why the file must not be decoded; empty when it may

    bool accepted() const { return refusal.isEmpty(); }
};

namespace AdImageLimits {
constexpr qint64 maxFileBytes = 32 * 1024 * 1024;
constexpr int maxSide = 8192;
constexpr qint64 maxPixels = 4096 * 4096;
constexpr int maxFrames = 1000;
// A gif is judged as the animation it can be played as. Its decoder keeps the whole canvas (the
// size above) while it plays and hands all of it over at every frame, which the tile then scales:
// the canvas bounds the memory an animation holds, canvas pixels per frame shown its CPU time.
// The wide tile's 1021 x 224 fits twice over and may play at 30 frames a second.
constexpr qint64 maxAnimationPixels = 2 * 1024 * 1024;
constexpr qint64 maxAnimationPixelsPerSecond = 8 * 1024 * 1024;
} // namespace AdImageLimits

// The image format of the content starting with head, or an empty array.
QByteArray sniffAdImageFormat(const QByteArray &head);

// Reads only the header (all block headers, for a gif) from a readable, seekable device and
// leaves it at its start.
AdImageCheck checkAdImage(QIODevice *device);
AdImageCheck checkAdImageFile(const QString &path);
