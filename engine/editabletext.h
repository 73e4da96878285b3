#pragma once

#include "engine/textstorage.h"

#include <QString>

struct ControlFont;

// The text that the window's commands work on, as they see it: whole-text reads and writes,
// the selection, the clipboard and the one-step undo. The editing area implements it; the
// commands need no widget, so they can be tried on a model alone. ControlFont is only
// declared here, so the model layer stays free of the GUI module; a caller includes it.
class EditableText
{
public:
    virtual ~EditableText() = default;

    virtual const TextStorage &storage() const = 0;
    // Line breaks are single '\n' characters.
    virtual QString text() const = 0;
    virtual void setText(const QString &text) = 0;
    virtual void setText(TextStorage &&text) = 0;
    virtual qsizetype textLength() const = 0;
    virtual void setSelStart(qsizetype position) = 0;
    virtual void setSelLength(qsizetype length) = 0;
    // The face, style and size the text is shown in.
    virtual ControlFont controlFont() const = 0;

    // The classic edit control's undo: one step, and a second undo takes the first one back.
    virtual void undoLastEdit() = 0;
    virtual void cut() = 0;
    virtual void copy() = 0;
    virtual void paste() = 0;
    // Puts the user's typing back into the text once a command is done.
    virtual void takeFocus() = 0;
};
