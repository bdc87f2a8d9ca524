#pragma once

#include "core/selection/ignoredfile.h"
#include "core/selection/treewalker.h"

#include <QFileInfoList>
#include <QString>

#include <functional>

class PathList;

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

// The same listings as compact paths, for trees too big for a record per entry. With `ignored`
// given, it is also told the entries left out for their names, and in a listing of images the
// files left out that look like pictures.
PathList listTreePaths(const QString &path, TreeWalker::Listing listing,
                       const ListingStop &stopRequested = {}, IgnoredFiles *ignored = nullptr);
