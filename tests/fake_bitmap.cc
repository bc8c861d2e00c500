#include "fake_bitmap.h"

std::atomic<int> FakeBitmap::callsWithoutBitmap{0};

namespace {

// What the fake VM hands out for the bitmap's class and its isRecycled().
char bitmapClass;
char isRecycledMethod;

jclass classHandle() { return reinterpret_cast<jclass>(&bitmapClass); }
jmethodID isRecycledId() {
  return reinterpret_cast<jmethodID>(&isRecycledMethod);
}

FakeBitmap* from(JNIEnv* env, jobject bitmap, const char* function) {
  if (env == nullptr || bitmap == nullptr) {
    ++FakeBitmap::callsWithoutBitmap;
    return nullptr;
  }
  TrapJniEnv::from<FakeBitmapVm>(env).enter(function);
  return reinterpret_cast<FakeBitmap*>(bitmap);
}

// On API 23-25 the platform asserts that the bitmap is valid and aborts.
bool aborts(FakeBitmap& bitmap) {
  if (!bitmap.recycled || bitmap.apiLevel < 23 || bitmap.apiLevel > 25)
    return false;
  ++bitmap.fatalCalls;
  return true;
}

}  // namespace

FakeBitmapVm::FakeBitmapVm() {
  functions().GetObjectClass = getObjectClass;
  functions().GetMethodID = getMethodID;
  functions().CallBooleanMethodV = callBooleanMethodV;
  functions().DeleteLocalRef = deleteLocalRef;
  functions().ExceptionCheck = exceptionCheck;
}

bool FakeBitmapVm::enter(const char* function, bool exceptionAllowed) {
  calls_.push_back(function);
  bool ok = true;
  if (!pending_.empty() && !exceptionAllowed) {
    violations_.push_back(std::string(function) + " with " + pending_ +
                          " pending");
    ok = false;
  }
  if (locked_ > 0) {
    const std::string name = function;
    if (name != "AndroidBitmap_unlockPixels") {
      violations_.push_back(name + " while pixels are locked");
    }
  }
  return ok;
}

jclass FakeBitmapVm::getObjectClass(JNIEnv* env, jobject object) {
  FakeBitmapVm& vm = from<FakeBitmapVm>(env);
  if (!vm.enter("GetObjectClass")) return nullptr;
  if (object == nullptr) {
    vm.violations_.push_back("GetObjectClass of null");
    return nullptr;
  }
  if (vm.fail == Failure::kGetObjectClass) {
    vm.pending_ = "OutOfMemoryError";
    return nullptr;
  }
  ++vm.localRefs_;
  return classHandle();
}

jmethodID FakeBitmapVm::getMethodID(JNIEnv* env, jclass cls, const char* name,
                                    const char* signature) {
  FakeBitmapVm& vm = from<FakeBitmapVm>(env);
  if (!vm.enter("GetMethodID")) return nullptr;
  if (cls != classHandle()) {
    vm.violations_.push_back("GetMethodID on an unknown class");
    return nullptr;
  }
  if (vm.fail == Failure::kGetMethodID || std::string(name) != "isRecycled" ||
      std::string(signature) != "()Z") {
    vm.pending_ = "NoSuchMethodError";
    return nullptr;
  }
  return isRecycledId();
}

jboolean FakeBitmapVm::callBooleanMethodV(JNIEnv* env, jobject object,
                                          jmethodID method, va_list) {
  FakeBitmapVm& vm = from<FakeBitmapVm>(env);
  if (!vm.enter("CallBooleanMethodV")) return JNI_FALSE;
  if (object == nullptr || method != isRecycledId()) {
    vm.violations_.push_back("CallBooleanMethodV on an unknown method");
    return JNI_FALSE;
  }
  if (vm.fail == Failure::kIsRecycled) {
    vm.pending_ = "RuntimeException";
    return JNI_FALSE;  // what a VM returns when the method threw
  }
  return reinterpret_cast<FakeBitmap*>(object)->recycled ? JNI_TRUE : JNI_FALSE;
}

void FakeBitmapVm::deleteLocalRef(JNIEnv* env, jobject ref) {
  FakeBitmapVm& vm = from<FakeBitmapVm>(env);
  vm.enter("DeleteLocalRef", true);
  if (ref != classHandle() || vm.localRefs_ == 0) {
    vm.violations_.push_back("DeleteLocalRef of no local reference");
    return;
  }
  --vm.localRefs_;
}

jboolean FakeBitmapVm::exceptionCheck(JNIEnv* env) {
  FakeBitmapVm& vm = from<FakeBitmapVm>(env);
  vm.enter("ExceptionCheck", true);
  return vm.pending_.empty() ? JNI_FALSE : JNI_TRUE;
}

extern "C" {

// An injected failure still fills the record first, so a caller that reads
// it after a failure (or tests the result the wrong way) converts and shows.
int AndroidBitmap_getInfo(JNIEnv* env, jobject jbitmap,
                          AndroidBitmapInfo* info) {
  FakeBitmap* bitmap = from(env, jbitmap, "AndroidBitmap_getInfo");
  if (bitmap == nullptr) return ANDROID_BITMAP_RESULT_BAD_PARAMETER;
  ++bitmap->getInfoCalls;
  if (aborts(*bitmap)) return ANDROID_BITMAP_RESULT_JNI_EXCEPTION;
  if (info != nullptr) *info = bitmap->info;
  return bitmap->getInfoResult;
}

int AndroidBitmap_lockPixels(JNIEnv* env, jobject jbitmap, void** addrPtr) {
  FakeBitmap* bitmap = from(env, jbitmap, "AndroidBitmap_lockPixels");
  if (bitmap == nullptr) return ANDROID_BITMAP_RESULT_BAD_PARAMETER;
  ++bitmap->lockCalls;
  if (aborts(*bitmap) || bitmap->recycled) {
    return ANDROID_BITMAP_RESULT_JNI_EXCEPTION;
  }
  if (bitmap->lockResult != ANDROID_BITMAP_RESULT_SUCCESS) {
    return bitmap->lockResult;
  }
  ++bitmap->successfulLocks;
  TrapJniEnv::from<FakeBitmapVm>(env).setLocked(true);
  if (addrPtr != nullptr) *addrPtr = bitmap->pixels;
  return ANDROID_BITMAP_RESULT_SUCCESS;
}

int AndroidBitmap_unlockPixels(JNIEnv* env, jobject jbitmap) {
  FakeBitmap* bitmap = from(env, jbitmap, "AndroidBitmap_unlockPixels");
  if (bitmap == nullptr) return ANDROID_BITMAP_RESULT_BAD_PARAMETER;
  ++bitmap->unlockCalls;
  if (bitmap->unlockCalls > bitmap->successfulLocks) {
    ++bitmap->unmatchedUnlocks;
    return ANDROID_BITMAP_RESULT_BAD_PARAMETER;
  }
  TrapJniEnv::from<FakeBitmapVm>(env).setLocked(false);
  return ANDROID_BITMAP_RESULT_SUCCESS;
}

}  // extern "C"
