#include "engine/textnavigator.h"

#include <QKeyEvent>
#include <QTextLine>

namespace {

// Farther than any word reaches.
constexpr qsizetype WordReach = 4096;
// Rows of a long line a word may run over when the caret moves by words.
constexpr int WordRows = 16;

} // namespace

TextNavigator::TextNavigator(const TextStorage &storage, TextLayouts &layouts)
    : m_storage(storage)
    , m_layouts(layouts)
{ }

qsizetype TextNavigator::inLayout(qsizetype position, QTextLayout::CursorMode mode, bool forward)
{
    const qsizetype line = m_storage.lineOf(position);
    if (forward && position == m_storage.lineEnd(line))
        return std::min(position + 1, m_storage.length());
    if (!forward && position == m_storage.lineStart(line))
        return std::max<qsizetype>(position - 1, 0);
    // Going back from the start of a row of a long line goes through the row before it.
    TextLayouts::Piece piece = m_layouts.pieceAt(forward ? position : position - 1);
    const auto step = [&](qsizetype from) {
        const int offset = int(from - piece.start);
        return piece.start
            + (forward ? piece.layout->nextCursorPosition(offset, mode)
                       : piece.layout->previousCursorPosition(offset, mode));
    };
    qsizetype to = step(position);
    // A word that runs on over the rows of a long line is still one word.
    const auto wordGoesOn = [this](qsizetype at) {
        return kindOf(m_storage.at(at - 1)) == Kind::Word && kindOf(m_storage.at(at)) == Kind::Word;
    };
    for (int rows = 0; mode == QTextLayout::SkipWords && rows < WordRows; ++rows) {
        if (forward && to == piece.end && !piece.lastOfLine && wordGoesOn(to))
            piece = m_layouts.pieceAt(to);
        else if (!forward && to == piece.start && piece.firstRow > 0 && wordGoesOn(to))
            piece = m_layouts.pieceAt(to - 1);
        else
            break;
        to = step(to);
    }
    return to;
}

qsizetype TextNavigator::nextCharacter(qsizetype position)
{
    return inLayout(position, QTextLayout::SkipCharacters, true);
}

qsizetype TextNavigator::previousCharacter(qsizetype position)
{
    return inLayout(position, QTextLayout::SkipCharacters, false);
}

qsizetype TextNavigator::previousCodePoint(qsizetype position) const
{
    if (position <= 0)
        return 0;
    if (position >= 2 && m_storage.at(position - 1).isLowSurrogate()
        && m_storage.at(position - 2).isHighSurrogate())
        return position - 2;
    return position - 1;
}

qsizetype TextNavigator::nextWord(qsizetype position)
{
    return inLayout(position, QTextLayout::SkipWords, true);
}

qsizetype TextNavigator::previousWord(qsizetype position)
{
    return inLayout(position, QTextLayout::SkipWords, false);
}

qsizetype TextNavigator::rowStart(qsizetype position)
{
    const TextLayouts::Piece piece = m_layouts.pieceAt(position);
    const QTextLine row = piece.layout->lineForTextPosition(int(position - piece.start));
    return row.isValid() ? piece.start + row.textStart() : piece.start;
}

qsizetype TextNavigator::rowEnd(qsizetype position)
{
    const TextLayouts::Piece piece = m_layouts.pieceAt(position);
    const QTextLayout &layout = *piece.layout;
    const QTextLine row = layout.lineForTextPosition(int(position - piece.start));
    if (!row.isValid())
        return piece.end;
    qsizetype end = piece.start + row.textStart() + row.textLength();
    // A wrapped row ends after the space it broke at; the caret belongs before it.
    if (row.lineNumber() < layout.lineCount() - 1 && end > piece.start
        && m_storage.at(end - 1).isSpace())
        --end;
    return std::min(end, lastInRow(piece));
}

qsizetype TextNavigator::lastInRow(const TextLayouts::Piece &piece) const
{
    // Where two rows of a long line meet, the position shows at the start of the later one;
    // the caret stays in its row one character earlier.
    if (piece.lastOfLine || piece.end == piece.start)
        return piece.end;
    return piece.start + piece.layout->previousCursorPosition(int(piece.end - piece.start));
}

qreal TextNavigator::x(qsizetype position)
{
    const TextLayouts::Piece piece = m_layouts.pieceAt(position);
    const int offset = m_layouts.layoutPosition(piece, position);
    const QTextLine row = piece.layout->lineForTextPosition(offset);
    return row.isValid() ? row.cursorToX(offset) : 0;
}

qsizetype TextNavigator::positionInRow(TextLayouts::Row row, qreal x)
{
    const TextLayouts::Piece piece = m_layouts.pieceOf(row);
    const QTextLayout &layout = *piece.layout;
    const QTextLine textLine
        = layout.lineAt(std::clamp(row.visual - piece.firstRow, 0, layout.lineCount() - 1));
    if (!textLine.isValid())
        return piece.start;
    int offset = textLine.xToCursor(x);
    if (piece.preedit >= 0 && offset > piece.preedit)
        offset = std::max(piece.preedit, offset - m_layouts.preeditLength());
    return std::min(piece.start + offset, lastInRow(piece));
}

qsizetype TextNavigator::verticalMove(qsizetype position, qsizetype rows, qreal x)
{
    const TextLayouts::Row from = m_layouts.rowOf(position);
    const TextLayouts::Row to = m_layouts.step(from, rows);
    if (to.line == from.line && to.visual == from.visual)
        return position;
    return positionInRow(to, x);
}

TextNavigator::Kind TextNavigator::kindOf(QChar unit)
{
    if (unit.isLetterOrNumber() || unit.isMark() || unit == QLatin1Char('_') || unit.isSurrogate())
        return Kind::Word;
    if (unit.isSpace() || unit.isNull())
        return Kind::Space;
    return Kind::Punctuation;
}

std::pair<qsizetype, qsizetype> TextNavigator::wordAt(qsizetype position) const
{
    const auto [start, end] = m_storage.lineAround(position, WordReach);
    const QString text = m_storage.mid(start, end - start);
    qsizetype at = position - start;
    // A position just after a word still names that word, as at the end of a line.
    if ((at >= text.size() || kindOf(text.at(at)) == Kind::Space) && at > 0
        && kindOf(text.at(at - 1)) != Kind::Space)
        --at;
    if (at >= text.size() || kindOf(text.at(at)) == Kind::Space)
        return { position, position };
    const Kind kind = kindOf(text.at(at));
    qsizetype from = at;
    qsizetype to = at + 1;
    while (from > 0 && kindOf(text.at(from - 1)) == kind)
        --from;
    while (to < text.size() && kindOf(text.at(to)) == kind)
        ++to;
    return { start + from, start + to };
}

namespace {

enum class Step {
    NextCharacter,
    PreviousCharacter,
    NextWord,
    PreviousWord,
    RowStart,
    RowEnd,
    Start,
    End,
    Down,
    Up,
    PageDown,
    PageUp
};

struct MoveKey
{
    QKeySequence::StandardKey plain;
    QKeySequence::StandardKey extending;
    Step step;
};

const MoveKey MoveKeys[] = {
    { QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar, Step::NextCharacter },
    { QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar, Step::PreviousCharacter },
    { QKeySequence::MoveToNextWord, QKeySequence::SelectNextWord, Step::NextWord },
    { QKeySequence::MoveToPreviousWord, QKeySequence::SelectPreviousWord, Step::PreviousWord },
    { QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine, Step::RowStart },
    { QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine, Step::RowEnd },
    { QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument, Step::Start },
    { QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument, Step::End },
    { QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine, Step::Down },
    { QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine, Step::Up },
    { QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage, Step::PageDown },
    { QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage, Step::PageUp },
};

} // namespace

std::optional<TextNavigator::KeyMove> TextNavigator::moveForKey(
    const QKeyEvent *event, qsizetype caret, qsizetype anchor, int pageRows, qreal &column)
{
    for (const MoveKey &key : MoveKeys) {
        KeyMove move;
        move.extend = event->matches(key.extending);
        if (!move.extend && !event->matches(key.plain))
            continue;
        const bool collapse = anchor != caret && !move.extend;
        switch (key.step) {
        case Step::NextCharacter:
            // Without Shift, the arrow first takes the caret to the selection's own end.
            move.to = collapse ? std::max(anchor, caret) : nextCharacter(caret);
            return move;
        case Step::PreviousCharacter:
            move.to = collapse ? std::min(anchor, caret) : previousCharacter(caret);
            return move;
        case Step::NextWord:
            move.to = nextWord(caret);
            return move;
        case Step::PreviousWord:
            move.to = previousWord(caret);
            return move;
        case Step::RowStart:
            move.to = rowStart(caret);
            return move;
        case Step::RowEnd:
            move.to = rowEnd(caret);
            return move;
        case Step::Start:
        case Step::End:
            move.to = key.step == Step::Start ? 0 : m_storage.length();
            return move;
        case Step::Down:
        case Step::Up:
            return verticalKeyMove(move, caret, key.step == Step::Down ? 1 : -1, column);
        case Step::PageDown:
        case Step::PageUp:
            move.scrollRows = key.step == Step::PageDown ? pageRows : -pageRows;
            return verticalKeyMove(move, caret, move.scrollRows, column);
        }
    }
    return std::nullopt;
}

TextNavigator::KeyMove TextNavigator::verticalKeyMove(
    KeyMove move, qsizetype caret, qsizetype rows, qreal &column)
{
    if (column < 0)
        column = x(caret);
    move.to = verticalMove(caret, rows, column);
    move.keepsColumn = true;
    if (move.to == caret && (rows == 1 || rows == -1)) {
        // On the first or last row a selection still grows to the end of the text; the
        // caret alone stays where it is.
        move.moves = move.extend;
        move.to = rows < 0 ? 0 : m_storage.length();
        move.keepsColumn = false;
    }
    return move;
}
