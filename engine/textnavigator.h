#pragma once

#include "engine/textlayouts.h"
#include "engine/textstorage.h"

#include <optional>
#include <utility>

class QKeyEvent;

// Where the caret goes: by character, word, row, page and document, within the text as it is
// laid out. Characters and words are those QTextLayout knows, so a combining mark or a
// surrogate pair is never split.
class TextNavigator
{
public:
    TextNavigator(const TextStorage &storage, TextLayouts &layouts);

    qsizetype nextCharacter(qsizetype position);
    qsizetype previousCharacter(qsizetype position);
    // Backspace takes back one code point, so an accent typed after its letter goes alone.
    qsizetype previousCodePoint(qsizetype position) const;
    qsizetype nextWord(qsizetype position);
    qsizetype previousWord(qsizetype position);
    qsizetype rowStart(qsizetype position);
    qsizetype rowEnd(qsizetype position);
    // The position rows below (negative: above), as near to x as the row allows.
    qsizetype verticalMove(qsizetype position, qsizetype rows, qreal x);
    qreal x(qsizetype position);
    qsizetype positionInRow(TextLayouts::Row row, qreal x);
    // What a movement key asks for: where the caret goes, whether the selection grows with it,
    // and how many rows the view scrolls along.
    struct KeyMove
    {
        qsizetype to = 0;
        bool extend = false;
        bool moves = true;
        qsizetype scrollRows = 0;
        // Up, Down and the page keys keep the column the caret had when they began.
        bool keepsColumn = false;
    };
    std::optional<KeyMove> moveForKey(
        const QKeyEvent *event, qsizetype caret, qsizetype anchor, int pageRows, qreal &column);

    // The word, or run of punctuation, at position; empty at white space.
    std::pair<qsizetype, qsizetype> wordAt(qsizetype position) const;

private:
    enum class Kind { Word, Space, Punctuation };
    static Kind kindOf(QChar unit);
    qsizetype inLayout(qsizetype position, QTextLayout::CursorMode mode, bool forward);
    qsizetype lastInRow(const TextLayouts::Piece &piece) const;
    KeyMove verticalKeyMove(KeyMove move, qsizetype caret, qsizetype rows, qreal &column);

    const TextStorage &m_storage;
    TextLayouts &m_layouts;
};
