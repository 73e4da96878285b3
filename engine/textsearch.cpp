#include "engine/textsearch.h"

#include "kernels/textkernels.h"
#include "platform/parallel.h"

#include <algorithm>

namespace {

// A text this long is searched by two threads.
constexpr qsizetype SearchInTwoFrom = 8 * 1024 * 1024;

} // namespace

TextSearch::TextSearch(const TextStorage &text, QStringView needle, Progress *progress)
    : m_text(text)
    , m_needle(needle)
    , m_progress(progress)
    , m_narrowNeedle(QtPrivate::isLatin1(needle))
    , m_narrow(m_narrowNeedle ? needle.toLatin1() : QByteArray())
{ }

qsizetype TextSearch::find(qsizetype from)
{
    if (m_progress)
        m_progress->beginStage(m_text.length() - from);
    const std::pair<std::size_t, qint32> start = m_text.locate(from);
    const std::size_t first = start.first;
    const std::size_t end = m_text.m_pieces.size();
    if (m_text.length() - from < SearchInTwoFrom || end - first < 2)
        return searchPieces(first, start.second, end);
    // The later half is searched meanwhile, and dropped once the earlier one has a match. The
    // earlier half is the one handed to a thread of its own: where none can start, it then
    // runs here first, and a match in it still spares the later half.
    const std::size_t middle = first + (end - first) / 2;
    qsizetype earlier = -1;
    qsizetype later = -1;
    runBoth(
        [&] {
            later = searchPieces(middle, 0, end);
        },
        [&] {
            earlier = searchPieces(first, start.second, middle);
            if (earlier >= 0)
                m_found = true;
        });
    return earlier >= 0 ? earlier : later;
}

qsizetype TextSearch::searchPieces(std::size_t index, qint32 offset, std::size_t last) const
{
    // Each piece is searched where it is kept, one-byte pieces as bytes, so nothing is copied
    // or widened; only the few characters around each border are, for a match across it.
    const std::vector<TextPiece> &pieces = m_text.m_pieces;
    const qsizetype length = m_text.length();
    qsizetype start = index < pieces.size() ? m_text.m_index.start(index).position : length;
    for (; index < last && !m_found.load(std::memory_order_relaxed); ++index, offset = 0) {
        const TextPiece &piece = pieces[index];
        qsizetype found = -1;
        if (piece.wide) {
            found = QStringView(piece.units(), piece.length).indexOf(m_needle, offset);
        } else if (m_narrowNeedle) {
            found = kernels::findBytes(reinterpret_cast<const char *>(piece.bytes()),
                piece.length,
                offset,
                m_narrow.constData(),
                m_narrow.size());
        }
        if (found >= 0)
            return start + found;
        const qsizetype end = start + piece.length;
        if (m_needle.size() > 1 && end < length) {
            const qsizetype spanStart = std::max(start + offset, end - m_needle.size() + 1);
            const QString span = m_text.mid(spanStart, end - spanStart + m_needle.size() - 1);
            const qsizetype across = span.indexOf(m_needle);
            if (across >= 0)
                return spanStart + across;
        }
        if (m_progress)
            m_progress->advance(piece.length - offset);
        start = end;
    }
    return -1;
}
