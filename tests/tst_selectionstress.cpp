// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/selection/jobrunner.h"
#include "core/selection/selectionjob.h"
#include "tests/testsupport.h"
#include "ui/kelto.h"

#include <QMessageBox>
#include <QPushButton>
#include <QRandomGenerator>
#include <QtTest>

#include <optional>

// The selection run's threads under pressure: many runs, each stopped, answered or abandoned at a
// random point. Built with the sanitizers (scripts/sanitize.sh) this is the check that the job,
// its thread and the window leave no race, no dangling access and no thread behind. The rounds
// are bounded by a time budget; the figures are printed.

namespace {

int threadCount()
{
    return QDir(QStringLiteral("/proc/self/task"))
            .entryList(QDir::Dirs | QDir::NoDotAndDotDot)
            .size();
}

// Rounds of each kind, bounded by a time budget: few in the normal suite, more where the
// sanitizer run asks for them through ZANORA_STRESS_ROUNDS.
int maxRounds()
{
    const int rounds = qEnvironmentVariableIntValue("ZANORA_STRESS_ROUNDS");
    return rounds > 0 ? rounds : 40;
}
qint64 budgetMsecs()
{
    return qMax(2000, maxRounds() * 75);
}

} // namespace

class tst_selectionstress : public QObject, public RunFolders
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void jobAtRandomPoints();
    void windowAtRandomPoints();

private:
    void freshOutput();

    TestWorkDir *workDir = nullptr;
    QRandomGenerator random{20261207};
};

void tst_selectionstress::initTestCase()
{
    // Each run ends by flushing its copies to disk; in memory that costs nothing, so the rounds
    // go to the threads rather than to the disk.
    if (QFileInfo(QStringLiteral("/dev/shm")).isWritable())
        qputenv("TMPDIR", "/dev/shm");
}

void tst_selectionstress::init()
{
    // Twenty picks, four without an original (the run asks), one copy blocked by a folder (the
    // run asks again), one large sparse original (a copy that takes a while).
    workDir = new TestWorkDir;
    QVERIFY(workDir->isValid());
    runRoot = workDir->path();
    for (int i = 0; i < 20; ++i) {
        QVERIFY(writeFile(small(QStringLiteral("p%1.jpg").arg(i)), "pick"));
        if (i < 16)
            QVERIFY(writeFile(big(QStringLiteral("p%1.CR2").arg(i)), "raw"));
    }
    const QString large = big(QStringLiteral("p7.CR2"));
    {
        QFile file(large);
        QVERIFY(file.open(QIODevice::ReadWrite) && file.resize(4LL << 20));
    }
}

void tst_selectionstress::cleanup()
{
    delete workDir;
    workDir = nullptr;
}

void tst_selectionstress::freshOutput()
{
    QDir(out()).removeRecursively();
    QVERIFY(writeFile(out(QStringLiteral("p3.CR2/keep")), "in the way"));
}

// The job on its own thread, stopped from the test's thread after a random delay or from its own
// thread at a random signal, its questions answered either way.
void tst_selectionstress::jobAtRandomPoints()
{
    std::optional<MessageRecorder> quiet{std::in_place}; // the runs' own lines, many times over
    const int threadsBefore = threadCount();
    SelectionJob::Settings settings;
    settings.smallImagesPath = small();
    settings.bigImagesPath = big();
    settings.outputPath = out();
    QElapsedTimer clock;
    clock.start();
    int rounds = 0;
    int outcomes[3] = {}; // by SelectionJob::Outcome
    for (; rounds < maxRounds() && clock.elapsed() < budgetMsecs(); ++rounds) {
        freshOutput();
        JobRunner runner(settings);
        SelectionJob *job = runner.job();
        QObject context;
        int outcome = -1;
        connect(job, &SelectionJob::finished, &context,
                [&](SelectionJob::Outcome result) { outcome = result; });
        const bool goOn = random.bounded(4) != 0;
        connect(job, &SelectionJob::missingFound, &context, [job, goOn] { job->decide(goOn); });
        connect(job, &SelectionJob::copyFailed, &context, [job, goOn] { job->answerFailure(goOn); });
        // Stopped from the test's thread after a random delay, from the job's own thread at a
        // random copy or phase, or not at all.
        const int how = random.bounded(4);
        const int at = random.bounded(25);
        QTimer stopper;
        stopper.setSingleShot(true);
        connect(&stopper, &QTimer::timeout, &context, [job] { job->stop(); });
        if (how == 0)
            stopper.start(at);
        else if (how == 1)
            connect(
                    job, &SelectionJob::copied, job,
                    [job, at, copies = 0]() mutable {
                        if (++copies == at)
                            job->stop();
                    },
                    Qt::DirectConnection);
        else if (how == 2)
            connect(
                    job, &SelectionJob::phaseStarted, job,
                    [job, at](SelectionJob::Phase phase) {
                        if (phase == at % 4)
                            job->stop();
                    },
                    Qt::DirectConnection);
        runner.start();
        QVERIFY2(QTest::qWaitFor([&] { return outcome >= 0 && runner.isFinished(); }, 30000),
                 qPrintable(QStringLiteral("round %1 did not end").arg(rounds)));
        ++outcomes[outcome];
    }
    quiet.reset();
    qInfo("%d job runs in %lld ms: %d completed, %d stopped", rounds, clock.elapsed(),
          outcomes[SelectionJob::Completed], outcomes[SelectionJob::Stopped]);
    if (!QFileInfo::exists(QStringLiteral("/proc/self/task")))
        QSKIP("Counting the process's threads needs /proc; every other check has run");
    QTRY_COMPARE(threadCount(), threadsBefore);
}

// The window through its own slots: a run started with its button, then stopped with the button,
// the window closed or deleted after a random delay, or left alone; the missing-images dialog is
// confirmed, refused or answered by closing the window. A window is built again once deleted.
void tst_selectionstress::windowAtRandomPoints()
{
    std::optional<MessageRecorder> quiet{std::in_place}; // the runs' own lines, many times over
    const int threadsBefore = threadCount();
    QElapsedTimer clock;
    clock.start();
    int rounds = 0;
    int windows = 0;
    QPointer<kelto> window;
    for (; rounds < maxRounds() && clock.elapsed() < budgetMsecs(); ++rounds) {
        freshOutput();
        if (!window) {
            window = new kelto;
            ++windows;
            KeltoProbe(*window).setSmallImagesPath(small());
            KeltoProbe(*window).setBigImagesPath(big());
            KeltoProbe(*window).setOutputPath(out());
        }
        window->show();
        DialogAnswerer answerer;
        const int inDialog = random.bounded(3);
        answerer.queueDialogHandler([window, inDialog](QDialog *dialog) {
            if (inDialog == 2 && window)
                window->close();
            else
                dialog->findChild<QPushButton *>(inDialog ? "pushButton" : "pushButton_2")->click();
        });
        // A run that ended before the stop click starts another one, which is confirmed.
        answerer.queueDialogHandler(
                [](QDialog *dialog) { dialog->findChild<QPushButton *>("pushButton")->click(); });
        auto *button = window->findChild<QPushButton *>(QStringLiteral("output_combined"));
        const QString idleText = button->text();
        button->click();
        const int how = random.bounded(4);
        QTest::qWait(int(random.bounded(20)));
        if (how == 0)
            button->click();
        else if (how == 1)
            window->close();
        else if (how == 2)
            delete window;
        if (window) {
            QVERIFY2(QTest::qWaitFor([&] { return button->text() == idleText; }, 30000),
                     qPrintable(QStringLiteral("round %1: the run did not end").arg(rounds)));
        }
        // The box that tells of a completed run has no parent; it goes with the round.
        for (QWidget *box : QApplication::topLevelWidgets()) {
            if (qobject_cast<QMessageBox *>(box))
                box->close();
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    delete window;
    quiet.reset();
    qInfo("%d window runs, %d windows, in %lld ms", rounds, windows, clock.elapsed());
    if (!QFileInfo::exists(QStringLiteral("/proc/self/task")))
        QSKIP("Counting the process's threads needs /proc; every other check has run");
    QTRY_COMPARE(threadCount(), threadsBefore);
}

QTEST_MAIN(tst_selectionstress)
#include "tst_selectionstress.moc"
