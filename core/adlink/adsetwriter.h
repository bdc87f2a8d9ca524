// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <array>

class QDataStream;

// The ad set of a "GGFiles" answer, written into the ad store.
namespace AdSetWriter {

// Reads the count and the ad set that follow the keyword in `stream`, stores each entry's image
// in `storeFolder` (made if missing) in place of the older files of the same ad, and sets the
// link of each tile an entry names. A cut or corrupt entry ends the set; what came before it
// stays stored. Touches nothing outside `storeFolder`.
void store(QDataStream &stream, const QString &storeFolder, std::array<QString, 9> &links);

} // namespace AdSetWriter
