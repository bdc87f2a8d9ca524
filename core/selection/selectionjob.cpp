// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/selection/selectionjob.h"

#include "core/selection/filecopier.h"
#include "core/selection/messagereader.h"
#include "core/selection/oldfiles.h"
#include "core/selection/pathlist.h"
#include "core/selection/runrecord.h"
#include "core/selection/stemindex.h"
#include "core/selection/targetcheck.h"
#include "core/selection/targetnames.h"
#include "core/selection/treewalker.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QLoggingCategory>
#include <QSet>
#include <QStorageInfo>
#include <QTimer>

#include <algorithm>
#include <thread>

Q_LOGGING_CATEGORY(lcSelection, "zanora.selection")
Q_LOGGING_CATEGORY(lcCopyFailures, "zanora.selection.failures")

SelectionJob::SelectionJob(const Settings &settings, QObject *parent)
    : QObject(parent)
    , config(settings)
{
    qRegisterMetaType<SelectionJob::Phase>();
    qRegisterMetaType<SelectionJob::Outcome>();
    qRegisterMetaType<SelectionJob::CopyProgress>();
    qRegisterMetaType<IgnoredFiles>();
}

SelectionJob::~SelectionJob() = default;

namespace {

// For each match, the match of the same pick whose file its file goes with as a companion
// ("IMG_1.CR2.xmp" with "IMG_1.CR2" beside it), or -1; none unless `together`.
QVector<int> companionOriginals(const StemMatches &matches, const MatchRules &rules, bool together)
{
    const int count = matches.matched.size();
    QVector<int> originalOf(count, -1);
    if (!together)
        return originalOf;
    const auto key = [&rules](const QFileInfo &file, QStringView name) {
        return file.absolutePath() + QLatin1Char('\n') + rules.comparable(name);
    };
    // A pick's matches lie side by side.
    QHash<QString, int> byName;
    for (int first = 0, end = 0; first < count; first = end) {
        byName.clear();
        for (end = first; end < count && matches.pickOf.at(end) == matches.pickOf.at(first); ++end)
            byName.insert(key(matches.matched.at(end), matches.matched.at(end).fileName()), end);
        for (int k = first; k < end; ++k) {
            const QFileInfo &file = matches.matched.at(k);
            const QString name = file.fileName();
            const int dot = name.lastIndexOf(QLatin1Char('.'));
            if (dot <= 0)
                continue;
            const int original = byName.value(key(file, QStringView(name).left(dot)), -1);
            if (original >= 0
                && rules.isCompanionName(name, matches.matched.at(original).fileName()))
                originalOf[k] = original;
        }
    }
    return originalOf;
}

} // namespace

SelectionJob::Summary SelectionJob::summary() const
{
    QMutexLocker locker(&summaryLock);
    return counts;
}

QString SelectionJob::sourceOf(const RunEntry &entry) const
{
    return matches->matched.at(entry.match).filePath();
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
                bytesDone += entries.at(next).bytes;
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
    startedAt = QDateTime::currentDateTime();
    emit phaseStarted(Listing, -1);
    // Kept as compact paths: a big-image tree may hold half a million files.
    if (!config.message) {
        picks = TreeWalker::listPicks(config.smallImagesPath, config.rules, stopRequested, &ignored);
    }
    const PathList candidates = TreeWalker::list(config.bigImagesPath, TreeWalker::Files,
                                                 stopRequested, &ignored);
    {
        QMutexLocker locker(&summaryLock);
        counts.picks = config.message ? int(config.message->entries.size()) : picks.size();
        counts.candidates = candidates.size();
        counts.ignored = ignored.size();
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
        std::vector<int> positions;
        matches.reset(new StemMatches(StemIndex(candidates, config.rules)
                                              .match(picks, config.classified, progress,
                                                     &positions)));
        StemIndex::addRecords(*matches, candidates, positions);
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
    } else if (matches->missing.isEmpty() && ignored.isEmpty()) {
        beginCopying();
    } else {
        state = State::WaitingForDecision;
        emit missingFound(matches->missing, ignored);
    }
}

void SelectionJob::beginCopying()
{
    state = State::Copying;
    phaseClock.restart();
    copier.reset(new FileCopier);
    copier->setStopFlag(&stopFlag);
    copier->setPieceDone([this](qint64 copied) { reportPiece(copied); });
    copier->keepIntact(matches->matched);
    check.reset(new TargetCheck);
    check->setStopFlag(&stopFlag);
    oldFiles.reset(new OldFiles);
    next = 0;
    reportedCopies = 0;
    reportClock.start();
    emit phaseStarted(Copying, counts.matched);
    if (!plan()) {
        finish(Stopped);
        return;
    }
    if (!roomForCopies()) {
        finish(NotEnoughSpace);
        return;
    }
    bytesDone = 0;
    qint64 bytesTotal = 0;
    for (const RunEntry &entry : qAsConst(entries))
        bytesTotal += entry.bytes;
    timeLeft.reset(bytesTotal);
    copyClock.start();
    timeLeft.add(0, 0);
    emit copyProgressed({0, bytesTotal, -1, fileUnderWay()});
    schedule(&SelectionJob::copySome);
}

// Works out every entry's target and what is to happen there before anything is written.
bool SelectionJob::plan()
{
    entries.clear();
    entries.reserve(matches->matched.size());
    // The originals, each looked at once: what a target is compared with, and the files the
    // copier keeps intact, known by device and inode where the system tells them.
    QVector<TargetCheck::Stamp> originals;
    originals.reserve(matches->matched.size());
    QSet<QPair<quint64, quint64>> originalIds;
    for (const QFileInfo &original : qAsConst(matches->matched)) {
        originals.append(TargetCheck::stamp(original.filePath()));
        if (originals.last().hasId)
            originalIds.insert({originals.last().device, originals.last().inode});
    }
    const auto mustKeep = [&](const TargetCheck::Stamp &found, const QString &target) {
        return found.hasId ? originalIds.contains({found.device, found.inode})
                           : copier->mustKeep(target);
    };
    // Names first: a companion is named after its original's copy, so that the companion of
    // "IMG_1 (2).CR2" is "IMG_1 (2).CR2.xmp".
    const int count = matches->matched.size();
    // A message's numbers and names take an original's companions with it, as the rule does.
    const QVector<int> companionOf = companionOriginals(*matches, config.rules,
                                                        config.rules.companions || config.message);
    QVector<TargetNames::Target> targets(count);
    QVector<int> companions;
    for (int k = 0; k < count; ++k) {
        if (companionOf.at(k) >= 0)
            companions.append(k);
        else
            targets[k] = names.assign(targetFolder(k), matches->matched.at(k).fileName(),
                                      matches->matched.at(k).filePath());
    }
    // Shorter names first: the companion of a companion comes after it.
    std::stable_sort(companions.begin(), companions.end(), [this](int a, int b) {
        return matches->matched.at(a).fileName().size() < matches->matched.at(b).fileName().size();
    });
    for (const int k : qAsConst(companions)) {
        const QFileInfo &original = matches->matched.at(companionOf.at(k));
        const QString ownName = matches->matched.at(k).fileName();
        const QString target = targets.at(companionOf.at(k)).path;
        const QString name = target.mid(target.lastIndexOf(QLatin1Char('/')) + 1)
                             + ownName.mid(original.fileName().size());
        targets[k] = names.assign(targetFolder(k), name, matches->matched.at(k).filePath());
        targets[k].renamed = targets.at(k).path.mid(targets.at(k).path.lastIndexOf(QLatin1Char('/'))
                                                    + 1)
                             != ownName;
    }

    QSet<QString> swept;
    for (int k = 0; k < count; ++k) {
        if (stopFlag)
            return false;
        const QFileInfo &original = matches->matched.at(k);
        const QString folder = targetFolder(k);
        // What a run killed on its way left there goes before anything is compared.
        if (!config.dryRun && !swept.contains(folder)) {
            swept.insert(folder);
            removedLeftovers += FileCopier::removeLeftovers(folder);
        }
        const TargetNames::Target &placed = targets.at(k);
        RunEntry entry;
        entry.match = k;
        entry.target = placed.path;
        entry.renamed = placed.renamed;
        entry.again = placed.again;
        entry.bytes = originals.at(k).size;
        entry.outcome = placed.renamed ? RunEntry::Renamed : RunEntry::Copied;
        if (placed.again) {
            entry.outcome = RunEntry::Skipped;
            entry.detail = QStringLiteral("copied for an earlier pick");
        } else {
            TargetCheck::Stamp found;
            switch (check->compare(originals.at(k), original.filePath(), placed.path, &found)) {
            case TargetCheck::Absent:
            case TargetCheck::Blocked: // the copy fails and says why
                break;
            // A file to keep intact is left to the copier, which compares its bytes and refuses
            // to replace it.
            case TargetCheck::Same:
                if (!mustKeep(found, placed.path))
                    entry.outcome = RunEntry::Skipped;
                else
                    entry.looksThere = true;
                break;
            case TargetCheck::Differs:
                if (!mustKeep(found, placed.path))
                    entry.outcome = RunEntry::Replaced;
                break;
            case TargetCheck::Stopped:
                return false;
            }
        }
        entries.append(entry);
    }
    return true;
}

// Whether every output volume has room for the copies still to be written there. A file moved
// aside to make way for a copy may stay on the volume, in its trash or beside the copy, so it
// frees nothing.
bool SelectionJob::roomForCopies()
{
    QHash<QString, QString> volumeOf; // folder -> the root path of its volume
    QHash<QString, qint64> needed;    // by volume
    QHash<QString, qint64> available;
    for (const RunEntry &entry : qAsConst(entries)) {
        if (entry.outcome == RunEntry::Skipped || entry.looksThere)
            continue;
        const QString folder = entry.target.left(entry.target.lastIndexOf(QLatin1Char('/')));
        auto volume = volumeOf.find(folder);
        if (volume == volumeOf.end()) {
            QString existing = folder; // a mirrored folder may not be there yet
            while (!QFileInfo(existing).isDir() && existing.lastIndexOf(QLatin1Char('/')) > 0)
                existing.truncate(existing.lastIndexOf(QLatin1Char('/')));
            const QStorageInfo storage(existing);
            volume = volumeOf.insert(folder, storage.rootPath());
            if (storage.isValid() && !available.contains(storage.rootPath()))
                available.insert(storage.rootPath(), storage.bytesAvailable());
        }
        // Whole blocks, as the file systems give them out.
        needed[volume.value()] += (entry.bytes + 4095) / 4096 * 4096;
    }
    for (auto it = needed.cbegin(); it != needed.cend(); ++it) {
        const auto free = available.constFind(it.key());
        if (free != available.cend() && it.value() > free.value()) {
            spaceNote = QJsonObject{{QStringLiteral("volume"), it.key()},
                                    {QStringLiteral("needed"), double(it.value())},
                                    {QStringLiteral("available"), double(free.value())}};
            emit notEnoughSpace(it.key(), it.value(), free.value());
            return false;
        }
    }
    return true;
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
        bytesDone += entries.at(next).bytes;
        ++next;
        reportCopies(false);
        if (config.bytesPerSecond > 0) {
            const qint64 ahead = bytesDone * 1000 / config.bytesPerSecond - copyClock.elapsed();
            if (ahead > 0) {
                QTimer::singleShot(ahead, this, &SelectionJob::copySome);
                return;
            }
        }
        if (slice.elapsed() >= 50) {
            schedule(&SelectionJob::copySome);
            return;
        }
    }
}

// Copies entry `next`; false when the run has paused for an answer or ended.
bool SelectionJob::copyOne()
{
    RunEntry &entry = entries[next];
    const QFileInfo &original = matches->matched.at(entry.match);
    const QString &target = entry.target;
    const auto done = [&](RunEntry::Outcome outcome) {
        entry.outcome = outcome;
        entry.pending = false;
        if (outcome != RunEntry::Skipped)
            emit copied(original.filePath(), target);
        if (!entry.again)
            emit entryDone(original.filePath(), target, outcome);
        QMutexLocker locker(&summaryLock);
        ++counts.copied;
        counts.skipped += outcome == RunEntry::Skipped;
        counts.replaced += outcome == RunEntry::Replaced;
        counts.renamed += entry.renamed && !entry.again;
        return true;
    };
    if (entry.outcome == RunEntry::Skipped || config.dryRun)
        return done(entry.outcome);

    const QString folder = targetFolder(next);
    if (config.classified && !QDir(folder).exists())
        QDir().mkpath(folder);
    // A file found there, as planned or put there since, is moved aside, never destroyed.
    if (entry.outcome == RunEntry::Replaced
        || (QFileInfo(target).isFile() && !copier->mustKeep(target))) {
        entry.detail = oldFiles->moveAside(target);
        if (entry.detail.isEmpty())
            return failed(QStringLiteral("the file there cannot be moved aside: %1")
                                  .arg(oldFiles->lastError()));
        entry.outcome = RunEntry::Replaced;
    }
    switch (copier->copy(original.filePath(), target)) {
    case FileCopier::Copied:
        return done(entry.outcome);
    case FileCopier::SameFile:
        return done(RunEntry::Skipped);
    case FileCopier::Stopped:
        finish(Stopped);
        return false;
    case FileCopier::Failed:
        break;
    }
    QString reason = copier->lastError();
    if (entry.outcome == RunEntry::Replaced)
        reason += QStringLiteral("; the file there was moved to %1").arg(entry.detail);
    return failed(reason);
}

// Entry `next` failed: the run waits for answerFailure().
bool SelectionJob::failed(const QString &reason)
{
    RunEntry &entry = entries[next];
    const QString source = matches->matched.at(entry.match).filePath();
    entry.outcome = RunEntry::Failed;
    entry.pending = false;
    entry.detail = reason;
    qCWarning(lcCopyFailures) << "copy failed:" << source << "->" << entry.target << reason;
    {
        QMutexLocker locker(&summaryLock);
        ++counts.failed;
    }
    reportCopies();
    state = State::WaitingForAnswer;
    emit entryDone(source, entry.target, RunEntry::Failed);
    emit copyFailed(source, entry.target, reason);
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
    timeLeft.add(copyClock.elapsed(), bytesDone);
    emit copyProgressed({bytesDone, timeLeft.totalBytes(), timeLeft.msecsLeft(), fileUnderWay()});
}

// A file of several pieces is under way, `copied` bytes of it done: the bytes and the time left
// move with it, not only when it is done.
void SelectionJob::reportPiece(qint64 copied)
{
    if (reportClock.elapsed() < progressInterval)
        return;
    reportClock.restart();
    const qint64 done = bytesDone + copied;
    timeLeft.add(copyClock.elapsed(), done);
    emit copyProgressed({done, timeLeft.totalBytes(), timeLeft.msecsLeft(), fileUnderWay()});
}

// The original copied next; empty once every entry is done.
QString SelectionJob::fileUnderWay() const
{
    return next < entries.size() ? matches->matched.at(entries.at(next).match).filePath()
                                 : QString();
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
        // The record is made while the copies go to the disk: one waits for the disk, the other
        // for the processor. Its end is the end of the copying.
        std::thread flushing([this] {
            if (!copier->flush())
                qCWarning(lcSelection) << "flushing the copies failed:" << copier->lastError();
        });
        if (!config.recordPath.isEmpty())
            writeRecord(outcome);
        flushing.join();
        endPhase(Flushing);
    } else if (!config.recordPath.isEmpty()) {
        writeRecord(outcome);
    }
    // What only the run needed goes on this thread, not on the one that deletes the job; the
    // matched list and the entries stay for runEntries() and sourceOf().
    copier.reset();
    check.reset();
    oldFiles.reset();
    picks = PathList();
    emit finished(outcome);
}

void SelectionJob::writeRecord(Outcome outcome)
{
    RunRecord record;
    record.smallImagesPath = config.smallImagesPath;
    record.bigImagesPath = config.bigImagesPath;
    record.outputPath = config.outputPath;
    record.rules = QJsonObject{{QStringLiteral("mode"), config.classified
                                                                ? QStringLiteral("classified")
                                                                : QStringLiteral("combined")},
                               {QStringLiteral("dryRun"), config.dryRun}};
    // The matching rules as --json gives them, beside the run's mode.
    const QJsonObject matching = config.rules.toJson();
    for (auto rule = matching.begin(); rule != matching.end(); ++rule)
        record.rules.insert(rule.key(), rule.value());
    record.started = startedAt;
    record.ended = QDateTime::currentDateTime();
    record.outcome = QLatin1String(outcome == Completed        ? "completed"
                                   : outcome == NotEnoughSpace ? "not enough space"
                                                               : "stopped");
    const Summary done = summary();
    record.counts = QJsonObject{{QStringLiteral("picks"), done.picks},
                                {QStringLiteral("candidates"), done.candidates},
                                {QStringLiteral("matched"), done.matched},
                                {QStringLiteral("copied"), done.copied},
                                {QStringLiteral("skipped"), done.skipped},
                                {QStringLiteral("replaced"), done.replaced},
                                {QStringLiteral("renamed"), done.renamed},
                                {QStringLiteral("failed"), done.failed},
                                {QStringLiteral("missing"), done.missing},
                                {QStringLiteral("ignored"), done.ignored}};
    record.entries.reserve(entries.size());
    // A pick's path made once for all its originals, and shared.
    QVector<QString> pickPaths(config.message ? 0 : picks.size());
    for (const RunEntry &entry : qAsConst(entries)) {
        const int pick = matches->pickOf.at(entry.match);
        QString pickText;
        if (config.message) {
            // the entry that picked it as the client wrote it
            pickText = config.message->entries.at(pick).text;
        } else {
            if (pickPaths.at(pick).isNull())
                pickPaths[pick] = picks.path(pick);
            pickText = pickPaths.at(pick);
        }
        record.entries.append({pickText, matches->matched.at(entry.match).filePath(), entry});
    }
    if (matches)
        record.missing = matches->missing;
    record.ignored = ignored;
    if (!removedLeftovers.isEmpty()) {
        record.notes.insert(QStringLiteral("removedTemporaries"),
                            QJsonArray::fromStringList(removedLeftovers));
    }
    if (!spaceNote.isEmpty())
        record.notes.insert(QStringLiteral("notEnoughSpace"), spaceNote);
    QString error;
    if (!record.write(config.recordPath, &error)) {
        qCWarning(lcSelection) << "the record" << config.recordPath
                               << "cannot be written:" << error;
        QMutexLocker locker(&summaryLock);
        counts.recordError = error.isEmpty() ? QStringLiteral("cannot be written") : error;
    }
}
