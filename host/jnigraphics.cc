// Host stand-in for the device's libjnigraphics.so, over the stand-in
// android.graphics.Bitmap of this folder: the three bitmap functions with
// the platform's results on the release android.os.Build.VERSION.SDK_INT
// names (a recycled bitmap is still described, except that API 23-25 abort
// the process, where this throws an Error; the flags carry the alpha mode and
// the hardware bit from API 30, 0 before; recycled and hardware bitmaps
// cannot be locked; the unlock tells the renderer that the pixels changed,
// by a new generation id, for every bitmap before API 30 and for mutable
// ones only from API 30), plus what tests need to see and steer (outstanding
// locks, locks taken, unlocks that matched no lock, injected failures).
// Test and demo scaffolding only; the device build links the real library.
// None of these rules can be held to Android's framework code here, so they
// stay modelled from the sources named: Robolectric ships no bitmap interface
// of its own (hwui's libs/hwui/apex/android_bitmap.cpp is built for Android
// only), and runs native graphics from SDK 26 only, past the abort of API
// 23-25.
#include <android/bitmap.h>
#include <jni.h>
#include <stdint.h>

#include "jni/bitmap_flags.h"

namespace {

// Fields of android.graphics.Bitmap (host/android/graphics/Bitmap.java).
struct BitmapFields {
  JNIEnv* env;
  jobject bitmap;

  jfieldID id(const char* name, const char* type) const {
    jclass cls = env->GetObjectClass(bitmap);
    jfieldID field = env->GetFieldID(cls, name, type);
    env->DeleteLocalRef(cls);
    return field;
  }
  jint getInt(const char* name) const {
    return env->GetIntField(bitmap, id(name, "I"));
  }
  void setInt(const char* name, jint value) const {
    env->SetIntField(bitmap, id(name, "I"), value);
  }
  bool getBoolean(const char* name) const {
    return env->GetBooleanField(bitmap, id(name, "Z")) == JNI_TRUE;
  }
  void call(const char* name) const {
    jclass cls = env->GetObjectClass(bitmap);
    jmethodID method = env->GetMethodID(cls, name, "()V");
    env->DeleteLocalRef(cls);
    env->CallVoidMethod(bitmap, method);
  }
  void* pixels() const {
    jobject buffer =
        env->GetObjectField(bitmap, id("mBuffer", "Ljava/nio/ByteBuffer;"));
    void* base = env->GetDirectBufferAddress(buffer);
    env->DeleteLocalRef(buffer);
    return static_cast<uint8_t*>(base) + getInt("mOffset");
  }
};

jint apiLevel(JNIEnv* env) {
  jclass version = env->FindClass("android/os/Build$VERSION");
  const jint level = env->GetStaticIntField(
      version, env->GetStaticFieldID(version, "SDK_INT", "I"));
  env->DeleteLocalRef(version);
  return level;
}

// Android 6 and 7 reach a bitmap's pixels through an assertion that it is
// valid, which kills the process; the JVM is spared, the caller is not.
bool abortsOnRecycled(JNIEnv* env, const BitmapFields& bitmap) {
  const jint level = apiLevel(env);
  if (level < 23 || level > 25 || !bitmap.getBoolean("mRecycled")) {
    return false;
  }
  jclass error = env->FindClass("java/lang/Error");
  env->ThrowNew(error,
                "the process would abort here: cannot access an invalid/"
                "free'd bitmap");
  env->DeleteLocalRef(error);
  return true;
}

bool isBitmap(JNIEnv* env, jobject object) {
  if (env == nullptr || object == nullptr) return false;
  jclass cls = env->FindClass("android/graphics/Bitmap");
  if (cls == nullptr) {
    env->ExceptionClear();
    return false;
  }
  const bool is = env->IsInstanceOf(object, cls) == JNI_TRUE;
  env->DeleteLocalRef(cls);
  return is;
}

}  // namespace

extern "C" {

int AndroidBitmap_getInfo(JNIEnv* env, jobject jbitmap,
                          AndroidBitmapInfo* info) {
  if (!isBitmap(env, jbitmap)) return ANDROID_BITMAP_RESULT_BAD_PARAMETER;
  const BitmapFields bitmap{env, jbitmap};
  const jint injected = bitmap.getInt("mGetInfoResult");
  if (injected != ANDROID_BITMAP_RESULT_SUCCESS) return injected;
  if (abortsOnRecycled(env, bitmap)) return ANDROID_BITMAP_RESULT_JNI_EXCEPTION;
  if (info != nullptr) {
    info->width = static_cast<uint32_t>(bitmap.getInt("mWidth"));
    info->height = static_cast<uint32_t>(bitmap.getInt("mHeight"));
    info->stride = static_cast<uint32_t>(bitmap.getInt("mRowBytes"));
    info->format = bitmap.getInt("mFormat");
    info->flags = !bitmap.getBoolean("mHasAlpha") ? ime::kBitmapFlagsAlphaOpaque
                  : bitmap.getBoolean("mPremultiplied")
                      ? ime::kBitmapFlagsAlphaPremul
                      : ime::kBitmapFlagsAlphaUnpremul;
    if (bitmap.getBoolean("mHardware")) {
      info->flags |= ime::kBitmapFlagsIsHardware;
    }
    if (apiLevel(env) < 30) info->flags = 0;
  }
  return ANDROID_BITMAP_RESULT_SUCCESS;
}

int AndroidBitmap_lockPixels(JNIEnv* env, jobject jbitmap, void** addrPtr) {
  if (!isBitmap(env, jbitmap)) return ANDROID_BITMAP_RESULT_BAD_PARAMETER;
  const BitmapFields bitmap{env, jbitmap};
  const jint injected = bitmap.getInt("mLockResult");
  if (injected != ANDROID_BITMAP_RESULT_SUCCESS) return injected;
  if (abortsOnRecycled(env, bitmap)) return ANDROID_BITMAP_RESULT_JNI_EXCEPTION;
  // The device finds no pixels to hand out for these.
  if (bitmap.getBoolean("mRecycled") || bitmap.getBoolean("mHardware")) {
    return ANDROID_BITMAP_RESULT_JNI_EXCEPTION;
  }
  bitmap.setInt("mLockCount", bitmap.getInt("mLockCount") + 1);
  bitmap.setInt("mLockCalls", bitmap.getInt("mLockCalls") + 1);
  if (addrPtr != nullptr) *addrPtr = bitmap.pixels();
  return ANDROID_BITMAP_RESULT_SUCCESS;
}

int AndroidBitmap_unlockPixels(JNIEnv* env, jobject jbitmap) {
  if (!isBitmap(env, jbitmap)) return ANDROID_BITMAP_RESULT_BAD_PARAMETER;
  const BitmapFields bitmap{env, jbitmap};
  const jint locks = bitmap.getInt("mLockCount");
  if (locks == 0) {
    bitmap.setInt("mUnmatchedUnlocks", bitmap.getInt("mUnmatchedUnlocks") + 1);
    return ANDROID_BITMAP_RESULT_BAD_PARAMETER;
  }
  bitmap.setInt("mLockCount", locks - 1);
  // Before API 30 the unlock tells every bitmap's pixel ref that its pixels
  // changed (core/jni/android/graphics/Bitmap.cpp, bitmap::unlockPixels); from
  // API 30 only a mutable one's (libs/hwui/apex/android_bitmap.cpp,
  // ABitmap_notifyPixelsChanged).
  if (apiLevel(env) < 30 || bitmap.getBoolean("mMutable")) {
    bitmap.call("notifyPixelsChanged");
  }
  return ANDROID_BITMAP_RESULT_SUCCESS;
}

}  // extern "C"
