#pragma once

#include "engine/texteditingmodel.h"

#include <QPointer>

#include <utility>

class TextControl;
class TextSelectionMime;

// What a text control offers as the X11 primary selection. Whoever made the selection, the
// mouse, the keys or the program, it is offered. When it goes, the offer keeps the text that
// was selected last, as X11 programs do, from the pieces that held it before the edit or the
// move.
class PrimarySelectionOffer
{
public:
    explicit PrimarySelectionOffer(const TextControl &control);

    // previous: the selection before the change; edit: the change that moved it, if the text
    // changed.
    void follow(const TextEditingModel &model,
        std::pair<qsizetype, qsizetype> previous,
        const TextChange *edit);
    // What the offer keeps points into the text; it must go before the whole text does.
    void withdraw();

private:
    const TextControl &m_control;
    // The clipboard owns the offer and deletes it when anyone, here or in another program,
    // selects something else.
    QPointer<TextSelectionMime> m_offer;
};
