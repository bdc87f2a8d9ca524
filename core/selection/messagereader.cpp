// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/selection/messagereader.h"

#include "core/selection/gbkdecoder_p.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QIODevice>

namespace {

constexpr int maximumDigits = 18; // below 2^63, so a range's arithmetic cannot overflow
constexpr int maximumHeading = 32;

bool isDash(QChar c)
{
    switch (c.unicode()) {
    case '-':
    case '~':
    case 0xFF5E: // ～ fullwidth tilde
    case 0x301C: // 〜 wave dash
    case 0x2014: // — em dash
    case 0x2013: // – en dash
    case 0x5230: // 到
    case 0x81F3: // 至
        return true;
    default:
        return false;
    }
}

// Han, kana and Hangul: the scripts clients write their sentences in, without blanks.
bool isEastAsian(QChar c)
{
    switch (c.script()) {
    case QChar::Script_Han:
    case QChar::Script_Hiragana:
    case QChar::Script_Katakana:
    case QChar::Script_Hangul:
        return true;
    default:
        return false;
    }
}

bool isWordCharacter(QChar c)
{
    return c.isLetter() || c.isDigit() || c == QLatin1Char('_') || c == QLatin1Char('.')
           || isDash(c);
}

bool isLineBreak(QChar c)
{
    return c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::LineSeparator
           || c == QChar::ParagraphSeparator || c.unicode() == 0x85;
}

bool allDigits(QStringView text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (!c.isDigit())
            return false;
    }
    return true;
}

// Digits to a number, leading zeros passed over; false beyond maximumDigits.
bool toNumber(QStringView digits, quint64 &number)
{
    number = 0;
    int significant = 0;
    for (const QChar c : digits) {
        const int value = c.digitValue();
        if (significant == 0 && value == 0)
            continue;
        if (++significant > maximumDigits)
            return false;
        number = number * 10 + quint64(value);
    }
    return true;
}

quint64 powerOfTen(int exponent)
{
    quint64 power = 1;
    while (exponent-- > 0)
        power *= 10;
    return power;
}

// A heading is a short label before a colon at the start of a line: "精修：", "入册:". One with
// a digit must be one word with a Han, kana or Hangul letter ("第1组："), so that
// "IMG_0078: 很喜欢" is an entry and a comment, "12 精修：34" two entries and "10:30" a time.
bool isHeading(QStringView heading)
{
    if (heading.isEmpty() || heading.size() > maximumHeading)
        return false;
    bool letter = false;
    bool digit = false;
    bool eastAsian = false;
    bool blank = false;
    for (const QChar c : heading) {
        if (c.isLetter())
            letter = true;
        else if (c.isDigit())
            digit = true;
        else if (c == QLatin1Char(' ') || c == QChar(0x3000))
            blank = true;
        else if (c != QLatin1Char('_') && c != QLatin1Char('-') && c != QLatin1Char('.'))
            return false;
        eastAsian = eastAsian || isEastAsian(c);
    }
    return letter && (!digit || (eastAsian && !blank));
}

class LineReader
{
public:
    LineReader(PickMessage &message, const QString &group)
        : message(message)
        , group(group)
    {}

    // Cuts the line into words and reads each.
    void readWords(QStringView line)
    {
        int start = -1;
        const int size = int(line.size());
        for (int i = 0; i <= size; ++i) {
            const QChar c = i < size ? line.at(i) : QChar();
            bool inWord = i < size && isWordCharacter(c);
            if (inWord && isEastAsian(c)) {
                // "到" and "至" between two digits join a range; other such letters part words.
                inWord = isDash(c) && i > 0 && i + 1 < size && line.at(i - 1).isDigit()
                         && line.at(i + 1).isDigit();
            }
            if (inWord && start < 0)
                start = i;
            else if (!inWord && start >= 0) {
                readWord(line.mid(start, i - start));
                start = -1;
            }
        }
    }

private:
    void readWord(QStringView word)
    {
        while (!word.isEmpty() && word.front() == QLatin1Char('.'))
            word = word.mid(1);
        while (!word.isEmpty() && word.back() == QLatin1Char('.'))
            word.chop(1);
        bool digit = false;
        bool letter = false;
        int dashes = 0;
        int dashAt = -1;
        for (int i = 0; i < word.size(); ++i) {
            const QChar c = word.at(i);
            if (isDash(c)) {
                ++dashes;
                dashAt = i;
            } else if (c.isDigit()) {
                digit = true;
            } else if (c.isLetter()) {
                letter = true;
            }
        }
        if (!digit)
            return; // "老师好", "jpg", "-"

        MessageEntry entry;
        entry.text = word.toString();
        entry.group = group;
        if (allDigits(word)) {
            if (!toNumber(word, entry.first))
                return refuse(word, MessageWord::NumberTooLong);
            entry.kind = MessageEntry::Number;
            entry.last = entry.first;
            entry.width = int(word.size());
        } else if (dashes == 1 && allDigits(word.left(dashAt)) && allDigits(word.mid(dashAt + 1))) {
            const QStringView from = word.left(dashAt);
            const QStringView to = word.mid(dashAt + 1);
            quint64 end = 0;
            if (!toNumber(from, entry.first) || !toNumber(to, end))
                return refuse(word, MessageWord::NumberTooLong);
            if (to.size() < from.size()) {
                // "1234-40": the last digits of the first number
                const quint64 power = powerOfTen(int(to.size()));
                end += entry.first / power * power;
            }
            if (end < entry.first)
                return refuse(word, MessageWord::RangeBackwards);
            if (end - entry.first >= MessageReader::maximumRange)
                return refuse(word, MessageWord::RangeTooLong);
            entry.kind = MessageEntry::Range;
            entry.last = end;
            entry.width = int(from.size());
            entry.dash = word.at(dashAt);
        } else if (letter) {
            const QStringView stem = MessageReader::stemOf(word);
            if (stem.isEmpty())
                return refuse(word, MessageWord::Malformed);
            entry.kind = MessageEntry::Name;
            entry.stem = stem.toString().toCaseFolded();
        } else {
            return refuse(word, MessageWord::Malformed);
        }
        message.entries.append(entry);
        if (!group.isEmpty() && !message.groups.contains(group))
            message.groups.append(group);
    }

    void refuse(QStringView word, MessageWord::Reason reason)
    {
        message.notUnderstood.append({word.toString(), reason});
    }

    PickMessage &message;
    const QString group;
};

bool validUtf8(const char *bytes, int size)
{
    const auto *s = reinterpret_cast<const uchar *>(bytes);
    for (int i = 0; i < size;) {
        const uchar c = s[i];
        int extra = 0;
        uint code = 0;
        if (c < 0x80) {
            ++i;
            continue;
        } else if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            code = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            code = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            code = c & 0x07;
        } else {
            return false;
        }
        if (i + extra >= size)
            return false;
        for (int k = 1; k <= extra; ++k) {
            if ((s[i + k] & 0xC0) != 0x80)
                return false;
            code = code << 6 | (s[i + k] & 0x3F);
        }
        if ((extra == 2 && (code < 0x800 || (code >= 0xD800 && code <= 0xDFFF)))
            || (extra == 3 && (code < 0x10000 || code > 0x10FFFF)))
            return false;
        i += extra + 1;
    }
    return true;
}

bool asciiOnly(const char *bytes, int size)
{
    for (int i = 0; i < size; ++i) {
        if (uchar(bytes[i]) >= 0x80)
            return false;
    }
    return true;
}

} // namespace

PickMessage MessageReader::read(QStringView text)
{
    PickMessage message;
    const int size = int(text.size());
    for (int start = 0; start < size;) {
        int end = start;
        while (end < size && !isLineBreak(text.at(end)))
            ++end;
        QStringView line = text.mid(start, end - start);
        start = end + 1;

        QString group;
        for (int i = 0; i < line.size(); ++i) {
            if (line.at(i) == QLatin1Char(':') || line.at(i) == QChar(0xFF1A)) {
                const QStringView heading = line.left(i).trimmed();
                if (isHeading(heading)) {
                    group = heading.toString();
                    line = line.mid(i + 1);
                }
                break;
            }
        }
        LineReader(message, group).readWords(line);
    }
    return message;
}

QStringView MessageReader::stemOf(QStringView fileName)
{
    QStringView stem = fileName;
    for (;;) {
        const int dot = int(stem.lastIndexOf(QLatin1Char('.')));
        if (dot < 0)
            return stem;
        const QStringView suffix = stem.mid(dot + 1);
        bool letter = false;
        bool suffixLike = suffix.size() >= 1 && suffix.size() <= 5;
        for (const QChar c : suffix) {
            if (c.isLetter())
                letter = true;
            else if (!c.isDigit())
                suffixLike = false;
        }
        if (!suffixLike || !letter)
            return stem;
        stem = stem.left(dot);
    }
}

bool MessageReader::lastNumber(QStringView stem, quint64 &number, int *start)
{
    int end = int(stem.size());
    while (end > 0 && !stem.at(end - 1).isDigit())
        --end;
    if (end == 0)
        return false;
    int begin = end;
    while (begin > 0 && stem.at(begin - 1).isDigit())
        --begin;
    if (start)
        *start = begin;
    return toNumber(stem.mid(begin, end - begin), number);
}

QString MessageReader::folderName(const QString &heading)
{
    QString name;
    for (const QChar c : heading) {
        const QChar::Category category = c.category();
        const bool refused = category == QChar::Other_Control || category == QChar::Other_Format
                             || category == QChar::Other_Surrogate
                             || category == QChar::Other_PrivateUse
                             || category == QChar::Other_NotAssigned
                             || QStringView(u"/\\:*?\"<>|").contains(c);
        name += refused ? QLatin1Char('_') : c;
    }
    const auto trimmable = [](QChar c) { return c.isSpace() || c == QLatin1Char('.'); };
    while (!name.isEmpty() && trimmable(name.back()))
        name.chop(1);
    while (!name.isEmpty() && trimmable(name.front()))
        name.remove(0, 1);
    name.truncate(64);
    if (name.isEmpty())
        return QStringLiteral("_");
    // Windows keeps these names for devices, with any suffix.
    const QString base = name.section(QLatin1Char('.'), 0, 0).trimmed().toUpper();
    static const QStringList devices = {QStringLiteral("CON"), QStringLiteral("PRN"),
                                        QStringLiteral("AUX"), QStringLiteral("NUL")};
    const bool numbered = base.size() == 4
                          && (base.startsWith(QLatin1String("COM"))
                              || base.startsWith(QLatin1String("LPT")))
                          && base.at(3) >= QLatin1Char('1') && base.at(3) <= QLatin1Char('9');
    if (devices.contains(base) || numbered)
        name.prepend(QLatin1Char('_'));
    return name;
}

MessageReader::Text MessageReader::decode(const QByteArray &bytes)
{
    Text result;
    if (bytes.size() > maximumBytes) {
        result.error = TextError::TooLarge;
        return result;
    }
    const auto startsWith = [&](const char *mark) { return bytes.startsWith(mark); };
    if (startsWith("\xFF\xFE") || startsWith("\xFE\xFF")) {
        if (bytes.size() % 2 != 0) {
            result.error = TextError::NotText;
            return result;
        }
        const bool little = startsWith("\xFF\xFE");
        result.text.reserve(bytes.size() / 2);
        for (int i = 2; i + 1 < bytes.size(); i += 2) {
            const ushort low = uchar(bytes.at(little ? i : i + 1));
            const ushort high = uchar(bytes.at(little ? i + 1 : i));
            result.text += QChar(ushort(high << 8 | low));
        }
    } else {
        const int skip = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
        if (bytes.indexOf('\0') >= 0) {
            result.error = TextError::Binary;
            return result;
        }
        // Line by line: a message put together from two sources can mix its encodings.
        int utf8Lines = 0;
        int otherLines = 0;
        for (int start = skip; start < bytes.size();) {
            int end = bytes.indexOf('\n', start);
            if (end < 0)
                end = bytes.size();
            const char *line = bytes.constData() + start;
            const int length = end - start;
            if (!asciiOnly(line, length))
                ++(validUtf8(line, length) ? utf8Lines : otherLines);
            start = end + 1;
        }
        if (otherLines == 0) {
            result.text = QString::fromUtf8(bytes.constData() + skip, bytes.size() - skip);
        } else if (utf8Lines > 0 || skip > 0) {
            result.error = TextError::MixedEncodings;
            return result;
        } else if (!decodeGbk(bytes, result.text)) {
            result.error = TextError::NotText;
            return result;
        }
    }
    for (int i = 0; i < result.text.size(); ++i) {
        const ushort c = result.text.at(i).unicode();
        // Ctrl+Z ends some old text files.
        if ((c < 0x20 && !QChar(c).isSpace() && c != 0x1A) || c == 0x7F
            || (c == 0x1A && i + 1 < result.text.size())) {
            result.text.clear();
            result.error = TextError::Binary;
            return result;
        }
    }
    if (result.text.trimmed().isEmpty()) {
        result.text.clear();
        result.error = TextError::Empty;
    }
    return result;
}

MessageReader::Text MessageReader::readDevice(QIODevice *device)
{
    if (!device->isReadable()) {
        Text result;
        result.error = TextError::Unreadable;
        result.detail = device->errorString();
        return result;
    }
    return decode(device->read(maximumBytes + 1));
}

MessageReader::Text MessageReader::readFile(const QString &path)
{
    Text result;
    const QFileInfo info(path);
    if (info.isDir() || !info.exists()) {
        result.error = TextError::Unreadable;
        result.detail = info.isDir() ? QStringLiteral("a folder") : QStringLiteral("no such file");
        return result;
    }
    if (info.size() > maximumBytes) {
        result.error = TextError::TooLarge;
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = TextError::Unreadable;
        result.detail = file.errorString();
        return result;
    }
    const QByteArray bytes = file.read(maximumBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        result.error = TextError::Unreadable;
        result.detail = file.errorString();
        return result;
    }
    return decode(bytes);
}

QString MessageReader::describe(TextError error)
{
    switch (error) {
    case TextError::None:
        return QString();
    case TextError::Empty:
        return QCoreApplication::translate("MessageReader", "the message is empty");
    case TextError::TooLarge:
        return QCoreApplication::translate("MessageReader",
                                           "larger than 1 MiB, too large for a message");
    case TextError::Binary:
        return QCoreApplication::translate("MessageReader", "not text (it holds binary data)");
    case TextError::MixedEncodings:
        return QCoreApplication::translate(
                "MessageReader", "some lines are UTF-8 and others are not; save it as UTF-8");
    case TextError::NotText:
        return QCoreApplication::translate("MessageReader", "neither UTF-8 nor GBK text");
    case TextError::Unreadable:
        return QCoreApplication::translate("MessageReader", "cannot be read");
    }
    return QString();
}

QString MessageReader::describe(MessageWord::Reason reason)
{
    switch (reason) {
    case MessageWord::Malformed:
        return QCoreApplication::translate("MessageReader", "neither a number, a range nor a name");
    case MessageWord::RangeTooLong:
        return QCoreApplication::translate("MessageReader", "a range of more than %1 numbers")
                .arg(maximumRange);
    case MessageWord::RangeBackwards:
        return QCoreApplication::translate("MessageReader", "a range that ends before it starts");
    case MessageWord::NumberTooLong:
        return QCoreApplication::translate("MessageReader", "a number of more than %1 digits")
                .arg(maximumDigits);
    }
    return QString();
}
