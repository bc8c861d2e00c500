// A JNIEnv that implements just the four int[] functions the tinting may use,
// as a VM would: it can hand out copies (guarded, so a stray write shows) or
// the arrays themselves, raises ArrayIndexOutOfBoundsException on a bad
// store, can fail GetIntArrayElements as an out-of-memory VM does, records
// every call, and flags any call made with an exception pending. Every other
// function traps.
#ifndef IME_GRAPHICS_TESTS_FAKE_ARRAY_VM_H
#define IME_GRAPHICS_TESTS_FAKE_ARRAY_VM_H

#include <deque>
#include <map>
#include <string>
#include <vector>

#include "trap_jni_env.h"

class FakeArrayVm : public TrapJniEnv {
 public:
  struct Call {
    std::string function;
    jintArray array;
    jint index, length, mode;
  };

  explicit FakeArrayVm(bool copies);

  jintArray newArray(std::vector<jint> values);
  const std::vector<jint>& contents(jintArray array) const;

  bool failGetElements = false;

  const std::vector<Call>& calls() const { return calls_; }
  const std::string& pendingException() const { return pending_; }
  void clearPendingException() { pending_.clear(); }
  // Broken rules: calls with an exception pending, null handles, releases of
  // buffers never handed out, writes into a borrowed copy.
  const std::vector<std::string>& violations() const { return violations_; }
  size_t outstandingBorrows() const { return borrows_.size(); }

 private:
  struct Borrow {
    jintArray array;
    std::vector<jint> copy;  // guard, elements, guard; empty when pinned
  };
  static constexpr size_t kGuard = 4;
  static constexpr jint kCanary = 0x5A5A5A5A;

  std::vector<jint>* find(jintArray array);
  bool enter(const char* function, jintArray array, jint index = 0,
             jint length = 0, jint mode = 0);

  static jint* getElements(JNIEnv*, jintArray, jboolean*);
  static jsize getLength(JNIEnv*, jarray);
  static void setRegion(JNIEnv*, jintArray, jsize, jsize, const jint*);
  static void releaseElements(JNIEnv*, jintArray, jint*, jint);

  bool copies_;
  std::deque<std::vector<jint>> arrays_;
  std::map<jint*, Borrow> borrows_;
  std::vector<Call> calls_;
  std::vector<std::string> violations_;
  std::string pending_;
};

#endif
