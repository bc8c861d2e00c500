// Single-colour conversions for Java. They touch no JNI function, so neither
// the environment nor the class is read.
#include <jni.h>

#include "color/channel_mapping.h"
#include "color/day_night.h"

extern "C" {

IME_EXPORT jint Java_com_zarnu_util_ImeGraphics_glSetNightColor(JNIEnv*, jclass,
                                                                jint color) {
  return static_cast<jint>(ime::nightWord(static_cast<uint32_t>(color)));
}

IME_EXPORT jint Java_com_zarnu_util_ImeGraphics_glSetDayColor(JNIEnv*, jclass,
                                                              jint color) {
  return static_cast<jint>(ime::dayWord(static_cast<uint32_t>(color)));
}

}  // extern "C"
