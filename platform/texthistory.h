#pragma once

#include "platform/textstorage.h"

#include <optional>

// The classic edit control's undo: only the last edit can be taken back, and taking it back
// again puts it back. A run of typing, or of Backspace or Delete over neighbouring text,
// counts as one edit, the way users of the platform's text boxes know it.
class TextHistory
{
public:
    enum class Kind { Typing, Backspace, Delete, Other };

    struct Edit
    {
        TextStorage::Splice splice;
        Kind kind = Kind::Other;
        // Whether a caret at the edit's position goes after the text when it is put back: true
        // when the text was removed from the caret's left, or was typed.
        bool caretAfterRestore = true;
        // The same when an undone edit's own text is put back, which a caret always passes.
        bool caretAfterReinsert = true;
    };

    void clear();
    void record(Edit edit);
    bool isEmpty() const { return !m_last.has_value(); }
    // Takes the last edit back, or puts it back after an undo; returns what was done to the
    // storage, as an edit.
    std::optional<Edit> undo(TextStorage &storage);

private:
    bool merge(const Edit &edit);

    std::optional<Edit> m_last;
    bool m_undone = false;
};
