#!/bin/bash
# Checks that ./package's outputs depend on nothing but the sources and
# SOURCE_DATE_EPOCH: packages a copy of the checkout (its tracked and new
# files) at another path, in another time zone, unsigned, from Android build
# directories left configured with other flags, and compares the copy's dist/
# with this one's, byte for byte, signatures aside. Then checks that the
# copy's release is signed by a key whose signing key was rotated after
# SOURCE_DATE_EPOCH, that an epoch of 0 zips, that CMake refuses a header
# whose patch level is not the project's, and that the copy's ./package
# refuses a version CHANGELOG.md mentions but has no entry for. Run it after
# ./package.
# Usage: tests/check_reproducible.sh
set -euo pipefail
cd "$(dirname "$0")/.."
source tools/ensure-packages.sh
ensure_packages gnupg
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

# A key rotated since the commit signs too, at the making of its newest
# signing key: the older one expired before SOURCE_DATE_EPOCH.
export GNUPGHOME=$work/gnupg
mkdir -m 700 "$GNUPGHOME"
trap 'gpgconf --kill all; rm -rf "$work"' EXIT
rotated=rotated@ime-graphics.invalid
gpg=(gpg --batch --quiet --pinentry-mode loopback --passphrase '')
"${gpg[@]}" --faked-system-time '20200101T000000!' \
  --quick-gen-key "ime-graphics rotated <$rotated>" ed25519 cert never 2>/dev/null
key=$(gpg --batch --with-colons --list-keys "$rotated" 2>/dev/null |
  awk -F: '$1 == "fpr" { print $10; exit }')
"${gpg[@]}" --faked-system-time '20200101T000000!' \
  --quick-add-key "$key" ed25519 sign 1y 2>/dev/null
"${gpg[@]}" --quick-add-key "$key" ed25519 sign never 2>/dev/null
version=$(sed -n 's/^project(ime_graphics VERSION \([0-9.]*\) .*/\1/p' CMakeLists.txt)
release=$copy/dist/maven/com/zarnu/ime-graphics/$version/ime-graphics-$version
if ! tools/sign.sh "$rotated" "$release"{.aar,.pom,-sources.jar,-javadoc.jar} ||
   ! IME_SIGNING_KEY=$rotated tests/check_maven.sh "$copy/dist/maven" "$version" \
     "$copy/dist/ime-graphics-$version.aar"; then
  echo "FAIL: a key with a signing key newer than SOURCE_DATE_EPOCH does not sign"
  exit 1
fi

# zip stores no date before 1980; an epoch of 0, a common setting, is 1980.
if ! SOURCE_DATE_EPOCH=0 tools/zip_tree.py "$work/epoch0.zip" include ||
   ! SOURCE_DATE_EPOCH=0 tests/check_zips.py "$work/epoch0.zip"; then
  echo "FAIL: SOURCE_DATE_EPOCH=0 does not zip"
  exit 1
fi

# CMake refuses a header whose version is not the project's, down to PATCH.
sed -i 's/^\(#define IME_GRAPHICS_VERSION_PATCH\) \([0-9]*\)$/\1 1\2/' \
  "$copy/include/ime_graphics/ime_graphics.h"
if cmake -S "$copy" -B "$work/header" -DBUILD_TESTING=OFF >"$work/header.log" 2>&1 ||
  ! tr -s ' \n' ' ' <"$work/header.log" |
    grep -q 'does not give IME_GRAPHICS_VERSION_PATCH as '; then
  cat "$work/header.log"
  echo "FAIL: CMake takes a header whose patch level is not the project's"
  exit 1
fi

# Everything else agrees with the new version, so only the refusal stops it.
# The changelog mentions it, in a link as Keep a Changelog writes them, but
# has no heading for it.
sed -i 's/^project(ime_graphics VERSION [0-9.]* /project(ime_graphics VERSION 99.0.0 /' \
  "$copy/CMakeLists.txt"
sed -i -e 's/^\(#define IME_GRAPHICS_VERSION_MAJOR\) [0-9]*$/\1 99/' \
  -e 's/^\(#define IME_GRAPHICS_VERSION_\(MINOR\|PATCH\)\) [0-9]*$/\1 0/' \
  "$copy/include/ime_graphics/ime_graphics.h"
echo '[99.0.0]: https://example.invalid/compare/v1.0.0...v99.0.0' >>"$copy/CHANGELOG.md"
if (cd "$copy" && ./package) >"$work/refused.log" 2>&1 ||
  ! grep -q 'CHANGELOG.md has no entry for 99.0.0' "$work/refused.log"; then
  cat "$work/refused.log"
  echo "FAIL: ./package does not refuse a version CHANGELOG.md lacks"
  exit 1
fi
echo "dist/: the same bytes from a copy of the checkout built elsewhere; a rotated key signs;" \
  "epoch 0 zips; a header of another patch level and a version without a changelog entry refused"
