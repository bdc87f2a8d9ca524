#include "kelto.h"

#include <QDir>

// Depth-first listings of a folder tree, each folder's entries in the directory's default order
// (name, ignoring case), folders and files interleaved.

QFileInfoList kelto::listTreeFolders(QString path)
{
    QFileInfoList result;
    QDir dir(path);
    dir.setFilter(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot);
    const QFileInfoList entries = dir.entryInfoList();
    for (const QFileInfo &entry : entries) {
        if (entry.isDir()) {
            result.append(entry);
            result.append(listTreeFolders(entry.filePath()));
        }
    }
    return result;
}

QFileInfoList kelto::listTreeFiles(QString path)
{
    QFileInfoList result;
    QDir dir(path);
    dir.setFilter(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot);
    const QFileInfoList entries = dir.entryInfoList();
    for (const QFileInfo &entry : entries) {
        if (entry.isDir())
            result.append(listTreeFiles(entry.filePath()));
        else
            result.append(entry);
    }
    return result;
}

QFileInfoList kelto::listTreeImages(QString path)
{
    static const QStringList imageSuffixes = {"jpg", "jpeg", "png", "JPG", "JPEG", "PNG"};
    QFileInfoList result;
    QDir dir(path);
    dir.setFilter(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot);
    const QFileInfoList entries = dir.entryInfoList();
    for (const QFileInfo &entry : entries) {
        if (entry.isDir())
            result.append(listTreeImages(entry.filePath()));
        else if (entry.isFile() && imageSuffixes.contains(entry.suffix()))
            result.append(entry);
    }
    return result;
}
