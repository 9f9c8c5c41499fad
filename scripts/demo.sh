#!/usr/bin/env bash
# The main job on this machine: builds the Windows programs, starts a
# 1920 x 1080 X screen with a Wine desktop, runs Panorel2.exe (which starts
# the four switchers) and saves screenshots under out/demo/.
set -eu
cd "$(dirname "$0")/.."
root=$PWD
scripts/setup.sh
{ cmake --preset windows && cmake --build --preset windows -j "$(nproc)"; } >/dev/null

demo=$root/build/demo
out=$root/out/demo
mkdir -p "$demo" "$out"
export WINEPREFIX=$demo/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

cleanup() {
  wineserver -k >/dev/null 2>&1 || true
  [ -n "${xvfb:-}" ] && kill "$xvfb" >/dev/null 2>&1 || true
}
trap cleanup EXIT

for n in $(seq 150 199); do
  [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] || break
done
Xvfb ":$n" -screen 0 1920x1080x24 -nolisten tcp >"$demo/xvfb.log" 2>&1 &
xvfb=$!
for _ in $(seq 1 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
export DISPLAY=":$n"
wineboot -i >/dev/null 2>&1 || true

shot() {  # name
  sleep 1
  import -display "$DISPLAY" -window root "$out/$1.png"
  echo "  $out/$1.png"
}

dist=$root/build/windows/dist
echo "Panorel 2 demo on display $DISPLAY; screenshots:"
wine explorer /desktop=shell,1920x1080 >/dev/null 2>&1 &
sleep 3
wine "$dist/Panorel2.exe" --single-desktop >/dev/null 2>&1 &
sleep 3
shot 01-started
wine "$dist/Panorel2.exe" --shutdown >/dev/null 2>&1
sleep 1
