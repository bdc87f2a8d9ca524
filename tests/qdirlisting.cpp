// SPDX-License-Identifier: GPL-3.0-or-later
// The listings as they were first written: QDir::entryInfoList folder by folder. Kept as the
// reference for the tree walker.

#include "tests/qdirlisting.h"

#include "core/selection/matchrules.h"

#include <QDir>

namespace {

using Keep = TreeWalker::Listing;

bool hasImageSuffix(const QFileInfo &entry)
{
    static const QStringList imageSuffixes = {"jpg", "jpeg", "png", "JPG", "JPEG", "PNG"};
    return imageSuffixes.contains(entry.suffix(), Qt::CaseSensitive);
}

// `ancestors` holds the canonical paths of the folders from the root down to `path`, both
// included. A folder link that leads back to one of them would make the walk endless, so such a
// folder is neither listed nor entered. Links to anywhere else are followed like plain folders.
void listTree(const QString &path, Keep keep, const MatchRules *rules, QStringList &ancestors,
              QFileInfoList &result)
{
    QDir dir(path);
    dir.setFilter(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot);
    const QFileInfoList entries = dir.entryInfoList();
    for (const QFileInfo &entry : entries) {
        if (entry.isDir()) {
            const QString canonical = entry.canonicalFilePath();
            if (ancestors.contains(canonical))
                continue;
            if (keep == Keep::Folders)
                result.append(entry);
            ancestors.append(canonical);
            listTree(entry.filePath(), keep, rules, ancestors, result);
            ancestors.removeLast();
        } else if (keep == Keep::Files
                   || (keep == Keep::Images && entry.isFile()
                       && (rules ? rules->isPick(entry.fileName()) : hasImageSuffix(entry)))) {
            result.append(entry);
        }
    }
}

} // namespace

namespace {

QFileInfoList listFrom(const QString &root, TreeWalker::Listing keep, const MatchRules *rules)
{
    QFileInfoList result;
    QStringList ancestors;
    const QString canonicalRoot = QFileInfo(root).canonicalFilePath();
    if (!canonicalRoot.isEmpty())
        ancestors.append(canonicalRoot);
    listTree(root, keep, rules, ancestors, result);
    return result;
}

} // namespace

QFileInfoList listTreeByQDir(const QString &root, TreeWalker::Listing keep)
{
    return listFrom(root, keep, nullptr);
}

QFileInfoList listPicksByQDir(const QString &root, const MatchRules &rules)
{
    return listFrom(root, TreeWalker::Images, &rules);
}
