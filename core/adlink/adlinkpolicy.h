// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class QString;
class QUrl;

// Ad links come from an unauthenticated peer and a click hands them to the desktop, which may run
// programs for file: URLs, UNC or bare paths. Only web links are let through: an http/https link
// with a host and no user info, unchanged, or a link that starts with a plain host name, as
// http:// + the link. Anything else, and an empty link, gives an empty URL.
QUrl adLinkTarget(const QString &link);
