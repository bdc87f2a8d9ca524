// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/selection/filecopier.h"
#include "tests/coretestsupport.h"
#include "tests/filesizelimit.h"

#include <QTemporaryDir>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#endif

namespace {

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

// Gives the file an odd modification time, as fine as the platform keeps it (nanoseconds on
// POSIX, milliseconds through Qt elsewhere), and reads such times back.
#ifdef Q_OS_UNIX
bool setOddModificationTime(const QString &path)
{
    const struct timespec odd[2] = {{1500000000, 123456789}, {1400000000, 987654321}};
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), odd, 0) == 0;
}

QString modificationTime(const QString &path)
{
    struct stat info = {};
    ::stat(QFile::encodeName(path).constData(), &info);
    return QStringLiteral("%1.%2")
            .arg(info.st_mtim.tv_sec)
            .arg(info.st_mtim.tv_nsec, 9, 10, QLatin1Char('0'));
}
#else
bool setOddModificationTime(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadWrite)
           && file.setFileTime(QDateTime::fromMSecsSinceEpoch(1400000000987, Qt::UTC),
                               QFileDevice::FileModificationTime);
}

QString modificationTime(const QString &path)
{
    return QFileInfo(path).lastModified().toUTC().toString(Qt::ISODateWithMs);
}
#endif

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
    void replaces_data();
    void replaces();
    void sameFile_data();
    void sameFile();
    void failures_data();
    void failures();
    void stopped_data();
    void stopped();
    void leftovers();

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
    QTest::addColumn<QList<qint64>>("pieces"); // the progress told as it goes
    const qint64 piece = FileCopier::pieceSize;
    for (const bool unnamed : {true, false}) {
        newRow("empty", unnamed) << 0 << QList<qint64>();
        newRow("just over a buffer", unnamed) << 128 * 1024 + 1 << QList<qint64>();
        newRow("several megabytes", unnamed) << 3 * 1024 * 1024 + 5 << QList<qint64>();
        newRow("several pieces", unnamed)
                << int(2 * piece + 5) << QList<qint64>{piece, 2 * piece, 2 * piece + 5};
    }
}

void tst_filecopier::copies()
{
    QFETCH(bool, unnamedFiles);
    QFETCH(int, size);
    const QString source = src + QStringLiteral("/IMG_0001.CR2");
    QByteArray content(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        content[i] = char(i * 7 + i / 251);
    QVERIFY(writeFile(source, content));
    QVERIFY(QFile::setPermissions(source, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup));
    QVERIFY(setOddModificationTime(source));

    FileCopier copier(unnamedFiles);
    QList<qint64> told;
    copier.setPieceDone([&told](qint64 copied) { told.append(copied); });
    const QString target = dst + QStringLiteral("/IMG_0001.CR2");
    QCOMPARE(copier.copy(source, target), FileCopier::Copied);
    QVERIFY(copier.flush());
    QTEST(told, "pieces");

    QCOMPARE(readFile(target), content);
    QCOMPARE(modificationTime(target), modificationTime(source));
    QCOMPARE(QFile::permissions(target), QFile::permissions(source));
    QCOMPARE(entriesBelow(dst), QStringList{"IMG_0001.CR2"});
}

void tst_filecopier::replaces_data()
{
    QTest::addColumn<bool>("unnamedFiles");
    QTest::addColumn<bool>("link");
    for (const bool unnamed : {true, false}) {
        newRow("a file", unnamed) << false;
        newRow("a link, not what it points at", unnamed) << true;
    }
}

void tst_filecopier::replaces()
{
    QFETCH(bool, unnamedFiles);
    QFETCH(bool, link);
    const QString source = src + QStringLiteral("/a.jpg");
    const QString elsewhere = dir->filePath(QStringLiteral("elsewhere.jpg"));
    const QString target = dst + QStringLiteral("/a.jpg");
    QVERIFY(writeFile(source, "new"));
    if (link)
        SKIP_WITHOUT_SYMLINKS();
    QVERIFY(writeFile(link ? elsewhere : target, "an older and longer file"));
    if (link)
        QVERIFY(makeSymLink(elsewhere, target));

    FileCopier copier(unnamedFiles);
    QCOMPARE(copier.copy(source, target), FileCopier::Copied);
    QVERIFY(!QFileInfo(target).isSymLink());
    QCOMPARE(readFile(target), QByteArray("new"));
    QCOMPARE(entriesBelow(dst), QStringList{"a.jpg"});
    if (link)
        QCOMPARE(readFile(elsewhere), QByteArray("an older and longer file"));
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
    const QString original = src + QStringLiteral("/IMG_1.CR2");
    const QByteArray content(40000, 'r');
    QVERIFY(writeFile(original, content));
    QString source = original;
    QString target = dst + QStringLiteral("/IMG_1.CR2");
    if (arrangement.startsWith("link"))
        SKIP_WITHOUT_SYMLINKS();
    if (arrangement == "same path") {
        target = original;
    } else if (arrangement == "link at target") {
        QVERIFY(makeSymLink(original, target));
    } else if (arrangement == "linked folder") {
        QVERIFY(makeSymLink(src, dir->filePath(QStringLiteral("out"))));
        target = dir->filePath(QStringLiteral("out/IMG_1.CR2"));
    } else if (arrangement == "hard link") {
        QVERIFY(makeHardLink(original, target));
    } else {
        source = target;
        QVERIFY(makeSymLink(original, source));
    }
    const QStringList before = entriesBelow(dir->path());
    const QByteArray originalIdentity = fileIdentity(original);

    FileCopier copier(unnamedFiles);
    QCOMPARE(copier.copy(source, target), FileCopier::SameFile);
    QVERIFY(copier.flush());
    QCOMPARE(readFile(original), content);
    QCOMPARE(fileIdentity(original), originalIdentity);
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
    const QByteArray content(300000, 's');
    QVERIFY(writeFile(source, content));
    if (arrangement == "folder at target") {
        QVERIFY(writeFile(dst + QStringLiteral("/a.jpg/keep.txt"), "kept"));
    } else if (arrangement == "no folder") {
        target = dst + QStringLiteral("/missing/a.jpg");
    } else if (arrangement == "no source") {
        source = src + QStringLiteral("/gone.jpg");
    } else if (arrangement == "folder source") {
        source = src;
    } else if (arrangement == "fifo source") {
#ifdef Q_OS_UNIX
        source = src + QStringLiteral("/pipe.jpg");
        QCOMPARE(::mkfifo(QFile::encodeName(source).constData(), 0600), 0);
#else
        QSKIP("Windows has no FIFOs in the file system");
#endif
    } else {
        SKIP_WITHOUT_FILE_SIZE_LIMIT();
        QVERIFY(writeFile(target, "previous copy"));
    }

    FileCopier copier(unnamedFiles);
    FileCopier::Outcome outcome;
    if (arrangement == "size limit") {
        const FileSizeLimit limit(100000);
        outcome = copier.copy(source, target);
    } else {
        outcome = copier.copy(source, target);
    }

    QCOMPARE(outcome, FileCopier::Failed);
    QVERIFY(!copier.lastError().isEmpty());
    QCOMPARE(entriesBelow(dst), targetFolderAfter);
    if (arrangement == "size limit")
        QCOMPARE(readFile(target), QByteArray("previous copy"));
    QCOMPARE(readFile(src + QStringLiteral("/a.jpg")), content);
}

void tst_filecopier::stopped_data()
{
    QTest::addColumn<bool>("unnamedFiles");
    QTest::addColumn<bool>("identicalIntact"); // the target is an identical file to keep intact
    newRow("stop requested", true) << false;
    newRow("stop requested", false) << false;
    newRow("stop requested while comparing with a file to keep intact", true) << true;
}

void tst_filecopier::stopped()
{
    QFETCH(bool, unnamedFiles);
    QFETCH(bool, identicalIntact);
    const QString source = src + QStringLiteral("/a.jpg");
    const QString target = dst + QStringLiteral("/a.jpg");
    QVERIFY(writeFile(source, "new"));
    FileCopier copier(unnamedFiles);
    if (identicalIntact) {
        FileCopier first;
        QCOMPARE(first.copy(source, target), FileCopier::Copied);
        copier.keepIntact({QFileInfo(target)});
        QCOMPARE(copier.copy(source, target), FileCopier::SameFile);
    } else {
        QVERIFY(writeFile(target, "previous copy"));
    }
    const QByteArray before = readFile(target);
    const std::atomic<bool> stop{true};

    copier.setStopFlag(&stop);
    QCOMPARE(copier.copy(source, target), FileCopier::Stopped);
    QCOMPARE(entriesBelow(dst), QStringList{"a.jpg"});
    QCOMPARE(readFile(target), before);
}

QTEST_MAIN(tst_filecopier)
// What killed copies left is removed; a copy under way, which holds its file locked (or on
// Windows open without sharing), and anything else of a like name are kept.
void tst_filecopier::leftovers()
{
    const QStringList kept{"zanora-AbC123", ".zanora-",  ".zanora-AbC12345X",
                           ".zanora-a.b",   "IMG_1.CR2", ".zanora-Busy12"};
    const QStringList removed{".zanora-AbC123", ".zanora-1k3j9x"};
    for (const QString &name : kept + removed)
        QVERIFY(writeFile(dst + '/' + name, "left"));
    QFile busy(dst + "/.zanora-Busy12");
    QVERIFY(busy.open(QIODevice::ReadWrite));
#ifdef Q_OS_UNIX
    QCOMPARE(::flock(busy.handle(), LOCK_EX | LOCK_NB), 0);
#endif

    QStringList gone = FileCopier::removeLeftovers(dst);
    gone.sort();
    QStringList expected;
    for (const QString &name : removed)
        expected.append(dst + '/' + name);
    expected.sort();
    QCOMPARE(gone, expected);
    QStringList left = kept;
    left.sort(Qt::CaseInsensitive);
    QStringList there = folderEntries(dst);
    there.sort(Qt::CaseInsensitive);
    QCOMPARE(there, left);
}

#include "tst_filecopier.moc"
