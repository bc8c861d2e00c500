#!/bin/bash
# Checks that ./package's outputs depend on nothing but the sources and
# SOURCE_DATE_EPOCH: packages a copy of the checkout (its tracked and new
# files) at another path, with build directories of its own, and compares the
# copy's dist/ with this one's, byte for byte. Run it after ./package.
# Usage: tests/check_reproducible.sh
set -euo pipefail
cd "$(dirname "$0")/.."
export SOURCE_DATE_EPOCH=${SOURCE_DATE_EPOCH:-$(git log -1 --format=%ct)}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/checkout"
git ls-files -z --cached --others --exclude-standard |
  tar --create --null --files-from=- --ignore-failed-read --file=- 2>/dev/null |
  tar --extract --file=- --directory="$work/checkout"
"$work/checkout/package" >"$work/package.log" 2>&1 || { cat "$work/package.log"; exit 1; }
if ! diff --recursive --brief dist "$work/checkout/dist"; then
  echo "FAIL: a second build elsewhere packages other bytes"
  exit 1
fi
echo "dist/: the same bytes from a copy of the checkout built at another path"
