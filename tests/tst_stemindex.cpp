// SPDX-License-Identifier: GPL-3.0-or-later
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

PathList pathList(const QStringList &paths)
{
    PathList list;
    for (const QString &path : paths)
        list.append(path);
    return list;
}

QFileInfoList fileInfos(const QStringList &paths)
{
    QFileInfoList list;
    for (const QString &path : paths)
        list.append(QFileInfo(path));
    return list;
}

// The matches as "pick index:candidate path".
QStringList pairs(const QStringList &picks, const StemMatches &result)
{
    QStringList got;
    for (int k = 0; k < result.matched.size(); ++k)
        got.append(QStringLiteral("%1:%2")
                           .arg(picks.indexOf(result.partners.at(k).filePath()))
                           .arg(result.matched.at(k).filePath()));
    return got;
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
    void rules_data();
    void rules();
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
    const PathList pickInfos = pathList(picks);
    const PathList candidateInfos = pathList(candidates);

    QList<int> progress;
    const StemMatches result = StemIndex(candidateInfos).match(pickInfos, true, [&](int done) {
        progress.append(done);
    });
    QCOMPARE(pairs(picks, result), matched);
    QCOMPARE(result.missing, missing);
    QCOMPARE(progress.size(), picks.size());
    QCOMPARE(progress.last(), picks.size());
    QVERIFY(StemIndex(candidateInfos).match(pickInfos, false).partners.isEmpty());
}

void tst_stemindex::rules_data()
{
    QTest::addColumn<QString>("rules");
    QTest::addColumn<QStringList>("picks");
    QTest::addColumn<QStringList>("candidates");
    QTest::addColumn<QStringList>("matched"); // "pick index:candidate path"

    const QStringList copy = {"/s/img_0030.jpg"};
    const QStringList raw = {"/b/IMG_0030.CR2"};
    QTest::newRow("case kept by default") << "" << copy << raw << QStringList{};
    QTest::newRow("case ignored") << "case" << copy << raw << QStringList{"0:/b/IMG_0030.CR2"};
    QTest::newRow("case folded beyond ASCII")
            << "case" << QStringList{"/s/ÉTÉ_ΣΑΣ 1.jpg"} << QStringList{"/b/été_σας 1.NEF"}
            << QStringList{"0:/b/été_σας 1.NEF"};

    const QStringList longer = {"/s/IMG_1234_small.jpg"};
    const QStringList both = {"/b/IMG_123.CR2", "/b/IMG_1234.CR2"};
    QTest::newRow("stem inside a longer number, by default")
            << "" << longer << both << QStringList{"0:/b/IMG_123.CR2", "0:/b/IMG_1234.CR2"};
    QTest::newRow("whole names") << "whole" << longer << both << QStringList{"0:/b/IMG_1234.CR2"};
    QTest::newRow("whole names: a lone digit")
            << "whole" << QStringList{"/s/IMG_0012.jpg", "/s/1.jpg", "/s/Scan 1-edit.png"}
            << QStringList{"/b/1.jpg"} << QStringList{"1:/b/1.jpg", "2:/b/1.jpg"};
    QTest::newRow("whole names: a later place stands alone")
            << "whole" << QStringList{"/s/ABC AB.jpg", "/s/xAB1.jpg"} << QStringList{"/b/AB.x"}
            << QStringList{"0:/b/AB.x"};
    QTest::newRow("whole names: a letter outside the BMP joins")
            << "whole" << QStringList{"/s/𝐀IMG_1.jpg", "/s/😀IMG_1.jpg"}
            << QStringList{"/b/IMG_1.CR2"} << QStringList{"1:/b/IMG_1.CR2"};
    QTest::newRow("whole names and case") << "case whole" << QStringList{"/s/img_123_small.JPG"}
                                          << both << QStringList{"0:/b/IMG_123.CR2"};

    const QStringList sidecars = {"/b/IMG_0021.CR2",     "/b/IMG_0021.CR2.pp3",
                                  "/b/IMG_0021.CR2.xmp", "/b/IMG_0021.NEF.dop",
                                  "/b/IMG_0021.xmp",     "/b/x/IMG_0021.CR2.dop"};
    const QStringList pick21 = {"/s/IMG_0021_small.jpg"};
    QTest::newRow("no companions by default")
            << "" << pick21 << sidecars << QStringList{"0:/b/IMG_0021.CR2", "0:/b/IMG_0021.xmp"};
    QTest::newRow("companions beside their original")
            << "companions" << pick21 << sidecars
            << QStringList{"0:/b/IMG_0021.CR2", "0:/b/IMG_0021.CR2.pp3", "0:/b/IMG_0021.CR2.xmp",
                           "0:/b/IMG_0021.xmp"};
    QTest::newRow("companions: no suffix, or a longer one, is none")
            << "companions" << QStringList{"/s/IMG_7.jpg"}
            << QStringList{"/b/IMG_7.NEF", "/b/IMG_7.NEF.", "/b/IMG_7.NEF.x.y", "/b/IMG_7.NEF-x.y"}
            << QStringList{"0:/b/IMG_7.NEF"};
    QTest::newRow("companions: one matched by its stem too is taken once")
            << "companions" << QStringList{"/s/IMG_9.CR2.jpg"}
            << QStringList{"/b/IMG_9.CR2", "/b/IMG_9.CR2.xmp"}
            << QStringList{"0:/b/IMG_9.CR2", "0:/b/IMG_9.CR2.xmp"};
    QTest::newRow("companions keep case")
            << "companions" << QStringList{"/s/IMG_3.jpg"}
            << QStringList{"/b/IMG_3.CR2", "/b/img_3.cr2.xmp"} << QStringList{"0:/b/IMG_3.CR2"};
    QTest::newRow("companions with case ignored")
            << "companions case" << QStringList{"/s/IMG_3.jpg"}
            << QStringList{"/b/IMG_3.CR2", "/b/img_3.cr2.xmp"}
            << QStringList{"0:/b/IMG_3.CR2", "0:/b/img_3.cr2.xmp"};
    QTest::newRow("companions of two picks and two originals")
            << "companions" << QStringList{"/s/IMG_4.jpg", "/s/IMG_4-edit.jpg"}
            << QStringList{"/b/IMG_4.CR2", "/b/IMG_4.CR2.xmp", "/b/IMG_4.JPG", "/b/IMG_4.JPG.dop"}
            << QStringList{"0:/b/IMG_4.CR2",     "0:/b/IMG_4.CR2.xmp", "0:/b/IMG_4.JPG",
                           "0:/b/IMG_4.JPG.dop", "1:/b/IMG_4.CR2",     "1:/b/IMG_4.CR2.xmp",
                           "1:/b/IMG_4.JPG",     "1:/b/IMG_4.JPG.dop"};
    QTest::newRow("every rule") << "case whole companions"
                                << QStringList{"/s/img_0021 small.jpg", "/s/IMG_00210.jpg"}
                                << sidecars
                                << QStringList{"0:/b/IMG_0021.CR2", "0:/b/IMG_0021.CR2.pp3",
                                               "0:/b/IMG_0021.CR2.xmp", "0:/b/IMG_0021.xmp"};
}

// Each row by the index, in both modes, and by the every-pair reference.
void tst_stemindex::rules()
{
    QFETCH(QString, rules);
    QFETCH(QStringList, picks);
    QFETCH(QStringList, candidates);
    QFETCH(QStringList, matched);
    const MatchRules matchRules = rulesFrom(rules);
    QStringList missing;
    for (int i = 0; i < picks.size(); ++i) {
        if (matched.filter(QRegularExpression(QStringLiteral("^%1:").arg(i))).isEmpty())
            missing.append(picks.at(i));
    }

    const PathList candidateList = pathList(candidates);
    const StemIndex index(candidateList, matchRules);
    const StemMatches withPartners = index.match(pathList(picks), true);
    QCOMPARE(pairs(picks, withPartners), matched);
    QCOMPARE(withPartners.missing, missing);
    const StemMatches combined = index.match(pathList(picks), false);
    QCOMPARE(paths(combined.matched), paths(withPartners.matched));
    QVERIFY(combined.partners.isEmpty());
    QCOMPARE(combined.missing, missing);

    const StemMatches reference = StemIndex::matchEveryPair(fileInfos(picks), fileInfos(candidates),
                                                            true, matchRules);
    QCOMPARE(pairs(picks, reference), matched);
    QCOMPARE(reference.missing, missing);
}

void tst_stemindex::sameAsEveryPair_data()
{
    QTest::addColumn<quint32>("seed");
    QTest::addColumn<int>("candidateCount");
    QTest::addColumn<int>("pickCount");
    QTest::addColumn<int>("pieces"); // fewest pieces in a candidate's name
    QTest::addColumn<QString>("rules");
    QTest::newRow("dense matches") << 11u << 400 << 150 << 3 << "";
    QTest::newRow("sparse matches") << 12u << 1500 << 300 << 5 << "";
    QTest::newRow("dense, case ignored") << 11u << 400 << 150 << 3 << "case";
    QTest::newRow("sparse, whole names") << 12u << 1500 << 300 << 5 << "whole";
    QTest::newRow("dense, every rule")
            << 13u << 400 << 150 << 3 << "case whole companions formats=jpg,png";
    QTest::newRow("sparse, every rule")
            << 14u << 1500 << 300 << 5 << "case whole companions formats=jpg,png";
}

// Both ways on a generated tree, the index on the listing a run makes, the reference on the
// QDir walk: the same lists, entry for entry.
void tst_stemindex::sameAsEveryPair()
{
    QFETCH(quint32, seed);
    QFETCH(int, candidateCount);
    QFETCH(int, pickCount);
    QFETCH(int, pieces);
    QFETCH(QString, rules);
    const MatchRules matchRules = rulesFrom(rules);
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
        return path;
    };
    QStringList names;
    for (int i = 0; i < candidateCount; ++i) {
        names.append(randomName(random, pieces, pieces + 2,
                                {"CR2", "JPG", "jpg", "xmp", "a", "1", "-"}));
        const QString path = create(big, names.last());
        // Sidecars named after the whole name, in case twins too, some in another folder.
        if (matchRules.companions && i % 4 == 0) {
            const QString sidecar = path
                                    + (i % 8 ? QStringLiteral(".xmp") : QStringLiteral(".XMP"));
            QFile(i % 3 ? sidecar : create(big, QFileInfo(sidecar).fileName()))
                    .open(QIODevice::WriteOnly);
        }
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

    const PathList picks = TreeWalker::listPicks(small, matchRules);
    const PathList candidates = TreeWalker::list(big, TreeWalker::Files);
    const QFileInfoList pickInfos = listPicksByQDir(small, matchRules);
    const QFileInfoList candidateInfos = listTreeByQDir(big, TreeWalker::Files);
    for (const bool keepPartners : {false, true}) {
        const StemMatches indexed = StemIndex(candidates, matchRules).match(picks, keepPartners);
        const StemMatches reference = StemIndex::matchEveryPair(pickInfos, candidateInfos,
                                                                keepPartners, matchRules);
        QVERIFY(indexed.matched.size() > 20);
        QVERIFY(indexed.missing.size() > 2);
        QCOMPARE(paths(indexed.matched), paths(reference.matched));
        QCOMPARE(paths(indexed.partners), paths(reference.partners));
        QCOMPARE(indexed.missing, reference.missing);
    }
}

QTEST_MAIN(tst_stemindex)
#include "tst_stemindex.moc"
