// libime_graphics: day and night colours for an Android input method's
// graphics. These are the library's nine exported names and the only
// declarations of them: the library is compiled against this header, so a
// declaration that drifts from its definition fails to build or link.
//
// The five Java_* functions are the native methods of
// com.zarnu.util.ImeGraphics, which the VM binds by these names; Java code
// calls them through that class. The four C++ routines are for native code,
// linked by their C++ names. Every one of them runs to completion on the
// calling thread, keeps nothing between calls, reports nothing and leaves
// alone whatever it cannot convert. A colour is a 32-bit word with its
// alpha in the top byte; one whose alpha byte is 0 is never changed.
#ifndef IME_GRAPHICS_IME_GRAPHICS_H
#define IME_GRAPHICS_IME_GRAPHICS_H

#include <jni.h>

// The library's version. CMakeLists.txt refuses to configure when its
// project() says otherwise.
#define IME_GRAPHICS_VERSION_MAJOR 2
#define IME_GRAPHICS_VERSION_MINOR 1
#define IME_GRAPHICS_VERSION_PATCH 0

// Default visibility on the declarations: the library is compiled with
// hidden visibility, and its definitions take this from them.
#define IME_EXPORT __attribute__((visibility("default")))

#ifdef __cplusplus
extern "C" {
#endif

// ImeGraphics.glSetNightColor(int): changeToNightColor of the colour. Never
// reads the environment or the class.
IME_EXPORT jint Java_com_zarnu_util_ImeGraphics_glSetNightColor(JNIEnv* env,
                                                                jclass cls,
                                                                jint color);

// ImeGraphics.glSetDayColor(int): changeToDayColor of the colour. Never
// reads the environment or the class.
IME_EXPORT jint Java_com_zarnu_util_ImeGraphics_glSetDayColor(JNIEnv* env,
                                                              jclass cls,
                                                              jint color);

// ImeGraphics.glSetNight(Bitmap): changeDayNightModeInner with the mode 1.
IME_EXPORT void Java_com_zarnu_util_ImeGraphics_glSetNight(JNIEnv* env,
                                                           jclass cls,
                                                           jobject bitmap);

// ImeGraphics.glSetToDayMode(Bitmap): changeDayNightModeInner with the
// mode 0.
IME_EXPORT void Java_com_zarnu_util_ImeGraphics_glSetToDayMode(JNIEnv* env,
                                                               jclass cls,
                                                               jobject bitmap);

// ImeGraphics.glChangeColor(int[], int[], int): writes
// (src[i] & 0xFF000000) | rgb into dst[i] for every index both arrays have,
// one element at a time. src is released with JNI_ABORT, so it never
// changes. A null src or environment does nothing; a null dst writes
// nothing.
IME_EXPORT void Java_com_zarnu_util_ImeGraphics_glChangeColor(
    JNIEnv* env, jclass cls, jintArray srcColors, jintArray dstColors,
    jint rgb);

#ifdef __cplusplus
}  // extern "C"

// The night colour of any 32-bit colour: each of the three low bytes v
// becomes max(0, floor(680 v / 1024) - 33); the alpha byte is kept.
IME_EXPORT int changeToNightColor(int color);

// The day colour of any 32-bit colour, the approximate inverse: each of the
// three low bytes v becomes min(255, floor((v + 33) * 1024 / 680)); the alpha
// byte is kept.
IME_EXPORT int changeToDayColor(int color);

// Converts an android.graphics.Bitmap in place, to night colours when
// nightMode is 1 and to day colours for any other value. env is the calling
// thread's environment. Only an unrecycled RGBA_8888 bitmap whose pixels can
// be locked is converted, row by row; a premultiplied one stays valid (no
// channel ends above its alpha). A null environment or bitmap, or anything
// else, is left alone; an exception the VM raised stays pending.
IME_EXPORT void changeDayNightModeInner(JNIEnv* env, jobject bitmap,
                                        unsigned char nightMode);

// Stores value at index of a Java int[] through env->SetIntArrayRegion.
// Does nothing for a null environment or array or a negative index; an
// index past the end raises ArrayIndexOutOfBoundsException in the VM.
IME_EXPORT void setIntArrayElement(JNIEnv* env, jintArray array, int index,
                                   int value);

#endif  // __cplusplus

#endif
