#include "core/wholefile.h"

#include <QSaveFile>

bool openWholeFile(QSaveFile &file)
{
    return file.open(QIODevice::WriteOnly);
}
