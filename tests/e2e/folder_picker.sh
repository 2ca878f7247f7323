#!/usr/bin/env bash
# The Browse button's folder chooser on a real (virtual) display: wizard_tests.exe opens it
# through browseForInstallRoot and checks, from a second thread, that it shows the fixed title
# "选择目标路径"; this script finds the chooser's window, cancels it with the Escape key through
# xdotool, and the test then checks that the installation root and the path label did not
# change. Windows need a display and a prefix booted with it: a throw-away copy runs under Xvfb.
# Arguments: BUILD_DIR SOURCE_DIR.
set -uo pipefail
build=$1
source=$2
source "$source/scripts/wine-env"
prefix="$build/wineprefix-picker.$$"
log="$build/folder_picker.log"
rm -rf "$prefix"
cp -a "$WINEPREFIX" "$prefix" || { echo "cannot copy $WINEPREFIX"; exit 1; }
trap 'WINEPREFIX="$prefix" wineserver -k </dev/null >/dev/null 2>&1; rm -rf "$prefix"' EXIT
export WINEPREFIX="$prefix"

xvfb-run -a -s "-screen 0 800x600x24" bash -c '
  build=$1 log=$2
  wineserver -p 60 </dev/null >/dev/null 2>&1
  wine cmd /c exit </dev/null >/dev/null 2>&1
  TS_FOLDER_PICKER_E2E=1 timeout 120 wine "$build/wizard_tests.exe" \
    --gtest_filter=FolderPicker.OpensWithItsTitleAndACancelChangesNothing </dev/null >"$log" 2>&1 &
  test=$!
  window=$(timeout 60 xdotool search --sync --onlyvisible --name "Browse for Folder" | head -1)
  if [ -z "$window" ]; then echo "no chooser window appeared"; kill $test; exit 1; fi
  xdotool windowfocus --sync "$window" key Escape
  wait $test
  status=$?
  wineserver -k </dev/null >/dev/null 2>&1
  exit $status' _ "$build" "$log"
status=$?
cat "$log"
if [ $status -ne 0 ]; then echo "FAIL: the chooser test exited with $status"; exit 1; fi
if grep -q "SKIPPED" "$log" || ! grep -q "\[  PASSED  \] 1 test" "$log"; then
  echo "FAIL: the chooser test did not run"
  exit 1
fi
grep -q 'title shown' "$log" || { echo "FAIL: the chooser did not show its title"; exit 1; }
echo "PASS"
