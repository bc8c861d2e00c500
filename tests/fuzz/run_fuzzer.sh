#!/bin/bash
# Runs a libFuzzer target from its seed corpus for IME_FUZZ_SECONDS (default
# 30), keeping what it finds in a working corpus of its own.
# Usage: run_fuzzer.sh FUZZER SEED_DIR WORK_DIR
set -euo pipefail
fuzzer=$1 seeds=$2 work=$3
mkdir -p "$work"
exec "$fuzzer" -max_total_time="${IME_FUZZ_SECONDS:-30}" -timeout=10 \
  -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$work/" \
  "$work" "$seeds"
