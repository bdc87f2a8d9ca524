// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/selection/matchrules.h"
#include "core/selection/pathlist.h"
#include "core/selection/treewalker.h"
#include "tests/coretestsupport.h"

#include <QFile>
#include <QtTest>

namespace {

QStringList listed(const QString &root, TreeWalker::Listing listing)
{
    return TreeWalker::list(root, listing).paths();
}

// Result paths with the root and its "/" cut off; every path must start with the root.
QStringList relative(const QString &root, const QStringList &list)
{
    QStringList paths;
    for (const QString &path : list) {
        if (!path.startsWith(root + QLatin1Char('/')))
            return {QStringLiteral("not under the root: ") + path};
        paths << path.mid(root.size() + 1);
    }
    return paths;
}

} // namespace

class tst_treelisting : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void listings_data();
    void listings();
    void picks_data();
    void picks();
    void pickFormats_data();
    void pickFormats();
    void missingRoot();
    void rootWithTrailingSlash();
    void pathsThroughLinks();
    void linkOutsideRoot();

private:
    QTemporaryDir *tree = nullptr;
};

void tst_treelisting::init()
{
    tree = new QTemporaryDir;
    QVERIFY(tree->isValid());
}

void tst_treelisting::cleanup()
{
    delete tree;
    tree = nullptr;
}

void tst_treelisting::listings_data()
{
    QTest::addColumn<QStringList>("entries");
    QTest::addColumn<QStringList>("folders");
    QTest::addColumn<QStringList>("files");
    QTest::addColumn<QStringList>("images");

    QTest::newRow("empty root") << QStringList() << QStringList() << QStringList() << QStringList();
    QTest::newRow("names ignoring case, folders interleaved")
            << QStringList{"b.JPG", "A/", "A/x.jpg", "c/", "c/y.png"} << QStringList{"A", "c"}
            << QStringList{"A/x.jpg", "b.JPG", "c/y.png"}
            << QStringList{"A/x.jpg", "b.JPG", "c/y.png"};
    QTest::newRow("folder before the folders inside it")
            << QStringList{"c/", "a/b/"} << QStringList{"a", "a/b", "c"} << QStringList()
            << QStringList();
    // Compared lower-cased by character code: "_" (0x5f) before "a", "1" before "_"; compared
    // as written, "Z" (0x5a) would come before "_" and "B1" before "a".
    QTest::newRow("lower-cased code order")
            << QStringList{"b_1.png", "B1.png", "a.png", "Z.png", "_.png"} << QStringList()
            << QStringList{"_.png", "a.png", "B1.png", "b_1.png", "Z.png"}
            << QStringList{"_.png", "a.png", "B1.png", "b_1.png", "Z.png"};
    // No two names here differ in case alone: the listing leaves the order of such names open.
    QTest::newRow("suffixes compared with case")
            << QStringList{"a.Jpg",  "b.jpG", "c.gif", "d",     "e.jpg.txt",   "f.JPEG",
                           "g.jpeg", "h.PNG", "i.Png", "j.jpg", "my.photo.png"}
            << QStringList()
            << QStringList{"a.Jpg",  "b.jpG", "c.gif", "d",     "e.jpg.txt",   "f.JPEG",
                           "g.jpeg", "h.PNG", "i.Png", "j.jpg", "my.photo.png"}
            << QStringList{"f.JPEG", "g.jpeg", "h.PNG", "j.jpg", "my.photo.png"};
    QTest::newRow("every non-folder entry is a file")
            << QStringList{"raw/", "raw/IMG_1.CR2", "raw/IMG_1.xmp", "notes.txt", "x.jpg"}
            << QStringList{"raw"}
            << QStringList{"notes.txt", "raw/IMG_1.CR2", "raw/IMG_1.xmp", "x.jpg"}
            << QStringList{"x.jpg"};
    QTest::newRow("hidden files and folders")
            << QStringList{".hidden.jpg", ".cache/",     ".cache/in.jpg", ".cache/sub/",
                           "seen/",       "seen/.h.png", "seen/ok.png"}
            << QStringList{"seen"} << QStringList{"seen/ok.png"} << QStringList{"seen/ok.png"};
    QTest::newRow("folder named like an image")
            << QStringList{"album.jpg/", "album.jpg/in.png"} << QStringList{"album.jpg"}
            << QStringList{"album.jpg/in.png"} << QStringList{"album.jpg/in.png"};
    QTest::newRow("link to the root is skipped")
            << QStringList{"a/", "a/x.jpg", "a/loop -> ."} << QStringList{"a"}
            << QStringList{"a/x.jpg"} << QStringList{"a/x.jpg"};
    QTest::newRow("link to the parent is skipped")
            << QStringList{"a/b/", "a/b/x.jpg", "a/b/up -> a", "c.png"} << QStringList{"a", "a/b"}
            << QStringList{"a/b/x.jpg", "c.png"} << QStringList{"a/b/x.jpg", "c.png"};
    QTest::newRow("link to itself through a longer way")
            << QStringList{"a/b/c/", "a/b/c/z.png", "a/b/c/top -> a/b"}
            << QStringList{"a", "a/b", "a/b/c"} << QStringList{"a/b/c/z.png"}
            << QStringList{"a/b/c/z.png"};
    // The sibling is listed in its own place and once more through the link.
    QTest::newRow("link to a sibling is followed")
            << QStringList{"a/", "a/x.jpg", "b/", "b/to_a -> a"} << QStringList{"a", "b", "b/to_a"}
            << QStringList{"a/x.jpg", "b/to_a/x.jpg"} << QStringList{"a/x.jpg", "b/to_a/x.jpg"};
    // Two folders linking to each other: each is entered once through the other's link, and the
    // link that would lead back to where the walk came from is cut.
    QTest::newRow("links between two folders")
            << QStringList{"a/", "b/", "a/x.png", "b/y.png", "a/l -> b", "b/l -> a"}
            << QStringList{"a", "a/l", "b", "b/l"}
            << QStringList{"a/l/y.png", "a/x.png", "b/l/x.png", "b/y.png"}
            << QStringList{"a/l/y.png", "a/x.png", "b/l/x.png", "b/y.png"};
    QTest::newRow("file link counts as a file")
            << QStringList{"real.jpg", "alias.jpg -> real.jpg"} << QStringList()
            << QStringList{"alias.jpg", "real.jpg"} << QStringList{"alias.jpg", "real.jpg"};
    QTest::newRow("dangling link is not listed")
            << QStringList{"gone.jpg -> nowhere", "here.jpg"} << QStringList()
            << QStringList{"here.jpg"} << QStringList{"here.jpg"};
}

void tst_treelisting::listings()
{
    QFETCH(QStringList, entries);
    QFETCH(QStringList, folders);
    QFETCH(QStringList, files);
    QFETCH(QStringList, images);

    if (!entries.filter(QStringLiteral(" -> ")).isEmpty())
        SKIP_WITHOUT_SYMLINKS();
    const QString root = tree->path();
    QVERIFY(makeTree(root, entries));

    QCOMPARE(relative(root, listed(root, TreeWalker::Folders)), folders);
    QCOMPARE(relative(root, listed(root, TreeWalker::Files)), files);
    QCOMPARE(relative(root, listed(root, TreeWalker::Images)), images);
    // The default rules tell the same picks.
    QCOMPARE(relative(root, TreeWalker::listPicks(root, MatchRules()).paths()), images);
}

void tst_treelisting::picks_data()
{
    QTest::addColumn<QString>("rules");
    QTest::addColumn<QStringList>("picks");
    QTest::newRow("default") << "" << QStringList{"c.jpg"};
    QTest::newRow("formats ignore case")
            << "formats=heic,tiff,webp" << QStringList{"a.HEIC", "d.tiff", "e.webp"};
    QTest::newRow("the defaults, set, ignore case")
            << "formats=jpg,jpeg,png" << QStringList{"b.Jpg", "c.jpg"};
    QTest::newRow("case ignored leaves the formats alone") << "case" << QStringList{"c.jpg"};
}

void tst_treelisting::picks()
{
    QFETCH(QString, rules);
    QFETCH(QStringList, picks);
    const QString root = tree->path();
    QVERIFY(makeTree(root, {"a.HEIC", "b.Jpg", "c.jpg", "d.tiff", "e.webp", "f.heic.txt", "g",
                            ".h.heic", "i.webp/", "i.webp/in.txt"}));
    QCOMPARE(relative(root, TreeWalker::listPicks(root, rulesFrom(rules)).paths()), picks);
}

void tst_treelisting::pickFormats_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    QTest::addColumn<QStringList>("formats");
    QTest::newRow("commas and blanks")
            << " heic, .TIF  webp,," << true << QStringList{"heic", "TIF", "webp"};
    QTest::newRow("twins in other case kept once")
            << "jpg,JPG,Jpg,png" << true << QStringList{"jpg", "png"};
    QTest::newRow("empty") << " , " << false << QStringList{};
    QTest::newRow("a dot inside") << "tar.gz" << false << QStringList{};
    QTest::newRow("a slash") << "jpg,a/b" << false << QStringList{};
}

void tst_treelisting::pickFormats()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QFETCH(QStringList, formats);
    QStringList parsed = {"untouched"};
    QCOMPARE(MatchRules::parsePickFormats(text, parsed), valid);
    QCOMPARE(parsed, valid ? formats : QStringList{"untouched"});
}

void tst_treelisting::missingRoot()
{
    const QString root = tree->filePath("missing");
    QVERIFY(listed(root, TreeWalker::Folders).isEmpty());
    QVERIFY(listed(root, TreeWalker::Files).isEmpty());
    QVERIFY(listed(root, TreeWalker::Images).isEmpty());
    // A file given as the root lists nothing either.
    QVERIFY(makeTree(tree->path(), {"file.jpg"}));
    QVERIFY(listed(tree->filePath("file.jpg"), TreeWalker::Files).isEmpty());
}

void tst_treelisting::rootWithTrailingSlash()
{
    QVERIFY(makeTree(tree->path(), {"a/", "a/x.jpg"}));
    QCOMPARE(listed(tree->path() + "/", TreeWalker::Images), QStringList(tree->path() + "/a/x.jpg"));
}

void tst_treelisting::pathsThroughLinks()
{
    // Reached through a link, the paths keep the joined path, not the link's target.
    SKIP_WITHOUT_SYMLINKS();
    QVERIFY(makeTree(tree->path(), {"real/", "real/sub/", "real/sub/a.b.JPG", "via -> real"}));
    const QString root = tree->path();
    const QStringList images = listed(root, TreeWalker::Images);
    QCOMPARE(relative(root, images), QStringList({"real/sub/a.b.JPG", "via/sub/a.b.JPG"}));
    const QFileInfo viaLink(images.at(1));
    QCOMPARE(viaLink.fileName(), QStringLiteral("a.b.JPG"));
    QCOMPARE(viaLink.suffix(), QStringLiteral("JPG"));
    QCOMPARE(viaLink.baseName(), QStringLiteral("a"));
    QCOMPARE(viaLink.absolutePath(), root + "/via/sub");
    QVERIFY(viaLink.isFile());
    QVERIFY(!viaLink.isDir());

    const QStringList folders = listed(root, TreeWalker::Folders);
    QCOMPARE(relative(root, folders), QStringList({"real", "real/sub", "via", "via/sub"}));
    for (const QString &folder : folders)
        QVERIFY2(QFileInfo(folder).isDir(), qPrintable(folder));
}

void tst_treelisting::linkOutsideRoot()
{
    // A folder outside the root, reached by a link from inside it and holding a link back up
    // to the folder that holds the root: the outside folder is listed, the way back is cut
    // where it meets a folder already on the way down.
    SKIP_WITHOUT_SYMLINKS();
    QTemporaryDir outside;
    QVERIFY(outside.isValid());
    QVERIFY(makeTree(outside.path(), {"shots/", "shots/o.png"}));
    QVERIFY(makeTree(tree->path(), {"in/", "in/i.png"}));
    const QString root = tree->filePath("in");
    QVERIFY(makeSymLink(outside.filePath("shots"), root + "/ext"));
    QVERIFY(makeSymLink(root, outside.filePath("shots/back")));

    QCOMPARE(relative(root, listed(root, TreeWalker::Folders)), QStringList({"ext"}));
    QCOMPARE(relative(root, listed(root, TreeWalker::Images)), QStringList({"ext/o.png", "i.png"}));
}

QTEST_MAIN(tst_treelisting)
#include "tst_treelisting.moc"
