#pragma once

#include "core/selection/treewalker.h"

#include <QFileInfoList>
#include <QString>

#include <functional>

class PathList;
struct MatchRules;

// Depth-first listings of a folder tree, each folder's entries in the directory's default order
// (name, ignoring case), folders and files interleaved. Paths are joined as the directory listing
// forms them, never made canonical, so the root path leads every result path. They need no
// window and may run on any thread.
//
// stopRequested, when given, is asked before each folder is read; once it answers true the
// listing ends early and returns what it has found so far.
using ListingStop = std::function<bool()>;

// Every folder below the root, each before the folders inside it.
QFileInfoList listTreeFolders(const QString &path, const ListingStop &stopRequested = {});
// Every entry below the root that is not a folder.
QFileInfoList listTreeFiles(const QString &path, const ListingStop &stopRequested = {});
// Every file below the root whose suffix is jpg, jpeg, png, JPG, JPEG or PNG.
QFileInfoList listTreeImages(const QString &path, const ListingStop &stopRequested = {});

// Every file below the root that the rules count as a pick; with the default rules the same as
// listTreeImages.
QFileInfoList listTreePicks(const QString &path, const MatchRules &rules,
                            const ListingStop &stopRequested = {});

// The same listings as compact paths, for trees too big for a record per entry.
PathList listTreePaths(const QString &path, TreeWalker::Listing listing,
                       const ListingStop &stopRequested = {});
PathList listPickPaths(const QString &path, const MatchRules &rules,
                       const ListingStop &stopRequested = {});
