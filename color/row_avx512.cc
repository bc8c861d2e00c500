// AVX-512 (F and BW) rows: sixteen pixels, one cache line, a vector, with the
// byte-lane arithmetic of the AVX2 rows (see row_avx2.cc for the identities).
// Mask registers stand in for three of their vector operations: a byte blend
// under a constant mask joins the even and odd products, the day rows add the
// half to the channel bytes only under a constant mask, and the transparent
// words are kept by a move under a mask that one test makes.
// Built with a target attribute; the dispatcher calls these only where the
// CPU and OS support AVX-512.
#include <immintrin.h>
#include <stdint.h>

#include "color/channel_mapping.h"
#include "color/row.h"

#ifndef IME_AVX512
#define IME_AVX512 __attribute__((target("avx512f,avx512bw")))
#endif

// Keeps a loaded vector in its register. GCC would otherwise fold the load
// into each of the three operations that read it (an EVEX operation can take
// its operand from memory), and three loads a cache line hold back a row
// whose arithmetic takes as few cycles as these.
#ifndef IME_KEEP_IN_REGISTER
#define IME_KEEP_IN_REGISTER(v) __asm__("" : "+v"(v))
#endif

namespace ime {
namespace {

// Byte masks: the high byte of each 16-bit lane, and the three channel bytes
// (not the alpha) of each word.
constexpr uint64_t kOddBytes = 0xAAAAAAAAAAAAAAAAu;
constexpr uint64_t kChannelBytes = 0x7777777777777777u;

// 33 in each channel byte, 0 in the alpha byte.
IME_AVX512 inline __m512i channelThirtyThrees() {
  return _mm512_set1_epi32(0x00212121);
}

IME_AVX512 inline __m512i nightVector(__m512i in) {
  const __m512i even =
      _mm512_mulhi_epu16(_mm512_slli_epi16(in, 8), _mm512_set1_epi16(170));
  const __m512i odd = _mm512_mullo_epi16(_mm512_srli_epi16(in, 8),
                                         _mm512_set1_epi32(256 << 16 | 170));
  const __m512i joined = _mm512_mask_blend_epi8(kOddBytes, even, odd);
  return _mm512_subs_epu8(joined, channelThirtyThrees());
}

// The AVX2 row adds its compare (0xFF where u < 85); here a subtract of 1
// under the compare's mask does the same.
IME_AVX512 inline __m512i dayVector(__m512i in) {
  const __m512i u = _mm512_adds_epu8(in, channelThirtyThrees());
  const __mmask64 below = _mm512_cmplt_epu8_mask(u, _mm512_set1_epi8(85));
  const __m512i half =
      _mm512_avg_epu8(_mm512_mask_sub_epi8(u, below, u, _mm512_set1_epi8(1)),
                      _mm512_setzero_si512());
  return _mm512_mask_adds_epu8(u, kChannelBytes, u, half);
}

// The alpha byte of each word in all four of its bytes, for the premultiplied
// rows' clamp (see row_sse2.cc).
IME_AVX512 inline __m512i alphaInEveryByte(__m512i in) {
  const __m512i alphaBytes =
      _mm512_set4_epi32(0x0F0F0F0F, 0x0B0B0B0B, 0x07070707, 0x03030303);
  return _mm512_shuffle_epi8(in, alphaBytes);
}

// The whole conversion of one vector: mapped, clamped to the alpha for
// premultiplied pixels, transparent words kept.
template <__m512i (*Map)(__m512i), bool kPremultiplied>
IME_AVX512 inline __m512i convertVector(__m512i in) {
  __m512i out = Map(in);
  if (kPremultiplied) out = _mm512_min_epu8(out, alphaInEveryByte(in));
  const __mmask16 visible = _mm512_test_epi32_mask(
      in, _mm512_set1_epi32(static_cast<int>(kAlphaMask)));
  return _mm512_mask_mov_epi32(in, visible, out);
}

// Converts the first `count` (below 16) words; masked lanes are neither read
// nor written, so this never touches memory past the run.
template <__m512i (*Convert)(__m512i)>
IME_AVX512 inline void convertPartial(uint8_t* pixels, size_t count) {
  if (count == 0) return;
  const __mmask16 lanes = static_cast<__mmask16>((1u << count) - 1);
  _mm512_mask_storeu_epi32(pixels, lanes,
                           Convert(_mm512_maskz_loadu_epi32(lanes, pixels)));
}

// Full vectors start on a 64-byte boundary where the words allow it: a load
// or store split across two cache lines costs this pass half its speed. Each
// asks for the line kPrefetchAhead on.
template <__m512i (*Map)(__m512i), bool kPremultiplied>
IME_AVX512 void convertRow(uint8_t* pixels, size_t count) {
  const uintptr_t address = reinterpret_cast<uintptr_t>(pixels);
  size_t head = address % 4 == 0 ? (64 - address % 64) % 64 / 4 : 0;
  if (head > count) head = count;
  constexpr auto Convert = convertVector<Map, kPremultiplied>;
  convertPartial<Convert>(pixels, head);
  pixels += 4 * head;
  count -= head;
  for (; count >= 16; count -= 16, pixels += 64) {
    _mm_prefetch(reinterpret_cast<const char*>(pixels) + kPrefetchAhead,
                 _MM_HINT_T0);
    __m512i in = _mm512_loadu_si512(pixels);
    IME_KEEP_IN_REGISTER(in);
    _mm512_storeu_si512(pixels, Convert(in));
  }
  convertPartial<Convert>(pixels, count);
}

}  // namespace

Rows rowsAvx512() {
  return makeRows(convertRow<nightVector, false>, convertRow<dayVector, false>,
                  convertRow<nightVector, true>, convertRow<dayVector, true>);
}

}  // namespace ime
