// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDateTime>
#include <QString>

// Moves files that a run's copies replace out of the way, so that an edit made in the output
// folder is never destroyed: into the system's trash, or where the volume has none, to a name
// beside the file that says when and why: "IMG_0012.CR2.replaced-20261207-231500" (the run's
// start), with "-2", "-3", … added when that name is taken.
class OldFiles
{
public:
    explicit OldFiles(const QDateTime &runStart = QDateTime::currentDateTime());

    // Where the file went; empty when it could not be moved, with the reason in lastError().
    QString moveAside(const QString &path);

    // The suffix names beside their files get.
    QString suffix() const { return stamp; }
    QString lastError() const { return error; }

private:
    QString stamp;
    QString error;
};
