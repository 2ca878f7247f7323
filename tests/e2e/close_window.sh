#!/usr/bin/env bash
# Closing a running program through its top-level windows, on real windows. Wine creates
# windows only with an X display, and only when its desktop was started with one, so the test
# runs under Xvfb in a throw-away copy of the project's prefix booted there.
# Arguments: BUILD_DIR SOURCE_DIR.
set -uo pipefail
build=$1
source=$2
source "$source/scripts/wine-env"
prefix="$build/wineprefix-display.$$"
log="$build/close_window.log"
rm -rf "$prefix"
cp -a "$WINEPREFIX" "$prefix" || { echo "cannot copy $WINEPREFIX"; exit 1; }
trap 'WINEPREFIX="$prefix" wineserver -k </dev/null >/dev/null 2>&1; rm -rf "$prefix"' EXIT
export WINEPREFIX="$prefix"

# Boot with every stream redirected, so that no Wine service inherits CTest's pipes.
xvfb-run -a -s "-screen 0 800x600x24" bash -c '
  wineserver -p 60 </dev/null >/dev/null 2>&1
  wine cmd /c exit </dev/null >/dev/null 2>&1
  timeout 120 wine "$1/windows_tests.exe" \
    --gtest_filter=Win32CloseProgram.WindowedProgramClosesOnRequest </dev/null >"$2" 2>&1
  status=$?
  wineserver -k </dev/null >/dev/null 2>&1
  exit $status' _ "$build" "$log"
status=$?
cat "$log"
if [ $status -ne 0 ]; then echo "FAIL: windows_tests exited with $status"; exit 1; fi
if grep -q "SKIPPED" "$log" || ! grep -q "\[  PASSED  \] 1 test" "$log"; then
  echo "FAIL: the windowed close test did not run"
  exit 1
fi
echo "PASS"
