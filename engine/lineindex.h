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
    };

    LineIndex();

    std::size_t pieceCount() const { return m_starts.size() - 1; }
    // Where piece begins; pieceCount() gives the totals.
    Start start(std::size_t piece) const;
    Start totals() const { return start(pieceCount()); }

    void clear();
    void append(qsizetype length, qsizetype lines);
    // Piece `piece` becomes two, the first of them `length` units and `lines` breaks long.
    void split(std::size_t piece, qsizetype length, qsizetype lines);
    // Pieces first to last (not included) become pieces of these sizes.
    void replace(std::size_t first, std::size_t last, const std::vector<Start> &sizes);
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
