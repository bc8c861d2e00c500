#!/bin/bash
# Builds the tier's resource apk from apk/ and the sample keyboard
# (samples/keyboard: its resources, and its manifest, which declares its
# service) with Debian's aapt2 against Debian's framework-res.apk (API 29),
# the sample's R class, and the test_config.properties by which Robolectric
# loads the apk in binary resources mode, all under OUT_DIR, which the tier
# puts on the test classpath (R.java under OUT_DIR/gen, to be compiled).
# Usage: apk.sh OUT_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
out=$(mkdir -p "$1" && cd "$1" && pwd)
aapt2 compile --dir "$here/apk/res" -o "$out/res.zip"
aapt2 compile --dir "$root/samples/keyboard/res" -o "$out/keyboard.zip"
# The sample keyboard's manifest, under the tier's package, so that its
# service is declared with its meta-data; its R class, in its own package.
sed 's/package="com\.zarnu\.keyboard"/package="com.zarnu.util.resources"/' \
  "$root/samples/keyboard/AndroidManifest.xml" >"$out/AndroidManifest.xml"
grep -q 'package="com.zarnu.util.resources"' "$out/AndroidManifest.xml"
rm -rf "$out/gen"
aapt2 link -o "$out/res.apk" -I /usr/share/android-framework-res/framework-res.apk \
  --manifest "$out/AndroidManifest.xml" --java "$out/gen" --custom-package com.zarnu.keyboard \
  "$out/res.zip" "$out/keyboard.zip"
mkdir -p "$out/com/android/tools"
cat >"$out/com/android/tools/test_config.properties" <<PROPERTIES
android_merged_manifest=$out/AndroidManifest.xml
android_resource_apk=$out/res.apk
android_custom_package=com.zarnu.util.resources
PROPERTIES
