// NEON rows for arm64, the device target: four pixels a vector.
//
// Bytes are widened to 16 bits by the multiply itself (vmull_u8) and narrowed
// back by the final shift or a saturating narrow, which also does the clamp:
//   night: N(v) = max(0, (85 v - 4224) >> 7)
//   day:   D(v) = min(255, ((128 v + 4225) * 771) >> 16)
// both exact for v in 0..255. The alpha byte's lane uses constants that map a
// to a (128 a >> 7 for night, (128 a * 512) >> 16 for day), so alpha needs no
// separate merge; only transparent words are put back whole.
#include <arm_neon.h>

#include "color/channel_mapping.h"
#include "color/row.h"

namespace ime {
namespace {

// Per-byte constants for one half (two pixels) of a vector: three channel
// bytes, then the alpha byte, of each word.
inline uint16x8_t perChannel(uint16_t channel, uint16_t alpha) {
  const uint16_t lanes[8] = {channel, channel, channel, alpha,
                             channel, channel, channel, alpha};
  return vld1q_u16(lanes);
}

inline uint32x4_t keepTransparent(uint32x4_t in, uint8x16_t out) {
  const uint32x4_t visible = vtstq_u32(in, vdupq_n_u32(kAlphaMask));
  return vbslq_u32(visible, vreinterpretq_u32_u8(out), in);
}

inline uint32x4_t nightVector(uint32x4_t in) {
  const uint8x16_t bytes = vreinterpretq_u8_u32(in);
  const uint8_t scaleLanes[8] = {85, 85, 85, 128, 85, 85, 85, 128};
  const uint8x8_t scale = vld1_u8(scaleLanes);
  const uint16x8_t drop = perChannel(4224, 0);
  const uint16x8_t low = vqsubq_u16(vmull_u8(vget_low_u8(bytes), scale), drop);
  const uint16x8_t high =
      vqsubq_u16(vmull_u8(vget_high_u8(bytes), scale), drop);
  return keepTransparent(
      in, vcombine_u8(vshrn_n_u16(low, 7), vshrn_n_u16(high, 7)));
}

inline uint8x8_t dayHalf(uint8x8_t bytes, uint16x8_t lift, uint16x8_t scale) {
  const uint16x8_t t = vaddq_u16(vshll_n_u8(bytes, 7), lift);
  const uint32x4_t low = vmull_u16(vget_low_u16(t), vget_low_u16(scale));
  const uint32x4_t high = vmull_high_u16(t, scale);
  return vqmovn_u16(vcombine_u16(vshrn_n_u32(low, 16), vshrn_n_u32(high, 16)));
}

inline uint32x4_t dayVector(uint32x4_t in) {
  const uint8x16_t bytes = vreinterpretq_u8_u32(in);
  const uint16x8_t lift = perChannel(4225, 0);
  const uint16x8_t scale = perChannel(771, 512);
  return keepTransparent(
      in, vcombine_u8(dayHalf(vget_low_u8(bytes), lift, scale),
                      dayHalf(vget_high_u8(bytes), lift, scale)));
}

template <uint32x4_t (*Convert)(uint32x4_t), uint32_t (*ConvertWord)(uint32_t)>
void convertRow(uint8_t* pixels, size_t count) {
  for (; count >= 4; count -= 4, pixels += 16) {
    const uint32x4_t in = vreinterpretq_u32_u8(vld1q_u8(pixels));
    vst1q_u8(pixels, vreinterpretq_u8_u32(Convert(in)));
  }
  convertEachWord<ConvertWord>(pixels, count);
}

}  // namespace

void nightRowNeon(uint8_t* pixels, size_t count) {
  convertRow<nightVector, nightWord>(pixels, count);
}
void dayRowNeon(uint8_t* pixels, size_t count) {
  convertRow<dayVector, dayWord>(pixels, count);
}

}  // namespace ime
