// SPDX-License-Identifier: GPL-3.0-or-later
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
#include "tests/testsupport.h"
#include "ui/kelto.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QHostAddress>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSet>
#include <QTcpServer>
#include <QTemporaryDir>
#include <QTimer>

#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <malloc.h>
#include <optional>
#include <sys/resource.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace {

struct Scale
{
    const char *name;
    int candidates;
    int picks;
    int fileSize;    // 0: as --file-kib says; -1: empty files
    int folders = 0; // shoot folders of equal size; 0: 300 to 500 shots each
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

double monotonicSeconds()
{
    static QElapsedTimer clock;
    if (!clock.isValid())
        clock.start();
    return seconds(clock);
}

// The process's peak resident memory since the start or the last resetPeakMemory().
long peakMemoryKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n')) {
            if (line.startsWith("VmHWM:"))
                return line.mid(6).trimmed().split(' ').constFirst().toLong();
        }
    }
    struct rusage usage = {};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// Gives the memory freed so far back to the system and starts the peak afresh from what the
// process holds now, so that a figure measured next is not the generator's.
void resetPeakMemory()
{
    ::malloc_trim(0);
    QFile clear(QStringLiteral("/proc/self/clear_refs"));
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

QString loadAverage()
{
    QFile file(QStringLiteral("/proc/loadavg"));
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("?");
    return QString::fromLatin1(file.readAll().split(' ').mid(0, 3).join(' '));
}

// CPU seconds, user and system, of the process or of the calling thread.
double cpuSeconds(int who)
{
    struct rusage usage = {};
    ::getrusage(who, &usage);
    return usage.ru_utime.tv_sec + usage.ru_stime.tv_sec
           + (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double median(QVector<double> values)
{
    std::sort(values.begin(), values.end());
    const int n = values.size();
    return n == 0 ? 0 : n % 2 ? values.at(n / 2) : (values.at(n / 2 - 1) + values.at(n / 2)) / 2;
}

double best(const QVector<double> &values)
{
    return values.isEmpty() ? 0 : *std::min_element(values.begin(), values.end());
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

bool writeBenchFile(const QString &path, const QByteArray &content)
{
    if (content.isEmpty()) { // two system calls: the giant scale makes two million of these
        const int fd = ::open(QFile::encodeName(path).constData(),
                              O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        return fd >= 0 && ::close(fd) == 0;
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(content) == content.size();
}

// Counted without a list of names: a giant run's output holds eighty thousand.
int filesIn(const QString &folder)
{
    int count = 0;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden); it.hasNext(); it.next())
        ++count;
    return count;
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

    // The stems, as camera and counter: at the giant scale a list of strings would be most of
    // the bench's memory.
    std::vector<std::pair<int, int>> shots;
    const auto stemOf = [&](const std::pair<int, int> &shot) {
        return QStringLiteral("%1%2")
                .arg(QLatin1String(cameras[shot.first].prefix))
                .arg(shot.second, 4, 10, QLatin1Char('0'));
    };
    const int perFolder = scale.folders > 0 ? scale.candidates / scale.folders : 0;
    int written = 0;
    for (int shoot = 0; written < scale.candidates; ++shoot) {
        Camera &camera = cameras[shoot % 5];
        QString folder = QStringLiteral("%1/%2/%1-%3-%4 %5")
                                 .arg(2015 + shoot / 300)
                                 .arg(shoot % 12 + 1, 2, 10, QLatin1Char('0'))
                                 .arg(shoot % 12 + 1, 2, 10, QLatin1Char('0'))
                                 .arg(shoot % 28 + 1, 2, 10, QLatin1Char('0'))
                                 .arg(QLatin1String(events[shoot % 6]));
        if (perFolder > 0)
            folder += QStringLiteral(" %1").arg(shoot + 1); // one folder per shoot
        QDir().mkpath(big + QLatin1Char('/') + folder);
        const int shotCount = perFolder > 0 ? 1 << 30 : 300 + random.bounded(200);
        const int folderEnd = perFolder > 0 ? qMin(written + perFolder, scale.candidates)
                                            : scale.candidates;
        for (int shot = 0; shot < shotCount && written < folderEnd; ++shot) {
            shots.push_back({shoot % 5, ++camera.counter});
            const QString stem = stemOf(shots.back());
            const QString base = big + QLatin1Char('/') + folder + QLatin1Char('/') + stem;
            writeBenchFile(base + QLatin1Char('.') + QLatin1String(camera.raw), imageBytes);
            if (++written < folderEnd) {
                writeBenchFile(base + QStringLiteral(".JPG"), imageBytes);
                ++written;
            }
            if (written < folderEnd && random.bounded(10) < 3) {
                writeBenchFile(base + QStringLiteral(".xmp"), sidecarBytes);
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
            const QString stem = stemOf(shots.at(random.bounded(int(shots.size()))));
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
        writeBenchFile(path, pickBytes);
    }
}

// Answers the run's dialog and boxes the moment they show, as a user in a hurry would: go on,
// then Yes. lastShown is when the last box showed, on the clock of monotonicSeconds().
class Answerer : public QObject
{
public:
    Answerer() { qApp->installEventFilter(this); }
    QStringList boxes;
    int dialogs = 0;
    double lastShown = 0;

private:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::Show || !watched->isWidgetType())
            return false;
        auto *window = static_cast<QWidget *>(watched);
        if (!window->isWindow() || window->property("answered").toBool())
            return false;
        if (auto *box = qobject_cast<QMessageBox *>(window)) {
            window->setProperty("answered", true);
            lastShown = monotonicSeconds();
            boxes.append(box->text());
            QTimer::singleShot(0, box, [box] { box->button(QMessageBox::Yes)->click(); });
        } else if (window->objectName() == QLatin1String("errorList")) {
            window->setProperty("answered", true);
            ++dialogs;
            QTimer::singleShot(0, window, [window] {
                window->findChild<QPushButton *>(QStringLiteral("pushButton"))->click();
            });
        }
        return false;
    }
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
    double processCpu = 0; // CPU seconds of the whole process meanwhile
    double guiCpu = 0;     // of the GUI thread alone
    double clicked = 0;    // on the clock of monotonicSeconds()
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
    const double processFrom = cpuSeconds(RUSAGE_SELF);
    const double guiFrom = cpuSeconds(RUSAGE_THREAD);
    run.clicked = monotonicSeconds();
    clock.start();
    window.findChild<QPushButton *>(QStringLiteral("output_combined"))->click();
    loop.exec();
    run.processCpu = cpuSeconds(RUSAGE_SELF) - processFrom;
    run.guiCpu = cpuSeconds(RUSAGE_THREAD) - guiFrom;
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

// Set when the trees of an earlier benchmark are measured again: its outputs stay, and each of
// this run's goes beside them under a name of its own.
QString outputStamp;

QString outputFolder(const QString &root, const char *name)
{
    return root + QStringLiteral("/out-") + outputStamp + QLatin1String(name);
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
        writeBenchFile(small + QStringLiteral("/added/") + StemIndex::stemOf(name)
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

// The run without a window, as a command line drives it, into `out`: its time, and the job's
// own phase times as a note.
double runJobAlone(const QString &small, const QString &big, const QString &out, QString &note,
                   SelectionJob::Summary *kept = nullptr)
{
    SelectionJob::Settings settings;
    settings.smallImagesPath = small;
    settings.bigImagesPath = big;
    settings.outputPath = out;
    QDir().mkpath(out);
    JobRunner runner(settings);
    SelectionJob *job = runner.job();
    QObject::connect(job, &SelectionJob::missingFound, job, [job] { job->decide(true); });
    QObject::connect(job, &SelectionJob::copyFailed, job, [job] { job->answerFailure(true); });
    QElapsedTimer clock;
    const double cpuFrom = cpuSeconds(RUSAGE_SELF);
    clock.start();
    runner.start();
    runner.wait();
    const double taken = seconds(clock);
    const double cpu = cpuSeconds(RUSAGE_SELF) - cpuFrom;
    const SelectionJob::Summary summary = job->summary();
    if (kept)
        *kept = summary;
    note = QStringLiteral("CPU %6 s; listing %1, matching %2, copying %3, flushing %4 s; %5 copied")
                   .arg(summary.phaseNsecs[SelectionJob::Listing] / 1e9, 0, 'f', 3)
                   .arg(summary.phaseNsecs[SelectionJob::Matching] / 1e9, 0, 'f', 3)
                   .arg(summary.phaseNsecs[SelectionJob::Copying] / 1e9, 0, 'f', 3)
                   .arg(summary.phaseNsecs[SelectionJob::Flushing] / 1e9, 0, 'f', 3)
                   .arg(summary.copied)
                   .arg(cpu, 0, 'f', 3);
    return taken;
}

struct Floor
{
    double find = 0;
    double cp = 0;
    double sync = 0;
    double total() const { return find + cp + sync; }
};

// The same work by find, cp and sync -f, into `out`.
bool runFloor(const QString &small, const QString &big, const QStringList &matchedFiles,
              const QString &out, Floor &floor)
{
    QDir().mkpath(out);
    QElapsedTimer clock;
    clock.start();
    bool ok = runProcess(QStringLiteral("find"), {small, big});
    floor.find = seconds(clock);
    clock.restart();
    ok = ok
         && runProcess(QStringLiteral("xargs"),
                       {QStringLiteral("-0"), QStringLiteral("cp"), QStringLiteral("-t"), out,
                        QStringLiteral("--")},
                       QFile::encodeName(matchedFiles.join(QChar(0))));
    floor.cp = seconds(clock);
    clock.restart();
    ok = ok && runProcess(QStringLiteral("sync"), {QStringLiteral("-f"), out});
    floor.sync = seconds(clock);
    return ok;
}

// Picks the big-image tree with the window's picker, as a person does, and watches the GUI
// thread until the count's box shows.
void measurePicker(kelto &window, const QString &big)
{
    DialogAnswerer answerer;
    answerer.queueFolder(big);
    const auto *label = window.findChild<QLabel *>(QStringLiteral("label_bigPath"));
    QElapsedTimer counting;
    double longest = 0;
    int ticks = 0;
    QEventLoop loop;
    QElapsedTimer sinceTick;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, &loop, [&] {
        const bool busy = label->text() == big && answerer.boxes.isEmpty();
        if (busy && counting.isValid()) {
            longest = qMax(longest, seconds(sinceTick));
            ++ticks;
        }
        if (busy && !counting.isValid())
            counting.start();
        sinceTick.start();
        if (!answerer.boxes.isEmpty())
            loop.quit();
    });
    QTimer::singleShot(600 * 1000, &loop, &QEventLoop::quit);
    sinceTick.start();
    ticker.start();
    QTimer::singleShot(
            0, [&] { window.findChild<QPushButton *>(QStringLiteral("seletInput"))->click(); });
    loop.exec();
    figure(QStringLiteral("big-image picker's count"), counting.isValid() ? seconds(counting) : 0,
           QStringLiteral("on a worker thread: longest GUI-thread gap meanwhile %1 ms over %2 "
                          "ticks; %3")
                   .arg(longest * 1000, 0, 'f', 1)
                   .arg(ticks)
                   .arg(answerer.boxes.isEmpty() ? QStringLiteral("NO BOX")
                                                 : answerer.boxes.first().text));
}

QString spread(const QVector<double> &values, int decimals = 3)
{
    if (values.size() < 2)
        return QString();
    QStringList each;
    for (double value : values)
        each.append(QString::number(value, 'f', decimals));
    return QStringLiteral("median of %1, best %2; rounds %3")
            .arg(values.size())
            .arg(best(values), 0, 'f', decimals)
            .arg(each.join(QStringLiteral(", ")));
}

void ratio(const QString &what, const QVector<double> &values)
{
    say(QStringLiteral("  %1 %2 x%3")
                .arg(what, -28)
                .arg(median(values), 8, 'f', 2)
                .arg(values.size() < 2
                             ? QString()
                             : QStringLiteral("   (") + spread(values, 2) + QLatin1Char(')')));
}

bool measure(const Scale &scale, const QString &root, int fileSize, int rounds, kelto &window)
{
    const QString big = root + QStringLiteral("/big");
    const QString small = root + QStringLiteral("/small");
    say(QStringLiteral("Scale %1: %2 candidates%3, %4 picks, files of %5 KiB; load average %6")
                .arg(QLatin1String(scale.name))
                .arg(scale.candidates)
                .arg(scale.folders > 0 ? QStringLiteral(" in %1 folders").arg(scale.folders)
                                       : QString())
                .arg(scale.picks)
                .arg(fileSize / 1024)
                .arg(loadAverage()));

    QElapsedTimer clock;
    clock.start();
    if (outputStamp.isEmpty() || !QFileInfo::exists(big)) {
        generate(big, small, scale, fileSize);
        syncFolder(root); // the generated trees must not be flushed by a measured step
    }
    figure(QStringLiteral("generating (not measured)"), seconds(clock),
           QStringLiteral("peak memory so far %1 MiB").arg(peakMemoryKiB() / 1024.0, 0, 'f', 1));

    // The whole run through the real slot, the job alone and the floor, in that order, round by
    // round, each into a fresh folder. The first whole run comes before anything else, so that
    // the peak memory after it is the run's and not the bench's own steps'.
    KeltoProbe(window).setSmallImagesPath(small);
    KeltoProbe(window).setBigImagesPath(big);
    QVector<double> runTimes, jobTimes, floorTimes, findTimes, gaps, runPerJob, runPerFloor;
    QStringList matchedFiles; // each once, known after the first round
    int matchedEntries = 0;
    long runPeakKiB = 0;
    SelectionJob::Summary firstJobSummary;
    resetPeakMemory();
    const long heldBeforeKiB = peakMemoryKiB();
    for (int round = 0; round < rounds; ++round) {
        const QString suffix = QStringLiteral("-%1").arg(round);
        // Every second round runs the job alone first, so that neither side always follows the
        // floor's cp or always finds the page cache as the other left it.
        const bool jobFirst = round % 2 == 1;
        QString note;
        double job = 0;
        if (jobFirst) {
            job = runJobAlone(small, big, outputFolder(root, "job") + suffix, note,
                              round == 0 ? &firstJobSummary : nullptr);
            figure(QStringLiteral("job alone (no window)"), job, note);
        }
        const QString runOut = outputFolder(root, "run") + suffix;
        QDir().mkpath(runOut);
        KeltoProbe(window).setOutputPath(runOut);
        Answerer answerer;
        SlotRun run = runThroughSlot(window, [&] { return !answerer.boxes.isEmpty(); });
        // The run ended when its box showed, not at the next tick that noticed it.
        if (!answerer.boxes.isEmpty())
            run.seconds = answerer.lastShown - run.clicked;
        if (round == 0)
            runPeakKiB = peakMemoryKiB(); // before the bench's own steps
        const int runFiles = filesIn(runOut);
        const bool ok = run.ended
                        && answerer.boxes == QStringList{QStringLiteral("已成功完成选图")};
        figure(QStringLiteral("whole run (real slot)"), run.seconds,
               QStringLiteral("round %1: CPU %7 s, of it GUI thread %8 s; %2 dialog, %3 files "
                              "written, longest GUI-thread gap %4 ms at %5 s%6")
                       .arg(round + 1)
                       .arg(answerer.dialogs)
                       .arg(runFiles)
                       .arg(run.longestGap * 1000, 0, 'f', 1)
                       .arg(run.gapEnded, 0, 'f', 3)
                       .arg(ok ? "" : ", UNEXPECTED BOXES")
                       .arg(run.processCpu, 0, 'f', 3)
                       .arg(run.guiCpu, 0, 'f', 3));
        if (!ok)
            return false;
        if (round == 0) {
            // What was copied, each file once, for the floor's cp.
            const PathList picks = TreeWalker::list(small, TreeWalker::Images);
            const PathList candidates = TreeWalker::list(big, TreeWalker::Files);
            const StemMatches matches = StemIndex(candidates).match(picks, false);
            matchedEntries = matches.matched.size();
            QSet<QString> seen;
            for (const QFileInfo &original : matches.matched) {
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

        if (!jobFirst) {
            job = runJobAlone(small, big, outputFolder(root, "job") + suffix, note,
                              round == 0 ? &firstJobSummary : nullptr);
            figure(QStringLiteral("job alone (no window)"), job, note);
        }
        Floor floor;
        if (!runFloor(small, big, matchedFiles, outputFolder(root, "floor") + suffix, floor))
            return false;
        figure(QStringLiteral("floor, total"), floor.total(),
               QStringLiteral("find %1, cp %2, sync -f %3 s; %4 distinct files of %5 entries")
                       .arg(floor.find, 0, 'f', 3)
                       .arg(floor.cp, 0, 'f', 3)
                       .arg(floor.sync, 0, 'f', 3)
                       .arg(matchedFiles.size())
                       .arg(matchedEntries));
        runTimes.append(run.seconds);
        jobTimes.append(job);
        floorTimes.append(floor.total());
        findTimes.append(floor.find);
        gaps.append(run.longestGap);
        runPerJob.append(run.seconds / job);
        runPerFloor.append(run.seconds / floor.total());
    }
    if (rounds > 1) {
        figure(QStringLiteral("whole run, median"), median(runTimes), spread(runTimes));
        figure(QStringLiteral("job alone, median"), median(jobTimes), spread(jobTimes));
        figure(QStringLiteral("floor, median"), median(floorTimes), spread(floorTimes));
    }
    figure(QStringLiteral("longest GUI-thread gap"), *std::max_element(gaps.begin(), gaps.end()),
           QStringLiteral("the longest of every round's whole run; median %1 s")
                   .arg(median(gaps), 0, 'f', 3));
    say(QStringLiteral("  %1 %2 MiB   (%3 MiB held before it: the window and the bench)")
                .arg(QStringLiteral("peak memory, first run"), -28)
                .arg(runPeakKiB / 1024.0, 8, 'f', 1)
                .arg(heldBeforeKiB / 1024.0, 0, 'f', 1));
    ratio(QStringLiteral("whole run / job alone"), runPerJob);
    ratio(QStringLiteral("whole run / floor"), runPerFloor);
    // Again into the job's output of the first round: what is there already must cost little.
    if (!measureRerun(small, big, outputFolder(root, "job-0"),
                      {jobTimes.first(), firstJobSummary}, matchedFiles))
        return false;

    {
        clock.restart();
        const PathList picks = TreeWalker::list(small, TreeWalker::Images);
        const PathList candidates = TreeWalker::list(big, TreeWalker::Files);
        const double listingSeconds = seconds(clock);
        figure(QStringLiteral("listing"), listingSeconds,
               QStringLiteral("%1 picks, %2 candidates, %3 bytes per candidate held")
                       .arg(picks.size())
                       .arg(candidates.size())
                       .arg(double(candidates.heapBytes()) / qMax(1, candidates.size()), 0, 'f', 1));
        say(QStringLiteral("  %1 %2 x   (find: median of the rounds %3 s)")
                    .arg(QStringLiteral("listing / find"), -28)
                    .arg(listingSeconds / median(findTimes), 8, 'f', 2)
                    .arg(median(findTimes), 0, 'f', 3));

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

        const QString copyOut = outputFolder(root, "copy");
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
    }

    // A run stopped with its button in the middle of the copying, once a tenth of the copies
    // are made and a few milliseconds into the next one.
    if (scale.fileSize > 0) {
        const QString stopOut = outputFolder(root, "stop");
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

    measurePicker(window, big);
    say(QStringLiteral("  %1 %2 MiB   (load average now %3)")
                .arg(QStringLiteral("peak memory so far"), -28)
                .arg(peakMemoryKiB() / 1024.0, 8, 'f', 1)
                .arg(loadAverage()));
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
                           "10,000 picks of empty files, giant: 2,000,000 candidates in 4,000 "
                           "folders and 20,000 picks of empty files, or huge: 400 candidates "
                           "and 100 picks of 16 MiB files, about 6 GB."),
            QStringLiteral("scale"), QStringLiteral("both"));
    const QCommandLineOption sizeOption(QStringLiteral("file-kib"),
                                        QStringLiteral("Size of a raw or JPEG file (default 16)."),
                                        QStringLiteral("KiB"), QStringLiteral("16"));
    const QCommandLineOption keepOption(QStringLiteral("keep"),
                                        QStringLiteral("Leave the data folder in place."));
    const QCommandLineOption roundsOption(
            QStringLiteral("rounds"),
            QStringLiteral("Rounds of whole run, job alone and floor (default 1); the median "
                           "and the best are printed."),
            QStringLiteral("N"), QStringLiteral("1"));
    const QCommandLineOption reuseOption(
            QStringLiteral("reuse"),
            QStringLiteral("Measure again the trees in a data folder that --keep left (made "
                           "where missing); the folder stays."),
            QStringLiteral("folder"));
    parser.addOptions({dirOption, scaleOption, sizeOption, keepOption, roundsOption, reuseOption});
    parser.process(app);
    const int rounds = qMax(1, parser.value(roundsOption).toInt());

    const bool reuse = parser.isSet(reuseOption);
    if (reuse)
        outputStamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-hhmmss-"));
    // A fresh data folder, or the one asked to be measured again.
    std::optional<QTemporaryDir> made;
    QString dataPath = QDir(parser.value(reuseOption)).absolutePath();
    if (!reuse) {
        made.emplace(QDir(parser.value(dirOption)).filePath(QStringLiteral("zanora-bench-XXXXXX")));
        made->setAutoRemove(false);
        dataPath = made->path();
    }
    if (!reuse ? !made->isValid() : !QFileInfo(dataPath).isDir()) {
        say(QStringLiteral("cannot use a data folder in %1")
                    .arg(parser.value(reuse ? reuseOption : dirOption)));
        return 1;
    }
    const QDir data(dataPath);
    say(QStringLiteral("data folder: %1").arg(data.path()));

    // The window starts here, pointed at a loopback port that nobody listens on.
    QDir::setCurrent(data.path());
    quint16 closedPort = 0;
    {
        QTcpServer server;
        server.listen(QHostAddress::LocalHost, 0);
        closedPort = server.serverPort();
    }
    writeBenchFile(QStringLiteral("config.json"),
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
                            {"giant", 2000000, 20000, -1, 4000},
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
        ok = measure(scale, data.filePath(QLatin1String(scale.name)), fileSize, rounds, window)
             && ok;
    }
    QDir::setCurrent(QDir::tempPath());
    if (!parser.isSet(keepOption) && !reuse) {
        QElapsedTimer clock;
        clock.start();
        // rm unlinks two million files in seconds where a walk through QDir takes minutes.
        if (!runProcess(QStringLiteral("rm"), {QStringLiteral("-rf"), data.path()}))
            made->remove();
        say(QStringLiteral("data folder deleted in %1 s").arg(seconds(clock), 0, 'f', 1));
    }
    return ok ? 0 : 1;
}
