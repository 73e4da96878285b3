#include "platform/textcontrol.h"

#include "platform/mousecodes.h"
#include "platform/olecolor.h"
#include "platform/textaccessible.h"
#include "platform/textselectionmime.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyleHints>

#include <algorithm>
#include <cmath>

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
// How much text on each side of the caret input methods see.
constexpr qsizetype SurroundingReach = 1000;

} // namespace

TextControl::TextControl(QWidget *parent)
    : QAbstractScrollArea(parent)
    , m_layouts(m_storage)
    , m_navigator(m_storage, m_layouts)
    , m_viewport(*this, m_storage, m_layouts, m_navigator)
    , m_foreColor(SystemWindowText)
{
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    setInputMethodHints(Qt::ImhMultiLine);
    // The picture behind the control shows through, and the control repaints rather than
    // scrolls its pixels, so the picture stays put while the text moves.
    viewport()->setAutoFillBackground(false);
    viewport()->setCursor(Qt::IBeamCursor);
    m_font.size = 8.25;
    m_font.name = font().family();
    setControlFont(m_font);
    applyColors();
    installTextAccessibility();
}

TextControl::~TextControl() = default;

QString TextControl::text() const
{
    return m_storage.toString();
}

void TextControl::setText(const QString &text)
{
    setText(TextStorage::fromText(text));
}

void TextControl::setText(TextStorage &&text)
{
    const bool unchanged = text.isEmpty() && m_storage.isEmpty();
    m_storage = std::move(text);
    textReplaced(!unchanged);
}

void TextControl::textReplaced(bool changedText)
{
    m_history.clear();
    m_anchor = m_caret = 0;
    m_verticalX = -1;
    m_viewport.reset();
    m_preedit.clear();
    m_layouts.setPreedit(-1, 0, QString(), {});
    m_layouts.clear();
    ++m_revision;
    updateScrollBars();
    viewport()->update();
    if (QAccessible::isActive()) {
        QAccessibleEvent event(this, QAccessible::TextUpdated);
        QAccessible::updateAccessibility(&event);
    }
    // Emptying an empty control is no change for its owner, but what could be undone is gone.
    if (changedText)
        Q_EMIT changed();
}

int TextControl::textLength() const
{
    return int(m_storage.length());
}

void TextControl::setSelText(const QString &text)
{
    const QString lines = TextStorage::withNewlines(text);
    const bool lineBreaks = lines.contains(QLatin1Char('\n'));
    const bool typing = m_anchor == m_caret && !lineBreaks;
    replaceRange(selStart(),
        selStart() + selLength(),
        lines,
        typing ? TextHistory::Kind::Typing : TextHistory::Kind::Other,
        !lineBreaks);
}

int TextControl::selStart() const
{
    return int(std::min(m_anchor, m_caret));
}

void TextControl::setSelStart(int position)
{
    select(position, position);
}

int TextControl::selLength() const
{
    return int(std::abs(m_caret - m_anchor));
}

void TextControl::setSelLength(int length)
{
    const int start = selStart();
    select(start, start + length);
}

void TextControl::select(int anchor, int caret)
{
    m_anchor = std::clamp<qsizetype>(anchor, 0, m_storage.length());
    setCaret(caret, true);
}

QString TextControl::selectedText() const
{
    return m_storage.mid(selStart(), selLength());
}

int TextControl::find(const QString &wanted) const
{
    return int(m_storage.indexOf(wanted));
}

bool TextControl::wordWrap() const
{
    return m_layouts.wraps();
}

void TextControl::setWordWrap(bool on)
{
    if (on == wordWrap())
        return;
    m_layouts.setWrapWidth(on ? m_viewport.textWidth() : 0);
    horizontalScrollBar()->setValue(0);
    updateScrollBars();
    ensureCaretVisible();
    viewport()->update();
}

void TextControl::setControlFont(const ControlFont &font)
{
    m_font = font;
    setFont(font.toQFont());
}

void TextControl::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange) {
        m_layouts.setFont(font());
        // A hidden control measures its font when it is shown and resized.
        if (isVisible())
            updateScrollBars();
        viewport()->update();
    }
    QAbstractScrollArea::changeEvent(event);
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
    viewport()->update();
}

void TextControl::replaceRange(
    qsizetype from, qsizetype to, QStringView text, TextHistory::Kind kind, bool typingContinues)
{
    if (from == to && text.isEmpty())
        return;
    const QString removed = QAccessible::isActive() ? m_storage.mid(from, to - from) : QString();
    TextHistory::Edit edit;
    edit.kind = kind;
    edit.caretAfterRestore = m_anchor < m_caret;
    edit.typingContinues = typingContinues;
    const qsizetype linesBefore = m_storage.lineCount();
    edit.splice = m_storage.replace(from, to - from, text);
    m_history.record(std::move(edit));
    m_anchor = m_caret = from + text.size();
    afterEdit(from, to - from, text.size(), linesBefore);
    notifyAccessibility(from, removed, text.size());
}

void TextControl::removeRange(
    qsizetype from, qsizetype to, TextHistory::Kind kind, bool caretAfterRestore)
{
    if (from == to)
        return;
    const QString removed = m_storage.mid(from, to - from);
    if (removed.contains(QLatin1Char('\n')))
        kind = TextHistory::Kind::Other;
    TextHistory::Edit edit;
    edit.kind = kind;
    edit.caretAfterRestore = caretAfterRestore;
    const qsizetype linesBefore = m_storage.lineCount();
    edit.splice = m_storage.replace(from, to - from, {});
    m_history.record(std::move(edit));
    m_anchor = m_caret = from;
    afterEdit(from, to - from, 0, linesBefore);
    notifyAccessibility(from, removed, 0);
}

void TextControl::afterEdit(qsizetype at, qsizetype removed, qsizetype added, qsizetype linesBefore)
{
    if (removed == 0 && added == 0)
        return;
    ++m_revision;
    m_verticalX = -1;
    if (!m_preedit.isEmpty() && !m_composing) {
        // Text composed at the old caret would land in the wrong place; the input method
        // starts again at the new one.
        m_preedit.clear();
        m_layouts.setPreedit(-1, 0, QString(), {});
        QGuiApplication::inputMethod()->reset();
    }
    // The text before `at` is as it was, so its line numbers are too.
    const qsizetype first = m_storage.lineOf(at);
    const qsizetype lineShift = m_storage.lineCount() - linesBefore;
    m_layouts.edited(first, m_storage.lineOf(at + added) - lineShift, lineShift);
    updateScrollBars();
    ensureCaretVisible();
    restartCaretBlink();
    viewport()->update();
    QGuiApplication::inputMethod()->update(Qt::ImQueryInput);
    Q_EMIT changed();
}

void TextControl::undoLastEdit()
{
    const QString removedText
        = QAccessible::isActive() ? m_history.textToUndo(m_storage) : QString();
    const qsizetype linesBefore = m_storage.lineCount();
    const std::optional<TextHistory::Edit> done = m_history.undo(m_storage);
    if (!done)
        return;
    const TextStorage::Splice &splice = done->splice;
    const qsizetype at = splice.position;
    const qsizetype removed = splice.removedLength();
    const qsizetype added = splice.insertedLength();
    // Each end of the selection follows the text the way a cursor in the document would.
    auto follow = [&](qsizetype position) {
        const qsizetype kept
            = position >= at + removed ? position - removed : std::min(position, at);
        if (kept > at || (kept == at && done->caretAfterRestore))
            return kept + added;
        return kept;
    };
    m_anchor = follow(m_anchor);
    m_caret = follow(m_caret);
    afterEdit(at, removed, added, linesBefore);
    notifyAccessibility(at, removedText, added);
}

void TextControl::cut()
{
    if (m_anchor == m_caret)
        return;
    copy();
    removeRange(selStart(), selStart() + selLength(), TextHistory::Kind::Other, m_anchor < m_caret);
}

void TextControl::copy()
{
    if (m_anchor != m_caret)
        QGuiApplication::clipboard()->setText(selectedText());
}

void TextControl::paste()
{
    const QString text = QGuiApplication::clipboard()->text();
    if (!text.isEmpty())
        replaceRange(selStart(),
            selStart() + selLength(),
            TextStorage::withNewlines(text),
            TextHistory::Kind::Other);
}

void TextControl::setCaret(qsizetype position, bool keepAnchor)
{
    m_verticalX = -1;
    m_caret = std::clamp<qsizetype>(position, 0, m_storage.length());
    if (!keepAnchor)
        m_anchor = m_caret;
    selectionChanged();
}

void TextControl::selectionChanged()
{
    QGuiApplication::inputMethod()->update(Qt::ImQueryInput);
    ensureCaretVisible();
    restartCaretBlink();
    viewport()->update();
    if (QAccessible::isActive()) {
        QAccessibleTextCursorEvent event(this, int(m_caret));
        QAccessible::updateAccessibility(&event);
    }
}

void TextControl::offerPrimarySelection()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (m_anchor != m_caret && clipboard->supportsSelection())
        clipboard->setMimeData(
            new TextSelectionMime(this, selStart(), selLength()), QClipboard::Selection);
}

bool TextControl::event(QEvent *event)
{
    if (event->type() == QEvent::ShortcutOverride
        && isMenuShortcut(static_cast<QKeyEvent *>(event))) {
        event->ignore();
        return false;
    }
    return QAbstractScrollArea::event(event);
}

void TextControl::keyPressEvent(QKeyEvent *event)
{
    // Undo is the menu's single step; the editor's own history must not be walked by keys.
    if (isMenuShortcut(event)) {
        event->ignore();
        return;
    }
    if (moveCaretByKey(event) || editByKey(event)) {
        event->accept();
        return;
    }
    const QString typed = event->text();
    // Ctrl with a letter is a command, but AltGr arrives as Ctrl+Alt on some systems and types.
    const Qt::KeyboardModifiers modifiers = event->modifiers() & ~Qt::KeypadModifier;
    const bool command = modifiers == Qt::ControlModifier
        || modifiers == (Qt::ControlModifier | Qt::ShiftModifier) || (modifiers & Qt::MetaModifier);
    if (!typed.isEmpty() && !command && (typed.at(0).isPrint() || typed.at(0).isSurrogate())) {
        const bool selection = m_anchor != m_caret;
        replaceRange(selStart(),
            selStart() + selLength(),
            typed,
            selection ? TextHistory::Kind::Other : TextHistory::Kind::Typing);
        event->accept();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

bool TextControl::moveCaretByKey(QKeyEvent *event)
{
    qreal column = m_verticalX;
    const int pageRows = std::max(1, m_viewport.visibleRows() - 1);
    const std::optional<TextNavigator::KeyMove> move
        = m_navigator.moveForKey(event, m_caret, m_anchor, pageRows, column);
    if (!move)
        return false;
    if (!move->moves)
        return true;
    if (move->scrollRows != 0)
        m_viewport.scrollBy(move->scrollRows);
    setCaret(move->to, move->extend);
    if (move->keepsColumn)
        m_verticalX = column;
    if (move->extend)
        offerPrimarySelection();
    return true;
}

bool TextControl::editByKey(QKeyEvent *event)
{
    const bool selection = m_anchor != m_caret;
    const qsizetype start = selStart();
    const qsizetype end = start + selLength();
    const bool forward = m_anchor < m_caret;
    if (event->key() == Qt::Key_Backspace && !(event->modifiers() & Qt::ControlModifier)) {
        if (selection)
            removeRange(start, end, TextHistory::Kind::Other, forward);
        else
            removeRange(
                m_navigator.previousCodePoint(m_caret), m_caret, TextHistory::Kind::Removal, true);
        return true;
    }
    if (event->matches(QKeySequence::Delete)) {
        if (selection)
            removeRange(start, end, TextHistory::Kind::Other, forward);
        else
            removeRange(
                m_caret, m_navigator.nextCharacter(m_caret), TextHistory::Kind::Removal, false);
        return true;
    }
    if (event->matches(QKeySequence::DeleteStartOfWord)) {
        removeRange(selection ? start : m_navigator.previousWord(m_caret),
            selection ? end : m_caret,
            TextHistory::Kind::Other,
            !selection || forward);
        return true;
    }
    if (event->matches(QKeySequence::DeleteEndOfWord)) {
        removeRange(selection ? start : m_caret,
            selection ? end : m_navigator.nextWord(m_caret),
            TextHistory::Kind::Other,
            selection && forward);
        return true;
    }
    if (event->matches(QKeySequence::InsertParagraphSeparator)
        || event->matches(QKeySequence::InsertLineSeparator)) {
        replaceRange(start, end, u"\n", TextHistory::Kind::Other, false);
        return true;
    }
    return false;
}

void TextControl::mousePressEvent(QMouseEvent *event)
{
    if (!m_preedit.isEmpty())
        QGuiApplication::inputMethod()->commit();
    m_dragStart = -1;
    m_clickedWord = { -1, -1 };
    if (event->button() == Qt::MiddleButton)
        return;
    const QPoint point = event->position().toPoint();
    if (event->button() == Qt::LeftButton && m_viewport.inSelectionMargin(event->position())) {
        const qsizetype line
            = m_storage.lineOf(positionAt(QPoint(TextViewport::SelectionMargin, point.y())));
        const bool last = line + 1 >= m_storage.lineCount();
        select(int(m_storage.lineStart(line)),
            int(last ? m_storage.lineEnd(line) : m_storage.lineStart(line + 1)));
        offerPrimarySelection();
        return;
    }
    if (event->button() != Qt::LeftButton)
        return;
    setCaret(positionAt(point), event->modifiers() & Qt::ShiftModifier);
    m_selecting = true;
    m_lastDragPoint = point;
    if (event->modifiers() == Qt::NoModifier)
        m_dragStart = m_caret;
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
    const qsizetype to = positionAt(viewportPoint);
    setCaret(to, true);
    if (m_dragStart >= 0)
        selectWholeWords(m_dragStart, to);
    else if (m_clickedWord.first >= 0)
        extendByWords(to);
}

// After a double-click the selection keeps that word and grows to the word boundary nearest
// the pointer.
void TextControl::extendByWords(qsizetype to)
{
    const auto [clickedFrom, clickedTo] = m_clickedWord;
    if (to >= clickedFrom && to <= clickedTo) {
        select(int(clickedFrom), int(clickedTo));
        return;
    }
    const auto [from, end] = m_navigator.wordAt(to);
    const qsizetype boundary = from == end ? to : (to - from <= end - to ? from : end);
    select(int(to < clickedFrom ? clickedTo : clickedFrom), int(boundary));
}

// A drag that leaves the word where it began selects whole words, as users of classic
// edit controls expect; within one word it selects characters.
void TextControl::selectWholeWords(qsizetype from, qsizetype to)
{
    const auto [startFrom, startTo] = m_navigator.wordAt(from);
    if (startFrom == startTo || (to >= startFrom && to <= startTo))
        return;
    const auto [endFrom, endTo] = m_navigator.wordAt(to);
    const bool forward = to > from;
    const qsizetype anchor = forward ? startFrom : startTo;
    qsizetype position = to;
    if (endFrom != endTo)
        position = forward ? endTo : endFrom;
    select(int(anchor), int(position));
}

void TextControl::mouseReleaseEvent(QMouseEvent *event)
{
    m_dragStart = -1;
    m_clickedWord = { -1, -1 };
    m_autoScroll.stop();
    if (event->button() == Qt::LeftButton && m_selecting) {
        m_selecting = false;
        offerPrimarySelection();
    }
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (event->button() == Qt::MiddleButton && clipboard->supportsSelection()) {
        const QString text = clipboard->text(QClipboard::Selection);
        setCaret(positionAt(event->position().toPoint()), false);
        if (!text.isEmpty())
            replaceRange(
                m_caret, m_caret, TextStorage::withNewlines(text), TextHistory::Kind::Other);
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
    select(int(from), int(to));
    m_dragStart = -1;
    m_clickedWord = { from, to };
    m_selecting = true;
}

void TextControl::contextMenuEvent(QContextMenuEvent *event)
{
    // The window shows its Edit menu when the right button is released.
    event->accept();
}

void TextControl::timerEvent(QTimerEvent *event)
{
    if (event->timerId() == m_blink.timerId()) {
        m_caretShown = !m_caretShown;
        viewport()->update(cursorRect(int(m_caret)).adjusted(-1, 0, 1, 0));
    } else if (event->timerId() == m_autoScroll.timerId()) {
        const QRect area = viewport()->rect();
        if (m_lastDragPoint.y() < area.top())
            m_viewport.scrollBy(-1);
        else if (m_lastDragPoint.y() > area.bottom())
            m_viewport.scrollBy(1);
        QScrollBar *horizontal = horizontalScrollBar();
        if (m_lastDragPoint.x() < area.left())
            horizontal->setValue(horizontal->value() - horizontal->singleStep());
        else if (m_lastDragPoint.x() > area.right())
            horizontal->setValue(horizontal->value() + horizontal->singleStep());
        dragTo(m_lastDragPoint);
    }
    QAbstractScrollArea::timerEvent(event);
}

void TextControl::restartCaretBlink()
{
    m_caretShown = hasFocus();
    const int flash = QGuiApplication::styleHints()->cursorFlashTime();
    if (hasFocus() && flash > 0)
        m_blink.start(flash / 2, this);
    else
        m_blink.stop();
}

void TextControl::focusInEvent(QFocusEvent *event)
{
    m_menuOpen = false;
    restartCaretBlink();
    viewport()->update();
    QAbstractScrollArea::focusInEvent(event);
}

void TextControl::focusOutEvent(QFocusEvent *event)
{
    // A menu, opened with the mouse or from the keyboard, takes the keyboard for a moment; the
    // selection stays in view for its commands.
    m_menuOpen
        = event->reason() == Qt::PopupFocusReason || event->reason() == Qt::MenuBarFocusReason;
    restartCaretBlink();
    viewport()->update();
    QAbstractScrollArea::focusOutEvent(event);
}

void TextControl::scrollContentsBy(int, int)
{
    m_viewport.followScrollBar();
}

void TextControl::showPosition(int position)
{
    m_viewport.showPosition(position, wordWrap());
}

void TextControl::updateScrollBars()
{
    m_viewport.updateScrollBars(wordWrap());
}

void TextControl::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (wordWrap())
        m_layouts.setWrapWidth(m_viewport.textWidth());
    updateScrollBars();
}

int TextControl::positionAt(const QPoint &viewportPoint)
{
    return int(m_viewport.positionAt(viewportPoint));
}

QRect TextControl::cursorRect(int position)
{
    return m_viewport.cursorRect(position);
}

void TextControl::paintEvent(QPaintEvent *event)
{
    QPainter painter(viewport());
    TextViewport::Marks marks;
    marks.selectionShown = hasFocus() || m_menuOpen;
    marks.selectionStart = selStart();
    marks.selectionEnd = selStart() + selLength();
    if (marks.selectionShown && m_caretShown)
        marks.caret = m_caret;
    if (!m_preedit.isEmpty())
        marks.composedCaret = m_preeditCaret;
    const qreal widest = m_layouts.widestLine();
    m_viewport.paint(painter, event->rect(), marks);
    // Rows laid out for the first time may be wider than the horizontal bar reaches.
    if (m_layouts.widestLine() > widest)
        QMetaObject::invokeMethod(this, &TextControl::updateScrollBars, Qt::QueuedConnection);
}

// The vertical bar counts lines, which may be many rows each; the wheel goes by rows.
void TextControl::wheelEvent(QWheelEvent *event)
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

void TextControl::inputMethodEvent(QInputMethodEvent *event)
{
    m_composing = true;
    if (!event->commitString().isEmpty() || event->replacementLength() > 0) {
        qsizetype from = selStart();
        qsizetype to = from + selLength();
        if (from == to && event->replacementLength() > 0) {
            from
                = std::clamp<qsizetype>(m_caret + event->replacementStart(), 0, m_storage.length());
            to = std::clamp<qsizetype>(from + event->replacementLength(), from, m_storage.length());
        }
        replaceRange(
            from, to, TextStorage::withNewlines(event->commitString()), TextHistory::Kind::Other);
    }
    m_composing = false;
    m_preedit = event->preeditString();
    m_preeditCaret = int(m_preedit.size());
    const qsizetype line = m_storage.lineOf(m_caret);
    const int inLine = int(m_caret - m_storage.lineStart(line));
    QList<QTextLayout::FormatRange> formats;
    for (const QInputMethodEvent::Attribute &attribute : event->attributes()) {
        if (attribute.type == QInputMethodEvent::Cursor)
            m_preeditCaret = attribute.start;
        if (attribute.type == QInputMethodEvent::TextFormat) {
            const QTextCharFormat format = attribute.value.value<QTextFormat>().toCharFormat();
            if (format.isValid())
                formats.append({ inLine + attribute.start, attribute.length, format });
        }
    }
    m_layouts.setPreedit(m_preedit.isEmpty() ? -1 : line, inLine, m_preedit, formats);
    viewport()->update();
    event->accept();
}

QVariant TextControl::inputMethodQuery(Qt::InputMethodQuery query) const
{
    auto *self = const_cast<TextControl *>(this);
    // Input methods are told about the text near the caret, not about a whole line or
    // selection of megabytes, which some would copy on every keystroke.
    const auto [from, to] = m_storage.lineAround(m_caret, SurroundingReach);
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImCursorRectangle:
        return self->cursorRect(int(m_caret)).translated(viewport()->pos());
    case Qt::ImFont:
        return font();
    case Qt::ImCursorPosition:
        return int(m_caret - from);
    case Qt::ImAnchorPosition:
        return int(std::clamp(m_anchor, from, to) - from);
    case Qt::ImSurroundingText:
        return m_storage.mid(from, to - from);
    case Qt::ImCurrentSelection:
        return m_storage.mid(selStart(),
            m_storage.wholeCodePoint(
                selStart() + std::min<qsizetype>(selLength(), SurroundingReach), false)
                - selStart());
    case Qt::ImHints:
        return int(inputMethodHints());
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}

void TextControl::notifyAccessibility(qsizetype from, const QString &removed, qsizetype added)
{
    if (!QAccessible::isActive())
        return;
    if (!removed.isEmpty()) {
        QAccessibleTextRemoveEvent event(this, int(from), removed);
        QAccessible::updateAccessibility(&event);
    }
    if (added > 0) {
        QAccessibleTextInsertEvent event(this, int(from), m_storage.mid(from, added));
        QAccessible::updateAccessibility(&event);
    }
    QAccessibleTextCursorEvent cursor(this, int(m_caret));
    QAccessible::updateAccessibility(&cursor);
}
