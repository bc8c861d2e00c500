# Cross build for 32-bit x86 as Android's x86 ABI defines it: i686 with SSSE3
# as the baseline, SSE for floating point. Programs run under qemu-i386 (this
# machine's kernel may not run 32-bit programs itself) on a CPU model with
# AVX2; tests/CMakeLists.txt runs the suite on a model without AVX as well.
set(CMAKE_SYSTEM_NAME Linux)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(CMAKE_C_COMPILER i686-linux-gnu-gcc)
set(CMAKE_CXX_COMPILER i686-linux-gnu-g++)
set(CMAKE_C_FLAGS_INIT "-march=i686 -mssse3 -mfpmath=sse")
set(CMAKE_CXX_FLAGS_INIT "-march=i686 -mssse3 -mfpmath=sse")
# A dynamically linked program hangs under qemu-i386 7.2 as soon as it starts
# a thread, so test programs are linked statically. The library itself is
# still a shared object.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
set(CMAKE_FIND_ROOT_PATH /usr/i686-linux-gnu)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR qemu-i386 -L /usr/i686-linux-gnu -cpu Haswell)
set(IME_EMULATED_ROW_PATH avx2)
