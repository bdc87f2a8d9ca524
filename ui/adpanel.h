// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "core/adlink/adlinkcodec.h"

#include <QObject>

#include <array>

class QLabel;

// The window's ad panel: nine tiles, each a label that shows a stored ad (a still or, stored as
// .dats, an animation), with a flat button on top that opens the tile's link. What a tile may
// decode is decided by the image guard, what a click may open by the link policy. The links are
// the window's, which it keeps.
class AdPanel : public QObject
{
    Q_OBJECT

public:
    AdPanel(const std::array<QLabel *, 9> &tiles, const AdLinks &links, QObject *parent);

    // Fills the tiles from the ad store as it now stands: the file GGn.* for tile n; tiles without
    // a file keep what they show.
    void loadTiles();
    // Opens the link of tile 0 to 8, if the policy lets it.
    void openLink(int tile) const;

private:
    const std::array<QLabel *, 9> tiles;
    const AdLinks &links;
};
