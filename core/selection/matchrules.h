// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QStringView>

class QSettings;

// How picks are told and matched with their originals, chosen once by a studio. Every rule at its
// default gives the matching as it always was: stems compared with case anywhere in a pick's
// name, picks told by six suffixes with case, and nothing copied beside what matched.
struct MatchRules
{
    // Stems and pick names compared through Unicode case folding.
    bool ignoreCase = false;
    // A stem counts only where it stands alone in the pick's name: the characters just before
    // and after it are neither letters nor digits.
    bool wholeNames = false;
    // The suffixes that make a file a pick, compared ignoring case; empty: jpg, jpeg, png, JPG,
    // JPEG and PNG, compared with case.
    QStringList pickFormats;
    // Every file beside a matched original named "<its file name>.<suffix>" goes with it.
    bool companions = false;

    bool isDefault() const { return *this == MatchRules(); }
    bool operator==(const MatchRules &other) const;
    bool operator!=(const MatchRules &other) const { return !(*this == other); }

    // Whether a file of this name is a pick.
    bool isPick(QStringView fileName) const;
    // The text stems and names are compared in: folded when case is ignored.
    QString comparable(QStringView text) const;
    // Whether two names are the same under the rules' case.
    bool sameName(QStringView a, QStringView b) const;
    // A hash that is the same for names that are the same under the rules' case.
    uint nameHash(QStringView text) const;
    // Whether the occurrence of a stem at [start, start + length) of a name counts.
    bool standsAlone(QStringView name, int start, int length) const;
    // Whether `name` is "<original>.<suffix>": a companion of the original's file name.
    bool isCompanionName(QStringView name, QStringView original) const;

    static QStringList defaultPickFormats();
    // A list of suffixes as a person writes it: separated by commas or blanks, leading dots
    // allowed. False, with `formats` untouched, for an empty list or a suffix holding a dot, a
    // slash or a backslash; twins in other case are kept once.
    static bool parsePickFormats(const QString &text, QStringList &formats);
    // The formats for a person to read and edit: the defaults when none are set.
    QString pickFormatsText() const;

    QJsonObject toJson() const;
    static MatchRules fromSettings(QSettings &settings);
    void save(QSettings &settings) const;
};
