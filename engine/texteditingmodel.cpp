#include "engine/texteditingmodel.h"

#include <algorithm>

QString TextChange::removedText(qsizetype most) const
{
    if (!removedPieces)
        return QString();
    std::vector<TextStorage::Piece> pieces;
    for (const TextStorage::Piece &piece : *removedPieces) {
        if (most <= 0)
            break;
        pieces.push_back(piece);
        most -= piece.length;
    }
    QString text = TextStorage::textOf(pieces);
    if (most < 0) {
        text.truncate(text.size() + most);
        if (!text.isEmpty() && text.back().isHighSurrogate())
            text.chop(1);
    }
    return text;
}

TextStorage::SharedPieces TextChange::piecesBefore(
    const TextStorage &after, qsizetype from, qsizetype to) const
{
    // Most often it is just what was taken out: a selection typed over or cut.
    if (removed > 0 && from == at && to == at + removed)
        return removedPieces;
    std::vector<TextStorage::Piece> pieces;
    const auto append = [&pieces](std::vector<TextStorage::Piece> &&part) {
        if (pieces.empty())
            pieces = std::move(part);
        else
            pieces.insert(pieces.end(), part.begin(), part.end());
    };
    const qsizetype removedEnd = at + removed;
    if (from < at)
        append(after.piecesOf(from, std::min(to, at) - from));
    if (to > at && from < removedEnd) {
        const qsizetype start = std::max(from, at);
        append(
            TextStorage::slicePieces(*removedPieces, start - at, std::min(to, removedEnd) - start));
    }
    if (to > removedEnd) {
        const qsizetype start = std::max(from, removedEnd);
        append(after.piecesOf(start - removed + added, to - start));
    }
    return std::make_shared<const std::vector<TextStorage::Piece>>(std::move(pieces));
}

void TextEditingModel::setText(TextStorage &&text)
{
    m_storage = std::move(text);
    m_history.clear();
    m_anchor = m_caret = 0;
    ++m_revision;
}

qsizetype TextEditingModel::clamped(qsizetype position) const
{
    return std::clamp<qsizetype>(position, 0, m_storage.length());
}

void TextEditingModel::select(qsizetype anchor, qsizetype caret)
{
    m_anchor = clamped(anchor);
    m_caret = clamped(caret);
}

void TextEditingModel::moveCaret(qsizetype position, bool keepAnchor)
{
    m_caret = clamped(position);
    if (!keepAnchor)
        m_anchor = m_caret;
}

TextChange TextEditingModel::replace(
    qsizetype from, qsizetype to, QStringView text, TextHistory::Kind kind, bool typingContinues)
{
    TextHistory::Edit edit;
    edit.kind = kind;
    edit.caretAfterRestore = m_anchor < m_caret;
    edit.typingContinues = typingContinues;
    return apply(from, to, text, std::move(edit));
}

TextChange TextEditingModel::remove(
    qsizetype from, qsizetype to, TextHistory::Kind kind, bool caretAfterRestore)
{
    from = clamped(from);
    to = std::clamp(to, from, m_storage.length());
    // A removed line break ends a run of Backspace or Delete presses.
    if (kind == TextHistory::Kind::Removal && m_storage.lineOf(from) != m_storage.lineOf(to))
        kind = TextHistory::Kind::Other;
    TextHistory::Edit edit;
    edit.kind = kind;
    edit.caretAfterRestore = caretAfterRestore;
    return apply(from, to, {}, std::move(edit));
}

TextChange TextEditingModel::apply(
    qsizetype from, qsizetype to, QStringView text, TextHistory::Edit edit)
{
    from = clamped(from);
    to = std::clamp(to, from, m_storage.length());
    TextChange change;
    change.at = from;
    if (from == to && text.isEmpty())
        return change;
    change.linesBefore = m_storage.lineCount();
    edit.splice = m_storage.replace(from, to - from, text);
    change.removed = to - from;
    change.added = text.size();
    change.removedPieces = edit.splice.removed;
    m_history.record(std::move(edit));
    m_anchor = m_caret = from + text.size();
    ++m_revision;
    return change;
}

TextChange TextEditingModel::undo()
{
    const qsizetype linesBefore = m_storage.lineCount();
    const std::optional<TextHistory::Undone> done = m_history.undo(m_storage);
    TextChange change;
    if (!done)
        return change;
    const TextStorage::Splice &splice = *done->splice;
    change.at = splice.position;
    change.removed = splice.removedLength();
    change.added = splice.insertedLength();
    change.linesBefore = linesBefore;
    change.removedPieces = splice.removed;
    // Each end of the selection follows the text the way a cursor in the document would.
    const auto follow = [&](qsizetype position) {
        const qsizetype kept = position >= change.at + change.removed
            ? position - change.removed
            : std::min(position, change.at);
        if (kept > change.at || (kept == change.at && done->caretAfterRestore))
            return kept + change.added;
        return kept;
    };
    m_anchor = follow(m_anchor);
    m_caret = follow(m_caret);
    ++m_revision;
    return change;
}
