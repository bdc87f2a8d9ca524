// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/selection/timeleft.h"

#include "core/selection/ignoredfile.h"
#include "core/selection/matchrules.h"
#include "core/selection/runentry.h"
#include "core/selection/targetnames.h"

#include "core/selection/pathlist.h"

#include <QDateTime>
#include <QElapsedTimer>
#include <QFileInfoList>
#include <QHash>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

#include "core/selection/messageindex.h"

#include <atomic>
#include <memory>

class FileCopier;
class OldFiles;
class TargetCheck;
struct PickMessage;
struct StemMatches;

// Each copy that failed, with source, target and reason, as a warning; everything else the job
// has to say goes to zanora.selection.
Q_DECLARE_LOGGING_CATEGORY(lcCopyFailures)

// One selection run without any window: lists the two trees, matches the picks with the
// originals through the stem index, works out each copy's destination and copies, reporting
// through signals and waiting for answers where a person (or a command line) must decide.
//
// The job is meant to live on a worker thread of its own, which JobRunner gives it. It is driven by its thread's event loop: a wait for an answer is
// no more than nothing scheduled. stop(), decide() and answerFailure() may be called from any
// thread; decide() and answerFailure() are also slots, for queued connections.
class SelectionJob : public QObject
{
    Q_OBJECT

public:
    enum Phase { Listing, Matching, Copying, Flushing };
    Q_ENUM(Phase)
    enum Outcome {
        Completed,
        Stopped,
        NotEnoughSpace, // nothing copied: notEnoughSpace() told why
    };
    Q_ENUM(Outcome)

    // progressed() comes at most this often, in milliseconds, besides the reports at the end of
    // each phase and whenever the run pauses or ends: a rate every view can paint at.
    static constexpr int progressInterval = 40;

    struct Settings
    {
        QString smallImagesPath;
        QString bigImagesPath;
        QString outputPath;
        bool classified = false;   // mirror the picks' sub-folders below the output folder
        bool dryRun = false;       // work out every copy, report it through copied(), write nothing
        QString recordPath;        // where the run's record goes (RunRecord); empty: nowhere
        qint64 bytesPerSecond = 0; // copy no faster than this (a test's pace); 0: no limit
        MatchRules rules;          // which files are picks and how they match
        // The picks as a client's message, in place of the small-image tree: each entry picks
        // originals, and in classified mode each group of entries goes into a folder of its own.
        std::shared_ptr<const PickMessage> message;
    };

    // How far the copying is in bytes, sent with progressed() while copying. Entries skipped or
    // failed count as done, with their sizes.
    struct CopyProgress
    {
        qint64 bytesDone = 0;
        qint64 bytesTotal = 0;
        qint64 msecsLeft = -1; // smoothed over the last seconds; -1 while it cannot tell
        QString file;          // full path of the original being copied; empty at the end
    };

    // Counts and per-phase times of a run, complete once finished() has been emitted.
    struct Summary
    {
        int picks = 0; // from a message: its entries
        int candidates = 0;
        int matched = 0;  // entries of the matched list, one per (pick, original) match
        int copied = 0;   // entries done, skipped ones included; in a dry run: planned
        int skipped = 0;  // the copy was there already, or made for an earlier pick
        int replaced = 0; // another file of that name was moved aside first
        int renamed = 0;  // given a numbered name: another original has the name in this run
        int failed = 0;
        int missing = 0;
        int ignored = 0;
        qint64 phaseNsecs[4] = {};         // by Phase; copying includes the waits for answers
        QString recordError;               // why the record could not be written; empty when it was
        QList<MessageAmbiguity> ambiguous; // from a message: numbers that picked several kinds
    };

    explicit SelectionJob(const Settings &settings, QObject *parent = nullptr);
    ~SelectionJob() override;

    Settings settings() const { return config; }
    Summary summary() const;
    // Every planned entry as it turned out, and the files left out; complete once finished()
    // has been emitted.
    QVector<RunEntry> runEntries() const { return entries; }
    IgnoredFiles ignoredFiles() const { return ignored; }
    QString sourceOf(const RunEntry &entry) const;

    // Asks the run to end as soon as it can: between two folders of a listing, two pieces of a
    // copy, or at once while it waits for an answer. Copies already made stay and are flushed.
    void stop();
    bool isStopRequested() const { return stopFlag.load(); }

public slots:
    // Runs the job from the start on the thread it lives on.
    void start();
    // The answer to missingFound(): true copies what was matched, false ends the run (Stopped).
    void decide(bool goOn);
    // The answer to copyFailed(): true goes on with the next entry, false ends the run (Stopped).
    void answerFailure(bool goOn);

signals:
    void phaseStarted(SelectionJob::Phase phase, int total); // total -1 while unknown
    // Matching and copying report at most every progressInterval, and at their ends.
    void progressed(SelectionJob::Phase phase, int total, int done);
    void copyProgressed(const SelectionJob::CopyProgress &progress);
    // The picks without any original, by full path in listing order, or the message's entries
    // without one as written, and the files left out of the run (see IgnoredFile), when there
    // are any of either; the run waits for decide().
    void missingFound(const QStringList &missing, const IgnoredFiles &ignored);
    // A copy failed; the run waits for answerFailure().
    void copyFailed(const QString &source, const QString &target, const QString &reason);
    // Before any copy: the copies still to write need more than the volume (its root path) has
    // free. The run copies nothing and ends (NotEnoughSpace).
    void notEnoughSpace(const QString &volume, qint64 needed, qint64 available);
    // A copy was written (in a dry run: would be).
    void copied(const QString &source, const QString &target);
    // Every entry once it is dealt with (in a dry run: planned), the skipped ones too, except an
    // original sent to the same place again for another pick. outcome: a RunEntry::Outcome.
    void entryDone(const QString &source, const QString &target, int outcome);
    void finished(SelectionJob::Outcome outcome);

private:
    enum class State { Idle, WaitingForDecision, Copying, WaitingForAnswer, Done };

    void schedule(void (SelectionJob::*step)());
    void beginCopying();
    bool plan();
    bool roomForCopies();
    void copySome();
    bool copyOne();
    bool failed(const QString &reason);
    void reportCopies(bool always = true);
    void reportPiece(qint64 copied);
    void finish(Outcome outcome);
    void writeRecord(Outcome outcome);
    void endPhase(Phase phase);
    QString targetFolder(int entry) const;
    QString fileUnderWay() const;

    const Settings config;
    std::atomic<bool> stopFlag{false};
    State state = State::Idle;
    std::unique_ptr<StemMatches> matches;
    std::unique_ptr<FileCopier> copier;
    std::unique_ptr<TargetCheck> check;
    std::unique_ptr<OldFiles> oldFiles;
    QVector<RunEntry> entries; // by matched entry, once planned
    IgnoredFiles ignored;
    PathList picks;
    QDateTime startedAt;
    QJsonObject spaceNote;        // what roomForCopies() found short
    QStringList removedLeftovers; // temporary files of copies cut short by an earlier run's end
    int next = 0;                 // the entry to copy next
    int reportedCopies = 0;       // the entries done as progressed() last told
    QElapsedTimer reportClock;    // since progressed() was last emitted
    QElapsedTimer copyClock;      // since the copying began
    qint64 bytesDone = 0;         // of the entries before `next`
    TimeLeft timeLeft;
    TargetNames names;
    QElapsedTimer phaseClock;
    mutable QMutex summaryLock;
    Summary counts;
};

Q_DECLARE_METATYPE(SelectionJob::CopyProgress)
