#include "filecopier.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray pattern(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 251) & 0xff);
    return bytes;
}

bool writeFile(const QString &path, const QByteArray &content)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
           && file.write(content) == content.size();
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// An old, odd modification time, so that a copy that does not keep it shows.
bool setOldTime(const QString &path)
{
    const struct timespec times[2] = {{1500000000, 123456789}, {1400000000, 987654321}};
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}

struct timespec modified(const QString &path)
{
    struct stat info = {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return info.st_mtim;
}

// Every entry below root, hidden ones included, so that left-over temporary files show.
QStringList entriesBelow(const QString &root)
{
    QStringList result;
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        result.append(QDir(root).relativeFilePath(it.next()));
    result.sort();
    return result;
}

// Limits the size of files this process may write, for the lifetime of the object.
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        ::getrlimit(RLIMIT_FSIZE, &previous);
        previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        struct rlimit limit = previous;
        limit.rlim_cur = bytes;
        ::setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        ::setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, previousHandler);
    }

private:
    struct rlimit previous;
    void (*previousHandler)(int);
};

// Each case runs with unnamed files and with named temporaries.
QTestData &newRow(const char *tag, bool unnamedFiles)
{
    return QTest::addRow("%s, %s", tag, unnamedFiles ? "unnamed" : "named temporary")
           << unnamedFiles;
}

} // namespace

class tst_filecopier : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void copies_data();
    void copies();
    void replacesExistingTarget_data();
    void replacesExistingTarget();
    void replacesLinkNotItsTarget_data();
    void replacesLinkNotItsTarget();
    void sameFile_data();
    void sameFile();
    void failures_data();
    void failures();

private:
    QScopedPointer<QTemporaryDir> dir;
    QString src;
    QString dst;
};

void tst_filecopier::init()
{
    dir.reset(new QTemporaryDir);
    QVERIFY(dir->isValid());
    src = dir->filePath(QStringLiteral("src"));
    dst = dir->filePath(QStringLiteral("dst"));
    QVERIFY(QDir().mkpath(src));
    QVERIFY(QDir().mkpath(dst));
}

void tst_filecopier::copies_data()
{
    QTest::addColumn<bool>("unnamedFiles");
    QTest::addColumn<int>("size");
    for (const bool unnamed : {true, false}) {
        newRow("empty", unnamed) << 0;
        newRow("one byte", unnamed) << 1;
        newRow("just over a buffer", unnamed) << 128 * 1024 + 1;
        newRow("several megabytes", unnamed) << 3 * 1024 * 1024 + 5;
    }
}

void tst_filecopier::copies()
{
    QFETCH(bool, unnamedFiles);
    QFETCH(int, size);
    const QString source = src + QStringLiteral("/IMG_0001.CR2");
    const QByteArray content = pattern(size);
    QVERIFY(writeFile(source, content));
    QVERIFY(QFile::setPermissions(source, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    QVERIFY(setOldTime(source));

    FileCopier copier(unnamedFiles);
    const QString target = dst + QStringLiteral("/IMG_0001.CR2");
    QCOMPARE(copier.copy(source, target), FileCopier::Copied);
    QVERIFY(copier.flush());

    QCOMPARE(readFile(target), content);
    QCOMPARE(modified(target).tv_sec, modified(source).tv_sec);
    QCOMPARE(modified(target).tv_nsec, modified(source).tv_nsec);
    QCOMPARE(QFile::permissions(target), QFile::permissions(source));
    QCOMPARE(entriesBelow(dst), QStringList{"IMG_0001.CR2"});
    QCOMPARE(readFile(source), content);
}

void tst_filecopier::replacesExistingTarget_data()
{
    QTest::addColumn<bool>("unnamedFiles");
    newRow("replaced", true);
    newRow("replaced", false);
}

void tst_filecopier::replacesExistingTarget()
{
    QFETCH(bool, unnamedFiles);
    const QString source = src + QStringLiteral("/a.jpg");
    const QString target = dst + QStringLiteral("/a.jpg");
    QVERIFY(writeFile(source, "new"));
    QVERIFY(writeFile(target, "an older and longer file"));

    FileCopier copier(unnamedFiles);
    QCOMPARE(copier.copy(source, target), FileCopier::Copied);
    QCOMPARE(readFile(target), QByteArray("new"));
    QCOMPARE(entriesBelow(dst), QStringList{"a.jpg"});
}

void tst_filecopier::replacesLinkNotItsTarget_data()
{
    replacesExistingTarget_data();
}

void tst_filecopier::replacesLinkNotItsTarget()
{
    QFETCH(bool, unnamedFiles);
    // A link standing at the target is replaced by the copy; what it pointed at stays.
    const QString source = src + QStringLiteral("/a.jpg");
    const QString elsewhere = dir->filePath(QStringLiteral("elsewhere.jpg"));
    const QString target = dst + QStringLiteral("/a.jpg");
    QVERIFY(writeFile(source, "copy me"));
    QVERIFY(writeFile(elsewhere, "leave me"));
    QVERIFY(QFile::link(elsewhere, target));

    FileCopier copier(unnamedFiles);
    QCOMPARE(copier.copy(source, target), FileCopier::Copied);
    QVERIFY(!QFileInfo(target).isSymLink());
    QCOMPARE(readFile(target), QByteArray("copy me"));
    QCOMPARE(readFile(elsewhere), QByteArray("leave me"));
}

void tst_filecopier::sameFile_data()
{
    QTest::addColumn<bool>("unnamedFiles");
    QTest::addColumn<QString>("arrangement");
    for (const bool unnamed : {true, false}) {
        newRow("target is the source", unnamed) << "same path";
        newRow("target is a link to the source", unnamed) << "link at target";
        newRow("target folder is a link to the source folder", unnamed) << "linked folder";
        newRow("target is a hard link of the source", unnamed) << "hard link";
        newRow("source is a link to the target", unnamed) << "link at source";
    }
}

void tst_filecopier::sameFile()
{
    QFETCH(bool, unnamedFiles);
    QFETCH(QString, arrangement);
    const QByteArray content = pattern(40000);
    QString source = src + QStringLiteral("/IMG_1.CR2");
    QString target = source;
    QVERIFY(writeFile(source, content));
    QVERIFY(setOldTime(source));
    const QString original = source;

    if (arrangement == QLatin1String("link at target")) {
        target = dst + QStringLiteral("/IMG_1.CR2");
        QVERIFY(QFile::link(source, target));
    } else if (arrangement == QLatin1String("linked folder")) {
        QVERIFY(QFile::link(src, dir->filePath(QStringLiteral("out"))));
        target = dir->filePath(QStringLiteral("out/IMG_1.CR2"));
    } else if (arrangement == QLatin1String("hard link")) {
        target = dst + QStringLiteral("/IMG_1.CR2");
        QCOMPARE(::link(QFile::encodeName(source).constData(),
                        QFile::encodeName(target).constData()),
                 0);
    } else if (arrangement == QLatin1String("link at source")) {
        source = dst + QStringLiteral("/IMG_1.CR2");
        QVERIFY(QFile::link(original, source));
    }
    const QStringList before = entriesBelow(dir->path());

    FileCopier copier(unnamedFiles);
    QCOMPARE(copier.copy(source, target), FileCopier::SameFile);
    QVERIFY(copier.flush());
    QCOMPARE(readFile(original), content);
    QCOMPARE(modified(original).tv_sec, 1400000000);
    QCOMPARE(entriesBelow(dir->path()), before);
}

void tst_filecopier::failures_data()
{
    QTest::addColumn<bool>("unnamedFiles");
    QTest::addColumn<QString>("arrangement");
    QTest::addColumn<QStringList>("targetFolderAfter");

    for (const bool unnamed : {true, false}) {
        newRow("a folder stands at the target", unnamed)
                << "folder at target" << QStringList{"a.jpg", "a.jpg/keep.txt"};
        newRow("destination folder missing", unnamed) << "no folder" << QStringList{};
        newRow("source vanished", unnamed) << "no source" << QStringList{};
        newRow("source is a folder", unnamed) << "folder source" << QStringList{};
        newRow("source is a FIFO", unnamed) << "fifo source" << QStringList{};
        newRow("file size limit, existing target kept", unnamed)
                << "size limit" << QStringList{"a.jpg"};
    }
}

void tst_filecopier::failures()
{
    QFETCH(bool, unnamedFiles);
    QFETCH(QString, arrangement);
    QFETCH(QStringList, targetFolderAfter);

    QString source = src + QStringLiteral("/a.jpg");
    QString target = dst + QStringLiteral("/a.jpg");
    const QByteArray content = pattern(300000);
    QVERIFY(writeFile(source, content));

    QScopedPointer<FileSizeLimit> limit;
    if (arrangement == QLatin1String("folder at target")) {
        QVERIFY(writeFile(dst + QStringLiteral("/a.jpg/keep.txt"), "kept"));
    } else if (arrangement == QLatin1String("no folder")) {
        target = dst + QStringLiteral("/missing/a.jpg");
    } else if (arrangement == QLatin1String("no source")) {
        source = src + QStringLiteral("/gone.jpg");
    } else if (arrangement == QLatin1String("folder source")) {
        source = src;
    } else if (arrangement == QLatin1String("fifo source")) {
        source = src + QStringLiteral("/pipe.jpg");
        QCOMPARE(::mkfifo(QFile::encodeName(source).constData(), 0600), 0);
    } else if (arrangement == QLatin1String("size limit")) {
        QVERIFY(writeFile(target, "previous copy"));
        limit.reset(new FileSizeLimit(100000));
    }

    FileCopier copier(unnamedFiles);
    const FileCopier::Outcome outcome = copier.copy(source, target);
    limit.reset();
    QCOMPARE(outcome, FileCopier::Failed);
    QVERIFY(!copier.lastError().isEmpty());
    QCOMPARE(entriesBelow(dst), targetFolderAfter);
    if (arrangement == QLatin1String("size limit"))
        QCOMPARE(readFile(target), QByteArray("previous copy"));
    QCOMPARE(readFile(src + QStringLiteral("/a.jpg")), content);
}

QTEST_MAIN(tst_filecopier)
#include "tst_filecopier.moc"
