#!/usr/bin/env bash
# End to end: the learning record of the real executable under Xvfb, typed into with xdotool.
#  1. Starting does not map Qt Charts (LD_DEBUG=libs). A line typed with one wrong character, then
#     half of the next, then kill -9: --export-stats finds the finished line, the wrong character
#     missed once.
#  2. Ctrl+T opens the statistics window, and only now is Qt Charts mapped. The rest of the second
#     line, then the tutor is stopped with SIGTERM: what was typed of the line is kept.
#  3. --drill-mistakes writes the mistakes file and opens it, from its first line.
set -euo pipefail
exe=$1
work=$2

source "$(dirname "$0")/common.sh"
in_xvfb "$@"

fresh_home
line1="天地玄黄宇宙洪荒日月盈昃辰宿列张寒来暑往秋收冬藏闰余成岁"
typed1="天地玄黄字宙洪荒日月盈昃辰宿列张寒来暑往秋收冬藏闰余成岁"  # 宇 typed as 字
line2="律吕调阳"
printf '%s\r\n%s\r\n' "$line1" "$line2" | iconv -f UTF-8 -t GBK > "$home/练习文件/e2e.txt"

export SDL_AUDIODRIVER=dummy
pid=""
trap '[ -n "$pid" ] && kill -9 $pid 2>/dev/null || true' EXIT
fail() { echo "e2e record: $*"; cat "$work/app.log" 2>/dev/null | grep -v '^ *[0-9]*:' | tail -20; exit 1; }

wait_window() {
  local name=$1 w=""
  for _ in $(seq 1 100); do
    w=$(xdotool search --onlyvisible --name "^$name\$" 2>/dev/null | head -1 || true)
    [ -n "$w" ] && { echo "$w"; return 0; }
    sleep 0.1
  done
  return 1
}
start_app() {
  "$@" >> "$work/app.log" 2>&1 &
  pid=$!
  win=$(wait_window "墨岚打字通") || fail "window did not appear"
  sleep 1
  xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus --sync "$win"
  sleep 0.3
}
export_stats() {
  "$exe" --home "$home" --export-stats "$work/stats.csv" > "$work/export.log" 2>&1 ||
    fail "--export-stats failed: $(cat "$work/export.log")"
}
# judged and missed of a character in the CSV, e.g. "1 1"; "" when it has no row.
counts() { awk -F, -v c="$1" '$1 == c { print $3, $4 }' "$work/stats.csv"; }

# ---- 1 ----
LD_DEBUG=libs start_app "$exe" --home "$home" --open "$home/练习文件/e2e.txt"
sleep 1
if grep -q 'libQt6Charts' "$work/app.log"; then fail "Qt Charts was mapped at start-up"; fi
echo "start-up maps no Qt Charts"
xdotool type --delay 100 "$typed1"
sleep 0.5
xdotool type --delay 100 "律吕"
kill -9 $pid
wait $pid 2>/dev/null || true
pid=""
export_stats
head -1 "$work/stats.csv" | grep -qx 'character,code,judged,missed,median_ms' || fail "bad CSV header"
[ "$(counts 宇)" = "1 1" ] || fail "宇 should be judged once and missed once, CSV has '$(counts 宇)'"
[ "$(counts 天)" = "1 0" ] || fail "天 should be judged once, right, CSV has '$(counts 天)'"
finished=$(for c in $(echo "$line1" | grep -o .); do counts "$c"; done | awk '{ n += $1 } END { print n }')
# 余 and 成 … each stand once in the line, so the line's characters add up to 28 judgements.
[ "$finished" = "28" ] || fail "the finished line has $finished judgements in the record, not 28"
echo "after kill -9 the finished line is in the record, 宇 missed once"

# ---- 2 ----
rm -f "$work/app.log"
LD_DEBUG=libs start_app "$exe" --home "$home" --open "$home/练习文件/e2e.txt"
xdotool key ctrl+t
stats=$(wait_window "练习统计") || fail "the statistics window did not open"
grep -q 'libQt6Charts' "$work/app.log" || fail "Qt Charts not mapped with the statistics window open"
echo "Ctrl+T opened the statistics window ($stats), with Qt Charts"
xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus --sync "$win"
sleep 0.3
# The tutor resumes at line 2.
xdotool type --delay 100 "律吕调"
sleep 0.3
kill -TERM $pid
wait $pid 2>/dev/null || true
pid=""
export_stats
[ "$(counts 调)" = "1 0" ] || fail "调, typed before SIGTERM, should be in the record: '$(counts 调)'"
echo "SIGTERM keeps the part of the line typed"

# ---- 3 ----
start_app "$exe" --home "$home" --drill-mistakes
drill="$home/练习文件/错字练习.txt"
[ -f "$drill" ] || fail "no mistakes file"
first=$(iconv -f GBK -t UTF-8 < "$drill" | head -1 | tr -d '\r')
# Among the weakest (a character typed slowly on a loaded machine may rank beside it).
case "$first" in *宇*) ;; *) fail "the first line of the mistakes drill lacks 宇: '$first'" ;; esac
[ "$(od -An -tx1 "$home/练习进度/错字练习.SAV" | tr -d ' \n')" = "01000000" ] ||
  fail "the drill was not opened from its first line"
kill -TERM $pid
wait $pid 2>/dev/null || true
pid=""
trap - EXIT
echo "e2e record: ok"
