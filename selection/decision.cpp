#include "kelto.h"

void kelto::bt_toErrorList(QStringList errorMessages)
{
    Q_UNUSED(errorMessages)
}

void kelto::receive_from_errorlist(bool decision)
{
    continueCopy = decision;
    waitingForDecision = false;
}
