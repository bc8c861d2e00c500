// Every row path the CPU can run, held to converting each word by itself.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "color/row_dispatch.h"
#include "pixel_test_support.h"

namespace {

using ime::RowPath;

// A row path, and whether its rows for premultiplied pixels are meant.
using RowCase = std::tuple<RowPath, bool>;

std::string caseName(const testing::TestParamInfo<RowCase>& info) {
  const char* names[] = {"C", "Sse2", "Avx2", "Avx512", "Neon"};
  return std::string(names[int(std::get<0>(info.param))]) +
         (std::get<1>(info.param) ? "Premultiplied" : "");
}

class RowPathTest : public testing::TestWithParam<RowCase> {
 protected:
  bool premultiplied() const { return std::get<1>(GetParam()); }
  uint32_t reference(uint32_t w, bool night) const {
    return referenceWord(w, night, premultiplied());
  }

  // Converts `words` written at `at` with this path and checks each word.
  void convertAndCheck(uint8_t* at, const std::vector<uint32_t>& words,
                       bool night) {
    for (size_t i = 0; i < words.size(); ++i) putWord(at + 4 * i, words[i]);
    ime::rowFunction(std::get<0>(GetParam()), night, premultiplied())(
        at, words.size());
    for (size_t i = 0; i < words.size(); ++i) {
      ASSERT_EQ(wordAt(at + 4 * i), reference(words[i], night))
          << (night ? "night" : "day") << " word " << i << " of "
          << words.size() << " in 0x" << std::hex << words[i];
    }
  }

  // The same at byte offset `offset` of a guarded buffer, checking every
  // byte around the words as well.
  void expectConverted(const std::vector<uint32_t>& words, bool night,
                       size_t offset = 0) {
    GuardedBytes buffer(offset + 4 * words.size());
    convertAndCheck(buffer.data() + offset, words, night);
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

// Runs that begin right after, or end right before, memory that may not be
// touched: a row that loads or stores past either end of its run faults.
TEST_P(RowPathTest, NeverTouchesMemoryOutsideTheRun) {
  for (bool night : {true, false}) {
    for (size_t n = 0; n <= 80; ++n) {
      const std::vector<uint32_t> words =
          makeWords(Content::kPhoto, n, uint32_t(n));
      PageGuardedBytes memory(4 * n);
      convertAndCheck(memory.startingAtGuard(), words, night);
      convertAndCheck(memory.endingAtGuard(), words, night);
    }
  }
}

// A word followed by its own conversion: a one-entry cache keyed on what it
// wrote rather than on what it read would repeat the first result.
TEST_P(RowPathTest, WordsFollowedByTheirOwnConversion) {
  for (bool night : {true, false}) {
    for (uint32_t first : {0xFFFFFFFFu, 0xFF000000u, 0x80336699u}) {
      std::vector<uint32_t> words = {first};
      while (words.size() < 40) {
        words.push_back(reference(words.back(), night));
      }
      expectConverted(words, night);
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
                         testing::Combine(testing::ValuesIn(availableRowPaths()),
                                          testing::Bool()),
                         caseName);

// The widest path this machine should get: named by the test run for a CPU
// model under emulation (IME_EXPECT_ROW_PATH), else read from the kernel's
// view of the CPU, which already leaves out what the OS does not save.
RowPath expectedWidestPath() {
  const std::map<std::string, RowPath> names = {
      {"c", RowPath::kC},          {"sse2", RowPath::kSse2},
      {"avx2", RowPath::kAvx2},    {"avx512", RowPath::kAvx512},
      {"neon", RowPath::kNeon}};
  const char* named = std::getenv("IME_EXPECT_ROW_PATH");
  if (named != nullptr && *named != '\0') {
    return names.at(named);
  }
#if IME_ROWS_X86
  std::ifstream cpuinfo("/proc/cpuinfo");
  std::string flags;
  while (std::getline(cpuinfo, flags) && flags.rfind("flags", 0) != 0) {
  }
  flags += ' ';
  const auto has = [&](const char* flag) {
    return flags.find(std::string(" ") + flag + " ") != std::string::npos;
  };
  if (has("avx512f") && has("avx512bw")) return RowPath::kAvx512;
  return has("avx2") ? RowPath::kAvx2 : RowPath::kSse2;
#elif IME_ROWS_NEON
  return RowPath::kNeon;
#else
  return RowPath::kC;
#endif
}

TEST(RowDispatch, EachPassLengthGetsTheExpectedPath) {
  const RowPath widest = expectedWidestPath();
#if IME_ROWS_X86
  const RowPath shortPath = RowPath::kSse2;
#else
  const RowPath shortPath = widest;
#endif
  // The boundary written out, not read from the constant it checks: on x86
  // a pass of 32767 words takes the SSE2 rows without asking the CPU, and
  // one of 32768 asks.
  const struct {
    size_t words;
    RowPath path;
  } cases[] = {{0, shortPath},      {1, shortPath},
               {32767, shortPath},  {32768, widest},
               {size_t{1} << 20, widest}, {SIZE_MAX, widest}};
  for (const auto& c : cases) {
    EXPECT_EQ(ime::bestRowPath(c.words), c.path) << c.words << " words";
  }
  // Exactly the paths up to the widest run here, and none beyond it.
  std::vector<RowPath> expected = {RowPath::kC};
  for (RowPath p : {RowPath::kSse2, RowPath::kAvx2, RowPath::kAvx512}) {
    if (widest != RowPath::kNeon && widest != RowPath::kC && p <= widest) {
      expected.push_back(p);
    }
  }
  if (widest == RowPath::kNeon) expected.push_back(RowPath::kNeon);
  EXPECT_EQ(availableRowPaths(), expected);
}

// Each path gets its own file's rows, each mode its own row of them: the rows
// of every path convert alike, so only this tells a path sent elsewhere.
TEST(RowDispatch, EachPathAndModeGetsItsOwnRow) {
  const struct {
    RowPath path;
    ime::Rows rows;
  } paths[] = {
    {RowPath::kC, ime::rowsC()},
#if IME_ROWS_X86
    {RowPath::kSse2, ime::rowsSse2()},
    {RowPath::kAvx2, ime::rowsAvx2()},
    {RowPath::kAvx512, ime::rowsAvx512()},
#endif
#if IME_ROWS_NEON
    {RowPath::kNeon, ime::rowsNeon()},
#endif
  };
  for (const auto& p : paths) {
    EXPECT_EQ(ime::rowFunction(p.path, true), p.rows.night) << int(p.path);
    EXPECT_EQ(ime::rowFunction(p.path, false), p.rows.day) << int(p.path);
    EXPECT_EQ(ime::rowFunction(p.path, true, true), p.rows.nightPremul);
    EXPECT_EQ(ime::rowFunction(p.path, false, true), p.rows.dayPremul);
  }
}

#if IME_ROWS_X86
// The x86 choice as a function of what CPUID and XCR0 report, so that the
// rule "the OS must save the registers" is held on any CPU.
TEST(RowDispatch, X86PathFollowsCpuidAndTheRegistersTheOsSaves) {
  const uint32_t kAvx = 1u << 28, kOsxsave = 1u << 27;
  const uint32_t kAvx2 = 1u << 5, kF = 1u << 16, kBW = 1u << 30;
  const uint32_t both = kAvx | kOsxsave, all = kAvx2 | kF | kBW;
  const struct {
    uint32_t ecx, ebx, xcr0;
    RowPath path;
  } cases[] = {
      {both, all, 0xE7, RowPath::kAvx512},
      {both, all, 0xE6, RowPath::kAvx512},
      {both, kAvx2 | kF, 0xE6, RowPath::kAvx2},   // no BW
      {both, kAvx2 | kBW, 0xE6, RowPath::kAvx2},  // no F
      {both, kF | kBW, 0xE6, RowPath::kSse2},     // AVX-512 without AVX2
      {both, all, 0x66, RowPath::kAvx2},  // upper ZMM halves not saved
      {both, all, 0xA6, RowPath::kAvx2},  // ZMM16-31 not saved
      {both, all, 0xC6, RowPath::kAvx2},  // mask registers not saved
      {both, all, 0x06, RowPath::kAvx2},  // only XMM and YMM saved
      {both, all, 0x02, RowPath::kSse2},  // YMM not saved
      {both, all, 0x04, RowPath::kSse2},  // XMM not saved
      {both, kAvx2, 0x07, RowPath::kAvx2},
      {kOsxsave, all, 0xE6, RowPath::kSse2},  // no AVX
      {kAvx, all, 0xE6, RowPath::kSse2},      // XGETBV not enabled by the OS
      {0, 0, 0, RowPath::kSse2},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(ime::widestX86Path({c.ecx, c.ebx, c.xcr0}), c.path)
        << std::hex << "ecx 0x" << c.ecx << " ebx 0x" << c.ebx << " xcr0 0x"
        << c.xcr0;
  }
}
#endif

}  // namespace
