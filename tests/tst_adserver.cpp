// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/adlink/adfeed.h"
#include "tests/testsupport.h"
#include "tests/wirebytes.h"
#include "ui/kelto.h"

#include <QLabel>
#include <QMovie>
#include <QProcess>
#include <QTcpSocket>
#include <QtTest>

using WireBytes::AdEntry;

namespace {

// The size of the stills the ad folder holds.
const QSize stillSize(64, 16);

QString adServerPath()
{
#ifdef Q_OS_WIN
    return qEnvironmentVariable("ZANORA_BINARY_DIR") + QStringLiteral("/tools/adserver.exe");
#else
    return qEnvironmentVariable("ZANORA_BINARY_DIR") + QStringLiteral("/tools/adserver");
#endif
}

// Reads one whole frame that the server sends; empty when none comes.
QByteArray readFrame(QTcpSocket &socket)
{
    QByteArray bytes;
    while (!WireBytes::frameComplete(bytes)) {
        if (!socket.waitForReadyRead(10000))
            return QByteArray();
        bytes += socket.readAll();
    }
    return bytes;
}

QByteArray requestFrame(const QString &command)
{
    return WireBytes::frame(WireBytes::string(command) + WireBytes::string("test")
                            + WireBytes::string("1"));
}

} // namespace

class tst_adserver : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void endToEnd();
    void demoAdSet();
    void answersEveryRequest();
    void ignoresOtherCommands();
    void dropsBadFrames_data();
    void dropsBadFrames();
    void refusesToStart_data();
    void refusesToStart();

private:
    bool startServer(const QString &adsFolder);
    bool connectClient(QTcpSocket &client)
    {
        client.connectToHost(QHostAddress::LocalHost, port);
        return client.waitForConnected();
    }
    QByteArray serverLog()
    {
        serverErrors += server->readAllStandardError();
        return serverErrors;
    }

    QTemporaryDir *adsDir = nullptr;
    TestWorkDir *workDir = nullptr;
    QProcess *server = nullptr;
    quint16 port = 0;
    QByteArray serverErrors;
};

void tst_adserver::init()
{
    QVERIFY(QFileInfo(adServerPath()).isExecutable());
    adsDir = new QTemporaryDir;
    QVERIFY(adsDir->isValid());
    QVERIFY(writeFile(adsDir->filePath(QStringLiteral("GG1.png")), solidPng(Qt::blue, stillSize)));
    QVERIFY(writeFile(adsDir->filePath(QStringLiteral("GG5.gif")), solidGif(Qt::green)));
    QVERIFY(writeFile(adsDir->filePath(QStringLiteral("spring-sale.jpg")),
                      solidPng(Qt::yellow, stillSize)));
    QVERIFY(writeFile(adsDir->filePath(QStringLiteral("unlisted.png")),
                      solidPng(Qt::black, stillSize)));
    QVERIFY(writeFile(adsDir->filePath(QStringLiteral("links.txt")),
                      "# demo set\n"
                      "GG1.png   https://ads.example/one\n"
                      "\n"
                      "GG5.gif\thttps://ads.example/five?x=1 y\n"
                      "spring-sale.jpg\n"));
    workDir = new TestWorkDir;
    QVERIFY(workDir->isValid());
}

void tst_adserver::cleanup()
{
    if (server) {
        server->kill();
        server->waitForFinished();
        delete server;
        server = nullptr;
    }
    delete workDir;
    workDir = nullptr;
    delete adsDir;
    adsDir = nullptr;
}

bool tst_adserver::startServer(const QString &adsFolder)
{
    serverErrors.clear();
    server = new QProcess;
    server->start(adServerPath(), {QStringLiteral("--port"), QStringLiteral("0"),
                                   QStringLiteral("--ads"), adsFolder});
    if (!server->waitForStarted())
        return false;
    QByteArray line;
    while (!line.contains('\n') && server->waitForReadyRead(10000))
        line += server->readAllStandardOutput();
    const QByteArray prefix = "Listening on 127.0.0.1:";
    if (!line.startsWith(prefix))
        return false;
    port = quint16(line.mid(prefix.size()).trimmed().toUInt());
    return port != 0;
}

void tst_adserver::endToEnd()
{
    QVERIFY(startServer(adsDir->path()));
    TestWorkDir::writeConfig(QStringLiteral("127.0.0.1"), port);

    // An answer that comes in pieces is stored from the event loop after the constructor.
    kelto window;
    QTRY_COMPARE(window.adFeed()->socket()->state(), QAbstractSocket::UnconnectedState);

    QCOMPARE(fileContent(QStringLiteral("GG/GG1.dat")), solidPng(Qt::blue, stillSize));
    QCOMPARE(fileContent(QStringLiteral("GG/GG5.dats")), solidGif(Qt::green));
    QCOMPARE(fileContent(QStringLiteral("GG/spring-sale.dat")), solidPng(Qt::yellow, stillSize));
    QCOMPARE(QDir(QStringLiteral("GG")).entryList(QDir::Files),
             (QStringList{QStringLiteral("GG1.dat"), QStringLiteral("GG5.dats"),
                          QStringLiteral("setOHS.RDAT"), QStringLiteral("spring-sale.dat")}));

    std::array<QString, 9> links;
    links.fill(QStringLiteral("www.example.com"));
    links[0] = QStringLiteral("https://ads.example/one");
    links[4] = QStringLiteral("https://ads.example/five?x=1 y");
    QCOMPARE(QStringList(KeltoProbe(window).adLinks().cbegin(), KeltoProbe(window).adLinks().cend()),
             QStringList(links.cbegin(), links.cend()));
    QCOMPARE(fileContent(QStringLiteral("GG/setOHS.RDAT")).toHex(),
             WireBytes::linkFile(links).toHex());
    QTRY_VERIFY(serverLog().contains("sent 3 ads"));

    // The next start shows the stored set, whenever its own answer comes.
    kelto next;
    auto *tile1 = next.findChild<QLabel *>(QStringLiteral("GG1"));
    QCOMPARE(tile1->pixmap(Qt::ReturnByValue).toImage().pixelColor(5, 5), QColor(Qt::blue));
    QVERIFY(next.findChild<QLabel *>(QStringLiteral("GG5"))->movie());
    QCOMPARE(QStringList(KeltoProbe(next).adLinks().cbegin(), KeltoProbe(next).adLinks().cend()),
             QStringList(links.cbegin(), links.cend()));
}

void tst_adserver::demoAdSet()
{
    const QString demo = QFINDTESTDATA("../tools/demo/ads");
    QVERIFY(!demo.isEmpty());
    QVERIFY(startServer(demo));
    TestWorkDir::writeConfig(QStringLiteral("127.0.0.1"), port);

    {
        kelto first;
        QTRY_COMPARE(first.adFeed()->socket()->state(), QAbstractSocket::UnconnectedState);
    }
    QCOMPARE(fileContent(QStringLiteral("GG/GG9.dats")),
             fileContent(demo + QStringLiteral("/GG9.gif")));
    QCOMPARE(fileContent(QStringLiteral("GG/GG3.dat")),
             fileContent(demo + QStringLiteral("/GG3.jpg")));

    kelto window;
    for (int k = 1; k <= 9; ++k) {
        auto *tile = window.findChild<QLabel *>(QStringLiteral("GG%1").arg(k));
        QVERIFY2(tile->movie() || !tile->pixmap(Qt::ReturnByValue).isNull(),
                 qPrintable(tile->objectName()));
        QVERIFY(KeltoProbe(window).adLinks()[k - 1].startsWith(
                QLatin1String("https://example.com/ads/")));
    }
    QVERIFY(window.findChild<QLabel *>(QStringLiteral("GG9"))->movie());
}

void tst_adserver::answersEveryRequest()
{
    QVERIFY(startServer(adsDir->path()));
    const QByteArray expected = WireBytes::frame(WireBytes::ggFiles(
            {{"GG1.png", "https://ads.example/one", solidPng(Qt::blue, stillSize)},
             {"GG5.gif", "https://ads.example/five?x=1 y", solidGif(Qt::green)},
             {"spring-sale.jpg", "", solidPng(Qt::yellow, stillSize)}}));

    QTcpSocket client;
    QVERIFY(connectClient(client));
    // Two requests in one write, the second split from the first mid-header.
    const QByteArray request = requestFrame(QStringLiteral("requestGG"));
    client.write(request + request.left(5));
    QCOMPARE(readFrame(client).toHex(), expected.toHex());
    client.write(request.mid(5));
    QCOMPARE(readFrame(client).toHex(), expected.toHex());
    QCOMPARE(client.state(), QAbstractSocket::ConnectedState);
}

void tst_adserver::ignoresOtherCommands()
{
    QVERIFY(startServer(adsDir->path()));
    QTcpSocket client;
    QVERIFY(connectClient(client));
    client.write(requestFrame(QStringLiteral("GGFiles"))
                 + requestFrame(QStringLiteral("requestGG")));
    const QByteArray answer = readFrame(client);
    // The first answer is the ad set, so nothing came for the other command.
    QCOMPARE(answer.mid(12, 4 + 14), WireBytes::string(QStringLiteral("GGFiles")));
    QTRY_VERIFY(serverLog().contains("ignoring the command \"GGFiles\""));
}

void tst_adserver::dropsBadFrames_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::newRow("length 11") << WireBytes::int64(11) + QByteArray(8, 'x');
    QTest::newRow("length far too long") << WireBytes::int64(1 << 30);
}

void tst_adserver::dropsBadFrames()
{
    QFETCH(QByteArray, bytes);
    QVERIFY(startServer(adsDir->path()));
    QTcpSocket client;
    QVERIFY(connectClient(client));
    client.write(bytes);
    QVERIFY(client.waitForDisconnected(10000));
    QCOMPARE(client.bytesAvailable(), qint64(0));
}

void tst_adserver::refusesToStart_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("message");

    QTest::newRow("no port") << QStringList{"--ads", "ADS"} << 2 << "--port N is required";
    QTest::newRow("port too large")
            << QStringList{"--port", "65536", "--ads", "ADS"} << 2 << "--port N is required";
    QTest::newRow("listed file missing")
            << QStringList{"--port", "0", "--ads", "ADS"} << 1 << "line 2: cannot read";
}

void tst_adserver::refusesToStart()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, message);

    if (QByteArray(QTest::currentDataTag()) == "listed file missing")
        QVERIFY(writeFile(adsDir->filePath(QStringLiteral("links.txt")), "GG1.png a\nGG2.png b\n"));
    arguments.replaceInStrings(QStringLiteral("ADS"), adsDir->path());

    QProcess process;
    process.start(adServerPath(), arguments);
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), exitCode);
    const QString errors = QString::fromLocal8Bit(process.readAllStandardError());
    QVERIFY2(errors.contains(message), qPrintable(errors));
    QVERIFY(process.readAllStandardOutput().isEmpty());
}

QTEST_MAIN(tst_adserver)
#include "tst_adserver.moc"
