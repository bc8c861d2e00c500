#include "trap_jni_env.h"

#include <utility>

namespace {

constexpr size_t kSlots = sizeof(JNINativeInterface) / sizeof(void*);

template <size_t Slot>
jlong trap(JNIEnv* env) {
  TrapJniEnv::from(env).recordTrap(Slot);
  return 0;
}

template <size_t... Slot>
void fillWithTraps(void** slots, std::index_sequence<Slot...>) {
  ((slots[Slot] = reinterpret_cast<void*>(&trap<Slot>)), ...);
}

}  // namespace

TrapJniEnv::TrapJniEnv() {
  holder_.owner = this;
  fillWithTraps(reinterpret_cast<void**>(&table_),
                std::make_index_sequence<kSlots>());
  holder_.env.functions = &table_;
}

std::string TrapJniEnv::trappedNames() const {
  std::string names;
  for (size_t slot : trapped_) {
    names += (names.empty() ? "" : ", ") + std::string("slot ") +
             std::to_string(slot);
  }
  return names;
}
