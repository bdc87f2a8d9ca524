// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/adlink/adfeed.h"
#include "core/adlink/framecodec.h"
#include "tests/loopbackserver.h"
#include "tests/testsupport.h"
#include "tests/wirebytes.h"
#include "ui/kelto.h"

#include <QLabel>
#include <QMovie>
#include <QTcpSocket>
#include <QtTest>

#include <limits>

using WireBytes::AdEntry;

namespace {

// The size of a small tile; the stills of these tests have it.
const QSize tileSize(240, 53);

QColor tileColour(kelto *window, const char *tile)
{
    auto *label = window->findChild<QLabel *>(QLatin1String(tile));
    if (!label)
        return QColor();
    const QPixmap pixmap = label->pixmap(Qt::ReturnByValue);
    return pixmap.isNull() ? QColor() : pixmap.toImage().pixelColor(10, 10);
}

QList<QByteArray> cut(const QByteArray &bytes, const QList<int> &offsets)
{
    QList<QByteArray> pieces;
    int from = 0;
    for (int to : offsets) {
        pieces << bytes.mid(from, to - from);
        from = to;
    }
    pieces << bytes.mid(from);
    return pieces;
}

// The answer every test serves: a new still for tile 2, an animation for tile 9.
const QByteArray newStill = solidPng(Qt::blue, tileSize);
const QByteArray newAnimation = solidGif(Qt::green);
QByteArray answerFrame()
{
    return WireBytes::frame(
            WireBytes::ggFiles({{"GG2.png", "https://ads.example/2", newStill},
                                {"GG9.gif", "https://ads.example/9", newAnimation}}));
}

const QByteArray otherAnswer = WireBytes::frame(WireBytes::string("GGNews")
                                                + WireBytes::string("1"));

} // namespace

class tst_serverlink : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();
    void cleanup();
    void buildRequest_data();
    void buildRequest();
    void requestOnTheWire();
    void onlyRequestGGIsSent();
    void connectRefused();
    void portLow16Bits_data();
    void portLow16Bits();
    void answerInPieces_data();
    void answerInPieces();
    void badFrameDropsConnection_data();
    void badFrameDropsConnection();
    void otherKeywordIgnored();
    void startup_data();
    void startup();
    void limits_data();
    void limits();
    void windowGoesAway_data();
    void windowGoesAway();

private:
    void fillStore();
    const QAbstractSocket *socket() const { return window->adFeed()->socket(); }

    MessageRecorder *log = nullptr;
    TestWorkDir *workDir = nullptr;
    kelto *window = nullptr;
    QByteArray storedLinkFile;
};

void tst_serverlink::initTestCase()
{
    log = new MessageRecorder(MessageRecorder::PassOn);
}

void tst_serverlink::cleanupTestCase()
{
    delete log;
    log = nullptr;
}

void tst_serverlink::init()
{
    workDir = new TestWorkDir;
    QVERIFY(workDir->isValid());
    fillStore();
    window = new kelto;
    log->messages.clear();
}

void tst_serverlink::cleanup()
{
    closeWindow(workDir, window);
}

// A store as a previous start left it: red stills for tiles 1 and 2, and stored links.
void tst_serverlink::fillStore()
{
    QVERIFY(QDir().mkpath(QStringLiteral("GG")));
    QVERIFY(writeFile(QStringLiteral("GG/GG1.dat"), solidPng(Qt::red, tileSize)));
    QVERIFY(writeFile(QStringLiteral("GG/GG2.dat"), solidPng(Qt::red, tileSize)));
    std::array<QString, 9> links;
    for (int i = 0; i < 9; ++i)
        links[i] = QStringLiteral("www.example.com/stored%1").arg(i + 1);
    storedLinkFile = WireBytes::linkFile(links);
    QVERIFY(writeFile(QStringLiteral("GG/setOHS.RDAT"), storedLinkFile));
}

void tst_serverlink::buildRequest_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QByteArray>("payload");

    QTest::newRow("requestGG") << "requestGG"
                               << WireBytes::string("requestGG") + WireBytes::string("Zanora")
                                          + WireBytes::string(QStringLiteral(ZANORA_VERSION));
    QTest::newRow("empty") << "" << QByteArray();
    QTest::newRow("other case") << "requestgg" << QByteArray();
    QTest::newRow("the answer's keyword") << "GGFiles" << QByteArray();
}

void tst_serverlink::buildRequest()
{
    QFETCH(QString, command);
    QFETCH(QByteArray, payload);
    QCOMPARE(window->buildRequest(command).toHex(), payload.toHex());
}

void tst_serverlink::requestOnTheWire()
{
    LoopbackServer server({otherAnswer});
    QVERIFY(connectToLoopback(window, server.port()));
    QVERIFY(window->sendMessage(QStringLiteral("requestGG")));
    QTRY_VERIFY(server.requestComplete());

    // 12 + (4 + 18) + (4 + 12) + (4 + 6): the command, the program's name and its version.
    const QByteArray expected = QByteArray::fromHex("000000000000003c"
                                                    "00000030"
                                                    "00000012"
                                                    "007200650071007500650073007400470047"
                                                    "0000000c"
                                                    "005a0061006e006f00720061"
                                                    "00000006"
                                                    "0033002e0031");
    QCOMPARE(QStringLiteral(ZANORA_VERSION), QStringLiteral("3.1"));
    QCOMPARE(server.request().toHex(), expected.toHex());
}

void tst_serverlink::onlyRequestGGIsSent()
{
    LoopbackServer server({otherAnswer});
    QVERIFY(connectToLoopback(window, server.port()));
    for (const char *command : {"", "GGFiles", "requestgg"}) {
        QVERIFY(!window->sendMessage(QLatin1String(command)));
        QCOMPARE(socket()->bytesToWrite(), qint64(0));
    }
    // The server sees the one real request and nothing before it.
    QVERIFY(window->sendMessage(QStringLiteral("requestGG")));
    QTRY_VERIFY(server.requestComplete());
    QCOMPARE(server.request(),
             FrameCodec::encode(window->buildRequest(QStringLiteral("requestGG"))));
}

void tst_serverlink::connectRefused()
{
    KeltoProbe(*window).setServerPort(TestWorkDir::closedLoopbackPort());
    QMetaObject::invokeMethod(window, "connectHost", Qt::DirectConnection);
    QTRY_VERIFY(!window->adFeed()->isConnecting());
    QCOMPARE(socket()->state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(socket()->error(), QAbstractSocket::ConnectionRefusedError);
    QVERIFY(log->messages.contains(QStringLiteral("false")));
}

void tst_serverlink::portLow16Bits_data()
{
    QTest::addColumn<qint64>("offset");
    QTest::newRow("plus 65536") << qint64(65536);
    QTest::newRow("minus 65536") << qint64(-65536);
    QTest::newRow("far below zero") << qint64(-65536) * 30000;
}

void tst_serverlink::portLow16Bits()
{
    QFETCH(qint64, offset);
    LoopbackServer server;
    QVERIFY(connectToLoopback(window, qint32(server.port() + offset)));
    QCOMPARE(socket()->peerPort(), server.port());
    QVERIFY(log->messages.contains(QStringLiteral("true")));
    QVERIFY(log->messages.contains(QStringLiteral("连接成功")));
}

void tst_serverlink::answerInPieces_data()
{
    QTest::addColumn<QList<int>>("cuts");
    QTest::addColumn<QByteArray>("trailing");

    const int n = answerFrame().size();
    QTest::newRow("whole") << QList<int>{} << QByteArray();
    QTest::newRow("header split before its 8th byte") << QList<int>{5} << QByteArray();
    QTest::newRow("body in several writes") << QList<int>{8, 20, 100, n - 1} << QByteArray();
    QTest::newRow("trailing bytes") << QList<int>{} << QByteArray("\x00\x00\x00\x00junk", 8);
    QTest::newRow("a second frame behind") << QList<int>{200} << otherAnswer;
}

void tst_serverlink::answerInPieces()
{
    QFETCH(QList<int>, cuts);
    QFETCH(QByteArray, trailing);

    const QList<QByteArray> pieces = cut(answerFrame() + trailing, cuts);
    LoopbackServer server(pieces);
    QVERIFY(connectToLoopback(window, server.port()));
    QVERIFY(window->sendMessage(QStringLiteral("requestGG")));

    for (int i = 1; i < pieces.size(); ++i) {
        // Piece i-1 has arrived and nothing is decoded before the last byte of the frame.
        const qint64 arrived = cuts.at(i - 1);
        QTRY_COMPARE(window->adFeed()->headerBytes() + socket()->bytesAvailable(), arrived);
        QCOMPARE(window->adFeed()->headerBytes(), arrived < 8 ? qint64(0) : qint64(8));
        QCOMPARE(fileContent(QStringLiteral("GG/GG2.dat")), solidPng(Qt::red, tileSize));
        server.sendNext();
    }

    QTRY_VERIFY(server.clientClosed());
    QCOMPARE(log->messages.count(QStringLiteral("\"GGFiles\"")), 1);
    QCOMPARE(window->adFeed()->headerBytes(), qint64(0));
    QCOMPARE(fileContent(QStringLiteral("GG/GG2.dat")), newStill);
    QCOMPARE(fileContent(QStringLiteral("GG/GG9.dats")), newAnimation);
    QCOMPARE(fileContent(QStringLiteral("GG/GG1.dat")), solidPng(Qt::red, tileSize));
    QCOMPARE(KeltoProbe(*window).adLinks()[1], QStringLiteral("https://ads.example/2"));
    QCOMPARE(KeltoProbe(*window).adLinks()[8], QStringLiteral("https://ads.example/9"));
    QCOMPARE(KeltoProbe(*window).adLinks()[0], QStringLiteral("www.example.com/stored1"));
    QCOMPARE(fileContent(QStringLiteral("GG/setOHS.RDAT")),
             WireBytes::linkFile(KeltoProbe(*window).adLinks()));
    QCOMPARE(socket()->state(), QAbstractSocket::UnconnectedState);
    QVERIFY(log->messages.contains(QStringLiteral("断开")));
    // Shown at once, without a restart.
    QCOMPARE(tileColour(window, "GG2"), QColor(Qt::blue));
    QVERIFY(window->findChild<QLabel *>(QStringLiteral("GG9"))->movie());
}

void tst_serverlink::badFrameDropsConnection_data()
{
    QTest::addColumn<QByteArray>("answer");

    const QByteArray valid = answerFrame();
    QTest::newRow("length 11") << WireBytes::int64(11) + valid.mid(8);
    QTest::newRow("length 64 MiB + 1, data streaming")
            << WireBytes::int64(FrameCodec::maximumFrameSize + 1) + QByteArray(1 << 20, 'x');
    QTest::newRow("payload length short of the frame")
            << WireBytes::int64(valid.size()) + WireBytes::uint32(quint32(valid.size() - 13))
                       + valid.mid(12);
}

void tst_serverlink::badFrameDropsConnection()
{
    QFETCH(QByteArray, answer);

    LoopbackServer server({answer});
    QVERIFY(connectToLoopback(window, server.port()));
    QVERIFY(window->sendMessage(QStringLiteral("requestGG")));

    QTRY_VERIFY(server.clientClosed());
    QCOMPARE(socket()->state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(window->adFeed()->headerBytes(), qint64(0));
    QCOMPARE(log->messages.count(QStringLiteral("\"GGFiles\"")), 0);
    QCOMPARE(fileContent(QStringLiteral("GG/GG2.dat")), solidPng(Qt::red, tileSize));
    QVERIFY(!QFileInfo::exists(QStringLiteral("GG/GG9.dats")));
    QCOMPARE(fileContent(QStringLiteral("GG/setOHS.RDAT")), storedLinkFile);
    QCOMPARE(KeltoProbe(*window).adLinks()[1], QStringLiteral("www.example.com/stored2"));
}

void tst_serverlink::otherKeywordIgnored()
{
    LoopbackServer server({otherAnswer});
    QVERIFY(connectToLoopback(window, server.port()));
    QVERIFY(window->sendMessage(QStringLiteral("requestGG")));

    QTRY_VERIFY(log->messages.contains(QStringLiteral("\"GGNews\"")));
    QCOMPARE(window->adFeed()->headerBytes(), qint64(0));
    QCOMPARE(socket()->bytesAvailable(), qint64(0));
    QCOMPARE(socket()->state(), QAbstractSocket::ConnectedState);
    QVERIFY(!server.clientClosed());
    QCOMPARE(fileContent(QStringLiteral("GG/GG2.dat")), solidPng(Qt::red, tileSize));
    QCOMPARE(fileContent(QStringLiteral("GG/setOHS.RDAT")), storedLinkFile);
}

void tst_serverlink::startup_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QList<QByteArray>>("pieces"); // none: nobody listens

    QTest::newRow("no server") << "127.0.0.1" << QList<QByteArray>{};
    QTest::newRow("answer after 2 s") << "127.0.0.1" << QList<QByteArray>{"", answerFrame()};
    QTest::newRow("host name, answer at once") << "localhost" << QList<QByteArray>{answerFrame()};
}

void tst_serverlink::startup()
{
    QFETCH(QString, host);
    QFETCH(QList<QByteArray>, pieces);

    delete window;
    window = nullptr;
    LoopbackServer server(pieces);
    TestWorkDir::writeConfig(host,
                             pieces.isEmpty() ? TestWorkDir::closedLoopbackPort() : server.port());
    log->messages.clear();
    window = new kelto;
    QCOMPARE(tileColour(window, "GG2"), QColor(Qt::red));
    if (pieces.isEmpty()) {
        QTRY_VERIFY(log->messages.contains(QStringLiteral("false")));
        QCOMPARE(socket()->error(), QAbstractSocket::ConnectionRefusedError);
        QCOMPARE(fileContent(QStringLiteral("GG/setOHS.RDAT")), storedLinkFile);
        return;
    }
    if (pieces.size() > 1) {
        QTRY_COMPARE(server.piecesSent(), 1);
        QTest::qWait(2000);
        QCOMPARE(tileColour(window, "GG2"), QColor(Qt::red));
        server.sendNext();
    }

    // Stored once and shown without a restart, links included.
    QTRY_COMPARE(tileColour(window, "GG2"), QColor(Qt::blue));
    QTRY_VERIFY(server.clientClosed());
    QCOMPARE(log->messages.count(QStringLiteral("\"GGFiles\"")), 1);
    QCOMPARE(tileColour(window, "GG1"), QColor(Qt::red));
    QVERIFY(window->findChild<QLabel *>(QStringLiteral("GG9"))->movie());
    QCOMPARE(KeltoProbe(*window).adLinks()[1], QStringLiteral("https://ads.example/2"));
    QCOMPARE(fileContent(QStringLiteral("GG/setOHS.RDAT")),
             WireBytes::linkFile(KeltoProbe(*window).adLinks()));
}

void tst_serverlink::limits_data()
{
    QTest::addColumn<bool>("accepts");
    QTest::newRow("connect: backlog full") << false;
    QTest::newRow("answer: accepts, never answers") << true;
}

// The feed alone, with short limits: the connection attempt and the wait for an answer both end.
void tst_serverlink::limits()
{
    QFETCH(bool, accepts);
    if (!accepts)
        SKIP_WITHOUT_FULL_BACKLOG();

    FullBacklogListener backlog;
    LoopbackServer server;
    AdFeed feed;
    QCOMPARE(feed.connectTimeout(), 20000);
    QCOMPARE(feed.answerTimeout(), 30000);
    feed.setConnectTimeout(300);
    feed.setAnswerTimeout(300);
    QSignalSpy closed(&feed, &AdFeed::disconnected);
    QVERIFY(feed.connectToServer(QStringLiteral("127.0.0.1"),
                                 accepts ? server.port() : backlog.port()));
    QVERIFY(feed.send("request"));

    QTRY_VERIFY(!feed.isConnecting() && !feed.isAwaitingAnswer());
    QCOMPARE(feed.socket()->state(), QAbstractSocket::UnconnectedState);
    QCOMPARE(closed.count(), accepts ? 1 : 0);
    if (accepts) {
        QTRY_VERIFY(server.clientClosed());
        QCOMPARE(server.request(), FrameCodec::encode("request"));
    } else {
        QVERIFY(log->messages.contains(QStringLiteral("false")));
        QVERIFY2(backlog.drain() == 0, "bytes reached a server that never accepted");
    }
}

void tst_serverlink::windowGoesAway_data()
{
    QTest::addColumn<bool>("accepts");
    QTest::addColumn<bool>("closed"); // by the user, from the event loop; otherwise just deleted

    QTest::newRow("deleted while connected") << true << false;
    QTest::newRow("closed while connecting") << false << true;
    QTest::newRow("closed while the answer is pending") << true << true;
}

void tst_serverlink::windowGoesAway()
{
    QFETCH(bool, accepts);
    QFETCH(bool, closed);
    if (!accepts)
        SKIP_WITHOUT_FULL_BACKLOG();

    FullBacklogListener backlog;
    LoopbackServer server; // accepts and never answers
    delete window;
    TestWorkDir::writeConfig(QStringLiteral("127.0.0.1"), accepts ? server.port() : backlog.port());
    window = new kelto;
    if (accepts)
        QTRY_VERIFY(server.requestComplete());
    // Start-up did not wait for the server, and the store is as it was.
    QVERIFY(window->adFeed()->isConnecting() || window->adFeed()->isAwaitingAnswer());
    QCOMPARE(tileColour(window, "GG2"), QColor(Qt::red));
    QCOMPARE(fileContent(QStringLiteral("GG/setOHS.RDAT")), storedLinkFile);

    QElapsedTimer clock;
    clock.start();
    if (closed) {
        QTimer fallback;
        connect(&fallback, &QTimer::timeout, qApp, &QCoreApplication::quit);
        fallback.start(20000);
        window->show();
        QTimer::singleShot(0, window, &QWidget::close);
        QCoreApplication::exec();
    }
    log->messages.clear();
    delete window;
    window = nullptr;
    QVERIFY2(clock.elapsed() < 5000, qPrintable(QString::number(clock.elapsed()) + " ms"));
    QVERIFY2(!log->messages.contains(QStringLiteral("断开")),
             "a slot of the window ran while the window was being destroyed");
    if (accepts)
        QTRY_VERIFY(server.clientClosed());
}

QTEST_MAIN(tst_serverlink)
#include "tst_serverlink.moc"
