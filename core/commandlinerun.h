// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/selection/selectionjob.h"

#include <memory>

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

class JobRunner;
class QEventLoop;

// The selection run without a window, for scripts and batch work: reads the command line, runs a
// SelectionJob on a worker thread and reports on standard output and standard error. Picks
// without an original are listed and the run goes on (unless told to stop), failed copies are
// listed with their reason and the run goes on, Ctrl+C stops the run as the window's Stop does.
// Needs a QCoreApplication only.
class CommandLineRun : public QObject
{
    Q_OBJECT

public:
    enum ExitCode {
        Success = 0,
        Failures = 1,          // a copy, or the list of missing picks, could not be written
        UsageError = 2,        // bad arguments, folders or message; nothing was listed
        StoppedForMissing = 3, // --stop-if-missing and a pick without original: nothing copied
        NotEnoughSpace = 4,    // the output volume has too little room: nothing copied
        Interrupted = 130,     // Ctrl+C
    };

    explicit CommandLineRun(QObject *parent = nullptr);
    ~CommandLineRun() override;

    // Runs what the arguments (program name first) ask for, to the end; the exit code.
    int exec(const QStringList &arguments);

    SelectionJob::Settings settings() const { return config; }

private:
    struct Failure
    {
        QString source;
        QString target;
        QString reason;
    };

    // Reads and checks the arguments and creates the output folder: -1 when a run is to follow,
    // else the exit code of what was asked (help, version, an error).
    int prepare(const QStringList &arguments);
    bool readList(const QString &given);
    int run();
    void onPhaseStarted(SelectionJob::Phase phase, int total);
    void onMissingFound(const QStringList &paths, const IgnoredFiles &ignored);
    void onCopyFailed(const QString &source, const QString &target, const QString &reason);
    void onEntryDone(const QString &source, const QString &target, int outcome);
    void onFinished(SelectionJob::Outcome outcome);
    void pollInterrupt();
    void writeMissingList();
    void showProgress();
    void clearProgress();
    void tell(const QString &line);
    QByteArray jsonReport(const SelectionJob::Summary &summary, int code) const;

    SelectionJob::Settings config;
    bool stopIfMissing = false;
    bool json = false;
    bool quiet = false;
    QString missingListPath;

    std::unique_ptr<JobRunner> runner; // while the run goes on
    QEventLoop *loop = nullptr;
    QTimer interruptPoll;
    bool interrupted = false;

    QStringList missingPicks; // or the message's entries without an original
    IgnoredFiles ignoredFiles;
    QList<QPair<QString, QString>> renamedCopies; // source, target
    QStringList notUnderstood;                    // the message's words that read as no entry
    bool missingListWritten = false;
    bool missingListFailed = false;
    QList<Failure> failedCopies;

    // Progress on standard error: on a terminal a bar rewritten in place whenever the job reports
    // (and, while a phase has no counts, as its seconds pass), else a line every few seconds.
    QTimer progressTimer;
    bool terminal = false;
    int barLength = 0; // characters of the bar now on the terminal's last line
    SelectionJob::Phase phase = SelectionJob::Listing;
    int phaseTotal = -1;
    int phaseDone = 0;
    SelectionJob::CopyProgress bytes;
    QElapsedTimer phaseClock;
};
