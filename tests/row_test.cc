// Every row path the CPU can run, held to converting each word by itself.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "color/row_dispatch.h"
#include "pixel_test_support.h"

namespace {

using ime::RowPath;

std::string pathName(const testing::TestParamInfo<RowPath>& info) {
  switch (info.param) {
    case RowPath::kC:
      return "C";
    case RowPath::kSse2:
      return "Sse2";
    case RowPath::kAvx2:
      return "Avx2";
    case RowPath::kAvx512:
      return "Avx512";
    case RowPath::kNeon:
      return "Neon";
  }
  return "Unknown";
}

class RowPathTest : public testing::TestWithParam<RowPath> {
 protected:
  // Converts `words` at byte offset `offset` of a guarded buffer with this
  // path, and checks every word and every byte around them.
  void expectConverted(const std::vector<uint32_t>& words, bool night,
                       size_t offset = 0) {
    GuardedBytes buffer(offset + 4 * words.size());
    for (size_t i = 0; i < words.size(); ++i) {
      putWord(buffer.data() + offset + 4 * i, words[i]);
    }
    ime::rowFunction(GetParam(), night)(buffer.data() + offset, words.size());
    for (size_t i = 0; i < words.size(); ++i) {
      ASSERT_EQ(wordAt(buffer.data() + offset + 4 * i),
                referenceWord(words[i], night))
          << (night ? "night" : "day") << " word " << i << " of "
          << words.size() << " in 0x" << std::hex << words[i];
    }
    for (size_t i = 0; i < offset; ++i) {
      ASSERT_EQ(buffer.data()[i], GuardedBytes::kCanary) << "before the run";
    }
    ASSERT_TRUE(buffer.guardsIntact());
  }
};

// Every value in every byte (alpha too) at every position of a 16-word
// block, the other bytes varying, so each lane of each vector sees it.
TEST_P(RowPathTest, EveryByteValueInEveryLane) {
  std::mt19937 rng(7);
  for (bool night : {true, false}) {
    for (int lane = 0; lane < 4; ++lane) {
      for (uint32_t v = 0; v < 256; ++v) {
        std::vector<uint32_t> words(16);
        for (uint32_t& w : words) {
          w = (rng() & ~(0xFFu << (8 * lane))) | v << (8 * lane);
          if (lane != 3 && (w >> 24) == 0) w |= 0x01000000;  // keep it visible
        }
        expectConverted(words, night);
      }
    }
  }
}

TEST_P(RowPathTest, EveryTailLength) {
  for (bool night : {true, false}) {
    for (size_t n = 0; n <= 64; ++n) {
      expectConverted(makeWords(Content::kPhoto, n, uint32_t(n)), night);
    }
  }
}

TEST_P(RowPathTest, UnalignedStarts) {
  for (bool night : {true, false}) {
    for (size_t offset = 1; offset < 32; ++offset) {
      expectConverted(makeWords(Content::kPhoto, 67, uint32_t(offset)), night,
                      offset);
    }
  }
}

TEST_P(RowPathTest, TransparentAndBarelyVisibleWords) {
  const std::vector<uint32_t> words = {
      0x00FFFFFF, 0x01FFFFFF, 0x00000000, 0x01000000, 0x00123456, 0x01123456,
      0xFF000000, 0xFFFFFFFF, 0x00FFFFFF, 0x00FFFFFF, 0x01FFFFFF, 0x80FFFFFF,
      0x00808080, 0xFF808080, 0x00FF00FF, 0x01FF00FF, 0x00000001};
  for (bool night : {true, false}) expectConverted(words, night);
}

TEST_P(RowPathTest, FlatAndRepeatingContent) {
  for (bool night : {true, false}) {
    for (uint32_t seed = 0; seed < 20; ++seed) {
      expectConverted(makeWords(Content::kFlat, 200 + seed, seed), night);
      expectConverted(makeWords(Content::kRepeating, 200 + seed, seed), night);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Available, RowPathTest,
                         testing::ValuesIn(availableRowPaths()), pathName);

TEST(RowDispatch, ChoosesAnAvailablePath) {
  for (size_t words :
       {size_t{0}, size_t{1}, size_t{1} << 15, size_t{1} << 30}) {
    EXPECT_TRUE(ime::rowPathAvailable(ime::bestRowPath(words))) << words;
  }
  EXPECT_TRUE(ime::rowPathAvailable(RowPath::kC));
#if defined(__x86_64__)
  EXPECT_TRUE(ime::rowPathAvailable(RowPath::kSse2));
  EXPECT_NE(ime::bestRowPath(1 << 20), RowPath::kC);
#elif defined(__aarch64__)
  EXPECT_EQ(ime::bestRowPath(1), RowPath::kNeon);
#endif
}

}  // namespace
