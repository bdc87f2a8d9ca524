// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QtGlobal>

// One entry of a run's matched list as the run has dealt with it: first as planned before any
// copy is made, then as it turned out.
struct RunEntry
{
    enum Outcome {
        Copied,   // written where nothing was
        Skipped,  // the copy is there already, or this run made it for an earlier pick
        Replaced, // another file of that name was moved aside first (detail: where it went)
        Renamed,  // written under a numbered name: another original has this run's first name
        Failed,   // detail: why
    };

    int match = 0; // position in the matched list
    QString target;
    Outcome outcome = Copied;
    bool renamed = false;    // the target is a numbered name (whatever the outcome)
    bool again = false;      // the same original sent to the same folder for an earlier pick
    bool looksThere = false; // a file to keep intact that looks like the copy: takes no room
    bool pending = true;     // not dealt with yet: the outcome is what is planned
    QString detail;
    qint64 bytes = 0; // the original's size

    // "copied", "skipped", …; the plan's words are "copy", "skip", ….
    static const char *outcomeName(Outcome outcome);
    static const char *planName(Outcome outcome);
};
