#!/usr/bin/env bash
# The shipped setup.exe carries neither the simulated USB bus nor the wizard trace of its test
# build: it asks Windows for the touch device and writes nothing beside itself. The same search
# on setup-usbsim.exe must find both, or the search itself proves nothing.
# Arguments: BUILD_DIR SOURCE_DIR.
set -uo pipefail
build=$(cd "$1" && pwd)
failures=0
check() { # check WHAT COMMAND...
  local what=$1
  shift
  if "$@"; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
not() { ! "$@"; }
# holds FILE TEXT: the program's bytes hold TEXT as UTF-16, as the program keeps its strings.
holds() {
  local pattern
  pattern=$(printf '%s' "$2" | iconv -f UTF-8 -t UTF-16LE | od -An -tx1 | tr -d ' \n' |
    sed 's/../\\x&/g')
  LC_ALL=C grep -qaP -- "$pattern" "$1"
}
shipped=$build/setup/setup.exe
test_build=$build/setup/setup-usbsim.exe
for text in "SIMULATED#ROOT_HUB" "wizard-trace.txt"; do
  check "the test build holds \"$text\"" holds "$test_build" "$text"
  check "the shipped setup.exe does not hold \"$text\"" not holds "$shipped" "$text"
done
if [ "$failures" -ne 0 ]; then echo "FAIL: $failures checks failed"; exit 1; fi
echo "PASS"
