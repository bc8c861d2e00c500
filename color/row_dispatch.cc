#include "color/row_dispatch.h"

#if IME_ROWS_X86
#include <cpuid.h>
#endif

namespace ime {

#if IME_ROWS_X86
namespace {

// CPUID leaf 1 ECX: the OS enabled XSAVE (so XGETBV may run), and AVX.
constexpr uint32_t kOsxsaveAndAvx = 1u << 27 | 1u << 28;

// CPUID traps to the hypervisor in a VM: the four queries __get_cpuid and
// __get_cpuid_count make took 6 us on one cloud VM and 60 us on another. So
// it is asked as little as it can be: leaf 1 alone where it shows no AVX,
// and leaf 7 straight after it otherwise (a CPU with XSAVE reports leaf 0xD,
// so it has leaf 7), which halves the cost. Passes below kWideMinWords do
// not ask at all.
X86CpuState readX86CpuState() {
  X86CpuState state{0, 0, 0};
  unsigned eax, ebx, ecx, edx;
  __cpuid(1, eax, ebx, ecx, edx);
  state.leaf1Ecx = ecx;
  if ((ecx & kOsxsaveAndAvx) != kOsxsaveAndAvx) return state;
  __cpuid_count(7, 0, eax, ebx, ecx, edx);
  state.leaf7Ebx = ebx;
  unsigned xcr0High;
  __asm__("xgetbv" : "=a"(state.xcr0), "=d"(xcr0High) : "c"(0));
  return state;
}

}  // namespace

RowPath widestX86Path(const X86CpuState& state) {
  if ((state.leaf1Ecx & kOsxsaveAndAvx) != kOsxsaveAndAvx) {
    return RowPath::kSse2;
  }
  const uint32_t kYmmState = 0x06, kZmmState = 0xE6;
  const uint32_t kAvx2 = 1u << 5, kAvx512F = 1u << 16, kAvx512BW = 1u << 30;
  const bool avx2 = (state.xcr0 & kYmmState) == kYmmState &&
                    (state.leaf7Ebx & kAvx2) != 0;
  const bool avx512 = avx2 && (state.xcr0 & kZmmState) == kZmmState &&
                      (state.leaf7Ebx & (kAvx512F | kAvx512BW)) ==
                          (kAvx512F | kAvx512BW);
  return avx512 ? RowPath::kAvx512 : avx2 ? RowPath::kAvx2 : RowPath::kSse2;
}
#endif

bool rowPathAvailable(RowPath path) {
  switch (path) {
    case RowPath::kC:
      return true;
#if IME_ROWS_X86
    case RowPath::kSse2:
    case RowPath::kAvx2:
    case RowPath::kAvx512:
      return path <= widestX86Path(readX86CpuState());
#endif
#if IME_ROWS_NEON
    case RowPath::kNeon:
      return true;
#endif
    default:
      return false;
  }
}

RowPath bestRowPath(size_t words) {
#if IME_ROWS_X86
  if (words < kWideMinWords) return RowPath::kSse2;
  return widestX86Path(readX86CpuState());
#elif IME_ROWS_NEON
  (void)words;
  return RowPath::kNeon;
#else
  (void)words;
  return RowPath::kC;
#endif
}

Rows pathRows(RowPath path) {
  switch (path) {
#if IME_ROWS_X86
    case RowPath::kSse2:
      return rowsSse2();
    case RowPath::kAvx2:
      return rowsAvx2();
    case RowPath::kAvx512:
      return rowsAvx512();
#endif
#if IME_ROWS_NEON
    case RowPath::kNeon:
      return rowsNeon();
#endif
    default:
      return rowsC();
  }
}

RowFunction rowFunction(RowPath path, bool night, bool premultiplied) {
  const Rows rows = pathRows(path);
  return premultiplied ? (night ? rows.nightPremul : rows.dayPremul)
                       : (night ? rows.night : rows.day);
}

}  // namespace ime
