#!/bin/bash
# Checks an Android library archive as an app's build would take it: exactly
# the expected entries, the manifest's package and minimum SDK, a classes.jar
# of the one class in Java 8 bytecode or older, rules that keep the native
# methods, an empty R.txt, and each ABI's library as the device requires it,
# stripped. Given the symbols zip too, checks that it holds each ABI's
# library with its debug info, by the same build id.
# Usage: check_aar.sh AAR MIN_SDK [SYMBOLS_ZIP]
set -u
aar=$(realpath "$1") min_sdk=$2 symbols=${3:+$(realpath "$3")}
here=$(cd "$(dirname "$0")" && pwd)
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
files() { jar --list --file "$1" | grep -v '/$' | sort; }

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
(cd "$dir" && jar --extract --file "$aar") || exit 1

expected=$(sort <<'ENTRIES'
AndroidManifest.xml
R.txt
classes.jar
jni/arm64-v8a/libime_graphics.so
jni/armeabi-v7a/libime_graphics.so
jni/x86/libime_graphics.so
jni/x86_64/libime_graphics.so
proguard.txt
ENTRIES
)
[[ $(files "$aar") == "$expected" ]] ||
  fail "entries differ: $(diff <(echo "$expected") <(files "$aar") | grep '^[<>]' | tr '\n' ' ')"

grep -q 'package="com.zarnu.util"' "$dir/AndroidManifest.xml" ||
  fail "manifest names no package com.zarnu.util"
grep -q "android:minSdkVersion=\"$min_sdk\"" "$dir/AndroidManifest.xml" ||
  fail "manifest's minimum SDK is not $min_sdk"

[[ $(files "$dir/classes.jar") == com/zarnu/util/ImeGraphics.class ]] ||
  fail "classes.jar holds $(files "$dir/classes.jar" | tr '\n' ' ')"
(cd "$dir" && jar --extract --file classes.jar)
major=$(od -An -tu1 -j6 -N2 "$dir/com/zarnu/util/ImeGraphics.class" |
  awk '{ print $1 * 256 + $2 }')
((major <= 52)) || fail "class file version $major is newer than Java 8 (52)"

tr -s ' \n' ' ' <"$dir/proguard.txt" |
  grep -q -- '-keep class com.zarnu.util.ImeGraphics { native <methods>; }' ||
  fail "proguard.txt does not keep the native methods"
[[ -f $dir/R.txt && ! -s $dir/R.txt ]] || fail "R.txt is not empty"

for abi in arm64-v8a:aarch64 armeabi-v7a:armv7-a x86:i686 x86_64:x86_64; do
  lib=$dir/jni/${abi%%:*}/libime_graphics.so
  [[ -f $lib ]] || continue
  report=$("$here/check_elf.sh" "$lib" "${abi#*:}" android "$min_sdk") ||
    fail "${abi%%:*} library: $report"
done

build_id() { readelf -nW "$1" | sed -n 's/.*Build ID: //p'; }
if [[ $symbols ]]; then
  mkdir "$dir/symbols" && (cd "$dir/symbols" && jar --extract --file "$symbols") || exit 1
  [[ $(files "$symbols") == "$(sed -n 's|^jni/||p' <<<"$expected")" ]] ||
    fail "symbols zip holds $(files "$symbols" | tr '\n' ' ')"
fi
for lib in "$dir"/jni/*/libime_graphics.so; do
  abi=$(basename "$(dirname "$lib")")
  readelf -SW "$lib" | grep -Eq ' \.(debug_info|symtab) ' && fail "$abi library is not stripped"
  [[ $symbols && -f $dir/symbols/$abi/libime_graphics.so ]] || continue
  full=$dir/symbols/$abi/libime_graphics.so
  readelf -SW "$full" | grep -q ' \.debug_info ' || fail "$abi symbols have no debug info"
  [[ $(build_id "$lib") == "$(build_id "$full")" ]] ||
    fail "$abi library and its symbols differ in build id"
done

if ((failures)); then
  echo "$aar: $failures problem(s)"
  exit 1
fi
echo "$aar: entries, manifest, class, rules and the four libraries as required${symbols:+, symbols matching}"
