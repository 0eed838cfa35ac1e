#!/usr/bin/env bash
# Start-up cost of the tutor side by side with TIPP10 (a Qt typing tutor with an SQLite database,
# the leanest peer) and an empty Qt Widgets window (the floor), under Xvfb: the time from launch
# until the first window is mapped, and the resident memory 3 s after launch. The programs are
# started in turns, N times each (default 11), after one unmeasured warm-up start each; the
# medians and the ratios are printed. Then `--convert` of a small file against iconv, also in
# turns.
#
#   bench/startup.sh [TUTOR [MINIMAL]]
#   BEFORE=/path/to/older/molan-tutor bench/startup.sh   # an older build in the same runs
#   N=5 bench/startup.sh                                 # fewer runs
#   BENCH_DISPLAY=83 bench/startup.sh                    # first X display number to try
#
# TUTOR defaults to the bench preset's build (build/bench/app/molan-tutor), else the default
# preset's; MINIMAL to bench_minimal_window beside it. Each tutor runs on a copy of its program
# folder (--home), so the runs leave the build's folder as it was. TIPP10 is installed with apt
# when it is missing (it runs with a private HOME, its welcome window switched off, so that its
# main window is what is measured); where it cannot be installed it is left out.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
pick() {
  for f in "$@"; do [ -x "$f" ] && { echo "$f"; return; }; done
  echo "$1"
}
tutor=$(realpath "${1:-$(pick "$root/build/bench/app/molan-tutor" "$root/build/default/app/molan-tutor")}")
tutor_dir=$(dirname "$tutor")
minimal=$(realpath "${2:-$(pick "$tutor_dir/../bench/bench_minimal_window" \
  "$root/build/bench/bench/bench_minimal_window" "$root/build/default/bench/bench_minimal_window")}")
before=${BEFORE:+$(realpath "$BEFORE")}
runs=${N:-11}

if [ -z "${ML_STARTUP_INNER:-}" ]; then
  for f in "$tutor" "$minimal" ${before:+"$before"}; do
    [ -x "$f" ] || { echo "not built: $f" >&2; exit 1; }
  done
  need=()
  for tool in xvfb-run:xvfb xdotool:xdotool xauth:xauth iconv:libc-bin; do
    command -v "${tool%%:*}" >/dev/null || need+=("${tool#*:}")
  done
  # TIPP10 needs Qt's SQLite driver, which it only recommends.
  if ! command -v tipp10 >/dev/null || ! dpkg-query -W -f='${Status}' libqt6sql6-sqlite 2>/dev/null |
      grep -q "ok installed"; then
    need+=(tipp10 libqt6sql6-sqlite)
  fi
  if [ ${#need[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    echo "Installing: ${need[*]}"
    { $sudo apt-get update -qq && $sudo env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends "${need[@]}"; } >/dev/null ||
      echo "could not install ${need[*]}; what is missing is left out" >&2
  fi
  for tool in xvfb-run xdotool; do
    command -v "$tool" >/dev/null || { echo "startup.sh needs $tool" >&2; exit 1; }
  done
  export ML_STARTUP_INNER=1
  # -a takes the first free server number from BENCH_DISPLAY up.
  exec xvfb-run -a -n "${BENCH_DISPLAY:-170}" -s "-screen 0 1280x900x24" \
    bash "$0" "$tutor" "$minimal"
fi

work=$(mktemp -d)
pid=""
cleanup() {
  if [ -n "$pid" ]; then kill "$pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

# A program folder of one's own for each tutor; the decomposition pictures are only read.
home_for() {
  local from=$1 to=$2 entry
  mkdir -p "$to"
  for entry in "$from"/*; do
    case "$(basename "$entry")" in
      拆字图) ln -s "$entry" "$to/" ;;
      CMakeFiles | *.a | *_autogen | cmake_install.cmake) ;;
      *) cp -r "$entry" "$to/" ;;
    esac
  done
}
home_for "$tutor_dir" "$work/home"
[ -n "$before" ] && home_for "$(dirname "$before")" "$work/home-before"

unset QT_QPA_PLATFORM
export SDL_AUDIODRIVER=dummy

programs=(tutor)
[ -n "$before" ] && programs+=(before)
have_tipp=""
if command -v tipp10 >/dev/null; then
  have_tipp=yes
  programs+=(tipp10)
  mkdir -p "$work/tipp/.config/TIPP10"
  printf '[main]\ncheck_illustration=false\nlanguage_layout=us_qwerty_win\nlanguage_lesson=en_us_qwerty\n' \
    >"$work/tipp/.config/TIPP10/TIPP10.conf"
fi
programs+=(minimal)

# Run in the background: exec, so that $! is the program itself.
run_program() {
  case $1 in
    tutor) exec "$tutor" --home "$work/home" ;;
    before) exec "$before" --home "$work/home-before" ;;
    tipp10) HOME="$work/tipp" exec tipp10 ;;
    minimal) exec "$minimal" ;;
  esac
}

now_ns() { date +%s%N; }

# measure PROGRAM [LIMIT_S]: prints "<ms to first mapped window> <VmRSS kB 3 s after launch>". Polls with
# xdotool every 5 ms: `search --sync` sleeps half a second between its tries.
measure() {
  local t0 t1 rss left limit=${2:-30}
  t0=$(now_ns)
  run_program "$1" >"$work/out.log" 2>&1 &
  pid=$!
  until xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1; do
    if ! kill -0 "$pid" 2>/dev/null; then
      echo "$1 exited before showing its window:" >&2
      cat "$work/out.log" >&2
      exit 1
    fi
    if (($(now_ns) - t0 > limit * 1000000000)); then
      echo "$1 showed no window within $limit s" >&2
      exit 1
    fi
    sleep 0.005
  done
  t1=$(now_ns)
  left=$((3000000000 - (t1 - t0)))
  if ((left > 0)); then sleep "$(awk -v ns="$left" 'BEGIN { printf "%.3f", ns / 1e9 }')"; fi
  rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status")
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  pid=""
  echo "$(((t1 - t0) / 1000000)) $rss"
}

median() { sort -n | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

# Warm the caches before anything is measured. TIPP10 fills its database on its first start,
# committing row by row: on a slow disk that takes minutes.
for p in "${programs[@]}"; do measure "$p" 600 >/dev/null; done
for p in "${programs[@]}"; do : >"$work/$p"; done
# Take turns, so that a burst of load on a shared machine hits all alike.
for i in $(seq 1 "$runs"); do
  line="run $i:"
  for p in "${programs[@]}"; do
    m=$(measure "$p")
    echo "$m" >>"$work/$p"
    line+=$(printf '  %s %4s ms %6s kB' "$p" "${m% *}" "${m#* }")
  done
  echo "$line"
done

declare -A ms rss
for p in "${programs[@]}"; do
  ms[$p]=$(cut -d' ' -f1 "$work/$p" | median)
  rss[$p]=$(cut -d' ' -f2 "$work/$p" | median)
done
echo "medians of $runs runs (window mapped; VmRSS 3 s after launch):"
for p in "${programs[@]}"; do
  awk -v p="$p" -v t="${ms[$p]}" -v r="${rss[$p]}" 'BEGIN { printf "  %-8s %6.0f ms  %6.1f MiB\n", p, t, r / 1024 }'
done
ratio() { awk -v a="$2" -v b="$3" -v l="$1" 'BEGIN { printf "%-24s = %.2f\n", l, a / b }'; }
if [ -n "$have_tipp" ]; then
  ratio "startup tutor/tipp10" "${ms[tutor]}" "${ms[tipp10]}"
  ratio "rss tutor/tipp10" "${rss[tutor]}" "${rss[tipp10]}"
fi
ratio "startup tutor/minimal" "${ms[tutor]}" "${ms[minimal]}"
ratio "rss tutor/minimal" "${rss[tutor]}" "${rss[minimal]}"
if [ -n "$before" ]; then
  [ -n "$have_tipp" ] && ratio "startup before/tipp10" "${ms[before]}" "${ms[tipp10]}"
  [ -n "$have_tipp" ] && ratio "rss before/tipp10" "${rss[before]}" "${rss[tipp10]}"
  ratio "startup tutor/before" "${ms[tutor]}" "${ms[before]}"
  ratio "rss tutor/before" "${rss[tutor]}" "${rss[before]}"
fi

# ---- --convert of a small file against iconv (and iconv with the output flushed) ----
# About 840 bytes of code page 936 text: a few short lines, the size of a short lesson.
src="$work/lesson.txt"
printf '%s\r\n' "春眠不觉晓，处处闻啼鸟。夜来风雨声，花落知多少。" "床前明月光，疑是地上霜。举头望明月，低头思故乡。" \
  "白日依山尽，黄河入海流。欲穷千里目，更上一层楼。" "千山鸟飞绝，万径人踪灭。孤舟蓑笠翁，独钓寒江雪。" \
  "Typing 123, a mix of ASCII and \"quotes\" too." | iconv -f UTF-8 -t GBK >"$src.one"
for _ in 1 2 3 4; do cat "$src.one"; done >"$src"
time_ms() {
  local t0 t1
  t0=$(now_ns)
  "$@" >/dev/null 2>&1 || { echo "failed: $*" >&2; exit 1; }
  t1=$(now_ns)
  awk -v ns="$((t1 - t0))" 'BEGIN { printf "%.2f\n", ns / 1e6 }'
}
conv_progs=(tutor)
[ -n "$before" ] && conv_progs+=(before)
conv_progs+=(iconv iconv+sync)
run_convert() {
  case $1 in
    tutor) time_ms "$tutor" --convert "$src" "$work/out-tutor.txt" ;;
    before) time_ms "$before" --convert "$src" "$work/out-before.txt" ;;
    iconv) time_ms iconv -f GBK -t UTF-8 -o "$work/out-iconv.txt" "$src" ;;
    # The tutor flushes what it wrote to disk before it reports success; iconv does not.
    iconv+sync) time_ms sh -c 'iconv -f GBK -t UTF-8 -o "$1" "$2" && sync "$1"' _ \
      "$work/out-iconv.txt" "$src" ;;
  esac
}
for p in "${conv_progs[@]}"; do run_convert "$p" >/dev/null; : >"$work/c-$p"; done
for _ in $(seq 1 $((runs * 3))); do
  for p in "${conv_progs[@]}"; do run_convert "$p" >>"$work/c-$p"; done
done
declare -A cms
for p in "${conv_progs[@]}"; do cms[$p]=$(median <"$work/c-$p"); done
echo "--convert of a $(stat -c %s "$src")-byte file, medians of $((runs * 3)) runs:"
for p in "${conv_progs[@]}"; do
  awk -v p="$p" -v t="${cms[$p]}" 'BEGIN { printf "  %-10s %6.1f ms\n", p, t }'
done
ratio "convert tutor/iconv" "${cms[tutor]}" "${cms[iconv]}"
ratio "convert tutor/iconv+sync" "${cms[tutor]}" "${cms[iconv+sync]}"
[ -n "$before" ] && ratio "convert before/iconv" "${cms[before]}" "${cms[iconv]}"
exit 0
