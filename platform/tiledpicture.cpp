#include "platform/tiledpicture.h"

#include <QPaintEvent>
#include <QPainter>

TiledPicture::TiledPicture(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TiledPicture::setPicture(const QPixmap &picture)
{
    m_picture = picture;
    update();
}

void TiledPicture::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    if (m_picture.isNull())
        painter.fillRect(event->rect(), palette().color(QPalette::Base));
    else
        painter.drawTiledPixmap(rect(), m_picture);
}
