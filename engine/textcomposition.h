#pragma once

#include "engine/texteditingmodel.h"
#include "engine/textlayouts.h"

#include <QInputMethodEvent>
#include <QVariant>

#include <utility>

// Text an input method is composing at the caret: shown in the caret's line but not yet part
// of the text, and what the input method is told about the text around the caret.
class TextComposition
{
public:
    TextComposition(const TextEditingModel &model, TextLayouts &layouts);

    bool isEmpty() const { return m_preedit.isEmpty(); }
    // The caret's place in the composed text.
    int caret() const { return m_caret; }
    // What the committed text of event replaces: the selection, or the stretch next to the
    // caret that the input method names.
    std::pair<qsizetype, qsizetype> commitRange(const QInputMethodEvent &event) const;
    // Shows the event's composing text at the caret, which is where the commit left it.
    void show(const QInputMethodEvent &event);
    void clear();
    // The answers about the text near the caret; an invalid value for any other question.
    QVariant query(Qt::InputMethodQuery query) const;

private:
    const TextEditingModel &m_model;
    TextLayouts &m_layouts;
    QString m_preedit;
    int m_caret = 0;
};
