#!/usr/bin/env bash
# Set-up for a fresh Debian 12 machine: installs what is missing with apt, builds, and then
#   run   lays out the program folder and starts the tutor on its bundled data;
#   test  runs every test through CTest (the window tests run under Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."

mode=${1:-run}
case "$mode" in run|test|deps) ;; *) echo "usage: $0 run|test|deps" >&2; exit 2 ;; esac

packages=(
  # build
  cmake ninja-build g++ pkg-config
  qt6-base-dev libgl-dev libicu-dev libsqlite3-dev libsdl2-dev libgif-dev libsmbclient-dev
  # the statistics window's charts (Qt Charts wants Qt's OpenGL development files)
  qt6-charts-dev libqt6opengl6-dev
  # data the build turns into the program folder
  rime-data-wubi rime-data-stroke
  # the file dialogs and message boxes in Chinese
  qt6-translations-l10n
  # fonts the window's faces are mapped onto
  fonts-arphic-uming fonts-arphic-ukai fonts-dejavu-core fonts-noto-cjk
)
test_packages=(libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth xdotool x11-apps imagemagick samba smbclient
               ibus ibus-table-wubi dbus-x11 clang libclang-rt-dev
  # the Debian package's checks
  dpkg-dev lintian desktop-file-utils appstream man-db)
[ "$mode" = run ] || packages+=("${test_packages[@]}")

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  echo "Installing: ${missing[*]}"
  $sudo apt-get update
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi
[ "$mode" = deps ] && exit 0

if [ "$mode" = run ]; then
  cmake --preset default -DML_BUILD_TESTS=OFF
else
  cmake --preset default -DML_BUILD_TESTS=ON
fi
cmake --build --preset default

if [ "$mode" = run ]; then
  exec build/default/app/molan-tutor "${@:2}"
else
  ctest --preset default
fi
