// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/selection/matchrules.h"

#include <QString>
#include <QtGlobal>

#include <array>

class kelto;
namespace Ui {
class kelto;
}

// The tests' one way into the main window's private state: a getter named after each member and
// a setter for each member a test sets up.
class KeltoProbe
{
public:
    explicit KeltoProbe(kelto &window)
        : window(window)
    {}

    Ui::kelto *ui() const;

    QString smallImagesPath() const;
    void setSmallImagesPath(const QString &path);
    QString bigImagesPath() const;
    void setBigImagesPath(const QString &path);
    QString outputPath() const;
    void setOutputPath(const QString &path);

    bool continueCopy() const;
    void setContinueCopy(bool decision);
    bool waitingForDecision() const;
    void setWaitingForDecision(bool waiting);

    QString serverHost() const;
    void setServerHost(const QString &host);
    qint32 serverPort() const;
    void setServerPort(qint32 port);

    MatchRules matchRules() const;
    void setMatchRules(const MatchRules &rules); // as the rules dialog sets them

    const std::array<QString, 9> &adLinks() const;
    void setAdLinks(const std::array<QString, 9> &links);
    void setAdLink(int index, const QString &link);

private:
    kelto &window;
};
