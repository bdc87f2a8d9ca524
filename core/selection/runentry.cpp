// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/selection/runentry.h"

const char *RunEntry::outcomeName(Outcome outcome)
{
    switch (outcome) {
    case Copied:
        return "copied";
    case Skipped:
        return "skipped";
    case Replaced:
        return "replaced";
    case Renamed:
        return "renamed";
    case Failed:
        return "failed";
    }
    return "";
}

const char *RunEntry::planName(Outcome outcome)
{
    switch (outcome) {
    case Copied:
        return "copy";
    case Skipped:
        return "skip";
    case Replaced:
        return "replace";
    case Renamed:
        return "rename";
    case Failed:
        return "fail";
    }
    return "";
}
