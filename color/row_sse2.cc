// SSE2 rows, the x86-64 baseline: four pixels a vector.
//
// Each 32-bit word is split into two vectors of 16-bit lanes, one holding
// bytes 0 and 2, the other bytes 1 and 3, so every channel gets 16 bits of
// headroom without unpacking. In those lanes
//   night: N(v) = max(0, (85 v - 4224) >> 7)        (the 680/1024 form / 8)
//   day:   D(v) = min(255, ((128 v + 4225) * 771) >> 16)
// both exact for v in 0..255. The alpha lane uses constants that map a to a
// (128 a >> 7 for night, (128 a * 512) >> 16 for day), so alpha needs no
// separate merge; only transparent words are put back whole. For
// premultiplied pixels an unsigned byte minimum with the alpha copied into
// every byte of its word holds each channel to the alpha and keeps the alpha.
#include <emmintrin.h>

#include "color/channel_mapping.h"
#include "color/row.h"

namespace ime {
namespace {

inline __m128i keepTransparent(__m128i in, __m128i out) {
  const __m128i transparent = _mm_cmpeq_epi32(
      _mm_and_si128(in, _mm_set1_epi32(static_cast<int>(kAlphaMask))),
      _mm_setzero_si128());
  return _mm_or_si128(_mm_and_si128(transparent, in),
                      _mm_andnot_si128(transparent, out));
}

inline __m128i nightVector(__m128i in) {
  const __m128i lowBytes = _mm_set1_epi16(0x00FF);
  const __m128i evenScale = _mm_set1_epi16(85);
  const __m128i evenDrop = _mm_set1_epi16(4224);
  const __m128i oddScale = _mm_set1_epi32(128 << 16 | 85);
  const __m128i oddDrop = _mm_set1_epi32(4224);
  __m128i even = _mm_and_si128(in, lowBytes);
  __m128i odd = _mm_srli_epi16(in, 8);
  even = _mm_srli_epi16(
      _mm_subs_epu16(_mm_mullo_epi16(even, evenScale), evenDrop), 7);
  odd = _mm_srli_epi16(_mm_subs_epu16(_mm_mullo_epi16(odd, oddScale), oddDrop),
                       7);
  return _mm_or_si128(even, _mm_slli_epi16(odd, 8));
}

inline __m128i dayVector(__m128i in) {
  const __m128i lowBytes = _mm_set1_epi16(0x00FF);
  const __m128i evenLift = _mm_set1_epi16(4225);
  const __m128i evenScale = _mm_set1_epi16(771);
  const __m128i oddLift = _mm_set1_epi32(4225);
  const __m128i oddScale = _mm_set1_epi32(512 << 16 | 771);
  const __m128i top = _mm_set1_epi16(255);
  __m128i even = _mm_slli_epi16(_mm_and_si128(in, lowBytes), 7);
  __m128i odd = _mm_slli_epi16(_mm_srli_epi16(in, 8), 7);
  even = _mm_min_epi16(
      _mm_mulhi_epu16(_mm_add_epi16(even, evenLift), evenScale), top);
  odd = _mm_min_epi16(_mm_mulhi_epu16(_mm_add_epi16(odd, oddLift), oddScale),
                      top);
  return _mm_or_si128(even, _mm_slli_epi16(odd, 8));
}

// The alpha byte of each word in all four of its bytes.
inline __m128i alphaInEveryByte(__m128i in) {
  const __m128i a = _mm_srli_epi32(in, 24);
  const __m128i a2 = _mm_or_si128(a, _mm_slli_epi32(a, 8));
  return _mm_or_si128(a2, _mm_slli_epi32(a2, 16));
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

void nightRowSse2(uint8_t* pixels, size_t count) {
  convertRow<nightVector, false, nightWord>(pixels, count);
}
void dayRowSse2(uint8_t* pixels, size_t count) {
  convertRow<dayVector, false, dayWord>(pixels, count);
}
void nightPremulRowSse2(uint8_t* pixels, size_t count) {
  convertRow<nightVector, true, nightPremulWord>(pixels, count);
}
void dayPremulRowSse2(uint8_t* pixels, size_t count) {
  convertRow<dayVector, true, dayPremulWord>(pixels, count);
}

}  // namespace ime
