#pragma once

#include <QElapsedTimer>
#include <QFileInfoList>
#include <QHash>
#include <QLoggingCategory>
#include <QMutex>
#include <QObject>
#include <QString>
#include <QStringList>

#include "core/selection/messageindex.h"

#include <atomic>
#include <memory>

class FileCopier;
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
    enum Outcome { Completed, Stopped };
    Q_ENUM(Outcome)

    // progressed() comes at most this often, in milliseconds, besides the reports at the end of
    // each phase and whenever the run pauses or ends: a rate every view can paint at.
    static constexpr int progressInterval = 40;

    struct Settings
    {
        QString smallImagesPath;
        QString bigImagesPath;
        QString outputPath;
        bool classified = false; // mirror the picks' sub-folders below the output folder
        bool dryRun = false;     // work out every copy, report it through copied(), write nothing
        // The picks as a client's message, in place of the small-image tree: each entry picks
        // originals, and in classified mode each group of entries goes into a folder of its own.
        std::shared_ptr<const PickMessage> message;
    };

    // Counts and per-phase times of a run, complete once finished() has been emitted.
    struct Summary
    {
        int picks = 0; // from a message: its entries
        int candidates = 0;
        int matched = 0; // entries of the matched list, one per (pick, original) match
        int copied = 0;  // in a dry run: planned
        int failed = 0;
        int missing = 0;
        qint64 phaseNsecs[4] = {};         // by Phase; copying includes the waits for answers
        QList<MessageAmbiguity> ambiguous; // from a message: numbers that picked several kinds
    };

    explicit SelectionJob(const Settings &settings, QObject *parent = nullptr);
    ~SelectionJob() override;

    Settings settings() const { return config; }
    Summary summary() const;

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
    // The picks without any original, by full path in listing order, or the message's entries
    // without one as written; the run waits for decide().
    void missingFound(const QStringList &missing);
    // A copy failed; the run waits for answerFailure().
    void copyFailed(const QString &source, const QString &target, const QString &reason);
    void copied(const QString &source, const QString &target);
    void finished(SelectionJob::Outcome outcome);

private:
    enum class State { Idle, WaitingForDecision, Copying, WaitingForAnswer, Done };

    void schedule(void (SelectionJob::*step)());
    void beginCopying();
    void copySome();
    bool copyOne();
    void reportCopies(bool always = true);
    void finish(Outcome outcome);
    void endPhase(Phase phase);
    QString targetFolder(int entry) const;

    const Settings config;
    std::atomic<bool> stopFlag{false};
    State state = State::Idle;
    std::unique_ptr<StemMatches> matches;
    std::unique_ptr<FileCopier> copier;
    int next = 0;                     // the matched entry to copy next
    int reportedCopies = 0;           // the entries done as progressed() last told
    QElapsedTimer reportClock;        // since progressed() was last emitted
    QHash<QString, QString> madeFrom; // target -> the source of the copy made there last
    QElapsedTimer phaseClock;
    mutable QMutex summaryLock;
    Summary counts;
};
