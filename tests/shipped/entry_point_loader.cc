// The entry-point tests on a shipped build of the library: the nine names it
// exports are defined here as calls into the build loaded with dlopen from
// the path given, and the tests compiled beside this file call them. The two
// single-colour routines, which those tests also take as their reference,
// answer with the mapping of color/channel_mapping.h and check the loaded
// build's answer against it, so the build is never compared with itself.
// Given an app's library built against the Prefab package too, the four C++
// routines are called through it instead: its functions call them as an app
// does, through the public header, linked by the library's SONAME.
// Usage: shipped_entry_points LIBRARY [APP_LIBRARY] [GoogleTest options]
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <jni.h>

#include <cstdint>
#include <cstdio>
#include <type_traits>

#include "color/channel_mapping.h"
#include "ime_graphics/ime_graphics.h"

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
void* open(const char* path) {
  void* library = dlopen(path, RTLD_NOW | RTLD_LOCAL);
  if (library == nullptr) std::fprintf(stderr, "%s\n", dlerror());
  return library;
}

bool load(const char* path) {
  void* library = open(path);
  // The five JNI names, then the four C++ ones as the Itanium ABI mangles
  // them.
  return library != nullptr &&
         find(library, "Java_com_zarnu_util_ImeGraphics_glSetNightColor",
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

// The app's library (tests/consumer/app.cc), loaded after the library, whose
// SONAME then names the build already loaded.
bool loadApp(const char* path) {
  void* app = open(path);
  return app != nullptr &&
         find(app, "appNightColor", loaded.changeToNightColor) &&
         find(app, "appDayColor", loaded.changeToDayColor) &&
         find(app, "appConvertBitmap", loaded.changeDayNightModeInner) &&
         find(app, "appSetElement", loaded.setIntArrayElement);
}

#if defined(__i386__)
// Calls fn with up to five 32-bit arguments and %esp 4 bytes off the 16-byte
// alignment the i386 ABI promises at a call: x86 releases before API 24 may
// enter native code so, and code that keeps SSE values on the stack must
// realign it (-mstackrealign) or fault on its first aligned spill.
extern "C" uint32_t imeCallMisaligned(const void* fn, uint32_t, uint32_t,
                                      uint32_t, uint32_t, uint32_t);
asm(R"(
  .text
  .type imeCallMisaligned, @function
imeCallMisaligned:
  push %ebp
  mov %esp, %ebp
  and $-16, %esp
  sub $8, %esp      # 8 below a 16-byte boundary; five pushes leave it 4 off
  push 28(%ebp)
  push 24(%ebp)
  push 20(%ebp)
  push 16(%ebp)
  push 12(%ebp)
  call *8(%ebp)
  leave
  ret
  .size imeCallMisaligned, .-imeCallMisaligned
)");

template <typename T>
uint32_t word(T value) {
  if constexpr (std::is_pointer_v<T>) {
    return static_cast<uint32_t>(reinterpret_cast<uintptr_t>(value));
  } else {
    return static_cast<uint32_t>(value);
  }
}
#endif

// Calls a loaded function, on i386 from a misaligned stack.
template <typename Result, typename... Params, typename... Args>
Result call(Result (*function)(Params...), Args... args) {
#if defined(__i386__)
  static_assert(sizeof...(Args) <= 5);
  const uint32_t words[5] = {word(args)...};
  const uint32_t result =
      imeCallMisaligned(reinterpret_cast<const void*>(function), words[0],
                        words[1], words[2], words[3], words[4]);
  if constexpr (!std::is_void_v<Result>) return static_cast<Result>(result);
#else
  return function(args...);
#endif
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
  return call(loaded.glSetNightColor, env, cls, color);
}

jint Java_com_zarnu_util_ImeGraphics_glSetDayColor(JNIEnv* env, jclass cls,
                                                   jint color) {
  return call(loaded.glSetDayColor, env, cls, color);
}

void Java_com_zarnu_util_ImeGraphics_glSetNight(JNIEnv* env, jclass cls,
                                                jobject bitmap) {
  call(loaded.glSetNight, env, cls, bitmap);
}

void Java_com_zarnu_util_ImeGraphics_glSetToDayMode(JNIEnv* env, jclass cls,
                                                    jobject bitmap) {
  call(loaded.glSetToDayMode, env, cls, bitmap);
}

void Java_com_zarnu_util_ImeGraphics_glChangeColor(JNIEnv* env, jclass cls,
                                                   jintArray src, jintArray dst,
                                                   jint rgb) {
  call(loaded.glChangeColor, env, cls, src, dst, rgb);
}

}  // extern "C"

int changeToNightColor(int color) {
  const int want =
      static_cast<int>(ime::nightWord(static_cast<uint32_t>(color)));
  EXPECT_EQ(call(loaded.changeToNightColor, color), want)
      << "changeToNightColor(" << color << ")";
  return want;
}

int changeToDayColor(int color) {
  const int want = static_cast<int>(ime::dayWord(static_cast<uint32_t>(color)));
  EXPECT_EQ(call(loaded.changeToDayColor, color), want)
      << "changeToDayColor(" << color << ")";
  return want;
}

void changeDayNightModeInner(JNIEnv* env, jobject bitmap,
                             unsigned char nightMode) {
  call(loaded.changeDayNightModeInner, env, bitmap, nightMode);
}

void setIntArrayElement(JNIEnv* env, jintArray array, int index, int value) {
  call(loaded.setIntArrayElement, env, array, index, value);
}

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  if (argc != 2 && argc != 3) {
    std::fprintf(stderr, "usage: %s LIBRARY [APP_LIBRARY] [GoogleTest options]\n",
                 argv[0]);
    return 2;
  }
#if defined(__aarch64__)
  if (!canarySlotHeld()) {
    std::fprintf(stderr, "the canary slot is not this program's\n");
    return 2;
  }
#endif
  if (!load(argv[1]) || (argc == 3 && !loadApp(argv[2]))) return 2;
  return RUN_ALL_TESTS();
}
