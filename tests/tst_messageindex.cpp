// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/selection/messageindex.h"
#include "core/selection/messagereader.h"
#include "core/selection/pathlist.h"

#include <QtTest>

class tst_messageindex : public QObject
{
    Q_OBJECT

private slots:
    void match_data();
    void match();
};

// What a message picks among the originals, and what it tells the studio.
void tst_messageindex::match_data()
{
    QTest::addColumn<QStringList>("originals");
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("classified");
    QTest::addColumn<QString>("matched"); // file names in order, "group/" in front when classified
    QTest::addColumn<QString>("missing"); // as the dialog's copy line lists them
    QTest::addColumn<QString>("ambiguous"); // "entry: stem, stem"

    const QStringList cameras = {"IMG_0012.JPG",      "IMG_0120.jpg",  "DSC_0012.JPG",
                                 "IMG_0012-edit.jpg", "IMG_00125.jpg", "IMG_0034.JPG"};
    QTest::newRow("a number picks every stem that ends in it")
            << cameras << "12" << false << "IMG_0012.JPG DSC_0012.JPG IMG_0012-edit.jpg"
            << ""
            << "12: IMG_0012, DSC_0012, IMG_0012-edit";
    QTest::newRow("raw, JPEG and sidecar of one shot are no ambiguity")
            << QStringList{"IMG_0012.CR2", "IMG_0012.JPG", "IMG_0012.CR2.xmp", "img_0012-2.jpg"}
            << "0012" << false << "IMG_0012.CR2 IMG_0012.JPG IMG_0012.CR2.xmp"
            << ""
            << "";
    QTest::newRow("a number without an original, as written")
            << cameras << "0034 0078" << false << "IMG_0034.JPG"
            << "0078"
            << "";
    QTest::newRow("a range's numbers without an original, as runs")
            << QStringList{"IMG_0056.JPG", "IMG_0057.JPG", "IMG_0061.JPG"} << "0056~0062 70-71 0062"
            << false << "IMG_0056.JPG IMG_0057.JPG IMG_0061.JPG"
            << "0058~0060、0062、70-71"
            << "";
    QTest::newRow("a name ignores case and suffix")
            << QStringList{"img_0078.CR2", "IMG_0078.jpg", "IMG_0078-edit.jpg"} << "IMG_0078.JPG"
            << false << "img_0078.CR2 IMG_0078.jpg"
            << ""
            << "";
    QTest::newRow("a name without an original, as written")
            << cameras << "DSC_9999.jpg" << false << ""
            << "DSC_9999.jpg"
            << "";
    QTest::newRow("an original picked twice is taken once")
            << QStringList{"IMG_0012.JPG", "IMG_0013.JPG"} << "12 12-13 IMG_0013" << false
            << "IMG_0012.JPG IMG_0013.JPG"
            << ""
            << "";
    const QStringList shots = {"IMG_0012.JPG", "IMG_0034.JPG", "IMG_0056.JPG"};
    const QString grouped = QStringLiteral("精修：12\n入册：12 34\n56");
    QTest::newRow("classified: a folder per group, the rest in the output folder")
            << shots << grouped << true
            << "精修/IMG_0012.JPG 入册/IMG_0012.JPG 入册/IMG_0034.JPG IMG_0056.JPG"
            << ""
            << "";
    QTest::newRow("combined: everything side by side, once")
            << shots << grouped << false << "IMG_0012.JPG IMG_0034.JPG IMG_0056.JPG"
            << ""
            << "";
    QTest::newRow("a heading is made a safe folder name")
            << shots << "CON：12\n. 精修 .：34" << true << "_CON/IMG_0012.JPG 精修/IMG_0034.JPG"
            << ""
            << "";
    QTest::newRow("an original named only by a suffix is never picked")
            << QStringList{".jpg", "0012"} << "12" << false << "0012"
            << ""
            << "";
}

void tst_messageindex::match()
{
    QFETCH(QStringList, originals);
    QFETCH(QString, message);
    QFETCH(bool, classified);

    PathList candidates;
    for (const QString &name : originals)
        candidates.append(QStringLiteral("/big/"), name);
    int done = 0;
    const PickMessage read = MessageReader::read(message);
    const MessageMatches found = MessageIndex(candidates).match(read, classified, [&](int entries) {
        done = entries;
    });
    QCOMPARE(done, read.entries.size());

    QStringList matched;
    for (int i = 0; i < found.picks.matched.size(); ++i) {
        const QString folder = classified ? found.picks.folders.at(i) : QString();
        matched.append((folder.isEmpty() ? QString() : folder + QLatin1Char('/'))
                       + found.picks.matched.at(i).fileName());
    }
    QTEST(matched.join(QLatin1Char(' ')), "matched");
    QStringList ambiguous;
    for (const MessageAmbiguity &each : found.ambiguous)
        ambiguous.append(each.entry + QStringLiteral(": ") + each.stems.join(QStringLiteral(", ")));
    QTEST(found.picks.missing.join(QStringLiteral("、")), "missing");
    QTEST(ambiguous.join(QStringLiteral("; ")), "ambiguous");
}

QTEST_GUILESS_MAIN(tst_messageindex)
#include "tst_messageindex.moc"
