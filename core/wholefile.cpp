// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/wholefile.h"

#include <QByteArray>
#include <QSaveFile>

bool commitWholeFile(QSaveFile &file, const QByteArray &bytes)
{
    if (file.write(bytes) != bytes.size() || !file.flush()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
