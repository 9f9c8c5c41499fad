#!/usr/bin/env bash
# start|stop BUILD_DIR: the X display and the Wine server that the Windows
# tests of one build share. Quiet unless something fails.
set -eu
action=$1
# Absolute, so that the prefix and the display file do not depend on where
# the caller stands.
build=$(realpath -m "$2")
session=$build/session
export WINEPREFIX="$build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
geometry=${PANOREL_SCREEN:-1920x1080x24}

stop() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -f "$session/xvfb.pid" ]; then
    kill "$(cat "$session/xvfb.pid")" >/dev/null 2>&1 || true
  fi
  rm -rf "$session"
}

start() {
  stop
  mkdir -p "$session"
  local n
  for n in $(seq 90 140); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    setsid Xvfb ":$n" -screen 0 "$geometry" -nolisten tcp >"$session/xvfb.log" 2>&1 < /dev/null &
    echo $! > "$session/xvfb.pid"
    for _ in $(seq 1 100); do
      [ -e "/tmp/.X11-unix/X$n" ] && break
      kill -0 "$(cat "$session/xvfb.pid")" 2>/dev/null || break
      sleep 0.1
    done
    # Another session may have taken the same number a moment earlier: only
    # a socket of our own, live server counts.
    if [ -e "/tmp/.X11-unix/X$n" ] && kill -0 "$(cat "$session/xvfb.pid")" 2>/dev/null; then
      echo ":$n" > "$session/display"
      break
    fi
  done
  [ -f "$session/display" ] || { echo "no X display could be started" >&2; cat "$session/xvfb.log" >&2; exit 1; }
  export DISPLAY=$(cat "$session/display")
  # A prefix made before 32-bit Wine was installed has no 32-bit half, and
  # the i686 programs cannot load kernel32.dll in it: make a fresh one.
  if [ -d "$WINEPREFIX/drive_c/windows/system32" ] && [ ! -e "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ] &&
     [ -d /usr/lib/i386-linux-gnu/wine ]; then
    rm -rf "$WINEPREFIX"
  fi
  # The first start creates the prefix; a persistent server keeps every
  # later test program start fast.
  wineserver -p >/dev/null 2>&1 </dev/null || true  # 2: one is running already
  wineboot -i >"$session/wineboot.log" 2>&1 </dev/null || { cat "$session/wineboot.log" >&2; exit 1; }
  # The styled buttons draw their drop-down symbols in Marlett, which this
  # Wine does not find among Debian's fonts-wine files by itself.
  local fonts="$WINEPREFIX/drive_c/windows/Fonts"
  if [ -f /usr/share/wine/fonts/marlett.ttf ] && [ ! -f "$fonts/marlett.ttf" ]; then
    mkdir -p "$fonts" && cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
  fi
  # CJK desktop names need a font with their glyphs: WenQuanYi Micro Hei
  # (fonts-wqy-microhei), linked to the menu font Tahoma as Windows links its
  # CJK fonts, so that the tabs and buttons fall back to it. Wine's own Tahoma
  # must be there too (Debian's Wine does not find it by itself either): a
  # link to a missing font would replace it, Latin letters included.
  local cjk=/usr/share/fonts/truetype/wqy/wqy-microhei.ttc f
  local links='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
  if [ -f "$cjk" ] && [ -f /usr/share/wine/fonts/tahoma.ttf ] &&
     { [ ! -f "$fonts/wqy-microhei.ttc" ] || [ ! -f "$fonts/tahoma.ttf" ] ||
       ! wine reg query "$links" /v Tahoma 2>/dev/null | grep -q wqy-microhei; }; then
    mkdir -p "$fonts" && cp "$cjk" "$fonts/"
    for f in tahoma.ttf tahomabd.ttf; do
      [ -f "/usr/share/wine/fonts/$f" ] && cp "/usr/share/wine/fonts/$f" "$fonts/"
    done
    wine reg add "$links" /v Tahoma /t REG_MULTI_SZ /d 'wqy-microhei.ttc,WenQuanYi Micro Hei' /f >/dev/null 2>&1
  fi
  # Without a virtual desktop Wine's explorer keeps tray icons in an X window;
  # hiding it waits two seconds for a window manager that Xvfb does not have,
  # so every NIM_DELETE (a switcher closing) would take that long. A virtual
  # desktop of the screen's size with its taskbar keeps the tray inside Wine,
  # and the shell keeps explorer running between test programs.
  local size=${geometry%x*} key='HKCU\Software\Wine\Explorer'
  if ! wine reg query "$key\Desktops\Default" /v EnableShell >/dev/null 2>&1 ||
     ! wine reg query "$key\Desktops" /v Default 2>/dev/null | grep -q "$size"; then
    wine reg add "$key" /v Desktop /d Default /f >/dev/null 2>&1
    wine reg add "$key\Desktops" /v Default /d "$size" /f >/dev/null 2>&1
    wine reg add "$key\Desktops\Default" /v EnableShell /t REG_DWORD /d 1 /f >/dev/null 2>&1
    wineserver -k >/dev/null 2>&1 || true
    wineserver -w >/dev/null 2>&1 || true
    wineserver -p >/dev/null 2>&1 </dev/null || true
    wineboot >>"$session/wineboot.log" 2>&1 </dev/null || { cat "$session/wineboot.log" >&2; exit 1; }
  fi
}

case "$action" in
  start) start ;;
  stop) stop ;;
  *) echo "usage: $0 start|stop BUILD_DIR" >&2; exit 2 ;;
esac
