#include "engine/textview.h"

#include "platform/olecolor.h"

#include <QApplication>
#include <QPainter>
#include <QScrollBar>
#include <QStyleHints>
#include <QWheelEvent>

#include <cmath>

TextView::TextView(QWidget *parent)
    : QAbstractScrollArea(parent)
    , m_layouts(m_model.storage())
    , m_navigator(m_model.storage(), m_layouts)
    , m_viewport(*this, m_model.storage(), m_layouts, m_navigator)
    , m_foreColor(SystemWindowText)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    // The picture behind the control shows through, and the control repaints rather than
    // scrolls its pixels, so the picture stays put while the text moves.
    viewport()->setAutoFillBackground(false);
    viewport()->setCursor(Qt::IBeamCursor);
    m_font.size = 8.25;
    m_font.name = font().family();
    setControlFont(m_font);
    applyColors();
}

void TextView::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_blink.timerId()) {
        m_caretShown = !m_caretShown;
        viewport()->update(cursorRect(m_model.caret()).adjusted(-1, 0, 1, 0));
    }
    QAbstractScrollArea::timerEvent(event);
}

bool TextView::wordWrap() const
{
    return m_layouts.wraps();
}

void TextView::setWordWrap(bool on)
{
    if (on == wordWrap())
        return;
    m_layouts.setWrapWidth(on ? m_viewport.textWidth() : 0);
    horizontalScrollBar()->setValue(0);
    updateScrollBars();
    ensureCaretVisible();
    viewport()->update();
}

void TextView::setControlFont(const ControlFont &font)
{
    m_font = font;
    setFont(font.toQFont());
}

void TextView::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange) {
        m_layouts.setFont(font());
        // A hidden control measures its font when it is shown and resized.
        if (isVisible())
            updateScrollBars();
        viewport()->update();
    }
    if (event->type() == QEvent::PaletteChange)
        followDesktopColours();
    QAbstractScrollArea::changeEvent(event);
}

void TextView::followDesktopColours()
{
    // The desktop's text colour follows a change of theme at once. Setting the palette sends
    // another change, which then finds nothing to do.
    if (colorFromOle(m_foreColor) != m_textColor)
        applyColors();
}

void TextView::setForeColor(quint32 color)
{
    m_foreColor = color;
    applyColors();
}

void TextView::applyColors()
{
    // Only the roles set here are the control's own; the others follow the window's palette,
    // so a new desktop palette reaches the control as a change of its own palette.
    QPalette palette;
    const QColor text = colorFromOle(m_foreColor);
    const bool changed = text != m_textColor;
    m_textColor = text;
    palette.setColor(QPalette::Base, Qt::transparent);
    if (!(m_foreColor & SystemColorFlag))
        palette.setColor(QPalette::Text, text);
    // The selection is hidden while another window or control has the focus.
    palette.setColor(QPalette::Inactive, QPalette::Highlight, Qt::transparent);
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText, text);
    setPalette(palette);
    viewport()->update();
    if (changed)
        Q_EMIT textColorChanged(text);
}

void TextView::restartCaretBlink()
{
    m_caretShown = hasFocus();
    const int flash = QGuiApplication::styleHints()->cursorFlashTime();
    if (hasFocus() && flash > 0)
        m_blink.start(flash / 2, this);
    else
        m_blink.stop();
}

void TextView::focusInEvent(QFocusEvent *event)
{
    m_menuOpen = false;
    restartCaretBlink();
    viewport()->update();
    QAbstractScrollArea::focusInEvent(event);
}

void TextView::focusOutEvent(QFocusEvent *event)
{
    // A menu, opened with the mouse or from the keyboard, takes the keyboard for a moment; the
    // selection stays in view for its commands.
    m_menuOpen
        = event->reason() == Qt::PopupFocusReason || event->reason() == Qt::MenuBarFocusReason;
    restartCaretBlink();
    viewport()->update();
    QAbstractScrollArea::focusOutEvent(event);
}

void TextView::scrollContentsBy(int, int)
{
    m_viewport.followScrollBar();
}

void TextView::showPosition(qsizetype position)
{
    m_viewport.showPosition(position, wordWrap());
}

void TextView::updateScrollBars()
{
    m_viewport.updateScrollBars(wordWrap());
}

void TextView::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (wordWrap())
        m_layouts.setWrapWidth(m_viewport.textWidth());
    updateScrollBars();
}

qsizetype TextView::positionAt(const QPoint &viewportPoint)
{
    return m_viewport.positionAt(viewportPoint);
}

QRect TextView::cursorRect(qsizetype position)
{
    return m_viewport.cursorRect(position);
}

void TextView::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    TextViewport::Marks marks;
    marks.selectionShown = hasFocus() || m_menuOpen;
    marks.selectionStart = m_model.selectionStart();
    marks.selectionEnd = m_model.selectionEnd();
    if (marks.selectionShown && m_caretShown)
        marks.caret = m_model.caret();
    marks.composedCaret = composedCaret();
    const qreal widest = m_layouts.widestLine();
    m_viewport.paint(painter, event->rect(), marks);
    // Rows laid out for the first time may be wider than the horizontal bar reaches.
    if (m_layouts.widestLine() > widest)
        QMetaObject::invokeMethod(
            this,
            [this] {
                updateScrollBars();
            },
            Qt::QueuedConnection);
}

// The vertical bar counts lines, which may be many rows each; the wheel goes by rows.
void TextView::wheelEvent(QWheelEvent *event)
{
    const QPoint delta = event->angleDelta();
    if (std::abs(delta.y()) <= std::abs(delta.x()) || (event->modifiers() & Qt::ControlModifier)) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    m_wheelRemainder += delta.y() * QApplication::wheelScrollLines();
    const int rows = m_wheelRemainder / QWheelEvent::DefaultDeltasPerStep;
    m_wheelRemainder -= rows * QWheelEvent::DefaultDeltasPerStep;
    if (rows != 0)
        m_viewport.scrollBy(-rows);
    event->accept();
}
