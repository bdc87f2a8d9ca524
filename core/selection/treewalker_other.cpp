// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/selection/treewalker_p.h"

#include <QtGlobal>

// Everywhere else QDirIterator reads the folder, with the filter of the QDir listing, so that
// hidden and system entries are judged exactly as there.
#if !defined(Q_OS_UNIX) || defined(Q_OS_DARWIN)

#include <QDirIterator>

// Names there are UTF-16 and always decode.
bool readFolder(const QString &folder, std::vector<FolderEntry> &entries,
                const std::atomic_bool *stop, std::vector<UndecodableEntry> *)
{
    QDirIterator it(folder, QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot);
    while (it.hasNext()) {
        if (stop && stop->load(std::memory_order_relaxed))
            return false;
        it.next();
        const QFileInfo info = it.fileInfo();
        entries.push_back({info.fileName(),
                           info.isDir()    ? TreeWalker::Folder
                           : info.isFile() ? TreeWalker::File
                                           : TreeWalker::Other,
                           false});
    }
    return true;
}

#endif
