// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/selection/treewalker_p.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

// Reads ahead, on a thread of its own, the folders a depth-first walk is about to enter, so that
// one core reads folders from the disk while the other goes through what was read: a tree of two
// million files lists in about half the time. The walk says which folders come next (expect())
// and takes each when it gets there (take()); a folder not read yet it reads itself. At most
// `depth` folders wait to be taken. Going away, the reader stops and its thread is joined.
class FolderReadAhead
{
public:
    struct Folder
    {
        std::vector<FolderEntry> entries; // in the order the folder gives them
        std::vector<UndecodableEntry> undecodable;
    };
    // Reads a folder; false when `stop` was set meanwhile.
    using Reader = std::function<bool(const QString &path, Folder &folder,
                                      const std::atomic_bool *stop)>;

    static constexpr int depth = 64;

    explicit FolderReadAhead(const Reader &reader);
    ~FolderReadAhead();
    FolderReadAhead(const FolderReadAhead &) = delete;
    FolderReadAhead &operator=(const FolderReadAhead &) = delete;

    // The walk enters these folders next, in this order, before any expected earlier.
    void expect(const QStringList &folders);
    // The folder as read ahead, waited for while it is being read; false when it has not been
    // read, for the caller to read it.
    bool take(const QString &path, Folder &folder);

private:
    void run();

    Reader reader;
    std::mutex lock;
    std::condition_variable wake; // for the reader: a folder to read, or room, or quit
    std::condition_variable read; // for take(): the folder in flight is read
    std::deque<QString> pending;
    QHash<QString, Folder> ready;
    QString inFlight;
    std::atomic_bool quit{false};
    std::thread thread;
};
