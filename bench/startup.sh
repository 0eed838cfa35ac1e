#!/usr/bin/env bash
# Start-up cost of the tutor against a minimal Qt window, under Xvfb: the time from launch until
# the window is mapped, and the resident memory 2 s after launch. Each program is started N times
# (default 5); the medians and the ratios tutor/minimal are printed.
#
#   bench/startup.sh [TUTOR [MINIMAL]]
#
# TUTOR defaults to build/bench/app/molan-tutor, MINIMAL to build/bench/bench/
# bench_minimal_window. The tutor runs on a copy of its program folder (--home), so the runs leave
# the build's folder as it was.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tutor=$(realpath "${1:-$root/build/bench/app/molan-tutor}")
minimal=$(realpath "${2:-$root/build/bench/bench/bench_minimal_window}")
runs=${N:-5}

if [ -z "${ML_STARTUP_INNER:-}" ]; then
  for tool in xvfb-run xdotool; do
    command -v "$tool" >/dev/null || { echo "startup.sh needs $tool" >&2; exit 1; }
  done
  export ML_STARTUP_INNER=1
  # Server numbers from 170 up: other jobs on the machine start theirs at 99.
  exec xvfb-run -a -n 170 -s "-screen 0 1280x900x24" bash "$0" "$tutor" "$minimal"
fi

work=$(mktemp -d)
pid=""
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

home="$work/home"
cp -r "$(dirname "$tutor")" "$home"
unset QT_QPA_PLATFORM
export SDL_AUDIODRIVER=dummy

now_ns() { date +%s%N; }

# measure OUT TITLE COMMAND… : appends "<ms to mapped window> <VmRSS kB after 2 s>" to OUT.
# Polls with xdotool every 5 ms: `search --sync` sleeps half a second between its tries.
measure() {
  local out=$1 title=$2
  shift 2
  local t0 t1 rss
  t0=$(now_ns)
  "$@" >"$work/out.log" 2>&1 &
  pid=$!
  until xdotool search --onlyvisible --name "^${title}\$" >/dev/null 2>&1; do
    if ! kill -0 "$pid" 2>/dev/null; then
      echo "$* exited before showing its window:" >&2
      cat "$work/out.log" >&2
      exit 1
    fi
    if (($(now_ns) - t0 > 30000000000)); then
      echo "$* showed no window within 30 s" >&2
      exit 1
    fi
    sleep 0.005
  done
  t1=$(now_ns)
  local left=$((2000000000 - (t1 - t0)))
  if ((left > 0)); then sleep "$(awk -v ns="$left" 'BEGIN { printf "%.3f", ns / 1e9 }')"; fi
  rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status")
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  pid=""
  echo "$(((t1 - t0) / 1000000)) $rss" >>"$out"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

: >"$work/tutor"
: >"$work/minimal"
# Alternate the two programs, so that a burst of load on a shared machine hits both alike.
for i in $(seq 1 "$runs"); do
  measure "$work/tutor" "墨岚打字通" "$tutor" --home "$home"
  measure "$work/minimal" "bench-minimal-window" "$minimal"
  t=$(tail -1 "$work/tutor")
  m=$(tail -1 "$work/minimal")
  echo "run $i: tutor ${t% *} ms ${t#* } kB, minimal ${m% *} ms ${m#* } kB"
done

tms=$(cut -d' ' -f1 "$work/tutor" | median)
trss=$(cut -d' ' -f2 "$work/tutor" | median)
mms=$(cut -d' ' -f1 "$work/minimal" | median)
mrss=$(cut -d' ' -f2 "$work/minimal" | median)
awk -v tms="$tms" -v trss="$trss" -v mms="$mms" -v mrss="$mrss" -v n="$runs" 'BEGIN {
  printf "medians of %d runs:\n", n
  printf "  window mapped:  tutor %6.0f ms   minimal %6.0f ms\n", tms, mms
  printf "  VmRSS after 2 s: tutor %6.1f MiB  minimal %6.1f MiB\n", trss / 1024, mrss / 1024
  printf "startup/minimal = %.2f\n", tms / mms
  printf "rss/minimal     = %.2f\n", trss / mrss
}'
