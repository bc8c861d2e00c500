#!/bin/bash
# Runs the entry-point tests (the bitmap pass, the colour entry points, the
# tinting) on each of an archive's four libraries themselves: each is taken
# from the archive and loaded with dlopen by the harness of tests/shipped/,
# built for its ABI with Debian's toolchain. x86_64 runs natively, the others
# under qemu-user, and both x86 ABIs again on the oldest CPU their ABI allows.
# Usage: check_aar_libraries.sh AAR
set -euo pipefail
(($# == 1)) || { echo "usage: $0 AAR" >&2; exit 2; }
aar=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
libs=$(mktemp -d)
trap 'rm -rf "$libs"' EXIT
(cd "$libs" && jar --extract --file "$aar")

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
# Runs an ABI's harness on its library, under the emulator given if any.
run() {
  local abi=$1
  shift
  echo "--- $abi${*:+ under $*}"
  "$@" "$root/build/aar-tests-$abi/shipped_entry_points" \
    "$libs/jni/$abi/libime_graphics.so" --gtest_brief=1 ||
    failures=$((failures + 1))
}

toolchain=$root/cmake
build x86_64
# dlopen needs a dynamically linked program; it starts no thread, which is
# what hangs qemu-i386.
build x86 -DCMAKE_TOOLCHAIN_FILE="$toolchain/i686-linux-gnu.cmake" \
  -DCMAKE_EXE_LINKER_FLAGS=
build arm64-v8a -DCMAKE_TOOLCHAIN_FILE="$toolchain/aarch64-linux-gnu.cmake"
build armeabi-v7a -DCMAKE_TOOLCHAIN_FILE="$toolchain/arm-linux-gnueabi.cmake"

run x86_64
run x86_64 qemu-x86_64 -cpu Nehalem  # SSE4.2 and POPCNT
run x86 qemu-i386 -L /usr/i686-linux-gnu
run x86 qemu-i386 -L /usr/i686-linux-gnu -cpu core2duo  # SSSE3
run arm64-v8a qemu-aarch64 -L /usr/aarch64-linux-gnu
run armeabi-v7a qemu-arm -L /usr/arm-linux-gnueabi
((failures == 0)) || { echo "FAIL: $failures runs failed"; exit 1; }
