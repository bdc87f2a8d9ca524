// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/selection/treewalker.h"

#include <QFileInfoList>
#include <QString>

struct MatchRules;

struct MatchRules;

// The tree listings by QDir::entryInfoList, folder by folder, statting every entry: slower, and
// kept as the reference the walker is measured and tested against.
QFileInfoList listTreeByQDir(const QString &path, TreeWalker::Listing listing);
// The picks as the rules tell them, by the same walk.
QFileInfoList listPicksByQDir(const QString &path, const MatchRules &rules);
// The picks as the rules tell them, by the same walk.
QFileInfoList listPicksByQDir(const QString &path, const MatchRules &rules);
