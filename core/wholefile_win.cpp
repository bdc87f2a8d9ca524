// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/wholefile.h"
#include "core/longpath_win.h"

#include <QDir>
#include <QSaveFile>

#include <qt_windows.h>

bool openWholeFile(QSaveFile &file)
{
    const std::wstring native = winLongPath(file.fileName());
    const wchar_t *path = native.c_str();
    const DWORD attributes = ::GetFileAttributesW(path);
    const bool readOnly = attributes != INVALID_FILE_ATTRIBUTES
                          && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0
                          && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
    if (readOnly)
        ::SetFileAttributesW(path, attributes & ~DWORD(FILE_ATTRIBUTE_READONLY));
    if (file.open(QIODevice::WriteOnly))
        return true;
    if (readOnly)
        ::SetFileAttributesW(path, attributes); // not replaced: as it was
    return false;
}
