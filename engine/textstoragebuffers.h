#pragma once

#include "engine/textstorage.h"

#include <QByteArray>
#include <QStringView>

#include <algorithm>
#include <atomic>
#include <memory>
#include <vector>

// The memory that a storage's pieces point into, and that only the storage owns: one-byte
// runs handed over or compacted, and UTF-16 text written into chunks.
//
// Invariant: a unit once stored never moves or changes while the buffers live. Only the last
// chunk, current, is written to, and the first `used` of its `capacity` units are taken.
struct TextStorage::Buffers
{
    // Typed text is gathered in chunks of this size; each keystroke then costs no allocation.
    static constexpr qsizetype ChunkUnits = 16 * 1024;

    // Buffers are told apart by a number never given twice: a later storage's buffer may take
    // the memory, and so the address, of one that has gone.
    inline static std::atomic<quint64> made { 0 };
    const quint64 id = ++made;
    std::vector<QByteArray> kept;
    std::vector<std::unique_ptr<char16_t[]>> chunks;
    char16_t *current = nullptr;
    qsizetype used = 0;
    qsizetype capacity = 0;

    const char16_t *write(QStringView text)
    {
        if (capacity - used < text.size()) {
            capacity = std::max(ChunkUnits, text.size());
            chunks.emplace_back(new char16_t[std::size_t(capacity)]);
            current = chunks.back().get();
            used = 0;
        }
        char16_t *out = current + used;
        std::copy(text.utf16(), text.utf16() + text.size(), out);
        used += text.size();
        return out;
    }

    // Whether text written now lands right after the piece, so the piece can simply grow.
    bool canExtend(const Piece &piece, qsizetype units) const
    {
        return piece.wide && piece.units() + piece.length == current + used
            && capacity - used >= units && piece.length + units <= MaximumPiece;
    }
};
