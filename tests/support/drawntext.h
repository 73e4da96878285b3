#pragma once

#include "engine/texteditingmodel.h"

#include <QString>

// Texts in tests are drawn with '|' at the caret and '^' at the anchor when something is
// selected, so a case reads as what a user sees: "one ^two|" has "two" selected forwards.
namespace DrawnText {

inline void set(TextEditingModel &model, QString drawn)
{
    const qsizetype caretAt = drawn.indexOf(QLatin1Char('|'));
    drawn.remove(caretAt, 1);
    const qsizetype anchorAt = drawn.indexOf(QLatin1Char('^'));
    if (anchorAt >= 0)
        drawn.remove(anchorAt, 1);
    const qsizetype caret = anchorAt >= 0 && anchorAt < caretAt ? caretAt - 1 : caretAt;
    model.setText(TextStorage::fromText(drawn));
    model.select(anchorAt >= 0 ? anchorAt : caret, caret);
}

inline QString of(const TextEditingModel &model)
{
    QString text = model.storage().toString();
    const qsizetype caret = model.caret();
    const qsizetype anchor = model.anchor();
    text.insert(caret, QLatin1Char('|'));
    if (anchor != caret)
        text.insert(anchor < caret ? anchor : anchor + 1, QLatin1Char('^'));
    return text;
}

// A row name that shows line breaks as \n, so every row of a table stays on one line.
inline QString rowName(const QString &drawn, const QString &what)
{
    QString name = drawn + QLatin1Char(' ') + what;
    return name.replace(QLatin1Char('\n'), QLatin1String("\\n"));
}

} // namespace DrawnText
