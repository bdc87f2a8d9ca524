// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/selection/ignoredfile.h"

#include <QFileInfoList>
#include <QString>
#include <QStringBuilder>
#include <QStringList>
#include <QStringView>

#include <atomic>
#include <functional>

class FolderReadAhead;
class PathList;
struct MatchRules;

// Asked before a listing reads the root and before it enters each folder; once it answers true
// the listing ends early with what it has found so far.
using ListingStop = std::function<bool()>;

// Walks a folder tree depth-first in the order of a QDir listing with its default sort: each
// folder's entries by name compared in lower case, code unit by code unit, folders and files
// interleaved, names equal in lower case left in the order QDir's sort leaves them. Hidden
// entries and everything below a hidden folder are left out, and so are special files and
// dangling links; links are followed, except a folder link leading back to a folder on the way
// down (compared by canonical path). Paths are joined from the root as given.
//
// Each folder is read once; an entry is looked at further only where the folder does not say
// what it is, or where it is a link that must be followed. No file information is formed. This
// is the program's one way to list a tree: list() for the run, walk() for counting.
class TreeWalker
{
public:
    enum Kind {
        Folder,
        File,
        Other, // a link to something that is neither, such as a pipe
    };

    // One entry as the walk meets it. Valid only during the visitor's call.
    class Entry
    {
    public:
        Entry(const QString &folder, const QString &name, Kind kind)
            : folderPath(folder)
            , entryName(name)
            , entryKind(kind)
        {}

        // The path of the folder holding the entry, "/" included at its end.
        const QString &folder() const { return folderPath; }
        const QString &name() const { return entryName; }
        Kind kind() const { return entryKind; }
        QString path() const { return folderPath % entryName; }

    private:
        const QString &folderPath;
        const QString &entryName;
        Kind entryKind;
    };

    // Called for every entry in listing order, a folder before what lies in it; returning false
    // ends the walk.
    using Visitor = std::function<bool(const Entry &entry)>;

    explicit TreeWalker(const QString &root)
        : root(root)
    {}

    // A flag that another thread may set to end the walk early.
    void setStopFlag(const std::atomic_bool *flag) { stop = flag; }

    // Told of every entry left out because the file-name encoding cannot represent its name:
    // the folder's path ("/" at its end), the name's bytes, and whether it is a folder.
    using UndecodableVisitor
            = std::function<void(const QString &folder, const QByteArray &name, bool isFolder)>;
    void setUndecodableVisitor(const UndecodableVisitor &visitor) { undecodable = visitor; }

    // Visits every entry below the root; false when the visitor or the stop flag ended it. A root
    // that cannot be read has no entries.
    bool walk(const Visitor &visit) const;

    // The three listings of a tree: every folder; every entry that is not a folder; every file
    // with an image suffix. list() gives one as compact paths (a tree may hold half a million
    // files), in walk order. With `ignored` given, it is also told the entries left out for
    // their names, and in a listing of images the files left out that look like pictures.
    enum Listing { Folders, Files, Images };
    static PathList list(const QString &root, Listing listing,
                         const ListingStop &stopRequested = {}, IgnoredFiles *ignored = nullptr);
    // Every file the rules count as a pick; with the default rules the Images listing, and what
    // `ignored` is told as for it.
    static PathList listPicks(const QString &root, const MatchRules &rules,
                              const ListingStop &stopRequested = {},
                              IgnoredFiles *ignored = nullptr);

    // Whether an entry of this kind and name belongs to the listing.
    static bool belongs(Listing listing, Kind kind, QStringView name);

    // Whether the text after the file name's last "." is one of the image suffixes, with case.
    static bool hasImageSuffix(QStringView fileName);

private:
    bool walkFolder(const QString &folder, const QString &canonical, QStringList &ancestors,
                    const Visitor &visit, FolderReadAhead &readAhead) const;

    QString root;
    const std::atomic_bool *stop = nullptr;
    UndecodableVisitor undecodable;
};
