#include "engine/textmouseselection.h"

TextMouseSelection::TextMouseSelection(const TextNavigator &navigator)
    : m_navigator(navigator)
{ }

void TextMouseSelection::press(qsizetype position, bool plain)
{
    m_clickedWord = { -1, -1 };
    m_dragStart = plain ? position : -1;
}

void TextMouseSelection::doubleClick(std::pair<qsizetype, qsizetype> word)
{
    m_dragStart = -1;
    m_clickedWord = word;
}

void TextMouseSelection::release()
{
    m_dragStart = -1;
    m_clickedWord = { -1, -1 };
}

std::pair<qsizetype, qsizetype> TextMouseSelection::dragTo(
    qsizetype position, qsizetype anchor) const
{
    if (m_dragStart >= 0)
        return byWholeWords(position, anchor);
    if (m_clickedWord.first >= 0)
        return byWordsFromClick(position);
    return { anchor, position };
}

std::pair<qsizetype, qsizetype> TextMouseSelection::byWholeWords(
    qsizetype to, qsizetype anchor) const
{
    const qsizetype from = m_dragStart;
    const auto [startFrom, startTo] = m_navigator.wordAt(from);
    if (startFrom == startTo || (to >= startFrom && to <= startTo))
        return { anchor, to };
    const auto [endFrom, endTo] = m_navigator.wordAt(to);
    const bool forward = to > from;
    qsizetype position = to;
    if (endFrom != endTo)
        position = forward ? endTo : endFrom;
    return { forward ? startFrom : startTo, position };
}

// The selection keeps the word clicked and grows to the word boundary nearest the pointer.
std::pair<qsizetype, qsizetype> TextMouseSelection::byWordsFromClick(qsizetype to) const
{
    const auto [clickedFrom, clickedTo] = m_clickedWord;
    if (to >= clickedFrom && to <= clickedTo)
        return { clickedFrom, clickedTo };
    const auto [from, end] = m_navigator.wordAt(to);
    const qsizetype boundary = from == end ? to : (to - from <= end - to ? from : end);
    return { to < clickedFrom ? clickedTo : clickedFrom, boundary };
}
