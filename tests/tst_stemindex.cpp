#include "core/selection/pathlist.h"
#include "core/selection/stemindex.h"
#include "core/selection/treewalker.h"
#include "tests/coretestsupport.h"
#include "tests/qdirlisting.h"

#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

namespace {

QStringList paths(const QFileInfoList &list)
{
    QStringList result;
    for (const QFileInfo &info : list)
        result.append(info.filePath());
    return result;
}

// Names from pieces that overlap a lot: dots, case twins, blanks, a letter outside Latin-1 and
// one outside the Basic Multilingual Plane. Suffix "-" means none.
QString randomName(QRandomGenerator &random, int minPieces, int maxPieces,
                   const QStringList &suffixes)
{
    static const QStringList pieces = {"a", "b", "A", ".", "1", " ", "é", "😀", "IMG_", "-edit"};
    QString name;
    for (int i = random.bounded(minPieces, maxPieces + 1); i > 0; --i)
        name += pieces.at(random.bounded(pieces.size()));
    const QString suffix = suffixes.at(random.bounded(suffixes.size()));
    return suffix == QLatin1String("-") ? name : name + QLatin1Char('.') + suffix;
}

} // namespace

class tst_stemindex : public QObject
{
    Q_OBJECT

private slots:
    void stemOf_data();
    void stemOf();
    void match_data();
    void match();
    void sameAsEveryPair_data();
    void sameAsEveryPair();
};

void tst_stemindex::stemOf_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("stem");
    QTest::newRow("camera raw") << "IMG_0001.CR2"
                                << "IMG_0001";
    QTest::newRow("dot inside the stem") << "day.2.jpg"
                                         << "day.2";
    QTest::newRow("no dot") << "README"
                            << "README";
    QTest::newRow("suffix twice") << "a.jpg.jpg"
                                  << "a";
    QTest::newRow("only dot and suffix") << ".jpg"
                                         << "";
    QTest::newRow("other case of the suffix stays") << "a.JPG.jpg"
                                                    << "a.JPG";
    QTest::newRow("suffix in the middle") << "IMG.jpg_copy.jpg"
                                          << "IMG_copy";
    QTest::newRow("trailing dot") << "IMG_1."
                                  << "IMG_1";
}

void tst_stemindex::stemOf()
{
    QFETCH(QString, name);
    QFETCH(QString, stem);
    QCOMPARE(StemIndex::stemOf(name), stem);
    // The suffix is the one the listing's records report.
    QCOMPARE(stem, QString(name).remove(QLatin1Char('.') + QFileInfo(name).suffix()));
}

void tst_stemindex::match_data()
{
    QTest::addColumn<QStringList>("picks");
    QTest::addColumn<QStringList>("candidates");
    QTest::addColumn<QStringList>("matched"); // "pick index:candidate path"
    QTest::addColumn<QStringList>("missing");

    QTest::newRow("candidate order across stems")
            << QStringList{"/s/IMG_12.jpg"}
            << QStringList{"/b/x/IMG_12.CR2", "/b/y/IMG_1.CR2", "/b/z/IMG_12.JPG", "/b/IMG_2.CR2"}
            << QStringList{"0:/b/x/IMG_12.CR2", "0:/b/y/IMG_1.CR2", "0:/b/z/IMG_12.JPG"}
            << QStringList{};
    QTest::newRow("one stem in several picks")
            << QStringList{"/s/IMG_1.jpg", "/s/IMG_10.jpg", "/s/IMG_11.png"}
            << QStringList{"/b/IMG_1.jpg"}
            << QStringList{"0:/b/IMG_1.jpg", "1:/b/IMG_1.jpg", "2:/b/IMG_1.jpg"} << QStringList{};
    QTest::newRow("stem twice in the name counts once")
            << QStringList{"/s/abab.jpg"} << QStringList{"/b/ab.x"} << QStringList{"0:/b/ab.x"}
            << QStringList{};
    QTest::newRow("empty stems never match")
            << QStringList{"/s/a.jpg"} << QStringList{"/b/.jpg", "/b/.jpg.jpg"} << QStringList{}
            << QStringList{"/s/a.jpg"};
    QTest::newRow("stem longer than the name")
            << QStringList{"/s/a.jpg"} << QStringList{"/b/a.jpg-long.CR2"} << QStringList{}
            << QStringList{"/s/a.jpg"};
}

void tst_stemindex::match()
{
    QFETCH(QStringList, picks);
    QFETCH(QStringList, candidates);
    QFETCH(QStringList, matched);
    QFETCH(QStringList, missing);
    PathList pickInfos;
    for (const QString &path : picks)
        pickInfos.append(path);
    PathList candidateInfos;
    for (const QString &path : candidates)
        candidateInfos.append(path);

    QList<int> progress;
    const StemMatches result = StemIndex(candidateInfos).match(pickInfos, true, [&](int done) {
        progress.append(done);
    });
    QStringList got;
    for (int k = 0; k < result.matched.size(); ++k)
        got.append(QStringLiteral("%1:%2")
                           .arg(picks.indexOf(result.partners.at(k).filePath()))
                           .arg(result.matched.at(k).filePath()));
    QCOMPARE(got, matched);
    QCOMPARE(result.missing, missing);
    QCOMPARE(progress.size(), picks.size());
    QCOMPARE(progress.last(), picks.size());
    QVERIFY(StemIndex(candidateInfos).match(pickInfos, false).partners.isEmpty());
}

void tst_stemindex::sameAsEveryPair_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("candidateCount");
    QTest::addColumn<int>("pickCount");
    QTest::addColumn<int>("pieces"); // fewest pieces in a candidate's name
    QTest::newRow("dense matches") << 11u << 400 << 150 << 3;
    QTest::newRow("sparse matches") << 12u << 1500 << 300 << 5;
}

// Both rules on a generated tree, the index on the listing a run makes, the reference on the
// QDir walk: the same lists, entry for entry.
void tst_stemindex::sameAsEveryPair()
{
    QFETCH(quint32, seed);
    QFETCH(int, candidateCount);
    QFETCH(int, pickCount);
    QFETCH(int, pieces);
    TestWorkDir workDir;
    QVERIFY(workDir.isValid());
    const QString big = workDir.filePath(QStringLiteral("big"));
    const QString small = workDir.filePath(QStringLiteral("small"));

    QRandomGenerator random(seed);
    const QStringList folders = {"", "shoot 1/", "shoot 2/raw/", "Shoot.1/"};
    auto create = [&](const QString &root, const QString &name) {
        const QString path = root + QLatin1Char('/') + folders.at(random.bounded(4)) + name;
        QDir().mkpath(QFileInfo(path).path());
        QFile(path).open(QIODevice::WriteOnly);
    };
    QStringList names;
    for (int i = 0; i < candidateCount; ++i) {
        names.append(randomName(random, pieces, pieces + 2,
                                {"CR2", "JPG", "jpg", "xmp", "a", "1", "-"}));
        create(big, names.last());
    }
    const QStringList pickSuffixes = {"jpg", "JPG", "png", "jpeg", "Jpg"};
    for (int i = 0; i < pickCount; ++i) {
        if (i % 2) {
            create(small, randomName(random, 1, pieces + 4, pickSuffixes));
            continue;
        }
        // Named after an original, as picks are, then edited a little.
        const QString original = names.at(random.bounded(names.size()));
        QString name = QString(original).remove(QLatin1Char('.') + QFileInfo(original).suffix());
        if (random.bounded(3) == 0)
            name.remove(0, 1);
        else if (random.bounded(2) == 0)
            name += QStringLiteral("-edit");
        create(small, name + QLatin1Char('.') + pickSuffixes.at(random.bounded(5)));
    }

    const PathList picks = TreeWalker::list(small, TreeWalker::Images);
    const PathList candidates = TreeWalker::list(big, TreeWalker::Files);
    const QFileInfoList pickInfos = listTreeByQDir(small, TreeWalker::Images);
    const QFileInfoList candidateInfos = listTreeByQDir(big, TreeWalker::Files);
    for (const bool keepPartners : {false, true}) {
        const StemMatches indexed = StemIndex(candidates).match(picks, keepPartners);
        const StemMatches reference = StemIndex::matchEveryPair(pickInfos, candidateInfos,
                                                                keepPartners);
        QVERIFY(indexed.matched.size() > 20);
        QVERIFY(indexed.missing.size() > 2);
        QCOMPARE(paths(indexed.matched), paths(reference.matched));
        QCOMPARE(paths(indexed.partners), paths(reference.partners));
        QCOMPARE(indexed.missing, reference.missing);
    }
}

QTEST_MAIN(tst_stemindex)
#include "tst_stemindex.moc"
