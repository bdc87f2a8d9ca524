// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QMetaType>
#include <QString>
#include <QStringView>
#include <QVector>

// A file the run leaves out although a person would expect it in: a pick in a picture format the
// run does not take, or with an image suffix in a case it does not take, and any entry of either
// tree whose name the file-name encoding cannot represent.
struct IgnoredFile
{
    enum Reason {
        PictureFormat,     // .heic, .webp, .tif, …
        SuffixCase,        // .Jpg, .jpG, …
        UndecodableName,   // shown with its bytes outside ASCII as \xNN
        UndecodableFolder, // nothing below it was listed either
    };

    QString path;
    Reason reason = PictureFormat;

    // The reason in words, as the record and the command line give it.
    QString reasonText() const;

    // Whether a file of this name, left out of the picks, is to be told; the reason if so.
    static bool leftOutPicture(QStringView fileName, Reason *reason);

    // A name that does not decode, as text: ASCII as it is, every other byte as \xNN.
    static QString escapedName(const QByteArray &name);
};

using IgnoredFiles = QVector<IgnoredFile>;

Q_DECLARE_METATYPE(IgnoredFile)
Q_DECLARE_METATYPE(IgnoredFiles)
