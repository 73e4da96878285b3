#pragma once

#include "engine/texteditingmodel.h"
#include "engine/textlayouts.h"
#include "engine/textnavigator.h"
#include "engine/textviewport.h"
#include "platform/controlfont.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>

// The text on screen: it lays out and paints the model's text with its selection and caret,
// scrolls, and follows the font, the colour, word wrap and the focus. It changes nothing;
// TextControl, built on it, takes the user's input.
class TextView : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit TextView(QWidget *parent = nullptr);

    bool wordWrap() const;
    void setWordWrap(bool on);
    ControlFont controlFont() const { return m_font; }
    void setControlFont(const ControlFont &font);
    quint32 foreColor() const { return m_foreColor; }
    void setForeColor(quint32 color);
    // The colour the text is drawn in: the chosen one, or the desktop's text colour now.
    QColor textColor() const { return m_textColor; }

    // The caret's rectangle at position, in the viewport's coordinates.
    QRect cursorRect(qsizetype position);
    qsizetype positionAt(const QPoint &viewportPoint);
    // Scrolls, if need be, so that position is on screen.
    void showPosition(qsizetype position);
    const TextStorage &storage() const { return m_model.storage(); }
    qsizetype caretPosition() const { return m_model.caret(); }
    qsizetype anchorPosition() const { return m_model.anchor(); }
    // Changes whenever the text does.
    quint64 revision() const { return m_model.revision(); }

Q_SIGNALS:
    void textColorChanged(const QColor &color);

protected:
    void paintEvent(QPaintEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void changeEvent(QEvent *event) override;

    // The caret's place in text an input method is composing, or -1.
    virtual int composedCaret() const { return -1; }
    void updateScrollBars();
    void ensureCaretVisible() { showPosition(m_model.caret()); }
    void restartCaretBlink();

    TextEditingModel m_model;
    TextLayouts m_layouts;
    TextNavigator m_navigator;
    TextViewport m_viewport;

private:
    void applyColors();
    void followDesktopColours();

    ControlFont m_font;
    quint32 m_foreColor;
    QColor m_textColor;
    QBasicTimer m_blink;
    bool m_caretShown = false;
    // Wheel movement short of a row, as touchpads send it.
    int m_wheelRemainder = 0;
    bool m_menuOpen = false;
};
