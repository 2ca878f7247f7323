#!/usr/bin/env bash
# Closing a running program through its top-level windows, on real windows. Wine creates
# windows only with an X display, so the test runs under Xvfb in a throw-away copy of the
# project's prefix. Arguments: BUILD_DIR SOURCE_DIR.
e2e_screen=800x600 source "$(dirname "$0")/lib.bash" "$@"
w "$build/windows_tests.exe" --gtest_filter=Win32CloseProgram.WindowedProgramClosesOnRequest \
  >"$session_work/log.txt"
check "windows_tests exits 0" test $? -eq 0
cat "$session_work/log.txt"
check "the windowed close test ran and passed" \
  bash -c "! grep -q SKIPPED '$session_work/log.txt' && grep -q '\[  PASSED  \] 1 test' '$session_work/log.txt'"
if [ "$failures" -ne 0 ]; then echo "FAIL: $failures checks failed"; exit 1; fi
echo "PASS"
