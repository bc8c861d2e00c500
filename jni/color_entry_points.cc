// The single-colour routines and their entry points for Java. They touch no
// JNI function, so neither the environment nor the class is read. Each maps
// the word itself rather than calling the other's exported name, which
// would go through the PLT and could be interposed.
#include <stdint.h>

#include "color/channel_mapping.h"
#include "ime_graphics/ime_graphics.h"

int changeToNightColor(int color) {
  return static_cast<int>(ime::nightWord(static_cast<uint32_t>(color)));
}

int changeToDayColor(int color) {
  return static_cast<int>(ime::dayWord(static_cast<uint32_t>(color)));
}

jint Java_com_zarnu_util_ImeGraphics_glSetNightColor(JNIEnv*, jclass,
                                                     jint color) {
  return static_cast<jint>(ime::nightWord(static_cast<uint32_t>(color)));
}

jint Java_com_zarnu_util_ImeGraphics_glSetDayColor(JNIEnv*, jclass,
                                                   jint color) {
  return static_cast<jint>(ime::dayWord(static_cast<uint32_t>(color)));
}
