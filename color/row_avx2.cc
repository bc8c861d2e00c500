// AVX2 rows: eight pixels a vector, the same lane arithmetic as the SSE2 rows
// (see row_sse2.cc). Built with a target attribute rather than -mavx2 so that
// nothing shared with other files is compiled for AVX2; the dispatcher calls
// these only where the CPU and OS support AVX2.
#include <immintrin.h>

#include "color/channel_mapping.h"
#include "color/row.h"

#define IME_AVX2 __attribute__((target("avx2")))

namespace ime {
namespace {

IME_AVX2 inline __m256i keepTransparent(__m256i in, __m256i out) {
  const __m256i transparent = _mm256_cmpeq_epi32(
      _mm256_and_si256(in, _mm256_set1_epi32(static_cast<int>(kAlphaMask))),
      _mm256_setzero_si256());
  return _mm256_blendv_epi8(out, in, transparent);
}

IME_AVX2 inline __m256i nightVector(__m256i in) {
  const __m256i lowBytes = _mm256_set1_epi16(0x00FF);
  const __m256i evenScale = _mm256_set1_epi16(85);
  const __m256i evenDrop = _mm256_set1_epi16(4224);
  const __m256i oddScale = _mm256_set1_epi32(128 << 16 | 85);
  const __m256i oddDrop = _mm256_set1_epi32(4224);
  __m256i even = _mm256_and_si256(in, lowBytes);
  __m256i odd = _mm256_srli_epi16(in, 8);
  even = _mm256_srli_epi16(
      _mm256_subs_epu16(_mm256_mullo_epi16(even, evenScale), evenDrop), 7);
  odd = _mm256_srli_epi16(
      _mm256_subs_epu16(_mm256_mullo_epi16(odd, oddScale), oddDrop), 7);
  return _mm256_or_si256(even, _mm256_slli_epi16(odd, 8));
}

IME_AVX2 inline __m256i dayVector(__m256i in) {
  const __m256i lowBytes = _mm256_set1_epi16(0x00FF);
  const __m256i evenLift = _mm256_set1_epi16(4225);
  const __m256i evenScale = _mm256_set1_epi16(771);
  const __m256i oddLift = _mm256_set1_epi32(4225);
  const __m256i oddScale = _mm256_set1_epi32(512 << 16 | 771);
  const __m256i top = _mm256_set1_epi16(255);
  __m256i even = _mm256_slli_epi16(_mm256_and_si256(in, lowBytes), 7);
  __m256i odd = _mm256_slli_epi16(_mm256_srli_epi16(in, 8), 7);
  even = _mm256_min_epu16(
      _mm256_mulhi_epu16(_mm256_add_epi16(even, evenLift), evenScale), top);
  odd = _mm256_min_epu16(
      _mm256_mulhi_epu16(_mm256_add_epi16(odd, oddLift), oddScale), top);
  return _mm256_or_si256(even, _mm256_slli_epi16(odd, 8));
}

// The alpha byte of each word in all four of its bytes, for the premultiplied
// rows' clamp (see row_sse2.cc).
IME_AVX2 inline __m256i alphaInEveryByte(__m256i in) {
  const __m256i alphaBytes =
      _mm256_setr_epi8(3, 3, 3, 3, 7, 7, 7, 7, 11, 11, 11, 11, 15, 15, 15, 15,
                       3, 3, 3, 3, 7, 7, 7, 7, 11, 11, 11, 11, 15, 15, 15, 15);
  return _mm256_shuffle_epi8(in, alphaBytes);
}

template <__m256i (*Map)(__m256i), bool kPremultiplied,
          uint32_t (*ConvertWord)(uint32_t)>
IME_AVX2 void convertRow(uint8_t* pixels, size_t count) {
  for (; count >= 8; count -= 8, pixels += 32) {
    const __m256i in = _mm256_loadu_si256(reinterpret_cast<__m256i*>(pixels));
    __m256i out = Map(in);
    if (kPremultiplied) out = _mm256_min_epu8(out, alphaInEveryByte(in));
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(pixels),
                        keepTransparent(in, out));
  }
  convertEachWord<ConvertWord>(pixels, count);
}

}  // namespace

IME_AVX2 void nightRowAvx2(uint8_t* pixels, size_t count) {
  convertRow<nightVector, false, nightWord>(pixels, count);
}
IME_AVX2 void dayRowAvx2(uint8_t* pixels, size_t count) {
  convertRow<dayVector, false, dayWord>(pixels, count);
}
IME_AVX2 void nightPremulRowAvx2(uint8_t* pixels, size_t count) {
  convertRow<nightVector, true, nightPremulWord>(pixels, count);
}
IME_AVX2 void dayPremulRowAvx2(uint8_t* pixels, size_t count) {
  convertRow<dayVector, true, dayPremulWord>(pixels, count);
}

}  // namespace ime
