// NEON rows for arm64 and armeabi-v7a, from one source: sixteen pixels an
// iteration. vld4q_u8 splits them into one vector per byte of the word, so
// the three channels are mapped in 8-bit lanes and the alpha vector is only
// read (to spare transparent words) and stored back.
//
// Night: N(v) = max(0, floor(85 v / 128) - 33), the 680/1024 form divided
// by 8 (4224 = 33 * 128). floor(85 v / 128) = floor(170 v / 256), the high
// byte of the 16-bit product, and a saturating subtract clamps at 0.
//
// Day: D(v) = min(255, floor(128 u / 85)) with u = v + 33, and
// 128 u / 85 = u + (u + u / 85) / 2. Since floor((n + y) / 2) =
// floor((n + floor(y)) / 2) for integer n, D(v) = u + (u + floor(u / 85)) >> 1
// with saturating adds, and floor(u / 85) = [u >= 85] for u below 170. From
// u = 170 on every result clamps to 255 whatever the correction, so u itself
// saturates at 255. Every step stays in 8-bit lanes.
//
// Both are exact for v in 0..255. For premultiplied pixels each mapped
// channel is held to the alpha with one byte minimum against the alpha vector.
#include <arm_neon.h>

#include "color/channel_mapping.h"
#include "color/row.h"

namespace ime {
namespace {

// The high byte of v * m in each lane: floor(v m / 256). A UMULL pair (the
// second on the upper half in place on arm64) and one UZP.
inline uint8x16_t multiplyHigh(uint8x16_t v, uint8_t m) {
  const uint16x8_t low = vmull_u8(vget_low_u8(v), vdup_n_u8(m));
#if defined(__aarch64__)
  const uint16x8_t high = vmull_high_u8(v, vdupq_n_u8(m));
#else
  const uint16x8_t high = vmull_u8(vget_high_u8(v), vdup_n_u8(m));
#endif
  return vuzpq_u8(vreinterpretq_u8_u16(low), vreinterpretq_u8_u16(high))
      .val[1];
}

inline uint8x16_t nightChannels(uint8x16_t v) {
  return vqsubq_u8(multiplyHigh(v, 170), vdupq_n_u8(33));
}

inline uint8x16_t dayChannels(uint8x16_t v) {
  const uint8x16_t u = vqaddq_u8(v, vdupq_n_u8(33));
  // u - (0xFF where u >= 85) is u + [u >= 85]; at u = 255 it wraps to 0,
  // which the saturating add below does not miss.
  const uint8x16_t t = vsubq_u8(u, vcgeq_u8(u, vdupq_n_u8(85)));
  return vqaddq_u8(u, vshrq_n_u8(t, 1));
}

template <uint8x16_t (*Channels)(uint8x16_t), bool kPremultiplied,
          uint32_t (*ConvertWord)(uint32_t)>
void convertRow(uint8_t* pixels, size_t count) {
  for (; count >= 16; count -= 16, pixels += 64) {
    uint8x16x4_t p = vld4q_u8(pixels);
    const uint8x16_t alpha = p.val[3];
    const uint8x16_t visible = vtstq_u8(alpha, alpha);
    const auto convert = [&](uint8x16_t v) {
      uint8x16_t mapped = Channels(v);
      if (kPremultiplied) mapped = vminq_u8(mapped, alpha);
      return vbslq_u8(visible, mapped, v);
    };
    p.val[0] = convert(p.val[0]);
    p.val[1] = convert(p.val[1]);
    p.val[2] = convert(p.val[2]);
    vst4q_u8(pixels, p);
  }
  convertEachWord<ConvertWord>(pixels, count);
}

}  // namespace

Rows rowsNeon() {
  return makeRows(convertRow<nightChannels, false, nightWord>,
                  convertRow<dayChannels, false, dayWord>,
                  convertRow<nightChannels, true, nightPremulWord>,
                  convertRow<dayChannels, true, dayPremulWord>);
}

}  // namespace ime
