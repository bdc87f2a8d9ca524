// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QString>

// The names a run's copies take. A copy takes its original's file name, unless this run has
// already written a different original under that name in that folder: then the name gets " (2)",
// " (3)", … before its suffix, the first one this run has not used. The same original sent to
// the same folder again gets the name it had the first time. Names are told apart ignoring case,
// as the file systems of most output disks do. An original that lies where its copy would go
// takes no name.
class TargetNames
{
public:
    struct Target
    {
        QString path;
        bool renamed = false; // not the original's own name
        bool again = false;   // this original was sent here before, under this name
    };

    // folder without a trailing "/".
    Target assign(const QString &folder, const QString &fileName, const QString &source);

    // "IMG_0012.CR2" with n = 2 gives "IMG_0012 (2).CR2".
    static QString numbered(const QString &fileName, int n);

private:
    QHash<QString, QString> owners; // target path in lower case -> the original written there
    // folder -> original -> its target path; the originals' paths are shared with the caller's
    QHash<QString, QHash<QString, QString>> placed;
};
