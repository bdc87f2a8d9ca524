#include "core/selection/treelisting.h"

#include "core/selection/pathlist.h"

namespace {

// Walks the tree, handing every entry that belongs to the listing to `add`.
template<typename Add>
void walkTree(const QString &root, TreeWalker::Listing listing, const ListingStop &stopRequested,
              const Add &add)
{
    if (stopRequested && stopRequested())
        return;
    TreeWalker(root).walk([&](const TreeWalker::Entry &entry) {
        if (entry.kind() == TreeWalker::Folder && stopRequested && stopRequested())
            return false;
        if (TreeWalker::belongs(listing, entry.kind(), entry.name()))
            add(entry);
        return true;
    });
}

QFileInfoList listTree(const QString &root, TreeWalker::Listing listing,
                       const ListingStop &stopRequested)
{
    QFileInfoList result;
    walkTree(root, listing, stopRequested,
             [&](const TreeWalker::Entry &entry) { result.append(QFileInfo(entry.path())); });
    return result;
}

} // namespace

QFileInfoList listTreeFolders(const QString &path, const ListingStop &stopRequested)
{
    return listTree(path, TreeWalker::Folders, stopRequested);
}

QFileInfoList listTreeFiles(const QString &path, const ListingStop &stopRequested)
{
    return listTree(path, TreeWalker::Files, stopRequested);
}

QFileInfoList listTreeImages(const QString &path, const ListingStop &stopRequested)
{
    return listTree(path, TreeWalker::Images, stopRequested);
}

PathList listTreePaths(const QString &path, TreeWalker::Listing listing,
                       const ListingStop &stopRequested)
{
    PathList result;
    walkTree(path, listing, stopRequested,
             [&](const TreeWalker::Entry &entry) { result.append(entry.folder(), entry.name()); });
    result.squeeze();
    return result;
}
