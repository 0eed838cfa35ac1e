#!/usr/bin/env bash
# End to end: the code drills of the real window in a real X server (Xvfb) with no input method
# running. Starts the key-name lesson with --drill, types the first five key names as plain
# letters with xdotool, ends the tutor, and reads the keys back with --export-keys.
set -euo pipefail
exe=$1
work=$2

source "$(dirname "$0")/common.sh"
in_xvfb "$@"

rm -rf "$work"
home="$work/home"
mkdir -p "$home"
appdir=$(dirname "$exe")
for d in 声音 课程 图片; do cp -r "$appdir/$d" "$home/"; done
cp "$appdir/CiKu.mdb" "$home/"

# The learner's plain keyboard: no input method module for Qt, none running.
unset QT_IM_MODULE XMODIFIERS GTK_IM_MODULE
if pgrep -x ibus-daemon >/dev/null || pgrep -x fcitx5 >/dev/null || pgrep -x fcitx >/dev/null; then
  echo "note: an input method daemon runs on this machine; the tutor is started without one"
fi
export SDL_AUDIODRIVER=dummy

"$exe" --home "$home" --drill keynames >> "$work/app.log" 2>&1 &
pid=$!
trap '[ -n "$pid" ] && kill $pid 2>/dev/null || true' EXIT
win=""
for _ in $(seq 1 100); do
  win=$(xdotool search --name "墨岚打字通" 2>/dev/null | head -1 || true)
  [ -n "$win" ] && break
  sleep 0.1
done
[ -n "$win" ] || { echo "window did not appear"; cat "$work/app.log"; exit 1; }
sleep 1
xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus --sync "$win"
# No window manager: the window lies at 0,0; a click in the input box gives it the focus.
xdotool mousemove --window "$win" 170 292 click 1
sleep 0.3

xdotool type --delay 60 "ggggffffddddssssaaaa"
sleep 0.5
import -window "$win" "$work/drill.png"

# Ending the tutor writes what the record still holds in memory.
kill -TERM $pid
for _ in $(seq 1 50); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
if kill -0 $pid 2>/dev/null; then echo "the tutor did not end on SIGTERM"; exit 1; fi
wait $pid 2>/dev/null || true
pid=""

"$exe" --home "$home" --export-keys "$work/keys.csv"
head -1 "$work/keys.csv" | grep -qx 'lesson,item,expected,typed,right,ms' \
  || { echo "unexpected header: $(head -1 "$work/keys.csv")"; exit 1; }
right=$(awk -F, 'NR > 1 && $1 == "keynames" && $5 == 1' "$work/keys.csv" | wc -l)
wrong=$(awk -F, 'NR > 1 && $5 == 0' "$work/keys.csv" | wc -l)
items=$(awk -F, 'NR > 1 { print $2 }' "$work/keys.csv" | uniq | tr -d '\n')
echo "keys exported: $right right, $wrong wrong, items $items"
[ "$right" -eq 20 ] || { cat "$work/keys.csv"; echo "expected 20 right keys"; exit 1; }
[ "$wrong" -eq 0 ] || { cat "$work/keys.csv"; echo "expected no wrong key"; exit 1; }
[ "$items" = "王土大木工" ] || { echo "expected the items 王土大木工"; exit 1; }
trap - EXIT
echo "e2e drill: ok"
