// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QtGlobal>

class QIODevice;

// Frames on the ad server link: a 64-bit big-endian total length (counting itself), then the
// payload as a QDataStream byte array (32-bit length, then the bytes).
namespace FrameCodec {

constexpr qint64 headerSize = 8;
constexpr qint64 minimumFrameSize = 12;
// Far above any real ad set; it bounds what a misbehaving server can make the client buffer.
constexpr qint64 maximumFrameSize = 64 * 1024 * 1024;

enum class ReadResult {
    Incomplete, // wait for more bytes; nothing beyond a complete header has been read
    Frame,      // one whole frame was read into the payload
    Invalid     // the declared length or the payload length is impossible: drop the connection
};

QByteArray encode(const QByteArray &payload);

// Reads at most one frame from the device. headerBytes (0 or 8) and frameSize carry the state
// between calls. A frame is taken as soon as its declared length is available; bytes after it
// stay in the device.
ReadResult readFrame(QIODevice *device, qint64 &headerBytes, qint64 &frameSize, QByteArray &payload);

} // namespace FrameCodec
