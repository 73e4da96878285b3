#pragma once

// The program is built for any x86-64 processor; loops over gigabytes take 32 bytes at a time
// where the processor can, chosen when the program runs.
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
