#pragma once

#include "engine/lineindex.h"
#include "engine/textpiece.h"
#include "platform/progress.h"

#include <QByteArray>
#include <QLatin1StringView>
#include <QString>
#include <QStringView>

#include <atomic>
#include <memory>
#include <vector>

// The editor's text as a piece table: the pieces point into buffers that never change once
// written, so an edit only rewrites the short list of pieces, and a removed stretch of text
// stays valid for undo without being copied. Positions count UTF-16 code units, and '\n' is
// the only line break. Runs whose characters all fit in one byte are kept one byte each,
// which halves the memory of most documents.
class TextStorage
{
public:
    // Pieces are never longer than MaximumPiece, so a lookup that has to scan within a piece
    // stays short.
    using Piece = TextPiece;
    static constexpr qint32 MaximumPiece = 64 * 1024;

    // Pieces that an edit took out or put in, shared rather than copied by whoever keeps them:
    // the undo step, the view told of the edit and the primary selection. For a whole
    // document of gigabytes they number tens of thousands, and copying them into memory the
    // program has not used yet costs milliseconds.
    using SharedPieces = std::shared_ptr<const std::vector<Piece>>;

    // What one replace() did, enough to put it back: the pieces it took out and the ones it
    // put in, both still pointing into the unchanged buffers. Neither list is ever null, and
    // neither is changed while someone else holds it.
    struct Splice
    {
        qsizetype position = 0;
        std::shared_ptr<std::vector<Piece>> removed = std::make_shared<std::vector<Piece>>();
        std::shared_ptr<std::vector<Piece>> inserted = std::make_shared<std::vector<Piece>>();
        qsizetype removedLength() const { return piecesLength(*removed); }
        qsizetype insertedLength() const { return piecesLength(*inserted); }
    };

    // Every kind of line end, CR LF, lone CR or LF, as the storage's one line break.
    static QString withNewlines(QString text);

    // A line break can carry a mark for whoever built the storage; the document file code
    // keeps a line's own ending in the file this way. The mark belongs to the stored '\n'
    // itself, not to a position: it moves with the text around it, leaves with the break and
    // comes back with it on undo. A line break typed or pasted has none.
    using BreakMark = quint8;
    struct MarkedBreak
    {
        qint32 offset = 0; // in the run
        BreakMark mark = 0;
    };

    TextStorage();
    ~TextStorage();
    TextStorage(TextStorage &&) noexcept;
    TextStorage &operator=(TextStorage &&) noexcept;
    static TextStorage fromText(QStringView text);

    // Builds a storage over runs that the caller has already split and compacted: one-byte
    // runs that live inside a buffer handed over with keep(), and wide runs copied in.
    class Builder
    {
    public:
        Builder();
        void keep(QByteArray buffer);
        void appendLatin1(QLatin1StringView text);
        // UTF-16 text that, like one-byte runs, lives inside a buffer handed over with keep().
        void appendKeptText(QStringView text);
        void appendText(QStringView text);
        // Marks the '\n' at position, which is appended already or will be before finish().
        // Positions come in ascending order.
        void markBreak(qsizetype position, BreakMark mark);
        // Takes over what another builder built, as if it had been appended here; its marks
        // move with its text. Builders of parts of a text can so run side by side.
        void appendBuilt(Builder &&later);
        TextStorage finish();
        bool isEmpty() const { return m_storage->isEmpty(); }
        qsizetype length() const { return m_storage->length(); }
        QChar lastUnit() const { return m_storage->at(m_storage->length() - 1); }

    private:
        void appendKept(const void *units, qsizetype count, bool wide);

        std::unique_ptr<TextStorage> m_storage;
        qsizetype m_lineLength = 0;
        std::vector<std::pair<qsizetype, BreakMark>> m_marks;
    };

    qsizetype length() const { return m_index.totals().position; }
    bool isEmpty() const { return length() == 0; }
    qsizetype lineCount() const { return m_index.totals().line + 1; }
    qsizetype lineStart(qsizetype line) const;
    // The position of the line's '\n', or the end of the text for the last line.
    qsizetype lineEnd(qsizetype line) const;
    qsizetype lineOf(qsizetype position) const;
    // The length in code units of the longest line, kept as an estimate: edits only raise it.
    qsizetype longestLine() const { return m_longestLine; }

    QChar at(qsizetype position) const;
    // position, or the nearest position after (forward) or before it when it falls between the
    // two halves of a surrogate pair.
    qsizetype wholeCodePoint(qsizetype position, bool forward) const;
    // The part of position's line at most reach away from it, without half a surrogate pair at
    // either end: what is looked at near a position, so a line of megabytes is not copied.
    std::pair<qsizetype, qsizetype> lineAround(qsizetype position, qsizetype reach) const;
    QString mid(qsizetype position, qsizetype length) const;
    QString lineText(qsizetype line) const;
    QString toString() const { return mid(0, length()); }
    // Like QString::indexOf, without building the whole text at once. A long text is searched
    // by two threads, each taking half; the characters searched are counted into progress.
    qsizetype indexOf(QStringView needle, qsizetype from = 0, Progress *progress = nullptr) const;

    Splice replace(qsizetype position, qsizetype removeLength, QStringView text);
    // Takes a splice back and returns the splice that would redo it.
    Splice revert(Splice splice);

    // The text as it is kept, run after run: one byte a character or UTF-16, never empty.
    struct Run
    {
        bool latin1 = false;
        QLatin1StringView narrow;
        QStringView wide;
    };
    std::size_t runCount() const { return m_pieces.size(); }
    Run run(std::size_t index) const;
    // The marked line breaks of run(index) in their order, into `marks`.
    void marksIn(std::size_t index, std::vector<MarkedBreak> &marks) const;
    // The text of pieces that a splice took out or put in.
    static QString textOf(const std::vector<Piece> &pieces);
    // The pieces that hold a stretch of the text, which copies none of it. Like every piece,
    // they stay readable until the whole storage goes, whatever is edited meanwhile.
    std::vector<Piece> piecesOf(qsizetype position, qsizetype count) const;
    // The part of pieces that starts offset units into them and is count units long.
    static std::vector<Piece> slicePieces(
        const std::vector<Piece> &pieces, qsizetype offset, qsizetype count);

private:
    struct Buffers;
    friend class TextSearch;

    static qsizetype piecesLength(const std::vector<Piece> &pieces);

    // The piece holding position, and the offset in it; the end gives (count, 0).
    std::pair<std::size_t, qint32> locate(qsizetype position) const;
    // The offset of piece's k-th line break (1-based), which the piece has.
    qint32 findBreak(const Piece &piece, qsizetype k) const;
    std::size_t splitAt(qsizetype position);
    void splicePieces(std::size_t first, std::size_t last, const std::vector<Piece> &with);
    std::vector<Piece> store(QStringView text);
    void append(const Piece &piece, qsizetype &lineLength);
    void raiseLongestLine(qsizetype from, qsizetype to);

    // A stored unit never moves, so its address names it for as long as the storage lives.
    struct Mark
    {
        const void *unit = nullptr;
        BreakMark mark = 0;
    };
    static bool before(const void *unit, const void *other);

    std::unique_ptr<Buffers> m_buffers;
    std::vector<Mark> m_marks; // sorted by unit
    std::vector<Piece> m_pieces;
    LineIndex m_index;
    qsizetype m_longestLine = 0;
};
