#include "platform/textcontrol.h"

#include "platform/mousecodes.h"
#include "platform/olecolor.h"

#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTextDocument>

namespace {

// These keys belong to the window's menu, which routes them through its commands; the editor
// must not take them for itself first.
bool isMenuShortcut(const QKeyEvent *event)
{
    return event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo)
        || event->matches(QKeySequence::Cut) || event->matches(QKeySequence::Copy)
        || event->matches(QKeySequence::Paste) || event->matches(QKeySequence::SelectAll);
}

// A strip left of the text where a click selects the whole line.
constexpr int SelectionMargin = 8;

} // namespace

TextControl::TextControl(QWidget *parent)
    : QPlainTextEdit(parent)
    , m_foreColor(SystemWindowText)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setLineWrapMode(QPlainTextEdit::NoWrap);
    setTabChangesFocus(true);
    setUndoRedoEnabled(true);
    // The picture behind the control shows through; an opaque viewport would also let Qt
    // scroll by copying pixels, dragging the picture along with the text.
    viewport()->setAutoFillBackground(false);
    document()->setDocumentMargin(SelectionMargin);
    m_font.size = 8.25;
    m_font.name = font().family();
    setControlFont(m_font);
    applyColors();
    connect(document(), &QTextDocument::contentsChange, this, &TextControl::onContentsChange);
}

bool TextControl::keepsUnchanged(const QString &text)
{
    return !text.contains(QChar::ParagraphSeparator) && !text.contains(QChar(0xFDD0))
        && !text.contains(QChar(0xFDD1));
}

QString TextControl::text() const
{
    // toPlainText() would turn no-break spaces into plain spaces; the raw text keeps every
    // character the user has.
    QString raw = document()->toRawText();
    raw.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    return raw;
}

void TextControl::setText(const QString &text)
{
    if (text.isEmpty() && document()->isEmpty())
        return;
    // Replacing the text clears and then inserts; callers see one change.
    m_collectingChanges = true;
    m_collectedChange = false;
    setPlainText(text);
    m_collectingChanges = false;
    if (m_collectedChange)
        Q_EMIT changed();
}

int TextControl::textLength() const
{
    return document()->characterCount() - 1;
}

void TextControl::setSelText(const QString &text)
{
    QTextCursor cursor = textCursor();
    cursor.insertText(text);
    setTextCursor(cursor);
}

int TextControl::selStart() const
{
    return textCursor().selectionStart();
}

void TextControl::setSelStart(int position)
{
    QTextCursor cursor = textCursor();
    cursor.setPosition(qBound(0, position, document()->characterCount() - 1));
    setTextCursor(cursor);
}

int TextControl::selLength() const
{
    const QTextCursor cursor = textCursor();
    return cursor.selectionEnd() - cursor.selectionStart();
}

void TextControl::setSelLength(int length)
{
    QTextCursor cursor = textCursor();
    const int start = cursor.selectionStart();
    cursor.setPosition(start);
    cursor.setPosition(
        qBound(0, start + length, document()->characterCount() - 1), QTextCursor::KeepAnchor);
    setTextCursor(cursor);
}

bool TextControl::wordWrap() const
{
    return lineWrapMode() == QPlainTextEdit::WidgetWidth;
}

void TextControl::setWordWrap(bool on)
{
    setLineWrapMode(on ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
}

void TextControl::setControlFont(const ControlFont &font)
{
    m_font = font;
    setFont(font.toQFont());
}

void TextControl::setForeColor(quint32 color)
{
    m_foreColor = color;
    applyColors();
}

void TextControl::applyColors()
{
    QPalette palette = this->palette();
    const QColor text = colorFromOle(m_foreColor);
    palette.setColor(QPalette::Base, Qt::transparent);
    palette.setColor(QPalette::Text, text);
    // The selection is hidden while another window or control has the focus.
    palette.setColor(QPalette::Inactive, QPalette::Highlight, Qt::transparent);
    palette.setColor(QPalette::Inactive, QPalette::HighlightedText, text);
    setPalette(palette);
}

void TextControl::undoLastEdit()
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
}

void TextControl::onContentsChange(int, int removed, int added)
{
    if (removed == 0 && added == 0)
        return;
    if (!m_undoing)
        m_undoneLast = false;
    if (m_collectingChanges)
        m_collectedChange = true;
    else
        Q_EMIT changed();
}

bool TextControl::event(QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride
        && isMenuShortcut(static_cast<QKeyEvent *>(event))) {
        event->ignore();
        return false;
    }
    return QPlainTextEdit::event(event);
}

void TextControl::keyPressEvent(QKeyEvent *event)
{
    // Undo is the menu's single step; the editor's own history must not be walked by keys.
    if (isMenuShortcut(event)) {
        event->ignore();
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

bool TextControl::inSelectionMargin(const QPointF &position) const
{
    return position.x() < contentOffset().x() + SelectionMargin;
}

void TextControl::mousePressEvent(QMouseEvent *event)
{
    m_dragStart = -1;
    if (event->button() == Qt::LeftButton && inSelectionMargin(event->position())) {
        QTextCursor line = cursorForPosition(QPoint(SelectionMargin, int(event->position().y())));
        line.movePosition(QTextCursor::StartOfBlock);
        line.movePosition(QTextCursor::NextBlock, QTextCursor::KeepAnchor);
        if (!line.hasSelection())
            line.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        setTextCursor(line);
        event->accept();
        return;
    }
    QPlainTextEdit::mousePressEvent(event);
    if (event->button() == Qt::LeftButton && event->modifiers() == Qt::NoModifier)
        m_dragStart = textCursor().position();
}

// A drag that leaves the word where it began selects whole words, as users of classic
// edit controls expect; within one word it selects characters.
void TextControl::mouseMoveEvent(QMouseEvent *event)
{
    QPlainTextEdit::mouseMoveEvent(event);
    if (m_dragStart >= 0 && (event->buttons() & Qt::LeftButton))
        selectWholeWords(m_dragStart, cursorForPosition(event->position().toPoint()).position());
}

void TextControl::selectWholeWords(int from, int to)
{
    QTextCursor startWord(document());
    startWord.setPosition(from);
    startWord.select(QTextCursor::WordUnderCursor);
    if (!startWord.hasSelection()
        || (to >= startWord.selectionStart() && to <= startWord.selectionEnd()))
        return;
    QTextCursor endWord(document());
    endWord.setPosition(to);
    endWord.select(QTextCursor::WordUnderCursor);
    const bool forward = to > from;
    const int anchor = forward ? startWord.selectionStart() : startWord.selectionEnd();
    int position = to;
    if (endWord.hasSelection())
        position = forward ? endWord.selectionEnd() : endWord.selectionStart();
    QTextCursor selection(document());
    selection.setPosition(anchor);
    selection.setPosition(position, QTextCursor::KeepAnchor);
    setTextCursor(selection);
}

void TextControl::mouseReleaseEvent(QMouseEvent *event)
{
    m_dragStart = -1;
    QPlainTextEdit::mouseReleaseEvent(event);
    Q_EMIT mouseUp(mouseButtonCode(event->button()),
        shiftStateCode(event->modifiers()),
        event->position().toPoint());
}

void TextControl::contextMenuEvent(QContextMenuEvent *event)
{
    // The window shows its Edit menu when the right button is released.
    event->accept();
}
