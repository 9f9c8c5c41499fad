#!/bin/sh
# installer_test.sh BUILD_DIR: makes the packages with cpack and checks the
# zip's contents; then, under Wine, installs silently, starts the installed
# Panorel2.exe, uninstalls silently (which ends it first) and checks that
# nothing of ours is left in Program Files or the Start menu while the
# user's settings stay.
set -u
build=$1
run=$build/wine-run
prefix=$build/wineprefix
out=$(mktemp -d)
main=
cleanup() { [ -n "$main" ] && kill "$main" 2>/dev/null; rm -rf "$out"; }
trap cleanup EXIT
fail() { echo "FAILED: $*"; exit 1; }

cpack --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1 || { cat "$out/cpack.log"; fail "cpack"; }
zip=$(ls "$out"/Panorel2-*-win32.zip) && setup=$(ls "$out"/Panorel2-*-setup.exe) || fail "packages missing"
listing=$(cmake -E tar tf "$zip")
for f in Panorel2.exe Spacehost.exe ControlPanel-Panorel2.exe helpBrowser.exe zlib1.dll ajax-loader.gif README.md \
         docs/help/getting-started.md docs/images/control-panel.png licences/zlib.txt; do
  echo "$listing" | grep -q "/$f\$" || fail "$f is not in the zip"
done

"$run" reg add 'HKCU\Software\Panorel' /v Desktop1Name /d Kept /f >/dev/null 2>&1
"$run" "$setup" /S || fail "the silent install"
dir=
for d in "$prefix/drive_c/Program Files (x86)/Panorel 2" "$prefix/drive_c/Program Files/Panorel 2"; do
  [ -d "$d" ] && dir=$d
done
[ -n "$dir" ] || fail "nothing in Program Files"
for f in Panorel2.exe Spacehost.exe ControlPanel-Panorel2.exe helpBrowser.exe Uninstall.exe docs/help/hotkeys.md; do
  [ -f "$dir/$f" ] || fail "$f was not installed"
done
menu="$prefix/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/Panorel 2"
for f in "Panorel 2" "Panorel 2 Control Panel" "Panorel 2 Help"; do
  [ -f "$menu/$f.lnk" ] || fail "no Start-menu entry $f"
done
"$run" reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v 'Panorel 2' 2>/dev/null | grep -q Panorel2.exe ||
  fail "no sign-in start"

# The installed program, as its Start-menu entry starts it.
"$run" "$dir/Panorel2.exe" >/dev/null 2>&1 &
main=$!
up=0
for _ in $(seq 60); do
  "$run" "$dir/Panorel2.exe" --signal ReadReg >/dev/null 2>&1 && { up=1; break; }
  sleep 0.5
done
[ $up -eq 1 ] || fail "the installed Panorel2.exe did not start"

# The uninstaller copies itself away and returns at once: wait for its work.
"$run" "$dir/Uninstall.exe" /S || fail "the silent uninstall"
for _ in $(seq 120); do
  [ -e "$dir" ] || [ -e "$menu" ] || kill -0 "$main" 2>/dev/null || break
  sleep 0.5
done
kill -0 "$main" 2>/dev/null && fail "Panorel 2 still runs after the uninstall"
main=
[ -e "$dir" ] && fail "left in Program Files: $(ls -R "$dir")"
[ -e "$menu" ] && fail "left in the Start menu"
"$run" reg query 'HKCU\Software\Microsoft\Windows\CurrentVersion\Run' /v 'Panorel 2' >/dev/null 2>&1 &&
  fail "the sign-in start is left"
"$run" reg query 'HKCU\Software\Panorel' /v Desktop1Name 2>/dev/null | grep -q Kept || fail "the settings went"
"$run" reg delete 'HKCU\Software\Panorel' /f >/dev/null 2>&1
echo "installer: install, start, uninstall and clean-up passed"
