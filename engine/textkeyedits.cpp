#include "engine/textkeyedits.h"

#include <QKeyEvent>

TextKeyEdits::TextKeyEdits(TextEditingModel &model, TextNavigator &navigator)
    : m_model(model)
    , m_navigator(navigator)
{ }

std::optional<TextChange> TextKeyEdits::edit(const QKeyEvent &event)
{
    const qsizetype caret = m_model.caret();
    using Kind = TextHistory::Kind;
    if (event.key() == Qt::Key_Backspace && !(event.modifiers() & Qt::ControlModifier))
        return removeTo(m_navigator.previousCodePoint(caret), Kind::Removal, true);
    if (event.matches(QKeySequence::Delete))
        return removeTo(m_navigator.nextCharacter(caret), Kind::Removal, false);
    if (event.matches(QKeySequence::DeleteStartOfWord))
        return removeTo(m_navigator.previousWord(caret), Kind::Other, true);
    if (event.matches(QKeySequence::DeleteEndOfWord))
        return removeTo(m_navigator.nextWord(caret), Kind::Other, false);
    if (event.matches(QKeySequence::InsertParagraphSeparator)
        || event.matches(QKeySequence::InsertLineSeparator))
        return m_model.replaceSelection(u"\n", Kind::Other, false);
    return type(event);
}

std::optional<TextChange> TextKeyEdits::type(const QKeyEvent &event)
{
    const QString typed = event.text();
    // Ctrl with a letter is a command, but AltGr arrives as Ctrl+Alt on some systems and types.
    const Qt::KeyboardModifiers modifiers = event.modifiers() & ~Qt::KeypadModifier;
    const bool command = modifiers == Qt::ControlModifier
        || modifiers == (Qt::ControlModifier | Qt::ShiftModifier) || (modifiers & Qt::MetaModifier);
    if (typed.isEmpty() || command || !(typed.at(0).isPrint() || typed.at(0).isSurrogate()))
        return std::nullopt;
    return m_model.replaceSelection(
        typed, m_model.hasSelection() ? TextHistory::Kind::Other : TextHistory::Kind::Typing);
}

TextChange TextKeyEdits::removeTo(qsizetype to, TextHistory::Kind kind, bool caretAfterRestore)
{
    const qsizetype caret = m_model.caret();
    if (m_model.hasSelection())
        return m_model.removeSelection();
    return m_model.remove(std::min(caret, to), std::max(caret, to), kind, caretAfterRestore);
}
