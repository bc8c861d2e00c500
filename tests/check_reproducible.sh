#!/bin/bash
# Checks that ./package's outputs depend on nothing but the sources and
# SOURCE_DATE_EPOCH: packages a copy of the checkout (its tracked and new
# files) at another path, in another time zone, unsigned, from Android build
# directories left configured with other flags, and compares the copy's dist/
# with this one's, byte for byte, signatures aside. Then checks that the
# copy's ./package refuses a version CHANGELOG.md has no entry for. Run it
# after ./package.
# Usage: tests/check_reproducible.sh
set -euo pipefail
cd "$(dirname "$0")/.."
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
copy=$work/checkout
mkdir "$copy"
git ls-files -z --cached --others --exclude-standard |
  tar --create --null --files-from=- --ignore-failed-read --file=- 2>/dev/null |
  tar --extract --file=- --directory="$copy"
# A build directory keeps the flags of its first configure; ./package must
# not ship them.
for preset in android-arm64 android-armv7 android-x86 android-x86_64; do
  (cd "$copy" && cmake --preset "$preset" -DCMAKE_C_FLAGS=-fno-omit-frame-pointer \
    -DCMAKE_CXX_FLAGS=-fno-omit-frame-pointer) >/dev/null 2>&1
done
if ! (cd "$copy" && env -u IME_SIGNING_KEY TZ=XYZ+9:30 ./package) >"$work/package.log" 2>&1; then
  cat "$work/package.log"
  exit 1
fi
if ! diff --recursive --brief --exclude='*.asc' dist "$copy/dist"; then
  echo "FAIL: a second build elsewhere packages other bytes"
  exit 1
fi

# Everything else agrees with the new version, so only the refusal stops it.
sed -i 's/^project(ime_graphics VERSION [0-9.]* /project(ime_graphics VERSION 99.0.0 /' \
  "$copy/CMakeLists.txt"
sed -i -e 's/^\(#define IME_GRAPHICS_VERSION_MAJOR\) [0-9]*$/\1 99/' \
  -e 's/^\(#define IME_GRAPHICS_VERSION_\(MINOR\|PATCH\)\) [0-9]*$/\1 0/' \
  "$copy/include/ime_graphics/ime_graphics.h"
if (cd "$copy" && ./package) >"$work/refused.log" 2>&1 ||
  ! grep -q 'CHANGELOG.md has no entry for 99.0.0' "$work/refused.log"; then
  cat "$work/refused.log"
  echo "FAIL: ./package does not refuse a version CHANGELOG.md lacks"
  exit 1
fi
echo "dist/: the same bytes from a copy of the checkout built elsewhere; a version without a changelog entry refused"
