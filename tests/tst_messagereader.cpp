// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/selection/messagereader.h"
#include "tests/coretestsupport.h"

#include <QBuffer>
#include <QtTest>

namespace {

// A reading in one line: numbers as "12", ranges as "56..60", names as "name:img_0078" (the
// stem, case-folded), each behind "group/" when it has one; words not understood as "?text".
QString render(const PickMessage &message)
{
    QStringList parts;
    for (const MessageEntry &entry : message.entries) {
        QString part = entry.group.isEmpty() ? QString() : entry.group + QLatin1Char('/');
        if (entry.kind == MessageEntry::Number)
            part += QString::number(entry.first);
        else if (entry.kind == MessageEntry::Range)
            part += QStringLiteral("%1..%2").arg(entry.first).arg(entry.last);
        else
            part += QStringLiteral("name:") + entry.stem;
        parts.append(part);
    }
    for (const MessageWord &word : message.notUnderstood)
        parts.append(QLatin1Char('?') + word.text);
    return parts.join(QLatin1Char(' '));
}

} // namespace

class tst_messagereader : public QObject
{
    Q_OBJECT

private slots:
    void read_data();
    void read();
    void notUnderstood_data();
    void notUnderstood();
    void stems_data();
    void stems();
    void folderName_data();
    void folderName();
    void decode_data();
    void decode();
    void readFile();
};

// The format of a client's message, row by row.
void tst_messagereader::read_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("reading");

    // Words and what separates them
    QTest::newRow("a chat message") << "老师好，我选了 12、34，56-60 还有 IMG_0078 和 0099~0101"
                                    << "12 34 56..60 name:img_0078 99..101";
    QTest::newRow("blanks, lines, commas and brackets separate") << "1 2\n3,4，5;6；7。8(9)【10】"
                                                                 << "1 2 3 4 5 6 7 8 9 10";
    QTest::newRow("emoji separate") << "12👍34❤️56"
                                    << "12 34 56";
    QTest::newRow("words without a digit are passed over") << "老师好 还有 和 thanks IMG ok"
                                                           << "";
    QTest::newRow("Chinese letters next to digits separate") << "第12张，我选了34号，还要56"
                                                             << "12 34 56";
    QTest::newRow("a dot ending a sentence is no part of it") << "I like 12. And 34."
                                                              << "12 34";
    // Numbers
    QTest::newRow("leading zeros do not count") << "0012 12 000"
                                                << "12 12 0";
    QTest::newRow("fullwidth digits") << "１２"
                                      << "12";
    // Ranges, inclusive
    QTest::newRow("range with a hyphen") << "56-60"
                                         << "56..60";
    QTest::newRow("range with a tilde") << "56~60"
                                        << "56..60";
    QTest::newRow("range with a fullwidth tilde") << "56～60"
                                                  << "56..60";
    QTest::newRow("range with an em dash") << "56—60"
                                           << "56..60";
    QTest::newRow("range with an en dash or a wave dash") << "56–60 70〜72"
                                                          << "56..60 70..72";
    QTest::newRow("range with 到 or 至") << "56到60，70至72"
                                         << "56..60 70..72";
    QTest::newRow("到 between words is no range") << "12到 到34"
                                                  << "12 34";
    QTest::newRow("short form: the last digits") << "1234-40 1298-305"
                                                 << "1234..1240 1298..1305";
    QTest::newRow("range of one number") << "7-7"
                                         << "7..7";
    QTest::newRow("range of 10,000 numbers") << "1-10000"
                                             << "1..10000";
    // Names
    QTest::newRow("a name is a word with a letter and a digit")
            << "IMG_0078 DSC_1234.JPG img_0078.jpg"
            << "name:img_0078 name:dsc_1234 name:img_0078";
    QTest::newRow("every suffix goes") << "IMG_0078.jpg.xmp"
                                       << "name:img_0078";
    QTest::newRow("a dot before digits stays in the stem") << "day.2 v1.5"
                                                           << "name:day.2 name:v1.5";
    QTest::newRow("an edit is a name of its own") << "IMG_0012-edit"
                                                  << "name:img_0012-edit";
    // Groups
    QTest::newRow("a heading and a colon start a group") << "精修：12 34\n入册: 56-60\n78"
                                                         << "精修/12 精修/34 入册/56..60 78";
    QTest::newRow("the same heading twice is one group") << "精修：12\n精修：34"
                                                         << "精修/12 精修/34";
    QTest::newRow("a heading may hold a digit beside Chinese") << "第1组：12"
                                                               << "第1组/12";
    QTest::newRow("a name before a colon is an entry") << "IMG_0078: 很喜欢"
                                                       << "name:img_0078";
    QTest::newRow("a time is no heading") << "10:30 12"
                                          << "10 30 12";
    QTest::newRow("a colon later in the line is a separator") << "12 精修：34"
                                                              << "12 34";
    QTest::newRow("a heading alone groups nothing") << "精修：\n12"
                                                    << "12";
}

void tst_messagereader::read()
{
    QFETCH(QString, message);
    QFETCH(QString, reading);
    QCOMPARE(render(MessageReader::read(message)), reading);
}

// Words with a digit that read as no entry are told, with the reason.
void tst_messagereader::notUnderstood_data()
{
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("reading");
    QTest::addColumn<int>("reason");

    QTest::newRow("a dash at the end") << "56-"
                                       << "?56-" << int(MessageWord::Malformed);
    QTest::newRow("two dashes") << "5--6"
                                << "?5--6" << int(MessageWord::Malformed);
    QTest::newRow("a decimal number") << "12.5"
                                      << "?12.5" << int(MessageWord::Malformed);
    QTest::newRow("digits and underscores only") << "_0012"
                                                 << "?_0012" << int(MessageWord::Malformed);
    QTest::newRow("a range of more than 10,000 numbers")
            << "1-10001 1-999999999"
            << "?1-10001 ?1-999999999" << int(MessageWord::RangeTooLong);
    QTest::newRow("a range backwards") << "60-56"
                                       << "?60-56" << int(MessageWord::RangeBackwards);
    QTest::newRow("a short form backwards") << "1238-5"
                                            << "?1238-5" << int(MessageWord::RangeBackwards);
    QTest::newRow("a number of 19 digits")
            << "1234567890123456789"
            << "?1234567890123456789" << int(MessageWord::NumberTooLong);
}

void tst_messagereader::notUnderstood()
{
    QFETCH(QString, message);
    QFETCH(QString, reading);
    QFETCH(int, reason);
    const PickMessage read = MessageReader::read(message);
    QCOMPARE(render(read), reading);
    for (const MessageWord &word : read.notUnderstood)
        QCOMPARE(int(word.reason), reason);
}

// The originals' side: the stem a file name has, and the number a stem ends in.
void tst_messagereader::stems_data()
{
    QTest::addColumn<QString>("fileName");
    QTest::addColumn<QString>("stem");
    QTest::addColumn<QString>("number"); // empty: none

    QTest::newRow("camera file") << "IMG_0012.JPG"
                                 << "IMG_0012"
                                 << "12";
    QTest::newRow("raw and sidecar") << "IMG_0012.CR2.xmp"
                                     << "IMG_0012"
                                     << "12";
    QTest::newRow("edit after the number") << "IMG_0012-edit.jpg"
                                           << "IMG_0012-edit"
                                           << "12";
    QTest::newRow("the last run of digits counts") << "2023_IMG_0120.jpg"
                                                   << "2023_IMG_0120"
                                                   << "120";
    QTest::newRow("a numbered stem keeps its dot") << "day.2.jpg"
                                                   << "day.2"
                                                   << "2";
    QTest::newRow("no digit") << "cover.jpg"
                              << "cover"
                              << "";
    QTest::newRow("only a suffix") << ".jpg"
                                   << ""
                                   << "";
}

void tst_messagereader::stems()
{
    QFETCH(QString, fileName);
    QFETCH(QString, stem);
    QFETCH(QString, number);
    const QStringView found = MessageReader::stemOf(fileName);
    QCOMPARE(found.toString(), stem);
    quint64 value = 0;
    const bool hasNumber = MessageReader::lastNumber(found, value);
    QCOMPARE(hasNumber ? QString::number(value) : QString(), number);
}

void tst_messagereader::folderName_data()
{
    QTest::addColumn<QString>("heading");
    QTest::addColumn<QString>("folder");

    QTest::newRow("plain") << "精修"
                           << "精修";
    QTest::newRow("separators") << "a/b\\c"
                                << "a_b_c";
    QTest::newRow("parent folder") << ".."
                                   << "_";
    QTest::newRow("dots and blanks at the ends") << " .精修. "
                                                 << "精修";
    QTest::newRow("control and format characters") << QString("a\x01"
                                                              "b")
                                                              + QChar(0x202E)
                                                   << "a_b_";
    QTest::newRow("characters Windows refuses") << "a:b*c?d\"e<f>g|h"
                                                << "a_b_c_d_e_f_g_h";
    QTest::newRow("device name") << "con"
                                 << "_con";
    QTest::newRow("device name with suffix") << "COM1.txt"
                                             << "_COM1.txt";
}

void tst_messagereader::folderName()
{
    QFETCH(QString, heading);
    QFETCH(QString, folder);
    QCOMPARE(MessageReader::folderName(heading), folder);
}

void tst_messagereader::decode_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("error");

    const int none = int(MessageReader::TextError::None);
    const QString greeting = QStringLiteral("老师好，12、34");
    QTest::newRow("UTF-8") << greeting.toUtf8() << greeting << none;
    QTest::newRow("UTF-8 with its mark") << "\xEF\xBB\xBF" + greeting.toUtf8() << greeting << none;
    // 老师好，12、34 in GBK
    QTest::newRow("GBK") << QByteArray("\xC0\xCF\xCA\xA6\xBA\xC3\xA3\xAC"
                                       "12\xA1\xA2"
                                       "34")
                         << greeting << none;
    QTest::newRow("UTF-16 little-endian with its mark")
            << QByteArray("\xFF\xFE\x31\x00\x32\x00\x00\x4E", 8) << QStringLiteral("12一") << none;
    QTest::newRow("UTF-16 big-endian with its mark")
            << QByteArray("\xFE\xFF\x00\x31\x00\x32", 6) << QStringLiteral("12") << none;
    QTest::newRow("ASCII") << QByteArray("12 34\r\n") << QStringLiteral("12 34\r\n") << none;
    QTest::newRow("empty") << QByteArray() << QString() << int(MessageReader::TextError::Empty);
    QTest::newRow("blanks only") << QByteArray(" \r\n\t ") << QString()
                                 << int(MessageReader::TextError::Empty);
    QTest::newRow("NUL bytes") << QByteArray("12\0\0x", 5) << QString()
                               << int(MessageReader::TextError::Binary);
    QTest::newRow("control characters")
            << QByteArray("12\x01\x02") << QString() << int(MessageReader::TextError::Binary);
    QTest::newRow("one line UTF-8, the next GBK")
            << QByteArray("\xE8\x80\x81 12\n\xC0\xCF 34") << QString()
            << int(MessageReader::TextError::MixedEncodings);
    QTest::newRow("neither") << QByteArray("12 \xFF\xFF\xFF") << QString()
                             << int(MessageReader::TextError::NotText);
    QTest::newRow("one byte over 1 MiB") << QByteArray(int(MessageReader::maximumBytes) + 1, '1')
                                         << QString() << int(MessageReader::TextError::TooLarge);
}

void tst_messagereader::decode()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, text);
    QFETCH(int, error);
    const MessageReader::Text decoded = MessageReader::decode(bytes);
    QCOMPARE(int(decoded.error), error);
    QCOMPARE(decoded.text, text);
}

// A file above the limit is refused without being read; one at the limit is read.
void tst_messagereader::readFile()
{
    TestWorkDir work;
    const QString big = work.filePath(QStringLiteral("big.txt"));
    QFile file(big);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.resize(100 * 1024 * 1024)); // sparse: nothing is written
    file.close();
    QCOMPARE(MessageReader::readFile(big).error, MessageReader::TextError::TooLarge);

    const QString limit = work.filePath(QStringLiteral("limit.txt"));
    QVERIFY(writeFile(limit, QByteArray(int(MessageReader::maximumBytes), '7')));
    QCOMPARE(MessageReader::readFile(limit).error, MessageReader::TextError::None);
    QCOMPARE(MessageReader::readFile(work.path()).error, MessageReader::TextError::Unreadable);

    QBuffer pipe;
    pipe.setData(QByteArray(int(MessageReader::maximumBytes) + 10, '7'));
    QVERIFY(pipe.open(QIODevice::ReadOnly));
    QCOMPARE(MessageReader::readDevice(&pipe).error, MessageReader::TextError::TooLarge);
}

QTEST_GUILESS_MAIN(tst_messagereader)
#include "tst_messagereader.moc"
