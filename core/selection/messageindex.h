// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/selection/stemindex.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <utility>
#include <vector>

class PathList;
struct PickMessage;

// A number of the message that picks originals of more than one kind: stems that differ before
// their number ("IMG_0012", "DSC_0012": two cameras).
struct MessageAmbiguity
{
    QString entry;     // the number as the client wrote it
    QStringList stems; // the stems it picked, each once, in listing order
};

struct MessageMatches
{
    // matched: each original once per group it is picked in, in message order; folders (when
    // asked for): the sub-folder of each one's group, empty outside any group; missing: the
    // entries without an original as written, for a range its numbers without one, each once;
    // pickOf: the entry that took each one first in its group.
    StemMatches picks;
    QList<MessageAmbiguity> ambiguous;
};

// Matches a message's entries against the originals without comparing each entry with each
// original: a number is looked up among the originals' numbers (the last run of digits of each
// stem), sorted once, a range as the span between two binary searches, a name by the hash of its
// case-folded stem. Work and memory grow with the originals and the originals picked, not with
// the width of the ranges. The candidates must outlive the index.
class MessageIndex
{
public:
    explicit MessageIndex(const PathList &candidates);

    // progress is told the number of entries done after each one.
    MessageMatches match(const PickMessage &message, bool withFolders,
                         const std::function<void(int)> &progress = {}) const;

private:
    QStringView stem(int position) const;

    // An original with a number: its kind is the part of its stem before the number, the same
    // ignoring case for the originals of one camera ("IMG_"), numbered in order of appearance.
    struct Numbered
    {
        quint64 number;
        int position;
        int kind;
    };

    const PathList &candidates;
    std::vector<Numbered> byNumber;           // ascending by number, then position
    std::vector<std::pair<uint, int>> byStem; // (hash of the folded stem, position), ascending
};
