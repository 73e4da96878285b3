#include "ui/softbutton.h"

#include "platform/twips.h"

#include <QBitmap>
#include <QImage>
#include <QPixmap>

namespace {

QIcon maskedGlyph(const QString &path)
{
    const QImage image(path);
    QPixmap pixmap = QPixmap::fromImage(image);
    pixmap.setMask(
        QBitmap::fromImage(image.createMaskFromColor(qRgb(192, 192, 192), Qt::MaskInColor)));
    return QIcon(pixmap);
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
