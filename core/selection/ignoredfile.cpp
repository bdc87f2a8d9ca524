// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/selection/ignoredfile.h"

QString IgnoredFile::reasonText() const
{
    const int dot = path.lastIndexOf(QLatin1Char('.'));
    const QString suffix = dot < 0 ? QString() : path.mid(dot);
    switch (reason) {
    case PictureFormat:
        return QStringLiteral("picture format not taken: %1").arg(suffix);
    case SuffixCase:
        return QStringLiteral("suffix in a case not taken: %1").arg(suffix);
    case UndecodableName:
        return QStringLiteral("name not valid in the file-name encoding");
    case UndecodableFolder:
        return QStringLiteral("folder name not valid in the file-name encoding; nothing below it "
                              "was listed");
    }
    return QString();
}

bool IgnoredFile::leftOutPicture(QStringView fileName, Reason *reason)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return false;
    const QString suffix = fileName.mid(dot + 1).toString().toLower();
    for (const char *taken : {"jpg", "jpeg", "png"}) {
        if (suffix == QLatin1String(taken)) {
            *reason = SuffixCase; // the taken cases are not left out
            return true;
        }
    }
    for (const char *other : {"heic", "heif", "webp", "avif", "tif", "tiff", "bmp", "gif"}) {
        if (suffix == QLatin1String(other)) {
            *reason = PictureFormat;
            return true;
        }
    }
    return false;
}

QString IgnoredFile::escapedName(const QByteArray &name)
{
    // Bytes of another encoding often happen to form a few UTF-8 characters too: every byte
    // outside ASCII is shown as it is, so that no such accident shows as a character.
    QString text;
    for (const char byte : name) {
        if (uchar(byte) >= 0x80 || uchar(byte) < 0x20)
            text += QStringLiteral("\\x%1").arg(uint(uchar(byte)), 2, 16, QLatin1Char('0'));
        else
            text += QLatin1Char(byte);
    }
    return text;
}
