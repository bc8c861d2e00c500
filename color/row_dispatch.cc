#include "color/row_dispatch.h"

#if defined(__x86_64__)
#include <cpuid.h>
#endif

namespace ime {
namespace {

#if defined(__x86_64__)
struct X86Features {
  bool avx2 = false;
  bool avx512 = false;  // F and BW
};

// What the CPU has and the OS saves the registers of.
X86Features readX86Features() {
  X86Features features;
  unsigned eax, ebx, ecx, edx;
  if (!__get_cpuid(1, &eax, &ebx, &ecx, &edx)) return features;
  const unsigned kOsxsave = 1u << 27, kAvx = 1u << 28;
  if ((ecx & (kOsxsave | kAvx)) != (kOsxsave | kAvx)) return features;
  unsigned xcr0, xcr0High;
  __asm__("xgetbv" : "=a"(xcr0), "=d"(xcr0High) : "c"(0));
  if (!__get_cpuid_count(7, 0, &eax, &ebx, &ecx, &edx)) return features;
  const unsigned kYmmState = 0x06, kZmmState = 0xE6;
  const unsigned kAvx2 = 1u << 5, kAvx512F = 1u << 16, kAvx512BW = 1u << 30;
  features.avx2 = (xcr0 & kYmmState) == kYmmState && (ebx & kAvx2) != 0;
  features.avx512 = (xcr0 & kZmmState) == kZmmState &&
                    (ebx & (kAvx512F | kAvx512BW)) == (kAvx512F | kAvx512BW);
  return features;
}

// CPUID traps to the hypervisor in a VM: asking for the features took 6 us
// on one cloud VM, what SSE2 needs for some 17,000 words more than AVX-512
// does. Shorter passes do not ask.
constexpr size_t kWideMinWords = size_t{1} << 15;
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
      return readX86Features().avx2;
    case RowPath::kAvx512:
      return readX86Features().avx512;
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
  if (words < kWideMinWords) return RowPath::kSse2;
  const X86Features features = readX86Features();
  return features.avx512 ? RowPath::kAvx512
         : features.avx2 ? RowPath::kAvx2
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
    case RowPath::kAvx512:
      return night ? nightRowAvx512 : dayRowAvx512;
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
