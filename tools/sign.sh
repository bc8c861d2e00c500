#!/bin/bash
# Writes an armoured detached signature, FILE.asc, of each FILE with the GnuPG
# key KEY, made at SOURCE_DATE_EPOCH, so that a key signs the same bytes alike
# every time. A key whose newest signing key was made later signs at that
# key's making, since GnuPG makes and accepts no signature older than the key
# that makes it; by then a rotated key's older signing keys may have expired.
# Usage: SOURCE_DATE_EPOCH=... sign.sh KEY FILE...
set -euo pipefail
key=$1
shift
made=$(gpg --batch --with-colons --list-secret-keys "$key" |
  awk -F: '($1 == "sec" || $1 == "ssb") && $12 ~ /s/ { print $6 }' | sort -n | tail -n 1)
[[ $made ]] || { echo "sign.sh: $key is no secret key that signs" >&2; exit 1; }
for file; do
  gpg --batch --yes --quiet --local-user "$key" --armor --detach-sign \
    --faked-system-time "$((made > SOURCE_DATE_EPOCH ? made : SOURCE_DATE_EPOCH))!" \
    --output "$file.asc" "$file"
done
