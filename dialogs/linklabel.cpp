#include "dialogs/linklabel.h"

#include "dialogs/dialogaccessible.h"
#include "platform/olecolor.h"
#include "platform/sharppixmap.h"

#include <QMouseEvent>

namespace {

constexpr quint32 LinkBlue = 0x00C00000;
// The fingertip of the hand picture, in its pixels at the screen's own size.
constexpr int HandHotX = 6;
constexpr int HandHotY = 1;

} // namespace

LinkLabel::LinkLabel(const QString &text, const QString &tooltip, QWidget *parent)
    : QLabel(text, parent)
{
    installDialogAccessibility();
    QFont linkFont(QStringLiteral("MS Sans Serif"));
    linkFont.setPointSizeF(8.25);
    linkFont.setUnderline(true);
    setFont(linkFont);
    QPalette colours = palette();
    colours.setColor(QPalette::WindowText, colorFromOle(LinkBlue));
    setPalette(colours);
    setToolTip(tooltip);
    setCursor(QCursor(
        sharpPixmap(QStringLiteral(":/assets/hand.xpm"), devicePixelRatioF()), HandHotX, HandHotY));
    setFocusPolicy(Qt::NoFocus);
    adjustSize();
}

void LinkLabel::mouseReleaseEvent(QMouseEvent *event)
{
    QLabel::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
        click();
}

void LinkLabel::click()
{
    Q_EMIT Click();
}
