#include "adlinkcodec.h"

#include <QDataStream>

QByteArray encodeAdLinks(const AdLinks &links)
{
    QByteArray bytes;
    QDataStream out(&bytes, QIODevice::WriteOnly);
    for (const QString &link : links)
        out << link;
    return bytes;
}

AdLinks decodeAdLinks(const QByteArray &bytes)
{
    AdLinks links;
    links.fill(QLatin1String(""));
    QDataStream in(bytes);
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
