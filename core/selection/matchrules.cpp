// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/selection/matchrules.h"

#include <QHashFunctions>
#include <QJsonArray>
#include <QRegularExpression>
#include <QSettings>
#include <QVarLengthArray>

namespace {

const char16_t *const defaultFormats[] = {u"jpg", u"jpeg", u"png", u"JPG", u"JPEG", u"PNG"};

// The code point that ends just before `end`, or starts at `start`; 0 outside the text.
char32_t pointBefore(QStringView text, int end)
{
    if (end <= 0)
        return 0;
    const QChar last = text.at(end - 1);
    if (last.isLowSurrogate() && end >= 2 && text.at(end - 2).isHighSurrogate())
        return QChar::surrogateToUcs4(text.at(end - 2), last);
    return last.unicode();
}

char32_t pointAt(QStringView text, int start)
{
    if (start >= text.size())
        return 0;
    const QChar first = text.at(start);
    if (first.isHighSurrogate() && start + 1 < text.size() && text.at(start + 1).isLowSurrogate())
        return QChar::surrogateToUcs4(first, text.at(start + 1));
    return first.unicode();
}

bool isAscii(QStringView text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

bool joins(char32_t point)
{
    return point != 0 && QChar::isLetterOrNumber(point);
}

QString settingsKey(const char *name)
{
    return QStringLiteral("rules/") + QLatin1String(name);
}

} // namespace

bool MatchRules::operator==(const MatchRules &other) const
{
    return ignoreCase == other.ignoreCase && wholeNames == other.wholeNames
           && pickFormats == other.pickFormats && companions == other.companions;
}

bool MatchRules::isPick(QStringView fileName) const
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return false;
    const QStringView suffix = fileName.mid(dot + 1);
    if (pickFormats.isEmpty()) {
        for (const char16_t *format : defaultFormats) {
            if (suffix == QStringView(format))
                return true;
        }
        return false;
    }
    for (const QString &format : pickFormats) {
        if (suffix.compare(format, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

QString MatchRules::comparable(QStringView text) const
{
    return ignoreCase ? text.toString().toCaseFolded() : text.toString();
}

bool MatchRules::sameName(QStringView a, QStringView b) const
{
    if (!ignoreCase)
        return a == b;
    // Folding ASCII is lowering A to Z, which a case-insensitive comparison does.
    if (isAscii(a) && isAscii(b))
        return a.compare(b, Qt::CaseInsensitive) == 0;
    return a.toString().toCaseFolded() == b.toString().toCaseFolded();
}

uint MatchRules::nameHash(QStringView text) const
{
    if (!ignoreCase)
        return qHash(text);
    if (!isAscii(text))
        return qHash(text.toString().toCaseFolded());
    QVarLengthArray<QChar, 64> lowered(int(text.size()));
    for (int i = 0; i < int(text.size()); ++i) {
        const ushort unit = text.at(i).unicode();
        lowered[i] = QChar(unit >= 'A' && unit <= 'Z' ? unit + ('a' - 'A') : unit);
    }
    return qHash(QStringView(lowered.constData(), lowered.size()));
}

bool MatchRules::standsAlone(QStringView name, int start, int length) const
{
    return !wholeNames
           || (!joins(pointBefore(name, start)) && !joins(pointAt(name, start + length)));
}

bool MatchRules::isCompanionName(QStringView name, QStringView original) const
{
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || dot + 1 == name.size() || original.isEmpty())
        return false;
    return sameName(name.left(dot), original);
}

QStringList MatchRules::defaultPickFormats()
{
    QStringList formats;
    for (const char16_t *format : defaultFormats)
        formats.append(QStringView(format).toString());
    return formats;
}

bool MatchRules::parsePickFormats(const QString &text, QStringList &formats)
{
    static const QRegularExpression separators(QStringLiteral("[,\\s]+"));
    QStringList parsed;
    for (QString format : text.split(separators, Qt::SkipEmptyParts)) {
        while (format.startsWith(QLatin1Char('.')))
            format.remove(0, 1);
        if (format.isEmpty() || format.contains(QLatin1Char('.'))
            || format.contains(QLatin1Char('/')) || format.contains(QLatin1Char('\\')))
            return false;
        if (!parsed.contains(format, Qt::CaseInsensitive))
            parsed.append(format);
    }
    if (parsed.isEmpty())
        return false;
    formats = parsed;
    return true;
}

QString MatchRules::pickFormatsText() const
{
    return (pickFormats.isEmpty() ? defaultPickFormats() : pickFormats).join(QStringLiteral(", "));
}

QJsonObject MatchRules::toJson() const
{
    return QJsonObject{
            {QStringLiteral("ignoreCase"), ignoreCase},
            {QStringLiteral("wholeNames"), wholeNames},
            {QStringLiteral("pickFormats"),
             QJsonArray::fromStringList(pickFormats.isEmpty() ? defaultPickFormats() : pickFormats)},
            {QStringLiteral("pickFormatsIgnoreCase"), !pickFormats.isEmpty()},
            {QStringLiteral("companions"), companions},
    };
}

MatchRules MatchRules::fromSettings(QSettings &settings)
{
    MatchRules rules;
    rules.ignoreCase = settings.value(settingsKey("ignoreCase"), false).toBool();
    rules.wholeNames = settings.value(settingsKey("wholeNames"), false).toBool();
    // Kept as the text a person wrote; anything unreadable means the defaults.
    QStringList formats;
    if (parsePickFormats(settings.value(settingsKey("pickFormats")).toString(), formats))
        rules.pickFormats = formats;
    rules.companions = settings.value(settingsKey("companions"), false).toBool();
    return rules;
}

void MatchRules::save(QSettings &settings) const
{
    settings.setValue(settingsKey("ignoreCase"), ignoreCase);
    settings.setValue(settingsKey("wholeNames"), wholeNames);
    if (pickFormats.isEmpty())
        settings.remove(settingsKey("pickFormats"));
    else
        settings.setValue(settingsKey("pickFormats"), pickFormats.join(QLatin1Char(',')));
    settings.setValue(settingsKey("companions"), companions);
}
