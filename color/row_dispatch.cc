#include "color/row_dispatch.h"

#if defined(__x86_64__)
#include <cpuid.h>
#endif

namespace ime {
namespace {

#if defined(__x86_64__)
// AVX2 needs the CPU to have it and the OS to save the YMM state.
bool cpuHasAvx2() {
  unsigned eax, ebx, ecx, edx;
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return false;
  const unsigned kOsxsave = 1u << 27, kAvx = 1u << 28;
  if ((ecx & (kOsxsave | kAvx)) != (kOsxsave | kAvx)) return false;
  unsigned xcr0Low, xcr0High;
  __asm__("xgetbv" : "=a"(xcr0Low), "=d"(xcr0High) : "c"(0));
  if ((xcr0Low & 0x6) != 0x6) return false;  // XMM and YMM state enabled
  if (!__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx)) return false;
  return (ebx & (1u << 5)) != 0;
}

// CPUID traps to the hypervisor in a VM and costs microseconds there; a pass
// this short is done by SSE2 in less time than the question takes.
constexpr size_t kAvx2MinWords = 4096;
#endif

}  // namespace

bool rowPathAvailable(RowPath path) {
  switch (path) {
    case RowPath::kC:
      return true;
#if defined(__x86_64__)
    case RowPath::kSse2:
      return true;
    case RowPath::kAvx2:
      return cpuHasAvx2();
#endif
#if defined(__aarch64__)
    case RowPath::kNeon:
      return true;
#endif
    default:
      return false;
  }
}

RowPath bestRowPath(size_t words) {
#if defined(__x86_64__)
  return words >= kAvx2MinWords && cpuHasAvx2() ? RowPath::kAvx2
                                                : RowPath::kSse2;
#elif defined(__aarch64__)
  (void)words;
  return RowPath::kNeon;
#else
  (void)words;
  return RowPath::kC;
#endif
}

RowFunction rowFunction(RowPath path, bool night) {
  switch (path) {
#if defined(__x86_64__)
    case RowPath::kSse2:
      return night ? nightRowSse2 : dayRowSse2;
    case RowPath::kAvx2:
      return night ? nightRowAvx2 : dayRowAvx2;
#endif
#if defined(__aarch64__)
    case RowPath::kNeon:
      return night ? nightRowNeon : dayRowNeon;
#endif
    default:
      return night ? nightRowC : dayRowC;
  }
}

}  // namespace ime
