// Every 32-bit word through every row path the CPU can run, both mappings,
// plain and for premultiplied pixels, against tables built from the closed
// forms. Takes an optional block step:
// 1 (the default) checks all 2^32 words; N checks every Nth block of 2^16.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

#include "color/row_dispatch.h"
#include "pixel_test_support.h"

namespace {

using ime::RowPath;

struct Tables {
  uint32_t night[256], day[256];
  Tables() {
    for (int v = 0; v < 256; ++v) {
      const int n = 680 * v / 1024 - 33, d = (v + 33) * 1024 / 680;
      night[v] = uint32_t(n < 0 ? 0 : n);
      day[v] = uint32_t(d > 255 ? 255 : d);
    }
  }
};

uint32_t expected(const uint32_t* table, uint32_t w, bool premultiplied) {
  const uint32_t a = w >> 24;
  if (a == 0) return w;
  uint32_t out = w & 0xFF000000u;
  for (int shift = 0; shift < 24; shift += 8) {
    const uint32_t c = table[(w >> shift) & 0xFF];
    out |= (premultiplied && c > a ? a : c) << shift;
  }
  return out;
}

// Checks blocks first, first + step * threads, ...; returns the failures.
unsigned long checkBlocks(const std::vector<RowPath>& paths, uint32_t first,
                          uint32_t step) {
  static const Tables tables;
  std::vector<uint32_t> input(1 << 16), want(1 << 16), got(1 << 16);
  unsigned long failures = 0;
  for (uint64_t block = first; block < (1u << 16); block += step) {
    for (int mode = 0; mode < 4; ++mode) {
      const bool night = mode & 1, premultiplied = mode & 2;
      const uint32_t* table = night ? tables.night : tables.day;
      for (uint32_t i = 0; i < (1u << 16); ++i) {
        input[i] = uint32_t(block << 16 | i);
        want[i] = expected(table, input[i], premultiplied);
      }
      for (RowPath path : paths) {
        got = input;
        ime::rowFunction(path, night, premultiplied)(
            reinterpret_cast<uint8_t*>(got.data()), got.size());
        if (std::memcmp(got.data(), want.data(), 4 << 16) == 0) continue;
        for (uint32_t i = 0; i < (1u << 16); ++i) {
          if (got[i] != want[i] && ++failures <= 10) {
            std::printf("path %d %s%s: 0x%08X gave 0x%08X, want 0x%08X\n",
                        int(path), night ? "night" : "day",
                        premultiplied ? " premultiplied" : "", input[i],
                        got[i], want[i]);
          }
        }
      }
    }
  }
  return failures;
}

}  // namespace

int main(int argc, char** argv) {
  const uint32_t blockStep = argc > 1 ? uint32_t(std::atoi(argv[1])) : 1;
  if (blockStep == 0) return 2;
  const std::vector<RowPath> paths = availableRowPaths();
  const unsigned threads = 2;
  unsigned long failures[threads] = {};
  std::vector<std::thread> workers;
  for (unsigned t = 0; t < threads; ++t) {
    workers.emplace_back([&, t] {
      failures[t] = checkBlocks(paths, t * blockStep, threads * blockStep);
    });
  }
  for (auto& w : workers) w.join();
  const unsigned long total = failures[0] + failures[1];
  std::printf(
      "%zu paths, every %u-th block of 2^16 words, both mappings, plain and "
      "premultiplied: "
      "%lu mismatches\n",
      paths.size(), blockStep, total);
  return total == 0 ? 0 : 1;
}
