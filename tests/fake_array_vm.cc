#include "fake_array_vm.h"

#include <algorithm>

FakeArrayVm::FakeArrayVm(bool copies) : copies_(copies) {
  functions().GetIntArrayElements = getElements;
  functions().GetArrayLength = getLength;
  functions().SetIntArrayRegion = setRegion;
  functions().ReleaseIntArrayElements = releaseElements;
}

jintArray FakeArrayVm::newArray(std::vector<jint> values) {
  arrays_.push_back(std::move(values));
  return reinterpret_cast<jintArray>(&arrays_.back());
}

const std::vector<jint>& FakeArrayVm::contents(jintArray array) const {
  return *reinterpret_cast<const std::vector<jint>*>(array);
}

std::vector<jint>* FakeArrayVm::find(jintArray array) {
  for (auto& a : arrays_) {
    if (reinterpret_cast<jintArray>(&a) == array) return &a;
  }
  return nullptr;
}

// Records the call and reports whether it may go ahead.
bool FakeArrayVm::enter(const char* function, jintArray array, jint index,
                        jint length, jint mode) {
  calls_.push_back({function, array, index, length, mode});
  const bool release = std::string(function) == "ReleaseIntArrayElements";
  if (!pending_.empty() && !release) {
    violations_.push_back(std::string(function) + " with " + pending_ +
                          " pending");
  }
  if (find(array) == nullptr) {
    violations_.push_back(std::string(function) +
                          " on a null or unknown array");
    return false;
  }
  return true;
}

jint* FakeArrayVm::getElements(JNIEnv* env, jintArray array, jboolean* isCopy) {
  FakeArrayVm& vm = from<FakeArrayVm>(env);
  if (!vm.enter("GetIntArrayElements", array)) return nullptr;
  if (vm.failGetElements) {
    vm.pending_ = "OutOfMemoryError";
    return nullptr;
  }
  std::vector<jint>& values = *vm.find(array);
  Borrow borrow{array, {}};
  jint* elements = values.data();
  if (vm.copies_) {
    borrow.copy.assign(values.size() + 2 * kGuard, kCanary);
    std::copy(values.begin(), values.end(), borrow.copy.begin() + kGuard);
    elements = borrow.copy.data() + kGuard;
  }
  // Even an empty array needs a distinct, non-null address.
  static jint emptyElements[1];
  if (elements == nullptr) elements = emptyElements;
  if (isCopy != nullptr) *isCopy = vm.copies_ ? JNI_TRUE : JNI_FALSE;
  vm.borrows_.emplace(elements, std::move(borrow));
  return elements;
}

jsize FakeArrayVm::getLength(JNIEnv* env, jarray array) {
  FakeArrayVm& vm = from<FakeArrayVm>(env);
  const jintArray ints = static_cast<jintArray>(array);
  if (!vm.enter("GetArrayLength", ints)) return 0;
  return static_cast<jsize>(vm.find(ints)->size());
}

void FakeArrayVm::setRegion(JNIEnv* env, jintArray array, jsize start,
                            jsize length, const jint* buffer) {
  FakeArrayVm& vm = from<FakeArrayVm>(env);
  if (!vm.enter("SetIntArrayRegion", array, start, length)) return;
  std::vector<jint>& values = *vm.find(array);
  if (start < 0 || length < 0 ||
      size_t(start) + size_t(length) > values.size()) {
    vm.pending_ = "ArrayIndexOutOfBoundsException";
    return;
  }
  std::copy(buffer, buffer + length, values.begin() + start);
}

void FakeArrayVm::releaseElements(JNIEnv* env, jintArray array, jint* elements,
                                  jint mode) {
  FakeArrayVm& vm = from<FakeArrayVm>(env);
  if (!vm.enter("ReleaseIntArrayElements", array, 0, 0, mode)) return;
  auto it = vm.borrows_.find(elements);
  if (it == vm.borrows_.end() || it->second.array != array) {
    vm.violations_.push_back("released elements that were not handed out");
    return;
  }
  std::vector<jint>& values = *vm.find(array);
  const std::vector<jint>& copy = it->second.copy;
  if (!copy.empty()) {
    const bool guardsKept = std::all_of(copy.begin(), copy.begin() + kGuard,
                                        [](jint v) { return v == kCanary; }) &&
                            std::all_of(copy.end() - kGuard, copy.end(),
                                        [](jint v) { return v == kCanary; });
    if (!guardsKept) vm.violations_.push_back("wrote outside a borrowed copy");
    if (mode != JNI_ABORT) {
      std::copy(copy.begin() + kGuard, copy.end() - kGuard, values.begin());
    }
  }
  if (mode != JNI_COMMIT) vm.borrows_.erase(it);
}
