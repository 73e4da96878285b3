#include "kernels/levelkernels.h"

#include <atomic>
#include <cstdlib>
#include <cstring>

namespace kernels {

namespace {

KernelLevel detectedLevel()
{
#ifdef OMRIK_X86_KERNELS
    return avx2::supported() ? KernelLevel::Avx2 : KernelLevel::Sse2;
#else
    return KernelLevel::Scalar;
#endif
}

KernelLevel levelAtStart()
{
    const char *asked = std::getenv("OMRIK_KERNELS");
    if (asked && std::strcmp(asked, "scalar") == 0)
        return KernelLevel::Scalar;
    if (asked && std::strcmp(asked, "sse2") == 0)
        return std::min(KernelLevel::Sse2, bestKernelLevel());
    return bestKernelLevel();
}

std::atomic<int> chosenLevel { -1 };

} // namespace

KernelLevel bestKernelLevel()
{
    static const KernelLevel best = detectedLevel();
    return best;
}

KernelLevel kernelLevel()
{
    int level = chosenLevel.load(std::memory_order_relaxed);
    if (level < 0) {
        level = int(levelAtStart());
        chosenLevel.store(level, std::memory_order_relaxed);
    }
    return KernelLevel(level);
}

KernelLevel setKernelLevel(KernelLevel level)
{
    const KernelLevel set = std::min(level, bestKernelLevel());
    chosenLevel.store(int(set), std::memory_order_relaxed);
    return set;
}

#ifdef OMRIK_X86_KERNELS
// Each kernel at the best level chosen; a level adds its wide step to those of the level below.
#define OMRIK_DISPATCH(call)                                                                       \
    if (kernelLevel() == KernelLevel::Scalar)                                                      \
        return scalar::call;                                                                       \
    return sse2::call
#else
#define OMRIK_DISPATCH(call) return scalar::call
#endif

bool isAscii(const char *data, qsizetype length)
{
    OMRIK_DISPATCH(isAscii(data, length));
}

bool isLatin1In1252(const char *data, qsizetype length)
{
    OMRIK_DISPATCH(isLatin1In1252(data, length));
}

bool anySurrogate(const char *bytes, qsizetype count, bool littleEndian)
{
    OMRIK_DISPATCH(anySurrogate(bytes, count, littleEndian));
}

qsizetype compactLines(char *data, qsizetype from, qsizetype to, qsizetype out, OddLineEnds &odd)
{
#ifdef OMRIK_X86_KERNELS
    // Every processor with AVX2 has the shuffles too.
    const bool pairsAtOnce = kernelLevel() == KernelLevel::Avx2 && odd.usual == LineEnd::CrLf;
    if (kernelLevel() != KernelLevel::Scalar)
        return sse2::compactLines(data, from, to, out, odd, pairsAtOnce);
#endif
    return scalar::compactLines(data, from, to, out, odd);
}

qsizetype compactLines(
    char16_t *data, qsizetype from, qsizetype to, qsizetype out, OddLineEnds &odd)
{
    OMRIK_DISPATCH(compactLines(data, from, to, out, odd));
}

// One level only: a table look-up for each byte has no wider form short of AVX-512's
// gathers, and the plain loop already runs at about a gigabyte a second.
bool widenThroughTable(const char *in, qsizetype length, const char16_t *table, char16_t *out)
{
    bool missing = false;
    for (qsizetype i = 0; i < length; ++i) {
        const char16_t unit = table[uchar(in[i])];
        out[i] = unit;
        missing |= unit == NoCharacter;
    }
    return !missing;
}

bool narrowThroughTable(const char16_t *in, qsizetype length, const quint16 *table, char *out)
{
    quint16 missing = 0;
    for (qsizetype i = 0; i < length; ++i) {
        const quint16 byte = table[in[i]];
        out[i] = char(byte);
        missing |= byte;
    }
    return !(missing & NoByte);
}

char *latin1ToUtf8(const char *in, qsizetype length, QByteArrayView ending, char *out)
{
    OMRIK_DISPATCH(latin1ToUtf8(in, length, ending, out));
}

qsizetype findBytes(
    const char *text, qsizetype length, qsizetype from, const char *wanted, qsizetype size)
{
#ifdef OMRIK_X86_KERNELS
    if (kernelLevel() == KernelLevel::Avx2 && size > 1) {
        if (const qsizetype found = avx2::findBytes(text, length, from, wanted, size); found >= 0)
            return found;
    }
#endif
    OMRIK_DISPATCH(findBytes(text, length, from, wanted, size));
}

void measureLines(const uchar *bytes, qint32 length, LineMeasure &lines)
{
    qint32 from = 0;
#ifdef OMRIK_X86_KERNELS
    if (kernelLevel() == KernelLevel::Avx2)
        avx2::measureLines(bytes, length, from, lines);
#endif
    OMRIK_DISPATCH(measureLines(bytes, length, from, lines));
}

} // namespace kernels
