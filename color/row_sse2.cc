// SSE2 rows, the x86 baseline: four pixels a vector, with the byte-lane
// arithmetic of the AVX2 rows (see row_avx2.cc for the identities), where
// masks stand in for the blends SSE2 lacks. For premultiplied pixels an
// unsigned byte minimum with the alpha copied into every byte of its word
// holds each channel to the alpha and keeps the alpha.
#include <emmintrin.h>
#if defined(__SSSE3__)
#include <tmmintrin.h>
#endif

#include "color/channel_mapping.h"
#include "color/row.h"

namespace ime {
namespace {

// `out` where the word is visible, `in` where its alpha byte is 0: alpha + 127
// saturating has its top bit set exactly when alpha is not 0, and an
// arithmetic shift spreads that bit over the word.
inline __m128i keepTransparent(__m128i in, __m128i out) {
  const __m128i visible = _mm_srai_epi32(
      _mm_adds_epu8(in, _mm_set1_epi32(0x7F000000)), 31);
  return _mm_or_si128(_mm_and_si128(visible, out),
                      _mm_andnot_si128(visible, in));
}

// 33 in each channel byte, 0 in the alpha byte.
inline __m128i channelThirtyThrees() { return _mm_set1_epi32(0x00212121); }

inline __m128i nightVector(__m128i in) {
  const __m128i even =
      _mm_mulhi_epu16(_mm_slli_epi16(in, 8), _mm_set1_epi16(170));
  const __m128i odd = _mm_mullo_epi16(_mm_srli_epi16(in, 8),
                                      _mm_set1_epi32(256 << 16 | 170));
  const __m128i joined = _mm_or_si128(
      even, _mm_and_si128(odd, _mm_set1_epi16(static_cast<short>(0xFF00))));
  return _mm_subs_epu8(joined, channelThirtyThrees());
}

inline __m128i dayVector(__m128i in) {
  const __m128i u = _mm_adds_epu8(in, channelThirtyThrees());
  const __m128i below = _mm_cmpeq_epi8(_mm_min_epu8(u, _mm_set1_epi8(84)), u);
  const __m128i half =
      _mm_avg_epu8(_mm_add_epi8(u, below), _mm_setzero_si128());
  return _mm_adds_epu8(u, _mm_and_si128(half, _mm_set1_epi32(0x00FFFFFF)));
}

// The alpha byte of each word in all four of its bytes: one shuffle where
// the target has SSSE3, as both Android x86 ABIs do; five shifts and ORs on
// the bare x86-64 baseline.
inline __m128i alphaInEveryByte(__m128i in) {
#if defined(__SSSE3__)
  return _mm_shuffle_epi8(
      in, _mm_set_epi32(0x0F0F0F0F, 0x0B0B0B0B, 0x07070707, 0x03030303));
#else
  const __m128i a = _mm_srli_epi32(in, 24);
  const __m128i a2 = _mm_or_si128(a, _mm_slli_epi32(a, 8));
  return _mm_or_si128(a2, _mm_slli_epi32(a2, 16));
#endif
}

template <__m128i (*Map)(__m128i), bool kPremultiplied,
          uint32_t (*ConvertWord)(uint32_t)>
void convertRow(uint8_t* pixels, size_t count) {
  for (; count >= 4; count -= 4, pixels += 16) {
    const __m128i in = _mm_loadu_si128(reinterpret_cast<__m128i*>(pixels));
    __m128i out = Map(in);
    if (kPremultiplied) out = _mm_min_epu8(out, alphaInEveryByte(in));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(pixels),
                     keepTransparent(in, out));
  }
  convertEachWord<ConvertWord>(pixels, count);
}

}  // namespace

Rows rowsSse2() {
  return makeRows(convertRow<nightVector, false, nightWord>,
                  convertRow<dayVector, false, dayWord>,
                  convertRow<nightVector, true, nightPremulWord>,
                  convertRow<dayVector, true, dayPremulWord>);
}

}  // namespace ime
