// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/longpath_win.h"
#include "core/selection/targetcheck.h"

#include <qt_windows.h>

TargetCheck::Stamp TargetCheck::stamp(const QString &path)
{
    Stamp result;
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!::GetFileAttributesExW(winLongPath(path).c_str(), GetFileExInfoStandard, &data))
        return result;
    result.exists = true;
    result.isFile = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    result.size = qint64((quint64(data.nFileSizeHigh) << 32) | data.nFileSizeLow);
    // 100-ns steps since 1601.
    const quint64 ticks = (quint64(data.ftLastWriteTime.dwHighDateTime) << 32)
                          | data.ftLastWriteTime.dwLowDateTime;
    result.modified = qint64(ticks / 10000) - Q_INT64_C(11644473600000);
    return result;
}
