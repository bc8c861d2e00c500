// A JNIEnv whose every function records that it was called and returns 0.
// Tests install working functions in the slots a piece of code may use; a
// call through any other slot shows up in trapped().
#ifndef IME_GRAPHICS_TESTS_TRAP_JNI_ENV_H
#define IME_GRAPHICS_TESTS_TRAP_JNI_ENV_H

#include <jni.h>

#include <cstddef>
#include <string>
#include <vector>

class TrapJniEnv {
 public:
  TrapJniEnv();
  TrapJniEnv(const TrapJniEnv&) = delete;
  TrapJniEnv& operator=(const TrapJniEnv&) = delete;
  virtual ~TrapJniEnv() = default;

  JNIEnv* env() { return &holder_.env; }
  JNINativeInterface& functions() { return table_; }

  // Slot numbers (counted in pointers from the start of the table) of the
  // functions that were called without being installed.
  const std::vector<size_t>& trapped() const { return trapped_; }
  std::string trappedNames() const;

  // The TrapJniEnv (or subclass) that owns `env`.
  template <typename T = TrapJniEnv>
  static T& from(JNIEnv* env) {
    return static_cast<T&>(*reinterpret_cast<Holder*>(env)->owner);
  }

  void recordTrap(size_t slot) { trapped_.push_back(slot); }

 private:
  // The JNIEnv handed out, laid out as JNI requires (a pointer to the
  // function table first) with a way back to its owner.
  struct Holder {
    _JNIEnv env;
    TrapJniEnv* owner;
  };
  Holder holder_;
  JNINativeInterface table_;
  std::vector<size_t> trapped_;
};

#endif
