// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/selection/runrecord.h"

#include "core/wholefile.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSaveFile>

namespace {

// A string as QJsonDocument writes it: quotes, backslashes and control characters escaped, a
// lone surrogate (a Windows file name may hold one) as \uXXXX, the rest as UTF-8.
void appendString(QByteArray &out, const QString &text)
{
    static const char hex[] = "0123456789abcdef";
    // At most six bytes for each UTF-16 unit, and the quotes.
    const int from = out.size();
    out.resize(from + 6 * text.size() + 2);
    char *cursor = out.data() + from;
    const auto escape = [&cursor](uint code) {
        *cursor++ = '\\';
        *cursor++ = 'u';
        for (int shift = 12; shift >= 0; shift -= 4)
            *cursor++ = hex[(code >> shift) & 0xf];
    };
    *cursor++ = '"';
    const QChar *c = text.constData();
    const QChar *const end = c + text.size();
    for (; c < end; ++c) {
        const ushort u = c->unicode();
        if (u >= 0x80) {
            if (QChar::isHighSurrogate(u) && c + 1 < end && (c + 1)->isLowSurrogate()) {
                const uint code = QChar::surrogateToUcs4(u, (c + 1)->unicode());
                ++c;
                *cursor++ = char(0xf0 | (code >> 18));
                *cursor++ = char(0x80 | ((code >> 12) & 0x3f));
                *cursor++ = char(0x80 | ((code >> 6) & 0x3f));
                *cursor++ = char(0x80 | (code & 0x3f));
            } else if (QChar::isSurrogate(u)) {
                escape(u);
            } else if (u < 0x800) {
                *cursor++ = char(0xc0 | (u >> 6));
                *cursor++ = char(0x80 | (u & 0x3f));
            } else {
                *cursor++ = char(0xe0 | (u >> 12));
                *cursor++ = char(0x80 | ((u >> 6) & 0x3f));
                *cursor++ = char(0x80 | (u & 0x3f));
            }
            continue;
        }
        if (u >= 0x20 && u != '"' && u != '\\') {
            *cursor++ = char(u);
            continue;
        }
        *cursor++ = '\\';
        switch (u) {
        case '"':
        case '\\':
            *cursor++ = char(u);
            break;
        case '\b':
            *cursor++ = 'b';
            break;
        case '\f':
            *cursor++ = 'f';
            break;
        case '\n':
            *cursor++ = 'n';
            break;
        case '\r':
            *cursor++ = 'r';
            break;
        case '\t':
            *cursor++ = 't';
            break;
        default:
            --cursor;
            escape(u);
        }
    }
    *cursor++ = '"';
    out.resize(int(cursor - out.constData()));
}

void appendMember(QByteArray &out, const char *key, const QString &value, bool last = false)
{
    out += "            \"";
    out += key;
    out += "\": ";
    appendString(out, value);
    out += last ? "\n" : ",\n";
}

// The entry list as QJsonDocument's indented form of it at the top level of the record, keys in
// its order, handed to `put` a megabyte at a time. Written by hand: with a hundred thousand
// entries, objects of QJsonValues would take most of the time the record takes, and the whole
// text at once tens of megabytes.
bool putEntryList(QByteArray &out, const QVector<RunRecord::Entry> &entries,
                  const std::function<bool(const QByteArray &)> &put)
{
    if (entries.isEmpty()) {
        out += "[\n    ]";
        return true;
    }
    constexpr int piece = 1 << 20;
    out.reserve(piece + 64 * 1024);
    out += "[\n";
    for (const RunRecord::Entry &each : entries) {
        if (out.size() >= piece) {
            if (!put(out))
                return false;
            out.resize(0); // the room reserved stays
        }
        const RunEntry &entry = each.entry;
        out += "        {\n            \"bytes\": ";
        out += QByteArray::number(entry.bytes);
        out += ",\n";
        const bool replaced = !entry.pending && entry.outcome == RunEntry::Replaced;
        if (replaced)
            appendMember(out, "movedTo", entry.detail);
        appendMember(out, "original", each.original);
        appendMember(out, "outcome",
                     QLatin1String(entry.pending ? "not done"
                                                 : RunEntry::outcomeName(entry.outcome)));
        appendMember(out, "pick", each.pick);
        if (!replaced && !entry.pending && !entry.detail.isEmpty())
            appendMember(out, "reason", entry.detail);
        if (entry.renamed)
            out += "            \"renamed\": true,\n";
        appendMember(out, "target", entry.target, true);
        out += "        },\n";
    }
    out.chop(2);
    out += "\n    ]";
    return true;
}

} // namespace

bool RunRecord::putJson(const std::function<bool(const QByteArray &)> &put) const
{
    QJsonArray ignoredList;
    for (const IgnoredFile &file : ignored) {
        ignoredList.append(QJsonObject{{QStringLiteral("path"), file.path},
                                       {QStringLiteral("reason"), file.reasonText()}});
    }
    QJsonObject record{
            {QStringLiteral("program"), QStringLiteral("zanora " ZANORA_VERSION)},
            {QStringLiteral("folders"), QJsonObject{{QStringLiteral("small"), smallImagesPath},
                                                    {QStringLiteral("big"), bigImagesPath},
                                                    {QStringLiteral("output"), outputPath}}},
            {QStringLiteral("rules"), rules},
            {QStringLiteral("started"), started.toString(Qt::ISODateWithMs)},
            {QStringLiteral("ended"), ended.toString(Qt::ISODateWithMs)},
            {QStringLiteral("outcome"), outcome},
            {QStringLiteral("counts"), counts},
            {QStringLiteral("missing"), QJsonArray::fromStringList(missing)},
            {QStringLiteral("ignored"), ignoredList},
    };
    for (auto it = notes.constBegin(); it != notes.constEnd(); ++it)
        record.insert(it.key(), it.value());
    // The entries go in where the document would have put them, before "folders".
    const QByteArray document = QJsonDocument(record).toJson(QJsonDocument::Indented);
    const int folders = document.indexOf("\n    \"folders\": ") + 5;
    Q_ASSERT(folders > 5);
    QByteArray out = document.left(folders);
    out += "\"entries\": ";
    if (!putEntryList(out, entries, put))
        return false;
    out += ",\n    ";
    out.append(document.constData() + folders, document.size() - folders);
    return put(out);
}

QByteArray RunRecord::toJson() const
{
    QByteArray json;
    putJson([&json](const QByteArray &piece) {
        json += piece;
        return true;
    });
    return json;
}

bool RunRecord::write(const QString &path, QString *error) const
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        *error = QStringLiteral("the folder %1 cannot be made").arg(folder);
        return false;
    }
    QSaveFile file(path);
    if (!openWholeFile(file)) {
        *error = file.errorString();
        return false;
    }
    qint64 written = 0;
    const bool whole = putJson([&file, &written](const QByteArray &piece) {
        const qint64 done = file.write(piece);
        written += qMax<qint64>(done, 0);
        return done == piece.size();
    });
    if (!whole) {
        // A write that came out short says no more than that (a full disk, a size limit).
        *error = QStringLiteral("%1 after %2 bytes").arg(file.errorString()).arg(written);
        file.cancelWriting();
        return false;
    }
    if (commitWholeFile(file, QByteArray()))
        return true;
    *error = file.errorString();
    return false;
}
