// Row functions: each converts `count` consecutive 32-bit pixel words in place,
// starting at `pixels` (any byte alignment). Every row function of one mode
// produces exactly what the portable C row produces; the vector rows only do
// it faster. Each path has four: night and day, and the same for
// premultiplied pixels, whose mapped channels are held to the word's alpha.
// Each row file hands out its four as one Rows value.
#ifndef IME_GRAPHICS_COLOR_ROW_H
#define IME_GRAPHICS_COLOR_ROW_H

#include <stddef.h>
#include <stdint.h>

// Which vector rows this target builds: SSE2, AVX2 and AVX-512 on both x86
// ABIs (chosen at run time), NEON on arm64 and on armeabi-v7a, where Android
// builds with NEON.
#if defined(__x86_64__) || defined(__i386__)
#define IME_ROWS_X86 1
#elif defined(__ARM_NEON)
#define IME_ROWS_NEON 1
#endif

namespace ime {

using RowFunction = void (*)(uint8_t* pixels, size_t count);

// The four rows of one path, returned by value: no table of pointers needs a
// page the loader writes.
struct Rows {
  RowFunction night, day, nightPremul, dayPremul;
};

// Each address passes through a register, so it is made in code. GCC would
// otherwise copy all four from one constant, and a constant holding
// addresses lives in writable data in a shared library, relocated at load.
inline Rows makeRows(RowFunction night, RowFunction day,
                     RowFunction nightPremul, RowFunction dayPremul) {
  __asm__("" : "+r"(night), "+r"(day), "+r"(nightPremul), "+r"(dayPremul));
  return {night, day, nightPremul, dayPremul};
}

// Portable reference, with the one-entry cache of the last word seen.
Rows rowsC();

#if IME_ROWS_X86
// How far ahead of the words it converts an AVX2 or AVX-512 row asks for a
// cache line. The hardware prefetchers stop at a 4 KB page boundary, so a
// pass that streams through a bitmap waits for the first lines of each page;
// asking a page ahead hides that wait whether the bitmap comes from the
// last-level cache or from memory. A prefetch never faults, so asking past
// the end of the pixels is harmless.
constexpr size_t kPrefetchAhead = 4096;

Rows rowsSse2();
Rows rowsAvx2();
Rows rowsAvx512();
#endif

#if IME_ROWS_NEON
Rows rowsNeon();
#endif

}  // namespace ime

#endif
