#!/usr/bin/env bash
# The Debian package, from this build, without installing anything on the machine:
#   pack   packs it with cpack into OUT (the other steps read it from there);
#   check  checks its control data and contents with dpkg-deb, the menu entry and the metainfo
#          with their validators, then unpacks it into a scratch root whose molan-tutor is
#          started and made to convert with a scratch home, as on a learner's first start;
#   lint   lintian, whose errors fail.
#
#   package.sh pack|check|lint OUT BUILD_DIR SOURCE_DIR VERSION APPSTREAM_ID
set -euo pipefail
step=$1 out=$2 build=$3 src=$4 version=$5 id=$6
deb="$out/molan-tutor_${version}_amd64.deb"
fail() { echo "FAIL: $*" >&2; exit 1; }

case "$step" in
  pack)
    rm -rf "$out"
    start=$(date +%s)
    cpack --config "$build/CPackConfig.cmake" -B "$out" > "$out.log" 2>&1 ||
      { cat "$out.log"; fail "cpack failed"; }
    [ -f "$deb" ] || { ls -l "$out"; fail "no $(basename "$deb")"; }
    rm -rf "$out/_CPack_Packages"
    echo "packed in $(( $(date +%s) - start )) s: $(du -k "$deb" | cut -f1) KiB"
    exit 0 ;;
  lint)
    [ -f "$deb" ] || fail "no $deb: the pack step did not run"
    lint=$deb
    if [ -z "${ML_LINT_WHOLE_PACKAGE:-}" ]; then
      # lintian reads each of the tens of thousands of decomposition pictures, which takes it
      # over ten minutes; they are all GIFs made by one generator, so it reads the package as
      # packed with all but a few hundred of them left out (and out of md5sums). The whole
      # package: ML_LINT_WHOLE_PACKAGE=1.
      scratch=$(mktemp -d)
      trap 'rm -rf "$scratch"' EXIT
      dpkg-deb -R "$deb" "$scratch/pkg"
      pictures="usr/share/molan-tutor/拆字图"
      (cd "$scratch/pkg" && find "$pictures" -name '*.gif' | sort | awk 'NR % 100 != 1') \
        > "$scratch/dropped"
      (cd "$scratch/pkg" && xargs -d '\n' rm -f < "$scratch/dropped")
      awk 'NR == FNR { drop[$0] = 1; next } !(substr($0, 35) in drop)' \
        "$scratch/dropped" "$scratch/pkg/DEBIAN/md5sums" > "$scratch/md5sums"
      mv "$scratch/md5sums" "$scratch/pkg/DEBIAN/md5sums"
      lint="$scratch/molan-tutor_${version}_amd64.deb"
      dpkg-deb --root-owner-group -Zgzip -z1 -b "$scratch/pkg" "$lint" > /dev/null
    fi
    lintian --fail-on error --tag-display-limit 0 "$lint" || fail "lintian reports errors"
    exit 0 ;;
  check) [ -f "$deb" ] || fail "no $deb: the pack step did not run" ;;
  *) fail "unknown step $step" ;;
esac

work=$(mktemp -d)
pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null && wait "$pid" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

echo "== control"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = molan-tutor ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
[ "$(field Architecture)" = amd64 ] || fail "Architecture: $(field Architecture)"
[ -n "$(field Maintainer)" ] || fail "no Maintainer"
depends=$(field Depends)
recommends=$(field Recommends)
echo "Depends: $depends"
echo "Recommends: $recommends"
# Each library the executable and the window module are linked with is a dependency, by the
# package dpkg knows it by.
dpkg-deb -x "$deb" "$work/root"
exe="$work/root/usr/bin/molan-tutor"
module="$work/root/usr/lib/molan-tutor/molan-tutor-window.so"
[ -f "$module" ] || fail "no window module in /usr/lib/molan-tutor"
names() { tr ',|' '\n\n' | awk 'NF { print $1 }'; }
multiarch=$(dpkg-architecture -qDEB_HOST_MULTIARCH)
for lib in $(objdump -p "$exe" "$module" | awk '$1 == "NEEDED" { print $2 }' | sort -u); do
  owner=$(dpkg -S "*/$multiarch/$lib" 2>/dev/null | head -1 | cut -d: -f1 || true)
  [ -n "$owner" ] || fail "no installed package holds $lib"
  names <<< "$depends" | grep -qxF "$owner" || fail "$lib ($owner) is not in Depends"
done
# What the tutor opens itself, which dpkg-shlibdeps cannot see: SDL for the sounds is needed, the
# SMB library only for a classroom's share.
for want in fonts-arphic-uming fonts-arphic-ukai libsdl2-2.0-0; do
  names <<< "$depends" | grep -qxF "$want" || fail "$want is not in Depends"
done
names <<< "$depends, $recommends" | grep -qxF libsmbclient ||
  fail "libsmbclient is neither depended on nor recommended"

echo "== contents"
dpkg-deb -c "$deb" > "$work/contents"
awk '{ print $2 }' "$work/contents" | sort -u | grep -vx 'root/root' &&
  fail "files not owned by root"
paths=$(awk '{ print $6 }' "$work/contents")
data=./usr/share/molan-tutor
for want in ./usr/bin/molan-tutor \
    "$data/CiKu.mdb" "$data/CiKu.mdb.copyright.txt" "$data/局域网中同步练习说明.txt" \
    "$data/使用说明.html" "$data/声音/通知.wav" "$data/声音/打开文件.wav" "$data/声音/打错字.wav" \
    "$data/图片/background.png" "$data/图片/background@2x.png" "$data/图片/icon.png" \
    "$data/练习文件/唐诗选.txt" \
    ./usr/share/applications/molan-tutor.desktop "./usr/share/metainfo/$id.metainfo.xml" \
    ./usr/share/man/man1/molan-tutor.1.gz \
    ./usr/share/doc/molan-tutor/copyright ./usr/share/doc/molan-tutor/changelog.gz; do
  grep -qxF "$want" <<< "$paths" || fail "$want is not in the package"
done
for size in 16 22 24 32 48 64 128 256 512; do
  icon="usr/share/icons/hicolor/${size}x${size}/apps/molan-tutor.png"
  grep -qxF "./$icon" <<< "$paths" || fail "$icon is not in the package"
  [ "$(identify -format '%wx%h' "$work/root/$icon")" = "${size}x${size}" ] || fail "$icon is not ${size}x${size}"
done
pictures=$(grep -c "^$data/拆字图/.*\.gif$" <<< "$paths" || true)
built=$(find "$build/app/拆字图" -name '*.gif' | wc -l)
[ "$pictures" -eq "$built" ] && [ "$pictures" -gt 1000 ] ||
  fail "$pictures decomposition pictures packed, $built built"
# What the tutor writes belongs to the learner, never to the package.
grep -E '练习进度|/config$|远程内容\.ini|练习记录' <<< "$paths" && fail "the package holds a learner's file"
grep -v '^\./usr/' <<< "$paths" | grep -vx './' && fail "files outside /usr"
grep -rl --binary-files=text "$build" "$work/root/usr/share" && fail "build paths in the data"
[ -x "$exe" ] || fail "the executable is not executable"

echo "== validators"
desktop-file-validate "$work/root/usr/share/applications/molan-tutor.desktop" ||
  fail "desktop-file-validate"
metainfo="$work/root/usr/share/metainfo/$id.metainfo.xml"
appstreamcli validate --no-net "$metainfo" || fail "appstreamcli validate"
# With the web addresses a published build is given, the screenshots and the home page are in.
date=$(sed -n 's/.*<release version="[^"]*" date="\([^"]*\)".*/\1/p' "$metainfo")
cmake -DTEMPLATE="$src/assets/install/molan-tutor.metainfo.xml.in" -DOUTPUT="$work/web.metainfo.xml" \
      -DID="$id" -DVERSION="$version" -DDATE="$date" -DHOMEPAGE=https://example.org/molan-tutor \
      -DSCREENSHOTS=https://example.org/molan-tutor/docs/screenshots \
      -P "$src/cmake/metainfo.cmake"
appstreamcli validate --no-net "$work/web.metainfo.xml" || fail "appstreamcli validate (with the web addresses)"
for shot in $(sed -n 's|.*<image>https://example.org/molan-tutor/\(.*\)</image>.*|\1|p' "$work/web.metainfo.xml"); do
  [ -f "$src/$shot" ] || fail "screenshot $shot is not in the repository"
done
[ "$(grep -c '<screenshot' "$work/web.metainfo.xml")" -ge 3 ] || fail "too few screenshots"
man -l --warnings "$work/root/usr/share/man/man1/molan-tutor.1.gz" > /dev/null 2> "$work/man.log" || true
[ ! -s "$work/man.log" ] || { cat "$work/man.log"; fail "the manual page has warnings"; }

echo "== the unpacked tutor"
(cd "$work/root" && find . -printf '%p %s %m\n' | sort) > "$work/root.before"
export QT_QPA_PLATFORM=offscreen SDL_AUDIODRIVER=dummy
# Waits for a file to appear, as a tutor starting up makes it.
await() {
  for _ in $(seq 1 300); do [ -e "$1" ] && return 0; sleep 0.1; done
  fail "$1 did not appear"
}
# Starts the tutor as a learner whose environment is "$@", opening one of the bundled texts from
# the learner's own folder, and stops it once that file's progress is written.
first_start() {
  local folder=$1; shift
  env "$@" "$exe" --open "$folder/练习文件/唐诗选.txt" > "$work/run.log" 2>&1 &
  pid=$!
  await "$folder/练习进度/唐诗选.SAV"
  kill "$pid"; wait "$pid" 2>/dev/null || true; pid=""
}
mkdir -p "$work/user"
learner="$work/xdg/molan-tutor"
first_start "$learner" HOME="$work/user" XDG_DATA_HOME="$work/xdg"
[ -f "$learner/config" ] || fail "no config in $learner"
[ "$(stat -c %a "$learner")" = 700 ] || fail "$learner is not the learner's alone"
for text in "$work/root/${data#./}/练习文件/"*.txt; do
  cmp -s "$text" "$learner/练习文件/$(basename "$text")" || fail "$(basename "$text") was not copied"
done
[ -w "$learner/练习文件/唐诗选.txt" ] || fail "the copied texts are not the learner's to change"
first_start "$work/user/.local/share/molan-tutor" HOME="$work/user" XDG_DATA_HOME=

# A conversion into the learner's folder, without a window.
printf '%s\r\n' "$(printf '天地玄黄宇宙洪荒%.0s' 1 2 3 4 5)" | iconv -f UTF-8 -t GBK > "$work/plain.txt"
report=$(env HOME="$work/user" XDG_DATA_HOME="$work/xdg" "$exe" --convert "$work/plain.txt" "$learner/练习文件/转换.txt")
echo "$report"
[[ "$report" == 已转换* ]] || fail "conversion report: $report"
lines=$(iconv -f GBK -t UTF-8 "$learner/练习文件/转换.txt" | tr -d '\r')
[ "$(head -1 <<< "$lines")" = "天地玄黄宇宙洪荒天地玄黄宇宙洪荒天地玄黄宇宙洪荒天地玄黄" ] ||
  fail "converted: $lines"

(cd "$work/root" && find . -printf '%p %s %m\n' | sort) > "$work/root.after"
diff "$work/root.before" "$work/root.after" || fail "the tutor wrote into its installed data"
echo "ok"
