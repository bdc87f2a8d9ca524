// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

// One ad set as a folder holds it: the image files and links.txt, which lists the entries in the
// order they are sent, one per line as "<file name> <link>"; blank lines and lines starting with
// "#" are skipped, and the link may be left out (an empty link).
class AdSet
{
public:
    struct Entry
    {
        QString fileName;
        QString link;
        QByteArray content;
    };

    static QString linksFileName() { return QStringLiteral("links.txt"); }

    // False, with a reason, when links.txt or a file it names cannot be read.
    bool load(const QString &folder);
    QString errorString() const { return error; }
    const QList<Entry> &entries() const { return list; }

    // The payload of the GGFiles answer: keyword, count as text, and the entries in one byte
    // array.
    QByteArray answerPayload() const;

private:
    QList<Entry> list;
    QString error;
};
