// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/selection/matchrules.h"

#include <QList>
#include <QObject>
#include <QString>

#include <atomic>
#include <memory>

class QThread;

// Counts the folders of a tree and its files (or its images) on a worker thread, so that a big
// tree, or one on a slow network share, never holds up the window. One count at a time:
// starting a count abandons the one before, whose numbers are never reported.
class TreeCounter : public QObject
{
    Q_OBJECT

public:
    enum Counted { Files, Images };

    explicit TreeCounter(QObject *parent = nullptr);
    // Abandons the count and waits for its thread, which notices within one file system call.
    ~TreeCounter() override;

    // Images are the files the rules count as picks.
    void start(const QString &root, Counted counted, const MatchRules &rules = MatchRules());

    // While held, a count that ends keeps its numbers back until release(); start() drops them.
    void hold();
    void release();

    // No count's thread is running any more, abandoned ones included.
    bool isIdle() const { return threads.isEmpty(); }

signals:
    void counted(const QString &root, int folders, int entries);

private:
    struct Result
    {
        QString root;
        int folders = 0;
        int entries = 0;
    };

    void finish(quint64 count, const Result &result);

    QList<QThread *> threads;
    std::shared_ptr<std::atomic_bool> stopCurrent;
    quint64 currentCount = 0;
    bool holding = false;
    std::unique_ptr<Result> kept;
};
