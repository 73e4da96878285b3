#include "platform/texthistory.h"

namespace {

using Piece = TextStorage::Piece;

const void *endOf(const Piece &piece)
{
    const char *start = static_cast<const char *>(piece.data);
    return start + qsizetype(piece.length) * (piece.wide ? 2 : 1);
}

// Neighbours in the buffers: the second piece's text was stored right after the first's.
bool adjoin(const Piece &first, const Piece &second)
{
    return first.wide == second.wide && endOf(first) == second.data;
}

void appendPieces(std::vector<Piece> &to, const std::vector<Piece> &pieces)
{
    for (const Piece &piece : pieces) {
        if (!to.empty() && adjoin(to.back(), piece)
            && to.back().length + piece.length <= TextStorage::MaximumPiece) {
            to.back().length += piece.length;
            to.back().newlines += piece.newlines;
        } else {
            to.push_back(piece);
        }
    }
}

} // namespace

void TextHistory::clear()
{
    m_last.reset();
    m_undone = false;
}

void TextHistory::record(Edit edit)
{
    if (merge(edit))
        return;
    m_last = std::move(edit);
    m_undone = false;
}

bool TextHistory::merge(const Edit &edit)
{
    if (!m_last || m_undone || edit.kind == Kind::Other || m_last->kind != edit.kind)
        return false;
    TextStorage::Splice &last = m_last->splice;
    const TextStorage::Splice &next = edit.splice;
    switch (edit.kind) {
    case Kind::Typing:
        if (next.position != last.position + last.insertedLength()
            || !adjoin(last.inserted.back(), next.inserted.front()))
            return false;
        appendPieces(last.inserted, next.inserted);
        return true;
    case Kind::Backspace: {
        if (next.position + next.removedLength() != last.position
            || !adjoin(next.removed.back(), last.removed.front()))
            return false;
        std::vector<Piece> removed = next.removed;
        appendPieces(removed, last.removed);
        last.removed = std::move(removed);
        last.position = next.position;
        return true;
    }
    case Kind::Delete:
        if (next.position != last.position || !adjoin(last.removed.back(), next.removed.front()))
            return false;
        appendPieces(last.removed, next.removed);
        return true;
    case Kind::Other:
        break;
    }
    return false;
}

std::optional<TextHistory::Edit> TextHistory::undo(TextStorage &storage)
{
    if (!m_last)
        return std::nullopt;
    Edit done;
    done.splice = storage.revert(m_last->splice);
    done.kind = m_last->kind;
    done.caretAfterRestore = m_last->caretAfterRestore;
    Edit inverse = done;
    inverse.caretAfterRestore = m_last->caretAfterReinsert;
    inverse.caretAfterReinsert = m_last->caretAfterRestore;
    m_last = std::move(inverse);
    m_undone = !m_undone;
    return done;
}
