#pragma once

#include "engine/editabletext.h"
#include "engine/texteditingmodel.h"
#include "platform/controlfont.h"

#include <functional>

// The text the commands edit, held in the editing model with no widget around it. Cut, copy
// and paste use the system clipboard, as the editing area does.
class MemoryEditableText : public EditableText
{
public:
    const TextStorage &storage() const override { return m_model.storage(); }
    QString text() const override { return storage().toString(); }
    void setText(const QString &text) override { setText(TextStorage::fromText(text)); }
    void setText(TextStorage &&text) override;
    qsizetype textLength() const override { return storage().length(); }
    void setSelStart(qsizetype position) override { m_model.select(position, position); }
    void setSelLength(qsizetype length) override;
    ControlFont controlFont() const override { return m_font; }
    void setControlFont(const ControlFont &font) { m_font = font; }

    void undoLastEdit() override { edited(m_model.undo()); }
    void cut() override;
    void copy() override;
    void paste() override;
    void takeFocus() override { ++focusTaken; }

    qsizetype selStart() const { return m_model.selectionStart(); }
    qsizetype selLength() const { return m_model.selectionEnd() - m_model.selectionStart(); }
    // Text entered as a user types it over the selection.
    void type(const QString &text);

    // Called after every change of the text, as the editing area signals it.
    std::function<void()> onChanged;
    int focusTaken = 0;

private:
    void edited(const TextChange &change);

    TextEditingModel m_model;
    ControlFont m_font;
};
