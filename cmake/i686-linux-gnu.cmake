# Cross build for 32-bit x86 as Android's x86 ABI defines it: i686 with SSSE3
# as the baseline, SSE for floating point. Programs run under qemu-i386 (this
# machine's kernel may not run 32-bit programs itself) on a CPU model with
# AVX2; tests/CMakeLists.txt runs the suite on a model without AVX as well.
include(${CMAKE_CURRENT_LIST_DIR}/debian-cross.cmake)
ime_debian_cross(i686-linux-gnu i686 qemu-i386 -cpu Haswell)
set(CMAKE_C_FLAGS_INIT "-march=i686 -mssse3 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-march=i686 -mssse3 -mfpmath=sse")
# A dynamically linked program hangs under qemu-i386 7.2 as soon as it starts
# a thread, so test programs are linked statically. The library itself is
# still a shared object.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(IME_EMULATED_ROW_PATH avx2)
