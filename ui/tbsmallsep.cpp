#include "ui/tbsmallsep.h"

#include "ui/toolbaraccessible.h"
#include "ui/twipspainter.h"

TBSmallSep::TBSmallSep(QWidget *parent)
    : QWidget(parent)
{
    installToolbarAccessibility();
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void TBSmallSep::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    drawTwipsLine(painter, 30, 15, 30, 360, palette().color(QPalette::Dark));
    drawTwipsLine(painter, 45, 15, 45, 360, palette().color(QPalette::Light));
}
