#pragma once

#include <QFileInfoList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <functional>
#include <vector>

class PathList;

// The outcome of matching picks against candidates, every list in run order. Records are formed
// for the matches only.
struct StemMatches
{
    QFileInfoList matched;  // one candidate per (pick, candidate) match
    QFileInfoList partners; // the pick of each match, same index; only when asked for
    QStringList missing;    // full paths of the picks without any candidate
    QStringList folders;    // picks from a message: each match's folder below the output
                            // folder (its group), same index; only when asked for
};

// Finds, for a pick's file name, every candidate whose stem it contains, without comparing the
// pick with each candidate: the distinct stems are hashed once, and a pick's name is cut into
// the substrings whose lengths occur among them, each looked up in the hash table. Stems are
// kept once each, most of them as views into the candidates' names, which must therefore outlive
// the index.
class StemIndex
{
public:
    explicit StemIndex(const PathList &candidates);

    // The file name with every occurrence of "." followed by its suffix removed, with case.
    static QString stemOf(const QString &fileName);

    // Candidate positions whose stem occurs in fileName, ascending.
    void lookup(QStringView fileName, std::vector<int> &positions) const;

    // Matches every pick in order; progress is told the number of picks done after each one.
    StemMatches match(const PathList &picks, bool keepPartners,
                      const std::function<void(int)> &progress = {}) const;

    // The same result by testing every pick against every candidate.
    static StemMatches matchEveryPair(const QFileInfoList &picks, const QFileInfoList &candidates,
                                      bool keepPartners);

private:
    int find(QStringView text, uint hash) const;

    const PathList &candidates;     // most stems are views into their names,
    QStringList unusualStems;       // the rest into these
    std::vector<QStringView> stems; // distinct and not empty, by stem number
    std::vector<int> table;         // open addressing: stem number or -1, size a power of two
    std::vector<int> firstOfStem;   // positions of stem i: positions[firstOfStem[i] ..
    std::vector<int> positions;     //                               firstOfStem[i + 1])
    std::vector<int> lengths;       // distinct stem lengths, ascending
};
