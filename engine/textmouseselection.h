#pragma once

#include "engine/textnavigator.h"

#include <utility>

// What a drag with the left button selects. Within the word it began in it selects
// characters; once it leaves that word it selects whole words, as users of classic edit
// controls expect. After a double-click it keeps the word clicked and grows by words.
class TextMouseSelection
{
public:
    explicit TextMouseSelection(const TextNavigator &navigator);

    // plain: pressed without a modifier, so a drag from here may go by words.
    void press(qsizetype position, bool plain);
    void doubleClick(std::pair<qsizetype, qsizetype> word);
    void release();
    // The anchor and caret after dragging to position, with the selection's anchor now at
    // anchor.
    std::pair<qsizetype, qsizetype> dragTo(qsizetype position, qsizetype anchor) const;

private:
    std::pair<qsizetype, qsizetype> byWholeWords(qsizetype to, qsizetype anchor) const;
    std::pair<qsizetype, qsizetype> byWordsFromClick(qsizetype to) const;

    const TextNavigator &m_navigator;
    // Where a plain drag began; -1 when no such drag is going on.
    qsizetype m_dragStart = -1;
    // The word a double-click selected, or -1s.
    std::pair<qsizetype, qsizetype> m_clickedWord { -1, -1 };
};
