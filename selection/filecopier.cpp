#include "filecopier.h"

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
