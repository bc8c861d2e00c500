# Debian's cross toolchain for IME_CROSS_TARGET (aarch64-linux-gnu or
# arm-linux-gnueabihf), its sysroot and qemu, but with clang and lld compiling
# and linking: the compiler the NDK has, on code that runs under emulation.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES IME_CROSS_TARGET)
include(${CMAKE_CURRENT_LIST_DIR}/${IME_CROSS_TARGET}.cmake)
include(${CMAKE_CURRENT_LIST_DIR}/llvm.cmake)
set(CMAKE_C_COMPILER ${IME_LLVM}/clang)
set(CMAKE_CXX_COMPILER ${IME_LLVM}/clang++)
set(CMAKE_C_COMPILER_TARGET ${IME_CROSS_TARGET})
set(CMAKE_CXX_COMPILER_TARGET ${IME_CROSS_TARGET})
set(CMAKE_EXE_LINKER_FLAGS_INIT "-fuse-ld=lld")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-fuse-ld=lld")
