// Per-channel day and night mappings and the word conversion built on them.
// Internal, inlinable code: the exported routines, the row functions and the
// entry points all reduce to these, so none of them calls an interposable
// symbol in a loop.
#ifndef IME_GRAPHICS_COLOR_CHANNEL_MAPPING_H
#define IME_GRAPHICS_COLOR_CHANNEL_MAPPING_H

#include <stddef.h>
#include <stdint.h>

namespace ime {

constexpr uint32_t kAlphaMask = 0xFF000000u;

// max(0, floor((680 v - 33792) / 1024)); 0..255 onto 0..136. The clamp is
// a mask, not a branch: on photo-like content the sign is a coin toss.
static inline uint32_t nightChannel(uint32_t v) {
  const int32_t t = static_cast<int32_t>(680 * v) - 33792;
  return static_cast<uint32_t>(t & ~(t >> 31)) >> 10;
}

// min(255, floor((1024 v + 33792) / 680)); 0..255 onto 49..255.
// 0x60606061 / 2^40 is exact for every numerator up to 294912, so the
// division is a multiply and a shift.
static inline uint32_t dayChannel(uint32_t v) {
  const uint64_t u = 1024u * v + 33792u;
  const uint32_t q = static_cast<uint32_t>((u * 0x60606061u) >> 40);
  return q > 255 ? 255 : q;
}

// The word with each channel mapped; a fully transparent word is kept whole.
// For premultiplied pixels each mapped channel is also held to the alpha, as
// a premultiplied channel can never exceed it.
template <uint32_t (*Channel)(uint32_t), bool kPremultiplied>
static inline uint32_t convertWord(uint32_t word) {
  const uint32_t alpha = word & kAlphaMask;
  if (alpha == 0) return word;  // fully transparent: every bit kept
  const uint32_t a = word >> 24;
  const auto map = [a](uint32_t v) {
    const uint32_t c = Channel(v);
    return kPremultiplied && c > a ? a : c;
  };
  return alpha | map(word & 0xFF) | map((word >> 8) & 0xFF) << 8 |
         map((word >> 16) & 0xFF) << 16;
}

static inline uint32_t nightWord(uint32_t word) {
  return convertWord<nightChannel, false>(word);
}
static inline uint32_t dayWord(uint32_t word) {
  return convertWord<dayChannel, false>(word);
}
static inline uint32_t nightPremulWord(uint32_t word) {
  return convertWord<nightChannel, true>(word);
}
static inline uint32_t dayPremulWord(uint32_t word) {
  return convertWord<dayChannel, true>(word);
}

// Pixel memory carries no alignment promise beyond the platform's habits, and
// row starts follow the stride, so words are moved with memcpy (a plain load
// or store on every target; the builtin needs no C library header).
static inline uint32_t loadWord(const uint8_t* p) {
  uint32_t w;
  __builtin_memcpy(&w, p, sizeof w);
  return w;
}
static inline void storeWord(uint8_t* p, uint32_t w) {
  __builtin_memcpy(p, &w, sizeof w);
}

// Converts each of `count` words by itself: the tails of the vector rows.
template <uint32_t (*Convert)(uint32_t)>
static inline void convertEachWord(uint8_t* pixels, size_t count) {
  for (; count > 0; --count, pixels += 4) {
    storeWord(pixels, Convert(loadWord(pixels)));
  }
}

}  // namespace ime

#endif
