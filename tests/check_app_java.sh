#!/bin/bash
# Checks the archive's Java class as an app's build takes it, with the Kotlin
# compiler, R8 and Android's API 21 classes that tests/jvm-tools/pom.xml names
# (Maven fetches them from Maven Central once, and copies them afresh on every
# run, so that no other version lingers):
# - ImeGraphics.java, and the sample keyboard against the archive's class,
#   compile against Android's own API 21 classes, the minimum SDK's: javac
#   knows no API levels, but a name that came later is missing there;
# - the sample keyboard's resources and manifest link with aapt2, and its
#   code, with that R, compiles against API 21;
# - the README's recipes (the whole keyboard, copies) are, line for line, the
#   sample keyboard's;
# - every java and kotlin block of README.md compiles against classes.jar and
#   API 21, in a class that extends tests/snippets/ReadmeSnippets.java (an
#   input method with the names the snippets make up) with the imports below:
#   a block whose first line of code declares something (@Override, public,
#   private, protected, fun, override fun) is a member of that class, any
#   other the body of its method snippet(). A failure names the README's line;
# - Kotlin takes the copies' results as nullable, their source as non-null
#   and null for the other arguments;
# - R8, with the archive's proguard.txt as the only rules for the library,
#   shrinks and obfuscates an app that calls every public method
#   (tests/shrink/) into DEX for API 21 and keeps the class and every native
#   method by name and descriptor, as the VM binds them (Debian's dexdump reads
#   them); without those rules it renames them. The annotations' jar is not on
#   its library path, as in an app that does not use androidx.annotation.
# Usage: check_app_java.sh AAR
set -u
aar=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
source "$root/tools/ensure-packages.sh"
ensure_packages "${IME_APP_CHECK_PACKAGES[@]}" && ensure_annotations || exit 1
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

tools=$dir/tools
mvn -q -B -f "$here/jvm-tools/pom.xml" -Dtools="$tools" \
  dependency:copy-dependencies@lib dependency:copy@android >"$dir/mvn.log" 2>&1 ||
  { cat "$dir/mvn.log"; echo "FAIL: Maven could not fetch the tools"; exit 1; }
android=$tools/android-21.jar
mkdir "$dir/aar" && (cd "$dir/aar" && jar --extract --file "$aar") || exit 1
classes=$dir/aar/classes.jar
kotlinc() {
  java -cp "$tools/lib/*" org.jetbrains.kotlin.cli.jvm.K2JVMCompiler -no-stdlib -no-reflect \
    -jvm-target 1.8 -classpath "$1:$(echo "$tools"/lib/kotlin-stdlib-[0-9]*.jar)" "${@:2}" 2>&1
}

mkdir "$dir/api21" "$dir/sample"
javac -nowarn --release 8 -implicit:none -d "$dir/api21" \
  -classpath "$android:$IME_ANNOTATIONS_JAR" "$root/java/com/zarnu/util/ImeGraphics.java" ||
  fail "ImeGraphics.java uses an API that Android 5.0 (API 21) lacks"
# The sample's resources and manifest link on their own, which gives its R.
aapt2 compile --dir "$root/samples/keyboard/res" -o "$dir/sample-res.zip" &&
  aapt2 link -o "$dir/sample.apk" -I /usr/share/android-framework-res/framework-res.apk \
    --manifest "$root/samples/keyboard/AndroidManifest.xml" --java "$dir/gen" \
    "$dir/sample-res.zip" || fail "the sample keyboard's resources and manifest do not link"
javac -nowarn --release 8 -d "$dir/sample" -classpath "$classes:$android" \
  $(find "$root/samples" "$dir/gen" -name '*.java') ||
  fail "the sample keyboard uses an API that Android 5.0 (API 21) lacks"

# Each block goes into its own SnippetLINE.java or .kt, everything before it
# on the first line and the block itself from the README's own line on, so
# that a compiler's line numbers are the README's.
mkdir -p "$dir/snippets/java" "$dir/snippets/kotlin" "$dir/stub"
awk -v out="$dir/snippets" '
  function opening(lang, name, member,   text, i) {
    text = "import android.content.*; import android.content.res.*; import android.graphics.*; " \
      "import android.graphics.drawable.*; import android.view.*; import java.util.concurrent.*; " \
      "import com.zarnu.util.ImeGraphics; "
    if (lang == "java") {
      text = text "public class " name " extends ReadmeSnippets {" (member ? "" : " void snippet() {")
    } else {
      text = text "class " name " : ReadmeSnippets() {" (member ? "" : " fun snippet() {")
    }
    return text
  }
  /^```(java|kotlin)[ \t]*$/ && !lang {
    lang = substr($0, 4); sub(/[ \t]*$/, "", lang); start = NR; n = 0; next
  }
  /^```[ \t]*$/ && lang {
    member = 0
    for (i = 1; i <= n; i++) {
      if (body[i] ~ /^[ \t]*$/ || body[i] ~ /^[ \t]*(\/\/|\/\*|\*)/) continue
      member = body[i] ~ /^[ \t]*(@Override|public |private |protected |override fun|fun |private fun)/
      break
    }
    name = "Snippet" start
    file = out "/" lang "/" name (lang == "java" ? ".java" : ".kt")
    print opening(lang, name, member) > file
    for (i = 2; i < start; i++) print "" > file
    for (i = 1; i <= n; i++) print body[i] > file
    print (member ? "}" : "}}") > file
    close(file); lang = ""; next
  }
  lang { body[++n] = $0 }
' "$root/README.md"
java_blocks=$(ls "$dir/snippets/java") kotlin_blocks=$(ls "$dir/snippets/kotlin")
[[ $java_blocks && $kotlin_blocks ]] || fail "README.md has no java or no kotlin block"
# A compiler names the README where it names a block's file.
readme() { sed -E "s#^[^ ]*/Snippet[0-9]+\.(java|kt):#README.md:#"; }
javac -nowarn --release 8 -d "$dir/stub" -classpath "$android" "$here/snippets/ReadmeSnippets.java" ||
  fail "tests/snippets/ReadmeSnippets.java does not compile"
snippet_path=$classes:$android:$dir/stub
if [[ $java_blocks ]] && ! report=$(javac -nowarn --release 8 -d "$dir/snippets/java" \
    -classpath "$snippet_path" "$dir"/snippets/java/*.java 2>&1); then
  fail "a java block of README.md does not compile:"
  readme <<<"$report"
fi

# The README's recipes, the java blocks of its sections on the whole keyboard
# and on copies, are the sample keyboard's, which the Robolectric tier runs:
# each of their lines of code stands in one of its files.
blocks=$(awk '/^## / { on = /^## (The whole keyboard at night|Copies)/ }
    on && /^```java/ { code = 1; next } code && /^```/ { code = 0 } code' "$root/README.md" |
  sed -E 's#[[:space:]]*//.*$##; s/^[[:space:]]+//' | grep -v '^$')
[[ $(grep -c 'nightCopy' <<<"$blocks") -ge 1 && $(grep -c 'onCreateInputView' <<<"$blocks") -ge 1 ]] ||
  fail "README.md's recipes for the whole keyboard and for copies are not where this check looks"
while read -r line; do
  grep -rqF -- "$line" "$root/samples/keyboard/java" ||
    fail "README.md's recipe line is not the sample keyboard's: $line"
done <<<"$blocks"

# Taken as nullable and with null arguments, the API compiles; taken as
# non-null, or with a null source, each line fails.
cat >"$dir/Nullable.kt" <<'KOTLIN'
import android.graphics.Bitmap
import com.zarnu.util.ImeGraphics
fun nullable(source: Bitmap) {
    val night: Bitmap? = ImeGraphics.nightCopy(source)
    val day: Bitmap? = ImeGraphics.dayCopy(source)
    ImeGraphics.glSetNight(null)
    ImeGraphics.glSetToDayMode(null)
    ImeGraphics.glChangeColor(null, null, 0)
    ImeGraphics.canConvertInPlace(null)
}
KOTLIN
cat >"$dir/NonNull.kt" <<'KOTLIN'
import android.graphics.Bitmap
import com.zarnu.util.ImeGraphics
fun nonNull(source: Bitmap) {
    val night: Bitmap = ImeGraphics.nightCopy(source)
    val day: Bitmap = ImeGraphics.dayCopy(source)
    ImeGraphics.nightCopy(null)
    ImeGraphics.dayCopy(null)
}
KOTLIN
# The two compilers run side by side, as do the two shrinks below.
kotlinc "$snippet_path" -d "$dir/nonnull" "$dir/NonNull.kt" >"$dir/nonnull.log" &
nonnull=$!
if ! report=$(kotlinc "$snippet_path" -d "$dir/snippets/kotlin" \
    "$dir/Nullable.kt" "$dir"/snippets/kotlin/*.kt); then
  fail "a kotlin block of README.md, or nullable use of ImeGraphics, does not compile:"
  readme <<<"$report"
fi
wait $nonnull
refused=$(sed -En "s/^[^ ]*NonNull\.kt:([0-9]+):[0-9]+: error: (initializer type mismatch: expected 'Bitmap', actual 'Bitmap\?'|null cannot be a value of a non-null type 'Bitmap')\.$/\1/p" "$dir/nonnull.log" |
  sort -u | paste -sd' ')
[[ $refused == "4 5 6 7" ]] ||
  fail "Kotlin refuses lines ${refused:-none} of the non-null use of the copies for their nullability, not 4 5 6 7"

# The native methods of classes.jar's ImeGraphics as javap shows them, and of
# com.zarnu.util.ImeGraphics in a DEX file or zip of them as dexdump does:
# name and descriptor, one a line.
natives() {
  javap -p -s -cp "$1" com.zarnu.util.ImeGraphics 2>/dev/null |
    awk '/ native / { name = $0; sub(/\(.*/, "", name); sub(/.* /, "", name); getline
      print name, $2 }' | sort
}
dex_natives() {
  dexdump "$1" 2>/dev/null | awk -v q="'" '
    / \(in L[^ ]*;\)$/ { class = $NF; sub(/\)$/, "", class) }
    $1 == "name" { name = $3 } $1 == "type" { type = $3 }
    $1 == "access" && / NATIVE[ )]/ && class == "Lcom/zarnu/util/ImeGraphics;" {
      gsub(q, "", name); gsub(q, "", type); print name, type }' | sort
}
expected_natives=$(natives "$classes")
[[ $(wc -l <<<"$expected_natives") == 5 ]] ||
  fail "classes.jar's ImeGraphics has these native methods: $expected_natives"
mkdir "$dir/app"
javac -nowarn --release 8 -d "$dir/app" -classpath "$classes:$android" "$here/shrink/App.java" &&
  jar --create --no-manifest --file "$dir/app.jar" -C "$dir/app" . || fail "the app does not compile"
public_methods=$(javap -cp "$classes" com.zarnu.util.ImeGraphics |
  sed -n 's/^ *public .* \([A-Za-z]*\)(.*/\1/p' | sort -u)
called=$(javap -c -cp "$dir/app" App |
  sed -n 's|.*// Method com/zarnu/util/ImeGraphics\.\([A-Za-z]*\):.*|\1|p' | sort -u)
[[ $called == "$public_methods" ]] ||
  fail "the app calls $(echo $called), not every public method of ImeGraphics: $(echo $public_methods)"
# Shrinks the app and the archive's class into ZIP, a zip of DEX files, as an
# app's release build does, with the app's rules and those of RULES; the
# library is Android's classes and the JDK's (the home of the java that runs
# this), for the java.* that Android's jar lacks.
jdk=$(dirname "$(dirname "$(realpath "$(command -v java)")")")
shrink() {
  java -cp "$(echo "$tools"/lib/r8-[0-9]*.jar)" com.android.tools.r8.R8 --release \
    --min-api 21 --lib "$android" --lib "$jdk" \
    --pg-conf "$here/shrink/app.pro" --pg-conf "$2" --output "$1" \
    "$dir/app.jar" "$classes" >"$1.log" 2>&1 ||
    { sed '/^Exception in thread /,$d' "$1.log"; return 1; }
}
# Without the library's rules the app needs one of its own: R8 stops at
# classes it cannot find, and the annotations' are not on its path.
echo '-dontwarn androidx.annotation.**' >"$dir/bare.pro"
shrink "$dir/kept.zip" "$dir/aar/proguard.txt" &
kept=$!
shrink "$dir/bare.zip" "$dir/bare.pro" &
bare=$!
wait $kept || fail "R8 failed with proguard.txt"
wait $bare || fail "R8 failed without proguard.txt"
[[ $(dex_natives "$dir/kept.zip") == "$expected_natives" ]] ||
  fail "R8 with proguard.txt keeps only these native methods of com.zarnu.util.ImeGraphics: $(dex_natives "$dir/kept.zip" | tr '\n' ' ')"
[[ $(dex_natives "$dir/bare.zip") != "$expected_natives" ]] ||
  fail "R8 keeps the native methods without proguard.txt, so keeping them shows nothing"

if ((failures)); then
  echo "$aar: $failures problem(s)"
  exit 1
fi
echo "$aar: ImeGraphics.java and the sample keyboard build on API 21; README's $(wc -w <<<"$java_blocks") java and $(wc -w <<<"$kotlin_blocks") kotlin blocks compile; Kotlin sees the nullability; R8 keeps the binding with proguard.txt alone"
