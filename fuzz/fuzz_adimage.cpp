// SPDX-License-Identifier: GPL-3.0-or-later
// An ad image as a tile meets it: the guard first, then, for what it accepts, the decoding a tile
// does (every frame of a gif, as an animation plays them). What the decoder makes must stay
// within what the guard read from the header, so the guard's limits hold for the real work;
// libFuzzer's -timeout and -rss_limit_mb bound the time and memory.
//
// Input: the image file.

#include "fuzz/fuzzsupport.h"
#include "ui/adimageguard.h"

#include <QBuffer>
#include <QImage>
#include <QImageReader>

#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzSupport::startApplication();
    QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    const AdImageCheck guard = checkAdImage(&buffer);
    if (!guard.accepted())
        return 0;

    QImageReader reader(&buffer, guard.format);
    reader.setAutoDetectImageFormat(false);
    // A still is read once; for a gif, one read more than the guard counted frames must fail.
    const bool animation = guard.format == "gif";
    const int frames = animation ? guard.frameCount : 1;
    for (int frame = 0; frame < (animation ? frames + 1 : 1); ++frame) {
        const QImage image = reader.read();
        if (image.isNull())
            break;
        check(frame < frames);
        check(image.width() <= guard.size.width() && image.height() <= guard.size.height());
        image.scaled(240, 53, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    }
    return 0;
}
