#pragma once

#include "platform/controlfont.h"
#include "platform/texthistory.h"
#include "platform/textlayouts.h"
#include "platform/textnavigator.h"
#include "platform/textstorage.h"
#include "platform/textviewport.h"

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QPoint>

// The editing area. The rest of the program uses only this class's own members, so what
// stands behind them can change without touching the callers. Line breaks in text() are
// single '\n' characters; setSelText() also takes '\r' and "\r\n" as one break.
//
// The text lives in a piece table and only the lines on screen are laid out, so opening,
// scrolling and editing cost the same in a document of any length.
class TextControl : public QAbstractScrollArea
{
    Q_OBJECT
public:
    explicit TextControl(QWidget *parent = nullptr);
    ~TextControl() override;

    QString text() const;
    void setText(const QString &text);
    void setText(TextStorage &&text);
    int textLength() const;
    void setSelText(const QString &text);
    int selStart() const;
    void setSelStart(int position);
    int selLength() const;
    void setSelLength(int length);
    QString selectedText() const;
    // Where wanted first occurs, or -1.
    int find(const QString &wanted) const;

    bool wordWrap() const;
    void setWordWrap(bool on);
    ControlFont controlFont() const { return m_font; }
    void setControlFont(const ControlFont &font);
    quint32 foreColor() const { return m_foreColor; }
    void setForeColor(quint32 color);

    // The classic edit control's undo: one step, and a second undo takes the first one back.
    void undoLastEdit();
    void cut();
    void copy();
    void paste();

    // The caret's rectangle at position, in the viewport's coordinates.
    QRect cursorRect(int position);
    int positionAt(const QPoint &viewportPoint);
    // Scrolls, if need be, so that position is on screen.
    void showPosition(int position);
    const TextStorage &storage() const { return m_storage; }
    int caretPosition() const { return int(m_caret); }
    int anchorPosition() const { return int(m_anchor); }
    void select(int anchor, int caret);
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
    // Changes whenever the text does.
    quint64 revision() const { return m_revision; }

Q_SIGNALS:
    void changed();
    void mouseUp(int button, int shift, QPoint position);

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void scrollContentsBy(int dx, int dy) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void changeEvent(QEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;

private:
    bool moveCaretByKey(QKeyEvent *event);
    bool editByKey(QKeyEvent *event);
    void replaceRange(qsizetype from,
        qsizetype to,
        QStringView text,
        TextHistory::Kind kind,
        bool typingContinues = true);
    void removeRange(qsizetype from, qsizetype to, TextHistory::Kind kind, bool caretAfterRestore);
    void textReplaced(bool changedText);
    // `at` is where text was removed and added; `linesBefore` the line count before the edit.
    void afterEdit(qsizetype at, qsizetype removed, qsizetype added, qsizetype linesBefore);
    void setCaret(qsizetype position, bool keepAnchor);
    void selectionChanged();
    void offerPrimarySelection();
    void selectWholeWords(qsizetype from, qsizetype to);
    void extendByWords(qsizetype to);
    void dragTo(const QPoint &viewportPoint);
    void applyColors();
    void updateScrollBars();
    void ensureCaretVisible() { showPosition(int(m_caret)); }
    void restartCaretBlink();
    void notifyAccessibility(qsizetype from, const QString &removed, qsizetype added);

    TextStorage m_storage;
    TextLayouts m_layouts;
    TextNavigator m_navigator;
    TextViewport m_viewport;
    TextHistory m_history;
    qsizetype m_anchor = 0;
    qsizetype m_caret = 0;
    // The x the caret keeps while it moves up and down through shorter rows; < 0 when unset.
    qreal m_verticalX = -1;
    QString m_preedit;
    int m_preeditCaret = 0;
    ControlFont m_font;
    quint32 m_foreColor;
    QBasicTimer m_blink;
    bool m_caretShown = false;
    QBasicTimer m_autoScroll;
    QPoint m_lastDragPoint;
    // Where a plain left-button drag began; -1 when no such drag is going on.
    qsizetype m_dragStart = -1;
    // The word a double-click selected; a drag that follows goes by words from it.
    std::pair<qsizetype, qsizetype> m_clickedWord { -1, -1 };
    bool m_selecting = false;
    // Wheel movement short of a row, as touchpads send it.
    int m_wheelRemainder = 0;
    bool m_menuOpen = false;
    bool m_composing = false;
    quint64 m_revision = 0;
};
