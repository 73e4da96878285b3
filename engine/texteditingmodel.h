#pragma once

#include "engine/texthistory.h"
#include "engine/textstorage.h"

#include <algorithm>
#include <vector>

// What one edit did to the text, for a view to follow.
struct TextChange
{
    // Where text was taken out and put in.
    qsizetype at = 0;
    qsizetype removed = 0;
    qsizetype added = 0;
    qsizetype linesBefore = 0;
    // What was taken out, shared with the undo step; it stays readable until the whole text
    // is replaced. Null only in a change that did nothing.
    TextStorage::SharedPieces removedPieces;

    bool isEmpty() const { return removed == 0 && added == 0; }
    // What was taken out, up to `most` code units of it.
    QString removedText(qsizetype most) const;
    // The pieces that held [from, to) of the text before this change, found in `after`, the
    // text since, and in what was taken out; no text is copied.
    TextStorage::SharedPieces piecesBefore(
        const TextStorage &after, qsizetype from, qsizetype to) const;
};

// The text being edited with its undo step and its selection, and no widget: the edits that
// keys, the mouse and the program make, and the rule that keeps the caret and the selection
// on their text when the text around them changes. Line breaks are '\n'.
class TextEditingModel
{
public:
    const TextStorage &storage() const { return m_storage; }
    qsizetype caret() const { return m_caret; }
    qsizetype anchor() const { return m_anchor; }
    qsizetype selectionStart() const { return std::min(m_anchor, m_caret); }
    qsizetype selectionEnd() const { return std::max(m_anchor, m_caret); }
    bool hasSelection() const { return m_anchor != m_caret; }
    // Changes whenever the text does.
    quint64 revision() const { return m_revision; }

    // A new text: nothing can be undone and the caret is at the start.
    void setText(TextStorage &&text);
    // Positions outside the text are taken as its nearest end.
    void select(qsizetype anchor, qsizetype caret);
    void moveCaret(qsizetype position, bool keepAnchor);

    // The caret ends after the new text. typingContinues: whether typing right after it
    // counts as part of this edit.
    TextChange replace(qsizetype from,
        qsizetype to,
        QStringView text,
        TextHistory::Kind kind,
        bool typingContinues = true);
    TextChange replaceSelection(
        QStringView text, TextHistory::Kind kind, bool typingContinues = true)
    {
        return replace(selectionStart(), selectionEnd(), text, kind, typingContinues);
    }
    // caretAfterRestore: whether a caret at `from` goes after the text when undo puts it back.
    TextChange remove(qsizetype from, qsizetype to, TextHistory::Kind kind, bool caretAfterRestore);
    TextChange removeSelection()
    {
        return remove(
            selectionStart(), selectionEnd(), TextHistory::Kind::Other, m_anchor < m_caret);
    }
    // Takes the last edit back, or puts it back after an undo.
    TextChange undo();

private:
    qsizetype clamped(qsizetype position) const;
    TextChange apply(qsizetype from, qsizetype to, QStringView text, TextHistory::Edit edit);

    TextStorage m_storage;
    TextHistory m_history;
    qsizetype m_anchor = 0;
    qsizetype m_caret = 0;
    quint64 m_revision = 0;
};
