#include "color/channel_mapping.h"
#include "color/row.h"

namespace ime {
namespace {

// A flat area of equal pixels costs one conversion: a word equal to the one
// before it gets the previous result. The pair starts as (0, 0), which is a
// true mapping because a zero word is transparent.
template <uint32_t (*Convert)(uint32_t)>
void convertRowCached(uint8_t* pixels, size_t count) {
  uint32_t lastIn = 0;
  uint32_t lastOut = 0;
  for (size_t i = 0; i < count; ++i, pixels += 4) {
    const uint32_t w = loadWord(pixels);
    if (w != lastIn) {
      lastOut = Convert(w);
      lastIn = w;
    }
    storeWord(pixels, lastOut);
  }
}

}  // namespace

Rows rowsC() {
  return makeRows(convertRowCached<nightWord>, convertRowCached<dayWord>,
                  convertRowCached<nightPremulWord>,
                  convertRowCached<dayPremulWord>);
}

}  // namespace ime
