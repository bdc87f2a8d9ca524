#include "core/selection/treelisting.h"

#include "core/selection/matchrules.h"
#include "core/selection/pathlist.h"

namespace {

// Walks the tree, handing every entry that `belongs` takes to `add`.
template<typename Belongs, typename Add>
void walkTree(const QString &root, const ListingStop &stopRequested, const Belongs &belongs,
              const Add &add)
{
    if (stopRequested && stopRequested())
        return;
    TreeWalker(root).walk([&](const TreeWalker::Entry &entry) {
        if (entry.kind() == TreeWalker::Folder && stopRequested && stopRequested())
            return false;
        if (belongs(entry))
            add(entry);
        return true;
    });
}

auto inListing(TreeWalker::Listing listing)
{
    return [listing](const TreeWalker::Entry &entry) {
        return TreeWalker::belongs(listing, entry.kind(), entry.name());
    };
}

auto isPick(const MatchRules &rules)
{
    return [&rules](const TreeWalker::Entry &entry) {
        return entry.kind() == TreeWalker::File && rules.isPick(entry.name());
    };
}

template<typename Belongs>
QFileInfoList listTree(const QString &root, const ListingStop &stopRequested, const Belongs &belongs)
{
    QFileInfoList result;
    walkTree(root, stopRequested, belongs,
             [&](const TreeWalker::Entry &entry) { result.append(QFileInfo(entry.path())); });
    return result;
}

template<typename Belongs>
PathList listPaths(const QString &root, const ListingStop &stopRequested, const Belongs &belongs)
{
    PathList result;
    walkTree(root, stopRequested, belongs,
             [&](const TreeWalker::Entry &entry) { result.append(entry.folder(), entry.name()); });
    result.squeeze();
    return result;
}

} // namespace

QFileInfoList listTreeFolders(const QString &path, const ListingStop &stopRequested)
{
    return listTree(path, stopRequested, inListing(TreeWalker::Folders));
}

QFileInfoList listTreeFiles(const QString &path, const ListingStop &stopRequested)
{
    return listTree(path, stopRequested, inListing(TreeWalker::Files));
}

QFileInfoList listTreeImages(const QString &path, const ListingStop &stopRequested)
{
    return listTree(path, stopRequested, inListing(TreeWalker::Images));
}

PathList listTreePaths(const QString &path, TreeWalker::Listing listing,
                       const ListingStop &stopRequested)
{
    return listPaths(path, stopRequested, inListing(listing));
}

QFileInfoList listTreePicks(const QString &path, const MatchRules &rules,
                            const ListingStop &stopRequested)
{
    return listTree(path, stopRequested, isPick(rules));
}

PathList listPickPaths(const QString &path, const MatchRules &rules,
                       const ListingStop &stopRequested)
{
    return listPaths(path, stopRequested, isPick(rules));
}
