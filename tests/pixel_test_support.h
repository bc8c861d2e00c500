// Helpers shared by the pixel tests: reference conversion and guarded buffers.
#ifndef IME_GRAPHICS_TESTS_PIXEL_TEST_SUPPORT_H
#define IME_GRAPHICS_TESTS_PIXEL_TEST_SUPPORT_H

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "color/channel_mapping.h"
#include "color/row_dispatch.h"

// Every row path this CPU can run, the portable one first; in a build of
// the emulated AVX-512 rows, those alone.
inline std::vector<ime::RowPath> availableRowPaths() {
#if IME_AVX512_EMULATED
  return {ime::RowPath::kAvx512};
#else
  std::vector<ime::RowPath> paths;
  for (ime::RowPath p :
       {ime::RowPath::kC, ime::RowPath::kSse2, ime::RowPath::kAvx2,
        ime::RowPath::kAvx512, ime::RowPath::kNeon}) {
    if (ime::rowPathAvailable(p)) paths.push_back(p);
  }
  return paths;
#endif
}

// Each word converted by itself with the single-word mapping, and for
// premultiplied pixels each channel then held to the alpha.
inline uint32_t referenceWord(uint32_t w, bool night,
                              bool premultiplied = false) {
  uint32_t out = night ? ime::nightWord(w) : ime::dayWord(w);
  const uint32_t alpha = w >> 24;
  if (!premultiplied || alpha == 0) return out;
  for (int shift = 0; shift < 24; shift += 8) {
    if (((out >> shift) & 0xFF) > alpha) {
      out = (out & ~(0xFFu << shift)) | alpha << shift;
    }
  }
  return out;
}

inline uint32_t wordAt(const uint8_t* p) {
  uint32_t w;
  std::memcpy(&w, p, 4);
  return w;
}
inline void putWord(uint8_t* p, uint32_t w) { std::memcpy(p, &w, 4); }

// A byte buffer with guard bytes on both sides, so a test can hand out memory
// at any offset and see any byte written outside the part it owns.
class GuardedBytes {
 public:
  static constexpr size_t kGuard = 64;
  static constexpr uint8_t kCanary = 0xA5;

  explicit GuardedBytes(size_t size)
      : bytes_(size + 2 * kGuard, kCanary), size_(size) {}
  uint8_t* data() { return bytes_.data() + kGuard; }
  const uint8_t* data() const { return bytes_.data() + kGuard; }
  size_t size() const { return size_; }
  bool guardsIntact() const {
    for (size_t i = 0; i < kGuard; ++i) {
      if (bytes_[i] != kCanary || bytes_[kGuard + size_ + i] != kCanary)
        return false;
    }
    return true;
  }

 private:
  std::vector<uint8_t> bytes_;
  size_t size_;
};

// `size` bytes between two pages that may not be touched, so that a read or
// write even one byte outside them faults: the bytes are placed either right
// after the lower page or right before the upper one.
class PageGuardedBytes {
 public:
  explicit PageGuardedBytes(size_t size)
      : page_(size_t(sysconf(_SC_PAGESIZE))),
        dataPages_((size + page_ - 1) / page_ + 1),
        size_(size) {
    void* base = mmap(nullptr, (dataPages_ + 2) * page_, PROT_NONE,
                      MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (base == MAP_FAILED) std::abort();
    base_ = static_cast<uint8_t*>(base);
    if (mprotect(base_ + page_, dataPages_ * page_, PROT_READ | PROT_WRITE))
      std::abort();
  }
  PageGuardedBytes(const PageGuardedBytes&) = delete;
  PageGuardedBytes& operator=(const PageGuardedBytes&) = delete;
  ~PageGuardedBytes() { munmap(base_, (dataPages_ + 2) * page_); }

  uint8_t* startingAtGuard() { return base_ + page_; }
  uint8_t* endingAtGuard() { return base_ + (dataPages_ + 1) * page_ - size_; }

 private:
  size_t page_, dataPages_, size_;
  uint8_t* base_;
};

// Describes where image memory that held `before` and now holds `after` is
// not as a pass should leave it, or returns "" if it is: rows of `width` words
// every `stride` bytes from byte `offset`, each word converted `times` times
// with the given mapping (clamped to the alpha for premultiplied pixels), and
// every other byte unchanged. `times` 0 means nothing at all may change.
inline std::string imageMismatch(const uint8_t* before, const uint8_t* after,
                                 size_t size, size_t offset, uint32_t width,
                                 uint32_t stride, bool night, int times,
                                 bool premultiplied = false) {
  for (size_t i = 0; i < size; ++i) {
    const bool pixel = times > 0 && stride > 0 && i >= offset &&
                       (i - offset) % stride < 4ull * width;
    if (!pixel) {
      if (after[i] != before[i]) {
        return "byte " + std::to_string(i) + " outside the pixels changed";
      }
    } else if ((i - offset) % stride % 4 == 0) {
      uint32_t want = wordAt(before + i);
      for (int t = 0; t < times; ++t) {
        want = referenceWord(want, night, premultiplied);
      }
      if (wordAt(after + i) != want) {
        return "pixel at byte " + std::to_string(i) + " of width " +
               std::to_string(width) + ", stride " + std::to_string(stride) +
               " is wrong";
      }
    }
  }
  return "";
}

// Pixel words in the mixes a bitmap holds: photo-like (every word differs),
// flat runs, and repeats of a few colours, with transparent and barely
// visible words among them.
enum class Content { kPhoto, kFlat, kRepeating };

inline std::vector<uint32_t> makeWords(Content content, size_t n,
                                       uint32_t seed) {
  std::mt19937 rng(seed);
  std::vector<uint32_t> words(n);
  const uint32_t palette[] = {0xFF336699, 0x00FFFFFF, 0x01FFFFFF, 0x80808080,
                              0xFFFFFFFF, 0x00000000, 0xFF000000, 0x7F123456};
  uint32_t current = rng();
  for (size_t i = 0; i < n; ++i) {
    switch (content) {
      case Content::kPhoto:
        words[i] = rng();
        if (i % 7 == 3) words[i] &= 0x00FFFFFF;
        if (i % 11 == 5) words[i] = (words[i] & 0x00FFFFFF) | 0x01000000;
        break;
      case Content::kFlat:
        if (rng() % 16 == 0) current = rng();
        words[i] = current;
        break;
      case Content::kRepeating:
        words[i] = palette[rng() % 8];
        break;
    }
  }
  return words;
}

#endif
