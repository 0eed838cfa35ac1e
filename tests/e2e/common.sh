# The start the window scripts share; sourced by them after setting `exe` and `work`.

# Runs the calling script again inside an X server of its own (xvfb-run picks a free display),
# once: call it as `in_xvfb "$@"`.
in_xvfb() {
  if [ -z "${ML_E2E_INNER:-}" ]; then
    export ML_E2E_INNER=1
    exec xvfb-run -a -s "-screen 0 1280x900x24" bash "$0" "$@"
  fi
}

# A fresh program folder `home` in `work`: the build's sounds and dictionary (when there) and an
# empty 练习文件. Sets `home` and `appdir` (the executable's folder).
fresh_home() {
  rm -rf "$work"
  home="$work/home"
  mkdir -p "$home/练习文件" "$home/声音"
  appdir=$(dirname "$exe")
  cp -r "$appdir/声音/." "$home/声音/" 2>/dev/null || true
  if [ -f "$appdir/CiKu.mdb" ]; then cp "$appdir/CiKu.mdb" "$home/"; fi
}
