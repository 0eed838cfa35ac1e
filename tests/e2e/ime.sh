#!/usr/bin/env bash
# End to end through a real Wubi input method, the learner's own path: ibus with the table engine
# wubi-jidian86, under Xvfb with a session bus of its own. Codes are typed with xdotool and the
# engine commits characters and words; the window's cells and the progress file tell what the
# tutor judged. Covered: single characters, a word committed at once, a wrong character,
# Backspace inside a composition and after it, F2/F4 with the input method on, a word committed
# across the end of a full line, and the progress file after a full line and after Enter.
#
# Usage: ime.sh EXECUTABLE WORK_FOLDER. Exit 77 (skipped) without ibus-table-wubi.
set -euo pipefail
exe=$1
work=$2

table=/usr/share/ibus-table/tables/wubi-jidian86.db
for tool in ibus-daemon ibus dbus-launch xvfb-run xdotool import convert; do
  command -v "$tool" > /dev/null || { echo "$tool not found: skipped"; exit 77; }
done
[ -f "$table" ] || { echo "$table not found: skipped"; exit 77; }

source "$(dirname "$0")/common.sh"
in_xvfb "$@"

fresh_home
# The input method keeps its settings and what it learns in the user's folders: private ones,
# so that no earlier run reorders the candidates.
export HOME="$work/user"
export XDG_CONFIG_HOME="$HOME/.config" XDG_DATA_HOME="$HOME/.local/share" XDG_CACHE_HOME="$HOME/.cache"
export XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"

# Line 1: 我的 thirteen times, 一 and 中 (28 characters); line 2 begins with 国, so that 中国
# committed at the end of line 1 crosses into it; line 3 follows the short line 2.
line1="我的我的我的我的我的我的我的我的我的我的我的我的我的一中"
line2="国工作"
line3="人"
printf '%s\r\n%s\r\n%s\r\n' "$line1" "$line2" "$line3" | iconv -f UTF-8 -t GBK > "$home/练习文件/ime.txt"
progress="$home/练习进度/ime.SAV"

pid="" ibus_pid=""
eval "$(dbus-launch --sh-syntax)"
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null
  [ -n "$ibus_pid" ] && kill "$ibus_pid" 2>/dev/null
  [ -n "${DBUS_SESSION_BUS_PID:-}" ] && kill "$DBUS_SESSION_BUS_PID" 2>/dev/null
  true
}
trap cleanup EXIT

fail() {
  echo "FAILED: $*"
  import -window root "$work/failure.png" 2>/dev/null && echo "screenshot: $work/failure.png"
  echo "--- tutor's output"; cat "$work/app.log" 2>/dev/null || true
  exit 1
}
# Polls a condition for up to 20 seconds: the machine may be busy, so states are waited for,
# never assumed after a fixed pause.
wait_for() {
  local what=$1
  shift
  for _ in $(seq 1 100); do
    "$@" && return 0
    sleep 0.2
  done
  fail "$what"
}

ibus-daemon -rx --panel=disable --emoji-extension=disable > "$work/ibus.log" 2>&1 &
ibus_pid=$!
wait_for "the input method engine could not be chosen" \
  sh -c 'ibus engine table:wubi-jidian86 > /dev/null 2>&1'

export SDL_AUDIODRIVER=dummy QT_IM_MODULE=ibus
# Every key waits for the engine's answer, so that keys and commits keep their order.
export IBUS_ENABLE_SYNC_MODE=1
"$exe" --home "$home" --open "$home/练习文件/ime.txt" > "$work/app.log" 2>&1 &
pid=$!
has_window() { win=$(xdotool search --name "墨岚打字通" 2>/dev/null | head -1) && [ -n "$win" ]; }
wait_for "the window did not appear" has_window

shot="$work/shot.png"
take() { import -window root "$shot"; }
# Share of the pixels in a rectangle (w h x y) that have a colour, within 12%.
share() {
  convert "$shot" -crop "$1x$2+$3+$4" +repage -fuzz 12% -fill black +opaque "$5" -format '%[fx:mean]' info:
}
more_than() { awk -v v="$1" -v t="$2" 'BEGIN { exit !(v > t) }'; }
# The state of display cell k: green (right), red (wrong) or white (untyped). The window lies at
# the screen's top left (there is no window manager); cell k is at 96 + 29 (k - 1), 216, 35 x 35,
# and its middle is clear of its neighbours.
cell() {
  local x=$((96 + 29 * ($1 - 1) + 7))
  take
  if more_than "$(share 21 30 "$x" 219 '#8CC87E')" 0.05; then
    echo green
  elif more_than "$(share 21 30 "$x" 219 '#FF0000')" 0.05; then
    echo red
  else
    echo white
  fi
}
cell_is() { [ "$(cell "$1")" = "$2" ]; }
expect_cell() { wait_for "cell $1 is $(cell "$1"), expected $2 ($3)" cell_is "$1" "$2"; }
# The code labels: red letters at 243–480, 144–185.
code_red() { take; more_than "$(share 238 42 243 144 red)" 0.001; }
bytes_are() { [ "$(od -An -tx1 "$progress" 2>/dev/null | tr -d ' \n')" = "$1" ]; }
expect_progress() { wait_for "progress file is not $1 ($2)" bytes_are "$1"; }
keys() { xdotool type --delay 20 "$1"; }

expect_progress 01000000 "a new file"
# Focus the input box with a click, then make sure its input context has the engine.
xdotool mousemove 500 292 click 1
sleep 0.5
ibus engine table:wubi-jidian86

# A full code, composed and then committed: the composition itself is never judged.
keys "trnt"
sleep 1
[ "$(cell 1)" = white ] || fail "the composition was judged (cell 1 is $(cell 1))"
keys " "
expect_cell 1 green "我 committed"
keys "r "
expect_cell 2 green "的 by its short code"

# Backspace inside a composition belongs to the input method; after it, to the tutor.
keys "trn"
xdotool key --delay 60 BackSpace BackSpace BackSpace
sleep 1
[ "$(cell 2)" = green ] || fail "Backspace in the composition took back a mark"
xdotool key BackSpace
expect_cell 2 white "Backspace after the composition takes the mark back"
keys "r "
expect_cell 2 green "的 typed again"

# A wrong character turns its cell red; taken back and typed right it turns green.
keys "r "
expect_cell 3 red "的 where 我 is due"
xdotool key BackSpace
expect_cell 3 white "the wrong character taken back"
keys "q "
expect_cell 3 green "我 typed right"

# The hint keys reach the tutor while the input method is on.
xdotool key F2
sleep 0.5
code_red && fail "code letters before F4"
xdotool key F4
wait_for "no code letters after F2 and F4" code_red
xdotool key F4 F2

# The rest of line 1 up to its 27th character, then the word 中国 in one commit: 中 ends the line,
# 国 begins the next one and is judged there.
for k in $(seq 4 26); do
  if [ $((k % 2)) -eq 1 ]; then keys "q "; else keys "r "; fi
done
keys "g "
expect_cell 27 green "一, the 27th character"
keys "khlg "
expect_progress 02000000 "after a full line"
expect_cell 1 green "国 carried into line 2"
[ "$(cell 2)" = white ] || fail "cell 2 of line 2 is $(cell 2)"

# A word committed at once, then Enter ends the short line.
keys "aawt "
expect_cell 2 green "工 of 工作"
expect_cell 3 green "作 of 工作"
xdotool key Return
expect_progress 03000000 "after Enter"
expect_cell 1 white "line 3 begins untyped"

kill "$pid"
wait "$pid" 2>/dev/null || true
pid=""
echo "e2e input method: ok"
