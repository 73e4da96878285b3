#pragma once

#include "engine/editabletext.h"
#include "engine/primaryselectionoffer.h"
#include "engine/textcomposition.h"
#include "engine/textkeyedits.h"
#include "engine/textmouseselection.h"
#include "engine/textview.h"

#include <QBasicTimer>
#include <QPoint>

// The editing area. The rest of the program uses only this class's own members, so what
// stands behind them can change without touching the callers. Line breaks in text() are
// single '\n' characters; setSelText() also takes '\r' and "\r\n" as one break.
//
// The text and its edits live in a model of their own and only the lines on screen are laid
// out, so opening, scrolling and editing cost the same in a document of any length. This
// class turns keys, the mouse, input methods and the program's calls into edits of the model
// and tells the view, screen readers and the input method what changed.
//
// It takes no drops, neither it nor its viewport: dragged text is not inserted, and a file
// dropped on it goes on to the widgets around it, where the window opens it.
class TextControl : public TextView, public EditableText
{
    Q_OBJECT
public:
    explicit TextControl(QWidget *parent = nullptr);
    ~TextControl() override;

    const TextStorage &storage() const override { return TextView::storage(); }
    QString text() const override;
    void setText(const QString &text) override;
    void setText(TextStorage &&text) override;
    qsizetype textLength() const override;
    void setSelText(const QString &text);
    qsizetype selStart() const;
    void setSelStart(qsizetype position) override;
    qsizetype selLength() const;
    void setSelLength(qsizetype length) override;
    ControlFont controlFont() const override { return TextView::controlFont(); }
    QString selectedText() const;
    // Where wanted first occurs, or -1.
    qsizetype find(const QString &wanted) const;

    void undoLastEdit() override;
    void cut() override;
    void copy() override;
    void paste() override;
    void takeFocus() override { setFocus(); }

    void select(qsizetype anchor, qsizetype caret);
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

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
    void timerEvent(QTimerEvent *event) override;
    void inputMethodEvent(QInputMethodEvent *event) override;
    int composedCaret() const override
    {
        return m_composition.isEmpty() ? -1 : m_composition.caret();
    }

private:
    bool moveCaretByKey(QKeyEvent *event);
    void textReplaced(const QString &removedHead);
    void afterEdit(const TextChange &change);
    void setCaret(qsizetype position, bool keepAnchor);
    // edit: the change that moved the selection, if the text changed.
    void selectionChanged(const TextChange *edit = nullptr);
    // What screen readers are told of the text from at: all of it up to a limit, never half
    // a surrogate pair.
    QString reportedText(qsizetype at, qsizetype length) const;
    void dragTo(const QPoint &viewportPoint);

    TextKeyEdits m_keyEdits;
    TextMouseSelection m_mouseSelection;
    TextComposition m_composition;
    // The x the caret keeps while it moves up and down through shorter rows; < 0 when unset.
    qreal m_verticalX = -1;
    QBasicTimer m_autoScroll;
    QPoint m_lastDragPoint;
    bool m_selecting = false;
    // While the input method's own text goes in, what it is composing stays.
    bool m_committing = false;
    // The selection screen readers were last told of; { 0, 0 } when nothing is selected.
    std::pair<qsizetype, qsizetype> m_reportedSelection { 0, 0 };
    PrimarySelectionOffer m_primarySelection;
};
