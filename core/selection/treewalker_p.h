// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/selection/treewalker.h"

#include <vector>

// One entry of a folder as the platform's folder reader finds it.
struct FolderEntry
{
    QString name;
    TreeWalker::Kind kind;
    // A folder that is no link: its canonical path is its parent's followed by its name.
    bool plainFolder;
};

// An entry whose name the file-name encoding cannot represent, which a QDir listing leaves out.
struct UndecodableEntry
{
    QByteArray name;
    bool folder;
};

// Appends the entries a QDir listing of the folder (folders and files, without hidden and system
// entries) would hold, in the order the folder gives them, and, when asked, the entries it leaves
// out for their names. False only when the stop flag was set meanwhile; a folder that cannot be
// read has no entries.
bool readFolder(const QString &folder, std::vector<FolderEntry> &entries,
                const std::atomic_bool *stop, std::vector<UndecodableEntry> *undecodable = nullptr);
