// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/selection/filecopier.h"
#include "core/selection/jobrunner.h"
#include "core/selection/messagereader.h"
#include "core/selection/runrecord.h"
#include "core/selection/selectionjob.h"
#include "tests/coretestsupport.h"
#include "tests/filesizelimit.h"

#include <QProcess>
#include <QtTest>

#include <functional>
#include <memory>

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
                         [this](const QStringList &list, const IgnoredFiles &leftOut) {
                             missing = list;
                             ignored = leftOut;
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
        QObject::connect(job, &SelectionJob::notEnoughSpace, &context,
                         [this](const QString &, qint64 needed, qint64 available) {
                             space = {needed, available};
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
    IgnoredFiles ignored;
    QStringList failures;
    QList<QPair<QString, QString>> copies;
    QList<qint64> space; // needed and available, when told there was not enough
    int outcome = -1;
};

} // namespace

class tst_selectionjob : public QObject, public RunFolders
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void matchingRules_data();
    void matchingRules();
    void ignoredFiles_data();
    void ignoredFiles();
    void destinations_data();
    void destinations();
    void sameNameOtherOriginal_data();
    void sameNameOtherOriginal();
    void messagePicks_data();
    void messagePicks();
    void failedCopy_data();
    void failedCopy();
    void outputIsOriginalsFolder_data();
    void outputIsOriginalsFolder();
    void rerunIntoOriginalsTree_data();
    void rerunIntoOriginalsTree();
    void rerun_data();
    void rerun();
    void notEnoughSpace_data();
    void notEnoughSpace();
    void stop_data();
    void stop();
    void timeLeftOnThrottledCopy();
    void recordAsQtWritesIt_data();
    void recordAsQtWritesIt();
    void recordInPieces();

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
    QTemporaryDir dataHome;
};

void tst_selectionjob::initTestCase()
{
    // Replaced files go to the trash: this test's own, not the user's.
    QVERIFY(dataHome.isValid());
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome.path()));
}

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
    QTest::addColumn<QString>("rules");
    QTest::addColumn<bool>("classified");

    QTest::newRow("edited pick takes raw, jpeg and sidecar")
            << QStringList{"IMG_0001.CR2", "IMG_0001.JPG", "IMG_0001.xmp", "IMG_0002.CR2"}
            << QStringList{"IMG_0001-edit.jpg"}
            << QStringList{"IMG_0001.CR2=IMG_0001.CR2", "IMG_0001.JPG=IMG_0001.JPG",
                           "IMG_0001.xmp=IMG_0001.xmp"}
            << QStringList{} << "" << false;
    QTest::newRow("case on both sides")
            << QStringList{"img_0001.JPG", "IMG_0002.cr2"}
            << QStringList{"IMG_0001.jpg", "IMG_0002.JPG", "IMG_0002.Jpg"}
            << QStringList{"IMG_0002.cr2=IMG_0002.cr2"} << QStringList{"IMG_0001.jpg"} << ""
            << false;
    QTest::newRow("several candidates from several shoots")
            << QStringList{"shoot 1/IMG_1.CR2", "shoot 2/IMG_10.CR2", "shoot 2/IMG_2.CR2"}
            << QStringList{"album/IMG_10.jpg"}
            << QStringList{"IMG_1.CR2=shoot 1/IMG_1.CR2", "IMG_10.CR2=shoot 2/IMG_10.CR2"}
            << QStringList{} << "" << false;
    QTest::newRow("missing list in listing order")
            << QStringList{"x.CR2"} << QStringList{"b/z.png", "A.jpeg", "x.jpg", "c.PNG"}
            << QStringList{"x.CR2=x.CR2"} << QStringList{"A.jpeg", "b/z.png", "c.PNG"} << ""
            << false;
    QTest::newRow("companions, combined")
            << QStringList{"IMG_0021.CR2", "IMG_0021.CR2.xmp", "IMG_0021.NEF.dop", "IMG_0022.CR2"}
            << QStringList{"IMG_0021_small.jpg"}
            << QStringList{"IMG_0021.CR2.xmp=IMG_0021.CR2.xmp", "IMG_0021.CR2=IMG_0021.CR2"}
            << QStringList{} << "companions" << false;
    QTest::newRow("companions, classified")
            << QStringList{"shoot/IMG_0021.CR2", "shoot/IMG_0021.CR2.pp3", "IMG_0021.CR2.pp3"}
            << QStringList{"album/IMG_0021_small.jpg"}
            << QStringList{"album/IMG_0021.CR2.pp3=shoot/IMG_0021.CR2.pp3",
                           "album/IMG_0021.CR2=shoot/IMG_0021.CR2"}
            << QStringList{} << "companions" << true;
    QTest::newRow("case, whole names and formats")
            << QStringList{"IMG_0030.CR2", "IMG_123.CR2", "IMG_1234.CR2", "1.jpg"}
            << QStringList{"img_0030.Jpg", "IMG_1234_small.HEIC", "IMG_0012.jpg", "IMG_5.gif"}
            << QStringList{"IMG_0030.CR2=IMG_0030.CR2", "IMG_1234.CR2=IMG_1234.CR2"}
            << QStringList{"IMG_0012.jpg"} << "case whole formats=jpg,heic" << false;
}

void tst_selectionjob::matchingRules()
{
    QFETCH(QStringList, originals);
    QFETCH(QStringList, picks);
    QFETCH(QStringList, copied);
    QFETCH(QStringList, missing);
    QFETCH(QString, rules);
    QFETCH(bool, classified);
    for (const QString &name : originals)
        QVERIFY(writeFile(big(name), name.toUtf8()));
    for (const QString &name : picks)
        QVERIFY(writeFile(small(name), "pick"));

    SelectionJob::Settings runSettings = settings(classified);
    runSettings.rules = rulesFrom(rules);
    JobRun run(runSettings);
    QVERIFY2(run.run(), "the job did not end");

    QStringList missingPaths;
    for (const QString &name : missing)
        missingPaths.append(small(name));
    QCOMPARE(run.missing, missingPaths);
    QCOMPARE(filesBelow(out()), copied);
    QCOMPARE(run.outcome, int(SelectionJob::Completed));
}

void tst_selectionjob::ignoredFiles_data()
{
    QTest::addColumn<QStringList>("picks");     // "<bfcd>" in a name: those bytes (GBK)
    QTest::addColumn<QStringList>("originals"); // "folder/" makes a folder
    QTest::addColumn<QStringList>("ignored");   // "path: reason", from the work folder
    QTest::addColumn<QStringList>("copied");

    QTest::newRow("picture formats and cases")
            << QStringList{"a.heic", "b.Jpg", "c.webp", "sub/d.TIFF", "e.jpg", "notes.txt", "f.gif"}
            << QStringList{"e.CR2"}
            << QStringList{"small/a.heic: picture format not taken: .heic",
                           "small/b.Jpg: suffix in a case not taken: .Jpg",
                           "small/c.webp: picture format not taken: .webp",
                           "small/f.gif: picture format not taken: .gif",
                           "small/sub/d.TIFF: picture format not taken: .TIFF"}
            << QStringList{"e.CR2=e.CR2"};
    const QString name = QStringLiteral(": name not valid in the file-name encoding");
    QTest::newRow("names in GBK on a UTF-8 system")
            << QStringList{"<bfcdbba7>A_0003_small.jpg", "e.jpg"}
            << QStringList{"<bfcdbba7>A_0003.CR2", "e.CR2", "<c4ea>/x.CR2"}
            << QStringList{"small/\\xbf\\xcd\\xbb\\xa7A_0003_small.jpg" + name,
                           "big/\\xbf\\xcd\\xbb\\xa7A_0003.CR2" + name,
                           "big/\\xc4\\xea: folder name not valid in the file-name encoding; "
                           "nothing below it was listed"}
            << QStringList{"e.CR2=e.CR2"};
}

// Files a person would expect in the run and that it leaves out are told before copying, with
// their reasons, even when no pick is missing; the run goes on as decided.
void tst_selectionjob::ignoredFiles()
{
    QFETCH(QStringList, picks);
    QFETCH(QStringList, originals);
    QFETCH(QStringList, ignored);
    QFETCH(QStringList, copied);
    const auto make = [](const QString &root, const QString &entry) {
        QByteArray bytes = entry.toUtf8();
        for (int start; (start = bytes.indexOf('<')) >= 0;) {
            const int end = bytes.indexOf('>', start);
            bytes.replace(start, end - start + 1,
                          QByteArray::fromHex(bytes.mid(start + 1, end - start - 1)));
        }
        return writeRawNamedFile(root, bytes, bytes);
    };
    if (!writeRawNamedFile(workDir->path(), "\xff/probe", "probe"))
        QSKIP("File names are not bytes here");
    for (const QString &entry : picks)
        QVERIFY(make(small(), entry));
    for (const QString &entry : originals)
        QVERIFY(make(big(), entry));

    JobRun run(settings());
    QVERIFY2(run.run(), "the job did not end");

    QStringList told;
    for (const IgnoredFile &file : qAsConst(run.ignored))
        told.append(QDir(workDir->path()).relativeFilePath(file.path) + ": " + file.reasonText());
    QCOMPARE(told, ignored);
    QCOMPARE(run.missing, QStringList());
    QCOMPARE(run.job->summary().ignored, ignored.size());
    QCOMPARE(filesBelow(out()), copied);
    // What QDir does not list, it does not remove either.
    QCOMPARE(QProcess::execute("rm", {"-rf", workDir->path()}), 0);
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
    QTest::addColumn<QString>("rules");
    QTest::addColumn<QStringList>("copied");

    // 34 takes two shoots' IMG_0034.CR2 with their sidecars: the second one and its sidecar
    // numbered alike.
    const QStringList combined = {
            "IMG_0012.CR2=IMG_0012.CR2",     "IMG_0034 (2).CR2.xmp=IMG_0034.CR2.xmp",
            "IMG_0034 (2).CR2=IMG_0034.CR2", "IMG_0034.CR2.xmp=IMG_0034.CR2.xmp",
            "IMG_0034.CR2=IMG_0034.CR2",     "IMG_0057.CR2=IMG_0057.CR2"};
    QTest::newRow("classified: a folder per group")
            << true << QString()
            << QStringList{
                       "IMG_0034 (2).CR2.xmp=IMG_0034.CR2.xmp", "IMG_0034 (2).CR2=IMG_0034.CR2",
                       "IMG_0034.CR2.xmp=IMG_0034.CR2.xmp",     "IMG_0034.CR2=IMG_0034.CR2",
                       "入册/IMG_0012.CR2=IMG_0012.CR2",        "入册/IMG_0057.CR2=IMG_0057.CR2",
                       "精修/IMG_0012.CR2=IMG_0012.CR2"};
    QTest::newRow("combined: side by side") << false << QString() << combined;
    // Names are compared ignoring case anyway, a message holds no pick file names, and sidecars
    // come with their originals anyway.
    QTest::newRow("combined, every rule on")
            << false << "case whole companions formats=heic" << combined;
}

// The small-image folder is not looked at; the missing list holds the entries as written.
void tst_selectionjob::messagePicks()
{
    QFETCH(bool, classified);
    QFETCH(QString, rules);
    QFETCH(QStringList, copied);
    for (const char *name : {"IMG_0012.CR2", "shoot/IMG_0034.CR2", "shoot/IMG_0034.CR2.xmp",
                             "shoot2/IMG_0034.CR2", "shoot2/IMG_0034.CR2.xmp", "IMG_0057.CR2"})
        QVERIFY(writeFile(big(name), QFileInfo(name).fileName().toUtf8()));
    QVERIFY(writeFile(small("IMG_0099.jpg"), "pick"));

    SelectionJob::Settings setup = settings(classified);
    setup.rules = rulesFrom(rules);
    setup.message = std::make_shared<PickMessage>(
            MessageReader::read(u"精修：12\n入册：0012 56-58\n34 0078"));
    JobRun run(setup);
    QVERIFY2(run.run(), "the job did not end");

    QCOMPARE(run.missing, QStringList({"56", "58", "0078"}));
    QCOMPARE(filesBelow(out()), copied);
    const SelectionJob::Summary summary = run.job->summary();
    QCOMPARE(QList<int>({summary.picks, summary.candidates, summary.missing, summary.renamed}),
             QList<int>({5, 6, 3, 2}));
}

void tst_selectionjob::sameNameOtherOriginal_data()
{
    QTest::addColumn<bool>("classified");
    QTest::addColumn<QStringList>("originals"); // each holds its own path
    QTest::addColumn<QStringList>("picks");
    QTest::addColumn<QStringList>("copied");
    QTest::addColumn<QString>("rules");

    QTest::newRow("two bodies, one counter")
            << false << QStringList{"A/IMG_0012.CR2", "B/IMG_0012.CR2"}
            << QStringList{"IMG_0012_small.jpg"}
            << QStringList{"IMG_0012 (2).CR2=B/IMG_0012.CR2", "IMG_0012.CR2=A/IMG_0012.CR2"}
            << QString();
    // A, B, A, B: the second pick sends each original to the name it already has.
    QTest::newRow("two picks of both")
            << false << QStringList{"A/IMG_1.jpg", "B/IMG_1.jpg"}
            << QStringList{"IMG_1.jpg", "IMG_1 (2).jpg"}
            << QStringList{"IMG_1 (2).jpg=B/IMG_1.jpg", "IMG_1.jpg=A/IMG_1.jpg"} << QString();
    QTest::newRow("numbered name already an original")
            << false << QStringList{"A/IMG_1.CR2", "B/IMG_1.CR2", "C/IMG_1 (2).CR2"}
            << QStringList{"IMG_1 (2).jpg"}
            << QStringList{"IMG_1 (2) (2).CR2=C/IMG_1 (2).CR2", "IMG_1 (2).CR2=B/IMG_1.CR2",
                           "IMG_1.CR2=A/IMG_1.CR2"}
            << QString();
    QTest::newRow("names told apart ignoring case")
            << false << QStringList{"A/IMG_1.CR2", "B/img_1.CR2"} << QStringList{"IMG_1 img_1.jpg"}
            << QStringList{"IMG_1.CR2=A/IMG_1.CR2", "img_1 (2).CR2=B/img_1.CR2"} << QString();
    QTest::newRow("classified, per mirrored folder")
            << true << QStringList{"A/IMG_1.CR2", "B/IMG_1.CR2"}
            << QStringList{"x/IMG_1.jpg", "y/IMG_1-2.jpg", "IMG_1-3.jpg"}
            << QStringList{"IMG_1 (2).CR2=B/IMG_1.CR2",   "IMG_1.CR2=A/IMG_1.CR2",
                           "x/IMG_1 (2).CR2=B/IMG_1.CR2", "x/IMG_1.CR2=A/IMG_1.CR2",
                           "y/IMG_1 (2).CR2=B/IMG_1.CR2", "y/IMG_1.CR2=A/IMG_1.CR2"}
            << QString();
    // A companion follows its original's new name.
    QTest::newRow("companions of a renamed original")
            << false
            << QStringList{"A/IMG_0012.CR2", "A/IMG_0012.CR2.xmp", "B/IMG_0012.CR2",
                           "B/IMG_0012.CR2.xmp"}
            << QStringList{"IMG_0012.jpg"}
            << QStringList{"IMG_0012 (2).CR2.xmp=B/IMG_0012.CR2.xmp",
                           "IMG_0012 (2).CR2=B/IMG_0012.CR2", "IMG_0012.CR2.xmp=A/IMG_0012.CR2.xmp",
                           "IMG_0012.CR2=A/IMG_0012.CR2"}
            << "companions";
}

void tst_selectionjob::sameNameOtherOriginal()
{
    QFETCH(bool, classified);
    QFETCH(QStringList, originals);
    QFETCH(QStringList, picks);
    QFETCH(QStringList, copied);
    QFETCH(QString, rules);
    for (const QString &name : originals)
        QVERIFY(writeFile(big(name), name.toUtf8()));
    for (const QString &name : picks)
        QVERIFY(writeFile(small(name), "pick"));

    SelectionJob::Settings config = settings(classified);
    config.rules = rulesFrom(rules);
    JobRun run(config);
    QVERIFY2(run.run(), "the job did not end");

    QCOMPARE(filesBelow(out()), copied);
    QCOMPARE(run.copies.size(), copied.size());
    QCOMPARE(run.job->summary().copied, run.job->summary().matched);
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

void tst_selectionjob::rerun_data()
{
    QTest::addColumn<bool>("classified");
    QTest::addColumn<bool>("exFat");
    QTest::addColumn<bool>("edited"); // out/a.CR2 changed between the runs
    for (const bool exFat : {false, true}) {
        const QByteArray disk = exFat ? "exFAT, " : "";
        QTest::newRow((disk + "combined, untouched").constData()) << false << exFat << false;
        QTest::newRow((disk + "combined, a copy edited").constData()) << false << exFat << true;
        QTest::newRow((disk + "classified, a copy edited").constData()) << true << exFat << true;
    }
}

// A second run after a pick was added: what is there already is skipped, the new pick's
// original is copied, and a copy edited meanwhile is moved aside before it is replaced.
void tst_selectionjob::rerun()
{
    QFETCH(bool, classified);
    QFETCH(bool, exFat);
    QFETCH(bool, edited);
    std::unique_ptr<ScratchMount> disk;
    SelectionJob::Settings setup = settings(classified);
    if (exFat) {
        disk.reset(new ScratchMount(ScratchMount::ExFat, 32));
        SKIP_WITHOUT_MOUNT(*disk);
        setup.outputPath = disk->path() + QStringLiteral("/out");
        QVERIFY(QDir().mkpath(setup.outputPath));
    }
    QVERIFY(writeFile(small("a.jpg"), "pick"));
    QVERIFY(writeFile(small("sub/b.jpg"), "pick"));
    for (const char *name : {"a.CR2", "b.CR2", "c.CR2"}) {
        QVERIFY(writeFile(big(name), QByteArray(100000, name[0])));
        QFile file(big(name)); // a time with milliseconds, which FAT and exFAT do not keep
        QVERIFY(file.open(QIODevice::ReadWrite)
                && file.setFileTime(QDateTime::fromMSecsSinceEpoch(1400000001234),
                                    QFileDevice::FileModificationTime));
    }
    QVERIFY2(JobRun(setup).run(), "the first run did not end");
    const QString a = setup.outputPath + QStringLiteral("/a.CR2");
    const QString b = setup.outputPath + (classified ? "/sub/b.CR2" : "/b.CR2");
    const QByteArray bIdentity = fileIdentity(b);
    QVERIFY(!bIdentity.isEmpty());
    if (edited)
        QVERIFY(writeFile(a, "retouched"));
    QVERIFY(writeFile(small("c.jpg"), "pick"));

    JobRun second(setup);
    QVERIFY2(second.run(), "the second run did not end");
    QCOMPARE(second.outcome, int(SelectionJob::Completed));
    QCOMPARE(fileIdentity(b), bIdentity); // not written again
    QStringList expected{"a.CR2=size 100000", "c.CR2=size 100000",
                         classified ? "sub/b.CR2=size 100000" : "b.CR2=size 100000"};
    expected.sort();
    QStringList written;
    for (const QString &file : filesBelow(setup.outputPath)) {
        const QString name = file.section(QLatin1Char('='), 0, 0);
        const QByteArray content = fileContent(setup.outputPath + QLatin1Char('/') + name);
        written.append(name + QStringLiteral("=size %1").arg(content.size()));
        QVERIFY2(content == fileContent(big(QFileInfo(name).fileName())), qPrintable(name));
    }
    QCOMPARE(written, expected);
    QStringList outcomes;
    for (const RunEntry &entry : second.job->runEntries()) {
        outcomes.append(QFileInfo(entry.target).fileName() + QLatin1Char(' ')
                        + QLatin1String(RunEntry::outcomeName(entry.outcome)));
        if (entry.outcome == RunEntry::Replaced) {
            QVERIFY2(!entry.detail.isEmpty(), "a replaced file says where the old one went");
#ifdef Q_OS_WIN
            // Wine's recycle bin gives back no path that can be read again; Windows' does.
            if (!QFileInfo::exists(entry.detail))
                continue;
#endif
            QCOMPARE(fileContent(entry.detail), QByteArray("retouched"));
        }
    }
    QCOMPARE(outcomes, QStringList({edited ? "a.CR2 replaced" : "a.CR2 skipped", "c.CR2 copied",
                                    "b.CR2 skipped"}));
    const SelectionJob::Summary summary = second.job->summary();
    QCOMPARE(QList<int>({summary.copied, summary.skipped, summary.replaced}),
             QList<int>({3, edited ? 1 : 2, edited ? 1 : 0}));
}

void tst_selectionjob::notEnoughSpace_data()
{
    QTest::addColumn<bool>("classified");
    QTest::addColumn<QStringList>("before"); // picks of a first run
    QTest::addColumn<QStringList>("picks");  // of the run looked at
    QTest::addColumn<bool>("fits");
    QTest::addColumn<QStringList>("copied");

    const QStringList abc{"a.jpg", "b.jpg", "sub/c.jpg"};
    QTest::newRow("three of 3 MiB on 8 MiB")
            << false << QStringList() << abc << false << QStringList();
    QTest::newRow("classified, three of 3 MiB on 8 MiB")
            << true << QStringList() << abc << false << QStringList();
    QTest::newRow("two of 3 MiB on 8 MiB")
            << false << QStringList() << QStringList{"a.jpg", "b.jpg"} << true
            << QStringList{"a.CR2=size", "b.CR2=size"};
    // 3 MiB there, 3 MiB to write, 5 MiB free: what is there already takes no more room.
    QTest::newRow("a re-run with one new")
            << false << QStringList{"a.jpg"} << QStringList{"a.jpg", "b.jpg"} << true
            << QStringList{"a.CR2=size", "b.CR2=size"};
    QTest::newRow("a re-run with two new")
            << false << QStringList{"a.jpg"} << abc << false << QStringList{"a.CR2=size"};
}

// Before the first copy the run compares what it still has to write with the output volume's
// free space; when that is short, it copies nothing and says how much is needed and free.
void tst_selectionjob::notEnoughSpace()
{
    QFETCH(bool, classified);
    QFETCH(QStringList, before);
    QFETCH(QStringList, picks);
    QFETCH(bool, fits);
    QFETCH(QStringList, copied);
    ScratchMount disk(ScratchMount::Tmpfs, 8);
    SKIP_WITHOUT_MOUNT(disk);
    SelectionJob::Settings setup = settings(classified);
    setup.outputPath = disk.path();
    for (const char *name : {"a.CR2", "b.CR2", "c.CR2"})
        QVERIFY(writeFile(big(name), QByteArray(3 << 20, name[0])));
    for (const QString &pick : before)
        QVERIFY(writeFile(small(pick), "pick"));
    QVERIFY2(JobRun(setup).run(), "the first run did not end");
    for (const QString &pick : picks)
        QVERIFY(writeFile(small(pick), "pick"));

    JobRun run(setup);
    QVERIFY2(run.run(), "the job did not end");
    QCOMPARE(run.outcome, int(fits ? SelectionJob::Completed : SelectionJob::NotEnoughSpace));
    QStringList written = filesBelow(disk.path());
    for (QString &file : written)
        file = file.section(QLatin1Char('='), 0, 0) + QStringLiteral("=size");
    QCOMPARE(written, copied);
    if (!fits) {
        QCOMPARE(run.space.size(), 2);
        QCOMPARE(run.space.at(0), qint64(picks.size() - before.size()) * (3 << 20));
        QVERIFY2(run.space.at(1) < run.space.at(0) && run.space.at(1) > 0,
                 qPrintable(QString::number(run.space.at(1))));
    }
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

// 80 originals of 50,000 bytes copied at 1,000,000 bytes a second: four seconds. Halfway through,
// the time left must be within a fifth of what is really left.
void tst_selectionjob::timeLeftOnThrottledCopy()
{
    const int files = 80;
    const QByteArray raw(50000, 'r');
    for (int i = 0; i < files; ++i) {
        QVERIFY(writeFile(small(QStringLiteral("IMG_%1.jpg").arg(i, 3, 10, QLatin1Char('0'))),
                          "pick"));
        QVERIFY(writeFile(big(QStringLiteral("IMG_%1.CR2").arg(i, 3, 10, QLatin1Char('0'))), raw));
    }
    SelectionJob::Settings paced = settings();
    paced.bytesPerSecond = 1000000;
    JobRun run(paced);
    QList<SelectionJob::CopyProgress> reports;
    QElapsedTimer clock;
    qint64 halfwayAt = -1;
    qint64 halfwayEstimate = -1;
    QObject::connect(run.job, &SelectionJob::copyProgressed, &run.context,
                     [&](const SelectionJob::CopyProgress &progress) {
                         if (reports.isEmpty())
                             clock.start();
                         reports.append(progress);
                         if (halfwayAt < 0 && progress.bytesDone * 2 >= progress.bytesTotal) {
                             halfwayAt = clock.elapsed();
                             halfwayEstimate = progress.msecsLeft;
                         }
                     });
    QVERIFY2(run.run(), "the job did not end");
    const qint64 rest = clock.elapsed() - halfwayAt;

    QCOMPARE(run.outcome, int(SelectionJob::Completed));
    QVERIFY(reports.size() > 2);
    QCOMPARE(reports.constFirst().msecsLeft, qint64(-1)); // "cannot tell yet" at the start
    QVERIFY2(reports.constFirst().file.startsWith(big("IMG_")), qPrintable(reports.first().file));
    QCOMPARE(reports.constLast().bytesDone, qint64(files) * raw.size());
    QCOMPARE(reports.constLast().bytesTotal, qint64(files) * raw.size());
    QCOMPARE(reports.constLast().msecsLeft, qint64(0));
    QVERIFY(reports.constLast().file.isEmpty());
    QVERIFY2(halfwayEstimate >= rest * 0.8 && halfwayEstimate <= rest * 1.2,
             qPrintable(QStringLiteral("halfway the estimate was %1 ms, the rest took %2 ms")
                                .arg(halfwayEstimate)
                                .arg(rest)));
}

void tst_selectionjob::recordAsQtWritesIt_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("outcome");
    QTest::addColumn<bool>("pending");
    QTest::addColumn<QString>("detail");

    const QChar lone[] = {QChar(0xd800), QLatin1Char('x'), QChar(0xdc00)};
    QTest::newRow("plain") << "IMG_0001.CR2" << int(RunEntry::Copied) << false << QString();
    QTest::newRow("escapes") << "a\"b\\c\td\ne\x01\x1f\x7f.CR2" << int(RunEntry::Failed) << false
                             << "size differs:\r\b\f";
    QTest::newRow("wide characters")
            << QStringLiteral("婚礼 é 🎉.CR2") << int(RunEntry::Replaced) << false << "回收站/x";
    QTest::newRow("lone surrogates") << QString(lone, 3) << int(RunEntry::Renamed) << false
                                     << QString();
    QTest::newRow("not done") << "IMG_2.NEF" << int(RunEntry::Skipped) << true << "copied before";
}

// The record's entry list is written by hand for speed: it must read as the document would.
void tst_selectionjob::recordAsQtWritesIt()
{
    QFETCH(QString, name);
    QFETCH(int, outcome);
    QFETCH(bool, pending);
    QFETCH(QString, detail);

    RunRecord record;
    record.outcome = QStringLiteral("completed");
    record.notes.insert(QStringLiteral("removedTemporaries"), QJsonArray{name});
    QJsonObject reference;
    QJsonArray referenceEntries;
    for (int k = 0; k < 3; ++k) {
        RunEntry entry;
        entry.target = QStringLiteral("/out/%1/").arg(k) + name;
        entry.outcome = RunEntry::Outcome(outcome);
        entry.pending = pending;
        entry.renamed = entry.outcome == RunEntry::Renamed;
        entry.detail = detail;
        entry.bytes = qint64(k) << 40;
        record.entries.append({name, QStringLiteral("/big/") + name, entry});
        QJsonObject object{{"pick", name},
                           {"original", QStringLiteral("/big/") + name},
                           {"target", entry.target},
                           {"outcome", QLatin1String(pending ? "not done"
                                                             : RunEntry::outcomeName(entry.outcome))},
                           {"bytes", double(entry.bytes)}};
        if (entry.renamed)
            object.insert("renamed", true);
        if (!detail.isEmpty() && !pending)
            object.insert(entry.outcome == RunEntry::Replaced ? "movedTo" : "reason", detail);
        referenceEntries.append(object);
    }
    for (const bool empty : {false, true}) {
        if (empty) {
            record.entries.clear();
            referenceEntries = QJsonArray();
        }
        const QByteArray written = record.toJson();
        QJsonObject expected = QJsonDocument::fromJson(written).object();
        QVERIFY2(expected.contains("entries"), written.left(300).constData());
        expected.insert("entries", referenceEntries);
        QCOMPARE(written, QJsonDocument(expected).toJson(QJsonDocument::Indented));
    }
}

// A large record goes to the disk a piece at a time: all of it, or, when a piece cannot be
// written, none of it, the record there before left as it was.
void tst_selectionjob::recordInPieces()
{
    if (!FileSizeLimit::isSupported())
        QSKIP("Needs a file-size limit (RLIMIT_FSIZE)");
    QTemporaryDir folder;
    RunRecord record;
    record.outcome = QStringLiteral("completed");
    for (int k = 0; k < 8000; ++k) {
        RunEntry entry;
        entry.target = QStringLiteral("/out/婚礼 IMG_%1.CR2").arg(k);
        const QString name = QStringLiteral("IMG_%1.CR2").arg(k);
        record.entries.append({QStringLiteral("/small/") + name, QStringLiteral("/big/") + name,
                               entry});
    }
    const QByteArray json = record.toJson();
    QVERIFY2(json.size() > 1500 * 1024, QByteArray::number(json.size()).constData());
    const QString path = folder.filePath(QStringLiteral("record.json"));
    QString error;
    QVERIFY2(record.write(path, &error), qPrintable(error));
    QCOMPARE(fileContent(path), json);

    record.outcome = QStringLiteral("stopped");
    {
        const FileSizeLimit limit(json.size() / 2);
        QVERIFY(!record.write(path, &error));
    }
    QVERIFY2(error.endsWith(QLatin1String(" bytes")), qPrintable(error));
    QCOMPARE(fileContent(path), json);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

QTEST_MAIN(tst_selectionjob)
#include "tst_selectionjob.moc"
