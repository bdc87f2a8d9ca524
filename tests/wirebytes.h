// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QtEndian>

#include <array>

// The ad server protocol's encodings, spelt out byte by byte rather than through QDataStream, so
// that tests check the program's bytes against an independent writer.
namespace WireBytes {

inline QByteArray uint32(quint32 value)
{
    QByteArray bytes(4, Qt::Uninitialized);
    qToBigEndian(value, bytes.data());
    return bytes;
}

inline QByteArray int64(qint64 value)
{
    QByteArray bytes(8, Qt::Uninitialized);
    qToBigEndian(value, bytes.data());
    return bytes;
}

inline QByteArray string(const QString &text)
{
    if (text.isNull())
        return uint32(0xFFFFFFFF);
    QByteArray bytes = uint32(quint32(text.size() * 2));
    for (const QChar c : text) {
        bytes.append(char(c.unicode() >> 8));
        bytes.append(char(c.unicode() & 0xFF));
    }
    return bytes;
}

inline QByteArray bytes(const QByteArray &data)
{
    if (data.isNull())
        return uint32(0xFFFFFFFF);
    return uint32(quint32(data.size())) + data;
}

inline QByteArray frame(const QByteArray &payload)
{
    return int64(12 + payload.size()) + bytes(payload);
}

// Whether `bytes` begin with a whole frame: its 8-byte length and as many bytes as that counts.
inline bool frameComplete(const QByteArray &bytes)
{
    return bytes.size() >= 8 && bytes.size() >= qFromBigEndian<qint64>(bytes.constData());
}

struct AdEntry
{
    QString name;
    QString link;
    QByteArray content;
};

inline QByteArray adEntries(const QList<AdEntry> &entries)
{
    QByteArray set;
    for (const AdEntry &entry : entries)
        set += string(entry.name) + string(entry.link) + bytes(entry.content);
    return set;
}

inline QByteArray ggFiles(const QString &count, const QByteArray &adSet)
{
    return string(QStringLiteral("GGFiles")) + string(count) + bytes(adSet);
}

inline QByteArray ggFiles(const QList<AdEntry> &entries)
{
    return ggFiles(QString::number(entries.size()), adEntries(entries));
}

inline QByteArray linkFile(const std::array<QString, 9> &links)
{
    QByteArray file;
    for (const QString &link : links)
        file += string(link);
    return file;
}

} // namespace WireBytes
