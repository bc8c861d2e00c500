#!/bin/bash
# Checks the Maven repository as a build would use it: exactly the expected
# files, every checksum right, the POM's coordinates, packaging and licence,
# the metadata's release, a sources jar of the Java class, and the archive as
# Maven itself resolves com.zarnu:ime-graphics:VERSION@aar from the repository
# (offline: central is Debian's local Maven repository), byte for byte.
# Usage: check_maven.sh REPO VERSION AAR
set -u
repo=$(realpath "$1") version=$2 aar=$(realpath "$3")
here=$(cd "$(dirname "$0")" && pwd)
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT

artifact=com/zarnu/ime-graphics
expected=$(for file in maven-metadata.xml "$version/ime-graphics-$version.aar" \
    "$version/ime-graphics-$version.pom" "$version/ime-graphics-$version-sources.jar"; do
  for suffix in "" .md5 .sha1 .sha256 .sha512; do echo "$artifact/$file$suffix"; done
done | sort)
present=$(cd "$repo" && find . -type f | sed 's|^\./||' | sort)
[[ $present == "$expected" ]] ||
  fail "files differ: $(diff <(echo "$expected") <(echo "$present") | grep '^[<>]' | tr '\n' ' ')"

for file in $(grep -v '\.\(md5\|sha1\|sha256\|sha512\)$' <<<"$expected"); do
  for sum in md5 sha1 sha256 sha512; do
    [[ -f $repo/$file && $(cat "$repo/$file.$sum" 2>/dev/null) == \
      "$("${sum}sum" <"$repo/$file" | cut -d' ' -f1)" ]] || fail "$file.$sum does not match"
  done
done

pom=$repo/$artifact/$version/ime-graphics-$version.pom
for element in "<groupId>com.zarnu</groupId>" "<artifactId>ime-graphics</artifactId>" \
    "<version>$version</version>" "<packaging>aar</packaging>" \
    "<name>Apache License, Version 2.0</name>"; do
  grep -qF "$element" "$pom" || fail "POM lacks $element"
done
grep -qF "<release>$version</release>" "$repo/$artifact/maven-metadata.xml" ||
  fail "metadata does not name $version as the release"
(cd "$dir" && jar --extract --file "$repo/$artifact/$version/ime-graphics-$version-sources.jar")
cmp -s "$dir/com/zarnu/util/ImeGraphics.java" "$here/../java/com/zarnu/util/ImeGraphics.java" ||
  fail "sources jar does not hold ImeGraphics.java"

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
echo "$repo: layout, checksums, POM and sources as required; Maven resolves the archive"
