// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFileInfo>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <vector>

// File paths kept compactly, for trees of hundreds of thousands of entries: each folder's path
// once, and every file name in one pool of characters, where a list of file-information records
// would hold a record and a whole path per entry. Records are formed on demand.
class PathList
{
public:
    // Appends folder + name; folder ends in "/". Entries of one folder in a row share its path.
    void append(const QString &folder, QStringView name);
    // Appends a whole path, cut after its last "/".
    void append(const QString &path);
    // Gives the spare room of the pools back once the list is complete.
    void squeeze();

    int size() const { return int(nameEnds.size()); }
    bool isEmpty() const { return nameEnds.empty(); }
    QStringView name(int i) const
    {
        const int start = i == 0 ? 0 : nameEnds[i - 1];
        return QStringView(names).mid(start, nameEnds[i] - start);
    }
    // The path of the folder holding entry i, "/" at its end. Entries of one folder listed apart
    // (a sub-folder's listing between them) may hold different but equal strings.
    const QString &folder(int i) const { return folders.at(folderOf[i]); }
    QString path(int i) const;
    QFileInfo fileInfo(int i) const { return QFileInfo(path(i)); }
    QStringList paths() const;

    // Bytes the list holds on the heap, near enough.
    qint64 heapBytes() const;

private:
    QStringList folders;       // each ending in "/"
    std::vector<int> folderOf; // by entry
    QString names;             // every name, one after the other
    std::vector<int> nameEnds; // by entry: where its name ends in the pool
};
