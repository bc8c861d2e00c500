#!/bin/bash
# Runs the JUnit tests of a jar in a JVM that loads the real library from
# LIBRARY_DIR, with -Xcheck:jni, the host stand-ins behaving as API level
# SDK_INT; JUnit 4 classes (those the Robolectric tier shares) run on the
# console's vintage engine. Any complaint CheckJNI prints fails the run, even
# where the JVM itself carries on.
# Usage: run_junit.sh JAVA LIBRARY_DIR SDK_INT TEST_JAR CLASSPATH [JUNIT_OPTION...]
set -u
java=$1 libdir=$2 sdk=$3 tests=$4 classpath=$5
shift 5
log=$(mktemp)
trap 'rm -f "$log"' EXIT
"$java" -Xcheck:jni -Djava.library.path="$libdir" -Dime.host.sdkInt="$sdk" \
  -jar /usr/share/java/junit-platform-console-standalone.jar \
  --class-path "$tests:$classpath:/usr/share/java/junit4.jar" \
  --scan-class-path "$tests" \
  --fail-if-no-tests --details=tree --disable-banner --disable-ansi-colors \
  "$@" 2>&1 | tee "$log"
status=${PIPESTATUS[0]}
if grep -Eq 'WARNING in native method|FATAL ERROR in native method|JNI warning' "$log"; then
  echo "CheckJNI reported a misuse of JNI"
  exit 1
fi
exit "$status"
