#include "ui/windowplacement.h"

#include "platform/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <cmath>

namespace WindowPlacementIo {

namespace {

// Each screen converts with its own density, so a window keeps its size in inches when it
// opens on a screen denser than the primary one.
QRectF toTwips(const QRect &pixels, const QScreen *screen)
{
    const double scale = twipsPerPixel(screen);
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
    return screen ? toTwips(screen->geometry(), screen).size() : QSizeF();
}

QList<QRectF> screenAreas()
{
    QList<QRectF> areas;
    for (const QScreen *screen : QGuiApplication::screens())
        areas << toTwips(screen->geometry(), screen);
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
    const QRectF twips = toTwips(outer, screenOf(window));
    return { twips.x(), twips.y(), twips.width(), twips.height(), window.isMaximized() };
}

QRect outerPixels(const WindowPlacement &placement)
{
    // The screen the window's corner will be on decides, each screen measured in its own twips.
    const QScreen *target = QGuiApplication::primaryScreen();
    for (const QScreen *screen : QGuiApplication::screens()) {
        if (toTwips(screen->geometry(), screen).contains(QPointF(placement.left, placement.top)))
            target = screen;
    }
    const double scale = twipsPerPixel(target);
    const auto pixels = [scale](double twips) {
        return int(std::lround(twips / scale));
    };
    return QRect(pixels(placement.left),
        pixels(placement.top),
        pixels(placement.width),
        pixels(placement.height));
}

} // namespace WindowPlacementIo
