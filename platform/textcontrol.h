#pragma once

#include "platform/controlfont.h"

#include <QPlainTextEdit>
#include <QPoint>

// The editing area. The rest of the program uses only this class's own members, so what
// stands behind them can change without touching the callers. Line breaks in text() are
// single '\n' characters; setSelText() also takes '\r' and "\r\n" as one break.
class TextControl : public QPlainTextEdit
{
    Q_OBJECT
public:
    explicit TextControl(QWidget *parent = nullptr);

    // False when handing the text over would change it: the editor turns paragraph
    // separators and its frame markers into line breaks.
    static bool keepsUnchanged(const QString &text);

    QString text() const;
    void setText(const QString &text);
    int textLength() const;
    void setSelText(const QString &text);
    int selStart() const;
    void setSelStart(int position);
    int selLength() const;
    void setSelLength(int length);

    bool wordWrap() const;
    void setWordWrap(bool on);
    ControlFont controlFont() const { return m_font; }
    void setControlFont(const ControlFont &font);
    quint32 foreColor() const { return m_foreColor; }
    void setForeColor(quint32 color);

    // The classic edit control's undo: one step, and a second undo takes the first one back.
    void undoLastEdit();

Q_SIGNALS:
    void changed();
    void mouseUp(int button, int shift, QPoint position);

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void onContentsChange(int position, int removed, int added);
    void applyColors();
    bool inSelectionMargin(const QPointF &position) const;
    void selectWholeWords(int from, int to);

    ControlFont m_font;
    quint32 m_foreColor;
    bool m_undoneLast = false;
    bool m_undoing = false;
    bool m_collectingChanges = false;
    bool m_collectedChange = false;
    // Where a plain left-button drag began; -1 when no such drag is going on.
    int m_dragStart = -1;
};
