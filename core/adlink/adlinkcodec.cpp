// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/adlink/adlinkcodec.h"

#include <QDataStream>
#include <QIODevice>

QByteArray encodeAdLinks(const AdLinks &links)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_5_15);
    for (const QString &link : links)
        out << link;
    return bytes;
}

AdLinks decodeAdLinks(const QByteArray &bytes)
{
    AdLinks links;
    links.fill(QLatin1String(""));
    QDataStream in(bytes);
    in.setVersion(QDataStream::Qt_5_15);
    for (QString &link : links) {
        QString read;
        in >> read;
        // QDataStream would carry on after an odd length without skipping the text, turning
        // the rest of the record into garbage links; stop at the first bad record instead.
        if (in.status() != QDataStream::Ok)
            break;
        link = read;
    }
    return links;
}
