#include "ui/windowplacement.h"

#include "platform/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace WindowPlacementIo {

namespace {

QRectF toTwips(const QRect &pixels)
{
    const double scale = twipsPerPixel();
    return QRectF(
        pixels.x() * scale, pixels.y() * scale, pixels.width() * scale, pixels.height() * scale);
}

const QScreen *screenOf(const QWidget &window)
{
    const QScreen *screen = window.screen();
    return screen ? screen : QGuiApplication::primaryScreen();
}

QSizeF screenSize(const QWidget &window)
{
    const QScreen *screen = screenOf(window);
    return screen ? toTwips(screen->geometry()).size() : QSizeF();
}

QList<QRectF> screenAreas()
{
    QList<QRectF> areas;
    for (const QScreen *screen : QGuiApplication::screens())
        areas << toTwips(screen->geometry());
    return areas;
}

} // namespace

PlacementArea placementArea(const QWidget &window, double narrowestWidth)
{
    return {
        screenSize(window), screenAreas(), narrowestWidth, pixelsToTwips(LargestWindowPixels)
    };
}

WindowPlacement current(const QWidget &window)
{
    QRect outer = window.frameGeometry();
    if (window.isMaximized() && screenOf(window))
        outer = screenOf(window)->geometry().adjusted(-1, -1, 1, 1);
    const QRectF twips = toTwips(outer);
    return { twips.x(), twips.y(), twips.width(), twips.height(), window.isMaximized() };
}

QRect outerPixels(const WindowPlacement &placement)
{
    return QRect(twipsToPixels(placement.left),
        twipsToPixels(placement.top),
        twipsToPixels(placement.width),
        twipsToPixels(placement.height));
}

} // namespace WindowPlacementIo
