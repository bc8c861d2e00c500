// Chooses the row function for a pass. Nothing is cached: the CPU's features
// are read on each call, so there is no lazily written global for two threads
// to race on and no constructor that runs at load.
#ifndef IME_GRAPHICS_COLOR_ROW_DISPATCH_H
#define IME_GRAPHICS_COLOR_ROW_DISPATCH_H

#include <stddef.h>
#include <stdint.h>

#include "color/row.h"

namespace ime {

// The x86 paths are in order of width: a CPU that runs one runs those before.
enum class RowPath { kC, kSse2, kAvx2, kAvx512, kNeon };

bool rowPathAvailable(RowPath path);

// The fastest available path for a pass over `words` pixel words.
RowPath bestRowPath(size_t words);

// The four rows of `path`; `path` must be available.
Rows pathRows(RowPath path);

// The row of `path` for the given mode, clamping each channel to the alpha
// for premultiplied pixels.
RowFunction rowFunction(RowPath path, bool night, bool premultiplied = false);

#if IME_ROWS_X86
// What decides the x86 path: CPUID leaf 1 ECX, leaf 7 EBX (0 where the CPU
// has no leaf 7), and XCR0, whose bits say which registers the OS saves on
// a context switch.
struct X86CpuState {
  uint32_t leaf1Ecx;
  uint32_t leaf7Ebx;
  uint32_t xcr0;
};

// The widest path a CPU in `state` can run: AVX2 and AVX-512 need the CPU's
// feature bits and the OS's promise to save the YMM (and ZMM) registers.
RowPath widestX86Path(const X86CpuState& state);

// Passes shorter than this take the SSE2 rows without asking the CPU.
constexpr size_t kWideMinWords = size_t{1} << 15;
#endif

}  // namespace ime

#endif
