// AVX2 rows: eight pixels a vector, every byte of the word in place.
//
// Night: N(v) = max(0, floor(170 v / 256) - 33) (the 680/1024 form, see
// row_neon.cc). For the even bytes of each 16-bit lane, (v << 8) * 170 >> 16
// is that quotient; for the odd bytes, v * 170 carries it in its high byte,
// and the alpha byte multiplied by 256 is itself. A byte blend joins the two
// and a saturating subtract of 33 (0 for alpha) clamps at 0.
//
// Day: D(v) = min(255, u + floor((u + [u >= 85]) / 2)) with u = v + 33
// saturating (see row_neon.cc). The rounding-up average with 0 halves:
// floor((u + [u >= 85]) / 2) = avg(u - [u < 85], 0). The alpha byte is lifted
// by 0 and gets nothing added.
//
// Both are exact for v in 0..255; transparent words are put back whole. Built
// with a target attribute rather than -mavx2 so that nothing shared with other
// files is compiled for AVX2; the dispatcher calls these only where the CPU
// and OS support AVX2.
#include <immintrin.h>

#include "color/channel_mapping.h"
#include "color/row.h"

#define IME_AVX2 __attribute__((target("avx2")))

namespace ime {
namespace {

// `out` where the word is visible, `in` where its alpha byte is 0: alpha + 127
// saturating has its top bit set exactly when alpha is not 0, and a float
// blend picks each 32-bit lane by its top bit.
IME_AVX2 inline __m256i keepTransparent(__m256i in, __m256i out) {
  const __m256i visible = _mm256_adds_epu8(in, _mm256_set1_epi32(0x7F000000));
  return _mm256_castps_si256(_mm256_blendv_ps(_mm256_castsi256_ps(in),
                                               _mm256_castsi256_ps(out),
                                               _mm256_castsi256_ps(visible)));
}

// 33 in each channel byte, 0 in the alpha byte.
IME_AVX2 inline __m256i channelThirtyThrees() {
  return _mm256_set1_epi32(0x00212121);
}

IME_AVX2 inline __m256i nightVector(__m256i in) {
  const __m256i even =
      _mm256_mulhi_epu16(_mm256_slli_epi16(in, 8), _mm256_set1_epi16(170));
  const __m256i odd = _mm256_mullo_epi16(_mm256_srli_epi16(in, 8),
                                         _mm256_set1_epi32(256 << 16 | 170));
  const __m256i joined =
      _mm256_blendv_epi8(odd, even, _mm256_set1_epi16(0x00FF));
  return _mm256_subs_epu8(joined, channelThirtyThrees());
}

IME_AVX2 inline __m256i dayVector(__m256i in) {
  const __m256i u = _mm256_adds_epu8(in, channelThirtyThrees());
  const __m256i below =
      _mm256_cmpeq_epi8(_mm256_min_epu8(u, _mm256_set1_epi8(84)), u);
  const __m256i half =
      _mm256_avg_epu8(_mm256_add_epi8(u, below), _mm256_setzero_si256());
  return _mm256_adds_epu8(
      u, _mm256_and_si256(half, _mm256_set1_epi32(0x00FFFFFF)));
}

// The alpha byte of each word in all four of its bytes, for the premultiplied
// rows' clamp (see row_sse2.cc).
IME_AVX2 inline __m256i alphaInEveryByte(__m256i in) {
  const __m256i alphaBytes =
      _mm256_setr_epi8(3, 3, 3, 3, 7, 7, 7, 7, 11, 11, 11, 11, 15, 15, 15, 15,
                       3, 3, 3, 3, 7, 7, 7, 7, 11, 11, 11, 11, 15, 15, 15, 15);
  return _mm256_shuffle_epi8(in, alphaBytes);
}

template <__m256i (*Map)(__m256i), bool kPremultiplied>
IME_AVX2 inline void convertVector(uint8_t* pixels) {
  const __m256i in = _mm256_loadu_si256(reinterpret_cast<__m256i*>(pixels));
  __m256i out = Map(in);
  if (kPremultiplied) out = _mm256_min_epu8(out, alphaInEveryByte(in));
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(pixels),
                      keepTransparent(in, out));
}

// A cache line an iteration, each asking for the line kPrefetchAhead on.
template <__m256i (*Map)(__m256i), bool kPremultiplied,
          uint32_t (*ConvertWord)(uint32_t)>
IME_AVX2 void convertRow(uint8_t* pixels, size_t count) {
  for (; count >= 16; count -= 16, pixels += 64) {
    _mm_prefetch(reinterpret_cast<const char*>(pixels) + kPrefetchAhead,
                 _MM_HINT_T0);
    convertVector<Map, kPremultiplied>(pixels);
    convertVector<Map, kPremultiplied>(pixels + 32);
  }
  if (count >= 8) {
    convertVector<Map, kPremultiplied>(pixels);
    pixels += 32;
    count -= 8;
  }
  convertEachWord<ConvertWord>(pixels, count);
}

}  // namespace

Rows rowsAvx2() {
  return makeRows(convertRow<nightVector, false, nightWord>,
                  convertRow<dayVector, false, dayWord>,
                  convertRow<nightVector, true, nightPremulWord>,
                  convertRow<dayVector, true, dayPremulWord>);
}

}  // namespace ime
