#include "filecopier.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

#include <qt_windows.h>

#include <string>

namespace {

std::wstring nativePath(const QString &path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

// Called by CopyFileExW after each chunk it has copied: asks it to give up, deleting what it has
// written, once the run wants to stop.
DWORD CALLBACK copyProgress(LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, DWORD,
                            DWORD, HANDLE, HANDLE, LPVOID data)
{
    const auto *stop = static_cast<const std::atomic<bool> *>(data);
    return stop && stop->load(std::memory_order_relaxed) ? PROGRESS_CANCEL : PROGRESS_CONTINUE;
}

// Writes the file's data and metadata through to the disk.
bool flushFile(const std::wstring &path)
{
    const HANDLE file = ::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    const bool flushed = ::FlushFileBuffers(file) != 0;
    ::CloseHandle(file);
    return flushed;
}

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
    if (replacesIntactFile(target)) {
        error = QStringLiteral("the target is a file to keep intact");
        return Failed;
    }

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
    const std::wstring from16 = nativePath(source);
    const std::wstring temporary16 = nativePath(temporary);
    const std::wstring to16 = nativePath(target);
    auto fail = [&](Outcome outcome) {
        error = qt_error_string(int(::GetLastError()));
        ::DeleteFileW(temporary16.c_str());
        return outcome;
    };

    if (!::CopyFileExW(from16.c_str(), temporary16.c_str(), copyProgress,
                       const_cast<std::atomic<bool> *>(stopFlag), nullptr, 0))
        return fail(::GetLastError() == ERROR_REQUEST_ABORTED ? Stopped : Failed);
    if (QFileInfo(temporary).size() != from.size()) {
        ::SetLastError(ERROR_WRITE_FAULT);
        return fail(Failed);
    }
    if (!flushFile(temporary16)
        || !::MoveFileExW(temporary16.c_str(), to16.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return fail(Failed);
    return Copied;
}

bool FileCopier::flush()
{
    // Every copy was flushed before it took its name.
    unflushed.clear();
    return true;
}
