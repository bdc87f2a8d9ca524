#include "stemindex.h"

#include <algorithm>

StemIndex::StemIndex(const QFileInfoList &candidates)
    : candidates(candidates)
{
    const int count = candidates.size();
    std::vector<int> idOfCandidate(count, -1);
    std::vector<int> perStem;
    for (int i = 0; i < count; ++i) {
        const QString stem = stemOf(candidates.at(i).fileName());
        if (stem.isEmpty())
            continue; // would be contained in every name, yet must never match
        auto it = stemId.constFind(QStringView(stem));
        if (it == stemId.constEnd()) {
            stems.append(stem);
            // Key on the stored copy, whose characters stay put while the list lives.
            it = stemId.insert(QStringView(stems.last()), stems.size() - 1);
            perStem.push_back(0);
        }
        idOfCandidate[i] = it.value();
        ++perStem[it.value()];
    }

    firstOfStem.assign(stems.size() + 1, 0);
    for (int id = 0; id < stems.size(); ++id)
        firstOfStem[id + 1] = firstOfStem[id] + perStem[id];
    positions.resize(firstOfStem.back());
    std::vector<int> filled(firstOfStem.begin(), firstOfStem.end() - 1);
    for (int i = 0; i < count; ++i) {
        if (idOfCandidate[i] >= 0)
            positions[filled[idOfCandidate[i]]++] = i;
    }

    for (const QString &stem : qAsConst(stems))
        lengths.push_back(stem.size());
    std::sort(lengths.begin(), lengths.end());
    lengths.erase(std::unique(lengths.begin(), lengths.end()), lengths.end());
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
            const auto it = stemId.constFind(fileName.mid(start, length));
            if (it != stemId.constEnd())
                ids.push_back(it.value());
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

StemMatches StemIndex::match(const QFileInfoList &picks, bool keepPartners,
                             const std::function<void(int)> &progress) const
{
    StemMatches result;
    std::vector<int> found;
    for (int i = 0; i < picks.size(); ++i) {
        const QFileInfo &pick = picks.at(i);
        lookup(pick.fileName(), found);
        for (const int position : found) {
            result.matched.append(candidates.at(position));
            if (keepPartners)
                result.partners.append(pick);
        }
        if (found.empty())
            result.missing.append(pick.filePath());
        if (progress)
            progress(i + 1);
    }
    return result;
}

StemMatches StemIndex::matchEveryPair(const QFileInfoList &picks,
                                      const QFileInfoList &candidates, bool keepPartners)
{
    QStringList stems;
    stems.reserve(candidates.size());
    for (const QFileInfo &candidate : candidates)
        stems.append(stemOf(candidate.fileName()));

    StemMatches result;
    for (const QFileInfo &pick : picks) {
        const QString name = pick.fileName();
        bool found = false;
        for (int c = 0; c < candidates.size(); ++c) {
            const QString &stem = stems.at(c);
            if (!stem.isEmpty() && name.contains(stem, Qt::CaseSensitive)) {
                result.matched.append(candidates.at(c));
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
