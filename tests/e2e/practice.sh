#!/usr/bin/env bash
# End to end: the real executable in a real X server (Xvfb), typed into with xdotool.
# Opens a practice file with --open, types a full line and a few characters, checks the progress
# file's bytes and that a screenshot of the window shows something; then, in a second run, that
# the code hints (F2, F4) show their red letters and that F12 saves line 1.
set -euo pipefail
exe=$1
work=$2

source "$(dirname "$0")/common.sh"
in_xvfb "$@"

fresh_home
# Two practice lines in code page 936: a full line of 28 characters, then a short one.
# xdotool types a CJK character by remapping a spare key; typed fast on a loaded machine it can
# drop one, so the typing is unhurried.
line1="天地玄黄宇宙洪荒日月盈昃辰宿列张寒来暑往秋收冬藏闰余成岁"
line2="律吕调阳"
printf '%s\r\n%s\r\n' "$line1" "$line2" | iconv -f UTF-8 -t GBK > "$home/练习文件/e2e.txt"

export SDL_AUDIODRIVER=dummy
pid=""
trap '[ -n "$pid" ] && kill $pid 2>/dev/null || true' EXIT
# Starts the tutor on the practice file and waits until its window is there and active.
start_app() {
  "$exe" --home "$home" --open "$home/练习文件/e2e.txt" >> "$work/app.log" 2>&1 &
  pid=$!
  win=""
  for _ in $(seq 1 100); do
    win=$(xdotool search --name "墨岚打字通" 2>/dev/null | head -1 || true)
    [ -n "$win" ] && break
    sleep 0.1
  done
  [ -n "$win" ] || { echo "window did not appear"; cat "$work/app.log"; exit 1; }
  sleep 1
  xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus --sync "$win"
  sleep 0.3
}
stop_app() {
  kill $pid
  wait $pid 2>/dev/null || true
  pid=""
}
start_app

progress="$home/练习进度/e2e.SAV"
expect_bytes() {
  local want=$1 got=""
  for _ in $(seq 1 50); do
    got=$(od -An -tx1 "$progress" 2>/dev/null | tr -d ' \n' || true)
    [ "$got" = "$want" ] && return 0
    sleep 0.1
  done
  echo "progress file holds '$got', expected '$want'"
  return 1
}
expect_bytes 01000000

xdotool type --delay 100 "$line1"
expect_bytes 02000000
xdotool type --delay 100 "律吕"
sleep 1.5

shot="$work/window.png"
import -window "$win" "$shot"
sd=$(convert "$shot" -colorspace Gray -format '%[fx:standard_deviation]' info:)
echo "screenshot $shot, grey standard deviation $sd"
awk -v sd="$sd" 'BEGIN { exit !(sd > 0.02) }' || { echo "the screenshot is blank"; exit 1; }

stop_app
expect_bytes 02000000

# Code hints: the code labels (red letters at x 243–480, y 144–185 of the window) appear only
# after F2 (hints on) and F4 (code hints on). The tutor resumes at the second line.
red_in_code_area() {
  import -window "$win" "$work/hint.png"
  convert "$work/hint.png" -crop 238x42+243+144 +repage -fuzz 20% -fill black +opaque red \
    -format '%[fx:mean]' info:
}
has_red() { awk -v m="$1" 'BEGIN { exit !(m > 0.001) }'; }
start_app
red=$(red_in_code_area)
! has_red "$red" || { echo "code area is red before any hint key ($red)"; exit 1; }
xdotool key F2
sleep 0.5
red=$(red_in_code_area)
! has_red "$red" || { echo "code area is red with hints but no code hints ($red)"; exit 1; }
xdotool key F4
xdotool type --delay 100 "律"
for _ in $(seq 1 50); do
  red=$(red_in_code_area)
  has_red "$red" && break
  sleep 0.1
done
has_red "$red" || { echo "no code letters after F4 and a typed character ($red)"; exit 1; }
echo "code letters shown, red share $red"

# F12 starts the file again and saves line 1 at once.
xdotool key F12
expect_bytes 01000000
stop_app
trap - EXIT
echo "e2e practice: ok"
