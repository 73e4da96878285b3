#include "engine/lineindex.h"

#include <algorithm>

LineIndex::LineIndex()
    : m_starts(1)
{ }

LineIndex::Start LineIndex::start(std::size_t piece) const
{
    return piece > m_stepPiece ? m_starts[piece] + m_step : m_starts[piece];
}

void LineIndex::append(qsizetype length, qsizetype lines)
{
    const Start end = totals() + Start { length, lines };
    m_starts.push_back(m_starts.size() > m_stepPiece ? end - m_step : end);
}

void LineIndex::split(std::size_t piece, qsizetype length, qsizetype lines)
{
    const std::size_t at = piece + 1;
    const Start value = start(piece) + Start { length, lines };
    if (at <= m_stepPiece) {
        m_starts.insert(m_starts.begin() + qsizetype(at), value);
        ++m_stepPiece;
    } else {
        m_starts.insert(m_starts.begin() + qsizetype(at), value - m_step);
    }
}

void LineIndex::resize(std::size_t piece, qsizetype length, qsizetype lines)
{
    moveStepTo(piece);
    m_step = m_step + Start { length, lines };
}

void LineIndex::moveStepTo(std::size_t piece)
{
    if (m_step == Start()) {
        m_stepPiece = piece;
        return;
    }
    for (std::size_t i = m_stepPiece + 1; i <= piece; ++i)
        m_starts[i] = m_starts[i] + m_step;
    for (std::size_t i = piece + 1; i <= m_stepPiece && i < m_starts.size(); ++i)
        m_starts[i] = m_starts[i] - m_step;
    m_stepPiece = piece;
}

std::size_t LineIndex::pieceAtPosition(qsizetype position) const
{
    // The first entry that begins after position, less one.
    std::size_t low = 0;
    std::size_t high = m_starts.size();
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (start(middle).position <= position)
            low = middle + 1;
        else
            high = middle;
    }
    return low == 0 ? 0 : std::min(low - 1, pieceCount());
}

std::size_t LineIndex::pieceWithBreak(qsizetype line) const
{
    // The first entry after the first that has `line` breaks before it, less one.
    std::size_t low = 1;
    std::size_t high = m_starts.size();
    while (low < high) {
        const std::size_t middle = low + (high - low) / 2;
        if (start(middle).line < line)
            low = middle + 1;
        else
            high = middle;
    }
    return low - 1;
}
