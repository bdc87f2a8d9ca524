// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/adlink/adentryname.h"

#include <QStringList>

namespace AdEntryName {

namespace {

constexpr int maximumNameLength = 255;

bool isWindowsDeviceName(const QString &name)
{
    // Windows opens the device for these names whatever extension follows, and ignores
    // trailing blanks.
    QString device = name;
    while (device.endsWith(QLatin1Char(' ')))
        device.chop(1);
    device = device.toUpper();
    static const QStringList plain = {QStringLiteral("CON"), QStringLiteral("PRN"),
                                      QStringLiteral("AUX"), QStringLiteral("NUL")};
    if (plain.contains(device))
        return true;
    return device.size() == 4
           && (device.startsWith(QLatin1String("COM")) || device.startsWith(QLatin1String("LPT")))
           && device.at(3) >= QLatin1Char('1') && device.at(3) <= QLatin1Char('9');
}

bool holdsWindowsForbiddenCharacter(const QString &name)
{
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || QStringLiteral("<>:\"|?*").contains(c))
            return true;
    }
    return false;
}

} // namespace

QString fileName(const QString &entryName)
{
    const int separator = qMax(entryName.lastIndexOf(QLatin1Char('/')),
                               entryName.lastIndexOf(QLatin1Char('\\')));
    return entryName.mid(separator + 1);
}

QString baseName(const QString &entryName)
{
    const QString name = fileName(entryName);
    return name.left(name.indexOf(QLatin1Char('.')));
}

QString suffix(const QString &entryName)
{
    const QString name = fileName(entryName);
    const int dot = name.lastIndexOf(QLatin1Char('.'));
    return dot < 0 ? QString() : name.mid(dot + 1);
}

QString storedName(const QString &entryName, Rules rules)
{
    if (rules == Rules::Native) {
#ifdef Q_OS_WIN
        rules = Rules::Windows;
#else
        rules = Rules::Posix;
#endif
    }

    const QString base = baseName(entryName);
    if (base.isEmpty() || base.contains(QChar(0)))
        return QString();
    if (rules == Rules::Windows
        && (isWindowsDeviceName(base) || holdsWindowsForbiddenCharacter(base)))
        return QString();

    const QString stored = base
                           + (suffix(entryName) == QLatin1String("gif") ? QLatin1String(".dats")
                                                                        : QLatin1String(".dat"));
    // Windows counts UTF-16 units, most POSIX file systems count bytes.
    if (stored.size() > maximumNameLength
        || (rules == Rules::Posix && stored.toUtf8().size() > maximumNameLength))
        return QString();
    return stored;
}

} // namespace AdEntryName
