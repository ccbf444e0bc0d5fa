#!/usr/bin/env bash
# Runs one fuzz target for a fixed time on a scratch copy of its seed corpus and prints libFuzzer's figures.
# Usage: run_target.sh TARGET SEED_DIR SECONDS [KEEP_DIR]. New inputs go to KEEP_DIR when given, otherwise to
# a scratch folder removed afterwards; the seeds stay as committed. A crash, a failed check, a leak or an
# input slower than 60 s fails the run and leaves the input in the current folder (crash-*, timeout-*).
set -uo pipefail
target=$1 seeds=$2 seconds=$3 keep=${4:-}
work=${keep:-$(mktemp -d /tmp/geometrija-fuzz-XXXXXX)}
mkdir -p "$work"
log=$(mktemp /tmp/geometrija-fuzz-log-XXXXXX)
status=0
"$target" -max_total_time="$seconds" -timeout=60 -rss_limit_mb=4096 -print_final_stats=1 \
    "$work" "$seeds" >"$log" 2>&1 || status=$?
# the progress lines and the suggested dictionary are many; the start, the last progress line, the figures
# and any report are kept
grep -v -E '^#[0-9]+[[:space:]]+(NEW|REDUCE|pulse)|# Uses: [0-9]+$' "$log" | tail -n 80
grep -E '^#[0-9]+[[:space:]]+(NEW|REDUCE|pulse)' "$log" | tail -n 1
rm -f "$log"
[ -z "$keep" ] && rm -rf "$work"
exit "$status"
