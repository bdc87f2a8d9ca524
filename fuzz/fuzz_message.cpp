// SPDX-License-Identifier: GPL-3.0-or-later
// A client's message as any bytes: decoded as a file would be, or taken as UTF-16 units the way
// pasted text arrives, then read. Whatever the reading, its entries must keep the format's
// bounds and every group must make a folder name of one level.
//
// Input: one byte choosing the way in (even: as a file, odd: as UTF-16 units), then the text.

#include "core/selection/messagereader.h"

#include <QString>

#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

bool hasDigit(const QString &text)
{
    for (const QChar c : text) {
        if (c.isDigit())
            return true;
    }
    return false;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1 || size > size_t(MessageReader::maximumBytes))
        return 0;
    const char *bytes = reinterpret_cast<const char *>(data + 1);
    const int length = int(size - 1);
    QString text;
    if (data[0] % 2 == 0) {
        const MessageReader::Text decoded = MessageReader::decode(QByteArray(bytes, length));
        check((decoded.error == MessageReader::TextError::None) != decoded.text.isEmpty());
        text = decoded.text;
    } else {
        text = QString(reinterpret_cast<const QChar *>(bytes), length / 2);
    }

    const PickMessage message = MessageReader::read(text);
    for (const MessageEntry &entry : message.entries) {
        check(hasDigit(entry.text));
        check(text.contains(entry.text));
        check(entry.first <= entry.last);
        check(entry.last - entry.first < MessageReader::maximumRange);
        check(entry.kind == MessageEntry::Range || entry.first == entry.last);
        check(entry.kind != MessageEntry::Name || !entry.stem.isEmpty());
        check(entry.group.isEmpty() || message.groups.contains(entry.group));
    }
    for (const MessageWord &word : message.notUnderstood)
        check(hasDigit(word.text));
    for (const QString &group : message.groups) {
        const QString folder = MessageReader::folderName(group);
        check(!folder.isEmpty() && folder != QLatin1String(".") && folder != QLatin1String(".."));
        check(!folder.contains(QLatin1Char('/')) && !folder.contains(QLatin1Char('\\')));
        check(folder.trimmed() == folder);
    }
    return 0;
}
