#include "ui/twipspainter.h"

#include "platform/twips.h"

void drawTwipsLine(
    QPainter &painter, double x1, double y1, double x2, double y2, const QColor &color)
{
    painter.setPen(QPen(color, 0));
    painter.drawLine(twipsToPixels(x1), twipsToPixels(y1), twipsToPixels(x2), twipsToPixels(y2));
}
