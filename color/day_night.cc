#include "color/day_night.h"

#include "color/row_dispatch.h"

void changeDayNightPixels(uint32_t* pixels, int32_t count,
                          unsigned char nightMode) {
  if (count <= 0) return;
  const size_t words = static_cast<size_t>(count);
  ime::rowFunction(ime::bestRowPath(words), nightMode == 1)(
      reinterpret_cast<uint8_t*>(pixels), words);
}

void changeDayNightRows(void* pixels, uint32_t width, uint32_t height,
                        uint32_t stride, unsigned char nightMode,
                        bool premultiplied) {
  const uint64_t rowBytes = uint64_t{width} * 4;
  if (width == 0 || height == 0 || stride < rowBytes) return;
  // Only a 32-bit target can be handed an image it cannot address. Past
  // this check every byte offset of the image, and so the word count, fits
  // in a size_t.
  if ((height - 1) * uint64_t{stride} + rowBytes > SIZE_MAX) return;
  const size_t words = static_cast<size_t>(uint64_t{width} * height);
  const ime::RowFunction row = ime::rowFunction(ime::bestRowPath(words),
                                                nightMode == 1, premultiplied);
  uint8_t* const base = static_cast<uint8_t*>(pixels);
  if (stride == rowBytes) {
    row(base, words);  // unpadded: one run
    return;
  }
  for (size_t r = 0; r < height; ++r) {
    row(base + r * stride, width);
  }
}
