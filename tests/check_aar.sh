#!/bin/bash
# Checks an Android library archive as an app's build would take it: exactly
# the expected entries, every zip in it written reproducibly, the manifest's
# package and minimum SDK, a classes.jar of the one class in Java 8 bytecode
# or older with the annotations Kotlin and lint read, rules that keep the
# native methods, an empty R.txt, each ABI's
# library as the device requires it for that minimum SDK, stripped, and the
# Prefab package as Prefab reads it: its metadata by schema 1, the public
# header of this checkout with the package's version, and each ABI's library
# the same bytes as in jni/. Given the symbols zip too, checks that it holds
# each ABI's library with its debug info, by the same build id, naming its
# sources by their paths in the checkout. The manifest's minimum SDK must be
# the android-base preset's, which the README gives.
# Usage: SOURCE_DATE_EPOCH=... check_aar.sh AAR [SYMBOLS_ZIP]
set -u
aar=$(realpath "$1") symbols=${2:+$(realpath "$2")}
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
source "$root/tools/ensure-packages.sh"
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
files() { jar --list --file "$1" | grep -v '/$' | sort; }
# A JSON file's value (at KEY, if given) as canonical JSON, keys sorted.
json() {
  python3 -c 'import json, sys
value = json.load(open(sys.argv[1]))
for key in sys.argv[2:]:
    value = value.get(key) if isinstance(value, dict) else None
print(json.dumps(value, sort_keys=True))' "$@"
}

dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
(cd "$dir" && jar --extract --file "$aar") || exit 1

abis="arm64-v8a armeabi-v7a x86 x86_64"
module=prefab/modules/ime_graphics
expected=$(
  printf '%s\n' AndroidManifest.xml R.txt classes.jar proguard.txt \
    prefab/prefab.json $module/module.json \
    $module/include/ime_graphics/ime_graphics.h
  for abi in $abis; do
    printf '%s\n' "jni/$abi/libime_graphics.so" "$module/libs/android.$abi/abi.json" \
      "$module/libs/android.$abi/libime_graphics.so"
  done | sort
)
expected=$(sort <<<"$expected")
[[ $(files "$aar") == "$expected" ]] ||
  fail "entries differ: $(diff <(echo "$expected") <(files "$aar") | grep '^[<>]' | tr '\n' ' ')"
"$here/check_zips.py" "$aar" "$dir/classes.jar" ${symbols:+"$symbols"} ||
  fail "a zip is not written reproducibly"

grep -q 'package="com.zarnu.util"' "$dir/AndroidManifest.xml" ||
  fail "manifest names no package com.zarnu.util"
min_sdk=$(sed -n 's/.*android:minSdkVersion="\([0-9]*\)".*/\1/p' "$dir/AndroidManifest.xml")
[[ $min_sdk ]] || { fail "manifest names no minimum SDK"; min_sdk=0; }

# ImeGraphics and the classes nested in it, nothing else.
files "$dir/classes.jar" | grep -qx 'com/zarnu/util/ImeGraphics.class' &&
  ! files "$dir/classes.jar" | grep -qvx 'com/zarnu/util/ImeGraphics\(\$[A-Za-z]*\)\?\.class' ||
  fail "classes.jar holds $(files "$dir/classes.jar" | tr '\n' ' ')"
(cd "$dir" && jar --extract --file classes.jar)
major=$(od -An -tu1 -j6 -N2 "$dir/com/zarnu/util/ImeGraphics.class" |
  awk '{ print $1 * 256 + $2 }')
((major <= 52)) || fail "class file version $major is newer than Java 8 (52)"
# Kotlin reads the nullability, and lint the colour ints and threads, from
# androidx.annotation's annotations in the class file, as javap prints them
# (their retention is CLASS, so invisible at run time): the method's own for
# its result and thread, the parameter's for each argument.
annotations=$(javap -v -cp "$dir" com.zarnu.util.ImeGraphics | awk '
  /^  [a-z].*\(.*\);$/ { method = $0; sub(/\(.*/, "", method); sub(/.* /, "", method) }
  /^    [A-Z]/ { where = "" }
  /^    RuntimeInvisibleAnnotations:$/ { where = "method" }
  /^    RuntimeInvisibleParameterAnnotations:$/ { where = "argument" }
  /^      parameter [0-9]+:$/ { position = $2; sub(/:/, "", position) }
  where && /^ +[a-z][a-z0-9_]*\.[A-Za-z0-9_.$]+$/ {
    print method, where == "method" ? "method" : "argument " position, $1 }' | sort)
expected_annotations="canConvertInPlace argument 0 androidx.annotation.Nullable
canConvertInPlace method androidx.annotation.AnyThread
dayColorFilter method androidx.annotation.AnyThread
dayColorFilter method androidx.annotation.NonNull
dayCopy argument 0 androidx.annotation.NonNull
dayCopy method androidx.annotation.Nullable
dayCopy method androidx.annotation.WorkerThread
glChangeColor argument 0 androidx.annotation.ColorInt
glChangeColor argument 0 androidx.annotation.Nullable
glChangeColor argument 1 androidx.annotation.ColorInt
glChangeColor argument 1 androidx.annotation.Nullable
glChangeColor argument 2 androidx.annotation.ColorInt
glChangeColor method androidx.annotation.AnyThread
glSetDayColor argument 0 androidx.annotation.ColorInt
glSetDayColor method androidx.annotation.AnyThread
glSetDayColor method androidx.annotation.ColorInt
glSetNight argument 0 androidx.annotation.Nullable
glSetNightColor argument 0 androidx.annotation.ColorInt
glSetNightColor method androidx.annotation.AnyThread
glSetNightColor method androidx.annotation.ColorInt
glSetToDayMode argument 0 androidx.annotation.Nullable
isAvailable method androidx.annotation.AnyThread
nightColorFilter method androidx.annotation.AnyThread
nightColorFilter method androidx.annotation.NonNull
nightCopy argument 0 androidx.annotation.NonNull
nightCopy method androidx.annotation.Nullable
nightCopy method androidx.annotation.WorkerThread"
[[ $annotations == "$expected_annotations" ]] ||
  fail "annotations differ: $(diff <(echo "$expected_annotations") \
    <(echo "$annotations") | grep '^[<>]' | tr '\n' ' ')"

tr -s ' \n' ' ' <"$dir/proguard.txt" |
  grep -q -- '-keep class com.zarnu.util.ImeGraphics { native <methods>; }' ||
  fail "proguard.txt does not keep the native methods"
[[ -f $dir/R.txt && ! -s $dir/R.txt ]] || fail "R.txt is not empty"

declare -A processor=([arm64-v8a]=aarch64 [armeabi-v7a]=armv7-a [x86]=i686 [x86_64]=x86_64)
for abi in $abis; do
  lib=$dir/jni/$abi/libime_graphics.so
  [[ -f $lib ]] || continue
  report=$("$here/check_elf.sh" "$lib" "${processor[$abi]}" android "$min_sdk") ||
    fail "$abi library: $report"
done

# Prefab's rules for schema 1, which every Android Gradle plugin from 4.1
# reads; its parser rejects any key the schema lacks. The version must be one
# CMake can compare, and is the header's.
header=$dir/$module/include/ime_graphics/ime_graphics.h
cmp -s "$header" "$root/include/ime_graphics/ime_graphics.h" ||
  fail "the Prefab header is not include/ime_graphics/ime_graphics.h"
header_version=$(for part in MAJOR MINOR PATCH; do
  sed -n "s/^#define IME_GRAPHICS_VERSION_$part \([0-9]*\)$/\1/p" "$header"
done | paste -sd.)
version=$(json "$dir/prefab/prefab.json" version | tr -d '"')
grep -Eqx '[0-9]+(\.[0-9]+(\.[0-9]+(\.[0-9]+)?)?)?' <<<"$version" ||
  fail "prefab.json's version $version is not one CMake can compare"
[[ $version == "$header_version" ]] ||
  fail "prefab.json gives version $version, the header $header_version"
[[ $(json "$dir/prefab/prefab.json") == \
  "{\"dependencies\": [], \"name\": \"ime-graphics\", \"schema_version\": 1, \"version\": \"$version\"}" ]] ||
  fail "prefab.json is $(json "$dir/prefab/prefab.json")"
[[ $(json "$dir/$module/module.json") == '{"export_libraries": []}' ]] ||
  fail "module.json is $(json "$dir/$module/module.json")"
for abi in $abis; do
  libs=$dir/$module/libs/android.$abi
  [[ -f $libs/abi.json ]] || continue
  keys=$(python3 -c 'import json, sys; print(" ".join(sorted(json.load(open(sys.argv[1])))))' "$libs/abi.json")
  [[ $keys == "abi api ndk stl" ]] || fail "$abi abi.json has the keys $keys, not abi api ndk stl"
  [[ $(json "$libs/abi.json" abi) == "\"$abi\"" ]] || fail "$abi abi.json names another ABI"
  [[ $(json "$libs/abi.json" stl) == '"none"' ]] || fail "$abi abi.json's stl is not \"none\""
  api=$(json "$libs/abi.json" api) ndk=$(json "$libs/abi.json" ndk)
  [[ $api =~ ^[0-9]+$ ]] && ((api <= min_sdk)) ||
    fail "$abi abi.json's api $api is not a number at most the minimum SDK $min_sdk"
  [[ $ndk =~ ^[0-9]+$ ]] || fail "$abi abi.json's ndk $ndk is not a major version"
  # The same bytes as jni/ (so also its SONAME): the app's build merges
  # identical copies and refuses differing ones.
  cmp -s "$libs/libime_graphics.so" "$dir/jni/$abi/libime_graphics.so" ||
    fail "$abi Prefab library differs from jni/$abi/libime_graphics.so"
done

# The minimum SDK as published is the one the android-base preset builds
# for, and the README says it as "`minSdkVersion` N".
preset_sdk=$(python3 -c 'import json, sys
for preset in json.load(open(sys.argv[1]))["configurePresets"]:
    if preset["name"] == "android-base":
        print(preset["cacheVariables"]["ANDROID_PLATFORM"])' "$root/CMakePresets.json")
[[ $min_sdk == "$preset_sdk" ]] ||
  fail "the manifest's minimum SDK $min_sdk is not the android-base preset's $preset_sdk"
grep -qF "\`minSdkVersion\` $preset_sdk" "$root/README.md" ||
  fail "README.md does not give \`minSdkVersion\` $preset_sdk, the android-base preset's"

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
  # Its symbol table names every function, so each one's unwind entry is
  # checked here, not just the exported ones'.
  report=$("$here/check_elf.sh" "$full" "${processor[$abi]}" android "$min_sdk") ||
    fail "$abi symbols: $report"
  [[ $(build_id "$lib") == "$(build_id "$full")" ]] ||
    fail "$abi library and its symbols differ in build id"
  # A symbolised crash names the source as it is in the checkout, whichever
  # directory the build ran in.
  address=$(readelf -sW "$full" | awk '$8 == "Java_com_zarnu_util_ImeGraphics_glSetNight" { print $2; exit }')
  named=$("$IME_LLVM/llvm-symbolizer" --obj="$full" "0x$address" | sed -n '2s/:[0-9:]*$//p')
  relative=$(sed -e 's|/\./|/|g' -e 's|^\(\./\)*||' <<<"$named")
  [[ $relative == jni/* && -f $root/$relative ]] ||
    fail "$abi symbols name the source $named, not its path in the checkout"
done

if ((failures)); then
  echo "$aar: $failures problem(s)"
  exit 1
fi
echo "$aar: entries, zips, manifest, class, rules, the four libraries and the Prefab package as required${symbols:+, symbols matching}"
