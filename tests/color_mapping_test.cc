// The single-colour mappings against closed forms written independently of
// the library's fixed-point code.
#include <gtest/gtest.h>

#include <cstdint>

#include "ime_graphics/ime_graphics.h"

namespace {

uint32_t night(uint32_t w) {
  return static_cast<uint32_t>(changeToNightColor(static_cast<int>(w)));
}
uint32_t day(uint32_t w) {
  return static_cast<uint32_t>(changeToDayColor(static_cast<int>(w)));
}

int expectedNight(int v) {
  const int t = 680 * v / 1024 - 33;
  return t < 0 ? 0 : t;
}
int expectedDay(int v) {
  const int t = (v + 33) * 1024 / 680;
  return t > 255 ? 255 : t;
}

TEST(ChannelMapping, EveryValueInEveryChannelByteUnderVisibleAlphas) {
  const uint32_t alphas[] = {0x01, 0x80, 0xFF};
  const uint32_t others[] = {0x00, 0x37, 0xFF};  // the two other channels
  for (uint32_t alpha : alphas) {
    for (uint32_t other : others) {
      for (int shift = 0; shift <= 16; shift += 8) {
        for (int v = 0; v < 256; ++v) {
          const uint32_t rest = (other * 0x010101u) & ~(0xFFu << shift);
          const uint32_t w = alpha << 24 | rest | uint32_t(v) << shift;
          const uint32_t n = night(w), d = day(w);
          SCOPED_TRACE(testing::Message() << std::hex << "word 0x" << w);
          EXPECT_EQ(n >> 24, alpha);
          EXPECT_EQ(d >> 24, alpha);
          EXPECT_EQ(int((n >> shift) & 0xFF), expectedNight(v));
          EXPECT_EQ(int((d >> shift) & 0xFF), expectedDay(v));
          // The other channels follow their own value, not this one.
          const int otherShift = (shift + 8) % 24;
          EXPECT_EQ(int((n >> otherShift) & 0xFF), expectedNight(int(other)));
          EXPECT_EQ(int((d >> otherShift) & 0xFF), expectedDay(int(other)));
        }
      }
    }
  }
}

TEST(ChannelMapping, NamedValues) {
  struct Case {
    int v, night, day;
  };
  const Case cases[] = {{0, 0, 49},     {1, 0, 51},     {50, 0, 124},
                        {51, 0, 126},   {52, 1, 128},   {100, 33, 200},
                        {128, 52, 242}, {135, 56, 252}, {136, 57, 254},
                        {137, 57, 255}, {200, 99, 255}, {254, 135, 255},
                        {255, 136, 255}};
  for (const Case& c : cases) {
    const uint32_t grey = 0xFF000000u | uint32_t(c.v) * 0x010101u;
    EXPECT_EQ(night(grey), 0xFF000000u | uint32_t(c.night) * 0x010101u) << c.v;
    EXPECT_EQ(day(grey), 0xFF000000u | uint32_t(c.day) * 0x010101u) << c.v;
  }
}

TEST(ChannelMapping, DayUndoesNightWithinTwoSteps) {
  for (int v = 0; v < 256; ++v) {
    const int back = expectedDay(expectedNight(v));
    const uint32_t grey = 0xFF000000u | uint32_t(v) * 0x010101u;
    EXPECT_EQ(day(night(grey)), 0xFF000000u | uint32_t(back) * 0x010101u);
    if (v <= 51) {
      EXPECT_EQ(back, 49);
    } else {
      EXPECT_LE(v - back, 2) << v;
      EXPECT_GE(v - back, 0) << v;
    }
  }
}

TEST(ColorConversion, TransparentWordsComeBackWhole) {
  for (uint32_t rgb = 0; rgb < (1u << 24); rgb += 0x10101) {
    ASSERT_EQ(night(rgb), rgb);
    ASSERT_EQ(day(rgb), rgb);
  }
  for (uint32_t rgb : {0x00FFFFFFu, 0x00123456u, 0x00000000u, 0x00FF0001u}) {
    EXPECT_EQ(night(rgb), rgb);
    EXPECT_EQ(day(rgb), rgb);
  }
}

TEST(ColorConversion, Words) {
  struct Case {
    uint32_t in, night, day;
  };
  const Case cases[] = {
      {0xFFFFFFFF, 0xFF888888, 0xFFFFFFFF},
      {0xFF000000, 0xFF000000, 0xFF313131},
      {0x80FFFFFF, 0x80888888, 0x80FFFFFF},
      {0x01FFFFFF, 0x01888888, 0x01FFFFFF},
      {0xFF336699, 0xFF002244, 0xFF7ECBFF},
      {0xFF888888, 0xFF393939, 0xFFFEFEFE},
      {0x80000000, 0x80000000, 0x80313131},
      {0x7F010203, 0x7F000000, 0x7F333436},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(night(c.in), c.night) << std::hex << c.in;
    EXPECT_EQ(day(c.in), c.day) << std::hex << c.in;
  }
}

TEST(ColorConversion, NightThenDay) {
  struct Case {
    uint32_t in, back;
  };
  const Case cases[] = {{0xFFFFFFFF, 0xFFFEFEFE},
                        {0xFF333333, 0xFF313131},
                        {0xFF808080, 0xFF808080}};
  for (const Case& c : cases) {
    EXPECT_EQ(day(night(c.in)), c.back) << std::hex << c.in;
  }
}

TEST(ColorConversion, SignedValues) {
  EXPECT_EQ(changeToNightColor(-1), -7829368);
  EXPECT_EQ(changeToDayColor(-16777216), -13553359);
  EXPECT_EQ(changeToNightColor(INT32_MIN), INT32_MIN);
  EXPECT_EQ(changeToNightColor(16777215), 16777215);
  EXPECT_EQ(changeToDayColor(16777215), 16777215);
}

}  // namespace
