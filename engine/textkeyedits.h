#pragma once

#include "engine/texteditingmodel.h"
#include "engine/textnavigator.h"

#include <optional>

class QKeyEvent;

// The keys that change the text, as edits of the model: typing, Backspace and Delete, the word
// deletions and Enter. Each takes away the selection when there is one.
class TextKeyEdits
{
public:
    TextKeyEdits(TextEditingModel &model, TextNavigator &navigator);

    // What the key did to the text; nothing when it is not a key that edits.
    std::optional<TextChange> edit(const QKeyEvent &event);

private:
    std::optional<TextChange> type(const QKeyEvent &event);
    TextChange removeTo(qsizetype to, TextHistory::Kind kind, bool caretAfterRestore);

    TextEditingModel &m_model;
    TextNavigator &m_navigator;
};
