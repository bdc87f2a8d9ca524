// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/selection/targetcheck.h"

#include <QFile>

#include <sys/stat.h>

TargetCheck::Stamp TargetCheck::stamp(const QString &path)
{
    Stamp result;
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return result;
    result.exists = true;
    result.isFile = S_ISREG(status.st_mode);
    result.size = status.st_size;
    result.hasId = true;
    result.device = quint64(status.st_dev);
    result.inode = quint64(status.st_ino);
    // As QFileInfo gives it: whole milliseconds, the rest cut off.
    result.modified = qint64(status.st_mtim.tv_sec) * 1000 + status.st_mtim.tv_nsec / 1000000;
    return result;
}
