#include "treewalker_p.h"

#include <QtGlobal>

// Linux and the BSDs: the folder's own entry types, a stat only for links and unknown types.
// Apple's systems also hide entries by a flag, so they go through QDirIterator.
#if defined(Q_OS_UNIX) && !defined(Q_OS_DARWIN)

#include <QFile>

#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

namespace {

// The name as QDir would give it; false for a name the locale's encoding cannot represent,
// which QDir leaves out.
bool decodeName(const char *name, QString &decoded)
{
    const size_t length = std::strlen(name);
    decoded = QFile::decodeName(QByteArray::fromRawData(name, int(length)));
    for (size_t i = 0; i < length; ++i) {
        if (static_cast<unsigned char>(name[i]) >= 0x80)
            return QFile::encodeName(decoded) == QByteArray::fromRawData(name, int(length));
    }
    return true;
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
                const std::atomic_bool *stop)
{
    const FolderHandle handle(folder);
    if (!handle.dir)
        return true;
    const int fd = ::dirfd(handle.dir);
    while (const dirent *entry = ::readdir(handle.dir)) {
        if (stop && stop->load(std::memory_order_relaxed))
            return false;
        const char *name = entry->d_name;
        if (name[0] == '.') // hidden, "." and ".." among them
            continue;

        QString decoded;
        if (!decodeName(name, decoded))
            continue;

        unsigned char type = entry->d_type;
        struct stat status;
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
