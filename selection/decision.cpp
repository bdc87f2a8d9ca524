#include "errorlist.h"
#include "kelto.h"

#include <QEventLoop>

void kelto::bt_toErrorList(QStringList errorMessages)
{
    auto *dialog = new errorList(this);
    connect(dialog, &errorList::jugement, this, &kelto::receive_from_errorlist);
    connect(this, &kelto::sendErrorList, dialog, &errorList::receiveErrorList);
    emit sendErrorList(errorMessages);
    dialog->show();
}

void kelto::receive_from_errorlist(bool decision)
{
    continueCopy = decision;
    waitingForDecision = false;
    if (decisionWait)
        decisionWait->quit();
}
