# Android's toolchain without the NDK: Debian's clang and lld with an Android
# target triple, the compiler's own freestanding headers plus Debian's copies
# of jni.h and android/bitmap.h, and the platform libraries the library links
# against (libc.so, libjnigraphics.so) made as the NDK makes them: stubs built
# from the symbol lists in cmake/android/, which only the linker reads.
# Sets ANDROID as the NDK's toolchain file does, so CMakeLists.txt takes the
# same branch as an NDK build. Takes ANDROID_ABI (arm64-v8a, armeabi-v7a,
# x86_64, x86) and ANDROID_PLATFORM (the minimum API level), which the
# android-base preset gives the library's builds: it has no default here, so
# that the minimum is written in one place.
set(CMAKE_SYSTEM_NAME Linux)
set(ANDROID TRUE)
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ANDROID_ABI ANDROID_PLATFORM)
if(NOT ANDROID_PLATFORM MATCHES "^[0-9]+$")
  message(FATAL_ERROR "ANDROID_PLATFORM must be the minimum API level, a number")
endif()

# The architecture's name as the NDK's toolchain file sets it, by which
# find_package() looks in lib/<name>/cmake/, where Prefab writes packages.
if(ANDROID_ABI STREQUAL "arm64-v8a")
  set(CMAKE_SYSTEM_PROCESSOR aarch64)
  set(triple aarch64-linux-android)
  set(CMAKE_LIBRARY_ARCHITECTURE aarch64-linux-android)
  set(abi_flags "")
elseif(ANDROID_ABI STREQUAL "armeabi-v7a")
  set(CMAKE_SYSTEM_PROCESSOR armv7-a)
  set(triple armv7a-linux-androideabi)
  set(CMAKE_LIBRARY_ARCHITECTURE arm-linux-androideabi)
  set(abi_flags "-mthumb -mfpu=neon")
elseif(ANDROID_ABI STREQUAL "x86_64")
  set(CMAKE_SYSTEM_PROCESSOR x86_64)
  set(triple x86_64-linux-android)
  set(CMAKE_LIBRARY_ARCHITECTURE x86_64-linux-android)
  set(abi_flags "")
elseif(ANDROID_ABI STREQUAL "x86")
  set(CMAKE_SYSTEM_PROCESSOR i686)
  set(triple i686-linux-android)
  set(CMAKE_LIBRARY_ARCHITECTURE i686-linux-android)
  set(abi_flags "")
else()
  message(FATAL_ERROR "ANDROID_ABI must be arm64-v8a, armeabi-v7a, x86_64 or x86")
endif()
# As the NDK's: packages, libraries and headers only from CMAKE_FIND_ROOT_PATH
# (an app's build points it at the Prefab packages), programs from the host.
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

include(${CMAKE_CURRENT_LIST_DIR}/llvm.cmake)
set(CMAKE_C_COMPILER ${IME_LLVM}/clang)
set(CMAKE_CXX_COMPILER ${IME_LLVM}/clang++)
set(CMAKE_C_COMPILER_TARGET ${triple}${ANDROID_PLATFORM})
set(CMAKE_CXX_COMPILER_TARGET ${triple}${ANDROID_PLATFORM})
# No bionic headers here: nothing but the compiler's own and the two
# platform headers may be found. The library calls nothing of the C library
# by name, so compiling freestanding changes no code; it only keeps the x86
# intrinsic headers from asking for stdlib.h.
set(headers "-ffreestanding -nostdlibinc -isystem /usr/include/android/nativehelper -isystem /usr/include/android")
# The NDK release whose flags these are, under the NDK's own name for it.
set(ANDROID_NDK_MAJOR 27)
# The NDK's own flags (build/cmake/flags.cmake) that bear on this library:
# a section for each function and datum, so that --gc-sections keeps only
# what the exports reach; unwind tables, so that debuggerd can walk a crash's
# stack through the library; fortification as the NDK sets it; on x86 below
# API 24, a realigned stack, since x86 releases before it may call native
# code with less than the 16-byte alignment the compiler assumes. Debug info too, as the NDK builds even
# its release builds, with the checkout's and the build's paths mapped away:
# the build id hashes the whole file, so it and the stripped library then
# come out the same from any directory. ./package strips the library and
# keeps the debug info apart.
set(ndk_flags "-g -ffunction-sections -fdata-sections -funwind-tables -no-canonical-prefixes -D_FORTIFY_SOURCE=2")
if(ANDROID_ABI STREQUAL "x86" AND ANDROID_PLATFORM LESS 24)
  string(APPEND ndk_flags " -mstackrealign")
endif()
# clang takes the last map that matches, and the build usually sits inside
# the checkout.
string(APPEND ndk_flags " -ffile-prefix-map=${CMAKE_SOURCE_DIR}=. -ffile-prefix-map=${CMAKE_BINARY_DIR}=.")
set(CMAKE_C_FLAGS_INIT "${abi_flags} ${headers} ${ndk_flags}")
set(CMAKE_CXX_FLAGS_INIT "${abi_flags} ${headers} ${ndk_flags}")
# Nothing can be linked into an executable without bionic's start files.
set(CMAKE_TRY_COMPILE_TARGET_TYPE STATIC_LIBRARY)

set(stubs ${CMAKE_BINARY_DIR}/android-stubs)
file(MAKE_DIRECTORY ${stubs})
foreach(lib c jnigraphics)
  set(list ${CMAKE_CURRENT_LIST_DIR}/android/lib${lib}.map.txt)
  file(STRINGS ${list} lines REGEX "^ +[A-Za-z_][A-Za-z0-9_]*;")
  set(source "")
  foreach(line IN LISTS lines)
    string(REGEX MATCH "[A-Za-z_][A-Za-z0-9_]*" name "${line}")
    if(line MATCHES "# var")
      string(APPEND source "int ${name};\n")
    else()
      string(APPEND source "void ${name}(void) {}\n")
    endif()
  endforeach()
  file(WRITE ${stubs}/lib${lib}.c "${source}")
  execute_process(
    COMMAND ${CMAKE_C_COMPILER} --target=${CMAKE_C_COMPILER_TARGET}
            -fno-builtin -nostdlib -shared -fuse-ld=lld
            -Wl,--version-script=${list} -Wl,-soname,lib${lib}.so
            -o ${stubs}/lib${lib}.so ${stubs}/lib${lib}.c
    RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "could not make the stub lib${lib}.so")
  endif()
endforeach()
# The NDK's link flags: a 20-byte build id, which Android Studio's debugger
# and Play's symbol upload expect, whatever the driver passes; every name in
# the version script defined; no warning let through; unreached sections
# dropped. Below API 30 the read-only data shares the code's segment:
# debuggerd on those releases cannot unwind through a library whose read-only
# data sits in a segment of its own. clang itself passes --hash-style=both
# below API 23, whose loader reads no .gnu.hash.
set(ndk_link_flags "-Wl,--build-id=sha1 -Wl,--no-undefined-version -Wl,--fatal-warnings -Wl,--gc-sections")
if(ANDROID_PLATFORM LESS 30)
  string(APPEND ndk_link_flags " -Wl,--no-rosegment")
endif()
set(CMAKE_SHARED_LINKER_FLAGS_INIT "-fuse-ld=lld -L${stubs} ${ndk_link_flags}")
