// The AVX-512 rows built on SIMDe, which carries out each AVX-512 intrinsic
// in portable code, so that on a CPU without AVX-512 the row tests and the
// exhaustive test still hold their lane arithmetic, heads and tails to the
// reference. The source is the library's own; only the intrinsics differ.
#include <immintrin.h>
#include <string.h>

#define SIMDE_ENABLE_NATIVE_ALIASES
#include <simde/x86/avx512.h>

// The three this version of SIMDe lacks, lane by lane. The masked load and
// store touch only the words their mask selects, as the instructions do.
static inline simde__m512i mulhiEpu16(simde__m512i a, simde__m512i b) {
  uint16_t x[32], y[32];
  memcpy(x, &a, 64);
  memcpy(y, &b, 64);
  for (int i = 0; i < 32; ++i) x[i] = uint16_t(uint32_t(x[i]) * y[i] >> 16);
  memcpy(&a, x, 64);
  return a;
}
static inline simde__m512i maskzLoaduEpi32(simde__mmask16 k, const void* p) {
  uint32_t words[16] = {};
  for (int i = 0; i < 16; ++i) {
    if (k >> i & 1) memcpy(&words[i], static_cast<const char*>(p) + 4 * i, 4);
  }
  simde__m512i v;
  memcpy(&v, words, 64);
  return v;
}
static inline void maskStoreuEpi32(void* p, simde__mmask16 k, simde__m512i v) {
  uint32_t words[16];
  memcpy(words, &v, 64);
  for (int i = 0; i < 16; ++i) {
    if (k >> i & 1) memcpy(static_cast<char*>(p) + 4 * i, &words[i], 4);
  }
}

#define _mm512_mulhi_epu16 mulhiEpu16
#define _mm512_maskz_loadu_epi32 maskzLoaduEpi32
#define _mm512_mask_storeu_epi32 maskStoreuEpi32
#define IME_AVX512
#define IME_KEEP_IN_REGISTER(v) (void)(v)
#include "color/row_avx512.cc"
