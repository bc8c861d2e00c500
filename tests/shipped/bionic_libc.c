// bionic's libc.so as far as an Android build of the library imports it: the
// names of cmake/android/libc.map.txt, under its version LIBC, so that the
// library loads on glibc. Compiled without builtins and without turning
// loops into calls, so none of these functions calls itself.
#include <stddef.h>
#include <stdint.h>
#include <stdlib.h>
#include <unistd.h>

// The canary 32-bit ARM code compares its frames against (other ABIs keep it
// in the thread's control block): fixed and non-zero, where bionic's is
// random, so that a frame's check still compares something.
uintptr_t __stack_chk_guard = (uintptr_t)0x5AFEC0DE00C0FFEEull;

void __stack_chk_fail(void) {
  static const char message[] = "stack corruption detected\n";
  (void)!write(2, message, sizeof message - 1);
  abort();
}

void* memcpy(void* restrict to, const void* restrict from, size_t n) {
  unsigned char* d = to;
  const unsigned char* s = from;
  for (size_t i = 0; i < n; ++i) d[i] = s[i];
  return to;
}

void* memmove(void* to, const void* from, size_t n) {
  unsigned char* d = to;
  const unsigned char* s = from;
  if (d < s) {
    for (size_t i = 0; i < n; ++i) d[i] = s[i];
  } else {
    for (size_t i = n; i > 0; --i) d[i - 1] = s[i - 1];
  }
  return to;
}

void* memset(void* to, int value, size_t n) {
  unsigned char* d = to;
  for (size_t i = 0; i < n; ++i) d[i] = (unsigned char)value;
  return to;
}
