// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/selection/treewalker.h"

#include "core/selection/folderreadahead.h"
#include "core/selection/matchrules.h"
#include "core/selection/pathlist.h"
#include "core/selection/treewalker_p.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

namespace {

// What QDir does with a path before listing it: native separators made "/", one trailing "/"
// dropped unless the path is a root, and no path at all meaning the current folder. The result
// ends in "/", ready for names to be appended.
QString folderPrefix(const QString &root)
{
    QString path = root.isEmpty() ? QStringLiteral(".") : QDir::fromNativeSeparators(root);
    bool isRoot = path.size() == 1;
#if defined(Q_OS_WIN)
    isRoot = isRoot
             || (path.size() == 3 && path.at(1) == QLatin1Char(':') && path.at(0).isLetter());
#endif
    if (!isRoot && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    if (!path.endsWith(QLatin1Char('/')))
        path.append(QLatin1Char('/'));
    return path;
}

// QDir's default sort: names lower-cased, then compared code unit by code unit, by std::sort.
// std::sort is not stable, so names equal in lower case end up wherever its steps put them;
// they end up in the same places here because the same steps run on the same comparisons of
// the entries in the folder's own order.
void sortByName(std::vector<FolderEntry> &entries)
{
    if (entries.size() < 2)
        return;
    struct Keyed
    {
        QString key;
        size_t index;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(entries.size());
    for (size_t i = 0; i < entries.size(); ++i)
        keyed.push_back({entries[i].name.toLower(), i});
    std::sort(keyed.begin(), keyed.end(),
              [](const Keyed &a, const Keyed &b) { return a.key.compare(b.key) < 0; });
    std::vector<FolderEntry> sorted;
    sorted.reserve(entries.size());
    for (const Keyed &k : keyed)
        sorted.push_back(std::move(entries[k.index]));
    entries.swap(sorted);
}

// A folder's entries in the order the folder gives them, and, when wanted, those left out for
// their names. Sorting is left to the walk: the reader is the slower of the two threads.
bool readEntries(const QString &path, FolderReadAhead::Folder &folder, const std::atomic_bool *stop,
                 bool wantUndecodable)
{
    return readFolder(path, folder.entries, stop, wantUndecodable ? &folder.undecodable : nullptr);
}

} // namespace

bool TreeWalker::walk(const Visitor &visit) const
{
    QStringList ancestors;
    const QString canonical = QFileInfo(root).canonicalFilePath();
    if (!canonical.isEmpty())
        ancestors.append(canonical);
    const bool wantUndecodable = bool(undecodable);
    FolderReadAhead readAhead([wantUndecodable](const QString &path, FolderReadAhead::Folder &folder,
                                                const std::atomic_bool *stop) {
        return readEntries(path, folder, stop, wantUndecodable);
    });
    return walkFolder(folderPrefix(root), canonical, ancestors, visit, readAhead);
}

// `ancestors` holds the canonical paths of the folders from the root down to this one. A folder
// link leading back to one of them would make the walk endless, so such a folder is neither
// visited nor entered.
bool TreeWalker::walkFolder(const QString &folder, const QString &canonical, QStringList &ancestors,
                            const Visitor &visit, FolderReadAhead &readAhead) const
{
    FolderReadAhead::Folder read;
    if (!readAhead.take(folder, read) && !readEntries(folder, read, stop, bool(undecodable)))
        return false;
    std::sort(read.undecodable.begin(), read.undecodable.end(),
              [](const UndecodableEntry &a, const UndecodableEntry &b) { return a.name < b.name; });
    sortByName(read.entries);
    const std::vector<FolderEntry> &entries = read.entries;
    for (const UndecodableEntry &entry : read.undecodable)
        undecodable(folder, entry.name, entry.folder);
    // The folders entered next, read on the other thread meanwhile. Links are only read once
    // the walk has made sure they do not lead back up.
    QStringList next;
    for (const FolderEntry &entry : entries) {
        if (entry.kind == Folder && entry.plainFolder)
            next.append(folder % entry.name % QLatin1Char('/'));
    }
    readAhead.expect(next);

    for (const FolderEntry &entry : entries) {
        if (stop && stop->load(std::memory_order_relaxed))
            return false;
        if (entry.kind != Folder) {
            if (!visit(Entry(folder, entry.name, entry.kind)))
                return false;
            continue;
        }

        QString entryCanonical;
        if (entry.plainFolder && !canonical.isEmpty()) {
            entryCanonical = canonical;
            if (!entryCanonical.endsWith(QLatin1Char('/')))
                entryCanonical.append(QLatin1Char('/'));
            entryCanonical.append(entry.name);
        } else {
            entryCanonical = QFileInfo(folder % entry.name).canonicalFilePath();
        }
        if (ancestors.contains(entryCanonical))
            continue;
        if (!visit(Entry(folder, entry.name, Folder)))
            return false;
        ancestors.append(entryCanonical);
        const bool completed = walkFolder(folder % entry.name % QLatin1Char('/'), entryCanonical,
                                          ancestors, visit, readAhead);
        ancestors.removeLast();
        if (!completed)
            return false;
    }
    return true;
}

namespace {

// The entries `belongs` takes, in walk order. With `ignored` given, it is also told the names
// that do not decode and the files `leftOut` gives a reason for.
template<typename Belongs, typename LeftOut>
PathList listTree(const QString &root, const ListingStop &stopRequested, IgnoredFiles *ignored,
                  const Belongs &belongs, const LeftOut &leftOut)
{
    PathList result;
    if (stopRequested && stopRequested())
        return result;
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
        if (belongs(entry))
            result.append(entry.folder(), entry.name());
        else if (ignored && entry.kind() == TreeWalker::File && leftOut(entry.name(), &reason))
            ignored->append({entry.path(), reason});
        return true;
    });
    result.squeeze();
    return result;
}

} // namespace

PathList TreeWalker::list(const QString &root, Listing listing, const ListingStop &stopRequested,
                          IgnoredFiles *ignored)
{
    return listTree(
            root, stopRequested, ignored,
            [listing](const Entry &entry) { return belongs(listing, entry.kind(), entry.name()); },
            [listing](QStringView name, IgnoredFile::Reason *reason) {
                return listing == Images && IgnoredFile::leftOutPicture(name, reason);
            });
}

PathList TreeWalker::listPicks(const QString &root, const MatchRules &rules,
                               const ListingStop &stopRequested, IgnoredFiles *ignored)
{
    return listTree(
            root, stopRequested, ignored,
            [&rules](const Entry &entry) {
                return entry.kind() == File && rules.isPick(entry.name());
            },
            [&rules](QStringView name, IgnoredFile::Reason *reason) {
                if (!IgnoredFile::leftOutPicture(name, reason))
                    return false;
                // A studio's own formats are compared ignoring case: what they leave out is
                // left out for its format.
                if (!rules.pickFormats.isEmpty())
                    *reason = IgnoredFile::PictureFormat;
                return true;
            });
}

bool TreeWalker::belongs(Listing listing, Kind kind, QStringView name)
{
    switch (listing) {
    case Folders:
        return kind == Folder;
    case Files:
        return kind != Folder;
    case Images:
        return kind == File && hasImageSuffix(name);
    }
    return false;
}

bool TreeWalker::hasImageSuffix(QStringView fileName)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return false;
    const QStringView suffix = fileName.mid(dot + 1);
    for (const char16_t *image : {u"jpg", u"jpeg", u"png", u"JPG", u"JPEG", u"PNG"}) {
        if (suffix == QStringView(image))
            return true;
    }
    return false;
}
