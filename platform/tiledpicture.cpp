#include "platform/tiledpicture.h"

#include "platform/sharppixmap.h"

#include <QFileInfo>
#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace {

// Relative luminance as the web's contrast guidelines define it.
double luminance(const QColor &color)
{
    const auto channel = [](double value) {
        return value <= 0.03928 ? value / 12.92 : std::pow((value + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(color.redF()) + 0.7152 * channel(color.greenF())
        + 0.0722 * channel(color.blueF());
}

QString darkPath(const QString &path)
{
    const qsizetype dot = path.lastIndexOf(QLatin1Char('.'));
    return path.left(dot) + QStringLiteral("-dark") + path.mid(dot);
}

} // namespace

TilePicture::TilePicture(const QString &path)
    : m_path(path)
{ }

bool TilePicture::wantsDarkBackground(const QColor &text)
{
    // Above this luminance, text has more contrast against black than against white.
    return luminance(text) > std::sqrt(1.05 * 0.05) - 0.05;
}

QPixmap TilePicture::rendition(const QColor &text, qreal devicePixelRatio) const
{
    if (isNull())
        return QPixmap();
    const QString dark = darkPath(m_path);
    const bool useDark = wantsDarkBackground(text) && QFileInfo::exists(dark);
    return sharpPixmap(useDark ? dark : m_path, devicePixelRatio);
}

TiledPicture::TiledPicture(QWidget *parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TiledPicture::setPicture(const TilePicture &picture)
{
    m_picture = picture;
    m_shown = QPixmap();
    update();
}

void TiledPicture::setTextColor(const QColor &color)
{
    m_textColor = color;
    update();
}

void TiledPicture::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    if (m_picture.isNull()) {
        painter.fillRect(event->rect(), palette().color(QPalette::Base));
        return;
    }
    const bool dark = TilePicture::wantsDarkBackground(m_textColor);
    if (m_shown.isNull() || dark != m_shownDark || devicePixelRatioF() != m_shownRatio) {
        m_shown = m_picture.rendition(m_textColor, devicePixelRatioF());
        m_shownDark = dark;
        m_shownRatio = devicePixelRatioF();
    }
    painter.drawTiledPixmap(rect(), m_shown);
}
