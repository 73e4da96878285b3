#include "dialogs/texturetile.h"

#include "dialogs/dialogaccessible.h"

#include <QAccessible>
#include <QMouseEvent>
#include <QPainter>

TextureTile::TextureTile(
    int index, const TilePicture &picture, const TiledPicture &shownUnder, QWidget *parent)
    : QFrame(parent)
    , m_index(index)
    , m_picture(picture)
    , m_shownUnder(shownUnder)
{
    installDialogAccessibility();
    setObjectName(QStringLiteral("ImgTexture%1").arg(index));
    setFocusPolicy(Qt::NoFocus);
    setAppearance(Flat);
}

void TextureTile::setAppearance(int appearance)
{
    const bool wasChosen = m_appearance == ThreeD;
    m_appearance = appearance;
    if (appearance == ThreeD) {
        // The classic two-line sunken edge, dark above and left, light below and right.
        setFrameStyle(QFrame::WinPanel | QFrame::Sunken);
    } else {
        setFrameStyle(QFrame::Box | QFrame::Plain);
        setLineWidth(1);
    }
    update();
    // The sunken edge marks the chosen tile; screen readers hear of it as a check.
    if (wasChosen != (appearance == ThreeD) && QAccessible::isActive()) {
        QAccessible::State changed;
        changed.checked = true;
        QAccessibleStateChangeEvent event(this, changed);
        QAccessible::updateAccessibility(&event);
    }
}

void TextureTile::click()
{
    Q_EMIT Click(m_index);
}

void TextureTile::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    // The tile shows the whole texture, whatever its proportions; the frame's caption tells
    // the user that the real size differs.
    const QPixmap picture = m_picture.rendition(m_shownUnder.textColor(), devicePixelRatioF());
    if (!picture.isNull())
        painter.drawPixmap(contentsRect(), picture);
    drawFrame(&painter);
}

void TextureTile::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::LeftButton)
        m_inDoubleClick = false;
    event->accept();
}

void TextureTile::mouseReleaseEvent(QMouseEvent *event)
{
    const bool clicked = event->button() == Qt::LeftButton && !m_inDoubleClick
        && rect().contains(event->position().toPoint());
    m_inDoubleClick = false;
    event->accept();
    if (clicked)
        click();
}

void TextureTile::mouseDoubleClickEvent(QMouseEvent *event)
{
    event->accept();
    if (event->button() != Qt::LeftButton)
        return;
    m_inDoubleClick = true;
    Q_EMIT DblClick(m_index);
}
