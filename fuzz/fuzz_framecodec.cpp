// SPDX-License-Identifier: GPL-3.0-or-later
// The frame receiver fed as a socket feeds it: the stream arrives in chunks whose sizes the input
// chooses, and what it reads must be what an independent reading of the whole stream finds.
//
// Input: one byte k, then k bytes of chunk sizes (each 1 to 256, used in turn), then the stream.

#include "core/adlink/framecodec.h"
#include "tests/pipe.h"

#include <QByteArray>
#include <QIODevice>
#include <QList>
#include <QtEndian>

#include <cstdlib>
#include <cstring>

namespace {

// The frames of the whole stream, read byte by byte from its layout: an 8-byte big-endian total
// length of 12 to 64 MiB, a 4-byte payload length that is 12 less, the payload.
struct Reading
{
    QList<QByteArray> payloads;
    bool invalid = false; // the stream goes wrong after the payloads
    qint64 used = 0;      // bytes taken by the payloads' frames
};

Reading readIndependently(const QByteArray &stream)
{
    Reading reading;
    const auto *bytes = reinterpret_cast<const uchar *>(stream.constData());
    qint64 pos = 0;
    while (stream.size() - pos >= 8) {
        const qint64 total = qFromBigEndian<qint64>(bytes + pos);
        if (total < 12 || total > 64 * 1024 * 1024) {
            reading.invalid = true;
            break;
        }
        if (stream.size() - pos < 12)
            break;
        if (qFromBigEndian<quint32>(bytes + pos + 8) != quint64(total - 12)) {
            reading.invalid = true;
            break;
        }
        if (stream.size() - pos < total)
            break;
        reading.payloads << stream.mid(int(pos + 12), int(total - 12));
        pos += total;
    }
    reading.used = pos;
    return reading;
}

void check(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    const size_t k = qMin<size_t>(data[0], size - 1);
    const QByteArray sizes(reinterpret_cast<const char *>(data + 1), int(k));
    const QByteArray stream(reinterpret_cast<const char *>(data + 1 + k), int(size - 1 - k));
    const Reading expected = readIndependently(stream);

    Pipe pipe;
    qint64 headerBytes = 0;
    qint64 frameSize = 0;
    QList<QByteArray> payloads;
    bool invalid = false;
    int fed = 0;
    for (int chunk = 0; fed < stream.size() && !invalid; ++chunk) {
        const int length = sizes.isEmpty() ? stream.size() : uchar(sizes.at(chunk % k)) + 1;
        pipe.feed(stream.mid(fed, length));
        fed += qMin(length, stream.size() - fed);
        for (;;) {
            QByteArray payload;
            const auto result = FrameCodec::readFrame(&pipe, headerBytes, frameSize, payload);
            if (result == FrameCodec::ReadResult::Frame) {
                payloads << payload;
                check(headerBytes == 0);
                continue;
            }
            invalid = result == FrameCodec::ReadResult::Invalid;
            break;
        }
    }

    check(payloads == expected.payloads);
    check(invalid == expected.invalid);
    // Nothing beyond the frames read and the header of the next one is taken from the device.
    if (!invalid)
        check(pipe.bytesAvailable() + headerBytes == stream.size() - expected.used);
    return 0;
}
