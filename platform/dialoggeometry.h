#pragma once

#include <QRect>

class QWidget;

// The dialogs are laid out in twips, like the main window, so that they keep their
// proportions at any screen density.
QRect twipsRect(double left, double top, double width, double height);

// False where the window system decides where windows go, as every Wayland compositor does:
// there a position asked for is ignored and one read back means nothing.
bool windowsCanBePlaced();

// Places a window that is about to be shown in the middle of the screen it will appear on,
// where windows can be placed; elsewhere it does nothing.
void centreOnScreen(QWidget *window);
