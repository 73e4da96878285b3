#include "ui/tbseparator.h"

#include "platform/twips.h"
#include "ui/toolbaraccessible.h"
#include "ui/twipspainter.h"

TBSeparator::TBSeparator(QWidget *parent)
    : QWidget(parent)
{
    installToolbarAccessibility();
    setFixedSize(twipsToPixels(165), twipsToPixels(330));
}

void TBSeparator::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QPalette &colors = palette();
    const QColor highlight = colors.color(QPalette::Light);
    const QColor shadow = colors.color(QPalette::Dark);
    const QColor scrollBar = colors.color(QPalette::Midlight);
    drawTwipsLine(painter, 60, 15, 60, 315, shadow);
    drawTwipsLine(painter, 60, 300, 15, 300, shadow);
    drawTwipsLine(painter, 30, 15, 60, 15, scrollBar);
    drawTwipsLine(painter, 90, 15, 120, 15, scrollBar);
    drawTwipsLine(painter, 120, 300, 75, 300, shadow);
    drawTwipsLine(painter, 90, 300, 90, 15, highlight);
    drawTwipsLine(painter, 120, 15, 120, 315, shadow);
    drawTwipsLine(painter, 30, 300, 30, 15, highlight);
}
