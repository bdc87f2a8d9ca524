// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/selection/messageindex.h"

#include "core/selection/messagereader.h"
#include "core/selection/pathlist.h"

#include <QSet>

#include <algorithm>

namespace {

// FNV-1a over the case-folded UTF-16 units: the same for two stems that differ in case only.
uint foldedHash(QStringView text)
{
    uint hash = 2166136261u;
    for (const QChar c : text) {
        hash ^= c.toCaseFolded().unicode();
        hash *= 16777619u;
    }
    return hash;
}

QString padded(quint64 number, int width)
{
    return QString::number(number).rightJustified(width, QLatin1Char('0'));
}

} // namespace

MessageIndex::MessageIndex(const PathList &candidates)
    : candidates(candidates)
{
    const int count = candidates.size();
    byNumber.reserve(size_t(count));
    byStem.reserve(size_t(count));
    // The kinds met so far, a handful in a real tree: (hash of the folded kind, one stem's kind).
    std::vector<std::pair<uint, QStringView>> kinds;
    int lastKind = -1;
    for (int i = 0; i < count; ++i) {
        const QStringView stem = MessageReader::stemOf(candidates.name(i));
        if (stem.isEmpty())
            continue; // a name such as ".jpg" is never picked
        quint64 number = 0;
        int start = 0;
        if (MessageReader::lastNumber(stem, number, &start)) {
            const QStringView kind = stem.left(start);
            // Neighbours are mostly of one kind, written alike.
            if (lastKind >= 0 && kinds[size_t(lastKind)].second == kind) {
                byNumber.push_back({number, i, lastKind});
                byStem.emplace_back(foldedHash(stem), i);
                continue;
            }
            const uint hash = foldedHash(kind);
            const auto known = std::find_if(kinds.begin(), kinds.end(), [&](const auto &other) {
                return other.first == hash && other.second.compare(kind, Qt::CaseInsensitive) == 0;
            });
            const int kindNumber = int(known - kinds.begin());
            if (known == kinds.end())
                kinds.emplace_back(hash, kind);
            lastKind = kindNumber;
            byNumber.push_back({number, i, kindNumber});
        }
        byStem.emplace_back(foldedHash(stem), i);
    }
    // Both were filled in position order: a stable sort by the key alone keeps that order among
    // equal keys, for less work than comparing whole pairs.
    std::stable_sort(byNumber.begin(), byNumber.end(),
                     [](const Numbered &a, const Numbered &b) { return a.number < b.number; });
    std::stable_sort(byStem.begin(), byStem.end(),
                     [](const std::pair<uint, int> &a, const std::pair<uint, int> &b) {
                         return a.first < b.first;
                     });
}

QStringView MessageIndex::stem(int position) const
{
    return MessageReader::stemOf(candidates.name(position));
}

MessageMatches MessageIndex::match(const PickMessage &message, bool withFolders,
                                   const std::function<void(int)> &progress) const
{
    MessageMatches result;
    StemMatches &picks = result.picks;
    QStringList folders;
    for (const QString &group : message.groups)
        folders.append(MessageReader::folderName(group));

    // An original is taken once per group; without folders once in all. What is missing is told
    // once, however often it was asked for.
    // Most originals are taken in one group only: the first group each is taken in, and where
    // its record went, are kept by position; a set holds the few taken in further groups, whose
    // records share the first one's.
    std::vector<int> firstGroup(size_t(candidates.size()), -1);
    std::vector<int> firstRecord(size_t(candidates.size()), -1);
    QSet<quint64> takenAgain;
    QSet<QString> told;
    const auto tell = [&](const QString &missing) {
        if (!told.contains(missing)) {
            told.insert(missing);
            picks.missing.append(missing);
        }
    };
    int groupNumber = 0;
    int entryNumber = 0;
    const auto take = [&](int position) {
        int &first = firstGroup[size_t(position)];
        if (first == groupNumber)
            return;
        if (first < 0) {
            first = groupNumber;
            firstRecord[size_t(position)] = int(picks.matched.size());
            picks.matched.append(candidates.fileInfo(position));
        } else {
            const quint64 key = quint64(groupNumber) << 32 | quint64(position);
            if (takenAgain.contains(key))
                return;
            takenAgain.insert(key);
            picks.matched.append(picks.matched.at(firstRecord[size_t(position)]));
        }
        picks.pickOf.append(entryNumber);
        if (withFolders)
            picks.folders.append(groupNumber == 0 ? QString() : folders.at(groupNumber - 1));
    };
    // Takes the originals of one number, [from, to) of byNumber, and tells when their stems
    // differ before the number.
    const auto takeNumber = [&](auto from, auto to, const QString &written) {
        bool severalKinds = false;
        for (auto it = from; it != to; ++it) {
            take(it->position);
            severalKinds = severalKinds || it->kind != from->kind;
        }
        if (!severalKinds)
            return;
        QStringList stems;
        for (auto it = from; it != to; ++it) {
            const QString found = stem(it->position).toString();
            if (!stems.contains(found))
                stems.append(found);
        }
        result.ambiguous.append({written, stems});
    };
    const auto byFirst = [](const Numbered &entry, quint64 number) { return entry.number < number; };

    for (int i = 0; i < message.entries.size(); ++i) {
        const MessageEntry &entry = message.entries.at(i);
        entryNumber = i;
        groupNumber = withFolders && !entry.group.isEmpty()
                              ? int(message.groups.indexOf(entry.group)) + 1
                              : 0;
        if (entry.kind == MessageEntry::Name) {
            const uint hash = foldedHash(entry.stem);
            auto it = std::lower_bound(byStem.begin(), byStem.end(), std::make_pair(hash, 0));
            bool found = false;
            for (; it != byStem.end() && it->first == hash; ++it) {
                if (stem(it->second).compare(entry.stem, Qt::CaseInsensitive) == 0) {
                    take(it->second);
                    found = true;
                }
            }
            if (!found)
                tell(entry.text);
        } else {
            // A number is a range of one; a range's numbers without an original are told as
            // runs, written as the client wrote the range.
            const auto end = byNumber.end();
            auto it = std::lower_bound(byNumber.begin(), end, entry.first, byFirst);
            quint64 expected = entry.first;
            const auto gap = [&](quint64 from, quint64 to) {
                if (entry.kind == MessageEntry::Number)
                    tell(entry.text);
                else if (from == to)
                    tell(padded(from, entry.width));
                else
                    tell(padded(from, entry.width) + entry.dash + padded(to, entry.width));
            };
            while (it != end && it->number <= entry.last) {
                const quint64 number = it->number;
                auto next = it;
                while (next != end && next->number == number)
                    ++next;
                if (number > expected)
                    gap(expected, number - 1);
                takeNumber(it, next,
                           entry.kind == MessageEntry::Number ? entry.text
                                                              : padded(number, entry.width));
                expected = number + 1;
                it = next;
            }
            if (expected <= entry.last)
                gap(expected, entry.last);
        }
        if (progress)
            progress(i + 1);
    }
    return result;
}
