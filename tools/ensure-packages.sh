# Sourced by ./check, ./demo and ./package: installs the Debian packages given
# that are not installed yet (as root, or through sudo), and nothing else.
ensure_packages() {
  local missing=() package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$package")
  done
  ((${#missing[@]} == 0)) && return 0
  echo "Installing missing Debian packages: ${missing[*]}"
  local sudo=()
  if ((EUID != 0)); then
    command -v sudo >/dev/null || { echo "need root or sudo to install ${missing[*]}" >&2; return 1; }
    sudo=(sudo)
  fi
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq &&
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
      apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# What every build of the library needs; Maven fetches the annotations below.
IME_BUILD_PACKAGES=(cmake ninja-build g++ binutils
  android-libnativehelper-dev android-platform-frameworks-native-headers
  openjdk-17-jdk-headless maven)
# The class path ImeGraphics.java is compiled with beside Android's classes,
# for its annotations, which no app needs at run time: androidx.annotation's
# jar and the Kotlin standard library it names. ensure_annotations copies the
# versions tools/annotations/pom.xml pins there from Maven Central (or Maven's
# local repository), afresh on every call, so that no other lingers.
IME_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
IME_ANNOTATIONS_JAR=$IME_ROOT/build/annotations/annotation.jar:$IME_ROOT/build/annotations/kotlin-stdlib.jar
ensure_annotations() {
  local log
  log=$(mvn -q -B -f "$IME_ROOT/tools/annotations/pom.xml" \
    -Dout="$IME_ROOT/build/annotations" dependency:copy@annotations 2>&1) ||
    { echo "$log" >&2; echo "Maven could not fetch androidx.annotation" >&2; return 1; }
}
# Android's toolchain as the NDK has it: clang and lld with Android targets,
# of the one LLVM version cmake/llvm.cmake names.
IME_LLVM_VERSION=$(sed -n 's/^set(IME_LLVM_VERSION \([0-9]*\))$/\1/p' \
  "$(dirname "${BASH_SOURCE[0]}")/../cmake/llvm.cmake")
IME_LLVM=/usr/lib/llvm-$IME_LLVM_VERSION/bin
IME_ANDROID_PACKAGES=("clang-$IME_LLVM_VERSION" "lld-$IME_LLVM_VERSION"
  "llvm-$IME_LLVM_VERSION")
# What the demo's pictures need: the font its labels are drawn in.
IME_DEMO_PACKAGES=(fontconfig fonts-dejavu-core)
# The Robolectric tier: Maven to resolve it from Maven Central, and aapt2 with
# Android's framework resources to build its resource apk.
IME_ROBOLECTRIC_PACKAGES=(maven aapt android-framework-res)
# What tests/check_app_java.sh needs beyond the build: Android's dexdump, to
# read the app that R8 shrinks into DEX, and aapt2 with the framework's
# resources, to link the sample keyboard's and make its R.
IME_APP_CHECK_PACKAGES=(dexdump aapt android-framework-res)
# What ./package needs beyond the build: the zip writer, and Maven to resolve
# the release from the repository it writes.
IME_RELEASE_PACKAGES=(python3 maven libmaven-dependency-plugin-java)
# The Robolectric tier's SDKs 36 and 37 need Java 21 or later: prints the bin
# folder of the first such JDK under /usr/lib/jvm, or nothing.
java21_bin() {
  local release major
  for release in /usr/lib/jvm/*/release; do
    [[ -e $release ]] || continue
    major=$(sed -n 's/^JAVA_VERSION="\([0-9]*\).*/\1/p' "$release")
    if [[ -n $major && $major -ge 21 && -x ${release%release}bin/java ]]; then
      echo "${release%release}bin"
      return
    fi
  done
}
