// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/selection/pathlist.h"

void PathList::append(const QString &folder, QStringView name)
{
    // The walker hands the same string for every entry of a folder: usually a pointer test.
    if (folders.isEmpty()
        || (folders.last().constData() != folder.constData() && folders.last() != folder)) {
        folders.append(folder);
    }
    folderOf.push_back(folders.size() - 1);
    names.append(name.data(), int(name.size()));
    nameEnds.push_back(names.size());
}

void PathList::append(const QString &path)
{
    const int cut = path.lastIndexOf(QLatin1Char('/')) + 1;
    append(path.left(cut), QStringView(path).mid(cut));
}

void PathList::squeeze()
{
    names.squeeze();
    folderOf.shrink_to_fit();
    nameEnds.shrink_to_fit();
}

QString PathList::path(int i) const
{
    const QString &folder = folders.at(folderOf[i]);
    const QStringView fileName = name(i);
    QString result;
    result.reserve(folder.size() + int(fileName.size()));
    result.append(folder);
    result.append(fileName.data(), int(fileName.size()));
    return result;
}

QStringList PathList::paths() const
{
    QStringList result;
    result.reserve(size());
    for (int i = 0; i < size(); ++i)
        result.append(path(i));
    return result;
}

qint64 PathList::heapBytes() const
{
    qint64 bytes = qint64(names.capacity()) * 2
                   + qint64(folderOf.capacity() + nameEnds.capacity()) * sizeof(int);
    for (const QString &folder : folders)
        bytes += qint64(sizeof(QString)) + folder.capacity() * 2;
    return bytes;
}
