// SPDX-License-Identifier: GPL-3.0-or-later
#include "adset.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QRegularExpression>

bool AdSet::load(const QString &folder)
{
    list.clear();
    error.clear();

    const QDir dir(folder);
    QFile links(dir.filePath(linksFileName()));
    if (!links.open(QIODevice::ReadOnly | QIODevice::Text)) {
        error = QStringLiteral("cannot read %1: %2").arg(links.fileName(), links.errorString());
        return false;
    }
    const QStringList lines = QString::fromUtf8(links.readAll()).split(QLatin1Char('\n'));
    static const QRegularExpression blanks(QStringLiteral("\\s+"));
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines.at(i).trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        const QRegularExpressionMatch gap = blanks.match(line);
        Entry entry;
        entry.fileName = gap.hasMatch() ? line.left(gap.capturedStart()) : line;
        entry.link = gap.hasMatch() ? line.mid(gap.capturedEnd()) : QString(QLatin1String(""));
        QFile image(dir.filePath(entry.fileName));
        if (!image.open(QIODevice::ReadOnly)) {
            error = QStringLiteral("%1, line %2: cannot read %3: %4")
                            .arg(links.fileName())
                            .arg(i + 1)
                            .arg(image.fileName(), image.errorString());
            list.clear();
            return false;
        }
        entry.content = image.readAll();
        list.append(entry);
    }
    return true;
}

QByteArray AdSet::answerPayload() const
{
    QByteArray entryBytes;
    QDataStream entryStream(&entryBytes, QIODevice::WriteOnly);
    entryStream.setVersion(QDataStream::Qt_5_15);
    for (const Entry &entry : list)
        entryStream << entry.fileName << entry.link << entry.content;

    QByteArray payload;
    QDataStream out(&payload, QIODevice::WriteOnly);
    out.setVersion(QDataStream::Qt_5_15);
    out << QStringLiteral("GGFiles") << QString::number(list.size()) << entryBytes;
    return payload;
}
