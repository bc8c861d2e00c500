// The bitmap pass on a phone-screen bitmap (1080 x 2400, RGBA_8888) beside
// what it is measured against: the straightforward scalar pass, libyuv's
// per-channel table pass (RGBColorTable) and a bare in-place
// read-modify-write of every word. Each iteration starts from the same
// content, copied in with the timer paused. The ratios are printed last.
#include <benchmark/benchmark.h>
#include <libyuv/planar_functions.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "color/row_dispatch.h"
#include "tests/fake_bitmap.h"

void changeDayNightModeInner(JNIEnv*, jobject, unsigned char);

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

// Runs `pass` over a buffer reset to the content before every iteration.
template <typename Pass>
void runPass(benchmark::State& state, Pass pass) {
  const std::vector<uint32_t>& source = content(int(state.range(0)));
  std::vector<uint32_t> pixels(source);
  for (auto _ : state) {
    state.PauseTiming();
    std::memcpy(pixels.data(), source.data(), kWords * 4);
    state.ResumeTiming();
    pass(pixels.data(), state.range(1) == 1);
    benchmark::DoNotOptimize(pixels.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(kWords) * 4);
  state.SetLabel(std::string(contentName(int(state.range(0)))) +
                 (state.range(1) == 1 ? " night" : " day"));
}

// The library's pass as the entry points run it, over a fake bitmap.
void libraryPass(benchmark::State& state) {
  runPass(state, [](uint32_t* pixels, bool night) {
    FakeBitmap bitmap;
    bitmap.info = {kWidth, kHeight, kWidth * 4, ANDROID_BITMAP_FORMAT_RGBA_8888,
                   0};
    bitmap.pixels = pixels;
    changeDayNightModeInner(reinterpret_cast<JNIEnv*>(&bitmap), bitmap.handle(),
                            night ? 1 : 0);
  });
}

void scalarPass(benchmark::State& state) {
  runPass(state, [](uint32_t* pixels, bool night) {
    ime::rowFunction(ime::RowPath::kC, night)(
        reinterpret_cast<uint8_t*>(pixels), kWords);
  });
}

// One row function forced over the whole bitmap, whatever the dispatcher picks.
void rowPath(benchmark::State& state) {
  const auto path = static_cast<ime::RowPath>(state.range(2));
  if (!ime::rowPathAvailable(path)) {
    state.SkipWithError("path not available on this CPU");
    return;
  }
  runPass(state, [path](uint32_t* pixels, bool night) {
    ime::rowFunction(path, night)(reinterpret_cast<uint8_t*>(pixels), kWords);
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
  runPass(state, [](uint32_t* pixels, bool night) {
    libyuv::RGBColorTable(reinterpret_cast<uint8_t*>(pixels), int(kWidth) * 4,
                          tables[night ? 1 : 0], 0, 0, int(kWidth),
                          int(kHeight));
  });
}

void readModifyWrite(benchmark::State& state) {
  runPass(state, [](uint32_t* pixels, bool) {
    for (size_t i = 0; i < kWords; ++i) pixels[i] ^= 0x00010101;
  });
}

void forEachCase(benchmark::internal::Benchmark* b) {
  b->ArgNames({"content", "night"})
      ->Unit(benchmark::kMicrosecond)
      ->MinTime(0.5);
  for (int which : {0, 1}) {
    for (int night : {1, 0}) b->Args({which, night});
  }
}

BENCHMARK(libraryPass)->Apply(forEachCase);
BENCHMARK(rowPath)->Apply([](benchmark::internal::Benchmark* b) {
  b->ArgNames({"content", "night", "path"})
      ->Unit(benchmark::kMicrosecond)
      ->MinTime(0.5);
  for (int path : {int(ime::RowPath::kC), int(ime::RowPath::kSse2),
                   int(ime::RowPath::kAvx2), int(ime::RowPath::kAvx512),
                   int(ime::RowPath::kNeon)}) {
    for (int night : {1, 0}) b->Args({0, night, path});
  }
});
BENCHMARK(scalarPass)->Apply(forEachCase);
BENCHMARK(libyuvTablePass)->Apply(forEachCase);
BENCHMARK(readModifyWrite)->Apply(forEachCase);

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
    }
  }
  void printRatios() const {
    std::printf("\n%-16s %12s %12s %12s\n", "case", "pass/rmw", "scalar/pass",
                "libyuv/pass");
    for (const auto& [label, t] : times_) {
      if (t.size() < 4) continue;  // a filtered run
      const double pass = t.at("libraryPass");
      std::printf("%-16s %11.2fx %11.2fx %11.2fx\n", label.c_str(),
                  pass / t.at("readModifyWrite"), t.at("scalarPass") / pass,
                  t.at("libyuvTablePass") / pass);
    }
    std::printf(
        "goals: pass/rmw <= 1.3, scalar/pass >= 5 (photo) and >= 1, "
        "libyuv/pass >= 2\n");
  }

 private:
  std::map<std::string, std::map<std::string, double>> times_;
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
