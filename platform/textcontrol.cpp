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
#include <QTextLine>

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

// A strip left of the text where a click selects the whole line.
constexpr int SelectionMargin = 8;
constexpr int TopMargin = 4;
constexpr int RightMargin = 4;
constexpr int AutoScrollInterval = 50;

QString withLineBreaks(const QString &text)
{
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    lines.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return lines;
}

bool rowBefore(const TextLayouts::Row &a, const TextLayouts::Row &b)
{
    return a.line < b.line || (a.line == b.line && a.visual < b.visual);
}

} // namespace

TextControl::TextControl(QWidget *parent)
    : QAbstractScrollArea(parent)
    , m_layouts(m_storage)
    , m_navigator(m_storage, m_layouts)
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
    if (text.isEmpty() && m_storage.isEmpty())
        return;
    m_storage = TextStorage::fromText(text);
    textReplaced();
}

void TextControl::setText(TextStorage &&text)
{
    if (text.isEmpty() && m_storage.isEmpty())
        return;
    m_storage = std::move(text);
    textReplaced();
}

void TextControl::textReplaced()
{
    m_history.clear();
    m_anchor = m_caret = 0;
    m_verticalX = -1;
    m_top = {};
    m_preedit.clear();
    m_layouts.setPreedit(-1, 0, QString(), {});
    m_layouts.clear();
    ++m_revision;
    horizontalScrollBar()->setValue(0);
    updateScrollBars();
    viewport()->update();
    if (QAccessible::isActive()) {
        QAccessibleEvent event(this, QAccessible::TextUpdated);
        QAccessible::updateAccessibility(&event);
    }
    Q_EMIT changed();
}

int TextControl::textLength() const
{
    return int(m_storage.length());
}

void TextControl::setSelText(const QString &text)
{
    const QString lines = withLineBreaks(text);
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
    if (on) {
        updateWrapWidth();
        m_top.visual = 0;
    } else {
        m_layouts.setWrapWidth(0);
        m_top.visual = 0;
    }
    horizontalScrollBar()->setValue(0);
    updateScrollBars();
    ensureCaretVisible();
    viewport()->update();
}

void TextControl::updateWrapWidth()
{
    const int width = viewport()->width() - SelectionMargin - RightMargin;
    m_layouts.setWrapWidth(std::max(1, width));
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
    const QString removed = QAccessible::isActive() ? m_storage.mid(from, to - from) : QString();
    TextHistory::Edit edit;
    edit.kind = kind;
    edit.caretAfterRestore = m_anchor < m_caret;
    edit.typingContinues = typingContinues;
    edit.splice = m_storage.replace(from, to - from, text);
    m_history.record(std::move(edit));
    m_anchor = m_caret = from + text.size();
    afterEdit(from, to - from, text.size());
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
    edit.splice = m_storage.replace(from, to - from, {});
    m_history.record(std::move(edit));
    m_anchor = m_caret = from;
    afterEdit(from, to - from, 0);
    notifyAccessibility(from, removed, 0);
}

void TextControl::afterEdit(qsizetype, qsizetype removed, qsizetype added)
{
    if (removed == 0 && added == 0)
        return;
    ++m_revision;
    m_verticalX = -1;
    m_layouts.clear();
    updateScrollBars();
    ensureCaretVisible();
    restartCaretBlink();
    viewport()->update();
    QGuiApplication::inputMethod()->update(Qt::ImQueryInput);
    Q_EMIT changed();
}

void TextControl::undoLastEdit()
{
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
    afterEdit(at, removed, added);
    notifyAccessibility(at, QString(), added);
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
        replaceRange(
            selStart(), selStart() + selLength(), withLineBreaks(text), TextHistory::Kind::Other);
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
    struct Move
    {
        QKeySequence::StandardKey plain;
        QKeySequence::StandardKey extending;
        std::function<qsizetype(qsizetype)> to;
        bool vertical;
    };
    const int page = std::max(1, visibleRows() - 1);
    auto vertical = [this](qsizetype rows) {
        return [this, rows](qsizetype from) {
            if (m_verticalX < 0)
                m_verticalX = m_navigator.x(from);
            return m_navigator.verticalMove(from, rows, m_verticalX);
        };
    };
    const Move moves[] = {
        { QKeySequence::MoveToNextChar,
            QKeySequence::SelectNextChar,
            [this](qsizetype p) {
                return m_navigator.nextCharacter(p);
            },
            false },
        { QKeySequence::MoveToPreviousChar,
            QKeySequence::SelectPreviousChar,
            [this](qsizetype p) {
                return m_navigator.previousCharacter(p);
            },
            false },
        { QKeySequence::MoveToNextWord,
            QKeySequence::SelectNextWord,
            [this](qsizetype p) {
                return m_navigator.nextWord(p);
            },
            false },
        { QKeySequence::MoveToPreviousWord,
            QKeySequence::SelectPreviousWord,
            [this](qsizetype p) {
                return m_navigator.previousWord(p);
            },
            false },
        { QKeySequence::MoveToStartOfLine,
            QKeySequence::SelectStartOfLine,
            [this](qsizetype p) {
                return m_navigator.rowStart(p);
            },
            false },
        { QKeySequence::MoveToEndOfLine,
            QKeySequence::SelectEndOfLine,
            [this](qsizetype p) {
                return m_navigator.rowEnd(p);
            },
            false },
        { QKeySequence::MoveToStartOfDocument,
            QKeySequence::SelectStartOfDocument,
            [](qsizetype) {
                return qsizetype(0);
            },
            false },
        { QKeySequence::MoveToEndOfDocument,
            QKeySequence::SelectEndOfDocument,
            [this](qsizetype) {
                return m_storage.length();
            },
            false },
        { QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine, vertical(1), true },
        { QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine, vertical(-1), true },
        { QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage, vertical(page), true },
        { QKeySequence::MoveToPreviousPage,
            QKeySequence::SelectPreviousPage,
            vertical(-page),
            true },
    };
    for (const Move &move : moves) {
        const bool extend = event->matches(move.extending);
        if (!extend && !event->matches(move.plain))
            continue;
        const bool paging = move.plain == QKeySequence::MoveToNextPage
            || move.plain == QKeySequence::MoveToPreviousPage;
        const bool down = move.plain == QKeySequence::MoveToNextLine;
        const bool up = move.plain == QKeySequence::MoveToPreviousLine;
        qsizetype to = move.to(m_caret);
        const qreal keptX = m_verticalX;
        if (m_anchor != m_caret && !extend && move.plain == QKeySequence::MoveToNextChar)
            to = std::max(m_anchor, m_caret);
        if (m_anchor != m_caret && !extend && move.plain == QKeySequence::MoveToPreviousChar)
            to = std::min(m_anchor, m_caret);
        bool keepX = move.vertical;
        if ((up || down) && to == m_caret) {
            // On the first or last row a selection still grows to the end of the text.
            if (!extend)
                return true;
            to = up ? 0 : m_storage.length();
            keepX = false;
        }
        if (paging)
            scrollToRow(
                m_layouts.step(m_top, move.plain == QKeySequence::MoveToNextPage ? page : -page));
        setCaret(to, extend);
        if (keepX)
            m_verticalX = keptX;
        if (extend)
            offerPrimarySelection();
        return true;
    }
    return false;
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

bool TextControl::inSelectionMargin(const QPointF &position) const
{
    return position.x() < SelectionMargin - horizontalScrollBar()->value();
}

void TextControl::mousePressEvent(QMouseEvent *event)
{
    if (!m_preedit.isEmpty())
        QGuiApplication::inputMethod()->commit();
    m_dragStart = -1;
    if (event->button() == Qt::MiddleButton)
        return;
    const QPoint point = event->position().toPoint();
    if (event->button() == Qt::LeftButton && inSelectionMargin(event->position())) {
        const qsizetype line = m_storage.lineOf(positionAt(QPoint(SelectionMargin, point.y())));
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
            replaceRange(m_caret, m_caret, withLineBreaks(text), TextHistory::Kind::Other);
    }
    Q_EMIT mouseUp(mouseButtonCode(event->button()),
        shiftStateCode(event->modifiers()),
        event->position().toPoint());
}

void TextControl::mouseDoubleClickEvent(QMouseEvent *event)
{
    if (event->button() != Qt::LeftButton || inSelectionMargin(event->position())) {
        mousePressEvent(event);
        return;
    }
    const auto [from, to] = m_navigator.wordAt(positionAt(event->position().toPoint()));
    select(int(from), int(to));
    m_dragStart = -1;
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
            scrollToRow(m_layouts.step(m_top, -1));
        else if (m_lastDragPoint.y() > area.bottom())
            scrollToRow(m_layouts.step(m_top, 1));
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
    // A menu taking the keyboard for a moment leaves the selection in view for its commands.
    m_menuOpen = event->reason() == Qt::PopupFocusReason;
    restartCaretBlink();
    viewport()->update();
    QAbstractScrollArea::focusOutEvent(event);
}

int TextControl::visibleRows() const
{
    return std::max(1, (viewport()->height() - TopMargin) / m_layouts.rowHeight());
}

TextLayouts::Row TextControl::lastTopRow()
{
    const qsizetype last = m_storage.lineCount() - 1;
    const TextLayouts::Row end { last, m_layouts.rows(last) - 1 };
    return m_layouts.step(end, -(visibleRows() - 1));
}

void TextControl::scrollToRow(TextLayouts::Row row)
{
    const TextLayouts::Row last = lastTopRow();
    if (rowBefore(last, row))
        row = last;
    m_top = row;
    m_settingScrollBars = true;
    verticalScrollBar()->setValue(int(m_top.line));
    m_settingScrollBars = false;
    viewport()->update();
}

void TextControl::updateScrollBars()
{
    m_settingScrollBars = true;
    m_top.line = std::min(m_top.line, m_storage.lineCount() - 1);
    m_top.visual = std::min(m_top.visual, m_layouts.rows(m_top.line) - 1);
    const TextLayouts::Row last = lastTopRow();
    if (rowBefore(last, m_top))
        m_top = last;
    QScrollBar *vertical = verticalScrollBar();
    vertical->setRange(0, int(last.line));
    vertical->setPageStep(visibleRows());
    vertical->setSingleStep(1);
    vertical->setValue(int(m_top.line));
    QScrollBar *horizontal = horizontalScrollBar();
    const int available = viewport()->width() - SelectionMargin - RightMargin;
    if (wordWrap()) {
        horizontal->setRange(0, 0);
    } else {
        const qreal estimate = m_storage.longestLine() * QFontMetricsF(font()).averageCharWidth();
        const qreal widest = std::max(m_layouts.widestLine(), estimate);
        horizontal->setRange(0, std::max(0, int(std::ceil(widest)) - available + RightMargin));
    }
    horizontal->setPageStep(std::max(1, available));
    horizontal->setSingleStep(std::max(1, m_layouts.rowHeight()));
    m_settingScrollBars = false;
}

void TextControl::scrollContentsBy(int, int)
{
    if (!m_settingScrollBars && verticalScrollBar()->value() != m_top.line)
        m_top = { verticalScrollBar()->value(), 0 };
    viewport()->update();
}

void TextControl::showPosition(int position)
{
    const qsizetype at = std::clamp<qsizetype>(position, 0, m_storage.length());
    const TextLayouts::Row caret = m_layouts.rowOf(at);
    const TextLayouts::Row lowestTop = m_layouts.step(caret, -(visibleRows() - 1));
    if (rowBefore(caret, m_top))
        scrollToRow(caret);
    else if (rowBefore(m_top, lowestTop))
        scrollToRow(lowestTop);
    if (wordWrap())
        return;
    const int x = int(m_navigator.x(at));
    const int available = viewport()->width() - SelectionMargin - RightMargin;
    QScrollBar *horizontal = horizontalScrollBar();
    if (x > horizontal->maximum() + available)
        updateScrollBars();
    if (x < horizontal->value())
        horizontal->setValue(std::max(0, x - available / 4));
    else if (x > horizontal->value() + available)
        horizontal->setValue(x - available + available / 4);
}

void TextControl::resizeEvent(QResizeEvent *event)
{
    QAbstractScrollArea::resizeEvent(event);
    if (wordWrap())
        updateWrapWidth();
    updateScrollBars();
}

int TextControl::rowY(TextLayouts::Row row)
{
    if (rowBefore(row, m_top))
        return -m_layouts.rowHeight();
    int y = TopMargin;
    TextLayouts::Row at = m_top;
    const int bottom = viewport()->height();
    while (at.line < row.line && y <= bottom) {
        y += (m_layouts.rows(at.line) - at.visual) * m_layouts.rowHeight();
        at = { at.line + 1, 0 };
    }
    if (at.line < row.line)
        return bottom + m_layouts.rowHeight();
    return y + (row.visual - at.visual) * m_layouts.rowHeight();
}

TextLayouts::Row TextControl::rowAtY(int y)
{
    const qsizetype rows = std::floor(qreal(y - TopMargin) / m_layouts.rowHeight());
    return m_layouts.step(m_top, rows);
}

int TextControl::positionAt(const QPoint &viewportPoint)
{
    const TextLayouts::Row row = rowAtY(viewportPoint.y());
    const qreal x = viewportPoint.x() - SelectionMargin + horizontalScrollBar()->value();
    return int(m_navigator.positionInRow(row, x));
}

QRect TextControl::cursorRect(int position)
{
    const qsizetype at = std::clamp<qsizetype>(position, 0, m_storage.length());
    const int y = rowY(m_layouts.rowOf(at));
    const int x = int(m_navigator.x(at)) + SelectionMargin - horizontalScrollBar()->value();
    return QRect(x, y, 1, m_layouts.rowHeight());
}

void TextControl::paintEvent(QPaintEvent *event)
{
    m_layouts.trim();
    QPainter painter(viewport());
    const QColor text = palette().color(QPalette::Text);
    painter.setPen(text);
    const bool focused = hasFocus() || m_menuOpen;
    const qsizetype selFrom = selStart();
    const qsizetype selTo = selFrom + selLength();
    QTextCharFormat selected;
    selected.setBackground(palette().brush(QPalette::Active, QPalette::Highlight));
    selected.setForeground(palette().brush(QPalette::Active, QPalette::HighlightedText));
    const qreal left = SelectionMargin - horizontalScrollBar()->value();
    const int bottom = viewport()->height();
    const int height = m_layouts.rowHeight();
    qsizetype lineStart = m_storage.lineStart(m_top.line);
    int y = TopMargin;
    for (qsizetype line = m_top.line; line < m_storage.lineCount() && y < bottom; ++line) {
        const QTextLayout &layout = m_layouts.layout(line);
        const int firstRow = line == m_top.line ? m_top.visual : 0;
        const QPointF origin(left, y - firstRow * height);
        const qsizetype lineEnd = lineStart + layout.text().size();
        QList<QTextLayout::FormatRange> selections;
        if (focused && selFrom < selTo && selFrom <= lineEnd && selTo > lineStart) {
            const qsizetype from = std::max(selFrom, lineStart) - lineStart;
            const qsizetype to = std::min(selTo, lineEnd) - lineStart;
            selections.append({ int(from), int(to - from), selected });
        }
        layout.draw(&painter, origin, selections, event->rect());
        if (focused && selFrom <= lineEnd && selTo > lineEnd && layout.lineCount() > 0) {
            // The selected line break, as a space-wide mark after the last row.
            const QTextLine lastRow = layout.lineAt(layout.lineCount() - 1);
            const QRectF mark(origin.x() + lastRow.naturalTextWidth(),
                origin.y() + lastRow.y(),
                QFontMetricsF(font()).horizontalAdvance(QLatin1Char(' ')),
                height);
            painter.fillRect(mark, selected.background());
        }
        if (focused && m_caretShown && m_caret >= lineStart && m_caret <= lineEnd) {
            int position = int(m_caret - lineStart);
            if (!m_preedit.isEmpty())
                position = m_layouts.preeditPosition() + m_preeditCaret;
            layout.drawCursor(&painter, origin, position, 1);
        }
        y += (std::max(1, layout.lineCount()) - firstRow) * height;
        lineStart = lineEnd + 1;
    }
}

void TextControl::inputMethodEvent(QInputMethodEvent *event)
{
    if (!event->commitString().isEmpty() || event->replacementLength() > 0) {
        qsizetype from = selStart();
        qsizetype to = from + selLength();
        if (from == to && event->replacementLength() > 0) {
            from
                = std::clamp<qsizetype>(m_caret + event->replacementStart(), 0, m_storage.length());
            to = std::clamp<qsizetype>(from + event->replacementLength(), from, m_storage.length());
        }
        replaceRange(from, to, withLineBreaks(event->commitString()), TextHistory::Kind::Other);
    }
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
    const qsizetype line = m_storage.lineOf(m_caret);
    const qsizetype lineStart = m_storage.lineStart(line);
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImCursorRectangle:
        return self->cursorRect(int(m_caret)).translated(viewport()->pos());
    case Qt::ImFont:
        return font();
    case Qt::ImCursorPosition:
        return int(m_caret - lineStart);
    case Qt::ImAnchorPosition:
        return int(std::clamp(m_anchor, lineStart, m_storage.lineEnd(line)) - lineStart);
    case Qt::ImSurroundingText:
        return m_storage.lineText(line);
    case Qt::ImCurrentSelection:
        return selectedText();
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
