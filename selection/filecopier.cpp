#include "filecopier.h"

#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#else
#include <QDateTime>
#include <QTemporaryFile>
#endif

#ifdef Q_OS_UNIX

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

// Copies from the current offset of in to its end; copied counts the bytes.
bool copyData(int in, int out, qint64 &copied)
{
#ifdef Q_OS_LINUX
    // In the kernel where the file systems allow it; wherever they refuse, read and write on
    // from the point reached.
    for (;;) {
        const ssize_t n = ::copy_file_range(in, nullptr, out, nullptr, size_t(1) << 30, 0);
        if (n > 0) {
            copied += n;
            continue;
        }
        if (n == 0)
            break; // the end, or a file system that reports none: reading confirms it
        if (errno == EINTR)
            continue;
        if (errno == EFBIG || errno == ENOSPC || errno == EDQUOT || errno == EIO)
            return false;
        break;
    }
#endif
    char buffer[128 * 1024];
    for (;;) {
        const ssize_t n = ::read(in, buffer, sizeof buffer);
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
    }
}

} // namespace

FileCopier::Outcome FileCopier::copy(const QString &source, const QString &target)
{
    error.clear();
    const QByteArray from = QFile::encodeName(source);
    const QByteArray to = QFile::encodeName(target);

    // Non-blocking, so that a FIFO among the originals cannot hang the run before it is refused.
    Descriptor in(::open(from.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    struct stat sourceStat;
    if (in.fd < 0 || ::fstat(in.fd, &sourceStat) != 0) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        return Failed;
    }
    if (!S_ISREG(sourceStat.st_mode)) {
        error = QStringLiteral("not a regular file");
        return Failed;
    }
    ::fcntl(in.fd, F_SETFL, ::fcntl(in.fd, F_GETFL) & ~O_NONBLOCK);

    // Replacing the target would destroy the very file being copied.
    struct stat targetStat;
    if (::stat(to.constData(), &targetStat) == 0 && targetStat.st_dev == sourceStat.st_dev
        && targetStat.st_ino == sourceStat.st_ino)
        return SameFile;

    const QString folder = QFileInfo(target).path();
    QByteArray temporary = QFile::encodeName(folder) + "/.zanora-XXXXXX";
    Descriptor out(::mkostemp(temporary.data(), O_CLOEXEC));
    if (out.fd < 0) {
        error = QString::fromLocal8Bit(std::strerror(errno));
        return Failed;
    }

    static const mode_t mask = currentUmask();
    qint64 copied = 0;
    bool ok = copyData(in.fd, out.fd, copied);
    if (!ok)
        error = QString::fromLocal8Bit(std::strerror(errno));
    struct stat copyStat;
    if (ok && (::fstat(out.fd, &copyStat) != 0 || copied != sourceStat.st_size
               || copyStat.st_size != sourceStat.st_size)) {
        ok = false;
        error = QStringLiteral("size differs: %1 of %2 bytes").arg(copied).arg(sourceStat.st_size);
    }
    if (ok) {
        const struct timespec times[2] = {sourceStat.st_atim, sourceStat.st_mtim};
        ::fchmod(out.fd, sourceStat.st_mode & 0777 & ~mask);
        ok = ::futimens(out.fd, times) == 0;
        if (!ok)
            error = QString::fromLocal8Bit(std::strerror(errno));
    }
    const int closed = ::close(out.fd);
    out.fd = -1;
    if (ok && closed != 0) {
        ok = false;
        error = QString::fromLocal8Bit(std::strerror(errno));
    }
    if (ok && ::rename(temporary.constData(), to.constData()) != 0) {
        ok = false;
        error = QString::fromLocal8Bit(std::strerror(errno));
    }
    if (!ok) {
        ::unlink(temporary.constData());
        return Failed;
    }
    unflushed.insert(quint64(copyStat.st_dev), folder);
    return Copied;
}

bool FileCopier::flush()
{
    bool ok = true;
    for (const QString &folder : qAsConst(unflushed)) {
#ifdef Q_OS_LINUX
        Descriptor dir(::open(QFile::encodeName(folder).constData(),
                              O_RDONLY | O_DIRECTORY | O_CLOEXEC));
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

#else // not Q_OS_UNIX

// The system's own copy call flushes nothing here; the temporary name still keeps a half-written
// file from carrying the target's name.
FileCopier::Outcome FileCopier::copy(const QString &source, const QString &target)
{
    error.clear();
    const QFileInfo from(source);
    const QFileInfo to(target);
    if (!from.isFile()) {
        error = QStringLiteral("not a regular file");
        return Failed;
    }
    if (to.exists() && to.canonicalFilePath() == from.canonicalFilePath())
        return SameFile;

    QString temporary;
    {
        QTemporaryFile reserve(to.path() + QStringLiteral("/.zanora-XXXXXX"));
        if (!reserve.open()) {
            error = reserve.errorString();
            return Failed;
        }
        temporary = reserve.fileName();
    }
    QFile copy(temporary);
    bool ok = QFile::copy(source, temporary) && copy.open(QIODevice::ReadWrite)
            && copy.size() == from.size()
            && copy.setFileTime(from.lastModified(), QFileDevice::FileModificationTime);
    copy.close();
    if (ok && to.exists() && !to.isDir())
        QFile::remove(target);
    if (!ok || !QFile::rename(temporary, target)) {
        error = copy.errorString();
        QFile::remove(temporary);
        return Failed;
    }
    return Copied;
}

bool FileCopier::flush()
{
    unflushed.clear();
    return true;
}

#endif
