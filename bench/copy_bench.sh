#!/bin/bash
# Runs bench/CopyBench.java, what a night copy and each of its parts cost on
# Android's own Bitmap code, under Robolectric at one SDK (35 unless told),
# on the Robolectric tier's classpath and with the host build's
# libime_graphics.so beside the tier's bridge libjnigraphics.so. Run by hand;
# the tier must have run once (tests/robolectric/run.sh BUILD_DIR, or
# ./check) for its classpath and jars. Nothing is written outside a temporary
# folder, removed at the end.
# Usage: bench/copy_bench.sh [BUILD_DIR [SDK]]   (build/host and 35 by default)
#   COPY_BENCH_ROUNDS=41 COPY_BENCH_WARMUP=5   rounds timed, and before them
#   COPY_BENCH_MEMORY=1                        each part from memory, not cache
#   COPY_BENCH_JAVA_OPTS='-XX:...'             more options for the JVM
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
build=$(cd "${1:-$root/build/host}" && pwd)
sdk=${2:-35}
out=$build/robolectric
tier=$root/tests/robolectric
source "$root/tools/ensure-packages.sh"  # for IME_ANNOTATIONS_JAR; installs nothing here
for need in "$out/classpath.txt" "$out/monitor.jar" "$out/apk" \
    "$out/libjnigraphics.so" "$build/libime_graphics.so"; do
  if [[ ! -e $need ]]; then
    echo "copy_bench.sh: $need is missing: build the host preset and run" \
      "tests/robolectric/run.sh $build once" >&2
    exit 1
  fi
done
java=/usr/lib/jvm/java-17-openjdk-amd64/bin
if [[ $sdk -ge 36 ]]; then
  java=$(java21_bin)
  if [[ -z $java ]]; then
    echo "copy_bench.sh: SDK $sdk needs Java 21 or later; /usr/lib/jvm has none" >&2
    exit 1
  fi
fi
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/classes" "$work/libs/tmp"
classpath=$out/apk:$tier/src/test/resources:$(cat "$out/classpath.txt"):$out/monitor.jar
/usr/lib/jvm/java-17-openjdk-amd64/bin/javac -nowarn -d "$work/classes" \
  -cp "$classpath:$IME_ANNOTATIONS_JAR" \
  "$root/java/com/zarnu/util/ImeGraphics.java" "$here/CopyBench.java"
cp "$build/libime_graphics.so" "$out/libjnigraphics.so" "$work/libs/"
# As the tier runs: Robolectric offline on the jars Maven copied, without
# Conscrypt; a fixed heap, so that its growing is not timed.
# shellcheck disable=SC2086  # the options are split as given
"$java/java" -Xms2g -Xmx2g ${COPY_BENCH_JAVA_OPTS:-} -cp "$work/classes:$classpath" \
  -Djava.library.path="$work/libs" -Djava.io.tmpdir="$work/libs/tmp" \
  -Drobolectric.enabledSdks="$sdk" -Drobolectric.graphicsMode=NATIVE \
  -Drobolectric.offline=true -Drobolectric.dependency.dir="$out/sdk-jars" \
  -Drobolectric.conscryptMode=OFF \
  -Dcopybench.rounds="${COPY_BENCH_ROUNDS:-41}" \
  -Dcopybench.warmup="${COPY_BENCH_WARMUP:-5}" \
  -Dcopybench.memory="$([[ ${COPY_BENCH_MEMORY:-0} == 1 ]] && echo true || echo false)" \
  --add-opens=java.base/jdk.internal.access=ALL-UNNAMED \
  org.junit.runner.JUnitCore com.zarnu.util.CopyBench
