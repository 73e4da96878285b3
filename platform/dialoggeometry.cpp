#include "platform/dialoggeometry.h"

#include "platform/twips.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

QRect twipsRect(double left, double top, double width, double height)
{
    return QRect(
        twipsToPixels(left), twipsToPixels(top), twipsToPixels(width), twipsToPixels(height));
}

bool windowsCanBePlaced()
{
    // The Wayland plugins are "wayland", "wayland-egl", "wayland-xcomposite-glx" and so on.
    return !QGuiApplication::platformName().startsWith(QLatin1String("wayland"));
}

void centreOnScreen(QWidget *window)
{
    if (!windowsCanBePlaced())
        return;
    const QScreen *screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    // The frame is not known before the window is mapped; the client area stands for it.
    QRect placed(QPoint(), window->size());
    placed.moveCenter(screen->availableGeometry().center());
    window->move(placed.topLeft());
}
