// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/selection/filecopier.h"
#include "core/selection/selectionjob.h"
#include "tests/coretestsupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QSignalSpy>
#include <QtTest>

#include <memory>

#ifdef Q_OS_LINUX
#include <csignal>
#include <unistd.h>
#endif

namespace {

struct Ran
{
    int code = -1;
    QByteArray out;
    QString err;
};

QString program()
{
#ifdef Q_OS_WIN
    return qEnvironmentVariable("ZANORA_BINARY_DIR") + QStringLiteral("/zanora.exe");
#else
    return qEnvironmentVariable("ZANORA_BINARY_DIR") + QStringLiteral("/zanora");
#endif
}

// Runs the real program without any display, input given on its standard input.
Ran zanora(const QStringList &arguments, const QByteArray &input = QByteArray())
{
    QProcess process;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(name));
    environment.insert(QStringLiteral("ZANORA_LANG"), QStringLiteral("en")); // the texts checked
    process.setProcessEnvironment(environment);
    process.start(program(), arguments);
    process.write(input);
    process.closeWriteChannel();
    Ran ran;
    if (process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit)
        ran = {process.exitCode(), process.readAllStandardOutput(),
               QString::fromLocal8Bit(process.readAllStandardError())};
#ifdef Q_OS_WIN
    ran.out.replace("\r\n", "\n"); // text goes out with Windows line ends there
#endif
    return ran;
}

#ifdef Q_OS_LINUX
// Whether the process holds a file open below the folder: a copy is under way there.
bool holdsFileIn(pid_t pid, const QString &folder)
{
    const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
    for (const QString &fd : fds.entryList(QDir::AllEntries | QDir::System)) {
        if (QFile::symLinkTarget(fds.filePath(fd)).startsWith(folder + QLatin1Char('/')))
            return true;
    }
    return false;
}
#endif

} // namespace

class tst_commandline : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void sameFilesAsRunObject_data();
    void sameFilesAsRunObject();
    void exitCodes_data();
    void exitCodes();
    void rerunRecord_data();
    void rerunRecord();
    void notEnoughSpace();
    void interrupted();
    void killed_data();
    void killed();
    void rules_data();
    void rules();
    void list_data();
    void list();

private:
    QString path(const char *name) const { return root->filePath(QLatin1String(name)); }
    QString small() const { return path("small"); }
    QString big() const { return path("big"); }
    QString out() const { return path("out"); }

    std::unique_ptr<QTemporaryDir> root;
    QTemporaryDir dataHome;
};

void tst_commandline::initTestCase()
{
    // Replaced files go to the trash: this test's own, not the user's.
    QVERIFY(dataHome.isValid());
    qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome.path()));
}

// Picks renamed as people do, a case that does not match, raws with JPEGs and sidecars, one
// name in two folders of the originals, and picks without any original. Each original holds
// its own path.
void tst_commandline::init()
{
    root.reset(new QTemporaryDir);
    QVERIFY(root->isValid());
    QVERIFY(makeTree(small(), {"album/ceremony/", "IMG_0001.jpg", "album/IMG_0001-edit.jpg",
                               "album/ceremony/IMG_1.JPG", "IMG_10.png", "day.2-print.jpg",
                               "img_0002.jpg", "nothing.jpeg", "notes.txt"}));
    for (const char *original :
         {"2019/IMG_0001.CR2", "2019/IMG_0001.JPG", "2019/IMG_0001.xmp", "A/IMG_1.jpg",
          "B/IMG_1.jpg", "IMG_10.NEF", "IMG_0002.CR2", "day.2.jpg", "2019/IMG_0001.CR2.pp3"})
        QVERIFY(writeFile(big() + QLatin1Char('/') + QLatin1String(original), original));
}

void tst_commandline::sameFilesAsRunObject_data()
{
    QTest::addColumn<bool>("classified");
    QTest::newRow("combined") << false;
    QTest::newRow("classified") << true;
}

// The command line gives the files the run object gives; its dry run writes nothing and plans
// exactly what the real run writes; its report counts what was written.
void tst_commandline::sameFilesAsRunObject()
{
    QFETCH(bool, classified);
    QStringList arguments = {"--small", small(), "--big", big(), "--out"};
    if (classified)
        arguments.prepend(QStringLiteral("--classified"));
    const Ran plan = zanora(QStringList(arguments) << path("planned") << "--dry-run");
    QCOMPARE(plan.code, 0);
    QVERIFY2(!QFileInfo::exists(path("planned")), "a dry run created the output folder");
    const Ran run = zanora(QStringList(arguments) << out() << "--json"
                                                  << "--missing-list" << path("missing.txt"));
    QCOMPARE(run.code, 0);
    const QStringList written = filesBelow(out());

    SelectionJob::Settings settings{small(), big(), path("job"), classified};
    QDir().mkpath(settings.outputPath);
    SelectionJob job(settings);
    connect(&job, &SelectionJob::missingFound, &job, [&job] { job.decide(true); });
    QSignalSpy finished(&job, &SelectionJob::finished);
    job.start();
    QVERIFY(finished.count() || finished.wait(30000));
    QCOMPARE(written, filesBelow(settings.outputPath));
    QVERIFY(written.contains(classified ? "album/IMG_0001.xmp=2019/IMG_0001.xmp"
                                        : "IMG_1 (2).jpg=B/IMG_1.jpg"));

    // The plan: source<TAB>target<TAB>outcome, each copy once.
    const QList<QByteArray> lines = plan.out.trimmed().split('\n');
    QMap<QString, QString> last;
    for (const QByteArray &line : lines) {
        const QList<QByteArray> fields = line.split('\t');
        QCOMPARE(fields.size(), 3);
        QCOMPARE(fields.at(2), fields.at(1).contains(" (2).") ? "rename" : "copy");
        last.insert(QDir(path("planned")).relativeFilePath(QFile::decodeName(fields.at(1))),
                    QString::fromUtf8(fileContent(QFile::decodeName(fields.at(0)))));
    }
    QStringList planned;
    for (auto it = last.cbegin(); it != last.cend(); ++it)
        planned.append(it.key() + QLatin1Char('=') + it.value());
    QCOMPARE(written, planned);

    const QStringList missing = {small() + "/img_0002.jpg", small() + "/nothing.jpeg"};
    for (const QString &pick : missing)
        QVERIFY2(run.err.contains("no original for " + pick), qPrintable(run.err));
    QCOMPARE(QString::fromUtf8(fileContent(path("missing.txt"))), missing.join('\n') + '\n');
    const QJsonObject report = QJsonDocument::fromJson(run.out).object();
    QCOMPARE(report.value("missingPaths").toVariant().toStringList(), missing);
    QStringList counts;
    for (const char *key : {"picks", "candidates", "matched", "copied", "failed", "missing"})
        counts.append(key + QStringLiteral("=%1").arg(report.value(key).toInt()));
    QCOMPARE(counts, QStringList({"picks=7", "candidates=9", "matched=12", "copied=12", "failed=0",
                                  "missing=2"}));
}

void tst_commandline::exitCodes_data()
{
    QTest::addColumn<QString>("arguments");      // %S, %B, %O: the folders; %R: the test's folder
    QTest::addColumn<QString>("folderInTheWay"); // made in the output folder first
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("says");

    const QString run = QStringLiteral("--small %S --big %B --out %O --json");
    QTest::newRow("done") << run << "" << 0 << "12 matched, 12 copied, 0 failed, 2 missing";
    QTest::newRow("folder in the way")
            << run << "IMG_10.NEF" << 1 << "copy failed: %B/IMG_10.NEF -> %O/IMG_10.NEF: ";
    QTest::newRow("stop if missing") << run + " --stop-if-missing"
                                     << "" << 3 << "2 missing; nothing copied (--stop-if-missing)";
    QTest::newRow("unknown option") << run + " --colour"
                                    << "" << 2 << "Unknown option 'colour'";
    QTest::newRow("missing value") << "--small %S --big %B --out"
                                   << "" << 2 << "Missing value after '--out'";
    QTest::newRow("no output folder") << "--small %S --big %B"
                                      << "" << 2 << "--out is required";
    QTest::newRow("small missing") << "--small %R/none --big %B --out %O"
                                   << "" << 2 << "--small '%R/none': no such folder";
    QTest::newRow("out a file") << "--small %S --big %B --out=%S/notes.txt"
                                << "" << 2 << "--out '%S/notes.txt' is not a folder";
}

void tst_commandline::exitCodes()
{
    QFETCH(QString, arguments);
    QFETCH(QString, folderInTheWay);
    QFETCH(int, code);
    QFETCH(QString, says);
    const auto expand = [this](QString text) {
        return text.replace("%S", small())
                .replace("%B", big())
                .replace("%O", out())
                .replace("%R", root->path());
    };
    if (!folderInTheWay.isEmpty())
        QVERIFY(QDir(out()).mkpath(folderInTheWay));

    const Ran ran = zanora(expand(arguments).split(' '));
    QVERIFY2(ran.err.contains(expand(says)), qPrintable(ran.err));
    QCOMPARE(ran.code, code);
    if (code == 2) {
        QVERIFY2(!QFileInfo::exists(out()), "the output folder was made despite the error");
        QCOMPARE(ran.out, QByteArray());
        return;
    }
    // Twelve entries, two of them originals of one name, the second copied as "IMG_1 (2).jpg".
    const QJsonObject report = QJsonDocument::fromJson(ran.out).object();
    QCOMPARE(filesBelow(out()).size(), code == 3 ? 0 : 7 - code);
    QCOMPARE(report.value("copied").toInt(), code == 3 ? 0 : 12 - code);
    QCOMPARE(report.value("failures").toArray().size(), code == 1 ? 1 : 0);
    QCOMPARE(report.value("outcome").toString(), code == 3 ? "stopped" : "completed");
}

void tst_commandline::rerunRecord_data()
{
    QTest::addColumn<bool>("classified");
    QTest::newRow("combined") << false;
    QTest::newRow("classified") << true;
}

// Two runs with --report and --json, a copy edited and a pick added in between: the second run's
// plan, report and record say what became of every entry, and the output holds what they say.
void tst_commandline::rerunRecord()
{
    QFETCH(bool, classified);
    QVERIFY(writeFile(small() + "/phone.heic", "pick"));
    QStringList arguments = {"--small", small(), "--big", big(), "--out", out(), "--json"};
    if (classified)
        arguments.prepend(QStringLiteral("--classified"));
    const Ran first = zanora(QStringList(arguments) << "--report" << path("first.json"));
    QCOMPARE(first.code, 0);
    const QJsonObject report = QJsonDocument::fromJson(first.out).object();
    QCOMPARE(report.value("record").toString(), path("first.json"));
    QCOMPARE(report.value("ignored").toArray(),
             QJsonArray({QJsonObject{{"path", small() + "/phone.heic"},
                                     {"reason", "picture format not taken: .heic"}}}));
    const QString renamedTarget = out() + (classified ? "/album/IMG_1 (2).jpg" : "/IMG_1 (2).jpg");
    if (!classified) {
        QCOMPARE(report.value("renamed").toArray(),
                 QJsonArray({QJsonObject{{"source", big() + "/B/IMG_1.jpg"},
                                         {"target", renamedTarget}}}));
    }
    const QString edited = out() + "/IMG_10.NEF";
    QVERIFY(writeFile(edited, "retouched"));
    // Not IMG_0002.jpg: where names ignore case that would only rewrite img_0002.jpg.
    QVERIFY(writeFile(small() + "/IMG_0002_new.jpg", "a new pick"));

    const Ran plan = zanora(QStringList(arguments) << "--dry-run");
    QVERIFY2(plan.out.contains(QFile::encodeName(big() + "/IMG_10.NEF\t" + edited + "\treplace\n")),
             plan.out.constData());
    QVERIFY2(plan.out.contains(QFile::encodeName(big() + "/IMG_0002.CR2\t" + out()
                                                 + "/IMG_0002.CR2\tcopy\n")),
             plan.out.constData());
    const Ran second = zanora(QStringList(arguments) << "--report" << path("second.json"));
    QCOMPARE(second.code, 0);
    const QJsonObject again = QJsonDocument::fromJson(second.out).object();
    QCOMPARE(again.value("replaced").toInt(), 1);
    QCOMPARE(again.value("skipped").toInt(), 11);

    const QJsonObject record = QJsonDocument::fromJson(fileContent(path("second.json"))).object();
    QCOMPARE(record.value("rules").toObject().value("mode").toString(),
             classified ? "classified" : "combined");
    QCOMPARE(record.value("folders").toObject().value("output").toString(), out());
    QStringList outcomes;
    for (const QJsonValue &value : record.value("entries").toArray()) {
        const QJsonObject entry = value.toObject();
        const QString target = entry.value("target").toString();
        outcomes.append(QFileInfo(target).fileName() + ' ' + entry.value("outcome").toString());
        QCOMPARE(fileContent(target), fileContent(entry.value("original").toString()));
        QCOMPARE(entry.value("bytes").toInt(), fileContent(target).size());
        QVERIFY2(QFileInfo(entry.value("pick").toString()).isFile(), qPrintable(target));
        if (entry.value("outcome") == "replaced") {
            const QString movedTo = entry.value("movedTo").toString();
            QVERIFY2(!movedTo.isEmpty(), "a replaced file says where the old one went");
#ifdef Q_OS_WIN
            // Wine's recycle bin gives back no path that can be read again; Windows' does.
            if (!QFileInfo::exists(movedTo))
                continue;
#endif
            QCOMPARE(fileContent(movedTo), QByteArray("retouched"));
        }
    }
    QCOMPARE(outcomes.filter(" replaced"), QStringList("IMG_10.NEF replaced"));
    QCOMPARE(outcomes.filter(" copied"), QStringList("IMG_0002.CR2 copied"));
    QCOMPARE(outcomes.size(), 13);
    QCOMPARE(record.value("missing").toVariant().toStringList(),
             QStringList({small() + "/img_0002.jpg", small() + "/nothing.jpeg"}));
    QCOMPARE(record.value("ignored").toArray().size(), 1);
}

// An output disk too small for the seven files of the twelve copies (a block each): exit code
// 4, nothing copied.
void tst_commandline::notEnoughSpace()
{
    ScratchMount disk(ScratchMount::Tmpfs, 1);
    SKIP_WITHOUT_MOUNT(disk);
    QVERIFY(writeFile(disk.path() + "/filler", QByteArray((1 << 20) - 16 * 1024, 'f')));
    const Ran ran = zanora({"--small", small(), "--big", big(), "--out", disk.path(), "--json"});
    QCOMPARE(ran.code, 4);
    QVERIFY2(
            ran.err.contains(QStringLiteral("zanora: not enough space on %1: 28672 bytes to write, "
                                            "16384 bytes free; nothing copied")
                                     .arg(disk.path())),
            qPrintable(ran.err));
    QCOMPARE(QDir(disk.path()).entryList(QDir::Files | QDir::Hidden), QStringList("filler"));
    QCOMPARE(QJsonDocument::fromJson(ran.out).object().value("outcome").toString(),
             "not enough space");
}

void tst_commandline::rules_data()
{
    QTest::addColumn<QString>("options");
    QTest::addColumn<QString>("says");
    QTest::addColumn<QString>("reported"); // the report's "rules"

    const QString defaults = R"("pickFormats":["jpg","jpeg","png","JPG","JPEG","PNG"],)"
                             R"("pickFormatsIgnoreCase":false)";
    QTest::newRow("defaults") << ""
                              << "7 picks, 9 candidates, 12 matched, 12 copied, 0 failed, 2 missing"
                              << R"({"companions":false,"ignoreCase":false,)" + defaults
                                         + R"(,"wholeNames":false})";
    QTest::newRow("ignore case") << "--ignore-case"
                                 << "13 matched, 13 copied, 0 failed, 1 missing"
                                 << R"({"companions":false,"ignoreCase":true,)" + defaults
                                            + R"(,"wholeNames":false})";
    QTest::newRow("whole names") << "--whole-names"
                                 << "10 matched, 10 copied, 0 failed, 2 missing"
                                 << R"({"companions":false,"ignoreCase":false,)" + defaults
                                            + R"(,"wholeNames":true})";
    QTest::newRow("pick formats")
            << "--pick-formats .JPG"
            << "5 picks, 9 candidates, 9 matched, 9 copied, 0 failed, 1 "
            << R"({"companions":false,"ignoreCase":false,"pickFormats":["JPG"],)"
               R"("pickFormatsIgnoreCase":true,"wholeNames":false})";
    QTest::newRow("companions") << "--companions"
                                << "14 matched, 14 copied, 0 failed, 2 missing"
                                << R"({"companions":true,"ignoreCase":false,)" + defaults
                                           + R"(,"wholeNames":false})";
    QTest::newRow("bad pick formats") << "--pick-formats tar.gz"
                                      << "--pick-formats 'tar.gz': give suffixes such as heic,tif"
                                      << "";
}

// Each rule from its option, in the summary's counts and in the report.
void tst_commandline::rules()
{
    QFETCH(QString, options);
    QFETCH(QString, says);
    QFETCH(QString, reported);
    QStringList arguments = {"--small", small(), "--big", big(), "--out", out(), "--json"};
    arguments += options.split(' ', Qt::SkipEmptyParts);
    const Ran ran = zanora(arguments << "--report" << path("record.json"));
    QVERIFY2(ran.err.contains(says), qPrintable(ran.err));
    if (reported.isEmpty()) {
        QCOMPARE(ran.code, 2);
        return;
    }
    QCOMPARE(ran.code, 0);
    const QJsonObject rules = QJsonDocument::fromJson(ran.out).object().value("rules").toObject();
    QCOMPARE(QString::fromUtf8(QJsonDocument(rules).toJson(QJsonDocument::Compact)), reported);
    // The record holds the same rules beside the run's mode.
    QJsonObject recorded = QJsonDocument::fromJson(fileContent(path("record.json")))
                                   .object()
                                   .value("rules")
                                   .toObject();
    QCOMPARE(recorded.take("mode").toString(), "combined");
    QCOMPARE(recorded.take("dryRun").toBool(), false);
    QCOMPARE(recorded, rules);
}

// Ctrl+C during a large copy: the copy under way leaves nothing behind, the ones before it stay
// whole, exit code 130.
void tst_commandline::interrupted()
{
#ifndef Q_OS_LINUX
    QSKIP("Watches the copy through /proc and halts the program with SIGSTOP: Linux only");
#else
    const QString picks = path("picks");
    const QString shots = path("shots");
    for (char shot = '1'; shot <= '4'; ++shot) {
        QVERIFY(writeFile(QStringLiteral("%1/shot%2.jpg").arg(picks).arg(shot), "pick"));
        QVERIFY(writeFile(QStringLiteral("%1/shot%2.CR2").arg(shots).arg(shot),
                          QByteArray(64 << 20, shot)));
    }
    QProcess process;
    process.start(program(), {"--small", picks, "--big", shots, "--out", out()});
    QVERIFY(process.waitForStarted());
    const pid_t pid = pid_t(process.processId());

    // A copy is under way while the program holds a file open in the output folder. It is
    // halted while looked at, so that the signal surely comes in the middle of that copy.
    const auto copying = [&] { return holdsFileIn(pid, out()); };
    const auto halted = [&] {
        const QByteArray stat = fileContent(QStringLiteral("/proc/%1/stat").arg(pid));
        return stat.isEmpty() || stat.mid(stat.lastIndexOf(')') + 2, 1) == "T";
    };
    bool sent = false;
    while (!sent && process.state() == QProcess::Running) {
        if (copying() && ::kill(pid, SIGSTOP) == 0) {
            while (!halted()) {
            }
            sent = copying() && ::kill(pid, SIGINT) == 0;
            ::kill(pid, SIGCONT);
        }
        QTest::qWait(1);
    }
    QVERIFY2(sent, "the run ended before a copy could be interrupted");
    QVERIFY(process.waitForFinished(120000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 130);

    const QStringList left = QDir(out()).entryList(QDir::Files | QDir::Hidden | QDir::System);
    QVERIFY2(left.size() < 4, qPrintable(left.join(' ')));
    for (const QString &name : left)
        QVERIFY2(fileContent(out() + '/' + name) == fileContent(shots + '/' + name),
                 qPrintable(name + " is not a whole copy"));
#endif
}

void tst_commandline::killed_data()
{
    QTest::addColumn<bool>("exFat");
    QTest::newRow("a disk with unnamed files") << false;
    QTest::newRow("exFAT, named temporary files") << true;
}

// SIGKILL in the middle of a 64 MiB copy: the output holds whole files only, and at most the
// temporary file of the copy cut short where the disk has no unnamed files. The next run
// removes that, skips what is whole and copies the rest.
void tst_commandline::killed()
{
#ifndef Q_OS_LINUX
    QSKIP("Watches the copy through /proc: Linux only");
#else
    QFETCH(bool, exFat);
    std::unique_ptr<ScratchMount> disk;
    QString output = out();
    if (exFat) {
        disk.reset(new ScratchMount(ScratchMount::ExFat, 200));
        SKIP_WITHOUT_MOUNT(*disk);
        output = disk->path() + QStringLiteral("/out");
    }
    const int count = exFat ? 2 : 4;
    const QString picks = path("picks");
    const QString shots = path("shots");
    for (int shot = 1; shot <= count; ++shot) {
        QVERIFY(writeFile(QStringLiteral("%1/shot%2.jpg").arg(picks).arg(shot), "pick"));
        QVERIFY(writeFile(QStringLiteral("%1/shot%2.CR2").arg(shots).arg(shot),
                          QByteArray(64 << 20, char('0' + shot))));
    }
    const QStringList arguments{"--small", picks, "--big", shots, "--out", output, "--json"};
    QProcess process;
    process.start(program(), arguments);
    QVERIFY(process.waitForStarted());
    const pid_t pid = pid_t(process.processId());
    bool sent = false;
    while (!sent && process.state() == QProcess::Running) {
        sent = holdsFileIn(pid, output) && ::kill(pid, SIGKILL) == 0;
        QTest::qWait(1);
    }
    QVERIFY2(sent, "the run ended before a copy could be cut short");
    QVERIFY(process.waitForFinished(120000));
    QCOMPARE(process.exitStatus(), QProcess::CrashExit);

    int whole = 0;
    QStringList temporaries;
    for (const QString &name : QDir(output).entryList(QDir::Files | QDir::Hidden | QDir::System)) {
        if (FileCopier::isTemporaryName(name)) {
            temporaries.append(name);
            continue;
        }
        QVERIFY2(fileContent(output + '/' + name) == fileContent(shots + '/' + name),
                 qPrintable(name + " is not a whole copy"));
        ++whole;
    }
    QVERIFY2(whole < count, "every copy was made before the kill");
    QCOMPARE(temporaries.size(), exFat ? 1 : 0);

    const Ran next = zanora(arguments);
    QCOMPARE(next.code, 0);
    QCOMPARE(QJsonDocument::fromJson(next.out).object().value("skipped").toInt(), whole);
    const QStringList left = QDir(output).entryList(QDir::Files | QDir::Hidden | QDir::System);
    QCOMPARE(left.size(), count);
    for (const QString &name : left)
        QVERIFY2(fileContent(output + '/' + name) == fileContent(shots + '/' + name),
                 qPrintable(name + " is not a whole copy"));
#endif
}

void tst_commandline::list_data()
{
    QTest::addColumn<QString>("arguments"); // %B, %O, %R as above
    QTest::addColumn<QByteArray>("input");
    QTest::addColumn<int>("code");
    QTest::addColumn<QStringList>("says");
    QTest::addColumn<QStringList>("files"); // when the code is 0

    const QString classified = QStringLiteral("--list - --big %B --out %O --classified --json");
    const QByteArray message = QStringLiteral("精修：10 IMG_0002.jpg\n2 0078 56-").toUtf8();
    const QStringList picked = {"day.2.jpg=day.2.jpg", "IMG_0002.CR2=IMG_0002.CR2",
                                "精修/IMG_0002.CR2=IMG_0002.CR2", "精修/IMG_10.NEF=IMG_10.NEF"};
    QTest::newRow("a message on standard input")
            << classified + " --report %R/record.json --ignore-case --whole-names --companions"
            << message << 0
            << QStringList{"未找到：0078", "not understood: 56- (neither a number",
                           "2 picked originals of several shots: "}
            << picked;
    QTest::newRow("a GBK file") << "--list %R/message.txt --big %B --out %O --classified"
                                << QByteArray() << 0 << QStringList{"4 entries, 9 candidates"}
                                << picked;
    QTest::newRow("an empty message")
            << classified << QByteArray("\n") << 2
            << QStringList{"--list standard input: the message is empty; nothing copied"}
            << QStringList();
    QTest::newRow("a message without an entry")
            << classified << QStringLiteral("老师好，谢谢").toUtf8() << 2
            << QStringList{"no number, range or name in the message; nothing copied"}
            << QStringList();
    QTest::newRow("a range too long")
            << classified << QByteArray("1-999999999") << 2
            << QStringList{"not understood: 1-999999999 (a range of more than 10000 numbers)",
                           "no number, range or name"}
            << QStringList();
    QTest::newRow("binary data") << classified
                                 << QByteArray("\x7F"
                                               "ELF\x02\x01\x01\x00",
                                               8)
                                 << 2 << QStringList{"not text"} << QStringList();
    QTest::newRow("a file of 100 MB") << "--list %R/big.txt --big %B --out %O" << QByteArray() << 2
                                      << QStringList{"larger than 1 MiB"} << QStringList();
    QTest::newRow("both kinds of picks")
            << "--list - --small %B --big %B --out %O" << message << 2
            << QStringList{"--small and --list cannot be given"} << QStringList();
}

// --list reads a message as the picks; a message that picks nothing is refused before anything
// is listed or made.
void tst_commandline::list()
{
    QFETCH(QString, arguments);
    QFETCH(QByteArray, input);
    QFETCH(int, code);
    QFETCH(QStringList, says);
    QFETCH(QStringList, files);
    // The GBK row's message, written in GBK whatever the test's locale.
    static const char gbk[] = "\xBE\xAB\xD0\xDE\xA3\xBA"
                              "10 IMG_0002.jpg\n2 0078 56-";
    QVERIFY(writeFile(path("message.txt"), QByteArray(gbk)));
    QFile sparse(path("big.txt"));
    QVERIFY(sparse.open(QIODevice::WriteOnly) && sparse.resize(100 << 20));
    sparse.close();

    QString expanded = arguments;
    expanded.replace("%B", big()).replace("%O", out()).replace("%R", root->path());
    const Ran ran = zanora(expanded.split(' '), input);
    for (const QString &text : says) {
        // Standard error is in the local code page, which need not hold Chinese (Wine's does not).
        if (QString::fromLocal8Bit(text.toLocal8Bit()) != text)
            continue;
        QVERIFY2(ran.err.contains(text), qPrintable(ran.err));
    }
    QCOMPARE(ran.code, code);
    if (code != 0) {
        QVERIFY2(!QFileInfo::exists(out()), "the output folder was made despite the error");
        return;
    }
    QStringList written = filesBelow(out());
    std::sort(written.begin(), written.end(), [](const QString &a, const QString &b) {
        return a.compare(b, Qt::CaseInsensitive) < 0;
    });
    QCOMPARE(written, files);
    if (!ran.out.isEmpty()) {
        const QJsonObject report = QJsonDocument::fromJson(ran.out).object();
        QCOMPARE(report.value("entries").toInt(), 4);
        QCOMPARE(report.value("missing").toVariant().toStringList(), QStringList{"0078"});
        QCOMPARE(report.value("notUnderstood").toVariant().toStringList(), QStringList{"56-"});
        const QJsonArray ambiguous = report.value("ambiguous").toArray();
        QCOMPARE(ambiguous.size(), 1);
        QStringList stems = ambiguous.at(0).toObject().value("stems").toVariant().toStringList();
        stems.sort();
        QCOMPARE(stems, QStringList({"IMG_0002", "day.2"}));
    }
    if (arguments.contains("--report")) {
        // The record names, for each copy, the entry that took it as the client wrote it.
        const QJsonObject record
                = QJsonDocument::fromJson(fileContent(path("record.json"))).object();
        QStringList taken;
        for (const QJsonValue &value : record.value("entries").toArray()) {
            const QJsonObject entry = value.toObject();
            taken.append(entry.value("pick").toString() + ' '
                         + entry.value("target").toString().mid(out().size() + 1));
        }
        taken.sort();
        QCOMPARE(taken, QStringList({"10 精修/IMG_10.NEF", "2 IMG_0002.CR2", "2 day.2.jpg",
                                     "IMG_0002.jpg 精修/IMG_0002.CR2"}));
        QCOMPARE(record.value("rules").toObject().value("wholeNames").toBool(), true);
    }
}

QTEST_GUILESS_MAIN(tst_commandline)
#include "tst_commandline.moc"
