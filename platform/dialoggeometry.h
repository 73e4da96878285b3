#pragma once

#include <QRect>

class QWidget;

// The dialogs are laid out in twips, like the main window, so that they keep their
// proportions at any screen density.
QRect twipsRect(double left, double top, double width, double height);

// Places a window that is about to be shown in the middle of the screen it will appear on.
void centreOnScreen(QWidget *window);
