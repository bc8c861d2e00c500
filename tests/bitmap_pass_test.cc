// The bitmap pass through its entry points, over the in-process fakes of the
// platform's bitmap interface and of the VM.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "fake_bitmap.h"
#include "ime_graphics/ime_graphics.h"
#include "jni/bitmap_flags.h"
#include "pixel_test_support.h"

namespace {

// What the pass asks the VM before the bitmap interface sees the bitmap.
const std::vector<std::string> kAskIsRecycled = {
    "GetObjectClass", "GetMethodID", "DeleteLocalRef", "CallBooleanMethodV",
    "ExceptionCheck"};

// A bitmap of random bytes in guarded memory, its first pixel `offset`
// bytes in; remembers its bytes so a test can tell what changed.
class GuardedBitmap {
 public:
  // Flags default to an unpremultiplied bitmap, mapped without the clamp.
  GuardedBitmap(uint32_t width, uint32_t height, uint32_t stride,
                int32_t format = ANDROID_BITMAP_FORMAT_RGBA_8888,
                size_t offset = 0, Content content = Content::kPhoto,
                uint32_t flags = ime::kBitmapFlagsAlphaUnpremul)
      : memory_(offset + size_t{stride} * height), offset_(offset) {
    const std::vector<uint32_t> words =
        makeWords(content, memory_.size() / 4 + 1, width * 977 + height);
    std::memcpy(memory_.data(), words.data(), memory_.size());
    before_.assign(memory_.data(), memory_.data() + memory_.size());
    fake.info = {width, height, stride, format, flags};
    fake.pixels = memory_.data() + offset;
  }

  FakeBitmap fake;

  jobject handle() { return fake.handle(); }
  bool untouched() const {
    return mismatch(true, 0).empty() && memory_.guardsIntact();
  }
  // Each pixel converted `times` times with the given mapping (clamped to the
  // alpha where the flags say premultiplied), padding and guards unchanged.
  void expectConverted(bool night, int times = 1) const {
    EXPECT_EQ(mismatch(night, times), "");
    EXPECT_TRUE(memory_.guardsIntact());
  }

 private:
  std::string mismatch(bool night, int times) const {
    const bool premultiplied =
        (fake.info.flags & ime::kBitmapFlagsAlphaMask) ==
        ime::kBitmapFlagsAlphaPremul;
    return imageMismatch(before_.data(), memory_.data(), before_.size(),
                         offset_, fake.info.width, fake.info.stride, night,
                         times, premultiplied);
  }

  GuardedBytes memory_;
  std::vector<uint8_t> before_;
  size_t offset_;
};

class BitmapPass : public testing::Test {
 protected:
  void TearDown() override {
    EXPECT_TRUE(vm_.trapped().empty()) << "JNI called: " << vm_.trappedNames();
    EXPECT_EQ(vm_.violations(), std::vector<std::string>{});
    EXPECT_EQ(vm_.pendingException(), "");
    EXPECT_EQ(vm_.liveLocalRefs(), 0);
  }
  void night(GuardedBitmap& b) {
    Java_com_zarnu_util_ImeGraphics_glSetNight(vm_.env(), nullptr, b.handle());
  }
  void day(GuardedBitmap& b) {
    Java_com_zarnu_util_ImeGraphics_glSetToDayMode(vm_.env(), nullptr,
                                                   b.handle());
  }
  FakeBitmapVm vm_;
};

TEST_F(BitmapPass, EveryWidthAndStartAndBothModes) {
  for (uint32_t width = 1; width <= 100; ++width) {
    for (size_t offset = 0; offset < 64; offset += 4) {
      if (offset != 0 && width % 9 != 0 && width > 20)
        continue;  // keep it quick
      GuardedBitmap nightBitmap(width, 3, 4 * width, 1, offset);
      night(nightBitmap);
      nightBitmap.expectConverted(true);
      EXPECT_TRUE(nightBitmap.fake.locksPaired());
      GuardedBitmap dayBitmap(width, 3, 4 * width, 1, offset, Content::kFlat);
      day(dayBitmap);
      dayBitmap.expectConverted(false);
      EXPECT_TRUE(dayBitmap.fake.locksPaired());
    }
  }
}

// Only the premultiplied alpha mode clamps; the other bits of the flags
// (the hardware bit among them) do not change the mapping.
TEST_F(BitmapPass, AlphaModeFromTheFlags) {
  for (uint32_t flags :
       {ime::kBitmapFlagsAlphaPremul, ime::kBitmapFlagsAlphaOpaque,
        ime::kBitmapFlagsAlphaUnpremul, 3u,
        ime::kBitmapFlagsAlphaPremul | ime::kBitmapFlagsIsHardware,
        ime::kBitmapFlagsAlphaUnpremul | 0x7FFFFFFCu}) {
    for (bool night : {true, false}) {
      for (Content content : {Content::kPhoto, Content::kFlat}) {
        GuardedBitmap bitmap(37, 3, 37 * 4 + 8, 1, 4, content, flags);
        changeDayNightModeInner(vm_.env(), bitmap.handle(), night ? 1 : 0);
        SCOPED_TRACE(testing::Message() << "flags 0x" << std::hex << flags);
        bitmap.expectConverted(night);
        EXPECT_TRUE(bitmap.fake.locksPaired());
      }
    }
  }

  // Dark translucent pixels, whose day channels would pass their alpha.
  uint32_t shadow[] = {0x1E000000, 0x14FFFFFF, 0x80000000, 0x00000000};
  GuardedBitmap premultiplied(4, 1, 16, 1, 0, Content::kPhoto,
                              ime::kBitmapFlagsAlphaPremul);
  premultiplied.fake.pixels = shadow;
  day(premultiplied);
  EXPECT_EQ(shadow[0], 0x1E1E1E1Eu);
  EXPECT_EQ(shadow[1], 0x14141414u);
  EXPECT_EQ(shadow[2], 0x80313131u);
  EXPECT_EQ(shadow[3], 0x00000000u);
}

TEST_F(BitmapPass, ModeFlag) {
  const struct {
    unsigned char mode;
    bool night;
  } cases[] = {{1, true}, {0, false}, {2, false}, {255, false}};
  for (const auto& c : cases) {
    GuardedBitmap bitmap(33, 5, 132);
    changeDayNightModeInner(vm_.env(), bitmap.handle(), c.mode);
    bitmap.expectConverted(c.night);
    EXPECT_TRUE(bitmap.fake.locksPaired());
  }
}

TEST_F(BitmapPass, RepeatedPassesCompound) {
  GuardedBitmap twice(17, 4, 68);
  night(twice);
  night(twice);
  twice.expectConverted(true, 2);
  EXPECT_EQ(twice.fake.successfulLocks, 2);
  EXPECT_TRUE(twice.fake.locksPaired());

  uint32_t white = 0xFFFFFFFF;
  GuardedBitmap one(1, 1, 4);
  one.fake.pixels = &white;
  night(one);
  EXPECT_EQ(white, 0xFF888888u);
  day(one);
  EXPECT_EQ(white, 0xFFFEFEFEu);
  white = 0xFFFFFFFF;
  night(one);
  night(one);
  EXPECT_EQ(white, 0xFF393939u);
}

TEST_F(BitmapPass, PaddedRowsConvertEachRowAndKeepPadding) {
  for (uint32_t pad : {1u, 2u, 4u, 12u, 64u}) {
    for (uint32_t width : {1u, 7u, 8u, 31u, 64u}) {
      GuardedBitmap bitmap(width, 6, 4 * width + pad);
      night(bitmap);
      bitmap.expectConverted(true);
      EXPECT_TRUE(bitmap.fake.locksPaired());
    }
  }
}

TEST_F(BitmapPass, EveryOtherFormatIsNeitherLockedNorTouched) {
  for (int32_t format :
       {0, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, -1, 0x101, INT32_MIN, INT32_MAX}) {
    GuardedBitmap bitmap(16, 4, 64, format);
    night(bitmap);
    day(bitmap);
    EXPECT_TRUE(bitmap.untouched()) << format;
    EXPECT_EQ(bitmap.fake.lockCalls, 0) << format;
    EXPECT_EQ(bitmap.fake.unlockCalls, 0) << format;
  }
}

TEST_F(BitmapPass, FailuresLeaveTheBitmapAlone) {
  for (int result : {int{ANDROID_BITMAP_RESULT_BAD_PARAMETER},
                     int{ANDROID_BITMAP_RESULT_JNI_EXCEPTION},
                     int{ANDROID_BITMAP_RESULT_ALLOCATION_FAILED}, 1}) {
    GuardedBitmap noInfo(16, 4, 64);
    noInfo.fake.getInfoResult = result;
    night(noInfo);
    EXPECT_TRUE(noInfo.untouched());
    EXPECT_EQ(noInfo.fake.lockCalls, 0);
    EXPECT_EQ(noInfo.fake.unlockCalls, 0);

    GuardedBitmap noLock(16, 4, 64);
    noLock.fake.lockResult = result;
    day(noLock);
    EXPECT_TRUE(noLock.untouched());
    EXPECT_EQ(noLock.fake.lockCalls, 1);
    EXPECT_EQ(noLock.fake.unlockCalls, 0);  // nothing to unlock
  }

  // A question the VM cannot answer ends the pass at once: the exception
  // stays pending and no call follows, not even the class's deletion.
  using Failure = FakeBitmapVm::Failure;
  const struct {
    Failure fail;
    size_t calls;  // how many of kAskIsRecycled are made
    const char* exception;
  } jniFailures[] = {{Failure::kGetObjectClass, 1, "OutOfMemoryError"},
                     {Failure::kGetMethodID, 2, "NoSuchMethodError"},
                     {Failure::kIsRecycled, 5, "RuntimeException"}};
  for (const auto& c : jniFailures) {
    FakeBitmapVm vm;
    vm.fail = c.fail;
    GuardedBitmap bitmap(16, 4, 64);
    Java_com_zarnu_util_ImeGraphics_glSetNight(vm.env(), nullptr,
                                               bitmap.handle());
    EXPECT_EQ(vm.calls(),
              std::vector<std::string>(kAskIsRecycled.begin(),
                                       kAskIsRecycled.begin() + long(c.calls)));
    EXPECT_EQ(vm.pendingException(), c.exception);
    EXPECT_EQ(vm.violations(), std::vector<std::string>{});
    EXPECT_TRUE(vm.trapped().empty()) << vm.trappedNames();
    EXPECT_TRUE(bitmap.untouched());
  }

  // A recycled bitmap never reaches the bitmap interface, which aborts the
  // process on API 23-25 and cannot lock it on the others.
  for (int apiLevel : {21, 22, 23, 24, 25, 26, 29, 30, 37}) {
    FakeBitmapVm vm;
    GuardedBitmap recycled(16, 4, 64);
    recycled.fake.recycled = true;
    recycled.fake.apiLevel = apiLevel;
    changeDayNightModeInner(vm.env(), recycled.handle(), 1);
    EXPECT_EQ(vm.calls(), kAskIsRecycled) << "API " << apiLevel;
    EXPECT_EQ(recycled.fake.fatalCalls, 0);
    EXPECT_TRUE(recycled.untouched());
    EXPECT_EQ(vm.liveLocalRefs(), 0);
    EXPECT_EQ(vm.violations(), std::vector<std::string>{});
  }
}

TEST_F(BitmapPass, EmptyOrImpossibleSizesAreLockedAndUnlockedOnly) {
  struct Geometry {
    uint32_t width, height, stride;
  };
  std::vector<Geometry> cases = {{0, 4, 64},          {16, 0, 64},
                                 {0, 0, 0},           {16, 4, 63},
                                 {16, 4, 0},          {0xFFFFFFFF, 2, 64},
                                 {0x40000010, 1, 64}};  // 4 x width wraps
  // Images whose bytes span more than a 32-bit process can address.
  if (sizeof(size_t) == 4) {
    cases.insert(cases.end(), {{16, 0x00100001, 0x1000},
                               {0x3FFFFFFF, 2, 0xFFFFFFFC},
                               {0x20000000, 8, 0x80000000},
                               {1, 0xFFFFFFFF, 4}});
  }
  for (const Geometry& c : cases) {
    GuardedBitmap bitmap(16, 4, 64);
    bitmap.fake.info = {c.width, c.height, c.stride, 1, 0};
    night(bitmap);
    EXPECT_TRUE(bitmap.untouched()) << c.width << "x" << c.height;
    EXPECT_EQ(bitmap.fake.successfulLocks, 1);
    EXPECT_TRUE(bitmap.fake.locksPaired());
  }
}

TEST_F(BitmapPass, NullArgumentsCallNothing) {
  const int callsBefore = FakeBitmap::callsWithoutBitmap;
  GuardedBitmap bitmap(4, 4, 16);
  Java_com_zarnu_util_ImeGraphics_glSetNight(nullptr, nullptr, bitmap.handle());
  changeDayNightModeInner(nullptr, bitmap.handle(), 0);
  EXPECT_EQ(bitmap.fake.getInfoCalls, 0);
  EXPECT_TRUE(bitmap.untouched());
  Java_com_zarnu_util_ImeGraphics_glSetNight(vm_.env(), nullptr, nullptr);
  Java_com_zarnu_util_ImeGraphics_glSetToDayMode(vm_.env(), nullptr, nullptr);
  changeDayNightModeInner(vm_.env(), nullptr, 1);
  EXPECT_EQ(FakeBitmap::callsWithoutBitmap, callsBefore);
}

TEST_F(BitmapPass, LockWithoutAddressIsStillUnlocked) {
  GuardedBitmap bitmap(4, 4, 16);
  bitmap.fake.pixels = nullptr;
  night(bitmap);
  EXPECT_EQ(bitmap.fake.successfulLocks, 1);
  EXPECT_TRUE(bitmap.fake.locksPaired());
  std::vector<std::string> calls = kAskIsRecycled;
  calls.insert(calls.end(),
               {"AndroidBitmap_getInfo", "AndroidBitmap_lockPixels",
                "AndroidBitmap_unlockPixels"});
  EXPECT_EQ(vm_.calls(), calls);
}

}  // namespace
