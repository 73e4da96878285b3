#include "engine/textaccessible.h"

#include "engine/textcontrol.h"

#include <QTextBoundaryFinder>

#include <limits>

namespace {

QAccessibleInterface *createTextAccessible(const QString &key, QObject *object)
{
    if (key == QLatin1String("TextControl"))
        return new TextAccessible(static_cast<TextControl *>(object));
    return nullptr;
}

// Qt tells screen readers of offsets as int; text beyond that reach cannot be named to them.
int reported(qsizetype offset)
{
    return int(std::min<qsizetype>(offset, std::numeric_limits<int>::max()));
}

// The boundaries of the unit around offset, found within its line.
std::pair<int, int> unitAround(
    const TextStorage &storage, int offset, QAccessible::TextBoundaryType boundary)
{
    const int length = reported(storage.length());
    if (boundary == QAccessible::NoBoundary)
        return { 0, length };
    if (boundary == QAccessible::CharBoundary)
        return { offset, std::min(offset + 1, length) };
    const qsizetype line = storage.lineOf(offset);
    const int lineStart = reported(storage.lineStart(line));
    const int lineEnd = reported(storage.lineEnd(line));
    if (boundary == QAccessible::LineBoundary || boundary == QAccessible::ParagraphBoundary)
        return { lineStart, std::min(lineEnd + 1, length) };
    const auto [around, aroundEnd] = storage.lineAround(offset, 4096);
    const int start = reported(around);
    const QString text = storage.mid(start, aroundEnd - start);
    QTextBoundaryFinder finder(boundary == QAccessible::WordBoundary
            ? QTextBoundaryFinder::Word
            : QTextBoundaryFinder::Sentence,
        text);
    finder.setPosition(offset - start);
    qsizetype from = finder.isAtBoundary() ? finder.position() : finder.toPreviousBoundary();
    finder.setPosition(offset - start);
    qsizetype to = finder.toNextBoundary();
    if (from < 0)
        from = 0;
    if (to < 0)
        to = text.size();
    return { reported(start + from), reported(start + to) };
}

} // namespace

TextAccessible::TextAccessible(TextControl *control)
    : QAccessibleWidget(control, QAccessible::EditableText)
{ }

TextControl *TextAccessible::control() const
{
    return static_cast<TextControl *>(widget());
}

void *TextAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TextInterface)
        return static_cast<QAccessibleTextInterface *>(this);
    if (type == QAccessible::EditableTextInterface)
        return static_cast<QAccessibleEditableTextInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QAccessible::State TextAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.editable = true;
    state.multiLine = true;
    state.selectableText = true;
    return state;
}

QString TextAccessible::text(QAccessible::Text kind) const
{
    if (kind == QAccessible::Value)
        return control()->text();
    return QAccessibleWidget::text(kind);
}

void TextAccessible::selection(int index, int *start, int *end) const
{
    *start = *end = 0;
    if (index == 0 && control()->selLength() > 0) {
        *start = reported(control()->selStart());
        *end = reported(control()->selStart() + control()->selLength());
    }
}

int TextAccessible::selectionCount() const
{
    return control()->selLength() > 0 ? 1 : 0;
}

void TextAccessible::addSelection(int start, int end)
{
    setSelection(0, start, end);
}

void TextAccessible::removeSelection(int)
{
    control()->setSelStart(control()->caretPosition());
}

void TextAccessible::setSelection(int, int start, int end)
{
    control()->select(start, end);
}

int TextAccessible::cursorPosition() const
{
    return reported(control()->caretPosition());
}

void TextAccessible::setCursorPosition(int position)
{
    control()->setSelStart(position);
}

QString TextAccessible::text(int start, int end) const
{
    return control()->storage().mid(start, end - start);
}

QString TextAccessible::textAtOffset(
    int offset, QAccessible::TextBoundaryType boundary, int *start, int *end) const
{
    const TextStorage &storage = control()->storage();
    if (offset < 0 || offset > storage.length() || storage.isEmpty()) {
        *start = *end = -1;
        return QString();
    }
    const auto [from, to] = unitAround(storage, offset, boundary);
    *start = from;
    *end = to;
    return storage.mid(from, to - from);
}

QString TextAccessible::textBeforeOffset(
    int offset, QAccessible::TextBoundaryType boundary, int *start, int *end) const
{
    int atStart = 0;
    int atEnd = 0;
    textAtOffset(offset, boundary, &atStart, &atEnd);
    if (atStart <= 0) {
        *start = *end = -1;
        return QString();
    }
    return textAtOffset(atStart - 1, boundary, start, end);
}

QString TextAccessible::textAfterOffset(
    int offset, QAccessible::TextBoundaryType boundary, int *start, int *end) const
{
    int atStart = 0;
    int atEnd = 0;
    textAtOffset(offset, boundary, &atStart, &atEnd);
    if (atEnd < 0 || atEnd >= characterCount()) {
        *start = *end = -1;
        return QString();
    }
    return textAtOffset(atEnd, boundary, start, end);
}

int TextAccessible::characterCount() const
{
    return reported(control()->textLength());
}

QRect TextAccessible::characterRect(int offset) const
{
    QRect rect = control()->cursorRect(offset);
    const QRect next = control()->cursorRect(offset + 1);
    if (next.top() == rect.top() && next.left() > rect.left())
        rect.setRight(next.left() - 1);
    return rect.translated(control()->viewport()->mapToGlobal(QPoint(0, 0)));
}

int TextAccessible::offsetAtPoint(const QPoint &point) const
{
    return reported(control()->positionAt(control()->viewport()->mapFromGlobal(point)));
}

void TextAccessible::scrollToSubstring(int startIndex, int)
{
    control()->showPosition(startIndex);
}

QString TextAccessible::attributes(int offset, int *startOffset, int *endOffset) const
{
    *startOffset = *endOffset = offset;
    return QString();
}

void TextAccessible::deleteText(int startOffset, int endOffset)
{
    replaceText(startOffset, endOffset, QString());
}

void TextAccessible::insertText(int offset, const QString &text)
{
    replaceText(offset, offset, text);
}

void TextAccessible::replaceText(int startOffset, int endOffset, const QString &text)
{
    control()->select(startOffset, endOffset);
    control()->setSelText(text);
}

void installTextAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(createTextAccessible);
        return true;
    }();
    Q_UNUSED(installed);
}

void TextAccessibleEvents::textChanged(
    TextControl *control, qsizetype at, const QString &removed, const QString &inserted)
{
    if (!QAccessible::isActive())
        return;
    if (!removed.isEmpty() && !inserted.isEmpty()) {
        QAccessibleTextUpdateEvent event(control, reported(at), removed, inserted);
        QAccessible::updateAccessibility(&event);
    } else if (!removed.isEmpty()) {
        QAccessibleTextRemoveEvent event(control, reported(at), removed);
        QAccessible::updateAccessibility(&event);
    } else if (!inserted.isEmpty()) {
        QAccessibleTextInsertEvent event(control, reported(at), inserted);
        QAccessible::updateAccessibility(&event);
    }
}

void TextAccessibleEvents::caretMoved(TextControl *control, qsizetype caret)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleTextCursorEvent event(control, reported(caret));
    QAccessible::updateAccessibility(&event);
}

void TextAccessibleEvents::selectionChanged(TextControl *control, qsizetype start, qsizetype end)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleTextSelectionEvent event(control, reported(start), reported(end));
    QAccessible::updateAccessibility(&event);
}
