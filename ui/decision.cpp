// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/errorlist.h"
#include "ui/kelto.h"
#include "ui/runcontroller.h"

void kelto::bt_toErrorList(QStringList errorMessages)
{
    auto *dialog = new errorList(this);
    decisionDialog = dialog;
    connect(dialog, &errorList::jugement, this, &kelto::receive_from_errorlist);
    // Only this dialog takes this list: a dialog still open from an earlier call keeps its own.
    const QMetaObject::Connection delivery = connect(this, &kelto::sendErrorList, dialog,
                                                     &errorList::receiveErrorList);
    emit sendErrorList(errorMessages);
    disconnect(delivery);
    dialog->show();
}

void kelto::receive_from_errorlist(bool decision)
{
    continueCopy = decision;
    waitingForDecision = false;
    if (run)
        run->decide(decision);
}

void kelto::askAboutMissing(const QStringList &missing, const QString &copyLine)
{
    waitingForDecision = true;
    bt_toErrorList(missing);
    if (!copyLine.isEmpty())
        decisionDialog->offerCopyLine(copyLine);
    connect(decisionDialog, &QObject::destroyed, this, [this] {
        if (!waitingForDecision)
            return;
        waitingForDecision = false;
        if (run)
            run->stop();
    });
}
