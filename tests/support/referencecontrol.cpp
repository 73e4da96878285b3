#include "tests/support/referencecontrol.h"

#include <QKeyEvent>
#include <QTextBlock>
#include <QTextDocument>

ReferenceControl::ReferenceControl(QWidget *parent)
    : QPlainTextEdit(parent)
{
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTabChangesFocus(true);
    connect(document(), &QTextDocument::contentsChange, this, [this](int, int removed, int added) {
        if ((removed || added) && !m_undoing)
            m_undoneLast = false;
    });
}

QString ReferenceControl::text() const
{
    QString raw = document()->toRawText();
    raw.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return raw;
}

void ReferenceControl::setText(const QString &text)
{
    setPlainText(text);
}

void ReferenceControl::setSelText(const QString &text)
{
    QTextCursor cursor = textCursor();
    cursor.insertText(text);
    setTextCursor(cursor);
}

int ReferenceControl::selStart() const
{
    return textCursor().selectionStart();
}

void ReferenceControl::setSelStart(int position)
{
    QTextCursor cursor = textCursor();
    cursor.setPosition(qBound(0, position, document()->characterCount() - 1));
    setTextCursor(cursor);
}

void ReferenceControl::setSelLength(int length)
{
    QTextCursor cursor = textCursor();
    const int start = cursor.selectionStart();
    cursor.setPosition(start);
    cursor.setPosition(
        qBound(0, start + length, document()->characterCount() - 1), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

void ReferenceControl::setWordWrap(bool on)
{
    setLineWrapMode(on ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

void ReferenceControl::undoLastEdit()
{
    m_undoing = true;
    if (m_undoneLast && document()->isRedoAvailable()) {
        document()->redo();
        m_undoneLast = false;
    } else if (document()->isUndoAvailable()) {
        document()->undo();
        m_undoneLast = true;
    }
    m_undoing = false;
    // QTextCursor keeps the column it had before the undo moved it; the text control takes
    // the column afresh, as it does after every edit.
    QTextCursor cursor = textCursor();
    const int position = cursor.position();
    cursor.setPosition(cursor.anchor());
    cursor.setPosition(position, QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

void ReferenceControl::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo)) {
        event->ignore();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}
