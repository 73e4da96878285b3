#include "engine/texthistory.h"

#include <memory>
#include <utility>

namespace {

using Piece = TextStorage::Piece;

bool endsWithLineBreak(const Piece &piece)
{
    return piece.at(piece.length - 1) == QLatin1Char('\n');
}

// A splice's list that is about to change, made its own first when someone else holds it too:
// what the view or the primary selection was given stays as it was.
std::vector<Piece> &own(std::shared_ptr<std::vector<Piece>> &pieces)
{
    if (pieces.use_count() > 1)
        pieces = std::make_shared<std::vector<Piece>>(*pieces);
    return *pieces;
}

void appendPieces(std::vector<Piece> &to, const std::vector<Piece> &pieces)
{
    for (const Piece &piece : pieces) {
        if (!to.empty() && to.back().adjoins(piece)
            && to.back().length + piece.length <= TextStorage::MaximumPiece) {
            to.back().length += piece.length;
            to.back().newlines += piece.newlines;
        } else {
            to.push_back(piece);
        }
    }
}

// Enough for any session; the oldest go first.
constexpr std::size_t KeptEdits = 1000;

} // namespace

void TextHistory::clear()
{
    m_edits.clear();
    m_undone = false;
}

void TextHistory::record(Edit edit)
{
    if (m_undone) {
        m_edits.pop_back();
        m_undone = false;
    }
    if (merge(edit))
        return;
    if (m_edits.size() >= KeptEdits)
        m_edits.erase(m_edits.begin());
    m_edits.push_back(std::move(edit));
}

bool TextHistory::merge(const Edit &edit)
{
    if (m_edits.empty() || (edit.splice.inserted->empty() && edit.splice.removed->empty()))
        return false;
    Edit &previous = m_edits.back();
    TextStorage::Splice &last = previous.splice;
    const TextStorage::Splice &next = edit.splice;
    if (edit.kind == Kind::Typing) {
        // Typing goes on from whatever text the last edit left at the caret, even text that
        // replaced a selection or was pasted, but not from a line break.
        if (!previous.typingContinues || last.inserted->empty() || next.inserted->empty()
            || next.position != last.position + last.insertedLength()
            || !last.inserted->back().adjoins(next.inserted->front())
            || endsWithLineBreak(last.inserted->back()))
            return false;
        appendPieces(own(last.inserted), *next.inserted);
        return true;
    }
    if (edit.kind != Kind::Removal || previous.kind != Kind::Removal)
        return false;
    // Characters removed one by one on either side of the same place, as long as they stood
    // together in the text, come back together.
    if (next.removed->empty() || last.removed->empty())
        return false;
    if (next.position == last.position && last.removed->back().adjoins(next.removed->front())) {
        appendPieces(own(last.removed), *next.removed);
        return true;
    }
    if (next.position + next.removedLength() == last.position
        && next.removed->back().adjoins(last.removed->front())) {
        auto removed = std::make_shared<std::vector<Piece>>(*next.removed);
        appendPieces(*removed, *last.removed);
        last.removed = std::move(removed);
        last.position = next.position;
        previous.caretAfterRestore = edit.caretAfterRestore;
        return true;
    }
    return false;
}

std::optional<TextHistory::Undone> TextHistory::undo(TextStorage &storage)
{
    if (m_edits.empty())
        return std::nullopt;
    // The edit turns into its own inverse where it is kept; its pieces, which for a whole
    // document number tens of thousands, are moved, never copied.
    Edit &last = m_edits.back();
    const bool caretAfterRestore = last.caretAfterRestore;
    last.splice = storage.revert(std::move(last.splice));
    std::swap(last.caretAfterRestore, last.caretAfterReinsert);
    m_undone = !m_undone;
    return Undone { &last.splice, caretAfterRestore };
}

QString TextHistory::textToUndo(const TextStorage &storage) const
{
    if (m_edits.empty())
        return QString();
    const TextStorage::Splice &last = m_edits.back().splice;
    return storage.mid(last.position, last.insertedLength());
}
