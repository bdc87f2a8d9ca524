// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/adlink/adfeed.h"
#include "tests/filesizelimit.h"
#include "tests/loopbackserver.h"
#include "tests/testsupport.h"
#include "tests/wirebytes.h"
#include "ui/kelto.h"

#include <QDataStream>
#include <QTcpSocket>
#include <QtTest>

using Files = QMap<QString, QByteArray>;
using WireBytes::AdEntry;

namespace {

// The image files of the store, without the link file.
Files storeFiles()
{
    Files files;
    const QFileInfoList list = QDir(QStringLiteral("GG")).entryInfoList(QDir::Files | QDir::Hidden);
    for (const QFileInfo &info : list) {
        if (info.fileName() != QLatin1String("setOHS.RDAT"))
            files.insert(info.fileName(), fileContent(info.filePath()));
    }
    return files;
}

// Whether names in the working folder differ by case alone, as on Linux; Windows ignores case.
bool namesKeepCase()
{
    const QString probe = QStringLiteral("case-probe");
    const bool keep = writeFile(probe, "x") && !QFileInfo::exists(probe.toUpper());
    QFile::remove(probe);
    return keep;
}

// Drops each name that is another one but for case, as a case-blind folder would; those dropped.
QStringList dropCaseTwins(Files &files)
{
    QSet<QString> seen;
    QStringList dropped;
    for (auto it = files.begin(); it != files.end();) {
        if (seen.contains(it.key().toLower())) {
            dropped.append(it.key());
            it = files.erase(it);
        } else {
            seen.insert(it.key().toLower());
            ++it;
        }
    }
    return dropped;
}

// Everything below the working folder that is neither config.json nor in the store.
QStringList outsideStore(const QString &root)
{
    QStringList found;
    for (const QString &path : entriesBelow(root)) {
        if (path != QLatin1String("config.json") && path != QLatin1String("GG")
            && !(path.startsWith(QLatin1String("GG/")) && path.count(QLatin1Char('/')) == 1))
            found << path;
    }
    return found;
}

std::array<QString, 9> links(const QStringList &list)
{
    std::array<QString, 9> array;
    for (int i = 0; i < 9; ++i)
        array[i] = list.value(i);
    return array;
}

QStringList oldLinks()
{
    QStringList list;
    for (int i = 1; i <= 9; ++i)
        list << QStringLiteral("www.example.com/old%1").arg(i);
    return list;
}

QStringList withLinks(QStringList list, const QList<QPair<int, QString>> &changes)
{
    for (const auto &change : changes)
        list[change.first - 1] = change.second;
    return list;
}

const QByteArray gifBytes = QByteArrayLiteral("GIF89a\x01\x00\x01\x00\x00\x00\x00;");
const QByteArray pngBytes = QByteArrayLiteral("\x89PNG\r\n\x1a\n-still-");

} // namespace

class tst_adfeed : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void adSet_data();
    void adSet();
    void storeFolderCreated();
    void storeFolderBlocked();
    void failedWriteGoesOn_data();
    void failedWriteGoesOn();

private:
    void deliver(const QByteArray &payload);

    MessageRecorder *log = nullptr;
    TestWorkDir *workDir = nullptr;
    kelto *window = nullptr;
};

void tst_adfeed::initTestCase()
{
    log = new MessageRecorder(MessageRecorder::PassOn);
}

void tst_adfeed::cleanupTestCase()
{
    delete log;
    log = nullptr;
}

// Sends the payload as the answer of a loopback server and waits until the window has handled it.
void tst_adfeed::deliver(const QByteArray &payload)
{
    LoopbackServer server({WireBytes::frame(payload)});
    QVERIFY(connectToLoopback(window, server.port()));
    log->messages.clear();
    QVERIFY(window->sendMessage(QStringLiteral("requestGG")));

    QString keyword;
    QDataStream in(payload);
    in >> keyword;
    QTRY_VERIFY(log->messages.contains(QLatin1Char('"') + keyword + QLatin1Char('"')));
    if (keyword == QLatin1String("GGFiles")) {
        QTRY_VERIFY(server.clientClosed());
        QCOMPARE(window->adFeed()->socket()->state(), QAbstractSocket::UnconnectedState);
    } else {
        QCOMPARE(window->adFeed()->socket()->state(), QAbstractSocket::ConnectedState);
    }
}

void tst_adfeed::init()
{
    QVERIFY(openWindow(workDir, window));
    const QStringList old = oldLinks();
    for (int i = 0; i < 9; ++i)
        KeltoProbe(*window).setAdLink(i, old.at(i));
}

void tst_adfeed::cleanup()
{
    closeWindow(workDir, window);
}

void tst_adfeed::adSet_data()
{
    QTest::addColumn<Files>("before");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<Files>("after");
    QTest::addColumn<QStringList>("linksAfter");
    QTest::addColumn<bool>("linkFileWritten");

    const QStringList old = oldLinks();
    const auto set = [](const QList<AdEntry> &entries) { return WireBytes::ggFiles(entries); };

    QTest::newRow("gif stored as dats, older files of its tile removed")
            << Files{{"GG3.dat", "old"},
                     {"GG3.x.dats", "older"},
                     {"GG30.dat", "keep"},
                     {"gg3.dat", "keep"}}
            << set({{"GG3.gif", "https://ads.example/3", gifBytes}})
            << Files{{"GG3.dats", gifBytes}, {"GG30.dat", "keep"}, {"gg3.dat", "keep"}}
            << withLinks(old, {{3, "https://ads.example/3"}}) << true;
    QTest::newRow("GIF upper case stored as dat")
            << Files{} << set({{"GG3.GIF", "l3", gifBytes}}) << Files{{"GG3.dat", gifBytes}}
            << withLinks(old, {{3, "l3"}}) << true;
    QTest::newRow("two dots") << Files{} << set({{"GG5.spring.gif", "l5", gifBytes}})
                              << Files{{"GG5.dats", gifBytes}} << withLinks(old, {{5, "l5"}})
                              << true;
    QTest::newRow("still replaces an animation")
            << Files{{"GG4.dats", gifBytes}} << set({{"GG4.png", "l4", pngBytes}})
            << Files{{"GG4.dat", pngBytes}} << withLinks(old, {{4, "l4"}}) << true;
    QTest::newRow("lower-case gg1 changes no link")
            << Files{{"GG1.dat", "kept"}} << set({{"gg1.png", "l1", pngBytes}})
            << Files{{"GG1.dat", "kept"}, {"gg1.dat", pngBytes}} << old << true;
    QTest::newRow("free text name") << Files{} << set({{"spring sale.jpg", "l", pngBytes}})
                                    << Files{{"spring sale.dat", pngBytes}} << old << true;
    QTest::newRow("folder parts dropped")
            << Files{}
            << set({{"../../GG6.png", "l6", "6"},
                    {"..\\..\\GG7.png", "l7", "7"},
                    {"/tmp/GG8.gif", "l8", "8"},
                    {"GG/GG/GG9.jpg", "l9", "9"}})
            << Files{{"GG6.dat", "6"}, {"GG7.dat", "7"}, {"GG8.dats", "8"}, {"GG9.dat", "9"}}
            << withLinks(old, {{6, "l6"}, {7, "l7"}, {8, "l8"}, {9, "l9"}}) << true;
    QTest::newRow("same base twice, same kind")
            << Files{{"GG2.dat", "old"}}
            << set({{"GG2.png", "first", "a"}, {"GG2.jpg", "second", "b"}})
            << Files{{"GG2.dat", "b"}} << withLinks(old, {{2, "second"}}) << true;
    QTest::newRow("same base twice, gif and still")
            << Files{} << set({{"GG2.gif", "first", "a"}, {"GG2.png", "second", "b"}})
            << Files{{"GG2.dats", "a"}, {"GG2.dat", "b"}} << withLinks(old, {{2, "second"}})
            << true;
    QTest::newRow("empty content") << Files{{"GG1.dat", "old"}} << set({{"GG1.png", "l1", ""}})
                                   << Files{{"GG1.dat", ""}} << withLinks(old, {{1, "l1"}}) << true;
    QTest::newRow("all nine tiles")
            << Files{}
            << set({{"GG1.png", "a", "1"},
                    {"GG2.png", "b", "2"},
                    {"GG3.png", "c", "3"},
                    {"GG4.png", "d", "4"},
                    {"GG5.png", "e", "5"},
                    {"GG6.png", "f", "6"},
                    {"GG7.png", "g", "7"},
                    {"GG8.png", "h", "8"},
                    {"GG9.gif", "i", "9"}})
            << Files{{"GG1.dat", "1"}, {"GG2.dat", "2"}, {"GG3.dat", "3"},
                     {"GG4.dat", "4"}, {"GG5.dat", "5"}, {"GG6.dat", "6"},
                     {"GG7.dat", "7"}, {"GG8.dat", "8"}, {"GG9.dats", "9"}}
            << QStringList{"a", "b", "c", "d", "e", "f", "g", "h", "i"} << true;

    const QByteArray two = WireBytes::adEntries({{"GG1.png", "l1", "1"}, {"GG2.png", "l2", "2"}});
    QTest::newRow("count 0") << Files{{"GG1.dat", "old"}} << WireBytes::ggFiles("0", two)
                             << Files{{"GG1.dat", "old"}} << old << true;
    QTest::newRow("count not a number")
            << Files{} << WireBytes::ggFiles("two", two) << Files{} << old << true;
    QTest::newRow("count negative")
            << Files{} << WireBytes::ggFiles("-2", two) << Files{} << old << true;
    QTest::newRow("count smaller than the set")
            << Files{} << WireBytes::ggFiles("1", two) << Files{{"GG1.dat", "1"}}
            << withLinks(old, {{1, "l1"}}) << true;
    QTest::newRow("count larger than the set") << Files{} << WireBytes::ggFiles("1000000", two)
                                               << Files{{"GG1.dat", "1"}, {"GG2.dat", "2"}}
                                               << withLinks(old, {{1, "l1"}, {2, "l2"}}) << true;
    QTest::newRow("entry cut short")
            << Files{}
            << WireBytes::ggFiles("2", WireBytes::adEntries({{"GG1.png", "l1", "1"}})
                                               + WireBytes::string("GG2.png")
                                               + WireBytes::string("l2") + WireBytes::uint32(100)
                                               + "short")
            << Files{{"GG1.dat", "1"}} << withLinks(old, {{1, "l1"}}) << true;
    QTest::newRow("corrupt entry: odd string length")
            << Files{}
            << WireBytes::ggFiles("3", WireBytes::adEntries({{"GG1.png", "l1", "1"}})
                                               + WireBytes::uint32(3) + "abc"
                                               + WireBytes::adEntries({{"GG3.png", "l3", "3"}}))
            << Files{{"GG1.dat", "1"}} << withLinks(old, {{1, "l1"}}) << true;
    QTest::newRow("unusable names skipped")
            << Files{{"GG9.dat", "old"}}
            << set({{"", "a", "x"},
                    {".gif", "b", "x"},
                    {QString(), "c", "x"},
                    {QString(300, QLatin1Char('A')) + ".png", "d", "x"},
                    {"dir/", "e", "x"},
                    {"GG9.gif", "l9", "9"}})
            << Files{{"GG9.dats", "9"}} << withLinks(old, {{9, "l9"}}) << true;
    QTest::newRow("ad set without entries, count 1")
            << Files{} << WireBytes::ggFiles("1", "") << Files{} << old << true;
    QTest::newRow("keyword only") << Files{} << WireBytes::string("GGFiles") << Files{} << old
                                  << true;
    QTest::newRow("other keyword")
            << Files{{"GG1.dat", "old"}}
            << WireBytes::string("GGFile") + WireBytes::string("1")
                       + WireBytes::bytes(WireBytes::adEntries({{"GG1.png", "l1", "1"}}))
            << Files{{"GG1.dat", "old"}} << old << false;
    QTest::newRow("empty payload") << Files{} << QByteArray("") << Files{} << old << false;
}

void tst_adfeed::adSet()
{
    QFETCH(Files, before);
    QFETCH(QByteArray, payload);
    QFETCH(Files, after);
    QFETCH(QStringList, linksAfter);
    QFETCH(bool, linkFileWritten);
    if (!namesKeepCase()) {
        // Of two files that differ only in case, only the first can be laid out here; a row
        // whose result has two such files cannot hold.
        for (const QString &name : dropCaseTwins(before))
            after.remove(name);
        if (!dropCaseTwins(after).isEmpty())
            QSKIP("Its result has two files whose names differ only in case: one file where "
                  "names ignore case");
    }

    for (auto it = before.cbegin(); it != before.cend(); ++it)
        QVERIFY(writeFile(QStringLiteral("GG/") + it.key(), it.value()));

    deliver(payload);

    QCOMPARE(storeFiles().keys(), after.keys());
    QCOMPARE(storeFiles(), after);
    QCOMPARE(QStringList(KeltoProbe(*window).adLinks().cbegin(),
                         KeltoProbe(*window).adLinks().cend()),
             linksAfter);
    QCOMPARE(QFileInfo::exists(QStringLiteral("GG/setOHS.RDAT")), linkFileWritten);
    if (linkFileWritten)
        QCOMPARE(fileContent(QStringLiteral("GG/setOHS.RDAT")).toHex(),
                 WireBytes::linkFile(links(linksAfter)).toHex());
    QCOMPARE(outsideStore(workDir->path()), QStringList());
}

void tst_adfeed::storeFolderCreated()
{
    QVERIFY(QDir(QStringLiteral("GG")).removeRecursively());
    deliver(WireBytes::ggFiles({{"GG1.gif", "l1", gifBytes}}));
    QCOMPARE(storeFiles(), (Files{{"GG1.dats", gifBytes}}));
    QCOMPARE(fileContent(QStringLiteral("GG/setOHS.RDAT")),
             WireBytes::linkFile(links(withLinks(oldLinks(), {{1, "l1"}}))));
}

void tst_adfeed::storeFolderBlocked()
{
    QVERIFY(QDir(QStringLiteral("GG")).removeRecursively());
    QVERIFY(writeFile(QStringLiteral("GG"), "not a folder"));
    deliver(WireBytes::ggFiles({{"GG1.gif", "l1", gifBytes}}));
    // Nothing can be stored, but the link held in memory follows the set.
    QCOMPARE(fileContent(QStringLiteral("GG")), QByteArray("not a folder"));
    QCOMPARE(KeltoProbe(*window).adLinks()[0], QStringLiteral("l1"));
    QCOMPARE(folderEntries(workDir->path()),
             (QStringList{QStringLiteral("config.json"), QStringLiteral("GG")}));
}

void tst_adfeed::failedWriteGoesOn_data()
{
    QTest::addColumn<bool>("sizeLimit");
    QTest::newRow("file-size limit") << true;
    QTest::newRow("folder in place of the stored file") << false;
}

void tst_adfeed::failedWriteGoesOn()
{
    QFETCH(bool, sizeLimit);
    if (sizeLimit)
        SKIP_WITHOUT_FILE_SIZE_LIMIT();

    QVERIFY(writeFile(QStringLiteral("GG/GG1.png"), "old still of tile 1"));
    if (!sizeLimit)
        QVERIFY(QDir().mkpath(QStringLiteral("GG/GG1.dat/inside")));
    const QByteArray big(4096, 'x');
    const QByteArray payload = WireBytes::ggFiles({{"GG1.png", "l1", big}, {"GG2.png", "l2", "2"}});
    {
        FileSizeLimit limit(sizeLimit ? 1024 : FileSizeLimit::Unlimited);
        deliver(payload);
    }

    // The older file of tile 1 is gone, no part of the new one is left, and the next entry is
    // stored.
    Files expected{{"GG2.dat", "2"}};
    QCOMPARE(storeFiles(), expected);
    QCOMPARE(QFileInfo(QStringLiteral("GG/GG1.dat")).isDir(), !sizeLimit);
    const QStringList linksAfter = withLinks(oldLinks(), {{1, "l1"}, {2, "l2"}});
    QCOMPARE(QStringList(KeltoProbe(*window).adLinks().cbegin(),
                         KeltoProbe(*window).adLinks().cend()),
             linksAfter);
    QCOMPARE(fileContent(QStringLiteral("GG/setOHS.RDAT")), WireBytes::linkFile(links(linksAfter)));
}

QTEST_MAIN(tst_adfeed)
#include "tst_adfeed.moc"
