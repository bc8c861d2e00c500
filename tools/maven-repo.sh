#!/bin/bash
# Writes a Maven repository holding one release of the library as
# com.zarnu:ime-graphics:VERSION: the archive, its POM, its sources and
# Javadoc jars, the artifact's maven-metadata.xml, and an .md5, .sha1,
# .sha256 and .sha512 beside each file. lastUpdated is SOURCE_DATE_EPOCH, so that the repository
# is as reproducible as the archive.
# Usage: SOURCE_DATE_EPOCH=... maven-repo.sh REPO VERSION AAR SOURCES_JAR JAVADOC_JAR
set -euo pipefail
repo=$1 version=$2 aar=$3 sources=$4 javadoc=$5
artifact=$repo/com/zarnu/ime-graphics
dir=$artifact/$version
rm -rf "$repo" && mkdir -p "$dir"
cp "$aar" "$dir/ime-graphics-$version.aar"
cp "$sources" "$dir/ime-graphics-$version-sources.jar"
cp "$javadoc" "$dir/ime-graphics-$version-javadoc.jar"
cat >"$dir/ime-graphics-$version.pom" <<POM
<?xml version="1.0" encoding="UTF-8"?>
<project xmlns="http://maven.apache.org/POM/4.0.0"
    xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance"
    xsi:schemaLocation="http://maven.apache.org/POM/4.0.0 https://maven.apache.org/xsd/maven-4.0.0.xsd">
  <modelVersion>4.0.0</modelVersion>
  <groupId>com.zarnu</groupId>
  <artifactId>ime-graphics</artifactId>
  <version>$version</version>
  <packaging>aar</packaging>
  <name>ime-graphics</name>
  <description>Day and night colours for an input method's graphics through JNI (com.zarnu.util.ImeGraphics): single colours, ARGB_8888 bitmaps converted in place and tinted colour arrays; native code for arm64-v8a, armeabi-v7a, x86_64 and x86 from API 21, with no C++ runtime.</description>
  <licenses>
    <license>
      <name>Apache License, Version 2.0</name>
      <url>https://www.apache.org/licenses/LICENSE-2.0.txt</url>
      <distribution>repo</distribution>
    </license>
  </licenses>
</project>
POM
cat >"$artifact/maven-metadata.xml" <<XML
<?xml version="1.0" encoding="UTF-8"?>
<metadata>
  <groupId>com.zarnu</groupId>
  <artifactId>ime-graphics</artifactId>
  <versioning>
    <latest>$version</latest>
    <release>$version</release>
    <versions>
      <version>$version</version>
    </versions>
    <lastUpdated>$(date -u -d "@$SOURCE_DATE_EPOCH" +%Y%m%d%H%M%S)</lastUpdated>
  </versioning>
</metadata>
XML
for file in "$dir"/* "$artifact/maven-metadata.xml"; do
  for sum in md5 sha1 sha256 sha512; do
    "${sum}sum" <"$file" | cut -d' ' -f1 >"$file.$sum"
  done
done
