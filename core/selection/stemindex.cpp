// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/selection/stemindex.h"

#include "core/selection/pathlist.h"

#include <QHash>
#include <QHashFunctions>

#include <algorithm>

namespace {

// The name without the text from its last "." on; empty when it has no suffix.
QStringView baseOf(QStringView name)
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 || dot + 1 == name.size() ? QStringView() : name.left(dot);
}

} // namespace

StemIndex::StemIndex(const PathList &candidates, const MatchRules &rules)
    : candidates(candidates)
    , rules(rules)
{
    // Built without copying characters where it can be: a stem is usually the front of the
    // file name, so its key is a view into the candidates' pool of names.
    const int count = candidates.size();
    size_t tableSize = 16;
    while (tableSize < size_t(count) * 2)
        tableSize *= 2;
    table.assign(tableSize, -1);
    // Nearly every candidate has a stem of its own in a large archive: room for all of them
    // at once, rather than twice the room while the list grows.
    stems.reserve(count);
    std::vector<int> idOfCandidate(count, -1);
    // Counted per stem in firstOfStem[id + 1] first, then summed up.
    firstOfStem.assign(1, 0);
    firstOfStem.reserve(size_t(count) + 1);
    std::vector<bool> lengthSeen;
    for (int i = 0; i < count; ++i) {
        const QStringView name = candidates.name(i);
        QStringView stem = name;
        const int lastDot = int(name.lastIndexOf(QLatin1Char('.')));
        if (lastDot >= 0) {
            if (name.indexOf(name.mid(lastDot)) == lastDot)
                stem = name.left(lastDot); // the suffix occurs only at the end
            else
                stem = keep(stemOf(name.toString()));
        }
        if (rules.ignoreCase)
            stem = folded(stem);
        if (stem.isEmpty())
            continue; // would be contained in every name, yet must never match
        const uint hash = qHash(stem);
        int id = find(stem, hash);
        if (id < 0) {
            id = int(stems.size());
            size_t slot = hash & (table.size() - 1);
            while (table[slot] >= 0)
                slot = (slot + 1) & (table.size() - 1);
            table[slot] = id;
            stems.push_back(stem);
            firstOfStem.push_back(0);
            const size_t length = size_t(stem.size());
            if (length >= lengthSeen.size())
                lengthSeen.resize(length + 1);
            if (!lengthSeen[length]) {
                lengthSeen[length] = true;
                lengths.push_back(int(length));
            }
        }
        idOfCandidate[i] = id;
        ++firstOfStem[size_t(id) + 1];
    }
    if (stems.size() < stems.capacity() / 4 * 3)
        stems.shrink_to_fit();
    firstOfStem.shrink_to_fit();

    // Each stem's positions ascending: the ends first, then every candidate put in from the
    // back, which leaves each stem's start where its end was.
    for (size_t id = 1; id < firstOfStem.size(); ++id)
        firstOfStem[id] += firstOfStem[id - 1];
    positions.resize(firstOfStem.back());
    for (size_t id = 0; id + 1 < firstOfStem.size(); ++id)
        firstOfStem[id] = firstOfStem[id + 1];
    for (int i = count - 1; i >= 0; --i) {
        if (idOfCandidate[i] >= 0)
            positions[--firstOfStem[idOfCandidate[i]]] = i;
    }

    std::sort(lengths.begin(), lengths.end());

    if (rules.companions)
        indexCompanions();
}

// Keeps a copy of text in the pool, in a chunk with room for it: chunks are filled within their
// capacity, so views into them stay valid.
QStringView StemIndex::keep(const QString &text)
{
    const int size = int(text.size());
    if (pool.empty() || pool.back().capacity() - pool.back().size() < size) {
        pool.emplace_back();
        pool.back().reserve(qMax(size, 16384));
    }
    QString &chunk = pool.back();
    const int start = int(chunk.size());
    chunk.append(text);
    return QStringView(chunk).mid(start, size);
}

int StemIndex::find(QStringView text, uint hash) const
{
    for (size_t slot = hash & (table.size() - 1);; slot = (slot + 1) & (table.size() - 1)) {
        const int id = table[slot];
        if (id < 0 || stems[id] == text)
            return id;
    }
}

QString StemIndex::stemOf(const QString &fileName)
{
    const int lastDot = fileName.lastIndexOf(QLatin1Char('.'));
    const QString suffix = lastDot < 0 ? QString() : fileName.mid(lastDot + 1);
    QString stem = fileName;
    stem.remove(QLatin1Char('.') + suffix, Qt::CaseSensitive);
    return stem;
}

// The stem as case folding gives it: itself when there is nothing to fold, lowered into the pool
// when it is ASCII, else folded by Qt.
QStringView StemIndex::folded(QStringView stem)
{
    bool ascii = true;
    bool lower = true;
    for (const QChar c : stem) {
        const ushort unit = c.unicode();
        if (unit >= 0x80) {
            ascii = false;
            break;
        }
        if (unit >= 'A' && unit <= 'Z')
            lower = false;
    }
    if (!ascii)
        return keep(stem.toString().toCaseFolded());
    if (lower)
        return stem;
    QString lowered(int(stem.size()), Qt::Uninitialized);
    for (int i = 0; i < int(stem.size()); ++i) {
        const ushort unit = stem.at(i).unicode();
        lowered[i] = QChar(unit >= 'A' && unit <= 'Z' ? unit + ('a' - 'A') : unit);
    }
    return keep(lowered);
}

void StemIndex::indexCompanions()
{
    // Entries of one folder listed apart hold equal strings: one number per path.
    const int count = candidates.size();
    QHash<QString, int> folderNumbers;
    folderOf.resize(count);
    const QString *lastFolder = nullptr;
    int lastNumber = -1;
    int withSuffix = 0;
    for (int i = 0; i < count; ++i) {
        const QString &folder = candidates.folder(i);
        if (&folder != lastFolder) {
            lastFolder = &folder;
            lastNumber = folderNumbers
                                 .insert(folder, folderNumbers.value(folder, folderNumbers.size()))
                                 .value();
        }
        folderOf[i] = lastNumber;
        if (!baseOf(candidates.name(i)).isEmpty())
            ++withSuffix;
    }
    size_t tableSize = 16;
    while (tableSize < size_t(withSuffix) * 2)
        tableSize *= 2;
    companionTable.assign(tableSize, -1);
    for (int i = 0; i < count; ++i) {
        const QStringView base = baseOf(candidates.name(i));
        if (base.isEmpty())
            continue;
        size_t slot = companionHash(folderOf[i], base) & (tableSize - 1);
        while (companionTable[slot] >= 0)
            slot = (slot + 1) & (tableSize - 1);
        companionTable[slot] = i;
    }
}

uint StemIndex::companionHash(int folder, QStringView base) const
{
    return rules.nameHash(base) ^ (uint(folder) * 0x9e3779b9u);
}

// Adds to `found` (ascending, no twins) every candidate named after one of them and a suffix, in
// the same folder; keeps it ascending.
void StemIndex::addCompanions(std::vector<int> &found) const
{
    const size_t matched = found.size();
    const size_t mask = companionTable.size() - 1;
    for (size_t k = 0; k < matched; ++k) {
        const int original = found[k];
        const int folder = folderOf[original];
        const QStringView name = candidates.name(original);
        for (size_t slot = companionHash(folder, name) & mask; companionTable[slot] >= 0;
             slot = (slot + 1) & mask) {
            const int position = companionTable[slot];
            if (folderOf[position] == folder
                && rules.sameName(baseOf(candidates.name(position)), name))
                found.push_back(position);
        }
    }
    if (found.size() > matched) {
        std::sort(found.begin(), found.end());
        found.erase(std::unique(found.begin(), found.end()), found.end());
    }
}

void StemIndex::lookup(QStringView fileName, std::vector<int> &found) const
{
    found.clear();
    std::vector<int> ids;
    const QString folded = rules.ignoreCase ? fileName.toString().toCaseFolded() : QString();
    const QStringView name = rules.ignoreCase ? QStringView(folded) : fileName;
    const int nameLength = int(name.size());
    for (const int length : lengths) {
        if (length > nameLength)
            break;
        for (int start = 0; start + length <= nameLength; ++start) {
            if (rules.wholeNames && !rules.standsAlone(name, start, length))
                continue;
            const QStringView part = name.mid(start, length);
            const int id = find(part, qHash(part));
            if (id >= 0)
                ids.push_back(id);
        }
    }
    // A stem found at several places still means one match per candidate.
    std::sort(ids.begin(), ids.end());
    ids.erase(std::unique(ids.begin(), ids.end()), ids.end());
    for (const int id : ids)
        found.insert(found.end(), positions.begin() + firstOfStem[id],
                     positions.begin() + firstOfStem[id + 1]);
    if (ids.size() > 1)
        std::sort(found.begin(), found.end());
    if (rules.companions && !found.empty())
        addCompanions(found);
}

StemMatches StemIndex::match(const PathList &picks, bool keepPartners,
                             const std::function<void(int)> &progress,
                             std::vector<int> *positions) const
{
    StemMatches result;
    std::vector<int> found;
    for (int i = 0; i < picks.size(); ++i) {
        lookup(picks.name(i), found);
        const QFileInfo pick = keepPartners && !found.empty() ? picks.fileInfo(i) : QFileInfo();
        for (const int position : found) {
            if (positions)
                positions->push_back(position);
            else
                result.matched.append(candidates.fileInfo(position));
            result.pickOf.append(i);
            if (keepPartners)
                result.partners.append(pick);
        }
        if (found.empty())
            result.missing.append(picks.path(i));
        if (progress)
            progress(i + 1);
    }
    return result;
}

void StemIndex::addRecords(StemMatches &matches, const PathList &candidates,
                           const std::vector<int> &positions)
{
    matches.matched.reserve(int(positions.size()));
    for (const int position : positions)
        matches.matched.append(candidates.fileInfo(position));
}

StemMatches StemIndex::matchEveryPair(const QFileInfoList &picks, const QFileInfoList &candidates,
                                      bool keepPartners, const MatchRules &rules)
{
    QStringList stems;
    QStringList names;
    QStringList folders;
    stems.reserve(candidates.size());
    for (const QFileInfo &candidate : candidates) {
        names.append(candidate.fileName());
        folders.append(candidate.absolutePath());
        stems.append(rules.comparable(stemOf(names.last())));
    }

    StemMatches result;
    std::vector<bool> taken(size_t(candidates.size()));
    for (int p = 0; p < picks.size(); ++p) {
        const QFileInfo &pick = picks.at(p);
        const QString name = rules.comparable(pick.fileName());
        bool found = false;
        std::fill(taken.begin(), taken.end(), false);
        for (int c = 0; c < candidates.size(); ++c) {
            const QString &stem = stems.at(c);
            if (stem.isEmpty())
                continue;
            for (int at = name.indexOf(stem); at >= 0 && !taken[c]; at = name.indexOf(stem, at + 1))
                taken[c] = rules.standsAlone(name, at, stem.size());
        }
        if (rules.companions) {
            const std::vector<bool> byStem = taken;
            for (int c = 0; c < candidates.size(); ++c) {
                for (int d = 0; byStem[c] && d < candidates.size(); ++d) {
                    if (folders.at(d) == folders.at(c)
                        && rules.isCompanionName(names.at(d), names.at(c)))
                        taken[d] = true;
                }
            }
        }
        for (int c = 0; c < candidates.size(); ++c) {
            if (!taken[c])
                continue;
            result.matched.append(candidates.at(c));
            result.pickOf.append(p);
            if (keepPartners)
                result.partners.append(pick);
            found = true;
        }
        if (!found)
            result.missing.append(pick.filePath());
    }
    return result;
}
