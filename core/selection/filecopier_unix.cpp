// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/selection/filecopier.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <functional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// Closes a descriptor when it goes out of scope.
struct Descriptor
{
    explicit Descriptor(int fd = -1)
        : fd(fd)
    {}
    ~Descriptor()
    {
        if (fd >= 0)
            ::close(fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    int fd;
};

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

bool writeAll(int out, const char *data, ssize_t size)
{
    while (size > 0) {
        const ssize_t written = ::write(out, data, size_t(size));
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

enum class DataOutcome { Done, Failed, Stopped };

// Copies up to `wanted` bytes from the current offset of in; false on an error. copied counts
// the bytes, and fewer than wanted arrive only at the end of in.
bool copyPiece(int in, int out, qint64 wanted, bool &kernelCopy, qint64 &copied)
{
    qint64 left = wanted;
#ifdef Q_OS_LINUX
    // In the kernel where the file systems allow it; wherever they refuse, read and write on
    // from the point reached.
    while (kernelCopy && left > 0) {
        const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, size_t(left), 0);
        if (n > 0) {
            copied += n;
            left -= n;
            continue;
        }
        if (n == 0 && copied > 0)
            return true; // the end
        if (n == 0)
            break; // an empty file, or a file system that copies nothing: reading tells
        if (errno == EINTR)
            continue;
        if (errno == EFBIG || errno == ENOSPC || errno == EDQUOT || errno == EIO)
            return false;
        kernelCopy = false;
    }
#else
    kernelCopy = false;
#endif
    char buffer[128 * 1024];
    while (left > 0) {
        const ssize_t n = ::read(in, buffer, size_t(qMin<qint64>(left, sizeof buffer)));
        if (n == 0)
            return true;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        if (!writeAll(out, buffer, n))
            return false;
        copied += n;
        left -= n;
    }
    return true;
}

// Copies from the current offset of in to its end, one piece at a time, looking at the stop
// request before each piece and telling `written` the bytes copied after each. In a file of more
// than one piece each piece is sent on its way to the disk as soon as it is written; small files
// are left to the flush at the end, which writes them faster all together.
DataOutcome copyData(int in, int out, qint64 &copied, const std::function<bool()> &stopRequested,
                     const std::function<void(qint64)> &written)
{
    bool kernelCopy = true;
    for (;;) {
        if (stopRequested())
            return DataOutcome::Stopped;
        const qint64 start = copied;
        if (!copyPiece(in, out, FileCopier::pieceSize, kernelCopy, copied))
            return DataOutcome::Failed;
        if (start > 0 || copied - start == FileCopier::pieceSize) {
#ifdef Q_OS_LINUX
            ::sync_file_range(out, start, copied - start, SYNC_FILE_RANGE_WRITE);
#endif
            written(copied);
        }
        if (copied - start < FileCopier::pieceSize)
            return DataOutcome::Done;
    }
}

// Waits until the bytes of the file from `from` up to `to` are on the disk.
void waitForDisk(int fd, qint64 from, qint64 to)
{
#ifdef Q_OS_LINUX
    ::sync_file_range(fd, from, to - from,
                      SYNC_FILE_RANGE_WAIT_BEFORE | SYNC_FILE_RANGE_WRITE
                              | SYNC_FILE_RANGE_WAIT_AFTER);
#else
    Q_UNUSED(from);
    Q_UNUSED(to);
    ::fdatasync(fd);
#endif
}

} // namespace

QString FileCopier::entryKey(const QString &path)
{
    struct stat entry;
    if (::lstat(QFile::encodeName(path).constData(), &entry) != 0)
        return QString();
    return QString::number(quint64(entry.st_dev)) + QLatin1Char(':')
           + QString::number(quint64(entry.st_ino));
}

FileCopier::Outcome FileCopier::copy(const QString &source, const QString &target)
{
    const QByteArray from = QFile::encodeName(source);
    const QByteArray to = QFile::encodeName(target);
    auto fail = [this](const QString &why) {
        error = why.isEmpty() ? QString::fromLocal8Bit(std::strerror(errno)) : why;
        return Failed;
    };

    // Non-blocking, so that a FIFO among the originals cannot hang the run before it is refused;
    // reading a regular file does not heed the flag.
    Descriptor in(::open(from.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat sourceStat;
    if (in.fd < 0 || ::fstat(in.fd, &sourceStat) != 0)
        return fail(QString());
    if (!S_ISREG(sourceStat.st_mode))
        return fail(QStringLiteral("not a regular file"));

    // Replacing the target would destroy the very file being copied. Nearly always nothing is
    // there yet, which one look tells.
    struct stat targetStat;
    if (::lstat(to.constData(), &targetStat) == 0) {
        if (::stat(to.constData(), &targetStat) == 0 && targetStat.st_dev == sourceStat.st_dev
            && targetStat.st_ino == sourceStat.st_ino)
            return SameFile;
        if (replacesIntactFile(target))
            return compareWithIntactFile(source, target);
    }

    const QString folder = QFileInfo(target).path();
    const QByteArray folderName = QFile::encodeName(folder);
    const mode_t mode = sourceStat.st_mode & 0777;
    Descriptor out;
    QByteArray temporary; // stays empty while the copy has no name
#ifdef O_TMPFILE
    if (unnamedFiles) {
        out.fd = ::open(folderName.constData(), O_TMPFILE | O_WRONLY | O_CLOEXEC, mode);
        if (out.fd < 0 && errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL)
            return fail(QString());
        if (out.fd < 0)
            unnamedFiles = false; // not on this file system: named temporaries from now on
    }
#endif
    if (out.fd < 0) {
        static const mode_t mask = currentUmask();
        temporary = folderName + "/.zanora-XXXXXX";
        out.fd = ::mkostemp(temporary.data(), O_CLOEXEC);
        if (out.fd < 0)
            return fail(QString());
        ::fchmod(out.fd, mode & ~mask);
    }
    // A named copy is held locked for as long as it is open: removeLeftovers() leaves a locked
    // file alone. A copy without a name cannot be left over.
    if (!temporary.isEmpty())
        ::flock(out.fd, LOCK_EX | LOCK_NB);
    auto discard = [&](const QString &why) {
        const Outcome outcome = fail(why);
        if (!temporary.isEmpty())
            ::unlink(temporary.constData());
        return outcome;
    };

    qint64 copied = 0;
    qint64 waited = 0; // the bytes of this copy known to be on the disk
    const auto written = [&](qint64 total) {
        boundWriteOut(out.fd, waited, total);
        if (pieceDone)
            pieceDone(total);
    };
    switch (copyData(
            in.fd, out.fd, copied, [this] { return stopRequested(); }, written)) {
    case DataOutcome::Done:
        if (copied > pieceSize) { // a large copy: its writing out is waited for later
            writingOut.append({::dup(out.fd), copied - waited});
            writingOutBytes += copied - waited;
        }
        break;
    case DataOutcome::Failed:
        return discard(QString());
    case DataOutcome::Stopped:
        discard(QStringLiteral("stopped"));
        return Stopped;
    }
    struct stat copyStat;
    if (::fstat(out.fd, &copyStat) != 0)
        return discard(QString());
    if (copied != sourceStat.st_size || copyStat.st_size != sourceStat.st_size)
        return discard(
                QStringLiteral("size differs: %1 of %2 bytes").arg(copied).arg(sourceStat.st_size));
    const struct timespec times[2] = {sourceStat.st_atim, sourceStat.st_mtim};
    if (::futimens(out.fd, times) != 0)
        return discard(QString());

    if (temporary.isEmpty()) {
        // A free name is taken at once; a file already there is replaced in one step through
        // a hidden name, never removed first.
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(out.fd);
        if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, to.constData(), AT_SYMLINK_FOLLOW) != 0) {
            if (errno == ENOENT && ::access("/proc/self/fd", F_OK) != 0) {
                unnamedFiles = false; // no /proc to name the file through
                return copy(source, target);
            }
            if (errno != EEXIST)
                return fail(QString());
            ::flock(out.fd, LOCK_EX | LOCK_NB); // about to have a hidden name
            for (int attempt = 0; temporary.isEmpty(); ++attempt) {
                const QByteArray name = folderName + "/.zanora-"
                                        + QByteArray::number(QRandomGenerator::global()->generate(),
                                                             36);
                if (::linkat(AT_FDCWD, self.constData(), AT_FDCWD, name.constData(),
                             AT_SYMLINK_FOLLOW)
                    == 0)
                    temporary = name;
                else if (errno != EEXIST || attempt == 100)
                    return fail(QString());
            }
            if (::rename(temporary.constData(), to.constData()) != 0)
                return discard(QString());
        }
        if (::close(out.fd) != 0) {
            out.fd = -1;
            return fail(QString());
        }
        out.fd = -1;
    } else {
        const int closed = ::close(out.fd);
        out.fd = -1;
        if (closed != 0 || ::rename(temporary.constData(), to.constData()) != 0)
            return discard(QString());
    }
    error.clear();
    unflushed.insert(quint64(copyStat.st_dev), folder);
    return Copied;
}

bool FileCopier::removeIfUnused(const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    Descriptor file(::open(name.constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    struct stat status;
    if (file.fd < 0 || ::fstat(file.fd, &status) != 0 || !S_ISREG(status.st_mode)
        || ::flock(file.fd, LOCK_EX | LOCK_NB) != 0)
        return false;
    return ::unlink(name.constData()) == 0;
}

FileCopier::~FileCopier()
{
    for (const auto &file : qAsConst(writingOut))
        ::close(file.first);
}

// Keeps at most writeOutWindow bytes of large copies on their way to the disk, waiting for the
// oldest ones first: enough for the disk to be kept busy, little enough for a stop or the flush
// at the end to find only a moment's work left.
void FileCopier::boundWriteOut(int current, qint64 &currentWaited, qint64 currentWritten)
{
    const auto pending = [&] { return writingOutBytes + currentWritten - currentWaited; };
    while (!writingOut.isEmpty() && pending() > writeOutWindow) {
        const QPair<int, qint64> oldest = writingOut.takeFirst();
        if (oldest.first >= 0) {
            waitForDisk(oldest.first, 0, 0);
            ::close(oldest.first);
        }
        writingOutBytes -= oldest.second;
    }
    if (pending() > writeOutWindow) {
        const qint64 upTo = currentWritten - writeOutWindow;
        waitForDisk(current, currentWaited, upTo);
        currentWaited = upTo;
    }
}

bool FileCopier::flush()
{
    for (const auto &file : qAsConst(writingOut))
        ::close(file.first);
    writingOut.clear();
    writingOutBytes = 0;
    bool ok = true;
    for (const QString &folder : qAsConst(unflushed)) {
#ifdef Q_OS_LINUX
        Descriptor dir(
                ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dir.fd < 0 || ::syncfs(dir.fd) != 0) {
            error = QString::fromLocal8Bit(std::strerror(errno));
            ok = false;
        }
#else
        Q_UNUSED(folder);
        ::sync();
        break;
#endif
    }
    unflushed.clear();
    return ok;
}
