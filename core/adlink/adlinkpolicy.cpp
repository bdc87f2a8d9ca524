// SPDX-License-Identifier: GPL-3.0-or-later
#include "core/adlink/adlinkpolicy.h"

#include <QRegularExpression>
#include <QString>
#include <QUrl>

namespace {

bool hasControlCharacter(const QString &text)
{
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (u < 0x20 || (u >= 0x7f && u < 0xa0))
            return true;
    }
    return false;
}

bool isWebUrl(const QUrl &url)
{
    const QString scheme = url.scheme();
    return url.isValid() && (scheme == QLatin1String("http") || scheme == QLatin1String("https"))
           && !url.host().isEmpty() && url.userInfo().isEmpty();
}

} // namespace

QUrl adLinkTarget(const QString &link)
{
    if (link.isEmpty() || hasControlCharacter(link))
        return QUrl();

    // A plain host name, an optional port, then the end or a path, query or fragment. "C:/x"
    // and "file:/x" fail here because what follows their colon is not a port.
    static const QRegularExpression bareHost(
            QStringLiteral("^[A-Za-z0-9][A-Za-z0-9.-]*(:[0-9]{1,5})?([/?#]|$)"));

    const QUrl asGiven(link, QUrl::TolerantMode);
    if (isWebUrl(asGiven))
        return asGiven;
    if (!bareHost.match(link).hasMatch())
        return QUrl();
    const QUrl withScheme(QStringLiteral("http://") + link, QUrl::TolerantMode);
    return isWebUrl(withScheme) ? withScheme : QUrl();
}
