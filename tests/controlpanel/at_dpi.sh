#!/bin/sh
# at_dpi.sh WINE_RUN DPI PROGRAM: runs a test program of the build with the
# display scaling set to DPI (Wine reads it when a process starts), then
# puts the scaling back. The output goes through a file: a Wine process that
# the scaling change wakes would otherwise hold CTest's pipe open.
run=$1 dpi=$2 program=$3
key='HKCU\Control Panel\Desktop'
log=$(mktemp)
"$run" reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
PANOREL_EXPECT_DPI=$dpi "$run" "$program" >"$log" 2>&1 </dev/null
status=$?
"$run" reg delete "$key" /v LogPixels /f >/dev/null 2>&1 </dev/null
cat "$log"
rm -f "$log"
exit $status
