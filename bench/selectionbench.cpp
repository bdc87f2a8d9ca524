// Times a selection run on generated trees of realistic shoots at two scales, against a floor
// of the same work done by find, cp and sync -f. Every measured run writes into a fresh folder;
// everything is deleted only at the end.

#include "core/selection/filecopier.h"
#include "core/selection/jobrunner.h"
#include "core/selection/matchrules.h"
#include "core/selection/messageindex.h"
#include "core/selection/messagereader.h"
#include "core/selection/pathlist.h"
#include "core/selection/selectionjob.h"
#include "core/selection/stemindex.h"
#include "core/selection/treewalker.h"
#include "tests/keltoprobe.h"
#include "ui/kelto.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHostAddress>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSet>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <sys/resource.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

struct Scale
{
    const char *name;
    int candidates;
    int picks;
    int fileSize; // 0: as --file-kib says; -1: empty files
};

void say(const QString &line)
{
    std::printf("%s\n", line.toLocal8Bit().constData());
    std::fflush(stdout);
}

void figure(const QString &what, double seconds, const QString &note = QString())
{
    say(QStringLiteral("  %1 %2 s%3")
                .arg(what, -28)
                .arg(seconds, 8, 'f', 3)
                .arg(note.isEmpty() ? QString() : QStringLiteral("   (") + note + QLatin1Char(')')));
}

double seconds(const QElapsedTimer &clock)
{
    return clock.nsecsElapsed() / 1e9;
}

long peakMemoryKiB()
{
    struct rusage usage = {};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A client's message of 5,000 entries about these originals (numbers as written in a chat,
// some names, some short ranges, a few groups), read and matched through the message index.
void benchMessage(const PathList &candidates)
{
    if (candidates.isEmpty())
        return;
    QRandomGenerator random(23);
    QString message;
    const int entries = 5000;
    for (int i = 0; i < entries; ++i) {
        if (i % 1000 == 0)
            message += QStringLiteral("\n第%1组：").arg(i / 1000 + 1);
        const QStringView stem = MessageReader::stemOf(
                candidates.name(random.bounded(candidates.size())));
        quint64 number = 0;
        const int kind = random.bounded(10);
        if (kind < 2 || !MessageReader::lastNumber(stem, number))
            message += stem;
        else if (kind < 3)
            message += QStringLiteral("%1-%2").arg(number).arg(number + 4);
        else
            message += QString::number(number).rightJustified(4, QLatin1Char('0'));
        message += QStringLiteral("、");
    }
    double best = 1e9;
    double reading = 0;
    double indexing = 0;
    MessageMatches found;
    int read = 0;
    for (int round = 0; round < 3; ++round) {
        QElapsedTimer clock;
        clock.start();
        const PickMessage picks = MessageReader::read(message);
        const double readSeconds = seconds(clock);
        const MessageIndex index(candidates);
        const double indexSeconds = seconds(clock) - readSeconds;
        found = index.match(picks, true);
        if (seconds(clock) < best) {
            best = seconds(clock);
            reading = readSeconds;
            indexing = indexSeconds;
        }
        read = int(picks.entries.size());
    }
    figure(QStringLiteral("message, read and matched"), best,
           QStringLiteral("best of 3, reading %1 s, index %2 s; %3 entries against %4 originals, "
                          "%5 matched, %6 missing, %7 ambiguous")
                   .arg(reading, 0, 'f', 3)
                   .arg(indexing, 0, 'f', 3)
                   .arg(read)
                   .arg(candidates.size())
                   .arg(found.picks.matched.size())
                   .arg(found.picks.missing.size())
                   .arg(found.ambiguous.size()));
}

bool syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    const bool ok = fd >= 0 && ::syncfs(fd) == 0;
    if (fd >= 0)
        ::close(fd);
    return ok;
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

int filesIn(const QString &folder)
{
    return int(QDir(folder).entryList(QDir::Files | QDir::Hidden).size());
}

// A big-image tree of shoot folders, each shot by one camera whose counter runs on from shoot
// to shoot: raw + JPEG per shot, a Lightroom sidecar for some. A small-image tree of picks in
// album folders, named as people rename them, some without any original.
void generate(const QString &big, const QString &small, const Scale &scale, int fileSize)
{
    QRandomGenerator random(20240501u + quint32(scale.candidates));
    const QByteArray imageBytes(fileSize, 'x');
    const QByteArray sidecarBytes(1024, 'm');
    const QByteArray pickBytes(4096, 'p');
    struct Camera
    {
        const char *prefix;
        const char *raw;
        int counter;
    };
    Camera cameras[] = {{"IMG_", "CR2", 0},
                        {"DSC_", "NEF", 0},
                        {"_MG_", "CR2", 0},
                        {"DSCF", "RAF", 0},
                        {"P100", "RW2", 0}};
    const char *events[] = {"Wedding", "Portraits", "Studio", "Family", "Event", "Product"};

    QStringList shots; // stems
    int written = 0;
    for (int shoot = 0; written < scale.candidates; ++shoot) {
        Camera &camera = cameras[shoot % 5];
        const QString folder = QStringLiteral("%1/%2/%1-%3-%4 %5")
                                       .arg(2015 + shoot / 300)
                                       .arg(shoot % 12 + 1, 2, 10, QLatin1Char('0'))
                                       .arg(shoot % 12 + 1, 2, 10, QLatin1Char('0'))
                                       .arg(shoot % 28 + 1, 2, 10, QLatin1Char('0'))
                                       .arg(QLatin1String(events[shoot % 6]));
        QDir().mkpath(big + QLatin1Char('/') + folder);
        const int shotCount = 300 + random.bounded(200);
        for (int shot = 0; shot < shotCount && written < scale.candidates; ++shot) {
            const QString stem = QStringLiteral("%1%2")
                                         .arg(QLatin1String(camera.prefix))
                                         .arg(++camera.counter, 4, 10, QLatin1Char('0'));
            const QString base = big + QLatin1Char('/') + folder + QLatin1Char('/') + stem;
            shots.append(stem);
            writeFile(base + QLatin1Char('.') + QLatin1String(camera.raw), imageBytes);
            if (++written < scale.candidates) {
                writeFile(base + QStringLiteral(".JPG"), imageBytes);
                ++written;
            }
            if (written < scale.candidates && random.bounded(10) < 3) {
                writeFile(base + QStringLiteral(".xmp"), sidecarBytes);
                ++written;
            }
        }
    }

    const QStringList albums = {"", "Client/Album/", "Client/Album/Ceremony/", "Client/Prints/",
                                "Favourites/"};
    for (const QString &album : albums)
        QDir().mkpath(small + QLatin1Char('/') + album);
    QSet<QString> taken;
    while (taken.size() < scale.picks) {
        QString name;
        const int kind = random.bounded(100);
        if (kind < 10) {
            name = random.bounded(2)
                           ? QStringLiteral("GOPR%1.jpg").arg(random.bounded(10000))
                           : QStringLiteral("Screenshot %1.png").arg(random.bounded(100000));
        } else {
            const QString stem = shots.at(random.bounded(shots.size()));
            name = kind < 60   ? stem + QStringLiteral(".jpg")
                   : kind < 80 ? stem + QStringLiteral("-edit.jpg")
                   : kind < 90 ? stem + QStringLiteral(" (2).jpg")
                               : stem + QStringLiteral("_bw.JPG");
        }
        const QString path = small + QLatin1Char('/') + albums.at(random.bounded(albums.size()))
                             + name;
        if (taken.contains(path))
            continue;
        taken.insert(path);
        writeFile(path, pickBytes);
    }
}

// Answers the run's dialog and boxes as a user in a hurry would: go on, then Yes.
class Answerer : public QObject
{
public:
    Answerer()
    {
        timer.setInterval(1);
        connect(&timer, &QTimer::timeout, this, &Answerer::poll);
        timer.start();
    }
    QStringList boxes;
    int dialogs = 0;

private:
    void poll()
    {
        const QWidgetList windows = QApplication::topLevelWidgets();
        for (QWidget *window : windows) {
            if (!window->isVisible() || window->property("answered").toBool())
                continue;
            if (auto *box = qobject_cast<QMessageBox *>(window)) {
                window->setProperty("answered", true);
                boxes.append(box->text());
                box->button(QMessageBox::Yes)->click();
            } else if (window->objectName() == QLatin1String("errorList")) {
                window->setProperty("answered", true);
                ++dialogs;
                window->findChild<QPushButton *>(QStringLiteral("pushButton"))->click();
            }
        }
    }
    QTimer timer;
};

bool runProcess(const QString &program, const QStringList &arguments,
                const QByteArray &input = QByteArray())
{
    QProcess process;
    process.setStandardOutputFile(QProcess::nullDevice());
    process.start(program, arguments);
    if (!process.waitForStarted())
        return false;
    if (!input.isEmpty())
        process.write(input);
    process.closeWriteChannel();
    process.waitForFinished(-1);
    const bool ok = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    if (!ok)
        say(QStringLiteral("  %1 failed: %2")
                    .arg(program, QString::fromLocal8Bit(process.readAllStandardError())));
    return ok;
}

struct SlotRun
{
    double seconds = 0;
    double longestGap = 0; // between two ticks of a 5 ms timer on the GUI thread
    double gapEnded = 0;   // when it ended, from the click
    bool ended = false;
};

// Clicks the run button and serves the event loop until `ended` says the run is over, as the
// application would, timing the whole and the longest gap in a 5 ms timer's ticks meanwhile.
// `tick` sees every tick with the time since the click.
SlotRun runThroughSlot(kelto &window, const std::function<bool()> &ended,
                       const std::function<void(double)> &tick = {})
{
    SlotRun run;
    QEventLoop loop;
    QElapsedTimer clock;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(5);
    double last = 0;
    QObject::connect(&ticker, &QTimer::timeout, &loop, [&] {
        const double now = seconds(clock);
        if (now - last > run.longestGap) {
            run.longestGap = now - last;
            run.gapEnded = now;
        }
        last = now;
        if (tick)
            tick(now);
        if (ended()) {
            run.seconds = now;
            run.ended = true;
            loop.quit();
        }
    });
    QTimer::singleShot(3600 * 1000, &loop, &QEventLoop::quit);
    ticker.start();
    clock.start();
    window.findChild<QPushButton *>(QStringLiteral("output_combined"))->click();
    loop.exec();
    return run;
}

struct JobTimes
{
    double seconds = 0;
    SelectionJob::Summary summary;
};

// One run of the job on a thread of its own, every question answered with go on.
JobTimes runJob(const QString &small, const QString &big, const QString &out)
{
    SelectionJob::Settings settings;
    settings.smallImagesPath = small;
    settings.bigImagesPath = big;
    settings.outputPath = out;
    JobRunner runner(settings);
    SelectionJob *job = runner.job();
    QObject::connect(job, &SelectionJob::missingFound, job, [job] { job->decide(true); });
    QObject::connect(job, &SelectionJob::copyFailed, job, [job] { job->answerFailure(true); });
    QElapsedTimer clock;
    clock.start();
    runner.start();
    runner.wait();
    return {seconds(clock), job->summary()};
}

// Runs the job again into the output of an earlier run, first with nothing new, then with 5 %
// more picks, each of an original no pick took before: what is there already must cost little.
bool measureRerun(const QString &small, const QString &big, const QString &out,
                  const JobTimes &first, const QStringList &matchedFiles)
{
    const JobTimes same = runJob(small, big, out);
    const auto phases = [](const SelectionJob::Summary &summary) {
        return QStringLiteral("listing %1, matching %2, copying %3, flushing %4 s")
                .arg(summary.phaseNsecs[SelectionJob::Listing] / 1e9, 0, 'f', 3)
                .arg(summary.phaseNsecs[SelectionJob::Matching] / 1e9, 0, 'f', 3)
                .arg(summary.phaseNsecs[SelectionJob::Copying] / 1e9, 0, 'f', 3)
                .arg(summary.phaseNsecs[SelectionJob::Flushing] / 1e9, 0, 'f', 3);
    };
    figure(QStringLiteral("re-run, nothing new"), same.seconds,
           QStringLiteral("%1 % of the first run (target 10 %); %2 skipped, %3 copied; %4")
                   .arg(100 * same.seconds / first.seconds, 0, 'f', 1)
                   .arg(same.summary.skipped)
                   .arg(same.summary.copied - same.summary.skipped)
                   .arg(phases(same.summary)));

    const QSet<QString> taken(matchedFiles.cbegin(), matchedFiles.cend());
    const PathList candidates = TreeWalker::list(big, TreeWalker::Files);
    const int wanted = qMax(1, first.summary.picks / 20);
    int added = 0;
    QDir().mkpath(small + QStringLiteral("/added"));
    for (int i = 0; i < candidates.size() && added < wanted; i += 7) {
        const QString name = candidates.name(i).toString();
        if (taken.contains(candidates.path(i)) || !name.endsWith(QLatin1String(".CR2")))
            continue;
        writeFile(small + QStringLiteral("/added/") + StemIndex::stemOf(name)
                          + QStringLiteral("-new.jpg"),
                  QByteArray("pick"));
        ++added;
    }
    const JobTimes more = runJob(small, big, out);
    figure(QStringLiteral("re-run, 5 % new picks"), more.seconds,
           QStringLiteral("%1 % of the first run (target 20 %); %2 new picks, %3 skipped, "
                          "%4 copied; %5")
                   .arg(100 * more.seconds / first.seconds, 0, 'f', 1)
                   .arg(added)
                   .arg(more.summary.skipped)
                   .arg(more.summary.copied - more.summary.skipped)
                   .arg(phases(more.summary)));
    QDir(small + QStringLiteral("/added")).removeRecursively();
    return same.summary.copied == same.summary.skipped && same.summary.failed == 0
           && more.summary.failed == 0;
}

QString runButtonText(kelto &window)
{
    return window.findChild<QPushButton *>(QStringLiteral("output_combined"))->text();
}

bool measure(const Scale &scale, const QString &root, int fileSize, kelto &window)
{
    const QString big = root + QStringLiteral("/big");
    const QString small = root + QStringLiteral("/small");
    say(QStringLiteral("Scale %1: %2 candidates, %3 picks, files of %4 KiB")
                .arg(QLatin1String(scale.name))
                .arg(scale.candidates)
                .arg(scale.picks)
                .arg(fileSize / 1024));

    QElapsedTimer clock;
    clock.start();
    generate(big, small, scale, fileSize);
    syncFolder(root); // the generated trees must not be flushed by a measured step
    figure(QStringLiteral("generating (not measured)"), seconds(clock),
           QStringLiteral("peak memory so far %1 MiB").arg(peakMemoryKiB() / 1024.0, 0, 'f', 1));

    QStringList matchedFiles;
    int matchedEntries = 0;
    double listingSeconds = 0;

    // The whole run through the real slot first, its dialog and boxes answered at once, so that
    // the peak memory is the run's and not the sum of it and the bench's own steps below.
    const QString runOut = root + QStringLiteral("/out-run");
    QDir().mkpath(runOut);
    KeltoProbe(window).setSmallImagesPath(small);
    KeltoProbe(window).setBigImagesPath(big);
    KeltoProbe(window).setOutputPath(runOut);
    double runSeconds = 0;
    int runFiles = 0;
    {
        Answerer answerer;
        const SlotRun run = runThroughSlot(window, [&] { return !answerer.boxes.isEmpty(); });
        runSeconds = run.seconds;
        runFiles = filesIn(runOut);
        const bool ok = run.ended
                        && answerer.boxes == QStringList{QStringLiteral("已成功完成选图")};
        figure(QStringLiteral("whole run (real slot)"), runSeconds,
               QStringLiteral("%1 dialog, %2 files written%3")
                       .arg(answerer.dialogs)
                       .arg(runFiles)
                       .arg(ok ? "" : ", UNEXPECTED BOXES"));
        figure(QStringLiteral("longest GUI-thread gap"), run.longestGap,
               QStringLiteral("5 ms timer during the whole run, ended %1 s into it")
                       .arg(run.gapEnded, 0, 'f', 3));
        if (!ok)
            return false;
    }
    say(QStringLiteral("  %1 %2 MiB")
                .arg(QStringLiteral("peak memory after the run"), -28)
                .arg(peakMemoryKiB() / 1024.0, 8, 'f', 1));

    {
        clock.restart();
        const PathList picks = TreeWalker::list(small, TreeWalker::Images);
        const PathList candidates = TreeWalker::list(big, TreeWalker::Files);
        listingSeconds = seconds(clock);
        figure(QStringLiteral("listing"), listingSeconds,
               QStringLiteral("%1 picks, %2 candidates, %3 bytes per candidate held")
                       .arg(picks.size())
                       .arg(candidates.size())
                       .arg(double(candidates.heapBytes()) / qMax(1, candidates.size()), 0, 'f', 1));

        // Matching is short enough for the machine's noise to show: best of three.
        StemMatches indexed;
        double indexedSeconds = 1e9;
        double firstSeconds = 0;
        for (int round = 0; round < 3; ++round) {
            clock.restart();
            indexed = StemMatches(); // one result alive at a time
            indexed = StemIndex(candidates).match(picks, false);
            indexedSeconds = qMin(indexedSeconds, seconds(clock));
            if (round == 0)
                firstSeconds = indexedSeconds;
        }
        figure(QStringLiteral("matching, indexed"), indexedSeconds,
               QStringLiteral("best of 3, first %1 s; %2 matched, %3 missing")
                       .arg(firstSeconds, 0, 'f', 3)
                       .arg(indexed.matched.size())
                       .arg(indexed.missing.size()));
        benchMessage(candidates);
        say(QStringLiteral("  %1 %2 MiB")
                    .arg(QStringLiteral("peak memory so far"), -28)
                    .arg(peakMemoryKiB() / 1024.0, 8, 'f', 1));

        // Every rule on: still the index, on the picks those rules tell.
        MatchRules allRules;
        allRules.ignoreCase = true;
        allRules.wholeNames = true;
        MatchRules::parsePickFormats(QStringLiteral("jpg,jpeg,png,heic,tif,tiff,webp"),
                                     allRules.pickFormats);
        allRules.companions = true;
        const PathList rulePicks = TreeWalker::listPicks(small, allRules);
        StemMatches ruled;
        double ruledSeconds = 1e9;
        for (int round = 0; round < 3; ++round) {
            clock.restart();
            ruled = StemMatches();
            ruled = StemIndex(candidates, allRules).match(rulePicks, false);
            ruledSeconds = qMin(ruledSeconds, seconds(clock));
        }
        figure(QStringLiteral("matching, every rule on"), ruledSeconds,
               QStringLiteral("best of 3, %1 x the defaults; %2 picks, %3 matched, %4 missing")
                       .arg(ruledSeconds / indexedSeconds, 0, 'f', 2)
                       .arg(rulePicks.size())
                       .arg(ruled.matched.size())
                       .arg(ruled.missing.size()));
        say(QStringLiteral("  %1 %2 MiB")
                    .arg(QStringLiteral("peak memory so far"), -28)
                    .arg(peakMemoryKiB() / 1024.0, 8, 'f', 1));

        if (scale.candidates <= 20000) {
            QFileInfoList pickInfos;
            for (int i = 0; i < picks.size(); ++i)
                pickInfos.append(picks.fileInfo(i));
            QFileInfoList candidateInfos;
            for (int i = 0; i < candidates.size(); ++i)
                candidateInfos.append(candidates.fileInfo(i));
            StemMatches reference;
            double referenceSeconds = 1e9;
            for (int round = 0; round < 3; ++round) {
                clock.restart();
                reference = StemIndex::matchEveryPair(pickInfos, candidateInfos, false);
                referenceSeconds = qMin(referenceSeconds, seconds(clock));
            }
            bool same = reference.missing == indexed.missing
                        && reference.matched.size() == indexed.matched.size();
            for (int k = 0; same && k < indexed.matched.size(); ++k)
                same = reference.matched.at(k).filePath() == indexed.matched.at(k).filePath();
            figure(QStringLiteral("matching, every pair"), referenceSeconds,
                   QStringLiteral("best of 3, %1 x the indexed time; lists identical: %2")
                           .arg(referenceSeconds / indexedSeconds, 0, 'f', 1)
                           .arg(same ? "yes" : "NO"));
            if (!same)
                return false;

            QFileInfoList rulePickInfos;
            for (int i = 0; i < rulePicks.size(); ++i)
                rulePickInfos.append(rulePicks.fileInfo(i));
            clock.restart();
            reference = StemIndex::matchEveryPair(rulePickInfos, candidateInfos, false, allRules);
            referenceSeconds = seconds(clock);
            same = reference.missing == ruled.missing
                   && reference.matched.size() == ruled.matched.size();
            for (int k = 0; same && k < ruled.matched.size(); ++k)
                same = reference.matched.at(k).filePath() == ruled.matched.at(k).filePath();
            figure(QStringLiteral("every pair, every rule on"), referenceSeconds,
                   QStringLiteral("once, %1 x the indexed time; lists identical: %2")
                           .arg(referenceSeconds / ruledSeconds, 0, 'f', 1)
                           .arg(same ? "yes" : "NO"));
            if (!same)
                return false;
        }

        const QString copyOut = root + QStringLiteral("/out-copy");
        QDir().mkpath(copyOut);
        clock.restart();
        FileCopier copier;
        int failed = 0;
        for (const QFileInfo &original : indexed.matched) {
            if (copier.copy(original.filePath(), copyOut + QLatin1Char('/') + original.fileName())
                == FileCopier::Failed)
                ++failed;
        }
        copier.flush();
        figure(QStringLiteral("copying"), seconds(clock),
               QStringLiteral("%1 copies, %2 failed, flushed once")
                       .arg(indexed.matched.size())
                       .arg(failed));

        matchedEntries = indexed.matched.size();
        QSet<QString> seen;
        for (const QFileInfo &original : indexed.matched) {
            if (!seen.contains(original.filePath())) {
                seen.insert(original.filePath());
                matchedFiles.append(original.filePath());
            }
        }
    }

    if (runFiles != matchedFiles.size()) {
        say(QStringLiteral("  the run wrote %1 files, not %2")
                    .arg(runFiles)
                    .arg(matchedFiles.size()));
        return false;
    }

    // The same run without a window, as a command line drives it: the job's own phase times.
    const QString jobOut = root + QStringLiteral("/out-job");
    QDir().mkpath(jobOut);
    const JobTimes firstJob = runJob(small, big, jobOut);
    figure(QStringLiteral("job alone (no window)"), firstJob.seconds,
           QStringLiteral("listing %1, matching %2, copying %3, flushing %4 s; %5 copied")
                   .arg(firstJob.summary.phaseNsecs[SelectionJob::Listing] / 1e9, 0, 'f', 3)
                   .arg(firstJob.summary.phaseNsecs[SelectionJob::Matching] / 1e9, 0, 'f', 3)
                   .arg(firstJob.summary.phaseNsecs[SelectionJob::Copying] / 1e9, 0, 'f', 3)
                   .arg(firstJob.summary.phaseNsecs[SelectionJob::Flushing] / 1e9, 0, 'f', 3)
                   .arg(firstJob.summary.copied));

    // A run stopped with its button in the middle of the copying, once a tenth of the copies
    // are made and a few milliseconds into the next one.
    if (scale.fileSize > 0) {
        const QString stopOut = root + QStringLiteral("/out-stop");
        QDir().mkpath(stopOut);
        KeltoProbe(window).setOutputPath(stopOut);
        Answerer answerer;
        double stopClicked = -1;
        double waitFrom = -1;
        const SlotRun run = runThroughSlot(
                window,
                [&] { return stopClicked >= 0 && runButtonText(window) != QStringLiteral("停止"); },
                [&](double now) {
                    if (stopClicked >= 0)
                        return;
                    if (waitFrom < 0 && filesIn(stopOut) >= matchedFiles.size() / 10)
                        waitFrom = now;
                    if (waitFrom >= 0 && now - waitFrom >= 0.01) {
                        stopClicked = now;
                        window.findChild<QPushButton *>(QStringLiteral("output_combined"))->click();
                    }
                });
        bool whole = true;
        const QFileInfoList left = QDir(stopOut).entryInfoList(QDir::Files | QDir::Hidden);
        for (const QFileInfo &file : left)
            whole = whole && !file.fileName().startsWith(QLatin1Char('.'))
                    && (file.size() == fileSize || file.size() < 4096);
        figure(QStringLiteral("stop: click to run's end"), run.seconds - stopClicked,
               QStringLiteral("%1 files left, %2; no box: %3")
                       .arg(left.size())
                       .arg(whole ? "all whole, no temporary" : "A PARTIAL OR TEMPORARY FILE")
                       .arg(answerer.boxes.isEmpty() ? "yes" : "NO"));
        figure(QStringLiteral("longest GUI-thread gap"), run.longestGap,
               QStringLiteral("5 ms timer during the stopped run, ended %1 s into it")
                       .arg(run.gapEnded, 0, 'f', 3));
        QDir(stopOut).removeRecursively();
        if (!run.ended || !whole || !answerer.boxes.isEmpty())
            return false;
    }

    const QString floorOut = root + QStringLiteral("/out-floor");
    QDir().mkpath(floorOut);
    clock.restart();
    bool ok = runProcess(QStringLiteral("find"), {small, big});
    const double findSeconds = seconds(clock);
    clock.restart();
    ok = ok
         && runProcess(QStringLiteral("xargs"),
                       {QStringLiteral("-0"), QStringLiteral("cp"), QStringLiteral("-t"), floorOut,
                        QStringLiteral("--")},
                       QFile::encodeName(matchedFiles.join(QChar(0))));
    const double cpSeconds = seconds(clock);
    clock.restart();
    ok = ok && runProcess(QStringLiteral("sync"), {QStringLiteral("-f"), floorOut});
    const double syncSeconds = seconds(clock);
    if (!ok)
        return false;
    const double floorSeconds = findSeconds + cpSeconds + syncSeconds;
    figure(QStringLiteral("floor: find"), findSeconds);
    figure(QStringLiteral("floor: cp"), cpSeconds,
           QStringLiteral("%1 distinct files of %2 matched entries")
                   .arg(matchedFiles.size())
                   .arg(matchedEntries));
    figure(QStringLiteral("floor: sync -f"), syncSeconds);
    figure(QStringLiteral("floor, total"), floorSeconds);
    say(QStringLiteral("  %1 %2 x")
                .arg(QStringLiteral("listing / find"), -28)
                .arg(listingSeconds / findSeconds, 8, 'f', 2));
    say(QStringLiteral("  %1 %2 x")
                .arg(QStringLiteral("whole run / floor"), -28)
                .arg(runSeconds / floorSeconds, 8, 'f', 2));
    if (!measureRerun(small, big, jobOut, firstJob, matchedFiles))
        return false;
    say(QStringLiteral("  %1 %2 MiB")
                .arg(QStringLiteral("peak memory so far"), -28)
                .arg(peakMemoryKiB() / 1024.0, 8, 'f', 1));
    return true;
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
            QStringLiteral("Times the selection run against find + cp + sync -f."));
    parser.addHelpOption();
    const QCommandLineOption dirOption(QStringLiteral("dir"),
                                       QStringLiteral("Folder to create the data folder in."),
                                       QStringLiteral("folder"), QDir::tempPath());
    const QCommandLineOption scaleOption(
            QStringLiteral("scale"),
            QStringLiteral("small, large, both (default), archive: 500,000 candidates and "
                           "10,000 picks of empty files, or huge: 400 candidates and 100 "
                           "picks of 16 MiB files, about 6 GB."),
            QStringLiteral("scale"), QStringLiteral("both"));
    const QCommandLineOption sizeOption(QStringLiteral("file-kib"),
                                        QStringLiteral("Size of a raw or JPEG file (default 16)."),
                                        QStringLiteral("KiB"), QStringLiteral("16"));
    const QCommandLineOption keepOption(QStringLiteral("keep"),
                                        QStringLiteral("Leave the data folder in place."));
    parser.addOptions({dirOption, scaleOption, sizeOption, keepOption});
    parser.process(app);

    QTemporaryDir data(
            QDir(parser.value(dirOption)).filePath(QStringLiteral("zanora-bench-XXXXXX")));
    if (!data.isValid()) {
        say(QStringLiteral("cannot create a data folder in %1").arg(parser.value(dirOption)));
        return 1;
    }
    data.setAutoRemove(false);
    say(QStringLiteral("data folder: %1").arg(data.path()));

    // The window starts here, pointed at a loopback port that nobody listens on.
    QDir::setCurrent(data.path());
    quint16 closedPort = 0;
    {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        closedPort = server.serverPort();
    }
    writeFile(QStringLiteral("config.json"),
              QStringLiteral("{\n    \"HostIP\": \"127.0.0.1\",\n    \"HostPORT\": %1\n}\n")
                      .arg(closedPort)
                      .toUtf8());
    kelto window;
    window.show();
    say(QStringLiteral("window shown: peak memory %1 MiB").arg(peakMemoryKiB() / 1024.0, 0, 'f', 1));

    // Opt-in: the archive scale has years of shoots in one tree, the huge scale copies real
    // shoots' sizes, 16 MiB per raw or JPEG file.
    const Scale scales[] = {{"small", 20000, 500, 0},
                            {"large", 100000, 3000, 0},
                            {"archive", 500000, 10000, -1},
                            {"huge", 400, 100, 16 * 1024 * 1024}};
    const QString which = parser.value(scaleOption);
    bool ok = true;
    for (const Scale &scale : scales) {
        const bool chosen = which == QLatin1String(scale.name)
                            || (which == QLatin1String("both") && scale.fileSize == 0);
        if (!chosen)
            continue;
        const int fileSize = scale.fileSize > 0   ? scale.fileSize
                             : scale.fileSize < 0 ? 0
                                                  : parser.value(sizeOption).toInt() * 1024;
        // The originals, then four copies of what matches (about half of them) and some room.
        const double needed = double(scale.candidates) * fileSize * 3.3;
        struct statvfs disk = {};
        if (::statvfs(QFile::encodeName(data.path()).constData(), &disk) == 0
            && double(disk.f_bavail) * disk.f_frsize < needed) {
            say(QStringLiteral("Scale %1 needs about %2 GB free in %3; skipped")
                        .arg(QLatin1String(scale.name))
                        .arg(needed / 1e9, 0, 'f', 1)
                        .arg(data.path()));
            ok = false;
            continue;
        }
        ok = measure(scale, data.filePath(QLatin1String(scale.name)), fileSize, window) && ok;
    }
    say(QStringLiteral("peak memory: %1 MiB").arg(peakMemoryKiB() / 1024.0, 0, 'f', 1));

    QDir::setCurrent(QDir::tempPath());
    if (!parser.isSet(keepOption))
        data.remove();
    return ok ? 0 : 1;
}
