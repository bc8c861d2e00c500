// Converts a Java Bitmap to night or day colours in place, through the
// platform's bitmap interface. Every failure leaves the bitmap untouched and
// returns silently (leaving any exception the VM raised to the caller); a
// successful lock is always paired with one unlock.
#include <android/bitmap.h>
#include <jni.h>

#include "color/day_night.h"
#include "ime_graphics/ime_graphics.h"
#include "jni/bitmap_flags.h"

namespace {

// Asks the bitmap's own isRecycled() before the bitmap interface sees it:
// Android 6 and 7 abort the process when AndroidBitmap_getInfo is handed a
// recycled bitmap. False when it is recycled or the question failed; a
// failure leaves the VM's exception pending and makes no further JNI call,
// not even DeleteLocalRef: the class reference is a local reference, which
// the VM reclaims when the native method returns.
bool notRecycled(JNIEnv* env, jobject bitmap) {
  jclass cls = env->GetObjectClass(bitmap);
  if (cls == nullptr) return false;
  jmethodID isRecycled = env->GetMethodID(cls, "isRecycled", "()Z");
  if (isRecycled == nullptr) return false;
  // A method ID stays valid while its class is loaded, and the bitmap keeps
  // its class loaded.
  env->DeleteLocalRef(cls);
  const jboolean recycled = env->CallBooleanMethod(bitmap, isRecycled);
  return !env->ExceptionCheck() && recycled == JNI_FALSE;
}

inline void convertBitmap(JNIEnv* env, jobject bitmap,
                          unsigned char nightMode) {
  if (env == nullptr || bitmap == nullptr) return;
  if (!notRecycled(env, bitmap)) return;
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

void changeDayNightModeInner(JNIEnv* env, jobject bitmap,
                             unsigned char nightMode) {
  convertBitmap(env, bitmap, nightMode);
}

void Java_com_zarnu_util_ImeGraphics_glSetNight(JNIEnv* env, jclass,
                                                jobject bitmap) {
  convertBitmap(env, bitmap, 1);
}

void Java_com_zarnu_util_ImeGraphics_glSetToDayMode(JNIEnv* env, jclass,
                                                    jobject bitmap) {
  convertBitmap(env, bitmap, 0);
}
