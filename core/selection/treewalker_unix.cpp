// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/selection/treewalker_p.h"

#include <QtGlobal>

// Linux and the BSDs: the folder's own entry types, a stat only for links and unknown types.
// Apple's systems also hide entries by a flag, so they go through QDirIterator.
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)

#include <QFile>
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
#include <QTextCodec>
#endif

#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

// Whether names of ASCII characters only decode to the same characters, as in UTF-8 and
// Latin-1, the encodings of nearly every system.
bool asciiDecodesAsLatin1()
{
#if QT_VERSION < QT_VERSION_CHECK(6, 0, 0)
    const QTextCodec *codec = QTextCodec::codecForLocale();
    return !codec || codec->mibEnum() == 106 || codec->mibEnum() == 4;
#else
    return true; // file names are UTF-8
#endif
}

// The name as QDir would give it; false for a name the locale's encoding cannot represent,
// which QDir leaves out.
bool decodeName(const char *name, bool asciiAsLatin1, QString &decoded)
{
    const size_t length = std::strlen(name);
    bool ascii = true;
    for (size_t i = 0; ascii && i < length; ++i)
        ascii = static_cast<unsigned char>(name[i]) < 0x80;
    if (ascii && asciiAsLatin1) {
        decoded = QString::fromLatin1(name, int(length));
        return true;
    }
    // QDir decodes whole paths: a leading byte order mark of a name is kept, not dropped.
    const QByteArray bytes = QByteArray::fromRawData(name, int(length));
    decoded = QFile::decodeName(QByteArray(1, '/') + bytes).mid(1);
    return ascii || QFile::encodeName(decoded) == bytes;
}

class FolderHandle
{
public:
    explicit FolderHandle(const QString &path)
        : dir(::opendir(QFile::encodeName(path).constData()))
    {}
    ~FolderHandle()
    {
        if (dir)
            ::closedir(dir);
    }
    FolderHandle(const FolderHandle &) = delete;
    FolderHandle &operator=(const FolderHandle &) = delete;

    DIR *const dir;
};

} // namespace

bool readFolder(const QString &folder, std::vector<FolderEntry> &entries,
                const std::atomic_bool *stop, std::vector<UndecodableEntry> *undecodable)
{
    const FolderHandle handle(folder);
    if (!handle.dir)
        return true;
    const int fd = ::dirfd(handle.dir);
    const bool asciiAsLatin1 = asciiDecodesAsLatin1();
    while (const dirent *entry = ::readdir(handle.dir)) {
        if (stop && stop->load(std::memory_order_relaxed))
            return false;
        const char *name = entry->d_name;
        if (name[0] == '.') // hidden, "." and ".." among them
            continue;

        QString decoded;
        unsigned char type = entry->d_type;
        struct stat status;
        if (!decodeName(name, asciiAsLatin1, decoded)) {
            if (undecodable) {
                bool isFolder = type == DT_DIR;
                if ((type == DT_UNKNOWN || type == DT_LNK) && ::fstatat(fd, name, &status, 0) == 0)
                    isFolder = S_ISDIR(status.st_mode);
                undecodable->push_back({QByteArray(name), isFolder});
            }
            continue;
        }

        if (type == DT_UNKNOWN) {
            if (::fstatat(fd, name, &status, AT_SYMLINK_NOFOLLOW) != 0)
                continue;
            type = S_ISDIR(status.st_mode)   ? DT_DIR
                   : S_ISREG(status.st_mode) ? DT_REG
                   : S_ISLNK(status.st_mode) ? DT_LNK
                                             : DT_UNKNOWN;
        }
        switch (type) {
        case DT_DIR:
            entries.push_back({decoded, TreeWalker::Folder, true});
            break;
        case DT_REG:
            entries.push_back({decoded, TreeWalker::File, false});
            break;
        case DT_LNK:
            if (::fstatat(fd, name, &status, 0) != 0) // dangling
                break;
            entries.push_back({decoded,
                               S_ISDIR(status.st_mode)   ? TreeWalker::Folder
                               : S_ISREG(status.st_mode) ? TreeWalker::File
                                                         : TreeWalker::Other,
                               false});
            break;
        default: // pipes, sockets and devices are system entries
            break;
        }
    }
    return true;
}

#endif
