#pragma once

#include <QtGlobal>

#include <vector>

// Where each piece of the text begins, counted in code units and in line breaks before it.
//
// Invariant: there is one entry per piece plus a last one that holds the totals. The entries
// up to and including m_stepPiece hold their true value; every entry after it holds its true
// value less m_step. An edit shifts all the starts after it, so keeping that shift as one
// pending step, applied only as far as later lookups and edits need, means that typing near
// the start of a large document does not rewrite every start after it. Entries never
// decrease from one piece to the next.
class LineIndex
{
public:
    struct Start
    {
        qsizetype position = 0;
        qsizetype line = 0;

        bool operator==(const Start &other) const
        {
            return position == other.position && line == other.line;
        }
        Start operator+(const Start &other) const
        {
            return { position + other.position, line + other.line };
        }
        Start operator-(const Start &other) const
        {
            return { position - other.position, line - other.line };
        }
    };

    LineIndex();

    std::size_t pieceCount() const { return m_starts.size() - 1; }
    // Where piece begins; pieceCount() gives the totals.
    Start start(std::size_t piece) const;
    Start totals() const { return start(pieceCount()); }

    void append(qsizetype length, qsizetype lines);
    // Piece `piece` becomes two, the first of them `length` units and `lines` breaks long.
    void split(std::size_t piece, qsizetype length, qsizetype lines);
    // Pieces first to last (not included) become `count` pieces, the i-th of them size(i)
    // long. The starts are written where they are kept, with no list of their own: undoing
    // the replacement of a whole large document puts back tens of thousands of pieces.
    template<typename Size>
    void replace(std::size_t first, std::size_t last, std::size_t count, Size size);
    // Piece `piece` grows, or shrinks, by this much.
    void resize(std::size_t piece, qsizetype length, qsizetype lines);

    // The last piece that begins at or before position; pieceCount() when position is at or
    // past the end.
    std::size_t pieceAtPosition(qsizetype position) const;
    // The piece that holds the line break ending line - 1, that is the piece in which `line`
    // begins after the first of its pieces; line must be in 1 to totals().line.
    std::size_t pieceWithBreak(qsizetype line) const;

private:
    // Makes the entries up to piece true and the ones after it short of the step.
    void moveStepTo(std::size_t piece);

    std::vector<Start> m_starts;
    std::size_t m_stepPiece = 0;
    Start m_step;
};

template<typename Size>
void LineIndex::replace(std::size_t first, std::size_t last, std::size_t count, Size size)
{
    moveStepTo(last);
    const Start oldEnd = m_starts[last];
    // The entries first + 1 to last, the ends of the old pieces, become count entries.
    const auto from = m_starts.begin() + qsizetype(first) + 1;
    const std::size_t old = last - first;
    if (count < old)
        m_starts.erase(from + qsizetype(count), from + qsizetype(old));
    else
        m_starts.insert(from + qsizetype(old), count - old, Start());
    Start end = m_starts[first];
    for (std::size_t i = 0; i < count; ++i) {
        end = end + size(i);
        m_starts[first + 1 + i] = end;
    }
    // The entries after the new pieces move by the change in size, which joins the step.
    m_stepPiece = first + count;
    m_step = m_step + (end - oldEnd);
}
