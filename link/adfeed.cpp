#include "kelto.h"

#include <QDataStream>

void kelto::storeAdSet(QDataStream &stream)
{
    Q_UNUSED(stream)
}
