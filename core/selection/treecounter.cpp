// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/selection/treecounter.h"

#include "core/selection/treewalker.h"

#include <QThread>

TreeCounter::TreeCounter(QObject *parent)
    : QObject(parent)
{}

TreeCounter::~TreeCounter()
{
    if (stopCurrent)
        *stopCurrent = true;
    for (QThread *thread : qAsConst(threads)) {
        thread->wait();
        delete thread;
    }
}

void TreeCounter::start(const QString &root, Counted counted, const MatchRules &rules)
{
    if (stopCurrent)
        *stopCurrent = true;
    kept.reset();
    holding = false;

    const auto stop = std::make_shared<std::atomic_bool>(false);
    stopCurrent = stop;
    const quint64 count = ++currentCount;
    QThread *thread = QThread::create([this, root, counted, rules, stop, count] {
        Result result;
        result.root = root;
        TreeWalker walker(root);
        walker.setStopFlag(stop.get());
        const bool complete = walker.walk([&](const TreeWalker::Entry &entry) {
            if (entry.kind() == TreeWalker::Folder)
                ++result.folders;
            if (counted == Images ? entry.kind() == TreeWalker::File && rules.isPick(entry.name())
                                  : entry.kind() != TreeWalker::Folder)
                ++result.entries;
            return true;
        });
        // The object outlives the thread: its destructor waits for it.
        if (complete)
            QMetaObject::invokeMethod(
                    this, [this, count, result] { finish(count, result); }, Qt::QueuedConnection);
    });
    threads.append(thread);
    connect(thread, &QThread::finished, this, [this, thread] {
        threads.removeOne(thread);
        thread->deleteLater();
    });
    thread->start();
}

void TreeCounter::hold()
{
    holding = true;
}

void TreeCounter::release()
{
    holding = false;
    if (kept) {
        const Result result = *kept;
        kept.reset();
        emit counted(result.root, result.folders, result.entries);
    }
}

void TreeCounter::finish(quint64 count, const Result &result)
{
    if (count != currentCount)
        return; // abandoned
    if (holding)
        kept.reset(new Result(result));
    else
        emit counted(result.root, result.folders, result.entries);
}
