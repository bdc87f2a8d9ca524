// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/adimageguard.h"

#include <QFile>
#include <QIODevice>
#include <QImageReader>

namespace {

QString sizeRefusal(const QSize &size)
{
    if (size.width() > AdImageLimits::maxSide || size.height() > AdImageLimits::maxSide
        || qint64(size.width()) * size.height() > AdImageLimits::maxPixels) {
        return QStringLiteral("image size %1 x %2 too large").arg(size.width()).arg(size.height());
    }
    return QString();
}

// Qt shows a frame for the delay of the last control block before it, 100 ms without one, and
// plays delays below 20 ms as 100 ms, as browsers do.
int frameDelayMilliseconds(int hundredths)
{
    return (hundredths < 2 ? 10 : hundredths) * 10;
}

// Walks the block structure of a gif as Qt's decoder reads it: every frame's descriptor and
// delay is seen, no pixel data is decompressed. Stops where the decoder would stop, at the
// trailer, at an unknown block or at the end of the data.
void scanGif(const QByteArray &bytes, AdImageCheck &check)
{
    const qint64 end = bytes.size();
    const auto byteAt = [&](qint64 at) { return at < end ? uchar(bytes.at(int(at))) : uchar(0); };
    const auto word = [&](qint64 at) { return int(byteAt(at) | (byteAt(at + 1) << 8)); };

    if (end < 13) {
        check.refusal = QStringLiteral("gif header cut short");
        return;
    }
    int width = word(6);
    int height = word(8);
    const uchar screenFlags = byteAt(10);
    qint64 pos = 13;
    if (screenFlags & 0x80)
        pos += 3 << ((screenFlags & 7) + 1);

    const auto skipSubBlocks = [&]() {
        while (pos < end) {
            const int length = byteAt(pos++);
            if (length == 0)
                return;
            pos += length;
        }
    };

    int delay = frameDelayMilliseconds(10);
    while (pos < end) {
        const uchar introducer = byteAt(pos++);
        if (introducer == 0x21) {
            const uchar label = byteAt(pos++);
            if (label == 0xf9 || label == 0xff) {
                // The decoder takes the first sub-block of a control or application block whole,
                // even an empty one, and reads the byte after it as the next length: walked any
                // other way, a frame could hide from this walk inside what looks like data.
                const int length = byteAt(pos);
                if (label == 0xf9)
                    delay = frameDelayMilliseconds(length >= 3 ? word(pos + 2) : 1);
                pos += 1 + length;
            }
            skipSubBlocks();
        } else if (introducer == 0x2c) {
            if (end - pos < 9)
                break;
            if (++check.frameCount > AdImageLimits::maxFrames) {
                check.refusal
                        = QStringLiteral("more than %1 gif frames").arg(AdImageLimits::maxFrames);
                return;
            }
            check.loopMilliseconds += delay;
            width = qMax(width, word(pos) + word(pos + 4));
            height = qMax(height, word(pos + 2) + word(pos + 6));
            const uchar frameFlags = byteAt(pos + 8);
            pos += 9;
            if (frameFlags & 0x80)
                pos += 3 << ((frameFlags & 7) + 1);
            ++pos; // LZW minimum code size
            skipSubBlocks();
        } else {
            break;
        }
    }
    check.size = QSize(width, height);
    if (check.frameCount == 0) {
        check.refusal = QStringLiteral("gif without frames");
        return;
    }
    check.refusal = sizeRefusal(check.size);
    if (!check.accepted())
        return;
    const qint64 canvas = qint64(width) * height;
    if (canvas > AdImageLimits::maxAnimationPixels) {
        check.refusal = QStringLiteral("gif of %1 x %2 too large to play").arg(width).arg(height);
    } else if (check.frameCount * canvas * 1000
               > AdImageLimits::maxAnimationPixelsPerSecond * check.loopMilliseconds) {
        check.refusal = QStringLiteral("gif of %1 frames of %2 x %3 in %4 ms too costly to play")
                                .arg(check.frameCount)
                                .arg(width)
                                .arg(height)
                                .arg(check.loopMilliseconds);
    }
}

} // namespace

QByteArray sniffAdImageFormat(const QByteArray &head)
{
    if (head.startsWith("\x89PNG\r\n\x1a\n"))
        return QByteArrayLiteral("png");
    if (head.startsWith("\xff\xd8\xff"))
        return QByteArrayLiteral("jpeg");
    if (head.startsWith("GIF87a") || head.startsWith("GIF89a"))
        return QByteArrayLiteral("gif");
    if (head.startsWith("BM"))
        return QByteArrayLiteral("bmp");
    return QByteArray();
}

AdImageCheck checkAdImage(QIODevice *device)
{
    AdImageCheck check;
    if (!device->isReadable() || device->isSequential() || !device->seek(0)) {
        check.refusal = QStringLiteral("not readable");
        return check;
    }
    if (device->size() > AdImageLimits::maxFileBytes) {
        check.refusal = QStringLiteral("file of %1 bytes too large").arg(device->size());
        return check;
    }
    check.format = sniffAdImageFormat(device->peek(8));
    if (check.format.isEmpty()) {
        check.refusal = QStringLiteral("not a png, jpeg, gif or bmp image");
        return check;
    }

    if (check.format == "gif") {
        scanGif(device->readAll(), check);
    } else {
        QImageReader reader(device, check.format);
        reader.setAutoDetectImageFormat(false);
        check.size = reader.size();
        // A bitmap stored top-down declares a negative height, which its decoder accepts.
        if (check.format == "bmp")
            check.size.setHeight(qAbs(check.size.height()));
        if (!check.size.isValid())
            check.refusal = QStringLiteral("unreadable %1 header").arg(QLatin1String(check.format));
        else
            check.refusal = sizeRefusal(check.size);
    }
    device->seek(0);
    return check;
}

AdImageCheck checkAdImageFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        AdImageCheck check;
        check.refusal = file.errorString();
        return check;
    }
    return checkAdImage(&file);
}
