// An app's own native code, calling the library as an app does: through the
// header of the archive's Prefab package, linked to the library there. The
// test harness of tests/shipped/ calls these four functions in place of the
// library's C++ routines.
#include <ime_graphics/ime_graphics.h>

#define APP_EXPORT extern "C" __attribute__((visibility("default")))

APP_EXPORT int appNightColor(int color) { return changeToNightColor(color); }

APP_EXPORT int appDayColor(int color) { return changeToDayColor(color); }

APP_EXPORT void appConvertBitmap(JNIEnv* env, jobject bitmap,
                                 unsigned char nightMode) {
  changeDayNightModeInner(env, bitmap, nightMode);
}

APP_EXPORT void appSetElement(JNIEnv* env, jintArray array, int index,
                              int value) {
  setIntArrayElement(env, array, index, value);
}
