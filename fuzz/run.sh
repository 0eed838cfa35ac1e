#!/usr/bin/env bash
# Runs every fuzzer for SECONDS each on a working copy of its seed corpus and prints, per
# harness, the executions and the coverage reached. Exits non-zero when one finds a fault; its
# input is kept in BUILD/fuzz-artifacts/.
#
# Usage: fuzz/run.sh [BUILD] [SECONDS]   (BUILD defaults to build/fuzz, SECONDS to 60)
set -uo pipefail
build=${1:-build/fuzz}
seconds=${2:-60}
harnesses=(itemreader cp936 number convert remoteconfig dictionary)
mkdir -p "$build/fuzz-artifacts"
failed=0
total=0
for h in "${harnesses[@]}"; do
  work="$build/fuzz-work/$h"
  mkdir -p "$work"
  cp -n "$build/fuzz-corpus/$h/"* "$work/" 2>/dev/null || true
  max_len=4096
  [ "$h" = dictionary ] && max_len=32768
  log="$build/fuzz-$h.log"
  "$build/fuzz/fuzz_$h" -max_total_time="$seconds" -max_len="$max_len" -timeout=20 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$build/fuzz-artifacts/$h-" \
    "$work" > "$log" 2>&1
  rc=$?
  execs=$(grep -o 'stat::number_of_executed_units: [0-9]*' "$log" | grep -o '[0-9]*$' || echo 0)
  cov=$(grep -oE 'cov: [0-9]+ ft: [0-9]+' "$log" | tail -1)
  total=$((total + ${execs:-0}))
  printf '%-13s %10s execs  %s\n' "$h" "${execs:-0}" "${cov:-}"
  if [ $rc -ne 0 ]; then
    failed=1
    echo "fuzz_$h found a fault (exit $rc):"
    grep -E 'ERROR|fuzz check failed|SUMMARY|Test unit written' "$log" | head -20
  fi
done
echo "fuzzing: $total executions in all"
exit $failed
