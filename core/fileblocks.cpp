#include "core/fileblocks.h"

#include "core/fileencoding.h"

#include <algorithm>

qsizetype utf8Border(const char *bytes, qsizetype at, qsizetype limit)
{
    while (at < limit && (uchar(bytes[at]) >= 0x80 || (bytes[at] == '\n' && bytes[at - 1] == '\r')))
        ++at;
    return at;
}

qsizetype utf8BlockEnd(const char *bytes, qsizetype start, qsizetype limit)
{
    return utf8Border(bytes, std::min(limit, start + Utf8Block), limit);
}

qsizetype utf8Seam(const char *bytes, qsizetype from, qsizetype to)
{
    return to - from < TwoPartsFrom ? to : utf8Border(bytes, from + (to - from) / 2, to);
}

Utf16Units::Utf16Units(const QByteArray &bytes)
    : bytes(bytes.constData() + 2)
    , count((bytes.size() - 2) / 2)
    , littleEndian(bytes.startsWith(Utf16LeBom))
{ }

qsizetype Utf16Units::seam() const
{
    return utf16Seam(count, [this](qsizetype index) {
        return at(index);
    });
}
