// SPDX-License-Identifier: GPL-3.0-or-later
// Times the tree walker against the QDir walk the listings were first built on and against find,
// on a generated tree of empty files (warm cache), with the peak memory of each; then picks the
// tree as the big-image folder in a window and reports the longest pause of a 5 ms timer on the
// GUI thread while the picker counts it. The tree is made in a fresh folder and deleted at the
// end.

#include "core/selection/pathlist.h"
#include "core/selection/treewalker.h"
#include "tests/qdirlisting.h"
#include "tests/testsupport.h"
#include "ui/kelto.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <malloc.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char **environ;

namespace {

void say(const QString &line)
{
    std::printf("%s\n", line.toLocal8Bit().constData());
    std::fflush(stdout);
}

// A field of /proc/self/status in KiB, such as VmRSS or VmHWM.
long statusKiB(const char *field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = QByteArray(field) + ':';
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').first().toLong();
    }
    return -1;
}

struct Figure
{
    double seconds = 1e9; // best of the rounds
    long peakKiB = 0;     // above the resident memory before the first round
    int entries = 0;
};

// Runs `work` once; its peak memory is the high-water mark of the process, reset before,
// less what was resident then.
Figure measure(const std::function<int()> &work)
{
    Figure figure;
    ::malloc_trim(0);
    QFile clearRefs(QStringLiteral("/proc/self/clear_refs"));
    if (clearRefs.open(QIODevice::WriteOnly))
        clearRefs.write("5");
    clearRefs.close();
    const long before = statusKiB("VmRSS");
    QElapsedTimer clock;
    clock.start();
    figure.entries = work();
    figure.seconds = clock.nsecsElapsed() / 1e9;
    figure.peakKiB = statusKiB("VmHWM") - before;
    return figure;
}

// Runs a program with its output thrown away; false if it could not be started.
bool run(const QList<QByteArray> &arguments)
{
    std::vector<char *> argv;
    for (const QByteArray &argument : arguments)
        argv.push_back(const_cast<char *>(argument.constData()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const bool started = posix_spawnp(&pid, argv.front(), &actions, nullptr, argv.data(), environ)
                         == 0;
    posix_spawn_file_actions_destroy(&actions);
    int status = 0;
    return started && ::waitpid(pid, &status, 0) == pid;
}

// find over the tree. Its peak memory comes from GNU time, which starts it from a small
// process: a process started from this one would be charged this one's memory.
Figure measureFind(const QString &root)
{
    Figure figure;
    const QByteArray path = QFile::encodeName(root);
    QElapsedTimer clock;
    clock.start();
    if (!run({"find", path}))
        return figure;
    figure.seconds = clock.nsecsElapsed() / 1e9;
    QTemporaryDir scratch;
    const QByteArray output = QFile::encodeName(scratch.filePath(QStringLiteral("maxrss")));
    figure.peakKiB = -1;
    if (scratch.isValid() && run({"/usr/bin/time", "-f", "%M", "-o", output, "find", path}))
        figure.peakKiB = fileContent(QFile::decodeName(output)).trimmed().toLong();
    return figure;
}

bool makeEmptyFile(const QByteArray &path)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    return fd >= 0 && ::close(fd) == 0;
}

// `folders` shoot folders of `files` files each (raw and JPEG pairs), a few file links, a
// folder link back to the root and a dangling link.
bool generate(const QString &root, int folders, int files)
{
    for (int folder = 0; folder < folders; ++folder) {
        const QString folderPath
                = root + QStringLiteral("/%1/Shoot %2").arg(2015 + folder / 100).arg(folder);
        if (!QDir().mkpath(folderPath))
            return false;
        const QByteArray prefix = QFile::encodeName(folderPath) + "/IMG_";
        for (int file = 0; file < files; ++file) {
            const QByteArray name = prefix + QByteArray::number(folder * files / 2 + file / 2)
                                    + (file % 2 ? ".JPG" : ".CR2");
            if (!makeEmptyFile(name))
                return false;
        }
    }
    for (int link = 0; link < 5; ++link) {
        if (!QFile::link(root + QStringLiteral("/2015/Shoot %1/IMG_%2.JPG").arg(link).arg(0),
                         root + QStringLiteral("/link%1.jpg").arg(link)))
            return false;
    }
    return QFile::link(root, root + QStringLiteral("/2015/back to the root"))
           && QFile::link(root + QStringLiteral("/nowhere"), root + QStringLiteral("/gone.jpg"));
}

void report(const QString &what, const Figure &figure, const Figure &find)
{
    say(QStringLiteral("  %1 %2 s %3 x find %4 MiB peak%5")
                .arg(what, -34)
                .arg(figure.seconds, 7, 'f', 3)
                .arg(figure.seconds / find.seconds, 6, 'f', 2)
                .arg(figure.peakKiB / 1024.0, 7, 'f', 1)
                .arg(&figure == &find ? QString()
                                      : QStringLiteral("   (%1 files)").arg(figure.entries)));
}

// The longest pause between two ticks of a 5 ms timer on the GUI thread that both come while
// `measuring` holds, until `done`; `ticks` counts the ticks measured.
qint64 longestGap(const std::function<bool()> &measuring, const std::function<bool()> &done,
                  int &ticks)
{
    QElapsedTimer sinceTick;
    qint64 longest = 0;
    bool measuredLast = false;
    ticks = 0;
    QTimer timer;
    timer.setInterval(5);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        const qint64 gap = sinceTick.nsecsElapsed();
        sinceTick.start();
        const bool measured = measuring();
        if (measured && measuredLast)
            longest = qMax(longest, gap);
        ticks += measured;
        measuredLast = measured;
    });
    sinceTick.start();
    timer.start();
    QElapsedTimer waited;
    waited.start();
    while (!done() && waited.elapsed() < 600000)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    return longest;
}

// Picks the tree in the big-image picker and watches the GUI thread until the count box shows;
// first, for comparison, the same timer on a GUI thread with nothing to do.
void measurePicker(const QString &root)
{
    int ticks = 0;
    QElapsedTimer idle;
    idle.start();
    const qint64 idleGap = longestGap([] { return true; }, [&] { return idle.elapsed() >= 1500; },
                                      ticks);
    say(QStringLiteral("  idle GUI thread for 1.5 s: longest gap of a 5 ms timer %1 ms")
                .arg(idleGap / 1e6, 0, 'f', 1));

    kelto window;
    window.show();
    DialogAnswerer answerer;
    answerer.queueFolder(root);
    const auto *label = window.findChild<QLabel *>(QStringLiteral("label_bigPath"));
    QTimer::singleShot(
            0, [&] { window.findChild<QPushButton *>(QStringLiteral("seletInput"))->click(); });
    // Counting from the moment the label shows the folder until the box shows.
    QElapsedTimer counting;
    const qint64 gap = longestGap(
            [&] {
                const bool busy = label->text() == root && answerer.boxes.isEmpty();
                if (busy && !counting.isValid())
                    counting.start();
                return busy;
            },
            [&] { return !answerer.boxes.isEmpty(); }, ticks);
    say(QStringLiteral("  big-image picker counting: box after %1 s, %2 ticks, longest gap %3 ms")
                .arg(counting.nsecsElapsed() / 1e9, 0, 'f', 3)
                .arg(ticks)
                .arg(gap / 1e6, 0, 'f', 1));
    say(QStringLiteral("  box: %1")
                .arg(answerer.boxes.isEmpty() ? QStringLiteral("none")
                                              : answerer.boxes.first().text));
}

} // namespace

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QCommandLineParser parser;
    parser.setApplicationDescription(
            QStringLiteral("Times tree listings against find, and the picker's count."));
    parser.addHelpOption();
    const QCommandLineOption dirOption(QStringLiteral("dir"),
                                       QStringLiteral("Folder to create the tree in."),
                                       QStringLiteral("folder"), QDir::tempPath());
    const QCommandLineOption foldersOption(QStringLiteral("folders"),
                                           QStringLiteral("Folders (default 1000)."),
                                           QStringLiteral("n"), QStringLiteral("1000"));
    const QCommandLineOption filesOption(QStringLiteral("files"),
                                         QStringLiteral("Files per folder (default 500)."),
                                         QStringLiteral("n"), QStringLiteral("500"));
    const QCommandLineOption roundsOption(QStringLiteral("rounds"),
                                          QStringLiteral("Rounds, the best kept (default 5)."),
                                          QStringLiteral("n"), QStringLiteral("5"));
    parser.addOptions({dirOption, foldersOption, filesOption, roundsOption});
    parser.process(app);
    const int rounds = qMax(1, parser.value(roundsOption).toInt());
    const TestWorkDir workDir; // windows start here without a server to wait for

    QTemporaryDir data(
            QDir(parser.value(dirOption)).filePath(QStringLiteral("zanora-walkbench-XXXXXX")));
    if (!data.isValid()) {
        say(QStringLiteral("cannot create a folder in %1").arg(parser.value(dirOption)));
        return 1;
    }
    const QString root = data.filePath(QStringLiteral("tree"));
    QElapsedTimer clock;
    clock.start();
    if (!generate(root, parser.value(foldersOption).toInt(), parser.value(filesOption).toInt())) {
        say(QStringLiteral("cannot make the tree in %1").arg(root));
        return 1;
    }
    say(QStringLiteral("tree: %1 (%2 folders x %3 files, made in %4 s)")
                .arg(root, parser.value(foldersOption), parser.value(filesOption))
                .arg(clock.nsecsElapsed() / 1e9, 0, 'f', 1));

    measureFind(root); // warms the cache
    Figure find = measureFind(root);

    QFileInfoList listed;
    struct Listing
    {
        QString name;
        std::function<int()> work;
        Figure figure;
    };
    QVector<Listing> listings = {
            {QStringLiteral("QDir walk (listTreeByQDir)"),
             [&] {
                 listed = QFileInfoList();
                 listed = listTreeByQDir(root, TreeWalker::Files);
                 return listed.size();
             },
             {}},
            {QStringLiteral("tree walker, compact paths (TreeWalker::list)"),
             [&] { return TreeWalker::list(root, TreeWalker::Files).size(); },
             {}},
            {QStringLiteral("tree walker, counting only"),
             [&] {
                 int count = 0;
                 TreeWalker(root).walk([&](const TreeWalker::Entry &entry) {
                     count += entry.kind() != TreeWalker::Folder;
                     return true;
                 });
                 return count;
             },
             {}},
    };
    for (Listing &listing : listings)
        listing.figure = measure(listing.work);
    // Further rounds take turns, so that the machine's other load falls on all of them alike.
    for (int round = 1; round < rounds; ++round) {
        find.seconds = qMin(find.seconds, measureFind(root).seconds);
        for (Listing &listing : listings) {
            QElapsedTimer clock;
            clock.start();
            listing.work();
            listing.figure.seconds = qMin(listing.figure.seconds, clock.nsecsElapsed() / 1e9);
        }
    }

    say(QStringLiteral("listing all files, best of %1 taking turns (memory: peak above the "
                       "resident size before; find: its whole process)")
                .arg(rounds));
    report(QStringLiteral("find"), find, find);
    for (const Listing &listing : qAsConst(listings))
        report(listing.name, listing.figure, find);
    const QStringList walked = TreeWalker::list(root, TreeWalker::Files).paths();
    bool same = listed.size() == walked.size();
    for (int i = 0; same && i < listed.size(); ++i)
        same = listed.at(i).filePath() == walked.at(i);
    say(QStringLiteral("  same paths in the same order: %1").arg(same ? "yes" : "NO"));

    measurePicker(root);
    say(QStringLiteral("removing the tree"));
    return same ? 0 : 1;
}
