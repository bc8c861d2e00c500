// Fuzzes glChangeColor and setIntArrayElement through a fake JNIEnv: any
// lengths, nulls, colours, copying or pinning VMs and a failing borrow. No
// store may miss its array, no call may run with an exception pending, and
// every borrowed buffer must be given back.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "fake_array_vm.h"
#include "ime_graphics/ime_graphics.h"

namespace {

void require(bool ok, const char* what) {
  if (!ok) {
    std::fprintf(stderr, "fuzz_color_array: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* bytes, size_t size) {
  FuzzedDataProvider data(bytes, size);
  FakeArrayVm vm(data.ConsumeBool());
  vm.failGetElements = data.ConsumeIntegralInRange<int>(0, 15) == 0;
  const bool nullSource = data.ConsumeIntegralInRange<int>(0, 15) == 0;
  const bool nullDestination = data.ConsumeIntegralInRange<int>(0, 15) == 0;
  const jint rgb = data.ConsumeIntegral<jint>();
  const int storeIndex = data.ConsumeIntegral<int>();
  std::vector<jint> source(data.ConsumeIntegralInRange<size_t>(0, 200));
  std::vector<jint> destination(data.ConsumeIntegralInRange<size_t>(0, 200));
  for (jint& v : source) v = data.ConsumeIntegral<jint>();
  for (jint& v : destination) v = data.ConsumeIntegral<jint>();

  jintArray src = nullSource ? nullptr : vm.newArray(source);
  jintArray dst = nullDestination ? nullptr : vm.newArray(destination);
  Java_com_zarnu_util_ImeGraphics_glChangeColor(vm.env(), nullptr, src, dst,
                                                rgb);

  require(vm.trapped().empty(), "called a JNI function it may not use");
  require(vm.violations().empty(), "broke a JNI rule");
  require(vm.outstandingBorrows() == 0, "kept a borrowed buffer");
  const bool borrowed = !nullSource && !vm.failGetElements;
  require(vm.pendingException().empty() == (borrowed || nullSource),
          "left an exception pending");
  if (src != nullptr)
    require(vm.contents(src) == source || src == dst, "changed the source");
  if (dst != nullptr && src != dst) {
    const std::vector<jint>& out = vm.contents(dst);
    for (size_t i = 0; i < destination.size(); ++i) {
      const bool written = borrowed && i < source.size();
      const jint want =
          written ? jint((uint32_t(source[i]) & 0xFF000000u) | uint32_t(rgb))
                  : destination[i];
      require(out[i] == want, "wrong destination element");
    }
  }
  vm.clearPendingException();

  // A single store: nothing for a null array or a negative index.
  const size_t callsBefore = vm.calls().size();
  setIntArrayElement(vm.env(), dst, storeIndex, rgb);
  const bool stores = dst != nullptr && storeIndex >= 0;
  require(vm.calls().size() - callsBefore == (stores ? 1u : 0u), "store guard");
  require(vm.violations().empty(), "store broke a JNI rule");
  return 0;
}
