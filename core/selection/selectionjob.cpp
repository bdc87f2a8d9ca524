#include "core/selection/selectionjob.h"

#include "core/selection/filecopier.h"
#include "core/selection/messagereader.h"
#include "core/selection/pathlist.h"
#include "core/selection/stemindex.h"
#include "core/selection/treewalker.h"

#include <QDir>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcSelection, "zanora.selection")
Q_LOGGING_CATEGORY(lcCopyFailures, "zanora.selection.failures")

SelectionJob::SelectionJob(const Settings &settings, QObject *parent)
    : QObject(parent)
    , config(settings)
{
    qRegisterMetaType<SelectionJob::Phase>();
    qRegisterMetaType<SelectionJob::Outcome>();
}

SelectionJob::~SelectionJob() = default;

SelectionJob::Summary SelectionJob::summary() const
{
    QMutexLocker locker(&summaryLock);
    return counts;
}

void SelectionJob::stop()
{
    stopFlag = true;
    // A run that waits for an answer has nothing under way that would notice the flag.
    QMetaObject::invokeMethod(
            this,
            [this] {
                if (state == State::WaitingForDecision || state == State::WaitingForAnswer)
                    finish(Stopped);
            },
            Qt::QueuedConnection);
}

void SelectionJob::decide(bool goOn)
{
    QMetaObject::invokeMethod(
            this,
            [this, goOn] {
                if (state != State::WaitingForDecision)
                    return;
                if (goOn && !stopFlag)
                    beginCopying();
                else
                    finish(Stopped);
            },
            Qt::QueuedConnection);
}

void SelectionJob::answerFailure(bool goOn)
{
    QMetaObject::invokeMethod(
            this,
            [this, goOn] {
                if (state != State::WaitingForAnswer)
                    return;
                if (!goOn) {
                    finish(Stopped);
                    return;
                }
                state = State::Copying;
                ++next;
                reportCopies();
                schedule(&SelectionJob::copySome);
            },
            Qt::QueuedConnection);
}

void SelectionJob::schedule(void (SelectionJob::*step)())
{
    QMetaObject::invokeMethod(this, step, Qt::QueuedConnection);
}

void SelectionJob::endPhase(Phase phase)
{
    QMutexLocker locker(&summaryLock);
    counts.phaseNsecs[phase] = phaseClock.nsecsElapsed();
    phaseClock.restart();
}

void SelectionJob::start()
{
    if (state != State::Idle)
        return;
    const auto stopRequested = [this] { return stopFlag.load(std::memory_order_relaxed); };

    phaseClock.start();
    emit phaseStarted(Listing, -1);
    // Kept as compact paths: a big-image tree may hold half a million files.
    const PathList picks = config.message ? PathList()
                                          : TreeWalker::list(config.smallImagesPath,
                                                             TreeWalker::Images, stopRequested);
    const PathList candidates = TreeWalker::list(config.bigImagesPath, TreeWalker::Files,
                                                 stopRequested);
    {
        QMutexLocker locker(&summaryLock);
        counts.picks = config.message ? int(config.message->entries.size()) : picks.size();
        counts.candidates = candidates.size();
    }
    endPhase(Listing);
    if (stopFlag) {
        finish(Stopped);
        return;
    }

    const int total = counts.picks;
    emit phaseStarted(Matching, total);
    reportClock.start();
    const auto progress = [&](int done) {
        if (done < total && reportClock.elapsed() < progressInterval)
            return;
        reportClock.restart();
        emit progressed(Matching, total, done);
    };
    QList<MessageAmbiguity> ambiguous;
    if (config.message) {
        MessageMatches found
                = MessageIndex(candidates).match(*config.message, config.classified, progress);
        matches.reset(new StemMatches(std::move(found.picks)));
        ambiguous = found.ambiguous;
    } else {
        matches.reset(
                new StemMatches(StemIndex(candidates).match(picks, config.classified, progress)));
    }
    {
        QMutexLocker locker(&summaryLock);
        counts.ambiguous = ambiguous;
        counts.matched = matches->matched.size();
        counts.missing = matches->missing.size();
    }
    endPhase(Matching);

    if (stopFlag) {
        finish(Stopped);
    } else if (matches->missing.isEmpty()) {
        beginCopying();
    } else {
        state = State::WaitingForDecision;
        emit missingFound(matches->missing);
    }
}

void SelectionJob::beginCopying()
{
    state = State::Copying;
    phaseClock.restart();
    copier.reset(new FileCopier);
    copier->setStopFlag(&stopFlag);
    copier->keepIntact(matches->matched);
    next = 0;
    reportedCopies = 0;
    reportClock.start();
    emit phaseStarted(Copying, counts.matched);
    schedule(&SelectionJob::copySome);
}

// Where entry k goes: the output folder, or in classified mode the folder below it that mirrors
// where the entry's pick lies below the small-image root, or that is named by its group.
QString SelectionJob::targetFolder(int entry) const
{
    QString folder = config.outputPath;
    if (config.classified && config.message) {
        const QString &group = matches->folders.at(entry);
        if (!group.isEmpty())
            folder += QLatin1Char('/') + group;
    } else if (config.classified) {
        QString below = matches->partners.at(entry).absolutePath();
        if (below.startsWith(config.smallImagesPath))
            below.remove(0, config.smallImagesPath.size());
        while (below.startsWith(QLatin1Char('/')))
            below.remove(0, 1);
        if (!below.isEmpty())
            folder += QLatin1Char('/') + below;
    }
    return folder;
}

// Copies entries for up to 50 ms, then gives the thread's event loop a turn; reports how far it
// got every progressInterval. A stop is seen between two entries or two pieces of one.
void SelectionJob::copySome()
{
    QElapsedTimer slice;
    slice.start();
    while (state == State::Copying) {
        if (stopFlag) {
            finish(Stopped);
            return;
        }
        if (next == counts.matched) {
            finish(Completed);
            return;
        }
        if (!copyOne())
            return;
        ++next;
        reportCopies(false);
        if (slice.elapsed() >= 50) {
            schedule(&SelectionJob::copySome);
            return;
        }
    }
}

// Copies entry `next`; false when the run has paused for an answer or ended.
bool SelectionJob::copyOne()
{
    const QFileInfo &original = matches->matched.at(next);
    const QString folder = targetFolder(next);
    const QString target = folder + QLatin1Char('/') + original.fileName();
    // An original matched by two picks that lands in the same place again, with nothing else
    // copied there in between, is not copied twice: the copy would write the same bytes again.
    FileCopier::Outcome outcome = FileCopier::Copied;
    if (madeFrom.value(target) == original.filePath()) {
        outcome = FileCopier::SameFile;
    } else if (!config.dryRun) {
        if (config.classified && !QDir(folder).exists())
            QDir().mkpath(folder);
        outcome = copier->copy(original.filePath(), target);
        if (outcome == FileCopier::Copied)
            madeFrom.insert(target, original.filePath());
    }
    switch (outcome) {
    case FileCopier::Copied:
        emit copied(original.filePath(), target);
        Q_FALLTHROUGH();
    case FileCopier::SameFile: {
        QMutexLocker locker(&summaryLock);
        ++counts.copied;
        return true;
    }
    case FileCopier::Stopped:
        finish(Stopped);
        return false;
    case FileCopier::Failed:
        break;
    }
    qCWarning(lcCopyFailures) << "copy failed:" << original.filePath() << "->" << target
                              << copier->lastError();
    {
        QMutexLocker locker(&summaryLock);
        ++counts.failed;
    }
    reportCopies();
    state = State::WaitingForAnswer;
    emit copyFailed(original.filePath(), target, copier->lastError());
    return false;
}

// Tells how many entries are done, unless progressed() has said so already or, when not `always`,
// said anything within the last progressInterval.
void SelectionJob::reportCopies(bool always)
{
    if (next == reportedCopies || (!always && reportClock.elapsed() < progressInterval))
        return;
    reportClock.restart();
    reportedCopies = next;
    emit progressed(Copying, counts.matched, next);
}

// Flushes whatever was copied, so that a run that ends, however it ends, leaves its copies on
// the disk.
void SelectionJob::finish(Outcome outcome)
{
    if (state == State::Done)
        return;
    const bool copying = copier != nullptr;
    if (copying) {
        reportCopies();
        endPhase(Copying);
    }
    state = State::Done;
    if (copying) {
        emit phaseStarted(Flushing, -1);
        if (!copier->flush())
            qCWarning(lcSelection) << "flushing the copies failed:" << copier->lastError();
        endPhase(Flushing);
    }
    emit finished(outcome);
}
