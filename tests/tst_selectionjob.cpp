#include "core/selection/filecopier.h"
#include "core/selection/jobrunner.h"
#include "core/selection/messagereader.h"
#include "core/selection/selectionjob.h"
#include "tests/coretestsupport.h"

#include <QtTest>

#include <functional>

namespace {

// One job on a thread of its own, as the window and the command line run it, with its signals
// recorded and its questions answered by the test's callbacks.
class JobRun
{
public:
    explicit JobRun(const SelectionJob::Settings &settings)
        : runner(settings)
        , job(runner.job())
    {
        QObject::connect(job, &SelectionJob::missingFound, &context,
                         [this](const QStringList &list) {
                             missing = list;
                             if (onMissing)
                                 onMissing(job);
                             else
                                 job->decide(true);
                         });
        QObject::connect(job, &SelectionJob::copyFailed, &context, [this](const QString &source) {
            failures.append(source);
            job->answerFailure(answers.isEmpty() || answers.takeFirst());
        });
        QObject::connect(job, &SelectionJob::copied, &context,
                         [this](const QString &source, const QString &target) {
                             copies.append({source, target});
                             if (onCopied)
                                 onCopied(job);
                         });
        QObject::connect(job, &SelectionJob::finished, &context,
                         [this](SelectionJob::Outcome result) { outcome = result; });
    }

    // Runs the job to its end; false if it did not end within a minute.
    bool run()
    {
        runner.start();
        return QTest::qWaitFor([this] { return outcome >= 0 && runner.isFinished(); }, 60000);
    }

    JobRunner runner;
    SelectionJob *job;
    QObject context;
    std::function<void(SelectionJob *)> onMissing; // default: go on
    std::function<void(SelectionJob *)> onCopied;
    QList<bool> answers; // to failures in turn; go on when none is left
    QStringList missing;
    QStringList failures;
    QList<QPair<QString, QString>> copies;
    int outcome = -1;
};

} // namespace

class tst_selectionjob : public QObject, public RunFolders
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void matchingRules_data();
    void matchingRules();
    void destinations_data();
    void destinations();
    void messagePicks_data();
    void messagePicks();
    void laterSameNameWinsAndReplaces();
    void failedCopy_data();
    void failedCopy();
    void outputIsOriginalsFolder_data();
    void outputIsOriginalsFolder();
    void rerunIntoOriginalsTree_data();
    void rerunIntoOriginalsTree();
    void stop_data();
    void stop();

private:
    SelectionJob::Settings settings(bool classified = false) const
    {
        SelectionJob::Settings result;
        result.smallImagesPath = small();
        result.bigImagesPath = big();
        result.outputPath = out();
        result.classified = classified;
        return result;
    }

    QTemporaryDir *workDir = nullptr;
};

void tst_selectionjob::init()
{
    workDir = new QTemporaryDir;
    QVERIFY(workDir->isValid());
    runRoot = workDir->path();
    QVERIFY(QDir().mkpath(big()));
    QVERIFY(QDir().mkpath(small()));
    QVERIFY(QDir().mkpath(out()));
}

void tst_selectionjob::cleanup()
{
    delete workDir;
    workDir = nullptr;
}

void tst_selectionjob::matchingRules_data()
{
    QTest::addColumn<QStringList>("originals");
    QTest::addColumn<QStringList>("picks");
    QTest::addColumn<QStringList>("copied");
    QTest::addColumn<QStringList>("missing");

    QTest::newRow("edited pick takes raw, jpeg and sidecar")
            << QStringList{"IMG_0001.CR2", "IMG_0001.JPG", "IMG_0001.xmp", "IMG_0002.CR2"}
            << QStringList{"IMG_0001-edit.jpg"}
            << QStringList{"IMG_0001.CR2=IMG_0001.CR2", "IMG_0001.JPG=IMG_0001.JPG",
                           "IMG_0001.xmp=IMG_0001.xmp"}
            << QStringList{};
    QTest::newRow("case on both sides")
            << QStringList{"img_0001.JPG", "IMG_0002.cr2"}
            << QStringList{"IMG_0001.jpg", "IMG_0002.JPG", "IMG_0002.Jpg"}
            << QStringList{"IMG_0002.cr2=IMG_0002.cr2"} << QStringList{"IMG_0001.jpg"};
    QTest::newRow("several candidates from several shoots")
            << QStringList{"shoot 1/IMG_1.CR2", "shoot 2/IMG_10.CR2", "shoot 2/IMG_2.CR2"}
            << QStringList{"album/IMG_10.jpg"}
            << QStringList{"IMG_1.CR2=shoot 1/IMG_1.CR2", "IMG_10.CR2=shoot 2/IMG_10.CR2"}
            << QStringList{};
    QTest::newRow("missing list in listing order")
            << QStringList{"x.CR2"} << QStringList{"b/z.png", "A.jpeg", "x.jpg", "c.PNG"}
            << QStringList{"x.CR2=x.CR2"} << QStringList{"A.jpeg", "b/z.png", "c.PNG"};
}

void tst_selectionjob::matchingRules()
{
    QFETCH(QStringList, originals);
    QFETCH(QStringList, picks);
    QFETCH(QStringList, copied);
    QFETCH(QStringList, missing);
    for (const QString &name : originals)
        QVERIFY(writeFile(big(name), name.toUtf8()));
    for (const QString &name : picks)
        QVERIFY(writeFile(small(name), "pick"));

    JobRun run(settings());
    QVERIFY2(run.run(), "the job did not end");

    QStringList missingPaths;
    for (const QString &name : missing)
        missingPaths.append(small(name));
    QCOMPARE(run.missing, missingPaths);
    QCOMPARE(filesBelow(out()), copied);
    QCOMPARE(run.outcome, int(SelectionJob::Completed));
}

void tst_selectionjob::destinations_data()
{
    QTest::addColumn<bool>("classified");
    QTest::addColumn<bool>("dryRun");
    QTest::addColumn<QStringList>("copied"); // target=file name of the original

    const QStringList mirrored{"IMG_2.CR2=IMG_2.CR2", "x/IMG_1.CR2=IMG_1.CR2",
                               "x/deep er/IMG_3.CR2=IMG_3.CR2", "y/IMG_1.CR2=IMG_1.CR2"};
    QTest::newRow("classified mirrors the picks' folders") << true << false << mirrored;
    QTest::newRow("classified, dry run") << true << true << mirrored;
    QTest::newRow("combined puts everything side by side")
            << false << false
            << QStringList{"IMG_1.CR2=IMG_1.CR2", "IMG_2.CR2=IMG_2.CR2", "IMG_3.CR2=IMG_3.CR2"};
}

void tst_selectionjob::destinations()
{
    QFETCH(bool, classified);
    QFETCH(bool, dryRun);
    QFETCH(QStringList, copied);
    QVERIFY(writeFile(small("x/IMG_1.jpg"), "pick"));
    QVERIFY(writeFile(small("y/IMG_1-2.jpg"), "pick"));
    QVERIFY(writeFile(small("IMG_2.jpg"), "pick"));
    QVERIFY(writeFile(small("x/deep er/IMG_3.jpg"), "pick"));
    QVERIFY(writeFile(small("GOPR1.jpg"), "pick"));
    for (const char *name : {"IMG_1.CR2", "IMG_2.CR2", "shoot/IMG_3.CR2", "notes.txt"})
        QVERIFY(writeFile(big(name), QFileInfo(name).fileName().toUtf8()));

    SelectionJob::Settings setup = settings(classified);
    setup.dryRun = dryRun;
    JobRun run(setup);
    QVERIFY2(run.run(), "the job did not end");

    QStringList reported;
    for (const auto &copy : qAsConst(run.copies))
        reported.append(QDir(out()).relativeFilePath(copy.second) + QLatin1Char('=')
                        + QFileInfo(copy.first).fileName());
    reported.sort();
    // Combined: the second pick of IMG_1 sends it to the same place again; it is not copied twice.
    QCOMPARE(reported, copied);
    QCOMPARE(filesBelow(out()), dryRun ? QStringList() : copied);
    const SelectionJob::Summary summary = run.job->summary();
    QCOMPARE(QList<int>({summary.picks, summary.candidates, summary.matched, summary.copied,
                         summary.failed, summary.missing}),
             QList<int>({5, 4, 4, 4, 0, 1}));
}

void tst_selectionjob::messagePicks_data()
{
    QTest::addColumn<bool>("classified");
    QTest::addColumn<QStringList>("copied");

    QTest::newRow("classified: a folder per group")
            << true
            << QStringList{"IMG_0034.CR2=IMG_0034.CR2", "入册/IMG_0012.CR2=IMG_0012.CR2",
                           "入册/IMG_0057.CR2=IMG_0057.CR2", "精修/IMG_0012.CR2=IMG_0012.CR2"};
    QTest::newRow("combined: side by side")
            << false
            << QStringList{"IMG_0012.CR2=IMG_0012.CR2", "IMG_0034.CR2=IMG_0034.CR2",
                           "IMG_0057.CR2=IMG_0057.CR2"};
}

// The small-image folder is not looked at; the missing list holds the entries as written.
void tst_selectionjob::messagePicks()
{
    QFETCH(bool, classified);
    QFETCH(QStringList, copied);
    for (const char *name : {"IMG_0012.CR2", "shoot/IMG_0034.CR2", "IMG_0057.CR2"})
        QVERIFY(writeFile(big(name), QFileInfo(name).fileName().toUtf8()));
    QVERIFY(writeFile(small("IMG_0099.jpg"), "pick"));

    SelectionJob::Settings setup = settings(classified);
    setup.message = std::make_shared<PickMessage>(
            MessageReader::read(u"精修：12\n入册：0012 56-58\n34 0078"));
    JobRun run(setup);
    QVERIFY2(run.run(), "the job did not end");

    QCOMPARE(run.missing, QStringList({"56", "58", "0078"}));
    QCOMPARE(filesBelow(out()), copied);
    const SelectionJob::Summary summary = run.job->summary();
    QCOMPARE(QList<int>({summary.picks, summary.candidates, summary.missing}),
             QList<int>({5, 3, 3}));
}

void tst_selectionjob::laterSameNameWinsAndReplaces()
{
    QVERIFY(writeFile(small("IMG_1.jpg"), "pick"));
    QVERIFY(writeFile(small("IMG_1 (2).jpg"), "pick"));
    QVERIFY(writeFile(big("A/IMG_1.jpg"), "from A"));
    QVERIFY(writeFile(big("B/IMG_1.jpg"), "from B"));
    QVERIFY(writeFile(out("IMG_1.jpg"), "an older file of that name"));

    JobRun run(settings());
    QVERIFY2(run.run(), "the job did not end");

    // A, B, A, B: each copy replaces the one before, so none is left out as already made.
    QCOMPARE(filesBelow(out()), QStringList{"IMG_1.jpg=from B"});
    QCOMPARE(run.copies.size(), 4);
}

void tst_selectionjob::failedCopy_data()
{
    QTest::addColumn<QString>("obstacle");
    QTest::addColumn<QList<bool>>("answers");
    QTest::addColumn<QStringList>("failedSources");
    QTest::addColumn<bool>("completed");
    QTest::addColumn<QStringList>("copied");

    QTest::newRow("folder at target, go on")
            << "folder" << QList<bool>{true} << QStringList{"b.CR2"} << true
            << QStringList{"a.CR2=a.CR2", "b.CR2/keep.txt=kept", "c.CR2=c.CR2"};
    QTest::newRow("folder at target, stop")
            << "folder" << QList<bool>{false} << QStringList{"b.CR2"} << false
            << QStringList{"a.CR2=a.CR2", "b.CR2/keep.txt=kept"};
    QTest::newRow("output folder missing, go on each time")
            << "no output" << QList<bool>{true, true, true}
            << QStringList{"a.CR2", "b.CR2", "c.CR2"} << true << QStringList{};
}

void tst_selectionjob::failedCopy()
{
    QFETCH(QString, obstacle);
    QFETCH(QList<bool>, answers);
    QFETCH(QStringList, failedSources);
    QFETCH(bool, completed);
    QFETCH(QStringList, copied);
    for (const char *name : {"a", "b", "c"}) {
        QVERIFY(writeFile(small(QStringLiteral("%1.jpg").arg(name)), "pick"));
        QVERIFY(writeFile(big(QStringLiteral("%1.CR2").arg(name)),
                          QStringLiteral("%1.CR2").arg(name).toUtf8()));
    }
    if (obstacle == "folder")
        QVERIFY(writeFile(out("b.CR2/keep.txt"), "kept"));
    else
        QVERIFY(QDir(out()).removeRecursively());

    JobRun run(settings());
    run.answers = answers;
    QVERIFY2(run.run(), "the job did not end");

    QStringList failedPaths;
    for (const QString &name : failedSources)
        failedPaths.append(big(name));
    QCOMPARE(run.failures, failedPaths);
    QCOMPARE(run.outcome, int(completed ? SelectionJob::Completed : SelectionJob::Stopped));
    QCOMPARE(filesBelow(out()), copied);
}

void tst_selectionjob::outputIsOriginalsFolder_data()
{
    QTest::addColumn<bool>("classified");
    QTest::addColumn<bool>("throughLink");
    QTest::addColumn<QString>("sameName"); // another original named like a.CR2
    QTest::newRow("combined, the folder itself") << false << false << QString();
    QTest::newRow("combined, a link to the folder") << false << true << QString();
    QTest::newRow("classified, the folder itself") << true << false << QString();
    QTest::newRow("combined, a same-named original in a sub-folder")
            << false << false << "shoot/a.CR2";
}

void tst_selectionjob::outputIsOriginalsFolder()
{
    QFETCH(bool, classified);
    QFETCH(bool, throughLink);
    QFETCH(QString, sameName);
    if (throughLink)
        SKIP_WITHOUT_SYMLINKS();
    QVERIFY(writeFile(small("a.jpg"), "pick"));
    QVERIFY(writeFile(big("a.CR2"), QByteArray(70000, 'r')));
    QVERIFY(writeFile(big("a.JPG"), "jpeg a"));
    if (!sameName.isEmpty())
        QVERIFY(writeFile(big(sameName), "another raw"));
    {
        QFile raw(big("a.CR2"));
        QVERIFY(raw.open(QIODevice::ReadWrite));
        QVERIFY(raw.setFileTime(QDateTime::fromSecsSinceEpoch(1400000000),
                                QFileDevice::FileModificationTime));
    }
    const QStringList before = filesBelow(big());
    const QByteArray original = fileIdentity(big("a.CR2"));
    QVERIFY(!original.isEmpty());
    SelectionJob::Settings setup = settings(classified);
    if (throughLink) {
        QVERIFY(QDir(out()).removeRecursively());
        QVERIFY(makeSymLink(big(), out()));
    } else {
        setup.outputPath = big();
    }

    JobRun run(setup);
    QVERIFY2(run.run(), "the job did not end");

    QCOMPARE(filesBelow(big()), before);
    QCOMPARE(QFileInfo(big("a.CR2")).lastModified().toSecsSinceEpoch(), 1400000000);
    QCOMPARE(fileIdentity(big("a.CR2")), original); // neither removed nor replaced
    // A copy that could only be made by replacing another original fails instead.
    QCOMPARE(run.failures, sameName.isEmpty() ? QStringList() : QStringList(big(sameName)));
    QCOMPARE(run.outcome, int(SelectionJob::Completed));
}

void tst_selectionjob::rerunIntoOriginalsTree_data()
{
    QTest::addColumn<QString>("change"); // to the earlier copy of b.CR2; any change is refused
    QTest::newRow("untouched") << QString();
    QTest::newRow("other bytes, same size and time") << "bytes";
    QTest::newRow("same bytes, other time") << "time";
}

// The output folder lies inside the big-image tree: a second run finds its earlier copies among
// the originals, and neither asks about an identical one nor writes anything.
void tst_selectionjob::rerunIntoOriginalsTree()
{
    QFETCH(QString, change);
    QVERIFY(writeFile(small("a.jpg"), "pick"));
    QVERIFY(writeFile(small("b.jpg"), "pick"));
    QVERIFY(writeFile(big("a.CR2"), QByteArray(3 * FileCopier::comparePieceSize + 5, 'a')));
    QVERIFY(writeFile(big("b.CR2"), "raw b"));
    SelectionJob::Settings setup = settings();
    setup.outputPath = big("out");
    QVERIFY(QDir().mkpath(setup.outputPath));
    QVERIFY2(JobRun(setup).run(), "the first run did not end");
    if (!change.isEmpty()) {
        const QDateTime time = QFileInfo(big("out/b.CR2")).lastModified();
        QVERIFY(change == "time" || writeFile(big("out/b.CR2"), "raw B"));
        QFile file(big("out/b.CR2"));
        QVERIFY(file.open(QIODevice::ReadWrite)
                && file.setFileTime(change == "time" ? time.addSecs(-60) : time,
                                    QFileDevice::FileModificationTime));
    }
    // Each file by its bytes (the large one by its size), time and inode.
    const auto tree = [this] {
        QStringList files = filesBelow(big());
        for (QString &file : files) {
            const QString path = big(file.section(QLatin1Char('='), 0, 0));
            file += QStringLiteral(" %1 ").arg(QFileInfo(path).lastModified().toMSecsSinceEpoch())
                    + QString::fromLatin1(fileIdentity(path));
        }
        return files;
    };
    const QStringList before = tree();

    JobRun second(setup);
    QVERIFY2(second.run(), "the second run did not end");
    QCOMPARE(second.failures, change.isEmpty() ? QStringList() : QStringList(big("b.CR2")));
    QCOMPARE(second.outcome, int(SelectionJob::Completed));
    QCOMPARE(tree(), before);
}

void tst_selectionjob::stop_data()
{
    QTest::addColumn<QString>("when");
    QTest::addColumn<QStringList>("copied");
    QTest::newRow("while the missing picks wait for a decision") << "missing" << QStringList{};
    // The large file is sparse: it takes no room, but a copy of it goes piece by piece.
    QTest::newRow("in the middle of a large file") << "large" << QStringList{"a.CR2=raw a"};
}

void tst_selectionjob::stop()
{
    QFETCH(QString, when);
    QFETCH(QStringList, copied);
    QVERIFY(writeFile(small("a.jpg"), "pick"));
    QVERIFY(writeFile(small("b.jpg"), "pick"));
    QVERIFY(writeFile(small("c.jpg"), "pick"));
    QVERIFY(writeFile(big("a.CR2"), "raw a"));
    QVERIFY(writeFile(big("b.CR2"), QByteArray()));
    QVERIFY(QFile::resize(big("b.CR2"), 1LL << 30));
    if (when == "large")
        QVERIFY(writeFile(big("c.CR2"), "raw c"));

    JobRun run(settings());
    run.onMissing = [](SelectionJob *job) { job->stop(); };
    // The large file's copy begins as soon as the first copy is reported.
    run.onCopied = [](SelectionJob *job) { job->stop(); };
    QVERIFY2(run.run(), "the job did not end");

    QCOMPARE(run.outcome, int(SelectionJob::Stopped));
    QCOMPARE(filesBelow(out()), copied);
    QCOMPARE(folderEntries(out()).size(), copied.size()); // no temporary file either
}

QTEST_MAIN(tst_selectionjob)
#include "tst_selectionjob.moc"
