#pragma once

// The program is built for any x86-64 processor; loops over gigabytes take wider steps where
// the processor can (AVX2, and the instructions that came before it), chosen when it runs.
#if defined(__GNUC__) && defined(__x86_64__)
#define OMRIK_WIDE_UNITS 1
#include <immintrin.h>

inline bool hasWideUnits()
{
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("popcnt");
    }();
    return has;
}
#endif
