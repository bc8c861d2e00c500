// Tinting through glChangeColor and setIntArrayElement, on VMs that copy and
// VMs that pin.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "fake_array_vm.h"
#include "ime_graphics/ime_graphics.h"

namespace {

jint u(uint32_t v) { return static_cast<jint>(v); }

class ColorArray : public testing::TestWithParam<bool> {
 protected:
  ColorArray() : vm_(GetParam()) {}
  void TearDown() override {
    EXPECT_TRUE(vm_.trapped().empty()) << vm_.trappedNames();
    for (const auto& v : vm_.violations()) ADD_FAILURE() << v;
    EXPECT_TRUE(vm_.pendingException().empty()) << vm_.pendingException();
    EXPECT_EQ(vm_.outstandingBorrows(), 0u);
  }
  void tint(jintArray src, jintArray dst, jint rgb) {
    Java_com_zarnu_util_ImeGraphics_glChangeColor(vm_.env(), nullptr, src, dst,
                                                  rgb);
  }
  std::vector<std::string> functionsCalled() const {
    std::vector<std::string> names;
    for (const auto& c : vm_.calls()) names.push_back(c.function);
    return names;
  }
  FakeArrayVm vm_;
};

TEST_P(ColorArray, KeepsSourceAlphaAndOrsTheWholeColour) {
  const struct {
    uint32_t source, rgb, want;
  } cases[] = {{0x80FFFFFF, 0x00123456, 0x80123456},
               {0x00ABCDEF, 0x00123456, 0x00123456},
               {0x80FFFFFF, 0x01123456, 0x81123456},
               {0xFF000000, 0xFFFFFFFF, 0xFFFFFFFF},
               {0x12345678, 0x00000000, 0x12000000},
               {0x01000000, 0x80000001, 0x81000001}};
  for (const auto& c : cases) {
    jintArray src = vm_.newArray({u(c.source)});
    jintArray dst = vm_.newArray({0});
    tint(src, dst, u(c.rgb));
    EXPECT_EQ(uint32_t(vm_.contents(dst)[0]), c.want) << std::hex << c.source;
    EXPECT_EQ(uint32_t(vm_.contents(src)[0]), c.source);
  }
}

// Random lengths on both sides: the common part is tinted, a longer
// destination keeps its tail, the source never changes, and the calls are
// exactly those allowed, in order.
TEST_P(ColorArray, AnyLengths) {
  std::mt19937 rng(11);
  for (int round = 0; round < 200; ++round) {
    const size_t n = rng() % 70, m = rng() % 70;
    std::vector<jint> source(n), destination(m);
    for (jint& v : source) v = jint(rng());
    for (jint& v : destination) v = jint(rng());
    const jint rgb = jint(rng() & (round % 2 ? 0xFFFFFFFFu : 0x00FFFFFFu));
    jintArray src = vm_.newArray(source), dst = vm_.newArray(destination);
    const size_t callsBefore = vm_.calls().size();

    tint(src, dst, rgb);

    EXPECT_EQ(vm_.contents(src), source);
    const size_t written = std::min(n, m);
    for (size_t i = 0; i < m; ++i) {
      const jint want =
          i < written
              ? jint((uint32_t(source[i]) & 0xFF000000u) | uint32_t(rgb))
              : destination[i];
      ASSERT_EQ(vm_.contents(dst)[i], want)
          << "n " << n << " m " << m << " i " << i;
    }
    const auto& calls = vm_.calls();
    ASSERT_EQ(calls.size() - callsBefore, 4 + written);
    EXPECT_EQ(calls[callsBefore].function, "GetIntArrayElements");
    EXPECT_EQ(calls[callsBefore].array, src);
    for (size_t i = 0; i < written; ++i) {
      const auto& store = calls[callsBefore + 3 + i];
      EXPECT_EQ(store.function, "SetIntArrayRegion");
      EXPECT_EQ(store.array, dst);
      EXPECT_EQ(store.index, jint(i));
      EXPECT_EQ(store.length, 1);
    }
    const auto& release = calls.back();
    EXPECT_EQ(release.function, "ReleaseIntArrayElements");
    EXPECT_EQ(release.array, src);
    EXPECT_EQ(release.mode, JNI_ABORT);
  }
}

TEST_P(ColorArray, SameArrayAsSourceAndDestination) {
  jintArray both = vm_.newArray({u(0x80FFFFFF), u(0x00ABCDEF), u(0xFF000000)});
  tint(both, both, 0x00123456);
  EXPECT_EQ(vm_.contents(both),
            (std::vector<jint>{u(0x80123456), u(0x00123456), u(0xFF123456)}));
}

TEST_P(ColorArray, NullSourceCallsNothing) {
  jintArray dst = vm_.newArray({1, 2, 3});
  tint(nullptr, dst, 0x123456);
  tint(nullptr, nullptr, 0x123456);
  Java_com_zarnu_util_ImeGraphics_glChangeColor(nullptr, nullptr, dst, dst, 1);
  EXPECT_TRUE(vm_.calls().empty());
  EXPECT_EQ(vm_.contents(dst), (std::vector<jint>{1, 2, 3}));
}

TEST_P(ColorArray, NullDestinationStillReleasesTheSource) {
  jintArray src = vm_.newArray({u(0x80FFFFFF), 7});
  tint(src, nullptr, 0x123456);
  EXPECT_EQ(functionsCalled(),
            (std::vector<std::string>{"GetIntArrayElements", "GetArrayLength",
                                      "ReleaseIntArrayElements"}));
  EXPECT_EQ(vm_.calls().back().mode, JNI_ABORT);
}

TEST_P(ColorArray, FailedBorrowEndsTheCall) {
  jintArray src = vm_.newArray({1, 2}), dst = vm_.newArray({3, 4});
  vm_.failGetElements = true;
  tint(src, dst, 0x123456);
  EXPECT_EQ(functionsCalled(),
            (std::vector<std::string>{"GetIntArrayElements"}));
  EXPECT_EQ(vm_.pendingException(), "OutOfMemoryError");
  EXPECT_EQ(vm_.contents(dst), (std::vector<jint>{3, 4}));
  EXPECT_TRUE(vm_.violations().empty());
  vm_.clearPendingException();  // the Java caller's to see, not the library's
}

TEST_P(ColorArray, EmptySourceWritesNothing) {
  jintArray src = vm_.newArray({}), dst = vm_.newArray({9});
  tint(src, dst, 0x123456);
  EXPECT_EQ(vm_.contents(dst), (std::vector<jint>{9}));
  EXPECT_EQ(vm_.calls().back().function, "ReleaseIntArrayElements");
}

TEST_P(ColorArray, SetIntArrayElementGuards) {
  jintArray array = vm_.newArray({0, 0, 0});
  const struct {
    bool env;
    bool array;
    int index;
    bool stores;
  } cases[] = {{true, true, 0, true},   {true, true, 2, true},
               {true, true, -1, false}, {true, true, INT32_MIN, false},
               {false, true, 1, false}, {true, false, 1, false}};
  int value = 100;
  for (const auto& c : cases) {
    const size_t before = vm_.calls().size();
    setIntArrayElement(c.env ? vm_.env() : nullptr, c.array ? array : nullptr,
                       c.index, ++value);
    EXPECT_EQ(vm_.calls().size() - before, c.stores ? 1u : 0u) << c.index;
    if (c.stores) {
      EXPECT_EQ(vm_.contents(array)[size_t(c.index)], value);
      EXPECT_EQ(vm_.calls().back().length, 1);
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Vm, ColorArray, testing::Bool(),
                         [](const testing::TestParamInfo<bool>& info) {
                           return info.param ? "Copying" : "Pinning";
                         });

}  // namespace
