#include "engine/textcontrol.h"

#include "engine/textaccessible.h"
#include "platform/mousecodes.h"

#include <QAccessible>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>

#include <algorithm>

namespace {

// These keys belong to the window's menu, which routes them through its commands; the editor
// must not take them for itself first.
bool isMenuShortcut(const QKeyEvent *event)
{
    return event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo)
        || event->matches(QKeySequence::Cut) || event->matches(QKeySequence::Copy)
        || event->matches(QKeySequence::Paste) || event->matches(QKeySequence::SelectAll);
}

constexpr int AutoScrollInterval = 50;

} // namespace

TextControl::TextControl(QWidget *parent)
    : TextView(parent)
    , m_keyEdits(m_model, m_navigator)
    , m_mouseSelection(m_navigator)
    , m_composition(m_model, m_layouts)
    , m_primarySelection(*this)
{
    setAttribute(Qt::WA_InputMethodEnabled);
    setInputMethodHints(Qt::ImhMultiLine);
    installTextAccessibility();
}

TextControl::~TextControl() = default;

QString TextControl::text() const
{
    return storage().toString();
}

void TextControl::setText(const QString &text)
{
    setText(TextStorage::fromText(text));
}

void TextControl::setText(TextStorage &&text)
{
    const bool unchanged = text.isEmpty() && storage().isEmpty();
    const QString removedHead
        = QAccessible::isActive() ? reportedText(0, storage().length()) : QString();
    m_primarySelection.withdraw();
    m_model.setText(std::move(text));
    textReplaced(removedHead);
    // Emptying an empty control is no change for its owner, but what could be undone is gone.
    if (!unchanged)
        Q_EMIT changed();
}

void TextControl::textReplaced(const QString &removed)
{
    m_verticalX = -1;
    m_viewport.reset();
    m_composition.clear();
    m_layouts.clear();
    updateScrollBars();
    viewport()->update();
    TextAccessibleEvents::textChanged(this, 0, removed, reportedText(0, storage().length()));
    selectionChanged();
}

QString TextControl::reportedText(qsizetype at, qsizetype length) const
{
    const qsizetype end = std::min(at + length, at + TextAccessibleEvents::ReportedText);
    return storage().mid(at, storage().wholeCodePoint(end, false) - at);
}

qsizetype TextControl::textLength() const
{
    return storage().length();
}

void TextControl::setSelText(const QString &text)
{
    const QString lines = TextStorage::withNewlines(text);
    const bool lineBreaks = lines.contains(QLatin1Char('\n'));
    const bool typing = !m_model.hasSelection() && !lineBreaks;
    afterEdit(m_model.replaceSelection(
        lines, typing ? TextHistory::Kind::Typing : TextHistory::Kind::Other, !lineBreaks));
}

qsizetype TextControl::selStart() const
{
    return m_model.selectionStart();
}

void TextControl::setSelStart(qsizetype position)
{
    select(position, position);
}

qsizetype TextControl::selLength() const
{
    return m_model.selectionEnd() - m_model.selectionStart();
}

void TextControl::setSelLength(qsizetype length)
{
    const qsizetype start = selStart();
    select(start, start + length);
}

void TextControl::select(qsizetype anchor, qsizetype caret)
{
    m_model.select(anchor, m_model.caret());
    setCaret(caret, true);
}

QString TextControl::selectedText() const
{
    return storage().mid(selStart(), selLength());
}

qsizetype TextControl::find(const QString &wanted) const
{
    return storage().indexOf(wanted);
}

void TextControl::afterEdit(const TextChange &change)
{
    if (change.isEmpty())
        return;
    m_verticalX = -1;
    if (!m_composition.isEmpty() && !m_committing) {
        // Text composed at the old caret would land in the wrong place; the input method
        // starts again at the new one.
        m_composition.clear();
        QGuiApplication::inputMethod()->reset();
    }
    // The text before `at` is as it was, so its line numbers are too.
    const TextStorage &text = storage();
    const qsizetype first = text.lineOf(change.at);
    const qsizetype lineShift = text.lineCount() - change.linesBefore;
    m_layouts.edited(first, text.lineOf(change.at + change.added) - lineShift, lineShift);
    updateScrollBars();
    ensureCaretVisible();
    restartCaretBlink();
    viewport()->update();
    if (QAccessible::isActive())
        TextAccessibleEvents::textChanged(this,
            change.at,
            change.removedText(TextAccessibleEvents::ReportedText),
            reportedText(change.at, change.added));
    // Also keeps what screen readers were told of the selection true while none listens.
    selectionChanged(&change);
    Q_EMIT changed();
}

void TextControl::undoLastEdit()
{
    afterEdit(m_model.undo());
}

void TextControl::cut()
{
    if (!m_model.hasSelection())
        return;
    copy();
    afterEdit(m_model.removeSelection());
}

void TextControl::copy()
{
    if (m_model.hasSelection())
        QGuiApplication::clipboard()->setText(selectedText());
}

void TextControl::paste()
{
    const QString text = QGuiApplication::clipboard()->text();
    if (!text.isEmpty())
        afterEdit(
            m_model.replaceSelection(TextStorage::withNewlines(text), TextHistory::Kind::Other));
}

void TextControl::setCaret(qsizetype position, bool keepAnchor)
{
    m_verticalX = -1;
    m_model.moveCaret(position, keepAnchor);
    ensureCaretVisible();
    restartCaretBlink();
    viewport()->update();
    selectionChanged();
}

void TextControl::selectionChanged(const TextChange *edit)
{
    QGuiApplication::inputMethod()->update(Qt::ImQueryInput);
    const qsizetype start = m_model.selectionStart();
    const qsizetype end = m_model.selectionEnd();
    // Screen readers hear where the caret went from its own event; an empty selection that
    // moves with it is no change of what is selected.
    const std::pair<qsizetype, qsizetype> selection
        = start == end ? std::pair<qsizetype, qsizetype>(0, 0) : std::pair(start, end);
    const std::pair<qsizetype, qsizetype> previous = m_reportedSelection;
    if (selection != m_reportedSelection) {
        m_reportedSelection = selection;
        TextAccessibleEvents::selectionChanged(this, start, end);
    }
    TextAccessibleEvents::caretMoved(this, m_model.caret());
    m_primarySelection.follow(m_model, previous, edit);
}

bool TextControl::event(QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride
        && isMenuShortcut(static_cast<QKeyEvent *>(event))) {
        event->ignore();
        return false;
    }
    return TextView::event(event);
}

void TextControl::keyPressEvent(QKeyEvent *event)
{
    // Undo is the menu's single step; the editor's own history must not be walked by keys.
    if (isMenuShortcut(event)) {
        event->ignore();
        return;
    }
    if (moveCaretByKey(event)) {
        event->accept();
        return;
    }
    if (const std::optional<TextChange> change = m_keyEdits.edit(*event)) {
        afterEdit(*change);
        event->accept();
        return;
    }
    TextView::keyPressEvent(event);
}

bool TextControl::moveCaretByKey(QKeyEvent *event)
{
    qreal column = m_verticalX;
    const int pageRows = std::max(1, m_viewport.visibleRows() - 1);
    const std::optional<TextNavigator::KeyMove> move
        = m_navigator.moveForKey(event, m_model.caret(), m_model.anchor(), pageRows, column);
    if (!move)
        return false;
    if (!move->moves)
        return true;
    if (move->scrollRows != 0)
        m_viewport.scrollBy(move->scrollRows);
    setCaret(move->to, move->extend);
    if (move->keepsColumn)
        m_verticalX = column;
    return true;
}

void TextControl::mousePressEvent(QMouseEvent *event)
{
    if (!m_composition.isEmpty())
        QGuiApplication::inputMethod()->commit();
    m_mouseSelection.release();
    if (event->button() == Qt::MiddleButton)
        return;
    const QPoint point = event->position().toPoint();
    const TextStorage &text = storage();
    if (event->button() == Qt::LeftButton && m_viewport.inSelectionMargin(event->position())) {
        const qsizetype line
            = text.lineOf(positionAt(QPoint(TextViewport::SelectionMargin, point.y())));
        const bool last = line + 1 >= text.lineCount();
        select(text.lineStart(line), last ? text.lineEnd(line) : text.lineStart(line + 1));
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    setCaret(positionAt(point), event->modifiers() & Qt::ShiftModifier);
    m_selecting = true;
    m_lastDragPoint = point;
    m_mouseSelection.press(m_model.caret(), event->modifiers() == Qt::NoModifier);
}

void TextControl::mouseMoveEvent(QMouseEvent *event)
{
    if (!m_selecting || !(event->buttons() & Qt::LeftButton))
        return;
    m_lastDragPoint = event->position().toPoint();
    dragTo(m_lastDragPoint);
    const bool outside = !viewport()->rect().contains(m_lastDragPoint);
    if (outside && !m_autoScroll.isActive())
        m_autoScroll.start(AutoScrollInterval, this);
    else if (!outside)
        m_autoScroll.stop();
}

void TextControl::dragTo(const QPoint &viewportPoint)
{
    const auto [anchor, caret]
        = m_mouseSelection.dragTo(positionAt(viewportPoint), m_model.anchor());
    select(anchor, caret);
}

void TextControl::mouseReleaseEvent(QMouseEvent *event)
{
    m_mouseSelection.release();
    m_autoScroll.stop();
    if (event->button() == Qt::LeftButton)
        m_selecting = false;
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (event->button() == Qt::MiddleButton && clipboard->supportsSelection()) {
        const QString text = clipboard->text(QClipboard::Selection);
        setCaret(positionAt(event->position().toPoint()), false);
        if (!text.isEmpty())
            afterEdit(m_model.replaceSelection(
                TextStorage::withNewlines(text), TextHistory::Kind::Other));
    }
    Q_EMIT mouseUp(mouseButtonCode(event->button()),
        shiftStateCode(event->modifiers()),
        event->position().toPoint());
}

void TextControl::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || m_viewport.inSelectionMargin(event->position())) {
        mousePressEvent(event);
        return;
    }
    const auto [from, to] = m_navigator.wordAt(positionAt(event->position().toPoint()));
    select(from, to);
    m_mouseSelection.doubleClick({ from, to });
    m_selecting = true;
}

void TextControl::contextMenuEvent(QContextMenuEvent *event)
{
    // The window shows its Edit menu when the right button is released.
    event->accept();
}

void TextControl::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_autoScroll.timerId()) {
        m_viewport.scrollTowards(m_lastDragPoint);
        dragTo(m_lastDragPoint);
    }
    TextView::timerEvent(event);
}

void TextControl::inputMethodEvent(QInputMethodEvent *event)
{
    if (!event->commitString().isEmpty() || event->replacementLength() > 0) {
        const auto [from, to] = m_composition.commitRange(*event);
        m_committing = true;
        afterEdit(m_model.replace(
            from, to, TextStorage::withNewlines(event->commitString()), TextHistory::Kind::Other));
        m_committing = false;
    }
    m_composition.show(*event);
    viewport()->update();
    event->accept();
}

QVariant TextControl::inputMethodQuery(Qt::InputMethodQuery query) const
{
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImCursorRectangle:
        return const_cast<TextControl *>(this)
            ->cursorRect(m_model.caret())
            .translated(viewport()->pos());
    case Qt::ImFont:
        return font();
    case Qt::ImHints:
        return int(inputMethodHints());
    default:
        break;
    }
    const QVariant answer = m_composition.query(query);
    return answer.isValid() ? answer : TextView::inputMethodQuery(query);
}
