#include "kernels/levelkernels.h"

#ifdef OMRIK_X86_KERNELS
#include <immintrin.h>

#include <cstring>

// The program is built for any x86-64 processor; these functions use the instructions that
// came with AVX2 and run only where kernelLevel() found them.
namespace kernels::avx2 {

bool supported()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt")
        && __builtin_cpu_supports("ssse3");
}

namespace {

// For each set of bytes to drop from eight, the shuffle that closes up the ones kept.
struct DropShuffles
{
    quint64 of[256] = {};
};

constexpr DropShuffles makeDropShuffles()
{
    DropShuffles table;
    for (unsigned drop = 0; drop < 256; ++drop) {
        unsigned kept = 0;
        for (unsigned i = 0; i < 8; ++i) {
            if (!(drop >> i & 1))
                table.of[drop] |= quint64(i) << (8 * kept++);
        }
    }
    return table;
}

constexpr DropShuffles dropShuffles = makeDropShuffles();

} // namespace

// In a text whose usual line end is CR LF, the blocks of sixteen bytes in which every CR begins
// a CR LF pair and every LF ends one lose their CRs at once, by a shuffle of each half, instead
// of line by line: most lines of such a file are that.
__attribute__((target("ssse3,popcnt"))) qsizetype dropPairedCrs(
    char *data, qsizetype &at, qsizetype to, qsizetype out)
{
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    while (at + 16 <= to) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(data + at));
        const unsigned crs = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(block, cr)));
        const unsigned lfs = unsigned(_mm_movemask_epi8(_mm_cmpeq_epi8(block, lf)));
        // A CR last in the block may begin a pair that the next block ends.
        if (lfs != ((crs << 1) & 0xffff) || (crs & 0x8000) != 0)
            break;
        // out never passes at, and the block is loaded, so the stores cover nothing unread.
        const auto store = [data](qsizetype where, __m128i bytes) {
            std::memcpy(data + where, &bytes, 8);
        };
        const __m128i low
            = _mm_shuffle_epi8(block, _mm_set1_epi64x(qint64(dropShuffles.of[crs & 0xff])));
        const __m128i high = _mm_shuffle_epi8(
            _mm_srli_si128(block, 8), _mm_set1_epi64x(qint64(dropShuffles.of[crs >> 8])));
        store(out, low);
        out += 8 - __builtin_popcount(crs & 0xff);
        store(out, high);
        out += 8 - __builtin_popcount(crs >> 8);
        at += 16;
    }
    return out;
}

namespace {

// Which of 32 places may hold the needle by its first, middle and last bytes.
__attribute__((target("avx2"), always_inline)) inline __m256i matchesAt(
    const char *place, qsizetype size, __m256i first, __m256i centre, __m256i last)
{
    const auto *const starts = reinterpret_cast<const __m256i *>(place);
    const auto *const middles = reinterpret_cast<const __m256i *>(place + size / 2);
    const auto *const ends = reinterpret_cast<const __m256i *>(place + size - 1);
    return _mm256_and_si256(_mm256_and_si256(_mm256_cmpeq_epi8(_mm256_loadu_si256(starts), first),
                                _mm256_cmpeq_epi8(_mm256_loadu_si256(ends), last)),
        _mm256_cmpeq_epi8(_mm256_loadu_si256(middles), centre));
}

} // namespace

// Sixty-four places at a time, tried by the needle's first, middle and last bytes: in prose the
// first and last alone match in one block of sixteen, and each such place costs a compare. That
// halves the time of the sixteen-place search, to near the speed of memory.
__attribute__((target("avx2"))) qsizetype findBytes(
    const char *text, qsizetype length, qsizetype &at, const char *wanted, qsizetype size)
{
    const qsizetype middle = size / 2;
    const __m256i first = _mm256_set1_epi8(wanted[0]);
    const __m256i centre = _mm256_set1_epi8(wanted[middle]);
    const __m256i last = _mm256_set1_epi8(wanted[size - 1]);
    for (; at + 64 + size - 1 <= length; at += 64) {
        const __m256i low = matchesAt(text + at, size, first, centre, last);
        const __m256i high = matchesAt(text + at + 32, size, first, centre, last);
        const __m256i any = _mm256_or_si256(low, high);
        if (_mm256_testz_si256(any, any))
            continue;
        for (quint64 mask = quint64(quint32(_mm256_movemask_epi8(low)))
                 | quint64(quint32(_mm256_movemask_epi8(high))) << 32;
             mask != 0;
             mask &= mask - 1) {
            const qsizetype candidate = at + __builtin_ctzll(mask);
            if (std::memcmp(text + candidate + 1, wanted + 1, std::size_t(size - 2)) == 0)
                return candidate;
        }
    }
    return -1;
}

// Sixty-four bytes at a time: loading a file of gigabytes measures every line of it. A line
// that begins and ends inside one block is shorter than 64, so once a line that long has been
// seen, the block's other lines are only counted.
__attribute__((target("avx2,popcnt"))) void measureLines(
    const uchar *bytes, qint32 length, qint32 &i, LineMeasure &lines)
{
    const __m256i newline = _mm256_set1_epi8('\n');
    for (; i + 64 <= length; i += 64) {
        const auto *const block = reinterpret_cast<const __m256i *>(bytes + i);
        quint64 mask
            = quint32(_mm256_movemask_epi8(_mm256_cmpeq_epi8(_mm256_loadu_si256(block), newline)))
            | quint64(quint32(
                  _mm256_movemask_epi8(_mm256_cmpeq_epi8(_mm256_loadu_si256(block + 1), newline))))
                << 32;
        if (mask == 0)
            continue;
        lines.lineEnds(i + qint32(__builtin_ctzll(mask)));
        mask &= mask - 1;
        if (lines.longest < 64) {
            for (; mask != 0; mask &= mask - 1)
                lines.lineEnds(i + qint32(__builtin_ctzll(mask)));
        } else if (mask != 0) {
            lines.count += __builtin_popcountll(mask);
            lines.lineStart = i + 64 - qint32(__builtin_clzll(mask));
        }
    }
}

} // namespace kernels::avx2
#endif
