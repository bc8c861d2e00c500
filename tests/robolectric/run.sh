#!/bin/bash
# Runs the Robolectric tier: every test class in src/test/java, on Android's
# own framework code in native graphics mode, at each SDK from 26 to 37, one
# JVM per SDK (the JVM loads one .so file into one class loader only), with
# the host build's libime_graphics.so beside the bridge libjnigraphics.so.
# Maven resolves everything from Maven Central first; Robolectric then runs
# offline on the jars Maven copied. SDKs 36 and 37 need Java 21 or later,
# looked for under /usr/lib/jvm; without one they are skipped, and said so.
# Usage: run.sh BUILD_DIR   (the host preset's build, e.g. build/host)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
build=$(cd "$1" && pwd)
source "$root/tools/ensure-packages.sh"
ensure_packages "${IME_BUILD_PACKAGES[@]}" "${IME_ROBOLECTRIC_PACKAGES[@]}"
out=$build/robolectric
java17=/usr/lib/jvm/java-17-openjdk-amd64/bin
java21=$(java21_bin)

mvn -B -q -Dstyle.color=never -f "$here/pom.xml" -Dout="$out" initialize
# androidx.test's monitor comes as an Android library archive; the classes
# are its classes.jar.
(cd "$out" && "$java17/jar" xf aar/monitor-*.aar classes.jar &&
  mv classes.jar monitor.jar)
"$here/apk.sh" "$out/apk"
classpath=$out/classes:$here/src/test/resources:$out/apk:$(cat "$out/classpath.txt")
classpath+=:$out/monitor.jar

# The Java API and the JVM tests' reference mapping and tables shared with
# the host backend, compiled with the module's own tests and the sample
# keyboard's code (its resources are in the apk).
rm -rf "$out/classes"
mkdir "$out/classes"
# Every concrete class of the module with a test in it runs, whatever its
# name. Its own warnings are shown, not fatal: a test may well use a config
# the platform deprecates.
mapfile -t tests < <(cd "$here/src/test/java" &&
  grep -rlE '@Test\b|@RunWith\(' --include='*.java' . |
  xargs -r grep -L -E '^(public |final )*abstract class' | sort)
"$java17/javac" -Xlint:all,-classfile -d "$out/classes" \
  -cp "$classpath:$IME_ANNOTATIONS_JAR" \
  "$root/java/com/zarnu/util/ImeGraphics.java" \
  "$root/tests/java/com/zarnu/util/Reference.java" \
  "$root/tests/java/com/zarnu/util/BitmapFacts.java" \
  "$root/tests/java/com/zarnu/util/ImeGraphicsColorTest.java" \
  "$root/tests/java/com/zarnu/util/ImeGraphicsArrayTest.java" \
  "$root/tests/java/com/zarnu/util/ImeGraphicsCopyTest.java" \
  $(find "$root/samples/keyboard/java" "$out/apk/gen" "$here/src/test/java" -name '*.java')
classes=()
for test in "${tests[@]}"; do
  test=${test#./}
  test=${test%.java}
  classes+=("${test//\//.}")
done

ran=() skipped=()
for sdk in $(seq 26 37); do
  java=$java17
  if [[ $sdk -ge 36 ]]; then
    if [[ -z $java21 ]]; then
      skipped+=("$sdk")
      continue
    fi
    java=$java21
  fi
  echo "=== SDK $sdk on $("$java/java" -XshowSettings:properties -version 2>&1 |
    sed -n 's/^ *java.version = //p') (${java%/bin})"
  # Robolectric unpacks its native runtime into the temporary folder, and
  # leaves it there if the JVM dies: each JVM gets a folder of its own,
  # emptied before it runs.
  libs=$out/sdk$sdk
  rm -rf "$libs"
  mkdir -p "$libs/tmp"
  cp "$build/libime_graphics.so" "$build/robolectric/libjnigraphics.so" "$libs/"
  log=$out/sdk$sdk.log
  # Conscrypt, the sandbox's security provider, is left out: it would read
  # android.os.Build outside the sandbox, from the compile-time jar. From
  # Java 21 Robolectric's FileDescriptor interceptor (a PNG written to a
  # stream) reaches into jdk.internal.access, which Java 17 does not ask for.
  status=0
  "$java/java" -cp "$classpath" -Djava.library.path="$libs" \
    -Djava.io.tmpdir="$libs/tmp" \
    -Drobolectric.enabledSdks="$sdk" -Drobolectric.graphicsMode=NATIVE \
    -Drobolectric.offline=true -Drobolectric.dependency.dir="$out/sdk-jars" \
    -Drobolectric.conscryptMode=OFF \
    --add-opens=java.base/jdk.internal.access=ALL-UNNAMED \
    org.junit.runner.JUnitCore "${classes[@]}" 2>&1 | tee "$log" || status=$?
  if [[ $status -ne 0 ]] || grep -q '^OK (0 tests)' "$log"; then
    echo "SDK $sdk failed, or ran no test"
    exit 1
  fi
  ran+=("$sdk")
done
echo "Robolectric tier: ran SDK ${ran[*]}"
if [[ ${#skipped[@]} -gt 0 ]]; then
  echo "Robolectric tier: skipped SDK ${skipped[*]}: they need Java 21 or" \
    "later, and /usr/lib/jvm has none"
fi
