#pragma once

#include <QColor>
#include <QPainter>

// The toolbar's drawings are specified in twips; this draws them on a pixel device.
void drawTwipsLine(
    QPainter &painter, double x1, double y1, double x2, double y2, const QColor &color);
