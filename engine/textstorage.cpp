#include "engine/textstorage.h"

#include "engine/textsearch.h"
#include "engine/textstoragebuffers.h"
#include "platform/largememory.h"

#include <algorithm>
#include <array>
#include <functional>

namespace {

// Shorter inserts are not worth checking for a one-byte form.
constexpr qsizetype CompactFrom = 1024;

// A line break that lineStart() found: the newlines-th one from the start of the text at data,
// in the buffers numbered buffers.
struct FoundBreak
{
    quint64 buffers = 0;
    const void *data = nullptr;
    qsizetype newlines = 0;
    qint32 offset = 0;
};

// The last two breaks found on this thread. Lines are asked for in runs, a screenful at a time,
// each line's start and end more than once, and a piece holds hundreds of lines: found from
// the piece's start each time, a screen would cost as many scans as its lines squared. The
// text at a stored address never changes, so a break once found stays where it was for as
// long as its buffers live, whatever is edited around it.
thread_local std::array<FoundBreak, 2> foundBreaks;

} // namespace

TextStorage::TextStorage()
    : m_buffers(std::make_unique<Buffers>())
{ }

TextStorage::~TextStorage() = default;
TextStorage::TextStorage(TextStorage &&) noexcept = default;
TextStorage &TextStorage::operator=(TextStorage &&) noexcept = default;

QString TextStorage::withNewlines(QString text)
{
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

TextStorage TextStorage::fromText(QStringView text)
{
    Builder builder;
    builder.appendText(text);
    return builder.finish();
}

void TextStorage::append(const Piece &added, qsizetype &lineLength)
{
    Piece piece = added;
    piece.newlines = piece.measureLines(lineLength, m_longestLine);
    m_pieces.push_back(piece);
    m_index.append(piece.length, piece.newlines);
}

std::vector<TextStorage::Piece> TextStorage::store(QStringView text)
{
    std::vector<Piece> pieces;
    for (qsizetype done = 0; done < text.size(); done += MaximumPiece) {
        const QStringView block = text.mid(done, MaximumPiece);
        Piece piece;
        piece.length = qint32(block.size());
        if (block.size() >= CompactFrom && QtPrivate::isLatin1(block)) {
            m_buffers->kept.push_back(block.toLatin1());
            piece.data = m_buffers->kept.back().constData();
        } else {
            piece.data = m_buffers->write(block);
            piece.wide = true;
        }
        piece.newlines = piece.countNewlines(0, piece.length);
        pieces.push_back(piece);
    }
    return pieces;
}

TextStorage::Run TextStorage::run(std::size_t index) const
{
    const Piece &piece = m_pieces[index];
    Run run;
    run.latin1 = !piece.wide;
    if (piece.wide)
        run.wide = QStringView(piece.units(), piece.length);
    else
        run.narrow = QLatin1StringView(static_cast<const char *>(piece.data), piece.length);
    return run;
}

bool TextStorage::before(const void *unit, const void *other)
{
    // Units of different buffers are ordered too, which plain < does not promise.
    return std::less<const void *>()(unit, other);
}

void TextStorage::marksIn(std::size_t index, std::vector<MarkedBreak> &marks) const
{
    marks.clear();
    if (m_marks.empty())
        return;
    const Piece &piece = m_pieces[index];
    const std::size_t unitSize = piece.wide ? sizeof(char16_t) : 1;
    const char *first = static_cast<const char *>(piece.data);
    const char *end = first + std::size_t(piece.length) * unitSize;
    auto mark = std::lower_bound(
        m_marks.begin(), m_marks.end(), first, [](const Mark &m, const char *unit) {
            return before(m.unit, unit);
        });
    for (; mark != m_marks.end() && before(mark->unit, end); ++mark) {
        const auto offset = static_cast<const char *>(mark->unit) - first;
        marks.push_back({ qint32(offset / qsizetype(unitSize)), mark->mark });
    }
}

QString TextStorage::textOf(const std::vector<Piece> &pieces)
{
    QString text(piecesLength(pieces), Qt::Uninitialized);
    QChar *write = text.data();
    for (const Piece &piece : pieces) {
        piece.copyUnits(0, piece.length, write);
        write += piece.length;
    }
    return text;
}

std::vector<TextStorage::Piece> TextStorage::piecesOf(qsizetype position, qsizetype count) const
{
    position = std::clamp<qsizetype>(position, 0, length());
    count = std::clamp<qsizetype>(count, 0, length() - position);
    std::vector<Piece> pieces;
    auto [index, offset] = locate(position);
    // Sized at once, as slicePieces is.
    pieces.reserve(locate(position + count).first - index + 1);
    for (; count > 0; ++index, offset = 0) {
        const Piece &piece = m_pieces[index];
        const qint32 take = qint32(std::min<qsizetype>(piece.length - offset, count));
        pieces.push_back(piece.slice(offset, offset + take));
        count -= take;
    }
    return pieces;
}

std::vector<TextStorage::Piece> TextStorage::slicePieces(
    const std::vector<Piece> &pieces, qsizetype offset, qsizetype count)
{
    auto first = pieces.begin();
    for (; first != pieces.end() && offset >= first->length; ++first)
        offset -= first->length;
    auto last = first;
    for (qsizetype reach = offset + count; last != pieces.end() && reach > 0; ++last)
        reach -= last->length;
    // Sized at once: the slice of a whole document of gigabytes has tens of thousands of
    // pieces, and growing a list that long step by step touches fresh memory several times.
    std::vector<Piece> part;
    part.reserve(std::size_t(last - first));
    for (auto piece = first; piece != last && count > 0; ++piece) {
        const qint32 take = qint32(std::min<qsizetype>(piece->length - offset, count));
        part.push_back(piece->slice(qint32(offset), qint32(offset) + take));
        count -= take;
        offset = 0;
    }
    return part;
}

qsizetype TextStorage::piecesLength(const std::vector<Piece> &pieces)
{
    qsizetype length = 0;
    for (const Piece &piece : pieces)
        length += piece.length;
    return length;
}

std::pair<std::size_t, qint32> TextStorage::locate(qsizetype position) const
{
    const std::size_t index = m_index.pieceAtPosition(position);
    if (index >= m_pieces.size())
        return { m_pieces.size(), 0 };
    return { index, qint32(position - m_index.start(index).position) };
}

qsizetype TextStorage::lineStart(qsizetype line) const
{
    if (line <= 0)
        return 0;
    if (line >= lineCount())
        return length();
    const std::size_t index = m_index.pieceWithBreak(line);
    const LineIndex::Start start = m_index.start(index);
    return start.position + findBreak(m_pieces[index], line - start.line) + 1;
}

qint32 TextStorage::findBreak(const Piece &piece, qsizetype k) const
{
    const FoundBreak *nearest = nullptr;
    for (const FoundBreak &found : foundBreaks) {
        // Pieces that begin at the same stored unit have the same text as far as the shorter
        // goes, so a break found in one is in each of them that has that many breaks.
        if (found.buffers == m_buffers->id && found.data == piece.data && found.newlines <= k
            && (!nearest || found.newlines > nearest->newlines))
            nearest = &found;
    }
    if (nearest && nearest->newlines == k)
        return nearest->offset;
    const qint32 offset = nearest
        ? piece.findNewline(nearest->offset + 1, piece.length, k - nearest->newlines)
        : piece.findNewline(0, piece.length, k);
    foundBreaks[1] = foundBreaks[0];
    foundBreaks[0] = { m_buffers->id, piece.data, k, offset };
    return offset;
}

qsizetype TextStorage::lineEnd(qsizetype line) const
{
    if (line + 1 >= lineCount())
        return length();
    return lineStart(line + 1) - 1;
}

qsizetype TextStorage::lineOf(qsizetype position) const
{
    const auto [index, offset] = locate(std::clamp<qsizetype>(position, 0, length()));
    if (index == m_pieces.size())
        return m_index.totals().line;
    return m_index.start(index).line + m_pieces[index].countNewlines(0, offset);
}

QChar TextStorage::at(qsizetype position) const
{
    if (position < 0 || position >= length())
        return QChar();
    const auto [index, offset] = locate(position);
    const Piece &piece = m_pieces[index];
    return piece.at(offset);
}

QString TextStorage::mid(qsizetype position, qsizetype count) const
{
    position = std::clamp<qsizetype>(position, 0, length());
    count = std::clamp<qsizetype>(count, 0, length() - position);
    QString out(count, Qt::Uninitialized);
    preferHugePages(out.data(), count * qsizetype(sizeof(QChar)));
    auto [index, offset] = locate(position);
    QChar *write = out.data();
    while (count > 0) {
        const Piece &piece = m_pieces[index];
        const qint32 take = qint32(std::min<qsizetype>(piece.length - offset, count));
        piece.copyUnits(offset, offset + take, write);
        write += take;
        count -= take;
        ++index;
        offset = 0;
    }
    return out;
}

qsizetype TextStorage::wholeCodePoint(qsizetype position, bool forward) const
{
    if (position <= 0 || position >= length() || !at(position).isLowSurrogate()
        || !at(position - 1).isHighSurrogate())
        return position;
    return forward ? position + 1 : position - 1;
}

std::pair<qsizetype, qsizetype> TextStorage::lineAround(qsizetype position, qsizetype reach) const
{
    const qsizetype line = lineOf(position);
    return { wholeCodePoint(std::max(lineStart(line), position - reach), true),
        wholeCodePoint(std::min(lineEnd(line), position + reach), false) };
}

QString TextStorage::lineText(qsizetype line) const
{
    const qsizetype start = lineStart(line);
    return mid(start, lineEnd(line) - start);
}

qsizetype TextStorage::indexOf(QStringView needle, qsizetype from, Progress *progress) const
{
    if (from < 0 || from > length())
        return -1;
    if (needle.isEmpty())
        return from;
    return TextSearch(*this, needle, progress).find(from);
}

std::size_t TextStorage::splitAt(qsizetype position)
{
    const auto [index, offset] = locate(position);
    if (offset == 0)
        return index;
    const Piece whole = m_pieces[index];
    const Piece left = whole.slice(0, offset);
    m_pieces[index] = left;
    m_pieces.insert(m_pieces.begin() + qsizetype(index) + 1, whole.slice(offset, whole.length));
    m_index.split(index, left.length, left.newlines);
    return index + 1;
}

void TextStorage::splicePieces(std::size_t first, std::size_t last, const std::vector<Piece> &with)
{
    m_pieces.erase(m_pieces.begin() + qsizetype(first), m_pieces.begin() + qsizetype(last));
    m_pieces.insert(m_pieces.begin() + qsizetype(first), with.begin(), with.end());
    m_index.replace(first, last, with.size(), [&with](std::size_t i) {
        return LineIndex::Start { with[i].length, with[i].newlines };
    });
}

void TextStorage::raiseLongestLine(qsizetype from, qsizetype to)
{
    // The lines at the ends of the edit are measured by the index, so typing in a line of
    // megabytes does not read it; only whole lines between them are read.
    const qsizetype first = lineOf(from);
    const qsizetype last = lineOf(to);
    m_longestLine = std::max(m_longestLine, lineEnd(first) - lineStart(first));
    m_longestLine = std::max(m_longestLine, lineEnd(last) - lineStart(last));
    if (last - first < 2)
        return;
    qsizetype position = lineStart(first + 1);
    const qsizetype end = lineEnd(last - 1);
    auto [index, offset] = locate(position);
    qsizetype lineLength = 0;
    while (position < end) {
        const Piece &piece = m_pieces[index];
        const qint32 stop = qint32(std::min<qsizetype>(piece.length, offset + end - position));
        const qint32 at = piece.findNewline(offset, stop, 1);
        const qint32 upTo = at < 0 ? stop : at;
        lineLength += upTo - offset;
        m_longestLine = std::max(m_longestLine, lineLength);
        position += upTo - offset;
        offset = upTo;
        if (at >= 0) {
            lineLength = 0;
            ++position;
            ++offset;
        }
        if (offset >= piece.length) {
            ++index;
            offset = 0;
        }
    }
}

TextStorage::Splice TextStorage::replace(
    qsizetype position, qsizetype removeLength, QStringView text)
{
    position = std::clamp<qsizetype>(position, 0, length());
    removeLength = std::clamp<qsizetype>(removeLength, 0, length() - position);
    Splice splice;
    splice.position = position;
    const auto [index, offset] = locate(position);
    if (removeLength == 0 && offset == 0 && index > 0 && !text.isEmpty()
        && m_buffers->canExtend(m_pieces[index - 1], text.size())) {
        // Typing at the end of what was just typed grows the last piece in place.
        Piece added;
        added.data = m_buffers->write(text);
        added.length = qint32(text.size());
        added.wide = true;
        added.newlines = added.countNewlines(0, added.length);
        m_pieces[index - 1].length += added.length;
        m_pieces[index - 1].newlines += added.newlines;
        m_index.resize(index - 1, added.length, added.newlines);
        splice.inserted->push_back(added);
    } else {
        const std::size_t first = splitAt(position);
        const std::size_t last = splitAt(position + removeLength);
        splice.removed->assign(
            m_pieces.begin() + qsizetype(first), m_pieces.begin() + qsizetype(last));
        *splice.inserted = store(text);
        splicePieces(first, last, *splice.inserted);
    }
    raiseLongestLine(position, position + text.size());
    return splice;
}

TextStorage::Splice TextStorage::revert(Splice splice)
{
    Splice redo;
    redo.position = splice.position;
    const std::size_t first = splitAt(splice.position);
    const std::size_t last = splitAt(splice.position + splice.insertedLength());
    redo.removed->assign(m_pieces.begin() + qsizetype(first), m_pieces.begin() + qsizetype(last));
    splicePieces(first, last, *splice.removed);
    const qsizetype end = splice.position + splice.removedLength();
    // Handed on, not copied: undoing the replacement of a whole large document puts back
    // tens of thousands of pieces.
    redo.inserted = std::move(splice.removed);
    // The text put back was measured when it first came in; only the lines it now joins at
    // its two ends are new.
    raiseLongestLine(splice.position, splice.position);
    raiseLongestLine(end, end);
    return redo;
}
