#include "platform/twips.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

double twipsPerPixel()
{
    return twipsPerPixel(QGuiApplication::primaryScreen());
}

double twipsPerPixel(const QScreen *screen)
{
    const double dpi = screen ? screen->logicalDotsPerInch() : 96.0;
    return 1440.0 / (dpi > 0 ? dpi : 96.0);
}

double pixelsToTwips(double pixels)
{
    return pixels * twipsPerPixel();
}

int twipsToPixels(double twips)
{
    return static_cast<int>(std::lround(twips / twipsPerPixel()));
}
