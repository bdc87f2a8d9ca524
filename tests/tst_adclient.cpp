// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/adlink/adclient.h"
#include "tests/coretestsupport.h"
#include "tests/wirebytes.h"

#include <QThread>
#include <QtTest>

namespace {

// The threads the ad-set writer logged on, for as long as the object lives.
class WriterThreads
{
public:
    WriterThreads() { previous = qInstallMessageHandler(record); }
    ~WriterThreads() { qInstallMessageHandler(previous); }

    static QList<QThread *> &seen()
    {
        static QList<QThread *> threads;
        return threads;
    }

private:
    static void record(QtMsgType, const QMessageLogContext &context, const QString &)
    {
        if (qstrcmp(context.category, "zanora.adset") == 0)
            seen().append(QThread::currentThread());
    }

    QtMessageHandler previous = nullptr;
};

AdLinks defaultLinks()
{
    AdLinks links;
    links.fill(QStringLiteral("www.example.com"));
    return links;
}

} // namespace

// The ad client without a window or a connection: a "GGFiles" answer is stored on a worker thread
// while the client's thread goes on, and a client that goes away finishes the set first.
class tst_adclient : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void storesOnAWorkerThread();
    void destroyedWhileStoring();

private:
    TestWorkDir *workDir = nullptr;
};

void tst_adclient::init()
{
    workDir = new TestWorkDir;
    QVERIFY(workDir->isValid());
    WriterThreads::seen().clear();
}

void tst_adclient::cleanup()
{
    delete workDir;
    workDir = nullptr;
}

void tst_adclient::storesOnAWorkerThread()
{
    const AdLinks links = defaultLinks();
    AdClient client(links);
    AdLinks told;
    int tellings = 0;
    connect(&client, &AdClient::adSetStored, this, [&](const AdLinks &stored) {
        told = stored;
        ++tellings;
    });
    const QByteArray image(8 << 20, 'x');
    WriterThreads writer;
    client.handleResponse(WireBytes::ggFiles({{"GG2.png", "https://ads.example/2", image}}));
    QVERIFY2(client.isStoring(), "the set was stored before the answer's handling returned");
    QCOMPARE(tellings, 0);

    QTRY_COMPARE(tellings, 1);
    QVERIFY(!client.isStoring());
    AdLinks expected = links;
    expected[1] = QStringLiteral("https://ads.example/2");
    QCOMPARE(QStringList(told.cbegin(), told.cend()),
             QStringList(expected.cbegin(), expected.cend()));
    QVERIFY(fileContent(QStringLiteral("GG/GG2.dat")) == image);
    QCOMPARE(fileContent(QStringLiteral("GG/setOHS.RDAT")).toHex(),
             WireBytes::linkFile(expected).toHex());
    QVERIFY2(!WriterThreads::seen().isEmpty(), "the writer logged nothing");
    for (QThread *thread : WriterThreads::seen())
        QVERIFY2(thread != QThread::currentThread(), "the set was written on the client's thread");
}

void tst_adclient::destroyedWhileStoring()
{
    const AdLinks links = defaultLinks();
    const QByteArray image(16 << 20, 'y');
    {
        AdClient client(links);
        client.handleResponse(WireBytes::ggFiles({{"GG5.png", "https://ads.example/5", image}}));
        QVERIFY(client.isStoring());
    }
    // Whole files only, and no temporary file left behind.
    QCOMPARE(entriesBelow(workDir->filePath(QStringLiteral("GG"))),
             QStringList({QStringLiteral("GG5.dat"), QStringLiteral("setOHS.RDAT")}));
    QVERIFY(fileContent(QStringLiteral("GG/GG5.dat")) == image);
    AdLinks expected = links;
    expected[4] = QStringLiteral("https://ads.example/5");
    QCOMPARE(fileContent(QStringLiteral("GG/setOHS.RDAT")).toHex(),
             WireBytes::linkFile(expected).toHex());
}

QTEST_GUILESS_MAIN(tst_adclient)
#include "tst_adclient.moc"
