// SPDX-License-Identifier: GPL-3.0-or-later
// The link file and the link policy. A decoded link file encodes and decodes to the same links,
// and whatever the policy lets a click open is an http or https link with a host and no user
// info, also as the desktop reads it back from its text.
//
// Input: a link file; its bytes as UTF-8 text are a further link for the policy.

#include "core/adlink/adlinkcodec.h"
#include "core/adlink/adlinkpolicy.h"

#include <QString>
#include <QUrl>

#include <cstdlib>

namespace {

void check(bool condition)
{
    if (!condition)
        std::abort();
}

bool isWebLink(const QUrl &url)
{
    return url.isValid()
           && (url.scheme() == QLatin1String("http") || url.scheme() == QLatin1String("https"))
           && !url.host().isEmpty() && url.userInfo().isEmpty();
}

void checkPolicy(const QString &link)
{
    const QUrl target = adLinkTarget(link);
    if (target.isEmpty())
        return;
    check(isWebLink(target));
    check(isWebLink(QUrl(target.toString(QUrl::FullyEncoded), QUrl::StrictMode)));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), int(size));
    const AdLinks links = decodeAdLinks(bytes);
    check(decodeAdLinks(encodeAdLinks(links)) == links);
    for (const QString &link : links)
        checkPolicy(link);
    checkPolicy(QString::fromUtf8(bytes));
    return 0;
}
