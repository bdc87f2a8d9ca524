// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/adlink/framecodec.h"
#include "tests/pipe.h"
#include "tests/wirebytes.h"

#include <QIODevice>
#include <QtTest>

#include <cstring>
#include <limits>

namespace {

using Bytes = QList<QByteArray>;
using Ints = QList<int>;
using Sizes = QList<qint64>;
using Result = FrameCodec::ReadResult;
const int incomplete = int(Result::Incomplete);
const int frame = int(Result::Frame);
const int invalid = int(Result::Invalid);

QByteArray piece(const QByteArray &bytes, int from, int to = -1)
{
    return bytes.mid(from, to < 0 ? -1 : to - from);
}

} // namespace

class tst_framecodec : public QObject
{
    Q_OBJECT

private slots:
    void encode_data();
    void encode();
    void readFrame_data();
    void readFrame();
};

void tst_framecodec::encode_data()
{
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<QByteArray>("expected");

    QTest::newRow("empty payload")
            << QByteArray("") << QByteArray::fromHex("000000000000000c00000000");
    QTest::newRow("three bytes") << QByteArray("abc")
                                 << QByteArray::fromHex("000000000000000f00000003616263");
    // requestGG with both identities empty: 12 + 4 + 18 + 4 + 4 = 42 bytes.
    const QByteArray request = WireBytes::string(QStringLiteral("requestGG"))
                               + WireBytes::string(QStringLiteral(""))
                               + WireBytes::string(QStringLiteral(""));
    QTest::newRow("requestGG, empty identities")
            << request
            << QByteArray::fromHex("000000000000002a"
                                   "0000001e"
                                   "00000012"
                                   "007200650071007500650073007400470047"
                                   "00000000"
                                   "00000000");
}

void tst_framecodec::encode()
{
    QFETCH(QByteArray, payload);
    QFETCH(QByteArray, expected);
    QCOMPARE(FrameCodec::encode(payload).toHex(), expected.toHex());
}

void tst_framecodec::readFrame_data()
{
    QTest::addColumn<QList<QByteArray>>("pieces");
    QTest::addColumn<QList<int>>("results");
    QTest::addColumn<QList<qint64>>("headerBytesAfter");
    QTest::addColumn<QList<qint64>>("unreadAfter");
    QTest::addColumn<QList<QByteArray>>("payloads");

    const QByteArray payload = WireBytes::string(QStringLiteral("GGFiles"))
                               + WireBytes::string(QStringLiteral("0"))
                               + WireBytes::bytes(QByteArray(""));
    const QByteArray whole = WireBytes::frame(payload);
    const QByteArray other = WireBytes::frame("second");
    const int n = whole.size();

    QTest::newRow("whole frame") << Bytes{whole} << Ints{frame} << Sizes{0} << Sizes{0}
                                 << Bytes{payload};
    QTest::newRow("fewer than 8 bytes")
            << Bytes{piece(whole, 0, 3)} << Ints{incomplete} << Sizes{0} << Sizes{3} << Bytes{};
    QTest::newRow("header split before its 8th byte")
            << Bytes{piece(whole, 0, 7), piece(whole, 7)} << Ints{incomplete, frame} << Sizes{0, 0}
            << Sizes{7, 0} << Bytes{payload};
    QTest::newRow("header in two pieces, body in three")
            << Bytes{piece(whole, 0, 5), piece(whole, 5, 8), piece(whole, 8, 15),
                     piece(whole, 15, 30), piece(whole, 30)}
            << Ints{incomplete, incomplete, incomplete, incomplete, frame} << Sizes{0, 8, 8, 8, 0}
            << Sizes{5, 0, 7, 22, 0} << Bytes{payload};
    QTest::newRow("last byte alone")
            << Bytes{piece(whole, 0, n - 1), piece(whole, n - 1)} << Ints{incomplete, frame}
            << Sizes{8, 0} << Sizes{n - 9, 0} << Bytes{payload};
    QTest::newRow("trailing bytes stay unread")
            << Bytes{whole + "xyz"} << Ints{frame} << Sizes{0} << Sizes{3} << Bytes{payload};
    QTest::newRow("second frame waits for the next call")
            << Bytes{whole + other, QByteArray()} << Ints{frame, frame} << Sizes{0, 0}
            << Sizes{other.size(), 0} << Bytes{payload, "second"};
    QTest::newRow("empty payload")
            << Bytes{WireBytes::frame("")} << Ints{frame} << Sizes{0} << Sizes{0} << Bytes{""};

    const auto dropped = [&](const char *tag, const QByteArray &bytes, qint64 unread) {
        QTest::newRow(tag) << Bytes{bytes} << Ints{invalid} << Sizes{0} << Sizes{unread} << Bytes{};
    };
    dropped("length 11", WireBytes::int64(11) + "abcdefgh", 8);
    dropped("length 0", WireBytes::int64(0), 0);
    dropped("length -1", WireBytes::int64(-1) + "abcd", 4);
    dropped("length most negative", WireBytes::int64(std::numeric_limits<qint64>::min()), 0);
    dropped("length one above 64 MiB", WireBytes::int64(FrameCodec::maximumFrameSize + 1), 0);
    dropped("length largest", WireBytes::int64(std::numeric_limits<qint64>::max()), 0);
    dropped("payload length short of the frame",
            WireBytes::int64(20) + WireBytes::uint32(4) + "abcdefgh", 12);
    dropped("payload length beyond the frame",
            WireBytes::int64(20) + WireBytes::uint32(100) + "abcdefgh" + "tail", 16);
    dropped("null payload", WireBytes::int64(12) + WireBytes::uint32(0xFFFFFFFF), 4);
    dropped("payload length disagrees before the rest has come",
            WireBytes::int64(1000) + WireBytes::uint32(5) + "abcde", 9);

    QTest::newRow("length exactly 64 MiB waits")
            << Bytes{WireBytes::int64(FrameCodec::maximumFrameSize) + "abc"} << Ints{incomplete}
            << Sizes{8} << Sizes{3} << Bytes{};
}

void tst_framecodec::readFrame()
{
    QFETCH(QList<QByteArray>, pieces);
    QFETCH(QList<int>, results);
    QFETCH(QList<qint64>, headerBytesAfter);
    QFETCH(QList<qint64>, unreadAfter);
    QFETCH(QList<QByteArray>, payloads);

    Pipe pipe;
    qint64 headerBytes = 0;
    qint64 frameSize = 0;
    QList<QByteArray> decoded;
    for (int i = 0; i < pieces.size(); ++i) {
        pipe.feed(pieces.at(i));
        QByteArray payload;
        const int result = int(FrameCodec::readFrame(&pipe, headerBytes, frameSize, payload));
        QCOMPARE(result, results.at(i));
        QCOMPARE(headerBytes, headerBytesAfter.at(i));
        QCOMPARE(pipe.bytesAvailable(), unreadAfter.at(i));
        if (result == frame)
            decoded.append(payload);
        else
            QVERIFY(payload.isNull());
    }
    QCOMPARE(decoded, payloads);
}

QTEST_MAIN(tst_framecodec)
#include "tst_framecodec.moc"
