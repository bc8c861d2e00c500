#!/bin/bash
# Checks an Android library archive as an app's build would take it: exactly
# the expected entries, the manifest's package and minimum SDK, a classes.jar
# of the one class in Java 8 bytecode or older, rules that keep the native
# methods, an empty R.txt, and each ABI's library as the device requires it.
# Usage: check_aar.sh AAR MIN_SDK
set -u
aar=$(realpath "$1") min_sdk=$2
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

if ((failures)); then
  echo "$aar: $failures problem(s)"
  exit 1
fi
echo "$aar: entries, manifest, class, rules and the four libraries as required"
