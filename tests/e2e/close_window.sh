#!/usr/bin/env bash
# Closing a running program through its top-level windows, on real windows. Wine creates
# windows only with an X display, so the test runs under Xvfb in a throw-away copy of the
# project's prefix. Arguments: BUILD_DIR SOURCE_DIR.
set -uo pipefail
build=$(cd "$1" && pwd) src=$(cd "$2" && pwd)
if [ -z "${TS_E2E_DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 800x600x24" env TS_E2E_DISPLAY=1 bash "$0" "$@"
fi
source "$src/scripts/wine-env"
source "$src/scripts/lib/wine-session.bash"
wine_session "$build/e2e-close-window.$$"
w "$build/windows_tests.exe" --gtest_filter=Win32CloseProgram.WindowedProgramClosesOnRequest \
  >"$session_work/log.txt"
check "windows_tests exits 0" test $? -eq 0
cat "$session_work/log.txt"
check "the windowed close test ran and passed" \
  bash -c "! grep -q SKIPPED '$session_work/log.txt' && grep -q '\[  PASSED  \] 1 test' '$session_work/log.txt'"
if [ "$failures" -ne 0 ]; then echo "FAIL: $failures checks failed"; exit 1; fi
echo "PASS"
