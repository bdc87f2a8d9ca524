// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDir>
#include <QFileInfo>
#include <QString>

#include <string>

// A path for the wide Win32 file functions that works beyond MAX_PATH (260 characters) on every
// Windows, whatever the long-path setting: the absolute, cleaned path with native separators and
// the \\?\ prefix (\\?\UNC\ for a share), which turns off the length limit. Qt's own file classes
// do the same inside; this is for the calls the program makes itself.
inline std::wstring winLongPath(const QString &path)
{
    if (path.startsWith(QLatin1String("\\\\?\\")) || path.startsWith(QLatin1String("\\\\.\\")))
        return path.toStdWString();
    const QString native = QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
    if (native.startsWith(QLatin1String("\\\\")))
        return (QLatin1String("\\\\?\\UNC\\") + native.mid(2)).toStdWString();
    return (QLatin1String("\\\\?\\") + native).toStdWString();
}
