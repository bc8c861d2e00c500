// The entry-point tests on a shipped build of the library: the nine names it
// exports are defined here as calls into the build loaded with dlopen from
// the path given, and the tests compiled beside this file call them. The two
// single-colour routines, which those tests also take as their reference,
// answer with the mapping of color/channel_mapping.h and check the loaded
// build's answer against it, so the build is never compared with itself.
// Usage: shipped_entry_points LIBRARY [GoogleTest options]
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <jni.h>

#include <cstdint>
#include <cstdio>

#include "color/channel_mapping.h"
#include "jni/entry_points.h"

namespace {

// Typed from the library's own declarations.
struct Library {
  decltype(&Java_com_zarnu_util_ImeGraphics_glSetNightColor) glSetNightColor;
  decltype(&Java_com_zarnu_util_ImeGraphics_glSetDayColor) glSetDayColor;
  decltype(&Java_com_zarnu_util_ImeGraphics_glSetNight) glSetNight;
  decltype(&Java_com_zarnu_util_ImeGraphics_glSetToDayMode) glSetToDayMode;
  decltype(&Java_com_zarnu_util_ImeGraphics_glChangeColor) glChangeColor;
  decltype(&::changeToNightColor) changeToNightColor;
  decltype(&::changeToDayColor) changeToDayColor;
  decltype(&::changeDayNightModeInner) changeDayNightModeInner;
  decltype(&::setIntArrayElement) setIntArrayElement;
} loaded;

template <typename Function>
bool find(void* library, const char* name, Function*& function) {
  function = reinterpret_cast<Function*>(dlsym(library, name));
  if (function == nullptr) std::fprintf(stderr, "%s\n", dlerror());
  return function != nullptr;
}

// Loads every dependency and binds every name now, as Android's linker does.
bool load(const char* path) {
  void* library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) {
    std::fprintf(stderr, "%s\n", dlerror());
    return false;
  }
  // The five JNI names, then the four C++ ones as the Itanium ABI mangles
  // them.
  return find(library, "Java_com_zarnu_util_ImeGraphics_glSetNightColor",
              loaded.glSetNightColor) &&
         find(library, "Java_com_zarnu_util_ImeGraphics_glSetDayColor",
              loaded.glSetDayColor) &&
         find(library, "Java_com_zarnu_util_ImeGraphics_glSetNight",
              loaded.glSetNight) &&
         find(library, "Java_com_zarnu_util_ImeGraphics_glSetToDayMode",
              loaded.glSetToDayMode) &&
         find(library, "Java_com_zarnu_util_ImeGraphics_glChangeColor",
              loaded.glChangeColor) &&
         find(library, "_Z18changeToNightColori", loaded.changeToNightColor) &&
         find(library, "_Z16changeToDayColori", loaded.changeToDayColor) &&
         find(library, "_Z23changeDayNightModeInnerP7_JNIEnvP8_jobjecth",
              loaded.changeDayNightModeInner) &&
         find(library, "_Z18setIntArrayElementP7_JNIEnvP10_jintArrayii",
              loaded.setIntArrayElement);
}

#if defined(__aarch64__)
// bionic keeps the stack protector's canary in a slot of the thread's control
// block, which arm64 code reads at the thread pointer plus 0x28
// (TLS_SLOT_STACK_GUARD). glibc places the program's own thread-local block
// 16 bytes past the thread pointer, so this block covers that slot with a
// fixed, non-zero canary; main checks that it does before loading anything.
constexpr uint64_t kCanary = 0x5AFEC0DE00C0FFEE;
constexpr size_t kBlockWords = 4;
alignas(16) thread_local uint64_t canaryBlock[kBlockWords] = {kCanary, kCanary,
                                                              kCanary, kCanary};

bool canarySlotHeld() {
  const uintptr_t slot =
      reinterpret_cast<uintptr_t>(__builtin_thread_pointer()) + 0x28;
  const uintptr_t block = reinterpret_cast<uintptr_t>(canaryBlock);
  return slot >= block && slot + 8 <= block + sizeof canaryBlock &&
         *reinterpret_cast<const uint64_t*>(slot) == kCanary;
}
#endif

}  // namespace

extern "C" {

jint Java_com_zarnu_util_ImeGraphics_glSetNightColor(JNIEnv* env, jclass cls,
                                                     jint color) {
  return loaded.glSetNightColor(env, cls, color);
}

jint Java_com_zarnu_util_ImeGraphics_glSetDayColor(JNIEnv* env, jclass cls,
                                                   jint color) {
  return loaded.glSetDayColor(env, cls, color);
}

void Java_com_zarnu_util_ImeGraphics_glSetNight(JNIEnv* env, jclass cls,
                                                jobject bitmap) {
  loaded.glSetNight(env, cls, bitmap);
}

void Java_com_zarnu_util_ImeGraphics_glSetToDayMode(JNIEnv* env, jclass cls,
                                                    jobject bitmap) {
  loaded.glSetToDayMode(env, cls, bitmap);
}

void Java_com_zarnu_util_ImeGraphics_glChangeColor(JNIEnv* env, jclass cls,
                                                   jintArray src, jintArray dst,
                                                   jint rgb) {
  loaded.glChangeColor(env, cls, src, dst, rgb);
}

}  // extern "C"

int changeToNightColor(int color) {
  const int want =
      static_cast<int>(ime::nightWord(static_cast<uint32_t>(color)));
  EXPECT_EQ(loaded.changeToNightColor(color), want)
      << "changeToNightColor(" << color << ")";
  return want;
}

int changeToDayColor(int color) {
  const int want = static_cast<int>(ime::dayWord(static_cast<uint32_t>(color)));
  EXPECT_EQ(loaded.changeToDayColor(color), want)
      << "changeToDayColor(" << color << ")";
  return want;
}

void changeDayNightModeInner(JNIEnv* env, jobject bitmap,
                             unsigned char nightMode) {
  loaded.changeDayNightModeInner(env, bitmap, nightMode);
}

void setIntArrayElement(JNIEnv* env, jintArray array, int index, int value) {
  loaded.setIntArrayElement(env, array, index, value);
}

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s LIBRARY [GoogleTest options]\n", argv[0]);
    return 2;
  }
#if defined(__aarch64__)
  if (!canarySlotHeld()) {
    std::fprintf(stderr, "the canary slot is not this program's\n");
    return 2;
  }
#endif
  if (!load(argv[1])) return 2;
  return RUN_ALL_TESTS();
}
