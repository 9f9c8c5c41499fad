#!/usr/bin/env bash
# The main job on this machine: builds the Windows programs, starts a
# 1920 x 1080 X screen with a Wine desktop and taskbar, runs
# Panorel2.exe --single-desktop (which starts the four switchers) and walks
# the road of one desktop switch, saving a screenshot of each stage under
# out/demo/, then opens the control panel and the help browser and saves a
# picture of each window (control-panel.png, help-browser.png) for
# docs/images/.
set -eu
cd "$(dirname "$0")/.."
root=$PWD
scripts/setup.sh
# Only what the demo runs: the programs and the files beside them in dist/.
{ cmake --preset windows && cmake --build --preset windows -j "$(nproc)" --target Spacehost Panorel2 ControlPanel HelpBrowser; } >/dev/null

demo=$root/build/demo
out=$root/out/demo
rm -rf "$out"
mkdir -p "$demo" "$out"
dist=$root/build/windows/dist

# The same X screen and Wine desktop (virtual, 1920 x 1080, with a taskbar) as
# the tests, in a prefix of the demo's own.
trap 'scripts/wine-session.sh stop "$demo"' EXIT
scripts/wine-session.sh start "$demo"
export WINEPREFIX=$demo/wineprefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
DISPLAY=$(cat "$demo/session/display")
export DISPLAY

step=0
shot() {  # what
  sleep "${2:-1.5}"
  step=$((step + 1))
  local file
  file=$(printf '%s/%02d-%s.png' "$out" "$step" "$1")
  import -display "$DISPLAY" -window root "$file"
  echo "  $file"
}
signal() { wine "$dist/Panorel2.exe" --signal "$1" >/dev/null 2>&1; }

echo "Panorel 2 demo on display $DISPLAY (1920 x 1080); screenshots:"
# Something recognisable on desktop 1.
printf 'This is desktop 1.\r\n\r\nPanorel 2 shows a preview of every desktop.\r\n' > "$demo/desktop1.txt"
wine notepad "$(winepath -w "$demo/desktop1.txt" 2>/dev/null)" >/dev/null 2>&1 &
notepad=$!
sleep 2

wine "$dist/Panorel2.exe" --single-desktop >/dev/null 2>&1 &
sleep 3
shot desktop1-with-tray-icons 0

# The panel of desktop 1: its own tile shows the desktop as it was left.
signal ShowPreviewSwitcher1
shot panel-of-desktop1
signal ShowPreviewSwitcher1
shot panel-hidden

# Leave desktop 1 for desktop 2: switcher 1 photographs desktop 1 and hands
# the picture to the other three through the clipboard.
signal Switcher1SwitchTo2
sleep 1
# The panel of desktop 2, with desktop 1's fresh preview in tile 1.
signal ShowPreviewSwitcher2
shot panel-of-desktop2-with-preview-of-desktop1
signal ShowPreviewSwitcher2

# The two programs the panel's buttons start, each alone on the screen: the
# picture is the screen without its taskbar, trimmed to the window.
kill "$notepad" 2>/dev/null || true
window() {  # name program arguments...
  local name=$1 pid
  shift
  wine "$@" >/dev/null 2>&1 &
  pid=$!
  sleep 4
  import -display "$DISPLAY" -window root "$out/screen.png"
  convert "$out/screen.png" -crop 1920x1040+0+0 +repage -trim +repage "$out/$name.png"
  rm -f "$out/screen.png"
  echo "  $out/$name.png"
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
}
window control-panel "$dist/ControlPanel-Panorel2.exe"
window help-browser "$dist/helpBrowser.exe" panel

wine "$dist/Panorel2.exe" --shutdown >/dev/null 2>&1
sleep 1
echo "Done. The screenshots are in $out (copy control-panel.png, help-browser.png and the panel of desktop 2 into docs/images/ to refresh the README)"
