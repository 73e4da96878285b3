#pragma once

#include "engine/textstorage.h"

#include <optional>
#include <vector>

// The classic edit control's undo: only the last edit can be taken back, and taking it back
// again puts it back. A run of typing counts as one edit, and so does a run of single
// characters taken away with Backspace or Delete, the way users of Qt's text boxes know it.
class TextHistory
{
public:
    enum class Kind { Typing, Removal, Other };

    struct Edit
    {
        TextStorage::Splice splice;
        Kind kind = Kind::Other;
        // Whether a caret at the edit's position goes after the text when it is put back: true
        // when the text was removed from the caret's left, or was typed.
        bool caretAfterRestore = true;
        // The same when an undone edit's own text is put back, which a caret always passes.
        bool caretAfterReinsert = true;
        // Whether typing right after this edit's text counts as part of it. Not after Enter, nor
        // after text set with line breaks in it.
        bool typingContinues = true;
    };

    void clear();
    void record(Edit edit);
    bool isEmpty() const { return m_edits.empty(); }
    // What undo() did to the storage; the splice stays valid until the next edit.
    struct Undone
    {
        const TextStorage::Splice *splice = nullptr;
        bool caretAfterRestore = true;
    };

    // Takes the last edit back, or puts it back after an undo.
    std::optional<Undone> undo(TextStorage &storage);
    // The text that undo() would take out of the storage.
    QString textToUndo(const TextStorage &storage) const;

private:
    bool merge(const Edit &edit);

    // Only the last edit can be undone, but the ones before it are kept: when an undone edit
    // is given up for a new one, typing may go on from the edit before it.
    std::vector<Edit> m_edits;
    bool m_undone = false;
};
