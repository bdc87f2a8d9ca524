// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Names of ad set entries, as the server sends them, and the names they get in the ad store.
namespace AdEntryName {

enum class Rules {
    Posix,
    Windows,
    Native // the rules of the platform the program runs on
};

// The last path component, with '/' and '\' both taken as separators, so that a name from any
// platform loses its folder parts.
QString fileName(const QString &entryName);
// The file name up to, not including, its first ".".
QString baseName(const QString &entryName);
// The file name after its last "."; empty when it has none.
QString suffix(const QString &entryName);

// The base name plus ".dats" for the suffix "gif" (exact case), ".dat" otherwise. An empty
// result means the entry cannot be stored as a plain file directly in the store folder.
QString storedName(const QString &entryName, Rules rules = Rules::Native);

} // namespace AdEntryName
