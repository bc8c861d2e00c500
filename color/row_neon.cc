// NEON rows for arm64, the device target: four pixels a vector.
//
// Night: N(v) = max(0, (85 v - 4224) >> 7), the 680/1024 form divided by 8.
// The multiply widens the bytes to 16 bits (vmull_u8), a saturating
// subtract clamps at 0, and the narrowing shift brings them back.
//
// Day: 128/85 = 1 + 43/85, so with u = v + 33 (saturating at 255, where the
// result is 255 anyway) D(v) = min(255, u + floor(43 u / 85)), and
// floor(t / 85) = ((t + 1) * 771) >> 16 for every t = 43 u up to 10965.
// A saturating add does the final clamp.
//
// Both are exact for v in 0..255. The alpha byte's lanes use constants that
// map a to a (128 a >> 7 for night; u = a and t = 0 for day), so alpha needs
// no separate merge; only transparent words are put back whole.
#include <arm_neon.h>

#include "color/channel_mapping.h"
#include "color/row.h"

namespace ime {
namespace {

// Three channel bytes, then the alpha byte, of each word.
constexpr uint8_t kNightScale[8] = {85, 85, 85, 128, 85, 85, 85, 128};
constexpr uint16_t kNightDrop[8] = {4224, 4224, 4224, 0, 4224, 4224, 4224, 0};
constexpr uint8_t kDayLift[16] = {33, 33, 33, 0, 33, 33, 33, 0,
                                  33, 33, 33, 0, 33, 33, 33, 0};
constexpr uint8_t kDayScale[16] = {43, 43, 43, 0, 43, 43, 43, 0,
                                   43, 43, 43, 0, 43, 43, 43, 0};

inline uint32x4_t keepTransparent(uint32x4_t in, uint8x16_t out) {
  const uint32x4_t visible = vtstq_u32(in, vdupq_n_u32(kAlphaMask));
  return vbslq_u32(visible, vreinterpretq_u32_u8(out), in);
}

inline uint32x4_t nightVector(uint32x4_t in) {
  const uint8x16_t bytes = vreinterpretq_u8_u32(in);
  const uint8x8_t scale = vld1_u8(kNightScale);
  const uint16x8_t drop = vld1q_u16(kNightDrop);
  const uint16x8_t low = vqsubq_u16(vmull_u8(vget_low_u8(bytes), scale), drop);
  const uint16x8_t high =
      vqsubq_u16(vmull_u8(vget_high_u8(bytes), scale), drop);
  return keepTransparent(
      in, vcombine_u8(vshrn_n_u16(low, 7), vshrn_n_u16(high, 7)));
}

// floor(t / 85) for 16-bit lanes t + 1: the doubling high multiply gives
// ((t + 1) * 771) >> 15, the narrowing shift the last bit.
inline uint8x8_t divideBy85(uint16x8_t tPlusOne) {
  const int16x8_t q = vqdmulhq_n_s16(vreinterpretq_s16_u16(tPlusOne), 771);
  return vshrn_n_u16(vreinterpretq_u16_s16(q), 1);
}

inline uint32x4_t dayVector(uint32x4_t in) {
  const uint8x16_t scale = vld1q_u8(kDayScale);
  const uint16x8_t one = vdupq_n_u16(1);
  const uint8x16_t u = vqaddq_u8(vreinterpretq_u8_u32(in), vld1q_u8(kDayLift));
  const uint8x8_t low =
      divideBy85(vmlal_u8(one, vget_low_u8(u), vget_low_u8(scale)));
  const uint8x8_t high = divideBy85(vmlal_high_u8(one, u, scale));
  return keepTransparent(in, vqaddq_u8(u, vcombine_u8(low, high)));
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
