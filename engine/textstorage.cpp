#include "engine/textstorage.h"

#include "kernels/textkernels.h"
#include "platform/largememory.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <functional>
#include <string_view>
#include <system_error>
#include <thread>

namespace {

// Typed text is gathered in chunks of this size; each keystroke then costs no allocation.
constexpr qsizetype ChunkUnits = 16 * 1024;
// Shorter inserts are not worth checking for a one-byte form.
constexpr qsizetype CompactFrom = 1024;
// A text this long is searched by two threads.
constexpr qsizetype SearchInTwoFrom = 8 * 1024 * 1024;

// Buffers are told apart by a number never given twice: a later storage's buffer may take the
// memory, and so the address, of one that has gone.
std::atomic<quint64> buffersMade { 0 };

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

struct TextStorage::Buffers
{
    const quint64 id = ++buffersMade;
    std::vector<QByteArray> kept;
    std::vector<std::unique_ptr<char16_t[]>> chunks;
    char16_t *current = nullptr;
    qsizetype used = 0;
    qsizetype capacity = 0;

    const char16_t *write(QStringView text)
    {
        if (capacity - used < text.size()) {
            capacity = std::max(ChunkUnits, text.size());
            chunks.emplace_back(new char16_t[std::size_t(capacity)]);
            current = chunks.back().get();
            used = 0;
        }
        char16_t *out = current + used;
        std::copy(text.utf16(), text.utf16() + text.size(), out);
        used += text.size();
        return out;
    }

    // Whether text written now lands right after the piece, so the piece can simply grow.
    bool canExtend(const Piece &piece, qsizetype units) const
    {
        return piece.wide && piece.units() + piece.length == current + used
            && capacity - used >= units && piece.length + units <= MaximumPiece;
    }
};

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
    if (progress)
        progress->beginStage(length() - from);
    const auto [first, offset] = locate(from);
    const std::size_t end = m_pieces.size();
    std::atomic<bool> found { false };
    if (length() - from < SearchInTwoFrom || end - first < 2)
        return searchPieces(needle, first, offset, end, progress, found);
    // The later half is searched meanwhile, and dropped once the earlier one has a match.
    const std::size_t middle = first + (end - first) / 2;
    qsizetype later = -1;
    std::thread second;
    try {
        second = std::thread([&] {
            later = searchPieces(needle, middle, 0, end, progress, found);
        });
    } catch (const std::system_error &) {
        return searchPieces(needle, first, offset, end, progress, found);
    }
    const qsizetype earlier = searchPieces(needle, first, offset, middle, progress, found);
    if (earlier >= 0)
        found = true;
    second.join();
    return earlier >= 0 ? earlier : later;
}

qsizetype TextStorage::searchPieces(QStringView needle,
    std::size_t index,
    qint32 offset,
    std::size_t last,
    Progress *progress,
    const std::atomic<bool> &stop) const
{
    // Each piece is searched where it is kept, one-byte pieces as bytes, so nothing is copied
    // or widened; only the few characters around each border are, for a match across it.
    const bool narrowNeedle = QtPrivate::isLatin1(needle);
    const QByteArray narrow = narrowNeedle ? needle.toLatin1() : QByteArray();
    qsizetype start = index < m_pieces.size() ? m_index.start(index).position : length();
    for (; index < last && !stop.load(std::memory_order_relaxed); ++index, offset = 0) {
        const Piece &piece = m_pieces[index];
        qsizetype found = -1;
        if (piece.wide) {
            found = QStringView(piece.units(), piece.length).indexOf(needle, offset);
        } else if (narrowNeedle) {
            found = kernels::findBytes(reinterpret_cast<const char *>(piece.bytes()),
                piece.length,
                offset,
                narrow.constData(),
                narrow.size());
        }
        if (found >= 0)
            return start + found;
        const qsizetype end = start + piece.length;
        if (needle.size() > 1 && end < length()) {
            const qsizetype spanStart = std::max(start + offset, end - needle.size() + 1);
            const QString span = mid(spanStart, end - spanStart + needle.size() - 1);
            const qsizetype across = span.indexOf(needle);
            if (across >= 0)
                return spanStart + across;
        }
        if (progress)
            progress->advance(piece.length - offset);
        start = end;
    }
    return -1;
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
