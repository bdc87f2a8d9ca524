// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

#include <array>

// The nine ad links as the link file stores them: nine QDataStream strings back to back.
using AdLinks = std::array<QString, 9>;

QByteArray encodeAdLinks(const AdLinks &links);

// Never fails as a whole: a record that is cut short, has an odd length or is missing yields an
// empty link, and so does every link after it. Bytes after link 9 are ignored.
AdLinks decodeAdLinks(const QByteArray &bytes);
