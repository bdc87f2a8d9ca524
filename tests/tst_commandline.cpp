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

} // namespace

class tst_commandline : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void sameFilesAsRunObject_data();
    void sameFilesAsRunObject();
    void exitCodes_data();
    void exitCodes();
    void interrupted();
    void list_data();
    void list();

private:
    QString path(const char *name) const { return root->filePath(QLatin1String(name)); }
    QString small() const { return path("small"); }
    QString big() const { return path("big"); }
    QString out() const { return path("out"); }

    std::unique_ptr<QTemporaryDir> root;
};

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
          "B/IMG_1.jpg", "IMG_10.NEF", "IMG_0002.CR2", "day.2.jpg"})
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
                                        : "IMG_1.jpg=B/IMG_1.jpg"));

    // The plan: source<TAB>target, a later copy to a target replacing an earlier one.
    const QList<QByteArray> lines = plan.out.trimmed().split('\n');
    QMap<QString, QString> last;
    for (const QByteArray &line : lines) {
        const QList<QByteArray> fields = line.split('\t');
        QCOMPARE(fields.size(), 2);
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
    const QString entries = QString::number(lines.size());
    QCOMPARE(counts, QStringList({"picks=7", "candidates=8", "matched=" + entries,
                                  "copied=" + entries, "failed=0", "missing=2"}));
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
    // Twelve entries, two of them originals of one name that land on one file.
    const QJsonObject report = QJsonDocument::fromJson(ran.out).object();
    QCOMPARE(filesBelow(out()).size(), code == 3 ? 0 : 6 - code);
    QCOMPARE(report.value("copied").toInt(), code == 3 ? 0 : 12 - code);
    QCOMPARE(report.value("failures").toArray().size(), code == 1 ? 1 : 0);
    QCOMPARE(report.value("outcome").toString(), code == 3 ? "stopped" : "completed");
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
    const auto copying = [&] {
        const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
        for (const QString &fd : fds.entryList(QDir::AllEntries | QDir::System)) {
            if (QFile::symLinkTarget(fds.filePath(fd)).startsWith(out() + QLatin1Char('/')))
                return true;
        }
        return false;
    };
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
            << classified << message << 0
            << QStringList{"未找到：0078", "not understood: 56- (neither a number",
                           "2 picked originals of several shots: "}
            << picked;
    QTest::newRow("a GBK file") << "--list %R/message.txt --big %B --out %O --classified"
                                << QByteArray() << 0 << QStringList{"4 entries, 8 candidates"}
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
    for (const QString &text : says)
        QVERIFY2(ran.err.contains(text), qPrintable(ran.err));
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
}

QTEST_GUILESS_MAIN(tst_commandline)
#include "tst_commandline.moc"
