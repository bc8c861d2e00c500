#!/usr/bin/env python3
"""Zips every file under a directory, by its path below it, so that the archive
depends on nothing but the files' names and bytes: entries in name order, each
stamped SOURCE_DATE_EPOCH, mode 0644, deflated, no extra fields.

Usage: SOURCE_DATE_EPOCH=... zip_tree.py OUT.zip DIR
"""
import os
import sys
import time
import zipfile

out, root = sys.argv[1:]
# Zip stores a DOS date in no zone, from 1980 on: read the epoch as UTC.
stamp = time.gmtime(max(int(os.environ["SOURCE_DATE_EPOCH"]), 315532800))[:6]
names = sorted(
    os.path.relpath(os.path.join(folder, name), root)
    for folder, _, files in os.walk(root)
    for name in files)
with zipfile.ZipFile(out, "w") as archive:
    for name in names:
        entry = zipfile.ZipInfo(name, stamp)
        entry.external_attr = 0o100644 << 16
        entry.compress_type = zipfile.ZIP_DEFLATED
        with open(os.path.join(root, name), "rb") as data:
            archive.writestr(entry, data.read())
