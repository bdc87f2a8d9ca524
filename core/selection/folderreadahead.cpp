// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/selection/folderreadahead.h"

#include <algorithm>

FolderReadAhead::FolderReadAhead(const Reader &reader)
    : reader(reader)
    , thread(&FolderReadAhead::run, this)
{}

FolderReadAhead::~FolderReadAhead()
{
    {
        std::lock_guard<std::mutex> guard(lock);
        quit = true;
    }
    wake.notify_one();
    thread.join();
}

void FolderReadAhead::expect(const QStringList &folders)
{
    if (folders.isEmpty())
        return;
    {
        std::lock_guard<std::mutex> guard(lock);
        pending.insert(pending.begin(), folders.begin(), folders.end());
    }
    wake.notify_one();
}

bool FolderReadAhead::take(const QString &path, Folder &folder)
{
    std::unique_lock<std::mutex> guard(lock);
    read.wait(guard, [&] { return inFlight != path; });
    const auto found = ready.find(path);
    if (found != ready.end()) {
        folder = std::move(found.value());
        ready.erase(found);
        guard.unlock();
        wake.notify_one(); // room for one more
        return true;
    }
    const auto queued = std::find(pending.begin(), pending.end(), path);
    if (queued != pending.end())
        pending.erase(queued);
    return false;
}

void FolderReadAhead::run()
{
    std::unique_lock<std::mutex> guard(lock);
    for (;;) {
        wake.wait(guard, [this] { return quit || (!pending.empty() && ready.size() < depth); });
        if (quit)
            return;
        const QString path = pending.front();
        pending.pop_front();
        inFlight = path;
        guard.unlock();
        Folder folder;
        const bool complete = reader(path, folder, &quit);
        guard.lock();
        if (complete)
            ready.insert(path, std::move(folder));
        inFlight.clear();
        guard.unlock();
        read.notify_all();
        guard.lock();
    }
}
