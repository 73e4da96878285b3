#include "engine/lineindex.h"

#include <algorithm>

namespace {

using Start = LineIndex::Start;

Start operator+(const Start &a, const Start &b)
{
    return { a.position + b.position, a.line + b.line };
}

Start operator-(const Start &a, const Start &b)
{
    return { a.position - b.position, a.line - b.line };
}

} // namespace

LineIndex::LineIndex()
    : m_starts(1)
{ }

LineIndex::Start LineIndex::start(std::size_t piece) const
{
    return piece > m_stepPiece ? m_starts[piece] + m_step : m_starts[piece];
}

void LineIndex::clear()
{
    m_starts.assign(1, Start());
    m_stepPiece = 0;
    m_step = Start();
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

void LineIndex::replace(std::size_t first, std::size_t last, const std::vector<Start> &sizes)
{
    moveStepTo(last);
    const Start base = m_starts[first];
    const Start oldEnd = m_starts[last];
    std::vector<Start> entries;
    entries.reserve(sizes.size());
    Start end = base;
    for (const Start &size : sizes) {
        end = end + size;
        entries.push_back(end);
    }
    // The entry after the new pieces is the old `last` one, moved by the change in size.
    const auto from = m_starts.begin() + qsizetype(first) + 1;
    const auto to = m_starts.begin() + qsizetype(last) + 1;
    if (entries.empty()) {
        m_starts.erase(from, to);
        m_stepPiece = first;
    } else {
        const std::size_t kept = std::min<std::size_t>(entries.size(), last - first);
        std::copy(entries.begin(), entries.begin() + qsizetype(kept), from);
        if (kept < last - first)
            m_starts.erase(from + qsizetype(kept), to);
        else
            m_starts.insert(to, entries.begin() + qsizetype(kept), entries.end());
        m_stepPiece = first + entries.size();
    }
    m_step = m_step + (end - oldEnd);
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
