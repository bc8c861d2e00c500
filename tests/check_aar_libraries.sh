#!/bin/bash
# Runs the entry-point tests (the bitmap pass, the colour entry points, the
# tinting) on each of an archive's four libraries themselves: each is taken
# from the archive and loaded with dlopen by the harness of tests/shipped/,
# built for its ABI with Debian's toolchain. x86_64 runs natively, the others
# under qemu-user, and both x86 ABIs again on the oldest CPU their ABI allows.
# Then, for each ABI, builds an app's native library against the archive's
# Prefab package as an app's build does (tests/consumer/), which must link
# with every name defined, need libime_graphics.so, and refuse the next major
# version (which a decoy outside the Prefab packages offers), and runs the tests again
# with the four C++ routines called through it. Builds the x86_64 app once
# more with the library's sources added by add_subdirectory.
# Usage: check_aar_libraries.sh AAR
set -euo pipefail
(($# == 1)) || { echo "usage: $0 AAR" >&2; exit 2; }
aar=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
libs=$(mktemp -d)
trap 'rm -rf "$libs"' EXIT
(cd "$libs" && jar --extract --file "$aar")
min_sdk=$(sed -n 's/.*android:minSdkVersion="\([0-9]*\)".*/\1/p' "$libs/AndroidManifest.xml")
major=$(sed -n 's/.*"version": "\([0-9]*\)\..*/\1/p' "$libs/prefab/prefab.json")
too_new=$((major + 1)).0

# Builds the harness for an ABI into build/aar-tests-ABI, unoptimised: its
# runs take a second, its compilation most of the time.
build() {
  local abi=$1
  shift
  cmake -S "$here/shipped" -B "$root/build/aar-tests-$abi" -G Ninja "$@" \
    >/dev/null
  cmake --build "$root/build/aar-tests-$abi" >/dev/null
}

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# Builds the app's library for an ABI into build/aar-app-ABI, from a CMake
# package generated out of the archive's prefab/ folder. A decoy package
# that claims any version lies on CMAKE_PREFIX_PATH, outside
# CMAKE_FIND_ROOT_PATH, where the toolchain must not let find_package look.
build_app() {
  local abi=$1 out=$root/build/aar-app-$1
  rm -rf "$out"
  "$here/consumer/prefab_cmake.py" "$libs/prefab" "$abi" "$min_sdk" "$out/prefab"
  mkdir -p "$out/decoy/lib/cmake/ime-graphics"
  echo 'add_library(ime-graphics::ime_graphics INTERFACE IMPORTED)' \
    >"$out/decoy/lib/cmake/ime-graphics/ime-graphicsConfig.cmake"
  printf 'set(PACKAGE_VERSION 99)\nset(PACKAGE_VERSION_COMPATIBLE TRUE)\n' \
    >"$out/decoy/lib/cmake/ime-graphics/ime-graphicsConfigVersion.cmake"
  local configure=(cmake -S "$here/consumer" -B "$out/build" -G Ninja
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/android-clang.cmake" -DANDROID_ABI="$abi"
    -DANDROID_PLATFORM="$min_sdk" -DCMAKE_BUILD_TYPE=Release
    -DCMAKE_FIND_ROOT_PATH="$out/prefab" -DCMAKE_PREFIX_PATH="$out/decoy")
  if ! { "${configure[@]}" && cmake --build "$out/build"; } >"$out/build.log" 2>&1; then
    cat "$out/build.log"
    fail "the $abi app does not build against the Prefab package"
    return
  fi
  readelf -dW "$out/build/libapp.so" | grep -q 'NEEDED.*\[libime_graphics\.so\]' ||
    fail "the $abi app does not need libime_graphics.so"
  if "${configure[@]}" -DIME_GRAPHICS_WANTED="$too_new" >/dev/null 2>&1; then
    fail "the $abi app finds a version $too_new: the Prefab package claims it, or the decoy was found"
  fi
}

# Builds the app's library for an ABI into build/aar-app-source-ABI with the
# library's sources added by add_subdirectory, which must give it the header.
build_app_from_source() {
  local abi=$1 out=$root/build/aar-app-source-$1
  rm -rf "$out"
  mkdir -p "$out"
  if ! { cmake -S "$here/consumer" -B "$out" -G Ninja -DIME_GRAPHICS_SOURCE="$root" \
      -DCMAKE_TOOLCHAIN_FILE="$root/cmake/android-clang.cmake" -DANDROID_ABI="$abi" \
      -DANDROID_PLATFORM="$min_sdk" -DCMAKE_BUILD_TYPE=Release &&
    cmake --build "$out"; } >"$out/build.log" 2>&1; then
    cat "$out/build.log"
    fail "the $abi app does not build with the library added by add_subdirectory"
    return
  fi
  readelf -dW "$out/libapp.so" | grep -q 'NEEDED.*\[libime_graphics\.so\]' ||
    fail "the $abi app built with the library's sources does not need libime_graphics.so"
}

# Runs an ABI's harness on its library in jni/, under the emulator given if
# any; with "app" first, on the Prefab copy, through the app's library.
run() {
  local abi=$1 what="its library" tested=("$libs/jni/$1/libime_graphics.so")
  shift
  if [[ ${1:-} == app ]]; then
    what="the app's library"
    tested=("$libs/prefab/modules/ime_graphics/libs/android.$abi/libime_graphics.so"
      "$root/build/aar-app-$abi/build/libapp.so")
    shift
  fi
  echo "--- $abi, $what${*:+, under $*}"
  "$@" "$root/build/aar-tests-$abi/shipped_entry_points" "${tested[@]}" \
    --gtest_brief=1 || fail "the $abi run on $what failed"
}

toolchain=$root/cmake
build x86_64
# dlopen needs a dynamically linked program; it starts no thread, which is
# what hangs qemu-i386.
build x86 -DCMAKE_TOOLCHAIN_FILE="$toolchain/i686-linux-gnu.cmake" \
  -DCMAKE_EXE_LINKER_FLAGS=
build arm64-v8a -DCMAKE_TOOLCHAIN_FILE="$toolchain/aarch64-linux-gnu.cmake"
build armeabi-v7a -DCMAKE_TOOLCHAIN_FILE="$toolchain/arm-linux-gnueabi.cmake"
for abi in x86_64 x86 arm64-v8a armeabi-v7a; do build_app "$abi"; done
build_app_from_source x86_64

run x86_64
run x86_64 app
run x86_64 qemu-x86_64 -cpu Nehalem  # SSE4.2 and POPCNT
run x86 qemu-i386 -L /usr/i686-linux-gnu
run x86 app qemu-i386 -L /usr/i686-linux-gnu
run x86 qemu-i386 -L /usr/i686-linux-gnu -cpu core2duo  # SSSE3
run arm64-v8a qemu-aarch64 -L /usr/aarch64-linux-gnu
run arm64-v8a app qemu-aarch64 -L /usr/aarch64-linux-gnu
run armeabi-v7a qemu-arm -L /usr/arm-linux-gnueabi
run armeabi-v7a app qemu-arm -L /usr/arm-linux-gnueabi
((failures == 0)) || { echo "FAIL: $failures checks failed"; exit 1; }
