// An in-process fake of the platform's three bitmap functions and of the JNI
// the bitmap pass asks a bitmap through: a jobject handed to the library is a
// FakeBitmap*, whose description, pixel memory, injected results and call
// counts the test owns, and the JNIEnv is a FakeBitmapVm's.
#ifndef IME_GRAPHICS_TESTS_FAKE_BITMAP_H
#define IME_GRAPHICS_TESTS_FAKE_BITMAP_H

#include <android/bitmap.h>
#include <jni.h>

#include <atomic>
#include <string>
#include <vector>

#include "trap_jni_env.h"

struct FakeBitmap {
  AndroidBitmapInfo info{};
  void* pixels = nullptr;  // what a successful lock hands out
  int getInfoResult = ANDROID_BITMAP_RESULT_SUCCESS;
  int lockResult = ANDROID_BITMAP_RESULT_SUCCESS;
  bool recycled = false;
  // The device's release. A recycled bitmap is still described and cannot
  // be locked, except on API 23-25, where either call aborts the process.
  int apiLevel = 37;

  int getInfoCalls = 0;
  int lockCalls = 0;
  int successfulLocks = 0;
  int unlockCalls = 0;
  int unmatchedUnlocks = 0;
  int fatalCalls = 0;  // calls that would have aborted the process

  // Calls made with a null environment or a null bitmap, over all bitmaps.
  static std::atomic<int> callsWithoutBitmap;

  jobject handle() { return reinterpret_cast<jobject>(this); }
  // Every successful lock was undone by exactly one unlock, and nothing else
  // was unlocked.
  bool locksPaired() const {
    return unlockCalls == successfulLocks && unmatchedUnlocks == 0;
  }
};

// A JNIEnv that answers what may be asked of a FakeBitmap through JNI (its
// class, its isRecycled() method, the call, local references, whether an
// exception is pending) as a VM would, and can fail each step as a VM can.
// It records every call, the bitmap functions' included, in order; every
// other JNI function traps.
class FakeBitmapVm : public TrapJniEnv {
 public:
  enum class Failure { kNone, kGetObjectClass, kGetMethodID, kIsRecycled };

  FakeBitmapVm();

  Failure fail = Failure::kNone;

  const std::vector<std::string>& calls() const { return calls_; }
  const std::string& pendingException() const { return pending_; }
  // Broken rules: calls JNI forbids with an exception pending, any call
  // while pixels are locked, unknown handles, deleting what is no local
  // reference.
  const std::vector<std::string>& violations() const { return violations_; }
  int liveLocalRefs() const { return localRefs_; }

  // Records a bitmap function's call; false when a rule forbids it.
  bool enter(const char* function, bool exceptionAllowed = false);
  void setLocked(bool locked) { locked_ += locked ? 1 : -1; }

 private:
  static jclass getObjectClass(JNIEnv*, jobject);
  static jmethodID getMethodID(JNIEnv*, jclass, const char*, const char*);
  static jboolean callBooleanMethodV(JNIEnv*, jobject, jmethodID, va_list);
  static void deleteLocalRef(JNIEnv*, jobject);
  static jboolean exceptionCheck(JNIEnv*);

  std::vector<std::string> calls_;
  std::vector<std::string> violations_;
  std::string pending_;
  int localRefs_ = 0;
  int locked_ = 0;
};

#endif
