// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/selection/oldfiles.h"

#include <QFile>
#include <QFileInfo>

OldFiles::OldFiles(const QDateTime &runStart)
    : stamp(QStringLiteral(".replaced-") + runStart.toString(QStringLiteral("yyyyMMdd-HHmmss")))
{}

QString OldFiles::moveAside(const QString &path)
{
    error.clear();
    QString inTrash;
    if (QFile::moveToTrash(path, &inTrash))
        return inTrash.isEmpty() ? QStringLiteral("trash") : inTrash;
    for (int n = 1; n < 1000; ++n) {
        const QString beside = path + stamp + (n == 1 ? QString() : QStringLiteral("-%1").arg(n));
        if (QFileInfo::exists(beside) || QFileInfo(beside).isSymLink())
            continue;
        if (QFile::rename(path, beside))
            return beside;
        error = QFile(path).errorString();
        break;
    }
    if (error.isEmpty())
        error = QStringLiteral("no free name beside it");
    return QString();
}
