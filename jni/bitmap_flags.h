// AndroidBitmapInfo flag values that the NDK documents but older copies of
// android/bitmap.h (Debian's among them) lack. They carry their own names so
// that they never clash with the NDK's enumerators.
#ifndef IME_GRAPHICS_JNI_BITMAP_FLAGS_H
#define IME_GRAPHICS_JNI_BITMAP_FLAGS_H

#include <stdint.h>

namespace ime {

// AndroidBitmapInfo.flags: the alpha mode in the low bits, reported from
// API 30 on (earlier releases report 0, that is premultiplied, for every
// bitmap), and whether the pixels live in graphics memory only.
constexpr uint32_t kBitmapFlagsAlphaMask = 0x3;         // _ALPHA_MASK
constexpr uint32_t kBitmapFlagsAlphaPremul = 0;         // _ALPHA_PREMUL
constexpr uint32_t kBitmapFlagsAlphaOpaque = 1;         // _ALPHA_OPAQUE
constexpr uint32_t kBitmapFlagsAlphaUnpremul = 2;       // _ALPHA_UNPREMUL
constexpr uint32_t kBitmapFlagsIsHardware = 1u << 31;  // _IS_HARDWARE

}  // namespace ime

#endif
