// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/adlink/adlinkcodec.h"
#include "tests/filesizelimit.h"
#include "tests/testsupport.h"
#include "tests/wirebytes.h"
#include "ui/kelto.h"

#include <QDir>
#include <QFile>
#include <QtTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

Q_DECLARE_METATYPE(AdLinks)

namespace {

const QString linkFile = QStringLiteral("GG/setOHS.RDAT");

AdLinks links(std::initializer_list<QString> first, const QString &rest = QLatin1String(""))
{
    AdLinks result;
    result.fill(rest);
    int k = 0;
    for (const QString &link : first)
        result[k++] = link;
    return result;
}

AdLinks sampleLinks()
{
    return {QStringLiteral("www.example.com"),
            QStringLiteral("https://example.org/a?b=1"),
            QStringLiteral("广告招租位"),
            QString(),
            QLatin1String(""),
            QStringLiteral("http://例子.测试/😀"),
            QStringLiteral("x"),
            QStringLiteral("www.example.com/page#top"),
            QStringLiteral("9")};
}

// Unlike fileContent(), a file that cannot be read shows as such rather than as an empty one.
QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

} // namespace

class tst_adstore : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void encoding_data();
    void encoding();
    void decoding_data();
    void decoding();

    void listFolderFiles_data();
    void listFolderFiles();

    void loadReadOnlyFile();
    void saveAfterStartWithoutLinkFile();
    void saveReplacesFile();
    void failedSave_data();
    void failedSave();

private:
    TestWorkDir *workDir = nullptr;
};

void tst_adstore::init()
{
    workDir = new TestWorkDir;
    QVERIFY(workDir->isValid());
}

void tst_adstore::cleanup()
{
    delete workDir;
    workDir = nullptr;
}

void tst_adstore::encoding_data()
{
    QTest::addColumn<AdLinks>("links");
    QTest::addColumn<QByteArray>("expected");

    AdLinks defaults;
    defaults.fill(QStringLiteral("www.example.com"));
    AdLinks empty;
    empty.fill(QLatin1String(""));
    AdLinks null;

    QTest::newRow("defaults") << defaults << WireBytes::linkFile(defaults);
    QTest::newRow("nine empty links: nine zero lengths") << empty << QByteArray(36, '\0');
    QTest::newRow("nine null links") << null << QByteArray(36, '\xff');
    QTest::newRow("mixed, non-latin and surrogate pairs")
            << sampleLinks() << WireBytes::linkFile(sampleLinks());
    QTest::newRow("first link spelled out")
            << links({QStringLiteral("ab")})
            << QByteArray("\0\0\0\4\0a\0b", 8) + QByteArray(32, '\0');
}

void tst_adstore::encoding()
{
    QFETCH(AdLinks, links);
    QFETCH(QByteArray, expected);

    const QByteArray bytes = encodeAdLinks(links);
    QCOMPARE(bytes.toHex(), expected.toHex());
    int units = 0;
    for (const QString &link : links)
        units += link.size();
    QCOMPARE(bytes.size(), 36 + 2 * units);
    QCOMPARE(decodeAdLinks(bytes), links);
}

void tst_adstore::decoding_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<AdLinks>("expected");

    const AdLinks sample = sampleLinks();
    const QByteArray firstFour = WireBytes::string(sample[0]) + WireBytes::string(sample[1])
                                 + WireBytes::string(sample[2]) + WireBytes::string(sample[3]);
    const AdLinks firstFourOnly = links({sample[0], sample[1], sample[2], sample[3]},
                                        QLatin1String(""));

    QTest::newRow("empty file: nine empty links") << QByteArray() << links({});
    QTest::newRow("nine empty links stay empty") << QByteArray(36, '\0') << links({});
    QTest::newRow("round trip") << WireBytes::linkFile(sample) << sample;
    QTest::newRow("links 1-4, then a record cut in its text")
            << firstFour + WireBytes::string(QStringLiteral("www.cut.example")).left(10)
            << firstFourOnly;
    QTest::newRow("links 1-4, then a record cut in its length")
            << firstFour + QByteArray("\0\0", 2) << firstFourOnly;
    QTest::newRow("links 1-4, then nothing") << firstFour << firstFourOnly;
    QTest::newRow("odd length ends the links, later records ignored")
            << firstFour + QByteArray("\0\0\0\3\0a\0", 7)
                       + WireBytes::string(QStringLiteral("later"))
            << firstFourOnly;
    QTest::newRow("length far beyond the file")
            << WireBytes::string(QStringLiteral("a")) + QByteArray("\x7f\xff\xff\xfe\0b", 6)
            << links({QStringLiteral("a")});
    QTest::newRow("bytes after link 9 ignored")
            << WireBytes::linkFile(sample) + WireBytes::string(QStringLiteral("tenth"))
                       + QByteArray("\x01\x02", 2)
            << sample;
}

void tst_adstore::decoding()
{
    QFETCH(QByteArray, bytes);
    QFETCH(AdLinks, expected);

    const AdLinks decoded = decodeAdLinks(bytes);
    for (int k = 0; k < 9; ++k) {
        QCOMPARE(decoded[k], expected[k]);
        QCOMPARE(decoded[k].isNull(), expected[k].isNull());
    }
}

void tst_adstore::listFolderFiles_data()
{
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("sorted by name ignoring case")
            << QStringList{"b.dat", "GG2.dats", "A", "gg10.dat", "GG1.dat", "GG1"} << QStringList{}
            << QStringList{"A", "b.dat", "GG1", "GG1.dat", "gg10.dat", "GG2.dats"};
    QTest::newRow("folders and hidden files left out")
            << QStringList{".hidden", "GG3.dat", "sub/GG4.dat"} << QStringList{"GG5.dat", "sub"}
            << QStringList{"GG3.dat"};
    QTest::newRow("empty folder") << QStringList{} << QStringList{} << QStringList{};
}

void tst_adstore::listFolderFiles()
{
    QFETCH(QStringList, files);
    QFETCH(QStringList, folders);
    QFETCH(QStringList, expected);

    QDir store(workDir->filePath("GG"));
    QVERIFY(store.mkpath("."));
    for (const QString &folder : folders)
        QVERIFY(store.mkpath(folder));
    for (const QString &file : files)
        QVERIFY(writeFile(store.filePath(file), "x"));

    kelto window;
    QStringList names;
    const QFileInfoList listed = window.listFolderFiles(store.path());
    for (const QFileInfo &info : listed) {
        names << info.fileName();
        QCOMPARE(info.absolutePath(), store.path());
    }
    QCOMPARE(names, expected);
    QVERIFY(window.listFolderFiles(workDir->filePath("missing")).isEmpty());
}

void tst_adstore::loadReadOnlyFile()
{
    QVERIFY(QDir().mkpath("GG"));
    QVERIFY(writeFile(linkFile, WireBytes::linkFile(sampleLinks())));
    QVERIFY(QFile::setPermissions(linkFile, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));

    kelto window;
    {
        std::array<QString, 9> links;
        links.fill(QStringLiteral("www.example.com"));
        KeltoProbe(window).setAdLinks(links);
    }
#ifdef Q_OS_UNIX
    if (geteuid() == 0) {
        // Root may open anything for writing; read as an ordinary user, as a user would run it.
        QVERIFY(chmod(QFile::encodeName(workDir->path()).constData(), 0755) == 0);
        QVERIFY(chmod("GG", 0755) == 0);
        QVERIFY(seteuid(65534) == 0);
        QFile probe(linkFile);
        const bool writable = probe.open(QIODevice::ReadWrite);
        window.loadAdLinks();
        QVERIFY(seteuid(0) == 0);
        QVERIFY2(!writable, "the link file must be write-protected for this test");
    } else
#endif
    {
        window.loadAdLinks();
    }
    QCOMPARE(KeltoProbe(window).adLinks(), sampleLinks());
}

void tst_adstore::saveAfterStartWithoutLinkFile()
{
    AdLinks defaults;
    {
        kelto window;
        QVERIFY(!QFile::exists(linkFile));
        defaults = KeltoProbe(window).adLinks();
        QVERIFY(QFileInfo(QStringLiteral("GG")).isDir()); // made by the tiles
        window.saveAdLinks();
    }
    QCOMPARE(readFile(linkFile).toHex(), WireBytes::linkFile(defaults).toHex());
    QCOMPARE(readFile(linkFile).size(), 36 + 9 * 2 * defaults[0].size());

    kelto nextStart;
    QCOMPARE(KeltoProbe(nextStart).adLinks(), defaults);
}

void tst_adstore::saveReplacesFile()
{
    QVERIFY(QDir().mkpath("GG"));
    QVERIFY(writeFile(linkFile, QByteArray(4000, 'x')));
    QVERIFY(QFile::setPermissions(linkFile, QFile::ReadOwner | QFile::ReadGroup));

    kelto window;
    QCOMPARE(KeltoProbe(window).adLinks(), links({})); // the junk reads as a cut first record
    KeltoProbe(window).setAdLinks(sampleLinks());
    window.saveAdLinks();
    QCOMPARE(readFile(linkFile).toHex(), WireBytes::linkFile(sampleLinks()).toHex());
    QCOMPARE(folderEntries("GG"), QStringList{"setOHS.RDAT"});
}

void tst_adstore::failedSave_data()
{
    QTest::addColumn<QString>("failure");

    QTest::newRow("disk full while writing") << "file size limit";
    QTest::newRow("store folder missing") << "no folder";
    QTest::newRow("a file where the store folder must be") << "file for folder";
    QTest::newRow("a folder where the link file must be") << "folder for file";
}

void tst_adstore::failedSave()
{
    QFETCH(QString, failure);

    const QByteArray old = WireBytes::linkFile(links({QStringLiteral("www.old.example")}));
    kelto window;
    KeltoProbe(window).setAdLinks(sampleLinks());
    QVERIFY(QDir("GG").removeRecursively());

    if (failure == "file size limit") {
        SKIP_WITHOUT_FILE_SIZE_LIMIT();
        QVERIFY(QDir().mkpath("GG"));
        QVERIFY(writeFile(linkFile, old));
        FileSizeLimit limit(20);
        window.saveAdLinks();
    } else if (failure == "no folder") {
        window.saveAdLinks();
        QVERIFY(!QFileInfo::exists("GG"));
        return;
    } else if (failure == "file for folder") {
        QVERIFY(writeFile("GG", old));
        window.saveAdLinks();
        QCOMPARE(readFile("GG"), old);
        return;
    } else {
        QVERIFY(QDir().mkpath(linkFile));
        window.saveAdLinks();
        QVERIFY(QFileInfo(linkFile).isDir());
        QCOMPARE(folderEntries("GG"), QStringList{"setOHS.RDAT"});
        return;
    }

    QCOMPARE(readFile(linkFile).toHex(), old.toHex());
    QCOMPARE(folderEntries("GG"), QStringList{"setOHS.RDAT"});
    window.loadAdLinks();
    QCOMPARE(KeltoProbe(window).adLinks()[0], QStringLiteral("www.old.example"));
}

QTEST_MAIN(tst_adstore)
#include "tst_adstore.moc"
