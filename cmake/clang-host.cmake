# This machine's own target, compiled and linked by the project's LLVM (the
# fuzzers need its libFuzzer and sanitizer runtimes).
include(${CMAKE_CURRENT_LIST_DIR}/llvm.cmake)
set(CMAKE_C_COMPILER ${IME_LLVM}/clang)
set(CMAKE_CXX_COMPILER ${IME_LLVM}/clang++)
