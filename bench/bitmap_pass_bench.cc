// The bitmap pass on a phone-screen bitmap (1080 x 2400, RGBA_8888) beside
// what it is measured against: the straightforward scalar pass, libyuv's
// per-channel table pass (RGBColorTable) and the floor, the fastest in-place
// pass this CPU can make (a load, XOR and store of the widest vectors it has,
// on cache-line-aligned memory, with or without prefetching). Each iteration
// starts from the same content, copied in with the timer paused; in the
// memory-resident cases every line of the bitmap is then flushed from the
// caches, so the pass reads and writes DRAM as on a phone, where a bitmap
// never fits in the last-level cache. The ratios are printed last.
#include <benchmark/benchmark.h>
#include <immintrin.h>
#include <libyuv/planar_functions.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "color/row.h"
#include "color/row_dispatch.h"
#include "ime_graphics/ime_graphics.h"
#include "jni/bitmap_flags.h"
#include "tests/fake_bitmap.h"

namespace {

constexpr uint32_t kWidth = 1080, kHeight = 2400;
constexpr size_t kWords = size_t{kWidth} * kHeight;

// Every pixel differs from its neighbour; one in eight is transparent.
std::vector<uint32_t> photoLike() {
  std::vector<uint32_t> words(kWords);
  std::mt19937 rng(1);
  for (size_t i = 0; i < kWords; ++i) {
    words[i] = rng();
    if (i % 8 == 3) words[i] &= 0x00FFFFFF;
  }
  return words;
}

// Rows of flat key faces with dark labels and translucent, antialiased
// edges, on fully transparent gaps, under a flat toolbar.
std::vector<uint32_t> keyboardLike() {
  std::vector<uint32_t> words(kWords, 0x00000000);
  std::mt19937 rng(2);
  const uint32_t kFace = 0xFFFAFAFC, kLabel = 0xFF202124, kToolbar = 0xFFE8EAED;
  for (uint32_t y = 0; y < kHeight; ++y) {
    uint32_t* row = &words[size_t{y} * kWidth];
    if (y < 240) {
      for (uint32_t x = 0; x < kWidth; ++x) row[x] = kToolbar;
      continue;
    }
    const uint32_t keyRow = (y - 240) / 270, inRow = (y - 240) % 270;
    if (inRow < 12 || inRow >= 258) continue;  // gap between key rows
    for (uint32_t x = 0; x < kWidth; ++x) {
      const uint32_t inKey = x % 108;
      if (inKey < 6 || inKey >= 102) continue;  // gap between keys
      const bool edge = inKey < 8 || inKey >= 100 || inRow < 14 || inRow >= 256;
      if (edge) {
        row[x] = (0x40u + (rng() & 0x7F)) << 24 | (kFace & 0x00FFFFFF);
      } else if (inKey > 40 && inKey < 68 && inRow > 100 && inRow < 170 &&
                 ((inKey + inRow + keyRow) % 9 < 3)) {
        row[x] = kLabel;
      } else {
        row[x] = kFace;
      }
    }
  }
  return words;
}

const std::vector<uint32_t>& content(int which) {
  static const std::vector<uint32_t> photo = photoLike();
  static const std::vector<uint32_t> keyboard = keyboardLike();
  return which == 0 ? photo : keyboard;
}

const char* contentName(int which) { return which == 0 ? "photo" : "keyboard"; }

// Pixel memory aligned to a cache line, as the platform allocates it.
struct AlignedPixels {
  explicit AlignedPixels(size_t words)
      : words(static_cast<uint32_t*>(std::aligned_alloc(64, words * 4))) {}
  ~AlignedPixels() { std::free(words); }
  uint32_t* words;
};

// Arguments shared by every case: content, night, premultiplied, and whether
// the bitmap starts in the caches or in memory.
bool night(const benchmark::State& state) { return state.range(1) == 1; }
bool premultiplied(const benchmark::State& state) {
  return state.range(2) == 1;
}
bool inMemory(const benchmark::State& state) { return state.range(3) == 1; }

// The floor: every word loaded, XORed and stored back with the widest
// vectors the CPU has, on aligned memory, a cache line an iteration, with or
// without asking for the line a page ahead as the rows do (which is faster
// depends on where the bitmap lies: in this VM, with it from the last-level
// cache and without it from memory). Each pass is held to the faster.
template <bool kPrefetch>
void prefetchAhead(const uint32_t* pixels) {
  if (kPrefetch) {
    _mm_prefetch(reinterpret_cast<const char*>(pixels) + ime::kPrefetchAhead,
                 _MM_HINT_T0);
  }
}
template <bool kPrefetch>
__attribute__((target("avx512f"))) void floorAvx512(uint32_t* pixels) {
  const __m512i x = _mm512_set1_epi32(0x00010101);
  for (size_t i = 0; i < kWords; i += 16) {
    prefetchAhead<kPrefetch>(pixels + i);
    _mm512_store_si512(pixels + i,
                       _mm512_xor_si512(_mm512_load_si512(pixels + i), x));
  }
}
template <bool kPrefetch>
__attribute__((target("avx2"))) void floorAvx2(uint32_t* pixels) {
  const __m256i x = _mm256_set1_epi32(0x00010101);
  for (size_t i = 0; i < kWords; i += 16) {
    prefetchAhead<kPrefetch>(pixels + i);
    __m256i* p = reinterpret_cast<__m256i*>(pixels + i);
    const __m256i a = _mm256_load_si256(p), b = _mm256_load_si256(p + 1);
    _mm256_store_si256(p, _mm256_xor_si256(a, x));
    _mm256_store_si256(p + 1, _mm256_xor_si256(b, x));
  }
}
template <bool kPrefetch>
void floorSse2(uint32_t* pixels) {
  const __m128i x = _mm_set1_epi32(0x00010101);
  for (size_t i = 0; i < kWords; i += 16) {
    prefetchAhead<kPrefetch>(pixels + i);
    __m128i* p = reinterpret_cast<__m128i*>(pixels + i);
    for (int j = 0; j < 4; ++j) {
      _mm_store_si128(p + j, _mm_xor_si128(_mm_load_si128(p + j), x));
    }
  }
}

using Floor = void (*)(uint32_t*);
struct Floors {
  Floor plain, prefetching;
};
Floors widestFloors() {
  switch (ime::bestRowPath(kWords)) {
    case ime::RowPath::kAvx512:
      return {floorAvx512<false>, floorAvx512<true>};
    case ime::RowPath::kAvx2:
      return {floorAvx2<false>, floorAvx2<true>};
    default:
      return {floorSse2<false>, floorSse2<true>};
  }
}

using Clock = std::chrono::steady_clock;

template <typename Run>
double secondsOf(Run run) {
  const Clock::time_point start = Clock::now();
  run();
  benchmark::ClobberMemory();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

// Runs `pass` over a bitmap reset to the content before every iteration,
// and both floors over the same bitmap, reset the same way, just before it:
// timed alternately, the three see the same state of the machine, so their
// ratios hold where the machine's speed drifts. The pass's time is the
// benchmark's; the faster floor's, and the pass's ratio to it and to the
// plain floor, are counters.
template <typename Pass>
void runPass(benchmark::State& state, Pass pass) {
  const std::vector<uint32_t>& source = content(int(state.range(0)));
  AlignedPixels pixels(kWords);
  const bool memory = inMemory(state);
  const auto reset = [&] {
    std::memcpy(pixels.words, source.data(), kWords * 4);
    if (memory) {
      for (size_t i = 0; i < kWords; i += 16) _mm_clflush(pixels.words + i);
      _mm_mfence();
    }
  };
  const Floors floors = widestFloors();
  double passSeconds = 0, plainSeconds = 0, prefetchingSeconds = 0;
  for (auto _ : state) {
    reset();
    plainSeconds += secondsOf([&] { floors.plain(pixels.words); });
    reset();
    prefetchingSeconds += secondsOf([&] { floors.prefetching(pixels.words); });
    reset();
    const double seconds = secondsOf(
        [&] { pass(pixels.words, night(state), premultiplied(state)); });
    passSeconds += seconds;
    state.SetIterationTime(seconds);
  }
  const double floorSeconds = std::min(plainSeconds, prefetchingSeconds);
  state.counters["floor_us"] = floorSeconds / double(state.iterations()) * 1e6;
  state.counters["x_floor"] = passSeconds / floorSeconds;
  state.counters["x_plain"] = passSeconds / plainSeconds;
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kWords) * 4);
  state.SetLabel(std::string(contentName(int(state.range(0)))) +
                 (night(state) ? " night" : " day") +
                 (premultiplied(state) ? " premul" : "") +
                 (memory ? " memory" : " cache"));
}

// The library's pass as the entry points run it, over a fake bitmap whose
// flags give the alpha mode, asked whether it is recycled through a fake VM.
void libraryPass(benchmark::State& state) {
  runPass(state, [](uint32_t* pixels, bool night, bool premultiplied) {
    FakeBitmap bitmap;
    bitmap.info = {kWidth, kHeight, kWidth * 4, ANDROID_BITMAP_FORMAT_RGBA_8888,
                   premultiplied ? ime::kBitmapFlagsAlphaPremul
                                 : ime::kBitmapFlagsAlphaUnpremul};
    bitmap.pixels = pixels;
    FakeBitmapVm vm;
    changeDayNightModeInner(vm.env(), bitmap.handle(), night ? 1 : 0);
  });
}

void scalarPass(benchmark::State& state) {
  runPass(state, [](uint32_t* pixels, bool night, bool premultiplied) {
    ime::rowFunction(ime::RowPath::kC, night, premultiplied)(
        reinterpret_cast<uint8_t*>(pixels), kWords);
  });
}

// One row function forced over the whole bitmap, whatever the dispatcher picks.
void rowPath(benchmark::State& state) {
  const auto path = static_cast<ime::RowPath>(state.range(4));
  if (!ime::rowPathAvailable(path)) {
    state.SkipWithError("path not available on this CPU");
    return;
  }
  runPass(state, [path](uint32_t* pixels, bool night, bool premultiplied) {
    ime::rowFunction(path, night, premultiplied)(
        reinterpret_cast<uint8_t*>(pixels), kWords);
  });
}

void libyuvTablePass(benchmark::State& state) {
  static uint8_t tables[2][256 * 4];
  for (int v = 0; v < 256; ++v) {
    const int n = 680 * v / 1024 - 33, d = (v + 33) * 1024 / 680;
    for (int c = 0; c < 4; ++c) {
      tables[1][v * 4 + c] = uint8_t(n < 0 ? 0 : n);
      tables[0][v * 4 + c] = uint8_t(d > 255 ? 255 : d);
    }
  }
  runPass(state, [](uint32_t* pixels, bool night, bool) {
    libyuv::RGBColorTable(reinterpret_cast<uint8_t*>(pixels), int(kWidth) * 4,
                          tables[night ? 1 : 0], 0, 0, int(kWidth),
                          int(kHeight));
  });
}

void forEachCase(benchmark::internal::Benchmark* b) {
  b->ArgNames({"content", "night", "premul", "memory"})
      ->Unit(benchmark::kMicrosecond)
      ->UseManualTime()
      ->MinTime(0.3);
  for (int memory : {0, 1}) {
    for (int which : {0, 1}) {
      for (int night : {1, 0}) {
        for (int premul : {0, 1}) b->Args({which, night, premul, memory});
      }
    }
  }
}

BENCHMARK(libraryPass)->Apply(forEachCase);
BENCHMARK(rowPath)->Apply([](benchmark::internal::Benchmark* b) {
  b->ArgNames({"content", "night", "premul", "memory", "path"})
      ->Unit(benchmark::kMicrosecond)
      ->UseManualTime()
      ->MinTime(0.3);
  for (int path : {int(ime::RowPath::kC), int(ime::RowPath::kSse2),
                   int(ime::RowPath::kAvx2), int(ime::RowPath::kAvx512)}) {
    for (int night : {1, 0}) {
      for (int premul : {0, 1}) b->Args({0, night, premul, 0, path});
    }
  }
});
BENCHMARK(scalarPass)->Apply(forEachCase);
BENCHMARK(libyuvTablePass)->Apply(forEachCase);

// Collects each run's time per pixel word so the ratios can be printed.
class RatioReporter : public benchmark::ConsoleReporter {
 public:
  RatioReporter()
      : ConsoleReporter(OO_Tabular) {}  // plain text, for READMEs and logs
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      const std::string name = run.run_name.function_name;
      times_[run.report_label][name] = run.GetAdjustedRealTime();
      if (name == "libraryPass") {
        floors_[run.report_label] = {run.counters.at("x_floor"),
                                     run.counters.at("x_plain")};
      }
    }
  }
  void printRatios() const {
    std::printf("\n%-30s %11s %11s %12s %12s\n", "case", "pass/floor",
                "pass/plain", "scalar/pass", "libyuv/pass");
    for (const auto& [label, t] : times_) {
      if (t.size() < 3) continue;  // a filtered run
      const double pass = t.at("libraryPass");
      const auto [toFloor, toPlain] = floors_.at(label);
      std::printf("%-30s %10.2fx %10.2fx %11.2fx %11.2fx\n", label.c_str(),
                  toFloor, toPlain, t.at("scalarPass") / pass,
                  t.at("libyuvTablePass") / pass);
    }
    std::printf(
        "goals: pass/floor <= 1.3, scalar/pass >= 5 (photo) and >= 1, "
        "libyuv/pass >= 2\n");
  }

 private:
  std::map<std::string, std::map<std::string, double>> times_;
  std::map<std::string, std::pair<double, double>> floors_;
};

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.printRatios();
  benchmark::Shutdown();
  return 0;
}
