// An in-process fake of the platform's three bitmap functions: a jobject
// handed to the library is a FakeBitmap*, whose description, pixel memory,
// injected results and call counts the test owns.
#ifndef IME_GRAPHICS_TESTS_FAKE_BITMAP_H
#define IME_GRAPHICS_TESTS_FAKE_BITMAP_H

#include <android/bitmap.h>
#include <jni.h>

#include <atomic>

struct FakeBitmap {
  AndroidBitmapInfo info{};
  void* pixels = nullptr;  // what a successful lock hands out
  int getInfoResult = ANDROID_BITMAP_RESULT_SUCCESS;
  int lockResult = ANDROID_BITMAP_RESULT_SUCCESS;

  int getInfoCalls = 0;
  int lockCalls = 0;
  int successfulLocks = 0;
  int unlockCalls = 0;
  int unmatchedUnlocks = 0;

  // Calls made with a null environment or a null bitmap, over all bitmaps.
  static std::atomic<int> callsWithoutBitmap;

  jobject handle() { return reinterpret_cast<jobject>(this); }
  // Every successful lock was undone by exactly one unlock, and nothing else
  // was unlocked.
  bool locksPaired() const {
    return unlockCalls == successfulLocks && unmatchedUnlocks == 0;
  }
};

#endif
