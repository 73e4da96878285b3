#pragma once

#include <QtGlobal>

// Which background tile is in use. The chooser changes the selection with every click;
// the confirmed tile is the one its Cancel returns to. Start-up sets both, shut-down stores
// the selection.
struct BackgroundSelection
{
    static constexpr int TileCount = 7;
    static constexpr int DefaultTile = 3;
    static constexpr int NoPictureTile = 4;

    int BackgroundIndex = 0;
    qint16 ConfirmedBackgroundIndex = 0;
};
