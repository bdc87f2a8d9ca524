// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/selection/filecopier.h"

#include "core/selection/targetcheck.h"

#include <QDateTime>
#include <QDirIterator>
#include <QFileInfo>

// The part of the copier both platforms share; copy(), flush() and entryKey() are in the
// platform halves.

bool FileCopier::isTemporaryName(const QString &fileName)
{
    // ".zanora-" and six letters or digits (mkstemp, QTemporaryFile) or a base-36 number.
    static const QLatin1String prefix(".zanora-");
    if (!fileName.startsWith(prefix) || fileName.size() == prefix.size()
        || fileName.size() > prefix.size() + 8)
        return false;
    for (int i = prefix.size(); i < fileName.size(); ++i) {
        const QChar c = fileName.at(i);
        if (c.unicode() > 0x7f || !c.isLetterOrNumber())
            return false;
    }
    return true;
}

QStringList FileCopier::removeLeftovers(const QString &folder)
{
    // Read once, names first: a folder of thousands of copies holds few such names, if any.
    QStringList removed;
    QDirIterator it(folder, {QStringLiteral(".zanora-*")},
                    QDir::Files | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        const QString path = it.next();
        if (isTemporaryName(it.fileName()) && removeIfUnused(path))
            removed.append(path);
    }
    return removed;
}

void FileCopier::keepIntact(const QFileInfoList &files)
{
    intact = files;
    intactKeys.clear();
    intactKnown = false;
}

bool FileCopier::replacesIntactFile(const QString &target)
{
    if (intact.isEmpty())
        return false;
    const QString key = entryKey(target);
    if (key.isEmpty())
        return false;
    if (!intactKnown) {
        for (const QFileInfo &file : qAsConst(intact)) {
            const QString intactKey = entryKey(file.filePath());
            if (!intactKey.isEmpty())
                intactKeys.insert(intactKey);
        }
        intactKnown = true;
    }
    return intactKeys.contains(key);
}

// A target the copier must keep intact is left as it is when it already holds the source's
// bytes, as an earlier copy of the same original does: copies keep the modification time, so
// size and time rule out most other files before any byte is read. Anything else fails.
FileCopier::Outcome FileCopier::compareWithIntactFile(const QString &source, const QString &target)
{
    error = QStringLiteral("the target is a file to keep intact");
    const QFileInfo from(source);
    const QFileInfo to(target);
    // Only a regular file is opened: a FIFO among the originals would block the read.
    if (!to.isFile() || to.size() != from.size() || to.lastModified() != from.lastModified())
        return Failed;
    bool stopped = false;
    if (!TargetCheck::sameBytes(source, target, stopFlag, &stopped)) {
        if (stopped)
            error = QStringLiteral("stopped");
        return stopped ? Stopped : Failed;
    }
    error.clear();
    return SameFile;
}
