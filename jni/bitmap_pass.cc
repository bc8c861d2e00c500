// Converts a Java Bitmap to night or day colours in place, through the
// platform's bitmap interface. Every failure leaves the bitmap untouched and
// returns silently; a successful lock is always paired with one unlock.
#include <android/bitmap.h>
#include <jni.h>

#include "color/day_night.h"
#include "jni/bitmap_flags.h"

namespace {

inline void convertBitmap(JNIEnv* env, jobject bitmap,
                          unsigned char nightMode) {
  if (env == nullptr || bitmap == nullptr) return;
  AndroidBitmapInfo info;
  if (AndroidBitmap_getInfo(env, bitmap, &info) !=
      ANDROID_BITMAP_RESULT_SUCCESS)
    return;
  if (info.format != ANDROID_BITMAP_FORMAT_RGBA_8888) return;
  void* pixels = nullptr;
  if (AndroidBitmap_lockPixels(env, bitmap, &pixels) !=
      ANDROID_BITMAP_RESULT_SUCCESS)
    return;
  // Rows are walked by the stride, so padded rows are converted whole and
  // their padding is left alone. Premultiplied pixels stay valid: no channel
  // is raised above the alpha (day lifts dark channels to 49 and more).
  const bool premultiplied = (info.flags & ime::kBitmapFlagsAlphaMask) ==
                             ime::kBitmapFlagsAlphaPremul;
  if (pixels != nullptr) {
    changeDayNightRows(pixels, info.width, info.height, info.stride, nightMode,
                       premultiplied);
  }
  AndroidBitmap_unlockPixels(env, bitmap);
}

}  // namespace

IME_EXPORT void changeDayNightModeInner(JNIEnv* env, jobject bitmap,
                                        unsigned char nightMode) {
  convertBitmap(env, bitmap, nightMode);
}

extern "C" {

IME_EXPORT void Java_com_zarnu_util_ImeGraphics_glSetNight(JNIEnv* env, jclass,
                                                           jobject bitmap) {
  convertBitmap(env, bitmap, 1);
}

IME_EXPORT void Java_com_zarnu_util_ImeGraphics_glSetToDayMode(JNIEnv* env,
                                                               jclass,
                                                               jobject bitmap) {
  convertBitmap(env, bitmap, 0);
}

}  // extern "C"
