// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/longpath_win.h"
#include "core/selection/filecopier.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <qt_windows.h>

#include <string>

namespace {

std::wstring nativePath(const QString &path)
{
    return winLongPath(path);
}

// Closes a Windows handle when it goes out of scope.
class Handle
{
public:
    explicit Handle(HANDLE handle)
        : handle(handle)
    {}
    ~Handle()
    {
        if (isValid())
            ::CloseHandle(handle);
    }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;

    bool isValid() const { return handle != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle; }

private:
    HANDLE handle;
};

// Which file a path names: its volume's serial number and its file index, which two names of one
// file share (hard links) and no two files do. With followLinks false, a symbolic link is itself
// the file. Empty when there is no such file.
QString fileId(const QString &path, bool followLinks)
{
    DWORD flags = FILE_FLAG_BACKUP_SEMANTICS; // folders open too
    if (!followLinks)
        flags |= FILE_FLAG_OPEN_REPARSE_POINT;
    const HANDLE file = ::CreateFileW(nativePath(path).c_str(), 0,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, flags, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return QString();
    BY_HANDLE_FILE_INFORMATION info = {};
    const bool known = ::GetFileInformationByHandle(file, &info) != 0;
    ::CloseHandle(file);
    if (!known)
        return QString();
    const quint64 index = (quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return QString::number(info.dwVolumeSerialNumber) + QLatin1Char(':') + QString::number(index);
}

} // namespace

FileCopier::~FileCopier() = default;

// A copy under way holds its temporary file open without sharing it: it cannot be removed then.
bool FileCopier::removeIfUnused(const QString &path)
{
    return ::DeleteFileW(nativePath(path).c_str()) != 0;
}

QString FileCopier::entryKey(const QString &path)
{
    return fileId(path, false);
}

// Each copy goes to a hidden temporary name beside the target, is flushed, and then takes the
// target's name in one step that is itself written through, so flush() has nothing left to do.
FileCopier::Outcome FileCopier::copy(const QString &source, const QString &target)
{
    Q_UNUSED(unnamedFiles); // Windows has no files without a name
    error.clear();
    const QFileInfo from(source);
    const QFileInfo to(target);
    if (!from.isFile()) {
        error = QStringLiteral("not a regular file");
        return Failed;
    }
    // Names differ in case and form here without naming different files, and a hard link has
    // the same file under a second name: only the file IDs tell.
    const QString targetId = fileId(target, true);
    if (!targetId.isEmpty() && targetId == fileId(source, true))
        return SameFile;
    if (replacesIntactFile(target))
        return compareWithIntactFile(source, target);

    QString temporary;
    {
        QTemporaryFile reserve(to.path() + QStringLiteral("/.zanora-XXXXXX"));
        reserve.setAutoRemove(false);
        if (!reserve.open()) {
            error = reserve.errorString();
            return Failed;
        }
        temporary = reserve.fileName();
    }
    const std::wstring temporary16 = nativePath(temporary);
    const std::wstring to16 = nativePath(target);
    const Outcome outcome = copyData(source, temporary16);
    if (outcome != Copied) {
        ::DeleteFileW(temporary16.c_str());
        return outcome;
    }
    if (!::MoveFileExW(temporary16.c_str(), to16.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        error = qt_error_string(int(::GetLastError()));
        ::DeleteFileW(temporary16.c_str());
        return Failed;
    }
    return Copied;
}

// The data in pieces, with a look at the stop request before each; then the source's times, and
// everything flushed to the disk before the copy may take its name.
FileCopier::Outcome FileCopier::copyData(const QString &source, const std::wstring &temporary)
{
    const Handle from(::CreateFileW(nativePath(source).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                    FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    const Handle to(::CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    const auto fail = [this] {
        error = qt_error_string(int(::GetLastError()));
        return Failed;
    };
    if (!from.isValid() || !to.isValid())
        return fail();
    LARGE_INTEGER size = {};
    if (!::GetFileSizeEx(from.get(), &size))
        return fail();
    QByteArray piece(int(qMin<qint64>(pieceSize, qMax<qint64>(size.QuadPart, 1))),
                     Qt::Uninitialized);
    qint64 copied = 0;
    for (;;) {
        if (stopRequested())
            return Stopped;
        DWORD read = 0;
        if (!::ReadFile(from.get(), piece.data(), DWORD(piece.size()), &read, nullptr))
            return fail();
        if (read == 0)
            break;
        DWORD written = 0;
        if (!::WriteFile(to.get(), piece.constData(), read, &written, nullptr))
            return fail();
        if (written != read) {
            error = QStringLiteral("the copy came out short");
            return Failed;
        }
        copied += read;
        if (pieceDone && size.QuadPart > pieceSize)
            pieceDone(copied);
    }
    if (copied != size.QuadPart) {
        error = QStringLiteral("the source changed size while it was copied");
        return Failed;
    }
    FILETIME created, accessed, modified;
    if (!::GetFileTime(from.get(), &created, &accessed, &modified)
        || !::SetFileTime(to.get(), nullptr, &accessed, &modified) || !::FlushFileBuffers(to.get()))
        return fail();
    return Copied;
}

bool FileCopier::flush()
{
    // Every copy was flushed before it took its name.
    unflushed.clear();
    return true;
}
