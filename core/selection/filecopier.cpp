#include "core/selection/filecopier.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <cstring>

// The part of the copier both platforms share; copy(), flush() and entryKey() are in the
// platform halves.

namespace {

// Reads up to size bytes, fewer only at the end of the file; -1 on an error.
qint64 readPiece(QFile &file, char *data, qint64 size)
{
    qint64 done = 0;
    while (done < size) {
        const qint64 n = file.read(data + done, size - done);
        if (n < 0)
            return -1;
        if (n == 0)
            break;
        done += n;
    }
    return done;
}

} // namespace

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
    QFile in(source);
    QFile kept(target);
    if (!in.open(QIODevice::ReadOnly | QIODevice::Unbuffered)
        || !kept.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return Failed;
    QByteArray inPiece(int(comparePieceSize), Qt::Uninitialized);
    QByteArray keptPiece(int(comparePieceSize), Qt::Uninitialized);
    for (;;) {
        if (stopRequested()) {
            error = QStringLiteral("stopped");
            return Stopped;
        }
        const qint64 n = readPiece(in, inPiece.data(), comparePieceSize);
        if (n < 0 || readPiece(kept, keptPiece.data(), comparePieceSize) != n
            || std::memcmp(inPiece.constData(), keptPiece.constData(), size_t(n)) != 0)
            return Failed;
        if (n < comparePieceSize)
            break;
    }
    error.clear();
    return SameFile;
}
