#!/bin/bash
# Runs the JUnit tests of a jar in a JVM that loads the real library, with
# -Xcheck:jni. Any complaint CheckJNI prints fails the run, even where the JVM
# itself carries on.
# Usage: run_junit.sh JAVA LIBRARY_DIR TEST_JAR CLASSPATH [JUNIT_OPTION...]
set -u
java=$1 libdir=$2 tests=$3 classpath=$4
shift 4
log=$(mktemp)
trap 'rm -f "$log"' EXIT
"$java" -Xcheck:jni -Djava.library.path="$libdir" \
  -jar /usr/share/java/junit-platform-console-standalone.jar \
  --class-path "$tests:$classpath" --scan-class-path "$tests" \
  --fail-if-no-tests --details=tree --disable-banner --disable-ansi-colors \
  "$@" 2>&1 | tee "$log"
status=${PIPESTATUS[0]}
if grep -Eq 'WARNING in native method|FATAL ERROR in native method|JNI warning' "$log"; then
  echo "CheckJNI reported a misuse of JNI"
  exit 1
fi
exit "$status"
