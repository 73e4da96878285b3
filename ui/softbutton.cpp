#include "ui/softbutton.h"

#include "platform/sharppixmap.h"
#include "platform/twips.h"

#include <QBitmap>
#include <QImage>
#include <QPixmap>

namespace {

QPixmap masked(const QString &path)
{
    const QImage image(path);
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setMask(
        QBitmap::fromImage(image.createMaskFromColor(qRgb(192, 192, 192), Qt::MaskInColor)));
    return pixmap;
}

// The glyph drawn at 16 pixels and at 32, so that a screen at a scale of 2 gets its own.
QIcon maskedGlyph(const QString &path)
{
    QIcon icon(masked(path));
    QPixmap twice = masked(twicePath(path));
    twice.setDevicePixelRatio(2);
    icon.addPixmap(twice);
    return icon;
}

} // namespace

Softbutton::Softbutton(int index, const QString &glyphPath, const QString &tooltip, QWidget *parent)
    : QToolButton(parent)
    , m_index(index)
{
    setObjectName(QStringLiteral("Softbutton%1").arg(index));
    setIcon(maskedGlyph(glyphPath));
    setIconSize(QSize(16, 16));
    setAutoRaise(true);
    setToolTip(tooltip);
    setAccessibleName(tooltip);
    setFocusPolicy(Qt::NoFocus);
    const int side = twipsToPixels(Side);
    setFixedSize(side, side);
    connect(this, &QToolButton::clicked, this, [this] {
        Q_EMIT Click(m_index);
    });
}
