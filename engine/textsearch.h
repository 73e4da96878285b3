#pragma once

#include "engine/textstorage.h"

#include <QByteArray>
#include <QStringView>

#include <atomic>

// One search of a storage for a needle, as TextStorage::indexOf() does it: a long text is
// searched in two halves side by side.
//
// Invariant: the storage is not edited while the search lives, and once m_found is set the
// earlier half of a split search has its match, so the later half may stop.
class TextSearch
{
public:
    TextSearch(const TextStorage &text, QStringView needle, Progress *progress);

    // The first match at or after from, which is within the text, of a needle that is not
    // empty; -1 when there is none.
    qsizetype find(qsizetype from);

private:
    // The matches that begin in pieces index (from offset in it) to last, not included. Gives
    // up, returning -1, once m_found is set.
    qsizetype searchPieces(std::size_t index, qint32 offset, std::size_t last) const;

    const TextStorage &m_text;
    const QStringView m_needle;
    Progress *const m_progress;
    // A one-byte piece is searched as bytes only for a needle that has a one-byte form.
    const bool m_narrowNeedle;
    const QByteArray m_narrow;
    std::atomic<bool> m_found { false };
};
