#include "core/selection/filecopier.h"

#include "core/selection/targetcheck.h"

#include <QDateTime>
#include <QFileInfo>

// The part of the copier both platforms share; copy(), flush() and entryKey() are in the
// platform halves.

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
