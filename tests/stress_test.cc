// Many threads at once through all five entry points, each on bitmaps and
// arrays of its own, every result compared with a run on one thread. Under
// ThreadSanitizer this shows the library shares nothing between calls, the
// choice of row path included.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdint>
#include <random>
#include <thread>
#include <vector>

#include "fake_array_vm.h"
#include "fake_bitmap.h"
#include "ime_graphics/ime_graphics.h"
#include "pixel_test_support.h"

namespace {

// Everything one thread does, and everything it ends up with.
struct Outcome {
  std::vector<jint> colors;
  std::vector<std::vector<uint8_t>> bitmaps;
  std::vector<std::vector<jint>> arrays;
  bool locksPaired = true;
  bool vmRulesKept = true;

  bool operator==(const Outcome& o) const {
    return colors == o.colors && bitmaps == o.bitmaps && arrays == o.arrays &&
           locksPaired == o.locksPaired && vmRulesKept == o.vmRulesKept;
  }
};

// Holds threads until all have arrived, so their calls overlap from the
// first one on.
class StartLine {
 public:
  explicit StartLine(int threads) : waiting_(threads) {}
  void arriveAndWait() {
    waiting_.fetch_sub(1);
    while (waiting_.load() > 0) std::this_thread::yield();
  }

 private:
  std::atomic<int> waiting_;
};

Outcome work(uint32_t seed, int rounds, StartLine* start = nullptr) {
  std::mt19937 rng(seed);
  Outcome out;
  FakeArrayVm vm(seed % 2 == 0);
  FakeBitmapVm bitmapVm;
  JNIEnv* env = vm.env();

  // Bitmaps of assorted sizes, strides and formats; some large enough to
  // take the widest row path.
  const int32_t formats[] = {
      ANDROID_BITMAP_FORMAT_RGBA_8888, ANDROID_BITMAP_FORMAT_RGBA_8888,
      ANDROID_BITMAP_FORMAT_RGB_565, ANDROID_BITMAP_FORMAT_A_8};
  std::vector<FakeBitmap> fakes(6);
  for (size_t b = 0; b < fakes.size(); ++b) {
    const uint32_t width = 1 + rng() % 400, height = 1 + rng() % 160;
    const uint32_t stride = 4 * width + (b % 3 == 0 ? rng() % 16 : 0);
    const std::vector<uint32_t> words =
        makeWords(Content(b % 3), (size_t{stride} * height + 3) / 4,
                  seed * 31 + uint32_t(b));
    out.bitmaps.emplace_back(size_t{stride} * height);
    std::memcpy(out.bitmaps.back().data(), words.data(),
                out.bitmaps.back().size());
    fakes[b].info = {width, height, stride, formats[b % 4], 0};
  }
  for (size_t b = 0; b < fakes.size(); ++b)
    fakes[b].pixels = out.bitmaps[b].data();

  std::vector<jint> source(1 + rng() % 300);
  for (jint& v : source) v = jint(rng());
  jintArray src = vm.newArray(source);
  jintArray dst = vm.newArray(std::vector<jint>(rng() % 300, 7));

  if (start != nullptr) start->arriveAndWait();
  for (int round = 0; round < rounds; ++round) {
    const jint c = jint(rng());
    out.colors.push_back(
        Java_com_zarnu_util_ImeGraphics_glSetNightColor(env, nullptr, c));
    out.colors.push_back(
        Java_com_zarnu_util_ImeGraphics_glSetDayColor(env, nullptr, c));
    FakeBitmap& bitmap = fakes[rng() % fakes.size()];
    if (rng() % 2) {
      Java_com_zarnu_util_ImeGraphics_glSetNight(bitmapVm.env(), nullptr,
                                                 bitmap.handle());
    } else {
      Java_com_zarnu_util_ImeGraphics_glSetToDayMode(bitmapVm.env(), nullptr,
                                                     bitmap.handle());
    }
    Java_com_zarnu_util_ImeGraphics_glChangeColor(env, nullptr, src, dst, c);
  }
  for (const FakeBitmap& f : fakes) out.locksPaired &= f.locksPaired();
  out.arrays = {vm.contents(src), vm.contents(dst)};
  out.vmRulesKept =
      vm.violations().empty() && vm.trapped().empty() &&
      vm.pendingException().empty() && vm.outstandingBorrows() == 0 &&
      bitmapVm.violations().empty() && bitmapVm.trapped().empty() &&
      bitmapVm.pendingException().empty() && bitmapVm.liveLocalRefs() == 0;
  return out;
}

TEST(Stress, ConcurrentCallsMatchOneThread) {
  const int kThreads = 8, kRounds = 60;
  // Concurrent calls come first, so that no call has run yet when they start.
  std::vector<Outcome> together(kThreads);
  std::vector<std::thread> threads;
  StartLine start(kThreads);
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back(
        [&, t] { together[size_t(t)] = work(uint32_t(t), kRounds, &start); });
  }
  for (auto& thread : threads) thread.join();

  std::vector<Outcome> alone;
  for (int t = 0; t < kThreads; ++t)
    alone.push_back(work(uint32_t(t), kRounds));

  for (int t = 0; t < kThreads; ++t) {
    EXPECT_TRUE(alone[size_t(t)].locksPaired);
    EXPECT_TRUE(alone[size_t(t)].vmRulesKept);
    EXPECT_TRUE(together[size_t(t)] == alone[size_t(t)]) << "thread " << t;
  }
}

}  // namespace
