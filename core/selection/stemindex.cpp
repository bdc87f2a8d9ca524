#include "core/selection/stemindex.h"

#include "core/selection/pathlist.h"

#include <QHashFunctions>

#include <algorithm>

StemIndex::StemIndex(const PathList &candidates)
    : candidates(candidates)
{
    // Built without copying characters where it can be: a stem is usually the front of the
    // file name, so its key is a view into the candidates' pool of names.
    const int count = candidates.size();
    size_t tableSize = 16;
    while (tableSize < size_t(count) * 2)
        tableSize *= 2;
    table.assign(tableSize, -1);
    std::vector<int> idOfCandidate(count, -1);
    std::vector<int> perStem;
    for (int i = 0; i < count; ++i) {
        const QStringView name = candidates.name(i);
        QStringView stem = name;
        const int lastDot = int(name.lastIndexOf(QLatin1Char('.')));
        if (lastDot >= 0) {
            if (name.indexOf(name.mid(lastDot)) == lastDot) {
                stem = name.left(lastDot); // the suffix occurs only at the end
            } else {
                unusualStems.append(stemOf(name.toString()));
                stem = unusualStems.last();
            }
        }
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
            perStem.push_back(0);
            lengths.push_back(int(stem.size()));
        }
        idOfCandidate[i] = id;
        ++perStem[id];
    }

    firstOfStem.assign(perStem.size() + 1, 0);
    for (size_t id = 0; id < perStem.size(); ++id)
        firstOfStem[id + 1] = firstOfStem[id] + perStem[id];
    positions.resize(firstOfStem.back());
    std::vector<int> filled(firstOfStem.begin(), firstOfStem.end() - 1);
    for (int i = 0; i < count; ++i) {
        if (idOfCandidate[i] >= 0)
            positions[filled[idOfCandidate[i]]++] = i;
    }

    std::sort(lengths.begin(), lengths.end());
    lengths.erase(std::unique(lengths.begin(), lengths.end()), lengths.end());
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

void StemIndex::lookup(QStringView fileName, std::vector<int> &found) const
{
    found.clear();
    std::vector<int> ids;
    const int nameLength = int(fileName.size());
    for (const int length : lengths) {
        if (length > nameLength)
            break;
        for (int start = 0; start + length <= nameLength; ++start) {
            const QStringView part = fileName.mid(start, length);
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
}

StemMatches StemIndex::match(const PathList &picks, bool keepPartners,
                             const std::function<void(int)> &progress) const
{
    StemMatches result;
    std::vector<int> found;
    for (int i = 0; i < picks.size(); ++i) {
        lookup(picks.name(i), found);
        const QFileInfo pick = keepPartners && !found.empty() ? picks.fileInfo(i) : QFileInfo();
        for (const int position : found) {
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

StemMatches StemIndex::matchEveryPair(const QFileInfoList &picks, const QFileInfoList &candidates,
                                      bool keepPartners)
{
    QStringList stems;
    stems.reserve(candidates.size());
    for (const QFileInfo &candidate : candidates)
        stems.append(stemOf(candidate.fileName()));

    StemMatches result;
    for (int p = 0; p < picks.size(); ++p) {
        const QFileInfo &pick = picks.at(p);
        const QString name = pick.fileName();
        bool found = false;
        for (int c = 0; c < candidates.size(); ++c) {
            const QString &stem = stems.at(c);
            if (!stem.isEmpty() && name.contains(stem, Qt::CaseSensitive)) {
                result.matched.append(candidates.at(c));
                result.pickOf.append(p);
                if (keepPartners)
                    result.partners.append(pick);
                found = true;
            }
        }
        if (!found)
            result.missing.append(pick.filePath());
    }
    return result;
}
