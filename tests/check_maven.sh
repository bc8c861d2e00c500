#!/bin/bash
# Checks the Maven repository as a build would use it: exactly the expected
# files, every checksum right, the POM's coordinates, packaging and licence
# and the minimum SDK its description gives, the metadata's release and
# versions, sources and Javadoc jars of the Java class written reproducibly,
# and the archive as Maven itself resolves com.zarnu:ime-graphics:VERSION@aar
# from the repository (offline: central is Debian's local Maven repository),
# byte for byte. When IME_SIGNING_KEY names a GnuPG key, every file of the
# release must carry an armoured signature, FILE.asc, that gpgv accepts with
# that key alone and refuses once a byte changes; without it, no file may
# carry one.
# Usage: SOURCE_DATE_EPOCH=... [IME_SIGNING_KEY=KEY] check_maven.sh REPO VERSION AAR
set -u
repo=$(realpath "$1") version=$2 aar=$(realpath "$3")
here=$(cd "$(dirname "$0")" && pwd)
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

artifact=com/zarnu/ime-graphics
release=$artifact/$version
artifacts="$release/ime-graphics-$version.aar $release/ime-graphics-$version.pom
  $release/ime-graphics-$version-sources.jar $release/ime-graphics-$version-javadoc.jar"
expected=$(for file in $artifact/maven-metadata.xml $artifacts; do
  for suffix in "" .md5 .sha1 .sha256 .sha512; do echo "$file$suffix"; done
  [[ ${IME_SIGNING_KEY:-} && $file != */maven-metadata.xml ]] && echo "$file.asc"
done | sort)
present=$(cd "$repo" && find . -type f | sed 's|^\./||' | sort)
[[ $present == "$expected" ]] ||
  fail "files differ: $(diff <(echo "$expected") <(echo "$present") | grep '^[<>]' | tr '\n' ' ')"

for file in $artifact/maven-metadata.xml $artifacts; do
  for sum in md5 sha1 sha256 sha512; do
    [[ -f $repo/$file && $(cat "$repo/$file.$sum" 2>/dev/null) == \
      "$("${sum}sum" <"$repo/$file" | cut -d' ' -f1)" ]] || fail "$file.$sum does not match"
  done
done

if [[ ${IME_SIGNING_KEY:-} ]]; then
  gpg --batch --export "$IME_SIGNING_KEY" >"$dir/key.gpg" 2>/dev/null
  for file in $artifacts; do
    gpgv --keyring "$dir/key.gpg" "$repo/$file.asc" "$repo/$file" 2>/dev/null ||
      fail "$file.asc is no good signature of it by $IME_SIGNING_KEY"
    # Armoured, as an .asc file is: gpgv accepts a binary one too.
    head -n 1 "$repo/$file.asc" | grep -qx -- '-----BEGIN PGP SIGNATURE-----' ||
      fail "$file.asc is not an armoured signature"
    # Made at SOURCE_DATE_EPOCH, or when the key was made if that is later,
    # so that a key signs the same bytes alike every time.
    packet=$(gpg --batch --list-packets "$repo/$file.asc" 2>/dev/null)
    made=$(sed -n 's/.*version 4, created \([0-9]*\),.*/\1/p' <<<"$packet")
    keyid=$(sed -n 's/^:signature packet: .* keyid \([0-9A-F]*\)$/\1/p' <<<"$packet")
    key_made=$(gpg --batch --with-colons --list-keys "$IME_SIGNING_KEY" 2>/dev/null |
      awk -F: -v id="$keyid" '$5 == id { print $6 }')
    due=$((${key_made:-0} > SOURCE_DATE_EPOCH ? key_made : SOURCE_DATE_EPOCH))
    [[ $made == "$due" ]] || fail "$file.asc was made at ${made:-?}, not $due"
  done
  # The signature covers every byte: one changed, it no longer verifies.
  cp "$aar" "$dir/changed.aar"
  printf '\x01' | dd of="$dir/changed.aar" bs=1 seek=100 conv=notrunc status=none
  gpgv --keyring "$dir/key.gpg" "$repo/$release/ime-graphics-$version.aar.asc" \
    "$dir/changed.aar" 2>/dev/null && fail "the archive's signature accepts a changed byte"
fi

pom=$repo/$release/ime-graphics-$version.pom
for element in "<groupId>com.zarnu</groupId>" "<artifactId>ime-graphics</artifactId>" \
    "<version>$version</version>" "<packaging>aar</packaging>" \
    "<name>Apache License, Version 2.0</name>"; do
  grep -qF "$element" "$pom" || fail "POM lacks $element"
done
# Where the description gives the minimum SDK ("from API N"), it is the
# archive's.
(cd "$dir" && jar --extract --file "$aar" AndroidManifest.xml)
min_sdk=$(sed -n 's/.*android:minSdkVersion="\([0-9]*\)".*/\1/p' "$dir/AndroidManifest.xml")
for said in $(grep -o 'from API [0-9]*' "$pom" | sed 's/.* //'); do
  [[ $said == "$min_sdk" ]] || fail "POM says from API $said, the archive's manifest $min_sdk"
done
# Its annotations are for compilers and lint only: an app gets the archive
# and nothing else.
grep -q '<dependencies>' "$pom" && fail "POM declares dependencies, which the archive has none of"
# Gradle's dynamic versions (1.+) choose from the metadata's list.
metadata=$repo/$artifact/maven-metadata.xml
grep -qF "<release>$version</release>" "$metadata" ||
  fail "metadata does not name $version as the release"
tr -d ' \n' <"$metadata" | grep -qF "<versions><version>$version</version></versions>" ||
  fail "metadata's versions list is not $version"

sources=$repo/$release/ime-graphics-$version-sources.jar
javadoc=$repo/$release/ime-graphics-$version-javadoc.jar
"$here/check_zips.py" "$sources" "$javadoc" || fail "a jar is not written reproducibly"
(cd "$dir" && jar --extract --file "$sources")
cmp -s "$dir/com/zarnu/util/ImeGraphics.java" "$here/../java/com/zarnu/util/ImeGraphics.java" ||
  fail "sources jar does not hold ImeGraphics.java"
# Only the library's class is documented; the platform's types link to
# Android's own reference.
mkdir "$dir/javadoc" && (cd "$dir/javadoc" && jar --extract --file "$javadoc")
[[ -f $dir/javadoc/index.html && ! -e $dir/javadoc/android ]] ||
  fail "Javadoc jar has no index.html, or documents android.*"
grep -qF 'href="https://developer.android.com/reference/android/graphics/Bitmap.html' \
  "$dir/javadoc/com/zarnu/util/ImeGraphics.html" 2>/dev/null ||
  fail "Javadoc of ImeGraphics does not link Bitmap to Android's reference"

cat >"$dir/settings.xml" <<XML
<settings>
  <localRepository>$dir/local</localRepository>
  <mirrors>
    <mirror><id>debian</id><mirrorOf>central</mirrorOf><url>file:///usr/share/maven-repo</url></mirror>
  </mirrors>
  <profiles>
    <profile>
      <id>release</id>
      <repositories>
        <repository>
          <id>release</id><url>file://$repo</url>
          <releases><checksumPolicy>fail</checksumPolicy></releases>
        </repository>
      </repositories>
    </profile>
  </profiles>
  <activeProfiles><activeProfile>release</activeProfile></activeProfiles>
</settings>
XML
# Offline, but for file: repositories; a checksum that fails stops the copy.
if ! mvn --offline -Daether.offline.protocols=file --batch-mode --quiet \
    --settings "$dir/settings.xml" \
    org.apache.maven.plugins:maven-dependency-plugin:3.5.0:copy \
    -Dartifact="com.zarnu:ime-graphics:$version:aar" -DoutputDirectory="$dir/out" \
    >"$dir/mvn.log" 2>&1; then
  cat "$dir/mvn.log"
  fail "Maven could not resolve com.zarnu:ime-graphics:$version@aar"
elif ! cmp -s "$dir/out/ime-graphics-$version.aar" "$aar"; then
  fail "Maven resolved other bytes than $aar"
fi

if ((failures)); then
  echo "$repo: $failures problem(s)"
  exit 1
fi
echo "$repo: layout, checksums${IME_SIGNING_KEY:+, signatures}, POM, metadata, sources and Javadoc as required; Maven resolves the archive"
