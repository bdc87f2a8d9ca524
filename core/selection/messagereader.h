// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

class QIODevice;

// One entry of a client's message: a number, an inclusive range of numbers, or a file name.
struct MessageEntry
{
    enum Kind { Number, Range, Name };

    Kind kind = Number;
    QString text;      // as the client wrote it
    QString group;     // the heading of its line; empty outside any group
    quint64 first = 0; // Number: the number; Range: its first and last number
    quint64 last = 0;
    int width = 0; // Number, Range: digits of the first number as written ("0056": 4)
    QChar dash;    // Range: the character between the two numbers, as written
    QString stem;  // Name: the name's stem, case-folded
};

// A word that holds a digit but reads as no entry.
struct MessageWord
{
    enum Reason {
        Malformed,      // "56-", "5--6", "12.5"
        RangeTooLong,   // more than MessageReader::maximumRange numbers
        RangeBackwards, // "60-56", "1238-5"
        NumberTooLong,  // more than 18 digits after the leading zeros
    };

    QString text;
    Reason reason = Malformed;
};

struct PickMessage
{
    QList<MessageEntry> entries; // in the order written
    QList<MessageWord> notUnderstood;
    QStringList groups; // the headings that hold an entry, in the order they first appear
};

// Reads the picks out of a message as clients write them in a chat: numbers, ranges, file names,
// optionally grouped under headings, in between anything else. Pure and bounded: the work is
// linear in the text, whatever it holds.
//
// Words are the runs of letters, digits and "_", "-", "~", "～", "〜", "—", "–" and "."; anything
// else separates them. Han, kana and Hangul letters separate them too ("第12张" holds the word
// "12"), except "到" or "至" between two digits ("56到60"). Dots at a word's ends are sentence
// punctuation. A word without a digit is no entry and is passed over.
class MessageReader
{
public:
    // The most a message may hold, as a file or as pasted text; far above any real message.
    static constexpr qint64 maximumBytes = 1024 * 1024;
    // The most numbers one range may span.
    static constexpr quint64 maximumRange = 10000;

    static PickMessage read(QStringView text);

    // A file name's stem: the name without its suffixes, a suffix being a last "." part of one
    // to five letters and digits with a letter among them ("IMG_0078.jpg.xmp": "IMG_0078",
    // "day.2.jpg": "day.2"). Always the front of the name.
    static QStringView stemOf(QStringView fileName);
    // The last run of digits of a stem as a number: false when it has none or one of more than
    // 18 significant digits. start, if given, gets where the run begins.
    static bool lastNumber(QStringView stem, quint64 &number, int *start = nullptr);
    // A heading made a folder name: one level, no control characters, no character Windows
    // refuses, no dots or blanks at the ends, no device name.
    static QString folderName(const QString &heading);

    enum class TextError {
        None,
        Empty,          // nothing but blanks
        TooLarge,       // above maximumBytes
        Binary,         // NUL bytes outside UTF-16, or control characters
        MixedEncodings, // some lines in UTF-8, others not
        NotText,        // neither UTF-8 nor GBK
        Unreadable,     // the file cannot be opened or read
    };
    struct Text
    {
        QString text;
        TextError error = TextError::None;
        QString detail; // Unreadable: the reason
    };

    // UTF-8 (with or without its byte-order mark), UTF-16 with a byte-order mark, or GBK.
    static Text decode(const QByteArray &bytes);
    // Reads at most maximumBytes (one more tells it is too large) and decodes.
    static Text readDevice(QIODevice *device);
    // A file larger than maximumBytes is refused before anything is read.
    static Text readFile(const QString &path);
    // What went wrong, in a few words for the command line (English, or its translation).
    static QString describe(TextError error);
    static QString describe(MessageWord::Reason reason);
};
