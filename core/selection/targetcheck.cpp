// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/selection/targetcheck.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

#include <cstring>

namespace {

constexpr qint64 comparePieceSize = 1024 * 1024;
constexpr qint64 hour = 3600 * 1000;

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

TargetCheck::Result TargetCheck::compare(const Stamp &original, const QString &source,
                                         const QString &target, Stamp *found)
{
    const Stamp there = stamp(target);
    *found = there;
    if (!there.exists)
        return QFileInfo(target).isSymLink() ? Blocked : Absent; // a dangling link stands there
    // Only a regular file is opened: a FIFO would block the read.
    if (!there.isFile)
        return Blocked;
    if (there.size != original.size)
        return Differs;
    const qint64 apart = qAbs(there.modified - original.modified);
    if (apart == 0)
        return Same;
    const qint64 resolution = resolutionOf(target.left(target.lastIndexOf(QLatin1Char('/'))));
    bool bytesDecide = false;
    if (resolution == 0)
        bytesDecide = apart <= 2000;
    else if (apart < resolution)
        return Same;
    else if (resolution >= 2000)
        bytesDecide = qAbs(apart - hour) < resolution;
    if (!bytesDecide)
        return Differs;
    bool stopped = false;
    if (sameBytes(source, target, stopFlag, &stopped))
        return Same;
    return stopped ? Stopped : Differs;
}

bool TargetCheck::sameBytes(const QString &a, const QString &b, const std::atomic<bool> *stop,
                            bool *stopped)
{
    QFile first(a);
    QFile second(b);
    if (!first.open(QIODevice::ReadOnly | QIODevice::Unbuffered)
        || !second.open(QIODevice::ReadOnly | QIODevice::Unbuffered)
        || first.size() != second.size())
        return false;
    QByteArray firstPiece(int(comparePieceSize), Qt::Uninitialized);
    QByteArray secondPiece(int(comparePieceSize), Qt::Uninitialized);
    for (;;) {
        if (stop && stop->load(std::memory_order_relaxed)) {
            if (stopped)
                *stopped = true;
            return false;
        }
        const qint64 n = readPiece(first, firstPiece.data(), comparePieceSize);
        if (n < 0 || readPiece(second, secondPiece.data(), comparePieceSize) != n
            || std::memcmp(firstPiece.constData(), secondPiece.constData(), size_t(n)) != 0)
            return false;
        if (n < comparePieceSize)
            return true;
    }
}

qint64 TargetCheck::timeResolution(const QByteArray &fileSystemType)
{
    const QByteArray type = fileSystemType.toLower();
    // exfat-fuse mounts as "fuseblk": the FAT family is the usual reason for that type.
    for (const char *fat : {"vfat", "msdos", "fat", "fat12", "fat16", "fat32", "exfat", "fuseblk",
                            "fuse.exfat", "fuseblk.exfat", "fuse.fuse-exfat"}) {
        if (type == fat)
            return 2000;
    }
    for (const char *fine : {"ext2", "ext3", "ext4", "xfs", "btrfs", "tmpfs", "zfs", "f2fs", "ntfs",
                             "ntfs3", "refs", "apfs", "jfs", "reiserfs", "overlay"}) {
        if (type == fine)
            return 1;
    }
    if (type == "hfs" || type == "hfsplus")
        return 1000;
    return 0;
}

qint64 TargetCheck::resolutionOf(const QString &folder)
{
    const auto known = resolutions.constFind(folder);
    if (known != resolutions.cend())
        return known.value();
    const qint64 resolution = timeResolution(QStorageInfo(folder).fileSystemType());
    resolutions.insert(folder, resolution);
    return resolution;
}
