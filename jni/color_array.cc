// Tints an array of colours: each destination element gets the source
// element's alpha ORed with one colour. The source is only borrowed and is
// never written back; the destination is written one element at a time.
#include <jni.h>
#include <stdint.h>

#include "ime_graphics/ime_graphics.h"

namespace {

inline void storeElement(JNIEnv* env, jintArray array, jint index, jint value) {
  if (array == nullptr || index < 0 || env == nullptr) return;
  env->SetIntArrayRegion(array, index, 1, &value);
}

inline jint tint(jint source, jint rgb) {
  return static_cast<jint>((static_cast<uint32_t>(source) & 0xFF000000u) |
                           static_cast<uint32_t>(rgb));
}

}  // namespace

void setIntArrayElement(JNIEnv* env, jintArray array, int index, int value) {
  storeElement(env, array, index, value);
}

void Java_com_zarnu_util_ImeGraphics_glChangeColor(JNIEnv* env, jclass,
                                                   jintArray srcColors,
                                                   jintArray dstColors,
                                                   jint rgb) {
  if (env == nullptr || srcColors == nullptr) return;
  jboolean isCopy = JNI_FALSE;
  jint* const source = env->GetIntArrayElements(srcColors, &isCopy);
  // Null means the VM is out of memory with an exception pending: no JNI
  // call may follow, and there is nothing to release.
  if (source == nullptr) return;
  const jsize length = env->GetArrayLength(srcColors);
  // Stores past the destination's end would raise an exception and every
  // later call would run with it pending, so only the common part is
  // written.
  jsize count = 0;
  if (dstColors != nullptr) {
    const jsize dstLength = env->GetArrayLength(dstColors);
    count = length < dstLength ? length : dstLength;
  }
  for (jsize i = 0; i < count; ++i) {
    storeElement(env, dstColors, i, tint(source[i], rgb));
  }
  env->ReleaseIntArrayElements(srcColors, source, JNI_ABORT);
}
