#include "core/selection/treelisting.h"

#include "core/selection/pathlist.h"

namespace {

// Walks the tree, handing every entry that belongs to the listing to `add`.
template<typename Add>
void walkTree(const QString &root, TreeWalker::Listing listing, const ListingStop &stopRequested,
              const Add &add, IgnoredFiles *ignored = nullptr)
{
    if (stopRequested && stopRequested())
        return;
    TreeWalker walker(root);
    if (ignored) {
        walker.setUndecodableVisitor([ignored](const QString &folder, const QByteArray &name,
                                               bool isFolder) {
            ignored->append(
                    {folder + IgnoredFile::escapedName(name),
                     isFolder ? IgnoredFile::UndecodableFolder : IgnoredFile::UndecodableName});
        });
    }
    walker.walk([&](const TreeWalker::Entry &entry) {
        if (entry.kind() == TreeWalker::Folder && stopRequested && stopRequested())
            return false;
        IgnoredFile::Reason reason;
        if (TreeWalker::belongs(listing, entry.kind(), entry.name()))
            add(entry);
        else if (ignored && listing == TreeWalker::Images && entry.kind() == TreeWalker::File
                 && IgnoredFile::leftOutPicture(entry.name(), &reason))
            ignored->append({entry.path(), reason});
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
                       const ListingStop &stopRequested, IgnoredFiles *ignored)
{
    PathList result;
    walkTree(
            path, listing, stopRequested,
            [&](const TreeWalker::Entry &entry) { result.append(entry.folder(), entry.name()); },
            ignored);
    result.squeeze();
    return result;
}
