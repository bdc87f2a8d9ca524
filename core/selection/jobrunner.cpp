// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/selection/jobrunner.h"

JobRunner::JobRunner(const SelectionJob::Settings &settings)
    : runJob(new SelectionJob(settings))
{
    thread.setObjectName(QStringLiteral("SelectionJob"));
    runJob->moveToThread(&thread);
    QObject::connect(&thread, &QThread::started, runJob, &SelectionJob::start);
    QObject::connect(runJob, &SelectionJob::finished, &thread, &QThread::quit, Qt::DirectConnection);
}

// A stopped job ends by itself, whatever it is doing: within one folder of a listing or one piece
// of a copy, at once while it waits for an answer. Its thread ends with it.
JobRunner::~JobRunner()
{
    runJob->stop();
    thread.wait();
    delete runJob;
}

void JobRunner::start()
{
    thread.start();
}

void JobRunner::stop()
{
    runJob->stop();
}

bool JobRunner::wait(int msecs)
{
    return msecs < 0 ? thread.wait() : thread.wait(unsigned(msecs));
}
