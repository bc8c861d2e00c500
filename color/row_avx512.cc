// AVX-512 (F and BW) rows: sixteen pixels a vector. The lane arithmetic is
// that of the SSE2 rows (see row_sse2.cc). Wider registers, a ternary logic
// op for the merge and a mask register for the transparent words cut the
// work per pixel enough for the pass to keep up with memory, which the AVX2
// rows do not on current cores.
// Built with a target attribute; the dispatcher calls these only where the
// CPU and OS support AVX-512.
#include <immintrin.h>
#include <stdint.h>

#include "color/channel_mapping.h"
#include "color/row.h"

#define IME_AVX512 __attribute__((target("avx512f,avx512bw")))

namespace ime {
namespace {

// `out` where the word is visible, `in` where its alpha byte is zero.
IME_AVX512 inline __m512i keepTransparent(__m512i in, __m512i out) {
  const __mmask16 visible = _mm512_test_epi32_mask(
      in, _mm512_set1_epi32(static_cast<int>(kAlphaMask)));
  return _mm512_mask_mov_epi32(in, visible, out);
}

// even | (odd >> 7) << 8 for 16-bit lanes with odd below 2^15: the shifted
// odd value is (odd << 1) & 0xFF00, and one ternary op (A | B & C) merges.
IME_AVX512 inline __m512i mergeShifted(__m512i even, __m512i odd) {
  const __m512i highBytes = _mm512_set1_epi16(static_cast<short>(0xFF00));
  return _mm512_ternarylogic_epi32(even, _mm512_slli_epi16(odd, 1), highBytes,
                                   0xF8);
}

IME_AVX512 inline __m512i nightVector(__m512i in) {
  const __m512i lowBytes = _mm512_set1_epi16(0x00FF);
  const __m512i evenScale = _mm512_set1_epi16(85);
  const __m512i evenDrop = _mm512_set1_epi16(4224);
  const __m512i oddScale = _mm512_set1_epi32(128 << 16 | 85);
  const __m512i oddDrop = _mm512_set1_epi32(4224);
  __m512i even = _mm512_and_si512(in, lowBytes);
  __m512i odd = _mm512_srli_epi16(in, 8);
  even = _mm512_srli_epi16(
      _mm512_subs_epu16(_mm512_mullo_epi16(even, evenScale), evenDrop), 7);
  odd = _mm512_subs_epu16(_mm512_mullo_epi16(odd, oddScale), oddDrop);
  return mergeShifted(even, odd);
}

IME_AVX512 inline __m512i dayVector(__m512i in) {
  const __m512i lowBytes = _mm512_set1_epi16(0x00FF);
  const __m512i evenLift = _mm512_set1_epi16(4225);
  const __m512i evenScale = _mm512_set1_epi16(771);
  const __m512i oddLift = _mm512_set1_epi32(4225);
  const __m512i oddScale = _mm512_set1_epi32(512 << 16 | 771);
  const __m512i top = _mm512_set1_epi16(255);
  __m512i even = _mm512_slli_epi16(_mm512_and_si512(in, lowBytes), 7);
  __m512i odd = _mm512_slli_epi16(_mm512_srli_epi16(in, 8), 7);
  even = _mm512_min_epu16(
      _mm512_mulhi_epu16(_mm512_add_epi16(even, evenLift), evenScale), top);
  odd = _mm512_min_epu16(
      _mm512_mulhi_epu16(_mm512_add_epi16(odd, oddLift), oddScale), top);
  return _mm512_or_si512(even, _mm512_slli_epi16(odd, 8));
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
  return keepTransparent(in, out);
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
// or store split across two cache lines costs this pass half its speed.
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
    const __m512i in = _mm512_loadu_si512(pixels);
    _mm512_storeu_si512(pixels, Convert(in));
  }
  convertPartial<Convert>(pixels, count);
}

}  // namespace

IME_AVX512 void nightRowAvx512(uint8_t* pixels, size_t count) {
  convertRow<nightVector, false>(pixels, count);
}
IME_AVX512 void dayRowAvx512(uint8_t* pixels, size_t count) {
  convertRow<dayVector, false>(pixels, count);
}
IME_AVX512 void nightPremulRowAvx512(uint8_t* pixels, size_t count) {
  convertRow<nightVector, true>(pixels, count);
}
IME_AVX512 void dayPremulRowAvx512(uint8_t* pixels, size_t count) {
  convertRow<dayVector, true>(pixels, count);
}

}  // namespace ime
