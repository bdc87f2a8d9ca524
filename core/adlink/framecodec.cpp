// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/adlink/framecodec.h"

#include <QDataStream>
#include <QIODevice>
#include <QtEndian>

namespace FrameCodec {

QByteArray encode(const QByteArray &payload)
{
    QByteArray block;
    QDataStream out(&block, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_5_15);
    out << qint64(0) << payload;
    out.device()->seek(0);
    out << qint64(block.size());
    return block;
}

ReadResult readFrame(QIODevice *device, qint64 &headerBytes, qint64 &frameSize, QByteArray &payload)
{
    if (headerBytes == 0) {
        if (device->bytesAvailable() < headerSize)
            return ReadResult::Incomplete;
        const QByteArray header = device->read(headerSize);
        if (header.size() != headerSize)
            return ReadResult::Invalid;
        frameSize = qFromBigEndian<qint64>(header.constData());
        headerBytes = headerSize;
        if (frameSize < minimumFrameSize || frameSize > maximumFrameSize) {
            headerBytes = 0;
            return ReadResult::Invalid;
        }
    }

    const qint64 bodySize = frameSize - headerSize;
    // The payload's own length comes first: a frame whose two lengths disagree is dropped as soon
    // as that shows, not after the rest has been waited for. A null byte array (length
    // 0xFFFFFFFF) never matches, as no frame can hold one.
    char payloadLength[4];
    if (device->peek(payloadLength, 4) == 4
        && qint64(qFromBigEndian<quint32>(payloadLength)) != bodySize - 4) {
        headerBytes = 0;
        return ReadResult::Invalid;
    }
    if (device->bytesAvailable() < bodySize)
        return ReadResult::Incomplete;
    QByteArray body = device->read(bodySize);
    headerBytes = 0;
    if (body.size() != bodySize)
        return ReadResult::Invalid;
    // In place: an ad set may be tens of MiB.
    body.remove(0, 4);
    payload = std::move(body);
    return ReadResult::Frame;
}

} // namespace FrameCodec
