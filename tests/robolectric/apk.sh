#!/bin/bash
# Builds the tier's resource apk from apk/ and the sample keyboard's
# resources (samples/keyboard/res) with Debian's aapt2 against Debian's
# framework-res.apk (API 29), and writes the test_config.properties
# by which Robolectric loads it in binary resources mode, under OUT_DIR,
# which the tier puts on the test classpath.
# Usage: apk.sh OUT_DIR
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
out=$(mkdir -p "$1" && cd "$1" && pwd)
aapt2 compile --dir "$here/apk/res" -o "$out/res.zip"
aapt2 compile --dir "$root/samples/keyboard/res" -o "$out/keyboard.zip"
aapt2 link -o "$out/res.apk" -I /usr/share/android-framework-res/framework-res.apk \
  --manifest "$here/apk/AndroidManifest.xml" "$out/res.zip" "$out/keyboard.zip"
mkdir -p "$out/com/android/tools"
cat >"$out/com/android/tools/test_config.properties" <<PROPERTIES
android_merged_manifest=$here/apk/AndroidManifest.xml
android_resource_apk=$out/res.apk
android_custom_package=com.zarnu.util.resources
PROPERTIES
