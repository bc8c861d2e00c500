#!/usr/bin/env python3
"""Checks that each zip given was written as tools/zip_tree.py writes one,
whatever machine, directory or time zone it was made on: regular files only,
in name order, each stamped SOURCE_DATE_EPOCH read as UTC (to the two seconds
a zip's DOS time holds), mode 0644, deflated, with no extra fields. Prints one
line for each fault and exits non-zero if there was any.

Usage: SOURCE_DATE_EPOCH=... check_zips.py ZIP...
"""
import os
import sys
import time
import zipfile

epoch = max(int(os.environ["SOURCE_DATE_EPOCH"]), 315532800)
year, month, day, hour, minute, second = time.gmtime(epoch)[:6]
stamp = (year, month, day, hour, minute, second - second % 2)
faults = []
for path in sys.argv[1:]:
    with zipfile.ZipFile(path) as archive:
        entries = archive.infolist()
        names = [entry.filename for entry in entries]
        if names != sorted(names):
            faults.append(f"{path}: entries not in name order")
        for entry in entries:
            where = f"{path}: {entry.filename}"
            if entry.is_dir():
                faults.append(f"{where} is a directory entry")
            if entry.date_time != stamp:
                faults.append(f"{where} is stamped {entry.date_time}, not {stamp} (UTC)")
            if entry.external_attr >> 16 != 0o100644:
                faults.append(f"{where} has mode {entry.external_attr >> 16:o}, not 100644")
            if entry.compress_type != zipfile.ZIP_DEFLATED:
                faults.append(f"{where} is not deflated")
            if entry.extra:
                faults.append(f"{where} has extra fields")
for fault in faults:
    print(f"FAIL: {fault}")
sys.exit(1 if faults else 0)
