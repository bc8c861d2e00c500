// The run conversion and the strided walk over rows, against converting each
// word by itself.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "color/day_night.h"
#include "pixel_test_support.h"

namespace {

constexpr uint32_t kA = 0xFF336699, kB = 0x80FFFFFF;

TEST(PixelRun, EqualsConvertingEachWord) {
  const std::vector<std::vector<uint32_t>> runs = {
      {kA, kA, kA, kB, kA},
      {0, 0, 0, kA},
      {0x00ABCDEF, 0x00ABCDEF, kA, 0x00ABCDEF},
      {kB},
      makeWords(Content::kPhoto, 257, 1),
      makeWords(Content::kFlat, 300, 2),
      makeWords(Content::kRepeating, 129, 3)};
  for (unsigned char mode : {0, 1, 2, 255}) {
    const bool night = mode == 1;
    for (const auto& run : runs) {
      std::vector<uint32_t> words = run;
      changeDayNightPixels(words.data(), static_cast<int32_t>(words.size()),
                           mode);
      for (size_t i = 0; i < run.size(); ++i) {
        ASSERT_EQ(words[i], referenceWord(run[i], night))
            << "mode " << int(mode) << " index " << i;
      }
    }
  }
}

TEST(PixelRun, LeadingZeroWordsStayZero) {
  std::vector<uint32_t> words = {0, 0, 0, kA, 0};
  changeDayNightPixels(words.data(), 5, 1);
  EXPECT_EQ(words, (std::vector<uint32_t>{0, 0, 0, 0xFF002244, 0}));
}

TEST(PixelRun, TouchesOnlyTheWordsCounted) {
  for (int32_t count : {-5, -1, 0, 1, 7, 33}) {
    GuardedBytes buffer(33 * 4);
    for (size_t i = 0; i < 33; ++i) putWord(buffer.data() + 4 * i, kA);
    changeDayNightPixels(reinterpret_cast<uint32_t*>(buffer.data()), count, 1);
    for (int32_t i = 0; i < 33; ++i) {
      EXPECT_EQ(wordAt(buffer.data() + 4 * i), i < count ? 0xFF002244 : kA)
          << "count " << count << " index " << i;
    }
    EXPECT_TRUE(buffer.guardsIntact()) << count;
  }
}

// Rows of `width` words every `stride` bytes, from an image of random bytes.
void expectRowsConverted(uint32_t width, uint32_t height, uint32_t stride,
                         size_t offset, bool night, bool premultiplied = false) {
  const size_t size = offset + size_t{stride} * height;
  GuardedBytes buffer(size);
  std::mt19937 rng(width * 131 + height * 7 + stride);
  for (size_t i = 0; i < size; ++i) buffer.data()[i] = uint8_t(rng());
  const std::vector<uint8_t> before(buffer.data(), buffer.data() + size);

  changeDayNightRows(buffer.data() + offset, width, height, stride,
                     night ? 1 : 0, premultiplied);

  const bool valid = width > 0 && height > 0 && stride >= 4ull * width;
  EXPECT_EQ(imageMismatch(before.data(), buffer.data(), size, offset, width,
                          stride, night, valid ? 1 : 0, premultiplied),
            "");
  EXPECT_TRUE(buffer.guardsIntact());
}

TEST(PixelRows, ConvertsEachRowAndLeavesPaddingAlone) {
  for (uint32_t width = 1; width <= 70; ++width) {
    for (uint32_t pad : {0u, 1u, 4u, 13u}) {
      expectRowsConverted(width, 3, 4 * width + pad, 0, width % 2 == 0,
                          width % 3 == 0);
    }
  }
}

TEST(PixelRows, AnyStartOffset) {
  for (size_t offset = 0; offset < 8; ++offset) {
    expectRowsConverted(37, 2, 37 * 4, offset, true, offset % 2 == 0);
    expectRowsConverted(37, 2, 37 * 4 + 6, offset, false, offset % 2 == 1);
  }
}

TEST(PixelRows, NothingForEmptyOrImpossibleGeometry) {
  struct Case {
    uint32_t width, height, stride;
  };
  const Case cases[] = {
      {0, 4, 16}, {4, 0, 16}, {4, 4, 15}, {4, 4, 0}, {5, 2, 12},
      {0x40000010, 1, 64}};  // 4 x width wraps in 32 bits
  for (const Case& c : cases) {
    expectRowsConverted(c.width, c.height, c.stride, 0, true);
  }
}

}  // namespace
