#include "engine/textstorage.h"

#include "engine/textstoragebuffers.h"

#include <algorithm>

TextStorage::Builder::Builder()
    : m_storage(std::make_unique<TextStorage>())
{ }

void TextStorage::Builder::keep(QByteArray buffer)
{
    m_storage->m_buffers->kept.push_back(std::move(buffer));
}

void TextStorage::Builder::appendKept(const void *units, qsizetype count, bool wide)
{
    const std::size_t unitSize = wide ? sizeof(char16_t) : 1;
    for (qsizetype done = 0; done < count; done += MaximumPiece) {
        Piece piece;
        piece.data = static_cast<const char *>(units) + std::size_t(done) * unitSize;
        piece.length = qint32(std::min<qsizetype>(MaximumPiece, count - done));
        piece.wide = wide;
        m_storage->append(piece, m_lineLength);
    }
}

void TextStorage::Builder::appendLatin1(QLatin1StringView text)
{
    appendKept(text.data(), text.size(), false);
}

void TextStorage::Builder::appendKeptText(QStringView text)
{
    appendKept(text.utf16(), text.size(), true);
}

void TextStorage::Builder::appendText(QStringView text)
{
    for (const Piece &piece : m_storage->store(text))
        m_storage->append(piece, m_lineLength);
}

void TextStorage::Builder::markBreak(qsizetype position, BreakMark mark)
{
    Q_ASSERT(m_marks.empty() || m_marks.back().first < position);
    m_marks.emplace_back(position, mark);
}

void TextStorage::Builder::appendBuilt(Builder &&later)
{
    TextStorage &here = *m_storage;
    TextStorage &there = *later.m_storage;
    const qsizetype shift = here.length();
    // The line that goes on across the seam is measured whole.
    const qsizetype seamLine = m_lineLength + there.lineEnd(0);
    here.m_longestLine = std::max({ here.m_longestLine, there.m_longestLine, seamLine });
    m_lineLength = there.lineCount() > 1 ? later.m_lineLength : seamLine;
    for (const Piece &piece : there.m_pieces) {
        here.m_pieces.push_back(piece);
        here.m_index.append(piece.length, piece.newlines);
    }
    for (const auto &[position, mark] : later.m_marks)
        m_marks.emplace_back(position + shift, mark);
    // Moving a buffer's owner leaves its text where it is, so the pieces stay valid.
    Buffers &buffers = *here.m_buffers;
    for (QByteArray &kept : there.m_buffers->kept)
        buffers.kept.push_back(std::move(kept));
    for (auto &chunk : there.m_buffers->chunks)
        buffers.chunks.push_back(std::move(chunk));
    later = Builder();
}

TextStorage TextStorage::Builder::finish()
{
    std::vector<Mark> &marks = m_storage->m_marks;
    marks.reserve(m_marks.size());
    for (const auto &[position, mark] : m_marks) {
        const auto [index, offset] = m_storage->locate(position);
        Q_ASSERT(index < m_storage->m_pieces.size());
        const Piece &piece = m_storage->m_pieces[index];
        Q_ASSERT(piece.at(offset) == QLatin1Char('\n'));
        const void *unit = piece.wide ? static_cast<const void *>(piece.units() + offset)
                                      : static_cast<const void *>(piece.bytes() + offset);
        marks.push_back({ unit, mark });
    }
    std::sort(marks.begin(), marks.end(), [](const Mark &a, const Mark &b) {
        return before(a.unit, b.unit);
    });
    m_marks.clear();
    TextStorage done = std::move(*m_storage);
    m_storage = std::make_unique<TextStorage>();
    m_lineLength = 0;
    return done;
}
