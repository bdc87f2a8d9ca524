// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/selection/matchrules.h"

#include <QFileInfoList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVector>

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
    QVector<int>
            pickOf; // the position of each match's pick in the pick list (for a message: its entries)
    QStringList folders; // picks from a message: each match's folder below the output
                         // folder (its group), same index; only when asked for
};

// Finds, for a pick's file name, every candidate whose stem it contains, without comparing the
// pick with each candidate: the distinct stems are hashed once, and a pick's name is cut into
// the substrings whose lengths occur among them, each looked up in the hash table. Stems are
// kept once each, most of them as views into the candidates' names, which must therefore outlive
// the index.
//
// The rules change what is hashed and cut, never the way: with case ignored stems and names are
// folded first; with whole names only the substrings that stand alone are looked up. Companions
// are found through a hash table of the candidates by folder and name without the last suffix.
class StemIndex
{
public:
    explicit StemIndex(const PathList &candidates, const MatchRules &rules = MatchRules());

    // The file name with every occurrence of "." followed by its suffix removed, with case.
    static QString stemOf(const QString &fileName);

    // Candidate positions whose stem occurs in fileName, with their companions, ascending.
    void lookup(QStringView fileName, std::vector<int> &positions) const;

    // Matches every pick in order; progress is told the number of picks done after each one.
    // With `positions` given, the matched list is left empty and the matches' candidate
    // positions go there instead, for the caller to make the file records once the index is
    // gone (addRecords()): at two million candidates the index and the records together would
    // be most of the run's memory.
    StemMatches match(const PathList &picks, bool keepPartners,
                      const std::function<void(int)> &progress = {},
                      std::vector<int> *positions = nullptr) const;
    static void addRecords(StemMatches &matches, const PathList &candidates,
                           const std::vector<int> &positions);

    // The same result by testing every pick against every candidate.
    static StemMatches matchEveryPair(const QFileInfoList &picks, const QFileInfoList &candidates,
                                      bool keepPartners, const MatchRules &rules = MatchRules());

private:
    int find(QStringView text, uint hash) const;
    QStringView keep(const QString &text);
    QStringView folded(QStringView stem);
    void indexCompanions();
    uint companionHash(int folder, QStringView base) const;
    void addCompanions(std::vector<int> &found) const;

    const PathList &candidates; // most stems are views into their names,
    std::vector<QString> pool;  // the rest into these chunks, never reallocated
    const MatchRules rules;
    std::vector<QStringView> stems; // distinct and not empty, by stem number
    std::vector<int> table;         // open addressing: stem number or -1, size a power of two
    std::vector<int> firstOfStem;   // positions of stem i: positions[firstOfStem[i] ..
    std::vector<int> positions;     //                               firstOfStem[i + 1])
    std::vector<int> lengths;       // distinct stem lengths, ascending
    // With companions: candidates with a suffix, hashed by folder and name without the suffix.
    std::vector<int> folderOf;       // by candidate: one number per folder path
    std::vector<int> companionTable; // open addressing: candidate position or -1
};
