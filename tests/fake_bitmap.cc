#include "fake_bitmap.h"

std::atomic<int> FakeBitmap::callsWithoutBitmap{0};

namespace {
FakeBitmap* from(JNIEnv* env, jobject bitmap) {
  if (env == nullptr || bitmap == nullptr) {
    ++FakeBitmap::callsWithoutBitmap;
    return nullptr;
  }
  return reinterpret_cast<FakeBitmap*>(bitmap);
}
}  // namespace

extern "C" {

int AndroidBitmap_getInfo(JNIEnv* env, jobject jbitmap,
                          AndroidBitmapInfo* info) {
  FakeBitmap* bitmap = from(env, jbitmap);
  if (bitmap == nullptr) return ANDROID_BITMAP_RESULT_BAD_PARAMETER;
  ++bitmap->getInfoCalls;
  if (bitmap->getInfoResult != ANDROID_BITMAP_RESULT_SUCCESS) {
    return bitmap->getInfoResult;
  }
  if (info != nullptr) *info = bitmap->info;
  return ANDROID_BITMAP_RESULT_SUCCESS;
}

int AndroidBitmap_lockPixels(JNIEnv* env, jobject jbitmap, void** addrPtr) {
  FakeBitmap* bitmap = from(env, jbitmap);
  if (bitmap == nullptr) return ANDROID_BITMAP_RESULT_BAD_PARAMETER;
  ++bitmap->lockCalls;
  if (bitmap->lockResult != ANDROID_BITMAP_RESULT_SUCCESS) {
    return bitmap->lockResult;
  }
  ++bitmap->successfulLocks;
  if (addrPtr != nullptr) *addrPtr = bitmap->pixels;
  return ANDROID_BITMAP_RESULT_SUCCESS;
}

int AndroidBitmap_unlockPixels(JNIEnv* env, jobject jbitmap) {
  FakeBitmap* bitmap = from(env, jbitmap);
  if (bitmap == nullptr) return ANDROID_BITMAP_RESULT_BAD_PARAMETER;
  ++bitmap->unlockCalls;
  if (bitmap->unlockCalls > bitmap->successfulLocks) {
    ++bitmap->unmatchedUnlocks;
    return ANDROID_BITMAP_RESULT_BAD_PARAMETER;
  }
  return ANDROID_BITMAP_RESULT_SUCCESS;
}

}  // extern "C"
