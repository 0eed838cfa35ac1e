#!/usr/bin/env bash
# Takes the screenshots of this folder from a built program folder, under Xvfb:
#   docs/screenshots/take.sh [BUILD_DIR]          (default build/default)
# The main window before a file is opened and while practising (hints on: F2, F4, after typing
# two characters), the dialogs, drill mode and the lesson picker, at 1× and at 2×
# (QT_SCALE_FACTOR=2), and the five root-zone charts.
# Needs xvfb-run, xdotool and ImageMagick's import.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../../build/default}" && pwd)
app="$build/app"
[ -x "$app/molan-tutor" ] || { echo "no $app/molan-tutor: build first" >&2; exit 1; }

# Prints the id of the tutor's main window once it is there (within 10 s). xvfb-run's sh drops
# exported functions, so the scripts below carry its definition in their text.
main_window() {
  local win=""
  for _ in $(seq 1 100); do
    win=$(xdotool search --name "墨岚打字通" 2>/dev/null | head -1 || true)
    [ -n "$win" ] && { echo "$win"; return 0; }
    sleep 0.1
  done
  echo "window did not appear" >&2
  return 1
}

# shot OUT SCALE KEYS TYPED [tutor arguments…]
shot() {
  local out=$1 scale=$2 keys=$3 typed=$4
  shift 4
  QT_SCALE_FACTOR=$scale SDL_AUDIODRIVER=dummy \
    xvfb-run -a -s "-screen 0 $((1060 * scale))x$((780 * scale))x24" \
    bash -c "$(declare -f main_window)"'
      out=$1 keys=$2 typed=$3 exe=$4; shift 4
      "$exe" "$@" >/dev/null 2>&1 & pid=$!
      win=$(main_window) || { kill $pid; exit 1; }
      sleep 1.5
      xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus --sync "$win"
      sleep 0.3
      for k in $keys; do xdotool key "$k"; sleep 0.4; done
      [ -z "$typed" ] || { xdotool type --delay 60 "$typed"; sleep 0.8; }
      sleep 0.5
      import -window "$win" "$out"
      kill $pid
    ' _ "$out" "$keys" "$typed" "$app/molan-tutor" "$@"
}

# dialog OUT SCALE BUTTON_X BUTTON_Y TITLE TYPED: clicks a toolbar button of the main window and
# captures the dialog it opens (typing TYPED into it first).
dialog() {
  local out=$1 scale=$2 bx=$3 by=$4 title=$5 typed=$6
  QT_SCALE_FACTOR=$scale SDL_AUDIODRIVER=dummy \
    xvfb-run -a -s "-screen 0 $((1060 * scale))x$((780 * scale))x24" \
    bash -c "$(declare -f main_window)"'
      out=$1 scale=$2 bx=$3 by=$4 title=$5 typed=$6 exe=$7
      "$exe" >/dev/null 2>&1 & pid=$!
      win=$(main_window) || { kill $pid; exit 1; }
      sleep 1.5
      xdotool mousemove --window "$win" $((bx * scale - 6)) $((by * scale)) ; sleep 0.2
      xdotool mousemove --window "$win" $((bx * scale)) $((by * scale)); sleep 0.4
      xdotool click 1; sleep 1.5
      dlg=$(xdotool search --name "$title" 2>/dev/null | head -1 || true)
      [ -n "$dlg" ] || { kill $pid; echo "no dialog $title" >&2; exit 1; }
      [ -z "$typed" ] || { xdotool windowfocus --sync "$dlg" 2>/dev/null || true; sleep 1.2; xdotool type --delay 80 "$typed"; sleep 0.8; }
      import -window "$dlg" "$out"
      kill $pid
    ' _ "$out" "$scale" "$bx" "$by" "$title" "$typed" "$app/molan-tutor"
}

# A copy of the program folder, so that the drills' record starts empty and stays out of the
# build's folder.
fresh_home() {
  local h
  h=$(mktemp -d)
  for f in "$app"/*; do
    case $(basename "$f") in
      molan-tutor|练习记录.db*) ;;
      拆字图) ln -s "$f" "$h/拆字图" ;;  # only read, and tens of thousands of files
      *) cp -r "$f" "$h/" ;;
    esac
  done
  echo "$h"
}

# drill OUT SCALE LESSON KEYS TYPED [CLICK_TITLE]: drill mode on LESSON, the keys KEYS pressed and
# TYPED typed as plain letters; with CLICK_TITLE, then the course button is clicked and the
# dialog of that title captured instead of the window.
drill() {
  local out=$1 scale=$2 lesson=$3 keys=$4 typed=$5 title=${6:-}
  local h
  h=$(fresh_home)
  QT_SCALE_FACTOR=$scale SDL_AUDIODRIVER=dummy \
    xvfb-run -a -s "-screen 0 $((1060 * scale))x$((780 * scale))x24" \
    bash -c "$(declare -f main_window)"'
      out=$1 scale=$2 lesson=$3 keys=$4 typed=$5 title=$6 exe=$7 home=$8
      "$exe" --home "$home" --drill "$lesson" >/dev/null 2>&1 & pid=$!
      win=$(main_window) || { kill $pid; exit 1; }
      sleep 1.5
      xdotool windowactivate --sync "$win" 2>/dev/null || xdotool windowfocus --sync "$win"
      xdotool mousemove --window "$win" $((170 * scale)) $((292 * scale)) click 1
      sleep 0.3
      for k in $keys; do xdotool key "$k"; sleep 0.4; done
      # At about four keys a second, as a learner types who knows the codes.
      [ -z "$typed" ] || { xdotool type --delay 240 "$typed"; sleep 0.8; }
      if [ -n "$title" ]; then
        xdotool mousemove --window "$win" $((669 * scale)) $((40 * scale)); sleep 0.2
        xdotool mousemove --window "$win" $((675 * scale)) $((40 * scale)); sleep 0.4
        xdotool click 1; sleep 1.5
        dlg=$(xdotool search --name "^$title\$" 2>/dev/null | head -1 || true)
        [ -n "$dlg" ] || { kill $pid; echo "no dialog $title" >&2; exit 1; }
        import -window "$dlg" "$out"
      else
        sleep 0.5
        import -window "$win" "$out"
      fi
      kill $pid
    ' _ "$out" "$scale" "$lesson" "$keys" "$typed" "$title" "$app/molan-tutor" "$h"
  rm -rf "$h"
}

poem="$app/练习文件/唐诗选.txt"
# A line whose first two characters form a word of the dictionary shows the word hints.
words=$(mktemp -d)/词语练习.txt
printf '%s\r\n' "中国人民热爱和平" | iconv -f UTF-8 -t GBK > "$words"
for scale in 1 2; do
  suffix=""
  [ "$scale" = 1 ] || suffix="@${scale}x"
  shot "$here/main_idle$suffix.png" "$scale" "" ""
  shot "$here/practice$suffix.png" "$scale" "F2 F4" "《静" --open "$poem"
  shot "$here/practice_word$suffix.png" "$scale" "F2 F4" "" --open "$words"
  dialog "$here/findit$suffix.png" "$scale" 834 367 "编码查询" "拆"
  dialog "$here/settings$suffix.png" "$scale" 778 367 "功能键与设置" ""
  dialog "$here/about$suffix.png" "$scale" 891 367 "关于" ""
  # 的 typed, then 年 with a wrong third key: its picture, code and keys, the next key ringed, and
  # the line that says why.
  drill "$here/drill$suffix.png" "$scale" ident "F2 F4" "rqyyrhd"
  # The five strokes with one wrong key: the round's figures and the missed stroke with its code.
  drill "$here/drill_round$suffix.png" "$scale" strokes "" "ggllhhlhlttllyyllnnll"
  # The first round of the first lesson typed, then the picker: passed, open and locked lessons.
  drill "$here/course$suffix.png" "$scale" roots-1 "" "gggggffffffffddddddd" "课程"
done
for z in 1 2 3 4 5; do
  cp "$app/图片/chart$z.png" "$here/chart$z.png"
done
echo "screenshots written to $here"
