// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/wholefile.h"

#include <QSaveFile>

bool openWholeFile(QSaveFile &file)
{
    return file.open(QIODevice::WriteOnly);
}
