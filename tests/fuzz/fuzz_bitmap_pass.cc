// Fuzzes the bitmap pass and the row paths: arbitrary words, sizes, strides,
// start offsets, formats, flags (alpha modes), modes, recycled bitmaps on
// each release and platform failures, over a fake bitmap interface and VM,
// against converting each word by itself, with guard bytes around the memory.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "color/row_dispatch.h"
#include "fake_bitmap.h"
#include "ime_graphics/ime_graphics.h"
#include "jni/bitmap_flags.h"
#include "pixel_test_support.h"

namespace {

void require(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "fuzz_bitmap_pass: %s\n", what);
    std::abort();
  }
}

void fillFrom(FuzzedDataProvider& data, uint8_t* bytes, size_t size) {
  const std::vector<uint8_t> seed = data.ConsumeRemainingBytes<uint8_t>();
  for (size_t i = 0; i < size; ++i) {
    bytes[i] = seed.empty() ? uint8_t(i * 37) : seed[i % seed.size()];
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  FuzzedDataProvider data(bytes, size);
  const unsigned char mode = data.ConsumeIntegral<unsigned char>();
  const uint32_t width = data.ConsumeIntegralInRange<uint32_t>(0, 300);
  const uint32_t height = data.ConsumeIntegralInRange<uint32_t>(0, 24);
  const uint32_t rowBytes = 4 * width;
  // Mostly valid strides (with padding), sometimes one shorter than a row.
  const uint32_t stride =
      data.ConsumeBool()
          ? rowBytes + data.ConsumeIntegralInRange<uint32_t>(0, 70)
          : data.ConsumeIntegralInRange<uint32_t>(0, rowBytes);
  const size_t offset = data.ConsumeIntegralInRange<size_t>(0, 63);
  const int32_t format = data.ConsumeBool() ? ANDROID_BITMAP_FORMAT_RGBA_8888
                                            : data.ConsumeIntegral<int32_t>();
  const int getInfoResult =
      data.ConsumeIntegralInRange<int>(0, 8) == 0 ? -1 : 0;
  const int lockResult = data.ConsumeIntegralInRange<int>(0, 8) == 0 ? -3 : 0;
  const uint32_t flags = data.ConsumeIntegral<uint32_t>();
  const bool recycled = data.ConsumeIntegralInRange<int>(0, 8) == 0;
  const int apiLevel = data.ConsumeIntegralInRange<int>(21, 37);
  const bool premultiplied =
      (flags & ime::kBitmapFlagsAlphaMask) == ime::kBitmapFlagsAlphaPremul;

  const size_t imageBytes = offset + size_t{stride} * height;
  GuardedBytes memory(imageBytes);
  fillFrom(data, memory.data(), imageBytes);
  const std::vector<uint8_t> before(memory.data(), memory.data() + imageBytes);

  // Every row path over the same bytes taken as one run of words.
  const size_t words = (imageBytes - offset) / 4;
  for (ime::RowPath path : availableRowPaths()) {
    GuardedBytes run(imageBytes);
    std::copy(before.begin(), before.end(), run.data());
    ime::rowFunction(path, mode == 1, premultiplied)(run.data() + offset,
                                                     words);
    for (size_t i = 0; i < imageBytes; ++i) {
      const bool inRun = i >= offset && i < offset + 4 * words;
      if (!inRun)
        require(run.data()[i] == before[i], "row path wrote outside its run");
    }
    for (size_t w = 0; w < words; ++w) {
      const size_t at = offset + 4 * w;
      require(wordAt(run.data() + at) ==
                  referenceWord(wordAt(&before[at]), mode == 1,
                                premultiplied),
              "row path disagrees with the per-word conversion");
    }
    require(run.guardsIntact(), "row path wrote past the buffer");
  }

  // The pass itself, through the platform interface.
  FakeBitmap bitmap;
  bitmap.info = {width, height, stride, format, flags};
  bitmap.pixels = memory.data() + offset;
  bitmap.getInfoResult = getInfoResult;
  bitmap.lockResult = lockResult;
  bitmap.recycled = recycled;
  bitmap.apiLevel = apiLevel;
  FakeBitmapVm vm;
  changeDayNightModeInner(vm.env(), bitmap.handle(), mode);

  require(vm.trapped().empty(), "the pass called an unexpected JNI function");
  require(vm.violations().empty() && vm.liveLocalRefs() == 0,
          "the pass broke a JNI rule");
  require(bitmap.fatalCalls == 0, "a recycled bitmap reached the interface");
  require(bitmap.locksPaired(), "lock and unlock not paired");
  require(memory.guardsIntact(), "the pass wrote past the bitmap");
  const bool converts = !recycled && getInfoResult == 0 &&
                        format == ANDROID_BITMAP_FORMAT_RGBA_8888 &&
                        lockResult == 0 && width > 0 && height > 0 &&
                        stride >= rowBytes;
  require(bitmap.lockCalls ==
              (!recycled && getInfoResult == 0 && format == 1 ? 1 : 0),
          "locked a bitmap it may not convert");
  require(imageMismatch(before.data(), memory.data(), imageBytes, offset, width,
                        stride, mode == 1, converts ? 1 : 0, premultiplied)
              .empty(),
          "the pass left a byte as it must not");
  return 0;
}
