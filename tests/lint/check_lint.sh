#!/bin/bash
# Android lint's API-level and annotation checks over ImeGraphics.java and the
# sample keyboard (its java/, res/ and AndroidManifest.xml when there is one),
# at minSdk 21, without the Android SDK: lint 31.7.3 and Android's framework
# classes of API 21 to 36 come from Maven Central (tests/lint/pom.xml, into DIR).
#
# Lint's NewApi needs its API database, api-versions.xml, which only the SDK
# ships; ApiVersions.java builds one from the framework jars into DIR (once, and
# again when it or the pom changes), and lint reads it through LINT_API_DATABASE.
# The jars are the framework itself, not the SDK's stubs: a method that was
# hidden at one level and public at a later one counts from the first, so lint
# misses calls to it; java.* and javax.* carry no levels (ApiVersions.java
# says why). The platform's own @ColorInt and thread annotations are in the
# SDK's annotations.zip, which Maven Central does not have: the annotation
# checks see the project's androidx.annotation ones (ImeGraphics's @ColorInt,
# @WorkerThread, @AnyThread), not the framework's.
#
# Each run also lints a canary class that breaks each rule once (a call to an
# API 23 method, a colour resource passed as a @ColorInt, a @WorkerThread
# method called from a @UiThread one) and fails unless lint reports exactly
# those there: a check that silently found no database would otherwise pass.
# Any issue outside the canary fails the run.
#
# Usage: check_lint.sh DIR    (DIR keeps lint, the jars and the database)
set -u
(($# == 1)) || { echo "usage: $0 DIR" >&2; exit 2; }
mkdir -p "$1" || exit 1
tools=$(cd "$1" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$(dirname "$here")")
source "$root/tools/ensure-packages.sh"
ensure_packages openjdk-17-jdk-headless maven python3 && ensure_annotations || exit 1

log=$(mvn -q -B -f "$here/pom.xml" -Dtools="$tools" \
  dependency:copy-dependencies@lib dependency:copy@android 2>&1) ||
  { echo "$log" >&2; echo "Maven could not fetch lint or the framework jars" >&2; exit 1; }

first=21 newest=36
db=$tools/api-versions.xml
if [[ ! -s $db || $db -ot $here/ApiVersions.java || $db -ot $here/pom.xml ]]; then
  jars=()
  for ((level = first; level <= newest; level++)); do
    jars+=("$level=$tools/android/android-$level.jar")
  done
  echo "Building lint's API database from API $first to $newest"
  java -Xmx4g -cp "$tools/lib/asm-9.6.jar" "$here/ApiVersions.java" "$db.new" \
    "$tools/lib/lint-checks-31.7.3.jar" "${jars[@]}" && mv "$db.new" "$db" || exit 1
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/canary/lintcanary"
cat > "$work/canary/lintcanary/Canary.java" <<'EOF'
package lintcanary;

import android.view.View;
import androidx.annotation.ColorInt;
import androidx.annotation.UiThread;
import androidx.annotation.WorkerThread;

final class Canary {
    static void newApi(View view) {
        view.setForeground(null); // NewApi: View.setForeground is API 23
    }

    static int tint(@ColorInt int color) {
        return color;
    }

    static int resourceAsColor() {
        return tint(android.R.color.black); // ResourceAsColor
    }

    @WorkerThread
    static void work() {}

    @UiThread
    static void wrongThread() {
        work(); // WrongThread
    }
}
EOF

# The sample's manifest, or a bare one, with minSdk 21: lint takes the minimum
# SDK from <uses-sdk>, which an app's manifest leaves to its build.
python3 - "$root" "$work" "$tools" "$IME_ANNOTATIONS_JAR" <<'EOF' || exit 1
import glob, os, re, sys
from xml.sax.saxutils import quoteattr
root, work, tools, annotations = sys.argv[1:]
sample = os.path.join(root, 'samples/keyboard')
manifest = os.path.join(sample, 'AndroidManifest.xml')
if os.path.exists(manifest):
    text = open(manifest, encoding='utf-8').read()
else:
    text = ('<manifest xmlns:android="http://schemas.android.com/apk/res/android"'
            ' package="com.zarnu.sample">\n</manifest>\n')
text = re.sub(r'<uses-sdk\b[^>]*/>', '', text)
text, n = re.subn(r'(<manifest\b[^>]*>)',
                  r'\1\n    <uses-sdk android:minSdkVersion="21" android:targetSdkVersion="35"/>',
                  text, count=1)
if n != 1:
    sys.exit('no <manifest> element in ' + manifest)
os.makedirs(os.path.join(work, 'manifest'))
open(os.path.join(work, 'manifest/AndroidManifest.xml'), 'w', encoding='utf-8').write(text)
sources = [os.path.join(root, 'java/com/zarnu/util/ImeGraphics.java')]
sources += sorted(glob.glob(os.path.join(sample, 'java/**/*.java'), recursive=True))
sources.append(os.path.join(work, 'canary/lintcanary/Canary.java'))
jars = [os.path.join(tools, 'android/android-35.jar')] + annotations.split(':')
lines = ['<project>',
         '  <module name="keyboard" android="true" library="false" compile-sdk-version="35">',
         '    <manifest file=%s/>' % quoteattr(os.path.join(work, 'manifest/AndroidManifest.xml'))]
lines += ['    <src file=%s/>' % quoteattr(s) for s in sources]
if os.path.isdir(os.path.join(sample, 'res')):
    lines.append('    <resource file=%s/>' % quoteattr(os.path.join(sample, 'res')))
lines += ['    <classpath jar=%s/>' % quoteattr(j) for j in jars]
lines += ['  </module>', '</project>']
open(os.path.join(work, 'project.xml'), 'w', encoding='utf-8').write('\n'.join(lines) + '\n')
EOF

issues=NewApi,InlinedApi,WrongThread,ResourceAsColor,ResourceType,Range,WrongConstant,SupportAnnotationUsage,LintError
echo "Linting $issues at minSdk 21"
# user.home: lint writes its analytics settings there, ignoring ANDROID_USER_HOME.
LINT_API_DATABASE=$db java -Duser.home="$tools/home" -cp "$tools/lib/*" \
  com.android.tools.lint.Main --quiet --offline \
  --cache-dir "$tools/lint-cache" --project "$work/project.xml" --check "$issues" --xml "$work/report.xml" \
  --fullpath >"$work/lint.log" 2>&1
[[ -s $work/report.xml ]] || { cat "$work/lint.log" >&2; echo "lint wrote no report" >&2; exit 1; }

python3 - "$work/report.xml" "$work/canary/lintcanary/Canary.java" <<'EOF'
import sys
import xml.etree.ElementTree as ET
report, canary = sys.argv[1:]
expected = {('NewApi', 10), ('ResourceAsColor', 18), ('WrongThread', 26)}
found, faults = set(), []
for issue in ET.parse(report).getroot().iter('issue'):
    loc = issue.find('location')
    where = (loc.get('file'), int(loc.get('line', 0))) if loc is not None else ('?', 0)
    text = '%s:%d: %s: %s [%s]' % (where[0], where[1], issue.get('severity'),
                                    issue.get('message'), issue.get('id'))
    if where[0] == canary and (issue.get('id'), where[1]) in expected:
        found.add((issue.get('id'), where[1]))
    else:
        faults.append(text)
for f in faults:
    print(f)
missing = sorted(expected - found)
for rule, line in missing:
    print('lint did not report %s on the canary\'s line %d: that check is not running' % (rule, line))
print('lint: %d issue(s) in the project, %d of %d canary issues reported'
      % (len(faults), len(found), len(expected)))
sys.exit(1 if faults or missing else 0)
EOF
