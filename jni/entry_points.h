// The library's nine exported names, the only declarations of them: the
// definitions, the tests, the fuzzers and the bench all include this, so a
// signature that drifts from its definition fails to build. The five
// Java_* names are how the VM binds ImeGraphics's native methods. The four
// C++ routines are exported too, under their mangled names, because native
// callers link against them by those names; jni/libime_graphics.map lists
// all nine and hides everything else.
#ifndef IME_GRAPHICS_JNI_ENTRY_POINTS_H
#define IME_GRAPHICS_JNI_ENTRY_POINTS_H

#include <jni.h>

#define IME_EXPORT __attribute__((visibility("default")))

extern "C" {

// glSetNightColor(int) and glSetDayColor(int): the colour's night or day
// colour, as the routines below; glSetNight(Bitmap) and glSetToDayMode(Bitmap):
// changeDayNightModeInner with the mode 1 or 0; glChangeColor(int[], int[],
// int): dst[i] = (src[i] & 0xFF000000) | rgb for every index both have.
IME_EXPORT jint Java_com_zarnu_util_ImeGraphics_glSetNightColor(JNIEnv*, jclass,
                                                                jint color);
IME_EXPORT jint Java_com_zarnu_util_ImeGraphics_glSetDayColor(JNIEnv*, jclass,
                                                              jint color);
IME_EXPORT void Java_com_zarnu_util_ImeGraphics_glSetNight(JNIEnv* env, jclass,
                                                           jobject bitmap);
IME_EXPORT void Java_com_zarnu_util_ImeGraphics_glSetToDayMode(JNIEnv* env,
                                                               jclass,
                                                               jobject bitmap);
IME_EXPORT void Java_com_zarnu_util_ImeGraphics_glChangeColor(
    JNIEnv* env, jclass, jintArray srcColors, jintArray dstColors, jint rgb);

}  // extern "C"

// The night colour of `color`: each channel scaled by 680/1024 and dropped by
// 33 (floored at 0); alpha kept; a colour whose alpha byte is 0 returned
// unchanged, all 32 bits.
IME_EXPORT int changeToNightColor(int color);

// The day colour of `color`, the approximate inverse: each channel raised to
// min(255, (v + 33) * 1024 / 680); alpha and transparent colours as above.
IME_EXPORT int changeToDayColor(int color);

// Converts `bitmap` in place, to night colours when `nightMode` is 1 and to
// day colours otherwise. Anything but an unrecycled, lockable RGBA_8888
// bitmap is left alone; nothing is reported.
IME_EXPORT void changeDayNightModeInner(JNIEnv* env, jobject bitmap,
                                        unsigned char nightMode);

// Stores `value` at `index` of `array` through the environment; does
// nothing for a null array or environment or a negative index.
IME_EXPORT void setIntArrayElement(JNIEnv* env, jintArray array, int index,
                                   int value);

#endif
