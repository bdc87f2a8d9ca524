// SPDX-License-Identifier: GPL-3.0-or-later
#include "tests/keltoprobe.h"

#include "ui/kelto.h"

Ui::kelto *KeltoProbe::ui() const
{
    return window.ui;
}

QString KeltoProbe::smallImagesPath() const
{
    return window.smallImagesPath;
}

void KeltoProbe::setSmallImagesPath(const QString &path)
{
    window.smallImagesPath = path;
}

QString KeltoProbe::bigImagesPath() const
{
    return window.bigImagesPath;
}

void KeltoProbe::setBigImagesPath(const QString &path)
{
    window.bigImagesPath = path;
}

QString KeltoProbe::outputPath() const
{
    return window.outputPath;
}

void KeltoProbe::setOutputPath(const QString &path)
{
    window.outputPath = path;
}

bool KeltoProbe::continueCopy() const
{
    return window.continueCopy;
}

void KeltoProbe::setContinueCopy(bool decision)
{
    window.continueCopy = decision;
}

bool KeltoProbe::waitingForDecision() const
{
    return window.waitingForDecision;
}

void KeltoProbe::setWaitingForDecision(bool waiting)
{
    window.waitingForDecision = waiting;
}

QString KeltoProbe::serverHost() const
{
    return window.serverHost;
}

void KeltoProbe::setServerHost(const QString &host)
{
    window.serverHost = host;
}

qint32 KeltoProbe::serverPort() const
{
    return window.serverPort;
}

void KeltoProbe::setServerPort(qint32 port)
{
    window.serverPort = port;
}

const std::array<QString, 9> &KeltoProbe::adLinks() const
{
    return window.adLinks;
}

void KeltoProbe::setAdLinks(const std::array<QString, 9> &links)
{
    window.adLinks = links;
}

void KeltoProbe::setAdLink(int index, const QString &link)
{
    window.adLinks.at(std::size_t(index)) = link;
}

MatchRules KeltoProbe::matchRules() const
{
    return window.matchRules;
}

void KeltoProbe::setMatchRules(const MatchRules &rules)
{
    window.setMatchRules(rules);
}
