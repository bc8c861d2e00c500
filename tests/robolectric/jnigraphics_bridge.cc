// libjnigraphics.so for the Robolectric tier: the three bitmap functions over
// the real android.graphics.Bitmap that Robolectric runs (frameworks/base's
// Bitmap.java over hwui and Skia), reached through its public Java API only,
// since Robolectric's native runtime exports no AndroidBitmap_* or ABitmap_*
// (hwui's libs/hwui/apex/android_bitmap.cpp is built for Android alone).
//
// What it reaches: the width, height and row bytes, the config, hasAlpha and
// isPremultiplied of the bitmap itself, and its stored bytes, by
// copyPixelsToBuffer at the lock and copyPixelsFromBuffer at the unlock.
// What it models instead:
// - the pointer is a copy of the pixels, written back at the unlock, where a
//   device hands out the pixels themselves;
// - from API 30 a device's unlock of an immutable bitmap tells the renderer
//   nothing (ABitmap_notifyPixelsChanged skips it), where here the write-back
//   gives every bitmap a new generation id (Bitmap_copyPixelsFromBuffer calls
//   notifyPixelsChanged; Bitmap.copyPixelsFromBuffer refuses only recycled
//   and hardware bitmaps, immutable ones never, at SDK 26 to 37), so that
//   rule stays with the host stand-in;
// - the bytes are in the host's order: Skia's N32 on Linux x86-64 is B, G, R,
//   A in memory where a device stores R, G, B, A
//   (https://github.com/robolectric/robolectric/issues/8372), yet the format
//   reported is the device's RGBA_8888;
// - a recycled or hardware bitmap fails the lock, as it finds no pixels on a
//   device (AndroidBitmap_lockPixels), and is still described by getInfo;
//   Robolectric makes no HARDWARE bitmap (copy and decode give ARGB_8888), so
//   that rule is the device's, unexercised here.
// Every Java exception met is cleared and turned into an error result, so
// none is left pending for the caller's next JNI call.
// Built for the host only, as a test harness; never part of a device build.
#include <android/bitmap.h>
#include <jni.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include <iterator>
#include <mutex>
#include <vector>

#include "jni/bitmap_flags.h"

namespace {

// A call on the bitmap's own class; false if it threw, the exception cleared.
struct Calls {
  JNIEnv* env;
  jobject bitmap;

  jmethodID method(const char* name, const char* signature) const {
    jclass cls = env->GetObjectClass(bitmap);
    jmethodID id = env->GetMethodID(cls, name, signature);
    env->DeleteLocalRef(cls);
    return id;
  }
  bool failed() const {
    if (!env->ExceptionCheck()) return false;
    env->ExceptionClear();
    return true;
  }
  bool getInt(const char* name, jint* value) const {
    jmethodID id = method(name, "()I");
    if (failed()) return false;
    *value = env->CallIntMethod(bitmap, id);
    return !failed();
  }
  bool getBoolean(const char* name, bool* value) const {
    jmethodID id = method(name, "()Z");
    if (failed()) return false;
    *value = env->CallBooleanMethod(bitmap, id) == JNI_TRUE;
    return !failed();
  }
  bool withBuffer(const char* name, void* pixels, jlong size) const {
    jmethodID id = method(name, "(Ljava/nio/Buffer;)V");
    if (failed()) return false;
    jobject buffer = env->NewDirectByteBuffer(pixels, size);
    if (failed()) return false;
    env->CallVoidMethod(bitmap, id, buffer);
    env->DeleteLocalRef(buffer);
    return !failed();
  }
  // The name of getConfig(), into name; empty for a null config.
  bool configName(char* name, size_t size) const {
    name[0] = '\0';
    jmethodID id = method("getConfig", "()Landroid/graphics/Bitmap$Config;");
    if (failed()) return false;
    jobject config = env->CallObjectMethod(bitmap, id);
    if (failed()) return false;
    if (config == nullptr) return true;
    jclass cls = env->GetObjectClass(config);
    jmethodID nameId = env->GetMethodID(cls, "name", "()Ljava/lang/String;");
    env->DeleteLocalRef(cls);
    if (failed()) return false;
    auto text = static_cast<jstring>(env->CallObjectMethod(config, nameId));
    env->DeleteLocalRef(config);
    if (failed() || text == nullptr) return false;
    const char* chars = env->GetStringUTFChars(text, nullptr);
    const bool copied = chars != nullptr;
    if (copied) {
      strncpy(name, chars, size - 1);
      name[size - 1] = '\0';
      env->ReleaseStringUTFChars(text, chars);
    }
    env->DeleteLocalRef(text);
    return !failed() && copied;
  }
};

// Bitmap.Config to AndroidBitmapFormat, as the device's getInfo reports it
// (libs/hwui/apex/android_bitmap.cpp, getFormat): a hardware bitmap is
// described as RGBA_8888.
int32_t formatOf(const char* config) {
  static const struct {
    const char* name;
    int32_t format;
  } kFormats[] = {
      {"ARGB_8888", ANDROID_BITMAP_FORMAT_RGBA_8888},
      {"HARDWARE", ANDROID_BITMAP_FORMAT_RGBA_8888},
      {"RGB_565", ANDROID_BITMAP_FORMAT_RGB_565},
      {"ARGB_4444", ANDROID_BITMAP_FORMAT_RGBA_4444},
      {"ALPHA_8", ANDROID_BITMAP_FORMAT_A_8},
      {"RGBA_F16", 9},       // ANDROID_BITMAP_FORMAT_RGBA_F16
      {"RGBA_1010102", 10},  // ANDROID_BITMAP_FORMAT_RGBA_1010102
  };
  for (const auto& entry : kFormats) {
    if (strcmp(entry.name, config) == 0) return entry.format;
  }
  return ANDROID_BITMAP_FORMAT_NONE;
}

// Build.VERSION.SDK_INT of the calling class's loader: the sandbox's.
bool apiLevel(JNIEnv* env, jint* level) {
  jclass version = env->FindClass("android/os/Build$VERSION");
  if (version != nullptr) {
    jfieldID field = env->GetStaticFieldID(version, "SDK_INT", "I");
    if (field != nullptr) *level = env->GetStaticIntField(version, field);
    env->DeleteLocalRef(version);
  }
  if (!env->ExceptionCheck()) return true;
  env->ExceptionClear();
  return false;
}

// The copies handed out by the lock, each with the bitmap it belongs to.
struct Lock {
  jobject bitmap;  // global reference
  void* pixels;
  jlong size;
};
std::mutex locksMutex;
std::vector<Lock> locks;

}  // namespace

extern "C" {

int AndroidBitmap_getInfo(JNIEnv* env, jobject jbitmap,
                          AndroidBitmapInfo* info) {
  if (env == nullptr || jbitmap == nullptr) {
    return ANDROID_BITMAP_RESULT_BAD_PARAMETER;
  }
  const Calls bitmap{env, jbitmap};
  jint width = 0, height = 0, rowBytes = 0, level = 0;
  bool hasAlpha = false, premultiplied = false;
  char config[32];
  if (!bitmap.getInt("getWidth", &width) ||
      !bitmap.getInt("getHeight", &height) ||
      !bitmap.getInt("getRowBytes", &rowBytes) ||
      !bitmap.getBoolean("hasAlpha", &hasAlpha) ||
      !bitmap.getBoolean("isPremultiplied", &premultiplied) ||
      !bitmap.configName(config, sizeof config) || !apiLevel(env, &level)) {
    return ANDROID_BITMAP_RESULT_JNI_EXCEPTION;
  }
  if (info != nullptr) {
    info->width = static_cast<uint32_t>(width);
    info->height = static_cast<uint32_t>(height);
    info->stride = static_cast<uint32_t>(rowBytes);
    info->format = formatOf(config);
    // The alpha mode and the hardware bit from API 30 (getInfo's flags in
    // android_bitmap.cpp); 0 before.
    info->flags = 0;
    if (level >= 30) {
      info->flags = !hasAlpha       ? ime::kBitmapFlagsAlphaOpaque
                    : premultiplied ? ime::kBitmapFlagsAlphaPremul
                                    : ime::kBitmapFlagsAlphaUnpremul;
      if (strcmp(config, "HARDWARE") == 0) {
        info->flags |= ime::kBitmapFlagsIsHardware;
      }
    }
  }
  return ANDROID_BITMAP_RESULT_SUCCESS;
}

int AndroidBitmap_lockPixels(JNIEnv* env, jobject jbitmap, void** addrPtr) {
  if (env == nullptr || jbitmap == nullptr) {
    return ANDROID_BITMAP_RESULT_BAD_PARAMETER;
  }
  const Calls bitmap{env, jbitmap};
  bool recycled = false;
  jint rowBytes = 0, height = 0;
  char config[32];
  if (!bitmap.getBoolean("isRecycled", &recycled)) {
    return ANDROID_BITMAP_RESULT_JNI_EXCEPTION;
  }
  if (recycled) return ANDROID_BITMAP_RESULT_JNI_EXCEPTION;
  if (!bitmap.configName(config, sizeof config) ||
      strcmp(config, "HARDWARE") == 0 ||
      !bitmap.getInt("getRowBytes", &rowBytes) ||
      !bitmap.getInt("getHeight", &height)) {
    return ANDROID_BITMAP_RESULT_JNI_EXCEPTION;
  }
  const jlong size = static_cast<jlong>(rowBytes) * height;
  void* pixels = malloc(size > 0 ? static_cast<size_t>(size) : 1);
  if (pixels == nullptr) return ANDROID_BITMAP_RESULT_ALLOCATION_FAILED;
  jobject global = env->NewGlobalRef(jbitmap);
  if (global == nullptr ||
      !bitmap.withBuffer("copyPixelsToBuffer", pixels, size)) {
    if (global != nullptr) env->DeleteGlobalRef(global);
    free(pixels);
    return ANDROID_BITMAP_RESULT_JNI_EXCEPTION;
  }
  {
    std::lock_guard<std::mutex> guard(locksMutex);
    locks.push_back({global, pixels, size});
  }
  if (addrPtr != nullptr) *addrPtr = pixels;
  return ANDROID_BITMAP_RESULT_SUCCESS;
}

int AndroidBitmap_unlockPixels(JNIEnv* env, jobject jbitmap) {
  if (env == nullptr || jbitmap == nullptr) {
    return ANDROID_BITMAP_RESULT_BAD_PARAMETER;
  }
  Lock lock{};
  {
    std::lock_guard<std::mutex> guard(locksMutex);
    for (auto it = locks.rbegin(); it != locks.rend(); ++it) {
      if (env->IsSameObject(it->bitmap, jbitmap)) {
        lock = *it;
        locks.erase(std::next(it).base());
        break;
      }
    }
  }
  if (lock.bitmap == nullptr) return ANDROID_BITMAP_RESULT_BAD_PARAMETER;
  const bool written = Calls{env, jbitmap}.withBuffer(
      "copyPixelsFromBuffer", lock.pixels, lock.size);
  env->DeleteGlobalRef(lock.bitmap);
  free(lock.pixels);
  return written ? ANDROID_BITMAP_RESULT_SUCCESS
                 : ANDROID_BITMAP_RESULT_JNI_EXCEPTION;
}

}  // extern "C"
