// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/selection/pathlist.h"
#include "core/selection/treewalker.h"
#include "tests/coretestsupport.h"
#include "tests/qdirlisting.h"

#include <QtTest>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

namespace {

QStringList filePaths(const QFileInfoList &list)
{
    QStringList paths;
    for (const QFileInfo &info : list)
        paths << info.filePath();
    return paths;
}

// Every case of the letters of `stem`, plus each of those with an upper-case suffix: names
// equal but for case, more of them than std::sort orders by insertion alone.
QStringList caseVariants(const QString &stem)
{
    QStringList names;
    for (int mask = 0; mask < (1 << stem.size()); ++mask) {
        QString name = stem;
        for (int i = 0; i < stem.size(); ++i) {
            if (mask & (1 << i))
                name[i] = name.at(i).toUpper();
        }
        names << name + ".jpg" << name + ".JPG";
    }
    return names;
}

} // namespace

// The tree walker and the listings built on it against the QDir walk, on the same trees.
class tst_treewalker : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void sameAsQDirWalk_data();
    void sameAsQDirWalk();
    void stopBetweenFolders();

private:
    TestWorkDir *workDir = nullptr;
};

void tst_treewalker::init()
{
    workDir = new TestWorkDir;
    QVERIFY(workDir->isValid());
}

void tst_treewalker::cleanup()
{
    delete workDir;
    workDir = nullptr;
}

void tst_treewalker::sameAsQDirWalk_data()
{
    // Trees are made in a fresh folder holding the folders "root", the one walked, and "out",
    // outside it. A name ending in "|" is made a named pipe.
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QString>("root"); // relative to the working folder

    const QStringList plain = {"root/b.JPG",   "root/A/",    "root/A/x.jpg", "root/c/",
                               "root/c/y.png", "root/_.png", "root/B1.png",  "root/Z/"};
    QTest::newRow("order, folders among files") << plain << "root";
    QTest::newRow("root with a trailing slash") << plain << "root/";
    QTest::newRow("root with two trailing slashes") << plain << "root//";
    QTest::newRow("root through a link") << (plain + QStringList{"via -> root"}) << "via";
    QTest::newRow("missing root") << plain << "nothing";
    QTest::newRow("root is a file") << plain << "root/b.JPG";

    QStringList sameButCase = {"root/", "root/ABC/", "root/abc.jpg", "root/Abc/"};
    for (const QString &name : caseVariants("abcde"))
        sameButCase << "root/" + name;
    QTest::newRow("names equal but for case") << sameButCase << "root";

    QTest::newRow("non-ASCII names")
            << QStringList{"root/客户/",        "root/客户/照片.JPG", "root/Ärger.jpg",
                           "root/ärger.png",    "root/arger.jpg",     "root/é.png",
                           "root/E.png",        "root/ß.jpg",         "root/SS.jpg",
                           "root/İ.jpg",        "root/i.jpg",         "root/Σ.png",
                           "root/σ.png",        "root/ς.png",         "root/Ａ.jpg",
                           "root/😀.jpg",        "root/\uffee.jpg",    "root/写真/",
                           "root/\ufeffbom.jpg"}
            << "root";
    QTest::newRow("blanks and dots")
            << QStringList{"root/ a.jpg", "root/a .jpg",      "root/a..b.jpg", "root/a.b.c.png",
                           "root/x.",     "root/.x",          "root/ .jpg",    "root/photo (2).jpg",
                           "root/a b/",   "root/a b/c d.PNG", "root/a.jpg/",   "root/a.jpg/in.png"}
            << "root";
    QTest::newRow("hidden files and folders")
            << QStringList{"root/.hidden.jpg",   "root/.cache/",
                           "root/.cache/in.jpg", "root/.cache/sub/",
                           "root/seen/",         "root/seen/.h.png",
                           "root/seen/ok.png",   "root/to_cache -> root/.cache"}
            << "root";
    QTest::newRow("links to files, siblings and outside")
            << QStringList{"out/",
                           "out/o.png",
                           "root/real.jpg",
                           "root/alias.jpg -> root/real.jpg",
                           "root/a/",
                           "root/a/x.jpg",
                           "root/b/",
                           "root/b/to_a -> root/a",
                           "root/ext -> out",
                           "root/ext.jpg -> out/o.png"}
            << "root";
    QTest::newRow("links back to ancestors")
            << QStringList{"root/a/b/c/",         "root/a/b/c/z.png", "root/a/b/c/top -> root/a/b",
                           "root/a/loop -> root", "root/a/up -> .",   "out/",
                           "out/back -> root",    "root/ext -> out",  "root/a/b/x -> root/a"}
            << "root";
    QTest::newRow("links between two folders") << QStringList{
            "root/a/",           "root/b/", "root/a/x.png", "root/b/y.png", "root/a/l -> root/b",
            "root/b/l -> root/a"} << "root";
    // More folders than wait to be taken while a reader goes ahead, side by side and nested.
    QStringList wide = {"root/"};
    QString deep = "root/";
    for (int i = 0; i < 70; ++i) {
        wide << QString("root/w%1/in/").arg(i) << QString("root/w%1/in/f.jpg").arg(i);
        deep += QString("d%1/").arg(i % 7);
        wide << deep << deep + "g.png";
    }
    QTest::newRow("many folders, deep and wide") << wide << "root";
    QTest::newRow("dangling links, pipes")
            << QStringList{"root/gone.jpg -> nowhere", "root/gone -> nowhere/", "root/here.jpg",
                           "root/pipe.jpg|", "root/to_pipe.jpg -> root/pipe.jpg"}
            << "root";
}

void tst_treewalker::sameAsQDirWalk()
{
    QFETCH(QStringList, entries);
    QFETCH(QString, root);

    QStringList made = {"root/", "out/"};
    for (const QString &entry : qAsConst(entries)) {
        if (entry.contains(QLatin1String(" -> ")))
            SKIP_WITHOUT_SYMLINKS();
        if (entry.endsWith(QLatin1Char('|'))) {
#ifdef Q_OS_UNIX
            QVERIFY(makeTree(workDir->path(), made));
            made.clear();
            const QByteArray pipe = QFile::encodeName(workDir->filePath(entry.chopped(1)));
            QVERIFY2(::mkfifo(pipe.constData(), 0600) == 0, pipe.constData());
#else
            QSKIP("Named pipes in a folder (mkfifo) exist on POSIX systems only");
#endif
        } else {
            made << entry;
        }
    }
    QVERIFY(makeTree(workDir->path(), made));

    // The root is given relative and absolute.
    for (const QString &given : {root, workDir->filePath(root)}) {
        const QStringList folders = filePaths(listTreeByQDir(given, TreeWalker::Folders));
        const QStringList files = filePaths(listTreeByQDir(given, TreeWalker::Files));
        const QStringList images = filePaths(listTreeByQDir(given, TreeWalker::Images));
        QCOMPARE(TreeWalker::list(given, TreeWalker::Folders).paths(), folders);
        QCOMPARE(TreeWalker::list(given, TreeWalker::Files).paths(), files);
        QCOMPARE(TreeWalker::list(given, TreeWalker::Images).paths(), images);
    }
}

// The stop is asked before the root and before each folder is entered; what was found until it
// said yes is the result.
void tst_treewalker::stopBetweenFolders()
{
    QVERIFY(makeTree(workDir->path(),
                     {"root/a/", "root/a/x.jpg", "root/a/y.txt", "root/b/", "root/b/z.jpg"}));
    const QString root = workDir->filePath("root");
    for (const int allowed : {0, 1, 2}) {
        int asked = 0;
        const ListingStop stop = [&] { return ++asked > allowed; };
        const QStringList paths = TreeWalker::list(root, TreeWalker::Files, stop).paths();
        const QStringList expected = QStringList{root + "/a/x.jpg", root + "/a/y.txt"}.mid(
                0, allowed < 2 ? 0 : 2);
        QCOMPARE(paths, expected);
    }
}

QTEST_MAIN(tst_treewalker)
#include "tst_treewalker.moc"
