// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/selection/selectionjob.h"

#include <QThread>

// The one owner of a selection job's worker thread. It makes the job and moves it to a thread of
// its own; start() starts the thread, which starts the job; the job's finished() ends the thread.
// Going away, the runner stops the job, waits for its thread and deletes the job, so that nothing
// is left running. Connect to job()'s signals before start(); the job may be deleted with the
// runner from a slot of its finished() signal.
class JobRunner
{
public:
    explicit JobRunner(const SelectionJob::Settings &settings);
    ~JobRunner();

    JobRunner(const JobRunner &) = delete;
    JobRunner &operator=(const JobRunner &) = delete;

    SelectionJob *job() const { return runJob; }

    void start();
    // Asks the job to end as soon as it can (SelectionJob::stop()); does not wait.
    void stop();
    // Waits until the job's thread has ended, at most msecs milliseconds (-1: as long as it
    // takes); true once it has ended or when it never started.
    bool wait(int msecs = -1);
    // The thread has run and ended: the job has emitted its last signal.
    bool isFinished() const { return thread.isFinished(); }

private:
    QThread thread;
    SelectionJob *runJob;
};
