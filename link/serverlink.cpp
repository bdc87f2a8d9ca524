#include "kelto.h"

#include <QByteArray>

bool kelto::connectHost()
{
    return false;
}

void kelto::on_connected() {}

void kelto::on_disconnected() {}

void kelto::disconnectSocket() {}

QByteArray kelto::buildRequest(const QString &command)
{
    Q_UNUSED(command)
    return QByteArray();
}

bool kelto::sendMessage(const QString &command)
{
    Q_UNUSED(command)
    return false;
}

void kelto::on_readyread() {}

void kelto::handleResponse(QByteArray payload)
{
    Q_UNUSED(payload)
}
