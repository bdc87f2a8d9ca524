#include "kelto.h"
#include "stemindex.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QtTest>

namespace {

QFileInfoList infos(const QStringList &paths)
{
    QFileInfoList result;
    for (const QString &path : paths)
        result.append(QFileInfo(path));
    return result;
}

QStringList paths(const QFileInfoList &list)
{
    QStringList result;
    for (const QFileInfo &info : list)
        result.append(info.filePath());
    return result;
}

// Random names from a few characters that overlap a lot: dots, case twins, blanks, a letter
// outside Latin-1 and one outside the Basic Multilingual Plane.
QString randomName(QRandomGenerator &random, int minLength, int maxLength,
                   const QStringList &suffixes)
{
    static const QStringList pieces = {"a", "b", "A", ".", "1", " ", "é", "😀", "IMG_", "-edit"};
    QString name;
    const int length = random.bounded(minLength, maxLength + 1);
    for (int i = 0; i < length; ++i)
        name += pieces.at(random.bounded(pieces.size()));
    const QString suffix = suffixes.at(random.bounded(suffixes.size()));
    if (suffix != QLatin1String("-"))
        name += QLatin1Char('.') + suffix;
    return name;
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
    void sameAsEveryPairOnDisk_data();
    void sameAsEveryPairOnDisk();
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
    QTest::newRow("suffix text without dot stays") << "jpg.jpg"
                                                   << "jpg";
    QTest::newRow("suffix in the middle") << "IMG.jpg_copy.jpg"
                                          << "IMG_copy";
    QTest::newRow("trailing dot") << "IMG_1."
                                  << "IMG_1";
    QTest::newRow("non-Latin") << "照片 1.jpg"
                               << "照片 1";
}

void tst_stemindex::stemOf()
{
    QFETCH(QString, name);
    QFETCH(QString, stem);
    QCOMPARE(StemIndex::stemOf(name), stem);
    // The suffix is the one the listing's records report.
    QCOMPARE(StemIndex::stemOf(name),
             QString(name).remove(QLatin1Char('.') + QFileInfo(name).suffix()));
}

void tst_stemindex::match_data()
{
    QTest::addColumn<QStringList>("picks");
    QTest::addColumn<QStringList>("candidates");
    QTest::addColumn<QStringList>("matched"); // "pick index:candidate path"
    QTest::addColumn<QStringList>("missing");

    QTest::newRow("raw and jpeg of one pick, the other missing")
            << QStringList{"/s/a.jpg", "/s/b.jpg"} << QStringList{"/b/a.CR2", "/b/a.JPG"}
            << QStringList{"0:/b/a.CR2", "0:/b/a.JPG"} << QStringList{"/s/b.jpg"};
    QTest::newRow("containment, not equality")
            << QStringList{"/s/IMG_0001-edit.jpg"} << QStringList{"/b/IMG_0001.CR2"}
            << QStringList{"0:/b/IMG_0001.CR2"} << QStringList{};
    QTest::newRow("short stem in several picks")
            << QStringList{"/s/IMG_1.jpg", "/s/IMG_10.jpg", "/s/IMG_11.png"}
            << QStringList{"/b/IMG_1.jpg"}
            << QStringList{"0:/b/IMG_1.jpg", "1:/b/IMG_1.jpg", "2:/b/IMG_1.jpg"} << QStringList{};
    QTest::newRow("case on the candidate")
            << QStringList{"/s/IMG_0001.jpg"} << QStringList{"/b/img_0001.JPG"} << QStringList{}
            << QStringList{"/s/IMG_0001.jpg"};
    QTest::newRow("sidecar taken")
            << QStringList{"/s/IMG_1.jpg"} << QStringList{"/b/IMG_1.xmp", "/b/notes.txt"}
            << QStringList{"0:/b/IMG_1.xmp"} << QStringList{};
    QTest::newRow("empty stem never matches")
            << QStringList{"/s/a.jpg"} << QStringList{"/b/.jpg", "/b/.jpg.jpg"} << QStringList{}
            << QStringList{"/s/a.jpg"};
    QTest::newRow("candidate order across stems")
            << QStringList{"/s/IMG_12.jpg"}
            << QStringList{"/b/x/IMG_12.CR2", "/b/y/IMG_1.CR2", "/b/z/IMG_12.JPG", "/b/IMG_2.CR2"}
            << QStringList{"0:/b/x/IMG_12.CR2", "0:/b/y/IMG_1.CR2", "0:/b/z/IMG_12.JPG"}
            << QStringList{};
    QTest::newRow("stem twice in the name counts once")
            << QStringList{"/s/abab.jpg"} << QStringList{"/b/ab.x"} << QStringList{"0:/b/ab.x"}
            << QStringList{};
    QTest::newRow("same name in two folders")
            << QStringList{"/s/IMG_1.jpg"} << QStringList{"/b/A/IMG_1.jpg", "/b/B/IMG_1.jpg"}
            << QStringList{"0:/b/A/IMG_1.jpg", "0:/b/B/IMG_1.jpg"} << QStringList{};
    QTest::newRow("stem longer than the name")
            << QStringList{"/s/a.jpg"} << QStringList{"/b/a.jpg-long.CR2"} << QStringList{}
            << QStringList{"/s/a.jpg"};
    QTest::newRow("no candidates") << QStringList{"/s/a.jpg", "/s/b.png"} << QStringList{}
                                   << QStringList{} << QStringList{"/s/a.jpg", "/s/b.png"};
}

void tst_stemindex::match()
{
    QFETCH(QStringList, picks);
    QFETCH(QStringList, candidates);
    QFETCH(QStringList, matched);
    QFETCH(QStringList, missing);

    QList<int> progress;
    const StemMatches result = StemIndex(infos(candidates)).match(infos(picks), true, [&](int done) {
        progress.append(done);
    });
    QStringList got;
    for (int k = 0; k < result.matched.size(); ++k)
        got.append(QStringLiteral("%1:%2")
                           .arg(picks.indexOf(result.partners.at(k).filePath()))
                           .arg(result.matched.at(k).filePath()));
    QCOMPARE(got, matched);
    QCOMPARE(result.missing, missing);
    QList<int> expectedProgress;
    for (int i = 1; i <= picks.size(); ++i)
        expectedProgress.append(i);
    QCOMPARE(progress, expectedProgress);

    const StemMatches withoutPartners = StemIndex(infos(candidates)).match(infos(picks), false);
    QCOMPARE(paths(withoutPartners.matched), paths(result.matched));
    QVERIFY(withoutPartners.partners.isEmpty());
}

void tst_stemindex::sameAsEveryPair_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("candidateCount");
    QTest::addColumn<int>("pickCount");
    QTest::addColumn<int>("maxLength");

    QTest::newRow("short names, dense matches") << 1u << 300 << 200 << 3;
    QTest::newRow("longer names, sparse matches") << 2u << 2000 << 300 << 8;
    QTest::newRow("many candidates") << 3u << 5000 << 100 << 5;
}

void tst_stemindex::sameAsEveryPair()
{
    QFETCH(quint32, seed);
    QFETCH(int, candidateCount);
    QFETCH(int, pickCount);
    QFETCH(int, maxLength);

    QRandomGenerator random(seed);
    const QStringList candidateSuffixes = {"CR2", "JPG", "jpg", "xmp", "a", "", "-"};
    const QStringList pickSuffixes = {"jpg", "JPG", "png", "jpeg"};
    QStringList candidates;
    for (int i = 0; i < candidateCount; ++i)
        candidates.append(QStringLiteral("/big/%1/").arg(i % 7)
                          + randomName(random, 1, maxLength, candidateSuffixes));
    QStringList picks;
    for (int i = 0; i < pickCount; ++i)
        picks.append(QStringLiteral("/small/%1/").arg(i % 3)
                     + randomName(random, 1, maxLength + 3, pickSuffixes));

    for (const bool keepPartners : {false, true}) {
        const StemMatches indexed = StemIndex(infos(candidates)).match(infos(picks), keepPartners);
        const StemMatches reference = StemIndex::matchEveryPair(infos(picks), infos(candidates),
                                                                keepPartners);
        QCOMPARE(paths(indexed.matched), paths(reference.matched));
        QCOMPARE(paths(indexed.partners), paths(reference.partners));
        QCOMPARE(indexed.missing, reference.missing);
    }
}

void tst_stemindex::sameAsEveryPairOnDisk_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::newRow("tree one") << 11u;
    QTest::newRow("tree two") << 12u;
}

void tst_stemindex::sameAsEveryPairOnDisk()
{
    QFETCH(quint32, seed);
    TestWorkDir workDir;
    QVERIFY(workDir.isValid());
    const QString big = workDir.filePath(QStringLiteral("big"));
    const QString small = workDir.filePath(QStringLiteral("small"));

    QRandomGenerator random(seed);
    const QStringList folders = {"", "shoot 1/", "shoot 2/raw/", "Shoot.1/"};
    const QStringList candidateSuffixes = {"CR2", "JPG", "jpg", "xmp", "-"};
    const QStringList pickSuffixes = {"jpg", "JPG", "png", "jpeg", "Jpg", "gif"};
    for (int i = 0; i < 400; ++i) {
        const QString path = big + QLatin1Char('/') + folders.at(random.bounded(folders.size()))
                             + randomName(random, 3, 5, candidateSuffixes);
        QDir().mkpath(QFileInfo(path).path());
        QFile(path).open(QIODevice::WriteOnly);
    }
    for (int i = 0; i < 150; ++i) {
        const QString path = small + QLatin1Char('/') + folders.at(random.bounded(folders.size()))
                             + randomName(random, 1, 6, pickSuffixes);
        QDir().mkpath(QFileInfo(path).path());
        QFile(path).open(QIODevice::WriteOnly);
    }

    kelto window;
    const QFileInfoList picks = window.listTreeImages(small);
    const QFileInfoList candidates = window.listTreeFiles(big);
    QVERIFY(picks.size() > 50);
    QVERIFY(candidates.size() > 200);

    const StemMatches indexed = StemIndex(candidates).match(picks, true);
    const StemMatches reference = StemIndex::matchEveryPair(picks, candidates, true);
    QVERIFY(!indexed.matched.isEmpty());
    QVERIFY(!indexed.missing.isEmpty());
    QCOMPARE(paths(indexed.matched), paths(reference.matched));
    QCOMPARE(paths(indexed.partners), paths(reference.partners));
    QCOMPARE(indexed.missing, reference.missing);
}

QTEST_MAIN(tst_stemindex)
#include "tst_stemindex.moc"
