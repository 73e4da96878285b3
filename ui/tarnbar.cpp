#include "ui/tarnbar.h"

#include "platform/mousecodes.h"
#include "platform/twips.h"
#include "ui/tbseparator.h"
#include "ui/toolbaraccessible.h"
#include "ui/twipspainter.h"

#include <QMouseEvent>

TarnBar::TarnBar(QWidget *parent)
    : QWidget(parent)
    , m_grip(new TBSeparator(this))
{
    installToolbarAccessibility();
    m_grip->setObjectName(QStringLiteral("Grip"));
    m_grip->move(twipsToPixels(45), twipsToPixels(45));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Button);
    setMouseTracking(true);
}

void TarnBar::setBackColor(quint32 value)
{
    m_backColor = value;
    Q_EMIT PropertyChanged(QStringLiteral("BackColor"));
}

void TarnBar::setForeColor(quint32 value)
{
    m_foreColor = value;
    Q_EMIT PropertyChanged(QStringLiteral("ForeColor"));
}

void TarnBar::setEnabledProperty(bool value)
{
    m_enabled = value;
    Q_EMIT PropertyChanged(QStringLiteral("Enabled"));
}

void TarnBar::setFontProperty(const QFont &value)
{
    m_font = value;
    Q_EMIT PropertyChanged(QStringLiteral("Font"));
}

void TarnBar::setBackStyle(qint16 value)
{
    m_backStyle = value;
    Q_EMIT PropertyChanged(QStringLiteral("BackStyle"));
}

void TarnBar::setBorderStyle(qint16 value)
{
    m_borderStyle = value;
    Q_EMIT PropertyChanged(QStringLiteral("BorderStyle"));
}

int TarnBar::addLine(const QLineF &twips, QPalette::ColorRole role)
{
    m_lines.append({ twips, role });
    update();
    return int(m_lines.size()) - 1;
}

void TarnBar::setLineEndX(int line, double x2Twips)
{
    m_lines[line].twips.setP2(QPointF(x2Twips, m_lines[line].twips.y2()));
    update();
}

void TarnBar::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QPalette &colors = palette();
    const double width = pixelsToTwips(this->width());
    drawTwipsLine(painter, 0, 0, width, 0, colors.color(QPalette::Dark));
    drawTwipsLine(painter, 0, 15, width, 15, colors.color(QPalette::Light));
    drawTwipsLine(painter, 0, 435, width, 435, colors.color(QPalette::Button));
    drawTwipsLine(painter, 0, 420, width, 420, colors.color(QPalette::Button));
    for (const PlacedLine &placed : qAsConst(m_lines)) {
        const QLineF &l = placed.twips;
        drawTwipsLine(painter, l.x1(), l.y1(), l.x2(), l.y2(), colors.color(placed.role));
    }
}

void TarnBar::mouseMoveEvent(QMouseEvent *event)
{
    Q_EMIT MouseMove(mouseButtonCode(event->buttons()),
        shiftStateCode(event->modifiers()),
        pixelsToTwips(event->position().x()),
        pixelsToTwips(event->position().y()));
}
