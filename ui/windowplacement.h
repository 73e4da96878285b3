#pragma once

#include "settings/settingsstore.h"

#include <QList>
#include <QRectF>
#include <QSizeF>

class QWidget;

// The main window's outer rectangle in twips, as stored between runs.
namespace WindowPlacementIo {

// The screens around the window, and the largest window the windowing system takes.
PlacementArea placementArea(const QWidget &window, double narrowestWidth);
// A maximised window reports the whole screen grown by one pixel on each side, as on desktops
// where its border hangs off the screen, so that it opens maximised again.
WindowPlacement current(const QWidget &window);
// The rectangle, in pixels, that the window's frame should cover.
QRect outerPixels(const WindowPlacement &placement);

} // namespace WindowPlacementIo
