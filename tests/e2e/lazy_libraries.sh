#!/usr/bin/env bash
# What the tutor loads at start-up: the classroom's SMB library and SDL are loaded when first
# used, so neither the executable nor --convert nor a window that practises a local file without
# a sound maps them; and the executable itself needs no GUI library, which only the window module
# loads. Checked with ldd, LD_DEBUG=libs and /proc/PID/maps of the real window.
#
# Usage: lazy_libraries.sh MOLAN_TUTOR WORKDIR
set -euo pipefail
exe=$1
work=$2

source "$(dirname "$0")/common.sh"
in_xvfb "$@"

# Loaded on first use only; Qt Charts belongs to the statistics window.
lazy='libsmbclient|libsamba|libSDL2|libpulse|libasound|libQt6Charts'
status=0
fail() {
  echo "FAIL: $*"
  status=1
}

rm -rf "$work"
mkdir -p "$work"
headless="$lazy|libQt6Gui|libQt6Widgets|libsqlite3"
needed=$(ldd "$exe")
if grep -E "$headless" <<<"$needed"; then fail "the executable links what only the window needs"; fi
[ -f "$(dirname "$exe")/molan-tutor-window.so" ] || fail "no window module beside the executable"
if grep -E "$lazy" <<<"$(ldd "$(dirname "$exe")/molan-tutor-window.so")"; then
  fail "the window module links what it loads on first use"
fi

printf '%s\r\n' "春眠不觉晓，处处闻啼鸟。" | iconv -f UTF-8 -t GBK >"$work/src.txt"
LD_DEBUG=libs "$exe" --convert "$work/src.txt" "$work/out.txt" >"$work/convert.log" 2>&1 ||
  fail "--convert failed: $(tail -3 "$work/convert.log")"
if grep -E "calling init: .*($headless)" "$work/convert.log"; then fail "--convert loaded the above"; fi
grep -q "calling init:" "$work/convert.log" || fail "LD_DEBUG=libs reported nothing"

# The window, then a local practice file opened by --open: its sounds are the first use of SDL,
# so only the SMB library must stay out; before the file opens, SDL must too.
home="$work/home"
mkdir -p "$home/练习文件"
appdir=$(dirname "$exe")
cp -r "$appdir/声音" "$appdir/图片" "$home/" 2>/dev/null || true
[ -f "$appdir/CiKu.mdb" ] && cp "$appdir/CiKu.mdb" "$home/"
cp "$work/src.txt" "$home/练习文件/lesson.txt"
export SDL_AUDIODRIVER=dummy
pid=""
trap '[ -n "$pid" ] && kill $pid 2>/dev/null || true' EXIT
maps_once_shown() {
  "$exe" --home "$home" "$@" >>"$work/app.log" 2>&1 &
  pid=$!
  for _ in $(seq 1 200); do
    xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1 && break
    sleep 0.05
  done
  xdotool search --onlyvisible --pid "$pid" >/dev/null 2>&1 || {
    cat "$work/app.log"
    fail "no window"
  }
  sleep 1
  cat "/proc/$pid/maps"
  kill "$pid"
  wait "$pid" 2>/dev/null || true
  pid=""
}
maps=$(maps_once_shown)
if grep -E "$lazy" <<<"$maps"; then fail "the window without a file mapped the above"; fi
maps=$(maps_once_shown --open "$home/练习文件/lesson.txt")
if grep -E "libsmbclient|libsamba" <<<"$maps"; then fail "local practice mapped the SMB library"; fi
grep -q "libSDL2" <<<"$maps" || fail "opening a file played no sound through SDL"

[ $status -eq 0 ] && echo "start-up, --convert and local practice leave the lazy libraries alone"
exit $status
